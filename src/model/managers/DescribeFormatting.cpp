#include "model/managers/DescribeFormatting.h"

#include <cstdio>
#include <cstdlib>

#include "base/core/ObjectHandles.h"
#include "base/text/MeasurementUnits.h"
#include "base/text/NumberFormats.h"
#include "base/text/TextCase.h"
#include "base/text/UnderlineStyles.h"
#include "model/formats/BorderSets.h"
#include "model/managers/TAutoList.h"
#include "platform/CodePages.h"

namespace {

const TFormatNames* g_names = nullptr;

constexpr const char* kNoBreakSpace = "\xC2\xA0";  // U+00A0 in UTF-8
constexpr std::int32_t kAnyHighlight = static_cast<std::int32_t>(0xFE000000u);

std::string NonBreaking(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ')
            out += kNoBreakSpace;
        else
            out += c;
    }
    return out;
}

std::string Lower(std::string_view utf8) {
    return Platform::Utf16ToUtf8(LowerCaseWideLocale(Platform::Utf8ToUtf16(utf8)));
}

class TDescription {
public:
    TDescription(std::string_view separator, std::uint32_t flags) : Separator(separator), Flags(flags) {}

    void Add(const std::string& phrase) {
        if (!Text.empty())
            Text += Separator;
        Text += phrase;
    }
    // A value of a phrase: with dfNonBreaking its spaces do not break.
    std::string Value(const std::string& text) const { return Flags & dfNonBreaking ? NonBreaking(text) : text; }
    std::string PointSuffix() const { return Flags & dfNonBreaking ? std::string(kNoBreakSpace) + "pt" : " pt"; }
    std::string Length(std::int32_t twips) const { return Value(FormatTwipsInUnit(twips)); }
    std::string Points(std::int32_t twips) const {
        return FormatGeneralNumber(TwipsToPointHundredths(twips) / 100.0) + PointSuffix();
    }
    // A colour as the viewer of samples wants it, or its plain name.
    std::string Color(std::int32_t color) const {
        const std::string name = FormatNames().ColorName(color);
        if ((Flags & dfColorSamples) && color != AutoColor) {
            std::string sample = "\x13";
            return sample.append(std::to_string(color)).append("\x13 ").append(NonBreaking(name));
        }
        return name;
    }

    std::string Text;
    std::string_view Separator;
    std::uint32_t Flags;
};

bool IsSet(std::int32_t value) {
    return value != UnsetValue;
}

void DescribeFlag(TDescription& d, std::int32_t value, const char* on, const char* off) {
    if (IsSet(value))
        d.Add(value != 0 ? on : off);
}

void DescribeChar(TDescription& d, TCharFormat f) {
    if (d.Flags & dfDefaultFontAndSize) {
        if (!IsSet(f[caFont]))
            f[caFont] = DefaultCharFormat[caFont];
        if (!IsSet(f[caSize]))
            f[caSize] = DefaultCharFormat[caSize];
    }
    if (IsSet(f[caFont]))
        d.Add("font: " + FormatNames().FontName(f[caFont]));
    if (IsSet(f[caSize]))
        d.Add("font size: " + FormatGeneralNumber(f[caSize] / 2.0) + d.PointSuffix());
    DescribeFlag(d, f[caBold], "bold", "not bold");
    DescribeFlag(d, f[caItalic], "italic", "not italic");
    if (IsSet(f[caStrike])) {
        if (f[caStrike] == 1)
            d.Add("strike");
        else if (f[caDoubleStrike] == 0 || (d.Flags & dfNegatives))
            d.Add("not strike");
    }
    if (IsSet(f[caDoubleStrike])) {
        if (f[caDoubleStrike] == 1)
            d.Add("double strike");
        else if (d.Flags & dfNegatives)
            d.Add("not double strike");
    }
    if (IsSet(f[caUnderline])) {
        // A code outside the table still tells that the text is underlined.
        const int index = IndexOfUnderlineStyle(f[caUnderline]);
        d.Add(index >= 0 ? UnderlineStyles[index].Name : "underline");
    }
    if (IsSet(f[caUnderlineColor]))
        d.Add(Lower("underline color: " + d.Color(f[caUnderlineColor])));
    DescribeFlag(d, f[caSmallCaps], "small caps", "no small caps");
    DescribeFlag(d, f[caAllCaps], "all caps", "no all caps");
    DescribeFlag(d, f[caShadow], "shadow", "no shadow");
    DescribeFlag(d, f[caOutline], "outline", "no outline");
    DescribeFlag(d, f[caEmboss], "emboss", "no emboss");
    DescribeFlag(d, f[caEngrave], "engrave", "no engrave");
    if (IsSet(f[caColor]))
        d.Add(Lower("font color: " + d.Color(f[caColor])));
    if (IsSet(f[caHighlight])) {
        const std::int32_t h = f[caHighlight];
        d.Add("highlight color: " + (h == kAnyHighlight ? std::string("(Any)")
                                     : h == AutoColor   ? std::string("(None)")
                                                        : Lower(d.Color(h))));
    }
    if (IsSet(f[caScript]))
        d.Add(f[caScript] == 1 ? "superscript" : f[caScript] == 2 ? "subscript" : "no scripts");
    if (IsSet(f[caScale]))
        d.Add(f[caScale] == 100 ? std::string("no character scaling")
                                : "character scale: " + std::to_string(f[caScale]) + "%");
    if (IsSet(f[caSpacing]))
        d.Add(f[caSpacing] == 0 ? std::string("normal character spacing")
                                : "character spacing: " + d.Points(f[caSpacing]));
    if (IsSet(f[caOffset])) {
        const std::int32_t offset = f[caOffset];
        if (offset == 0)
            d.Add("no vertical offset");
        else
            d.Add(std::string(offset < 0 ? "vertical offset down: " : "vertical offset up: ") +
                  std::to_string(std::llabs(offset)) + d.PointSuffix());
    }
    if (IsSet(f[caKerning]))
        d.Add(f[caKerning] == 0 ? std::string("no kerning")
                                : "kerning: " + std::to_string(f[caKerning] / 2) + d.PointSuffix() + " and greater");
}

std::string DescribeBorder(const TBorder& border) {
    if (border.Type == NoBorderType)
        return "no border";
    return BorderWidthText(border.Width) + " pt " + FormatNames().ColorName(border.Color);
}

void DescribePar(TDescription& d, const TParFormat& p) {
    const std::int32_t first = GetParProp(p, ppFirstIndent);
    if (IsSet(first)) {
        if (first == 0)
            d.Add("no first line indent/outdent");
        else
            d.Add(std::string(first < 0 ? "first line outdent: " : "first line indent: ") + d.Length(std::abs(first)));
    }
    const std::int32_t left = GetParProp(p, ppLeftIndent);
    if (IsSet(left))
        d.Add("left indent: " + d.Length(left + (IsSet(first) && first < 0 ? first : 0)));
    const std::int32_t spacing = GetParProp(p, ppLineSpacing);
    const std::int32_t multiple = GetParProp(p, ppLineSpacingMultiple);
    if (IsSet(spacing) && IsSet(multiple)) {
        if (multiple == 0) {
            d.Add(std::string(spacing <= 0 ? "line spacing exactly: " : "line spacing at least: ") +
                  d.Points(std::abs(spacing)));
        } else if (spacing == 240) {
            d.Add("single line spacing");
        } else if (spacing == 360) {
            d.Add("1.5 lines spacing");
        } else if (spacing == 480) {
            d.Add("double line spacing");
        } else {
            d.Add("single line spacing multiple: " + FormatGeneralNumber(spacing / 240.0));
        }
    }
    const std::int32_t right = GetParProp(p, ppRightIndent);
    if (IsSet(right))
        d.Add("right indent: " + d.Length(right));
    const std::int32_t alignment = GetParProp(p, ppAlignment);
    if (IsSet(alignment)) {
        static const char* const names[] = {"left alignment", "centered alignment", "right alignment"};
        d.Add(alignment >= 0 && alignment <= 2 ? names[alignment] : "justified alignment");
    }
    DescribeFlag(d, GetParProp(p, ppKeepWithNext), "keep with next paragraph", "do not keep with next paragraph");
    DescribeFlag(d, GetParProp(p, ppKeepTogether), "keep paragraph lines together",
                 "do not keep paragraph lines together");
    DescribeFlag(d, GetParProp(p, ppPageBreakBefore), "page break before", "no page break before");
    DescribeFlag(d, GetParProp(p, ppWidowControl), "widow/orphan control", "no widow/orphan control");
    DescribeFlag(d, GetParProp(p, ppNoHyphenation), "do not hyphenate", "\"do not hyphenate\" turned off");
    for (int prop : {ppSpaceBefore, ppSpaceAfter}) {
        const std::int32_t space = GetParProp(p, prop);
        if (IsSet(space))
            d.Add(std::string(prop == ppSpaceBefore ? "spacing before: " : "spacing after: ") +
                  (space == -20 ? std::string("Auto") : d.Points(space)));
    }
    DescribeFlag(d, GetParProp(p, ppContextualSpacing), "don't add space between paragraphs of the same style",
                 "\"don't add space between paragraphs of the same style\" turned off");
    DescribeFlag(d, GetParProp(p, ppSuppressLineNumbers), "suppress line numbers", "don't suppress line numbers");
    const std::int32_t outline = GetParProp(p, ppOutlineLevel);
    if (IsSet(outline))
        d.Add("outline level: " + (outline == 9 ? std::string("body text") : std::to_string(outline + 1)));
    const std::int32_t tabs = GetParProp(p, ppTabs);
    if (IsSet(tabs)) {
        const std::vector<std::uint32_t> stops =
            tabs == 0 ? std::vector<std::uint32_t>{} : FormatNames().TabStops(tabs);
        if (tabs == 0 || stops.empty()) {
            if (d.Flags & dfNegatives)
                d.Add("no tab stops");
        } else {
            static const char* const kinds[] = {"", " centered", " right", " decimal", " bar"};
            std::string list;
            for (std::uint32_t stop : stops) {
                if (!list.empty())
                    list += ", ";
                const std::uint32_t kind = (stop >> 24) & 15;
                list += d.Length(static_cast<std::int32_t>(stop & 0xFFFFFF)) + (kind <= 4 ? kinds[kind] : "");
            }
            d.Add("tab stops: " + list);
        }
    }
    const std::int32_t listHandle = GetParProp(p, ppList);
    if (IsSet(listHandle) && listHandle != 0) {
        if (const TAutoList* list = HandleTo<TAutoList>(static_cast<TObjectHandle>(listHandle))) {
            const int kind = list->Kind();
            const std::int32_t level = GetParProp(p, ppListLevel);
            if (kind == 0)
                d.Add("simple bulleted list");
            else if (kind == 1)
                d.Add("simple numbered list");
            else
                d.Add("outline list (level " + std::to_string((IsSet(level) ? level : 0) + 1) + ")");
        }
    }
    const std::int32_t borders = GetParProp(p, ppBorders);
    if (IsSet(borders)) {
        if (borders == 0 || borders >= BorderSetCount()) {
            d.Add("no paragraph borders");
        } else {
            const TBorderSet& set = BorderSetAt(borders);
            d.Add("paragraph borders: left - " + DescribeBorder(set.Borders[bsLeft]) + ", top - " +
                  DescribeBorder(set.Borders[bsTop]) + ", right - " + DescribeBorder(set.Borders[bsRight]) +
                  ", bottom - " + DescribeBorder(set.Borders[bsBottom]) + ", inside - " +
                  DescribeBorder(set.Borders[bsInside]));
        }
    }
    const std::int32_t shading = GetParProp(p, ppShading);
    if (IsSet(shading))
        d.Add(shading < 0 ? std::string("no paragraph shading")
                          : "paragraph shading: " + FormatNames().ColorName(shading));
}

}  // namespace

std::string TFormatNames::FontName(std::int32_t font) const {
    std::string name = "#";
    return name.append(std::to_string(font));
}

std::string TFormatNames::ColorName(std::int32_t color) const {
    if (color == AutoColor)
        return "Auto";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "RGB(%d,%d,%d)", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    return buffer;
}

std::vector<std::uint32_t> TFormatNames::TabStops(std::int32_t tabTable) const {
    return {};
}

const TFormatNames& FormatNames() {
    static const TFormatNames defaults;
    return g_names ? *g_names : defaults;
}

void SetFormatNames(const TFormatNames* names) {
    g_names = names;
}

std::string DescribeFormatting(const TCharFormat& charFormat,
                               const TParFormat& parFormat,
                               std::string_view separator,
                               std::uint32_t flags) {
    TDescription d(separator, flags);
    DescribeChar(d, charFormat);
    DescribePar(d, parFormat);
    return d.Text;
}
