#pragma once

// Puts the workers of paste, copying and moving text, the multi-range
// overtype and the fast-navigation marks into the model's worker table.
// The files library lies above editing, so they install apart from
// InstallEditing(), after it.
void InstallTransferWorkers();
