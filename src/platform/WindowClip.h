#pragma once

#include "platform/GdiTypes.h"

// For the window manager: a window's context draws straight on its
// top-level's surface, so the part of the window it may paint is kept apart
// from the clip region the window itself selects.
namespace Platform {

// The part of a window that a context drawing straight on its top-level's
// surface may paint (null: no limit). The clip region narrows it but can
// never widen it, and GetClipBox reports within it.
void SetWindowClip(HDC dc, HRGN region);

}  // namespace Platform
