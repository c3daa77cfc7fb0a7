// GIF files come from any file a user opens. Whatever the bytes, reading
// either gives a picture whose every row can be read, or EAbort with the
// previous picture kept; it never crashes or reads outside its buffers.
#include <cstdint>

#include "base/core/Errors.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TGIFImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TReadOnlyMemoryStream stream(data, static_cast<std::int32_t>(size));
    TGIFImage picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const EAbort&) {
        return 0;
    }
    for (std::int32_t y = 0; y < picture.GetHeight(); ++y)
        if (picture.ScanLine(y) == nullptr)
            __builtin_trap();
    picture.Canvas()->GetPixelColor(0, 0);
    return 0;
}
