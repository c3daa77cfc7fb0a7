#include "model/document/ShownPars.h"

namespace {

TShownParQuery Query = nullptr;

}  // namespace

void SetShownParQuery(TShownParQuery query) {
    Query = query;
}

std::int32_t ShownParAtOrBefore(const TDoc& doc, std::int32_t par) {
    if (Query == nullptr)
        return par;
    const std::int32_t shown = Query(doc, par);
    return shown >= 0 && shown <= par ? shown : par;
}
