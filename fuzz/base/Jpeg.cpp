// JPEG files come from any file a user opens. Whatever the bytes, reading
// the header either gives a size or EAbort, and decoding shows what could
// be decoded; nothing crashes, and four-component pictures never write
// past their three-byte rows.
#include <cstdint>

#include "base/core/Errors.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/TJPEGImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TReadOnlyMemoryStream stream(data, static_cast<std::int32_t>(size));
    TJPEGImage picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const EAbort&) {
        return 0;
    }
    TBitmap* bitmap = picture.DecodedBitmap();
    for (std::int32_t y = 0; y < bitmap->GetHeight(); ++y)
        if (bitmap->ScanLine(y) == nullptr)
            __builtin_trap();
    return 0;
}
