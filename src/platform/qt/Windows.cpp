#include "platform/Windows.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <unordered_map>

#include "platform/Bitmaps.h"
#include "platform/CodePages.h"
#include "platform/DeviceContexts.h"
#include "platform/KeyState.h"
#include "platform/MessageQueue.h"
#include "platform/Regions.h"
#include "platform/Screen.h"
#include "platform/WindowClip.h"
#include "platform/qt/Desktop.h"
#include "platform/qt/WindowObjects.h"

namespace Platform {
namespace {

// The byte forms of window text use the Western European ANSI code page.
constexpr int kAnsiCodePage = 1252;
// The first atom of names registered at run time, as in the published atom
// tables (integer atoms lie below it).
constexpr ATOM kFirstStringAtom = 0xC000;
// WM_MOUSEACTIVATE's answer that activates the window.
constexpr LRESULT MA_ACTIVATE = 1;
// The highest system colour index a class brush may name as COLOR_x + 1.
constexpr std::uintptr_t kMaxSysColorBrush = 31;

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::u16string Folded(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

// Handles, classes and atoms are shared by all threads; the state of a
// window is touched only by its own thread.
struct TGlobals {
    std::recursive_mutex Lock;
    std::unordered_map<HWND, std::unique_ptr<TWindowObject>> Windows;
    std::uintptr_t NextHandle = 0x10000;
    std::vector<TWindowObject*> TopLevels;  // topmost first
    std::map<std::u16string, std::unique_ptr<TWindowClass>> Classes;
    ATOM NextClassAtom = kFirstStringAtom;
    struct TAtom {
        std::u16string Name;
        int References = 0;
    };
    std::map<ATOM, TAtom> Atoms;
    ATOM NextAtom = kFirstStringAtom;
    std::shared_ptr<TThreadQueue> MainQueue;
    HWND Focus = nullptr;
    HWND Active = nullptr;
    HWND Capture = nullptr;
};

TGlobals& G() {
    // Never destroyed: other threads may still post while statics go away.
    static TGlobals* globals = new TGlobals;
    return *globals;
}

thread_local std::shared_ptr<TThreadQueue> t_queue;

void WakeMain() {
    TGlobals& g = G();
    std::shared_ptr<TThreadQueue> main;
    {
        std::lock_guard<std::recursive_mutex> guard(g.Lock);
        main = g.MainQueue;
    }
    if (main) {
        std::lock_guard<std::mutex> guard(main->Lock);
        main->Wake.notify_all();
    }
    Desktop::Wake();
}

// A queue's own thread is awake when it posts to itself; waking costs a
// system call on the desktop's dispatcher, so only other threads do it.
void WakeQueue(TThreadQueue& q) {
    if (&q == t_queue.get())
        return;
    q.Wake.notify_all();
    if (q.IsMain)
        Desktop::Wake();
}

std::shared_ptr<TThreadQueue> CurrentQueuePtr() {
    if (!t_queue) {
        t_queue = std::make_shared<TThreadQueue>();
        t_queue->IsMain = IsMainThread();
        if (t_queue->IsMain) {
            std::lock_guard<std::recursive_mutex> guard(G().Lock);
            G().MainQueue = t_queue;
            SetMainThreadWakeHook(&WakeMain);
        }
    }
    return t_queue;
}

bool IsOwnThread(const TWindowObject* w) {
    return w->Queue.get() == &CurrentQueue();
}

LRESULT Send(TWindowObject* w, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    return SendMessage(w->Handle, message, wParam, lParam);
}

TWindowObject* TopLevelOf(TWindowObject* w) {
    while (w->Parent != nullptr)
        w = w->Parent;
    return w;
}

bool IsDescendant(TWindowObject* ancestor, TWindowObject* w) {
    for (TWindowObject* p = w; p != nullptr; p = p->Parent)
        if (p == ancestor)
            return true;
    return false;
}

// The offset of the window's client area in its parent's client area.
TPoint ClientOffset(const TWindowObject* w) {
    return {w->Rect.Left + w->Client.Left, w->Rect.Top + w->Client.Top};
}

TRect ClientRectOf(const TWindowObject* w) {
    return {0, 0, w->Client.Width(), w->Client.Height()};
}

TRect Offset(TRect r, int dx, int dy) {
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        return {};
    return r;
}

TPoint ClientOriginOnScreen(TWindowObject* w) {
    TPoint p = ClientOriginInTopLevel(w);
    TWindowObject* top = TopLevelOf(w);
    return {p.X + top->Rect.Left, p.Y + top->Rect.Top};
}

HRGN EmptyRegion() {
    return CreateRectRgn(0, 0, 0, 0);
}

bool RegionIsEmpty(HRGN r) {
    TRect box;
    return GetRgnBox(r, box) == NULLREGION;
}

void RemoveFromSiblings(TWindowObject* w) {
    auto& list = w->Parent != nullptr ? w->Parent->Children : G().TopLevels;
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

std::vector<TWindowObject*>& SiblingsOf(TWindowObject* w) {
    return w->Parent != nullptr ? w->Parent->Children : G().TopLevels;
}

void PlaceInZOrder(TWindowObject* w, HWND after) {
    std::lock_guard<std::recursive_mutex> guard(G().Lock);
    auto& list = SiblingsOf(w);
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        list.insert(list.begin(), w);
    } else if (after == HWND_BOTTOM) {
        list.push_back(w);
    } else {
        TWindowObject* a = WindowOf(after);
        auto it = std::find(list.begin(), list.end(), a);
        list.insert(it == list.end() ? list.begin() : it + 1, w);
    }
}

// The surface covers the whole window: the client area and the menu bar
// above it, the part of the frame this layer draws.
// A window on the desktop draws straight in its desktop window's backing
// store where the store's pixels allow it, so that showing a frame copies
// nothing. A surface of the right size is kept: its pixels stay valid.
void MakeSurface(TWindowObject* top) {
    const std::int32_t w = std::max(1, top->Rect.Width());
    const std::int32_t h = std::max(1, top->Rect.Height());
    HBITMAP old = top->Surface;
    TBitmapInfo info;
    if (old != nullptr && GetBitmapInfo(old, info) && info.Width == w && info.Height == h)
        return;
    top->Surface = top->Desktop != nullptr ? Desktop::LendSurface(top->Desktop, w, h) : nullptr;
    if (top->Surface == nullptr)
        top->Surface = CreateBitmap32(w, h);
    if (old != nullptr)
        DeleteBitmap(old);
}

void FlushTop(TWindowObject* top, const TRect& rect) {
    if (top->Desktop != nullptr)
        Desktop::Flush(top, rect);
}

// The window DCs handed out by BeginPaint and GetDC. A window whose client
// area is its top-level's whole surface draws straight on the surface,
// limited to what of it is visible; a paint then copies no pixels before
// the flush. Other windows get a bitmap of their own client area: only the
// part they may paint is copied out of the surface and back.
struct TWindowDc {
    HWND Window = nullptr;
    HBITMAP Bitmap = nullptr;  // null when drawing on the surface itself
    HRGN Clip = nullptr;       // client coordinates
};
std::unordered_map<HDC, TWindowDc>& WindowDcs() {
    static auto* dcs = new std::unordered_map<HDC, TWindowDc>;
    return *dcs;
}

HDC SurfaceDc(TWindowObject* top) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectBitmap(dc, top->Surface);
    return dc;
}

void ReleaseSurfaceDc(HDC dc) {
    SelectBitmap(dc, nullptr);
    DeleteDC(dc);
}

bool DrawsOnSurface(TWindowObject* w, TWindowObject* top) {
    TBitmapInfo info;
    const TPoint origin = ClientOriginInTopLevel(w);
    return origin.X == 0 && origin.Y == 0 && GetBitmapInfo(top->Surface, info) && info.Width == w->Client.Width() &&
           info.Height == w->Client.Height();
}

// The part of the client area whose pixels the context's drawing can reach:
// the clip's box within the client rectangle.
TRect ReachableBox(TWindowObject* w, HRGN clip) {
    TRect box;
    if (GetRgnBox(clip, box) == NULLREGION)
        return {};
    const TRect client{0, 0, w->Client.Width(), w->Client.Height()};
    return {std::max(box.Left, client.Left), std::max(box.Top, client.Top), std::min(box.Right, client.Right),
            std::min(box.Bottom, client.Bottom)};
}

HDC MakeWindowDc(TWindowObject* w, HRGN clip) {
    TWindowObject* top = TopLevelOf(w);
    if (top->Surface == nullptr)
        MakeSurface(top);
    HDC dc = CreateCompatibleDC(nullptr);
    if (DrawsOnSurface(w, top)) {
        SelectBitmap(dc, top->Surface);
        SetWindowClip(dc, clip);
        SelectClipRgn(dc, clip);
        WindowDcs()[dc] = {w->Handle, nullptr, clip};
        return dc;
    }
    const std::int32_t cw = std::max(1, w->Client.Width());
    const std::int32_t ch = std::max(1, w->Client.Height());
    const TPoint origin = ClientOriginInTopLevel(w);
    HBITMAP bitmap = CreateBitmap32(cw, ch);
    SelectBitmap(dc, bitmap);
    const TRect reach = ReachableBox(w, clip);
    if (!reach.IsEmpty()) {
        HDC src = SurfaceDc(top);
        BitBlt(dc, reach.Left, reach.Top, reach.Width(), reach.Height(), src, origin.X + reach.Left,
               origin.Y + reach.Top, SRCCOPY);
        ReleaseSurfaceDc(src);
    }
    SelectClipRgn(dc, clip);
    WindowDcs()[dc] = {w->Handle, bitmap, clip};
    return dc;
}

void ReleaseWindowDc(HDC dc) {
    auto found = WindowDcs().find(dc);
    if (found == WindowDcs().end())
        return;
    TWindowDc record = found->second;
    WindowDcs().erase(found);
    if (TWindowObject* w = WindowOf(record.Window)) {
        TWindowObject* top = TopLevelOf(w);
        const TPoint origin = ClientOriginInTopLevel(w);
        HRGN clip = EmptyRegion();
        CombineRgn(clip, record.Clip, nullptr, RGN_COPY);
        OffsetRgn(clip, origin.X, origin.Y);
        if (record.Bitmap != nullptr) {
            const TRect reach = ReachableBox(w, record.Clip);
            if (!reach.IsEmpty()) {
                HDC surface = SurfaceDc(top);
                SelectClipRgn(surface, clip);
                BitBlt(surface, origin.X + reach.Left, origin.Y + reach.Top, reach.Width(), reach.Height(), dc,
                       reach.Left, reach.Top, SRCCOPY);
                ReleaseSurfaceDc(surface);
            }
        }
        TRect box;
        if (GetRgnBox(clip, box) != NULLREGION)
            FlushTop(top, box);
        DeleteRegion(clip);
    }
    SelectBitmap(dc, nullptr);
    DeleteDC(dc);
    if (record.Bitmap != nullptr)
        DeleteBitmap(record.Bitmap);
    DeleteRegion(record.Clip);
}

LRESULT CallProc(TWindowObject* w, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = w->Proc != nullptr ? w->Proc : &DefWindowProc;
    return proc(w->Handle, message, wParam, lParam);
}

// Serves the messages other threads sent to this one; true when any ran.
bool ServeSent(TThreadQueue& q) {
    bool any = false;
    for (;;) {
        TSentItem* item;
        {
            std::lock_guard<std::mutex> guard(q.Lock);
            if (q.Sent.empty())
                return any;
            item = q.Sent.front();
            q.Sent.pop_front();
        }
        any = true;
        LRESULT result = 0;
        {
            // The sender is released even when the procedure throws.
            struct TRelease {
                TSentItem* Item;
                LRESULT& Result;
                TThreadQueue& Q;
                ~TRelease() {
                    --Q.InSend;
                    std::lock_guard<std::mutex> guard(Item->From->Lock);
                    Item->Result = Result;
                    Item->Done = true;
                    Item->From->Wake.notify_all();
                }
            };
            ++q.InSend;
            TRelease release{item, result, q};
            if (TWindowObject* w = WindowOf(item->Window))
                result = CallProc(w, item->Message, item->WParam, item->LParam);
        }
    }
}

bool Matches(const TMsg& m, HWND window, std::uint32_t first, std::uint32_t last) {
    if (window != nullptr && m.hwnd != window && !IsChild(window, m.hwnd))
        return false;
    if (first == 0 && last == 0)
        return true;
    return m.message >= first && m.message <= last;
}

bool FilterTakes(std::uint32_t message, std::uint32_t first, std::uint32_t last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool NeedsPaint(TWindowObject* w) {
    return (w->Update != nullptr || w->InternalPaint) && IsWindowVisible(w->Handle);
}

// Parents are painted before their children, top-level windows in z-order.
TWindowObject* FindPaintWindow(TThreadQueue& q, TWindowObject* root) {
    if (root->Queue.get() == &q && NeedsPaint(root))
        return root;
    for (TWindowObject* c : root->Children)
        if (TWindowObject* found = FindPaintWindow(q, c))
            return found;
    return nullptr;
}

void RecordPaintInvalid(TWindowObject* w, HRGN region, bool erase) {
    if (RegionIsEmpty(region))
        return;
    if (w->Update == nullptr)
        w->Update = EmptyRegion();
    CombineRgn(w->Update, w->Update, region, RGN_OR);
    if (erase)
        w->EraseNeeded = true;
}

void Validate(TWindowObject* w, HRGN region) {
    if (w->Update == nullptr)
        return;
    if (region == nullptr) {
        DeleteRegion(w->Update);
        w->Update = nullptr;
        w->EraseNeeded = false;
        return;
    }
    CombineRgn(w->Update, w->Update, region, RGN_DIFF);
    if (RegionIsEmpty(w->Update)) {
        DeleteRegion(w->Update);
        w->Update = nullptr;
        w->EraseNeeded = false;
    }
}

void Redraw(TWindowObject* w, HRGN region, unsigned flags, bool top) {
    HRGN clipped = CreateRectRgnIndirect(ClientRectOf(w));
    CombineRgn(clipped, clipped, region, RGN_AND);
    if ((flags & RDW_INVALIDATE) != 0 && w->Redraw && IsWindowVisible(w->Handle))
        RecordPaintInvalid(w, clipped, (flags & RDW_ERASE) != 0);
    if ((flags & RDW_INTERNALPAINT) != 0)
        w->InternalPaint = true;
    if ((flags & RDW_VALIDATE) != 0)
        Validate(w, clipped);
    if ((flags & RDW_NOINTERNALPAINT) != 0)
        w->InternalPaint = false;
    if ((flags & RDW_NOERASE) != 0)
        w->EraseNeeded = false;
    // Children follow unless the parent clips them out of its own drawing.
    const bool children =
        (flags & RDW_ALLCHILDREN) != 0 || ((flags & RDW_NOCHILDREN) == 0 && (w->Style & WS_CLIPCHILDREN) == 0);
    if (children) {
        for (TWindowObject* c : std::vector<TWindowObject*>(w->Children)) {
            if ((c->Style & WS_VISIBLE) == 0)
                continue;
            const TPoint off = ClientOffset(c);
            HRGN part = EmptyRegion();
            CombineRgn(part, clipped, nullptr, RGN_COPY);
            OffsetRgn(part, -off.X, -off.Y);
            Redraw(c, part, flags, false);
            DeleteRegion(part);
        }
    }
    DeleteRegion(clipped);
}

void PaintNow(TWindowObject* w, bool children) {
    if (NeedsPaint(w) && IsOwnThread(w))
        Send(w, WM_PAINT, 0, 0);
    if (!children || !IsWindow(w->Handle))
        return;
    for (TWindowObject* c : std::vector<TWindowObject*>(w->Children))
        if (IsWindow(c->Handle))
            PaintNow(c, true);
}

void InvalidateInParent(TWindowObject* w, const TRect& area) {
    if (w->Parent != nullptr) {
        HRGN r = CreateRectRgnIndirect(area);
        Redraw(w->Parent, r, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN, true);
        DeleteRegion(r);
    }
}

void SendDestroy(TWindowObject* w) {
    Send(w, WM_DESTROY, 0, 0);
    for (TWindowObject* c : std::vector<TWindowObject*>(w->Children))
        if (IsWindow(c->Handle))
            SendDestroy(c);
}

void FreeWindow(TWindowObject* w) {
    TGlobals& g = G();
    MenusWindowDestroyed(w);
    {
        TThreadQueue& q = *w->Queue;
        std::lock_guard<std::mutex> guard(q.Lock);
        q.Posted.erase(
            std::remove_if(q.Posted.begin(), q.Posted.end(), [&](const TMsg& m) { return m.hwnd == w->Handle; }),
            q.Posted.end());
        q.Timers.erase(
            std::remove_if(q.Timers.begin(), q.Timers.end(), [&](const TTimer& t) { return t.Window == w->Handle; }),
            q.Timers.end());
    }
    if (w->Desktop != nullptr)
        Desktop::DestroyWindow(w->Desktop);
    if (w->Surface != nullptr)
        DeleteBitmap(w->Surface);
    if (w->Update != nullptr)
        DeleteRegion(w->Update);
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    RemoveFromSiblings(w);
    for (TWindowObject* top : g.TopLevels)
        if (top->Owner == w)
            top->Owner = nullptr;
    if (w->Class != nullptr)
        --w->Class->Windows;
    g.Windows.erase(w->Handle);
}

void SendNcDestroy(TWindowObject* w) {
    for (TWindowObject* c : std::vector<TWindowObject*>(w->Children))
        if (IsWindow(c->Handle))
            SendNcDestroy(c);
    const HWND handle = w->Handle;
    Send(w, WM_NCDESTROY, 0, 0);
    if (TWindowObject* still = WindowOf(handle))
        FreeWindow(still);
}

TWindowObject* DeepestChildAt(TWindowObject* w, TPoint clientPoint, bool skipDisabled) {
    for (TWindowObject* c : w->Children) {
        if ((c->Style & WS_VISIBLE) == 0 || !c->Rect.Contains(clientPoint.X, clientPoint.Y))
            continue;
        if (skipDisabled && (c->Style & WS_DISABLED) != 0)
            continue;
        const TPoint off = ClientOffset(c);
        TPoint inner{clientPoint.X - off.X, clientPoint.Y - off.Y};
        if (!c->Client.Contains(clientPoint.X - c->Rect.Left, clientPoint.Y - c->Rect.Top))
            return c;
        return DeepestChildAt(c, inner, skipDisabled);
    }
    return w;
}

std::uint32_t MessageTime() {
    return static_cast<std::uint32_t>(NowMs());
}

void CopyPrefix(const std::u16string& text, WPARAM capacity, char16_t* out) {
    if (capacity == 0 || out == nullptr)
        return;
    const std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
    std::copy_n(text.data(), n, out);
    out[n] = 0;
}

// An Alt key-down has come with no other key since: its key-up starts the
// menu. One per thread, as each thread has its own keyboard input.
thread_local bool g_altAlone = false;

// The character a key-down makes when no desktop text came with it.
char16_t CharOfKey(int vk) {
    const bool shift = IsKeyDown(VK_SHIFT);
    const bool control = IsKeyDown(VK_CONTROL);
    const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (control)
            return static_cast<char16_t>(vk - 'A' + 1);
        return static_cast<char16_t>((shift != caps) ? vk : vk - 'A' + 'a');
    }
    if (control)
        return 0;
    if (vk >= '0' && vk <= '9' && !shift)
        return static_cast<char16_t>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return static_cast<char16_t>(u'0' + (vk - VK_NUMPAD0));
    switch (vk) {
        case VK_SPACE:
            return u' ';
        case VK_RETURN:
            return u'\r';
        case VK_TAB:
            return u'\t';
        case VK_BACK:
            return 0x08;
        case VK_ESCAPE:
            return 0x1B;
        case VK_MULTIPLY:
            return u'*';
        case VK_ADD:
            return u'+';
        case VK_SUBTRACT:
            return u'-';
        case VK_DECIMAL:
            return u'.';
        case VK_DIVIDE:
            return u'/';
        default:
            return 0;
    }
}

}  // namespace

namespace {
// The characters that came from the desktop with key-downs, for
// TranslateMessage; kept beside the queue so that TMsg stays the published
// record.
struct TKeyText {
    std::uint32_t Time = 0;
    WPARAM Key = 0;
    std::u16string Text;
};
std::deque<TKeyText> g_keyTexts;  // main thread only
}  // namespace

void RememberKeyText(std::uint32_t time, WPARAM key, std::u16string text) {
    g_keyTexts.push_back({time, key, std::move(text)});
    if (g_keyTexts.size() > 64)
        g_keyTexts.pop_front();
}

TWindowObject* WindowOf(HWND window) {
    if (window == nullptr)
        return nullptr;
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    auto found = g.Windows.find(window);
    return found == g.Windows.end() ? nullptr : found->second.get();
}

TThreadQueue& CurrentQueue() {
    return *CurrentQueuePtr();
}

void PostInput(const TMsg& msg) {
    TWindowObject* w = WindowOf(msg.hwnd);
    if (w == nullptr)
        return;
    TThreadQueue& q = *w->Queue;
    std::lock_guard<std::mutex> guard(q.Lock);
    q.Posted.push_back(msg);
    WakeQueue(q);
}

TPoint ClientOriginInTopLevel(TWindowObject* w) {
    TPoint p;
    TWindowObject* x = w;
    for (; x->Parent != nullptr; x = x->Parent) {
        const TPoint off = ClientOffset(x);
        p.X += off.X;
        p.Y += off.Y;
    }
    // The top-level window's surface starts at its window rectangle.
    p.X += x->Client.Left;
    p.Y += x->Client.Top;
    return p;
}

HRGN VisibleRegion(TWindowObject* w) {
    HRGN r = EmptyRegion();
    if (!IsWindowVisible(w->Handle))
        return r;
    DeleteRegion(r);
    r = CreateRectRgnIndirect(ClientRectOf(w));
    // Walk up: x's parent clips to its client area, and x's siblings above it
    // clip when x asks for it. offset maps x's parent's client coordinates
    // into w's.
    TPoint offset{0, 0};
    for (TWindowObject* x = w; x->Parent != nullptr; x = x->Parent) {
        const TPoint off = ClientOffset(x);
        offset.X -= off.X;
        offset.Y -= off.Y;
        HRGN parentClient = CreateRectRgnIndirect(Offset(ClientRectOf(x->Parent), offset.X, offset.Y));
        CombineRgn(r, r, parentClient, RGN_AND);
        DeleteRegion(parentClient);
        if ((x->Style & WS_CLIPSIBLINGS) != 0) {
            for (TWindowObject* s : x->Parent->Children) {
                if (s == x)
                    break;
                if ((s->Style & WS_VISIBLE) == 0)
                    continue;
                HRGN above = CreateRectRgnIndirect(Offset(s->Rect, offset.X, offset.Y));
                CombineRgn(r, r, above, RGN_DIFF);
                DeleteRegion(above);
            }
        }
    }
    if ((w->Style & WS_CLIPCHILDREN) != 0) {
        for (TWindowObject* c : w->Children) {
            if ((c->Style & WS_VISIBLE) == 0)
                continue;
            HRGN child = CreateRectRgnIndirect(c->Rect);
            CombineRgn(r, r, child, RGN_DIFF);
            DeleteRegion(child);
        }
    }
    return r;
}

// The desktop window shows the window rectangle: the client area and the
// menu bar; the desktop's own frame lies outside it.
void DesktopResized(TWindowObject* w, std::int32_t width, std::int32_t height) {
    if (w->Rect.Width() == width && w->Rect.Height() == height)
        return;
    SetWindowPos(w->Handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopMoved(TWindowObject* w, std::int32_t x, std::int32_t y) {
    if (w->Rect.Left == x && w->Rect.Top == y)
        return;
    SetWindowPos(w->Handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopExposed(TWindowObject* w) {
    w->FrameDirty = true;
    RedrawWindow(w->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---------------------------------------------------------------- classes

ATOM RegisterClass(const TWndClass& wc) {
    if (wc.lpszClassName.empty())
        return 0;
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    const std::u16string key = Folded(wc.lpszClassName);
    if (g.Classes.count(key) != 0)
        return 0;
    auto cls = std::make_unique<TWindowClass>();
    cls->Atom = g.NextClassAtom++;
    cls->Info = wc;
    const ATOM atom = cls->Atom;
    g.Classes.emplace(key, std::move(cls));
    return atom;
}

bool UnregisterClass(std::u16string_view className) {
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    auto found = g.Classes.find(Folded(className));
    if (found == g.Classes.end() || found->second->Windows > 0)
        return false;
    g.Classes.erase(found);
    return true;
}

bool GetClassInfo(std::u16string_view className, TWndClass& out) {
    RegisterBuiltInClasses();
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    auto found = g.Classes.find(Folded(className));
    if (found == g.Classes.end())
        return false;
    out = found->second->Info;
    return true;
}

std::uintptr_t GetClassLongPtr(HWND window, int index) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || w->Class == nullptr)
        return 0;
    const TWndClass& info = w->Class->Info;
    switch (index) {
        case GCLP_HBRBACKGROUND:
            return reinterpret_cast<std::uintptr_t>(info.hbrBackground);
        case GCLP_HCURSOR:
            return reinterpret_cast<std::uintptr_t>(info.hCursor);
        case GCL_CBWNDEXTRA:
            return static_cast<std::uintptr_t>(info.cbWndExtra);
        case GCLP_WNDPROC:
            return reinterpret_cast<std::uintptr_t>(info.lpfnWndProc);
        case GCL_STYLE:
            return info.style;
        default:
            return 0;
    }
}

std::uintptr_t SetClassLongPtr(HWND window, int index, std::uintptr_t value) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || w->Class == nullptr)
        return 0;
    const std::uintptr_t old = GetClassLongPtr(window, index);
    TWndClass& info = w->Class->Info;
    switch (index) {
        case GCLP_HBRBACKGROUND:
            info.hbrBackground = reinterpret_cast<HBRUSH>(value);
            break;
        case GCLP_WNDPROC:
            info.lpfnWndProc = reinterpret_cast<WNDPROC>(value);
            break;
        case GCLP_HCURSOR:
            info.hCursor = reinterpret_cast<HCURSOR>(value);
            break;
        case GCL_STYLE:
            info.style = static_cast<std::uint32_t>(value);
            break;
        default:
            return 0;
    }
    return old;
}

std::u16string GetClassName(HWND window) {
    TWindowObject* w = WindowOf(window);
    return w == nullptr || w->Class == nullptr ? std::u16string() : w->Class->Info.lpszClassName;
}

// ---------------------------------------------------------------- windows

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
                    void* param) {
    RegisterBuiltInClasses();
    TGlobals& g = G();
    TWindowClass* cls;
    {
        std::lock_guard<std::recursive_mutex> guard(g.Lock);
        auto found = g.Classes.find(Folded(className));
        if (found == g.Classes.end())
            return nullptr;
        cls = found->second.get();
    }
    TWindowObject* parentObject = WindowOf(parent);
    const bool child = (style & WS_CHILD) != 0;
    if ((parent != nullptr && parentObject == nullptr) || (child && parentObject == nullptr))
        return nullptr;
    if (child && !IsOwnThread(parentObject))
        return nullptr;
    const bool desktop = !child && IsMainThread() && Desktop::Ensure();

    if (x == CW_USEDEFAULT) {
        x = child ? 0 : 40;
        y = child ? 0 : 40;
    }
    if (width == CW_USEDEFAULT) {
        const TRect work = WorkArea();
        width = child ? 0 : work.Width() * 3 / 4;
        height = child ? 0 : work.Height() * 3 / 4;
    }

    auto owned = std::make_unique<TWindowObject>();
    TWindowObject* w = owned.get();
    w->Class = cls;
    w->Proc = cls->Info.lpfnWndProc;
    w->Style = style & ~WS_VISIBLE;
    w->ExStyle = exStyle;
    w->Id = child ? static_cast<std::intptr_t>(menuOrId) : 0;
    if (!child && IsMenu(reinterpret_cast<HMENU>(menuOrId)))
        w->Menu = reinterpret_cast<HMENU>(menuOrId);
    w->Extra.assign(static_cast<std::size_t>(std::max(0, cls->Info.cbWndExtra)) / sizeof(std::intptr_t), 0);
    w->Queue = CurrentQueuePtr();
    w->Rect = {x, y, x + width, y + height};
    w->Client = {0, 0, width, height};
    {
        std::lock_guard<std::recursive_mutex> guard(g.Lock);
        w->Handle = reinterpret_cast<HWND>(g.NextHandle);
        g.NextHandle += 4;
        g.Windows.emplace(w->Handle, std::move(owned));
        ++cls->Windows;
        // New children go to the bottom of their siblings, so that creation
        // order is z-order (and tab order); new top-level windows go on top.
        if (child) {
            w->Parent = parentObject;
            parentObject->Children.push_back(w);
        } else {
            w->Owner = parentObject != nullptr ? TopLevelOf(parentObject) : nullptr;
            g.TopLevels.insert(g.TopLevels.begin(), w);
        }
    }
    const HWND handle = w->Handle;
    const std::u16string name(windowName);
    const std::u16string clsName = cls->Info.lpszClassName;
    TCreateStruct cs{param, parent, height, width, y, x, style, name.c_str(), clsName.c_str(), exStyle};

    if (Send(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
        if (TWindowObject* still = WindowOf(handle))
            SendNcDestroy(still);
        return nullptr;
    }
    if ((w = WindowOf(handle)) == nullptr)
        return nullptr;
    TRect rect = w->Rect;
    Send(w, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&rect));
    if ((w = WindowOf(handle)) == nullptr)
        return nullptr;
    w->Client = Offset(rect, -w->Rect.Left, -w->Rect.Top);
    if (desktop) {
        w->Desktop = Desktop::CreateWindowFor(w);
        Desktop::SetTitle(w->Desktop, w->Text);
    }
    if (!child)
        MakeSurface(w);
    if (Send(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((w = WindowOf(handle)) == nullptr)
        return nullptr;
    w->Created = true;
    if (child && (exStyle & WS_EX_NOPARENTNOTIFY) == 0)
        Send(w->Parent, WM_PARENTNOTIFY, (static_cast<WPARAM>(w->Id & 0xFFFF) << 16) | WM_CREATE,
             reinterpret_cast<LPARAM>(handle));
    if ((style & WS_VISIBLE) != 0 && IsWindow(handle))
        ShowWindow(handle, SW_SHOW);
    return IsWindow(handle) ? handle : nullptr;
}

bool IsWindow(HWND window) {
    return WindowOf(window) != nullptr;
}

bool DestroyWindow(HWND window) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || w->Destroying || !IsOwnThread(w))
        return false;
    TGlobals& g = G();
    w->Destroying = true;
    if ((w->Style & WS_VISIBLE) != 0)
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if ((w = WindowOf(window)) == nullptr)
        return true;
    if (w->Parent != nullptr && (w->ExStyle & WS_EX_NOPARENTNOTIFY) == 0)
        Send(w->Parent, WM_PARENTNOTIFY, (static_cast<WPARAM>(w->Id & 0xFFFF) << 16) | WM_DESTROY,
             reinterpret_cast<LPARAM>(window));
    // Owned windows go before their owner.
    std::vector<HWND> owned;
    {
        std::lock_guard<std::recursive_mutex> guard(g.Lock);
        for (TWindowObject* top : g.TopLevels)
            if (top->Owner == w)
                owned.push_back(top->Handle);
    }
    for (HWND o : owned)
        DestroyWindow(o);
    if ((w = WindowOf(window)) == nullptr)
        return true;
    // Focus, capture and activation leave the window and its children.
    if (TWindowObject* f = WindowOf(g.Focus); f != nullptr && IsDescendant(w, f))
        SetFocus(nullptr);
    if (TWindowObject* c = WindowOf(g.Capture); c != nullptr && IsDescendant(w, c))
        ReleaseCapture();
    if (g.Active == window) {
        HWND next = w->Owner != nullptr ? w->Owner->Handle : nullptr;
        if (next == nullptr)
            for (TWindowObject* top : g.TopLevels)
                if (top != w && (top->Style & WS_VISIBLE) != 0 && top->Queue == w->Queue) {
                    next = top->Handle;
                    break;
                }
        SetActiveWindow(next);
    }
    if ((w = WindowOf(window)) == nullptr)
        return true;
    CaretWindowDestroyed(window);
    SendDestroy(w);
    if ((w = WindowOf(window)) != nullptr)
        SendNcDestroy(w);
    return true;
}

LRESULT CallWindowProc(WNDPROC proc, HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    return proc != nullptr ? proc(window, message, wParam, lParam) : 0;
}

std::intptr_t GetWindowLongPtr(HWND window, int index) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return 0;
    switch (index) {
        case GWLP_WNDPROC:
            return reinterpret_cast<std::intptr_t>(w->Proc);
        case GWLP_HWNDPARENT:
            return reinterpret_cast<std::intptr_t>(w->Parent != nullptr  ? w->Parent->Handle
                                                   : w->Owner != nullptr ? w->Owner->Handle
                                                                         : nullptr);
        case GWLP_ID:
            return w->Id;
        case GWL_STYLE:
            return static_cast<std::intptr_t>(w->Style);
        case GWL_EXSTYLE:
            return static_cast<std::intptr_t>(w->ExStyle);
        case GWLP_USERDATA:
            return w->UserData;
        default:
            if (index >= 0 && static_cast<std::size_t>(index) / sizeof(std::intptr_t) < w->Extra.size() &&
                index % static_cast<int>(sizeof(std::intptr_t)) == 0)
                return w->Extra[static_cast<std::size_t>(index) / sizeof(std::intptr_t)];
            return 0;
    }
}

std::intptr_t SetWindowLongPtr(HWND window, int index, std::intptr_t value) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return 0;
    const std::intptr_t old = GetWindowLongPtr(window, index);
    switch (index) {
        case GWLP_WNDPROC:
            w->Proc = reinterpret_cast<WNDPROC>(value);
            break;
        case GWLP_ID:
            w->Id = value;
            break;
        case GWLP_USERDATA:
            w->UserData = value;
            break;
        case GWL_STYLE:
        case GWL_EXSTYLE: {
            // The published STYLESTRUCT: old and new styles.
            struct {
                std::uint32_t styleOld;
                std::uint32_t styleNew;
            } change{static_cast<std::uint32_t>(old), static_cast<std::uint32_t>(value)};
            Send(w, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
            if ((w = WindowOf(window)) == nullptr)
                return old;
            if (index == GWL_STYLE)
                w->Style = change.styleNew;
            else
                w->ExStyle = change.styleNew;
            Send(w, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
            break;
        }
        default:
            if (index >= 0 && static_cast<std::size_t>(index) / sizeof(std::intptr_t) < w->Extra.size() &&
                index % static_cast<int>(sizeof(std::intptr_t)) == 0)
                w->Extra[static_cast<std::size_t>(index) / sizeof(std::intptr_t)] = value;
            else
                return 0;
    }
    return old;
}

bool ShowWindow(HWND window, int command) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    const bool wasVisible = (w->Style & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    if (show == wasVisible)
        return wasVisible;
    Send(w, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if ((w = WindowOf(window)) == nullptr)
        return wasVisible;
    const bool activate = show && w->Parent == nullptr &&
                          (command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_SHOWMAXIMIZED ||
                           command == SW_RESTORE || command == SW_SHOWMINIMIZED);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (show ? unsigned{SWP_SHOWWINDOW} : unsigned{SWP_HIDEWINDOW}) |
                     (activate ? 0u : unsigned{SWP_NOACTIVATE}));
    return wasVisible;
}

bool IsWindowVisible(HWND window) {
    for (TWindowObject* w = WindowOf(window); w != nullptr; w = w->Parent)
        if ((w->Style & WS_VISIBLE) == 0)
            return false;
    return WindowOf(window) != nullptr;
}

bool SetWindowPos(HWND window,
                  HWND insertAfter,
                  std::int32_t x,
                  std::int32_t y,
                  std::int32_t cx,
                  std::int32_t cy,
                  std::uint32_t flags) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || !IsOwnThread(w))
        return false;
    TWindowPos pos{window, insertAfter, x, y, cx, cy, flags};
    if ((flags & SWP_NOMOVE) != 0) {
        pos.x = w->Rect.Left;
        pos.y = w->Rect.Top;
    }
    if ((flags & SWP_NOSIZE) != 0) {
        pos.cx = w->Rect.Width();
        pos.cy = w->Rect.Height();
    }
    if ((flags & SWP_NOSENDCHANGING) == 0) {
        Send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        if ((w = WindowOf(window)) == nullptr)
            return false;
    }
    const TRect oldRect = w->Rect;
    const bool wasVisible = (w->Style & WS_VISIBLE) != 0;
    TRect newRect{pos.x, pos.y, pos.x + std::max(0, pos.cx), pos.y + std::max(0, pos.cy)};
    const bool moved = newRect.Left != oldRect.Left || newRect.Top != oldRect.Top;
    const bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
    if (!moved)
        pos.flags |= SWP_NOMOVE;
    if (!sized)
        pos.flags |= SWP_NOSIZE;
    w->Rect = newRect;
    if (sized || (pos.flags & SWP_FRAMECHANGED) != 0) {
        TRect client = newRect;
        Send(w, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client));
        if ((w = WindowOf(window)) == nullptr)
            return false;
        w->Client = Offset(client, -newRect.Left, -newRect.Top);
        if (w->Parent == nullptr) {
            MakeSurface(w);
            w->FrameDirty = true;
        }
    }
    if ((pos.flags & SWP_NOZORDER) == 0)
        PlaceInZOrder(w, pos.hwndInsertAfter);
    if ((pos.flags & SWP_SHOWWINDOW) != 0)
        w->Style |= WS_VISIBLE;
    if ((pos.flags & SWP_HIDEWINDOW) != 0)
        w->Style &= ~WS_VISIBLE;
    const bool visible = (w->Style & WS_VISIBLE) != 0;

    if (w->Desktop != nullptr) {
        if (moved || sized)
            Desktop::SetGeometry(w->Desktop, w->Rect);
        if (visible != wasVisible)
            Desktop::SetVisible(w->Desktop, visible);
        if ((pos.flags & SWP_NOZORDER) == 0 && visible)
            Desktop::Raise(w->Desktop);
    }
    if ((pos.flags & SWP_NOREDRAW) == 0 && (visible || wasVisible)) {
        if (w->Parent != nullptr) {
            if (wasVisible && (moved || sized || !visible || (pos.flags & SWP_NOZORDER) == 0))
                InvalidateInParent(w, oldRect);
            if (visible && (moved || sized || !wasVisible || (pos.flags & SWP_NOZORDER) == 0))
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        } else if (visible && (sized || !wasVisible)) {
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
    }
    if ((pos.flags & SWP_SHOWWINDOW) != 0 && !wasVisible && w->Parent == nullptr && (pos.flags & SWP_NOACTIVATE) == 0)
        SetActiveWindow(window);
    if ((w = WindowOf(window)) == nullptr)
        return false;
    // The first showing reports a move and a size, so that WM_SIZE and
    // WM_MOVE reach a window created hidden.
    if (visible && !w->SizeReported) {
        pos.flags &= ~(SWP_NOMOVE | SWP_NOSIZE);
    }
    Send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return true;
}

bool MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, bool repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : unsigned{SWP_NOREDRAW}));
}

bool EnableWindow(HWND window, bool enable) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    const bool wasDisabled = (w->Style & WS_DISABLED) != 0;
    if (wasDisabled == !enable)
        return wasDisabled;
    if (!enable)
        Send(w, WM_CANCELMODE, 0, 0);
    if ((w = WindowOf(window)) == nullptr)
        return wasDisabled;
    if (enable)
        w->Style &= ~WS_DISABLED;
    else
        w->Style |= WS_DISABLED;
    if (!enable && G().Focus != nullptr) {
        TWindowObject* f = WindowOf(G().Focus);
        if (f != nullptr && IsDescendant(w, f))
            SetFocus(nullptr);
    }
    Send(w, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

bool IsWindowEnabled(HWND window) {
    TWindowObject* w = WindowOf(window);
    return w != nullptr && (w->Style & WS_DISABLED) == 0;
}

HWND SetParent(HWND window, HWND newParent) {
    TWindowObject* w = WindowOf(window);
    TWindowObject* p = WindowOf(newParent);
    if (w == nullptr || (newParent != nullptr && p == nullptr) || (p != nullptr && IsDescendant(w, p)))
        return nullptr;
    TWindowObject* old = w->Parent;
    const bool visible = (w->Style & WS_VISIBLE) != 0;
    if (visible)
        ShowWindow(window, SW_HIDE);
    {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        RemoveFromSiblings(w);
        w->Parent = p;
        if (p != nullptr) {
            w->Style |= WS_CHILD;
            p->Children.insert(p->Children.begin(), w);
            if (w->Desktop != nullptr) {
                Desktop::DestroyWindow(w->Desktop);
                w->Desktop = nullptr;
            }
            if (w->Surface != nullptr) {
                DeleteBitmap(w->Surface);
                w->Surface = nullptr;
            }
        } else {
            w->Style &= ~WS_CHILD;
            G().TopLevels.insert(G().TopLevels.begin(), w);
            if (IsMainThread() && Desktop::Ensure())
                w->Desktop = Desktop::CreateWindowFor(w);
            MakeSurface(w);
        }
    }
    if (visible)
        ShowWindow(window, SW_SHOWNA);
    return old != nullptr ? old->Handle : nullptr;
}

HWND GetParent(HWND window) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    if (w->Parent != nullptr && (w->Style & WS_CHILD) != 0)
        return w->Parent->Handle;
    return w->Owner != nullptr ? w->Owner->Handle : nullptr;
}

HWND GetAncestor(HWND window, unsigned kind) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    switch (kind) {
        case GA_PARENT:
            return w->Parent != nullptr ? w->Parent->Handle : nullptr;
        case GA_ROOT:
            return TopLevelOf(w)->Handle;
        case GA_ROOTOWNER: {
            TWindowObject* r = TopLevelOf(w);
            while (r->Owner != nullptr)
                r = r->Owner;
            return r->Handle;
        }
        default:
            return nullptr;
    }
}

HWND GetWindow(HWND window, unsigned relation) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    std::lock_guard<std::recursive_mutex> guard(G().Lock);
    if (relation == GW_CHILD)
        return w->Children.empty() ? nullptr : w->Children.front()->Handle;
    if (relation == GW_OWNER)
        return w->Owner != nullptr ? w->Owner->Handle : nullptr;
    auto& list = SiblingsOf(w);
    auto it = std::find(list.begin(), list.end(), w);
    switch (relation) {
        case GW_HWNDFIRST:
            return list.front()->Handle;
        case GW_HWNDLAST:
            return list.back()->Handle;
        case GW_HWNDNEXT:
            return it + 1 == list.end() ? nullptr : (*(it + 1))->Handle;
        case GW_HWNDPREV:
            return it == list.begin() ? nullptr : (*(it - 1))->Handle;
        default:
            return nullptr;
    }
}

HWND GetTopWindow(HWND window) {
    if (window == nullptr) {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        return G().TopLevels.empty() ? nullptr : G().TopLevels.front()->Handle;
    }
    return GetWindow(window, GW_CHILD);
}

bool IsChild(HWND parent, HWND window) {
    TWindowObject* p = WindowOf(parent);
    TWindowObject* w = WindowOf(window);
    if (p == nullptr || w == nullptr)
        return false;
    for (TWindowObject* x = w->Parent; x != nullptr; x = x->Parent)
        if (x == p)
            return true;
    return false;
}

namespace {
bool EnumTree(const std::vector<HWND>& handles, bool (*callback)(HWND, LPARAM), LPARAM lParam, bool deep) {
    for (HWND h : handles) {
        TWindowObject* w = WindowOf(h);
        if (w == nullptr)
            continue;
        if (!callback(h, lParam))
            return false;
        if (!deep || (w = WindowOf(h)) == nullptr)
            continue;
        std::vector<HWND> kids;
        for (TWindowObject* c : w->Children)
            kids.push_back(c->Handle);
        if (!EnumTree(kids, callback, lParam, true))
            return false;
    }
    return true;
}
}  // namespace

bool EnumChildWindows(HWND window, bool (*callback)(HWND, LPARAM), LPARAM lParam) {
    if (window == nullptr)
        return EnumWindows(callback, lParam);
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    std::vector<HWND> kids;
    for (TWindowObject* c : w->Children)
        kids.push_back(c->Handle);
    return EnumTree(kids, callback, lParam, true);
}

bool EnumWindows(bool (*callback)(HWND, LPARAM), LPARAM lParam) {
    std::vector<HWND> tops;
    {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        for (TWindowObject* t : G().TopLevels)
            tops.push_back(t->Handle);
    }
    return EnumTree(tops, callback, lParam, false);
}

bool SetWindowText(HWND window, std::u16string_view text) {
    const std::u16string copy(text);
    return WindowOf(window) != nullptr &&
           SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())) != 0;
}

std::u16string GetWindowText(HWND window) {
    const int length = GetWindowTextLength(window);
    std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
    const LRESULT n = SendMessage(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<std::size_t>(std::clamp<LRESULT>(n, 0, length)));
    return buffer;
}

int GetWindowTextLength(HWND window) {
    return static_cast<int>(SendMessage(window, WM_GETTEXTLENGTH, 0, 0));
}

bool SetWindowTextA(HWND window, std::string_view text) {
    return SetWindowText(window, BytesToWide(kAnsiCodePage, text));
}

std::string GetWindowTextA(HWND window) {
    return WideToBytes(kAnsiCodePage, GetWindowText(window));
}

bool GetWindowRect(HWND window, TRect& out) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    if (w->Parent == nullptr) {
        out = w->Rect;
        return true;
    }
    const TPoint origin = ClientOriginOnScreen(w->Parent);
    out = Offset(w->Rect, origin.X, origin.Y);
    return true;
}

bool GetClientRect(HWND window, TRect& out) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    out = ClientRectOf(w);
    return true;
}

bool ClientToScreen(HWND window, TPoint& point) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    const TPoint o = ClientOriginOnScreen(w);
    point.X += o.X;
    point.Y += o.Y;
    return true;
}

bool ScreenToClient(HWND window, TPoint& point) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    const TPoint o = ClientOriginOnScreen(w);
    point.X -= o.X;
    point.Y -= o.Y;
    return true;
}

int MapWindowPoints(HWND from, HWND to, TPoint* points, int count) {
    TPoint a, b;
    if (from != nullptr && !ClientToScreen(from, a))
        return 0;
    if (to != nullptr && !ClientToScreen(to, b))
        return 0;
    const int dx = a.X - b.X;
    const int dy = a.Y - b.Y;
    for (int i = 0; i < count; ++i) {
        points[i].X += dx;
        points[i].Y += dy;
    }
    return static_cast<int>((dx & 0xFFFF) | ((dy & 0xFFFF) << 16));
}

HWND WindowFromPoint(TPoint screenPoint) {
    std::vector<TWindowObject*> tops;
    {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        tops = G().TopLevels;
    }
    for (TWindowObject* t : tops) {
        if ((t->Style & WS_VISIBLE) == 0 || !t->Rect.Contains(screenPoint.X, screenPoint.Y))
            continue;
        const TPoint o = ClientOriginOnScreen(t);
        if (!Offset(t->Client, t->Rect.Left, t->Rect.Top).Contains(screenPoint.X, screenPoint.Y))
            return t->Handle;
        return DeepestChildAt(t, {screenPoint.X - o.X, screenPoint.Y - o.Y}, true)->Handle;
    }
    return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, TPoint clientPoint) {
    TWindowObject* p = WindowOf(parent);
    if (p == nullptr || !ClientRectOf(p).Contains(clientPoint.X, clientPoint.Y))
        return nullptr;
    for (TWindowObject* c : p->Children)
        if (c->Rect.Contains(clientPoint.X, clientPoint.Y))
            return c->Handle;
    return parent;
}

// ---------------------------------------------------------------- monitors

int MonitorCount() {
    return static_cast<int>(Desktop::Monitors().size());
}

bool GetMonitorInfo(int monitor, TMonitorInfo& out) {
    const auto monitors = Desktop::Monitors();
    if (monitor < 0 || monitor >= static_cast<int>(monitors.size()))
        return false;
    out = monitors[static_cast<std::size_t>(monitor)];
    return true;
}

int MonitorFromPoint(TPoint p) {
    const auto monitors = Desktop::Monitors();
    int best = 0;
    std::int64_t bestDistance = INT64_MAX;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const TRect& r = monitors[i].rcMonitor;
        const std::int64_t dx = p.X < r.Left ? r.Left - p.X : p.X >= r.Right ? p.X - r.Right + 1 : 0;
        const std::int64_t dy = p.Y < r.Top ? r.Top - p.Y : p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = static_cast<int>(i);
        }
    }
    return best;
}

int MonitorFromWindow(HWND window) {
    TRect r;
    if (!GetWindowRect(window, r))
        return 0;
    return MonitorFromPoint({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

TRect WorkArea() {
    for (const TMonitorInfo& m : Desktop::Monitors())
        if (m.Primary)
            return m.rcWork;
    return {0, 0, ScreenWidth(), ScreenHeight()};
}

// ---------------------------------------------------------------- the queue

bool PostMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr)
        return PostThreadMessageToSelf(message, wParam, lParam);
    std::shared_ptr<TThreadQueue> q;
    {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        TWindowObject* w = WindowOf(window);
        if (w == nullptr)
            return false;
        q = w->Queue;
    }
    std::lock_guard<std::mutex> guard(q->Lock);
    q->Posted.push_back({window, message, wParam, lParam, MessageTime(), CursorPos()});
    WakeQueue(*q);
    return true;
}

bool PostThreadMessageToSelf(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    TThreadQueue& q = CurrentQueue();
    std::lock_guard<std::mutex> guard(q.Lock);
    q.Posted.push_back({nullptr, message, wParam, lParam, MessageTime(), CursorPos()});
    WakeQueue(q);
    return true;
}

LRESULT SendMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<TThreadQueue> target;
    TWindowObject* w;
    {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        w = WindowOf(window);
        if (w == nullptr)
            return 0;
        target = w->Queue;
    }
    TThreadQueue& own = CurrentQueue();
    if (target.get() == &own)
        return CallProc(w, message, wParam, lParam);
    // Another thread's window: queue the message there and wait, serving what
    // is sent to this thread meanwhile so that two threads sending to each
    // other cannot dead-lock.
    TSentItem item;
    item.Window = window;
    item.Message = message;
    item.WParam = wParam;
    item.LParam = lParam;
    item.From = &own;
    {
        std::lock_guard<std::mutex> guard(target->Lock);
        target->Sent.push_back(&item);
        WakeQueue(*target);
    }
    for (;;) {
        ServeSent(own);
        if (own.IsMain)
            DispatchSentMessages();
        std::unique_lock<std::mutex> lock(own.Lock);
        if (item.Done)
            return item.Result;
        own.Wake.wait_for(lock, std::chrono::milliseconds(50),
                          [&] { return item.Done || !own.Sent.empty() || (own.IsMain && HasQueuedMessages()); });
        if (item.Done)
            return item.Result;
        // A window destroyed with the message still queued answers 0.
        if (!IsWindow(window)) {
            std::lock_guard<std::mutex> guard(target->Lock);
            auto it = std::find(target->Sent.begin(), target->Sent.end(), &item);
            if (it != target->Sent.end()) {
                target->Sent.erase(it);
                return 0;
            }
        }
    }
}

bool InSendMessage() {
    return CurrentQueue().InSend > 0;
}

namespace {
bool TakePosted(TThreadQueue& q, TMsg& msg, HWND window, std::uint32_t first, std::uint32_t last, unsigned remove) {
    std::lock_guard<std::mutex> guard(q.Lock);
    for (auto it = q.Posted.begin(); it != q.Posted.end(); ++it) {
        if (!Matches(*it, window, first, last))
            continue;
        msg = *it;
        if ((remove & PM_REMOVE) != 0)
            q.Posted.erase(it);
        return true;
    }
    return false;
}
}  // namespace

bool PeekMessage(TMsg& msg, HWND window, std::uint32_t first, std::uint32_t last, unsigned remove) {
    TThreadQueue& q = CurrentQueue();
    ServeSent(q);
    if (q.IsMain) {
        DispatchSentMessages();
        // The message windows' posted messages run here: they have no
        // window of this layer to be dispatched to.
        while (DispatchPostedMessage()) {
        }
    }
    if (TakePosted(q, msg, window, first, last, remove))
        return true;
    // The desktop's events are fetched only when nothing posted waits, as
    // posted messages come before input; they may send or post in turn.
    if (q.IsMain && Desktop::Started()) {
        Desktop::ProcessEvents(0);
        ServeSent(q);
        if (TakePosted(q, msg, window, first, last, remove))
            return true;
    }
    {
        std::lock_guard<std::mutex> guard(q.Lock);
        if (q.QuitPosted && FilterTakes(WM_QUIT, first, last)) {
            msg = {nullptr, WM_QUIT, static_cast<WPARAM>(q.QuitCode), 0, MessageTime(), CursorPos()};
            if ((remove & PM_REMOVE) != 0)
                q.QuitPosted = false;
            return true;
        }
    }
    if (FilterTakes(WM_PAINT, first, last)) {
        std::vector<TWindowObject*> tops;
        {
            std::lock_guard<std::recursive_mutex> guard(G().Lock);
            tops = G().TopLevels;
        }
        TWindowObject* root = WindowOf(window);
        if (root != nullptr)
            tops = {root};
        for (TWindowObject* t : tops) {
            if (TWindowObject* p = FindPaintWindow(q, t)) {
                msg = {p->Handle, WM_PAINT, 0, 0, MessageTime(), CursorPos()};
                return true;
            }
        }
    }
    if (FilterTakes(WM_TIMER, first, last)) {
        const std::int64_t now = NowMs();
        for (TTimer& t : q.Timers) {
            if (t.DueMs > now || (window != nullptr && t.Window != window && !IsChild(window, t.Window)))
                continue;
            msg = {t.Window,   WM_TIMER, t.Id, reinterpret_cast<LPARAM>(t.Proc), static_cast<std::uint32_t>(now),
                   CursorPos()};
            if ((remove & PM_REMOVE) != 0)
                t.DueMs = now + t.ElapseMs;
            return true;
        }
    }
    return false;
}

bool GetMessage(TMsg& msg, HWND window, std::uint32_t first, std::uint32_t last) {
    while (!PeekMessage(msg, window, first, last, PM_REMOVE))
        WaitMessage();
    return msg.message != WM_QUIT;
}

bool WaitMessage(int timeoutMs) {
    TThreadQueue& q = CurrentQueue();
    std::int64_t wait = timeoutMs;
    {
        const std::int64_t now = NowMs();
        for (const TTimer& t : q.Timers) {
            const std::int64_t left = std::max<std::int64_t>(0, t.DueMs - now);
            wait = wait < 0 ? left : std::min(wait, left);
        }
    }
    auto ready = [&] { return !q.Posted.empty() || !q.Sent.empty() || q.QuitPosted; };
    {
        std::lock_guard<std::mutex> guard(q.Lock);
        if (ready())
            return true;
    }
    if (q.IsMain && HasQueuedMessages())
        return true;
    for (TWindowObject* t : std::vector<TWindowObject*>(G().TopLevels))
        if (FindPaintWindow(q, t) != nullptr)
            return true;
    if (q.IsMain && Desktop::Started()) {
        Desktop::ProcessEvents(static_cast<int>(std::min<std::int64_t>(wait, INT32_MAX)));
        return true;
    }
    std::unique_lock<std::mutex> lock(q.Lock);
    if (wait < 0)
        q.Wake.wait(lock, [&] { return ready() || (q.IsMain && HasQueuedMessages()); });
    else
        q.Wake.wait_for(lock, std::chrono::milliseconds(wait),
                        [&] { return ready() || (q.IsMain && HasQueuedMessages()); });
    return true;
}

bool TranslateMessage(const TMsg& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    std::u16string text;
    bool fromDesktop = false;
    for (auto it = g_keyTexts.begin(); it != g_keyTexts.end(); ++it) {
        if (it->Time == msg.time && it->Key == msg.wParam) {
            text = it->Text;
            fromDesktop = true;
            g_keyTexts.erase(it);
            break;
        }
    }
    // A key from the desktop makes the characters settled when it came; a
    // key-down posted by the program makes those of its virtual key.
    if (!fromDesktop) {
        const char16_t c = CharOfKey(static_cast<int>(msg.wParam));
        if (c != 0)
            text = std::u16string(1, c);
    }
    if (text.empty())
        return false;
    const std::uint32_t charMessage = msg.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    TWindowObject* w = WindowOf(msg.hwnd);
    if (w == nullptr)
        return false;
    TThreadQueue& q = *w->Queue;
    std::lock_guard<std::mutex> guard(q.Lock);
    // The characters come before any input queued behind the key-down (its
    // key-up in particular), as posted messages come before input.
    auto at = q.Posted.begin();
    for (char16_t c : text)
        at = q.Posted.insert(at, {msg.hwnd, charMessage, c, msg.lParam, msg.time, msg.pt}) + 1;
    return true;
}

LRESULT DispatchMessage(const TMsg& msg) {
    if (msg.message == WM_TIMER && msg.lParam != 0) {
        reinterpret_cast<TIMERPROC>(msg.lParam)(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
        return 0;
    }
    TWindowObject* w = WindowOf(msg.hwnd);
    if (w == nullptr)
        return 0;
    return CallProc(w, msg.message, msg.wParam, msg.lParam);
}

void PostQuitMessage(int exitCode) {
    TThreadQueue& q = CurrentQueue();
    std::lock_guard<std::mutex> guard(q.Lock);
    q.QuitPosted = true;
    q.QuitCode = exitCode;
    WakeQueue(q);
}

void PumpMessages() {
    TMsg msg;
    while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
}

// ---------------------------------------------------------------- timers

std::uintptr_t SetTimer(HWND window, std::uintptr_t id, std::uint32_t elapseMs, TIMERPROC proc) {
    TWindowObject* w = WindowOf(window);
    if (window != nullptr && (w == nullptr || !IsOwnThread(w)))
        return 0;
    TThreadQueue& q = CurrentQueue();
    // A thread timer (no window) gets an id of its own, as the published
    // function hands out.
    static std::uintptr_t nextThreadTimer = 0x7FFF;
    if (window == nullptr)
        id = ++nextThreadTimer;
    const std::uint32_t elapse = std::max<std::uint32_t>(elapseMs, 10);
    for (TTimer& t : q.Timers) {
        if (t.Window == window && t.Id == id) {
            t.ElapseMs = elapse;
            t.Proc = proc;
            t.DueMs = NowMs() + elapse;
            return id == 0 ? 1 : id;
        }
    }
    q.Timers.push_back({window, id, elapse, proc, NowMs() + elapse});
    return id == 0 ? 1 : id;
}

bool KillTimer(HWND window, std::uintptr_t id) {
    TThreadQueue& q = CurrentQueue();
    auto it = std::find_if(q.Timers.begin(), q.Timers.end(),
                           [&](const TTimer& t) { return t.Window == window && t.Id == id; });
    if (it == q.Timers.end())
        return false;
    q.Timers.erase(it);
    // A WM_TIMER already taken out of the queue is not taken back; none is
    // ever queued, since they are made when the queue is read.
    return true;
}

// ---------------------------------------------------------------- properties and atoms

bool SetProp(HWND window, std::u16string_view name, void* data) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    w->Props[Folded(name)] = data;
    return true;
}

void* GetProp(HWND window, std::u16string_view name) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    auto found = w->Props.find(Folded(name));
    return found == w->Props.end() ? nullptr : found->second;
}

void* RemoveProp(HWND window, std::u16string_view name) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    auto found = w->Props.find(Folded(name));
    if (found == w->Props.end())
        return nullptr;
    void* data = found->second;
    w->Props.erase(found);
    return data;
}

ATOM GlobalAddAtom(std::u16string_view name) {
    if (name.empty() || name.size() > 255)
        return 0;
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    const std::u16string key = Folded(name);
    for (auto& [atom, entry] : g.Atoms) {
        if (Folded(entry.Name) == key) {
            ++entry.References;
            return atom;
        }
    }
    if (g.NextAtom == 0xFFFF)
        return 0;
    const ATOM atom = g.NextAtom++;
    g.Atoms[atom] = {std::u16string(name), 1};
    return atom;
}

ATOM GlobalFindAtom(std::u16string_view name) {
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    const std::u16string key = Folded(name);
    for (auto& [atom, entry] : g.Atoms)
        if (Folded(entry.Name) == key)
            return atom;
    return 0;
}

ATOM GlobalDeleteAtom(ATOM atom) {
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    auto found = g.Atoms.find(atom);
    if (found == g.Atoms.end())
        return atom;
    if (--found->second.References == 0)
        g.Atoms.erase(found);
    return 0;
}

std::u16string GlobalGetAtomName(ATOM atom) {
    TGlobals& g = G();
    std::lock_guard<std::recursive_mutex> guard(g.Lock);
    auto found = g.Atoms.find(atom);
    return found == g.Atoms.end() ? std::u16string() : found->second.Name;
}

// ---------------------------------------------------------------- focus, activation, capture

HWND SetFocus(HWND window) {
    TGlobals& g = G();
    const HWND old = g.Focus;
    if (window == nullptr) {
        g.Focus = nullptr;
        if (IsWindow(old))
            SendMessage(old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || !IsOwnThread(w))
        return nullptr;
    if (old == window)
        return old;
    TWindowObject* top = TopLevelOf(w);
    if (g.Active != top->Handle) {
        SetActiveWindow(top->Handle);
        if (!IsWindow(window))
            return nullptr;
    }
    const HWND before = g.Focus;
    if (before == window)
        return old;
    if (IsWindow(before))
        SendMessage(before, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (!IsWindow(window))
        return old;
    g.Focus = window;
    SendMessage(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(before), 0);
    return old;
}

HWND GetFocus() {
    return G().Focus;
}

namespace {
void SendActivateApp(HWND first, bool active) {
    std::vector<HWND> tops;
    {
        std::lock_guard<std::recursive_mutex> guard(G().Lock);
        for (TWindowObject* t : G().TopLevels)
            if (IsOwnThread(t) && t->Handle != first)
                tops.push_back(t->Handle);
    }
    if (IsWindow(first))
        tops.insert(tops.begin(), first);
    for (HWND t : tops)
        if (IsWindow(t))
            SendMessage(t, WM_ACTIVATEAPP, active ? 1 : 0, 0);
}
}  // namespace

HWND SetActiveWindow(HWND window) {
    TGlobals& g = G();
    TWindowObject* w = WindowOf(window);
    if (w != nullptr)
        w = TopLevelOf(w);
    const HWND target = w != nullptr ? w->Handle : nullptr;
    const HWND old = g.Active;
    if (old == target)
        return old;
    if (w != nullptr && (w->Style & WS_DISABLED) != 0)
        return nullptr;
    if (IsWindow(old)) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(target));
    }
    g.Active = target;
    // The program as a whole gains or loses the activation: every top-level
    // window of the thread hears of it, the new active window first.
    if ((old == nullptr) != (target == nullptr))
        SendActivateApp(target != nullptr ? target : old, target != nullptr);
    if (target == nullptr) {
        if (g.Focus != nullptr)
            SetFocus(nullptr);
        return old;
    }
    if (TWindowObject* f = WindowOf(g.Focus); f != nullptr && TopLevelOf(f) != w) {
        // The focus stays in the window being left until the new one takes it.
    }
    SendMessage(target, WM_NCACTIVATE, 1, 0);
    const bool minimized = w != nullptr && (w->Style & WS_MINIMIZE) != 0;
    SendMessage(target, WM_ACTIVATE, static_cast<WPARAM>(WA_ACTIVE | (minimized ? 0x10000 : 0)),
                reinterpret_cast<LPARAM>(IsWindow(old) ? old : nullptr));
    if ((w = WindowOf(target)) != nullptr && w->Desktop != nullptr)
        Desktop::Raise(w->Desktop);
    return old;
}

HWND GetActiveWindow() {
    return G().Active;
}

bool SetForegroundWindow(HWND window) {
    return IsWindow(window) && (SetActiveWindow(window), G().Active == GetAncestor(window, GA_ROOT));
}

HWND SetCapture(HWND window) {
    TGlobals& g = G();
    const HWND old = g.Capture;
    if (old == window)
        return old;
    g.Capture = window;
    if (IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return old;
}

bool ReleaseCapture() {
    TGlobals& g = G();
    const HWND old = g.Capture;
    g.Capture = nullptr;
    if (IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture() {
    return G().Capture;
}

// ---------------------------------------------------------------- painting

bool InvalidateRect(HWND window, const TRect* rect, bool erase) {
    return RedrawWindow(window, rect, nullptr, RDW_INVALIDATE | (erase ? unsigned{RDW_ERASE} : 0u));
}

bool InvalidateRgn(HWND window, HRGN region, bool erase) {
    return RedrawWindow(window, nullptr, region, RDW_INVALIDATE | (erase ? unsigned{RDW_ERASE} : 0u));
}

bool ValidateRect(HWND window, const TRect* rect) {
    return RedrawWindow(window, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

bool GetUpdateRect(HWND window, TRect* rect, bool erase) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    TRect box;
    const bool any = w->Update != nullptr && GetRgnBox(w->Update, box) != NULLREGION;
    if (rect != nullptr)
        *rect = any ? box : TRect{};
    if (any && erase && w->EraseNeeded) {
        HDC dc = GetDC(window);
        w->EraseNeeded = SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
        ReleaseDC(window, dc);
    }
    return any;
}

bool UpdateWindow(HWND window) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    PaintNow(w, true);
    return true;
}

bool RedrawWindow(HWND window, const TRect* rect, HRGN region, unsigned flags) {
    if (window == nullptr) {
        std::vector<HWND> tops;
        {
            std::lock_guard<std::recursive_mutex> guard(G().Lock);
            for (TWindowObject* t : G().TopLevels)
                tops.push_back(t->Handle);
        }
        for (HWND t : tops)
            RedrawWindow(t, rect, region, flags);
        return true;
    }
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return false;
    HRGN r;
    if (region != nullptr) {
        r = EmptyRegion();
        CombineRgn(r, region, nullptr, RGN_COPY);
    } else {
        r = CreateRectRgnIndirect(rect != nullptr ? *rect : ClientRectOf(w));
    }
    Redraw(w, r, flags, true);
    DeleteRegion(r);
    if ((flags & RDW_UPDATENOW) != 0)
        PaintNow(w, (flags & RDW_NOCHILDREN) == 0);
    return true;
}

HDC BeginPaint(HWND window, TPaintStruct& paint) {
    TWindowObject* w = WindowOf(window);
    paint = {};
    if (w == nullptr)
        return nullptr;
    HRGN visible = VisibleRegion(w);
    if (w->Update != nullptr) {
        CombineRgn(visible, visible, w->Update, RGN_AND);
        DeleteRegion(w->Update);
        w->Update = nullptr;
    } else {
        CombineRgn(visible, visible, visible, RGN_DIFF);
    }
    w->InternalPaint = false;
    GetRgnBox(visible, paint.rcPaint);
    const bool erase = w->EraseNeeded;
    w->EraseNeeded = false;
    // The frame's scroll bars are drawn with the paint, as the parent's
    // painting may have covered them.
    if ((w->Parent != nullptr && (w->Style & (WS_HSCROLL | WS_VSCROLL)) != 0) ||
        (w->FrameDirty && MenuBarHeight(w) > 0)) {
        SendMessage(window, WM_NCPAINT, 1, 0);
        if ((w = WindowOf(window)) == nullptr) {
            DeleteRegion(visible);
            return nullptr;
        }
    }
    CaretOffForPaint(window);
    paint.hdc = MakeWindowDc(w, visible);
    if (erase)
        paint.fErase = SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint.hdc), 0) == 0;
    return paint.hdc;
}

bool EndPaint(HWND window, const TPaintStruct& paint) {
    if (paint.hdc != nullptr)
        ReleaseWindowDc(paint.hdc);
    CaretBackAfterPaint(window);
    return true;
}

HDC GetDC(HWND window) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    return MakeWindowDc(w, VisibleRegion(w));
}

int ReleaseDC(HWND window, HDC dc) {
    if (WindowDcs().count(dc) == 0)
        return 0;
    ReleaseWindowDc(dc);
    return 1;
}

int ScrollWindowEx(HWND window,
                   std::int32_t dx,
                   std::int32_t dy,
                   const TRect* scroll,
                   const TRect* clip,
                   HRGN updateRegion,
                   TRect* updateRect,
                   unsigned flags) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return RGN_ERROR;
    const TRect client = ClientRectOf(w);
    const TRect source = scroll != nullptr ? Intersect(*scroll, client) : client;
    const TRect clipRect = clip != nullptr ? Intersect(*clip, client) : client;
    HRGN visible = VisibleRegion(w);
    HRGN area = CreateRectRgnIndirect(Intersect(source, clipRect));
    CombineRgn(area, area, visible, RGN_AND);
    // Pixels move where both their old place was visible and their new place
    // is inside the scrolled area; the rest of the area is exposed.
    HRGN moved = EmptyRegion();
    CombineRgn(moved, area, nullptr, RGN_COPY);
    OffsetRgn(moved, dx, dy);
    CombineRgn(moved, moved, area, RGN_AND);
    HRGN exposed = EmptyRegion();
    CombineRgn(exposed, area, moved, RGN_DIFF);

    TWindowObject* top = TopLevelOf(w);
    if (top->Surface == nullptr)
        MakeSurface(top);
    // The caret must not move with the pixels.
    CaretOffForPaint(window);
    const TPoint origin = ClientOriginInTopLevel(w);
    if (!RegionIsEmpty(moved) && IsWindowVisible(window)) {
        const std::int32_t cw = std::max(1, w->Client.Width());
        const std::int32_t ch = std::max(1, w->Client.Height());
        HDC copy = CreateCompatibleDC(nullptr);
        HBITMAP copyBits = CreateBitmap32(cw, ch);
        SelectBitmap(copy, copyBits);
        HDC surface = SurfaceDc(top);
        BitBlt(copy, 0, 0, cw, ch, surface, origin.X, origin.Y, SRCCOPY);
        HRGN target = EmptyRegion();
        CombineRgn(target, moved, nullptr, RGN_COPY);
        OffsetRgn(target, origin.X, origin.Y);
        SelectClipRgn(surface, target);
        BitBlt(surface, origin.X + dx, origin.Y + dy, cw, ch, copy, 0, 0, SRCCOPY);
        TRect box;
        GetRgnBox(target, box);
        ReleaseSurfaceDc(surface);
        SelectBitmap(copy, nullptr);
        DeleteDC(copy);
        DeleteBitmap(copyBits);
        DeleteRegion(target);
        FlushTop(top, box);
    }
    // What was waiting to be painted inside the area moves with the pixels.
    if (w->Update != nullptr) {
        HRGN inside = EmptyRegion();
        CombineRgn(inside, w->Update, area, RGN_AND);
        CombineRgn(w->Update, w->Update, inside, RGN_DIFF);
        OffsetRgn(inside, dx, dy);
        HRGN clipRgn = CreateRectRgnIndirect(clipRect);
        CombineRgn(inside, inside, clipRgn, RGN_AND);
        CombineRgn(w->Update, w->Update, inside, RGN_OR);
        DeleteRegion(clipRgn);
        DeleteRegion(inside);
    }
    if ((flags & SW_SCROLLCHILDREN) != 0) {
        for (TWindowObject* c : std::vector<TWindowObject*>(w->Children))
            if (Intersect(c->Rect, source).IsEmpty() == false)
                SetWindowPos(c->Handle, nullptr, c->Rect.Left + dx, c->Rect.Top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    CaretBackAfterPaint(window);
    if ((flags & SW_INVALIDATE) != 0)
        RedrawWindow(window, nullptr, exposed, RDW_INVALIDATE | ((flags & SW_ERASE) != 0 ? unsigned{RDW_ERASE} : 0u));
    if (updateRegion != nullptr)
        CombineRgn(updateRegion, exposed, nullptr, RGN_COPY);
    TRect box;
    const int kind = GetRgnBox(exposed, box);
    if (updateRect != nullptr)
        *updateRect = box;
    DeleteRegion(exposed);
    DeleteRegion(moved);
    DeleteRegion(area);
    DeleteRegion(visible);
    return kind;
}

// ---------------------------------------------------------------- the default procedure

LRESULT DefWindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return 0;
    switch (message) {
        case WM_NCCREATE: {
            const auto* cs = reinterpret_cast<const TCreateStruct*>(lParam);
            if (cs != nullptr && cs->lpszName != nullptr)
                w->Text = cs->lpszName;
            return 1;
        }
        case WM_NCCALCSIZE: {
            if (wParam == 0 && lParam != 0 && w->Parent != nullptr) {
                auto* r = reinterpret_cast<TRect*>(lParam);
                int inset = (w->ExStyle & WS_EX_CLIENTEDGE) != 0 ? 2 : 0;
                if ((w->Style & WS_BORDER) != 0)
                    inset += 1;
                r->Left += inset;
                r->Top += inset;
                r->Right = std::max(r->Left, r->Right - inset);
                r->Bottom = std::max(r->Top, r->Bottom - inset);
                // The frame's scroll bars take their room from the client
                // area, as much as there is.
                if ((w->Style & WS_VSCROLL) != 0)
                    r->Right = std::max(r->Left, r->Right - kScrollBarSize);
                if ((w->Style & WS_HSCROLL) != 0)
                    r->Bottom = std::max(r->Top, r->Bottom - kScrollBarSize);
            }
            // A top-level window's menu bar takes its line above the client area.
            if (wParam == 0 && lParam != 0 && MenuBarHeight(w) > 0) {
                auto* r = reinterpret_cast<TRect*>(lParam);
                r->Top = std::min(r->Bottom, r->Top + MenuBarHeight(w));
            }
            return 0;
        }
        case WM_NCHITTEST: {
            TRect windowRect;
            GetWindowRect(window, windowRect);
            const int x = XFromLParam(lParam);
            const int y = YFromLParam(lParam);
            if (!windowRect.Contains(x, y))
                return HTNOWHERE;
            TPoint p{x, y};
            ScreenToClient(window, p);
            if (ClientRectOf(w).Contains(p.X, p.Y))
                return HTCLIENT;
            if (MenuBarHitTest(w, {x, y}) == HTMENU)
                return HTMENU;
            const int bar = ScrollBarHitTest(w, {p.X + w->Client.Left, p.Y + w->Client.Top});
            return bar != HTNOWHERE ? bar : HTBORDER;
        }
        case WM_SETCURSOR: {
            // The parent decides first; a true answer stops the search.
            if (w->Parent != nullptr && (w->Style & WS_CHILD) != 0 &&
                SendMessage(w->Parent->Handle, WM_SETCURSOR, wParam, lParam) != 0)
                return 1;
            // The window the pointer is over shows its class's cursor over
            // its client area and the arrow elsewhere; its ancestors leave
            // that to it.
            if (reinterpret_cast<HWND>(wParam) != window || (w = WindowOf(window)) == nullptr)
                return 0;
            const int hit = static_cast<std::int16_t>(LoWord(static_cast<std::uintptr_t>(lParam)));
            if (hit == HTERROR || hit == HTNOWHERE || hit == HTTRANSPARENT)
                return 0;
            HCURSOR cursor = hit == HTCLIENT && w->Class != nullptr ? w->Class->Info.hCursor : LoadCursor(IDC_ARROW);
            if (cursor == nullptr)
                return 0;
            SetCursor(cursor);
            return 1;
        }
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (wParam == HTVSCROLL || wParam == HTHSCROLL)
                TrackScrollBar(window, static_cast<int>(wParam), {XFromLParam(lParam), YFromLParam(lParam)});
            else if (wParam == HTMENU && message == WM_NCLBUTTONDOWN)
                SendMessage(window, WM_SYSCOMMAND, SC_MOUSEMENU | static_cast<WPARAM>(HTMENU), lParam);
            return 0;
        case WM_NCPAINT:
            PaintScrollBars(w);
            PaintMenuBar(w);
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_KEYMENU:
                case SC_MOUSEMENU:
                    MenuSysCommand(window, wParam, lParam);
                    return 0;
                case SC_CLOSE:
                    SendMessage(window, WM_CLOSE, 0, 0);
                    return 0;
                case SC_MINIMIZE:
                    ShowWindow(window, SW_MINIMIZE);
                    return 0;
                case SC_MAXIMIZE:
                    ShowWindow(window, SW_SHOWMAXIMIZED);
                    return 0;
                case SC_RESTORE:
                    ShowWindow(window, SW_RESTORE);
                    return 0;
                default:
                    return 0;
            }
        case WM_SYSCHAR:
            // Alt with a letter opens the bar's menu with that mnemonic; Alt
            // with a space the system menu.
            if ((static_cast<std::uint32_t>(lParam) & KF_ALTDOWN) != 0)
                SendMessage(window, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
            return 0;
        case WM_SYSKEYDOWN:
        case WM_KEYDOWN:
            // Alt pressed and let go with no key between starts the menu.
            if ((static_cast<std::uint32_t>(lParam) & KF_REPEAT) == 0)
                g_altAlone = message == WM_SYSKEYDOWN && wParam == VK_MENU;
            return 0;
        case WM_MOUSEACTIVATE:
            if (w->Parent != nullptr && (w->Style & WS_CHILD) != 0) {
                const LRESULT r = SendMessage(w->Parent->Handle, WM_MOUSEACTIVATE, wParam, lParam);
                if (r != 0)
                    return r;
            }
            return MA_ACTIVATE;
        case WM_ERASEBKGND: {
            HBRUSH brush = w->Class != nullptr ? w->Class->Info.hbrBackground : nullptr;
            if (brush == nullptr)
                return 0;
            HDC dc = reinterpret_cast<HDC>(wParam);
            const auto value = reinterpret_cast<std::uintptr_t>(brush);
            // A class brush may be a system colour index plus one.
            if (value <= kMaxSysColorBrush + 1) {
                HBRUSH sys = CreateSolidBrush(GetSysColor(static_cast<int>(value) - 1));
                FillRect(dc, ClientRectOf(w), sys);
                DeleteBrush(sys);
            } else {
                FillRect(dc, ClientRectOf(w), brush);
            }
            return 1;
        }
        case WM_RBUTTONUP: {
            TPoint p{XFromLParam(lParam), YFromLParam(lParam)};
            ClientToScreen(window, p);
            SendMessage(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MakeLParam(p.X, p.Y));
            return 0;
        }
        case WM_KEYUP:
            if (wParam == VK_APPS)
                SendMessage(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);
            return 0;
        case WM_SYSKEYUP:
            if (wParam == VK_F10 && IsKeyDown(VK_SHIFT)) {
                SendMessage(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), -1);
            } else if ((wParam == VK_MENU && g_altAlone) || wParam == VK_F10) {
                g_altAlone = false;
                SendMessage(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
            }
            return 0;
        case WM_CONTEXTMENU:
            if (w->Parent != nullptr && (w->Style & WS_CHILD) != 0)
                return SendMessage(w->Parent->Handle, WM_CONTEXTMENU, wParam, lParam);
            return 0;
        case WM_SHOWWINDOW:
            return 0;
        case WM_SETTEXT:
            w->Text = lParam != 0 ? std::u16string(reinterpret_cast<const char16_t*>(lParam)) : std::u16string();
            if (w->Desktop != nullptr)
                Desktop::SetTitle(w->Desktop, w->Text);
            return 1;
        case WM_GETTEXT:
            CopyPrefix(w->Text, wParam, reinterpret_cast<char16_t*>(lParam));
            return wParam == 0 ? 0 : static_cast<LRESULT>(std::min<std::size_t>(w->Text.size(), wParam - 1));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->Text.size());
        case WM_PAINT: {
            TPaintStruct ps;
            BeginPaint(window, ps);
            EndPaint(window, ps);
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const TWindowPos*>(lParam);
            // Windows that have not had WM_SIZE and WM_MOVE yet get them on
            // the first showing, whatever SetWindowPos reports.
            const bool first = !w->SizeReported;
            if (first && (w->Style & WS_VISIBLE) == 0)
                return 0;
            w->SizeReported = true;
            if ((pos->flags & SWP_NOSIZE) == 0 || first)
                SendMessage(window, WM_SIZE,
                            (w->Style & WS_MINIMIZE) != 0   ? SIZE_MINIMIZED
                            : (w->Style & WS_MAXIMIZE) != 0 ? SIZE_MAXIMIZED
                                                            : SIZE_RESTORED,
                            MakeLParam(w->Client.Width(), w->Client.Height()));
            if ((w = WindowOf(window)) == nullptr)
                return 0;
            if ((pos->flags & SWP_NOMOVE) == 0 || first) {
                const TPoint o = w->Parent != nullptr
                                     ? ClientOffset(w)
                                     : TPoint{w->Rect.Left + w->Client.Left, w->Rect.Top + w->Client.Top};
                SendMessage(window, WM_MOVE, 0, MakeLParam(o.X, o.Y));
            }
            return 0;
        }
        case WM_ACTIVATE:
            if (LoWord(wParam) != WA_INACTIVE && HiWord(wParam) == 0)
                SetFocus(window);
            return 0;
        case WM_NCACTIVATE:
            return 1;
        case WM_CANCELMODE:
            if (G().Capture == window)
                ReleaseCapture();
            return 0;
        case WM_IME_CHAR:
            return SendMessage(window, WM_CHAR, wParam, lParam);
        case WM_SETREDRAW:
            w->Redraw = wParam != 0;
            return 0;
        default:
            return 0;
    }
}

}  // namespace Platform
