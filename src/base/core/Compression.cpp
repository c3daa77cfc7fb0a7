#include "base/core/Compression.h"

#include "base/core/TMemoryStream.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/core/TZCompressionStream.h"
#include "base/core/TZDecompressionStream.h"

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
