#pragma once

// The platform layer's start-up, the state of the keys, and the settings of
// other systems that the interface consults.

// Records the main thread. (The scroll-bar metrics, common controls and OLE
// of other systems have nothing to set up here.)
void InitWindowsUnit();

// Keys as the window system sees them (nothing is down without one).
bool IsKeyDown(int virtualKey);
// The bits of GetShiftStateAsync.
enum : unsigned { asShift = 1, asControl = 4, asLeftButton = 8, asRightButton = 16 };
unsigned GetShiftStateAsync();

// Settings of other systems with no counterpart here. The window system
// decides about window animations and where the pointer goes, and a program
// does not raise its own rights, so these answer "not available".
void DisableMinimizeAnimation();
void RestoreMinimizeAnimation();
bool IsSnapToDefaultButtonOn();
bool IsProcessElevated();
