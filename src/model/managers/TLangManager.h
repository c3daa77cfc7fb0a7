#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/core/TList.h"
#include "base/text/TStringList.h"
#include "platform/GdiTypes.h"

class TCanvas;
class TSettingsStorage;

// What the language lists ask of the writing tools: the languages of the
// available spellcheckers in the spellcheck manager's order, and whether a
// spellchecker covers a language. The writing tools install their answers;
// until then there are no spellcheckers.
class TLanguageSpellchecks {
public:
    virtual ~TLanguageSpellchecks() = default;
    virtual std::vector<std::int32_t> AvailableLanguages() const { return {}; }
    virtual bool HasSpellchecker(std::int32_t language) const { return false; }
};
const TLanguageSpellchecks& LanguageSpellchecks();
void SetLanguageSpellchecks(const TLanguageSpellchecks* spellchecks);  // nullptr restores the default

// The languages the program can name, and the languages last used, which
// language lists show first.
class TLangManager {
public:
    static constexpr int MaxHistory = 8;

    TLangManager() = default;
    TLangManager(const TLangManager&) = delete;
    TLangManager& operator=(const TLangManager&) = delete;

    // The history is kept as integer values of the settings section
    // "LangHistory"; the caller opens the section and lends its reader or
    // writer, which returns def for a value that is not stored.
    using TReadInteger = std::function<std::int32_t(std::string_view name, std::int32_t def)>;
    using TWriteInteger = std::function<void(std::string_view name, std::int32_t value)>;

    // Fills Names with every language the locale data can name, sorted, and
    // reads the history: "Count" (0..8), then the entries "A", "B", ... from
    // the oldest. Settings that never held a history start it with the
    // spellcheckers' languages and the user's interface language.
    void Load(const TReadInteger& read);
    // Writes the history: one value per entry, named "A" + its position,
    // from the last entry to the first, then "Count".
    void SaveHistory(const TWriteInteger& write) const;
    // The same through a settings store, in its section "LangHistory".
    void Load(TSettingsStorage& storage);
    void SaveHistory(TSettingsStorage& storage) const;

    // "<none>" for the unset value and for 1024; the listed name; else
    // "<Another language (ID: %d)>".
    std::string LanguageName(std::int32_t languageId) const;
    // Moves or inserts the language at the front and keeps eight entries.
    void AddToHistory(std::int32_t languageId);
    std::int32_t HistoryCount() const { return History.Count; }
    // Draws one entry of a language list: the rectangle filled with the
    // canvas brush, the spellcheck mark when a spellchecker covers the
    // language, the name centred vertically, and with separatorBelow a
    // double line in the font colour along the bottom.
    void DrawLanguageItem(std::int32_t languageId,
                          TCanvas& canvas,
                          bool separatorBelow,
                          const Platform::TRect& rect) const;
    std::int32_t HistoryAt(std::int32_t index) const;

    TStringList Names;  // display names, sorted, each with its language id as object
    TList History;      // language ids, most recent first

private:
    void LoadNames();
};

// The one language manager, created and loaded on first use with the
// settings reader the shell installs (every value at its default without
// one).
TLangManager& LanguageManager();
void SetLanguageSettingsReader(TLangManager::TReadInteger read);

// Draws the mark of languages that have a spellchecker (the glyph of the
// shared glyph strip) with its left edge at x, centred on centreY, and
// returns its width. The picture helpers install it; without it no mark is
// drawn.
using TSpellcheckMarkDrawer = std::function<std::int32_t(TCanvas& canvas, std::int32_t x, std::int32_t centreY)>;
void SetSpellcheckMarkDrawer(TSpellcheckMarkDrawer drawer);
// Drops the language manager so that the next use loads it afresh.
void FreeLanguageManager();

// The user's interface language (a Windows language id).
std::int32_t UserInterfaceLanguage();

// Index of the first of the records 0..lastIndex (pairs of language id and
// count) whose language matches and whose count is positive; -1 when none.
std::int32_t FindLanguageRecord(const std::int32_t* records, std::int32_t lastIndex, std::int32_t languageId);
