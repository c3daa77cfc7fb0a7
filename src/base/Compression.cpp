#include "base/Compression.h"

#include "base/TMemoryStream.h"
#include "base/TReadOnlyMemoryStream.h"
#include "base/TZCompressionStream.h"
#include "base/TZDecompressionStream.h"

std::unique_ptr<TMemoryStream> InflateToMemoryStream(const void* buffer, std::int32_t size) {
    auto result = std::make_unique<TMemoryStream>();
    TReadOnlyMemoryStream source(buffer, size);
    TZDecompressionStream inflater(source);
    inflater.Limit = size;
    std::uint8_t piece[16384];
    for (;;) {
        const std::int32_t got = inflater.Read(piece, sizeof piece);
        if (got < 0) {
            result->Clear();
            break;
        }
        if (got == 0)
            break;
        result->WriteExact(piece, got);
    }
    return result;
}

std::unique_ptr<TMemoryStream> DeflateToMemoryStream(const void* buffer, std::int32_t size) {
    auto result = std::make_unique<TMemoryStream>();
    {
        TZCompressionStream deflater(*result);
        deflater.WriteExact(buffer, size);
        deflater.Finish();
    }
    return result;
}
