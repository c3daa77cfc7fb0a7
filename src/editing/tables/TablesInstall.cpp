#include "editing/tables/TablesInstall.h"

#include "editing/tables/RowFormatting.h"
#include "editing/tables/RowsColumnsWorkers.h"

void InstallTablesWorkers() {
    // Each group of table operations installs its workers here, one line each.
    InstallCellMergingWorkers();
    InstallRowsColumnsWorkers();
}
