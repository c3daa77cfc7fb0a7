#pragma once

// Puts the workers of the table operations (creating and converting tables,
// merging and splitting cells, formatting rows, inserting and deleting rows,
// columns and cells) into the operation worker table.
void InstallTablesWorkers();
