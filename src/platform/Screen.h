#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

// The screen and the system colours. Without a window system the screen is
// 1920 x 1080 at 96 pixels per inch; tests may fix other values.
namespace Platform {

std::int32_t ScreenPixelsPerInch();
std::int32_t ScreenWidth();
std::int32_t ScreenHeight();
void SetScreenMetrics(std::int32_t width, std::int32_t height, std::int32_t pixelsPerInch);

// The current colour of a system colour index (COLOR_WINDOWTEXT = 8 ...),
// the Windows 10 default scheme; 0 for an unknown index.
TColorRef GetSysColor(int index);

// The pointer position in screen coordinates (headless: where it was last put).
TPoint CursorPos();
void SetCursorPos(TPoint pos);

}  // namespace Platform
