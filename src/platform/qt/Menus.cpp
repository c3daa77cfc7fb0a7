#include "platform/Menus.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/KeyState.h"
#include "platform/Regions.h"
#include "platform/Screen.h"
#include "platform/qt/Desktop.h"
#include "platform/qt/FrameDrawing.h"
#include "platform/qt/WindowObjects.h"

// Menus: the handle table, the item calls, the bar in a top-level window's
// frame and the modal loop that tracks the bar and the popup menus. Popup
// menus are top-level windows of the class "#32768" that this layer paints;
// the loop takes the queue's keyboard and mouse messages itself and
// dispatches everything else, so that windows keep painting and timers keep
// running while a menu is open.
namespace Platform {
namespace {

// Published system colour indexes the menus are painted in (with those of
// FrameDrawing.h).
constexpr int kColorMenu = 4;
constexpr int kColorMenuText = 7;
constexpr int kColorHighlight = 13;
constexpr int kColorHighlightText = 14;
// WM_MOUSEACTIVATE's answer that leaves activation where it is: a popup menu
// never takes it from its owner.
constexpr LRESULT kNoActivate = 3;
// The geometry of items: the bar's padding on each side of a title, a popup
// line, a separator line, the check-mark column, the gap before a shortcut
// and the submenu arrow's column, and the popup's border.
constexpr std::int32_t kBarPadding = 7;
constexpr std::int32_t kItemHeight = 20;
constexpr std::int32_t kSeparatorHeight = 8;
constexpr std::int32_t kCheckColumn = 20;
constexpr std::int32_t kShortcutGap = 24;
constexpr std::int32_t kArrowColumn = 16;
constexpr std::int32_t kBorder = 2;
constexpr std::uint32_t kNoCommand = 0xFFFFFFFF;

struct TMenuItem {
    unsigned Type = 0;
    unsigned State = 0;
    std::uint32_t Id = 0;
    HMENU Sub = nullptr;
    std::uintptr_t Data = 0;
    std::u16string Text;
    bool Measured = false;  // owner-drawn: Size holds the owner's answer
    TSize Size;
};

struct TMenuObject {
    bool Bar = false;
    std::vector<TMenuItem> Items;
};

struct TMenuTable {
    std::recursive_mutex Lock;
    std::map<HMENU, std::unique_ptr<TMenuObject>> Menus;
    std::uintptr_t Next = 0x20000;
};

TMenuTable& Table() {
    static auto* table = new TMenuTable;
    return *table;
}

TMenuObject* MenuOf(HMENU menu) {
    TMenuTable& t = Table();
    std::lock_guard<std::recursive_mutex> guard(t.Lock);
    auto found = t.Menus.find(menu);
    return found == t.Menus.end() ? nullptr : found->second.get();
}

HMENU NewMenu(bool bar) {
    TMenuTable& t = Table();
    std::lock_guard<std::recursive_mutex> guard(t.Lock);
    auto handle = reinterpret_cast<HMENU>(t.Next);
    t.Next += 4;
    auto object = std::make_unique<TMenuObject>();
    object->Bar = bar;
    t.Menus.emplace(handle, std::move(object));
    return handle;
}

// An item by position, or by command anywhere in the menu and its submenus
// (the first found, depth first, as the published calls search).
struct TFound {
    TMenuObject* Menu = nullptr;
    HMENU Handle = nullptr;
    std::size_t Index = 0;
};
TFound FindItem(HMENU menu, unsigned item, bool byPosition, int depth = 0) {
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr || depth > 16)
        return {};
    if (byPosition)
        return item < m->Items.size() ? TFound{m, menu, item} : TFound{};
    for (std::size_t i = 0; i < m->Items.size(); ++i) {
        const TMenuItem& it = m->Items[i];
        if (it.Sub == nullptr && (it.Type & MFT_SEPARATOR) == 0 && it.Id == item)
            return {m, menu, i};
        if (it.Sub != nullptr)
            if (TFound f = FindItem(it.Sub, item, false, depth + 1); f.Menu != nullptr)
                return f;
    }
    return {};
}

TMenuItem ItemFromFlags(unsigned flags, std::uintptr_t idOrSub, std::u16string_view text) {
    TMenuItem it;
    it.Type = flags & (MF_SEPARATOR | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK | MF_RIGHTJUSTIFY | MF_BITMAP);
    it.State = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    if ((flags & MF_POPUP) != 0) {
        it.Sub = reinterpret_cast<HMENU>(idOrSub);
        it.Id = kNoCommand;
    } else {
        it.Id = static_cast<std::uint32_t>(idOrSub);
    }
    if ((it.Type & (MF_SEPARATOR | MF_OWNERDRAW)) == 0)
        it.Text = text;
    return it;
}

void ApplyInfo(TMenuItem& it, const TMenuItemInfo& info) {
    if ((info.fMask & (MIIM_FTYPE | MIIM_TYPE)) != 0) {
        it.Type = info.fType;
        it.Measured = false;
    }
    if ((info.fMask & (MIIM_STRING | MIIM_TYPE)) != 0 && (it.Type & (MFT_SEPARATOR | MFT_OWNERDRAW)) == 0) {
        it.Text = info.dwTypeData;
        it.Measured = false;
    }
    if ((info.fMask & MIIM_STATE) != 0)
        it.State = info.fState;
    if ((info.fMask & MIIM_ID) != 0)
        it.Id = info.wID;
    if ((info.fMask & MIIM_SUBMENU) != 0)
        it.Sub = info.hSubMenu;
    if ((info.fMask & MIIM_DATA) != 0)
        it.Data = info.dwItemData;
}

bool IsSeparator(const TMenuItem& it) {
    return (it.Type & MFT_SEPARATOR) != 0;
}
bool IsGrayed(const TMenuItem& it) {
    return (it.State & (MF_GRAYED | MF_DISABLED)) != 0;
}

// The text without its "&" marks, and the mnemonic letter ("&&" is an
// ampersand); mnemonicAt is its place in the shown text, or npos.
std::u16string ShownText(std::u16string_view text, std::size_t* mnemonicAt = nullptr, char16_t* mnemonic = nullptr) {
    std::u16string out;
    if (mnemonicAt != nullptr)
        *mnemonicAt = std::u16string::npos;
    if (mnemonic != nullptr)
        *mnemonic = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&' && mnemonicAt != nullptr && *mnemonicAt == std::u16string::npos) {
                *mnemonicAt = out.size();
                if (mnemonic != nullptr)
                    *mnemonic = text[i];
            }
        }
        out += text[i];
    }
    return out;
}

char16_t FoldChar(char16_t c) {
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - u'a' + u'A');
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

char16_t MnemonicOf(const TMenuItem& it) {
    char16_t m = 0;
    std::size_t at = 0;
    ShownText(it.Text, &at, &m);
    return FoldChar(m);
}

// The label and the shortcut, split at the first tab.
void SplitLabel(const std::u16string& shown, std::u16string& label, std::u16string& shortcut) {
    const std::size_t tab = shown.find(u'\t');
    label = shown.substr(0, tab);
    shortcut = tab == std::u16string::npos ? std::u16string() : shown.substr(tab + 1);
}

HDC MeasureDc() {
    static HDC dc = [] {
        HDC d = CreateCompatibleDC(nullptr);
        SelectFont(d, StockSystemFont());
        return d;
    }();
    return dc;
}

std::int32_t TextWidth(std::u16string_view text) {
    return text.empty() ? 0 : GetTextExtentW(MeasureDc(), text).cx;
}

// ---------------------------------------------------------------- the bar

// The bar's items, left to right, in window coordinates of the top-level
// window (the bar's line lies just above the client area).
std::vector<TRect> BarLayout(TWindowObject* w) {
    std::vector<TRect> out;
    TMenuObject* m = MenuOf(w->Menu);
    if (m == nullptr)
        return out;
    const std::int32_t top = w->Client.Top - kMenuBarHeight;
    std::int32_t x = w->Client.Left;
    for (const TMenuItem& it : m->Items) {
        const std::int32_t width = IsSeparator(it) ? kBarPadding : TextWidth(ShownText(it.Text)) + 2 * kBarPadding;
        out.push_back({x, top, x + width, top + kMenuBarHeight});
        x += width;
    }
    return out;
}

void DrawMenuText(HDC dc, std::int32_t x, std::int32_t y, std::u16string_view text, TColorRef color) {
    std::size_t at = 0;
    const std::u16string shown = ShownText(text, &at);
    SetTextColor(dc, color);
    SetBkMode(dc, 1);  // transparent
    TextOutW(dc, x, y, shown);
    if (at != std::u16string::npos && at < shown.size()) {
        TTextMetrics tm;
        GetTextMetrics(MeasureDc(), tm);
        const std::int32_t ux = x + TextWidth(std::u16string_view(shown).substr(0, at));
        const std::int32_t uw = TextWidth(std::u16string_view(shown).substr(at, 1));
        HPEN pen = CreatePen(color, 1);
        HPEN old = SelectPen(dc, pen);
        MoveTo(dc, ux, y + tm.Ascent + 1);
        LineTo(dc, ux + uw, y + tm.Ascent + 1);
        SelectPen(dc, old);
        DeletePen(pen);
    }
}

std::int32_t TextTop(std::int32_t top, std::int32_t height) {
    TTextMetrics tm;
    GetTextMetrics(MeasureDc(), tm);
    return top + (height - tm.Height) / 2;
}

}  // namespace

std::int32_t MenuBarHeight(TWindowObject* w) {
    return w != nullptr && w->Parent == nullptr && (w->Style & WS_CHILD) == 0 && MenuOf(w->Menu) != nullptr
               ? kMenuBarHeight
               : 0;
}

int MenuBarItemAt(TWindowObject* w, TPoint screenPoint) {
    if (MenuBarHeight(w) == 0)
        return -1;
    const TPoint p{screenPoint.X - w->Rect.Left, screenPoint.Y - w->Rect.Top};
    const std::vector<TRect> items = BarLayout(w);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Contains(p.X, p.Y))
            return static_cast<int>(i);
    return -1;
}

int MenuBarHitTest(TWindowObject* w, TPoint screenPoint) {
    if (MenuBarHeight(w) == 0)
        return HTNOWHERE;
    const TPoint p{screenPoint.X - w->Rect.Left, screenPoint.Y - w->Rect.Top};
    const std::int32_t top = w->Client.Top - kMenuBarHeight;
    return p.Y >= top && p.Y < w->Client.Top && p.X >= w->Client.Left && p.X < w->Client.Right
               ? static_cast<int>(HTMENU)
               : static_cast<int>(HTNOWHERE);
}

void PaintMenuBar(TWindowObject* w) {
    if (MenuBarHeight(w) == 0 || w->Surface == nullptr || (w->Style & WS_VISIBLE) == 0)
        return;
    TMenuObject* m = MenuOf(w->Menu);
    const TRect line{w->Client.Left, w->Client.Top - kMenuBarHeight, w->Client.Right, w->Client.Top};
    {
        TSurfaceDC dc(w->Surface);
        SelectFont(dc, StockSystemFont());
        FillSysColor(dc, line, kColorMenu);
        const std::vector<TRect> items = BarLayout(w);
        for (std::size_t i = 0; i < items.size() && i < m->Items.size(); ++i) {
            const TMenuItem& it = m->Items[i];
            if (IsSeparator(it))
                continue;
            const bool hot = static_cast<int>(i) == w->MenuBarHot;
            if (hot)
                FillSysColor(dc, items[i], kColorHighlight);
            const TColorRef color = GetSysColor(hot            ? kColorHighlightText
                                                : IsGrayed(it) ? kColorGrayText
                                                               : kColorMenuText);
            DrawMenuText(dc, items[i].Left + kBarPadding, TextTop(items[i].Top, kMenuBarHeight), it.Text, color);
        }
    }
    w->FrameDirty = false;
    if (w->Desktop != nullptr)
        Desktop::Flush(w, line);
}

namespace {

// ---------------------------------------------------------------- the loop

struct TLevel {
    HMENU Menu = nullptr;
    HWND Window = nullptr;
    int Selected = -1;
    std::vector<TRect> Items;  // in the popup's client coordinates
    std::int32_t LabelWidth = 0;
};

struct TTracker {
    HWND Owner = nullptr;
    HMENU Bar = nullptr;   // null for TrackPopupMenu
    int BarSelected = -1;  // the bar's selected item
    bool System = false;   // the menu is the window's system menu
    bool Popup = false;    // started by TrackPopupMenu
    unsigned Flags = 0;
    std::vector<TLevel> Levels;  // the open popups, outermost first
    bool Done = false;
    bool Chosen = false;
    std::uint32_t Command = 0;
    bool ChoseFromSystem = false;
    bool PressedOnBar = false;  // the loop started with a press on a bar item
};

thread_local TTracker* t_tracker = nullptr;

void SendSelect(TTracker& t, HMENU menu, int index, bool byMouse) {
    if (!IsWindow(t.Owner))
        return;
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr || index < 0 || index >= static_cast<int>(m->Items.size()))
        return;
    const TMenuItem& it = m->Items[static_cast<std::size_t>(index)];
    unsigned flags = MF_HILITE | (it.Type & (MF_SEPARATOR | MF_OWNERDRAW | MF_BITMAP)) |
                     (it.State & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    if (it.Sub != nullptr)
        flags |= MF_POPUP;
    if (byMouse)
        flags |= MF_MOUSESELECT;
    if (t.System)
        flags |= MF_SYSMENU;
    const std::uint32_t item = it.Sub != nullptr ? static_cast<std::uint32_t>(index) : it.Id;
    SendMessage(t.Owner, WM_MENUSELECT, (item & 0xFFFF) | (static_cast<WPARAM>(flags & 0xFFFF) << 16),
                reinterpret_cast<LPARAM>(menu));
}

TWindowObject* OwnerObject(const TTracker& t) {
    return WindowOf(t.Owner);
}

void RepaintBar(TTracker& t) {
    if (TWindowObject* w = OwnerObject(t); w != nullptr && t.Bar != nullptr) {
        w->MenuBarHot = t.BarSelected;
        PaintMenuBar(w);
    }
}

// Lays out the level's items, asking the owner for the sizes of owner-drawn
// ones the first time; returns the popup's size.
TSize LayoutLevel(TTracker& t, TLevel& level) {
    TMenuObject* m = MenuOf(level.Menu);
    level.Items.clear();
    if (m == nullptr)
        return {0, 0};
    std::int32_t label = 0, shortcut = 0, ownerWidth = 0;
    for (TMenuItem& it : m->Items) {
        if ((it.Type & MFT_OWNERDRAW) != 0) {
            if (!it.Measured && IsWindow(t.Owner)) {
                TMeasureItemStruct mis{ODT_MENU, 0, it.Id, 0, 0, it.Data};
                SendMessage(t.Owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
                it.Size = {static_cast<std::int32_t>(mis.itemWidth), static_cast<std::int32_t>(mis.itemHeight)};
                it.Measured = true;
            }
            ownerWidth = std::max(ownerWidth, it.Size.cx);
            continue;
        }
        std::u16string l, s;
        SplitLabel(ShownText(it.Text), l, s);
        label = std::max(label, TextWidth(l));
        shortcut = std::max(shortcut, TextWidth(s));
    }
    level.LabelWidth = label;
    const std::int32_t width =
        std::max(kCheckColumn + label + (shortcut > 0 ? kShortcutGap + shortcut : 0) + kArrowColumn,
                 kCheckColumn + ownerWidth) +
        2 * kBorder;
    std::int32_t y = kBorder;
    for (const TMenuItem& it : m->Items) {
        const std::int32_t h = (it.Type & MFT_OWNERDRAW) != 0 ? std::max<std::int32_t>(1, it.Size.cy)
                               : IsSeparator(it)              ? kSeparatorHeight
                                                              : kItemHeight;
        level.Items.push_back({kBorder, y, width - kBorder, y + h});
        y += h;
    }
    return {width, y + kBorder};
}

TLevel* LevelOfWindow(HWND window) {
    if (t_tracker == nullptr)
        return nullptr;
    for (TLevel& l : t_tracker->Levels)
        if (l.Window == window)
            return &l;
    return nullptr;
}

void DrawCheck(HDC dc, const TRect& cell, bool radio, TColorRef color) {
    const std::int32_t cx = (cell.Left + cell.Right) / 2;
    const std::int32_t cy = (cell.Top + cell.Bottom) / 2;
    if (radio) {
        const TPoint dot[] = {{cx - 1, cy - 3}, {cx + 2, cy - 3}, {cx + 3, cy - 1}, {cx + 3, cy + 2},
                              {cx + 2, cy + 3}, {cx - 1, cy + 3}, {cx - 2, cy + 2}, {cx - 2, cy - 1}};
        FillPolygon(dc, dot, 8, color);
        return;
    }
    HPEN pen = CreatePen(color, 1);
    HPEN oldPen = SelectPen(dc, pen);
    const TPoint tick[] = {{cx - 4, cy}, {cx - 2, cy + 2}, {cx + 4, cy - 4}};
    for (int pass = 0; pass < 2; ++pass) {
        MoveTo(dc, tick[0].X, tick[0].Y + pass);
        LineTo(dc, tick[1].X, tick[1].Y + pass);
        LineTo(dc, tick[2].X, tick[2].Y + pass);
    }
    SelectPen(dc, oldPen);
    DeletePen(pen);
}

void PaintLevel(HWND window, HDC dc) {
    TLevel* level = LevelOfWindow(window);
    TRect client;
    GetClientRect(window, client);
    FillSysColor(dc, client, kColorMenu);
    FrameSysColor(dc, client, kColorBtnShadow);
    TMenuObject* m = level != nullptr ? MenuOf(level->Menu) : nullptr;
    if (m == nullptr)
        return;
    SelectFont(dc, StockSystemFont());
    for (std::size_t i = 0; i < m->Items.size() && i < level->Items.size(); ++i) {
        const TMenuItem& it = m->Items[i];
        const TRect& r = level->Items[i];
        const bool selected = static_cast<int>(i) == level->Selected && !IsSeparator(it);
        if ((it.Type & MFT_OWNERDRAW) != 0) {
            TDrawItemStruct dis;
            dis.itemID = it.Id;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (selected ? ODS_SELECTED : 0u) | (IsGrayed(it) ? ODS_GRAYED : 0u) |
                            ((it.State & MF_CHECKED) != 0 ? ODS_CHECKED : 0u);
            dis.hwndItem = level->Menu;
            dis.hDC = dc;
            dis.rcItem = r;
            dis.itemData = it.Data;
            if (t_tracker != nullptr && IsWindow(t_tracker->Owner))
                SendMessage(t_tracker->Owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
            continue;
        }
        if (IsSeparator(it)) {
            const std::int32_t y = (r.Top + r.Bottom) / 2;
            FillSysColor(dc, {r.Left + 1, y, r.Right - 1, y + 1}, kColorBtnShadow);
            continue;
        }
        if (selected)
            FillSysColor(dc, r, kColorHighlight);
        const TColorRef color = GetSysColor(selected       ? kColorHighlightText
                                            : IsGrayed(it) ? kColorGrayText
                                                           : kColorMenuText);
        if ((it.State & MF_CHECKED) != 0)
            DrawCheck(dc, {r.Left, r.Top, r.Left + kCheckColumn, r.Bottom}, (it.Type & MFT_RADIOCHECK) != 0, color);
        std::u16string label, shortcut;
        SplitLabel(it.Text, label, shortcut);
        const std::int32_t ty = TextTop(r.Top, r.Height());
        DrawMenuText(dc, r.Left + kCheckColumn, ty, label, color);
        if (!shortcut.empty())
            DrawMenuText(dc, r.Left + kCheckColumn + level->LabelWidth + kShortcutGap, ty, shortcut, color);
        if (it.Sub != nullptr) {
            const std::int32_t ax = r.Right - kArrowColumn / 2 - 2;
            const std::int32_t ay = (r.Top + r.Bottom) / 2;
            const TPoint arrow[] = {{ax, ay - 4}, {ax + 4, ay}, {ax, ay + 4}};
            FillPolygon(dc, arrow, 3, color);
        }
    }
}

LRESULT PopupMenuProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            TPaintStruct ps;
            HDC dc = BeginPaint(window, ps);
            if (dc != nullptr)
                PaintLevel(window, dc);
            EndPaint(window, ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            return kNoActivate;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

const char16_t* PopupClass() {
    static const bool registered = [] {
        TWndClass wc;
        wc.style = CS_SAVEBITS;
        wc.lpfnWndProc = &PopupMenuProc;
        wc.lpszClassName = u"#32768";
        return RegisterClass(wc) != 0;
    }();
    (void)registered;
    return u"#32768";
}

void RepaintLevel(const TLevel& level) {
    if (IsWindow(level.Window)) {
        InvalidateRect(level.Window, nullptr, false);
        UpdateWindow(level.Window);
    }
}

// Keeps the popup on the monitor: it flips to the other side of its anchor
// when it would run off the right or the bottom edge.
TRect PlacePopup(TSize size, TPoint at, std::int32_t flipLeft, std::int32_t flipUp) {
    TMonitorInfo mi;
    GetMonitorInfo(MonitorFromPoint(at), mi);
    const TRect work = mi.rcWork;
    TRect r{at.X, at.Y, at.X + size.cx, at.Y + size.cy};
    if (r.Right > work.Right && flipLeft - size.cx >= work.Left)
        r = TRect{flipLeft - size.cx, r.Top, flipLeft, r.Bottom};
    if (r.Bottom > work.Bottom && flipUp - size.cy >= work.Top)
        r = TRect{r.Left, flipUp - size.cy, r.Right, flipUp};
    const std::int32_t dx = std::min(0, work.Right - r.Right) + std::max(0, work.Left - r.Left);
    const std::int32_t dy = std::min(0, work.Bottom - r.Bottom) + std::max(0, work.Top - r.Top);
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// Opens a popup level: the owner hears WM_INITMENUPOPUP first, so that it
// can still change the items. place is the popup's top-left corner; the
// flip values are the edges it goes to the other side of.
void OpenLevel(TTracker& t, HMENU menu, int index, TPoint place, std::int32_t flipLeft, std::int32_t flipUp) {
    if (MenuOf(menu) == nullptr)
        return;
    if (IsWindow(t.Owner) && (t.Flags & TPM_NONOTIFY) == 0)
        SendMessage(t.Owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                    MakeLParam(index, t.System && t.Levels.empty() ? 1 : 0));
    if (t.Done || MenuOf(menu) == nullptr)
        return;
    TLevel level;
    level.Menu = menu;
    const TSize size = LayoutLevel(t, level);
    const TRect r = PlacePopup(size, place, flipLeft, flipUp);
    t.Levels.push_back(level);
    HWND popup = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, PopupClass(), u"", WS_POPUP, r.Left, r.Top, r.Width(),
                                r.Height(), t.Owner, 0, nullptr);
    t.Levels.back().Window = popup;
    if (popup != nullptr)
        SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CloseLevelsFrom(TTracker& t, std::size_t from) {
    while (t.Levels.size() > from) {
        TLevel level = t.Levels.back();
        t.Levels.pop_back();
        if (IsWindow(level.Window))
            DestroyWindow(level.Window);
        if (IsWindow(t.Owner) && (t.Flags & TPM_NONOTIFY) == 0)
            SendMessage(t.Owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(level.Menu),
                        t.System && t.Levels.empty() ? (static_cast<LPARAM>(MF_SYSMENU) << 16) : 0);
    }
}

TMenuItem* SelectedItem(TTracker& t, const TLevel& level) {
    TMenuObject* m = MenuOf(level.Menu);
    if (m == nullptr || level.Selected < 0 || level.Selected >= static_cast<int>(m->Items.size()))
        return nullptr;
    return &m->Items[static_cast<std::size_t>(level.Selected)];
}

void SelectInLevel(TTracker& t, std::size_t levelIndex, int index, bool byMouse) {
    TLevel& level = t.Levels[levelIndex];
    if (level.Selected == index)
        return;
    level.Selected = index;
    RepaintLevel(t.Levels[levelIndex]);
    if (index >= 0 && (t.Flags & TPM_NONOTIFY) == 0)
        SendSelect(t, t.Levels[levelIndex].Menu, index, byMouse);
}

// Opens the submenu of the selected item of the level.
void OpenSubmenu(TTracker& t, std::size_t levelIndex, bool selectFirst);

void OpenBarPopup(TTracker& t, bool selectFirst) {
    TMenuObject* bar = MenuOf(t.Bar);
    TWindowObject* w = OwnerObject(t);
    CloseLevelsFrom(t, 0);
    if (bar == nullptr || w == nullptr || t.BarSelected < 0 || t.BarSelected >= static_cast<int>(bar->Items.size()))
        return;
    const TMenuItem& it = bar->Items[static_cast<std::size_t>(t.BarSelected)];
    if (it.Sub == nullptr || IsGrayed(it))
        return;
    const std::vector<TRect> items = BarLayout(w);
    const TRect r = items[static_cast<std::size_t>(t.BarSelected)];
    OpenLevel(t, it.Sub, t.BarSelected, {w->Rect.Left + r.Left, w->Rect.Top + r.Bottom}, w->Rect.Left + r.Right,
              w->Rect.Top + r.Top);
    if (selectFirst && !t.Levels.empty()) {
        TMenuObject* m = MenuOf(t.Levels.back().Menu);
        for (std::size_t i = 0; m != nullptr && i < m->Items.size(); ++i)
            if (!IsSeparator(m->Items[i])) {
                SelectInLevel(t, t.Levels.size() - 1, static_cast<int>(i), false);
                break;
            }
    }
}

void OpenSubmenu(TTracker& t, std::size_t levelIndex, bool selectFirst) {
    CloseLevelsFrom(t, levelIndex + 1);
    TLevel& level = t.Levels[levelIndex];
    TMenuItem* it = SelectedItem(t, level);
    if (it == nullptr || it->Sub == nullptr || IsGrayed(*it))
        return;
    TRect wr;
    GetWindowRect(level.Window, wr);
    const TRect r = level.Items[static_cast<std::size_t>(level.Selected)];
    OpenLevel(t, it->Sub, level.Selected, {wr.Right - kBorder, wr.Top + r.Top - kBorder}, wr.Left + kBorder,
              wr.Top + r.Bottom + kBorder);
    if (selectFirst && t.Levels.size() > levelIndex + 1) {
        TMenuObject* m = MenuOf(t.Levels.back().Menu);
        for (std::size_t i = 0; m != nullptr && i < m->Items.size(); ++i)
            if (!IsSeparator(m->Items[i])) {
                SelectInLevel(t, t.Levels.size() - 1, static_cast<int>(i), false);
                break;
            }
    }
}

void SelectBar(TTracker& t, int index, bool open, bool byMouse) {
    if (t.BarSelected != index) {
        CloseLevelsFrom(t, 0);
        t.BarSelected = index;
        RepaintBar(t);
        if ((t.Flags & TPM_NONOTIFY) == 0)
            SendSelect(t, t.Bar, index, byMouse);
    }
    if (open && t.Levels.empty())
        OpenBarPopup(t, !byMouse);
}

void Choose(TTracker& t, const TMenuItem& it) {
    if (IsGrayed(it) || IsSeparator(it) || it.Sub != nullptr)
        return;
    t.Chosen = true;
    t.Command = it.Id;
    t.ChoseFromSystem = t.System;
    t.Done = true;
}

// Moves the selection of a popup level up or down, past separators.
void Step(TTracker& t, std::size_t levelIndex, int direction) {
    TMenuObject* m = MenuOf(t.Levels[levelIndex].Menu);
    if (m == nullptr || m->Items.empty())
        return;
    const int n = static_cast<int>(m->Items.size());
    int i = t.Levels[levelIndex].Selected;
    for (int tries = 0; tries < n; ++tries) {
        i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
        if (!IsSeparator(m->Items[static_cast<std::size_t>(i)])) {
            CloseLevelsFrom(t, levelIndex + 1);
            SelectInLevel(t, levelIndex, i, false);
            return;
        }
    }
}

void StepBar(TTracker& t, int direction) {
    TMenuObject* bar = MenuOf(t.Bar);
    if (bar == nullptr || bar->Items.empty())
        return;
    const bool wasOpen = !t.Levels.empty();
    const int n = static_cast<int>(bar->Items.size());
    int i = t.BarSelected;
    for (int tries = 0; tries < n; ++tries) {
        i = i < 0 ? 0 : (i + direction + n) % n;
        if (!IsSeparator(bar->Items[static_cast<std::size_t>(i)]))
            break;
    }
    SelectBar(t, i, wasOpen, false);
}

// The menu the keyboard works on: the innermost popup, or the bar.
HMENU KeyboardMenu(const TTracker& t) {
    return t.Levels.empty() ? t.Bar : t.Levels.back().Menu;
}

// An item picked in the keyboard's menu by position: a submenu opens, a
// command is chosen.
void Pick(TTracker& t, int index, bool execute) {
    if (t.Levels.empty()) {
        if (t.Bar == nullptr)
            return;
        SelectBar(t, index, false, false);
        TMenuObject* bar = MenuOf(t.Bar);
        if (!execute || bar == nullptr || index < 0 || index >= static_cast<int>(bar->Items.size()))
            return;
        const TMenuItem& it = bar->Items[static_cast<std::size_t>(index)];
        if (it.Sub != nullptr)
            OpenBarPopup(t, true);
        else
            Choose(t, it);
        return;
    }
    const std::size_t li = t.Levels.size() - 1;
    CloseLevelsFrom(t, li + 1);
    SelectInLevel(t, li, index, false);
    if (!execute)
        return;
    if (TMenuItem* it = SelectedItem(t, t.Levels[li])) {
        if (it->Sub != nullptr)
            OpenSubmenu(t, li, true);
        else
            Choose(t, *it);
    }
}

void OnChar(TTracker& t, char16_t c) {
    const HMENU menu = KeyboardMenu(t);
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr)
        return;
    const char16_t key = FoldChar(c);
    const int current = t.Levels.empty() ? t.BarSelected : t.Levels.back().Selected;
    std::vector<int> matches;
    for (std::size_t i = 0; i < m->Items.size(); ++i)
        if (!IsSeparator(m->Items[i]) && MnemonicOf(m->Items[i]) == key && key != 0)
            matches.push_back(static_cast<int>(i));
    if (matches.size() == 1) {
        Pick(t, matches.front(), true);
        return;
    }
    if (matches.size() > 1) {
        // Several items share the letter: each press selects the next.
        int next = matches.front();
        for (int i : matches)
            if (i > current) {
                next = i;
                break;
            }
        Pick(t, next, false);
        return;
    }
    // No item has the letter: the owner may know one.
    unsigned flags = t.Levels.empty() ? 0u : static_cast<unsigned>(MF_POPUP);
    if (t.System)
        flags |= MF_SYSMENU;
    const LRESULT r = IsWindow(t.Owner) ? SendMessage(t.Owner, WM_MENUCHAR, c | (static_cast<WPARAM>(flags) << 16),
                                                      reinterpret_cast<LPARAM>(menu))
                                        : 0;
    switch (HiWord(static_cast<std::uintptr_t>(r))) {
        case MNC_CLOSE:
            t.Done = true;
            break;
        case MNC_EXECUTE:
            Pick(t, LoWord(static_cast<std::uintptr_t>(r)), true);
            break;
        case MNC_SELECT:
            Pick(t, LoWord(static_cast<std::uintptr_t>(r)), false);
            break;
        default:
            break;
    }
}

void OnKey(TTracker& t, int vk) {
    const bool inBar = t.Levels.empty();
    switch (vk) {
        case VK_ESCAPE:
            if (!t.Levels.empty() && (t.Levels.size() > 1 || t.Bar != nullptr))
                CloseLevelsFrom(t, t.Levels.size() - 1);
            else
                t.Done = true;
            break;
        case VK_MENU:
        case VK_F10:
            t.Done = true;
            break;
        case VK_UP:
        case VK_DOWN:
            if (inBar) {
                if (t.Bar != nullptr)
                    OpenBarPopup(t, true);
            } else {
                Step(t, t.Levels.size() - 1, vk == VK_DOWN ? 1 : -1);
            }
            break;
        case VK_LEFT:
            if (t.Levels.size() > 1)
                CloseLevelsFrom(t, t.Levels.size() - 1);
            else if (t.Bar != nullptr)
                StepBar(t, -1);
            break;
        case VK_RIGHT: {
            if (!inBar) {
                TMenuItem* it = SelectedItem(t, t.Levels.back());
                if (it != nullptr && it->Sub != nullptr && !IsGrayed(*it)) {
                    OpenSubmenu(t, t.Levels.size() - 1, true);
                    break;
                }
            }
            if (t.Bar != nullptr)
                StepBar(t, 1);
            break;
        }
        case VK_RETURN:
            if (inBar) {
                Pick(t, t.BarSelected, true);
            } else if (TMenuItem* it = SelectedItem(t, t.Levels.back())) {
                if (it->Sub != nullptr)
                    OpenSubmenu(t, t.Levels.size() - 1, true);
                else if (IsGrayed(*it))
                    t.Done = true;  // a grayed command closes the menu and does nothing
                else
                    Choose(t, *it);
            }
            break;
        default:
            break;
    }
}

// Where a screen point is: a popup level and item, or a bar item.
struct THit {
    int Level = -1;
    int Item = -1;
    int BarItem = -1;
};
THit HitAt(TTracker& t, TPoint screen) {
    THit hit;
    for (int li = static_cast<int>(t.Levels.size()) - 1; li >= 0; --li) {
        TLevel& level = t.Levels[static_cast<std::size_t>(li)];
        TRect wr;
        if (!GetWindowRect(level.Window, wr) || !wr.Contains(screen.X, screen.Y))
            continue;
        hit.Level = li;
        const TPoint p{screen.X - wr.Left, screen.Y - wr.Top};
        for (std::size_t i = 0; i < level.Items.size(); ++i)
            if (level.Items[i].Contains(p.X, p.Y))
                hit.Item = static_cast<int>(i);
        return hit;
    }
    if (t.Bar != nullptr)
        if (TWindowObject* w = OwnerObject(t))
            hit.BarItem = MenuBarItemAt(w, screen);
    return hit;
}

bool IsMouseMessage(std::uint32_t m) {
    return (m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) || (m >= WM_NCMOUSEMOVE && m <= WM_NCLBUTTONDBLCLK);
}

void OnMouse(TTracker& t, std::uint32_t message, TPoint screen) {
    const bool move = message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
    const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
                      message == WM_NCLBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_NCLBUTTONDBLCLK;
    const bool up = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_NCLBUTTONUP;
    const THit hit = HitAt(t, screen);
    if (hit.Level >= 0) {
        const auto li = static_cast<std::size_t>(hit.Level);
        if (move || down) {
            if (hit.Item >= 0 && t.Levels[li].Selected != hit.Item) {
                CloseLevelsFrom(t, li + 1);
                SelectInLevel(t, li, hit.Item, true);
                if (TMenuItem* it = SelectedItem(t, t.Levels[li]); it != nullptr && it->Sub != nullptr)
                    OpenSubmenu(t, li, false);
            }
            return;
        }
        if (up && hit.Item >= 0) {
            const bool rightOk = (t.Flags & TPM_RIGHTBUTTON) != 0 || !t.Popup;
            if (message == WM_RBUTTONUP && !rightOk)
                return;
            TMenuObject* m = MenuOf(t.Levels[li].Menu);
            if (m != nullptr && hit.Item < static_cast<int>(m->Items.size())) {
                const TMenuItem it = m->Items[static_cast<std::size_t>(hit.Item)];
                if (it.Sub == nullptr && !IsSeparator(it)) {
                    if (IsGrayed(it))
                        t.Done = true;
                    else
                        Choose(t, it);
                }
            }
        }
        return;
    }
    if (hit.BarItem >= 0) {
        if (move) {
            // Sliding along the bar follows the pointer while a popup is
            // open or the button is held.
            if (!t.Levels.empty() || t.PressedOnBar)
                SelectBar(t, hit.BarItem, true, true);
            return;
        }
        if (down) {
            if (hit.BarItem == t.BarSelected && !t.Levels.empty()) {
                t.Done = true;  // a second press on the open title closes the menu
                return;
            }
            t.PressedOnBar = true;
            SelectBar(t, hit.BarItem, true, true);
            return;
        }
        if (up) {
            t.PressedOnBar = false;
            TMenuObject* bar = MenuOf(t.Bar);
            if (bar != nullptr && hit.BarItem < static_cast<int>(bar->Items.size()) &&
                bar->Items[static_cast<std::size_t>(hit.BarItem)].Sub == nullptr)
                Choose(t, bar->Items[static_cast<std::size_t>(hit.BarItem)]);
        }
        return;
    }
    if (up)
        t.PressedOnBar = false;
    // A press anywhere else dismisses the menu.
    if (down)
        t.Done = true;
}

void RunLoop(TTracker& t) {
    while (!t.Done) {
        if (!IsWindow(t.Owner))
            break;
        TMsg msg;
        if (!PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            // The loop ends, and the program's own loop sees the quit.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            const int vk = static_cast<int>(msg.wParam);
            const bool repeat = (static_cast<std::uint32_t>(msg.lParam) & KF_REPEAT) != 0;
            if ((vk == VK_MENU || vk == VK_F10) && repeat)
                continue;
            const bool navigation = vk == VK_ESCAPE || vk == VK_MENU || vk == VK_F10 || vk == VK_UP || vk == VK_DOWN ||
                                    vk == VK_LEFT || vk == VK_RIGHT || vk == VK_RETURN;
            if (navigation)
                OnKey(t, vk);
            else
                TranslateMessage(msg);
            continue;
        }
        if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
            continue;
        if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
            OnChar(t, static_cast<char16_t>(msg.wParam));
            continue;
        }
        if (IsMouseMessage(msg.message)) {
            OnMouse(t, msg.message, msg.pt);
            continue;
        }
        DispatchMessage(msg);
    }
}

void PostChoice(const TTracker& t, std::uint32_t command) {
    if (!t.Chosen || !IsWindow(t.Owner))
        return;
    if (t.ChoseFromSystem)
        PostMessage(t.Owner, WM_SYSCOMMAND, command, 0);
    else
        PostMessage(t.Owner, WM_COMMAND, command & 0xFFFF, 0);
}

// The published items of a window's system menu.
HMENU MakeSystemMenu() {
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, SC_RESTORE, u"&Restore");
    AppendMenuW(m, MF_STRING, SC_MOVE, u"&Move");
    AppendMenuW(m, MF_STRING, SC_SIZE, u"&Size");
    AppendMenuW(m, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
    AppendMenuW(m, MF_STRING, SC_MAXIMIZE, u"Ma&ximize");
    AppendMenuW(m, MF_SEPARATOR, 0, u"");
    AppendMenuW(m, MF_STRING, SC_CLOSE, u"&Close\tAlt+F4");
    return m;
}

// The window's system menu, made on first use.
HMENU SystemMenuOf(TWindowObject* w) {
    if (w->SystemMenu == nullptr || !IsMenu(w->SystemMenu))
        w->SystemMenu = MakeSystemMenu();
    return w->SystemMenu;
}

}  // namespace

// ---------------------------------------------------------------- the calls

HMENU CreateMenu() {
    return NewMenu(true);
}

HMENU CreatePopupMenu() {
    return NewMenu(false);
}

bool IsMenu(HMENU menu) {
    return MenuOf(menu) != nullptr;
}

bool DestroyMenu(HMENU menu) {
    std::unique_ptr<TMenuObject> object;
    {
        TMenuTable& t = Table();
        std::lock_guard<std::recursive_mutex> guard(t.Lock);
        auto found = t.Menus.find(menu);
        if (found == t.Menus.end())
            return false;
        object = std::move(found->second);
        t.Menus.erase(found);
    }
    for (const TMenuItem& it : object->Items)
        if (it.Sub != nullptr)
            DestroyMenu(it.Sub);
    return true;
}

bool AppendMenuW(HMENU menu, unsigned flags, std::uintptr_t idOrSubMenu, std::u16string_view text) {
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr)
        return false;
    m->Items.push_back(ItemFromFlags(flags, idOrSubMenu, text));
    return true;
}

bool InsertMenuW(HMENU menu, unsigned position, unsigned flags, std::uintptr_t idOrSubMenu, std::u16string_view text) {
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr)
        return false;
    TMenuItem it = ItemFromFlags(flags & ~MF_BYPOSITION, idOrSubMenu, text);
    // An insertion before a command or past the end appends to the menu.
    TFound f = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr) {
        if ((flags & MF_BYPOSITION) == 0)
            return false;
        m->Items.push_back(std::move(it));
        return true;
    }
    f.Menu->Items.insert(f.Menu->Items.begin() + static_cast<std::ptrdiff_t>(f.Index), std::move(it));
    return true;
}

bool ModifyMenuW(HMENU menu, unsigned position, unsigned flags, std::uintptr_t idOrSubMenu, std::u16string_view text) {
    TFound f = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return false;
    TMenuItem& it = f.Menu->Items[f.Index];
    // A submenu replaced by something else is destroyed, as the item owned it.
    if (it.Sub != nullptr && ((flags & MF_POPUP) == 0 || reinterpret_cast<HMENU>(idOrSubMenu) != it.Sub)) {
        HMENU old = it.Sub;
        it.Sub = nullptr;
        DestroyMenu(old);
    }
    TMenuItem next = ItemFromFlags(flags & ~MF_BYPOSITION, idOrSubMenu, text);
    next.Data = it.Data;
    f = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return false;
    f.Menu->Items[f.Index] = std::move(next);
    return true;
}

bool InsertMenuItemW(HMENU menu, unsigned item, bool byPosition, const TMenuItemInfo& info) {
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr)
        return false;
    TMenuItem it;
    ApplyInfo(it, info);
    if ((info.fMask & MIIM_ID) == 0 && it.Sub != nullptr)
        it.Id = kNoCommand;
    TFound f = FindItem(menu, item, byPosition);
    if (f.Menu == nullptr) {
        if (!byPosition)
            return false;
        m->Items.push_back(std::move(it));
        return true;
    }
    f.Menu->Items.insert(f.Menu->Items.begin() + static_cast<std::ptrdiff_t>(f.Index), std::move(it));
    return true;
}

bool SetMenuItemInfoW(HMENU menu, unsigned item, bool byPosition, const TMenuItemInfo& info) {
    TFound f = FindItem(menu, item, byPosition);
    if (f.Menu == nullptr)
        return false;
    ApplyInfo(f.Menu->Items[f.Index], info);
    return true;
}

bool GetMenuItemInfoW(HMENU menu, unsigned item, bool byPosition, TMenuItemInfo& info) {
    TFound f = FindItem(menu, item, byPosition);
    if (f.Menu == nullptr)
        return false;
    const TMenuItem& it = f.Menu->Items[f.Index];
    if ((info.fMask & (MIIM_FTYPE | MIIM_TYPE)) != 0)
        info.fType = it.Type;
    if ((info.fMask & (MIIM_STRING | MIIM_TYPE)) != 0)
        info.dwTypeData = it.Text;
    if ((info.fMask & MIIM_STATE) != 0)
        info.fState = it.State;
    if ((info.fMask & MIIM_ID) != 0)
        info.wID = it.Id;
    if ((info.fMask & MIIM_SUBMENU) != 0)
        info.hSubMenu = it.Sub;
    if ((info.fMask & MIIM_DATA) != 0)
        info.dwItemData = it.Data;
    return true;
}

bool RemoveMenu(HMENU menu, unsigned position, unsigned flags) {
    TFound f = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return false;
    f.Menu->Items.erase(f.Menu->Items.begin() + static_cast<std::ptrdiff_t>(f.Index));
    return true;
}

bool DeleteMenu(HMENU menu, unsigned position, unsigned flags) {
    TFound f = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return false;
    const HMENU sub = f.Menu->Items[f.Index].Sub;
    f.Menu->Items.erase(f.Menu->Items.begin() + static_cast<std::ptrdiff_t>(f.Index));
    if (sub != nullptr)
        DestroyMenu(sub);
    return true;
}

int EnableMenuItem(HMENU menu, unsigned item, unsigned flags) {
    TFound f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return -1;
    TMenuItem& it = f.Menu->Items[f.Index];
    const int previous = static_cast<int>(it.State & (MF_GRAYED | MF_DISABLED));
    it.State = (it.State & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

int CheckMenuItem(HMENU menu, unsigned item, unsigned flags) {
    TFound f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return -1;
    TMenuItem& it = f.Menu->Items[f.Index];
    const int previous = static_cast<int>(it.State & MF_CHECKED);
    it.State = (it.State & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

bool CheckMenuRadioItem(HMENU menu, unsigned first, unsigned last, unsigned check, unsigned flags) {
    const bool byPosition = (flags & MF_BYPOSITION) != 0;
    TFound f = FindItem(menu, byPosition ? check : first, byPosition);
    if (f.Menu == nullptr || first > last || check < first || check > last)
        return false;
    bool found = false;
    for (std::size_t i = 0; i < f.Menu->Items.size(); ++i) {
        TMenuItem& it = f.Menu->Items[i];
        const std::uint32_t key = byPosition ? static_cast<std::uint32_t>(i) : it.Id;
        if (IsSeparator(it) || it.Sub != nullptr || key < first || key > last)
            continue;
        if (key == check) {
            it.State |= MF_CHECKED;
            it.Type |= MFT_RADIOCHECK;
            found = true;
        } else {
            it.State &= ~MF_CHECKED;
        }
    }
    return found;
}

int GetMenuItemCount(HMENU menu) {
    TMenuObject* m = MenuOf(menu);
    return m == nullptr ? -1 : static_cast<int>(m->Items.size());
}

int GetMenuItemID(HMENU menu, int position) {
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr || position < 0 || position >= static_cast<int>(m->Items.size()))
        return -1;
    const TMenuItem& it = m->Items[static_cast<std::size_t>(position)];
    return it.Sub != nullptr ? -1 : static_cast<int>(it.Id);
}

HMENU GetSubMenu(HMENU menu, int position) {
    TMenuObject* m = MenuOf(menu);
    if (m == nullptr || position < 0 || position >= static_cast<int>(m->Items.size()))
        return nullptr;
    return m->Items[static_cast<std::size_t>(position)].Sub;
}

int GetMenuState(HMENU menu, unsigned item, unsigned flags) {
    TFound f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
    if (f.Menu == nullptr)
        return -1;
    const TMenuItem& it = f.Menu->Items[f.Index];
    const unsigned state = it.Type | it.State;
    if (it.Sub != nullptr)
        return static_cast<int>((state & 0xFF) | MF_POPUP |
                                (static_cast<unsigned>(std::max(0, GetMenuItemCount(it.Sub))) << 8));
    return static_cast<int>(state);
}

std::u16string GetMenuStringW(HMENU menu, unsigned item, unsigned flags) {
    TFound f = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
    return f.Menu == nullptr ? std::u16string() : f.Menu->Items[f.Index].Text;
}

bool SetMenu(HWND window, HMENU menu) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || (w->Style & WS_CHILD) != 0 || (menu != nullptr && !IsMenu(menu)))
        return false;
    w->Menu = menu;
    w->MenuBarHot = -1;
    w->FrameDirty = true;
    const TRect before = w->Client;
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if ((w = WindowOf(window)) == nullptr)
        return true;
    // The client area changed size though the window did not.
    if (w->Client.Width() != before.Width() || w->Client.Height() != before.Height()) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
        if (w->SizeReported)
            SendMessage(window, WM_SIZE, SIZE_RESTORED, MakeLParam(w->Client.Width(), w->Client.Height()));
        if ((w = WindowOf(window)) == nullptr)
            return true;
    }
    PaintMenuBar(w);
    return true;
}

HMENU GetMenu(HWND window) {
    TWindowObject* w = WindowOf(window);
    return w == nullptr || (w->Style & WS_CHILD) != 0 ? nullptr : w->Menu;
}

bool DrawMenuBar(HWND window) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || MenuBarHeight(w) == 0)
        return false;
    PaintMenuBar(w);
    return true;
}

bool GetMenuItemRect(HWND window, HMENU menu, unsigned position, TRect& out) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || menu == nullptr || menu != w->Menu)
        return false;
    const std::vector<TRect> items = BarLayout(w);
    if (position >= items.size())
        return false;
    const TRect& r = items[position];
    out = {r.Left + w->Rect.Left, r.Top + w->Rect.Top, r.Right + w->Rect.Left, r.Bottom + w->Rect.Top};
    return true;
}

int TrackPopupMenuEx(HMENU menu, unsigned flags, std::int32_t x, std::int32_t y, HWND owner, const TRect* exclude) {
    if (!IsMenu(menu) || !IsWindow(owner) || t_tracker != nullptr)
        return 0;
    TTracker t;
    t.Owner = owner;
    t.Popup = true;
    t.Flags = flags;
    if (TWindowObject* w = WindowOf(owner))
        t.System = w->SystemMenu == menu;
    // Measured first, so that the alignment flags can place the menu by its size.
    TLevel probe;
    probe.Menu = menu;
    std::uint32_t command = 0;
    {
        TTracker* outer = t_tracker;
        t_tracker = &t;
        const bool notify = (flags & TPM_NONOTIFY) == 0;
        if (notify) {
            SendMessage(owner, WM_ENTERMENULOOP, 1, 0);
            if (IsWindow(owner))
                SendMessage(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        }
        if (IsWindow(owner)) {
            if (notify)
                SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MakeLParam(0, t.System ? 1 : 0));
            const TSize size = LayoutLevel(t, probe);
            std::int32_t left = x, top = y;
            if ((flags & TPM_CENTERALIGN) != 0)
                left -= size.cx / 2;
            else if ((flags & TPM_RIGHTALIGN) != 0)
                left -= size.cx;
            if ((flags & TPM_VCENTERALIGN) != 0)
                top -= size.cy / 2;
            else if ((flags & TPM_BOTTOMALIGN) != 0)
                top -= size.cy;
            // The menu keeps off the rectangle the caller names: beside it,
            // or below it with TPM_VERTICAL.
            if (exclude != nullptr && left < exclude->Right && left + size.cx > exclude->Left &&
                top < exclude->Bottom && top + size.cy > exclude->Top) {
                if ((flags & TPM_VERTICAL) != 0)
                    top = exclude->Bottom;
                else
                    left = exclude->Right;
            }
            // The popup's WM_INITMENUPOPUP went out above; OpenLevel must
            // not send it again.
            t.Flags |= TPM_NONOTIFY;
            OpenLevel(t, menu, 0, {left, top}, left, top);
            t.Flags = flags;
            if (!t.Done && IsWindow(owner))
                RunLoop(t);
        }
        CloseLevelsFrom(t, 0);
        if (notify && IsWindow(owner)) {
            SendMessage(owner, WM_MENUSELECT, static_cast<WPARAM>(0xFFFF) << 16, 0);
            if (IsWindow(owner))
                SendMessage(owner, WM_EXITMENULOOP, 1, 0);
        }
        t_tracker = outer;
        command = t.Chosen ? t.Command : 0;
    }
    if ((flags & TPM_RETURNCMD) != 0)
        return static_cast<int>(command);
    if ((flags & TPM_NONOTIFY) == 0)
        PostChoice(t, command);
    return 1;
}

int TrackPopupMenu(HMENU menu, unsigned flags, std::int32_t x, std::int32_t y, HWND owner, const TRect* exclude) {
    return TrackPopupMenuEx(menu, flags, x, y, owner, exclude);
}

bool EndMenu() {
    if (t_tracker == nullptr)
        return false;
    t_tracker->Done = true;
    t_tracker->Chosen = false;
    PostThreadMessageToSelf(WM_NULL, 0, 0);
    return true;
}

HMENU GetSystemMenu(HWND window, bool revert) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr)
        return nullptr;
    if (revert) {
        if (w->SystemMenu != nullptr)
            DestroyMenu(w->SystemMenu);
        w->SystemMenu = nullptr;
        return nullptr;
    }
    return SystemMenuOf(w);
}

// ---------------------------------------------------------------- window hooks

void MenusWindowDestroyed(TWindowObject* w) {
    if (t_tracker != nullptr && t_tracker->Owner == w->Handle)
        t_tracker->Done = true;
    if (w->SystemMenu != nullptr)
        DestroyMenu(w->SystemMenu);
    w->SystemMenu = nullptr;
    // The bar belongs to the window and goes with it, as it would be lost
    // otherwise; a menu the program took back with SetMenu(null) is its own.
    if (w->Menu != nullptr && (w->Style & WS_CHILD) == 0)
        DestroyMenu(w->Menu);
    w->Menu = nullptr;
}

// The loop for the bar or the system menu: SC_KEYMENU with a character
// (Alt+letter; a space for the system menu) or without (Alt alone, F10),
// SC_MOUSEMENU with the press's screen point.
void MenuSysCommand(HWND window, WPARAM command, LPARAM lParam) {
    TWindowObject* w = WindowOf(window);
    if (w == nullptr || t_tracker != nullptr)
        return;
    // A child window's menu keys belong to its top-level window's bar.
    if ((w->Style & WS_CHILD) != 0) {
        HWND top = GetAncestor(window, GA_ROOT);
        if (top != nullptr && top != window)
            SendMessage(top, WM_SYSCOMMAND, command, lParam);
        return;
    }
    const bool mouse = (command & 0xFFF0) == SC_MOUSEMENU;
    const auto ch = static_cast<char16_t>(lParam);
    TTracker t;
    t.Owner = window;
    if (!mouse && ch == u' ') {
        // Alt+Space: the system menu drops from the window's top-left corner.
        const HMENU system = SystemMenuOf(w);
        t.System = true;
        std::uint32_t chosen = 0;
        {
            TTracker* outer = t_tracker;
            t_tracker = &t;
            SendMessage(window, WM_ENTERMENULOOP, 0, 0);
            if (IsWindow(window))
                SendMessage(window, WM_INITMENU, reinterpret_cast<WPARAM>(system), 0);
            if (TWindowObject* again = WindowOf(window)) {
                OpenLevel(t, system, 0, {again->Rect.Left, again->Rect.Top + again->Client.Top}, again->Rect.Left,
                          again->Rect.Top);
                if (!t.Levels.empty())
                    Step(t, 0, 1);
                RunLoop(t);
            }
            CloseLevelsFrom(t, 0);
            if (IsWindow(window)) {
                SendMessage(window, WM_MENUSELECT, static_cast<WPARAM>(0xFFFF) << 16, 0);
                if (IsWindow(window))
                    SendMessage(window, WM_EXITMENULOOP, 0, 0);
            }
            t_tracker = outer;
            chosen = t.Chosen ? t.Command : 0;
        }
        PostChoice(t, chosen);
        return;
    }
    if (MenuBarHeight(w) == 0 || GetMenuItemCount(w->Menu) <= 0)
        return;
    t.Bar = w->Menu;
    const HMENU bar = w->Menu;
    TTracker* outer = t_tracker;
    t_tracker = &t;
    SendMessage(window, WM_ENTERMENULOOP, 0, 0);
    if (IsWindow(window))
        SendMessage(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    if (IsWindow(window) && IsMenu(bar)) {
        if (mouse) {
            const TPoint at{XFromLParam(lParam), YFromLParam(lParam)};
            const int item = (w = WindowOf(window)) != nullptr ? MenuBarItemAt(w, at) : -1;
            if (item >= 0) {
                t.PressedOnBar = true;
                SelectBar(t, item, true, true);
            } else {
                t.Done = true;
            }
        } else if (ch != 0) {
            OnChar(t, ch);
            if (t.BarSelected < 0 && t.Levels.empty() && !t.Chosen)
                t.Done = true;  // no title has the letter: nothing opens
        } else {
            StepBar(t, 1);
        }
        if (!t.Done)
            RunLoop(t);
    }
    CloseLevelsFrom(t, 0);
    if (TWindowObject* still = WindowOf(window)) {
        still->MenuBarHot = -1;
        PaintMenuBar(still);
    }
    if (IsWindow(window)) {
        SendMessage(window, WM_MENUSELECT, static_cast<WPARAM>(0xFFFF) << 16, 0);
        if (IsWindow(window))
            SendMessage(window, WM_EXITMENULOOP, 0, 0);
    }
    t_tracker = outer;
    PostChoice(t, t.Chosen ? t.Command : 0);
}

bool MenuLoopRunning() {
    return t_tracker != nullptr;
}

}  // namespace Platform
