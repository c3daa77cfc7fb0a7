#include "editing/dropcaps/DropCaps.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TwipsAndPixels.h"
#include "base/text/WideText.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "platform/ByteReader.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Heap.h"

namespace {

constexpr std::int32_t kMinSize = 2;     // half-points
constexpr std::int32_t kMaxSize = 2000;  // half-points
constexpr std::int32_t kMaxLines = DropCapMaxLines;

// The characters of paragraph p from offset from to offset to, as UTF-16:
// text bytes in code page 1252, Unicode-character controls as their unit,
// and each other control that takes a position as its character byte.
std::u16string CharsOf(const TPar& p, std::int32_t from, std::int32_t to) {
    std::u16string out;
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < p.Stream.Size && pos < to; off += e.Length) {
        ReadStreamElement(p.Stream.Data, p.Stream.Size, off, e);
        if (e.Length <= 0 || e.Truncated)
            break;
        if (!e.IsControl) {
            for (std::int32_t i = 0; i < e.Length && pos < to; ++i, ++pos)
                if (pos >= from) {
                    const char byte = static_cast<char>(p.Stream.Data[off + i]);
                    out += AnsiToWideInCodePage(std::string_view(&byte, 1), 1252);
                }
            continue;
        }
        if (!ControlTakesPosition(e.Code))
            continue;
        if (pos >= from)
            out += e.Code == fcUnicodeChar ? static_cast<char16_t>(e.Value & 0xFFFF)
                                           : static_cast<char16_t>(ControlCharCode(e.Code, e.Value));
        ++pos;
    }
    return out;
}

// A measuring context with one font selected, freed with it.
class TMeasureFont {
public:
    TMeasureFont(const std::string& face, std::int32_t charset, std::int32_t halfPoints, bool bold, bool italic)
        : Dc(Platform::CreateCompatibleDC(nullptr)) {
        Platform::TLogFont lf;
        lf.Height = HalfPointsToFontHeight(halfPoints);
        lf.Weight = bold ? 700 : 400;
        lf.Italic = italic;
        lf.Charset = static_cast<std::uint8_t>(charset);
        lf.FaceName = face;
        Font = Platform::CreateFontIndirect(lf);
        if (Dc != nullptr && Font != nullptr)
            Old = Platform::SelectFont(Dc, Font);
    }
    TMeasureFont(const TMeasureFont&) = delete;
    TMeasureFont& operator=(const TMeasureFont&) = delete;
    ~TMeasureFont() {
        if (Dc != nullptr && Old != nullptr)
            Platform::SelectFont(Dc, Old);
        if (Font != nullptr)
            Platform::DeleteFont(Font);
        if (Dc != nullptr)
            Platform::DeleteDC(Dc);
    }
    bool Good() const { return Dc != nullptr && Font != nullptr; }

    Platform::HDC Dc = nullptr;
    Platform::HFONT Font = nullptr;
    Platform::HFONT Old = nullptr;
};

struct TInk {
    double Top = 0;    // highest point above the baseline, pixels
    double Depth = 0;  // deepest point below it, pixels (0 when none)
};

TInk InkOf(const TMeasureFont& font, const std::u16string& letters) {
    TInk ink;
    std::vector<Platform::TOutlineContour> contours;
    for (char16_t ch : letters) {
        contours.clear();
        if (!Platform::GetGlyphOutlineW(font.Dc, ch, contours))
            continue;
        for (const auto& contour : contours)
            for (const auto& point : contour) {
                ink.Top = std::max(ink.Top, point.Y);
                ink.Depth = std::max(ink.Depth, -point.Y);
            }
    }
    return ink;
}

// The drop cap of paragraph par when its start mark opens the paragraph.
TField* CapOf(TDoc& doc, std::int32_t par) {
    return par >= 0 && par < doc.ParCount() ? doc.DropCapOfPar(par) : nullptr;
}

bool InMainText(TDoc& doc, std::int32_t par) {
    return doc.StoryOfPar(par) == stMain && doc.Par(par)->Format.InTable == 0;
}

}  // namespace

const TDropCapDescription* DropCapSettings(const TField* field) {
    if (field == nullptr || field->Kind != fkDropCap || field->Object == nullptr)
        return nullptr;
    return static_cast<const TDropCapDescription*>(field->Object);
}

std::int32_t DropCapLineHeight(const TDropCapDescription& settings) {
    return static_cast<std::int32_t>(LoadU32LE(settings.Reserved));
}

void SetDropCapLineHeight(TDropCapDescription& settings, std::int32_t height) {
    StoreU32LE(settings.Reserved, static_cast<std::uint32_t>(height));
}

bool FindDropCapSize(TDoc& doc,
                     std::int32_t par,
                     const std::u16string& letters,
                     const TCharFormat& letterFormat,
                     const TCharFormat& bodyFormat,
                     std::int32_t lines,
                     TDropCapSize& result) {
    if (FontManager == nullptr || par < 0 || par >= doc.ParCount() || letters.empty())
        return false;
    auto faceOf = [](const TCharFormat& f, std::string& face, std::int32_t& charset) {
        const std::int32_t index = f[caFont];
        if (index < 0 || index >= FontManager->RegFonts.Count)
            return false;
        const TRegFont* reg = FontManager->RegFont(index);
        face = reg->GetName();
        charset = reg->Charset;
        return true;
    };
    std::string face;
    std::int32_t charset = 0;
    std::string bodyFace;
    std::int32_t bodyCharset = 0;
    if (!faceOf(letterFormat, face, charset) || !faceOf(bodyFormat, bodyFace, bodyCharset))
        return false;
    const bool bold = letterFormat[caBold] > 0;
    const bool italic = letterFormat[caItalic] > 0;
    std::int32_t size = bodyFormat[caSize];
    if (size == UnsetValue || size < kMinSize)
        size = 24;

    // The height of the paragraph's first line at the body's size.
    double lineHeight = 0;
    {
        TMeasureFont body(bodyFace, bodyCharset, size, bodyFormat[caBold] > 0, bodyFormat[caItalic] > 0);
        Platform::TTextMetrics tm;
        if (!body.Good() || !Platform::GetTextMetrics(body.Dc, tm))
            return false;
        const double fontHeight = tm.Height;
        const TParFormat& f = doc.Par(par)->Format;
        const double spacing = TwipsToPixels(std::abs(static_cast<std::int32_t>(f.LineSpacing)));
        if (f.LineSpacingMultiple == 1)
            lineHeight = std::max(1.0, fontHeight * f.LineSpacing / 240.0);
        else if (f.LineSpacing < 0)
            lineHeight = spacing;
        else
            lineHeight = std::max(fontHeight, spacing);
    }
    lines = std::clamp(lines, 1, kMaxLines);
    const double target = 0.95 * lineHeight * lines;

    // The ink grows with the size, so the largest size that stays below the
    // target is found by halving the range instead of trying every size.
    auto inkAt = [&](std::int32_t s, TInk& ink) {
        TMeasureFont font(face, charset, s, bold, italic);
        if (!font.Good())
            return false;
        ink = InkOf(font, letters);
        return true;
    };
    TInk ink;
    if (!inkAt(kMinSize, ink))
        return false;
    std::int32_t low = kMinSize;  // below the target (or the smallest size)
    TInk lowInk = ink;
    std::int32_t high = kMaxSize + 1;
    while (high - low > 1) {
        const std::int32_t mid = low + (high - low) / 2;
        if (!inkAt(mid, ink))
            return false;
        if (ink.Top + ink.Depth >= target) {
            high = mid;
        } else {
            low = mid;
            lowInk = ink;
        }
    }
    result.Size = low;
    // The painter puts a drop cap's baseline at 80% of its box; the offset
    // lifts the letter by what its descent takes beyond the other 20%, so
    // that its lowest ink stays on the last line it spans. The outlines are
    // in pixels and the offset in points.
    const double px = lowInk.Depth - 0.2 * target;
    const double twips = px * 1440.0 / ScreenPixelsPerInch();
    result.Offset = static_cast<std::int32_t>(std::lround(twips / 20.0));
    return true;
}

void RemoveDropCapKeepFormat(TDoc& doc, TField* cap) {
    // The letters' size, font and offset are direct formatting in the
    // stream already, so taking the field away leaves their look as it is.
    if (cap != nullptr)
        doc.DeleteField(cap);
}

bool MakeDropCap(TDoc& doc, std::int32_t par, const TDropCapDescription& s, const std::string& fontName) {
    if (par < 0 || par >= doc.ParCount() || !InMainText(doc, par))
        return false;
    TPar& p = *doc.Par(par);
    TTextPos start;
    MakeTextPos(par, 0, start);
    TCharFormat format;
    doc.FormatAtPos(start, format);
    if (!fontName.empty() && FontManager != nullptr) {
        std::int32_t charset = 0;
        if (format[caFont] >= 0 && format[caFont] < FontManager->RegFonts.Count)
            charset = FontManager->RegFont(format[caFont])->Charset;
        const std::int32_t font = FontManager->RegisterFont(fontName, charset, false);
        if (font != UnsetValue && font >= 0)
            format[caFont] = font;
    }

    TDropCapDescription settings;
    std::int32_t letters = 1;
    // The lines the letter spans are measured in the body's look, which
    // the letters of an existing drop cap no longer show.
    TCharFormat body = format;
    if (TField* old = CapOf(doc, par)) {
        TFragment range;
        if (doc.FieldRange(old, range) && range.End.Par == par) {
            letters = std::max(1, range.End.Offset);
            if (range.End.Offset < p.CharCount() - 1)
                doc.FormatAtPos(range.End, body);
        }
        if (const TDropCapDescription* had = DropCapSettings(old))
            settings = *had;
        RemoveDropCapKeepFormat(doc, old);
    } else {
        // A new drop cap starts on a letter: a control or blank character
        // (other than a Unicode character) cannot be one.
        if (p.CharCount() < 2)
            return false;
        const std::uint8_t first = p.Chars.Data[0];
        if (first <= 32 && first != chUnicode)
            return false;
    }
    if (s.Position != DropCapKeepByte)
        settings.Position = s.Position;
    if (s.Lines != DropCapKeepByte)
        settings.Lines = static_cast<std::uint8_t>(std::clamp<std::int32_t>(s.Lines, 1, kMaxLines));
    if (s.Distance != DropCapKeepDistance)
        settings.Distance = s.Distance;
    std::fill(std::begin(settings.Reserved), std::end(settings.Reserved), std::uint8_t{0});
    letters = std::min(letters, p.CharCount() - 1);
    if (letters < 1)
        return false;

    // The letters get their look before the field's marks go in, so that
    // the marks are the last step and redo puts them in the same places.
    TTextPos end;
    MakeTextPos(par, letters, end);
    TDropCapSize size;
    TCharFormat look = UnsetCharFormat;
    look[caFont] = format[caFont];
    if (FindDropCapSize(doc, par, CharsOf(*doc.Par(par), 0, letters), format, body, settings.Lines, size)) {
        look[caSize] = size.Size;
        look[caOffset] = size.Offset;
    }
    ApplyDropCapLook(doc, TFragment{start, end}, look);
    InsertDropCapField(doc, par, letters, settings);
    return true;
}

TField* NewDropCapField(const TDropCapDescription& settings) {
    auto* cap = new TField;
    cap->Kind = fkDropCap;
    auto* record = static_cast<TDropCapDescription*>(Platform::HeapAlloc(sizeof(TDropCapDescription)));
    *record = settings;
    cap->Object = record;
    return cap;
}

void InsertDropCapField(TDoc& doc, std::int32_t par, std::int32_t letters, const TDropCapDescription& settings) {
    TField* cap = NewDropCapField(settings);
    TTextPos start;
    TTextPos end;
    MakeTextPos(par, 0, start);
    MakeTextPos(par, letters, end);
    (new TInsDelFieldOperation(&doc, fmBoth, cap, start, 0, end, 1 << 16))->Execute();
}

void ApplyDropCapLook(TDoc& doc, const TFragment& range, const TCharFormat& wanted) {
    TCharFormat now;
    doc.FormatAtPos(range.Start, now);
    TCharFormat look = UnsetCharFormat;
    bool any = false;
    for (int attr = 0; attr < CharAttrCount; ++attr)
        if (wanted[attr] != UnsetValue && wanted[attr] != now[attr]) {
            look[attr] = wanted[attr];
            any = true;
        }
    if (any && !FragmentIsEmpty(range))
        doc.FormatFont(nullptr, &range, look, 0);
}

void ValidateDropCaps(TDoc& doc, std::int32_t par) {
    if (par < 0 || par >= doc.ParCount())
        return;
    const std::int32_t parLength = doc.Par(par)->CharCount() - 1;
    std::vector<TField*> doomed;
    bool seen = false;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        TField* f = doc.Fields.At<TField>(i);
        TFragment range;
        if (f->Kind != fkDropCap || !doc.FieldRange(f, range))
            continue;
        if (range.Start.Par > par || range.End.Par < par)
            continue;
        bool bad = range.Start.Par != range.End.Par || range.Start.Offset != 0 || range.End.Offset >= parLength ||
                   !InMainText(doc, range.Start.Par) || seen;
        if (!bad) {
            const TPar& p = *doc.Par(par);
            for (std::int32_t o = range.Start.Offset; o < range.End.Offset && o < p.Chars.Size; ++o) {
                const std::uint8_t ch = p.Chars.Data[o];
                if (ch < 9 || (ch >= 10 && ch <= 13))
                    bad = true;
            }
        }
        if (bad)
            doomed.push_back(f);
        else
            seen = true;
    }
    for (TField* f : doomed)
        doc.DeleteField(f);
}
