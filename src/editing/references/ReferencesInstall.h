#pragma once

// Puts the references room's workers in the worker table: generating and
// removing tables of contents, marking index entries and generating
// indexes.
void InstallReferencesWorkers();
