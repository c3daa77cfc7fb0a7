// Bitmaps, blits and PNG files. Blits are our own pixel loops: Cairo has no
// raster operations, no monochrome conversion rules and no mask blit.

#include <algorithm>
#include <cmath>

#include "platform/cairo/GdiObjects.h"

namespace Platform {

TBitmapObject::TBitmapObject(std::int32_t width, std::int32_t height, bool mono)
    : Width(std::max(0, width)), Height(std::max(0, height)), Mono(mono) {
    Pixels.assign(static_cast<std::size_t>(Width) * Height, 0);
}

TBitmapObject::~TBitmapObject() {
    if (CairoSurface != nullptr)
        cairo_surface_destroy(CairoSurface);
}

cairo_surface_t* TBitmapObject::Surface() {
    if (CairoSurface == nullptr && Width > 0 && Height > 0) {
        CairoSurface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(Pixels.data()),
                                                           CAIRO_FORMAT_RGB24, Width, Height, Width * 4);
        if (cairo_surface_status(CairoSurface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(CairoSurface);
            CairoSurface = nullptr;
        }
    }
    return CairoSurface;
}

void TBitmapObject::Threshold(const TRect& area) {
    const TRect r = Intersect(area, TRect{0, 0, Width, Height});
    for (std::int32_t y = r.Top; y < r.Bottom; ++y)
        for (std::int32_t x = r.Left; x < r.Right; ++x)
            Row(y)[x] = MonoOf(Row(y)[x]);
}

HBITMAP CreateBitmap32(std::int32_t width, std::int32_t height) {
    return new TBitmapObject(width, height, false);
}

HBITMAP CreateBitmapOnMemory(std::uint32_t* bits, std::int32_t width, std::int32_t height) {
    if (bits == nullptr || width <= 0 || height <= 0)
        return nullptr;
    auto* bitmap = new TBitmapObject(0, 0, false);
    bitmap->Width = width;
    bitmap->Height = height;
    bitmap->Pixels.Lend(bits, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return bitmap;
}

HBITMAP CreateMonoBitmap(std::int32_t width, std::int32_t height) {
    return new TBitmapObject(width, height, true);
}

HBITMAP CreateCompatibleBitmap(HDC dc, std::int32_t width, std::int32_t height) {
    // A context holding a monochrome bitmap makes monochrome bitmaps; the
    // screen and everything else is 32-bit.
    const bool mono = dc != nullptr && !dc->Screen && dc->Bitmap != nullptr && dc->Bitmap->Mono;
    return new TBitmapObject(width, height, mono);
}

void DeleteBitmap(HBITMAP bitmap) {
    if (bitmap != nullptr)
        bitmap->Release();
}

bool GetBitmapInfo(HBITMAP bitmap, TBitmapInfo& out) {
    if (bitmap == nullptr)
        return false;
    out.Width = bitmap->Width;
    out.Height = bitmap->Height;
    out.BitsPerPixel = bitmap->Mono ? 1 : 32;
    bitmap->Touch();
    out.Bits = bitmap->Pixels.data();
    return true;
}

void GdiFlush() {
    // Every Cairo operation is finished and flushed before it returns, so
    // there is nothing pending; the call marks the places that rely on it.
}

// ---------------------------------------------------------------------------
// Blits

namespace {

// One source pixel as the destination sees it, after the monochrome rules.
std::uint32_t SourcePixel(const TDeviceContext& dest, const TDeviceContext& src, std::uint32_t px) {
    px &= 0xFFFFFF;
    if (src.Bitmap->Mono && !dest.Bitmap->Mono)
        return ColorRefToPixel(px != 0 ? dest.BkColor : dest.TextColor);
    if (!src.Bitmap->Mono && dest.Bitmap->Mono)
        return px == ColorRefToPixel(src.BkColor) ? 0xFFFFFF : 0;
    return px;
}

// Source coordinates of destination columns (or rows) for nearest-pixel
// stretching: the source pixel under each destination pixel's centre.
std::int32_t NearestSource(std::int32_t i, std::int32_t dstLen, std::int32_t srcStart, std::int32_t srcLen) {
    const double pos = (i + 0.5) * srcLen / dstLen;
    return srcStart + static_cast<std::int32_t>(std::floor(pos));
}

// The source span of one destination pixel for averaging: weights of the
// source pixels it covers, in 1/256 units.
struct TSpan {
    std::int32_t First = 0;
    std::vector<std::uint32_t> Weights;
};
TSpan AverageSpan(std::int32_t i, std::int32_t dstLen, std::int32_t srcStart, std::int32_t srcLen) {
    TSpan span;
    const double a = static_cast<double>(i) * srcLen / dstLen;
    const double b = static_cast<double>(i + 1) * srcLen / dstLen;
    const auto first = static_cast<std::int32_t>(std::floor(a));
    const auto last = std::max(first, static_cast<std::int32_t>(std::ceil(b)) - 1);
    span.First = srcStart + first;
    const double total = b - a;
    std::uint32_t sum = 0;
    for (std::int32_t s = first; s <= last; ++s) {
        const double cover = std::min<double>(s + 1, b) - std::max<double>(s, a);
        const auto w = static_cast<std::uint32_t>(std::lround(std::max(0.0, cover) / total * 256));
        span.Weights.push_back(w);
        sum += w;
    }
    if (sum != 256 && !span.Weights.empty())
        span.Weights.back() += 256 - sum;  // keep the total exact
    return span;
}

// The general blit: destination rectangle (x, y, w, h) from the source
// rectangle (sx, sy, sw, sh), each pixel combined by the operation chosen
// by pick(dx, dy) (a ternary code byte).
template <class Pick>
bool Blit(HDC dest,
          std::int32_t x,
          std::int32_t y,
          std::int32_t w,
          std::int32_t h,
          HDC src,
          std::int32_t sx,
          std::int32_t sy,
          std::int32_t sw,
          std::int32_t sh,
          Pick pick,
          bool usesSource) {
    if (dest == nullptr || dest->Bitmap == nullptr || w == 0 || h == 0)
        return false;
    if (usesSource && (src == nullptr || src->Bitmap == nullptr || sw == 0 || sh == 0))
        return false;
    // Negative extents mirror, the position then being the last pixel
    // (a mirror of a w-wide picture starts at w - 1): normalise so that
    // both rectangles grow right and down and remember the flips.
    bool flipX = false, flipY = false;
    if (w < 0) {
        x += w + 1;
        w = -w;
        flipX = !flipX;
    }
    if (h < 0) {
        y += h + 1;
        h = -h;
        flipY = !flipY;
    }
    if (sw < 0) {
        sx += sw + 1;
        sw = -sw;
        flipX = !flipX;
    }
    if (sh < 0) {
        sy += sh + 1;
        sh = -sh;
        flipY = !flipY;
    }
    const bool stretch = usesSource && (sw != w || sh != h);
    // Averaging costs the source pixels under each destination pixel; past
    // a shrink of 64 times the nearest pixel stands in.
    const bool average = stretch && dest->StretchMode == HALFTONE && !dest->Bitmap->Mono &&
                         std::abs(static_cast<std::int64_t>(sw)) <= 64 * std::abs(static_cast<std::int64_t>(w)) &&
                         std::abs(static_cast<std::int64_t>(sh)) <= 64 * std::abs(static_cast<std::int64_t>(h));
    const bool destMono = dest->Bitmap->Mono;
    const TBrushObject* brush = dest->Brush;
    const std::int32_t srcW = usesSource ? src->Bitmap->Width : 0;
    const std::int32_t srcH = usesSource ? src->Bitmap->Height : 0;
    // A blit within one bitmap must read the source before it is overwritten.
    std::vector<std::uint32_t> copy;
    const std::uint32_t* srcPixels = nullptr;
    if (usesSource) {
        src->Bitmap->SyncIn();
        srcPixels = src->Bitmap->Pixels.data();
        if (src->Bitmap == dest->Bitmap) {
            copy.assign(src->Bitmap->Pixels.begin(), src->Bitmap->Pixels.end());
            srcPixels = copy.data();
        }
    }
    auto sourceAt = [&](std::int32_t px, std::int32_t py) -> std::uint32_t {
        // Pixels outside the source read as its background, so a blit that
        // reaches past the source never reads outside its memory.
        if (px < 0 || py < 0 || px >= srcW || py >= srcH)
            return SourcePixel(*dest, *src, ColorRefToPixel(src->BkColor));
        return SourcePixel(*dest, *src, srcPixels[static_cast<std::size_t>(py) * srcW + px]);
    };
    std::vector<TSpan> colSpans, rowSpans;
    if (average) {
        for (std::int32_t i = 0; i < w; ++i)
            colSpans.push_back(AverageSpan(i, w, sx, sw));
        for (std::int32_t j = 0; j < h; ++j)
            rowSpans.push_back(AverageSpan(j, h, sy, sh));
    }
    for (const TRect& r : dest->ClipRects({x, y, x + w, y + h})) {
        for (std::int32_t dy = r.Top; dy < r.Bottom; ++dy) {
            const std::int32_t j = flipY ? (h - 1 - (dy - y)) : (dy - y);
            std::uint32_t* row = dest->Bitmap->Row(dy);
            for (std::int32_t dx = r.Left; dx < r.Right; ++dx) {
                const std::int32_t i = flipX ? (w - 1 - (dx - x)) : (dx - x);
                std::uint32_t s = 0;
                if (usesSource) {
                    if (average) {
                        const TSpan& cs = colSpans[i];
                        const TSpan& rs = rowSpans[j];
                        std::uint32_t acc[3] = {0, 0, 0};
                        for (std::size_t v = 0; v < rs.Weights.size(); ++v) {
                            for (std::size_t u = 0; u < cs.Weights.size(); ++u) {
                                const std::uint32_t wt = rs.Weights[v] * cs.Weights[u];
                                const std::uint32_t p = sourceAt(cs.First + static_cast<std::int32_t>(u),
                                                                 rs.First + static_cast<std::int32_t>(v));
                                acc[0] += ((p >> 16) & 0xFF) * wt;
                                acc[1] += ((p >> 8) & 0xFF) * wt;
                                acc[2] += (p & 0xFF) * wt;
                            }
                        }
                        s = (((acc[0] + 32768) >> 16) << 16) | (((acc[1] + 32768) >> 16) << 8) |
                            ((acc[2] + 32768) >> 16);
                    } else {
                        const std::int32_t px = stretch ? NearestSource(i, w, sx, sw) : sx + i;
                        const std::int32_t py = stretch ? NearestSource(j, h, sy, sh) : sy + j;
                        s = sourceAt(px, py);
                    }
                }
                std::uint32_t p = BrushPixel(*dest, brush, dx, dy);
                if (destMono)
                    p = MonoOf(p);
                const std::uint8_t code = pick(dx, dy);
                std::uint32_t result = code == 0xCC ? s : ApplyRop3(code, p, s, row[dx]);
                row[dx] = result & 0xFFFFFF;
            }
        }
    }
    return true;
}

// A plain copy between two colour bitmaps, the commonest blit by far (every
// paint of a document view ends with one): the same pixels the general blit
// gives, without combining each with a brush.
void CopyBlit(HDC dest,
              std::int32_t x,
              std::int32_t y,
              std::int32_t w,
              std::int32_t h,
              HDC src,
              std::int32_t sx,
              std::int32_t sy) {
    src->Bitmap->SyncIn();
    const std::uint32_t* srcPixels = src->Bitmap->Pixels.data();
    const std::int32_t srcW = src->Bitmap->Width, srcH = src->Bitmap->Height;
    const std::uint32_t outside = ColorRefToPixel(src->BkColor) & 0xFFFFFF;
    for (const TRect& r : dest->ClipRects({x, y, x + w, y + h})) {
        for (std::int32_t dy = r.Top; dy < r.Bottom; ++dy) {
            std::uint32_t* row = dest->Bitmap->Row(dy);
            const std::int32_t py = sy + (dy - y);
            const std::uint32_t* from =
                py >= 0 && py < srcH ? srcPixels + static_cast<std::size_t>(py) * srcW : nullptr;
            // The part of the row that has source pixels is one run, found
            // once; the loop over it has no tests, so the compiler can
            // vectorise it.
            const std::int32_t shift = sx - x;
            const std::int32_t lo = from == nullptr ? r.Right : std::clamp(-shift, r.Left, r.Right);
            const std::int32_t hi = from == nullptr ? r.Right : std::clamp(srcW - shift, lo, r.Right);
            for (std::int32_t dx = r.Left; dx < lo; ++dx)
                row[dx] = outside;
            for (std::int32_t dx = lo; dx < hi; ++dx)
                row[dx] = from[dx + shift] & 0xFFFFFF;
            for (std::int32_t dx = hi; dx < r.Right; ++dx)
                row[dx] = outside;
        }
    }
}

bool RopUsesSource(std::uint8_t code) {
    return ((code >> 2) & 0x33) != (code & 0x33);
}

}  // namespace

bool BitBlt(HDC dest,
            std::int32_t x,
            std::int32_t y,
            std::int32_t w,
            std::int32_t h,
            HDC source,
            std::int32_t sx,
            std::int32_t sy,
            std::uint32_t rop) {
    // A plain blit is a stretch whose source is as large as the destination.
    return StretchBlt(dest, x, y, w, h, source, sx, sy, w, h, rop);
}

bool StretchBlt(HDC dest,
                std::int32_t x,
                std::int32_t y,
                std::int32_t w,
                std::int32_t h,
                HDC source,
                std::int32_t sx,
                std::int32_t sy,
                std::int32_t sw,
                std::int32_t sh,
                std::uint32_t rop) {
    const auto code = static_cast<std::uint8_t>(rop >> 16);
    if (dest != nullptr && dest->Recorder != nullptr) {
        dest->Recorder->Blit(*dest, {x, y, x + w, y + h}, RopUsesSource(code) ? source : nullptr,
                             {sx, sy, sx + sw, sy + sh}, nullptr, {}, rop);
        return true;
    }
    if (code == 0xCC && sw == w && sh == h && w > 0 && h > 0 && dest != nullptr && dest->Bitmap != nullptr &&
        source != nullptr && source->Bitmap != nullptr && source->Bitmap != dest->Bitmap && !dest->Bitmap->Mono &&
        !source->Bitmap->Mono) {
        CopyBlit(dest, x, y, w, h, source, sx, sy);
        return true;
    }
    return Blit(
        dest, x, y, w, h, source, sx, sy, sw, sh, [code](std::int32_t, std::int32_t) { return code; },
        RopUsesSource(code));
}

bool MaskBlt(HDC dest,
             std::int32_t x,
             std::int32_t y,
             std::int32_t w,
             std::int32_t h,
             HDC source,
             std::int32_t sx,
             std::int32_t sy,
             HBITMAP mask,
             std::int32_t mx,
             std::int32_t my,
             std::uint32_t rop4) {
    const auto fore = static_cast<std::uint8_t>(rop4 >> 16);
    const auto back = static_cast<std::uint8_t>(rop4 >> 24);
    if (mask == nullptr)
        return BitBlt(dest, x, y, w, h, source, sx, sy, rop4 & 0x00FFFFFF);
    if (!mask->Mono)
        return false;
    if (dest != nullptr && dest->Recorder != nullptr) {
        const bool usesSource = RopUsesSource(fore) || RopUsesSource(back);
        dest->Recorder->Blit(*dest, {x, y, x + w, y + h}, usesSource ? source : nullptr, {sx, sy, sx + w, sy + h}, mask,
                             {mx, my}, rop4);
        return true;
    }
    mask->SyncIn();
    auto pick = [&](std::int32_t dx, std::int32_t dy) -> std::uint8_t {
        const std::int32_t px = mx + (dx - x), py = my + (dy - y);
        if (px < 0 || py < 0 || px >= mask->Width || py >= mask->Height)
            return back;
        return (mask->Row(py)[px] & 0xFFFFFF) != 0 ? fore : back;
    };
    return Blit(dest, x, y, w, h, source, sx, sy, w, h, pick, RopUsesSource(fore) || RopUsesSource(back));
}

// ---------------------------------------------------------------------------
// PNG files

bool SaveBitmapToPng(HBITMAP bitmap, const std::string& path) {
    if (bitmap == nullptr || bitmap->Width == 0 || bitmap->Height == 0)
        return false;
    bitmap->SyncIn();
    cairo_surface_t* surface = bitmap->Surface();
    if (surface == nullptr)
        return false;
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

HBITMAP LoadBitmapFromPng(const std::string& path) {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return nullptr;
    }
    const int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    auto* bitmap = new TBitmapObject(w, h, false);
    // Paint over black so that any alpha is flattened the same way on every load.
    cairo_t* cr = cairo_create(bitmap->Surface());
    cairo_set_source_surface(cr, png, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(bitmap->Surface());
    cairo_surface_destroy(png);
    for (std::uint32_t& p : bitmap->Pixels)
        p &= 0xFFFFFF;
    return bitmap;
}

}  // namespace Platform
