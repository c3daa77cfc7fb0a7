#include "layout/words/WordServices.h"

namespace {

TWordServices SilentServices;
TWordServices* Current = &SilentServices;
THiddenParQuery HiddenQuery = nullptr;

}  // namespace

TWordServices& WordServices() {
    return *Current;
}

TWordServices* SetWordServices(TWordServices* services) {
    TWordServices* previous = Current == &SilentServices ? nullptr : Current;
    Current = services != nullptr ? services : &SilentServices;
    return previous;
}

void SetHiddenParQuery(THiddenParQuery query) {
    HiddenQuery = query;
}

THiddenParQuery HiddenParQuery() {
    return HiddenQuery;
}
