#pragma once

// Page numbering of sections (opInsertPageNumbers, from the page-number
// dialog): TDoc::InsertPageNumbers is defined in PageNumbers.cpp. The
// fields that show page numbers are brought up to date afterwards by the
// operation's chained opUpdateFields (model/undo/TDocPerform.cpp).

// Puts the worker of opInsertPageNumbers into the operation worker table.
void InstallPageNumbersWorkers();
