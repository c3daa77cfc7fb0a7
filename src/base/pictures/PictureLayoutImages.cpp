#include "base/pictures/PictureLayoutImages.h"

#include <memory>

#include "base/core/Errors.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/PictureResources.h"
#include "base/pictures/TPNGImage.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"

std::array<TBitmap*, 7> WrapIllustrations = {};
std::array<TBitmap*, 9> PositionIllustrations = {};

std::function<TColor(int entry)> InterfacePaletteColor = [](int entry) -> TColor {
    switch (entry) {
        case 0:
            return 0x505050;  // the silhouette
        case 3:
            return 0xFFFFFF;  // the page
        case 6:
            return 0x808080;  // the frame
        default:
            return 0xC0C0C0;  // the text bars
    }
};

namespace {

// A 24-bit bitmap of the size, filled with color.
std::unique_ptr<TBitmap> FilledBitmap(std::int32_t width, std::int32_t height, TColor color) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush->SetColor(color);
    canvas->FillRect({0, 0, width, height});
    return bitmap;
}

void FillBar(TBitmap& bitmap,
             std::int32_t left,
             std::int32_t top,
             std::int32_t right,
             std::int32_t bottom,
             TColor color) {
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush->SetColor(color);
    canvas->FillRect({left, top, right, bottom});
}

// The silhouette's pixels of index 1 painted in the filled bitmap's colour
// through a mask blit: source where the mask is 1, destination elsewhere.
void PaintSilhouette(TBitmap& target, TPNGImage& silhouette, TBitmap& filled, std::int32_t x, std::int32_t y) {
    if (silhouette.IsEmpty())
        return;
    TBitmap bits;
    bits.Assign(&silhouette);
    bits.SetPixelFormat(pf1bit);
    const std::int32_t w = bits.GetWidth(), h = bits.GetHeight();
    Platform::HBITMAP mask = Platform::CreateMonoBitmap(w, h);
    Platform::TBitmapInfo info;
    Platform::GetBitmapInfo(mask, info);
    for (std::int32_t row = 0; row < h; ++row) {
        const std::uint8_t* in = bits.ScanLine(row);
        for (std::int32_t col = 0; col < w; ++col)
            info.Bits[static_cast<std::size_t>(row) * w + col] = (in[col / 8] >> (7 - col % 8)) & 1 ? 0xFFFFFF : 0;
    }
    TCanvas* source = filled.Canvas();
    source->RequireState(csHandleValid);
    TCanvas* dest = target.Canvas();
    Platform::HDC destDC = dest->Handle();
    Platform::MaskBlt(destDC, x, y, w, h, source->DCHandle, 0, 0, mask, 0, 0,
                      Platform::MakeRop4(Platform::SRCCOPY, 0x00AA0029));
    dest->Changed();
    Platform::DeleteBitmap(mask);
}

TPNGImage* Silhouette() {
    static TPNGImage* cat = [] {
        auto* png = new TPNGImage;
        try {
            LoadPngResource("CAT", *png);
        } catch (const EAbort&) {
        }
        return png;
    }();
    return cat;
}

std::unique_ptr<TBitmap> Shrink(TBitmap& canvas, std::int32_t width, std::int32_t height) {
    return std::unique_ptr<TBitmap>(canvas.CreateResampled(width, height, true));
}

std::unique_ptr<TBitmap> MakeWrapIllustration(int kind) {
    const TColor page = InterfacePaletteColor(3), ink = InterfacePaletteColor(0), bars = InterfacePaletteColor(8);
    const std::unique_ptr<TBitmap> canvas = FilledBitmap(400, 400, page);
    const std::unique_ptr<TBitmap> filled = FilledBitmap(198, 225, ink);
    TPNGImage* cat = Silhouette();
    const std::int32_t cx = kind == 0 ? 25 : (400 - 198) / 2, cy = (400 - 225) / 2;
    auto drawBars = [&] {
        for (int i = 0; i < 10; ++i) {
            const std::int32_t top = 25 + 37 * i, bottom = 40 + 37 * i;
            if (i <= 1 || i >= 8 || kind == 5 || kind == 6) {
                FillBar(*canvas, 20, top, 380, bottom, bars);
                continue;
            }
            switch (kind) {
                case 0:
                    if (i == 7)
                        FillBar(*canvas, 224, top, 380, bottom, bars);
                    break;
                case 1:
                    FillBar(*canvas, 20, top, 76, bottom, bars);
                    FillBar(*canvas, 324, top, 380, bottom, bars);
                    break;
                case 2:
                case 3: {
                    static const std::int32_t leftEnd[] = {80, 80, 90, 93, 130, 140};
                    static const std::int32_t rightStart[] = {310, 315, 310, 302, 297, 285};
                    FillBar(*canvas, 20, top, leftEnd[i - 2], bottom, bars);
                    FillBar(*canvas, rightStart[i - 2], top, 380, bottom, bars);
                    if (kind == 3) {
                        if (i == 2)
                            FillBar(*canvas, 175, top, 260, bottom, bars);
                        else if (i == 3)
                            FillBar(*canvas, 170, top, 270, bottom, bars);
                        else if (i == 6)
                            FillBar(*canvas, 193, top, 225, bottom, bars);
                        else if (i == 7)
                            FillBar(*canvas, 190, top, 235, bottom, bars);
                    }
                    break;
                }
                default:
                    break;
            }
        }
    };
    if (kind == 5) {
        PaintSilhouette(*canvas, *cat, *filled, cx, cy);
        drawBars();
    } else {
        drawBars();
        PaintSilhouette(*canvas, *cat, *filled, cx, cy);
    }
    return Shrink(*canvas, 36, 36);
}

std::unique_ptr<TBitmap> MakePositionIllustration(int position) {
    const TColor page = InterfacePaletteColor(3), ink = InterfacePaletteColor(0), bars = InterfacePaletteColor(8);
    const std::unique_ptr<TBitmap> canvas = FilledBitmap(600, 800, page);
    for (int i = 0; i < 12; ++i)
        FillBar(*canvas, 80, 75 + 57 * i, 520, 95 + 57 * i, bars);
    const std::int32_t w = 198, h = 225;
    const std::int32_t x = position <= 2 ? 80 : (position <= 5 ? 80 + (440 - w) / 2 : 520 - w);
    const std::int32_t y = position % 3 == 0 ? 75 : (position % 3 == 1 ? (800 - h) / 2 : 725 - h);
    FillBar(*canvas, x - w / 4, y - h / 4, x + w + w / 4, y + h + h / 4, page);
    const std::unique_ptr<TBitmap> filled = FilledBitmap(w, h, ink);
    PaintSilhouette(*canvas, *Silhouette(), *filled, x, y);
    std::unique_ptr<TBitmap> result = Shrink(*canvas, 40, 56);
    TCanvas* c = result->Canvas();
    c->Brush->SetColor(InterfacePaletteColor(6));
    c->FrameRect({0, 0, 40, 56});
    return result;
}

}  // namespace

void MakePictureLayoutImages() {
    for (int kind = 6; kind >= 0; --kind)
        if (WrapIllustrations[kind] == nullptr)
            WrapIllustrations[kind] = MakeWrapIllustration(kind).release();
    for (int position = 8; position >= 0; --position)
        if (PositionIllustrations[position] == nullptr)
            PositionIllustrations[position] = MakePositionIllustration(position).release();
}

void FreePictureLayoutImages() {
    for (TBitmap*& b : WrapIllustrations) {
        delete b;
        b = nullptr;
    }
    for (TBitmap*& b : PositionIllustrations) {
        delete b;
        b = nullptr;
    }
}
