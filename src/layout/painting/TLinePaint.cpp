#include "model/formats/TLine.h"

// The line painter proper comes with the painting room; until then a line
// paints nothing, so the box painter and the view can already walk pages.
void TLine::Paint(TDeviceContext* /*dc*/, std::int32_t /*x*/, std::int32_t /*y*/) {}
