// The member of TTabManager that reads a paragraph. The tab manager's room
// lies below the paragraphs, so this part lives with them.
#include "model/managers/TTabManager.h"

#include "model/paragraphs/TPar.h"
#include "model/paragraphs/TParOwner.h"

void TTabManager::BuildEffectiveTabs(const TPar& par) {
    const std::int32_t rightIndent = par.Format.RightIndent;
    BuildEffectiveTabs(par.Format.Tabs, rightIndent, par.Owner != nullptr ? par.Owner->OwnerDefaultTabWidth() : 0);
}
