#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowTrace.h"

namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

class WindowsTest : public TWindowTest {};

TEST_F(WindowsTest, CreationSendsItsFirstMessagesInsideTheCallAndDestructionGoesDownThenUp) {
    Watch({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE, WM_PARENTNOTIFY,
           WM_DESTROY, WM_NCDESTROY});
    HWND top = Make("top", WS_OVERLAPPEDWINDOW, {10, 20, 310, 220});
    ASSERT_NE(top, nullptr);
    HWND child = Make("child", WS_CHILD | WS_VISIBLE, {5, 6, 55, 46}, top);
    HWND grandchild = Make("grand", WS_CHILD, {1, 1, 11, 11}, child);
    ASSERT_NE(grandchild, nullptr);
    EXPECT_EQ(Trace(), (Strings{"top:WM_NCCREATE", "top:WM_NCCALCSIZE", "top:WM_CREATE", "child:WM_NCCREATE",
                                "child:WM_NCCALCSIZE", "child:WM_CREATE", "top:WM_PARENTNOTIFY", "child:WM_SHOWWINDOW",
                                "child:WM_WINDOWPOSCHANGED", "child:WM_SIZE", "child:WM_MOVE", "grand:WM_NCCREATE",
                                "grand:WM_NCCALCSIZE", "grand:WM_CREATE", "child:WM_PARENTNOTIFY"}));

    // A window created hidden hears of its size and place when first shown.
    Trace().clear();
    ShowWindow(grandchild, SW_SHOWNA);
    EXPECT_EQ(Trace(), (Strings{"grand:WM_SHOWWINDOW", "grand:WM_WINDOWPOSCHANGED", "grand:WM_SIZE", "grand:WM_MOVE"}));

    Trace().clear();
    EXPECT_TRUE(DestroyWindow(top));
    EXPECT_EQ(Trace(), (Strings{"top:WM_DESTROY", "child:WM_DESTROY", "grand:WM_DESTROY", "grand:WM_NCDESTROY",
                                "child:WM_NCDESTROY", "top:WM_NCDESTROY"}));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(grandchild));
    EXPECT_FALSE(DestroyWindow(top));
}

LRESULT RefusingProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    const auto refuse = static_cast<std::uint32_t>(GetWindowLongPtr(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const TCreateStruct*>(lParam);
        SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<std::intptr_t>(cs->lpCreateParams));
        Trace().push_back("WM_NCCREATE");
        if (reinterpret_cast<std::intptr_t>(cs->lpCreateParams) == WM_NCCREATE)
            return 0;
        return DefWindowProc(window, message, wParam, lParam);
    }
    if (message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY)
        Trace().push_back(MessageName(message));
    if (message == WM_CREATE && refuse == WM_CREATE)
        return -1;
    return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(WindowsTest, ARefusedCreationReturnsNullAndCleansUp) {
    TWndClass wc;
    wc.lpfnWndProc = &RefusingProc;
    wc.lpszClassName = u"Refusing";
    ASSERT_NE(RegisterClass(wc), 0);
    struct Case {
        std::uint32_t Refuses;
        Strings Expected;
    };
    const Case cases[] = {
        {WM_NCCREATE, {"WM_NCCREATE", "WM_NCDESTROY"}},
        {WM_CREATE, {"WM_NCCREATE", "WM_CREATE", "WM_DESTROY", "WM_NCDESTROY"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(MessageName(c.Refuses));
        Trace().clear();
        HWND w = CreateWindowEx(0, u"refusing", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, 0,
                                reinterpret_cast<void*>(static_cast<std::intptr_t>(c.Refuses)));
        EXPECT_EQ(w, nullptr);
        EXPECT_EQ(Trace(), c.Expected);
    }
    // No window of the class is left, so the class can go.
    EXPECT_TRUE(UnregisterClass(u"REFUSING"));
    EXPECT_EQ(CreateWindowEx(0, u"Refusing", u"", 0, 0, 0, 1, 1, nullptr, 0, nullptr), nullptr);
}

TEST_F(WindowsTest, ClassesAreFoundWithoutCaseAndHeldWhileWindowsLive) {
    RegisterTracedClasses();
    TWndClass again;
    again.lpfnWndProc = &DefWindowProc;
    again.lpszClassName = u"TRACED";
    EXPECT_EQ(RegisterClass(again), 0);
    TWndClass info;
    ASSERT_TRUE(GetClassInfo(u"tracedDBL", info));
    EXPECT_EQ(info.style, CS_DBLCLKS);
    EXPECT_FALSE(GetClassInfo(u"nothing", info));

    TWndClass temp;
    temp.lpfnWndProc = &DefWindowProc;
    temp.lpszClassName = u"Temporary";
    ASSERT_NE(RegisterClass(temp), 0);
    HWND w = CreateWindowEx(0, u"Temporary", u"", 0, 0, 0, 1, 1, nullptr, 0, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetClassName(w), u"Temporary");
    EXPECT_FALSE(UnregisterClass(u"Temporary"));
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClass(u"Temporary"));
    EXPECT_FALSE(UnregisterClass(u"Temporary"));
}

// Subclass procedures record their name, then pass the message on.
WNDPROC g_innerOld = nullptr;
WNDPROC g_outerOld = nullptr;
LRESULT InnerSubclass(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER)
        Trace().push_back("inner");
    return CallWindowProc(g_innerOld, w, m, wp, lp);
}
LRESULT OuterSubclass(HWND w, std::uint32_t m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER) {
        Trace().push_back("outer");
        if (wp == 1)
            return 7;  // swallowed
    }
    return CallWindowProc(g_outerOld, w, m, wp, lp);
}

TEST_F(WindowsTest, SubclassChainsRunOutermostFirstAndUnwind) {
    HWND w = Make("w", WS_OVERLAPPED, {0, 0, 10, 10});
    Watch({WM_USER});
    g_innerOld =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(w, GWLP_WNDPROC, reinterpret_cast<std::intptr_t>(&InnerSubclass)));
    g_outerOld =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(w, GWLP_WNDPROC, reinterpret_cast<std::intptr_t>(&OuterSubclass)));
    EXPECT_EQ(g_innerOld, &TracingProc);
    EXPECT_EQ(g_outerOld, &InnerSubclass);
    SendMessage(w, WM_USER, 0, 0);
    EXPECT_EQ(Trace(), (Strings{"outer", "inner", "w:WM_USER"}));
    Trace().clear();
    EXPECT_EQ(SendMessage(w, WM_USER, 1, 0), 7);
    EXPECT_EQ(Trace(), (Strings{"outer"}));
    // Taking the outer one off leaves the inner one in place.
    SetWindowLongPtr(w, GWLP_WNDPROC, reinterpret_cast<std::intptr_t>(g_outerOld));
    Trace().clear();
    SendMessage(w, WM_USER, 1, 0);
    EXPECT_EQ(Trace(), (Strings{"inner", "w:WM_USER"}));
}

TEST_F(WindowsTest, WindowTextIsKeptByTheDefaultProcedureInBothForms) {
    RegisterTracedClasses();
    HWND w = CreateWindowEx(0, u"Traced", u"Caf\u00e9 \u20ac", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, 0,
                            const_cast<char*>("w"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetWindowText(w), u"Caf\u00e9 \u20ac");
    EXPECT_EQ(GetWindowTextLength(w), 6);
    // The byte form goes through the ANSI code page, where the euro sign is 0x80.
    EXPECT_EQ(GetWindowTextA(w), "Caf\xe9 \x80");
    ASSERT_TRUE(SetWindowTextA(w, "na\xefve"));
    EXPECT_EQ(GetWindowText(w), u"na\u00efve");
    // A short buffer gets a terminated prefix.
    char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(SendMessage(w, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_EQ(std::u16string(buffer), u"na\u00ef");
    EXPECT_EQ(SendMessage(w, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_EQ(GetWindowText(nullptr), u"");
}

TEST_F(WindowsTest, CoordinatesMapThroughBordersAndParents) {
    HWND top = Make("top", WS_OVERLAPPED, {100, 50, 500, 350});
    HWND child = Make("child", WS_CHILD | WS_VISIBLE | WS_BORDER, {10, 20, 110, 120}, top);
    HWND inner = Make("inner", WS_CHILD | WS_VISIBLE, {5, 5, 25, 25}, child, u"Traced", WS_EX_CLIENTEDGE);
    TRect r;
    ASSERT_TRUE(GetClientRect(child, r));
    EXPECT_EQ(r, (TRect{0, 0, 98, 98}));
    ASSERT_TRUE(GetWindowRect(child, r));
    EXPECT_EQ(r, (TRect{110, 70, 210, 170}));
    ASSERT_TRUE(GetClientRect(inner, r));
    EXPECT_EQ(r, (TRect{0, 0, 16, 16}));
    struct Case {
        const char* Name;
        HWND From;
        HWND To;
        TPoint In;
        TPoint Out;
    };
    const Case cases[] = {
        {"top to screen", top, nullptr, {0, 0}, {100, 50}},
        {"child client to screen (border)", child, nullptr, {0, 0}, {111, 71}},
        {"inner to screen (border and edge)", inner, nullptr, {1, 2}, {111 + 5 + 2 + 1, 71 + 5 + 2 + 2}},
        {"screen to child", nullptr, child, {111, 71}, {0, 0}},
        {"inner to top", inner, top, {0, 0}, {11 + 5 + 2, 21 + 5 + 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPoint p = c.In;
        MapWindowPoints(c.From, c.To, &p, 1);
        EXPECT_EQ(p, c.Out);
    }
    TPoint p{111, 71};
    ScreenToClient(child, p);
    EXPECT_EQ(p, (TPoint{0, 0}));
    ClientToScreen(child, p);
    EXPECT_EQ(p, (TPoint{111, 71}));

    ShowWindow(top, SW_SHOWNOACTIVATE);
    struct Hit {
        TPoint Screen;
        HWND Expected;
    };
    const Hit hits[] = {
        {{105, 55}, top}, {{115, 75}, child}, {{110 + 1 + 5 + 3, 70 + 1 + 5 + 3}, inner}, {{99, 55}, nullptr}};
    for (const Hit& h : hits) {
        SCOPED_TRACE(testing::Message() << h.Screen.X << "," << h.Screen.Y);
        EXPECT_EQ(WindowFromPoint(h.Screen), h.Expected);
    }
    // Disabled and hidden windows are passed through to what is behind them.
    EnableWindow(inner, false);
    EXPECT_EQ(WindowFromPoint({110 + 1 + 5 + 3, 70 + 1 + 5 + 3}), child);
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(WindowFromPoint({115, 75}), top);
    EXPECT_EQ(ChildWindowFromPoint(top, {15, 25}), child);
}

bool CollectNames(HWND w, LPARAM l) {
    reinterpret_cast<Strings*>(l)->push_back(NameOf(w));
    return true;
}

Strings ChildrenOf(HWND parent) {
    Strings names;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        names.push_back(NameOf(c));
    return names;
}

TEST_F(WindowsTest, ChildrenKeepCreationOrderAsZOrderUntilMoved) {
    HWND top = Make("top", WS_OVERLAPPED, {0, 0, 100, 100});
    HWND a = Make("a", WS_CHILD, {0, 0, 10, 10}, top);
    HWND b = Make("b", WS_CHILD, {0, 0, 10, 10}, top);
    HWND c = Make("c", WS_CHILD, {0, 0, 10, 10}, top);
    Make("b1", WS_CHILD, {0, 0, 1, 1}, b);
    EXPECT_EQ(ChildrenOf(top), (Strings{"a", "b", "c"}));
    Strings all;
    EnumChildWindows(top, &CollectNames, reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(all, (Strings{"a", "b", "b1", "c"}));

    struct Case {
        const char* Name;
        HWND Window;
        HWND After;
        Strings Expected;
    };
    const Case cases[] = {
        {"c to the top", c, HWND_TOP, {"c", "a", "b"}},
        {"c to the bottom", c, HWND_BOTTOM, {"a", "b", "c"}},
        {"a after b", a, b, {"b", "a", "c"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        SetWindowPos(k.Window, k.After, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        EXPECT_EQ(ChildrenOf(top), k.Expected);
    }
    EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDLAST), c);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), nullptr);
    EXPECT_TRUE(IsChild(top, GetWindow(b, GW_CHILD)));

    // Moving a child under another parent.
    HWND other = Make("other", WS_OVERLAPPED, {0, 0, 50, 50});
    EXPECT_EQ(SetParent(a, other), top);
    EXPECT_EQ(ChildrenOf(top), (Strings{"b", "c"}));
    EXPECT_EQ(GetParent(a), other);
    EXPECT_EQ(SetParent(other, a), nullptr);  // no cycles
}

TEST_F(WindowsTest, OwnedWindowsGoBeforeTheirOwner) {
    Watch({WM_DESTROY, WM_NCDESTROY});
    HWND owner = Make("owner", WS_OVERLAPPED, {0, 0, 10, 10});
    HWND owned = Make("owned", WS_POPUP, {0, 0, 10, 10}, owner);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_EQ(GetParent(owned), owner);
    EXPECT_EQ(GetAncestor(owned, GA_ROOTOWNER), owner);
    DestroyWindow(owner);
    EXPECT_EQ(Trace(), (Strings{"owned:WM_DESTROY", "owned:WM_NCDESTROY", "owner:WM_DESTROY", "owner:WM_NCDESTROY"}));
}

TEST_F(WindowsTest, StylesChangeWithNoticeAndEnablingCancelsModes) {
    HWND w = Make("w", WS_OVERLAPPED, {0, 0, 10, 10});
    Watch({WM_ENABLE, WM_CANCELMODE, WM_CAPTURECHANGED});
    SetCapture(w);
    EXPECT_FALSE(EnableWindow(w, false));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(w));
    EXPECT_TRUE(EnableWindow(w, false));  // already disabled: no messages
    EXPECT_TRUE(EnableWindow(w, true));
    EXPECT_EQ(Trace(), (Strings{"w:WM_CANCELMODE", "w:WM_CAPTURECHANGED", "w:WM_ENABLE", "w:WM_ENABLE"}));
    SetWindowLongPtr(w, GWL_STYLE, WS_OVERLAPPED | WS_CLIPCHILDREN);
    EXPECT_EQ(static_cast<std::uint32_t>(GetWindowLongPtr(w, GWL_STYLE)), WS_OVERLAPPED | WS_CLIPCHILDREN);
}

TEST_F(WindowsTest, PropertiesAndAtoms) {
    HWND w = Make("w", WS_OVERLAPPED, {0, 0, 10, 10});
    int value = 0;
    EXPECT_TRUE(SetProp(w, u"Data", &value));
    EXPECT_EQ(GetProp(w, u"DATA"), &value);
    EXPECT_EQ(RemoveProp(w, u"data"), &value);
    EXPECT_EQ(GetProp(w, u"Data"), nullptr);
    EXPECT_FALSE(SetProp(nullptr, u"Data", &value));

    const ATOM a = GlobalAddAtom(u"RezAtom");
    ASSERT_GE(a, 0xC000);
    EXPECT_EQ(GlobalAddAtom(u"rezatom"), a);
    EXPECT_EQ(GlobalFindAtom(u"REZATOM"), a);
    EXPECT_EQ(GlobalGetAtomName(a), u"RezAtom");
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtom(u"RezAtom"), a);  // one reference left
    GlobalDeleteAtom(a);
    EXPECT_EQ(GlobalFindAtom(u"RezAtom"), 0);
    EXPECT_EQ(GlobalAddAtom(u""), 0);
}

TEST_F(WindowsTest, MonitorsComeFromTheScreens) {
    ASSERT_GE(MonitorCount(), 1);
    TMonitorInfo info;
    ASSERT_TRUE(GetMonitorInfo(0, info));
    EXPECT_FALSE(info.rcMonitor.IsEmpty());
    EXPECT_FALSE(info.rcWork.IsEmpty());
    EXPECT_FALSE(GetMonitorInfo(MonitorCount(), info));
    const TRect work = WorkArea();
    EXPECT_EQ(MonitorFromPoint({work.Left - 5000, work.Top}), MonitorFromPoint({work.Left, work.Top}));
}

}  // namespace
