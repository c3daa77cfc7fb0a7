#pragma once

#include <cstdint>

// Flags of TDoc::RunTextW, RangeTextW and RangeTextWAll.
enum : std::uint32_t {
    tfBlanks = 1,        // breaks and special spaces as blanks
    tfFindPattern = 2,   // special characters as the find window's "^" escapes, "^" itself doubled
    tfNoBreakSpace = 4,  // the no-break space as U+00A0 rather than a blank
    tfSpecialNames = 8,  // special characters by name ("<tab character>")
};
