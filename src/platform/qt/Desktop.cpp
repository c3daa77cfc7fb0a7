#include "platform/qt/Desktop.h"

#include <QtCore/QAbstractEventDispatcher>
#include <QtCore/QCoreApplication>
#include <QtCore/QDateTime>
#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtGui/QBackingStore>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QInputMethodEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QScreen>
#include <QtGui/QStyleHints>
#include <QtGui/QWheelEvent>
#include <QtGui/QWindow>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/Bitmaps.h"
#include "platform/KeyState.h"
#include "platform/KeyboardLayouts.h"
#include "platform/MessageQueue.h"
#include "platform/Screen.h"
#include "platform/qt/DesktopWindow.h"
#include "platform/qt/DropTargets.h"
#include "platform/qt/WindowObjects.h"

namespace Platform {
namespace {

std::atomic<QAbstractEventDispatcher*> g_dispatcher{nullptr};
// The desktop window the pointer was last seen in: it shows the cursor.
QPointer<TDesktopWindow> g_pointerWindow;
QGuiApplication* g_app = nullptr;

// A compiled layout kept while its name stays the same.
const TKeyboardMap* CachedMap(const TKeyboardLayoutName& name) {
    struct TEntry {
        std::string Layout;
        std::string Variant;
        std::unique_ptr<TKeyboardMap> Map;
        bool Tried = false;
    };
    static std::vector<TEntry> entries;
    for (TEntry& e : entries)
        if (e.Layout == name.Layout && e.Variant == name.Variant)
            return e.Map.get();
    entries.push_back({name.Layout, name.Variant, TKeyboardMap::Compile(name), true});
    return entries.back().Map.get();
}

// The virtual key of the physical key (an X key code) on the active layout,
// as Windows names the keys of a layout: a letter or digit key by what it
// types without modifiers, the comma, full stop, minus and plus keys by
// their character, and the other punctuation keys by where they sit, with
// the US layout's names. Qt's key code tells the character typed, which
// with AltGr is another key's character (AltGr+Q types '@', the US '2').
// 0 when the key is not known.
// The virtual key of a punctuation key by its place: the US layout's name
// for the key in that place; 0 when the US layout has none there.
int UsPunctuationKey(std::uint8_t key) {
    const TKeyboardMap* us = CachedMap({"us", ""});
    if (us == nullptr)
        return 0;
    static const struct {
        char32_t Char;
        int Vk;
    } kUsPunctuation[] = {
        {U';', 0xBA}, {U'=', 0xBB}, {U',', 0xBC},  {U'-', 0xBD}, {U'.', 0xBE},  {U'/', 0xBF},
        {U'`', 0xC0}, {U'[', 0xDB}, {U'\\', 0xDC}, {U']', 0xDD}, {U'\'', 0xDE},
    };
    const char32_t usBase = us->CharOfKey(key, false);
    for (const auto& m : kUsPunctuation)
        if (m.Char == usBase)
            return m.Vk;
    return 0;
}

// The keys Windows names by their character on every layout.
int VirtualKeyOfNamedCharacter(char32_t c) {
    switch (c) {
        case U'+':
            return 0xBB;
        case U',':
            return 0xBC;
        case U'-':
            return 0xBD;
        case U'.':
            return 0xBE;
        default:
            return 0;
    }
}

// X key codes (the Linux key numbers plus 8) of the keys whose virtual key
// depends on the layout: the key left of 1, the digit row, the two keys
// right of 0, the two right of P, the one above Enter, the two right of L,
// the four left of right Shift, and the 102nd key left of Z.
enum : std::uint8_t {
    kKeyTilde = 49,
    kKey1 = 10,
    kKeyAfter0 = 20,
    kKeyAfter0Second = 21,
    kKeyAfterP = 34,
    kKeyAfterPSecond = 35,
    kKeyBackslash = 51,
    kKeyAfterL = 47,
    kKeyAfterLSecond = 48,
    kKeyAfterN = 58,
    kKeyComma = 59,
    kKeyPeriod = 60,
    kKeySlash = 61,
    kKey102 = 94,
};

struct TPlacedKey {
    std::uint8_t Code;
    std::uint8_t Vk;
};
struct TLayoutKeys {
    const char* Layout;
    std::vector<TPlacedKey> Keys;
};

// The virtual keys the Windows layouts of the same names give these keys
// (their published key tables). Letter keys are named by their letter on
// every layout and are not listed; nor are the digit keys where they type
// their digit.
const std::vector<TLayoutKeys>& LayoutKeyTables() {
    static const std::vector<TLayoutKeys> tables = {
        {"us",
         {{kKeyTilde, VK_OEM_3},
          {kKeyAfter0, VK_OEM_MINUS},
          {kKeyAfter0Second, VK_OEM_PLUS},
          {kKeyAfterP, VK_OEM_4},
          {kKeyAfterPSecond, VK_OEM_6},
          {kKeyBackslash, VK_OEM_5},
          {kKeyAfterL, VK_OEM_1},
          {kKeyAfterLSecond, VK_OEM_7},
          {kKeyComma, VK_OEM_COMMA},
          {kKeyPeriod, VK_OEM_PERIOD},
          {kKeySlash, VK_OEM_2},
          {kKey102, VK_OEM_102}}},
        {"de",
         {{kKeyTilde, VK_OEM_5},
          {kKeyAfter0, VK_OEM_4},
          {kKeyAfter0Second, VK_OEM_6},
          {kKeyAfterP, VK_OEM_1},
          {kKeyAfterPSecond, VK_OEM_PLUS},
          {kKeyBackslash, VK_OEM_2},
          {kKeyAfterL, VK_OEM_3},
          {kKeyAfterLSecond, VK_OEM_7},
          {kKeyComma, VK_OEM_COMMA},
          {kKeyPeriod, VK_OEM_PERIOD},
          {kKeySlash, VK_OEM_MINUS},
          {kKey102, VK_OEM_102}}},
        // The French digit row types punctuation and is still named by its
        // digits.
        {"fr",
         {{kKeyTilde, VK_OEM_7},
          {kKey1, '1'},
          {kKey1 + 1, '2'},
          {kKey1 + 2, '3'},
          {kKey1 + 3, '4'},
          {kKey1 + 4, '5'},
          {kKey1 + 5, '6'},
          {kKey1 + 6, '7'},
          {kKey1 + 7, '8'},
          {kKey1 + 8, '9'},
          {kKey1 + 9, '0'},
          {kKeyAfter0, VK_OEM_4},
          {kKeyAfter0Second, VK_OEM_PLUS},
          {kKeyAfterP, VK_OEM_6},
          {kKeyAfterPSecond, VK_OEM_1},
          {kKeyBackslash, VK_OEM_5},
          {kKeyAfterLSecond, VK_OEM_3},
          {kKeyAfterN, VK_OEM_COMMA},
          {kKeyComma, VK_OEM_PERIOD},
          {kKeyPeriod, VK_OEM_2},
          {kKeySlash, VK_OEM_8},
          {kKey102, VK_OEM_102}}},
        {"gb",
         {{kKeyTilde, VK_OEM_8},
          {kKeyAfter0, VK_OEM_MINUS},
          {kKeyAfter0Second, VK_OEM_PLUS},
          {kKeyAfterP, VK_OEM_4},
          {kKeyAfterPSecond, VK_OEM_6},
          {kKeyBackslash, VK_OEM_7},
          {kKeyAfterL, VK_OEM_1},
          {kKeyAfterLSecond, VK_OEM_3},
          {kKeyComma, VK_OEM_COMMA},
          {kKeyPeriod, VK_OEM_PERIOD},
          {kKeySlash, VK_OEM_2},
          {kKey102, VK_OEM_5}}},
    };
    return tables;
}

// The virtual key the table of a known layout gives the key; 0 when the
// layout or the key is not in the tables. Variants that only change what
// the dead keys do keep their layout's places.
int VirtualKeyOfListedKey(const TKeyboardLayoutName& name, std::uint8_t code) {
    static constexpr const char* kSamePlaces[] = {
        "", "nodeadkeys", "deadacute", "deadgraveacute", "intl", "alt-intl", "extd", "oss", "oss_nodeadkeys", "latin9",
    };
    bool samePlaces = false;
    for (const char* v : kSamePlaces)
        samePlaces = samePlaces || name.Variant == v;
    if (!samePlaces)
        return 0;
    for (const TLayoutKeys& t : LayoutKeyTables())
        if (name.Layout == t.Layout)
            for (const TPlacedKey& k : t.Keys)
                if (k.Code == code)
                    return k.Vk;
    return 0;
}

// The virtual key of the physical key (an X key code) on the active layout,
// as Windows names the keys of a layout: a letter key by its letter, the
// other keys of the layouts Windows has tables for as those tables name
// them; on other layouts, a digit key by its digit, the plus, comma, minus
// and full stop keys by
// their character, and the other punctuation keys by where they sit, with
// the US layout's names. A key whose US name went to a key named by its
// character takes that key's US name instead, so no two keys share a name.
// Qt's key code tells the character typed, which with AltGr is another
// key's character (AltGr+Q on a German layout types '@', the US '2').
// 0 when the key is not known.
int VirtualKeyOfPhysicalKey(std::uint32_t code) {
    if (code < 8 || code > 255)
        return 0;
    const std::vector<TKeyboardLayoutName> layouts = InstalledKeyboardLayouts();
    const int active = ActiveKeyboardLayoutIndex();
    if (layouts.empty() || active < 0 || active >= static_cast<int>(layouts.size()))
        return 0;
    const TKeyboardMap* map = CachedMap(layouts[static_cast<std::size_t>(active)]);
    if (map == nullptr)
        return 0;
    const auto key = static_cast<std::uint8_t>(code);
    const char32_t base = map->CharOfKey(key, false);
    if (base >= U'a' && base <= U'z')
        return static_cast<int>(base - U'a' + 'A');
    if (base >= U'A' && base <= U'Z')
        return static_cast<int>(base);
    if (const int listed = VirtualKeyOfListedKey(layouts[static_cast<std::size_t>(active)], key))
        return listed;
    if ((base >= U'A' && base <= U'Z') || (base >= U'0' && base <= U'9'))
        return static_cast<int>(base);
    if (const int named = VirtualKeyOfNamedCharacter(base))
        return named;
    // The key between left Shift and the letters on 102-key keyboards.
    constexpr std::uint32_t kLessGreaterKey = 94;
    if (code == kLessGreaterKey)
        return 0xE2;
    const int placed = UsPunctuationKey(key);
    static constexpr char32_t kNamed[] = {U'+', U',', U'-', U'.'};
    for (const char32_t c : kNamed) {
        std::uint8_t owner = 0;
        std::uint8_t state = 0;
        if (VirtualKeyOfNamedCharacter(c) == placed && map->KeyOfChar(c, owner, state) && state == 0 && owner != key)
            return UsPunctuationKey(owner);
    }
    return placed;
}

// Qt's key codes to virtual keys. Letters and digits are their own codes in
// both; the keypad is told by the keypad modifier. A key that types text is
// named by its physical key when the desktop tells which one it is.
int VirtualKeyOf(const QKeyEvent& e, bool& extended) {
    const int key = e.key();
    const bool keypad = (e.modifiers() & Qt::KeypadModifier) != 0;
    if (!keypad && !e.text().isEmpty() && e.text().at(0) >= QChar(0x21))
        if (const int vk = VirtualKeyOfPhysicalKey(e.nativeScanCode()))
            return vk;
    extended = false;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    struct TMap {
        int Qt;
        int Vk;
        bool Extended;
    };
    static const TMap kMap[] = {
        {Qt::Key_Backspace, VK_BACK, false},
        {Qt::Key_Tab, VK_TAB, false},
        {Qt::Key_Backtab, VK_TAB, false},
        {Qt::Key_Return, VK_RETURN, false},
        {Qt::Key_Enter, VK_RETURN, true},
        {Qt::Key_Shift, VK_SHIFT, false},
        {Qt::Key_Control, VK_CONTROL, false},
        {Qt::Key_Alt, VK_MENU, false},
        {Qt::Key_Pause, VK_PAUSE, false},
        {Qt::Key_CapsLock, VK_CAPITAL, false},
        {Qt::Key_Escape, VK_ESCAPE, false},
        {Qt::Key_Space, VK_SPACE, false},
        {Qt::Key_PageUp, VK_PRIOR, true},
        {Qt::Key_PageDown, VK_NEXT, true},
        {Qt::Key_End, VK_END, true},
        {Qt::Key_Home, VK_HOME, true},
        {Qt::Key_Left, VK_LEFT, true},
        {Qt::Key_Up, VK_UP, true},
        {Qt::Key_Right, VK_RIGHT, true},
        {Qt::Key_Down, VK_DOWN, true},
        {Qt::Key_Print, VK_SNAPSHOT, true},
        {Qt::Key_Insert, VK_INSERT, true},
        {Qt::Key_Delete, VK_DELETE, true},
        {Qt::Key_Help, VK_HELP, false},
        {Qt::Key_Menu, VK_APPS, true},
        {Qt::Key_NumLock, VK_NUMLOCK, true},
        {Qt::Key_ScrollLock, VK_SCROLL, false},
        {Qt::Key_Clear, VK_CLEAR, false},
    };
    for (const TMap& m : kMap) {
        if (m.Qt == key) {
            // The keypad's navigation keys (Num Lock off) are the plain,
            // not the extended, keys.
            extended = m.Extended && !(keypad && m.Vk != VK_RETURN && m.Vk != VK_NUMLOCK);
            return m.Vk;
        }
    }
    if (keypad) {
        switch (key) {
            case Qt::Key_Asterisk:
                return VK_MULTIPLY;
            case Qt::Key_Plus:
                return VK_ADD;
            case Qt::Key_Minus:
                return VK_SUBTRACT;
            case Qt::Key_Period:
            case Qt::Key_Comma:
                return VK_DECIMAL;
            case Qt::Key_Slash:
                extended = true;
                return VK_DIVIDE;
            default:
                break;
        }
    }
    // Punctuation of the US layout: the OEM keys, shifted or not.
    static const struct {
        int Qt;
        int Vk;
    } kOem[] = {
        {Qt::Key_Semicolon, 0xBA},    {Qt::Key_Colon, 0xBA},      {Qt::Key_Equal, 0xBB},
        {Qt::Key_Plus, 0xBB},         {Qt::Key_Comma, 0xBC},      {Qt::Key_Less, 0xBC},
        {Qt::Key_Minus, 0xBD},        {Qt::Key_Underscore, 0xBD}, {Qt::Key_Period, 0xBE},
        {Qt::Key_Greater, 0xBE},      {Qt::Key_Slash, 0xBF},      {Qt::Key_Question, 0xBF},
        {Qt::Key_QuoteLeft, 0xC0},    {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_BracketLeft, 0xDB},
        {Qt::Key_BraceLeft, 0xDB},    {Qt::Key_Backslash, 0xDC},  {Qt::Key_Bar, 0xDC},
        {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE},
        {Qt::Key_QuoteDbl, 0xDE},     {Qt::Key_Exclam, '1'},      {Qt::Key_At, '2'},
        {Qt::Key_NumberSign, '3'},    {Qt::Key_Dollar, '4'},      {Qt::Key_Percent, '5'},
        {Qt::Key_AsciiCircum, '6'},   {Qt::Key_Ampersand, '7'},   {Qt::Key_Asterisk, '8'},
        {Qt::Key_ParenLeft, '9'},     {Qt::Key_ParenRight, '0'},
    };
    for (const auto& m : kOem)
        if (m.Qt == key)
            return m.Vk;
    return 0;
}

unsigned MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

// The modifier keys follow the event's modifiers, except on the modifier's
// own event, whose modifiers tell the state before or after it.
void SyncModifiers(Qt::KeyboardModifiers modifiers, int ownKey) {
    if (ownKey != VK_SHIFT)
        RecordKey(VK_SHIFT, (modifiers & Qt::ShiftModifier) != 0);
    if (ownKey != VK_CONTROL)
        RecordKey(VK_CONTROL, (modifiers & Qt::ControlModifier) != 0);
    if (ownKey != VK_MENU)
        RecordKey(VK_MENU, (modifiers & Qt::AltModifier) != 0);
}

void WakeMainDispatcher() {
    if (QAbstractEventDispatcher* d = g_dispatcher.load())
        d->wakeUp();
}

}  // namespace

TDesktopWindow::TDesktopWindow(TWindowObject* window) : Window(window->Handle), Store(this) {
    setSurfaceType(QSurface::RasterSurface);
    // Popup menus (tool windows kept on top) float over their owner without
    // a frame and never take the focus from it.
    const std::uint32_t menuStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    if ((window->Style & WS_POPUP) != 0 && (window->ExStyle & menuStyle) == menuStyle)
        setFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    else
        setFlags(Qt::Window);
    // The desktop window shows the window rectangle: the client area and the
    // menu bar above it.
    const TRect& r = window->Rect;
    setGeometry(r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()));
}

QWindow* DesktopWindowOf(HWND window) {
    TWindowObject* w = WindowOf(window);
    return w == nullptr ? nullptr : w->Desktop;
}

void TDesktopWindow::PostMouse(std::uint32_t message, QPointF local, unsigned keyFlags, std::uint32_t time) {
    TWindowObject* top = WindowOf(Window);
    if (top == nullptr)
        return;
    const TPoint screen{top->Rect.Left + static_cast<std::int32_t>(local.x()),
                        top->Rect.Top + static_cast<std::int32_t>(local.y())};
    SetCursorPos(screen);
    HWND target = GetCapture();
    if (target == nullptr || GetAncestor(target, GA_ROOT) != Window)
        target = WindowFromPoint(screen);
    if (target == nullptr || GetAncestor(target, GA_ROOT) != Window)
        target = Window;
    if (!IsWindowEnabled(target))
        return;
    g_pointerWindow = this;
    LRESULT hit = HTCLIENT;
    if (GetCapture() == nullptr) {
        hit = SendMessage(target, WM_NCHITTEST, 0, MakeLParam(screen.X, screen.Y));
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                    MakeLParam(static_cast<int>(hit), static_cast<int>(message)));
    }
    if (!IsWindow(target))
        return;
    // The left button and the pointer's moves over a frame's scroll bar or
    // menu bar are the frame's own (non-client) messages, in screen
    // coordinates.
    if ((hit == HTVSCROLL || hit == HTHSCROLL || hit == HTMENU) &&
        (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) {
        const std::uint32_t nc = message == WM_MOUSEMOVE     ? WM_NCMOUSEMOVE
                                 : message == WM_LBUTTONDOWN ? WM_NCLBUTTONDOWN
                                                             : WM_NCLBUTTONUP;
        LastDown = {};
        PostInput({target, nc, static_cast<WPARAM>(hit), MakeLParam(screen.X, screen.Y), time, screen});
        return;
    }
    // A press in an inactive document window of an MDI client activates it
    // before the press arrives, as a press in a top-level window does.
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        for (HWND h = target; h != nullptr && h != Window; h = GetParent(h)) {
            if ((GetWindowLongPtr(h, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0) {
                SendMessage(h, WM_CHILDACTIVATE, 0, 0);
                break;
            }
        }
        if (!IsWindow(target))
            return;
    }
    // A second press of the same button soon enough and near enough becomes
    // a double click, for the classes that ask for them.
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        const bool isDouble = LastDown.Message == message && LastDown.Window == target &&
                              time - LastDown.Time <= Desktop::DoubleClickTimeMs() &&
                              std::abs(LastDown.Pos.X - screen.X) <= 2 && std::abs(LastDown.Pos.Y - screen.Y) <= 2;
        if (isDouble && (GetClassLongPtr(target, GCL_STYLE) & CS_DBLCLKS) != 0) {
            message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
            LastDown = {};
        } else {
            LastDown = {message, target, time, screen};
        }
    }
    TPoint inTarget = screen;
    ScreenToClient(target, inTarget);
    PostInput({target, message, keyFlags, MakeLParam(inTarget.X, inTarget.Y), time, screen});
}

void TDesktopWindow::PostKey(QKeyEvent* e, bool down) {
    bool extended = false;
    const int vk = VirtualKeyOf(*e, extended);
    if (vk == 0)
        return;
    SyncModifiers(e->modifiers(), vk);
    const bool wasDown = IsKeyDown(vk);
    RecordKey(vk, down);
    const bool alt = IsKeyDown(VK_MENU);
    const bool control = IsKeyDown(VK_CONTROL);
    // Alt (without Control, which with Alt is AltGr), F10 and Alt itself make
    // the system keys; Alt's own key-up is a system key too.
    const bool system = (alt && !control) || vk == VK_F10 || vk == VK_MENU;
    std::uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    std::uint32_t data = 1 | ((e->nativeScanCode() & 0xFF) << 16);
    if (extended)
        data |= KF_EXTENDED;
    if (alt && !control)
        data |= KF_ALTDOWN;
    if (down ? wasDown : true)
        data |= KF_REPEAT;
    if (!down)
        data |= KF_UP;
    HWND target = GetFocus();
    if (target == nullptr || GetAncestor(target, GA_ROOT) != Window)
        target = Window;
    const std::uint32_t time = static_cast<std::uint32_t>(e->timestamp());
    if (down) {
        // The character is settled now, while the key state is that of this
        // event: Control with a letter makes the control character whatever
        // text the desktop gives.
        const QString text = e->text();
        std::u16string chars(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
        if (control && !alt && vk >= 'A' && vk <= 'Z')
            chars = std::u16string(1, static_cast<char16_t>(vk - 'A' + 1));
        RememberKeyText(time, static_cast<WPARAM>(vk), std::move(chars));
    }
    PostInput({target, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(data), time, CursorPos()});
}

bool TDesktopWindow::event(QEvent* e) {
    if (DeliverDragEvent(Window, e))
        return true;
    switch (e->type()) {
        case QEvent::Expose:
            if (TWindowObject* w = WindowOf(Window); w != nullptr && isExposed())
                DesktopExposed(w);
            break;
        case QEvent::Resize:
            if (TWindowObject* w = WindowOf(Window)) {
                // A lent surface is re-made, with the store, by the window
                // layer when the window's size changes; resizing the store
                // here would free the memory it draws on.
                if (LentBits == nullptr)
                    Store.resize(size());
                DesktopResized(w, width(), height());
            }
            break;
        case QEvent::Move:
            if (TWindowObject* w = WindowOf(Window))
                DesktopMoved(w, x(), y());
            break;
        case QEvent::Close:
            e->ignore();
            PostMessage(Window, WM_CLOSE, 0, 0);
            return true;
        case QEvent::FocusIn:
            if (GetActiveWindow() != Window)
                SetActiveWindow(Window);
            break;
        case QEvent::FocusOut:
            // Focus gone to no window of ours: another program is active.
            if (QGuiApplication::focusWindow() == nullptr && GetActiveWindow() == Window)
                SetActiveWindow(nullptr);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(e);
            const bool press = e->type() == QEvent::MouseButtonPress;
            std::uint32_t message = 0;
            int vk = 0;
            switch (m->button()) {
                case Qt::LeftButton:
                    message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                    vk = VK_LBUTTON;
                    break;
                case Qt::RightButton:
                    message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                    vk = VK_RBUTTON;
                    break;
                case Qt::MiddleButton:
                    message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                    vk = VK_MBUTTON;
                    break;
                default:
                    return true;
            }
            RecordKey(vk, press);
            SyncModifiers(m->modifiers(), 0);
            PostMouse(message, m->position(), MouseKeyFlags(m->buttons(), m->modifiers()),
                      static_cast<std::uint32_t>(m->timestamp()));
            return true;
        }
        case QEvent::MouseButtonDblClick:
            // Double clicks are made from the presses, by the class's rule.
            return true;
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(e);
            PostMouse(WM_MOUSEMOVE, m->position(), MouseKeyFlags(m->buttons(), m->modifiers()),
                      static_cast<std::uint32_t>(m->timestamp()));
            return true;
        }
        case QEvent::Wheel: {
            auto* w = static_cast<QWheelEvent*>(e);
            // Qt's angle is in eighths of a degree, 120 to a notch, as the
            // wheel message counts.
            const int delta = w->angleDelta().y();
            if (delta == 0)
                return true;
            TRect frame;
            GetWindowRect(Window, frame);
            const TPoint screen{frame.Left + static_cast<std::int32_t>(w->position().x()),
                                frame.Top + static_cast<std::int32_t>(w->position().y())};
            HWND target = GetFocus() != nullptr ? GetFocus() : Window;
            const unsigned flags = MouseKeyFlags(w->buttons(), w->modifiers());
            PostInput({target, WM_MOUSEWHEEL,
                       static_cast<WPARAM>(flags | (static_cast<unsigned>(delta & 0xFFFF) << 16)),
                       MakeLParam(screen.X, screen.Y), static_cast<std::uint32_t>(w->timestamp()), screen});
            return true;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            PostKey(static_cast<QKeyEvent*>(e), e->type() == QEvent::KeyPress);
            return true;
        case QEvent::InputMethod: {
            auto* im = static_cast<QInputMethodEvent*>(e);
            const QString commit = im->commitString();
            HWND target = GetFocus() != nullptr ? GetFocus() : Window;
            for (QChar c : commit)
                PostInput({target, WM_IME_CHAR, c.unicode(), 1,
                           static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch()), CursorPos()});
            return true;
        }
        default:
            break;
    }
    return QWindow::event(e);
}

namespace Desktop {

bool Started() {
    return g_app != nullptr;
}

bool Ensure() {
    if (g_app != nullptr)
        return true;
    if (!IsMainThread())
        return false;
    if (QCoreApplication::instance() != nullptr) {
        g_app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    } else {
        // Without a display to talk to, Qt would end the program; tests and
        // machines without a desktop get the offscreen plugin instead.
        const bool noDisplay = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
        if ((std::getenv("REZ_HEADLESS") != nullptr || noDisplay) && std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "rezozuri";
        static char* argv[] = {name, nullptr};
        // Never destroyed: windows may outlive main() in static destructors.
        g_app = new QGuiApplication(argc, argv);
    }
    if (g_app == nullptr)
        return false;
    g_dispatcher.store(QAbstractEventDispatcher::instance());
    // Monitors feed the screen metrics the drawing code measures with.
    if (QScreen* s = QGuiApplication::primaryScreen())
        SetScreenMetrics(s->geometry().width(), s->geometry().height(),
                         static_cast<std::int32_t>(s->logicalDotsPerInch() + 0.5));
    return true;
}

TDesktopWindow* CreateWindowFor(TWindowObject* window) {
    if (!Ensure())
        return nullptr;
    auto* desktop = new TDesktopWindow(window);
    desktop->create();
    return desktop;
}

void DestroyWindow(TDesktopWindow* desktop) {
    delete desktop;
}

void SetVisible(TDesktopWindow* desktop, bool visible) {
    if (desktop != nullptr)
        desktop->setVisible(visible);
}

void SetGeometry(TDesktopWindow* desktop, const TRect& r) {
    if (desktop != nullptr && QRect(r.Left, r.Top, r.Width(), r.Height()) != desktop->geometry())
        desktop->setGeometry(r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()));
}

void SetTitle(TDesktopWindow* desktop, std::u16string_view title) {
    if (desktop != nullptr)
        desktop->setTitle(QString::fromUtf16(title.data(), static_cast<qsizetype>(title.size())));
}

void Raise(TDesktopWindow* desktop) {
    // The offscreen plugin keeps no stacking order (and says so on every call).
    if (desktop != nullptr && desktop->isVisible() && QGuiApplication::platformName() != QLatin1String("offscreen"))
        desktop->raise();
}

HBITMAP LendSurface(TDesktopWindow* desktop, std::int32_t width, std::int32_t height) {
    desktop->LentBits = nullptr;
    QBackingStore& store = desktop->Store;
    const QSize size(width, height);
    if (store.size() != size)
        store.resize(size);
    // The store makes its image when painting begins.
    const QRect all(QPoint(0, 0), size);
    store.beginPaint(QRegion(all));
    auto* image = dynamic_cast<QImage*>(store.paintDevice());
    HBITMAP bitmap = nullptr;
    // Our pixels are 0x00RRGGBB in native 32-bit words, as the 32-bit
    // formats keep them. The window asks for no alpha channel, so the window
    // system ignores the top byte even where the store's image has one (the
    // X11 plugin uses the premultiplied format for opaque windows too).
    const QImage::Format format = image != nullptr ? image->format() : QImage::Format_Invalid;
    const bool opaque32 = format == QImage::Format_RGB32 ||
                          ((format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_ARGB32) &&
                           desktop->requestedFormat().alphaBufferSize() <= 0);
    if (opaque32 && image->width() == width && image->height() == height &&
        image->bytesPerLine() == static_cast<qsizetype>(width) * 4) {
        auto* bits = reinterpret_cast<std::uint32_t*>(image->bits());
        bitmap = CreateBitmapOnMemory(bits, width, height);
        if (bitmap != nullptr)
            desktop->LentBits = bits;
    }
    store.endPaint();
    return bitmap;
}

void Flush(TWindowObject* window, const TRect& rect) {
    TDesktopWindow* desktop = window->Desktop;
    if (desktop == nullptr || window->Surface == nullptr || !desktop->isExposed())
        return;
    GdiFlush();
    TBitmapInfo info;
    if (!GetBitmapInfo(window->Surface, info) || info.Bits == nullptr)
        return;
    QBackingStore& store = desktop->Store;
    if (desktop->LentBits != nullptr && info.Bits == desktop->LentBits) {
        // The surface is the store's own image: the flush copies nothing.
        const QRect area = QRect(rect.Left, rect.Top, rect.Width(), rect.Height())
                               .intersected(QRect(QPoint(0, 0), QSize(info.Width, info.Height)));
        if (area.isEmpty())
            return;
        store.beginPaint(QRegion(area));
        store.endPaint();
        store.flush(QRegion(area));
        return;
    }
    if (store.size() != desktop->size())
        store.resize(desktop->size());
    const QRect area =
        QRect(rect.Left, rect.Top, rect.Width(), rect.Height()).intersected(QRect(QPoint(0, 0), desktop->size()));
    if (area.isEmpty())
        return;
    store.beginPaint(QRegion(area));
    if (auto* image = dynamic_cast<QImage*>(store.paintDevice())) {
        // Both sides hold 32-bit pixels with blue in the lowest byte.
        const int right = std::min({area.right() + 1, image->width(), info.Width});
        const int bottom = std::min({area.bottom() + 1, image->height(), info.Height});
        for (int y = area.top(); y < bottom; ++y) {
            const auto* src = info.Bits + static_cast<std::size_t>(y) * info.Width;
            auto* dst = reinterpret_cast<std::uint32_t*>(image->scanLine(y));
            for (int x = area.left(); x < right; ++x)
                dst[x] = src[x] | 0xFF000000u;
        }
    }
    store.endPaint();
    store.flush(QRegion(area));
}

void ProcessEvents(int timeoutMs) {
    if (g_app == nullptr)
        return;
    if (timeoutMs == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    static QTimer* timer = [] {
        auto* t = new QTimer;
        t->setSingleShot(true);
        return t;
    }();
    if (timeoutMs > 0)
        timer->start(timeoutMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    timer->stop();
}

void Wake() {
    WakeMainDispatcher();
}

std::vector<TMonitorInfo> Monitors() {
    std::vector<TMonitorInfo> out;
    if (!Started())
        Ensure();
    if (!Started()) {
        out.push_back({{0, 0, ScreenWidth(), ScreenHeight()}, {0, 0, ScreenWidth(), ScreenHeight()}, true});
        return out;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        const QRect a = s->availableGeometry();
        out.push_back({{g.left(), g.top(), g.right() + 1, g.bottom() + 1},
                       {a.left(), a.top(), a.right() + 1, a.bottom() + 1},
                       s == primary});
    }
    if (out.empty())
        out.push_back({{0, 0, ScreenWidth(), ScreenHeight()}, {0, 0, ScreenWidth(), ScreenHeight()}, true});
    return out;
}

std::uint32_t DoubleClickTimeMs() {
    if (!Started())
        return 500;
    return static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void ShowCursorShape(std::uintptr_t id) {
    static const struct {
        std::uintptr_t Id;
        Qt::CursorShape Shape;
    } kShapes[] = {
        {IDC_ARROW, Qt::ArrowCursor},        {IDC_IBEAM, Qt::IBeamCursor},     {IDC_WAIT, Qt::WaitCursor},
        {IDC_CROSS, Qt::CrossCursor},        {IDC_UPARROW, Qt::UpArrowCursor}, {IDC_SIZENWSE, Qt::SizeFDiagCursor},
        {IDC_SIZENESW, Qt::SizeBDiagCursor}, {IDC_SIZEWE, Qt::SizeHorCursor},  {IDC_SIZENS, Qt::SizeVerCursor},
        {IDC_SIZEALL, Qt::SizeAllCursor},    {IDC_NO, Qt::ForbiddenCursor},    {IDC_HAND, Qt::PointingHandCursor},
        {IDC_APPSTARTING, Qt::BusyCursor},   {IDC_HELP, Qt::WhatsThisCursor},
    };
    if (g_pointerWindow.isNull() || QThread::currentThread() != g_pointerWindow->thread())
        return;
    Qt::CursorShape shape = id == 0 ? Qt::BlankCursor : Qt::ArrowCursor;
    for (const auto& s : kShapes)
        if (s.Id == id)
            shape = s.Shape;
    if (g_pointerWindow->cursor().shape() != shape)
        g_pointerWindow->setCursor(shape);
}

}  // namespace Desktop
}  // namespace Platform
