#pragma once

// Puts the workers of the formatting and style codes (page settings,
// paragraph and character formats, steps, the format brush, shrinking the
// page count, tabs, resets, styles) into the worker table, in place of the
// model's plain ones.
void InstallFormattingWorkers();
