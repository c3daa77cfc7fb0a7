#include "base/files/TSettingsStorage.h"

#include <algorithm>
#include <cstring>

#include "base/text/HexText.h"
#include "platform/CodePages.h"
#include "platform/Heap.h"

namespace {

constexpr std::size_t kPieceLength = 512;

bool BlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The whole text as hexadecimal pairs into dest; false for an odd length
// or a character that is not a hexadecimal digit.
bool DecodeHex(std::string_view text, void* dest) {
    if (text.size() % 2 != 0)
        return false;
    const auto count = static_cast<std::int32_t>(text.size() / 2);
    return HexPairsToBytes(text, static_cast<std::uint8_t*>(dest), count) == count;
}

}  // namespace

bool TSettingsStorage::KeyExists(std::string_view key) {
    return false;
}

void TSettingsStorage::OpenKey(std::string_view key) {}

bool TSettingsStorage::ReadBool(std::string_view name, bool def) {
    return def;
}

std::int32_t TSettingsStorage::ReadInteger(std::string_view name,
                                           std::int32_t min,
                                           std::int32_t max,
                                           std::int32_t def) {
    return def;
}

void TSettingsStorage::ReadString(std::string_view name, std::string_view def, std::string& value) {
    value.assign(def);
}

void TSettingsStorage::WriteBool(std::string_view name, bool value) {}

void TSettingsStorage::WriteInteger(std::string_view name, std::int32_t value) {}

void TSettingsStorage::WriteString(std::string_view name, std::string_view value) {}

void TSettingsStorage::ReadWideString(std::string_view name, std::u16string_view def, std::u16string& value) {
    // A default no stored text can equal tells "missing" from "empty".
    const std::string marker(1, '\0');
    std::string text;
    ReadString(name, marker, text);
    if (text == marker)
        value.assign(def);
    else
        value = Platform::Utf8ToUtf16(text);
}

void TSettingsStorage::WriteWideString(std::string_view name, std::u16string_view value) {
    WriteString(name, Platform::Utf16ToUtf8(value));
}

void TSettingsStorage::WriteLongString(std::string_view name, std::string_view text) {
    OpenKey(name);
    // A piece never ends with a blank or control character, nor is followed
    // by one, except at the end of the text: a store or an editor that trims
    // values then cannot lose characters at the seams.
    auto pieceEnd = [&](std::size_t start) {
        std::size_t end = std::min(text.size(), start + kPieceLength);
        while (end < text.size() && (BlankOrControl(text[end]) || BlankOrControl(text[end - 1])))
            ++end;
        return end;
    };
    std::int32_t count = 0;
    for (std::size_t from = 0; from < text.size(); from = pieceEnd(from))
        ++count;
    WriteInteger("Count", count);
    std::int32_t index = 0;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = pieceEnd(from);
        WriteString(std::to_string(index++), text.substr(from, end - from));
        from = end;
    }
}

void TSettingsStorage::ReadLongString(std::string_view name, std::string_view def, std::string& value) {
    OpenKey(name);
    const std::int32_t count = ReadInteger("Count", -1, 0x7FFFFFFF, -1);
    if (count < 0) {
        value.assign(def);
        return;
    }
    value.clear();
    std::string piece;
    for (std::int32_t i = 0; i < count; ++i) {
        ReadString(std::to_string(i), "", piece);
        value += piece;
    }
}

void TSettingsStorage::WriteBinaryLong(std::string_view name, const void* data, std::int32_t size) {
    WriteLongString(name, BytesToHexPairs(data, size));
}

void* TSettingsStorage::ReadBinaryLong(std::string_view name, std::int32_t& size) {
    std::string text;
    ReadLongString(name, "", text);
    size = 0;
    if (text.empty() || text.size() % 2 != 0)
        return nullptr;
    void* block = Platform::HeapAlloc(text.size() / 2);
    if (!DecodeHex(text, block)) {
        Platform::HeapFree(block);
        return nullptr;
    }
    size = static_cast<std::int32_t>(text.size() / 2);
    return block;
}

void TSettingsStorage::WriteBinaryValue(std::string_view name, const void* data, std::int32_t size) {
    WriteString(name, BytesToHexPairs(data, size));
}

void TSettingsStorage::ReadBinaryValue(std::string_view name, void* dest, const void* def, std::int32_t size) {
    std::string text;
    ReadString(name, "", text);
    // Decode into a scratch copy so that a bad digit half-way leaves dest
    // with the default rather than a mixture.
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (text.size() == static_cast<std::size_t>(size) * 2 && DecodeHex(text, bytes.data()))
        std::memcpy(dest, bytes.data(), static_cast<std::size_t>(size));
    else if (size > 0)
        std::memmove(dest, def, static_cast<std::size_t>(size));
}
