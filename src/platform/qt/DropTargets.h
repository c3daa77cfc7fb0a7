#pragma once

#include "platform/Windows.h"

class QEvent;

// The desktop's drag events on a top-level window, handed to the drop
// targets of the window and its children.
namespace Platform {

// True when the event was a drag event.
bool DeliverDragEvent(HWND topLevel, QEvent* event);

}  // namespace Platform
