#pragma once

#include "base/core/TCustomZStream.h"

// Deflates everything written to it into the other stream (zlib format,
// ZlibCompressionLevel). The other stream receives whole 64 KB blocks while
// data is written; the rest arrives when this stream is destroyed, and only
// then is the compressed data complete.
class TZCompressionStream : public TCustomZStream {
public:
    explicit TZCompressionStream(TStream& dest);
    ~TZCompressionStream() override;

    std::int32_t Read(void* buffer, std::int32_t count) override { return 0; }
    // Raises EAbort when the other stream takes fewer bytes than given.
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // Whatever is asked: the count of uncompressed bytes written so far.
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // Finishes the data now (destruction would do it); raises EAbort when
    // the other stream fails. Later writes are ignored.
    void Finish();

private:
    bool Finished = false;
};
