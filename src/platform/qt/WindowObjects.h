#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Menus.h"
#include "platform/Windows.h"

// The private records of the window layer, shared by the window code and the
// Qt back end that feeds the desktop's events into it.
namespace Platform {

class TDesktopWindow;
struct TThreadQueue;

struct TWindowClass {
    ATOM Atom = 0;
    TWndClass Info;
    int Windows = 0;  // windows of the class alive
};

struct TSentItem {
    HWND Window = nullptr;
    std::uint32_t Message = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    bool Done = false;             // under From's lock
    TThreadQueue* From = nullptr;  // the sender's queue, woken when done
};

struct TTimer {
    HWND Window = nullptr;
    std::uintptr_t Id = 0;
    std::uint32_t ElapseMs = 0;
    TIMERPROC Proc = nullptr;
    std::int64_t DueMs = 0;
};

// One thread's queue. Other threads post and send into it under its lock;
// only the owning thread takes messages out.
struct TThreadQueue {
    std::mutex Lock;
    std::condition_variable Wake;
    std::deque<TMsg> Posted;
    std::deque<TSentItem*> Sent;
    std::vector<TTimer> Timers;  // owner thread only
    bool QuitPosted = false;
    int QuitCode = 0;
    bool IsMain = false;
    int InSend = 0;  // depth of procedures running for other threads' sends
};

// One scroll bar of a window's frame (ScrollBars.cpp).
struct TScrollBarState {
    std::int32_t Min = 0;
    std::int32_t Max = 100;
    std::uint32_t Page = 0;
    std::int32_t Pos = 0;
    std::int32_t TrackPos = 0;
    bool Tracking = false;        // the thumb is being dragged: it shows TrackPos
    unsigned DisabledArrows = 0;  // ESB_ flags
};

struct TWindowObject {
    HWND Handle = nullptr;
    TWindowClass* Class = nullptr;
    WNDPROC Proc = nullptr;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    std::u16string Text;
    TWindowObject* Parent = nullptr;       // children only
    TWindowObject* Owner = nullptr;        // top-level windows only
    std::vector<TWindowObject*> Children;  // topmost first
    TRect Rect;                            // in the parent's client coordinates (top-level: the screen)
    TRect Client;                          // inside Rect, from its top-left corner
    std::intptr_t Id = 0;
    std::intptr_t UserData = 0;
    std::vector<std::intptr_t> Extra;
    std::shared_ptr<TThreadQueue> Queue;
    std::map<std::u16string, void*> Props;
    HRGN Update = nullptr;  // client coordinates; null when valid
    bool EraseNeeded = false;
    bool InternalPaint = false;
    bool Redraw = true;
    bool Destroying = false;
    bool Created = false;
    bool SizeReported = false;  // WM_SIZE and WM_MOVE have been sent once
    // Top-level windows of the main thread: the desktop window and the
    // pixels every window inside it paints into.
    TDesktopWindow* Desktop = nullptr;
    HBITMAP Surface = nullptr;
    // The frame's scroll bars, SB_HORZ and SB_VERT (ScrollBars.cpp).
    TScrollBarState Bars[2];
    // Top-level windows: the menu bar above the client area, the bar's
    // highlighted title (-1: none), the window's copy of the system menu,
    // and whether the bar must be drawn again with the next paint
    // (Menus.cpp).
    HMENU Menu = nullptr;
    int MenuBarHot = -1;
    HMENU SystemMenu = nullptr;
    bool FrameDirty = false;
};

// The window behind a handle; null for a destroyed or made-up handle.
TWindowObject* WindowOf(HWND window);
// The calling thread's queue (made on first use).
TThreadQueue& CurrentQueue();
// Posts input from the desktop into the main thread's queue.
void PostInput(const TMsg& msg);
// The text the desktop gave with a key-down, for TranslateMessage.
void RememberKeyText(std::uint32_t time, WPARAM key, std::u16string text);
// The top-level window's client rectangle changed on the desktop.
void DesktopResized(TWindowObject* window, std::int32_t width, std::int32_t height);
void DesktopMoved(TWindowObject* window, std::int32_t x, std::int32_t y);
void DesktopExposed(TWindowObject* window);
// Painting takes the caret off its window for the time of the paint, and
// destroying the window destroys its caret.
void CaretOffForPaint(HWND window);
void CaretBackAfterPaint(HWND window);
void CaretWindowDestroyed(HWND window);
// The visible part of the window, in its client coordinates.
HRGN VisibleRegion(TWindowObject* window);
// Client coordinates of the window to those of its top-level window's client.
TPoint ClientOriginInTopLevel(TWindowObject* window);

// The frame's scroll bars (ScrollBars.cpp): the bar under a point of the
// window (window coordinates; HTNOWHERE when none), drawing them, and the
// loop that follows the mouse on a bar until its button comes up.
int ScrollBarHitTest(TWindowObject* window, TPoint windowPoint);
void PaintScrollBars(TWindowObject* window);
void TrackScrollBar(HWND window, int hit, TPoint screenPoint);
// Menus (Menus.cpp): the height of the window's bar (0 without one), the
// bar's hit test and painting, the loop SC_KEYMENU and SC_MOUSEMENU start,
// and the window's menus going with it.
std::int32_t MenuBarHeight(TWindowObject* window);
int MenuBarHitTest(TWindowObject* window, TPoint screenPoint);
int MenuBarItemAt(TWindowObject* window, TPoint screenPoint);  // -1: none
void PaintMenuBar(TWindowObject* window);
void MenuSysCommand(HWND window, WPARAM command, LPARAM lParam);
void MenusWindowDestroyed(TWindowObject* window);
bool MenuLoopRunning();
// The classes the layer itself provides ("MDICLIENT"), registered on first use.
void RegisterBuiltInClasses();
// The desktop's pointer shape follows the current cursor (Desktop.cpp).
namespace Desktop {
void ShowCursorShape(std::uintptr_t cursorId);
}

}  // namespace Platform
