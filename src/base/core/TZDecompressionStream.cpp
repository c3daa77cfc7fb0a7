#include "base/core/TZDecompressionStream.h"

#include <algorithm>
#include <new>

#include "base/core/TCustomZStreamState.h"

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source) {
    z_stream& z = State->Z;
    z.next_in = Buffer.get();
    z.avail_in = 0;
    if (inflateInit2(&z, ZlibWindowBits) != Z_OK)
        throw std::bad_alloc();
    State->Ready = true;
}

TZDecompressionStream::~TZDecompressionStream() {
    if (State->Ready)
        inflateEnd(&State->Z);
}

std::int32_t TZDecompressionStream::Read(void* buffer, std::int32_t count) {
    if (Damaged)
        return -1;
    if (count <= 0 || Ended)
        return 0;
    z_stream& z = State->Z;
    z.next_out = static_cast<Bytef*>(buffer);
    z.avail_out = static_cast<uInt>(count);
    RestorePosition();
    while (z.avail_out > 0) {
        if (z.avail_in == 0) {
            const std::int32_t want = std::min(kBufferSize, Limit - Taken);
            const std::int32_t got = want > 0 ? Other.Read(Buffer.get(), want) : 0;
            // The compressed data stops before its end (and, in the zlib
            // format, before its checksum): what came out is a part of
            // something damaged, never to be taken for the whole.
            if (got <= 0) {
                Damaged = true;
                return -1;
            }
            Taken += got;
            z.next_in = Buffer.get();
            z.avail_in = static_cast<uInt>(got);
            OtherPosition = Other.Position();
        }
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            Ended = true;
            break;
        }
        // With input and room for output inflate always moves, so any
        // error here, a missing dictionary included, is damaged data.
        if (result != Z_OK) {
            Damaged = true;
            return -1;
        }
    }
    return count - static_cast<std::int32_t>(z.avail_out);
}

std::int64_t TZDecompressionStream::Seek(std::int64_t offset, int origin) {
    z_stream& z = State->Z;
    const auto current = static_cast<std::int64_t>(z.total_out);
    if (origin == soFromBeginning && offset == 0) {
        inflateReset(&z);
        z.next_in = Buffer.get();
        z.avail_in = 0;
        Ended = false;
        Damaged = false;
        Taken = 0;
        Other.SeekTo(0);
        OtherPosition = 0;
    } else if ((origin == soFromCurrent && offset >= 0) || (origin == soFromBeginning && offset > current)) {
        std::int64_t skip = origin == soFromCurrent ? offset : offset - current;
        std::uint8_t scratch[4096];
        while (skip > 0) {
            const auto piece = static_cast<std::int32_t>(std::min<std::int64_t>(skip, sizeof scratch));
            ReadExact(scratch, piece);
            skip -= piece;
        }
    }
    return static_cast<std::int64_t>(z.total_out);
}
