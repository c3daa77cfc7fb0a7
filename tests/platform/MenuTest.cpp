#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "WindowTrace.h"
#include "platform/DeviceContexts.h"
#include "platform/KeyState.h"
#include "platform/Menus.h"
#include "platform/Screen.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"
#include "platform/qt/WindowObjects.h"

// Menus: the item calls, the bar in a top-level window's frame, and the
// modal loop driven by the desktop's keys and clicks, told by the messages
// the owner hears in their order.
namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

std::map<HMENU, std::string>& MenuNames() {
    static std::map<HMENU, std::string> names;
    return names;
}

std::string MenuName(HMENU m) {
    auto found = MenuNames().find(m);
    return found == MenuNames().end() ? "?" : found->second;
}

// What the owner answers to WM_MENUCHAR, by character.
std::map<char16_t, LRESULT>& MenuCharAnswers() {
    static std::map<char16_t, LRESULT> answers;
    return answers;
}

std::string Hex(std::uintptr_t v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(v));
    return buffer;
}

std::string Describe(std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    switch (m) {
        case WM_ENTERMENULOOP:
            return std::string("ENTERMENULOOP") + (wParam != 0 ? " popup" : "");
        case WM_EXITMENULOOP:
            return std::string("EXITMENULOOP") + (wParam != 0 ? " popup" : "");
        case WM_INITMENU:
            return "INITMENU " + MenuName(reinterpret_cast<HMENU>(wParam));
        case WM_INITMENUPOPUP:
            return "INITMENUPOPUP " + MenuName(reinterpret_cast<HMENU>(wParam)) + " " +
                   std::to_string(LoWord(static_cast<std::uintptr_t>(lParam))) +
                   (HiWord(static_cast<std::uintptr_t>(lParam)) != 0 ? " system" : "");
        case WM_UNINITMENUPOPUP:
            return "UNINITMENUPOPUP " + MenuName(reinterpret_cast<HMENU>(wParam));
        case WM_MENUSELECT: {
            const unsigned flags = HiWord(wParam);
            if (flags == 0xFFFF && lParam == 0)
                return "MENUSELECT closed";
            std::string s = "MENUSELECT " + std::to_string(LoWord(wParam));
            if ((flags & MF_POPUP) != 0)
                s += " popup";
            if ((flags & MF_GRAYED) != 0)
                s += " grayed";
            if ((flags & MF_MOUSESELECT) != 0)
                s += " mouse";
            if ((flags & MF_SYSMENU) != 0)
                s += " system";
            return s;
        }
        case WM_MENUCHAR:
            return "MENUCHAR " + std::string(1, static_cast<char>(LoWord(wParam))) +
                   ((HiWord(wParam) & MF_POPUP) != 0 ? " popup" : "");
        case WM_COMMAND:
            return "COMMAND " + std::to_string(LoWord(wParam));
        case WM_SYSCOMMAND:
            return "SYSCOMMAND " + Hex(wParam & 0xFFF0);
        case WM_MEASUREITEM: {
            const auto* mis = reinterpret_cast<const TMeasureItemStruct*>(lParam);
            return "MEASUREITEM " + std::to_string(mis->itemID);
        }
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const TDrawItemStruct*>(lParam);
            return "DRAWITEM " + std::to_string(dis->itemID) +
                   ((dis->itemState & ODS_SELECTED) != 0 ? " selected" : "");
        }
        default:
            return "";
    }
}

// Where the popup menu was when the owner last heard of a selection.
TRect g_popupRect;

bool RecordPopup(HWND window, LPARAM) {
    if (GetClassName(window) == u"#32768")
        GetWindowRect(window, g_popupRect);
    return true;
}

LRESULT OwnerProc(HWND window, std::uint32_t m, WPARAM wParam, LPARAM lParam) {
    if (m == WM_NCCREATE)
        SetWindowLongPtr(window, GWLP_USERDATA,
                         reinterpret_cast<std::intptr_t>(reinterpret_cast<TCreateStruct*>(lParam)->lpCreateParams));
    if (IsWatched(m))
        Trace().push_back(Describe(m, wParam, lParam));
    switch (m) {
        case WM_MENUSELECT:
            if (lParam != 0)
                EnumWindows(&RecordPopup, 0);
            return 0;
        case WM_MENUCHAR: {
            auto found = MenuCharAnswers().find(static_cast<char16_t>(LoWord(wParam)));
            return found == MenuCharAnswers().end() ? 0 : found->second;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<TMeasureItemStruct*>(lParam);
            mis->itemWidth = 80;
            mis->itemHeight = 30;
            return 1;
        }
        case WM_DRAWITEM:
            return 1;
        default:
            return DefWindowProc(window, m, wParam, lParam);
    }
}

const std::vector<std::uint32_t> kMenuMessages = {
    WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_UNINITMENUPOPUP,
    WM_MENUSELECT,    WM_MENUCHAR,     WM_COMMAND,  WM_MEASUREITEM,   WM_DRAWITEM,
};

// A loop that waits for input the test never gave ends after a while, so
// that a fault fails the test instead of hanging it.
void EndStuckMenu(HWND, std::uint32_t, std::uintptr_t, std::uint32_t) {
    EndMenu();
}

struct TKey {
    QEvent::Type Type;
    int Code;
    Qt::KeyboardModifiers Modifiers;
    const char* Text = "";
};

class MenuTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
        MenuCharAnswers().clear();
        static const bool registered = [] {
            TWndClass wc;
            wc.lpfnWndProc = &OwnerProc;
            wc.lpszClassName = u"MenuOwner";
            return RegisterClass(wc) != 0;
        }();
        ASSERT_TRUE(registered);
        // &File: &New, &Open..., a separator, &Recent (&1 a.doc, &2 b.doc), E&xit
        // &Edit: &Undo (grayed), Cu&t, &Copy, &Clear
        // &Help: a command on the bar itself
        file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 101, u"&New\tCtrl+N");
        AppendMenuW(file, MF_STRING, 102, u"&Open...");
        AppendMenuW(file, MF_SEPARATOR, 0, u"");
        recent = CreatePopupMenu();
        AppendMenuW(recent, MF_STRING, 111, u"&1 a.doc");
        AppendMenuW(recent, MF_STRING, 112, u"&2 b.doc");
        AppendMenuW(file, MF_POPUP, reinterpret_cast<std::uintptr_t>(recent), u"&Recent");
        AppendMenuW(file, MF_STRING, 103, u"E&xit");
        edit = CreatePopupMenu();
        AppendMenuW(edit, MF_STRING | MF_GRAYED, 201, u"&Undo");
        AppendMenuW(edit, MF_STRING, 202, u"Cu&t");
        AppendMenuW(edit, MF_STRING, 203, u"&Copy");
        AppendMenuW(edit, MF_STRING, 204, u"&Clear");
        bar = CreateMenu();
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(file), u"&File");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(edit), u"&Edit");
        AppendMenuW(bar, MF_STRING, 301, u"&Help");
        MenuNames() = {{bar, "bar"}, {file, "file"}, {recent, "recent"}, {edit, "edit"}};
        owner = CreateWindowEx(0, u"MenuOwner", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                               reinterpret_cast<std::uintptr_t>(bar), const_cast<char*>("owner"));
        ASSERT_NE(owner, nullptr);
        SetFocus(owner);
        SetTimer(owner, 77, 3000, &EndStuckMenu);
        PumpMessages();
    }
    void TearDown() override {
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
        TWindowTest::TearDown();
        MenuNames().clear();
    }
    void Keys(const std::vector<TKey>& keys) {
        for (const TKey& k : keys) {
            QKeyEvent e(k.Type, k.Code, k.Modifiers, QString::fromUtf8(k.Text));
            QGuiApplication::sendEvent(DesktopWindowOf(owner), &e);
        }
    }
    // A mouse event at a screen point, as the owner's desktop window gives it.
    void Mouse(QEvent::Type type, TPoint screen, Qt::MouseButton button, Qt::MouseButtons buttons) {
        TRect frame;
        GetWindowRect(owner, frame);
        const QPointF local(screen.X - frame.Left, screen.Y - frame.Top);
        QMouseEvent e(type, local, local, button, buttons, Qt::NoModifier);
        QGuiApplication::sendEvent(DesktopWindowOf(owner), &e);
    }
    void Click(TPoint screen) {
        Mouse(QEvent::MouseButtonPress, screen, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, screen, Qt::LeftButton, Qt::NoButton);
    }
    TPoint BarItemCenter(unsigned position) {
        TRect r;
        EXPECT_TRUE(GetMenuItemRect(owner, bar, position, r));
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    HWND owner = nullptr;
    HMENU bar = nullptr, file = nullptr, recent = nullptr, edit = nullptr;
};

TEST_F(MenuTest, ItemCallsFindChangeAndReportItems) {
    EXPECT_EQ(GetMenuItemCount(file), 5);
    EXPECT_EQ(GetMenuItemID(file, 1), 102);
    EXPECT_EQ(GetMenuItemID(file, 3), -1);  // a submenu has no command
    EXPECT_EQ(GetSubMenu(file, 3), recent);
    EXPECT_EQ(GetSubMenu(file, 0), nullptr);
    // A submenu's state carries its item count in the high byte.
    EXPECT_EQ(GetMenuState(file, 3, MF_BYPOSITION), static_cast<int>(MF_POPUP | (2u << 8)));
    EXPECT_EQ(GetMenuState(file, 2, MF_BYPOSITION), static_cast<int>(MF_SEPARATOR));
    // By command, items are found in submenus too.
    EXPECT_EQ(GetMenuState(bar, 112, MF_BYCOMMAND), 0);
    EXPECT_EQ(GetMenuStringW(bar, 112, MF_BYCOMMAND), u"&2 b.doc");
    EXPECT_EQ(GetMenuState(bar, 999, MF_BYCOMMAND), -1);

    // Each call returns the state before it.
    const int disable = EnableMenuItem(bar, 202, MF_BYCOMMAND | MF_GRAYED);
    const int enable = EnableMenuItem(edit, 0, MF_BYPOSITION | MF_ENABLED);
    const int check = CheckMenuItem(bar, 101, MF_BYCOMMAND | MF_CHECKED);
    const int checkAgain = CheckMenuItem(bar, 101, MF_BYCOMMAND | MF_UNCHECKED);
    EXPECT_EQ(disable, 0);
    EXPECT_EQ(enable, static_cast<int>(MF_GRAYED));
    EXPECT_EQ(check, 0);
    EXPECT_EQ(checkAgain, static_cast<int>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(edit, 202, MF_BYCOMMAND), static_cast<int>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(edit, 201, MF_BYCOMMAND), 0);
    EXPECT_EQ(EnableMenuItem(bar, 999, MF_GRAYED), -1);

    // A radio group: one checked with the radio mark, the rest cleared.
    CheckMenuItem(edit, 202, MF_CHECKED);
    EXPECT_TRUE(CheckMenuRadioItem(edit, 202, 204, 203, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(edit, 202, MF_BYCOMMAND) & MF_CHECKED, 0);
    EXPECT_EQ(GetMenuState(edit, 203, MF_BYCOMMAND),
              static_cast<int>(static_cast<unsigned>(MF_CHECKED) | MFT_RADIOCHECK));
    EXPECT_FALSE(CheckMenuRadioItem(edit, 202, 204, 205, MF_BYCOMMAND));  // the item to check is outside the range

    // The item record round-trips, and inserting before a command lands
    // beside it in its own submenu.
    TMenuItemInfo info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
    info.wID = 113;
    info.dwTypeData = u"&3 c.doc";
    info.fState = MFS_DEFAULT;
    info.dwItemData = 42;
    ASSERT_TRUE(InsertMenuItemW(bar, 112, false, info));
    EXPECT_EQ(GetMenuItemID(recent, 1), 113);
    TMenuItemInfo back;
    back.fMask = info.fMask;
    ASSERT_TRUE(GetMenuItemInfoW(recent, 1, true, back));
    EXPECT_EQ(back.wID, 113u);
    EXPECT_EQ(back.dwTypeData, u"&3 c.doc");
    EXPECT_EQ(back.fState, static_cast<unsigned>(MFS_DEFAULT));
    EXPECT_EQ(back.dwItemData, 42u);
    TMenuItemInfo rename;
    rename.fMask = MIIM_STRING;
    rename.dwTypeData = u"&3 d.doc";
    ASSERT_TRUE(SetMenuItemInfoW(recent, 113, false, rename));
    EXPECT_EQ(GetMenuStringW(recent, 1, MF_BYPOSITION), u"&3 d.doc");

    // ModifyMenu replaces the item in place; a replaced submenu goes with it.
    HMENU lost = CreatePopupMenu();
    AppendMenuW(edit, MF_POPUP, reinterpret_cast<std::uintptr_t>(lost), u"&More");
    ASSERT_TRUE(ModifyMenuW(edit, 4, MF_BYPOSITION | MF_STRING, 205, u"&Paste"));
    EXPECT_FALSE(IsMenu(lost));
    EXPECT_EQ(GetMenuItemID(edit, 4), 205);

    // RemoveMenu leaves a submenu to the caller, DeleteMenu destroys it.
    ASSERT_TRUE(RemoveMenu(file, 3, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(recent));
    EXPECT_EQ(GetMenuItemCount(file), 4);
    ASSERT_TRUE(InsertMenuW(file, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<std::uintptr_t>(recent), u"&Recent"));
    ASSERT_TRUE(DeleteMenu(file, 3, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(recent));
    EXPECT_FALSE(RemoveMenu(file, 9, MF_BYPOSITION));

    // Unknown handles fail without harm.
    HMENU gone = CreatePopupMenu();
    ASSERT_TRUE(DestroyMenu(gone));
    EXPECT_FALSE(DestroyMenu(gone));
    EXPECT_FALSE(AppendMenuW(gone, MF_STRING, 1, u"x"));
    EXPECT_EQ(GetMenuItemCount(gone), -1);
    EXPECT_EQ(GetSubMenu(gone, 0), nullptr);

    // Destroying a menu destroys its submenus.
    ASSERT_TRUE(DestroyMenu(file));
    EXPECT_FALSE(IsMenu(file));
}

TEST_F(MenuTest, TheBarTakesItsLineAboveTheClientArea) {
    TRect window, client;
    GetWindowRect(owner, window);
    GetClientRect(owner, client);
    EXPECT_EQ(client.Height(), window.Height() - kMenuBarHeight);
    EXPECT_EQ(GetMenu(owner), bar);
    TPoint origin{0, 0};
    ClientToScreen(owner, origin);
    EXPECT_EQ(origin.Y, window.Top + kMenuBarHeight);
    // The bar answers the hit test; its titles lie along it, left to right.
    const TPoint file = BarItemCenter(0);
    const TPoint edit = BarItemCenter(1);
    EXPECT_LT(file.X, edit.X);
    EXPECT_EQ(SendMessage(owner, WM_NCHITTEST, 0, MakeLParam(file.X, file.Y)), HTMENU);
    EXPECT_EQ(SendMessage(owner, WM_NCHITTEST, 0, MakeLParam(file.X, origin.Y + 5)), HTCLIENT);

    // The bar is drawn in the menu colour on the window's surface; the
    // client area below it is the window's own.
    PumpMessages();
    TWindowObject* w = WindowOf(owner);
    ASSERT_NE(w, nullptr);
    // A child window's drawing lands below the bar.
    HWND painter = Make("painter", WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, owner);
    HDC childDc = GetDC(painter);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(childDc, {0, 0, 10, 10}, red);
    DeleteBrush(red);
    ReleaseDC(painter, childDc);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectBitmap(dc, w->Surface);
    EXPECT_EQ(GetPixel(dc, window.Width() - 2, 2), GetSysColor(4));
    EXPECT_EQ(GetPixel(dc, 5, kMenuBarHeight + 5), 0x0000FFu);
    EXPECT_NE(GetPixel(dc, 5, kMenuBarHeight - 5), 0x0000FFu);
    SelectBitmap(dc, nullptr);
    DeleteDC(dc);
    DestroyWindow(painter);

    // Taking the bar away gives its line back to the client area, with a
    // size message; a child window has no bar.
    Watch({WM_SIZE});
    ASSERT_TRUE(SetMenu(owner, nullptr));
    GetClientRect(owner, client);
    EXPECT_EQ(client.Height(), window.Height());
    EXPECT_EQ(Trace().size(), 1u);
    HWND child = Make("child", WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, owner);
    EXPECT_FALSE(SetMenu(child, bar));
    EXPECT_EQ(GetMenu(child), nullptr);
    DestroyMenu(bar);
}

TEST_F(MenuTest, TheKeyboardDrivesTheBarInTheOrderOfItsMessages) {
    const auto P = QEvent::KeyPress;
    const auto R = QEvent::KeyRelease;
    auto press = [&](int key, Qt::KeyboardModifiers m = Qt::NoModifier, const char* text = "") {
        return std::vector<TKey>{{P, key, m, text}, {R, key, m, text}};
    };
    auto join = [](std::vector<std::vector<TKey>> parts) {
        std::vector<TKey> out;
        for (auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::vector<TKey> altAlone = {{P, Qt::Key_Alt, Qt::NoModifier}, {R, Qt::Key_Alt, Qt::AltModifier}};
    auto alt = [](int key, const char* text) {
        return std::vector<TKey>{{P, Qt::Key_Alt, Qt::NoModifier},
                                 {P, key, Qt::AltModifier, text},
                                 {R, key, Qt::AltModifier, text},
                                 {R, Qt::Key_Alt, Qt::AltModifier}};
    };
    struct Case {
        const char* Name;
        std::vector<TKey> Keys;
        Strings Expected;
    };
    const std::vector<Case> cases = {
        {"Alt alone selects the first title; Down opens it; Enter chooses",
         join({altAlone, press(Qt::Key_Down), press(Qt::Key_Return, Qt::NoModifier, "\r")}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "INITMENUPOPUP file 0", "MENUSELECT 101",
          "UNINITMENUPOPUP file", "MENUSELECT closed", "EXITMENULOOP", "COMMAND 101"}},
        {"F10 then Left wraps round to the last title, Escape leaves",
         join({press(Qt::Key_F10), press(Qt::Key_Left), press(Qt::Key_Escape)}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "MENUSELECT 301", "MENUSELECT closed",
          "EXITMENULOOP"}},
        {"Alt+F opens File at its first item; Escape goes back to the bar, Escape again leaves",
         join({alt(Qt::Key_F, "f"), press(Qt::Key_Escape), press(Qt::Key_Escape)}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "INITMENUPOPUP file 0", "MENUSELECT 101",
          "UNINITMENUPOPUP file", "MENUSELECT closed", "EXITMENULOOP"}},
        {"Down skips the separator and opens nothing; Right on a submenu opens it",
         join({alt(Qt::Key_F, "f"), press(Qt::Key_Down), press(Qt::Key_Down), press(Qt::Key_Right), press(Qt::Key_Down),
               press(Qt::Key_Return, Qt::NoModifier, "\r")}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "INITMENUPOPUP file 0", "MENUSELECT 101",
          "MENUSELECT 102", "MENUSELECT 3 popup", "INITMENUPOPUP recent 3", "MENUSELECT 111", "MENUSELECT 112",
          "UNINITMENUPOPUP recent", "UNINITMENUPOPUP file", "MENUSELECT closed", "EXITMENULOOP", "COMMAND 112"}},
        {"a mnemonic opens a submenu and chooses in it",
         join({alt(Qt::Key_F, "f"), press(Qt::Key_R, Qt::NoModifier, "r"), press(Qt::Key_2, Qt::NoModifier, "2")}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "INITMENUPOPUP file 0", "MENUSELECT 101",
          "MENUSELECT 3 popup", "INITMENUPOPUP recent 3", "MENUSELECT 111", "MENUSELECT 112", "UNINITMENUPOPUP recent",
          "UNINITMENUPOPUP file", "MENUSELECT closed", "EXITMENULOOP", "COMMAND 112"}},
        {"Right moves to the next title with its menu open; a grayed item closes the menu without a command",
         join({alt(Qt::Key_F, "f"), press(Qt::Key_Right), press(Qt::Key_Return, Qt::NoModifier, "\r")}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "INITMENUPOPUP file 0", "MENUSELECT 101",
          "UNINITMENUPOPUP file", "MENUSELECT 1 popup", "INITMENUPOPUP edit 1", "MENUSELECT 201 grayed",
          "UNINITMENUPOPUP edit", "MENUSELECT closed", "EXITMENULOOP"}},
        {"a letter two items share selects each in turn",
         join({alt(Qt::Key_E, "e"), press(Qt::Key_C, Qt::NoModifier, "c"), press(Qt::Key_C, Qt::NoModifier, "c"),
               press(Qt::Key_Return, Qt::NoModifier, "\r")}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 1 popup", "INITMENUPOPUP edit 1", "MENUSELECT 201 grayed",
          "MENUSELECT 203", "MENUSELECT 204", "UNINITMENUPOPUP edit", "MENUSELECT closed", "EXITMENULOOP",
          "COMMAND 204"}},
        {"a letter no item has asks the owner, who chooses Exit",
         join({alt(Qt::Key_F, "f"), press(Qt::Key_Q, Qt::NoModifier, "q")}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "INITMENUPOPUP file 0", "MENUSELECT 101",
          "MENUCHAR q popup", "MENUSELECT 103", "UNINITMENUPOPUP file", "MENUSELECT closed", "EXITMENULOOP",
          "COMMAND 103"}},
        {"a command on the bar itself is chosen by its letter",
         alt(Qt::Key_H, "h"),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 301", "MENUSELECT closed", "EXITMENULOOP", "COMMAND 301"}},
        {"Alt with a letter no title has asks the owner and opens nothing",
         alt(Qt::Key_Z, "z"),
         {"ENTERMENULOOP", "INITMENU bar", "MENUCHAR z", "MENUSELECT closed", "EXITMENULOOP"}},
        {"Alt pressed again leaves the menu",
         join({altAlone, altAlone}),
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup", "MENUSELECT closed", "EXITMENULOOP"}},
    };
    MenuCharAnswers()[u'q'] = static_cast<LRESULT>(4u | (static_cast<unsigned>(MNC_EXECUTE) << 16));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch(kMenuMessages);
        Keys(c.Keys);
        PumpMessages();
        EXPECT_EQ(Trace(), c.Expected);
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
}

TEST_F(MenuTest, TheMouseOpensTitlesFollowsThePointerAndChooses) {
    const TPoint fileTitle = BarItemCenter(0);
    const TPoint editTitle = BarItemCenter(1);
    TRect editRect;
    GetMenuItemRect(owner, bar, 1, editRect);
    // The Edit menu drops from under its title: a border, then one line per item.
    auto editItem = [&](int index) { return TPoint{editRect.Left + 30, editRect.Bottom + 2 + index * 20 + 10}; };
    struct Case {
        const char* Name;
        std::vector<std::pair<QEvent::Type, TPoint>> Events;  // left-button events at screen points
        Strings Expected;
    };
    const auto P = QEvent::MouseButtonPress;
    const auto R = QEvent::MouseButtonRelease;
    const auto M = QEvent::MouseMove;
    const std::vector<Case> cases = {
        {"click a title, click an item",
         {{P, editTitle}, {R, editTitle}, {M, editItem(1)}, {P, editItem(1)}, {R, editItem(1)}},
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 1 popup mouse", "INITMENUPOPUP edit 1", "MENUSELECT 202 mouse",
          "UNINITMENUPOPUP edit", "MENUSELECT closed", "EXITMENULOOP", "COMMAND 202"}},
        {"press on a title, slide to another, drag down and let go on an item",
         {{P, fileTitle}, {M, editTitle}, {M, editItem(2)}, {R, editItem(2)}},
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 0 popup mouse", "INITMENUPOPUP file 0", "UNINITMENUPOPUP file",
          "MENUSELECT 1 popup mouse", "INITMENUPOPUP edit 1", "MENUSELECT 203 mouse", "UNINITMENUPOPUP edit",
          "MENUSELECT closed", "EXITMENULOOP", "COMMAND 203"}},
        {"a press outside the menu dismisses it",
         {{P, editTitle}, {R, editTitle}, {P, {editRect.Left + 300, editRect.Bottom + 200}}},
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 1 popup mouse", "INITMENUPOPUP edit 1", "UNINITMENUPOPUP edit",
          "MENUSELECT closed", "EXITMENULOOP"}},
        {"a grayed item does nothing when released on",
         {{P, editTitle}, {R, editTitle}, {M, editItem(0)}, {P, editItem(0)}, {R, editItem(0)}},
         {"ENTERMENULOOP", "INITMENU bar", "MENUSELECT 1 popup mouse", "INITMENUPOPUP edit 1",
          "MENUSELECT 201 grayed mouse", "UNINITMENUPOPUP edit", "MENUSELECT closed", "EXITMENULOOP"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch(kMenuMessages);
        Qt::MouseButtons held = Qt::NoButton;
        for (const auto& [type, at] : c.Events) {
            if (type == P)
                held = Qt::LeftButton;
            if (type == R)
                held = Qt::NoButton;
            Mouse(type, at, type == M ? Qt::NoButton : Qt::LeftButton, held);
        }
        PumpMessages();
        EXPECT_EQ(Trace(), c.Expected);
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
}

TEST_F(MenuTest, TrackPopupMenuReturnsOrPostsTheCommand) {
    const auto P = QEvent::KeyPress;
    const auto R = QEvent::KeyRelease;
    const std::vector<TKey> downDownEnter = {{P, Qt::Key_Down, Qt::NoModifier},   {R, Qt::Key_Down, Qt::NoModifier},
                                             {P, Qt::Key_Down, Qt::NoModifier},   {R, Qt::Key_Down, Qt::NoModifier},
                                             {P, Qt::Key_Return, Qt::NoModifier}, {R, Qt::Key_Return, Qt::NoModifier}};
    struct Case {
        const char* Name;
        unsigned Flags;
        int Result;
        Strings Expected;
    };
    const std::vector<Case> cases = {
        {"the command comes back and nothing is posted",
         TPM_RETURNCMD,
         202,
         {"ENTERMENULOOP popup", "INITMENU edit", "INITMENUPOPUP edit 0", "MENUSELECT 201 grayed", "MENUSELECT 202",
          "UNINITMENUPOPUP edit", "MENUSELECT closed", "EXITMENULOOP popup"}},
        {"the command is posted",
         TPM_RIGHTBUTTON,
         1,
         {"ENTERMENULOOP popup", "INITMENU edit", "INITMENUPOPUP edit 0", "MENUSELECT 201 grayed", "MENUSELECT 202",
          "UNINITMENUPOPUP edit", "MENUSELECT closed", "EXITMENULOOP popup", "COMMAND 202"}},
        {"no notifications at all", TPM_RETURNCMD | TPM_NONOTIFY, 202, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch(kMenuMessages);
        Keys(downDownEnter);
        EXPECT_EQ(TrackPopupMenu(edit, c.Flags, 150, 150, owner, nullptr), c.Result);
        PumpMessages();
        EXPECT_EQ(Trace(), c.Expected);
    }
    // The menu keeps off the rectangle it is told to avoid.
    Watch({});
    const TRect avoid{100, 100, 200, 300};
    for (const unsigned flags : {0u, static_cast<unsigned>(TPM_VERTICAL)}) {
        SCOPED_TRACE(flags == 0 ? "beside" : "below");
        Keys({{P, Qt::Key_Down, Qt::NoModifier},
              {R, Qt::Key_Down, Qt::NoModifier},
              {P, Qt::Key_Escape, Qt::NoModifier},
              {R, Qt::Key_Escape, Qt::NoModifier}});
        g_popupRect = {};
        EXPECT_EQ(TrackPopupMenu(edit, TPM_RETURNCMD | flags, 150, 150, owner, &avoid), 0);
        if (flags == 0)
            EXPECT_EQ(g_popupRect.Left, avoid.Right);
        else
            EXPECT_EQ(g_popupRect.Top, avoid.Bottom);
    }
    // Escape returns no command; an unknown menu or owner shows nothing.
    Keys({{P, Qt::Key_Escape, Qt::NoModifier}, {R, Qt::Key_Escape, Qt::NoModifier}});
    EXPECT_EQ(TrackPopupMenu(edit, TPM_RETURNCMD, 150, 150, owner, nullptr), 0);
    HMENU gone = CreatePopupMenu();
    DestroyMenu(gone);
    EXPECT_EQ(TrackPopupMenu(gone, TPM_RETURNCMD, 150, 150, owner, nullptr), 0);
    EXPECT_EQ(TrackPopupMenu(edit, TPM_RETURNCMD, 150, 150, nullptr, nullptr), 0);
}

TEST_F(MenuTest, OwnerDrawnItemsAreMeasuredOnceAndDrawnWithTheirState) {
    HMENU popup = CreatePopupMenu();
    MenuNames()[popup] = "popup";
    TMenuItemInfo info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    info.fType = MFT_OWNERDRAW;
    info.wID = 501;
    info.dwItemData = 7;
    ASSERT_TRUE(InsertMenuItemW(popup, 0, true, info));
    const auto P = QEvent::KeyPress;
    const auto R = QEvent::KeyRelease;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first showing" : "second showing");
        Watch({WM_MEASUREITEM, WM_DRAWITEM});
        Keys({{P, Qt::Key_Down, Qt::NoModifier},
              {R, Qt::Key_Down, Qt::NoModifier},
              {P, Qt::Key_Return, Qt::NoModifier},
              {R, Qt::Key_Return, Qt::NoModifier}});
        EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 150, 150, owner, nullptr), 501);
        Strings expected;
        if (round == 0)
            expected.push_back("MEASUREITEM 501");
        expected.push_back("DRAWITEM 501");
        expected.push_back("DRAWITEM 501 selected");
        // The popup is drawn when the loop first has nothing else to do; the
        // Down key may come before that.
        Strings trace = Trace();
        trace.erase(std::remove(trace.begin(), trace.end(), "DRAWITEM 501"), trace.end());
        expected.erase(std::remove(expected.begin(), expected.end(), "DRAWITEM 501"), expected.end());
        EXPECT_EQ(trace, expected);
    }
    DestroyMenu(popup);
}

TEST_F(MenuTest, AltSpaceOpensTheSystemMenuWhoseCommandsReachTheWindow) {
    HMENU system = GetSystemMenu(owner, false);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(GetSystemMenu(owner, false), system);
    EXPECT_EQ(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), 0);
    MenuNames()[system] = "system";
    const auto P = QEvent::KeyPress;
    const auto R = QEvent::KeyRelease;
    Watch({WM_INITMENUPOPUP, WM_SYSCOMMAND, WM_COMMAND});
    Keys({{P, Qt::Key_Alt, Qt::NoModifier},
          {P, Qt::Key_Space, Qt::AltModifier, " "},
          {R, Qt::Key_Space, Qt::AltModifier, " "},
          {R, Qt::Key_Alt, Qt::AltModifier},
          {P, Qt::Key_C, Qt::NoModifier, "c"},
          {R, Qt::Key_C, Qt::NoModifier, "c"}});
    PumpMessages();
    // Alt+Space is itself a system command; Close is posted as another,
    // whose default closes the window.
    EXPECT_EQ(Trace(), (Strings{"SYSCOMMAND F100", "INITMENUPOPUP system 0 system", "SYSCOMMAND F060"}));
    EXPECT_FALSE(IsWindow(owner));
    // A reverted system menu is made afresh.
    HWND other = Make("other", WS_OVERLAPPED, {0, 0, 50, 50});
    HMENU first = GetSystemMenu(other, false);
    EXPECT_EQ(GetSystemMenu(other, true), nullptr);
    EXPECT_FALSE(IsMenu(first));
    EXPECT_NE(GetSystemMenu(other, false), nullptr);
}

}  // namespace
