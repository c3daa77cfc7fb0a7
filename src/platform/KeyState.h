#pragma once

#include <cstdint>

// The state of keys and mouse buttons as the window system sees it. Without
// window-system input nothing is ever down; the window layer records the key
// and button events it turns into messages.
namespace Platform {

// Virtual-key numbers as the key tables use them.
bool IsKeyDown(int virtualKey);
// Bits: 1 Shift, 4 Control, 8 left mouse button, 16 right mouse button.
unsigned AsyncShiftState();

// The published forms: the high bit (0x8000) when the key is down, bit 0 when
// a toggle key (Caps Lock, Num Lock...) is on.
std::int16_t GetKeyState(int virtualKey);
// 256 bytes, one a virtual key: 0x80 down, 0x01 toggled.
void GetKeyboardState(std::uint8_t* keys);
void SetKeyboardState(const std::uint8_t* keys);
// The window layer: a key or button went down or up. A key going down
// flips its toggle.
void RecordKey(int virtualKey, bool down);

}  // namespace Platform
