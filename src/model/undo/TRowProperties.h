#pragma once

#include "model/undo/TableRowSteps.h"

// The argument record of row formatting (TFormatTableRowsArgs): the rows,
// their new data and what else changes with them.
struct TRowProperties : TFormatRowsArgs {};
