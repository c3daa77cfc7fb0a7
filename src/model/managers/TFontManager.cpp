#include "model/managers/TFontManager.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/messages/MessageBoxes.h"
#include "base/text/Charsets.h"
#include "base/text/CompareLocale.h"
#include "model/host/FontQueries.h"
#include "model/managers/TKerningPairs.h"
#include "model/managers/TSharedFont.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"

TFontManager* FontManager = nullptr;
TSharedFont* CurrentSharedFont = nullptr;
Platform::HDC CurrentFontDC = nullptr;
TKerningPairs* CurrentKerningPairs = nullptr;
std::string FallbackFace = "Arial";

TFontManagerHooks& FontManagerHooks() {
    static TFontManagerHooks hooks;
    return hooks;
}

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return CompareTextLocale(a, b) == 0;
}

// Face names and the names to try in their place, in their stored order.
const char* const kSubstitutes[] = {
    "Arial,Helvetica",
    "Arial Narrow,Helvetica-Narrow",
    "Avant Garde,Century Gothic",
    "AvantGarde,Avant Garde",
    "Book Antiqua,Palatino",
    "Bookman,Bookman Old Style",
    "Bookman Old Style,Bookman",
    "Century Gothic,AvantGarde",
    "Century Schoolbook,NewCenturySchlbk",
    "CG Times,CG Times (W1)",
    "CG Times (W1),Times New Roman",
    "CGTimes_Scale,CG Times",
    "Chicago,Arial",
    "Courier 10cpi,Roman 10cpi",
    "Courier 12cpi,Roman 12cpi",
    "Courier 5cpi,Roman 5cpi",
    "Courier 6cpi,Roman 6cpi",
    "Courier New,Courier",
    "Courier PS,Roman PS",
    "Courier,Courier New",
    "CourierPC,MS LineDraw",
    "Elite,Roman 12cpi",
    "EliteD,Roman 6cpi",
    "Garamond MT,Garamond",
    "Geneva,Arial",
    "Gothic,Century Gothic",
    "Helv,Helvetica",
    "Helvetica,Arial",
    "Helvetica Narrow,Arial Narrow",
    "Helvetica-Narrow,Helvetica Narrow",
    "HGGothicE-PRO,HGPGothicE",
    "Kafisma,Arial",
    "Letter Gothic,Courier New",
    "Linedraw,Courier New",
    "London,Old English Text MT",
    "Los Angeles,Onyx",
    "Meiryo,MS Gothic",
    "Monaco,Courier New",
    "Monotype Corsiva,ZapfChancery",
    "Monotype Sorts,ZapfDingbats",
    "MS LineDraw,Courier New",
    "MT Symbol,Symbol",
    "New Century Schlbk,Century Schoolbook",
    "New York,Times New Roman",
    "NewCenturySchlbk,New Century Schlbk",
    "NLQ,Roman 10cpi",
    "NLQDblHigh,NLQII 10cpi",
    "Palatino,Book Antiqua",
    "Pica,Roman 10cpi",
    "PicaD,Roman 5cpi",
    "PS,Roman PS",
    "PSD,Roman PX",
    "PSNLQ,Courier PS",
    "Roman 10cpi,Courier 10cpi",
    "Roman 12cpi,Courier 12cpi",
    "Roman 5cpi,Courier 5cpi",
    "Roman 6cpi,Courier 6cpi",
    "Roman PS,Courier PS",
    "StarSymbol,OpenSymbol",
    "Times,Times Roman",
    "Times New Roman,Times",
    "Times Roman,Times New Roman",
    "TimesNewRoman,Times New Roman",
    "Tms Rmn,Times Roman",
    "Univers,Univers (W1)",
    "Univers (W1),Arial",
    "Univers_Scale,Univers",
    "Zapf Chancery,Monotype Corsiva",
    "Zapf Dingbats,Monotype Sorts",
    "ZapfChancery,Zapf Chancery",
    "ZapfDingbats,Zapf Dingbats",
};

// The substitution table: a sorted list of names, each with its row, and
// the substitutes by row.
struct TSubstitutionTable {
    TSubstitutionTable() {
        Names.Sorted = true;
        for (std::intptr_t row = 0; row < static_cast<std::intptr_t>(std::size(kSubstitutes)); ++row) {
            const std::string text = kSubstitutes[row];
            const std::size_t comma = text.find(',');
            Names.AddObject(text.substr(0, comma), reinterpret_cast<void*>(row));
            Substitutes.push_back(text.substr(comma + 1));
        }
    }
    // The substitute of name, or nullptr.
    const std::string* Find(const std::string& name) const {
        std::int32_t index = 0;
        if (!Names.Find(name, index))
            return nullptr;
        return &Substitutes[static_cast<std::size_t>(reinterpret_cast<std::intptr_t>(Names.GetObject(index)))];
    }
    TStringList Names;
    std::vector<std::string> Substitutes;
};

const TSubstitutionTable& SubstitutionTable() {
    static const TSubstitutionTable* table = new TSubstitutionTable;
    return *table;
}

// The document model asks the manager for the character set and name id of
// a registered font.
class TManagerFontQueries : public TDocFontQueries {
public:
    explicit TManagerFontQueries(const TFontManager& manager) : Manager(manager) {}
    std::uint8_t Charset(std::int32_t font) const override {
        if (font < 0 || font >= Manager.RegFonts.Count)
            return 0;
        return static_cast<std::uint8_t>(Manager.RegFont(font)->Charset);
    }
    std::int32_t NameId(std::int32_t font) const override {
        if (font < 0 || font >= Manager.RegFonts.Count)
            return font;
        return Manager.RegFont(font)->FontId;
    }

private:
    const TFontManager& Manager;
};

TManagerFontQueries* g_queries = nullptr;

std::string WithoutLastWord(const std::string& name) {
    const std::size_t space = name.rfind(' ');
    return space == std::string::npos ? std::string() : name.substr(0, space);
}

}  // namespace

// ---------------------------------------------------------------------------
// Registered fonts

TRegFont::TRegFont(const TRegFont& other)
    : Installed(other.Installed),
      Family(other.Family),
      FontId(other.FontId),
      Name(other.Name),
      Charset(other.Charset),
      CreateCharset(other.CreateCharset) {}

TRegFont::~TRegFont() {
    delete KnownChars;
}

std::string TRegFont::GetName() const {
    if (Installed && FontManager != nullptr && Family >= 0 && Family < FontManager->Families.Count)
        return FontManager->FamilyAt(Family)->Name;
    return Name;
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

TFontManager::TFontManager() {
    if (FontManager == nullptr)
        FontManager = this;
    // A portable installation brings its own font files.
    const TFontManagerHooks& hooks = FontManagerHooks();
    const std::string folder = hooks.PortableFontFolder ? hooks.PortableFontFolder() : std::string();
    if (!folder.empty()) {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::string ext = it->path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
            if ((ext == ".otf" || ext == ".ttc" || ext == ".ttf") && Platform::AddFontResource(it->path().string()))
                PrivateFontFiles.Add(it->path().string());
        }
    }
    EnumerateFamilies();
    FallbackFace = IndexOfFamily("Arial Unicode MS") >= 0 ? "Arial Unicode MS" : "Arial";
    MatchRegisteredFonts();
    for (const Platform::TFontFamilyInfo& f : Platform::EnumFontFamilies())
        if (f.FontType & (Platform::TRUETYPE_FONTTYPE | Platform::DEVICE_FONTTYPE))
            RegisterFont(f.Name, f.Charset, true);
    ArialFont = RegisterFont("Arial", DefaultCharset(), false);
    TimesFont = RegisterFont("Times New Roman", DefaultCharset(), false);
    SymbolFont = RegisterFont("Symbol", 1, false);
    WingdingsFont = RegisterFont("Wingdings", 1, false);
    SetConstantFormatFonts(TimesFont, ArialFont);
    delete g_queries;
    g_queries = new TManagerFontQueries(*this);
    SetDocFontQueries(g_queries);
}

TFontManager::~TFontManager() {
    FreeCaches();
    Families.FreeItems<TFontFamily>();
    RegFonts.FreeItems<TRegFont>();
    for (std::int32_t i = 0; i < PrivateFontFiles.Count; ++i)
        Platform::RemoveFontResource(PrivateFontFiles.GetString(i));
    if (FontManager == this) {
        FontManager = nullptr;
        SetDocFontQueries(nullptr);
        delete g_queries;
        g_queries = nullptr;
    }
}

void TFontManager::FreeCaches() {
    SharedFonts.FreeItems<TSharedFont>();
    KerningCache.FreeItems<TKerningPairs>();
    CurrentSharedFont = nullptr;
    CurrentFontDC = nullptr;
    CurrentKerningPairs = nullptr;
}

void TFontManager::EnumerateFamilies() {
    Families.FreeItems<TFontFamily>();
    std::string previous;
    for (const Platform::TFontFamilyInfo& f : Platform::EnumFontFamilies()) {
        if ((f.FontType & Platform::RASTER_FONTTYPE) != 0 && (f.FontType & Platform::TRUETYPE_FONTTYPE) == 0)
            continue;
        if (f.Name == previous || f.Charset == Platform::OEM_CHARSET)
            continue;
        previous = f.Name;
        if (f.Name.empty() || f.Name[0] == '@')
            continue;
        auto* family = new TFontFamily;
        family->Name = f.Name;
        family->Charset = f.Charset;
        family->PitchAndFamily = f.PitchAndFamily;
        Families.Add(family);
    }
    Families.Sort([](TList* list, std::int32_t i, std::int32_t j) {
        return CompareTextLocale(list->At<TFontFamily>(i)->Name, list->At<TFontFamily>(j)->Name);
    });
}

void TFontManager::MatchRegisteredFonts() {
    for (std::int32_t i = 0; i < RegFonts.Count; ++i) {
        TRegFont* font = RegFont(i);
        font->Family = IndexOfFamily(font->Name);
        font->Installed = font->Family >= 0;
        if (font->Installed)
            FamilyAt(font->Family)->Registered = 1;
    }
    // A font whose name is a family's name and one more word ("Arial
    // Black" when only Arial is installed) belongs to that family. Every
    // remaining font is tried, and any family accepted.
    for (std::int32_t i = RegFonts.Count - 1; i >= 0; --i) {
        TRegFont* font = RegFont(i);
        if (font->Installed)
            continue;
        const std::string shorter = WithoutLastWord(font->Name);
        const std::int32_t family = shorter.empty() ? -1 : IndexOfFamily(shorter);
        if (family >= 0) {
            font->Family = family;
            font->Installed = 1;
            FamilyAt(family)->Registered = 1;
        }
    }
    for (std::int32_t f = 0; f < Families.Count; ++f) {
        TFontFamily* family = FamilyAt(f);
        if (family->Registered)
            continue;
        auto* font = new TRegFont;
        font->Installed = 1;
        font->Family = f;
        font->FontId = NextFontId++;
        font->Name = family->Name;
        font->Charset = font->CreateCharset = family->Charset;
        RegFonts.Add(font);
        family->Registered = 1;
    }
}

void TFontManager::Refresh() {
    FreeCaches();
    EnumerateFamilies();
    MatchRegisteredFonts();
    SeenFaceRequested.Clear();
    SeenFaceActual.Clear();
    const TFontManagerHooks& hooks = FontManagerHooks();
    if (hooks.RebuildDocumentLayouts)
        hooks.RebuildDocumentLayouts();
    if (hooks.RefreshSymbolWindow)
        hooks.RefreshSymbolWindow();
}

// ---------------------------------------------------------------------------
// Lookups and registration

std::int32_t TFontManager::FindFamily(const std::string& name, bool fuzzy) const {
    std::int32_t lo = 0, hi = Families.Count - 1;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) / 2;
        const int c = CompareTextLocale(FamilyAt(mid)->Name, name);
        if (c == 0)
            return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    if (!fuzzy)
        return -1;
    const std::string shorter = WithoutLastWord(name);
    return shorter.empty() ? -1 : FindFamily(shorter, false);
}

std::int32_t TFontManager::IndexOfFamily(const std::string& name) const {
    return FindFamily(name, false);
}

std::int32_t TFontManager::IndexOfFont(const std::string& name) const {
    for (std::int32_t i = 0; i < RegFonts.Count; ++i)
        if (SameName(RegFont(i)->Name, name))
            return i;
    return -1;
}

std::int32_t TFontManager::RegisterFont(const std::string& name, std::int32_t charset, bool fuzzy) {
    const std::int32_t f = FindFamily(name, fuzzy);
    std::int32_t knownId = -1;
    if (f >= 0) {
        if (charset == UnsetValue) {
            for (std::int32_t i = 0; i < RegFonts.Count; ++i)
                if (RegFont(i)->Family == f && SameName(RegFont(i)->Name, name))
                    return i;
            charset = DefaultCharset();
        }
        // Variants are told apart by name too: a name that was found fuzzily
        // ("Arial Black" in the family Arial) keeps its own fonts and id.
        for (std::int32_t i = RegFonts.Count - 1; i >= 0; --i) {
            const TRegFont* font = RegFont(i);
            if (font->Family != f || !SameName(font->Name, name))
                continue;
            if (font->Charset == charset)
                return i;
            if (knownId < 0)
                knownId = font->FontId;
        }
    } else {
        if (charset == UnsetValue)
            charset = DefaultCharset();
        for (std::int32_t i = 0; i < RegFonts.Count; ++i) {
            const TRegFont* font = RegFont(i);
            if (font->Installed || !SameName(font->Name, name))
                continue;
            if (font->Charset == charset)
                return i;
            if (knownId < 0)
                knownId = font->FontId;
        }
    }
    if (f >= 0) {
        // A symbol family takes only the symbol set, and the symbol set
        // only a symbol family. The checks come before a new id is spent,
        // and never ask again for the set already asked for.
        const std::int32_t familyCharset = FamilyAt(f)->Charset;
        if (familyCharset == 2 && charset != 2)
            return RegisterFont(name, 2, false);
        if (familyCharset != 2 && charset == 2 && DefaultCharset() != 2)
            return RegisterFont(name, DefaultCharset(), false);
    }
    auto* font = new TRegFont;
    font->FontId = knownId >= 0 ? knownId : NextFontId++;
    font->Name = name;
    font->Family = f;
    font->Installed = f >= 0;
    font->Charset = font->CreateCharset = charset;
    RegFonts.Add(font);
    if (f >= 0)
        FamilyAt(f)->Registered = 1;
    return RegFonts.Count - 1;
}

std::int32_t TFontManager::FontWithCharset(std::int32_t fontId, std::int32_t charset) {
    std::int32_t first = -1;
    for (std::int32_t i = 0; i < RegFonts.Count && first < 0; ++i)
        if (RegFont(i)->FontId == fontId)
            first = i;
    REZ_ASSERT(first >= 0);
    if (first < 0)
        return -1;
    const TRegFont* base = RegFont(first);
    if (base->Installed && base->Family >= 0) {
        const std::int32_t familyCharset = FamilyAt(base->Family)->Charset;
        if (familyCharset == 2)
            charset = 2;
        else if (charset == 2)
            charset = familyCharset;
    }
    for (std::int32_t i = first; i < RegFonts.Count; ++i)
        if (RegFont(i)->FontId == fontId && RegFont(i)->Charset == charset)
            return i;
    auto* font = new TRegFont(*base);
    font->Charset = font->CreateCharset = charset;
    RegFonts.Add(font);
    return RegFonts.Count - 1;
}

std::string TFontManager::GetSubstitute(const std::string& name, bool noFallback) const {
    std::vector<std::string> visited{name};
    std::string current = name;
    std::string result;
    for (;;) {
        const std::string* substitute = SubstitutionTable().Find(current);
        if (substitute == nullptr)
            break;
        const bool seen =
            std::any_of(visited.begin(), visited.end(), [&](const std::string& v) { return SameName(v, *substitute); });
        if (seen)
            break;
        if (IndexOfFamily(*substitute) >= 0) {
            result = *substitute;
            break;
        }
        visited.push_back(*substitute);
        current = *substitute;
    }
    if (result.empty() && !noFallback) {
        for (std::int32_t i = 0; i < SeenFaceRequested.Count; ++i)
            if (SameName(SeenFaceRequested.GetString(i), name))
                return SeenFaceActual.GetString(i);
        return name;
    }
    return result;
}

void TFontManager::GetFontNames(TStrings& strings) const {
    strings.Clear();
    std::vector<bool> listed(static_cast<std::size_t>(Families.Count), false);
    for (std::int32_t i = 0; i < FavoriteFonts.Count; ++i) {
        const std::int32_t f = IndexOfFamily(FavoriteFonts.GetString(i));
        if (f < 0 || listed[static_cast<std::size_t>(f)])
            continue;
        listed[static_cast<std::size_t>(f)] = true;
        strings.AddObject(FamilyAt(f)->Name, reinterpret_cast<void*>(static_cast<std::intptr_t>(f)));
    }
    const TFontManagerHooks& hooks = FontManagerHooks();
    if (hooks.ShowOnlyFavoriteFonts && hooks.ShowOnlyFavoriteFonts())
        return;
    for (std::int32_t f = 0; f < Families.Count; ++f)
        if (!listed[static_cast<std::size_t>(f)])
            strings.AddObject(FamilyAt(f)->Name, reinterpret_cast<void*>(static_cast<std::intptr_t>(f)));
}

bool TFontManager::ConfirmFontName(std::int32_t& fontIndex, const std::string& name, void* control) {
    const TFontManagerHooks& hooks = FontManagerHooks();
    auto focus = [&] {
        if (control != nullptr && hooks.FocusControl)
            hooks.FocusControl(control);
    };
    if (name.empty()) {
        if (fontIndex == UnsetValue)
            return true;
        focus();
        ShowInformation("Font name cannot be blank.");
        return false;
    }
    if (IndexOfFont(name) < 0) {
        focus();
        const std::string text =
            FormatOneString("The \"%s\" font is unavailable on this system. Use this font anyway?", name);
        const std::uint16_t answer = hooks.OptionalMessage ? hooks.OptionalMessage(10, text, mbkWarning, mbYes | mbNo)
                                                           : ShowMessageBox(text, mbkWarning, mbYes | mbNo);
        if (answer != mrYes)
            return false;
    }
    const std::int32_t charset =
        (fontIndex == UnsetValue || fontIndex < 0 || fontIndex >= RegFonts.Count) ? 0 : RegFont(fontIndex)->Charset;
    fontIndex = RegisterFont(name, charset, true);
    return true;
}

// ---------------------------------------------------------------------------
// Shared fonts and kerning pairs

void TFontManager::SelectFont(const TCharFormat& format,
                              std::int32_t deviceHeight,
                              Platform::HDC dc,
                              bool select,
                              bool quiet) {
    TCharFormat wanted = format;
    wanted[caSize] = deviceHeight;
    if (CurrentSharedFont != nullptr && SharedFontFormatsMatch(CurrentSharedFont->Format, wanted)) {
        if (select && dc != CurrentFontDC) {
            Platform::SelectFont(dc, CurrentSharedFont->Handle);
            CurrentFontDC = dc;
        }
    } else {
        TSharedFont* found = nullptr;
        for (std::int32_t i = 0; i < SharedFonts.Count && found == nullptr; ++i)
            if (SharedFontFormatsMatch(SharedFonts.At<TSharedFont>(i)->Format, wanted))
                found = SharedFonts.At<TSharedFont>(i);
        if (found != nullptr) {
            CurrentSharedFont = found;
            if (select) {
                Platform::SelectFont(dc, found->Handle);
                CurrentFontDC = dc;
            } else {
                CurrentFontDC = nullptr;
            }
        } else {
            // Building needs a context to measure in; the screen's serves
            // when the caller has none.
            Platform::HDC measure = dc != nullptr ? dc : Platform::ScreenDC();
            auto* font = new TSharedFont(*this, format, quiet, measure, deviceHeight);
            SharedFonts.Insert(0, font);
            CurrentSharedFont = font;
            CurrentFontDC = measure;
        }
    }
    ++CurrentSharedFont->UseCount;
}

void TFontManager::SelectKerningPairs(const TCharFormat& format, std::int32_t deviceHeight, Platform::HDC dc) {
    TCharFormat wanted = format;
    wanted[caSize] = deviceHeight;
    if (CurrentKerningPairs != nullptr && SharedFontFormatsMatch(CurrentKerningPairs->Format, wanted))
        return;
    for (std::int32_t i = KerningCache.Count - 1; i >= 0; --i) {
        if (SharedFontFormatsMatch(KerningCache.At<TKerningPairs>(i)->Format, wanted)) {
            CurrentKerningPairs = KerningCache.At<TKerningPairs>(i);
            return;
        }
    }
    auto* pairs = new TKerningPairs(wanted, dc);
    KerningCache.Add(pairs);
    CurrentKerningPairs = pairs;
}

int CompareFontNumbers(TList* list, std::int32_t i, std::int32_t j) {
    const std::int32_t a = list->At<TFontTableEntry>(i)->Number;
    const std::int32_t b = list->At<TFontTableEntry>(j)->Number;
    return a < b ? -1 : (a > b ? 1 : 0);
}

int TFontManager::CompareUseCount(TList* list, std::int32_t i, std::int32_t j) const {
    return list->At<TSharedFont>(j)->UseCount - list->At<TSharedFont>(i)->UseCount;
}
