#include "editing/formatting/BuiltInStyles.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editing/formatting/Formatting.h"
#include "editing/formatting/FormattingSeams.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/DocConstants.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TStyleManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/StyleOperations.h"

namespace {

// Each level of a table of contents is indented this much more (twips).
constexpr std::int32_t TocLevelIndent = 240;
constexpr std::int32_t BodyTextLevel = 9;

// A copy of the document's sheet to change and hand to the style-sheet
// worker.
std::unique_ptr<TStyleList> SheetCopy(TDoc& doc) {
    auto sheet = std::make_unique<TStyleList>(&doc);
    sheet->Assign(*doc.Styles);
    return sheet;
}

// A style whose list the document does not hold loses the list.
void DropForeignLists(const TDoc& doc, TStyleList& sheet) {
    for (std::int32_t i = 0; i < sheet.Count; ++i) {
        TStyle& style = *sheet.Style(i);
        if (style.HasList() && !doc.Lists.Contains(style.List())) {
            ClearParProp(style.ParFormat, ppList);
            ClearParProp(style.ParFormat, ppListLevel);
        }
    }
}

// Applies a changed sheet: the replaced styles' paragraphs follow them.
void ApplySheet(TDoc& doc, std::unique_ptr<TStyleList> sheet, const TList* replaced) {
    auto* info = new TFormatStyleListInfo;
    info->NewStyles = sheet.release();
    if (replaced != nullptr)
        for (std::int32_t i = 0; i < replaced->Count; ++i)
            info->ChangedStyles.Add(replaced->Item(i));
    FormatStyles(doc, info);
}

// Imports the styles of source named by indices into the document's sheet.
bool Import(TDoc& doc, const TStyleList& source, const std::vector<std::int32_t>& indices, bool overwrite) {
    if (indices.empty())
        return false;
    std::unique_ptr<TStyleList> sheet = SheetCopy(doc);
    TImportStylesInfo info(&source);
    info.ReplaceExisting = overwrite ? 1 : 0;
    for (std::int32_t index : indices)
        info.Selected->Add(IntItem(index));
    if (!sheet->ImportStyles(info, false))
        return false;
    if (info.Added->Count == 0 && info.Replaced->Count == 0)
        return false;
    DropForeignLists(doc, *sheet);
    ApplySheet(doc, std::move(sheet), info.Replaced);
    return true;
}

bool ImportBuiltIn(TDoc& doc, const TStyleList* source, std::int32_t id, bool overwrite) {
    if (source == nullptr)
        return false;
    const std::int32_t index = source->IndexOfBuiltIn(id);
    return index >= 0 && Import(doc, *source, {index}, overwrite);
}

const TStyleList* DefaultSheet() {
    return StyleManager != nullptr ? &StyleManager->DefaultStyles : nullptr;
}

// The default template for as long as it is needed: closed again at the end
// when it was opened for this.
class TDefaultTemplate {
public:
    explicit TDefaultTemplate(const TDoc& doc) {
        if (FormattingSeams().OpenDefaultTemplate != nullptr)
            Doc = FormattingSeams().OpenDefaultTemplate(doc, Owned);
    }
    ~TDefaultTemplate() {
        if (Owned)
            delete Doc;
    }
    TDefaultTemplate(const TDefaultTemplate&) = delete;
    TDefaultTemplate& operator=(const TDefaultTemplate&) = delete;

    const TStyleList* Styles() const { return Doc != nullptr ? Doc->Styles : nullptr; }

private:
    TDoc* Doc = nullptr;
    bool Owned = false;
};

std::int32_t ResolvedLeftIndent(const TStyleList& sheet, std::int32_t index) {
    if (index < 0)
        return 0;
    TParFormat format = DefaultParFormat;
    sheet.Style(index)->ResolveFormat(nullptr, &format, rfListIndents);
    return format.LeftIndent;
}

}  // namespace

std::int32_t EnsureBuiltInStyle(TDoc& doc, std::int32_t id) {
    std::int32_t index = doc.Styles->IndexOfBuiltIn(id);
    if (index >= 0)
        return index;
    {
        const TDefaultTemplate templ(doc);
        ImportBuiltIn(doc, templ.Styles(), id, true);
    }
    index = doc.Styles->IndexOfBuiltIn(id);
    if (index < 0) {
        ImportBuiltIn(doc, DefaultSheet(), id, true);
        index = doc.Styles->IndexOfBuiltIn(id);
    }
    return index;
}

void EnsureTOCStyles(TDoc& doc,
                     const TDoc* styleSource,
                     const TDoc* templateDoc,
                     const TDoc* defaultTemplate,
                     std::int32_t levels,
                     bool update) {
    levels = std::clamp(levels, 1, 9);
    if (styleSource != nullptr) {
        std::vector<std::int32_t> all;
        for (std::int32_t i = 0; i < styleSource->Styles->Count; ++i)
            all.push_back(i);
        Import(doc, *styleSource->Styles, all, !update);
    }
    for (const TDoc* source : {templateDoc, defaultTemplate}) {
        if (source == nullptr)
            continue;
        std::vector<std::int32_t> wanted;
        for (std::int32_t id : {static_cast<std::int32_t>(bsTocTitle)}) {
            const std::int32_t i = source->Styles->IndexOfBuiltIn(id);
            if (i >= 0)
                wanted.push_back(i);
        }
        for (std::int32_t k = 1; k <= levels; ++k) {
            const std::int32_t i = source->Styles->IndexOfBuiltIn(bsToc1 + k - 1);
            if (i >= 0)
                wanted.push_back(i);
        }
        Import(doc, *source->Styles, wanted, source == templateDoc && !update);
    }

    // What is still missing comes from the defaults.
    std::unique_ptr<TStyleList> sheet = SheetCopy(doc);
    const TStyleList* defaults = DefaultSheet();
    bool added = false;
    auto fresh = [&](std::int32_t id) {
        auto* style = new TStyle(sheet.get());
        const std::int32_t d = defaults != nullptr ? defaults->IndexOfBuiltIn(id) : -1;
        if (d >= 0) {
            const TStyle& model = *defaults->Style(d);
            style->Name = model.Name;
            style->DisplayName = model.DisplayName;
        } else {
            style->Name = style->DisplayName = BuiltInStyleNames[id];
        }
        style->BuiltInId = id;
        return std::make_pair(style, d);
    };
    if (sheet->IndexOfBuiltIn(bsTocTitle) < 0) {
        auto [style, d] = fresh(bsTocTitle);
        if (d >= 0) {
            defaults->Style(d)->ResolveFormat(&style->CharFormat, &style->ParFormat, rfUnsetBase);
        }
        sheet->AddStyle(style);
        added = true;
    }
    const std::int32_t normal = sheet->IndexOfBuiltIn(bsNormal);
    for (std::int32_t k = 1; k <= levels; ++k) {
        const std::int32_t id = bsToc1 + k - 1;
        if (sheet->IndexOfBuiltIn(id) >= 0)
            continue;
        auto [style, d] = fresh(id);
        const std::int32_t above = k > 1 ? sheet->IndexOfBuiltIn(id - 1) : -1;
        if (above >= 0) {
            const TStyle& model = *sheet->Style(above);
            style->BasedOn = model.BasedOn;
            style->NextStyle = model.NextStyle;
            style->CharFormat = model.CharFormat;
            style->ParFormat = model.ParFormat;
            style->ParFormat.LeftIndent = static_cast<std::int16_t>(ResolvedLeftIndent(*sheet, above) + TocLevelIndent);
        } else {
            style->NextStyle = -1;
            style->ParFormat.LeftIndent =
                static_cast<std::int16_t>((k - 1) * TocLevelIndent + ResolvedLeftIndent(*sheet, normal));
        }
        sheet->AddStyle(style);
        added = true;
    }
    if (added)
        ApplySheet(doc, std::move(sheet), nullptr);
}

void EnsureHeaderFooterStyles(TDoc& doc) {
    if (doc.Styles->IndexOfBuiltIn(bsHeader) >= 0 && doc.Styles->IndexOfBuiltIn(bsFooter) >= 0)
        return;
    {
        const TDefaultTemplate templ(doc);
        for (std::int32_t id : {static_cast<std::int32_t>(bsHeader), static_cast<std::int32_t>(bsFooter)})
            if (doc.Styles->IndexOfBuiltIn(id) < 0)
                ImportBuiltIn(doc, templ.Styles(), id, true);
    }
    const TStyleList* defaults = DefaultSheet();
    if (defaults == nullptr)
        return;
    std::vector<std::int32_t> wanted;
    for (std::int32_t id : {static_cast<std::int32_t>(bsHeader), static_cast<std::int32_t>(bsFooter)}) {
        const std::int32_t d = defaults->IndexOfBuiltIn(id);
        if (doc.Styles->IndexOfBuiltIn(id) < 0 && d >= 0)
            wanted.push_back(d);
    }
    if (wanted.empty())
        return;
    // Styles from the defaults stop a centred tab at the middle of the text
    // and a right tab at its end.
    std::unique_ptr<TStyleList> sheet = SheetCopy(doc);
    TImportStylesInfo info(defaults);
    info.ReplaceExisting = 1;
    for (std::int32_t index : wanted)
        info.Selected->Add(IntItem(index));
    if (!sheet->ImportStyles(info, false))
        return;
    std::int16_t tabs = 0;
    if (TabManager != nullptr) {
        const std::int32_t width = doc.Sections.At<TSection>(0)->PageSetup.TextWidth;
        TList stops;
        AddTabStop(stops, MakeTabStop(width / 2, taCenter, tlNone));
        AddTabStop(stops, MakeTabStop(width, taRight, tlNone));
        SortTabStops(stops);
        tabs = static_cast<std::int16_t>(TabManager->InternTabTable(stops));
    }
    for (std::int32_t id : {static_cast<std::int32_t>(bsHeader), static_cast<std::int32_t>(bsFooter)}) {
        const std::int32_t i = sheet->IndexOfBuiltIn(id);
        if (i >= 0 && tabs != 0 && doc.Styles->IndexOfBuiltIn(id) < 0)
            sheet->Style(i)->ParFormat.Tabs = tabs;
    }
    DropForeignLists(doc, *sheet);
    ApplySheet(doc, std::move(sheet), info.Replaced);
}

void SetHeadingLevel(TDoc& doc, std::int32_t p, std::int32_t level) {
    if (p < 0 || p >= doc.ParCount() || level < 0 || level > BodyTextLevel)
        return;
    TFragment whole;
    MakeFragment(p, 0, p, doc.Par(p)->CharCount(), whole);
    const TParFormat& format = doc.Par(p)->Format;
    const std::int32_t styleIndex = format.Style >= 0 && format.Style < doc.Styles->Count ? format.Style : 0;
    const TStyle& style = *doc.Styles->Style(styleIndex);
    TParFormat resolved = DefaultParFormat;
    style.ResolveFormat(nullptr, &resolved, 0);
    const std::int32_t styleLevel = ParPropIsUnset(resolved, ppOutlineLevel) ? BodyTextLevel : resolved.OutlineLevel;
    const std::int32_t ownLevel = ParPropIsUnset(format, ppOutlineLevel) ? BodyTextLevel : format.OutlineLevel;
    TParFormat change = UnsetParFormat;

    if (level == BodyTextLevel) {
        if (styleLevel != BodyTextLevel) {
            const std::int32_t normal = EnsureBuiltInStyle(doc, bsNormal);
            if (normal >= 0)
                ApplyStyle(doc, {whole}, nullptr, nullptr, true, normal);
        }
        if (doc.Par(p)->Format.OutlineLevel != BodyTextLevel) {
            change.OutlineLevel = BodyTextLevel;
            FormatParagraphsEx(doc, {whole}, change);
        }
        return;
    }
    if (style.IsHeading()) {
        const std::int32_t heading = EnsureBuiltInStyle(doc, bsHeading1 + level);
        // An imported heading has lost a list of another document on the
        // way in (Import).
        if (heading >= 0)
            ApplyStyle(doc, {whole}, nullptr, nullptr, true, heading);
        return;
    }
    // A family of styles numbered by level ("Chapter 2", "Chapter 3").
    if (ownLevel != BodyTextLevel && ownLevel < 9 && !style.Name.empty() && style.Name.back() == '1' + ownLevel) {
        std::string name = style.Name;
        name.back() = static_cast<char>('1' + level);
        const std::int32_t sibling = doc.Styles->IndexOfName(name);
        if (sibling >= 0) {
            TParFormat siblingFormat = DefaultParFormat;
            doc.Styles->Style(sibling)->ResolveFormat(nullptr, &siblingFormat, 0);
            if (siblingFormat.OutlineLevel == level) {
                ApplyStyle(doc, {whole}, nullptr, nullptr, true, sibling);
                return;
            }
        }
    }
    change.OutlineLevel = static_cast<std::int8_t>(level);
    FormatParagraphsEx(doc, {whole}, change);
}
