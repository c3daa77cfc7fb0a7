#include "editing/tables/TableTabStops.h"

#include "base/core/TList.h"
#include "model/managers/TTabManager.h"

std::int16_t LeftTabTableAt(const std::vector<std::int32_t>& positions) {
    if (TabManager == nullptr || positions.empty())
        return 0;
    TList stops;
    for (std::int32_t x : positions)
        AddTabStop(stops, MakeTabStop(x, taLeft, tlNone));
    SortTabStops(stops);
    return static_cast<std::int16_t>(TabManager->InternTabTable(stops));
}
