#include "platform/metafile/EmfRecorder.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteReader.h"

namespace Platform::Metafile {
namespace {

// Handle slots of the objects the recorder keeps selected.
enum : std::uint32_t { kPenSlot = 1, kBrushSlot = 2, kFontSlot = 3, kRegionBrushSlot = 4, kSlots = 5 };
constexpr std::uint32_t kStockBlackPen = 0x80000007, kStockWhiteBrush = 0x80000000, kStockSystemFont = 0x8000000D;

// A record under construction: type and size first, then the fields.
class TWriter {
public:
    explicit TWriter(std::uint32_t type) {
        U32(type);
        U32(0);
    }
    TWriter& U32(std::uint32_t v) {
        Bytes.resize(Bytes.size() + 4);
        StoreU32LE(Bytes.data() + Bytes.size() - 4, v);
        return *this;
    }
    TWriter& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TWriter& U16(std::uint16_t v) {
        Bytes.resize(Bytes.size() + 2);
        StoreU16LE(Bytes.data() + Bytes.size() - 2, v);
        return *this;
    }
    TWriter& U8(std::uint8_t v) {
        Bytes.push_back(v);
        return *this;
    }
    TWriter& Rect(const TRect& r) { return I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom); }
    TWriter& Raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        Bytes.insert(Bytes.end(), p, p + size);
        return *this;
    }
    std::size_t Size() const { return Bytes.size(); }
    void Patch(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            Bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::vector<std::uint8_t> Done() {
        while (Bytes.size() % 4 != 0)
            Bytes.push_back(0);
        Patch(4, static_cast<std::uint32_t>(Bytes.size()));
        return std::move(Bytes);
    }

private:
    std::vector<std::uint8_t> Bytes;
};

TRect Inclusive(const TRect& r) {
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right) - 1,
            std::max(r.Top, r.Bottom) - 1};
}

// A 32-bit top-down DIB of the source's pixels in rect; monochrome sources
// become 1-bit bitmaps whose two colours are those the blit would give them.
struct TCapturedDib {
    std::vector<std::uint8_t> Header;
    std::vector<std::uint8_t> Bits;
};

TCapturedDib Capture(TBitmapObject* bitmap, const TRect& rect, bool mono, TColorRef zero, TColorRef one) {
    TCapturedDib out;
    const std::int32_t w = std::max(1, rect.Width()), h = std::max(1, rect.Height());
    bitmap->SyncIn();
    auto pixel = [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
        if (x < 0 || y < 0 || x >= bitmap->Width || y >= bitmap->Height)
            return 0xFFFFFF;
        return bitmap->Row(y)[x] & 0xFFFFFF;
    };
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.Header.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put32(40);
    put32(static_cast<std::uint32_t>(w));
    put32(static_cast<std::uint32_t>(-h));
    out.Header.push_back(1);
    out.Header.push_back(0);
    out.Header.push_back(static_cast<std::uint8_t>(mono ? 1 : 32));
    out.Header.push_back(0);
    for (int i = 0; i < 6; ++i)
        put32(0);
    if (mono) {
        for (TColorRef c : {zero, one}) {
            out.Header.push_back(static_cast<std::uint8_t>(c >> 16));
            out.Header.push_back(static_cast<std::uint8_t>(c >> 8));
            out.Header.push_back(static_cast<std::uint8_t>(c));
            out.Header.push_back(0);
        }
        const std::size_t stride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
        out.Bits.assign(stride * h, 0);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x)
                if (pixel(rect.Left + x, rect.Top + y) != 0)
                    out.Bits[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    } else {
        out.Bits.resize(static_cast<std::size_t>(w) * h * 4);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x) {
                const std::uint32_t p = pixel(rect.Left + x, rect.Top + y);
                std::memcpy(&out.Bits[(static_cast<std::size_t>(y) * w + x) * 4], &p, 4);
            }
    }
    return out;
}

std::vector<TRect> RegionRectsOf(cairo_region_t* region) {
    std::vector<TRect> out;
    const int n = cairo_region_num_rectangles(region);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t c;
        cairo_region_get_rectangle(region, i, &c);
        out.push_back({c.x, c.y, c.x + c.width, c.y + c.height});
    }
    return out;
}

// [MS-EMF] 2.2.24 RegionData for rects.
void WriteRegionData(TWriter& w, const std::vector<TRect>& rects) {
    TRect box{0, 0, 0, 0};
    if (!rects.empty()) {
        box = rects.front();
        for (const TRect& r : rects)
            box = {std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
                   std::max(box.Bottom, r.Bottom)};
    }
    w.U32(32).U32(1).U32(static_cast<std::uint32_t>(rects.size())).U32(static_cast<std::uint32_t>(rects.size() * 16));
    w.Rect(box);
    for (const TRect& r : rects)
        w.Rect(r);
}

}  // namespace

TEmfRecorder::TEmfRecorder(TSize devicePixels, TSize deviceMm, const TRect* frame)
    : Pixels(devicePixels), Millimeters(deviceMm) {
    if (frame != nullptr) {
        HaveFrame = true;
        Frame = *frame;
    }
}

TEmfRecorder::~TEmfRecorder() {
    if (Clip != nullptr)
        cairo_region_destroy(Clip);
}

void TEmfRecorder::Append(const std::vector<std::uint8_t>& record) {
    Body.insert(Body.end(), record.begin(), record.end());
    ++Records;
}

void TEmfRecorder::Extend(const TRect& r) {
    const TRect i = Inclusive(r);
    if (Empty) {
        Bounds = i;
        Empty = false;
        return;
    }
    Bounds = {std::min(Bounds.Left, i.Left), std::min(Bounds.Top, i.Top), std::max(Bounds.Right, i.Right),
              std::max(Bounds.Bottom, i.Bottom)};
}

void TEmfRecorder::AddWindowsMetafile(const std::uint8_t* data, std::size_t size) {
    TWriter w(70);  // EMR_COMMENT
    w.U32(static_cast<std::uint32_t>(24 + size));
    w.U32(0x43494447).U32(0x80000001);  // "GDIC", EMR_COMMENT_WINDOWS_METAFILE
    w.U16(0x0300).U16(0).U32(0).U32(0).U32(static_cast<std::uint32_t>(size));
    w.Raw(data, size);
    Append(w.Done());
}

void TEmfRecorder::SyncClip(TDeviceContext& dc) {
    const bool has = dc.Clip != nullptr;
    if (has == (Clip != nullptr) && (!has || cairo_region_equal(dc.Clip, Clip)))
        return;
    if (Clip != nullptr)
        cairo_region_destroy(Clip);
    Clip = has ? cairo_region_copy(dc.Clip) : nullptr;
    TWriter w(75);  // EMR_EXTSELECTCLIPRGN
    if (!has) {
        w.U32(0).U32(RGN_COPY);
    } else {
        const std::vector<TRect> rects = RegionRectsOf(Clip);
        w.U32(static_cast<std::uint32_t>(32 + rects.size() * 16)).U32(RGN_COPY);
        WriteRegionData(w, rects);
    }
    Append(w.Done());
}

void TEmfRecorder::SyncBrush(TDeviceContext& dc, TBrushObject* brush) {
    const bool hollow = brush == nullptr || brush->Hollow;
    const TColorRef color = brush != nullptr ? brush->Color : 0xFFFFFF;
    const TBitmapObject* pattern = brush != nullptr ? brush->Pattern : nullptr;
    if (BrushKnown && hollow == BrushHollow && (hollow || (color == BrushColor && pattern == BrushPattern)) &&
        pattern == nullptr)
        return;
    // A pattern already written is not written again while its pixels stay
    // the same: a picture filling many shapes with one large pattern would
    // otherwise grow by the pattern for every fill.
    TBitmapObject* p = const_cast<TBitmapObject*>(pattern);
    if (p != nullptr)
        p->SyncIn();
    if (BrushKnown && !hollow && !BrushHollow && p != nullptr && color == BrushColor && BrushPattern != nullptr &&
        p->Width == BrushPatternSize.cx && p->Height == BrushPatternSize.cy && p->Mono == BrushPatternMono &&
        std::equal(p->Pixels.begin(), p->Pixels.end(), BrushPatternPixels.begin(), BrushPatternPixels.end()))
        return;
    Append(TWriter(37).U32(kStockWhiteBrush).Done());
    Append(TWriter(40).U32(kBrushSlot).Done());
    BrushPatternPixels.clear();
    if (pattern != nullptr) {
        BrushPatternPixels.assign(p->Pixels.begin(), p->Pixels.end());
        BrushPatternSize = {p->Width, p->Height};
        BrushPatternMono = p->Mono;
        const TCapturedDib dib = Capture(p, {0, 0, p->Width, p->Height}, p->Mono, 0, 0xFFFFFF);
        // [MS-EMF] 2.3.7.5 EMR_CREATEMONOBRUSH for monochrome patterns (they
        // take the text and background colours), 2.3.7.4 otherwise.
        TWriter w(p->Mono ? 93 : 94);
        const std::uint32_t offBmi = 32;
        w.U32(kBrushSlot).U32(0).U32(offBmi).U32(static_cast<std::uint32_t>(dib.Header.size()));
        w.U32(static_cast<std::uint32_t>(offBmi + dib.Header.size())).U32(static_cast<std::uint32_t>(dib.Bits.size()));
        w.Raw(dib.Header.data(), dib.Header.size()).Raw(dib.Bits.data(), dib.Bits.size());
        Append(w.Done());
    } else {
        TWriter w(39);  // EMR_CREATEBRUSHINDIRECT
        w.U32(kBrushSlot).U32(hollow ? 1 : 0).U32(color).U32(0);
        Append(w.Done());
    }
    Append(TWriter(37).U32(kBrushSlot).Done());
    BrushKnown = true;
    BrushHollow = hollow;
    BrushColor = color;
    BrushPattern = pattern;
    (void)dc;
}

void TEmfRecorder::Sync(TDeviceContext& dc, bool pen, bool brush, bool font) {
    SyncClip(dc);
    if (dc.TextColor != TextColor) {
        TextColor = dc.TextColor;
        Append(TWriter(24).U32(TextColor).Done());
    }
    if (dc.BkColor != BkColor) {
        BkColor = dc.BkColor;
        Append(TWriter(25).U32(BkColor).Done());
    }
    if (dc.BkMode != BkMode) {
        BkMode = dc.BkMode;
        Append(TWriter(18).U32(static_cast<std::uint32_t>(BkMode)).Done());
    }
    if (dc.Rop2 != Rop2) {
        Rop2 = dc.Rop2;
        Append(TWriter(20).U32(static_cast<std::uint32_t>(Rop2)).Done());
    }
    if (pen) {
        const TPenObject* p = dc.Pen != nullptr ? dc.Pen : static_cast<TPenObject*>(StockBlackPen());
        if (!PenKnown || p->Color != PenColor || p->Width != PenWidth || p->Style != PenStyle ||
            p->FlatEnds != PenFlat) {
            Append(TWriter(37).U32(kStockBlackPen).Done());
            Append(TWriter(40).U32(kPenSlot).Done());
            // [MS-EMF] 2.3.7.9 EMR_EXTCREATEPEN: a geometric pen with square
            // ends when asked, else the cosmetic pen of LogPen.
            TWriter w(95);
            const std::uint32_t style = static_cast<std::uint32_t>(p->Style) |
                                        (p->FlatEnds ? 0x10000u | 0x200u | 0x2000u : (p->Width > 1 ? 0x10000u : 0u));
            w.U32(kPenSlot).U32(0).U32(0).U32(0).U32(0);
            w.U32(style).U32(static_cast<std::uint32_t>(std::max(1, p->Width))).U32(0).U32(p->Color).U32(0).U32(0);
            Append(w.Done());
            Append(TWriter(37).U32(kPenSlot).Done());
            PenKnown = true;
            PenColor = p->Color;
            PenWidth = p->Width;
            PenStyle = p->Style;
            PenFlat = p->FlatEnds;
        }
    }
    if (brush)
        SyncBrush(dc, dc.Brush);
    if (font) {
        TFontObject* f = dc.FontOrStock();
        const TLogFont& lf = f->Log;
        if (!FontKnown || lf.Height != Font.Height || lf.Width != Font.Width || lf.Weight != Font.Weight ||
            lf.Italic != Font.Italic || lf.Underline != Font.Underline || lf.StrikeOut != Font.StrikeOut ||
            lf.Charset != Font.Charset || lf.FaceName != Font.FaceName || lf.Escapement != Font.Escapement) {
            Append(TWriter(37).U32(kStockSystemFont).Done());
            Append(TWriter(40).U32(kFontSlot).Done());
            // [MS-EMF] 2.3.7.8 EMR_EXTCREATEFONTINDIRECTW with a LogFont.
            TWriter w(82);
            w.U32(kFontSlot).I32(lf.Height).I32(lf.Width).I32(lf.Escapement).I32(lf.Escapement).I32(lf.Weight);
            w.U8(lf.Italic).U8(lf.Underline).U8(lf.StrikeOut).U8(lf.Charset).U8(0).U8(0).U8(0).U8(0);
            std::u16string face;
            for (std::size_t i = 0; i < lf.FaceName.size();) {
                // The face name is UTF-8; fonts named outside the BMP are not known.
                const auto c = static_cast<unsigned char>(lf.FaceName[i]);
                char32_t ch = c;
                int more = 0;
                if (c >= 0xF0) {
                    ch = c & 7;
                    more = 3;
                } else if (c >= 0xE0) {
                    ch = c & 15;
                    more = 2;
                } else if (c >= 0xC0) {
                    ch = c & 31;
                    more = 1;
                }
                ++i;
                for (int k = 0; k < more && i < lf.FaceName.size(); ++k, ++i)
                    ch = (ch << 6) | (static_cast<unsigned char>(lf.FaceName[i]) & 0x3F);
                face.push_back(ch < 0x10000 ? static_cast<char16_t>(ch) : u'?');
            }
            face.resize(32, u'\0');
            face[31] = u'\0';
            for (char16_t c : face)
                w.U16(c);
            Append(w.Done());
            Append(TWriter(37).U32(kFontSlot).Done());
            FontKnown = true;
            Font = lf;
        }
        if (dc.TextAlign != TextAlign) {
            TextAlign = dc.TextAlign;
            Append(TWriter(22).U32(TextAlign).Done());
        }
    }
}

void TEmfRecorder::FillRect(TDeviceContext& dc, const TRect& rect, TBrushObject* brush) {
    Sync(dc, false, false, false);
    SyncBrush(dc, brush);
    WritePatBlt(rect, PATCOPY);
}

void TEmfRecorder::PatBlt(TDeviceContext& dc, const TRect& rect, std::uint32_t rop) {
    Sync(dc, false, true, false);
    WritePatBlt(rect, rop);
}

// [MS-EMF] 2.3.1.2 EMR_BITBLT without a source bitmap: the selected brush
// under a raster operation.
void TEmfRecorder::WritePatBlt(const TRect& rect, std::uint32_t rop) {
    TWriter w(76);
    w.Rect(Inclusive(rect)).I32(rect.Left).I32(rect.Top).I32(rect.Width()).I32(rect.Height()).U32(rop);
    w.I32(0).I32(0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        w.U32(v);
    }
    w.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    Append(w.Done());
    Extend(rect);
}

void TEmfRecorder::LineTo(TDeviceContext& dc, TPoint from, TPoint to) {
    Sync(dc, true, false, false);
    Append(TWriter(27).I32(from.X).I32(from.Y).Done());  // EMR_MOVETOEX
    Append(TWriter(54).I32(to.X).I32(to.Y).Done());      // EMR_LINETO
    const std::int32_t pw = std::max(1, dc.Pen != nullptr ? dc.Pen->Width : 1);
    Extend({std::min(from.X, to.X) - pw, std::min(from.Y, to.Y) - pw, std::max(from.X, to.X) + pw + 1,
            std::max(from.Y, to.Y) + pw + 1});
}

void TEmfRecorder::Polyline(TDeviceContext& dc, const TPoint* points, int count) {
    Sync(dc, true, false, false);
    TRect box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (int i = 0; i < count; ++i)
        box = {std::min(box.Left, points[i].X), std::min(box.Top, points[i].Y), std::max(box.Right, points[i].X),
               std::max(box.Bottom, points[i].Y)};
    TWriter w(4);  // EMR_POLYLINE
    w.Rect(box).U32(static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i)
        w.I32(points[i].X).I32(points[i].Y);
    Append(w.Done());
    const std::int32_t pw = std::max(1, dc.Pen != nullptr ? dc.Pen->Width : 1);
    Extend({box.Left - pw, box.Top - pw, box.Right + pw + 1, box.Bottom + pw + 1});
}

void TEmfRecorder::PolyPolygon(TDeviceContext& dc,
                               const TPoint* points,
                               const int* counts,
                               int polygons,
                               int fillMode) {
    Sync(dc, true, true, false);
    if (fillMode != FillMode) {
        FillMode = fillMode;
        Append(TWriter(19).U32(static_cast<std::uint32_t>(fillMode)).Done());
    }
    int total = 0;
    for (int i = 0; i < polygons; ++i)
        total += std::max(0, counts[i]);
    if (total == 0)
        return;
    TRect box{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (int i = 0; i < total; ++i)
        box = {std::min(box.Left, points[i].X), std::min(box.Top, points[i].Y), std::max(box.Right, points[i].X),
               std::max(box.Bottom, points[i].Y)};
    TWriter w(8);  // EMR_POLYPOLYGON
    w.Rect(box).U32(static_cast<std::uint32_t>(polygons)).U32(static_cast<std::uint32_t>(total));
    for (int i = 0; i < polygons; ++i)
        w.U32(static_cast<std::uint32_t>(std::max(0, counts[i])));
    for (int i = 0; i < total; ++i)
        w.I32(points[i].X).I32(points[i].Y);
    Append(w.Done());
    const std::int32_t pw = std::max(1, dc.Pen != nullptr ? dc.Pen->Width : 1);
    Extend({box.Left - pw, box.Top - pw, box.Right + pw + 1, box.Bottom + pw + 1});
}

void TEmfRecorder::Rectangle(TDeviceContext& dc, const TRect& rect) {
    Sync(dc, true, true, false);
    Append(TWriter(43).Rect(rect).Done());  // EMR_RECTANGLE
    Extend(rect);
}

void TEmfRecorder::SetPixel(TDeviceContext& dc, std::int32_t x, std::int32_t y, TColorRef color) {
    Sync(dc, false, false, false);
    Append(TWriter(15).I32(x).I32(y).U32(color).Done());  // EMR_SETPIXELV
    Extend({x, y, x + 1, y + 1});
}

void TEmfRecorder::FillRgn(TDeviceContext& dc, TRegionObject* region, TBrushObject* brush) {
    Sync(dc, false, false, false);
    const std::vector<TRect> rects = RegionRectsOf(region->Region);
    if (rects.empty())
        return;
    // The region's brush goes into a slot of its own ([MS-EMF] 2.3.5.13
    // EMR_FILLRGN names it by its handle).
    Append(TWriter(40).U32(kRegionBrushSlot).Done());
    Append(TWriter(39).U32(kRegionBrushSlot).U32(0).U32(brush->Color).U32(0).Done());
    if (brush->Pattern != nullptr) {
        // Pattern brushes fill through the selected brush instead.
        SyncBrush(dc, brush);
        for (const TRect& r : rects)
            WritePatBlt(r, PATCOPY);
        return;
    }
    TRect box = rects.front();
    for (const TRect& r : rects)
        box = {std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
               std::max(box.Bottom, r.Bottom)};
    TWriter w(71);
    w.Rect(Inclusive(box)).U32(static_cast<std::uint32_t>(32 + rects.size() * 16)).U32(kRegionBrushSlot);
    WriteRegionData(w, rects);
    Append(w.Done());
    Extend(box);
}

void TEmfRecorder::Text(TDeviceContext& dc,
                        std::int32_t x,
                        std::int32_t y,
                        std::uint32_t options,
                        const TRect* rect,
                        const std::u32string& characters,
                        const std::vector<std::int32_t>& advances) {
    Sync(dc, false, false, true);
    std::u16string text;
    std::vector<std::int32_t> dx;
    std::int32_t width = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        const std::int32_t a = i < advances.size() ? advances[i] : 0;
        width += a;
        if (c >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            dx.push_back(a);
            dx.push_back(0);
        } else {
            text.push_back(static_cast<char16_t>(c));
            dx.push_back(a);
        }
    }
    const TFontObject* font = dc.FontOrStock();
    const std::int32_t h = font->Metrics.Height;
    TRect bounds{x - width - h, y - 2 * h, x + width + h, y + 2 * h};
    if (rect != nullptr)
        bounds = {std::min(bounds.Left, rect->Left), std::min(bounds.Top, rect->Top),
                  std::max(bounds.Right, rect->Right), std::max(bounds.Bottom, rect->Bottom)};
    // [MS-EMF] 2.3.5.8 EMR_EXTTEXTOUTW: the EmrText object starts at 36, the
    // string and the advances follow it.
    const std::uint32_t n = static_cast<std::uint32_t>(text.size());
    const std::uint32_t offString = 76;
    const std::uint32_t offDx = offString + ((n * 2 + 3) & ~3u);
    TWriter w(84);
    w.Rect(Inclusive(bounds)).U32(1);  // GM_COMPATIBLE
    const float one = 1.0f;
    std::uint32_t oneBits;
    std::memcpy(&oneBits, &one, 4);
    w.U32(oneBits).U32(oneBits);
    w.I32(x).I32(y).U32(n).U32(offString).U32(options & (ETO_OPAQUE | ETO_CLIPPED));
    w.Rect(rect != nullptr ? *rect : TRect{}).U32(offDx);
    for (char16_t c : text)
        w.U16(c);
    while (w.Size() < offDx)
        w.U8(0);
    for (std::int32_t v : dx)
        w.I32(v);
    Append(w.Done());
    Extend(bounds);
}

void TEmfRecorder::Blit(TDeviceContext& dc,
                        const TRect& dest,
                        TDeviceContext* source,
                        const TRect& sourceRect,
                        TBitmapObject* mask,
                        TPoint maskOrigin,
                        std::uint32_t rop) {
    if (source == nullptr || source->Bitmap == nullptr) {
        if (mask == nullptr)
            PatBlt(dc, dest, rop);
        return;
    }
    Sync(dc, false, true, false);
    const bool mono = source->Bitmap->Mono;
    // A monochrome source shows the destination's text colour for 0 and its
    // background colour for 1.
    const TCapturedDib dib = Capture(source->Bitmap, sourceRect, mono, dc.TextColor, dc.BkColor);
    if (mask == nullptr) {
        // [MS-EMF] 2.3.1.7 EMR_STRETCHDIBITS.
        const std::uint32_t offBmi = 80;
        const std::uint32_t offBits = offBmi + static_cast<std::uint32_t>(dib.Header.size());
        TWriter w(81);
        w.Rect(Inclusive(dest)).I32(dest.Left).I32(dest.Top).I32(0).I32(0);
        w.I32(std::max(1, sourceRect.Width())).I32(std::max(1, sourceRect.Height()));
        w.U32(offBmi).U32(static_cast<std::uint32_t>(dib.Header.size())).U32(offBits);
        w.U32(static_cast<std::uint32_t>(dib.Bits.size())).U32(0).U32(rop).I32(dest.Width()).I32(dest.Height());
        w.Raw(dib.Header.data(), dib.Header.size()).Raw(dib.Bits.data(), dib.Bits.size());
        Append(w.Done());
        Extend(dest);
        return;
    }
    // [MS-EMF] 2.3.1.3 EMR_MASKBLT: source and mask in their own bitmaps.
    const TRect maskRect{maskOrigin.X, maskOrigin.Y, maskOrigin.X + dest.Width(), maskOrigin.Y + dest.Height()};
    const TCapturedDib maskDib = Capture(mask, maskRect, true, 0, 0xFFFFFF);
    const std::uint32_t offBmi = 128;
    const std::uint32_t offBits = offBmi + static_cast<std::uint32_t>(dib.Header.size());
    const std::uint32_t offMask = offBits + static_cast<std::uint32_t>(dib.Bits.size());
    const std::uint32_t offMaskBits = offMask + static_cast<std::uint32_t>(maskDib.Header.size());
    TWriter w(78);
    w.Rect(Inclusive(dest)).I32(dest.Left).I32(dest.Top).I32(dest.Width()).I32(dest.Height()).U32(rop);
    w.I32(0).I32(0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        w.U32(v);
    }
    w.U32(dc.BkColor).U32(0).U32(offBmi).U32(static_cast<std::uint32_t>(dib.Header.size())).U32(offBits);
    w.U32(static_cast<std::uint32_t>(dib.Bits.size()));
    w.I32(0).I32(0).U32(0).U32(offMask).U32(static_cast<std::uint32_t>(maskDib.Header.size())).U32(offMaskBits);
    w.U32(static_cast<std::uint32_t>(maskDib.Bits.size()));
    w.Raw(dib.Header.data(), dib.Header.size()).Raw(dib.Bits.data(), dib.Bits.size());
    w.Raw(maskDib.Header.data(), maskDib.Header.size()).Raw(maskDib.Bits.data(), maskDib.Bits.size());
    Append(w.Done());
    Extend(dest);
}

std::vector<std::uint8_t> TEmfRecorder::Finish() {
    // [MS-EMF] 2.3.4.1 EMR_EOF without palette entries.
    Append(TWriter(14).U32(0).U32(16).U32(20).Done());
    TRect frame = Frame;
    if (!HaveFrame) {
        // The frame of what was drawn, in 0.01 mm of the reference device.
        const TRect b = Empty ? TRect{0, 0, 0, 0} : Bounds;
        auto mm = [&](std::int32_t v, std::int32_t px, std::int32_t m) {
            return static_cast<std::int32_t>(static_cast<std::int64_t>(v) * m * 100 / std::max(1, px));
        };
        frame = {mm(b.Left, Pixels.cx, Millimeters.cx), mm(b.Top, Pixels.cy, Millimeters.cy),
                 mm(b.Right, Pixels.cx, Millimeters.cx), mm(b.Bottom, Pixels.cy, Millimeters.cy)};
    }
    // [MS-EMF] 2.3.4.2 EMR_HEADER with the extension of 2.2.10 (108 bytes).
    TWriter h(1);
    h.Rect(Empty ? TRect{0, 0, -1, -1} : Bounds).Rect(frame).U32(0x464D4520).U32(0x10000);
    const std::uint32_t total = 108 + static_cast<std::uint32_t>(Body.size());
    h.U32(total).U32(Records + 1).U16(kSlots).U16(0).U32(0).U32(0).U32(0);
    h.I32(Pixels.cx).I32(Pixels.cy).I32(Millimeters.cx).I32(Millimeters.cy);
    h.U32(0).U32(0).U32(0).I32(Millimeters.cx * 1000).I32(Millimeters.cy * 1000);
    std::vector<std::uint8_t> out = h.Done();
    out.insert(out.end(), Body.begin(), Body.end());
    return out;
}

}  // namespace Platform::Metafile
