#include "TabManagerScope.h"

#include "model/managers/TTabManager.h"

TTabManagerScope::TTabManagerScope() : Manager(TabManager == nullptr ? new TTabManager : nullptr) {}

TTabManagerScope::~TTabManagerScope() {
    delete Manager;
}
