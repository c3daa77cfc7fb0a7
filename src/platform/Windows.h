#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/GdiTypes.h"

// Windows, window classes and the message queue, in the model the toolkit is
// written against: handles, window procedures and numbered messages. The
// numbers of messages, styles and flags are the published Windows values, so
// that code and tables written for that model read the same here.
//
// Top-level windows are desktop windows of the window system; child windows
// are our own rectangles inside their top-level window, kept in z-order with
// their own invalid regions. Every window belongs to the thread that made it
// and receives its messages on that thread's queue. The main thread's queue
// also serves the message windows of platform/MessageQueue.h and the window
// system's events: waiting for a message waits for all three.
namespace Platform {

struct TWindowHandle;
using HWND = TWindowHandle*;  // opaque; a destroyed handle is never reused
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = std::uint16_t;
struct TCursorHandle;
using HCURSOR = TCursorHandle*;  // a shared system cursor, never destroyed
using WNDPROC = LRESULT (*)(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
using TIMERPROC = void (*)(HWND window, std::uint32_t message, std::uintptr_t id, std::uint32_t time);

constexpr std::uint16_t LoWord(std::uintptr_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
constexpr std::uint16_t HiWord(std::uintptr_t v) {
    return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
constexpr LPARAM MakeLParam(int low, int high) {
    return static_cast<LPARAM>(static_cast<std::uint32_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16)));
}
// The signed coordinates packed into a mouse message's lParam.
constexpr int XFromLParam(LPARAM l) {
    return static_cast<std::int16_t>(l & 0xFFFF);
}
constexpr int YFromLParam(LPARAM l) {
    return static_cast<std::int16_t>((l >> 16) & 0xFFFF);
}

// Message numbers.
enum : std::uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SHOWWINDOW = 0x0018,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_CHILDACTIVATE = 0x0022,
    WM_WINDOWPOSCHANGING = 0x0046,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_CONTEXTMENU = 0x007B,
    WM_STYLECHANGING = 0x007C,
    WM_STYLECHANGED = 0x007D,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_PARENTNOTIFY = 0x0210,
    WM_CAPTURECHANGED = 0x0215,
    WM_IME_CHAR = 0x0286,
    WM_USER = 0x0400,
    WM_APP = 0x8000,
};

// Window styles and extended styles.
enum : std::uint32_t {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_DLGFRAME = 0x00400000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_SYSMENU = 0x00080000,
    WS_THICKFRAME = 0x00040000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_OVERLAPPEDWINDOW = 0x00CF0000,
};
enum : std::uint32_t {
    WS_EX_DLGMODALFRAME = 0x00000001,
    WS_EX_NOPARENTNOTIFY = 0x00000004,
    WS_EX_TOPMOST = 0x00000008,
    WS_EX_TRANSPARENT = 0x00000020,
    WS_EX_TOOLWINDOW = 0x00000080,
    WS_EX_CLIENTEDGE = 0x00000200,
    WS_EX_CONTROLPARENT = 0x00010000,
};
// Class styles.
enum : std::uint32_t {
    CS_VREDRAW = 0x0001,
    CS_HREDRAW = 0x0002,
    CS_DBLCLKS = 0x0008,
    CS_OWNDC = 0x0020,
    CS_PARENTDC = 0x0080,
    CS_NOCLOSE = 0x0200,
    CS_SAVEBITS = 0x0800,
    CS_GLOBALCLASS = 0x4000,
};

// Indexes of GetWindowLongPtr and GetClassLongPtr.
enum : int {
    GWLP_WNDPROC = -4,
    GWLP_HINSTANCE = -6,
    GWLP_HWNDPARENT = -8,
    GWLP_ID = -12,
    GWL_STYLE = -16,
    GWL_EXSTYLE = -20,
    GWLP_USERDATA = -21,
};
enum : int {
    GCLP_HBRBACKGROUND = -10,
    GCLP_HCURSOR = -12,
    GCL_CBWNDEXTRA = -18,
    GCLP_WNDPROC = -24,
    GCL_STYLE = -26,
};

// ShowWindow commands and the WM_SIZE kinds.
enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
};
enum : int { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };

// SetWindowPos flags and the special places in the z-order.
enum : std::uint32_t {
    SWP_NOSIZE = 0x0001,
    SWP_NOMOVE = 0x0002,
    SWP_NOZORDER = 0x0004,
    SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010,
    SWP_FRAMECHANGED = 0x0020,
    SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080,
    SWP_NOCOPYBITS = 0x0100,
    SWP_NOOWNERZORDER = 0x0200,
    SWP_NOSENDCHANGING = 0x0400,
};
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);

// GetWindow and GetAncestor relations.
enum : unsigned {
    GW_HWNDFIRST = 0,
    GW_HWNDLAST = 1,
    GW_HWNDNEXT = 2,
    GW_HWNDPREV = 3,
    GW_OWNER = 4,
    GW_CHILD = 5,
};
enum : unsigned { GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3 };

// Hit-test results.
enum : int {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTHSCROLL = 6,
    HTVSCROLL = 7,
    HTBORDER = 18,
};

// PeekMessage options, mouse key flags, activation kinds.
enum : unsigned { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002 };
enum : unsigned {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010
};
enum : unsigned { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
constexpr int WHEEL_DELTA = 120;

// RedrawWindow and ScrollWindowEx flags.
enum : unsigned {
    RDW_INVALIDATE = 0x0001,
    RDW_INTERNALPAINT = 0x0002,
    RDW_ERASE = 0x0004,
    RDW_VALIDATE = 0x0008,
    RDW_NOINTERNALPAINT = 0x0010,
    RDW_NOERASE = 0x0020,
    RDW_NOCHILDREN = 0x0040,
    RDW_ALLCHILDREN = 0x0080,
    RDW_UPDATENOW = 0x0100,
    RDW_ERASENOW = 0x0200,
    RDW_FRAME = 0x0400,
    RDW_NOFRAME = 0x0800,
};
enum : unsigned { SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004 };

// Virtual keys.
enum : int {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F10 = 0x79,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    // The punctuation keys, whose place differs from layout to layout.
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
    VK_OEM_8 = 0xDF,
    VK_OEM_102 = 0xE2,
};
// Bits of a key message's lParam above the repeat count and scan code.
enum : std::uint32_t {
    KF_EXTENDED = 0x01000000,
    KF_ALTDOWN = 0x20000000,
    KF_REPEAT = 0x40000000,
    KF_UP = 0x80000000,
};

// Window classes. A class is found by name (case-blind) or by its atom.
struct TWndClass {
    std::uint32_t style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HBRUSH hbrBackground = nullptr;
    std::u16string lpszClassName;
    HCURSOR hCursor = nullptr;  // shown over the client area by DefWindowProc's WM_SETCURSOR
};
ATOM RegisterClass(const TWndClass& wc);
// False while windows of the class exist, or when there is no such class.
bool UnregisterClass(std::u16string_view className);
bool GetClassInfo(std::u16string_view className, TWndClass& out);
std::uintptr_t GetClassLongPtr(HWND window, int index);
std::uintptr_t SetClassLongPtr(HWND window, int index, std::uintptr_t value);
std::u16string GetClassName(HWND window);

// The record WM_CREATE and WM_NCCREATE point at.
struct TCreateStruct {
    void* lpCreateParams = nullptr;
    HWND hwndParent = nullptr;
    std::int32_t cy = 0;
    std::int32_t cx = 0;
    std::int32_t y = 0;
    std::int32_t x = 0;
    std::uint32_t style = 0;
    const char16_t* lpszName = nullptr;
    const char16_t* lpszClass = nullptr;
    std::uint32_t dwExStyle = 0;
};
// The record of WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED.
struct TWindowPos {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::uint32_t flags = 0;
};
// What WM_NCCALCSIZE points at when its wParam is 0: the proposed window
// rectangle, which the procedure turns into the client rectangle.
struct TNcCalcSizeParams {
    TRect rgrc[3];
    TWindowPos* lppos = nullptr;
};

constexpr std::int32_t CW_USEDEFAULT = static_cast<std::int32_t>(0x80000000);

// parent is the owner for a window that is not WS_CHILD. The first messages
// (WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, and for WS_VISIBLE the showing) are
// sent before the call returns; null when the class is unknown or WM_NCCREATE
// or WM_CREATE refuses.
HWND CreateWindowEx(std::uint32_t exStyle,
                    std::u16string_view className,
                    std::u16string_view windowName,
                    std::uint32_t style,
                    std::int32_t x,
                    std::int32_t y,
                    std::int32_t width,
                    std::int32_t height,
                    HWND parent,
                    std::uintptr_t menuOrId,
                    void* param);
// Children and owned windows go first; each gets WM_DESTROY (parents before
// children) and then WM_NCDESTROY (children before parents).
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);

LRESULT DefWindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
std::intptr_t GetWindowLongPtr(HWND window, int index);
// Changing GWLP_WNDPROC subclasses the window: the old procedure is returned
// for the new one to call through CallWindowProc. Changing GWL_STYLE sends
// WM_STYLECHANGING and WM_STYLECHANGED.
std::intptr_t SetWindowLongPtr(HWND window, int index, std::intptr_t value);

bool ShowWindow(HWND window, int command);
bool IsWindowVisible(HWND window);  // this window and all its ancestors
bool SetWindowPos(HWND window,
                  HWND insertAfter,
                  std::int32_t x,
                  std::int32_t y,
                  std::int32_t cx,
                  std::int32_t cy,
                  std::uint32_t flags);
bool MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, bool repaint);
bool EnableWindow(HWND window, bool enable);  // the previous state was disabled
bool IsWindowEnabled(HWND window);
HWND SetParent(HWND window, HWND newParent);
HWND GetParent(HWND window);  // the parent of a child, the owner of a popup
HWND GetAncestor(HWND window, unsigned kind);
HWND GetWindow(HWND window, unsigned relation);
HWND GetTopWindow(HWND window);  // null: the top-level windows
bool IsChild(HWND parent, HWND window);
// Children of window (all levels, each before its own children), or the
// top-level windows for null; the callback returns false to stop.
bool EnumChildWindows(HWND window, bool (*callback)(HWND, LPARAM), LPARAM lParam);
bool EnumWindows(bool (*callback)(HWND, LPARAM), LPARAM lParam);

bool SetWindowText(HWND window, std::u16string_view text);
std::u16string GetWindowText(HWND window);
int GetWindowTextLength(HWND window);
// The byte forms convert through the ANSI code page of the system.
bool SetWindowTextA(HWND window, std::string_view text);
std::string GetWindowTextA(HWND window);

// Window rectangles in screen coordinates; client rectangles from 0,0.
bool GetWindowRect(HWND window, TRect& out);
bool GetClientRect(HWND window, TRect& out);
bool ClientToScreen(HWND window, TPoint& point);
bool ScreenToClient(HWND window, TPoint& point);
// Converts points from one window's client coordinates to another's (null
// is the screen); returns the offset packed as LoWord dx, HiWord dy.
int MapWindowPoints(HWND from, HWND to, TPoint* points, int count);
// The deepest visible, enabled-or-not window under the screen point.
HWND WindowFromPoint(TPoint screenPoint);
HWND ChildWindowFromPoint(HWND parent, TPoint clientPoint);

// Monitors, from the window system's screens.
struct TMonitorInfo {
    TRect rcMonitor;
    TRect rcWork;
    bool Primary = false;
};
int MonitorCount();
bool GetMonitorInfo(int monitor, TMonitorInfo& out);
int MonitorFromPoint(TPoint screenPoint);  // the nearest monitor
int MonitorFromWindow(HWND window);
TRect WorkArea();  // the primary monitor's work area

// The queue.
struct TMsg {
    HWND hwnd = nullptr;
    std::uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::uint32_t time = 0;
    TPoint pt;
};
bool PostMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// To the calling thread's queue itself (window null).
bool PostThreadMessageToSelf(std::uint32_t message, WPARAM wParam, LPARAM lParam);
// A window of another thread: the call waits until that thread has run the
// procedure, serving messages sent to the caller meanwhile.
LRESULT SendMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// True while the procedure runs for a message sent from another thread.
bool InSendMessage();
// Filters: window null takes every window of the thread; first = last = 0
// takes every message.
bool PeekMessage(TMsg& msg, HWND window, std::uint32_t first, std::uint32_t last, unsigned remove);
// False for WM_QUIT.
bool GetMessage(TMsg& msg, HWND window, std::uint32_t first, std::uint32_t last);
// Returns when a message may be waiting; timeoutMs < 0 waits as long as it takes.
bool WaitMessage(int timeoutMs = -1);
// Posts WM_CHAR (WM_SYSCHAR with Alt) for a key-down that makes text.
bool TranslateMessage(const TMsg& msg);
LRESULT DispatchMessage(const TMsg& msg);
void PostQuitMessage(int exitCode);
// Runs every message waiting now, then returns (the tests' and modal loops' pump).
void PumpMessages();

// Timers: WM_TIMER is made when the queue has nothing else, once per elapse
// however many periods passed.
std::uintptr_t SetTimer(HWND window, std::uintptr_t id, std::uint32_t elapseMs, TIMERPROC proc);
bool KillTimer(HWND window, std::uintptr_t id);

// Properties and atoms.
bool SetProp(HWND window, std::u16string_view name, void* data);
void* GetProp(HWND window, std::u16string_view name);
void* RemoveProp(HWND window, std::u16string_view name);
ATOM GlobalAddAtom(std::u16string_view name);
ATOM GlobalFindAtom(std::u16string_view name);
ATOM GlobalDeleteAtom(ATOM atom);
std::u16string GlobalGetAtomName(ATOM atom);

// Focus, activation, capture.
HWND SetFocus(HWND window);
HWND GetFocus();
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND window);
HWND SetCapture(HWND window);
bool ReleaseCapture();
HWND GetCapture();

// Painting.
struct TPaintStruct {
    HDC hdc = nullptr;
    bool fErase = false;
    TRect rcPaint;
};
bool InvalidateRect(HWND window, const TRect* rect, bool erase);
bool InvalidateRgn(HWND window, HRGN region, bool erase);
bool ValidateRect(HWND window, const TRect* rect);
bool GetUpdateRect(HWND window, TRect* rect, bool erase);
bool UpdateWindow(HWND window);
bool RedrawWindow(HWND window, const TRect* rect, HRGN region, unsigned flags);
HDC BeginPaint(HWND window, TPaintStruct& paint);
bool EndPaint(HWND window, const TPaintStruct& paint);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int ScrollWindowEx(HWND window,
                   std::int32_t dx,
                   std::int32_t dy,
                   const TRect* scroll,
                   const TRect* clip,
                   HRGN updateRegion,
                   TRect* updateRect,
                   unsigned flags);

// The caret: one per thread's windows at a time, drawn by inverting its
// rectangle and blinking on a timer of the queue. It starts hidden; shows and
// hides count. Painting its window takes it off the screen and puts it back.
bool CreateCaret(HWND window, HBITMAP shape, std::int32_t width, std::int32_t height);
bool DestroyCaret();
bool ShowCaret(HWND window);  // null: the caret's own window
bool HideCaret(HWND window);
bool SetCaretPos(std::int32_t x, std::int32_t y);
bool GetCaretPos(TPoint& out);
bool SetCaretBlinkTime(std::uint32_t ms);
std::uint32_t GetCaretBlinkTime();

// ---------------------------------------------------------------- scroll bars
// The bars of a WS_HSCROLL or WS_VSCROLL child window, drawn by this layer in
// the window's frame. A click or drag on a bar sends WM_HSCROLL or
// WM_VSCROLL to the window (LoWord: the SB_ code, HiWord: the position for
// the thumb codes); the window moves the position itself with SetScrollPos
// or SetScrollInfo. Top-level windows have their frame drawn by the desktop
// and get no bars.
enum : std::uint32_t {
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCLBUTTONUP = 0x00A2,
    WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
};
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};
enum : unsigned {
    SIF_RANGE = 0x0001,
    SIF_PAGE = 0x0002,
    SIF_POS = 0x0004,
    SIF_DISABLENOSCROLL = 0x0008,
    SIF_TRACKPOS = 0x0010,
    SIF_ALL = 0x0017,
};
enum : unsigned {
    ESB_ENABLE_BOTH = 0x0000,
    ESB_DISABLE_LEFT = 0x0001,
    ESB_DISABLE_UP = 0x0001,
    ESB_DISABLE_RIGHT = 0x0002,
    ESB_DISABLE_DOWN = 0x0002,
    ESB_DISABLE_BOTH = 0x0003,
};
struct TScrollInfo {
    unsigned fMask = 0;
    std::int32_t nMin = 0;
    std::int32_t nMax = 0;
    std::uint32_t nPage = 0;
    std::int32_t nPos = 0;
    std::int32_t nTrackPos = 0;
};
// The thickness of a bar in pixels (the arrows are square).
constexpr std::int32_t kScrollBarSize = 16;

// A range that leaves nothing to scroll (nMax - nMin < nPage, or nMin =
// nMax) hides the bar, or with SIF_DISABLENOSCROLL disables it; a range that
// has something to scroll shows the bar. Returns the new position.
std::int32_t SetScrollInfo(HWND window, int bar, const TScrollInfo& info, bool redraw);
bool GetScrollInfo(HWND window, int bar, TScrollInfo& info);
std::int32_t SetScrollPos(HWND window, int bar, std::int32_t pos, bool redraw);  // the old position
std::int32_t GetScrollPos(HWND window, int bar);
bool SetScrollRange(HWND window, int bar, std::int32_t min, std::int32_t max, bool redraw);
bool GetScrollRange(HWND window, int bar, std::int32_t& min, std::int32_t& max);
bool ShowScrollBar(HWND window, int bar, bool show);
// ESB_ flags: which arrows stop answering. False when nothing changed.
bool EnableScrollBar(HWND window, int bar, unsigned arrows);

// ---------------------------------------------------------------- the MDI client
// The class "MDICLIENT" keeps the document windows of a frame: its children,
// one of them active, maximized together. The frame calls DefFrameProc in
// place of DefWindowProc, each document window DefMDIChildProc.
enum : std::uint32_t {
    WM_SYSCOMMAND = 0x0112,
    WM_MDICREATE = 0x0220,
    WM_MDIDESTROY = 0x0221,
    WM_MDIACTIVATE = 0x0222,
    WM_MDIRESTORE = 0x0223,
    WM_MDINEXT = 0x0224,
    WM_MDIMAXIMIZE = 0x0225,
    WM_MDITILE = 0x0226,
    WM_MDICASCADE = 0x0227,
    WM_MDIICONARRANGE = 0x0228,
    WM_MDIGETACTIVE = 0x0229,
};
enum : std::uint32_t {
    SC_SIZE = 0xF000,
    SC_MOVE = 0xF010,
    SC_MINIMIZE = 0xF020,
    SC_MAXIMIZE = 0xF030,
    SC_NEXTWINDOW = 0xF040,
    SC_PREVWINDOW = 0xF050,
    SC_CLOSE = 0xF060,
    SC_RESTORE = 0xF120,
};
enum : unsigned { MDITILE_VERTICAL = 0x0000, MDITILE_HORIZONTAL = 0x0001, MDITILE_SKIPDISABLED = 0x0002 };
enum : std::uint32_t { WS_EX_MDICHILD = 0x00000040 };
// What the MDI client's creation parameter points at.
struct TClientCreateStruct {
    void* hWindowMenu = nullptr;
    std::uint32_t idFirstChild = 0;
};
// WM_MDICREATE's lParam; the document window's TCreateStruct points at it
// (lpCreateParams), and lParam is for the window's own use.
struct TMdiCreateStruct {
    const char16_t* szClass = nullptr;
    const char16_t* szTitle = nullptr;
    std::int32_t x = CW_USEDEFAULT;
    std::int32_t y = CW_USEDEFAULT;
    std::int32_t cx = CW_USEDEFAULT;
    std::int32_t cy = CW_USEDEFAULT;
    std::uint32_t style = 0;
    LPARAM lParam = 0;
};
LRESULT DefFrameProc(HWND frame, HWND mdiClient, std::uint32_t message, WPARAM wParam, LPARAM lParam);
LRESULT DefMDIChildProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------- cursors
// The system cursors by their published identifiers; the shape follows the
// pointer's desktop window.
enum : std::uintptr_t {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_UPARROW = 32516,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
    IDC_APPSTARTING = 32650,
    IDC_HELP = 32651,
};
// Null for an identifier that is not a system cursor.
HCURSOR LoadCursor(std::uintptr_t id);
HCURSOR SetCursor(HCURSOR cursor);  // the previous cursor
HCURSOR GetCursor();
// The identifier a cursor was loaded with (0 for none).
std::uintptr_t CursorId(HCURSOR cursor);

}  // namespace Platform
