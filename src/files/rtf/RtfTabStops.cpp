#include "files/rtf/RtfTabStops.h"

#include "base/core/TList.h"
#include "model/managers/TTabManager.h"

void AddRtfTabStop(TList& tabs, std::int32_t position, std::uint8_t alignment, std::uint8_t leader) {
    AddTabStop(tabs, MakeTabStop(position, alignment, leader));
}

std::int32_t InternRtfTabStops(TList& tabs) {
    SortTabStops(tabs);
    return TabManager != nullptr ? TabManager->InternTabTable(tabs) : 0;
}
