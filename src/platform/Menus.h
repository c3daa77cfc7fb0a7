#pragma once

#include <cstdint>
#include <string>

#include "platform/Windows.h"

// Menus in the model the toolkit is written against: menu handles holding
// items (commands, separators and submenus), a menu bar in the frame of a
// top-level window, popup menus tracked in a modal loop, and the messages
// that loop sends to the owner window. Numbers are the published Windows
// values.
//
// A menu belongs to no thread; a menu bar belongs to the window it is set
// on and is drawn by this layer above the window's client area. The loop
// runs on the owner window's thread and takes the keyboard and the mouse
// until a command is chosen or the menu is dismissed. Commands are posted
// to the owner as WM_COMMAND (WM_SYSCOMMAND for the system menu) after the
// loop has ended, unless TrackPopupMenu is asked to return them.
namespace Platform {

struct TMenuHandle;
using HMENU = TMenuHandle*;  // opaque; a destroyed handle is never reused

enum : std::uint32_t {
    WM_DRAWITEM = 0x002B,
    WM_MEASUREITEM = 0x002C,
    WM_COMMAND = 0x0111,
    WM_INITMENU = 0x0116,
    WM_INITMENUPOPUP = 0x0117,
    WM_MENUSELECT = 0x011F,
    WM_MENUCHAR = 0x0120,
    WM_UNINITMENUPOPUP = 0x0125,
    WM_ENTERMENULOOP = 0x0211,
    WM_EXITMENULOOP = 0x0212,
    WM_MDISETMENU = 0x0230,
    WM_MDIREFRESHMENU = 0x0234,
};

// Item flags of AppendMenu, InsertMenu, ModifyMenu and GetMenuState.
enum : unsigned {
    MF_BYCOMMAND = 0x0000,
    MF_STRING = 0x0000,
    MF_ENABLED = 0x0000,
    MF_UNCHECKED = 0x0000,
    MF_GRAYED = 0x0001,
    MF_DISABLED = 0x0002,
    MF_BITMAP = 0x0004,
    MF_CHECKED = 0x0008,
    MF_POPUP = 0x0010,
    MF_MENUBARBREAK = 0x0020,
    MF_MENUBREAK = 0x0040,
    MF_HILITE = 0x0080,
    MF_OWNERDRAW = 0x0100,
    MF_BYPOSITION = 0x0400,
    MF_SEPARATOR = 0x0800,
    MF_DEFAULT = 0x1000,
    MF_SYSMENU = 0x2000,
    MF_RIGHTJUSTIFY = 0x4000,
    MF_MOUSESELECT = 0x8000,
};
// Types and states of the item records.
enum : unsigned {
    MFT_STRING = 0x0000,
    MFT_OWNERDRAW = 0x0100,
    MFT_RADIOCHECK = 0x0200,
    MFT_SEPARATOR = 0x0800,
    MFT_RIGHTJUSTIFY = 0x4000,
    MFS_ENABLED = 0x0000,
    MFS_GRAYED = 0x0003,
    MFS_DISABLED = 0x0003,
    MFS_CHECKED = 0x0008,
    MFS_HILITE = 0x0080,
    MFS_DEFAULT = 0x1000,
};
// Which fields of TMenuItemInfo a call reads or fills.
enum : unsigned {
    MIIM_STATE = 0x0001,
    MIIM_ID = 0x0002,
    MIIM_SUBMENU = 0x0004,
    MIIM_TYPE = 0x0010,
    MIIM_DATA = 0x0020,
    MIIM_STRING = 0x0040,
    MIIM_FTYPE = 0x0100,
};
// TrackPopupMenu flags.
enum : unsigned {
    TPM_LEFTBUTTON = 0x0000,
    TPM_RIGHTBUTTON = 0x0002,
    TPM_LEFTALIGN = 0x0000,
    TPM_CENTERALIGN = 0x0004,
    TPM_RIGHTALIGN = 0x0008,
    TPM_TOPALIGN = 0x0000,
    TPM_VCENTERALIGN = 0x0010,
    TPM_BOTTOMALIGN = 0x0020,
    TPM_VERTICAL = 0x0040,
    TPM_NONOTIFY = 0x0080,
    TPM_RETURNCMD = 0x0100,
};
// WM_MENUCHAR answers (in the high word).
enum : unsigned { MNC_IGNORE = 0, MNC_CLOSE = 1, MNC_EXECUTE = 2, MNC_SELECT = 3 };
// System commands that start the menu loop, and the hit-test codes of the
// bar and the system menu box.
enum : std::uint32_t { SC_MOUSEMENU = 0xF090, SC_KEYMENU = 0xF100 };
enum : int { HTSYSMENU = 3, HTMENU = 5 };
// Owner-drawn items.
enum : unsigned { ODT_MENU = 1 };
enum : unsigned { ODA_DRAWENTIRE = 0x0001, ODA_SELECT = 0x0002 };
enum : unsigned { ODS_SELECTED = 0x0001, ODS_GRAYED = 0x0002, ODS_DISABLED = 0x0004, ODS_CHECKED = 0x0008 };

// The height of a menu bar line in pixels.
constexpr std::int32_t kMenuBarHeight = 20;

// The item record of InsertMenuItem, SetMenuItemInfo and GetMenuItemInfo;
// fMask tells which fields count. dwTypeData is the item's text, with "&"
// before the mnemonic letter and a tab before the shortcut shown on the
// right.
struct TMenuItemInfo {
    unsigned fMask = 0;
    unsigned fType = 0;
    unsigned fState = 0;
    std::uint32_t wID = 0;
    HMENU hSubMenu = nullptr;
    std::uintptr_t dwItemData = 0;
    std::u16string dwTypeData;
};
// WM_MEASUREITEM's lParam: the owner fills in the size.
struct TMeasureItemStruct {
    unsigned CtlType = ODT_MENU;
    unsigned CtlID = 0;
    std::uint32_t itemID = 0;
    std::uint32_t itemWidth = 0;
    std::uint32_t itemHeight = 0;
    std::uintptr_t itemData = 0;
};
// WM_DRAWITEM's lParam; hwndItem is the menu for menu items.
struct TDrawItemStruct {
    unsigned CtlType = ODT_MENU;
    unsigned CtlID = 0;
    std::uint32_t itemID = 0;
    unsigned itemAction = 0;
    unsigned itemState = 0;
    HMENU hwndItem = nullptr;
    HDC hDC = nullptr;
    TRect rcItem;
    std::uintptr_t itemData = 0;
};

HMENU CreateMenu();       // a menu bar
HMENU CreatePopupMenu();  // a menu that drops down or pops up
// Destroys the menu and its submenus; false for an unknown handle.
bool DestroyMenu(HMENU menu);
bool IsMenu(HMENU menu);

// For MF_POPUP, idOrSubMenu is the submenu's handle.
bool AppendMenuW(HMENU menu, unsigned flags, std::uintptr_t idOrSubMenu, std::u16string_view text);
bool InsertMenuW(HMENU menu, unsigned position, unsigned flags, std::uintptr_t idOrSubMenu, std::u16string_view text);
bool ModifyMenuW(HMENU menu, unsigned position, unsigned flags, std::uintptr_t idOrSubMenu, std::u16string_view text);
bool InsertMenuItemW(HMENU menu, unsigned item, bool byPosition, const TMenuItemInfo& info);
bool SetMenuItemInfoW(HMENU menu, unsigned item, bool byPosition, const TMenuItemInfo& info);
bool GetMenuItemInfoW(HMENU menu, unsigned item, bool byPosition, TMenuItemInfo& info);
// RemoveMenu keeps a submenu alive for the caller; DeleteMenu destroys it.
bool RemoveMenu(HMENU menu, unsigned position, unsigned flags);
bool DeleteMenu(HMENU menu, unsigned position, unsigned flags);
// The previous state (MF_GRAYED/MF_DISABLED or MF_CHECKED), -1 when there is
// no such item.
int EnableMenuItem(HMENU menu, unsigned item, unsigned flags);
int CheckMenuItem(HMENU menu, unsigned item, unsigned flags);
// Checks one item of the range with a radio mark and clears the others.
bool CheckMenuRadioItem(HMENU menu, unsigned first, unsigned last, unsigned check, unsigned flags);
int GetMenuItemCount(HMENU menu);  // -1 for an unknown menu
// The command of the item at the position; -1 for a submenu or none.
int GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
// The item's flags, with the submenu's item count in the high byte for a
// submenu; -1 when there is no such item.
int GetMenuState(HMENU menu, unsigned item, unsigned flags);
std::u16string GetMenuStringW(HMENU menu, unsigned item, unsigned flags);

// The menu bar of a top-level window: it takes its line above the client
// area (the client area shrinks, with WM_NCCALCSIZE and WM_SIZE).
bool SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
bool DrawMenuBar(HWND window);
// The bar's item rectangle in screen coordinates.
bool GetMenuItemRect(HWND window, HMENU menu, unsigned position, TRect& out);

// Shows the popup menu at the screen point and runs the loop. With
// TPM_RETURNCMD the chosen command is returned (0 for none) and nothing is
// posted; otherwise the command is posted to the owner and the result says
// whether the menu was shown.
int TrackPopupMenu(HMENU menu, unsigned flags, std::int32_t x, std::int32_t y, HWND owner, const TRect* exclude);
int TrackPopupMenuEx(HMENU menu, unsigned flags, std::int32_t x, std::int32_t y, HWND owner, const TRect* exclude);
bool EndMenu();  // ends the running loop with no command
// The window's copy of the system menu (made on first use); revert throws
// the copy away and returns null.
HMENU GetSystemMenu(HWND window, bool revert);

}  // namespace Platform
