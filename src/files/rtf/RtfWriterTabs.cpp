#include "files/rtf/RtfWriterTabs.h"

#include "model/managers/TTabManager.h"

std::vector<TRtfTabStop> RtfTabTableStops(std::int32_t tabTable) {
    std::vector<TRtfTabStop> stops;
    if (TabManager == nullptr || tabTable <= 0 || tabTable >= TabManager->Count)
        return stops;
    const TTabTable& table = *TabManager->Table(tabTable);
    for (std::int32_t i = 0; i < table.Count; ++i) {
        TRtfTabStop stop;
        UnpackTabStop(table.Stop(i), stop.Position, stop.Alignment, stop.Leader);
        stops.push_back(stop);
    }
    return stops;
}
