#include "base/files/TRegistryEx.h"

bool TRegistryEx::KeyExists(std::string_view key) {
    return Registry.KeyExists(BasePath + std::string(key));
}

void TRegistryEx::OpenKey(std::string_view key) {
    Registry.OpenKey(BasePath + std::string(key));
}

bool TRegistryEx::ReadBool(std::string_view name, bool def) {
    return Registry.ValueExists(name) ? Registry.ReadBool(name) : def;
}

std::int32_t TRegistryEx::ReadInteger(std::string_view name, std::int32_t min, std::int32_t max, std::int32_t def) {
    if (!Registry.ValueExists(name))
        return def;
    const std::int32_t v = Registry.ReadInteger(name);
    return v < min ? min : (v > max ? max : v);
}

void TRegistryEx::ReadString(std::string_view name, std::string_view def, std::string& value) {
    if (Registry.ValueExists(name))
        value = Registry.ReadString(name);
    else
        value.assign(def);
}

void TRegistryEx::WriteBool(std::string_view name, bool value) {
    Registry.WriteBool(name, value);
}

void TRegistryEx::WriteInteger(std::string_view name, std::int32_t value) {
    Registry.WriteInteger(name, value);
}

void TRegistryEx::WriteString(std::string_view name, std::string_view value) {
    Registry.WriteString(name, value);
}
