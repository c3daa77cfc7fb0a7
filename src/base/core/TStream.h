#pragma once

#include <cstdint>

// Byte streams over files, memory blocks and program resources. The family
// is strict: a stream that cannot be opened, or an exact read or write that
// moves fewer bytes than asked for, ends the operation with EAbort. The plain
// Read and Write never raise; they report the count.
// Where TStream::Seek counts its offset from.
enum : int { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;

    virtual void Resize(std::int64_t newSize) {}
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    // origin: soFromBeginning, soFromCurrent or soFromEnd.
    virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SeekTo(std::int64_t pos) { Seek(pos, soFromBeginning); }
    std::int64_t Size();

    void ReadExact(void* buffer, std::int32_t count);
    void WriteExact(const void* buffer, std::int32_t count);
    // Copies count bytes from source's position; count 0 copies all of source
    // from its beginning. Returns the count copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};
