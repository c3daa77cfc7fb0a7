#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "WindowTrace.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/MessageQueue.h"
#include "platform/Regions.h"

namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

class MessageLoopTest : public TWindowTest {};

// Runs the loop until the predicate holds or a generous time has passed.
template <typename F>
bool PumpUntil(F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    TMsg msg;
    while (!done() && std::chrono::steady_clock::now() < end) {
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(msg);
            DispatchMessage(msg);
        } else {
            WaitMessage(20);
        }
    }
    return done();
}

TEST_F(MessageLoopTest, PostedMessagesComeInOrderThenQuitThenPaint) {
    HWND w = Make("w", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 50, 50});
    PumpMessages();
    Watch({WM_USER, WM_PAINT});
    PostMessage(w, WM_USER, 1, 0);
    InvalidateRect(w, nullptr, false);
    PostQuitMessage(3);
    PostMessage(w, WM_USER, 2, 0);
    std::vector<std::uint32_t> seen;
    TMsg msg;
    while (GetMessage(msg, nullptr, 0, 0)) {
        seen.push_back(msg.message);
        DispatchMessage(msg);
    }
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{WM_USER, WM_USER}));
    // The paint waits behind the quit and comes when the queue is read again.
    ASSERT_TRUE(PeekMessage(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_PAINT);
    DispatchMessage(msg);
    EXPECT_FALSE(PeekMessage(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
}

TEST_F(MessageLoopTest, FiltersTakeOnlyTheirWindowAndRange) {
    HWND a = Make("a", WS_OVERLAPPED, {0, 0, 10, 10});
    HWND b = Make("b", WS_OVERLAPPED, {0, 0, 10, 10});
    HWND b1 = Make("b1", WS_CHILD, {0, 0, 5, 5}, b);
    PostMessage(a, WM_USER, 0, 0);
    PostMessage(b1, WM_USER + 1, 0, 0);
    PostMessage(b, WM_USER + 2, 0, 0);
    TMsg msg;
    ASSERT_TRUE(PeekMessage(msg, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b1);  // a child counts as its parent's
    ASSERT_TRUE(PeekMessage(msg, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, b);
    ASSERT_TRUE(PeekMessage(msg, nullptr, WM_USER + 2, WM_USER + 5, PM_REMOVE));
    ASSERT_TRUE(PeekMessage(msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_FALSE(PeekMessage(msg, nullptr, 0, 0, PM_REMOVE));
    // Destroying a window drops what was posted to it.
    PostMessage(a, WM_USER, 0, 0);
    DestroyWindow(a);
    EXPECT_FALSE(PeekMessage(msg, nullptr, 0, 0, PM_REMOVE));
}

// Sends itself a message while handling one; the inner one runs to the end
// before the outer one goes on.
LRESULT ReentrantProc(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER) {
        Trace().push_back("enter " + std::to_string(wp));
        LRESULT inner = 0;
        if (wp < 3)
            inner = SendMessage(w, WM_USER, wp + 1, 0);
        Trace().push_back("leave " + std::to_string(wp));
        return inner + 1;
    }
    return DefWindowProc(w, m, wp, lp);
}

TEST_F(MessageLoopTest, SendsNestInsideEachOther) {
    TWndClass wc;
    wc.lpfnWndProc = &ReentrantProc;
    wc.lpszClassName = u"Reentrant";
    RegisterClass(wc);
    HWND w = CreateWindowEx(0, u"Reentrant", u"", 0, 0, 0, 1, 1, nullptr, 0, nullptr);
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 4);
    EXPECT_EQ(Trace(),
              (Strings{"enter 0", "enter 1", "enter 2", "enter 3", "leave 3", "leave 2", "leave 1", "leave 0"}));
}

std::atomic<HWND> g_workerWindow{nullptr};
std::atomic<HWND> g_mainWindow{nullptr};
std::atomic<bool> g_inSend{false};

LRESULT WorkerProc(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER) {
        // Sends back to the main thread, which is itself waiting in a send
        // to us: it must serve this while it waits.
        return SendMessage(g_mainWindow.load(), WM_USER + 1, wp, 0) + 1000;
    }
    if (m == WM_CLOSE) {
        DestroyWindow(w);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProc(w, m, wp, lp);
}

LRESULT MainProc(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER + 1) {
        g_inSend = InSendMessage();
        return static_cast<LRESULT>(wp * 2);
    }
    return DefWindowProc(w, m, wp, lp);
}

TEST_F(MessageLoopTest, CrossThreadSendsRunOnTheOwnersThreadWithoutDeadlock) {
    TWndClass wc;
    wc.lpfnWndProc = &MainProc;
    wc.lpszClassName = u"MainSide";
    RegisterClass(wc);
    wc.lpfnWndProc = &WorkerProc;
    wc.lpszClassName = u"WorkerSide";
    RegisterClass(wc);
    HWND mainWindow = CreateWindowEx(0, u"MainSide", u"", 0, 0, 0, 1, 1, nullptr, 0, nullptr);
    g_mainWindow = mainWindow;

    // A worker sends to the main thread while the main thread pumps.
    std::atomic<LRESULT> result{0};
    std::atomic<bool> finished{false};
    std::thread sender([&] {
        result = SendMessage(mainWindow, WM_USER + 1, 21, 0);
        finished = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
    sender.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_TRUE(g_inSend.load());
    EXPECT_FALSE(InSendMessage());

    // The main thread sends to a worker's window; the worker's procedure
    // sends back while the main thread waits.
    std::thread worker([] {
        HWND w = CreateWindowEx(0, u"WorkerSide", u"", 0, 0, 0, 1, 1, nullptr, 0, nullptr);
        g_workerWindow = w;
        TMsg msg;
        while (GetMessage(msg, nullptr, 0, 0))
            DispatchMessage(msg);
    });
    while (g_workerWindow.load() == nullptr)
        std::this_thread::yield();
    EXPECT_EQ(SendMessage(g_workerWindow.load(), WM_USER, 5, 0), 1010);
    PostMessage(g_workerWindow.load(), WM_CLOSE, 0, 0);
    worker.join();
    EXPECT_FALSE(IsWindow(g_workerWindow.load()));
    g_workerWindow = nullptr;
}

std::atomic<int> g_messageWindowCalls{0};
std::intptr_t CountingMessageWindow(TMessageWindow, std::uint32_t, std::uintptr_t, std::intptr_t) {
    ++g_messageWindowCalls;
    return 9;
}

TEST_F(MessageLoopTest, TheLoopServesMessageWindowsToo) {
    g_messageWindowCalls = 0;
    const TMessageWindow mw = CreateMessageWindow(&CountingMessageWindow);
    std::atomic<std::intptr_t> sent{0};
    std::thread other([&] {
        PostMessageTo(mw, 1, 0, 0);
        sent = SendMessageTo(mw, 2, 0, 0);
    });
    EXPECT_TRUE(PumpUntil([&] { return sent.load() == 9; }));
    other.join();
    EXPECT_EQ(g_messageWindowCalls.load(), 2);
    DestroyMessageWindow(mw);
}

std::atomic<int> g_threadTimerTicks{0};
void CountTick(HWND, std::uint32_t, std::uintptr_t, std::uint32_t) {
    ++g_threadTimerTicks;
}

TEST_F(MessageLoopTest, TimersTickWhenTheQueueIsIdleAndCoalesce) {
    HWND w = Make("w", WS_OVERLAPPED, {0, 0, 10, 10});
    Watch({WM_TIMER});
    ASSERT_EQ(SetTimer(w, 7, 10, nullptr), 7u);
    EXPECT_TRUE(PumpUntil([] { return Trace().size() >= 3; }));
    // However long nobody looks, one WM_TIMER waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    TMsg msg;
    ASSERT_TRUE(PeekMessage(msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessage(msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_TRUE(KillTimer(w, 7));
    EXPECT_FALSE(KillTimer(w, 7));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(PeekMessage(msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

    // A thread timer with a procedure calls it from DispatchMessage.
    g_threadTimerTicks = 0;
    const std::uintptr_t id = SetTimer(nullptr, 0, 10, &CountTick);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(PumpUntil([] { return g_threadTimerTicks.load() >= 2; }));
    EXPECT_TRUE(KillTimer(nullptr, id));
    // A destroyed window's timers go with it.
    SetTimer(w, 1, 10, nullptr);
    DestroyWindow(w);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(PeekMessage(msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

// Paints its client area in the colour held in its user data... after the
// name: the colour lives in a property.
LRESULT PaintingProc(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        TPaintStruct ps;
        HDC dc = BeginPaint(w, ps);
        Trace().push_back(NameOf(w) + ":paint " + std::to_string(ps.rcPaint.Left) + "," +
                          std::to_string(ps.rcPaint.Top) + "," + std::to_string(ps.rcPaint.Right) + "," +
                          std::to_string(ps.rcPaint.Bottom));
        HBRUSH brush =
            CreateSolidBrush(static_cast<TColorRef>(reinterpret_cast<std::uintptr_t>(GetProp(w, u"Colour"))));
        TRect client;
        GetClientRect(w, client);
        FillRect(dc, client, brush);
        DeleteBrush(brush);
        EndPaint(w, ps);
        return 0;
    }
    return TracingProc(w, m, wp, lp);
}

HWND MakePainted(const char* name, std::uint32_t style, TRect r, HWND parent, TColorRef colour) {
    static bool registered = [] {
        TWndClass wc;
        wc.lpfnWndProc = &PaintingProc;
        wc.lpszClassName = u"Painted";
        RegisterClass(wc);
        return true;
    }();
    (void)registered;
    HWND w = CreateWindowEx(0, u"Painted", u"", style, r.Left, r.Top, r.Width(), r.Height(), parent, 0,
                            const_cast<char*>(name));
    SetProp(w, u"Colour", reinterpret_cast<void*>(static_cast<std::uintptr_t>(colour)));
    return w;
}

TColorRef PixelAt(HWND w, int x, int y) {
    HDC dc = GetDC(w);
    const TColorRef c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

constexpr TColorRef kRed = 0x0000FF;
constexpr TColorRef kBlue = 0xFF0000;
constexpr TColorRef kGreen = 0x00FF00;

TEST_F(MessageLoopTest, PaintsCoalesceIntoOneMessageWithTheUnionOfTheDamage) {
    HWND w = MakePainted("w", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100}, nullptr, kGreen);
    PumpMessages();
    Trace().clear();
    TRect a{10, 10, 20, 20};
    TRect b{50, 60, 70, 65};
    InvalidateRect(w, &a, false);
    InvalidateRect(w, &b, false);
    TRect out{0, 0, 5, 5};
    ValidateRect(w, &out);  // outside the damage: changes nothing
    PumpMessages();
    EXPECT_EQ(Trace(), (Strings{"w:paint 10,10,70,65"}));
    // Painting validated it: nothing more comes.
    Trace().clear();
    PumpMessages();
    EXPECT_TRUE(Trace().empty());
    // Validating everything before the loop runs cancels the paint.
    InvalidateRect(w, nullptr, false);
    ValidateRect(w, nullptr);
    PumpMessages();
    EXPECT_TRUE(Trace().empty());
    // UpdateWindow paints at once, without the queue.
    InvalidateRect(w, &a, true);
    UpdateWindow(w);
    EXPECT_EQ(Trace(), (Strings{"w:paint 10,10,20,20"}));
    // With redrawing off, damage is not recorded.
    Trace().clear();
    SendMessage(w, WM_SETREDRAW, 0, 0);
    InvalidateRect(w, nullptr, false);
    PumpMessages();
    EXPECT_TRUE(Trace().empty());
    SendMessage(w, WM_SETREDRAW, 1, 0);
}

TEST_F(MessageLoopTest, OverlappingChildrenClipByTheirStyles) {
    // a lies above b where they overlap (40..60); the parent clips its
    // children out, b clips its sibling above it out.
    HWND top = MakePainted("top", WS_OVERLAPPED | WS_CLIPCHILDREN, {0, 0, 100, 100}, nullptr, kGreen);
    HWND a = MakePainted("a", WS_CHILD | WS_VISIBLE, {0, 0, 60, 60}, top, kBlue);
    HWND b = MakePainted("b", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, {40, 40, 100, 100}, top, kRed);
    ShowWindow(top, SW_SHOWNOACTIVATE);
    Trace().clear();
    PumpMessages();
    // Parents paint before children, and each child paints its whole area once.
    EXPECT_EQ(Trace(), (Strings{"top:paint 0,0,100,100", "a:paint 0,0,60,60", "b:paint 0,0,60,60"}));
    struct Case {
        const char* Where;
        HWND Window;
        int X, Y;
        TColorRef Expected;
    };
    // Each pixel is read through a window that sees it: a window's DC
    // starts from the pixels on screen, so it shows what b did beneath a.
    const Case cases[] = {
        {"parent only", top, 90, 5, kGreen},
        {"a only", a, 10, 10, kBlue},
        {"overlap: a above b", a, 50, 50, kBlue},
        {"b only", b, 40, 40, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Where);
        EXPECT_EQ(PixelAt(c.Window, c.X, c.Y), c.Expected);
    }
    // Damage to the parent without WS_CLIPCHILDREN would reach the children;
    // with it, only the parent repaints.
    Trace().clear();
    InvalidateRect(top, nullptr, false);
    PumpMessages();
    EXPECT_EQ(Trace(), (Strings{"top:paint 0,0,100,100"}));
    Trace().clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    PumpMessages();
    EXPECT_EQ(Trace(), (Strings{"top:paint 0,0,100,100", "a:paint 0,0,60,60", "b:paint 0,0,60,60"}));
    // Hiding a shows the parent's and b's pixels beneath it.
    Trace().clear();
    ShowWindow(a, SW_HIDE);
    PumpMessages();
    EXPECT_EQ(PixelAt(b, 10, 10), kRed);
    EXPECT_EQ(PixelAt(top, 10, 10), kGreen);
    // The parent's own DC leaves its children out.
    EXPECT_EQ(PixelAt(top, 80, 80), 0xFFFFFFFFu);
}

TEST_F(MessageLoopTest, ScrollingMovesPixelsAndExposesOnlyTheStrip) {
    HWND w = MakePainted("w", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 40, 40}, nullptr, kGreen);
    PumpMessages();
    // Rows in distinct colours.
    HDC dc = GetDC(w);
    for (int y = 0; y < 40; ++y) {
        HBRUSH brush = CreateSolidBrush(static_cast<TColorRef>(y * 5));
        FillRect(dc, TRect{0, y, 40, y + 1}, brush);
        DeleteBrush(brush);
    }
    ReleaseDC(w, dc);
    Trace().clear();
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    TRect updateRect;
    EXPECT_EQ(ScrollWindowEx(w, 0, -10, nullptr, nullptr, update, &updateRect, SW_INVALIDATE), SIMPLEREGION);
    EXPECT_EQ(updateRect, (TRect{0, 30, 40, 40}));
    for (int y : {0, 15, 29}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(PixelAt(w, 20, y), static_cast<TColorRef>((y + 10) * 5));
    }
    TRect pending;
    ASSERT_TRUE(GetUpdateRect(w, &pending, false));
    EXPECT_EQ(pending, (TRect{0, 30, 40, 40}));
    DeleteRegion(update);

    // A scroll inside a rectangle leaves the rest alone and moves damage
    // waiting there with the pixels.
    ValidateRect(w, nullptr);
    TRect damage{0, 20, 40, 22};
    InvalidateRect(w, &damage, false);
    TRect scroll{0, 10, 40, 30};
    ScrollWindowEx(w, 0, 5, &scroll, &scroll, nullptr, &updateRect, SW_INVALIDATE);
    EXPECT_EQ(updateRect, (TRect{0, 10, 40, 15}));
    ASSERT_TRUE(GetUpdateRect(w, &pending, false));
    EXPECT_EQ(pending, (TRect{0, 10, 40, 27}));
    EXPECT_EQ(PixelAt(w, 0, 5), static_cast<TColorRef>(15 * 5));  // outside: untouched (rows had moved by 10)
}

}  // namespace
