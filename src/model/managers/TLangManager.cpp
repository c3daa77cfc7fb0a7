#include "model/managers/TLangManager.h"

#include <cstdint>
#include <memory>

#include "base/files/TSettingsStorage.h"
#include "base/graphics/TCanvas.h"
#include "base/text/WideText.h"
#include "platform/Fonts.h"
#include "platform/Languages.h"

namespace {

constexpr std::int32_t kUnsetLanguage = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t kNoLanguage = 1024;
constexpr std::int32_t kLatin = 1142;

const TLanguageSpellchecks* g_spellchecks = nullptr;
std::unique_ptr<TLangManager> g_manager;
TLangManager::TReadInteger g_reader;
TSpellcheckMarkDrawer g_markDrawer;

void* IdObject(std::int32_t id) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(id));
}

std::int32_t ObjectId(void* object) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(object));
}

}  // namespace

const TLanguageSpellchecks& LanguageSpellchecks() {
    static const TLanguageSpellchecks defaults;
    return g_spellchecks ? *g_spellchecks : defaults;
}

void SetLanguageSpellchecks(const TLanguageSpellchecks* spellchecks) {
    g_spellchecks = spellchecks;
}

void TLangManager::LoadNames() {
    Names.Clear();
    for (std::int32_t primary = 1; primary <= 146; ++primary) {
        if (primary == 127)
            continue;
        for (std::int32_t sub = 1; sub < 64; ++sub) {
            const std::int32_t id = primary + 1024 * sub;
            std::string name = Platform::LanguageDisplayName(static_cast<std::uint32_t>(id));
            if (name.empty() && id == kLatin)
                name = "Latin";
            if (name.empty()) {
                // Some languages have no first sublanguage but a second one.
                if (sub == 1)
                    continue;
                break;
            }
            Names.SetObject(Names.Add(std::move(name)), IdObject(id));
            if (id == kLatin)
                break;
        }
    }
    Names.Sort();
}

void TLangManager::Load(const TReadInteger& read) {
    LoadNames();
    History.Clear();
    std::int32_t count = read("Count", -1);
    if (count < -1)
        count = 0;
    if (count > MaxHistory)
        count = MaxHistory;
    const std::int32_t interfaceLanguage = UserInterfaceLanguage();
    if (count == -1) {
        // The first run: the interface language, then the spellcheckers'
        // languages from the last to the first, so that the spellcheck
        // manager's first language ends up first.
        AddToHistory(interfaceLanguage);
        const std::vector<std::int32_t> languages = LanguageSpellchecks().AvailableLanguages();
        for (auto it = languages.rbegin(); it != languages.rend(); ++it)
            AddToHistory(*it);
        return;
    }
    for (std::int32_t position = count - 1; position >= 0; --position) {
        const std::string name(1, static_cast<char>('A' + position));
        AddToHistory(read(name, interfaceLanguage));
    }
}

void TLangManager::SaveHistory(const TWriteInteger& write) const {
    for (std::int32_t i = History.Count - 1; i >= 0; --i)
        write(std::string(1, static_cast<char>('A' + i)), HistoryAt(i));
    write("Count", History.Count);
}

void TLangManager::Load(TSettingsStorage& storage) {
    storage.OpenKey("LangHistory");
    Load([&storage](std::string_view name, std::int32_t def) {
        return name == "Count" ? storage.ReadInteger(name, -1, MaxHistory, def)
                               : storage.ReadInteger(name, INT32_MIN, INT32_MAX, def);
    });
}

void TLangManager::SaveHistory(TSettingsStorage& storage) const {
    storage.OpenKey("LangHistory");
    SaveHistory([&storage](std::string_view name, std::int32_t value) { storage.WriteInteger(name, value); });
}

std::string TLangManager::LanguageName(std::int32_t languageId) const {
    if (languageId == kUnsetLanguage || languageId == kNoLanguage)
        return "<none>";
    for (std::int32_t i = 0; i < Names.Count; ++i)
        if (ObjectId(Names.Items[i].Object) == languageId)
            return Names.Items[i].String;
    return "<Another language (ID: " + std::to_string(languageId) + ")>";
}

void TLangManager::AddToHistory(std::int32_t languageId) {
    for (std::int32_t i = History.Count - 1; i >= 0; --i)
        if (ObjectId(History.Item(i)) == languageId)
            History.Delete(i);
    History.Insert(0, IdObject(languageId));
    while (History.Count > MaxHistory)
        History.DeleteLast();
}

void TLangManager::DrawLanguageItem(std::int32_t languageId,
                                    TCanvas& canvas,
                                    bool separatorBelow,
                                    const Platform::TRect& rect) const {
    canvas.FillRect(rect);
    std::int32_t x = rect.Left + 3;
    const std::int32_t centreY = (rect.Top + rect.Bottom) / 2;
    if (g_markDrawer && LanguageSpellchecks().HasSpellchecker(languageId))
        x += g_markDrawer(canvas, x, centreY) + 3;
    const std::u16string name = Utf8ToWide(LanguageName(languageId));
    canvas.TextOutW(x, rect.Top + (rect.Height() - canvas.CharHeight()) / 2, name);
    if (separatorBelow) {
        canvas.Brush->SetColor(canvas.Font->GetColor());
        canvas.FillRect({rect.Left, rect.Bottom - 3, rect.Right, rect.Bottom - 2});
        canvas.FillRect({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
    }
}

std::int32_t TLangManager::HistoryAt(std::int32_t index) const {
    return ObjectId(History.Item(index));
}

TLangManager& LanguageManager() {
    if (!g_manager) {
        g_manager = std::make_unique<TLangManager>();
        g_manager->Load(g_reader ? g_reader : [](std::string_view, std::int32_t def) { return def; });
    }
    return *g_manager;
}

void SetLanguageSettingsReader(TLangManager::TReadInteger read) {
    g_reader = std::move(read);
}

void SetSpellcheckMarkDrawer(TSpellcheckMarkDrawer drawer) {
    g_markDrawer = std::move(drawer);
}

std::int32_t UserInterfaceLanguage() {
    return Platform::UserDefaultLanguageId();
}

void FreeLanguageManager() {
    g_manager.reset();
}

std::int32_t FindLanguageRecord(const std::int32_t* records, std::int32_t lastIndex, std::int32_t languageId) {
    for (std::int32_t i = 0; i <= lastIndex; ++i)
        if (records[2 * i] == languageId && records[2 * i + 1] > 0)
            return i;
    return -1;
}
