#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Windows.h"

// Message traces of the window tests: every window of the traced class
// records "name:MESSAGE" for the messages a test watches, its name coming
// from the creation parameter.
namespace WindowTrace {

using namespace Platform;

inline std::vector<std::string>& Trace() {
    static std::vector<std::string> trace;
    return trace;
}
inline std::vector<std::uint32_t>& Watched() {
    static std::vector<std::uint32_t> watched;
    return watched;
}

inline const char* MessageName(std::uint32_t m) {
    switch (m) {
#define REZ_NAME(x) \
    case x:         \
        return #x;
        REZ_NAME(WM_CREATE)
        REZ_NAME(WM_DESTROY)
        REZ_NAME(WM_MOVE)
        REZ_NAME(WM_SIZE)
        REZ_NAME(WM_ACTIVATE)
        REZ_NAME(WM_SETFOCUS)
        REZ_NAME(WM_KILLFOCUS)
        REZ_NAME(WM_ENABLE)
        REZ_NAME(WM_PAINT)
        REZ_NAME(WM_CLOSE)
        REZ_NAME(WM_ERASEBKGND)
        REZ_NAME(WM_SHOWWINDOW)
        REZ_NAME(WM_CANCELMODE)
        REZ_NAME(WM_SETCURSOR)
        REZ_NAME(WM_CHILDACTIVATE)
        REZ_NAME(WM_WINDOWPOSCHANGING)
        REZ_NAME(WM_WINDOWPOSCHANGED)
        REZ_NAME(WM_CONTEXTMENU)
        REZ_NAME(WM_NCCREATE)
        REZ_NAME(WM_NCDESTROY)
        REZ_NAME(WM_NCCALCSIZE)
        REZ_NAME(WM_NCHITTEST)
        REZ_NAME(WM_NCACTIVATE)
        REZ_NAME(WM_KEYDOWN)
        REZ_NAME(WM_KEYUP)
        REZ_NAME(WM_CHAR)
        REZ_NAME(WM_SYSKEYDOWN)
        REZ_NAME(WM_SYSKEYUP)
        REZ_NAME(WM_SYSCHAR)
        REZ_NAME(WM_TIMER)
        REZ_NAME(WM_MOUSEMOVE)
        REZ_NAME(WM_LBUTTONDOWN)
        REZ_NAME(WM_LBUTTONUP)
        REZ_NAME(WM_LBUTTONDBLCLK)
        REZ_NAME(WM_RBUTTONDOWN)
        REZ_NAME(WM_RBUTTONUP)
        REZ_NAME(WM_MOUSEWHEEL)
        REZ_NAME(WM_PARENTNOTIFY)
        REZ_NAME(WM_CAPTURECHANGED)
        REZ_NAME(WM_IME_CHAR)
        REZ_NAME(WM_USER)
#undef REZ_NAME
        default:
            return "?";
    }
}

// Input tests want the key or button with the message: the virtual key (hex)
// and the extended and Alt bits of key messages, the key flags of mouse
// messages, whether a context menu came from the keyboard.
inline bool& WithDetails() {
    static bool details = false;
    return details;
}

inline std::string Details(std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    char buffer[64];
    if (m >= WM_KEYDOWN && m <= WM_SYSCHAR) {
        std::snprintf(buffer, sizeof buffer, " %02X%s%s", static_cast<unsigned>(wParam),
                      (static_cast<std::uint32_t>(lParam) & KF_EXTENDED) != 0 ? " ext" : "",
                      (static_cast<std::uint32_t>(lParam) & KF_ALTDOWN) != 0 ? " alt" : "");
        return buffer;
    }
    if (m == WM_IME_CHAR) {
        std::snprintf(buffer, sizeof buffer, " %04X", static_cast<unsigned>(wParam));
        return buffer;
    }
    if (m >= WM_MOUSEMOVE && m <= WM_MOUSEWHEEL) {
        std::snprintf(buffer, sizeof buffer, " %d,%d mk%X", XFromLParam(lParam), YFromLParam(lParam),
                      static_cast<unsigned>(wParam & 0xFFFF));
        std::string s = buffer;
        if (m == WM_MOUSEWHEEL)
            s += " delta" + std::to_string(static_cast<std::int16_t>(HiWord(wParam)));
        return s;
    }
    if (m == WM_CONTEXTMENU)
        return lParam == -1 ? " keyboard" : " mouse";
    return "";
}

inline bool IsWatched(std::uint32_t m) {
    for (std::uint32_t w : Watched())
        if (w == m)
            return true;
    return false;
}

inline std::string NameOf(HWND window) {
    const auto* name = reinterpret_cast<const char*>(GetWindowLongPtr(window, GWLP_USERDATA));
    return name != nullptr ? name : "?";
}

inline LRESULT TracingProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const TCreateStruct*>(lParam);
        SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<std::intptr_t>(cs->lpCreateParams));
    }
    if (IsWatched(message))
        Trace().push_back(NameOf(window) + ":" + MessageName(message) +
                          (WithDetails() ? Details(message, wParam, lParam) : std::string()));
    return DefWindowProc(window, message, wParam, lParam);
}

// Registers the traced classes once: "Traced" and "TracedDbl" (double clicks).
inline void RegisterTracedClasses() {
    static bool done = [] {
        TWndClass wc;
        wc.lpfnWndProc = &TracingProc;
        wc.lpszClassName = u"Traced";
        RegisterClass(wc);
        wc.style = CS_DBLCLKS;
        wc.lpszClassName = u"TracedDbl";
        RegisterClass(wc);
        return true;
    }();
    (void)done;
}

inline HWND Make(const char* name,
                 std::uint32_t style,
                 TRect r,
                 HWND parent = nullptr,
                 const char16_t* cls = u"Traced",
                 std::uint32_t exStyle = 0) {
    RegisterTracedClasses();
    return CreateWindowEx(exStyle, cls, u"", style, r.Left, r.Top, r.Width(), r.Height(), parent, 0,
                          const_cast<char*>(name));
}

// Destroys every top-level window the test left behind and empties the queue.
class TWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Trace().clear();
        Watched().clear();
        WithDetails() = false;
    }
    void TearDown() override {
        Watched().clear();
        while (HWND top = GetTopWindow(nullptr))
            DestroyWindow(top);
        PumpMessages();
        TMsg msg;
        while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void Watch(std::vector<std::uint32_t> messages) {
        Watched() = std::move(messages);
        Trace().clear();
    }
};

}  // namespace WindowTrace
