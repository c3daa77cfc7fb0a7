#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/files/TSettingsStorage.h"
#include "base/text/TStringList.h"

// One section of an INI file in read mode: its names, sorted without case,
// each with the index of its value as object, and the values in file order.
class TIniFileGroup {
public:
    TStringList Names;
    TStringList Values;
};

// The settings store over a text file of the program's own INI dialect:
// "[Section]" lines and "name=value" lines, nothing trimmed, no comments (a
// line without "=" is ignored). A file is either read whole when the store
// is made (read mode) or produced whole when it is destroyed (write mode);
// the two never mix.
//
// Names and values that a plain line cannot hold are escaped: a value with a
// line break (or starting with the escape mark, the byte 0x01), and a name
// with a line break or "=" or starting with "[" or the mark, are written
// with the mark in front and backslash escapes inside (\\ \r \n \0, and \e
// for "=" in names). Every other line is written as it always was, and
// files without the mark read as they always did.
class TIniFile : public TSettingsStorage {
public:
    TIniFile(const std::string& fileName, bool writeMode);
    // Write mode: writes the file (UpdateFile) when it has not been written.
    ~TIniFile() override;

    bool KeyExists(std::string_view key) override;
    void OpenKey(std::string_view key) override;
    bool ReadBool(std::string_view name, bool def) override;
    std::int32_t ReadInteger(std::string_view name, std::int32_t min, std::int32_t max, std::int32_t def) override;
    void ReadString(std::string_view name, std::string_view def, std::string& value) override;
    void WriteBool(std::string_view name, bool value) override;
    void WriteInteger(std::string_view name, std::int32_t value) override;
    void WriteString(std::string_view name, std::string_view value) override;

    // Write mode: replaces the file with the lines written so far (a crash or
    // a full disk leaves the old file whole). False after telling the user
    // when the file cannot be written.
    bool UpdateFile();

    // Read mode: the value of name in the current section (the first one
    // when a name occurs twice); false when there is none.
    bool FindValue(std::string_view name, std::string& value) const;

    std::string FileName;
    // Read mode: section names (objects: their TIniFileGroup), sorted
    // without case; write mode: the output lines.
    TStringList Sections;
    const bool WriteMode;
    TIniFileGroup* CurrentGroup = nullptr;

private:
    void Parse(std::string_view text);
    void AppendLine(std::string line);

    bool Written = false;
    bool KeyRefused = false;
};
