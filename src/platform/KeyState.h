#pragma once

// The state of keys and mouse buttons as the window system sees it. The
// headless back end has no keyboard: nothing is ever down.
namespace Platform {

// Virtual-key numbers as the key tables use them.
bool IsKeyDown(int virtualKey);
// Bits: 1 Shift, 4 Control, 8 left mouse button, 16 right mouse button.
unsigned AsyncShiftState();

}  // namespace Platform
