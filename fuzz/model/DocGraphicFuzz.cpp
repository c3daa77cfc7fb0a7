// Shape pictures come from files of any origin. The first byte chooses the
// kind a reader would have declared, the rest are the picture's bytes. Any
// bytes must give a picture of a bounded, non-zero size that keeps its bytes
// unchanged, draws, converts and traces without reading out of bounds, and
// leaves nothing counted once it is gone.
#include <cstdint>
#include <string>

#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "model/formats/ShapePicture.h"
#include "model/formats/TDocGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // A small limit keeps a header that claims a huge picture from being
    // decoded at all, which is the defence under test.
    TDocGraphic::SetLoadedBytesLimit(16 << 20);
    const std::int64_t before = TDocGraphic::TotalLoadedBytes();
    {
        TShapePicture picture;
        picture.Kind = static_cast<std::uint8_t>(data[0] % 7);
        picture.Data.assign(reinterpret_cast<const char*>(data + 1), size - 1);
        picture.PicWidth = 2540;
        picture.PicHeight = 2540;
        auto graphic = TDocGraphic::FromPicture(picture);
        if (graphic->PixelWidth() <= 0 || graphic->PixelHeight() <= 0 || graphic->PixelWidth() > 65535 ||
            graphic->PixelHeight() > 65535)
            __builtin_trap();
        const std::int32_t maxTwips = TDocGraphic::MaxNaturalPixels * 15;
        if (graphic->TwipsWidth() <= 0 || graphic->TwipsHeight() <= 0 || graphic->TwipsWidth() > maxTwips ||
            graphic->TwipsHeight() > maxTwips)
            __builtin_trap();
        TBitmap target;
        target.SetPixelFormat(pf24bit);
        target.SetSize(64, 48);
        for (int i = 0; i < 4; ++i)
            graphic->Draw(target.Canvas()->Handle(), {2, 2, 62, 46}, i == 3 ? TDocGraphic::dfLightened : 0);
        graphic->CountColours();
        graphic->PngBytesOfMetafile();
        for (const auto& p : graphic->TraceOutline())
            if (p.X < 0 || p.X > 21600 || p.Y < 0 || p.Y > 21600)
                __builtin_trap();
        if (graphic->Bytes() != picture.Data)
            __builtin_trap();
    }
    if (TDocGraphic::TotalLoadedBytes() != before)
        __builtin_trap();
    return 0;
}
