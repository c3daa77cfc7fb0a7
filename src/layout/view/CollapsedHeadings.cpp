#include "layout/view/CollapsedHeadings.h"

#include "layout/words/WordServices.h"
#include "model/document/ShownPars.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TParFormat.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t BodyTextLevel = 9;

std::int32_t OutlineLevel(const TPar& par) {
    const std::int32_t level = GetParProp(par.Format, ppOutlineLevel);
    return level >= 0 && level < BodyTextLevel ? level : BodyTextLevel;
}

bool InTable(const TPar& par) {
    return par.Format.InTable == 1;
}

bool Collapsed(const TPar& par) {
    return GetParProp(par.Format, ppCollapsed) != 0;
}

}  // namespace

std::vector<std::pair<std::int32_t, std::int32_t>> ComputeCollapsedRanges(const TDoc& doc) {
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    if (doc.ParCount() == 0)
        return ranges;
    const std::int32_t first = doc.FirstParOfStory(0);
    const std::int32_t last = doc.LastParOfStory(0);
    std::int32_t i = first;
    while (i <= last) {
        const TPar& heading = *doc.Par(i);
        const std::int32_t level = OutlineLevel(heading);
        if (!Collapsed(heading) || level >= BodyTextLevel || InTable(heading)) {
            ++i;
            continue;
        }
        // Tables are hidden whole, whatever the levels of their cells.
        std::int32_t j = i + 1;
        while (j <= last && (InTable(*doc.Par(j)) || OutlineLevel(*doc.Par(j)) > level))
            ++j;
        if (j > i + 1)
            ranges.emplace_back(i + 1, j - 1);
        i = j;
    }
    return ranges;
}

std::int32_t CollapsedRangeCount(TDoc& doc) {
    // The model's steps mark the outline stale when they change a level, a
    // collapsed mark or the paragraphs' order, including when they are
    // undone or redone, which no editing worker sees.
    if (doc.StateFlags[sfCollapsedStale] != 0) {
        doc.StateFlags[sfCollapsedStale] = 0;
        doc.CollapsedDirty = 1;
    }
    if (doc.CollapsedDirty != 0) {
        doc.CollapsedRanges = ComputeCollapsedRanges(doc);
        doc.CollapsedDirty = 0;
    }
    return static_cast<std::int32_t>(doc.CollapsedRanges.size());
}

void MarkCollapsedDirty(TDoc& doc) {
    doc.CollapsedDirty = 1;
}

void FindCollapsedRange(TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last) {
    first = last = -1;
    if (doc.Client == nullptr || !doc.Client->HasWindow() || CollapsedRangeCount(doc) == 0)
        return;
    for (auto it = doc.CollapsedRanges.rbegin(); it != doc.CollapsedRanges.rend(); ++it)
        if (it->first <= par && par <= it->second) {
            first = it->first;
            last = it->second;
            return;
        }
}

bool IsParCollapsed(TDoc& doc, std::int32_t par) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    FindCollapsedRange(doc, par, first, last);
    return first >= 0;
}

std::int32_t VisibleParAtOrBefore(TDoc& doc, std::int32_t par) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    FindCollapsedRange(doc, par, first, last);
    return first >= 0 ? first - 1 : par;
}

bool ToggleCollapsed(TDoc& doc, std::int32_t par) {
    if (par < 0 || par >= doc.ParCount())
        return false;
    TPar& heading = *doc.Par(par);
    if (OutlineLevel(heading) >= BodyTextLevel || InTable(heading))
        return false;
    SetParProp(heading.Format, ppCollapsed, Collapsed(heading) ? 0 : 1);
    MarkCollapsedDirty(doc);
    return true;
}

namespace {

bool HiddenByCollapsedHeading(const TDoc& doc, std::int32_t par) {
    // The list is a cache of the document's own properties; rebuilding it
    // does not change what the document shows.
    return IsParCollapsed(const_cast<TDoc&>(doc), par);
}

std::int32_t NearestShownPar(const TDoc& doc, std::int32_t par) {
    return VisibleParAtOrBefore(const_cast<TDoc&>(doc), par);
}

}  // namespace

void InstallCollapsedHeadings() {
    SetHiddenParQuery(HiddenByCollapsedHeading);
    SetShownParQuery(NearestShownPar);
}
