#include "model/managers/TStyleManager.h"

#include "base/text/TextCase.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "platform/CodePages.h"

TStyleManager* StyleManager = nullptr;

// Built-in styles show their canonical names.
const char* const* const kCanonicalNames = BuiltInStyleNames;
const char* const* const BuiltInStyleDisplayNames = BuiltInStyleNames;

const char* const BuiltInStyleFrenchNames[BuiltInStyleCount] = {
    "Normal",
    "Titre 1",
    "Titre 2",
    "Titre 3",
    "Titre 4",
    "Titre 5",
    "Titre 6",
    "Titre 7",
    "Titre 8",
    "Titre 9",
    "Index 1",
    "Index 2",
    "Index 3",
    "Index 4",
    "Index 5",
    "Index 6",
    "Index 7",
    "Index 8",
    "Index 9",
    "TM 1",
    "TM 2",
    "TM 3",
    "TM 4",
    "TM 5",
    "TM 6",
    "TM 7",
    "TM 8",
    "TM 9",
    "Retrait normal",
    "Note de bas de page",
    "Annotation",
    "En-tête",
    "Pied de page",
    "Titre d'index",
    "Légende",
    "Table des illustrations",
    "Adresse destinataire",
    "Adresse expéditeur",
    "Appel de note de bas de page",
    "Appel d'annotation",
    "Numéro de ligne",
    "Numéro de page",
    "Appel de note de fin",
    "Note de fin",
    "Table de références juridiques",
    "Texte de macro",
    "Titre de table de références",
    "Liste",
    "Liste 2",
    "Liste 3",
    "Liste 4",
    "Liste 5",
    "Liste à puces",
    "Liste à puces 2",
    "Liste à puces 3",
    "Liste à puces 4",
    "Liste à puces 5",
    "Liste à numéros",
    "Liste à numéros 2",
    "Liste à numéros 3",
    "Liste à numéros 4",
    "Liste à numéros 5",
    "Titre",
    "Salutations",
    "Signature",
    "Police par défaut",
    "Corps de texte",
    "Retrait corps de texte",
    "Liste continue",
    "Liste continue 2",
    "Liste continue 3",
    "Liste continue 4",
    "Liste continue 5",
    "En-tête de message",
    "Sous-titre",
    "Salutation",
    "Date",
    "Retrait corps et 1re ligne",
    "Retrait corps et 1re ligne 2",
    "Titre de note",
    "Corps de texte 2",
    "Corps de texte 3",
    "Retrait corps de texte 2",
    "Retrait corps de texte 3",
    "Normal centré",
    "Lien hypertexte",
    "Lien hypertexte suivi",
    "Gras",
    "Italique",
    "Plan de document",
    "Texte brut",
    "Titre TM",
};

namespace {

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::int32_t BuiltInIdOf(std::string_view name) {
    for (std::int32_t id = 0; id < BuiltInStyleCount; ++id)
        if (SameAsciiNoCase(name, BuiltInStyleDisplayNames[id]))
            return id;
    for (std::int32_t id = 0; id < BuiltInStyleCount; ++id)
        if (SameAsciiNoCase(name, kCanonicalNames[id]))
            return id;
    return -1;
}

void Identify(TStyleList& sheet) {
    for (std::int32_t i = 0; i < sheet.Count; ++i) {
        TStyle* style = sheet.Style(i);
        style->BuiltInId = BuiltInIdOf(style->Name);
        if (style->BuiltInId < 0) {
            style->DisplayName = style->Name;
            continue;
        }
        style->Name = kCanonicalNames[style->BuiltInId];
        style->DisplayName = BuiltInStyleDisplayNames[style->BuiltInId];
        if (style->IsHeading())
            style->ParFormat.OutlineLevel = static_cast<std::int8_t>(style->BuiltInId - 1);
    }
}

TStyle* NewStyle(TStyleList& sheet, const char* name, std::int32_t basedOn, std::int32_t nextStyle) {
    auto* style = new TStyle(&sheet);
    style->Name = name;
    style->BasedOn = basedOn;
    style->NextStyle = nextStyle;
    sheet.AddStyle(style);
    return style;
}

}  // namespace

TStyleManager::TStyleManager() {
    if (StyleManager == nullptr)
        StyleManager = this;
    TStyleList& sheet = DefaultStyles;
    const std::int32_t arial = FontManager != nullptr ? FontManager->ArialFont : LabelCharFormat[caFont];

    TStyle* normal = NewStyle(sheet, "Normal", -1, 0);
    normal->CharFormat[caFont] = arial;
    normal->CharFormat[caSize] = 20;

    for (int i = 1; i <= 9; ++i) {
        TStyle* heading = NewStyle(sheet, BuiltInStyleNames[i], 0, 0);
        heading->ParFormat.OutlineLevel = static_cast<std::int8_t>(i - 1);
        heading->ParFormat.ListLevel = static_cast<std::int8_t>(i - 1);
    }
    for (const char* name : {"Header", "Footer"})
        NewStyle(sheet, name, 0, sheet.Count);

    TStyle* tocTitle = NewStyle(sheet, "TOC Title", -1, -1);
    tocTitle->CharFormat[caSize] = 24;
    tocTitle->CharFormat[caBold] = 1;
    tocTitle->ParFormat.Alignment = 1;
    tocTitle->ParFormat.KeepWithNext = 1;
    tocTitle->ParFormat.SpaceBefore = 120;

    for (int i = 1; i <= 9; ++i) {
        TStyle* toc = NewStyle(sheet, BuiltInStyleNames[18 + i], -1, -1);
        toc->ParFormat.LeftIndent = static_cast<std::int16_t>((i - 1) * 240);
    }
    for (int i = 1; i <= 9; ++i) {
        TStyle* index = NewStyle(sheet, BuiltInStyleNames[9 + i], 0, sheet.Count);
        index->ParFormat.LeftIndent = static_cast<std::int16_t>((i + 1) * 240);
        index->ParFormat.FirstIndent = -240;
        index->ParFormat.WidowControl = 1;
    }

    TStyle* indexHeading = NewStyle(sheet, "Index Heading", 0, sheet.Count);
    indexHeading->ParFormat.Alignment = 1;
    indexHeading->ParFormat.SpaceBefore = 144;
    indexHeading->ParFormat.SpaceAfter = 72;
    indexHeading->ParFormat.KeepWithNext = 1;
    indexHeading->CharFormat[caBold] = 1;

    for (const char* name : {"Footnote Text", "Endnote Text"}) {
        TStyle* note = NewStyle(sheet, name, 0, sheet.Count);
        note->CharFormat[caSize] = 20;
    }
    IdentifyBuiltInStyles(sheet);
}

TStyleManager::~TStyleManager() {
    if (StyleManager == this)
        StyleManager = nullptr;
}

void TStyleManager::IdentifyBuiltInStyles(TStyleList& sheet) const {
    if (SuspendIdentify == 0)
        Identify(sheet);
}

void TStyleManager::AddDefaultStyles(TStyleList& sheet) const {
    TImportStylesInfo info(&DefaultStyles);
    info.ReplaceExisting = 0;
    info.Selected->Add(IntItem(0));
    sheet.ImportStyles(info, false);
}

void IdentifyBuiltInStyles(TStyleList& sheet) {
    if (StyleManager != nullptr)
        StyleManager->IdentifyBuiltInStyles(sheet);
    else
        Identify(sheet);
}

std::string TranslateBuiltInStyleName(std::string_view name) {
    const std::u16string lower = LowerCaseWideLocale(Platform::Utf8ToUtf16(name));
    for (std::int32_t id = 0; id < BuiltInStyleCount; ++id) {
        const std::u16string french = Platform::Utf8ToUtf16(BuiltInStyleFrenchNames[id]);
        if (french.size() == lower.size() && LowerCaseWideLocale(french) == lower)
            return kCanonicalNames[id];
    }
    return {};
}
