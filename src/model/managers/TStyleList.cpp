#include "model/managers/TStyleList.h"

#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "base/text/CompareLocale.h"
#include "base/text/TStrings.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleManager.h"
#include "platform/CodePages.h"

namespace {

bool SameNameLocale(const std::string& a, const std::u16string& wideB) {
    const std::u16string wideA = Platform::Utf8ToUtf16(a);
    return CompareWideTextLocale(wideA.c_str(), wideB.c_str()) == 0;
}

// One run of ImportStyles: it works on a copy of the destination sheet, so
// that a cancel leaves the destination as it was.
class TStyleImport {
public:
    TStyleImport(TStyleList& work, TImportStylesInfo& info, bool ask) : Work(work), Info(info), Ask(ask) {}

    void Run() {
        ToDo.Assign(*Info.Selected);
        while (ToDo.Count > 0 && !Cancelled)
            Import(ItemInt(ToDo, 0));
    }

    bool Cancelled = false;

private:
    // A reference of an imported style (parent or next style), given as a
    // source index; -1 for one the source does not hold.
    std::int32_t ImportReference(std::int32_t p) { return p >= 0 && p < Info.Source->Count ? Import(p) : -1; }

    std::int32_t Import(std::int32_t p) {
        while (ToDo.Contains(IntItem(p)))
            ToDo.Remove(IntItem(p));
        if (p < 0 || p >= Info.Source->Count)
            return -1;
        const TStyle* source = Info.Source->Style(p);
        const std::int32_t d = Work.IndexOfName(source->Name);
        if (d < 0) {
            const std::int32_t added = Work.Count;
            Handled.Add(IntItem(added));
            auto* copy = new TStyle(&Work, *source);
            Work.AddStyle(copy);
            Info.Added->Add(IntItem(added));
            if (copy->BasedOn != -1)
                copy->BasedOn = ImportReference(copy->BasedOn);
            if (!Cancelled && copy->NextStyle != -1)
                copy->NextStyle = ImportReference(copy->NextStyle);
            return added;
        }
        if (Handled.Contains(IntItem(d)) || Info.ReplaceExisting == 0 || NoToAll ||
            (Info.SelectedOnly == 1 && !Info.Selected->Contains(IntItem(p))))
            return d;
        Handled.Add(IntItem(d));
        if (Ask) {
            MessageBoxParams.LastButton = mbiCancel;
            const std::uint16_t answer = ShowMessageBox(
                FormatOneString(
                    "Replace style \"%s\" in destination style list with corresponding style from source style list?",
                    source->DisplayName),
                mbkConfirm, mbYes | mbNo | mbNoToAll | mbYesToAll | mbCancel);
            switch (answer) {
                case mrYes:
                    break;
                case mrYesToAll:
                    Ask = false;
                    break;
                case mrNo:
                    return d;
                case mrNoToAll:
                    Ask = false;
                    NoToAll = true;
                    return d;
                default:
                    Cancelled = true;
                    return d;
            }
        }
        TStyle* target = Work.Style(d);
        target->Assign(*source);
        target->ParFormat.Style = static_cast<std::int16_t>(d);
        Info.Replaced->Add(IntItem(d));
        if (target->BasedOn != -1)
            target->BasedOn = ImportReference(target->BasedOn);
        if (!Cancelled && target->NextStyle != -1)
            target->NextStyle = ImportReference(target->NextStyle);
        return d;
    }

    TStyleList& Work;
    TImportStylesInfo& Info;
    bool Ask;
    bool NoToAll = false;
    TList ToDo;     // source indices
    TList Handled;  // destination indices
};

void CollectDerived(const TStyleList& sheet, std::int32_t index, TList& out, bool recursive, std::vector<bool>& seen) {
    for (std::int32_t i = 0; i < sheet.Count; ++i) {
        if (sheet.Style(i)->BasedOn != index || seen[i])
            continue;
        seen[i] = true;
        out.Add(IntItem(i));
        if (recursive)
            CollectDerived(sheet, i, out, true, seen);
    }
}

}  // namespace

TImportStylesInfo::TImportStylesInfo(const TStyleList* source)
    : Source(source), Selected(TList::Acquire()), Added(TList::Acquire()), Replaced(TList::Acquire()) {}

TImportStylesInfo::~TImportStylesInfo() {
    TList::Release(Selected);
    TList::Release(Added);
    TList::Release(Replaced);
}

TStyleList::~TStyleList() {
    FreeItems<TStyle>();
}

void TStyleList::AddStyle(TStyle* style) {
    style->ParFormat.Style = static_cast<std::int16_t>(Count);
    Add(style);
}

void TStyleList::Assign(const TStyleList& source) {
    if (&source == this)
        return;
    FreeItems<TStyle>();
    for (std::int32_t i = 0; i < source.Count; ++i)
        Add(new TStyle(this, *source.Style(i)));
}

void TStyleList::DeleteStyle(std::int32_t index) {
    if (index < 0 || index >= Count)
        return;
    TStyle* deleted = Style(index);
    // A style based on itself (a damaged sheet) passes no parent on.
    const std::int32_t parent = deleted->BasedOn == index ? -1 : deleted->BasedOn;
    for (std::int32_t i = 0; i < Count; ++i)
        if (i != index && Style(i)->BasedOn == index)
            Style(i)->BasedOn = parent;
    for (std::int32_t i = 0; i < Count; ++i) {
        if (i == index)
            continue;
        TStyle* s = Style(i);
        if (s->BasedOn > index)
            --s->BasedOn;
        if (s->NextStyle == index)
            s->NextStyle = index == 0 ? i : 0;
        if (s->NextStyle > index)
            --s->NextStyle;
    }
    Delete(index);
    delete deleted;
    for (std::int32_t i = 0; i < Count; ++i)
        Style(i)->ParFormat.Style = static_cast<std::int16_t>(i);
}

std::int32_t TStyleList::IndexOfName(const std::string& name) const {
    const std::u16string wide = Platform::Utf8ToUtf16(name);
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (SameNameLocale(Style(i)->Name, wide))
            return i;
    return -1;
}

std::int32_t TStyleList::IndexOfDisplayName(const std::string& name) const {
    const std::u16string wide = Platform::Utf8ToUtf16(name);
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (SameNameLocale(Style(i)->DisplayName, wide))
            return i;
    return -1;
}

std::int32_t TStyleList::IndexOfBuiltIn(std::int32_t id) const {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (Style(i)->BuiltInId == id)
            return i;
    return -1;
}

std::int32_t TStyleList::IndexOfHotKey(std::uint32_t key) const {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        if (Style(i)->HotKey == key)
            return i;
    return -1;
}

std::int32_t TStyleList::IndexOfListStyle(const TAutoList* list, std::int32_t level) const {
    for (std::int32_t i = 0; i < Count; ++i) {
        const TStyle* s = Style(i);
        const std::int32_t listLevel = s->ParFormat.ListLevel;
        if (s->List() == list && list != nullptr && listLevel == level)
            return i;
    }
    return -1;
}

void TStyleList::GetBasedOnChain(std::int32_t index, TList& out) const {
    if (index < 0 || index >= Count)
        return;
    // A damaged sheet may loop; no chain is longer than the sheet.
    std::int32_t next = Style(index)->BasedOn;
    for (std::int32_t steps = 0; next >= 0 && next < Count && next != index && steps < Count; ++steps) {
        out.Add(IntItem(next));
        next = Style(next)->BasedOn;
    }
}

void TStyleList::GetDerivedStyles(std::int32_t index, TList& out, bool recursive) const {
    if (index < 0 || index >= Count)
        return;
    std::vector<bool> seen(static_cast<std::size_t>(Count), false);
    seen[index] = true;
    CollectDerived(*this, index, out, recursive, seen);
}

void TStyleList::FillStyleNames(TStrings& strings) const {
    strings.Clear();
    for (std::int32_t i = 0; i < Count; ++i)
        strings.AddObject(Style(i)->DisplayName, IntItem(i));
}

bool TStyleList::ImportStyles(TImportStylesInfo& info, bool ask) {
    TStyleList work(nullptr);
    work.Assign(*this);
    info.Added->Clear();
    info.Replaced->Clear();
    TStyleImport import(work, info, ask);
    import.Run();
    if (import.Cancelled)
        return false;
    for (std::int32_t i = 0; i < Count; ++i)
        Style(i)->Assign(*work.Style(i));
    for (std::int32_t i = Count; i < work.Count; ++i)
        AddStyle(new TStyle(this, *work.Style(i)));
    IdentifyBuiltInStyles(*this);
    return true;
}
