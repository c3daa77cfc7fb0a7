// The installed fonts: fontconfig lists the files, we group their faces into
// families the way Windows names them, add the metric-compatible names that
// documents use, and resolve logical fonts to faces.

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include "platform/cairo/GdiObjects.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

namespace Platform {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Names documents use, resolved to their metric-compatible families.
struct TAlias {
    const char* Name;
    const char* Target;
};
constexpr TAlias kAliases[] = {
    {"Arial", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Calibri", "Carlito"},
    {"Cambria", "Caladea"},
};
// Interface names that stand for the plain sans-serif face.
constexpr const char* kInterfaceNames[] = {"MS Shell Dlg 2", "MS Shell Dlg", "MS Sans Serif", "Default", "System"};
constexpr const char* kSansPreference[] = {"DejaVu Sans", "Liberation Sans", "Carlito"};

// Characters that tell whether a face covers a character set, in the order
// families are enumerated.
struct TCharsetProbe {
    std::uint8_t Charset;
    char32_t A;
    char32_t B;
};
constexpr TCharsetProbe kProbes[] = {
    {ANSI_CHARSET, 0x41, 0xE9},       {EASTEUROPE_CHARSET, 0x151, 0x10D},    {RUSSIAN_CHARSET, 0x416, 0x44F},
    {GREEK_CHARSET, 0x3A9, 0x3B1},    {TURKISH_CHARSET, 0x11F, 0x131},       {HEBREW_CHARSET, 0x5D0, 0x5E9},
    {ARABIC_CHARSET, 0x627, 0x644},   {BALTIC_CHARSET, 0x117, 0x12F},        {VIETNAMESE_CHARSET, 0x1A1, 0x20AB},
    {THAI_CHARSET, 0xE01, 0xE2A},     {SHIFTJIS_CHARSET, 0x3042, 0x65E5},    {HANGEUL_CHARSET, 0xAC00, 0xD55C},
    {GB2312_CHARSET, 0x4E2D, 0x4E60}, {CHINESEBIG5_CHARSET, 0x4E2D, 0x7FD2},
};

struct TFamily {
    std::string Name;
    std::vector<TFaceFile*> Faces;
    std::vector<std::uint8_t> Charsets;
    std::uint8_t PitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    bool Symbol = false;
};

class TFontLibrary {
public:
    TFontLibrary() {
        FT_Init_FreeType(&Ft);
        Config = FcInitLoadConfigAndFonts();
        Rebuild();
    }

    // Only at process exit: nothing refers to our configuration's data once
    // the families are built, so it can go. fontconfig itself stays up:
    // other libraries in the process may still use its current configuration.
    void ReleaseConfig() {
        if (Config != nullptr)
            FcConfigDestroy(Config);
        Config = nullptr;
    }

    void Restrict(const std::string& dir) {
        FcConfig* config = FcConfigCreate();
        // File by file: a folder would go through fontconfig's cache, which
        // a bare configuration has no place for.
        std::error_code ec;
        Base.clear();
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
            if (entry.is_regular_file(ec) &&
                FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(entry.path().c_str())))
                Base.push_back(entry.path().string());
        // Families keep copies of what they read, so the old configuration
        // can go at once.
        FcConfigDestroy(Config);
        Config = config;
        Restricted = true;
        Added.clear();
        Rebuild();
    }

    bool Add(const std::string& path) {
        if (!FcConfigAppFontAddFile(Config, reinterpret_cast<const FcChar8*>(path.c_str())))
            return false;
        Added.push_back(path);
        Rebuild();
        return true;
    }

    bool Remove(const std::string& path) {
        auto it = std::find(Added.begin(), Added.end(), path);
        if (it == Added.end())
            return false;
        Added.erase(it);
        // fontconfig cannot drop one file: clear the added set and add the rest again.
        FcConfigAppFontClear(Config);
        for (const std::string& p : Base)
            FcConfigAppFontAddFile(Config, reinterpret_cast<const FcChar8*>(p.c_str()));
        for (const std::string& p : Added)
            FcConfigAppFontAddFile(Config, reinterpret_cast<const FcChar8*>(p.c_str()));
        Rebuild();
        return true;
    }

    void Rebuild();
    const TFamily* Find(std::string_view name) const {
        auto it = ByName.find(Lower(name));
        return it == ByName.end() ? nullptr : &Families[it->second];
    }
    const TFamily* DefaultSans() const {
        for (const char* name : kSansPreference)
            if (const TFamily* f = Find(name))
                return f;
        for (const TFamily& f : Families)
            if (!f.Symbol)
                return &f;
        return Families.empty() ? nullptr : &Families.front();
    }

    FT_Library Ft = nullptr;
    FcConfig* Config = nullptr;
    bool Restricted = false;
    std::vector<std::string> Base;   // the only files when restricted to a folder
    std::vector<std::string> Added;  // files added for the run
    std::map<std::pair<std::string, int>, std::unique_ptr<TFaceFile>> FaceFiles;
    std::vector<TFamily> Families;  // real families, then aliases
    std::map<std::string, std::size_t> ByName;
    std::uint32_t Generation = 0;
};

TFontLibrary& Library() {
    // The library itself is never destroyed: faces stay valid until the
    // process ends. Only fontconfig's configuration is given back at exit.
    static TFontLibrary* library = [] {
        auto* lib = new TFontLibrary;
        std::atexit([] { Library().ReleaseConfig(); });
        return lib;
    }();
    return *library;
}

// The family name Windows shows for a face: fontconfig lists the typographic
// family first and the legacy one (name id 1) last.
std::string LegacyFamilyName(FcPattern* pattern) {
    std::string result;
    FcChar8* value = nullptr;
    FcChar8* lang = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        const bool english = FcPatternGetString(pattern, FC_FAMILYLANG, i, &lang) != FcResultMatch ||
                             std::string_view(reinterpret_cast<const char*>(lang)).substr(0, 2) == "en";
        if (english || result.empty())
            result = reinterpret_cast<const char*>(value);
    }
    return result;
}

void TFontLibrary::Rebuild() {
    ++Generation;
    Families.clear();
    ByName.clear();
    std::map<std::string, std::size_t> byLower;
    auto collect = [&](FcFontSet* set) {
        if (set == nullptr)
            return;
        for (int i = 0; i < set->nfont; ++i) {
            FcPattern* p = set->fonts[i];
            FcBool scalable = FcTrue;
            FcPatternGetBool(p, FC_SCALABLE, 0, &scalable);
            FcChar8* file = nullptr;
            if (!scalable || FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch)
                continue;
            int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, spacing = FC_PROPORTIONAL;
            FcPatternGetInteger(p, FC_INDEX, 0, &index);
            if (index >> 16)
                continue;  // named instances of variable fonts
            FcPatternGetInteger(p, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(p, FC_SLANT, 0, &slant);
            FcPatternGetInteger(p, FC_SPACING, 0, &spacing);
            const std::string family = LegacyFamilyName(p);
            if (family.empty() || family[0] == '@')
                continue;
            auto key = std::make_pair(std::string(reinterpret_cast<const char*>(file)), index);
            auto& slot = FaceFiles[key];
            if (!slot) {
                slot = std::make_unique<TFaceFile>();
                slot->Path = key.first;
                slot->Index = index;
            }
            TFaceFile* face = slot.get();
            face->Family = family;
            face->Weight = static_cast<int>(FcWeightToOpenTypeDouble(weight));
            face->Italic = slant != FC_SLANT_ROMAN;
            face->Mono = spacing == FC_MONO;
            FcCharSet* cs = nullptr;
            std::vector<std::uint8_t> charsets;
            if (FcPatternGetCharSet(p, FC_CHARSET, 0, &cs) == FcResultMatch) {
                face->Symbol = FcCharSetHasChar(cs, 0xF041) && !FcCharSetHasChar(cs, 0x41);
                for (const TCharsetProbe& probe : kProbes)
                    if (FcCharSetHasChar(cs, probe.A) && FcCharSetHasChar(cs, probe.B))
                        charsets.push_back(probe.Charset);
            }
            if (face->Symbol)
                charsets.assign(1, SYMBOL_CHARSET);
            if (charsets.empty())
                charsets.push_back(ANSI_CHARSET);
            auto [it, added] = byLower.emplace(Lower(family), Families.size());
            if (added) {
                TFamily f;
                f.Name = family;
                f.Symbol = face->Symbol;
                const std::string low = Lower(family);
                if (face->Mono)
                    f.PitchAndFamily = FIXED_PITCH | FF_MODERN;
                else if (low.find("serif") != std::string::npos && low.find("sans") == std::string::npos)
                    f.PitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
                else if (low.find("caladea") != std::string::npos || low.find("times") != std::string::npos)
                    f.PitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
                Families.push_back(std::move(f));
            }
            TFamily& f = Families[it->second];
            if (std::find(f.Faces.begin(), f.Faces.end(), face) == f.Faces.end())
                f.Faces.push_back(face);
            for (std::uint8_t c : charsets)
                if (std::find(f.Charsets.begin(), f.Charsets.end(), c) == f.Charsets.end())
                    f.Charsets.push_back(c);
        }
    };
    if (!Restricted)
        collect(FcConfigGetFonts(Config, FcSetSystem));
    collect(FcConfigGetFonts(Config, FcSetApplication));
    // Keep the probe order in each family's character set list.
    for (TFamily& f : Families) {
        std::vector<std::uint8_t> ordered;
        for (const TCharsetProbe& probe : kProbes)
            if (std::find(f.Charsets.begin(), f.Charsets.end(), probe.Charset) != f.Charsets.end())
                ordered.push_back(probe.Charset);
        if (f.Symbol)
            ordered.assign(1, SYMBOL_CHARSET);
        f.Charsets = ordered.empty() ? std::vector<std::uint8_t>{ANSI_CHARSET} : ordered;
    }
    for (const TAlias& alias : kAliases) {
        if (byLower.count(Lower(alias.Name)) != 0)
            continue;
        auto target = byLower.find(Lower(alias.Target));
        if (target == byLower.end())
            continue;
        TFamily f = Families[target->second];
        f.Name = alias.Name;
        byLower.emplace(Lower(alias.Name), Families.size());
        Families.push_back(std::move(f));
    }
    ByName = std::move(byLower);
}

const TFamily* FamilyForLogFont(const TLogFont& lf, std::string& faceName) {
    TFontLibrary& lib = Library();
    std::string name = lf.FaceName.substr(0, 31);
    if (const TFamily* f = lib.Find(name)) {
        faceName = f->Name;
        return f;
    }
    for (const char* ui : kInterfaceNames) {
        if (Lower(name) == Lower(ui)) {
            faceName = ui;
            return lib.DefaultSans();
        }
    }
    // An unknown face: a symbol font for the symbol character set, else
    // the face Windows falls back to for unknown names.
    if (lf.Charset == SYMBOL_CHARSET) {
        for (const TFamily& f : lib.Families)
            if (f.Symbol) {
                faceName = f.Name;
                return &f;
            }
    }
    const TFamily* fallback = lib.Find("Arial");
    if (fallback == nullptr)
        fallback = lib.DefaultSans();
    if (fallback != nullptr)
        faceName = fallback->Name;
    return fallback;
}

}  // namespace

FT_Library FreeTypeLibrary() {
    return Library().Ft;
}

TResolvedFace ResolveFace(const TLogFont& lf) {
    TResolvedFace result;
    const TFamily* family = FamilyForLogFont(lf, result.FaceName);
    if (family == nullptr || family->Faces.empty())
        return result;
    const int wantWeight = lf.Weight <= 0 ? 400 : lf.Weight;
    int best = 1 << 30;
    for (TFaceFile* face : family->Faces) {
        const int score = std::abs(face->Weight - wantWeight) + (face->Italic != lf.Italic ? 10000 : 0);
        if (score < best) {
            best = score;
            result.Face = face;
        }
    }
    result.SynthBold = wantWeight >= 600 && result.Face->Weight < 550;
    result.SynthItalic = lf.Italic && !result.Face->Italic;
    return result;
}

std::vector<TFontFamilyInfo> EnumFontFamilies() {
    std::vector<TFontFamilyInfo> out;
    for (const TFamily& f : Library().Families)
        for (std::uint8_t charset : f.Charsets)
            out.push_back({f.Name, charset, f.PitchAndFamily, TRUETYPE_FONTTYPE});
    return out;
}

bool AddFontResource(const std::string& path) {
    return Library().Add(path);
}

bool RemoveFontResource(const std::string& path) {
    return Library().Remove(path);
}

bool UseOnlyFontsIn(const std::string& dir) {
    Library().Restrict(dir);
    return !Library().Families.empty();
}

std::vector<std::string> InstalledFontFiles() {
    std::set<std::string> files;
    for (const TFamily& f : Library().Families)
        for (const TFaceFile* face : f.Faces)
            files.insert(face->Path);
    return {files.begin(), files.end()};
}

std::uint32_t FontSetGeneration() {
    return Library().Generation;
}

// ---------------------------------------------------------------------------
// Faces

bool TFaceFile::Load() {
    if (Loaded)
        return !Failed;
    Loaded = true;
    FT_Library ft = FreeTypeLibrary();
    if (FT_New_Face(ft, Path.c_str(), Index, &Face) != 0 || FT_New_Face(ft, Path.c_str(), Index, &RenderFace) != 0) {
        Failed = true;
        return false;
    }
    for (int i = 0; i < Face->num_charmaps; ++i) {
        if (Face->charmaps[i]->encoding == FT_ENCODING_UNICODE)
            HasUnicodeCmap = true;
        if (Face->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL)
            HasSymbolCmap = true;
    }
    if (HasUnicodeCmap)
        FT_Select_Charmap(Face, FT_ENCODING_UNICODE);
    else if (HasSymbolCmap)
        FT_Select_Charmap(Face, FT_ENCODING_MS_SYMBOL);
    Symbol = Symbol || (HasSymbolCmap && !HasUnicodeCmap);
    UnitsPerEm = Face->units_per_EM > 0 ? Face->units_per_EM : 2048;
    HheaAscender = Face->ascender;
    HheaDescender = Face->descender;
    MaxAdvance = Face->max_advance_width;
    UnderlinePosition = Face->underline_position;
    UnderlineThickness = Face->underline_thickness;
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(Face, FT_SFNT_HHEA));
    if (hhea != nullptr)
        LineGap = hhea->Line_Gap;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(Face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        WinAscent = os2->usWinAscent;
        WinDescent = os2->usWinDescent;
        AvgCharWidth = os2->xAvgCharWidth;
        StrikeoutPosition = os2->yStrikeoutPosition;
        StrikeoutSize = os2->yStrikeoutSize;
        FirstChar = os2->usFirstCharIndex;
        LastChar = os2->usLastCharIndex;
    } else {
        WinAscent = HheaAscender;
        WinDescent = -HheaDescender;
    }
    if (WinAscent + WinDescent <= 0) {
        WinAscent = UnitsPerEm * 4 / 5;
        WinDescent = UnitsPerEm / 5;
    }
    if (AvgCharWidth <= 0) {
        const std::uint32_t x = GlyphIndex(U'x');
        AvgCharWidth = x != 0 ? AdvanceUnits(x) : UnitsPerEm / 2;
    }
    if (StrikeoutPosition == 0)
        StrikeoutPosition = UnitsPerEm * 26 / 100;
    if (StrikeoutSize <= 0)
        StrikeoutSize = UnitsPerEm / 20;
    if (UnderlineThickness <= 0)
        UnderlineThickness = UnitsPerEm / 20;
    if (UnderlinePosition == 0)
        UnderlinePosition = -UnitsPerEm / 10;
    CairoFace = cairo_ft_font_face_create_for_ft_face(RenderFace, 0);
    return true;
}

std::uint32_t TFaceFile::GlyphIndex(char32_t ch) {
    if (Face == nullptr)
        return 0;
    auto lookup = [this](FT_Encoding encoding, char32_t c) -> std::uint32_t {
        if (Face->charmap == nullptr || Face->charmap->encoding != encoding)
            if (FT_Select_Charmap(Face, encoding) != 0)
                return 0;
        return FT_Get_Char_Index(Face, c);
    };
    std::uint32_t g = 0;
    if (HasUnicodeCmap)
        g = lookup(FT_ENCODING_UNICODE, ch);
    if (g == 0 && HasSymbolCmap) {
        g = lookup(FT_ENCODING_MS_SYMBOL, ch);
        if (g == 0 && ch < 0x100)
            g = lookup(FT_ENCODING_MS_SYMBOL, 0xF000 + ch);
    }
    if (g == 0 && ch >= 0xF000 && ch <= 0xF0FF && HasUnicodeCmap)
        g = lookup(FT_ENCODING_UNICODE, ch - 0xF000);
    return g;
}

std::int32_t TFaceFile::AdvanceUnits(std::uint32_t glyph) {
    FT_Fixed advance = 0;
    if (Face == nullptr || FT_Get_Advance(Face, glyph, FT_LOAD_NO_SCALE, &advance) != 0)
        return 0;
    return static_cast<std::int32_t>(advance);
}

// ---------------------------------------------------------------------------
// Character sets, code pages and languages

namespace {

struct TCharsetCodePage {
    std::uint8_t Charset;
    int CodePage;
};
// The pairs Windows translates between (TranslateCharsetInfo).
constexpr TCharsetCodePage kCharsetCodePages[] = {
    {ANSI_CHARSET, 1252},       {EASTEUROPE_CHARSET, 1250}, {RUSSIAN_CHARSET, 1251}, {GREEK_CHARSET, 1253},
    {TURKISH_CHARSET, 1254},    {HEBREW_CHARSET, 1255},     {ARABIC_CHARSET, 1256},  {BALTIC_CHARSET, 1257},
    {VIETNAMESE_CHARSET, 1258}, {THAI_CHARSET, 874},        {SHIFTJIS_CHARSET, 932}, {GB2312_CHARSET, 936},
    {HANGEUL_CHARSET, 949},     {CHINESEBIG5_CHARSET, 950}, {JOHAB_CHARSET, 1361},   {SYMBOL_CHARSET, 42},
};

// ANSI code pages of the primary languages (the low 10 bits of a language
// id), from the published national-language tables; 0 = Unicode only.
struct TLanguageCodePage {
    std::uint16_t Primary;
    int CodePage;
};
constexpr TLanguageCodePage kLanguageCodePages[] = {
    {0x01, 1256}, {0x02, 1251}, {0x03, 1252}, {0x04, 936},  {0x05, 1250}, {0x06, 1252}, {0x07, 1252}, {0x08, 1253},
    {0x09, 1252}, {0x0A, 1252}, {0x0B, 1252}, {0x0C, 1252}, {0x0D, 1255}, {0x0E, 1250}, {0x0F, 1252}, {0x10, 1252},
    {0x11, 932},  {0x12, 949},  {0x13, 1252}, {0x14, 1252}, {0x15, 1250}, {0x16, 1252}, {0x17, 1252}, {0x18, 1250},
    {0x19, 1251}, {0x1A, 1250}, {0x1B, 1250}, {0x1C, 1250}, {0x1D, 1252}, {0x1E, 874},  {0x1F, 1254}, {0x20, 1256},
    {0x21, 1252}, {0x22, 1251}, {0x23, 1251}, {0x24, 1250}, {0x25, 1257}, {0x26, 1257}, {0x27, 1257}, {0x28, 1251},
    {0x29, 1256}, {0x2A, 1258}, {0x2C, 1254}, {0x2D, 1252}, {0x2E, 1252}, {0x2F, 1251}, {0x32, 1252}, {0x34, 1252},
    {0x35, 1252}, {0x36, 1252}, {0x38, 1252}, {0x3B, 1252}, {0x3C, 1252}, {0x3E, 1252}, {0x3F, 1251}, {0x40, 1251},
    {0x41, 1252}, {0x42, 1250}, {0x43, 1254}, {0x44, 1251}, {0x50, 1251}, {0x52, 1252}, {0x56, 1252}, {0x5F, 1252},
    {0x62, 1252}, {0x64, 1252}, {0x68, 1252}, {0x6A, 1252}, {0x6B, 1252}, {0x6C, 1252}, {0x6D, 1251}, {0x6E, 1252},
    {0x6F, 1252}, {0x70, 1252}, {0x7A, 1252}, {0x7C, 1252}, {0x7E, 1252}, {0x80, 1256}, {0x82, 1252}, {0x83, 1252},
    {0x84, 1252}, {0x85, 1251}, {0x86, 1252}, {0x87, 1252}, {0x88, 1252}, {0x8C, 1256},
};

// Whole language ids whose code page differs from their primary language's.
constexpr TLanguageCodePage kLanguageIdCodePages[] = {
    {0x0404, 950},  {0x0C04, 950},  {0x1404, 950},  {0x0C1A, 1251}, {0x201A, 1251}, {0x281A, 1251},
    {0x1C1A, 1251}, {0x082C, 1251}, {0x0843, 1251}, {0x0850, 0},    {0x085D, 1252},
};

struct TLocaleLanguage {
    const char* Code;
    std::uint16_t Id;
};
constexpr TLocaleLanguage kLocaleLanguages[] = {
    {"ar", 0x0401}, {"bg", 0x0402},    {"ca", 0x0403}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh", 0x0804},
    {"cs", 0x0405}, {"da", 0x0406},    {"de", 0x0407}, {"el", 0x0408},    {"en_GB", 0x0809}, {"en", 0x0409},
    {"es", 0x0C0A}, {"fi", 0x040B},    {"fr", 0x040C}, {"he", 0x040D},    {"hu", 0x040E},    {"is", 0x040F},
    {"it", 0x0410}, {"ja", 0x0411},    {"ko", 0x0412}, {"nl", 0x0413},    {"nb", 0x0414},    {"no", 0x0414},
    {"pl", 0x0415}, {"pt_BR", 0x0416}, {"pt", 0x0816}, {"ro", 0x0418},    {"ru", 0x0419},    {"hr", 0x041A},
    {"sk", 0x041B}, {"sq", 0x041C},    {"sv", 0x041D}, {"th", 0x041E},    {"tr", 0x041F},    {"id", 0x0421},
    {"uk", 0x0422}, {"be", 0x0423},    {"sl", 0x0424}, {"et", 0x0425},    {"lv", 0x0426},    {"lt", 0x0427},
    {"fa", 0x0429}, {"vi", 0x042A},    {"eu", 0x042D}, {"mk", 0x042F},    {"af", 0x0436},    {"ka", 0x0437},
    {"hi", 0x0439}, {"ga", 0x083C},    {"ms", 0x043E}, {"kk", 0x043F},    {"sw", 0x0441},    {"gl", 0x0456},
    {"cy", 0x0452}, {"sr", 0x0C1A},
};

}  // namespace

int CharsetToCodePage(std::uint8_t charset) {
    if (charset == DEFAULT_CHARSET)
        return LanguageAnsiCodePageOf(UserDefaultLanguageId()) != 0 ? LanguageAnsiCodePageOf(UserDefaultLanguageId())
                                                                    : 1252;
    for (const TCharsetCodePage& e : kCharsetCodePages)
        if (e.Charset == charset)
            return e.CodePage;
    return 0;
}

int CodePageToCharset(int codePage) {
    for (const TCharsetCodePage& e : kCharsetCodePages)
        if (e.CodePage == codePage)
            return e.Charset;
    return -1;
}

int LanguageAnsiCodePageOf(std::uint16_t languageId) {
    for (const TLanguageCodePage& e : kLanguageIdCodePages)
        if (e.Primary == languageId)
            return e.CodePage;
    const std::uint16_t primary = languageId & 0x3FF;
    for (const TLanguageCodePage& e : kLanguageCodePages)
        if (e.Primary == primary)
            return e.CodePage;
    return 0;
}

std::uint16_t UserDefaultLanguageId() {
    static const std::uint16_t id = [] {
        const char* vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
        std::string locale;
        for (const char* v : vars) {
            const char* value = std::getenv(v);
            if (value != nullptr && *value != 0) {
                locale = value;
                break;
            }
        }
        for (const TLocaleLanguage& e : kLocaleLanguages) {
            const std::string_view code(e.Code);
            if (locale.compare(0, code.size(), code) == 0 &&
                (locale.size() == code.size() || !std::isalpha(static_cast<unsigned char>(locale[code.size()]))))
                return e.Id;
        }
        return static_cast<std::uint16_t>(0x0409);
    }();
    return id;
}

}  // namespace Platform
