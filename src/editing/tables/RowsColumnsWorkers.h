#pragma once

// Puts the workers of inserting and deleting table rows, columns and cells
// (the table-insertion handle, rows above and below, columns left and
// right, cells, and deleting cells, rows or the table) into the operation
// worker table.
void InstallRowsColumnsWorkers();
