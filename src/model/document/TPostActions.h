#pragma once

#include <cstdint>

#include "model/formats/TTextPos.h"

class TCompoundFragment;

// What an operation leaves to do once it has changed the model: the first
// page to lay out again, the range to repaint, the caret and selection to
// restore and the place to scroll into view. Steps and workers only note
// into it; TDoc::ApplyPostActions does the work once, afterwards.
class TPostActions {
public:
    TPostActions();
    TPostActions(const TPostActions&) = delete;
    TPostActions& operator=(const TPostActions&) = delete;
    ~TPostActions();

    // Nothing to lay out or scroll to, repaint everything, the selection
    // one empty range at the document start; the caret stays.
    void Reset();

    bool HasScrollTarget() const { return ScrollTargetX != static_cast<std::int32_t>(0x80000000u); }

    std::int32_t FirstPage = static_cast<std::int32_t>(0x80000000u);  // none
    TFragment RepaintRange{};                                         // all zero: repaint the whole view
    TTextPos Caret{};
    TCompoundFragment* Selection = nullptr;  // pooled, owned
    // Twips relative to the layout box of the line holding ScrollTargetPos.
    std::int32_t ScrollTargetX = static_cast<std::int32_t>(0x80000000u);
    std::int32_t ScrollTargetY = 0;
    TTextPos ScrollTargetPos{};
};
