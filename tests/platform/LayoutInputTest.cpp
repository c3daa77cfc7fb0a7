#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QInputMethodEvent>
#include <QtGui/QKeyEvent>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "WindowTrace.h"
#include "platform/KeyState.h"
#include "platform/KeyboardLayouts.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"

// Typing on a German layout, as the desktop delivers it: AltGr characters
// come as key events carrying their text, dead keys are composed by the
// input method and come as its commits.
namespace {

using namespace Platform;
using namespace WindowTrace;
using Strings = std::vector<std::string>;

class LayoutInputTest : public TWindowTest {
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
};

// One event the desktop delivers: a key press or release, or an input
// method event with a commit string (and no key).
struct TEvent {
    QEvent::Type Type;
    int Key = 0;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
    const char* Text = "";
};

TEST_F(LayoutInputTest, AltGrAndDeadKeysMakeTheirCharacters) {
    HWND top = Make("k", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
    SetFocus(top);
    const auto P = QEvent::KeyPress;
    const auto R = QEvent::KeyRelease;
    const auto IM = QEvent::InputMethod;
    const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    struct Case {
        const char* Name;
        std::vector<TEvent> Events;
        Strings Expected;
    };
    const std::vector<Case> cases = {
        // X reports AltGr as a key of its own and no modifier on the
        // character's key.
        {"AltGr+Q is @",
         {{P, Qt::Key_AltGr},
          {P, Qt::Key_At, Qt::NoModifier, "@"},
          {R, Qt::Key_At, Qt::NoModifier, "@"},
          {R, Qt::Key_AltGr}},
         {"k:WM_CHAR 40"}},
        {"AltGr+E is the euro sign", {{P, Qt::Key_E, Qt::NoModifier, "\xe2\x82\xac"}}, {"k:WM_CHAR 20AC"}},
        // Other desktops report AltGr as Control and Alt: still a character,
        // not a system key and not a control character.
        {"AltGr+7 as Control+Alt is a brace",
         {{P, Qt::Key_Control},
          {P, Qt::Key_Alt, Qt::ControlModifier},
          {P, Qt::Key_BraceLeft, ctrlAlt, "{"},
          {R, Qt::Key_BraceLeft, ctrlAlt, "{"},
          {R, Qt::Key_Alt, ctrlAlt},
          {R, Qt::Key_Control, Qt::ControlModifier}},
         {"k:WM_CHAR 7B"}},
        {"AltGr+Q as Control+Alt is @", {{P, Qt::Key_Q, ctrlAlt, "@"}}, {"k:WM_CHAR 40"}},
        // The dead key itself types nothing; the input method commits the
        // composed character.
        {"dead circumflex then e",
         {{P, Qt::Key_Dead_Circumflex}, {R, Qt::Key_Dead_Circumflex}, {IM, 0, Qt::NoModifier, "\xc3\xaa"}},
         {"k:WM_IME_CHAR 00EA", "k:WM_CHAR EA"}},
        {"dead circumflex then space is the circumflex",
         {{P, Qt::Key_Dead_Circumflex}, {IM, 0, Qt::NoModifier, "^"}},
         {"k:WM_IME_CHAR 005E", "k:WM_CHAR 5E"}},
        {"dead acute then a letter it does not combine with gives both",
         {{P, Qt::Key_Dead_Acute}, {IM, 0, Qt::NoModifier, "\xc2\xb4q"}},
         {"k:WM_IME_CHAR 00B4", "k:WM_CHAR B4", "k:WM_IME_CHAR 0071", "k:WM_CHAR 71"}},
        {"a composition still open commits nothing", {{IM, 0, Qt::NoModifier, ""}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch({WM_CHAR, WM_SYSCHAR, WM_IME_CHAR});
        for (const TEvent& e : c.Events) {
            if (e.Type == IM) {
                // Without a commit, the event only shows the composition so far.
                QInputMethodEvent im(*e.Text != '\0' ? QString() : QStringLiteral("^"), {});
                if (*e.Text != '\0')
                    im.setCommitString(QString::fromUtf8(e.Text));
                QGuiApplication::sendEvent(DesktopWindowOf(top), &im);
            } else {
                QKeyEvent k(e.Type, e.Key, e.Modifiers, QString::fromUtf8(e.Text));
                QGuiApplication::sendEvent(DesktopWindowOf(top), &k);
            }
            TMsg msg;
            while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(msg);
                DispatchMessage(msg);
            }
        }
        EXPECT_EQ(Trace(), c.Expected);
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
}

// The X desktop tells which physical key made a character (its X key code).
// On a German layout the key keeps the name of its place whatever AltGr or
// Shift make it type: AltGr+Q is still the Q key, not the US layout's '2'
// key that types '@'.
TEST_F(LayoutInputTest, KeysAreNamedByTheirPlaceOnTheActiveLayout) {
    if (TKeyboardMap::Compile({"de", ""}) == nullptr)
        GTEST_SKIP() << "the XKB keyboard data (xkb-data) is missing";
    const char* saved = std::getenv("XKB_DEFAULT_LAYOUT");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("XKB_DEFAULT_LAYOUT", "de", 1);
    HWND top = Make("k", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
    SetFocus(top);
    // X key codes: the Linux key numbers plus 8.
    struct Case {
        const char* Name;
        int Key;
        Qt::KeyboardModifiers Modifiers;
        std::uint32_t Code;
        const char* Text;
        Strings Expected;
    };
    const Case cases[] = {
        {"AltGr+Q is @ on the Q key", Qt::Key_At, Qt::NoModifier, 24, "@", {"k:WM_KEYDOWN 51", "k:WM_CHAR 40"}},
        {"AltGr+7 is a brace on the 7 key",
         Qt::Key_BraceLeft,
         Qt::NoModifier,
         16,
         "{",
         {"k:WM_KEYDOWN 37", "k:WM_CHAR 7B"}},
        {"Shift+7 is a slash on the 7 key",
         Qt::Key_Slash,
         Qt::ShiftModifier,
         16,
         "/",
         {"k:WM_KEYDOWN 37", "k:WM_CHAR 2F"}},
        {"the US Y key types z", Qt::Key_Z, Qt::NoModifier, 29, "z", {"k:WM_KEYDOWN 5A", "k:WM_CHAR 7A"}},
        {"AltGr+plus is a tilde on the plus key",
         Qt::Key_AsciiTilde,
         Qt::NoModifier,
         35,
         "~",
         {"k:WM_KEYDOWN BB", "k:WM_CHAR 7E"}},
        {"minus in the US slash place is the minus key",
         Qt::Key_Minus,
         Qt::NoModifier,
         61,
         "-",
         {"k:WM_KEYDOWN BD", "k:WM_CHAR 2D"}},
        // The German layout names the sharp s key VK_OEM_4 and the o umlaut
        // key VK_OEM_3, whatever the US layout has in their places.
        {"AltGr+sharp s is a backslash",
         Qt::Key_Backslash,
         Qt::NoModifier,
         20,
         "\\",
         {"k:WM_KEYDOWN DB", "k:WM_CHAR 5C"}},
        {"o umlaut sits in the US semicolon place",
         Qt::Key_Odiaeresis,
         Qt::NoModifier,
         47,
         "\xc3\xb6",
         {"k:WM_KEYDOWN C0", "k:WM_CHAR F6"}},
        {"AltGr+less is a bar on the 102nd key",
         Qt::Key_Bar,
         Qt::NoModifier,
         94,
         "|",
         {"k:WM_KEYDOWN E2", "k:WM_CHAR 7C"}},
        // Without the key's place the character's key stands in.
        {"no key code", Qt::Key_At, Qt::NoModifier, 0, "@", {"k:WM_KEYDOWN 32", "k:WM_CHAR 40"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Watch({WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR});
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent k(type, c.Key, c.Modifiers, c.Code, 0, 0, QString::fromUtf8(c.Text));
            QGuiApplication::sendEvent(DesktopWindowOf(top), &k);
            TMsg msg;
            while (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(msg);
                DispatchMessage(msg);
            }
        }
        EXPECT_EQ(Trace(), c.Expected);
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
    if (saved != nullptr)
        setenv("XKB_DEFAULT_LAYOUT", savedValue.c_str(), 1);
    else
        unsetenv("XKB_DEFAULT_LAYOUT");
}

// The punctuation keys get the virtual keys the Windows layouts of the same
// names give them, by their place: the same place has different names on
// different layouts, and the same character is on different keys.
TEST_F(LayoutInputTest, PunctuationKeysAreNamedAsTheirLayoutNamesThem) {
    if (TKeyboardMap::Compile({"de", ""}) == nullptr || TKeyboardMap::Compile({"fr", ""}) == nullptr ||
        TKeyboardMap::Compile({"gb", ""}) == nullptr)
        GTEST_SKIP() << "the XKB keyboard data (xkb-data) is missing";
    const char* saved = std::getenv("XKB_DEFAULT_LAYOUT");
    const std::string savedValue = saved != nullptr ? saved : "";
    // X key codes: the Linux key numbers plus 8.
    struct Case {
        const char* Layout;
        std::uint32_t Code;
        const char* Text;  // what the key types unshifted
        int Vk;
    };
    const Case cases[] = {
        {"us", 49, "`", VK_OEM_3},
        {"us", 20, "-", VK_OEM_MINUS},
        {"us", 21, "=", VK_OEM_PLUS},
        {"us", 34, "[", VK_OEM_4},
        {"us", 35, "]", VK_OEM_6},
        {"us", 51, "\\", VK_OEM_5},
        {"us", 47, ";", VK_OEM_1},
        {"us", 48, "'", VK_OEM_7},
        {"us", 59, ",", VK_OEM_COMMA},
        {"us", 60, ".", VK_OEM_PERIOD},
        {"us", 61, "/", VK_OEM_2},
        {"us", 94, "<", VK_OEM_102},
        {"de", 49, "^", VK_OEM_5},
        {"de", 20, "\xc3\x9f", VK_OEM_4},
        {"de", 21, "\xc2\xb4", VK_OEM_6},
        {"de", 34, "\xc3\xbc", VK_OEM_1},
        {"de", 35, "+", VK_OEM_PLUS},
        {"de", 51, "#", VK_OEM_2},
        {"de", 47, "\xc3\xb6", VK_OEM_3},
        {"de", 48, "\xc3\xa4", VK_OEM_7},
        {"de", 59, ",", VK_OEM_COMMA},
        {"de", 60, ".", VK_OEM_PERIOD},
        {"de", 61, "-", VK_OEM_MINUS},
        {"de", 94, "<", VK_OEM_102},
        {"de", 29, "z", 'Z'},
        {"fr", 49, "\xc2\xb2", VK_OEM_7},
        {"fr", 10, "&", '1'},
        {"fr", 11, "\xc3\xa9", '2'},
        {"fr", 19, "\xc3\xa0", '0'},
        {"fr", 20, ")", VK_OEM_4},
        {"fr", 21, "=", VK_OEM_PLUS},
        {"fr", 34, "^", VK_OEM_6},
        {"fr", 35, "$", VK_OEM_1},
        {"fr", 51, "*", VK_OEM_5},
        {"fr", 47, "m", 'M'},
        {"fr", 48, "\xc3\xb9", VK_OEM_3},
        {"fr", 58, ",", VK_OEM_COMMA},
        {"fr", 59, ";", VK_OEM_PERIOD},
        {"fr", 60, ":", VK_OEM_2},
        {"fr", 61, "!", VK_OEM_8},
        {"fr", 94, "<", VK_OEM_102},
        {"fr", 24, "a", 'A'},
        {"gb", 49, "`", VK_OEM_8},
        {"gb", 51, "#", VK_OEM_7},
        {"gb", 48, "'", VK_OEM_3},
        {"gb", 94, "\\", VK_OEM_5},
        {"gb", 20, "-", VK_OEM_MINUS},
        {"gb", 61, "/", VK_OEM_2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Layout) + " key " + std::to_string(c.Code));
        setenv("XKB_DEFAULT_LAYOUT", c.Layout, 1);
        HWND top = Make("k", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 100, 100});
        SetFocus(top);
        Watch({WM_KEYDOWN});
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent k(type, Qt::Key_unknown, Qt::NoModifier, c.Code, 0, 0, QString::fromUtf8(c.Text));
            QGuiApplication::sendEvent(DesktopWindowOf(top), &k);
        }
        PumpMessages();
        char expected[32];
        std::snprintf(expected, sizeof expected, "k:WM_KEYDOWN %02X", static_cast<unsigned>(c.Vk));
        EXPECT_EQ(Trace(), (Strings{expected}));
        DestroyWindow(top);
        std::uint8_t none[256] = {};
        SetKeyboardState(none);
    }
    if (saved != nullptr)
        setenv("XKB_DEFAULT_LAYOUT", savedValue.c_str(), 1);
    else
        unsetenv("XKB_DEFAULT_LAYOUT");
}

}  // namespace
