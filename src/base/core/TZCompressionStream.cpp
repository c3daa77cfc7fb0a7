#include "base/core/TZCompressionStream.h"

#include "base/core/Errors.h"
#include "base/core/TCustomZStreamState.h"

TZCompressionStream::TZCompressionStream(TStream& dest) : TCustomZStream(dest) {
    z_stream& z = State->Z;
    z.next_out = Buffer.get();
    z.avail_out = kBufferSize;
    if (deflateInit2(&z, ZlibCompressionLevel, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
    State->Ready = true;
}

TZCompressionStream::~TZCompressionStream() {
    try {
        Finish();
    } catch (...) {
        // A destructor cannot report; callers that must know call Finish.
    }
    if (State->Ready)
        deflateEnd(&State->Z);
}

std::int32_t TZCompressionStream::Write(const void* buffer, std::int32_t count) {
    if (Finished || count <= 0)
        return Finished ? 0 : count;
    z_stream& z = State->Z;
    z.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    z.avail_in = static_cast<uInt>(count);
    RestorePosition();
    while (z.avail_in > 0) {
        deflate(&z, Z_NO_FLUSH);
        if (z.avail_out == 0) {
            Other.WriteExact(Buffer.get(), kBufferSize);
            z.next_out = Buffer.get();
            z.avail_out = kBufferSize;
            OtherPosition = Other.Position();
        }
    }
    return count;
}

std::int64_t TZCompressionStream::Seek(std::int64_t offset, int origin) {
    return static_cast<std::int64_t>(State->Z.total_in);
}

void TZCompressionStream::Finish() {
    if (Finished)
        return;
    Finished = true;
    z_stream& z = State->Z;
    z.next_in = nullptr;
    z.avail_in = 0;
    RestorePosition();
    for (;;) {
        const int result = deflate(&z, Z_FINISH);
        const auto filled = static_cast<std::int32_t>(kBufferSize - z.avail_out);
        if (result == Z_STREAM_END) {
            if (filled > 0)
                Other.WriteExact(Buffer.get(), filled);
            break;
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
            Abort();
        if (filled > 0)
            Other.WriteExact(Buffer.get(), filled);
        z.next_out = Buffer.get();
        z.avail_out = kBufferSize;
    }
    OtherPosition = Other.Position();
}
