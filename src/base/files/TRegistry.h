#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

// Keys and values of the per-user settings store (platform/Registry.h) with
// one current key. A path starting with "\" is absolute (taken under the
// root key); any other path is relative to the current key when one is open,
// else to the root key.
//
// Writes collect in memory and reach the settings file when the registry
// object is destroyed or Flush is called; a write or a flush that fails is
// reported to the user (once, not for every value).
class TRegistry {
public:
    TRegistry() = default;
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;
    ~TRegistry();

    void SetRootKey(Platform::TRegRoot key);
    // Creates the key when it is missing and makes it current. When it cannot
    // be created, no key is current (false).
    bool OpenKey(std::string_view path);
    bool KeyExists(std::string_view path);
    void CloseKey();

    bool ValueExists(std::string_view name);
    bool DeleteValue(std::string_view name);
    // Deletes the key with everything below it.
    bool DeleteKey(std::string_view path);

    // Reading a value of the other kind: an integer reads a string holding
    // a decimal number (0 otherwise), a string reads an integer as its
    // decimal text. Missing values read 0, false and "".
    std::int32_t ReadInteger(std::string_view name);
    bool ReadBool(std::string_view name);
    std::string ReadString(std::string_view name);
    // False (after telling the user) when no key is current.
    bool WriteInteger(std::string_view name, std::int32_t value);
    bool WriteBool(std::string_view name, bool value);
    bool WriteString(std::string_view name, std::string_view value);

    // Writes what this object changed; false (after telling the user) when
    // the settings file cannot be written.
    bool Flush();

    Platform::TRegRoot RootKey = Platform::TRegRoot::CurrentUser;
    bool HasCurrentKey = false;
    std::string CurrentPath;

private:
    std::string Resolve(std::string_view path) const;
    bool WriteValue(std::string_view name, const Platform::TRegValue& value);
    void ReportLoadProblem();

    bool Changed = false;
    bool WriteFailureReported = false;
};
