// Logical fonts and the measurements made on them.

#include "platform/cairo/GdiObjects.h"

#include <cairo-ft.h>
#include FT_OUTLINE_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/ByteReader.h"
#include "platform/CodePages.h"

namespace Platform {
namespace {

std::int32_t Round(double v) {
    return static_cast<std::int32_t>(std::lround(v));
}

}  // namespace

TFontObject::TFontObject(const TLogFont& logFont) : Log(logFont) {
    if (Log.FaceName.size() > 31)
        Log.FaceName.resize(31);
    TResolvedFace resolved = ResolveFace(Log);
    Face = resolved.Face;
    SelectedFace = resolved.FaceName;
    SynthBold = resolved.SynthBold;
    SynthItalic = resolved.SynthItalic;
    if (Face != nullptr && !Face->Load())
        Face = nullptr;

    const double upem = Face != nullptr ? Face->UnitsPerEm : 2048;
    const double cell = Face != nullptr ? Face->WinAscent + Face->WinDescent : upem * 1.15;
    if (Log.Height < 0)
        Em = -static_cast<double>(Log.Height);
    else if (Log.Height > 0)
        Em = Log.Height * upem / cell;
    else
        Em = 16 * upem / cell;
    XEm = Em;
    if (Log.Width > 0 && Face != nullptr && Face->AvgCharWidth > 0)
        XEm = Em * Log.Width / (Face->AvgCharWidth * Em / upem);
    BoldOffset = SynthBold ? std::max(1, Round(Em / 32)) : 0;

    // The character set the font works in: a symbol face is always symbol;
    // the default set is the user's ANSI one.
    std::uint8_t charset = Log.Charset;
    if (Face != nullptr && Face->Symbol)
        charset = SYMBOL_CHARSET;
    else if (charset == DEFAULT_CHARSET) {
        const int cs = CodePageToCharset(CharsetToCodePage(DEFAULT_CHARSET));
        charset = static_cast<std::uint8_t>(cs >= 0 ? cs : ANSI_CHARSET);
    }
    CodePage = CharsetToCodePage(charset);
    if (CodePage == 0)
        CodePage = 1252;
    IsSingleByte = CodePage == 42 || IsSingleByteCodePage(CodePage);
    for (int b = 0; b < 256; ++b)
        if (CodePage == 42)
            ByteChars[b] = static_cast<char32_t>(0xF000 + b);
        else if (IsSingleByte)
            ByteChars[b] = ByteToWide(CodePage, static_cast<unsigned char>(b));
        else
            ByteChars[b] = static_cast<char32_t>(b);

    TTextMetrics& m = Metrics;
    if (Face != nullptr) {
        const double ys = Em / upem, xs = XEm / upem;
        // The ascent rounds up so that accents above capitals stay inside the cell.
        m.Ascent = static_cast<std::int32_t>(std::ceil(Face->WinAscent * ys - 1e-6));
        m.Descent = Round(Face->WinDescent * ys);
        m.Height = m.Ascent + m.Descent;
        m.InternalLeading = std::max(0, m.Height - Round(Em));
        const int hheaHeight = Face->HheaAscender - Face->HheaDescender + Face->LineGap;
        m.ExternalLeading = std::max(0, Round((hheaHeight - (Face->WinAscent + Face->WinDescent)) * ys));
        m.AveCharWidth = std::max(1, Round(Face->AvgCharWidth * xs));
        m.MaxCharWidth = std::max(m.AveCharWidth, Round(Face->MaxAdvance * xs)) + BoldOffset;
        m.FirstChar = Face->FirstChar;
        m.LastChar = Face->LastChar;
        UnderlineTop = std::max(1, Round(-Face->UnderlinePosition * ys));
        UnderlineSize = std::max(1, Round(Face->UnderlineThickness * ys));
        StrikeoutTop = Round(Face->StrikeoutPosition * ys);
        StrikeoutSize = std::max(1, Round(Face->StrikeoutSize * ys));
        m.PitchAndFamily = static_cast<std::uint8_t>((Face->Mono ? 0 : 1) | 4 | 2);  // variable pitch, TrueType, vector
    } else {
        m.Ascent = Round(Em * 0.8);
        m.Descent = Round(Em * 0.2);
        m.Height = m.Ascent + m.Descent;
        m.AveCharWidth = std::max(1, Round(XEm / 2));
        m.MaxCharWidth = m.AveCharWidth;
    }
    m.Weight = Log.Weight <= 0 ? 400 : Log.Weight;
    m.Italic = Log.Italic;
    m.Underlined = Log.Underline;
    m.StruckOut = Log.StrikeOut;
    m.Charset = charset;
    m.Overhang = 0;
    m.DefaultChar = 0x1F;
    m.BreakChar = 0x20;
}

TFontObject::~TFontObject() {
    if (Scaled != nullptr)
        cairo_scaled_font_destroy(Scaled);
}

char32_t TFontObject::ByteToChar(unsigned char byte) const {
    return ByteChars[byte];
}

std::u32string TFontObject::DecodeBytes(std::string_view text) const {
    std::u32string out;
    if (SingleByte()) {
        out.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            out[i] = ByteChars[static_cast<unsigned char>(text[i])];
        return out;
    }
    const std::u16string wide = BytesToWide(CodePage, text);
    out.reserve(wide.size());
    for (char16_t c : wide)
        out.push_back(c);
    return out;
}

TFontObject::TGlyph TFontObject::Compute(char32_t ch) {
    TGlyph g;
    if (Face == nullptr)
        return g;
    g.Index = Face->GlyphIndex(ch);
    g.Advance = Round(Face->AdvanceUnits(g.Index) * XEm / Face->UnitsPerEm);
    if (g.Advance > 0 || ch == 0x20)
        g.Advance += BoldOffset;
    return g;
}

TFontObject::TGlyph TFontObject::Glyph(char32_t ch) {
    if (ch < 0x10000) {
        auto& page = BmpPages[ch >> 8];
        if (!page) {
            page = std::make_unique<std::array<TGlyph, 256>>();
            const char32_t base = ch & ~0xFFu;
            for (char32_t c = 0; c < 256; ++c)
                (*page)[c] = Compute(base + c);
        }
        return (*page)[ch & 0xFF];
    }
    auto it = Astral.find(ch);
    if (it != Astral.end())
        return it->second;
    return Astral[ch] = Compute(ch);
}

cairo_scaled_font_t* TFontObject::ScaledFont() {
    if (Scaled != nullptr || Face == nullptr || Face->CairoFace == nullptr)
        return Scaled;
    cairo_matrix_t fontMatrix, ctm;
    cairo_matrix_init(&fontMatrix, XEm, 0, SynthItalic ? -0.2 * Em : 0, Em, 0, 0);
    cairo_matrix_init_identity(&ctm);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    Scaled = cairo_scaled_font_create(Face->CairoFace, &fontMatrix, &ctm, options);
    cairo_font_options_destroy(options);
    if (cairo_scaled_font_status(Scaled) != CAIRO_STATUS_SUCCESS) {
        cairo_scaled_font_destroy(Scaled);
        Scaled = nullptr;
    }
    return Scaled;
}

HFONT CreateFontIndirect(const TLogFont& logFont) {
    return new TFontObject(logFont);
}

void DeleteFont(HFONT font) {
    if (font != nullptr)
        font->Release();
}

bool GetLogFont(HFONT font, TLogFont& out) {
    if (font == nullptr)
        return false;
    out = font->Log;
    return true;
}

// ---------------------------------------------------------------------------
// Queries on the selected font

bool GetTextMetrics(HDC dc, TTextMetrics& out) {
    if (dc == nullptr)
        return false;
    out = dc->FontOrStock()->Metrics;
    return true;
}

std::string GetTextFace(HDC dc) {
    return dc == nullptr ? std::string() : dc->FontOrStock()->SelectedFace;
}

bool GetCharWidths(HDC dc, std::uint32_t first, std::uint32_t last, std::int32_t* widths) {
    if (dc == nullptr || widths == nullptr || last < first)
        return false;
    TFontObject* font = dc->FontOrStock();
    if (font->Face == nullptr)
        return false;
    for (std::uint32_t c = first; c <= last; ++c) {
        const char32_t ch = (c < 256 && font->SingleByte()) ? font->ByteToChar(static_cast<unsigned char>(c)) : c;
        widths[c - first] = font->Glyph(ch).Advance;
    }
    return true;
}

std::int32_t GetCharWidthW(HDC dc, char16_t ch) {
    if (dc == nullptr || (ch >= 0xD800 && ch <= 0xDFFF))
        return 0;
    return dc->FontOrStock()->Glyph(ch).Advance;
}

TSize GetTextExtent(HDC dc, std::string_view text) {
    TSize size;
    if (dc == nullptr)
        return size;
    TFontObject* font = dc->FontOrStock();
    if (font->SingleByte()) {
        for (unsigned char b : text)
            size.cx += font->Glyph(font->ByteToChar(b)).Advance;
    } else {
        for (char32_t c : font->DecodeBytes(text))
            size.cx += font->Glyph(c).Advance;
    }
    size.cy = font->Metrics.Height;
    return size;
}

TSize GetTextExtentW(HDC dc, std::u16string_view text) {
    TSize size;
    if (dc == nullptr)
        return size;
    TFontObject* font = dc->FontOrStock();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        size.cx += font->Glyph(c).Advance;
    }
    size.cy = font->Metrics.Height;
    return size;
}

// Kerning pairs from the font's 'kern' table, the format-0 horizontal
// subtables of its version-0 header (OpenType specification, 'kern').
// Windows reads its pairs from the same table, so fonts that kern only
// through GPOS have none here either.
std::vector<TKerningPair> GetKerningPairs(HDC dc) {
    std::vector<TKerningPair> pairs;
    if (dc == nullptr)
        return pairs;
    TFontObject* font = dc->FontOrStock();
    // The table header (version, count), each subtable's header (version,
    // length, coverage), the format-0 header before the pairs, one pair.
    constexpr std::size_t kTableHeaderSize = 4;
    constexpr std::size_t kSubtableHeaderSize = 6;
    constexpr std::size_t kFormat0HeaderSize = 8;
    constexpr std::size_t kPairSize = 6;
    // Coverage: horizontal, neither minimum values nor cross-stream, format
    // (the high byte) 0.
    constexpr std::uint16_t kHorizontal = 0x1, kMinimumOrCrossStream = 0x6;
    std::vector<std::uint8_t> kern;
    if (font->Face == nullptr || !GetFontData(dc, TTAG_kern, kern))
        return pairs;
    const TByteReader table(kern.data(), kern.size());
    if (!table.HasAt(0, kTableHeaderSize) || table.U16BEAt(0) != 0)
        return pairs;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::int32_t> byGlyph;
    const std::size_t tables = table.U16BEAt(2);
    std::size_t at = kTableHeaderSize;
    for (std::size_t t = 0; t < tables && table.HasAt(at, kSubtableHeaderSize); ++t) {
        const std::size_t length = table.U16BEAt(at + 2);
        const std::uint16_t coverage = table.U16BEAt(at + 4);
        const bool usable =
            (coverage >> 8) == 0 && (coverage & kHorizontal) != 0 && (coverage & kMinimumOrCrossStream) == 0;
        if (usable && table.HasAt(at, kSubtableHeaderSize + kFormat0HeaderSize)) {
            const std::size_t n = table.U16BEAt(at + kSubtableHeaderSize);
            const std::size_t first = at + kSubtableHeaderSize + kFormat0HeaderSize;
            for (std::size_t i = 0; i < n; ++i) {
                const std::size_t p = first + i * kPairSize;
                if (!table.HasAt(p, kPairSize))
                    break;
                byGlyph[{table.U16BEAt(p), table.U16BEAt(p + 2)}] += table.I16BEAt(p + 4);
            }
        }
        if (length < kSubtableHeaderSize)
            break;
        at += length;
    }
    // Characters of each glyph: the 256 codes of a single-byte character
    // set, else the font's Unicode characters of the Basic Multilingual Plane.
    std::multimap<std::uint32_t, std::uint16_t> codesOf;
    if (font->SingleByte()) {
        for (int b = 0; b < 256; ++b) {
            const std::uint32_t g = font->Glyph(font->ByteToChar(static_cast<unsigned char>(b))).Index;
            if (g != 0)
                codesOf.emplace(g, static_cast<std::uint16_t>(b));
        }
    } else {
        FT_Face face = font->Face->Face;
        FT_UInt g = 0;
        for (FT_ULong c = FT_Get_First_Char(face, &g); g != 0; c = FT_Get_Next_Char(face, c, &g))
            if (c < 0x10000)
                codesOf.emplace(g, static_cast<std::uint16_t>(c));
    }
    const double scale = font->XEm / font->Face->UnitsPerEm;
    for (const auto& [glyphs, value] : byGlyph) {
        const std::int32_t amount = static_cast<std::int32_t>(std::lround(value * scale));
        if (amount == 0)
            continue;
        auto [f0, f1] = codesOf.equal_range(glyphs.first);
        auto [s0, s1] = codesOf.equal_range(glyphs.second);
        for (auto f = f0; f != f1; ++f)
            for (auto s = s0; s != s1; ++s)
                pairs.push_back({f->second, s->second, amount});
    }
    std::sort(pairs.begin(), pairs.end(), [](const TKerningPair& a, const TKerningPair& b) {
        return a.First != b.First ? a.First < b.First : a.Second < b.Second;
    });
    return pairs;
}

namespace {

// Loads the glyph of ch into the query face at the font's size, unhinted,
// with the synthetic styles applied.
FT_GlyphSlot LoadOutline(TFontObject* font, char32_t ch) {
    if (font->Face == nullptr)
        return nullptr;
    FT_Face face = font->Face->Face;
    if (FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(font->XEm * 64), static_cast<FT_F26Dot6>(font->Em * 64), 72,
                         72) != 0)
        return nullptr;
    const std::uint32_t g = font->Glyph(ch).Index;
    if (FT_Load_Glyph(face, g, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return nullptr;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return slot;
    if (font->SynthItalic) {
        FT_Matrix shear{0x10000, 0x3333, 0, 0x10000};  // x += 0.2 y
        FT_Outline_Transform(&slot->outline, &shear);
    }
    if (font->SynthBold)
        FT_Outline_Embolden(&slot->outline, font->BoldOffset * 64);
    return slot;
}

}  // namespace

bool GetGlyphMetricsW(HDC dc, char32_t ch, TGlyphMetrics& out) {
    if (dc == nullptr)
        return false;
    TFontObject* font = dc->FontOrStock();
    FT_GlyphSlot slot = LoadOutline(font, ch);
    if (slot == nullptr)
        return false;
    FT_BBox box{};
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Get_CBox(&slot->outline, &box);
    const auto floor64 = [](FT_Pos v) { return static_cast<std::int32_t>(std::floor(v / 64.0)); };
    const auto ceil64 = [](FT_Pos v) { return static_cast<std::int32_t>(std::ceil(v / 64.0)); };
    const std::int32_t left = floor64(box.xMin), right = ceil64(box.xMax);
    const std::int32_t bottom = floor64(box.yMin), top = ceil64(box.yMax);
    // Windows reports an empty glyph (a space) as a 1 x 1 box.
    out.BlackBoxX = static_cast<std::uint32_t>(std::max(1, right - left));
    out.BlackBoxY = static_cast<std::uint32_t>(std::max(1, top - bottom));
    out.GlyphOrigin = {left, top};
    out.CellIncX = static_cast<std::int16_t>(font->Glyph(ch).Advance);
    out.CellIncY = 0;
    return true;
}

bool GetGlyphOutlineW(HDC dc, char32_t ch, std::vector<TOutlineContour>& out) {
    out.clear();
    if (dc == nullptr)
        return false;
    FT_GlyphSlot slot = LoadOutline(dc->FontOrStock(), ch);
    if (slot == nullptr || slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return false;
    struct TSink {
        static TOutlinePoint P(const FT_Vector* v, std::uint8_t kind) { return {v->x / 64.0, v->y / 64.0, kind}; }
        static int Move(const FT_Vector* to, void* user) {
            auto* contours = static_cast<std::vector<TOutlineContour>*>(user);
            contours->emplace_back();
            contours->back().push_back(P(to, 0));
            return 0;
        }
        static int Line(const FT_Vector* to, void* user) {
            static_cast<std::vector<TOutlineContour>*>(user)->back().push_back(P(to, 0));
            return 0;
        }
        static int Conic(const FT_Vector* c, const FT_Vector* to, void* user) {
            auto& contour = static_cast<std::vector<TOutlineContour>*>(user)->back();
            contour.push_back(P(c, 1));
            contour.push_back(P(to, 0));
            return 0;
        }
        static int Cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
            auto& contour = static_cast<std::vector<TOutlineContour>*>(user)->back();
            contour.push_back(P(c1, 2));
            contour.push_back(P(c2, 2));
            contour.push_back(P(to, 0));
            return 0;
        }
    };
    FT_Outline_Funcs funcs{&TSink::Move, &TSink::Line, &TSink::Conic, &TSink::Cubic, 0, 0};
    return FT_Outline_Decompose(&slot->outline, &funcs, &out) == 0;
}

bool GetFontData(HDC dc, std::uint32_t tableTag, std::vector<std::uint8_t>& out) {
    out.clear();
    if (dc == nullptr)
        return false;
    TFontObject* font = dc->FontOrStock();
    if (font->Face == nullptr || !FT_IS_SFNT(font->Face->Face))
        return false;
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(font->Face->Face, tableTag, 0, nullptr, &length) != 0 || length == 0)
        return false;
    out.resize(length);
    if (FT_Load_Sfnt_Table(font->Face->Face, tableTag, 0, out.data(), &length) != 0) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace Platform
