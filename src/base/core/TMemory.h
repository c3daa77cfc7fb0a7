#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The growable byte buffer: paragraph text and format streams, file images,
// clipboard data and many temporary byte strings. The capacity is 0 or a
// power of two of at least 128 (except after Attach), so appending byte by
// byte stays cheap. Users read Data and Size directly and may write into
// Data[0 .. Size-1]; the size changes only through SetSize and the methods
// built on it. Multi-byte values are little-endian; strings are stored as
// their bytes only, wide strings as their UTF-16 code units.
class TMemory {
public:
    TMemory() = default;
    TMemory(const TMemory&) = delete;
    TMemory& operator=(const TMemory&) = delete;
    virtual ~TMemory();

    virtual void Assign(const TMemory& source);

    void SetSize(std::int32_t n);
    void Clear() { SetSize(0); }
    // Adopts a block from Platform::HeapAlloc as the contents (Capacity = n).
    void Attach(void* block, std::int32_t n);

    void AssignString(std::string_view s);
    void AssignWideString(std::u16string_view w);
    void AssignBuffer(const void* buffer, std::int32_t count);

    void AppendMemory(const TMemory& other);
    void AppendByte(std::uint8_t b);
    void AppendWord(std::uint16_t w);
    void AppendInt(std::int32_t v);
    void AppendString(std::string_view s);
    void AppendWideString(std::u16string_view w);
    void AppendBuffer(const void* buffer, std::int32_t count);

    void InsertBuffer(const void* buffer, std::int32_t pos, std::int32_t count);
    void DeleteRange(std::int32_t pos, std::int32_t count);

    // Replace the contents by a whole file / write them as a whole file. A
    // file that cannot be opened raises EAbort; a short read is reported to
    // the user first, then aborts. Saving replaces the old file only once the
    // new one is complete; any failure is reported, then aborts, and leaves
    // the old file whole.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    std::string_view View() const { return {reinterpret_cast<const char*>(Data), static_cast<std::size_t>(Size)}; }

    std::uint8_t* Data = nullptr;
    std::int32_t Size = 0;
    std::int32_t Capacity = 0;
};
