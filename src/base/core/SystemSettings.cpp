#include "base/core/SystemSettings.h"

#include "platform/KeyState.h"
#include "platform/MessageQueue.h"

void InitWindowsUnit() {
    Platform::SetMainThread();
}

bool IsKeyDown(int virtualKey) {
    return Platform::IsKeyDown(virtualKey);
}

unsigned GetShiftStateAsync() {
    return Platform::AsyncShiftState();
}

void DisableMinimizeAnimation() {
    // Not available: window animations belong to the window manager.
}

void RestoreMinimizeAnimation() {
    // Not available (see DisableMinimizeAnimation).
}

bool IsSnapToDefaultButtonOn() {
    return false;  // not available: no desktop here moves the pointer to buttons
}

bool IsProcessElevated() {
    return false;  // not available: the program never raises its own rights
}
