#pragma once

#include "base/core/TCustomZStream.h"

// Inflates from the other stream while it is read (ZlibWindowBits at
// creation). Read returns -1 when the compressed data is damaged, which
// includes data that stops (the other stream or Limit runs out) before its
// end and checksum; the end of the compressed data ends a read with the
// bytes produced, and later reads give 0.
class TZDecompressionStream : public TCustomZStream {
public:
    explicit TZDecompressionStream(TStream& source);
    ~TZDecompressionStream() override;

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override { return 0; }
    // To 0 from the beginning starts again; forward seeks read and discard;
    // anything else stays. Returns the uncompressed position.
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // Whether the end of the compressed data was reached.
    bool Finished() const { return Ended; }

    std::int32_t Limit = 0x7FFFFFFF;  // compressed bytes it may take
    std::int32_t Taken = 0;

private:
    bool Ended = false;
    bool Damaged = false;
};
