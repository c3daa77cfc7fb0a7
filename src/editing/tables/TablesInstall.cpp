#include "editing/tables/TablesInstall.h"

#include "editing/tables/RowFormatting.h"
#include "editing/tables/RowsColumnsWorkers.h"
#include "editing/tables/TableCreation.h"

void InstallTablesWorkers() {
    // Each group of table operations installs its workers here, one line each.
    InstallTableCreationWorkers();
    InstallCellMergingWorkers();
    InstallRowsColumnsWorkers();
}
