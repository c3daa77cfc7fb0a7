#include "base/core/TMemoryStream.h"

#include <cstring>
#include <new>

#include "platform/Heap.h"

std::int32_t TCustomMemoryStream::Read(void* buffer, std::int32_t count) {
    if (MemPosition < 0 || count < 0 || MemPosition >= MemSize)
        return 0;
    std::int64_t n = MemSize - MemPosition;
    if (n > count)
        n = count;
    std::memcpy(buffer, Memory + MemPosition, static_cast<std::size_t>(n));
    MemPosition += n;
    return static_cast<std::int32_t>(n);
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, int origin) {
    switch (origin) {
        case soFromBeginning:
            MemPosition = offset;
            break;
        case soFromCurrent:
            MemPosition += offset;
            break;
        case soFromEnd:
            MemPosition = MemSize + offset;
            break;
        default:
            break;
    }
    return MemPosition;
}

TMemoryStream::~TMemoryStream() {
    if (Memory != nullptr)
        Platform::HeapFree(Memory);
}

std::uint8_t* TMemoryStream::Realloc(std::int32_t& newCapacity) {
    if (newCapacity > 0)
        newCapacity = static_cast<std::int32_t>((static_cast<std::int64_t>(newCapacity) + 8191) & ~std::int64_t(8191));
    if (newCapacity == Capacity)
        return Memory;
    if (newCapacity <= 0) {
        if (Memory != nullptr)
            Platform::HeapFree(Memory);
        newCapacity = 0;
        return nullptr;
    }
    if (Capacity == 0 || Memory == nullptr)
        return static_cast<std::uint8_t*>(Platform::HeapAlloc(newCapacity));
    return static_cast<std::uint8_t*>(Platform::HeapRealloc(Memory, newCapacity));
}

void TMemoryStream::SetCapacity(std::int32_t n) {
    Memory = Realloc(n);
    Capacity = n;
}

void TMemoryStream::Resize(std::int64_t newSize) {
    const auto n = static_cast<std::int32_t>(newSize);
    const std::int64_t oldPos = MemPosition;
    SetCapacity(n);
    MemSize = n;
    if (oldPos > n)
        MemPosition = n;
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
    if (MemPosition < 0 || count < 0)
        return 0;
    const std::int64_t end = MemPosition + count;
    if (end <= 0 || end > 0x7FFFFFFF)
        return 0;
    if (end > MemSize) {
        if (end > Capacity)
            SetCapacity(static_cast<std::int32_t>(end));
        MemSize = static_cast<std::int32_t>(end);
    }
    std::memcpy(Memory + MemPosition, buffer, count);
    MemPosition = end;
    return count;
}

void TMemoryStream::Clear() {
    SetCapacity(0);
    MemSize = 0;
    MemPosition = 0;
}
