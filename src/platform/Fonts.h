#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GdiTypes.h"

// Fonts: the installed families, logical fonts and everything measured about
// them. Families come from fontconfig, glyph data from FreeType.
//
// The advance model. Every advance is the glyph's unhinted advance scaled to
// the font's pixel size and rounded to whole pixels, and text is painted
// with each glyph at the sum of the advances before it (or at the positions
// of a caller's advance array). Measuring and painting therefore agree to the
// pixel at every size, and a font made at 16 times a size measures 16 times
// as wide, give or take the rounding of each advance.
//
// Face names. The names documents use for the common Windows families
// (Arial, Times New Roman, Courier New, Calibri, Cambria, Arial Narrow) are
// families of their own here whenever their metric-compatible fonts are
// installed (Liberation, Carlito, Caladea). The interface names "MS Shell Dlg
// 2", "MS Shell Dlg" and "Default" resolve to a plain sans-serif family.
namespace Platform {

// Character sets of logical fonts.
enum : std::uint8_t {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    MAC_CHARSET = 77,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    JOHAB_CHARSET = 130,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    VIETNAMESE_CHARSET = 163,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    OEM_CHARSET = 255,
};

// Pitch-and-family bits and font types of the family enumeration.
enum : std::uint8_t {
    FIXED_PITCH = 1,
    VARIABLE_PITCH = 2,
    FF_ROMAN = 0x10,
    FF_SWISS = 0x20,
    FF_MODERN = 0x30,
    FF_DECORATIVE = 0x50,
};
enum : std::uint8_t { RASTER_FONTTYPE = 1, DEVICE_FONTTYPE = 2, TRUETYPE_FONTTYPE = 4 };

// The Windows code page of a character set (symbol fonts: 42), 0 when the
// character set has none. DEFAULT_CHARSET gives the user's ANSI code page.
int CharsetToCodePage(std::uint8_t charset);
// The character set of an ANSI code page, -1 when there is none.
int CodePageToCharset(int codePage);
// The Windows language id of the user's interface language (from the
// locale environment; English (United States) when it names none).
std::uint16_t UserDefaultLanguageId();
// The ANSI code page that goes with a language id, 0 for languages that
// have only Unicode.
int LanguageAnsiCodePageOf(std::uint16_t languageId);

struct TLogFont {
    std::int32_t Height = 0;  // pixels: negative = character height, positive = cell height, 0 = default
    std::int32_t Width = 0;   // average character width; 0 = the natural width
    std::int32_t Escapement = 0;  // angle of the baseline, tenths of a degree counter-clockwise
    std::int32_t Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint8_t Charset = DEFAULT_CHARSET;
    std::string FaceName;  // UTF-8, at most 31 characters are used
};

struct TTextMetrics {
    std::int32_t Height = 0;
    std::int32_t Ascent = 0;
    std::int32_t Descent = 0;
    std::int32_t InternalLeading = 0;
    std::int32_t ExternalLeading = 0;
    std::int32_t AveCharWidth = 0;
    std::int32_t MaxCharWidth = 0;
    std::int32_t Weight = 0;
    std::int32_t Overhang = 0;
    std::uint8_t Italic = 0;
    std::uint8_t Underlined = 0;
    std::uint8_t StruckOut = 0;
    std::uint8_t PitchAndFamily = 0;
    std::uint8_t Charset = 0;
    char16_t FirstChar = 0;
    char16_t LastChar = 0;
    char16_t DefaultChar = 0;
    char16_t BreakChar = 0;
};

// One kerning pair. For fonts of a single-byte character set the characters
// are bytes of that character set's code page (the form paragraph text is
// kept in); otherwise they are UTF-16 units. Sorted by first, then second.
struct TKerningPair {
    std::uint16_t First = 0;
    std::uint16_t Second = 0;
    std::int32_t Amount = 0;
};

struct TGlyphMetrics {
    std::uint32_t BlackBoxX = 0;
    std::uint32_t BlackBoxY = 0;
    TPoint GlyphOrigin;  // left and top of the black box from the pen position on the baseline (y up)
    std::int16_t CellIncX = 0;
    std::int16_t CellIncY = 0;
};

// A glyph outline in pixels, y up from the baseline: closed contours of
// on-curve points with the control points of quadratic or cubic curves.
struct TOutlinePoint {
    double X = 0;
    double Y = 0;
    std::uint8_t Kind = 0;  // 0 on the curve, 1 quadratic control, 2 cubic control
};
using TOutlineContour = std::vector<TOutlinePoint>;

struct TFontFamilyInfo {
    std::string Name;
    std::uint8_t Charset = 0;
    std::uint8_t PitchAndFamily = 0;
    std::uint8_t FontType = TRUETYPE_FONTTYPE;
};

// Logical fonts. The object lives until DeleteFont and while a device
// context has it selected.
HFONT CreateFontIndirect(const TLogFont& logFont);
void DeleteFont(HFONT font);
bool GetLogFont(HFONT font, TLogFont& out);

// Every installed family once per character set it covers, in the order
// ANSI, the other single-byte sets, then CJK; symbol fonts once as
// SYMBOL_CHARSET.
std::vector<TFontFamilyInfo> EnumFontFamilies();

// Font files added for the run. Both tell the family list to rebuild.
bool AddFontResource(const std::string& path);
bool RemoveFontResource(const std::string& path);
// Forgets the machine's fonts: from now on only the font files of dir (and
// those added later) exist. Tests use it to be independent of the machine.
bool UseOnlyFontsIn(const std::string& dir);
// The files of every installed font (for scanning their tables).
std::vector<std::string> InstalledFontFiles();
// Bumped whenever the set of fonts changes.
std::uint32_t FontSetGeneration();

// Queries on the font selected into a device context.
bool GetTextMetrics(HDC dc, TTextMetrics& out);
std::string GetTextFace(HDC dc);  // UTF-8
// Advances of the character codes first..last of the font's character set.
bool GetCharWidths(HDC dc, std::uint32_t first, std::uint32_t last, std::int32_t* widths);
// Advance of one UTF-16 unit (0 when the font cannot give one).
std::int32_t GetCharWidthW(HDC dc, char16_t ch);
TSize GetTextExtent(HDC dc, std::string_view text);
TSize GetTextExtentW(HDC dc, std::u16string_view text);
std::vector<TKerningPair> GetKerningPairs(HDC dc);
bool GetGlyphMetricsW(HDC dc, char32_t ch, TGlyphMetrics& out);
bool GetGlyphOutlineW(HDC dc, char32_t ch, std::vector<TOutlineContour>& out);
// The raw bytes of one table of the font file ('cmap' = 0x636D6170); false
// when the font has no such table.
bool GetFontData(HDC dc, std::uint32_t tableTag, std::vector<std::uint8_t>& out);

}  // namespace Platform
