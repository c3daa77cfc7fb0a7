#include "model/document/TPostActions.h"

#include "model/formats/TCompoundFragment.h"

TPostActions::TPostActions() : Selection(NewCompoundFragment()) {}

TPostActions::~TPostActions() {
    ReleaseCompoundFragment(Selection);
}

void TPostActions::Reset() {
    FirstPage = static_cast<std::int32_t>(0x80000000u);
    ScrollTargetX = static_cast<std::int32_t>(0x80000000u);
    RepaintRange = TFragment{};
    Selection->Reset();
}
