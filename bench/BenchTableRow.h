#pragma once

// The table row record for benchmarks that also include the tab manager
// (BenchDocument.h): the row's alignment names and the tab manager's cannot
// meet in one file, so the row's are renamed here.
#define taLeft rowAlignLeft
#define taCentre rowAlignCentre
#define taRight rowAlignRight
#include "model/formats/TTableRow.h"
#undef taLeft
#undef taCentre
#undef taRight
