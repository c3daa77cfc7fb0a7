#pragma once

#include <string>

#include "platform/GdiTypes.h"

namespace TestSupport {

// Compares a bitmap with tests/data/golden/<name>.png. A pixel matches when
// no channel differs by more than channelTolerance; the image matches when
// at most maxBadPixels pixels do not. On a mismatch a side-by-side image
// (actual | expected | differences in red) is written to the system's
// temporary folder and its path is part of the returned message.
//
// Set REZ_UPDATE_GOLDEN=1 in the environment to write the goldens anew
// from the current output instead of comparing (then review them by eye).
// Returns an empty string when the images match.
std::string CompareWithGolden(Platform::HBITMAP bitmap,
                              const std::string& name,
                              int channelTolerance = 48,
                              int maxBadPixels = 24);

}  // namespace TestSupport
