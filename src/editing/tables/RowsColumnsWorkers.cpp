#include "editing/tables/RowsColumnsWorkers.h"

#include "editing/tables/TableCellDeletion.h"
#include "editing/tables/TableRowsColumns.h"
#include "model/undo/OperationWorkers.h"

namespace {

void InsertAtTableHandleWorker(TDoc& doc, TOperationCall&, const TInsertAtTableHandleArgs& args) {
    InsertAtTableHandle(doc, args.Hit);
}

void InsertRowsAboveWorker(TDoc& doc, TOperationCall&, const TInsertRowsAboveArgs&) {
    InsertRows(doc, true);
}

void InsertRowsBelowWorker(TDoc& doc, TOperationCall&, const TInsertRowsBelowArgs&) {
    InsertRows(doc, false);
}

void InsertColumnsLeftWorker(TDoc& doc, TOperationCall&, const TInsertColumnsLeftArgs&) {
    InsertColumns(doc, true, nullptr, false);
}

void InsertColumnsRightWorker(TDoc& doc, TOperationCall&, const TInsertColumnsRightArgs&) {
    InsertColumns(doc, false, nullptr, false);
}

void InsertCellsWorker(TDoc& doc, TOperationCall&, const TInsertCellsArgs& args) {
    InsertCells(doc, args.Kind == 1);
}

void DeleteCellsWorker(TDoc& doc, TOperationCall&, const TDeleteCellsArgs& args) {
    if (args.Kind <= dcTable)
        DeleteCells(doc, args.Kind);
}

}  // namespace

void InstallRowsColumnsWorkers() {
    SetOperationWorker<TInsertAtTableHandleArgs>(&InsertAtTableHandleWorker);
    SetOperationWorker<TInsertRowsAboveArgs>(&InsertRowsAboveWorker);
    SetOperationWorker<TInsertRowsBelowArgs>(&InsertRowsBelowWorker);
    SetOperationWorker<TInsertColumnsLeftArgs>(&InsertColumnsLeftWorker);
    SetOperationWorker<TInsertColumnsRightArgs>(&InsertColumnsRightWorker);
    SetOperationWorker<TInsertCellsArgs>(&InsertCellsWorker);
    SetOperationWorker<TDeleteCellsArgs>(&DeleteCellsWorker);
}
