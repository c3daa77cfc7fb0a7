#pragma once

#include <cstdint>
#include <string>

#include "base/core/TStream.h"

// A stream over a file. Mode fmCreate creates the file (an existing one is
// emptied) for reading and writing; any other mode opens an existing file
// with the access in its low two bits (fmOpenRead, fmOpenWrite,
// fmOpenReadWrite). The sharing bits (fmShare...) are accepted for the
// callers' sake; Linux does not enforce them. A file that cannot be opened
// or created raises EAbort. Creating empties the old file at once, so savers
// of whole files write through TReplacingFileStream instead, which keeps the
// old file until the new one is complete.
class TFileStream : public TStream {
public:
    static constexpr std::uint32_t fmCreate = 0xFFFF;
    static constexpr std::uint32_t fmOpenRead = 0;
    static constexpr std::uint32_t fmOpenWrite = 1;
    static constexpr std::uint32_t fmOpenReadWrite = 2;
    static constexpr std::uint32_t fmAccessMask = 3;
    static constexpr std::uint32_t fmShareExclusive = 0x10;
    static constexpr std::uint32_t fmShareDenyWrite = 0x20;
    static constexpr std::uint32_t fmShareDenyNone = 0x40;

    TFileStream(const std::string& fileName, std::uint32_t mode);
    ~TFileStream() override;

    void Resize(std::int64_t newSize) override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    const std::string& FileName() const { return Name; }

private:
    int Handle = -1;
    std::string Name;
};
