#pragma once

#include <unordered_map>
#include <vector>

#include "model/formats/TTextPos.h"

class TDoc;

// The selection as the search commands see it: the selected ranges (empty
// ones left out) and the caret. The selection code of the layout library
// fills this seam in; TPlainSearchSelection keeps the ranges beside the
// document and the caret in the document.
class TSearchSelection {
public:
    virtual ~TSearchSelection() = default;
    virtual std::vector<TFragment> Ranges(TDoc& doc) = 0;
    // Selects ranges (none: only the caret) and puts the caret at caret.
    virtual void Select(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret) = 0;
};

class TPlainSearchSelection : public TSearchSelection {
public:
    std::vector<TFragment> Ranges(TDoc& doc) override;
    void Select(TDoc& doc, const std::vector<TFragment>& ranges, const TTextPos& caret) override;

private:
    std::unordered_map<const TDoc*, std::vector<TFragment>> Selected;
};
