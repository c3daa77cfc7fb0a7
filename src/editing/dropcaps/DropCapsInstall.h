#pragma once

// Puts the drop-cap room's worker in the worker table (opDropCap: adding,
// changing and removing drop caps) and fills the seams through which
// typing and formatting reach drop caps: lifting one around a replacement,
// putting it back, validating after an edit, and where its letters end.
void InstallDropCapsWorkers();
