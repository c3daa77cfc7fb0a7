#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text/HexText.h"

// The one key/value store through which every owner of settings reads and
// writes. Values live in keys; a key is opened (and so made current) before
// its values are used, and every key opened or tested is prefixed with
// BasePath. This base class is the null store: every read answers the
// caller's default, every write is ignored. TRegistryEx and TIniFile are the
// real stores.
//
// Strings are bytes: program text in UTF-8, wide text through the wide
// helpers below (kept as UTF-8 as well).
class TSettingsStorage {
public:
    TSettingsStorage() = default;
    TSettingsStorage(const TSettingsStorage&) = delete;
    TSettingsStorage& operator=(const TSettingsStorage&) = delete;
    virtual ~TSettingsStorage() = default;

    virtual bool KeyExists(std::string_view key);
    // Opens the key (creating it when the store writes) and makes it current.
    virtual void OpenKey(std::string_view key);
    virtual bool ReadBool(std::string_view name, bool def);
    // A stored value outside min..max is clamped; def is returned as it is.
    virtual std::int32_t ReadInteger(std::string_view name, std::int32_t min, std::int32_t max, std::int32_t def);
    virtual void ReadString(std::string_view name, std::string_view def, std::string& value);
    virtual void WriteBool(std::string_view name, bool value);
    virtual void WriteInteger(std::string_view name, std::int32_t value);
    virtual void WriteString(std::string_view name, std::string_view value);

    // Wide text, stored as UTF-8.
    void ReadWideString(std::string_view name, std::u16string_view def, std::u16string& value);
    void WriteWideString(std::string_view name, std::u16string_view value);

    // Text of any length, kept as a key named name holding "Count" and the
    // pieces "0", "1", ... Both leave that key current: the caller opens its
    // own key again before going on.
    void ReadLongString(std::string_view name, std::string_view def, std::string& value);
    void WriteLongString(std::string_view name, std::string_view text);

    // Bytes as hexadecimal text (two lower-case digits a byte) in a long
    // string. The read returns a block from Platform::HeapAlloc that the
    // caller frees with Platform::HeapFree (nullptr and size 0 when nothing
    // is stored).
    void WriteBinaryLong(std::string_view name, const void* data, std::int32_t size);
    void* ReadBinaryLong(std::string_view name, std::int32_t& size);
    // Bytes of a fixed size as one hexadecimal value. The read fills dest
    // from the stored text only when it has exactly 2 x size digits, and
    // copies size bytes of def otherwise.
    void WriteBinaryValue(std::string_view name, const void* data, std::int32_t size);
    void ReadBinaryValue(std::string_view name, void* dest, const void* def, std::int32_t size);

    std::string BasePath;
};
