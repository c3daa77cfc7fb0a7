#pragma once

// Puts the shapes room's worker in the worker table: formatting and
// restacking shapes (opFormatPicture).
void InstallShapesWorkers();
