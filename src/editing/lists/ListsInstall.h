#pragma once

// Puts the list workers (opApplyList, opRemoveList) into the operation
// worker table.
void InstallListsWorkers();
