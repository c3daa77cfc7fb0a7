#include "platform/Windows.h"

#include <algorithm>

#include "platform/DeviceContexts.h"
#include "platform/qt/WindowObjects.h"

namespace Platform {
namespace {

// The published default blink time.
constexpr std::uint32_t kDefaultBlinkMs = 530;

struct TCaret {
    HWND Window = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    TPoint Pos;
    int HideCount = 1;         // created hidden
    bool Drawn = false;        // inverted on the screen now
    bool OffForPaint = false;  // taken off by BeginPaint, back at EndPaint
    std::uintptr_t Timer = 0;
};

// One caret for the windows of the main thread, where the toolkit's windows live.
TCaret g_caret;
std::uint32_t g_blinkMs = kDefaultBlinkMs;

void Invert() {
    HDC dc = GetDC(g_caret.Window);
    if (dc == nullptr)
        return;
    InvertRect(dc, TRect{g_caret.Pos.X, g_caret.Pos.Y, g_caret.Pos.X + g_caret.Width, g_caret.Pos.Y + g_caret.Height});
    ReleaseDC(g_caret.Window, dc);
}

void DrawOn() {
    if (!g_caret.Drawn && g_caret.Window != nullptr) {
        Invert();
        g_caret.Drawn = true;
    }
}

void DrawOff() {
    if (g_caret.Drawn && g_caret.Window != nullptr) {
        Invert();
        g_caret.Drawn = false;
    }
}

void Blink(HWND, std::uint32_t, std::uintptr_t, std::uint32_t) {
    if (g_caret.Window == nullptr || g_caret.HideCount > 0 || g_caret.OffForPaint)
        return;
    if (g_caret.Drawn)
        DrawOff();
    else
        DrawOn();
}

void RestartBlink() {
    if (g_caret.Timer != 0)
        KillTimer(nullptr, g_caret.Timer);
    g_caret.Timer = SetTimer(nullptr, 0, g_blinkMs, &Blink);
}

}  // namespace

bool CreateCaret(HWND window, HBITMAP shape, std::int32_t width, std::int32_t height) {
    if (!IsWindow(window))
        return false;
    DestroyCaret();
    g_caret = {};
    g_caret.Window = window;
    // A zero size takes the system's border width, one pixel here.
    g_caret.Width = width > 0 ? width : 1;
    g_caret.Height = height > 0 ? height : 1;
    return true;
}

bool DestroyCaret() {
    if (g_caret.Window == nullptr)
        return false;
    DrawOff();
    if (g_caret.Timer != 0)
        KillTimer(nullptr, g_caret.Timer);
    g_caret = {};
    return true;
}

bool ShowCaret(HWND window) {
    if (g_caret.Window == nullptr || (window != nullptr && window != g_caret.Window) || g_caret.HideCount == 0)
        return false;
    if (--g_caret.HideCount == 0) {
        DrawOn();
        RestartBlink();
    }
    return true;
}

bool HideCaret(HWND window) {
    if (g_caret.Window == nullptr || (window != nullptr && window != g_caret.Window))
        return false;
    ++g_caret.HideCount;
    DrawOff();
    return true;
}

bool SetCaretPos(std::int32_t x, std::int32_t y) {
    if (g_caret.Window == nullptr)
        return false;
    DrawOff();
    g_caret.Pos = {x, y};
    // A moved caret shows at once and starts its blink anew, so that it is
    // seen where typing goes.
    if (g_caret.HideCount == 0 && !g_caret.OffForPaint) {
        DrawOn();
        RestartBlink();
    }
    return true;
}

bool GetCaretPos(TPoint& out) {
    if (g_caret.Window == nullptr)
        return false;
    out = g_caret.Pos;
    return true;
}

bool SetCaretBlinkTime(std::uint32_t ms) {
    g_blinkMs = std::max<std::uint32_t>(ms, 10);
    if (g_caret.Timer != 0)
        RestartBlink();
    return true;
}

std::uint32_t GetCaretBlinkTime() {
    return g_blinkMs;
}

void CaretOffForPaint(HWND window) {
    if (g_caret.Window == nullptr || g_caret.OffForPaint)
        return;
    if (window != g_caret.Window && !IsChild(window, g_caret.Window))
        return;
    const bool wasDrawn = g_caret.Drawn;
    DrawOff();
    g_caret.OffForPaint = wasDrawn;
}

void CaretBackAfterPaint(HWND window) {
    if (g_caret.Window == nullptr || !g_caret.OffForPaint)
        return;
    if (window != g_caret.Window && !IsChild(window, g_caret.Window))
        return;
    g_caret.OffForPaint = false;
    if (g_caret.HideCount == 0)
        DrawOn();
}

void CaretWindowDestroyed(HWND window) {
    if (g_caret.Window != nullptr && (window == g_caret.Window || IsChild(window, g_caret.Window)))
        DestroyCaret();
}

}  // namespace Platform
