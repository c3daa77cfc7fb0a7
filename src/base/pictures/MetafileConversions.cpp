#include "base/pictures/MetafileConversions.h"

#include <algorithm>

#include "base/core/Errors.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/ColorReduction.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TMetafile.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"

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
