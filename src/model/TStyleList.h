#pragma once

#include "base/TList.h"

class TDoc;
class TStyle;

// A document's style sheet: a list of TStyle that owns its styles. Index 0
// holds "Normal".
class TStyleList : public TList {
public:
    explicit TStyleList(TDoc* doc) : Doc(doc) {}
    ~TStyleList() override;

    TStyle* Style(std::int32_t index) const { return At<TStyle>(index); }

    TDoc* Doc = nullptr;  // nil for sheets of no document
};
