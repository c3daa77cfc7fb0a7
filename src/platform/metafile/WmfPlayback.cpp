// The Windows-metafile player: [MS-WMF] records read one by one and handed
// to the shared playback state. Parameters of WMF records are stored in
// reverse order (y before x, bottom before top); section numbers below are
// those of the published [MS-WMF] document.

#include <algorithm>

#include "platform/metafile/Dibs.h"
#include "platform/metafile/Playback.h"
#include "platform/metafile/Player.h"

namespace Platform::Metafile {
namespace {

// Record functions of [MS-WMF] 2.1.1.1 RecordType.
enum : std::uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_REALIZEPALETTE = 0x0035,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_OFFSETWINDOWORG = 0x020F,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SELECTPALETTE = 0x0234,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_SETPIXEL = 0x041F,
    META_FRAMEREGION = 0x0429,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

constexpr std::uint32_t kSrcCopy = 0x00CC0020;

std::string Latin1ToUtf8(const TByteReader& r, std::size_t at, std::size_t max) {
    std::string out;
    for (std::size_t i = 0; i < max && r.HasAt(at + i, 1); ++i) {
        const std::uint8_t c = r.U8At(at + i);
        if (c == 0)
            break;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// [MS-WMF] 2.2.1.5 Region: scans of a top, a bottom and pairs of left and
// right edges.
std::vector<TRect> ReadRegion(const TByteReader& r) {
    std::vector<TRect> out;
    const std::uint16_t scans = r.U16LEAt(16);
    std::size_t at = 28;
    for (std::uint16_t s = 0; s < scans; ++s) {
        const std::uint16_t count = r.U16LEAt(at);
        if (!r.HasAt(at, 6 + static_cast<std::size_t>(count) * 2 + 2))
            break;
        const std::int16_t top = r.I16LEAt(at + 2), bottom = r.I16LEAt(at + 4);
        for (std::uint16_t k = 0; k + 1 < count; k += 2)
            out.push_back({r.I16LEAt(at + 6 + k * 2), top, r.I16LEAt(at + 8 + k * 2), bottom});
        at += 6 + static_cast<std::size_t>(count) * 2 + 2;
    }
    return out;
}

class TWmfPlayer {
public:
    explicit TWmfPlayer(TPlayer& player) : P(player) {}
    void Record(std::uint16_t function, const TByteReader& r);

private:
    std::size_t NewObjectSlot() {
        const int free = P.FreeSlot();
        return free >= 0 ? static_cast<std::size_t>(free) : P.ObjectCount();
    }
    void Store(TGdiRecordObject o) { P.StoreObject(NewObjectSlot(), std::move(o)); }
    bool Dib(const TByteReader& r,
             std::size_t at,
             std::uint32_t usage,
             TDecodedDib& out,
             bool allowDeferred = false) const;
    void Text(const TByteReader& r, bool extended);
    void Blit(std::uint16_t function, const TByteReader& r);
    std::vector<TPointD> Points(const TByteReader& r, std::size_t countAt) const;
    const TGdiRecordObject* Region(std::uint16_t index) const {
        const TGdiRecordObject* o = P.Object(index);
        return o != nullptr && o->Kind == TGdiRecordObject::okRegion ? o : nullptr;
    }
    TLogBrush BrushObject(std::uint16_t index) const {
        const TGdiRecordObject* o = P.Object(index);
        return o != nullptr && o->Kind == TGdiRecordObject::okBrush ? o->Brush : P.S.Brush;
    }
    TPlayer& P;
};

std::vector<TPointD> TWmfPlayer::Points(const TByteReader& r, std::size_t countAt) const {
    std::vector<TPointD> out;
    const std::uint16_t count = r.U16LEAt(countAt);
    if (!r.HasAt(countAt + 2, static_cast<std::size_t>(count) * 4))
        return out;
    out.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i)
        out.push_back(
            {static_cast<double>(r.I16LEAt(countAt + 2 + i * 4)), static_cast<double>(r.I16LEAt(countAt + 4 + i * 4))});
    return out;
}

// A packed DIB from at to the end of the record ([MS-WMF] 2.2.2.9
// DeviceIndependentBitmap).
bool TWmfPlayer::Dib(const TByteReader& r,
                     std::size_t at,
                     std::uint32_t usage,
                     TDecodedDib& out,
                     bool allowDeferred) const {
    if (!r.HasAt(at, 12))
        return false;
    const TByteReader dib = r.SubAt(at, r.Size() - at);
    const std::size_t header = PackedDibHeaderSize(dib, usage);
    if (header == 0)
        return false;
    return DecodeDib(dib.SubAt(0, header), dib.SubAt(header, dib.Size() - header), usage, P.S.Palette, out,
                     allowDeferred);
}

// [MS-WMF] 2.3.3.20 META_TEXTOUT and 2.3.3.5 META_EXTTEXTOUT.
void TWmfPlayer::Text(const TByteReader& r, bool extended) {
    std::vector<double> advances;
    if (!extended) {
        const std::uint16_t length = r.U16LEAt(6);
        const std::size_t padded = (length + 1u) & ~1u;
        if (length == 0 || !r.HasAt(8, padded + 4))
            return;
        const std::string text(reinterpret_cast<const char*>(r.Data() + 8), length);
        P.Text({static_cast<double>(r.I16LEAt(10 + padded)), static_cast<double>(r.I16LEAt(8 + padded))}, nullptr,
               &text, advances, 0, nullptr);
        return;
    }
    const std::int16_t y = r.I16LEAt(6), x = r.I16LEAt(8);
    const std::uint16_t length = r.U16LEAt(10), options = r.U16LEAt(12);
    std::size_t at = 14;
    TRect rect;
    const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if (hasRect) {
        if (!r.HasAt(14, 8))
            return;
        rect = {r.I16LEAt(14), r.I16LEAt(16), r.I16LEAt(18), r.I16LEAt(20)};
        at = 22;
    }
    if (length == 0 || !r.HasAt(at, length)) {
        if (hasRect && (options & ETO_OPAQUE) != 0) {
            // An empty text with an opaque rectangle fills the rectangle.
            const std::string none;
            P.Text({static_cast<double>(x), static_cast<double>(y)}, nullptr, &none, advances, options, &rect);
        }
        return;
    }
    const std::string text(reinterpret_cast<const char*>(r.Data() + at), length);
    const std::size_t dxAt = at + ((length + 1u) & ~1u);
    if (r.HasAt(dxAt, static_cast<std::size_t>(length) * 2)) {
        for (std::uint16_t i = 0; i < length; ++i)
            advances.push_back(r.I16LEAt(dxAt + i * 2));
    }
    P.Text({static_cast<double>(x), static_cast<double>(y)}, nullptr, &text, advances, options,
           hasRect ? &rect : nullptr);
}

// The bitmap records of [MS-WMF] 2.3.1. A record of the size that leaves no
// room for a bitmap is a pattern blit with one more reserved field.
void TWmfPlayer::Blit(std::uint16_t function, const TByteReader& r) {
    const bool noBitmap = r.Size() / 2 == static_cast<std::size_t>((function >> 8) + 3);
    TDecodedDib dib;
    switch (function) {
        case META_DIBBITBLT:
        case META_BITBLT: {
            const std::uint32_t rop = r.U32LEAt(6);
            if (noBitmap) {
                P.PatBlt(r.I16LEAt(22), r.I16LEAt(20), r.I16LEAt(18), r.I16LEAt(16), rop);
                return;
            }
            if (function == META_BITBLT || !Dib(r, 22, DIB_RGB_COLORS, dib, true))
                return;
            P.DrawDib(r.I16LEAt(20), r.I16LEAt(18), r.I16LEAt(16), r.I16LEAt(14), dib, r.I16LEAt(12), r.I16LEAt(10),
                      r.I16LEAt(16), r.I16LEAt(14), rop);
            return;
        }
        case META_DIBSTRETCHBLT:
        case META_STRETCHBLT: {
            const std::uint32_t rop = r.U32LEAt(6);
            if (noBitmap) {
                P.PatBlt(r.I16LEAt(24), r.I16LEAt(22), r.I16LEAt(20), r.I16LEAt(18), rop);
                return;
            }
            if (function == META_STRETCHBLT || !Dib(r, 26, DIB_RGB_COLORS, dib, true))
                return;
            P.DrawDib(r.I16LEAt(24), r.I16LEAt(22), r.I16LEAt(20), r.I16LEAt(18), dib, r.I16LEAt(16), r.I16LEAt(14),
                      r.I16LEAt(12), r.I16LEAt(10), rop);
            return;
        }
        case META_STRETCHDIB: {
            if (!Dib(r, 28, r.U16LEAt(10), dib, true))
                return;
            const double sh = r.I16LEAt(12), sw = r.I16LEAt(14), ySrc = r.I16LEAt(16), sx = r.I16LEAt(18);
            const double sy = dib.BottomUp ? dib.Height - ySrc - sh : ySrc;
            P.DrawDib(r.I16LEAt(26), r.I16LEAt(24), r.I16LEAt(22), r.I16LEAt(20), dib, sx, sy, sw, sh, r.U32LEAt(6));
            return;
        }
        case META_SETDIBTODEV: {
            if (!Dib(r, 24, r.U16LEAt(6), dib, true))
                return;
            const double h = r.I16LEAt(16), w = r.I16LEAt(18), ySrc = r.I16LEAt(12);
            const double sy = dib.BottomUp ? dib.Height - ySrc - h : ySrc;
            P.DrawDib(r.I16LEAt(22), r.I16LEAt(20), w, h, dib, r.I16LEAt(14), sy, w, h, kSrcCopy);
            return;
        }
        default:
            return;
    }
}

void TWmfPlayer::Record(std::uint16_t function, const TByteReader& r) {
    auto d = [&](std::size_t o) { return static_cast<double>(r.I16LEAt(o)); };
    switch (function) {
        // State ([MS-WMF] 2.3.5).
        case META_SETBKCOLOR:
            P.S.BkColor = r.U32LEAt(6) & 0xFFFFFF;
            break;
        case META_SETTEXTCOLOR:
            P.S.TextColor = r.U32LEAt(6) & 0xFFFFFF;
            break;
        case META_SETBKMODE:
            if (r.U16LEAt(6) == TRANSPARENT || r.U16LEAt(6) == OPAQUE)
                P.S.BkMode = r.U16LEAt(6);
            break;
        case META_SETROP2:
            if (r.U16LEAt(6) >= 1 && r.U16LEAt(6) <= 16)
                P.S.Rop2 = r.U16LEAt(6);
            break;
        case META_SETPOLYFILLMODE:
            P.S.PolyFillMode = r.U16LEAt(6) == WINDING ? WINDING : ALTERNATE;
            break;
        case META_SETSTRETCHBLTMODE:
            P.S.StretchMode = r.U16LEAt(6);
            break;
        case META_SETTEXTALIGN:
            P.S.TextAlign = r.U16LEAt(6);
            break;
        case META_SETMAPMODE:
            // The picture is always fitted to its rectangle through its window.
            break;
        case META_SETWINDOWORG:
            P.SetWindowOrg(d(8), d(6));
            break;
        case META_SETWINDOWEXT:
            P.SetWindowExt(d(8), d(6));
            break;
        case META_OFFSETWINDOWORG:
            P.SetWindowOrg(P.S.WindowOrg.X + d(8), P.S.WindowOrg.Y + d(6));
            break;
        case META_SCALEWINDOWEXT:
            P.ScaleWindowExt(d(12), d(10), d(8), d(6));
            break;
        case META_SAVEDC:
            P.SaveDC();
            break;
        case META_RESTOREDC:
            P.RestoreDC(r.I16LEAt(6));
            break;
        // Objects ([MS-WMF] 2.3.4).
        case META_SELECTOBJECT:
            P.SelectObject(r.U16LEAt(6));
            break;
        case META_SELECTPALETTE:
            P.SelectObject(r.U16LEAt(6));
            break;
        case META_SELECTCLIPREGION: {
            const TGdiRecordObject* region = Region(r.U16LEAt(6));
            if (region != nullptr)
                P.SelectClipLogicalRects(region->Region);
            else
                P.SelectClipDeviceRects({}, RGN_COPY, true);
            break;
        }
        case META_DELETEOBJECT:
            P.DeleteObject(r.U16LEAt(6));
            break;
        case META_CREATEPENINDIRECT: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okPen;
            const std::uint16_t style = r.U16LEAt(6);
            o.Pen.Style = style & 15;
            o.Pen.Width = r.I16LEAt(8);
            o.Pen.Cosmetic = r.I16LEAt(8) <= 0;
            o.Pen.FlatEnds = (style & 0xF00) != 0;
            o.Pen.Color = r.U32LEAt(12) & 0xFFFFFF;
            Store(std::move(o));
            break;
        }
        case META_CREATEBRUSHINDIRECT: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okBrush;
            o.Brush.Style = r.U16LEAt(6);
            o.Brush.Color = r.U32LEAt(8) & 0xFFFFFF;
            o.Brush.Hatch = r.U16LEAt(12);
            if (o.Brush.Style != BS_NULL && o.Brush.Style != BS_HATCHED)
                o.Brush.Style = BS_SOLID;
            Store(std::move(o));
            break;
        }
        case META_DIBCREATEPATTERNBRUSH: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okBrush;
            const std::uint16_t style = r.U16LEAt(6);
            auto dib = std::make_shared<TDecodedDib>();
            if (Dib(r, 10, style == BS_PATTERN ? std::uint32_t{DIB_RGB_COLORS} : std::uint32_t{r.U16LEAt(8)}, *dib)) {
                o.Brush.Style = BS_DIBPATTERNPT;
                o.Brush.Pattern = std::move(dib);
            }
            Store(std::move(o));
            break;
        }
        case META_CREATEPATTERNBRUSH: {
            // [MS-WMF] 2.2.2.1 Bitmap16: only monochrome patterns are read;
            // others fall back on a grey brush.
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okBrush;
            o.Brush.Color = 0x808080;
            const std::int16_t w = r.I16LEAt(8), h = r.I16LEAt(10), stride = r.I16LEAt(12);
            const std::size_t bitsAt = 6 + 10 + 18;
            if (r.U8At(14) == 1 && r.U8At(15) == 1 && w > 0 && h > 0 && w <= 64 && h <= 64 && stride > 0 &&
                r.HasAt(bitsAt, static_cast<std::size_t>(stride) * h)) {
                auto dib = std::make_shared<TDecodedDib>();
                dib->Width = w;
                dib->Height = h;
                dib->Monochrome = true;
                for (std::int16_t y = 0; y < h; ++y)
                    for (std::int16_t x = 0; x < w; ++x)
                        dib->Pixels.push_back((r.U8At(bitsAt + y * stride + x / 8) >> (7 - x % 8)) & 1 ? 0xFFFFFF : 0);
                o.Brush.Style = BS_PATTERN;
                o.Brush.Pattern = std::move(dib);
            }
            Store(std::move(o));
            break;
        }
        case META_CREATEFONTINDIRECT: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okFont;
            TLogFont& f = o.Font.Font;
            f.Height = r.I16LEAt(6);
            f.Width = r.I16LEAt(8);
            f.Escapement = r.I16LEAt(10);
            f.Weight = r.I16LEAt(14);
            f.Italic = r.U8At(16) != 0;
            f.Underline = r.U8At(17) != 0;
            f.StrikeOut = r.U8At(18) != 0;
            f.Charset = r.U8At(19);
            f.FaceName = Latin1ToUtf8(r, 24, 32);
            if (f.Weight <= 0 || f.Weight > 1000)
                f.Weight = 400;
            Store(std::move(o));
            break;
        }
        case META_CREATEPALETTE: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okPalette;
            const std::uint16_t count = r.U16LEAt(8);
            if (r.HasAt(10, static_cast<std::size_t>(count) * 4))
                for (std::uint16_t i = 0; i < count; ++i)
                    o.Palette.push_back(
                        {r.U8At(10 + i * 4), r.U8At(11 + i * 4), r.U8At(12 + i * 4), r.U8At(13 + i * 4)});
            Store(std::move(o));
            break;
        }
        case META_CREATEREGION: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okRegion;
            o.Region = ReadRegion(r);
            Store(std::move(o));
            break;
        }
        // Drawing ([MS-WMF] 2.3.3).
        case META_MOVETO:
            P.MoveTo({d(8), d(6)});
            break;
        case META_LINETO:
            P.LineTo({d(8), d(6)});
            break;
        case META_POLYLINE:
            P.Polyline(Points(r, 6), false);
            break;
        case META_POLYGON: {
            std::vector<TPointD> points = Points(r, 6);
            if (!points.empty())
                P.PolyPolygon({std::move(points)});
            break;
        }
        case META_POLYPOLYGON: {
            const std::uint16_t polygons = r.U16LEAt(6);
            if (!r.HasAt(8, static_cast<std::size_t>(polygons) * 2))
                break;
            std::size_t at = 8 + static_cast<std::size_t>(polygons) * 2;
            std::vector<std::vector<TPointD>> all;
            for (std::uint16_t p = 0; p < polygons; ++p) {
                const std::uint16_t count = r.U16LEAt(8 + p * 2);
                if (!r.HasAt(at, static_cast<std::size_t>(count) * 4))
                    break;
                std::vector<TPointD> points;
                for (std::uint16_t i = 0; i < count; ++i)
                    points.push_back({d(at + i * 4), d(at + i * 4 + 2)});
                at += static_cast<std::size_t>(count) * 4;
                all.push_back(std::move(points));
            }
            P.PolyPolygon(all);
            break;
        }
        case META_RECTANGLE:
            P.Rectangle(d(12), d(10), d(8), d(6));
            break;
        case META_ROUNDRECT:
            P.RoundRect(d(16), d(14), d(12), d(10), d(8), d(6));
            break;
        case META_ELLIPSE:
            P.Ellipse(d(12), d(10), d(8), d(6));
            break;
        case META_ARC:
        case META_PIE:
        case META_CHORD: {
            const TPlayer::TArcKind kind =
                function == META_ARC ? TPlayer::akArc : (function == META_PIE ? TPlayer::akPie : TPlayer::akChord);
            P.Arc(d(20), d(18), d(16), d(14), {d(12), d(10)}, {d(8), d(6)}, kind);
            break;
        }
        case META_SETPIXEL:
            P.SetPixel({d(12), d(10)}, r.U32LEAt(6));
            break;
        case META_PATBLT:
            P.PatBlt(d(16), d(14), d(12), d(10), r.U32LEAt(6));
            break;
        case META_TEXTOUT:
            Text(r, false);
            break;
        case META_EXTTEXTOUT:
            Text(r, true);
            break;
        // Clipping and regions.
        case META_INTERSECTCLIPRECT:
            P.IntersectClipRect(d(12), d(10), d(8), d(6));
            break;
        case META_EXCLUDECLIPRECT:
            P.ExcludeClipRect(d(12), d(10), d(8), d(6));
            break;
        case META_OFFSETCLIPRGN:
            P.OffsetClip(d(8), d(6));
            break;
        case META_FILLREGION:
            if (const TGdiRecordObject* region = Region(r.U16LEAt(6)))
                P.FillRegion(region->Region, BrushObject(r.U16LEAt(8)));
            break;
        case META_PAINTREGION:
            if (const TGdiRecordObject* region = Region(r.U16LEAt(6)))
                P.FillRegion(region->Region, P.S.Brush);
            break;
        case META_FRAMEREGION:
            if (const TGdiRecordObject* region = Region(r.U16LEAt(6)))
                P.FrameRegion(region->Region, BrushObject(r.U16LEAt(8)), d(12), d(10));
            break;
        case META_INVERTREGION:
            if (const TGdiRecordObject* region = Region(r.U16LEAt(6)))
                P.InvertRegion(region->Region);
            break;
        case META_BITBLT:
        case META_DIBBITBLT:
        case META_STRETCHBLT:
        case META_DIBSTRETCHBLT:
        case META_STRETCHDIB:
        case META_SETDIBTODEV:
            Blit(function, r);
            break;
        default:
            // Escapes (comments among them), palette animation, flood fills
            // and anything unknown are skipped.
            break;
    }
}

// The first window origin and extent the records set, for pictures that
// carry no placeable header.
bool FindWindow(const TByteReader& wmf, std::size_t start, TPointD& org, TPointD& ext) {
    bool haveExt = false;
    bool haveOrg = false;
    std::size_t at = start;
    while (wmf.HasAt(at, 6)) {
        const std::uint64_t size = static_cast<std::uint64_t>(wmf.U32LEAt(at)) * 2;
        const std::uint16_t function = wmf.U16LEAt(at + 4);
        if (size < 6 || size > wmf.Size() - at || function == META_EOF)
            break;
        if (function == META_SETWINDOWEXT && !haveExt && size >= 10) {
            ext = {static_cast<double>(wmf.I16LEAt(at + 8)), static_cast<double>(wmf.I16LEAt(at + 6))};
            haveExt = ext.X != 0 && ext.Y != 0;
        } else if (function == META_SETWINDOWORG && !haveOrg && size >= 10) {
            org = {static_cast<double>(wmf.I16LEAt(at + 8)), static_cast<double>(wmf.I16LEAt(at + 6))};
            haveOrg = true;
        }
        if (haveExt && haveOrg)
            break;
        at += static_cast<std::size_t>(size);
    }
    return haveExt;
}

}  // namespace

// [MS-WMF] 2.3.2.2 META_HEADER: type 1 (memory) or 2 (disk), a header of
// nine 16-bit words.
bool IsWindowsMetafile(const TByteReader& data) {
    TByteReader wmf = data;
    if (wmf.U32LEAt(0) == kPlaceableKey)
        wmf = wmf.SubAt(22, wmf.Size() >= 22 ? wmf.Size() - 22 : 0);
    if (!wmf.HasAt(0, 18))
        return false;
    const std::uint16_t type = wmf.U16LEAt(0), headerWords = wmf.U16LEAt(2), version = wmf.U16LEAt(4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

TReadResult PlayWmf(HDC dc, const TByteReader& data, const TRect& rect) {
    TByteReader wmf = data;
    bool placeable = false;
    TRect box;
    // [MS-WMF] 2.3.2.3 META_PLACEABLE: the bounding box in logical units.
    if (data.U32LEAt(0) == kPlaceableKey && data.HasAt(0, 22)) {
        placeable = true;
        box = {data.I16LEAt(6), data.I16LEAt(8), data.I16LEAt(10), data.I16LEAt(12)};
        wmf = data.SubAt(22, data.Size() - 22);
    }
    if (!IsWindowsMetafile(wmf))
        return wmf.ErrorAt("not a Windows metafile", 0);
    // The window the picture is fitted through: the placeable header's box,
    // else the first window the records set, else the rectangle's own size.
    TPointD org{0, 0}, ext{static_cast<double>(std::max(1, rect.Right - rect.Left)),
                           static_cast<double>(std::max(1, rect.Bottom - rect.Top))};
    if (placeable && box.Right != box.Left && box.Bottom != box.Top) {
        org = {static_cast<double>(box.Left), static_cast<double>(box.Top)};
        ext = {static_cast<double>(box.Right - box.Left), static_cast<double>(box.Bottom - box.Top)};
    } else {
        TPointD foundOrg{0, 0}, foundExt;
        if (FindWindow(wmf, 18, foundOrg, foundExt)) {
            org = foundOrg;
            ext = foundExt;
        }
    }
    TPlayer player(dc, TXForm{}, {1920, 1080}, {508, 286});
    player.FixViewport(rect);
    player.SetMapMode(MM_ANISOTROPIC);
    player.SetWindowOrg(org.X, org.Y);
    player.SetWindowExt(ext.X, ext.Y);
    player.SetObjectCount(wmf.U16LEAt(10));
    TWmfPlayer wmfPlayer(player);
    std::size_t at = static_cast<std::size_t>(wmf.U16LEAt(2)) * 2;
    while (true) {
        if (!wmf.HasAt(at, 6))
            return wmf.ErrorAt(at == wmf.Size() ? "a Windows metafile without its end record"
                                                : "a metafile record cut short by the end of the file",
                               at);
        const std::uint64_t size = static_cast<std::uint64_t>(wmf.U32LEAt(at)) * 2;
        const std::uint16_t function = wmf.U16LEAt(at + 4);
        // A record that is too short or runs past the end ends the picture.
        if (size < 6)
            return wmf.ErrorAt("a metafile record shorter than its header", at);
        if (size > wmf.Size() - at)
            return wmf.ErrorAt("a metafile record longer than the file", at);
        if (function == META_EOF)
            return TReadResult::Success();
        wmfPlayer.Record(function, wmf.SubAt(at, static_cast<std::size_t>(size)));
        at += static_cast<std::size_t>(size);
    }
}

}  // namespace Platform::Metafile
