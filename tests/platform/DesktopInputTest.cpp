#include "platform/qt/DesktopWindow.h"

#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QInputMethodEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>

#include <string>
#include <vector>

#include "WindowTrace.h"
#include "platform/KeyState.h"
#include "platform/Windows.h"

// The desktop's input events, delivered to a top-level window's Qt window,
// become the window messages of the focus or the window under the pointer.
namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

class DesktopInputTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        WithDetails() = true;
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
    void TearDown() override {
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
        TWindowTest::TearDown();
    }
    static void Deliver(HWND top, QEvent& e) {
        QWindow* desktop = DesktopWindowOf(top);
        ASSERT_NE(desktop, nullptr);
        QGuiApplication::sendEvent(desktop, &e);
    }
};

TEST_F(DesktopInputTest, ActivationAndFocusMoveInTheWindowsOrder) {
    Watch({WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS});
    WithDetails() = false;
    HWND a = Make("A", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
    EXPECT_EQ(Trace(), (Strings{"A:WM_NCACTIVATE", "A:WM_ACTIVATE", "A:WM_SETFOCUS"}));
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(GetFocus(), a);

    HWND b = Make("B", WS_OVERLAPPED, {0, 0, 100, 100});
    HWND edit = Make("edit", WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, b);
    ShowWindow(b, SW_SHOWNOACTIVATE);
    Trace().clear();
    // Focus into an inactive window activates it first; its activation
    // takes the focus, which then moves on to the child.
    SetFocus(edit);
    EXPECT_EQ(Trace(), (Strings{"A:WM_NCACTIVATE", "A:WM_ACTIVATE", "B:WM_NCACTIVATE", "B:WM_ACTIVATE",
                                "A:WM_KILLFOCUS", "B:WM_SETFOCUS", "B:WM_KILLFOCUS", "edit:WM_SETFOCUS"}));
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(GetActiveWindow(), b);

    // Destroying the active window hands activation back.
    Trace().clear();
    DestroyWindow(b);
    EXPECT_EQ(Trace(), (Strings{"edit:WM_KILLFOCUS", "B:WM_NCACTIVATE", "B:WM_ACTIVATE", "A:WM_NCACTIVATE",
                                "A:WM_ACTIVATE", "A:WM_SETFOCUS"}));
    EXPECT_EQ(GetActiveWindow(), a);
}

// Qt's events cannot be copied: the tables hold what makes them.
struct TKey {
    QEvent::Type Type;
    int Code;
    Qt::KeyboardModifiers Modifiers;
    const char* Text = "";
};
TKey Key(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const char* text = "") {
    return {type, key, modifiers, text};
}
void DeliverKey(HWND top, const TKey& k) {
    QKeyEvent e(k.Type, k.Code, k.Modifiers, QString::fromUtf8(k.Text));
    QGuiApplication::sendEvent(DesktopWindowOf(top), &e);
}

TEST_F(DesktopInputTest, KeyEventsBecomeKeyAndCharacterMessages) {
    HWND top = Make("k", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
    SetFocus(top);
    const auto P = QEvent::KeyPress;
    const auto R = QEvent::KeyRelease;
    struct Case {
        const char* Name;
        std::vector<TKey> Events;
        Strings Expected;
    };
    const std::vector<Case> cases = {
        {"Shift+a",
         {Key(P, Qt::Key_Shift, Qt::NoModifier), Key(P, Qt::Key_A, Qt::ShiftModifier, "A"),
          Key(R, Qt::Key_A, Qt::ShiftModifier, "A"), Key(R, Qt::Key_Shift, Qt::ShiftModifier)},
         {"k:WM_KEYDOWN 10", "k:WM_KEYDOWN 41", "k:WM_CHAR 41", "k:WM_KEYUP 41", "k:WM_KEYUP 10"}},
        {"F10 is a system key",
         {Key(P, Qt::Key_F10, Qt::NoModifier), Key(R, Qt::Key_F10, Qt::NoModifier)},
         {"k:WM_SYSKEYDOWN 79", "k:WM_SYSKEYUP 79"}},
        {"Alt+f",
         {Key(P, Qt::Key_Alt, Qt::NoModifier), Key(P, Qt::Key_F, Qt::AltModifier, "f"),
          Key(R, Qt::Key_F, Qt::AltModifier, "f"), Key(R, Qt::Key_Alt, Qt::AltModifier)},
         {"k:WM_SYSKEYDOWN 12 alt", "k:WM_SYSKEYDOWN 46 alt", "k:WM_SYSCHAR 66 alt", "k:WM_SYSKEYUP 46 alt",
          "k:WM_SYSKEYUP 12"}},
        {"Ctrl+c makes the control character",
         {Key(P, Qt::Key_Control, Qt::NoModifier), Key(P, Qt::Key_C, Qt::ControlModifier, "c"),
          Key(R, Qt::Key_C, Qt::ControlModifier), Key(R, Qt::Key_Control, Qt::ControlModifier)},
         {"k:WM_KEYDOWN 11", "k:WM_KEYDOWN 43", "k:WM_CHAR 03", "k:WM_KEYUP 43", "k:WM_KEYUP 11"}},
        {"keypad 7 with Num Lock",
         {Key(P, Qt::Key_7, Qt::KeypadModifier, "7"), Key(R, Qt::Key_7, Qt::KeypadModifier, "7")},
         {"k:WM_KEYDOWN 67", "k:WM_CHAR 37", "k:WM_KEYUP 67"}},
        {"keypad Home without Num Lock is not extended",
         {Key(P, Qt::Key_Home, Qt::KeypadModifier), Key(R, Qt::Key_Home, Qt::KeypadModifier)},
         {"k:WM_KEYDOWN 24", "k:WM_KEYUP 24"}},
        {"the Home key is extended",
         {Key(P, Qt::Key_Home, Qt::NoModifier), Key(R, Qt::Key_Home, Qt::NoModifier)},
         {"k:WM_KEYDOWN 24 ext", "k:WM_KEYUP 24 ext"}},
        {"keypad Enter and divide",
         {Key(P, Qt::Key_Enter, Qt::KeypadModifier, "\r"), Key(P, Qt::Key_Slash, Qt::KeypadModifier, "/")},
         {"k:WM_KEYDOWN 0D ext", "k:WM_CHAR 0D ext", "k:WM_KEYDOWN 6F ext", "k:WM_CHAR 2F ext"}},
        {"the context-menu key",
         {Key(P, Qt::Key_Menu, Qt::NoModifier), Key(R, Qt::Key_Menu, Qt::NoModifier)},
         {"k:WM_KEYDOWN 5D ext", "k:WM_KEYUP 5D ext", "k:WM_CONTEXTMENU keyboard"}},
        {"Shift+F10",
         {Key(P, Qt::Key_F10, Qt::ShiftModifier), Key(R, Qt::Key_F10, Qt::ShiftModifier)},
         {"k:WM_SYSKEYDOWN 79", "k:WM_SYSKEYUP 79", "k:WM_CONTEXTMENU keyboard"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch({WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_CONTEXTMENU});
        for (const TKey& k : c.Events)
            DeliverKey(top, k);
        PumpMessages();
        EXPECT_EQ(Trace(), c.Expected);
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
}

TEST_F(DesktopInputTest, KeyStateFollowsTheEvents) {
    HWND top = Make("k", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
    DeliverKey(top, Key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier));
    EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
    EXPECT_TRUE(IsKeyDown(VK_SHIFT));
    EXPECT_EQ(AsyncShiftState() & 1, 1u);
    DeliverKey(top, Key(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier));
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    // Caps Lock toggles on each press.
    for (int i = 0; i < 2; ++i) {
        DeliverKey(top, Key(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier));
        DeliverKey(top, Key(QEvent::KeyRelease, Qt::Key_CapsLock, Qt::NoModifier));
        EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, i == 0 ? 1 : 0);
    }
    std::uint8_t keys[256];
    GetKeyboardState(keys);
    EXPECT_EQ(keys[VK_SHIFT], 0x01);  // toggled once by its press, up now
    PumpMessages();
}

TEST_F(DesktopInputTest, InputMethodCommitsComeAsImeCharactersThenCharacters) {
    HWND top = Make("k", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
    SetFocus(top);
    Watch({WM_IME_CHAR, WM_CHAR});
    QInputMethodEvent e;
    e.setCommitString(QString::fromUtf8("\xc3\xa9\xf0\x9d\x84\x9e"));  // é and a character beyond 16 bits
    Deliver(top, e);
    PumpMessages();
    EXPECT_EQ(Trace(), (Strings{"k:WM_IME_CHAR 00E9", "k:WM_CHAR E9", "k:WM_IME_CHAR D834", "k:WM_CHAR D834",
                                "k:WM_IME_CHAR DD1E", "k:WM_CHAR DD1E"}));
}

void DeliverMouse(HWND top,
                  QEvent::Type type,
                  QPointF at,
                  Qt::MouseButton button,
                  Qt::MouseButtons buttons,
                  ulong time,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent e(type, at, at, button, buttons, modifiers);
    e.setTimestamp(time);
    QGuiApplication::sendEvent(DesktopWindowOf(top), &e);
}

TEST_F(DesktopInputTest, SecondPressesBecomeDoubleClicksOnlyForClassesThatAsk) {
    const auto P = QEvent::MouseButtonPress;
    const auto R = QEvent::MouseButtonRelease;
    struct Case {
        const char* Name;
        const char16_t* Class;
        QPointF SecondAt;
        ulong SecondTime;
        Strings Expected;
    };
    const Case cases[] = {
        {"class with double clicks",
         u"TracedDbl",
         {10, 10},
         1100,
         {"w:WM_LBUTTONDOWN 10,10 mk1", "w:WM_LBUTTONUP 10,10 mk0", "w:WM_LBUTTONDBLCLK 10,10 mk1",
          "w:WM_LBUTTONUP 10,10 mk0"}},
        {"class without",
         u"Traced",
         {10, 10},
         1100,
         {"w:WM_LBUTTONDOWN 10,10 mk1", "w:WM_LBUTTONUP 10,10 mk0", "w:WM_LBUTTONDOWN 10,10 mk1",
          "w:WM_LBUTTONUP 10,10 mk0"}},
        {"too late",
         u"TracedDbl",
         {10, 10},
         1000 + 5000,
         {"w:WM_LBUTTONDOWN 10,10 mk1", "w:WM_LBUTTONUP 10,10 mk0", "w:WM_LBUTTONDOWN 10,10 mk1",
          "w:WM_LBUTTONUP 10,10 mk0"}},
        {"too far",
         u"TracedDbl",
         {20, 10},
         1100,
         {"w:WM_LBUTTONDOWN 10,10 mk1", "w:WM_LBUTTONUP 10,10 mk0", "w:WM_LBUTTONDOWN 20,10 mk1",
          "w:WM_LBUTTONUP 20,10 mk0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        HWND w = Make("w", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100}, nullptr, c.Class);
        Watch({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
        DeliverMouse(w, P, {10, 10}, Qt::LeftButton, Qt::LeftButton, 1000);
        DeliverMouse(w, R, {10, 10}, Qt::LeftButton, Qt::NoButton, 1050);
        DeliverMouse(w, P, c.SecondAt, Qt::LeftButton, Qt::LeftButton, c.SecondTime);
        DeliverMouse(w, R, c.SecondAt, Qt::LeftButton, Qt::NoButton, c.SecondTime + 50);
        PumpMessages();
        EXPECT_EQ(Trace(), c.Expected);
        DestroyWindow(w);
    }
}

TEST_F(DesktopInputTest, MouseMessagesGoToTheChildUnderThePointerOrTheCapture) {
    HWND top = Make("top", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 200, 200});
    HWND child = Make("child", WS_CHILD | WS_VISIBLE, {50, 50, 150, 150}, top);
    SetFocus(child);
    Watch({WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU, WM_MOUSEWHEEL,
           WM_CAPTURECHANGED});
    DeliverMouse(top, QEvent::MouseButtonPress, {60, 70}, Qt::RightButton, Qt::RightButton, 1, Qt::ShiftModifier);
    DeliverMouse(top, QEvent::MouseButtonRelease, {60, 70}, Qt::RightButton, Qt::NoButton, 2);
    PumpMessages();
    // The cursor question goes to the parent first; the right button's
    // release asks for a context menu, which children pass up.
    EXPECT_EQ(Trace(),
              (Strings{"child:WM_NCHITTEST", "child:WM_SETCURSOR", "top:WM_SETCURSOR", "child:WM_NCHITTEST",
                       "child:WM_SETCURSOR", "top:WM_SETCURSOR", "child:WM_RBUTTONDOWN 10,20 mk6",
                       "child:WM_RBUTTONUP 10,20 mk0", "child:WM_CONTEXTMENU mouse", "top:WM_CONTEXTMENU mouse"}));

    // With the capture, the child hears of the pointer outside it too, in
    // its own coordinates, and nobody is asked about the cursor.
    SetCapture(child);
    Trace().clear();
    DeliverMouse(top, QEvent::MouseMove, {10, 5}, Qt::NoButton, Qt::NoButton, 3);
    PumpMessages();
    EXPECT_EQ(Trace(), (Strings{"child:WM_MOUSEMOVE -40,-45 mk0"}));
    ReleaseCapture();
    EXPECT_EQ(Trace().back(), "child:WM_CAPTURECHANGED");

    // The wheel turns in steps of 120 and goes to the focus.
    Trace().clear();
    QWheelEvent wheel({10, 10}, {10, 10}, QPoint(), QPoint(0, -240), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    Deliver(top, wheel);
    PumpMessages();
    // Its position is on the screen, where the desktop put the window.
    TPoint screen{10, 10};
    ClientToScreen(top, screen);
    ASSERT_EQ(Trace().size(), 1u);
    EXPECT_EQ(Trace()[0],
              "child:WM_MOUSEWHEEL " + std::to_string(screen.X) + "," + std::to_string(screen.Y) + " mk8 delta-240");
}

}  // namespace
