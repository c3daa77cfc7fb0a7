#include <algorithm>
#include <chrono>
#include <cstdint>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/KeyState.h"
#include "platform/Regions.h"
#include "platform/Screen.h"
#include "platform/Windows.h"
#include "platform/qt/Desktop.h"
#include "platform/qt/FrameDrawing.h"
#include "platform/qt/WindowObjects.h"

// The scroll bars of a window's frame. A bar lies outside the client area,
// between it and the window's edge: WM_NCCALCSIZE takes its room, the hit
// test names it, and this file draws it into the top-level surface and
// follows the mouse on it.
namespace Platform {
namespace {

// The published system colour indexes the bars are drawn in (with those of
// FrameDrawing.h).
constexpr int kColorScrollBar = 0;
constexpr int kColorBtnFace = 15;
constexpr int kColorBtnText = 18;

// The first repeat of a held arrow or page click comes after a pause, the
// others quickly, as a held key repeats.
constexpr std::int64_t kFirstRepeatMs = 400;
constexpr std::int64_t kRepeatMs = 50;
// The thumb never gets shorter than this, so that it can still be grabbed.
constexpr std::int32_t kMinThumb = 8;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

enum class TPart { None, Arrow1, Page1, Thumb, Page2, Arrow2 };

bool HasBar(const TWindowObject* w, int bar) {
    return w->Parent != nullptr && (w->Style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

// The bar's rectangle in window coordinates (empty without the bar).
TRect BarRect(const TWindowObject* w, int bar) {
    if (!HasBar(w, bar))
        return {};
    const TRect& c = w->Client;
    if (bar == SB_VERT)
        return {c.Right, c.Top, c.Right + kScrollBarSize, c.Bottom};
    return {c.Left, c.Bottom, c.Right, c.Bottom + kScrollBarSize};
}

// Whether the range leaves anything to scroll.
bool Scrollable(const TScrollBarState& s) {
    const std::int64_t range = static_cast<std::int64_t>(s.Max) - s.Min + 1;
    if (s.Max <= s.Min)
        return false;
    return s.Page == 0 || static_cast<std::int64_t>(s.Page) < range;
}

// The highest position the thumb can reach: a page short of the end.
std::int32_t MaxPos(const TScrollBarState& s) {
    const std::int64_t top = static_cast<std::int64_t>(s.Max) - std::max<std::int64_t>(s.Page, 1) + 1;
    return static_cast<std::int32_t>(std::max<std::int64_t>(s.Min, s.Page == 0 ? s.Max : top));
}

std::int32_t Clamp(const TScrollBarState& s, std::int32_t pos) {
    return std::clamp(pos, s.Min, MaxPos(s));
}

// The parts of a bar along its length, in pixels from its start.
struct TLayout {
    std::int32_t Length = 0;
    std::int32_t Arrow = 0;  // each arrow's length
    std::int32_t ThumbStart = 0;
    std::int32_t ThumbLength = 0;  // 0: no thumb
};

TLayout LayoutOf(const TWindowObject* w, int bar) {
    const TRect r = BarRect(w, bar);
    const TScrollBarState& s = w->Bars[bar];
    TLayout l;
    l.Length = bar == SB_VERT ? r.Height() : r.Width();
    l.Arrow = std::min(kScrollBarSize, l.Length / 2);
    const std::int32_t track = l.Length - 2 * l.Arrow;
    if (!Scrollable(s) || s.DisabledArrows == ESB_DISABLE_BOTH || track < kMinThumb)
        return l;
    const std::int64_t range = static_cast<std::int64_t>(s.Max) - s.Min + 1;
    std::int32_t thumb = s.Page == 0 ? kScrollBarSize : static_cast<std::int32_t>(track * std::int64_t{s.Page} / range);
    thumb = std::clamp(thumb, kMinThumb, track);
    const std::int32_t pos = s.Tracking ? s.TrackPos : s.Pos;
    const std::int64_t span = static_cast<std::int64_t>(MaxPos(s)) - s.Min;
    const std::int64_t offset =
        span <= 0 ? 0 : (track - thumb) * (static_cast<std::int64_t>(Clamp(s, pos)) - s.Min) / span;
    l.ThumbStart = l.Arrow + static_cast<std::int32_t>(offset);
    l.ThumbLength = thumb;
    return l;
}

// The position whose thumb starts at the given pixel of the bar.
std::int32_t PosAtThumbStart(const TWindowObject* w, int bar, std::int32_t start) {
    const TScrollBarState& s = w->Bars[bar];
    const TLayout l = LayoutOf(w, bar);
    const std::int32_t room = l.Length - 2 * l.Arrow - l.ThumbLength;
    if (room <= 0)
        return s.Min;
    const std::int64_t span = static_cast<std::int64_t>(MaxPos(s)) - s.Min;
    const std::int64_t along = std::clamp(start - l.Arrow, 0, room);
    return Clamp(s, static_cast<std::int32_t>(s.Min + (along * span + room / 2) / room));
}

// Pixels along the bar of a point in window coordinates.
std::int32_t Along(const TWindowObject* w, int bar, TPoint p) {
    const TRect r = BarRect(w, bar);
    return bar == SB_VERT ? p.Y - r.Top : p.X - r.Left;
}

TPart PartAt(const TWindowObject* w, int bar, std::int32_t along) {
    const TLayout l = LayoutOf(w, bar);
    if (along < 0 || along >= l.Length)
        return TPart::None;
    if (along < l.Arrow)
        return TPart::Arrow1;
    if (along >= l.Length - l.Arrow)
        return TPart::Arrow2;
    if (l.ThumbLength == 0)
        return TPart::None;
    if (along < l.ThumbStart)
        return TPart::Page1;
    if (along >= l.ThumbStart + l.ThumbLength)
        return TPart::Page2;
    return TPart::Thumb;
}

int CodeOf(TPart part) {
    switch (part) {
        case TPart::Arrow1:
            return SB_LINEUP;
        case TPart::Arrow2:
            return SB_LINEDOWN;
        case TPart::Page1:
            return SB_PAGEUP;
        case TPart::Page2:
            return SB_PAGEDOWN;
        default:
            return SB_ENDSCROLL;
    }
}

TPoint WindowOriginOnScreen(TWindowObject* w) {
    TPoint p{0, 0};
    ClientToScreen(w->Handle, p);
    return {p.X - w->Client.Left, p.Y - w->Client.Top};
}

TRect Shifted(TRect r, TPoint by) {
    return {r.Left + by.X, r.Top + by.Y, r.Right + by.X, r.Bottom + by.Y};
}

// What of the window's frame shows, in its top-level window's client
// coordinates: ancestors clip to their client areas, and siblings above
// clip windows that ask for it.
HRGN VisibleFrame(TWindowObject* w, TPoint origin) {
    HRGN r = CreateRectRgnIndirect(Shifted({0, 0, w->Rect.Width(), w->Rect.Height()}, origin));
    for (TWindowObject* x = w; x->Parent != nullptr; x = x->Parent) {
        const TPoint parentOrigin = ClientOriginInTopLevel(x->Parent);
        HRGN parentClient =
            CreateRectRgnIndirect(Shifted({0, 0, x->Parent->Client.Width(), x->Parent->Client.Height()}, parentOrigin));
        CombineRgn(r, r, parentClient, RGN_AND);
        DeleteRegion(parentClient);
        if ((x->Style & WS_CLIPSIBLINGS) == 0)
            continue;
        for (TWindowObject* s : x->Parent->Children) {
            if (s == x)
                break;
            if ((s->Style & WS_VISIBLE) == 0)
                continue;
            HRGN above = CreateRectRgnIndirect(Shifted(s->Rect, parentOrigin));
            CombineRgn(r, r, above, RGN_DIFF);
            DeleteRegion(above);
        }
    }
    return r;
}

// A raised button face with a small triangle pointing along the bar.
void DrawArrow(HDC dc, const TRect& r, int bar, bool first, bool enabled) {
    FillSysColor(dc, r, kColorBtnFace);
    FrameSysColor(dc, r, kColorBtnShadow);
    const std::int32_t cx = (r.Left + r.Right) / 2;
    const std::int32_t cy = (r.Top + r.Bottom) / 2;
    const std::int32_t h = std::max(1, std::min(r.Width(), r.Height()) / 4);
    TPoint p[3];
    if (bar == SB_VERT) {
        const std::int32_t tip = first ? cy - h / 2 - 1 : cy + h / 2 + 1;
        const std::int32_t base = first ? tip + h : tip - h;
        p[0] = {cx, tip};
        p[1] = {cx - h, base};
        p[2] = {cx + h, base};
    } else {
        const std::int32_t tip = first ? cx - h / 2 - 1 : cx + h / 2 + 1;
        const std::int32_t base = first ? tip + h : tip - h;
        p[0] = {tip, cy};
        p[1] = {base, cy - h};
        p[2] = {base, cy + h};
    }
    FillPolygon(dc, p, 3, GetSysColor(enabled ? kColorBtnText : kColorGrayText));
}

void DrawBar(HDC dc, TWindowObject* w, int bar, TPoint origin) {
    const TRect r = Shifted(BarRect(w, bar), origin);
    if (r.IsEmpty())
        return;
    const TLayout l = LayoutOf(w, bar);
    const TScrollBarState& s = w->Bars[bar];
    const bool scrollable = Scrollable(s);
    auto piece = [&](std::int32_t from, std::int32_t to) {
        return bar == SB_VERT ? TRect{r.Left, r.Top + from, r.Right, r.Top + to}
                              : TRect{r.Left + from, r.Top, r.Left + to, r.Bottom};
    };
    FillSysColor(dc, piece(l.Arrow, l.Length - l.Arrow), kColorScrollBar);
    DrawArrow(dc, piece(0, l.Arrow), bar, true, scrollable && (s.DisabledArrows & ESB_DISABLE_UP) == 0);
    DrawArrow(dc, piece(l.Length - l.Arrow, l.Length), bar, false,
              scrollable && (s.DisabledArrows & ESB_DISABLE_DOWN) == 0);
    if (l.ThumbLength > 0) {
        const TRect thumb = piece(l.ThumbStart, l.ThumbStart + l.ThumbLength);
        FillSysColor(dc, thumb, kColorBtnFace);
        FrameSysColor(dc, thumb, kColorBtnShadow);
    }
}

// Shows or hides a bar by its style bit, giving the client area its room.
void SetBarShown(TWindowObject* w, int bar, bool show) {
    const std::uint32_t bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    if (((w->Style & bit) != 0) == show)
        return;
    if (show)
        w->Style |= bit;
    else
        w->Style &= ~bit;
    const HWND window = w->Handle;
    const TRect before = w->Client;
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if ((w = WindowOf(window)) == nullptr)
        return;
    // The client area changed size though the window did not.
    if (w->Client.Width() != before.Width() || w->Client.Height() != before.Height()) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        if (w->SizeReported)
            SendMessage(window, WM_SIZE, SIZE_RESTORED, MakeLParam(w->Client.Width(), w->Client.Height()));
    }
}

TWindowObject* OwnWindow(HWND window, int bar) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || (bar != SB_HORZ && bar != SB_VERT))
        return nullptr;
    return w;
}

}  // namespace

int ScrollBarHitTest(TWindowObject* w, TPoint p) {
    if (BarRect(w, SB_VERT).Contains(p.X, p.Y))
        return HTVSCROLL;
    if (BarRect(w, SB_HORZ).Contains(p.X, p.Y))
        return HTHSCROLL;
    return HTNOWHERE;
}

void PaintScrollBars(TWindowObject* w) {
    if (w->Parent == nullptr || (w->Style & (WS_HSCROLL | WS_VSCROLL)) == 0 || !IsWindowVisible(w->Handle))
        return;
    TWindowObject* top = w;
    while (top->Parent != nullptr)
        top = top->Parent;
    if (top->Surface == nullptr)
        return;
    const TPoint client = ClientOriginInTopLevel(w);
    const TPoint origin{client.X - w->Client.Left, client.Y - w->Client.Top};
    HRGN clip = VisibleFrame(w, origin);
    TRect box;
    if (GetRgnBox(clip, box) != NULLREGION) {
        {
            TSurfaceDC dc(top->Surface);
            SelectClipRgn(dc, clip);
            DrawBar(dc, w, SB_VERT, origin);
            DrawBar(dc, w, SB_HORZ, origin);
            if (HasBar(w, SB_VERT) && HasBar(w, SB_HORZ))
                FillSysColor(dc,
                             Shifted({w->Client.Right, w->Client.Bottom, w->Client.Right + kScrollBarSize,
                                      w->Client.Bottom + kScrollBarSize},
                                     origin),
                             kColorBtnFace);
        }
        if (top->Desktop != nullptr)
            Desktop::Flush(top, box);
    }
    DeleteRegion(clip);
}

void TrackScrollBar(HWND window, int hit, TPoint screenPoint) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || (hit != HTVSCROLL && hit != HTHSCROLL))
        return;
    const int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
    const std::uint32_t message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    auto alongOf = [&](TPoint screen) {
        const TPoint origin = WindowOriginOnScreen(w);
        return Along(w, bar, {screen.X - origin.X, screen.Y - origin.Y});
    };
    std::int32_t along = alongOf(screenPoint);
    const TPart part = PartAt(w, bar, along);
    const TScrollBarState& s = w->Bars[bar];
    if (part == TPart::None || !Scrollable(s) || (part == TPart::Arrow1 && (s.DisabledArrows & ESB_DISABLE_UP) != 0) ||
        (part == TPart::Arrow2 && (s.DisabledArrows & ESB_DISABLE_DOWN) != 0))
        return;
    auto send = [&](int code, std::int32_t pos) {
        SendMessage(window, message, static_cast<WPARAM>((code & 0xFFFF) | ((pos & 0xFFFF) << 16)), 0);
    };
    SetCapture(window);
    const std::int32_t grab = along - LayoutOf(w, bar).ThumbStart;
    if (part == TPart::Thumb) {
        w->Bars[bar].Tracking = true;
        w->Bars[bar].TrackPos = w->Bars[bar].Pos;
    } else {
        send(CodeOf(part), 0);
    }
    std::int64_t nextRepeat = NowMs() + kFirstRepeatMs;
    bool done = false;
    while (!done) {
        if ((w = WindowOf(window)) == nullptr)
            return;
        // The mouse's messages come first; the others run only while the
        // button is still down, so that a window that keeps asking to be
        // painted cannot hold the loop once the button is up.
        TMsg m;
        const bool mouse = PeekMessage(m, nullptr, WM_MOUSEMOVE, WM_MOUSEWHEEL, PM_REMOVE) ||
                           PeekMessage(m, nullptr, WM_NCMOUSEMOVE, WM_NCLBUTTONDBLCLK, PM_REMOVE);
        if (mouse) {
            if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE || m.message == WM_LBUTTONUP ||
                m.message == WM_NCLBUTTONUP) {
                // Wherever the pointer went, the bar follows it.
                along = alongOf(m.pt);
                const bool up = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP;
                if (part == TPart::Thumb) {
                    const std::int32_t pos = PosAtThumbStart(w, bar, along - grab);
                    if (pos != w->Bars[bar].TrackPos) {
                        w->Bars[bar].TrackPos = pos;
                        PaintScrollBars(w);
                        send(SB_THUMBTRACK, pos);
                    }
                    if (up && (w = WindowOf(window)) != nullptr)
                        send(SB_THUMBPOSITION, w->Bars[bar].TrackPos);
                }
                done = up;
            }
            // Other buttons and the wheel go nowhere while the bar has the mouse.
            continue;
        }
        // The button came up where we did not hear of it, or another window
        // took the mouse.
        if (GetCapture() != window || !IsKeyDown(VK_LBUTTON)) {
            if (part == TPart::Thumb)
                send(SB_THUMBPOSITION, w->Bars[bar].TrackPos);
            break;
        }
        if (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(m.wParam));
                break;
            }
            TranslateMessage(m);
            DispatchMessage(m);
            continue;
        }
        const std::int64_t now = NowMs();
        if (part != TPart::Thumb && now >= nextRepeat) {
            // A page click repeats until the thumb reaches the pointer.
            if (PartAt(w, bar, along) == part)
                send(CodeOf(part), 0);
            nextRepeat = now + kRepeatMs;
        }
        WaitMessage(part == TPart::Thumb ? 100 : static_cast<int>(std::max<std::int64_t>(1, nextRepeat - now)));
    }
    if ((w = WindowOf(window)) == nullptr)
        return;
    w->Bars[bar].Tracking = false;
    if (GetCapture() == window)
        ReleaseCapture();
    send(SB_ENDSCROLL, 0);
    if ((w = WindowOf(window)) != nullptr)
        PaintScrollBars(w);
}

std::int32_t SetScrollInfo(HWND window, int bar, const TScrollInfo& info, bool redraw) {
    TWindowObject* w = OwnWindow(window, bar);
    if (w == nullptr)
        return 0;
    TScrollBarState& s = w->Bars[bar];
    if ((info.fMask & SIF_RANGE) != 0) {
        s.Min = info.nMin;
        s.Max = std::max(info.nMin, info.nMax);
    }
    if ((info.fMask & SIF_PAGE) != 0)
        s.Page = static_cast<std::uint32_t>(
            std::min<std::int64_t>(info.nPage, static_cast<std::int64_t>(s.Max) - s.Min + 1));
    if ((info.fMask & SIF_POS) != 0)
        s.Pos = info.nPos;
    s.Pos = Clamp(s, s.Pos);
    const std::int32_t pos = s.Pos;
    if ((info.fMask & (SIF_RANGE | SIF_PAGE)) != 0) {
        const bool scrollable = Scrollable(s);
        if ((info.fMask & SIF_DISABLENOSCROLL) != 0) {
            SetBarShown(w, bar, true);
            if ((w = WindowOf(window)) != nullptr)
                w->Bars[bar].DisabledArrows = scrollable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
        } else {
            SetBarShown(w, bar, scrollable);
        }
    }
    if (redraw && (w = WindowOf(window)) != nullptr)
        PaintScrollBars(w);
    return pos;
}

bool GetScrollInfo(HWND window, int bar, TScrollInfo& info) {
    TWindowObject* w = OwnWindow(window, bar);
    if (w == nullptr)
        return false;
    const TScrollBarState& s = w->Bars[bar];
    if ((info.fMask & SIF_RANGE) != 0) {
        info.nMin = s.Min;
        info.nMax = s.Max;
    }
    if ((info.fMask & SIF_PAGE) != 0)
        info.nPage = s.Page;
    if ((info.fMask & SIF_POS) != 0)
        info.nPos = s.Pos;
    if ((info.fMask & SIF_TRACKPOS) != 0)
        info.nTrackPos = s.Tracking ? s.TrackPos : s.Pos;
    return true;
}

std::int32_t SetScrollPos(HWND window, int bar, std::int32_t pos, bool redraw) {
    const std::int32_t old = GetScrollPos(window, bar);
    TScrollInfo info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(window, bar, info, redraw);
    return old;
}

std::int32_t GetScrollPos(HWND window, int bar) {
    TScrollInfo info;
    info.fMask = SIF_POS;
    return GetScrollInfo(window, bar, info) ? info.nPos : 0;
}

bool SetScrollRange(HWND window, int bar, std::int32_t min, std::int32_t max, bool redraw) {
    if (OwnWindow(window, bar) == nullptr)
        return false;
    TScrollInfo info;
    info.fMask = SIF_RANGE;
    info.nMin = min;
    info.nMax = max;
    SetScrollInfo(window, bar, info, redraw);
    return true;
}

bool GetScrollRange(HWND window, int bar, std::int32_t& min, std::int32_t& max) {
    TScrollInfo info;
    info.fMask = SIF_RANGE;
    if (!GetScrollInfo(window, bar, info))
        return false;
    min = info.nMin;
    max = info.nMax;
    return true;
}

bool ShowScrollBar(HWND window, int bar, bool show) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || bar < SB_HORZ || bar == SB_CTL || bar > SB_BOTH)
        return false;
    if (bar == SB_HORZ || bar == SB_BOTH)
        SetBarShown(w, SB_HORZ, show);
    if ((bar == SB_VERT || bar == SB_BOTH) && (w = WindowOf(window)) != nullptr)
        SetBarShown(w, SB_VERT, show);
    if ((w = WindowOf(window)) != nullptr)
        PaintScrollBars(w);
    return true;
}

bool EnableScrollBar(HWND window, int bar, unsigned arrows) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || bar < SB_HORZ || bar == SB_CTL || bar > SB_BOTH)
        return false;
    bool changed = false;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (bar != SB_BOTH && bar != b)
            continue;
        changed |= w->Bars[b].DisabledArrows != (arrows & ESB_DISABLE_BOTH);
        w->Bars[b].DisabledArrows = arrows & ESB_DISABLE_BOTH;
    }
    if (changed)
        PaintScrollBars(w);
    return changed;
}

}  // namespace Platform
