#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QMouseEvent>

#include <string>
#include <vector>

#include "WindowTrace.h"
#include "platform/Menus.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"

// The MDI client: document windows created, activated, cycled, maximized,
// arranged and destroyed through it, with the messages each one hears.
namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

HWND g_client = nullptr;

std::string Detail(std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    if (m == WM_MDIACTIVATE) {
        auto name = [](HWND h) { return h == nullptr ? std::string("-") : NameOf(h); };
        return " " + name(reinterpret_cast<HWND>(wParam)) + "->" + name(reinterpret_cast<HWND>(lParam));
    }
    if (m == WM_SIZE)
        return wParam == SIZE_MAXIMIZED ? " maximized" : wParam == SIZE_MINIMIZED ? " minimized" : " restored";
    if (m == WM_ACTIVATEAPP)
        return wParam != 0 ? " on" : " off";
    return "";
}

void Record(HWND window, std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    if (IsWatched(m))
        Trace().push_back(NameOf(window) + ":" +
                          (m == WM_MDIACTIVATE   ? "WM_MDIACTIVATE"
                           : m == WM_ACTIVATEAPP ? "WM_ACTIVATEAPP"
                                                 : MessageName(m)) +
                          Detail(m, wParam, lParam));
}

LRESULT FrameProc(HWND window, std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    if (m == WM_NCCREATE)
        SetWindowLongPtr(window, GWLP_USERDATA,
                         reinterpret_cast<std::intptr_t>(reinterpret_cast<TCreateStruct*>(lParam)->lpCreateParams));
    Record(window, m, wParam, lParam);
    return DefFrameProc(window, g_client, m, wParam, lParam);
}

// A document window's name is the lParam of its creation record.
LRESULT DocProc(HWND window, std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    if (m == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<TCreateStruct*>(lParam);
        const auto* mcs = static_cast<const TMdiCreateStruct*>(cs->lpCreateParams);
        SetWindowLongPtr(window, GWLP_USERDATA, mcs->lParam);
    }
    Record(window, m, wParam, lParam);
    return DefMDIChildProc(window, m, wParam, lParam);
}

class MdiTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        static const bool registered = [] {
            TWndClass wc;
            wc.lpfnWndProc = &FrameProc;
            wc.lpszClassName = u"MdiFrame";
            RegisterClass(wc);
            wc.lpfnWndProc = &DocProc;
            wc.lpszClassName = u"MdiDoc";
            return RegisterClass(wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_client = nullptr;
        frame = CreateWindowEx(0, u"MdiFrame", u"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, 0,
                               const_cast<char*>("frame"));
        ASSERT_NE(frame, nullptr);
        TClientCreateStruct ccs;
        ccs.idFirstChild = 100;
        g_client = CreateWindowEx(0, u"MDICLIENT", u"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300, frame,
                                  1, &ccs);
        ASSERT_NE(g_client, nullptr);
        SetWindowLongPtr(g_client, GWLP_USERDATA, reinterpret_cast<std::intptr_t>("client"));
        ShowWindow(frame, SW_SHOW);
        PumpMessages();
    }
    void TearDown() override {
        TWindowTest::TearDown();
        g_client = nullptr;
    }
    HWND Doc(const char* name, std::uint32_t style = 0, TRect r = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0}) {
        TMdiCreateStruct mcs;
        mcs.szClass = u"MdiDoc";
        mcs.szTitle = u"doc";
        mcs.style = style;
        if (r.Left != CW_USEDEFAULT) {
            mcs.x = r.Left;
            mcs.y = r.Top;
            mcs.cx = r.Width();
            mcs.cy = r.Height();
        }
        mcs.lParam = reinterpret_cast<LPARAM>(name);
        return reinterpret_cast<HWND>(SendMessage(g_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    }
    HWND Active(bool* maximized = nullptr) {
        return reinterpret_cast<HWND>(SendMessage(g_client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(maximized)));
    }
    // A window's rectangle in the MDI client's client area.
    TRect InClient(HWND w) {
        TRect r;
        GetWindowRect(w, r);
        TPoint a{r.Left, r.Top};
        TPoint b{r.Right, r.Bottom};
        ScreenToClient(g_client, a);
        ScreenToClient(g_client, b);
        return {a.X, a.Y, b.X, b.Y};
    }
    Strings ZOrder() {
        Strings out;
        for (HWND c = GetWindow(g_client, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            out.push_back(NameOf(c));
        return out;
    }
    HWND frame = nullptr;
};

TEST_F(MdiTest, CreatingAndSwitchingActivateInOrder) {
    Watch({WM_NCACTIVATE, WM_MDIACTIVATE, WM_SETFOCUS, WM_KILLFOCUS});
    HWND a = Doc("A");
    ASSERT_NE(a, nullptr);
    // The frame passed its focus on to the client, which passes it on to
    // the new window.
    EXPECT_EQ(Trace(), (Strings{"A:WM_NCACTIVATE", "A:WM_MDIACTIVATE -->A", "A:WM_SETFOCUS"}));
    EXPECT_EQ(GetWindowLongPtr(a, GWLP_ID), 100);
    EXPECT_NE(GetWindowLongPtr(a, GWL_EXSTYLE) & WS_EX_MDICHILD, 0);

    Trace().clear();
    HWND b = Doc("B");
    // The window left hears first, then the one taking over; both hear of
    // both. The focus follows.
    EXPECT_EQ(Trace(), (Strings{"A:WM_NCACTIVATE", "A:WM_MDIACTIVATE A->B", "B:WM_NCACTIVATE", "B:WM_MDIACTIVATE A->B",
                                "A:WM_KILLFOCUS", "B:WM_SETFOCUS"}));
    EXPECT_EQ(Active(), b);
    EXPECT_EQ(GetWindowLongPtr(b, GWLP_ID), 101);
    EXPECT_EQ(ZOrder(), (Strings{"B", "A"}));

    Trace().clear();
    SendMessage(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_EQ(Trace(), (Strings{"B:WM_NCACTIVATE", "B:WM_MDIACTIVATE B->A", "A:WM_NCACTIVATE", "A:WM_MDIACTIVATE B->A",
                                "B:WM_KILLFOCUS", "A:WM_SETFOCUS"}));
    EXPECT_EQ(ZOrder(), (Strings{"A", "B"}));

    // Activating the active window, or a window that is not a document
    // window of this client, changes nothing.
    Trace().clear();
    SendMessage(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    SendMessage(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(frame), 0);
    SendMessage(g_client, WM_MDIACTIVATE, 0, 0);
    EXPECT_EQ(Trace(), Strings{});
    EXPECT_EQ(Active(), a);

    // Focus given to an inactive document window activates it; focus given
    // to the frame goes on to the active document window.
    SetFocus(b);
    EXPECT_EQ(Active(), b);
    SetFocus(frame);
    EXPECT_EQ(GetFocus(), b);
}

TEST_F(MdiTest, NextAndPreviousVisitEveryWindow) {
    Doc("A");
    Doc("B");
    Doc("C");
    struct Case {
        const char* Name;
        bool Previous;
        const char* Active;
        Strings Order;
    };
    // Next takes the window behind the active one and sends the one left
    // to the back; previous takes the window at the back.
    const Case cases[] = {
        {"next", false, "B", {"B", "A", "C"}},
        {"next again", false, "A", {"A", "C", "B"}},
        {"and again, back to the first", false, "C", {"C", "B", "A"}},
        {"previous", true, "A", {"A", "C", "B"}},
        {"previous again", true, "B", {"B", "A", "C"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SendMessage(g_client, WM_MDINEXT, 0, c.Previous ? 1 : 0);
        EXPECT_EQ(NameOf(Active()), c.Active);
        EXPECT_EQ(ZOrder(), c.Order);
    }
    // The frame's window-switching command goes the same way.
    SendMessage(frame, WM_SYSCOMMAND, SC_NEXTWINDOW, 0);
    EXPECT_EQ(NameOf(Active()), "A");
}

TEST_F(MdiTest, MaximizedWindowsFillTheClientAndHandTheStateOn) {
    HWND a = Doc("A", 0, {10, 10, 210, 160});
    HWND b = Doc("B", 0, {30, 30, 230, 180});
    const TRect bRect = InClient(b);
    Watch({WM_SIZE});
    SendMessage(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(b), 0);
    EXPECT_EQ(Trace(), (Strings{"B:WM_SIZE maximized"}));
    TRect clientArea;
    GetClientRect(g_client, clientArea);
    TRect inner;
    GetClientRect(b, inner);
    EXPECT_EQ(inner.Width(), clientArea.Width());
    EXPECT_EQ(inner.Height(), clientArea.Height());
    bool maximized = false;
    EXPECT_EQ(Active(&maximized), b);
    EXPECT_TRUE(maximized);

    // Activating another window maximizes it and gives the first its place back.
    Trace().clear();
    SendMessage(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_EQ(Trace(), (Strings{"B:WM_SIZE restored", "A:WM_SIZE maximized"}));
    EXPECT_EQ(InClient(b), bRect);
    EXPECT_EQ(Active(&maximized), a);
    EXPECT_TRUE(maximized);

    // The client's resizing keeps it filled.
    SetWindowPos(frame, nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(g_client, clientArea);
    GetClientRect(a, inner);
    EXPECT_EQ(inner.Width(), clientArea.Width());
    EXPECT_EQ(inner.Height(), clientArea.Height());

    // A new window comes maximized while the others are.
    HWND c = Doc("C");
    EXPECT_NE(GetWindowLongPtr(c, GWL_STYLE) & WS_MAXIMIZE, 0);
    EXPECT_EQ(GetWindowLongPtr(a, GWL_STYLE) & WS_MAXIMIZE, 0);

    SendMessage(g_client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(c), 0);
    EXPECT_EQ(Active(&maximized), c);
    EXPECT_FALSE(maximized);
    EXPECT_EQ(GetWindowLongPtr(c, GWL_STYLE) & WS_MAXIMIZE, 0);
}

TEST_F(MdiTest, APressInAnInactiveWindowActivatesItFirst) {
    HWND a = Doc("A", 0, {10, 10, 210, 160});
    HWND b = Doc("B", 0, {30, 30, 230, 180});
    ASSERT_NE(Make("inner", WS_CHILD | WS_VISIBLE, {0, 0, 20, 20}, a), nullptr);
    ASSERT_EQ(Active(), b);
    Watch({WM_CHILDACTIVATE, WM_MDIACTIVATE, WM_LBUTTONDOWN});
    // In the frame's client: A's window starts at 10,10, its client inside
    // its border; the press lands on A's own child.
    const QPointF at(14, 14);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(DesktopWindowOf(frame), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QGuiApplication::sendEvent(DesktopWindowOf(frame), &release);
    PumpMessages();
    EXPECT_EQ(Trace(), (Strings{"A:WM_CHILDACTIVATE", "B:WM_MDIACTIVATE B->A", "A:WM_MDIACTIVATE B->A",
                                "inner:WM_LBUTTONDOWN"}));
    EXPECT_EQ(Active(), a);
    EXPECT_EQ(ZOrder(), (Strings{"A", "B"}));
}

TEST_F(MdiTest, DestroyingTheActiveWindowActivatesTheNext) {
    HWND a = Doc("A");
    HWND b = Doc("B");
    HWND c = Doc("C");
    Watch({WM_MDIACTIVATE});
    SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c), 0);
    EXPECT_FALSE(IsWindow(c));
    EXPECT_EQ(Trace(), (Strings{"C:WM_MDIACTIVATE C->B", "B:WM_MDIACTIVATE C->B"}));
    EXPECT_EQ(Active(), b);

    // Closing a document window destroys it through the client.
    Trace().clear();
    SendMessage(b, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(Active(), a);

    // Destroying an inactive window leaves the activation alone; the last
    // one leaves none.
    Trace().clear();
    SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(frame), 0);
    EXPECT_TRUE(IsWindow(frame));
    SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_EQ(Trace(), (Strings{"A:WM_MDIACTIVATE A->-"}));
    EXPECT_EQ(Active(), nullptr);
    // A window destroyed behind the client's back is not reported active.
    HWND d = Doc("D");
    DestroyWindow(d);
    EXPECT_EQ(Active(), nullptr);
}

TEST_F(MdiTest, TileAndCascadeArrangeTheVisibleWindows) {
    SetWindowPos(frame, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    TRect area;
    GetClientRect(g_client, area);
    ASSERT_EQ(area.Width(), 400);
    ASSERT_EQ(area.Height(), 300);
    struct Case {
        const char* Name;
        std::uint32_t Message;
        unsigned How;
        int Windows;
        std::vector<TRect> Expected;  // topmost first
    };
    const Case cases[] = {
        {"two side by side", WM_MDITILE, MDITILE_VERTICAL, 2, {{0, 0, 200, 300}, {200, 0, 400, 300}}},
        {"two one above the other", WM_MDITILE, MDITILE_HORIZONTAL, 2, {{0, 0, 400, 150}, {0, 150, 400, 300}}},
        {"four in a grid",
         WM_MDITILE,
         MDITILE_VERTICAL,
         4,
         {{0, 0, 200, 150}, {0, 150, 200, 300}, {200, 0, 400, 150}, {200, 150, 400, 300}}},
        {"five: three columns, the later ones take two",
         WM_MDITILE,
         MDITILE_VERTICAL,
         5,
         {{0, 0, 133, 300}, {133, 0, 266, 150}, {133, 150, 266, 300}, {266, 0, 400, 150}, {266, 150, 400, 300}}},
        {"cascade", WM_MDICASCADE, 0, 3, {{48, 48, 400, 300}, {24, 24, 376, 276}, {0, 0, 352, 252}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<HWND> docs;
        for (int i = 0; i < c.Windows; ++i)
            docs.insert(docs.begin(), Doc("doc"));
        // A maximized window is restored first.
        SendMessage(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(docs.front()), 0);
        EXPECT_EQ(SendMessage(g_client, c.Message, c.How, 0), 1);
        bool maximized = true;
        Active(&maximized);
        EXPECT_FALSE(maximized);
        for (std::size_t i = 0; i < docs.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(InClient(docs[i]), c.Expected[i]);
        }
        for (HWND d : docs)
            SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(d), 0);
    }
    // With nothing to arrange, the answer is no.
    EXPECT_EQ(SendMessage(g_client, WM_MDITILE, 0, 0), 0);
}

// Minimized windows are bars along the bottom of the client, two to a row
// in a 400-wide client; the active one hands activation on.
TEST_F(MdiTest, MinimizedWindowsLineUpAlongTheBottom) {
    SetWindowPos(frame, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    TRect area;
    GetClientRect(g_client, area);
    ASSERT_EQ(area.Width(), 400);
    ASSERT_EQ(area.Height(), 300);
    HWND a = Doc("A", 0, {10, 10, 210, 160});
    HWND b = Doc("B", 0, {30, 30, 230, 180});
    HWND c = Doc("C", 0, {50, 50, 250, 200});
    const TRect cRect = InClient(c);
    const TRect first{0, 276, 160, 300}, second{160, 276, 320, 300}, third{0, 252, 160, 276};

    Watch({WM_SIZE, WM_MDIACTIVATE});
    SendMessage(c, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(Trace(), (Strings{"C:WM_SIZE minimized", "C:WM_MDIACTIVATE C->B", "B:WM_MDIACTIVATE C->B"}));
    EXPECT_EQ(InClient(c), first);
    EXPECT_NE(GetWindowLongPtr(c, GWL_STYLE) & WS_MINIMIZE, 0);
    EXPECT_EQ(Active(), b);

    // An inactive window keeps activation where it is; the last one left
    // stays active as a bar.
    SendMessage(a, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(Active(), b);
    SendMessage(b, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(Active(), b);
    EXPECT_EQ(InClient(a), second);
    EXPECT_EQ(InClient(b), third);

    // Restoring gives the rectangle back and leaves a gap that arranging closes.
    Trace().clear();
    SendMessage(g_client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(c), 0);
    EXPECT_EQ(Trace(), (Strings{"C:WM_SIZE restored"}));
    EXPECT_EQ(InClient(c), cRect);
    EXPECT_EQ(GetWindowLongPtr(c, GWL_STYLE) & WS_MINIMIZE, 0);
    SendMessage(g_client, WM_MDIICONARRANGE, 0, 0);
    EXPECT_EQ(InClient(a), first);
    EXPECT_EQ(InClient(b), second);

    // A maximized window minimized comes back to its own rectangle, not
    // maximized.
    SendMessage(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(c), 0);
    SendMessage(c, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(InClient(c), third);
    EXPECT_EQ(GetWindowLongPtr(c, GWL_STYLE) & WS_MAXIMIZE, 0);
    SendMessage(c, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(InClient(c), cRect);
    bool maximized = true;
    Active(&maximized);
    EXPECT_FALSE(maximized);

    // Tiling arranges the windows that are not minimized, and the bars.
    SendMessage(a, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_EQ(SendMessage(g_client, WM_MDITILE, MDITILE_HORIZONTAL, 0), 1);
    EXPECT_EQ(InClient(b), first);
    EXPECT_NE(GetWindowLongPtr(b, GWL_STYLE) & WS_MINIMIZE, 0);
    EXPECT_EQ(InClient(a).Width(), 400);
    EXPECT_EQ(InClient(c).Width(), 400);
}

TEST_F(MdiTest, TheFrameSizesTheClientAndTheProgramsActivationIsTold) {
    SetWindowPos(frame, nullptr, 0, 0, 321, 234, SWP_NOMOVE | SWP_NOZORDER);
    TRect frameClient, clientRect;
    GetClientRect(frame, frameClient);
    GetWindowRect(g_client, clientRect);
    EXPECT_EQ(clientRect.Width(), frameClient.Width());
    EXPECT_EQ(clientRect.Height(), frameClient.Height());

    // The program loses the activation when no window of it is active, and
    // gains it with the first again; other top-level windows hear of it too.
    HWND other =
        CreateWindowEx(0, u"MdiFrame", u"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, 0, const_cast<char*>("other"));
    Watch({WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP});
    SetActiveWindow(nullptr);
    EXPECT_EQ(Trace(), (Strings{"frame:WM_NCACTIVATE", "frame:WM_ACTIVATE", "frame:WM_ACTIVATEAPP off",
                                "other:WM_ACTIVATEAPP off"}));
    Trace().clear();
    SetActiveWindow(frame);
    EXPECT_EQ(Trace(), (Strings{"frame:WM_ACTIVATEAPP on", "other:WM_ACTIVATEAPP on", "frame:WM_NCACTIVATE",
                                "frame:WM_ACTIVATE"}));
    // Moving between windows of the program is no news to it.
    Trace().clear();
    SetActiveWindow(other);
    SetActiveWindow(frame);
    for (const std::string& s : Trace())
        EXPECT_EQ(s.find("ACTIVATEAPP"), std::string::npos) << s;
}

// The Window menu lists the document windows after a separator, numbered,
// the active one checked, with the identifiers from idFirstChild; choosing
// one through the frame activates it.
TEST_F(MdiTest, TheWindowMenuListsTheDocumentWindows) {
    HMENU bar = CreateMenu();
    HMENU windowMenu = CreatePopupMenu();
    AppendMenuW(windowMenu, MF_STRING, 1, u"&Tile");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(windowMenu), u"&Window");
    auto listing = [&] {
        Strings out;
        for (int i = 0; i < GetMenuItemCount(windowMenu); ++i) {
            std::string item = std::to_string(GetMenuItemID(windowMenu, i));
            for (char16_t c : GetMenuStringW(windowMenu, static_cast<unsigned>(i), MF_BYPOSITION))
                item += static_cast<char>(c);
            if ((GetMenuState(windowMenu, static_cast<unsigned>(i), MF_BYPOSITION) & MF_CHECKED) != 0)
                item += " checked";
            out.push_back(item);
        }
        return out;
    };
    // The answer is the bar the frame had: none yet.
    EXPECT_EQ(SendMessage(g_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar), reinterpret_cast<LPARAM>(windowMenu)),
              0);
    EXPECT_EQ(GetMenu(frame), bar);
    EXPECT_EQ(listing(), (Strings{"1&Tile"}));

    HWND a = Doc("A");
    HWND b = Doc("B");
    HWND c = Doc("C");
    SetWindowText(a, u"one");
    SetWindowText(b, u"two");
    SetWindowText(c, u"three");
    EXPECT_EQ(listing(), (Strings{"1&Tile", "0", "100&1 one", "101&2 two", "102&3 three checked"}));

    SendMessage(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_EQ(listing(), (Strings{"1&Tile", "0", "100&1 one checked", "101&2 two", "102&3 three"}));

    // A window leaving closes the gap in the identifiers.
    SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(b), 0);
    EXPECT_EQ(GetWindowLongPtr(c, GWLP_ID), 101);
    EXPECT_EQ(listing(), (Strings{"1&Tile", "0", "100&1 one checked", "101&2 three"}));

    // Choosing an entry reaches the frame as a command, which activates the
    // window; a minimized one is restored first.
    SendMessage(c, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessage(frame, WM_COMMAND, 101, 0);
    EXPECT_EQ(Active(), c);
    EXPECT_EQ(GetWindowLongPtr(c, GWL_STYLE) & WS_MINIMIZE, 0);
    EXPECT_EQ(listing(), (Strings{"1&Tile", "0", "100&1 one", "101&2 three checked"}));

    // A new Window menu takes the list over; the old one is left as it was
    // given. The answer is the bar before.
    HMENU bar2 = CreateMenu();
    HMENU windowMenu2 = CreatePopupMenu();
    AppendMenuW(bar2, MF_POPUP, reinterpret_cast<std::uintptr_t>(windowMenu2), u"&Window");
    EXPECT_EQ(
        SendMessage(g_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar2), reinterpret_cast<LPARAM>(windowMenu2)),
        reinterpret_cast<LRESULT>(bar));
    EXPECT_EQ(listing(), (Strings{"1&Tile"}));
    EXPECT_EQ(GetMenuItemCount(windowMenu2), 3);
    EXPECT_EQ(SendMessage(g_client, WM_MDIREFRESHMENU, 0, 0), reinterpret_cast<LRESULT>(bar2));
    EXPECT_EQ(GetMenuItemCount(windowMenu2), 3);
    DestroyMenu(bar);
}

// Tiling and cascading leave the rows of minimized windows along the bottom
// uncovered: 24 pixels a row, two bars to a row in a 400-wide client.
TEST_F(MdiTest, ArrangingLeavesRoomForTheMinimizedWindows) {
    SetWindowPos(frame, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    struct Case {
        const char* Name;
        std::uint32_t Message;
        unsigned How;
        int Minimized;
        std::vector<TRect> Expected;  // the two open windows, topmost first
    };
    const Case cases[] = {
        {"side by side above one row", WM_MDITILE, MDITILE_VERTICAL, 1, {{0, 0, 200, 276}, {200, 0, 400, 276}}},
        {"one above the other above two rows",
         WM_MDITILE,
         MDITILE_HORIZONTAL,
         3,
         {{0, 0, 400, 126}, {0, 126, 400, 252}}},
        {"nothing minimized: the whole client",
         WM_MDITILE,
         MDITILE_HORIZONTAL,
         0,
         {{0, 0, 400, 150}, {0, 150, 400, 300}}},
        {"cascade above one row", WM_MDICASCADE, 0, 2, {{24, 24, 400, 276}, {0, 0, 376, 252}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<HWND> icons;
        for (int i = 0; i < c.Minimized; ++i) {
            icons.push_back(Doc("icon"));
            SendMessage(icons.back(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
        std::vector<HWND> docs;
        for (int i = 0; i < 2; ++i)
            docs.insert(docs.begin(), Doc("doc"));
        EXPECT_EQ(SendMessage(g_client, c.Message, c.How, 0), 1);
        for (std::size_t i = 0; i < docs.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(InClient(docs[i]), c.Expected[i]);
        }
        // The bars stay in their rows along the bottom.
        for (HWND icon : icons)
            EXPECT_GE(InClient(icon).Top, c.Expected.back().Bottom);
        for (HWND d : docs)
            SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(d), 0);
        for (HWND d : icons)
            SendMessage(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(d), 0);
    }
}

}  // namespace
