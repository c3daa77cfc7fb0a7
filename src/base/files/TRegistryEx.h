#pragma once

#include "base/files/TRegistry.h"
#include "base/files/TSettingsStorage.h"

// The settings store over the per-user registry replacement: keys are
// BasePath + Key; missing values read the caller's default.
class TRegistryEx : public TSettingsStorage {
public:
    bool KeyExists(std::string_view key) override;
    void OpenKey(std::string_view key) override;
    bool ReadBool(std::string_view name, bool def) override;
    std::int32_t ReadInteger(std::string_view name, std::int32_t min, std::int32_t max, std::int32_t def) override;
    void ReadString(std::string_view name, std::string_view def, std::string& value) override;
    void WriteBool(std::string_view name, bool value) override;
    void WriteInteger(std::string_view name, std::int32_t value) override;
    void WriteString(std::string_view name, std::string_view value) override;

    // Writes the changes made so far (they are written anyway when the store
    // is destroyed); false after telling the user when that fails.
    bool Flush() { return Registry.Flush(); }

    TRegistry Registry;
};
