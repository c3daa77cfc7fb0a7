#pragma once

#include <cstdint>
#include <memory>

#include "base/core/TStream.h"

// The deflate level of the compression streams (9 unless a caller sets it
// around its writing) and the window bits of the decompression streams (15,
// the zlib format; -15 for raw deflate as ZIP entries hold it).
extern std::int32_t ZlibCompressionLevel;
extern std::int32_t ZlibWindowBits;

// The base of the compression and decompression streams: the other stream
// (not owned), where this stream last left it, zlib's state and a 64 KB
// buffer through which every transfer goes.
class TCustomZStream : public TStream {
public:
    static constexpr std::int32_t kBufferSize = 65536;

    explicit TCustomZStream(TStream& other);
    ~TCustomZStream() override;

protected:
    // Moves the other stream back to where this stream left it, when
    // somebody else moved it.
    void RestorePosition();

    TStream& Other;
    std::int64_t OtherPosition = 0;
    struct TState;
    std::unique_ptr<TState> State;
    std::unique_ptr<std::uint8_t[]> Buffer;
};
