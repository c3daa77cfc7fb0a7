// The enhanced-metafile player: [MS-EMF] records read one by one and handed
// to the shared playback state. Section numbers below are those of the
// published [MS-EMF] document.

#include <algorithm>
#include <cmath>

#include "platform/metafile/Dibs.h"
#include "platform/metafile/Playback.h"
#include "platform/metafile/Player.h"

namespace Platform::Metafile {
namespace {

// Record types of [MS-EMF] 2.1.1 RecordType.
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_SELECTPALETTE = 48,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_COMMENT = 70,
    EMR_FILLRGN = 71,
    EMR_FRAMERGN = 72,
    EMR_INVERTRGN = 73,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_MASKBLT = 78,
    EMR_PLGBLT = 79,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
    EMR_TRANSPARENTBLT = 116,
    EMR_GRADIENTFILL = 118,
};

constexpr std::uint32_t kGdiComment = 0x43494447;  // "GDIC"
constexpr std::uint32_t kWindowsMetafileComment = 0x80000001;

TPointD Pt32(const TByteReader& r, std::size_t o) {
    return {static_cast<double>(r.I32LEAt(o)), static_cast<double>(r.I32LEAt(o + 4))};
}

TPointD Pt16(const TByteReader& r, std::size_t o) {
    return {static_cast<double>(r.I16LEAt(o)), static_cast<double>(r.I16LEAt(o + 2))};
}

// A count of points at countAt and the points after it at pointsAt, of 8 or
// 4 bytes each; an empty list when the record cannot hold them.
std::vector<TPointD> Points(const TByteReader& r, std::size_t countAt, std::size_t pointsAt, bool small) {
    std::vector<TPointD> out;
    const std::uint32_t count = r.U32LEAt(countAt);
    const std::size_t size = small ? 4 : 8;
    if (!r.HasAt(pointsAt, static_cast<std::size_t>(count) * size))
        return out;
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        out.push_back(small ? Pt16(r, pointsAt + i * size) : Pt32(r, pointsAt + i * size));
    return out;
}

// [MS-EMF] 2.3.5.30 EMR_POLYPOLYGON and its kin: the number of figures, the
// total of points, the count of each figure, then the points.
std::vector<std::vector<TPointD>> PolyPoints(const TByteReader& r, bool small) {
    std::vector<std::vector<TPointD>> out;
    const std::uint32_t figures = r.U32LEAt(24), total = r.U32LEAt(28);
    const std::size_t size = small ? 4 : 8;
    if (!r.HasAt(32, static_cast<std::size_t>(figures) * 4))
        return out;
    const std::size_t pointsAt = 32 + static_cast<std::size_t>(figures) * 4;
    if (!r.HasAt(pointsAt, static_cast<std::size_t>(total) * size))
        return out;
    std::size_t next = 0;
    for (std::uint32_t f = 0; f < figures; ++f) {
        const std::uint32_t count = r.U32LEAt(32 + f * 4);
        if (count > total - next)
            break;
        std::vector<TPointD> figure;
        figure.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i, ++next)
            figure.push_back(small ? Pt16(r, pointsAt + next * size) : Pt32(r, pointsAt + next * size));
        out.push_back(std::move(figure));
    }
    return out;
}

// [MS-EMF] 2.2.24 RegionData: a 32-byte header with the rectangle count,
// then the rectangles.
std::vector<TRect> RegionRects(const TByteReader& r, std::size_t at, std::size_t size) {
    std::vector<TRect> out;
    const TByteReader data = r.SubAt(at, size);
    if (data.Size() < 32)
        return out;
    const std::uint32_t count = data.U32LEAt(8);
    if (!data.HasAt(32, static_cast<std::size_t>(count) * 16))
        return out;
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t o = 32 + i * 16;
        out.push_back({data.I32LEAt(o), data.I32LEAt(o + 4), data.I32LEAt(o + 8), data.I32LEAt(o + 12)});
    }
    return out;
}

TXForm ReadXForm(const TByteReader& r, std::size_t at) {
    TXForm x{r.F32LEAt(at),      r.F32LEAt(at + 4),  r.F32LEAt(at + 8),
             r.F32LEAt(at + 12), r.F32LEAt(at + 16), r.F32LEAt(at + 20)};
    for (double v : {x.M11, x.M12, x.M21, x.M22, x.Dx, x.Dy})
        if (!std::isfinite(v) || std::fabs(v) > 1e9)
            return TXForm{};
    return x;
}

// The bitmap of a record: header and colour table at offBmi, pixels at
// offBits, both inside the record.
bool RecordDib(const TByteReader& r,
               std::size_t offBmiAt,
               std::uint32_t usage,
               const std::vector<TPaletteEntry>& palette,
               TDecodedDib& out,
               bool allowDeferred = false) {
    const std::uint32_t offBmi = r.U32LEAt(offBmiAt), cbBmi = r.U32LEAt(offBmiAt + 4);
    const std::uint32_t offBits = r.U32LEAt(offBmiAt + 8), cbBits = r.U32LEAt(offBmiAt + 12);
    if (cbBmi == 0 || !r.HasAt(offBmi, cbBmi) || !r.HasAt(offBits, cbBits))
        return false;
    return DecodeDib(r.SubAt(offBmi, cbBmi), r.SubAt(offBits, cbBits), usage, palette, out, allowDeferred);
}

class TEmfPlayer {
public:
    TEmfPlayer(TPlayer& player) : P(player) {}
    void Record(std::uint32_t type, const TByteReader& r);

private:
    void CreateFont(const TByteReader& r);
    void Text(const TByteReader& r, bool wide);
    void SmallText(const TByteReader& r);
    void Blit(const TByteReader& r, std::uint32_t type);
    void Gradient(const TByteReader& r);
    TPlayer& P;
};

void TEmfPlayer::CreateFont(const TByteReader& r) {
    // [MS-EMF] 2.2.13 LogFont inside 2.3.7.8 EMR_EXTCREATEFONTINDIRECTW.
    if (!r.HasAt(12, 28))
        return;
    TGdiRecordObject o;
    o.Kind = TGdiRecordObject::okFont;
    TLogFont& f = o.Font.Font;
    f.Height = r.I32LEAt(12);
    f.Width = r.I32LEAt(16);
    f.Escapement = r.I32LEAt(20);
    f.Weight = r.I32LEAt(28);
    f.Italic = r.U8At(32) != 0;
    f.Underline = r.U8At(33) != 0;
    f.StrikeOut = r.U8At(34) != 0;
    f.Charset = r.U8At(35);
    f.FaceName = Utf16ToUtf8(r, 40, 32);
    if (f.Weight <= 0 || f.Weight > 1000)
        f.Weight = 400;
    P.StoreObject(r.U32LEAt(8), std::move(o));
}

// [MS-EMF] 2.3.5.8 EMR_EXTTEXTOUTW and 2.3.5.7 EMR_EXTTEXTOUTA with the
// EmrText object of 2.2.5.
void TEmfPlayer::Text(const TByteReader& r, bool wide) {
    constexpr std::size_t t = 36;
    constexpr std::uint32_t ETO_NO_RECT = 0x100, ETO_PDY = 0x2000;
    if (!r.HasAt(t, 20))
        return;
    const TPointD reference = Pt32(r, t);
    const std::uint32_t chars = r.U32LEAt(t + 8), offString = r.U32LEAt(t + 12), options = r.U32LEAt(t + 16);
    const bool hasRect = (options & ETO_NO_RECT) == 0;
    const std::size_t dxAt = hasRect ? t + 36 : t + 20;
    const std::uint32_t offDx = r.U32LEAt(dxAt);
    if (chars == 0 || !r.HasAt(offString, static_cast<std::size_t>(chars) * (wide ? 2 : 1)))
        return;
    std::vector<double> advances;
    const std::size_t step = (options & ETO_PDY) ? 8 : 4;
    if (offDx != 0 && r.HasAt(offDx, static_cast<std::size_t>(chars) * step)) {
        advances.reserve(chars);
        for (std::uint32_t i = 0; i < chars; ++i)
            advances.push_back(r.I32LEAt(offDx + i * step));
    }
    TRect rect;
    if (hasRect)
        rect = {r.I32LEAt(t + 20), r.I32LEAt(t + 24), r.I32LEAt(t + 28), r.I32LEAt(t + 32)};
    const bool useRect = hasRect && (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && !rect.IsEmpty();
    if (wide) {
        std::u16string text(chars, u'\0');
        for (std::uint32_t i = 0; i < chars; ++i)
            text[i] = static_cast<char16_t>(r.U16LEAt(offString + i * 2));
        P.Text(reference, &text, nullptr, advances, options, useRect ? &rect : nullptr);
    } else {
        std::string text(reinterpret_cast<const char*>(r.Data() + offString), chars);
        P.Text(reference, nullptr, &text, advances, options, useRect ? &rect : nullptr);
    }
}

// [MS-EMF] 2.3.5.37 EMR_SMALLTEXTOUT: text without advances, 8-bit
// characters when ETO_SMALL_CHARS is set.
void TEmfPlayer::SmallText(const TByteReader& r) {
    constexpr std::uint32_t ETO_NO_RECT = 0x100, ETO_SMALL_CHARS = 0x200;
    const std::uint32_t chars = r.U32LEAt(16), options = r.U32LEAt(20);
    const bool hasRect = (options & ETO_NO_RECT) == 0;
    const std::size_t at = hasRect ? 52 : 36;
    const bool small = (options & ETO_SMALL_CHARS) != 0;
    if (chars == 0 || !r.HasAt(at, static_cast<std::size_t>(chars) * (small ? 1 : 2)))
        return;
    std::u16string text(chars, u'\0');
    for (std::uint32_t i = 0; i < chars; ++i)
        text[i] = small ? static_cast<char16_t>(r.U8At(at + i)) : static_cast<char16_t>(r.U16LEAt(at + i * 2));
    TRect rect;
    if (hasRect)
        rect = {r.I32LEAt(36), r.I32LEAt(40), r.I32LEAt(44), r.I32LEAt(48)};
    const bool useRect = hasRect && (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && !rect.IsEmpty();
    P.Text(Pt32(r, 8), &text, nullptr, {}, options, useRect ? &rect : nullptr);
}

// The bitmap records of [MS-EMF] 2.3.1.
void TEmfPlayer::Blit(const TByteReader& r, std::uint32_t type) {
    TDecodedDib dib;
    switch (type) {
        case EMR_BITBLT:
        case EMR_STRETCHBLT: {
            if (!r.HasAt(24, 76))
                return;
            const double x = r.I32LEAt(24), y = r.I32LEAt(28), w = r.I32LEAt(32), h = r.I32LEAt(36);
            const std::uint32_t rop = r.U32LEAt(40);
            if (r.U32LEAt(88) == 0) {  // no source bitmap: a pattern blit
                P.PatBlt(x, y, w, h, rop);
                return;
            }
            if (!RecordDib(r, 84, r.U32LEAt(80), P.S.Palette, dib, true))
                return;
            double sw = w, sh = h;
            if (type == EMR_STRETCHBLT && r.HasAt(100, 8)) {
                sw = r.I32LEAt(100);
                sh = r.I32LEAt(104);
            }
            P.DrawDib(x, y, w, h, dib, r.I32LEAt(44), r.I32LEAt(48), sw, sh, rop);
            return;
        }
        case EMR_STRETCHDIBITS: {
            if (!r.HasAt(24, 56))
                return;
            if (!RecordDib(r, 48, r.U32LEAt(64), P.S.Palette, dib, true))
                return;
            const double sx = r.I32LEAt(32), ySrc = r.I32LEAt(36), sw = r.I32LEAt(40), sh = r.I32LEAt(44);
            // The source origin of a bottom-up bitmap is its lower-left corner.
            const double sy = dib.BottomUp ? dib.Height - ySrc - sh : ySrc;
            P.DrawDib(r.I32LEAt(24), r.I32LEAt(28), r.I32LEAt(72), r.I32LEAt(76), dib, sx, sy, sw, sh, r.U32LEAt(68));
            return;
        }
        case EMR_SETDIBITSTODEVICE: {
            if (!r.HasAt(24, 52))
                return;
            if (!RecordDib(r, 48, r.U32LEAt(64), P.S.Palette, dib, true))
                return;
            const double sw = r.I32LEAt(40), sh = r.I32LEAt(44);
            const double ySrc = r.I32LEAt(36);
            const double sy = dib.BottomUp ? dib.Height - ySrc - sh : ySrc;
            P.DrawDib(r.I32LEAt(24), r.I32LEAt(28), sw, sh, dib, r.I32LEAt(32), sy, sw, sh, 0x00CC0020);
            return;
        }
        case EMR_MASKBLT: {
            if (!r.HasAt(24, 104))
                return;
            const double x = r.I32LEAt(24), y = r.I32LEAt(28), w = r.I32LEAt(32), h = r.I32LEAt(36);
            const std::uint32_t rop4 = r.U32LEAt(40);
            TDecodedDib mask;
            const bool hasSource = RecordDib(r, 84, r.U32LEAt(80), P.S.Palette, dib);
            const bool hasMask = RecordDib(r, 112, r.U32LEAt(108), P.S.Palette, mask);
            if (hasSource && hasMask)
                P.MaskDib(x, y, w, h, dib, r.I32LEAt(44), r.I32LEAt(48), mask, r.I32LEAt(100), r.I32LEAt(104), rop4);
            else if (hasSource)
                P.DrawDib(x, y, w, h, dib, r.I32LEAt(44), r.I32LEAt(48), w, h, rop4 & 0x00FFFFFF);
            return;
        }
        case EMR_PLGBLT: {
            // The parallelogram is drawn as the upright rectangle of its first
            // three corners.
            if (!r.HasAt(24, 88) || !RecordDib(r, 96, r.U32LEAt(92), P.S.Palette, dib, true))
                return;
            const TPointD a = Pt32(r, 24), b = Pt32(r, 32), c = Pt32(r, 40);
            P.DrawDib(a.X, a.Y, b.X - a.X, c.Y - a.Y, dib, r.I32LEAt(48), r.I32LEAt(52), r.I32LEAt(56), r.I32LEAt(60),
                      0x00CC0020);
            return;
        }
        case EMR_ALPHABLEND:
        case EMR_TRANSPARENTBLT: {
            if (!r.HasAt(24, 84) || !RecordDib(r, 84, r.U32LEAt(80), P.S.Palette, dib, true))
                return;
            const double x = r.I32LEAt(24), y = r.I32LEAt(28), w = r.I32LEAt(32), h = r.I32LEAt(36);
            const double sx = r.I32LEAt(44), sy = r.I32LEAt(48), sw = r.I32LEAt(100), sh = r.I32LEAt(104);
            if (type == EMR_ALPHABLEND) {
                const std::uint8_t constant = r.U8At(42);
                const bool perPixel = (r.U8At(43) & 1) != 0 && dib.HasAlpha;
                P.AlphaDib(x, y, w, h, dib, sx, sy, sw, sh, constant, perPixel);
            } else {
                P.TransparentDib(x, y, w, h, dib, sx, sy, sw, sh, r.U32LEAt(40));
            }
            return;
        }
        default:
            return;
    }
}

// [MS-EMF] 2.3.5.12 EMR_GRADIENTFILL with TriVertex objects (2.2.26).
void TEmfPlayer::Gradient(const TByteReader& r) {
    const std::uint32_t vertices = r.U32LEAt(24), shapes = r.U32LEAt(28), mode = r.U32LEAt(32);
    if (!r.HasAt(36, static_cast<std::size_t>(vertices) * 16))
        return;
    const std::size_t shapesAt = 36 + static_cast<std::size_t>(vertices) * 16;
    auto point = [&](std::uint32_t i) { return Pt32(r, 36 + i * 16); };
    auto color = [&](std::uint32_t i) -> TColorRef {
        const std::size_t o = 36 + i * 16 + 8;
        return (r.U16LEAt(o) >> 8) | (r.U16LEAt(o + 2) & 0xFF00) | ((r.U16LEAt(o + 4) >> 8) << 16);
    };
    if (mode == 0 || mode == 1) {
        if (!r.HasAt(shapesAt, static_cast<std::size_t>(shapes) * 8))
            return;
        for (std::uint32_t i = 0; i < shapes; ++i) {
            const std::uint32_t a = r.U32LEAt(shapesAt + i * 8), b = r.U32LEAt(shapesAt + i * 8 + 4);
            if (a >= vertices || b >= vertices)
                continue;
            const TPointD pa = point(a), pb = point(b);
            P.GradientRect(pa.X, pa.Y, pb.X, pb.Y, color(a), color(b), mode == 1);
        }
    } else if (mode == 2) {
        if (!r.HasAt(shapesAt, static_cast<std::size_t>(shapes) * 12))
            return;
        for (std::uint32_t i = 0; i < shapes; ++i) {
            std::uint32_t v[3];
            bool ok = true;
            for (int k = 0; k < 3; ++k) {
                v[k] = r.U32LEAt(shapesAt + i * 12 + k * 4);
                ok &= v[k] < vertices;
            }
            if (!ok)
                continue;
            const TPointD points[3] = {point(v[0]), point(v[1]), point(v[2])};
            const TColorRef colors[3] = {color(v[0]), color(v[1]), color(v[2])};
            P.GradientTriangle(points, colors);
        }
    }
}

void TEmfPlayer::Record(std::uint32_t type, const TByteReader& r) {
    switch (type) {
        // Mapping and transforms ([MS-EMF] 2.3.11, 2.3.12).
        case EMR_SETWINDOWEXTEX:
            P.SetWindowExt(r.I32LEAt(8), r.I32LEAt(12));
            break;
        case EMR_SETWINDOWORGEX:
            P.SetWindowOrg(r.I32LEAt(8), r.I32LEAt(12));
            break;
        case EMR_SETVIEWPORTEXTEX:
            P.SetViewportExt(r.I32LEAt(8), r.I32LEAt(12));
            break;
        case EMR_SETVIEWPORTORGEX:
            P.SetViewportOrg(r.I32LEAt(8), r.I32LEAt(12));
            break;
        case EMR_SCALEVIEWPORTEXTEX:
            P.ScaleViewportExt(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20));
            break;
        case EMR_SCALEWINDOWEXTEX:
            P.ScaleWindowExt(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20));
            break;
        case EMR_SETMAPMODE:
            P.SetMapMode(r.I32LEAt(8));
            break;
        case EMR_SETWORLDTRANSFORM:
            if (r.HasAt(8, 24))
                P.SetWorldTransform(ReadXForm(r, 8));
            break;
        case EMR_MODIFYWORLDTRANSFORM:
            if (r.HasAt(8, 28))
                P.ModifyWorldTransform(ReadXForm(r, 8), r.I32LEAt(32));
            break;
        // State ([MS-EMF] 2.3.11).
        case EMR_SETBKMODE:
            if (r.I32LEAt(8) == TRANSPARENT || r.I32LEAt(8) == OPAQUE)
                P.S.BkMode = r.I32LEAt(8);
            break;
        case EMR_SETPOLYFILLMODE:
            P.S.PolyFillMode = r.I32LEAt(8) == WINDING ? WINDING : ALTERNATE;
            break;
        case EMR_SETROP2:
            if (r.I32LEAt(8) >= 1 && r.I32LEAt(8) <= 16)
                P.S.Rop2 = r.I32LEAt(8);
            break;
        case EMR_SETSTRETCHBLTMODE:
            P.S.StretchMode = r.I32LEAt(8);
            break;
        case EMR_SETTEXTALIGN:
            P.S.TextAlign = r.U32LEAt(8);
            break;
        case EMR_SETTEXTCOLOR:
            P.S.TextColor = r.U32LEAt(8) & 0xFFFFFF;
            break;
        case EMR_SETBKCOLOR:
            P.S.BkColor = r.U32LEAt(8) & 0xFFFFFF;
            break;
        case EMR_SETARCDIRECTION:
            P.S.Clockwise = r.I32LEAt(8) == 2;
            break;
        case EMR_SAVEDC:
            P.SaveDC();
            break;
        case EMR_RESTOREDC:
            P.RestoreDC(r.I32LEAt(8));
            break;
        case EMR_MOVETOEX:
            P.MoveTo(Pt32(r, 8));
            break;
        // Objects ([MS-EMF] 2.3.7, 2.3.8).
        case EMR_SELECTOBJECT: {
            const std::uint32_t ih = r.U32LEAt(8);
            if (ih & 0x80000000)
                P.SelectStockObject(ih);
            else
                P.SelectObject(ih);
            break;
        }
        case EMR_DELETEOBJECT:
            P.DeleteObject(r.U32LEAt(8));
            break;
        case EMR_CREATEPEN: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okPen;
            o.Pen.Style = r.I32LEAt(12) & 15;
            o.Pen.Width = r.I32LEAt(16);
            o.Pen.Cosmetic = r.I32LEAt(16) <= 0;
            o.Pen.Color = r.U32LEAt(24) & 0xFFFFFF;
            P.StoreObject(r.U32LEAt(8), std::move(o));
            break;
        }
        case EMR_EXTCREATEPEN: {
            // [MS-EMF] 2.3.7.9: LogPenEx after the bitmap fields.
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okPen;
            const std::uint32_t style = r.U32LEAt(28);
            o.Pen.Style = static_cast<int>(style & 15);
            o.Pen.Width = r.U32LEAt(32);
            o.Pen.Cosmetic = (style & 0x10000) == 0;
            o.Pen.FlatEnds = (style & 0xF00) != 0;
            o.Pen.Color = r.U32LEAt(40) & 0xFFFFFF;
            if (r.U32LEAt(36) == BS_NULL)
                o.Pen.Style = PS_NULL;
            P.StoreObject(r.U32LEAt(8), std::move(o));
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okBrush;
            o.Brush.Style = static_cast<int>(r.U32LEAt(12));
            o.Brush.Color = r.U32LEAt(16) & 0xFFFFFF;
            o.Brush.Hatch = static_cast<int>(r.U32LEAt(20));
            if (o.Brush.Style != BS_NULL && o.Brush.Style != BS_HATCHED)
                o.Brush.Style = BS_SOLID;
            P.StoreObject(r.U32LEAt(8), std::move(o));
            break;
        }
        case EMR_CREATEMONOBRUSH:
        case EMR_CREATEDIBPATTERNBRUSHPT: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okBrush;
            o.Brush.Style = type == EMR_CREATEMONOBRUSH ? BS_PATTERN : BS_DIBPATTERNPT;
            auto dib = std::make_shared<TDecodedDib>();
            if (RecordDib(r, 16, r.U32LEAt(12), P.S.Palette, *dib))
                o.Brush.Pattern = std::move(dib);
            else
                o.Brush.Style = BS_SOLID;
            P.StoreObject(r.U32LEAt(8), std::move(o));
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW:
            CreateFont(r);
            break;
        case EMR_CREATEPALETTE: {
            TGdiRecordObject o;
            o.Kind = TGdiRecordObject::okPalette;
            const std::uint16_t count = r.U16LEAt(14);
            if (r.HasAt(16, static_cast<std::size_t>(count) * 4))
                for (std::uint16_t i = 0; i < count; ++i)
                    o.Palette.push_back(
                        {r.U8At(16 + i * 4), r.U8At(17 + i * 4), r.U8At(18 + i * 4), r.U8At(19 + i * 4)});
            P.StoreObject(r.U32LEAt(8), std::move(o));
            break;
        }
        case EMR_SELECTPALETTE:
            if ((r.U32LEAt(8) & 0x80000000) == 0)
                P.SelectObject(r.U32LEAt(8));
            break;
        // Drawing ([MS-EMF] 2.3.5).
        case EMR_LINETO:
            P.LineTo(Pt32(r, 8));
            break;
        case EMR_POLYLINE:
        case EMR_POLYLINE16:
            P.Polyline(Points(r, 24, 28, type == EMR_POLYLINE16), false);
            break;
        case EMR_POLYLINETO:
        case EMR_POLYLINETO16:
            P.Polyline(Points(r, 24, 28, type == EMR_POLYLINETO16), true);
            break;
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIER16:
            P.PolyBezier(Points(r, 24, 28, type == EMR_POLYBEZIER16), false);
            break;
        case EMR_POLYBEZIERTO:
        case EMR_POLYBEZIERTO16:
            P.PolyBezier(Points(r, 24, 28, type == EMR_POLYBEZIERTO16), true);
            break;
        case EMR_POLYGON:
        case EMR_POLYGON16: {
            std::vector<TPointD> points = Points(r, 24, 28, type == EMR_POLYGON16);
            if (!points.empty())
                P.PolyPolygon({std::move(points)});
            break;
        }
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYLINE16:
            P.PolyPolyline(PolyPoints(r, type == EMR_POLYPOLYLINE16));
            break;
        case EMR_POLYPOLYGON:
        case EMR_POLYPOLYGON16:
            P.PolyPolygon(PolyPoints(r, type == EMR_POLYPOLYGON16));
            break;
        case EMR_POLYDRAW:
        case EMR_POLYDRAW16: {
            const bool small = type == EMR_POLYDRAW16;
            std::vector<TPointD> points = Points(r, 24, 28, small);
            const std::size_t typesAt = 28 + points.size() * (small ? 4 : 8);
            if (points.empty() || !r.HasAt(typesAt, points.size()))
                break;
            std::vector<std::uint8_t> types(r.Data() + typesAt, r.Data() + typesAt + points.size());
            P.PolyDraw(points, types);
            break;
        }
        case EMR_RECTANGLE:
            P.Rectangle(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20));
            break;
        case EMR_ROUNDRECT:
            P.RoundRect(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20), r.I32LEAt(24), r.I32LEAt(28));
            break;
        case EMR_ELLIPSE:
            P.Ellipse(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20));
            break;
        case EMR_ARC:
        case EMR_ARCTO:
        case EMR_CHORD:
        case EMR_PIE: {
            const TPlayer::TArcKind kind = type == EMR_ARC     ? TPlayer::akArc
                                           : type == EMR_ARCTO ? TPlayer::akArcTo
                                           : type == EMR_CHORD ? TPlayer::akChord
                                                               : TPlayer::akPie;
            P.Arc(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20), Pt32(r, 24), Pt32(r, 32), kind);
            break;
        }
        case EMR_ANGLEARC:
            P.AngleArc(Pt32(r, 8), r.U32LEAt(16), r.F32LEAt(20), r.F32LEAt(24));
            break;
        case EMR_SETPIXELV:
            P.SetPixel(Pt32(r, 8), r.U32LEAt(16));
            break;
        // Paths ([MS-EMF] 2.3.10).
        case EMR_BEGINPATH:
            P.BeginPath();
            break;
        case EMR_ENDPATH:
            P.EndPath();
            break;
        case EMR_CLOSEFIGURE:
            P.CloseFigure();
            break;
        case EMR_FILLPATH:
            P.FillPath();
            break;
        case EMR_STROKEPATH:
            P.StrokePath();
            break;
        case EMR_STROKEANDFILLPATH:
            P.StrokeAndFillPath();
            break;
        case EMR_SELECTCLIPPATH:
            P.SelectClipPath(r.I32LEAt(8));
            break;
        case EMR_ABORTPATH:
            P.AbortPath();
            break;
        // Clipping and regions ([MS-EMF] 2.3.2, 2.3.5).
        case EMR_INTERSECTCLIPRECT:
            P.IntersectClipRect(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20));
            break;
        case EMR_EXCLUDECLIPRECT:
            P.ExcludeClipRect(r.I32LEAt(8), r.I32LEAt(12), r.I32LEAt(16), r.I32LEAt(20));
            break;
        case EMR_OFFSETCLIPRGN:
            P.OffsetClip(r.I32LEAt(8), r.I32LEAt(12));
            break;
        case EMR_EXTSELECTCLIPRGN: {
            const std::uint32_t size = r.U32LEAt(8);
            const int mode = r.I32LEAt(12);
            if (size == 0 || !r.HasAt(16, size))
                P.SelectClipDeviceRects({}, mode, true);
            else
                P.SelectClipDeviceRects(RegionRects(r, 16, size), mode, false);
            break;
        }
        case EMR_FILLRGN: {
            const TGdiRecordObject* brush = P.Object(r.U32LEAt(28));
            TLogBrush b = brush != nullptr && brush->Kind == TGdiRecordObject::okBrush ? brush->Brush : P.S.Brush;
            if (r.U32LEAt(28) & 0x80000000) {
                TPlayer* p = &P;
                const TLogBrush saved = p->S.Brush;
                p->SelectStockObject(r.U32LEAt(28));
                b = p->S.Brush;
                p->S.Brush = saved;
            }
            P.FillRegion(RegionRects(r, 32, r.U32LEAt(24)), b);
            break;
        }
        case EMR_FRAMERGN: {
            const TGdiRecordObject* brush = P.Object(r.U32LEAt(28));
            const TLogBrush b = brush != nullptr && brush->Kind == TGdiRecordObject::okBrush ? brush->Brush : P.S.Brush;
            P.FrameRegion(RegionRects(r, 40, r.U32LEAt(24)), b, r.I32LEAt(32), r.I32LEAt(36));
            break;
        }
        case EMR_INVERTRGN:
            P.InvertRegion(RegionRects(r, 28, r.U32LEAt(24)));
            break;
        case EMR_PAINTRGN:
            P.FillRegion(RegionRects(r, 28, r.U32LEAt(24)), P.S.Brush);
            break;
        // Text and bitmaps.
        case EMR_EXTTEXTOUTW:
        case EMR_EXTTEXTOUTA:
            Text(r, type == EMR_EXTTEXTOUTW);
            break;
        case EMR_SMALLTEXTOUT:
            SmallText(r);
            break;
        case EMR_BITBLT:
        case EMR_STRETCHBLT:
        case EMR_MASKBLT:
        case EMR_PLGBLT:
        case EMR_SETDIBITSTODEVICE:
        case EMR_STRETCHDIBITS:
        case EMR_ALPHABLEND:
        case EMR_TRANSPARENTBLT:
            Blit(r, type);
            break;
        case EMR_GRADIENTFILL:
            Gradient(r);
            break;
        default:
            // Comments (EMF+ records among them: the records around them draw
            // the same picture), palette animation, colour management and
            // anything unknown are skipped.
            break;
    }
}

}  // namespace

std::string Utf16ToUtf8(const TByteReader& b, std::size_t offset, std::size_t units) {
    std::string out;
    for (std::size_t i = 0; i < units && b.HasAt(offset + i * 2, 2); ++i) {
        char32_t c = b.U16LEAt(offset + i * 2);
        if (c == 0)
            break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
            const char32_t low = b.U16LEAt(offset + (i + 1) * 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// [MS-EMF] 2.3.4.2 EMR_HEADER with the Header object of 2.2.9.
bool ReadEmfHeader(const TByteReader& emf, TEnhMetaHeader& out) {
    if (!emf.HasAt(0, 88) || emf.U32LEAt(0) != EMR_HEADER || emf.U32LEAt(40) != kEmfSignature)
        return false;
    const std::uint32_t size = emf.U32LEAt(4);
    if (size < 88 || size > emf.Size())
        return false;
    out.Bounds = {emf.I32LEAt(8), emf.I32LEAt(12), emf.I32LEAt(16), emf.I32LEAt(20)};
    out.Frame = {emf.I32LEAt(24), emf.I32LEAt(28), emf.I32LEAt(32), emf.I32LEAt(36)};
    out.Version = emf.U32LEAt(44);
    out.Bytes = emf.U32LEAt(48);
    out.Records = emf.U32LEAt(52);
    out.Handles = emf.U16LEAt(56);
    out.PaletteEntries = emf.U32LEAt(68);
    out.Device = {emf.I32LEAt(72), emf.I32LEAt(76)};
    out.Millimeters = {emf.I32LEAt(80), emf.I32LEAt(84)};
    return true;
}

bool FindEmbeddedWmf(const TByteReader& emf, TByteReader& wmf) {
    TEnhMetaHeader h;
    if (!ReadEmfHeader(emf, h))
        return false;
    const std::size_t at = emf.U32LEAt(4);
    if (!emf.HasAt(at, 36) || emf.U32LEAt(at) != EMR_COMMENT)
        return false;
    const std::uint32_t size = emf.U32LEAt(at + 4);
    if (size < 36 || !emf.HasAt(at, size))
        return false;
    if (emf.U32LEAt(at + 12) != kGdiComment || emf.U32LEAt(at + 16) != kWindowsMetafileComment)
        return false;
    const std::uint32_t length = emf.U32LEAt(at + 32);
    if (!emf.HasAt(at + 36, length) || length > size - 36)
        return false;
    wmf = emf.SubAt(at + 36, length);
    return IsWindowsMetafile(wmf);
}

TReadResult PlayEmf(HDC dc, const TByteReader& emf, const TRect& rect) {
    TEnhMetaHeader h;
    if (!ReadEmfHeader(emf, h))
        return emf.ErrorAt("not an enhanced metafile", 0);
    // A Windows metafile carried in a comment is not played: the records
    // after it draw the same picture, and they are what other readers see.
    // The frame (0.01 mm) in pixels of the reference device, fitted to rect;
    // a file without a usable frame falls back on its bounds.
    const double dx = h.Millimeters.cx > 0 ? static_cast<double>(h.Device.cx) / (h.Millimeters.cx * 100.0) : 0;
    const double dy = h.Millimeters.cy > 0 ? static_cast<double>(h.Device.cy) / (h.Millimeters.cy * 100.0) : 0;
    double fx0 = h.Frame.Left * dx, fy0 = h.Frame.Top * dy, fx1 = h.Frame.Right * dx, fy1 = h.Frame.Bottom * dy;
    if (!(fx1 - fx0 > 0) || !(fy1 - fy0 > 0) || !std::isfinite(fx1 - fx0) || !std::isfinite(fy1 - fy0)) {
        fx0 = h.Bounds.Left;
        fy0 = h.Bounds.Top;
        fx1 = h.Bounds.Right;
        fy1 = h.Bounds.Bottom;
    }
    TXForm playback;
    playback.M11 = fx1 > fx0 ? (rect.Right - rect.Left) / (fx1 - fx0) : 1;
    playback.M22 = fy1 > fy0 ? (rect.Bottom - rect.Top) / (fy1 - fy0) : 1;
    playback.Dx = rect.Left - fx0 * playback.M11;
    playback.Dy = rect.Top - fy0 * playback.M22;

    TPlayer player(dc, playback, h.Device, h.Millimeters);
    player.SetDestination(rect);
    player.SetObjectCount(std::max<std::uint32_t>(h.Handles, 1));
    TEmfPlayer emfPlayer(player);
    std::size_t at = emf.U32LEAt(4);
    while (true) {
        if (!emf.HasAt(at, 8))
            return emf.ErrorAt(at == emf.Size() ? "an enhanced metafile without its end record"
                                                : "a metafile record cut short by the end of the file",
                               at);
        const std::uint32_t type = emf.U32LEAt(at), size = emf.U32LEAt(at + 4);
        // A record that is too short or runs past the end ends the picture:
        // nothing after it can be found again.
        if (size < 8)
            return emf.ErrorAt("a metafile record shorter than its header", at);
        if (size > emf.Size() - at)
            return emf.ErrorAt("a metafile record longer than the file", at);
        if (type == EMR_EOF)
            return TReadResult::Success();
        emfPlayer.Record(type, emf.SubAt(at, size));
        at += size;
    }
}

}  // namespace Platform::Metafile
