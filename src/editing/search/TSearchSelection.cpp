#include "editing/search/TSearchSelection.h"

#include "model/document/TDoc.h"

std::vector<TFragment> TPlainSearchSelection::Ranges(TDoc& doc) {
    auto it = Selected.find(&doc);
    return it != Selected.end() ? it->second : std::vector<TFragment>{};
}

void TPlainSearchSelection::Select(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret) {
    std::vector<TFragment>& kept = Selected[&doc];
    kept.clear();
    for (const TFragment& range : ranges)
        if (!FragmentIsEmpty(range))
            kept.push_back(range);
    doc.Caret = caret;
}
