#include "TabStopsProbe.h"

#include "model/managers/TTabManager.h"

std::shared_ptr<void> EnsureTabManager() {
    if (TabManager != nullptr)
        return nullptr;
    return std::make_shared<TTabManager>();
}

std::vector<std::int32_t> TabStopPositions(std::int32_t tabTable) {
    std::vector<std::int32_t> positions;
    if (TabManager == nullptr || tabTable <= 0 || tabTable >= TabManager->Count)
        return positions;
    const TTabTable* table = TabManager->Table(tabTable);
    for (std::int32_t i = 0; i < table->Count; ++i)
        positions.push_back(TabStopPosition(table->Stop(i)));
    return positions;
}
