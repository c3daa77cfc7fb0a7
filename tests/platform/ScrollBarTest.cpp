#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QMouseEvent>

#include <string>
#include <vector>

#include "WindowTrace.h"
#include "platform/KeyState.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"

// The scroll bars of a window's frame: their room, their hit test, and the
// WM_VSCROLL and WM_HSCROLL messages that clicks and drags on them make.
namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

std::vector<std::string>& Scrolls() {
    static std::vector<std::string> scrolls;
    return scrolls;
}

const char* CodeName(int code) {
    static const char* const kNames[] = {"LINEUP",     "LINEDOWN", "PAGEUP", "PAGEDOWN", "THUMBPOSITION",
                                         "THUMBTRACK", "TOP",      "BOTTOM", "ENDSCROLL"};
    return code >= 0 && code <= SB_ENDSCROLL ? kNames[code] : "?";
}

// Records each scroll message as "V PAGEDOWN" or "H THUMBTRACK 12", and
// moves nothing: a window moves its own position, which some tests do.
LRESULT PaneProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VSCROLL || message == WM_HSCROLL) {
        const int code = LoWord(wParam);
        std::string s = std::string(message == WM_VSCROLL ? "V " : "H ") + CodeName(code);
        if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
            s += " " + std::to_string(HiWord(wParam));
        Scrolls().push_back(s);
        return 0;
    }
    if (message == WM_SIZE)
        Scrolls().push_back("size " + std::to_string(LoWord(static_cast<WPARAM>(lParam))) + "x" +
                            std::to_string(HiWord(static_cast<WPARAM>(lParam))));
    return DefWindowProc(window, message, wParam, lParam);
}

class ScrollBarTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        Scrolls().clear();
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
        static const bool registered = [] {
            TWndClass wc;
            wc.lpfnWndProc = &PaneProc;
            wc.lpszClassName = u"ScrollPane";
            return RegisterClass(wc) != 0;
        }();
        ASSERT_TRUE(registered);
        top = Make("top", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 300, 300});
        // The pane's window is 200 square at 10,10 of the top-level window;
        // its bars take 16 pixels on the right and at the bottom.
        pane = CreateWindowEx(0, u"ScrollPane", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, 10, 10, 200, 200,
                              top, 1, nullptr);
        ASSERT_NE(pane, nullptr);
        TScrollInfo info;
        info.fMask = SIF_ALL;
        info.nMin = 0;
        info.nMax = 99;
        info.nPage = 10;
        info.nPos = 0;
        SetScrollInfo(pane, SB_VERT, info, true);
        SetScrollInfo(pane, SB_HORZ, info, true);
        PumpMessages();
        Scrolls().clear();
    }
    void TearDown() override {
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
        TWindowTest::TearDown();
    }
    // A press, moves and a release of the left button, at points of the
    // top-level window's client area.
    void Drag(std::vector<QPointF> points) {
        ulong time = 1000;
        auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
            QMouseEvent e(type, at, at, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
            // Far apart in time, so that no two presses make a double click.
            e.setTimestamp(time += 10000);
            QGuiApplication::sendEvent(DesktopWindowOf(top), &e);
        };
        send(QEvent::MouseButtonPress, points.front(), Qt::LeftButton);
        for (std::size_t i = 1; i < points.size(); ++i)
            send(QEvent::MouseMove, points[i], Qt::LeftButton);
        send(QEvent::MouseButtonRelease, points.back(), Qt::NoButton);
        PumpMessages();
    }
    HWND top = nullptr;
    HWND pane = nullptr;
};

TEST_F(ScrollBarTest, BarsTakeTheirRoomAndAnswerTheHitTest) {
    TRect client;
    GetClientRect(pane, client);
    EXPECT_EQ(client.Width(), 184);
    EXPECT_EQ(client.Height(), 184);
    struct Case {
        const char* Name;
        TPoint InTop;  // in the top-level window's client area
        LRESULT Hit;
    };
    const Case cases[] = {
        {"client", {100, 100}, HTCLIENT},          {"vertical bar", {202, 100}, HTVSCROLL},
        {"horizontal bar", {100, 202}, HTHSCROLL}, {"the corner between them", {202, 202}, HTBORDER},
        {"outside", {250, 250}, HTNOWHERE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPoint screen = c.InTop;
        ClientToScreen(top, screen);
        EXPECT_EQ(SendMessage(pane, WM_NCHITTEST, 0, MakeLParam(screen.X, screen.Y)), c.Hit);
    }
}

// The vertical bar spans the pane's window from 10 to 194 in the top-level
// window (x 194 to 210): arrows of 16, a track of 152 and a thumb of 15 (a
// page of 10 in a range of 100); the horizontal bar lies the same way below.
TEST_F(ScrollBarTest, ClicksAndDragsMakeScrollMessages) {
    struct Case {
        const char* Name;
        std::int32_t Pos;  // the vertical bar's position before
        unsigned Disabled;
        std::vector<QPointF> Points;
        Strings Expected;
    };
    const Case cases[] = {
        {"up arrow", 0, 0, {{202, 18}}, {"V LINEUP", "V ENDSCROLL"}},
        {"down arrow", 0, 0, {{202, 186}}, {"V LINEDOWN", "V ENDSCROLL"}},
        {"below the thumb", 0, 0, {{202, 110}}, {"V PAGEDOWN", "V ENDSCROLL"}},
        // At 45 the thumb starts 68 pixels into the track: 94 to 109.
        {"above the thumb", 45, 0, {{202, 50}}, {"V PAGEUP", "V ENDSCROLL"}},
        {"thumb dragged down",
         0,
         0,
         {{202, 30}, {202, 64}, {202, 98}},
         {"V THUMBTRACK 22", "V THUMBTRACK 45", "V THUMBPOSITION 45", "V ENDSCROLL"}},
        {"thumb dragged past the end stops at the last page",
         0,
         0,
         {{202, 30}, {202, 400}},
         {"V THUMBTRACK 90", "V THUMBPOSITION 90", "V ENDSCROLL"}},
        {"thumb dragged off the bar sideways still follows",
         0,
         0,
         {{202, 30}, {150, 64}},
         {"V THUMBTRACK 22", "V THUMBPOSITION 22", "V ENDSCROLL"}},
        {"thumb let go where it was taken", 0, 0, {{202, 30}}, {"V THUMBPOSITION 0", "V ENDSCROLL"}},
        {"left arrow of the horizontal bar", 0, 0, {{18, 202}}, {"H LINELEFT", "H ENDSCROLL"}},
        {"right of its thumb", 0, 0, {{120, 202}}, {"H PAGEDOWN", "H ENDSCROLL"}},
        {"disabled down arrow", 0, ESB_DISABLE_DOWN, {{202, 186}}, {}},
        {"disabled down arrow, up arrow still works", 0, ESB_DISABLE_DOWN, {{202, 18}}, {"V LINEUP", "V ENDSCROLL"}},
        {"the corner box does nothing", 0, 0, {{202, 202}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetScrollPos(pane, SB_VERT, c.Pos, true);
        EnableScrollBar(pane, SB_VERT, c.Disabled);
        Scrolls().clear();
        Drag(c.Points);
        // H PAGEDOWN is the same code as PAGERIGHT; LINELEFT as LINEUP.
        Strings expected = c.Expected;
        for (std::string& s : expected)
            if (s == "H LINELEFT")
                s = "H LINEUP";
        EXPECT_EQ(Scrolls(), expected);
        EXPECT_EQ(GetCapture(), nullptr);
        // The thumb shows its own position again once the drag is over.
        TScrollInfo info;
        info.fMask = SIF_POS | SIF_TRACKPOS;
        GetScrollInfo(pane, SB_VERT, info);
        EXPECT_EQ(info.nTrackPos, info.nPos);
    }
}

TEST_F(ScrollBarTest, TheTrackPositionFollowsTheThumbDuringTheDrag) {
    // The window asks where the thumb is while it is being dragged, as a
    // window that scrolls live does.
    static std::vector<std::int32_t> seen;
    seen.clear();
    SetWindowLongPtr(pane, GWLP_WNDPROC,
                     reinterpret_cast<std::intptr_t>(+[](HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) -> LRESULT {
                         if (m == WM_VSCROLL && LoWord(wp) == SB_THUMBTRACK) {
                             TScrollInfo info;
                             info.fMask = SIF_TRACKPOS | SIF_POS;
                             GetScrollInfo(w, SB_VERT, info);
                             seen.push_back(info.nTrackPos);
                             seen.push_back(info.nPos);
                         }
                         return PaneProc(w, m, wp, lp);
                     }));
    Drag({{202, 30}, {202, 64}});
    EXPECT_EQ(seen, (std::vector<std::int32_t>{22, 0}));
}

TEST_F(ScrollBarTest, APressWithoutTheButtonDownEndsAtOnceEvenWithPaintsPending) {
    // A window that never validates keeps asking to be painted; a press on
    // the bar that the program made up, with no button down, must not wait
    // behind it.
    static const bool registered = [] {
        TWndClass wc;
        wc.lpfnWndProc = +[](HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) -> LRESULT {
            return m == WM_PAINT ? 0 : DefWindowProc(w, m, wp, lp);
        };
        wc.lpszClassName = u"NeverValid";
        return RegisterClass(wc) != 0;
    }();
    ASSERT_TRUE(registered);
    HWND lazy = CreateWindowEx(0, u"NeverValid", u"", WS_CHILD | WS_VISIBLE, 220, 10, 50, 50, top, 2, nullptr);
    InvalidateRect(lazy, nullptr, true);
    TPoint arrow{202, 186};
    ClientToScreen(top, arrow);
    SendMessage(pane, WM_NCLBUTTONDOWN, HTVSCROLL, MakeLParam(arrow.X, arrow.Y));
    EXPECT_EQ(Scrolls(), (Strings{"V LINEDOWN", "V ENDSCROLL"}));
    EXPECT_EQ(GetCapture(), nullptr);
    ValidateRect(lazy, nullptr);
}

TEST_F(ScrollBarTest, RangesShowHideAndDisableTheBar) {
    struct Case {
        const char* Name;
        TScrollInfo Info;
        bool Shown;
        Strings Expected;  // what the pane hears
    };
    auto info = [](unsigned mask, std::int32_t min, std::int32_t max, std::uint32_t page) {
        TScrollInfo i;
        i.fMask = mask;
        i.nMin = min;
        i.nMax = max;
        i.nPage = page;
        return i;
    };
    const Case cases[] = {
        {"a page as large as the range hides the bar and widens the client",
         info(SIF_RANGE | SIF_PAGE, 0, 9, 10),
         false,
         {"size 200x184"}},
        {"an empty range hides it", info(SIF_RANGE, 5, 5, 0), false, {"size 200x184"}},
        {"something to scroll again shows it", info(SIF_RANGE | SIF_PAGE, 0, 99, 10), true, {}},
        {"with SIF_DISABLENOSCROLL it stays, disabled",
         info(SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 10),
         true,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetScrollInfo(pane, SB_VERT, info(SIF_RANGE | SIF_PAGE, 0, 99, 10), false);
        Scrolls().clear();
        SetScrollInfo(pane, SB_VERT, c.Info, true);
        EXPECT_EQ((GetWindowLongPtr(pane, GWL_STYLE) & WS_VSCROLL) != 0, c.Shown);
        EXPECT_EQ(Scrolls(), c.Expected);
        // A disabled or hidden bar makes no messages.
        Scrolls().clear();
        Drag({{202, 186}});
        EXPECT_EQ(Scrolls(), c.Shown && c.Info.nMax == 99 ? (Strings{"V LINEDOWN", "V ENDSCROLL"}) : Strings{});
    }
}

TEST_F(ScrollBarTest, PositionsStayInsideTheRange) {
    struct Case {
        const char* Name;
        std::int32_t Asked;
        std::int32_t Kept;
    };
    // The range is 0 to 99 with a page of 10: the last page starts at 90.
    const Case cases[] = {
        {"inside", 42, 42},
        {"below", -5, 0},
        {"past the last page", 95, 90},
        {"far past", 1 << 30, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetScrollPos(pane, SB_VERT, c.Asked, false);
        EXPECT_EQ(GetScrollPos(pane, SB_VERT), c.Kept);
    }
    // A range given upside down is taken as empty from its minimum; a page
    // larger than the range is cut to it.
    SetScrollRange(pane, SB_VERT, 50, 10, false);
    std::int32_t min = 0, max = 0;
    GetScrollRange(pane, SB_VERT, min, max);
    EXPECT_EQ(min, 50);
    EXPECT_EQ(max, 50);
    EXPECT_EQ(GetScrollPos(pane, SB_VERT), 50);
    // Bars of a window that has none, and bars that are no bars, are refused.
    EXPECT_FALSE(ShowScrollBar(pane, SB_CTL, true));
    EXPECT_FALSE(EnableScrollBar(nullptr, SB_VERT, ESB_DISABLE_BOTH));
    TScrollInfo out;
    out.fMask = SIF_ALL;
    EXPECT_FALSE(GetScrollInfo(pane, 7, out));
}

TEST_F(ScrollBarTest, ShowScrollBarChangesTheClientArea) {
    ShowScrollBar(pane, SB_BOTH, false);
    TRect client;
    GetClientRect(pane, client);
    EXPECT_EQ(client.Width(), 200);
    EXPECT_EQ(client.Height(), 200);
    EXPECT_EQ(Scrolls(), (Strings{"size 184x200", "size 200x200"}));
    ShowScrollBar(pane, SB_VERT, true);
    GetClientRect(pane, client);
    EXPECT_EQ(client.Width(), 184);
    EXPECT_EQ(client.Height(), 200);
}

}  // namespace
