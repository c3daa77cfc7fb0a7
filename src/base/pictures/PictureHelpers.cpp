#include "base/pictures/PictureHelpers.h"

#include <algorithm>
#include <memory>

#include "base/core/Errors.h"
#include "base/core/TReplacingFileStream.h"
#include "base/core/TResourceStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/ColorReduction.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TMetafile.h"
#include "base/pictures/TPNGImage.h"
#include "base/text/TStrings.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Resources.h"

std::int32_t LightenFactor = 7;
TPNGImage* SharedGlyphs = nullptr;
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

constexpr TColor kGlyphKey = 0x008080;  // olive

std::uint8_t Lighten(std::uint8_t v, std::int32_t factor) {
    return static_cast<std::uint8_t>(std::clamp(v + factor * (255 - v) / 10, 0, 255));
}

// A 24-bit bitmap of the size, filled with color.
TBitmap* FilledBitmap(std::int32_t width, std::int32_t height, TColor color) {
    auto* bitmap = new TBitmap;
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

TBitmap* Shrink(TBitmap& canvas, std::int32_t width, std::int32_t height) {
    TBitmap* result = canvas.CreateResampled(width, height, true);
    return result;
}

TBitmap* MakeWrapIllustration(int kind) {
    const TColor page = InterfacePaletteColor(3), ink = InterfacePaletteColor(0), bars = InterfacePaletteColor(8);
    std::unique_ptr<TBitmap> canvas(FilledBitmap(400, 400, page));
    std::unique_ptr<TBitmap> filled(FilledBitmap(198, 225, ink));
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

TBitmap* MakePositionIllustration(int position) {
    const TColor page = InterfacePaletteColor(3), ink = InterfacePaletteColor(0), bars = InterfacePaletteColor(8);
    std::unique_ptr<TBitmap> canvas(FilledBitmap(600, 800, page));
    for (int i = 0; i < 12; ++i)
        FillBar(*canvas, 80, 75 + 57 * i, 520, 95 + 57 * i, bars);
    const std::int32_t w = 198, h = 225;
    const std::int32_t x = position <= 2 ? 80 : (position <= 5 ? 80 + (440 - w) / 2 : 520 - w);
    const std::int32_t y = position % 3 == 0 ? 75 : (position % 3 == 1 ? (800 - h) / 2 : 725 - h);
    FillBar(*canvas, x - w / 4, y - h / 4, x + w + w / 4, y + h + h / 4, page);
    std::unique_ptr<TBitmap> filled(FilledBitmap(w, h, ink));
    PaintSilhouette(*canvas, *Silhouette(), *filled, x, y);
    TBitmap* result = Shrink(*canvas, 40, 56);
    TCanvas* c = result->Canvas();
    c->Brush->SetColor(InterfacePaletteColor(6));
    c->FrameRect({0, 0, 40, 56});
    return result;
}

}  // namespace

TColor LightenColor(TColor color) {
    const TColor c = ResolveSysColor(color);
    return MakeRGB(Lighten(ColorRed(c), LightenFactor), Lighten(ColorGreen(c), LightenFactor),
                   Lighten(ColorBlue(c), LightenFactor));
}

void LightenBitmap(TBitmap& bitmap, std::int32_t factor) {
    const std::int32_t saved = LightenFactor;
    LightenFactor = factor;
    bitmap.SetPixelFormat(pf24bit);
    const std::int32_t bytes = bitmap.GetWidth() * 3;
    for (std::int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t i = 0; i < bytes; ++i)
            row[i] = Lighten(row[i], LightenFactor);
    }
    LightenFactor = saved;
    bitmap.Changed();
}

void RenderMetafileToBitmap(Platform::HENHMETAFILE metafile, TBitmap& bitmap, Platform::TSize size) {
    std::int32_t w = size.cx, h = size.cy;
    if (w == 0) {
        Platform::TEnhMetaHeader header;
        if (!Platform::GetEnhMetaFileHeader(metafile, header))
            Abort();
        // Rounded to the nearest pixel, so a picture recorded at a size in
        // pixels renders at that size again.
        const auto px = [](std::int64_t frame, std::int32_t pixels, std::int32_t mm) {
            const std::int64_t d = static_cast<std::int64_t>(mm) * 100;
            return mm > 0 ? static_cast<std::int32_t>((frame * pixels + d / 2) / d) : 0;
        };
        w = std::max(1, px(header.Frame.Right - header.Frame.Left, header.Device.cx, header.Millimeters.cx));
        h = std::max(1, px(header.Frame.Bottom - header.Frame.Top, header.Device.cy, header.Millimeters.cy));
    }
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(w, h);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush->SetColor(clWhite);
    canvas->FillRect({0, 0, w, h});
    Platform::HDC dc = canvas->Handle();
    Platform::PlayEnhMetaFile(dc, metafile, {0, 0, w - 1, h - 1});
    canvas->Changed();
    ReduceBitmapColors(bitmap);
}

Platform::HBITMAP MetafileToBitmapHandle(Platform::HENHMETAFILE metafile, Platform::TSize size) {
    try {
        TBitmap bitmap;
        RenderMetafileToBitmap(metafile, bitmap, size);
        Platform::TDibSection d;
        Platform::GetDibSection(bitmap.GetHandle(), d);
        return CopyBitmapHandle(bitmap.GetHandle(), nullptr, nullptr, nullptr, d);
    } catch (const EAbort&) {
        return nullptr;
    }
}

void MetafileToJpeg(Platform::HENHMETAFILE metafile, TJPEGImage& jpeg, Platform::TSize size) {
    TBitmap bitmap;
    RenderMetafileToBitmap(metafile, bitmap, size);
    jpeg.Assign(&bitmap);
}

Platform::HENHMETAFILE BitmapToMetafile(TBitmap& bitmap) {
    TMetafile metafile;
    metafile.SetPixelSize(bitmap.GetWidth(), bitmap.GetHeight());
    {
        TMetafileCanvas canvas(&metafile, nullptr);
        const TRect whole{0, 0, bitmap.GetWidth(), bitmap.GetHeight()};
        if (bitmap.IsTransparent()) {
            canvas.Brush->SetColor(clWhite);
            canvas.CopyWithKeyColor(whole, &bitmap, whole, bitmap.TransparentColorValue());
        } else {
            canvas.Draw(0, 0, &bitmap);
        }
    }
    return metafile.ReleaseHandle();
}

void LoadPngResource(std::string_view name, TPNGImage& png) {
    TResourceStream stream(name, "PNG");
    if (!stream.Found)
        Abort();
    png.LoadFromStream(stream);
}

void LoadJpegResource(std::string_view name, TJPEGImage& jpeg) {
    TResourceStream stream(name, "JPEG");
    if (!stream.Found)
        Abort();
    jpeg.LoadFromStream(stream);
}

TResourceBytes LoadResourceData(std::string_view name, std::string_view type) {
    Platform::TResourceData data;
    if (!Platform::FindResourceData(type, name, data))
        return {};
    return {data.Data, data.Size};
}

bool SaveResourceToFile(std::string_view name, std::string_view type, const std::string& path) {
    const TResourceBytes data = LoadResourceData(name, type);
    if (data.Address == nullptr || data.Size > 0x7FFFFFFF)
        return false;
    try {
        TReplacingFileStream stream(path);
        stream.WriteExact(data.Address, static_cast<std::int32_t>(data.Size));
        stream.Commit();
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

std::string LookupPackedString(const TPackedStringTable& table, std::uint32_t id) {
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return table.Data[at] | (table.Data[at + 1] << 8) | (table.Data[at + 2] << 16) |
               (static_cast<std::uint32_t>(table.Data[at + 3]) << 24);
    };
    if (table.Data == nullptr || table.Size < 4)
        return {};
    const std::uint32_t count = u32(0);
    if (count > (table.Size - 4) / 8)
        return {};
    std::uint32_t lo = 0, hi = count;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const std::uint32_t value = u32(4 + static_cast<std::size_t>(mid) * 4);
        if (value < id) {
            lo = mid + 1;
        } else if (value > id) {
            hi = mid;
        } else {
            const std::uint32_t entry =
                u32(4 + static_cast<std::size_t>(count) * 4 + static_cast<std::size_t>(mid) * 4);
            const std::size_t offset = entry >> 10, length = entry & 1023;
            if (offset > table.Size || length > table.Size - offset)
                return {};
            return std::string(reinterpret_cast<const char*>(table.Data + offset), length);
        }
    }
    return {};
}

void LoadPackedStrings(const TPackedStringTable& table, TStrings& strings) {
    strings.Clear();
    if (table.Data == nullptr || table.Size < 4)
        return;
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return table.Data[at] | (table.Data[at + 1] << 8) | (table.Data[at + 2] << 16) |
               (static_cast<std::uint32_t>(table.Data[at + 3]) << 24);
    };
    const std::uint32_t count = u32(0);
    if (count > (table.Size - 4) / 8)
        return;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t id = u32(4 + static_cast<std::size_t>(i) * 4);
        const std::uint32_t entry = u32(4 + static_cast<std::size_t>(count) * 4 + static_cast<std::size_t>(i) * 4);
        const std::size_t offset = entry >> 10, length = entry & 1023;
        std::string text;
        if (offset <= table.Size && length <= table.Size - offset)
            text.assign(reinterpret_cast<const char*>(table.Data + offset), length);
        strings.AddObject(text, reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)));
    }
}

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

void MakePictureLayoutImages() {
    for (int kind = 6; kind >= 0; --kind)
        if (WrapIllustrations[kind] == nullptr)
            WrapIllustrations[kind] = MakeWrapIllustration(kind);
    for (int position = 8; position >= 0; --position)
        if (PositionIllustrations[position] == nullptr)
            PositionIllustrations[position] = MakePositionIllustration(position);
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
