#include "base/pictures/SharedGlyphs.h"

#include "base/core/Errors.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/PictureResources.h"
#include "base/pictures/TPNGImage.h"

TPNGImage* SharedGlyphs = nullptr;

namespace {

constexpr TColor kGlyphKey = 0x008080;  // olive

}  // namespace

void LoadSharedGlyphs() {
    if (SharedGlyphs == nullptr)
        SharedGlyphs = new TPNGImage;
    try {
        LoadPngResource("SHAREDGLYPHS", *SharedGlyphs);
    } catch (const EAbort&) {
    }
}

void FreeSharedGlyphs() {
    delete SharedGlyphs;
    SharedGlyphs = nullptr;
}

void DrawSharedGlyph(int index, TBitmap& bitmap, TColor background) {
    const std::int32_t w = index < 22 ? 16 : 21;
    const std::int32_t x = index < 22 ? 16 * index : 21 * index - 110;
    const TRect source{x, 0, x + w, 16};
    auto draw = [&](TBitmap& target) {
        target.SetPixelFormat(pf24bit);
        target.SetSize(w, 16);
        TCanvas* canvas = target.Canvas();
        canvas->Brush->SetColor(background);
        canvas->FillRect({0, 0, w, 16});
        if (SharedGlyphs != nullptr && !SharedGlyphs->IsEmpty())
            canvas->CopyWithKeyColor({0, 0, w, 16}, SharedGlyphs, source, kGlyphKey);
    };
    if (ScreenPixelsPerInch() == 96) {
        draw(bitmap);
        return;
    }
    TBitmap glyph;
    draw(glyph);
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(ScaleByScreenDpi(w), ScaleByScreenDpi(16));
    glyph.ResampleInto(bitmap, true);
}
