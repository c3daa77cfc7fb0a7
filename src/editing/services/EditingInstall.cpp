#include "editing/services/EditingInstall.h"

#include "editing/services/TEditingServicesImpl.h"
#include "model/host/TEditingServices.h"

void InstallEditing() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    // Each room that has workers adds its installer here, lowest room first.

    static TEditingServicesImpl services;
    SetEditingServices(&services);
}
