#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/core/TList.h"
#include "base/text/TStringList.h"
#include "model/formats/TCharFormat.h"
#include "platform/GdiTypes.h"

class TSharedFont;
class TKerningPairs;
class TStrings;

// One installed font family.
struct TFontFamily {
    std::string Name;
    std::int32_t Charset = 0;  // the first character set enumerated (2: a symbol font)
    std::int32_t PitchAndFamily = 0;
    std::uint8_t Registered = 0;  // 1 once a registered font refers to it
};

// One registered font: what attribute caFont of a character format names.
// Indices never change while the program runs.
struct TRegFont {
    TRegFont() = default;
    TRegFont(const TRegFont& other);
    TRegFont& operator=(const TRegFont&) = delete;
    ~TRegFont();
    // The family's name for an installed font, else the registered name.
    std::string GetName() const;

    std::uint8_t Installed = 0;
    std::int32_t Family = -1;
    std::int32_t FontId = 0;  // the same for every character set of one face name
    std::string Name;
    std::int32_t Charset = 0;
    std::int32_t CreateCharset = 0;
    TList* KnownChars = nullptr;  // made on first need by the font fallback of text insertion
    std::int32_t WriterUsed = 0;
    std::int32_t WriterNumber = 0;
};

// One entry of a file's font table as a reader keeps it: the number the
// file gives the font, the registered font it became, its face name and
// character set.
struct TFontTableEntry {
    std::int32_t Number = 0;
    std::int32_t FontIndex = 0;
    std::string Name;
    std::int32_t Charset = 0;
};

// Orders the TFontTableEntry items of a list by font number (for
// TList::Sort): negative, 0 or positive. Numbers span the whole 32-bit
// range (the preset entry carries 2147483647), so they are compared, never
// subtracted.
int CompareFontNumbers(TList* list, std::int32_t i, std::int32_t j);

// What the font manager needs of later subsystems. Every hook may stay
// empty; the manager then does without.
struct TFontManagerHooks {
    // The folder whose font files a portable installation adds for the run;
    // empty when not portable.
    std::function<std::string()> PortableFontFolder;
    // The option to list only favourite fonts.
    std::function<bool()> ShowOnlyFavoriteFonts;
    // After the installed fonts changed: every open document rebuilds its
    // layout, and the Insert Symbol window refreshes.
    std::function<void()> RebuildDocumentLayouts;
    std::function<void()> RefreshSymbolWindow;
    // The font-name box that asked, to be focused before a message.
    std::function<void(void* control)> FocusControl;
    // Feeds the handle value of each new font to the encryption's entropy pool.
    std::function<void(std::uintptr_t value)> AddEntropy;
    // An optional message (the user may have switched it off): returns the
    // answer. Without a hook the message box asks.
    std::function<std::uint16_t(int number, std::string_view text, std::uint8_t kind, std::uint16_t buttons)>
        OptionalMessage;
};
TFontManagerHooks& FontManagerHooks();

// The process-wide font manager: installed families, registered document
// fonts, name substitution, the cache of drawing fonts per character format
// and the kerning pairs.
class TFontManager {
public:
    TFontManager();
    TFontManager(const TFontManager&) = delete;
    TFontManager& operator=(const TFontManager&) = delete;
    ~TFontManager();

    // The registered index of name in charset (UnsetValue: the family's own
    // or the default one); fuzzy also finds a family whose name lacks the
    // last word of name.
    std::int32_t RegisterFont(const std::string& name, std::int32_t charset, bool fuzzy);
    std::int32_t FontWithCharset(std::int32_t fontId, std::int32_t charset);
    std::int32_t IndexOfFamily(const std::string& name) const;
    std::int32_t IndexOfFont(const std::string& name) const;
    std::int32_t FindFamily(const std::string& name, bool fuzzy) const;
    std::string GetSubstitute(const std::string& name, bool noFallback) const;
    void GetFontNames(TStrings& strings) const;
    bool ConfirmFontName(std::int32_t& fontIndex, const std::string& name, void* control);
    void SelectFont(const TCharFormat& format, std::int32_t deviceHeight, Platform::HDC dc, bool select, bool quiet);
    void SelectKerningPairs(const TCharFormat& format, std::int32_t deviceHeight, Platform::HDC dc);
    int CompareUseCount(TList* list, std::int32_t i, std::int32_t j) const;
    void Refresh();

    TRegFont* RegFont(std::int32_t index) const { return RegFonts.At<TRegFont>(index); }
    TFontFamily* FamilyAt(std::int32_t index) const { return Families.At<TFontFamily>(index); }

    TStringList PrivateFontFiles;
    TList SharedFonts;
    TStringList SeenFaceRequested;
    TStringList SeenFaceActual;
    std::int32_t NextFontId = 0;
    std::int32_t ArialFont = -1;
    std::int32_t TimesFont = -1;
    std::int32_t SymbolFont = -1;
    std::int32_t WingdingsFont = -1;
    TStringList FavoriteFonts;
    TList Families;
    TList RegFonts;
    TList KerningCache;

private:
    void EnumerateFamilies();
    void MatchRegisteredFonts();
    void FreeCaches();
};

extern TFontManager* FontManager;

// State beside the manager: the current shared font and the context it was
// last selected into, the current kerning pairs, and the face used when a
// font cannot be had.
extern TSharedFont* CurrentSharedFont;
extern Platform::HDC CurrentFontDC;
extern TKerningPairs* CurrentKerningPairs;
extern std::string FallbackFace;
