#include "editing/tables/TablesInstall.h"

void InstallTablesWorkers() {
    // Each group of table operations installs its workers here, one line each.
}
