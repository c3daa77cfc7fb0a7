#pragma once

// Puts the typing room's workers in the worker table: typing and inserting
// prepared content, deleting and replacing text.
void InstallTypingWorkers();
