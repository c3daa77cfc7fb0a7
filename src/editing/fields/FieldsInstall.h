#pragma once

// Puts the fields room's workers in the worker table: inserting, updating,
// editing, retyping and removing field codes.
void InstallFieldsWorkers();
