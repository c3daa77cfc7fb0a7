#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Windows.h"

// The window layer's view of the desktop, which the Qt back end provides:
// only the main thread talks to it, and only top-level windows have a
// desktop window. No Qt type appears here.
namespace Platform {

struct TWindowObject;
class TDesktopWindow;

namespace Desktop {

// Starts the application object on the main thread when there is none;
// false on any other thread. REZ_HEADLESS without a chosen platform plugin
// selects the offscreen one, so that tests never need a display.
bool Ensure();
bool Started();

TDesktopWindow* CreateWindowFor(TWindowObject* window);
void DestroyWindow(TDesktopWindow* desktop);
void SetVisible(TDesktopWindow* desktop, bool visible);
void SetGeometry(TDesktopWindow* desktop, const TRect& screenRect);
void SetTitle(TDesktopWindow* desktop, std::u16string_view title);
void Raise(TDesktopWindow* desktop);
// A bitmap of the size that draws straight in the desktop window's backing
// store, which is made that size; null when the store's pixels are not
// 32-bit rows without padding in the layout the drawing layer uses. The
// store keeps the pixels until the next call.
HBITMAP LendSurface(TDesktopWindow* desktop, std::int32_t width, std::int32_t height);
// Shows the part of the window's surface (window coordinates): a lent
// surface is flushed as it is, any other is copied into the backing store
// first.
void Flush(TWindowObject* window, const TRect& rect);

// Delivers the desktop's pending events; waits up to timeoutMs for one
// first (< 0: as long as it takes, 0: not at all). Wake ends such a wait
// from any thread.
void ProcessEvents(int timeoutMs);
void Wake();

std::vector<TMonitorInfo> Monitors();
std::uint32_t DoubleClickTimeMs();

}  // namespace Desktop
}  // namespace Platform
