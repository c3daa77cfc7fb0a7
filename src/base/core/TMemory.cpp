#include "base/core/TMemory.h"

#include <cstring>

#include "base/core/Checks.h"
#include "base/core/Errors.h"
#include "base/core/TFileStream.h"
#include "base/core/TReplacingFileStream.h"
#include "platform/Heap.h"

TMemory::~TMemory() {
    if (Capacity > 0)
        Platform::HeapFree(Data);
}

void TMemory::SetSize(std::int32_t n) {
    REZ_ASSERT(n >= 0);
    if (n == Size)
        return;
    Size = n;
    if (n == 0) {
        if (Capacity > 0)
            Platform::HeapFree(Data);
        Data = nullptr;
        Capacity = 0;
        return;
    }
    if (n > Capacity) {
        std::int64_t c = 128;
        while (c < n)
            c <<= 1;
        const bool had = Capacity > 0;
        Capacity = static_cast<std::int32_t>(c > 0x7FFFFFFF ? 0x7FFFFFFF : c);
        Data = static_cast<std::uint8_t*>(had ? Platform::HeapRealloc(Data, Capacity) : Platform::HeapAlloc(Capacity));
    }
}

void TMemory::Attach(void* block, std::int32_t n) {
    Clear();
    if (n == 0) {
        Platform::HeapFree(block);
        return;
    }
    Data = static_cast<std::uint8_t*>(block);
    Size = n;
    Capacity = n;
}

void TMemory::Assign(const TMemory& source) {
    if (&source == this)
        return;
    AssignBuffer(source.Data, source.Size);
}

void TMemory::AssignString(std::string_view s) {
    AssignBuffer(s.data(), static_cast<std::int32_t>(s.size()));
}

void TMemory::AssignWideString(std::u16string_view w) {
    AssignBuffer(w.data(), static_cast<std::int32_t>(w.size() * 2));
}

void TMemory::AssignBuffer(const void* buffer, std::int32_t count) {
    SetSize(count);
    if (count > 0)
        std::memmove(Data, buffer, count);
}

void TMemory::AppendMemory(const TMemory& other) {
    AppendBuffer(other.Data, other.Size);
}

void TMemory::AppendByte(std::uint8_t b) {
    const std::int32_t at = Size;
    SetSize(Size + 1);
    Data[at] = b;
}

void TMemory::AppendWord(std::uint16_t w) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)};
    AppendBuffer(bytes, 2);
}

void TMemory::AppendInt(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                   static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
    AppendBuffer(bytes, 4);
}

void TMemory::AppendString(std::string_view s) {
    AppendBuffer(s.data(), static_cast<std::int32_t>(s.size()));
}

void TMemory::AppendWideString(std::u16string_view w) {
    AppendBuffer(w.data(), static_cast<std::int32_t>(w.size() * 2));
}

void TMemory::AppendBuffer(const void* buffer, std::int32_t count) {
    if (count <= 0)
        return;
    // The source may lie inside this buffer, which SetSize can move.
    const bool inside = Data != nullptr && buffer >= Data && buffer < Data + Size;
    const std::ptrdiff_t offset = inside ? static_cast<const std::uint8_t*>(buffer) - Data : 0;
    const std::int32_t at = Size;
    SetSize(Size + count);
    std::memmove(Data + at, inside ? Data + offset : buffer, count);
}

void TMemory::InsertBuffer(const void* buffer, std::int32_t pos, std::int32_t count) {
    REZ_ASSERT(pos >= 0 && pos <= Size && count >= 0);
    if (count <= 0)
        return;
    // A source inside this buffer would move under our feet: copy it first.
    std::string copy;
    if (Data != nullptr && buffer >= Data && buffer < Data + Size) {
        copy.assign(static_cast<const char*>(buffer), count);
        buffer = copy.data();
    }
    const std::int32_t old = Size;
    SetSize(Size + count);
    std::memmove(Data + pos + count, Data + pos, old - pos);
    std::memcpy(Data + pos, buffer, count);
}

void TMemory::DeleteRange(std::int32_t pos, std::int32_t count) {
    REZ_ASSERT(pos >= 0 && count >= 0 && pos + count <= Size);
    if (count <= 0)
        return;
    std::memmove(Data + pos, Data + pos + count, Size - pos - count);
    SetSize(Size - count);
}

void TMemory::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::fmOpenRead | TFileStream::fmShareDenyWrite);
    const std::int64_t size = stream.Size();
    if (size > 0x7FFFFFFF) {
        ReportErrorFmt("The file \"%s\" is too large.", fileName);
        Abort();
    }
    SetSize(static_cast<std::int32_t>(size));
    if (stream.Read(Data, Size) != Size) {
        ReportErrorFmt("Error reading file \"%s\".", fileName);
        Abort();
    }
}

void TMemory::SaveToFile(const std::string& fileName) const {
    SaveFileReplacing(fileName, [this](TStream& stream) { stream.WriteExact(Data, Size); });
}
