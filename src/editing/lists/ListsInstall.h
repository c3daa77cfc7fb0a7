#pragma once

// Puts the list workers (opApplyList, opRemoveList, opReplaceAutoList) into the operation
// worker table.
void InstallListsWorkers();
