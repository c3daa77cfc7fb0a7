#include "editing/services/EditingInstall.h"

#include "editing/dropcaps/DropCapsInstall.h"
#include "editing/fields/FieldsInstall.h"
#include "editing/formatting/FormattingInstall.h"
#include "editing/lists/ListsInstall.h"
#include "editing/paragraphs/ParagraphsInstall.h"
#include "editing/references/ReferencesInstall.h"
#include "editing/sections/SectionsInstall.h"
#include "editing/services/TEditingServicesImpl.h"
#include "editing/services/TableCreationServices.h"
#include "editing/shapes/ShapesInstall.h"
#include "editing/tables/TablesInstall.h"
#include "editing/typing/TypingInstall.h"
#include "model/host/TEditingServices.h"

void InstallEditing() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    // Each room that has workers adds its installer here, lowest room first.
    InstallFieldsWorkers();
    InstallListsWorkers();
    InstallTablesWorkers();
    InstallTypingWorkers();
    InstallFormattingWorkers();
    InstallParagraphsWorkers();
    InstallReferencesWorkers();
    InstallSectionsWorkers();
    InstallDropCapsWorkers();
    InstallShapesWorkers();
    // Table creation: section merging and drop caps reached from the tables room.
    InstallTableCreationServices();

    static TEditingServicesImpl services;
    SetEditingServices(&services);
}
