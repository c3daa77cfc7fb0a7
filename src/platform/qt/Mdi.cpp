#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/Menus.h"
#include "platform/Windows.h"
#include "platform/qt/WindowObjects.h"

// The MDI client: a child window of the frame that keeps the document
// windows as its own children. It knows which of them is active and whether
// they are maximized, and arranges them; the frame and the document windows
// reach it through DefFrameProc and DefMDIChildProc.
namespace Platform {
namespace {

// The published system colour of the area behind the document windows,
// given as a class brush (index + 1).
constexpr int kColorAppWorkspace = 12;
// How far each cascaded window sits from the one behind it: about a caption.
constexpr std::int32_t kCascadeStep = 24;
// A minimized document window is a caption-high bar along the bottom of
// the client, as wide as a short title needs.
constexpr std::int32_t kIconWidth = 160;
constexpr std::int32_t kIconHeight = 24;
// The Window menu lists this many document windows by number.
constexpr int kListedWindows = 9;

struct TMdiClient {
    HWND Active = nullptr;
    bool Maximized = false;  // the document windows are shown maximized
    std::uint32_t FirstId = 0;
    int Created = 0;                 // for the places of windows that name none
    std::map<HWND, TRect> Restored;  // the rectangles of maximized windows
    std::map<HWND, TRect> Normal;    // the rectangles of minimized windows
    HMENU WindowMenu = nullptr;      // lists the document windows
    bool Listed = false;             // the list and its separator are in WindowMenu
};

// The clients' records, by window. A client is used only by its own
// thread, but clients of several threads share the table.
std::mutex g_lock;
std::unordered_map<HWND, TMdiClient>& Clients() {
    static auto* clients = new std::unordered_map<HWND, TMdiClient>;
    return *clients;
}

TMdiClient* ClientOf(HWND client) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto found = Clients().find(client);
    return found == Clients().end() ? nullptr : &found->second;
}

bool IsDocument(HWND client, HWND child) {
    return child != nullptr && IsWindow(child) && GetParent(child) == client &&
           (GetWindowLongPtr(child, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
}

// The document windows, topmost first.
std::vector<HWND> Documents(HWND client, bool visibleOnly) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(client, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (IsDocument(client, c) && (!visibleOnly || IsWindowVisible(c)))
            out.push_back(c);
    return out;
}

// The document windows in the order of their identifiers, which are kept
// running from idFirstChild without gaps.
std::vector<HWND> DocumentsById(HWND client) {
    std::vector<HWND> docs = Documents(client, false);
    std::stable_sort(docs.begin(), docs.end(),
                     [](HWND a, HWND b) { return GetWindowLongPtr(a, GWLP_ID) < GetWindowLongPtr(b, GWLP_ID); });
    return docs;
}

// Takes the list of document windows out of the Window menu: the items with
// the documents' identifiers and the separator this layer put before them.
void UnlistWindows(TMdiClient& state) {
    if (!state.Listed || !IsMenu(state.WindowMenu))
        return;
    state.Listed = false;
    int count = GetMenuItemCount(state.WindowMenu);
    int first = count;
    for (int i = count - 1; i >= 0; --i) {
        const int id = GetMenuItemID(state.WindowMenu, i);
        if (id < static_cast<int>(state.FirstId) || id >= static_cast<int>(state.FirstId) + kListedWindows)
            break;
        first = i;
    }
    for (int i = count - 1; i >= first; --i)
        RemoveMenu(state.WindowMenu, static_cast<unsigned>(i), MF_BYPOSITION);
    if (first > 0 &&
        (GetMenuState(state.WindowMenu, static_cast<unsigned>(first - 1), MF_BYPOSITION) & MF_SEPARATOR) != 0)
        RemoveMenu(state.WindowMenu, static_cast<unsigned>(first - 1), MF_BYPOSITION);
}

// Puts the list of document windows at the end of the Window menu: a
// separator, then "&1 title" and on, the active window checked.
void ListWindows(HWND client) {
    TMdiClient* state = ClientOf(client);
    if (state == nullptr)
        return;
    UnlistWindows(*state);
    if (!IsMenu(state->WindowMenu))
        return;
    const std::vector<HWND> docs = DocumentsById(client);
    if (docs.empty())
        return;
    AppendMenuW(state->WindowMenu, MF_SEPARATOR, 0, u"");
    int n = 0;
    for (HWND doc : docs) {
        if (n == kListedWindows)
            break;
        std::u16string text = {u'&', static_cast<char16_t>(u'1' + n), u' '};
        text.append(GetWindowText(doc));
        const unsigned checked = doc == state->Active ? MF_CHECKED : MF_UNCHECKED;
        AppendMenuW(state->WindowMenu, MF_STRING | checked, state->FirstId + static_cast<std::uint32_t>(n), text);
        ++n;
    }
    state->Listed = true;
}

// Gives the document windows the identifiers from idFirstChild on, in the
// order they had, after one of them went.
void Renumber(HWND client, HWND leaving) {
    TMdiClient* state = ClientOf(client);
    if (state == nullptr)
        return;
    std::uint32_t id = state->FirstId;
    for (HWND doc : DocumentsById(client))
        if (doc != leaving)
            SetWindowLongPtr(doc, GWLP_ID, static_cast<std::intptr_t>(id++));
}

TRect ClientArea(HWND client) {
    TRect r;
    GetClientRect(client, r);
    return r;
}

// Places a window so that its client area, not its frame, covers the rectangle.
void PlaceClientArea(HWND child, const TRect& area) {
    TWindowObject* w = WindowOf(child);
    if (w == nullptr)
        return;
    const TRect& c = w->Client;
    SetWindowPos(child, nullptr, area.Left - c.Left, area.Top - c.Top, area.Width() + w->Rect.Width() - c.Width(),
                 area.Height() + w->Rect.Height() - c.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Activate(HWND client, HWND child);

// Gives a maximized window its own rectangle back.
void Unmaximize(HWND client, HWND child) {
    TWindowObject* w = WindowOf(child);
    TMdiClient* state = ClientOf(client);
    if (w == nullptr || state == nullptr || (w->Style & WS_MAXIMIZE) == 0)
        return;
    w->Style &= ~WS_MAXIMIZE;
    const TRect r = state->Restored.count(child) != 0 ? state->Restored[child] : w->Rect;
    state->Restored.erase(child);
    if (child == state->Active)
        state->Maximized = false;
    SetWindowPos(child, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsMinimized(HWND child) {
    return (GetWindowLongPtr(child, GWL_STYLE) & WS_MINIMIZE) != 0;
}

// The place of the k-th icon: left to right along the bottom of the client,
// further rows above.
TRect IconSlot(const TRect& area, int k) {
    const int perRow = std::max(1, area.Width() / kIconWidth);
    const std::int32_t left = area.Left + (k % perRow) * kIconWidth;
    const std::int32_t bottom = area.Bottom - (k / perRow) * kIconHeight;
    return {left, bottom - kIconHeight, left + kIconWidth, bottom};
}

// The minimized windows in the order of their places: bottom row first,
// each row from the left.
std::vector<HWND> Icons(HWND client) {
    std::vector<std::pair<TRect, HWND>> placed;
    for (HWND c : Documents(client, false))
        if (IsMinimized(c)) {
            TWindowObject* w = WindowOf(c);
            placed.push_back({w != nullptr ? w->Rect : TRect{}, c});
        }
    std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
        if (a.first.Bottom != b.first.Bottom)
            return a.first.Bottom > b.first.Bottom;
        return a.first.Left < b.first.Left;
    });
    std::vector<HWND> out;
    for (const auto& p : placed)
        out.push_back(p.second);
    return out;
}

// Puts the icons in the places from the first on, in the order they stand.
bool ArrangeIcons(HWND client) {
    const std::vector<HWND> icons = Icons(client);
    const TRect area = ClientArea(client);
    for (std::size_t k = 0; k < icons.size(); ++k) {
        const TRect r = IconSlot(area, static_cast<int>(k));
        SetWindowPos(icons[k], nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return !icons.empty();
}

// The first place no icon takes.
TRect FreeIconSlot(HWND client, HWND except) {
    const TRect area = ClientArea(client);
    std::vector<TRect> taken;
    for (HWND c : Documents(client, false))
        if (c != except && IsMinimized(c))
            if (TWindowObject* w = WindowOf(c))
                taken.push_back(w->Rect);
    for (int k = 0;; ++k) {
        const TRect slot = IconSlot(area, k);
        if (std::find(taken.begin(), taken.end(), slot) == taken.end())
            return slot;
    }
}

// A minimized window goes to the first free place; the active one hands
// activation on to the topmost window that is not minimized.
void Minimize(HWND client, HWND child) {
    TWindowObject* w = WindowOf(child);
    TMdiClient* state = ClientOf(client);
    if (w == nullptr || state == nullptr || (w->Style & WS_MINIMIZE) != 0)
        return;
    TRect normal = w->Rect;
    if ((w->Style & WS_MAXIMIZE) != 0) {
        if (state->Restored.count(child) != 0)
            normal = state->Restored[child];
        state->Restored.erase(child);
        w->Style &= ~WS_MAXIMIZE;
        if (child == state->Active)
            state->Maximized = false;
    }
    state->Normal[child] = normal;
    w->Style |= WS_MINIMIZE;
    const TRect slot = FreeIconSlot(client, child);
    SetWindowPos(child, nullptr, slot.Left, slot.Top, slot.Width(), slot.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if ((state = ClientOf(client)) == nullptr || state->Active != child)
        return;
    for (HWND c : Documents(client, true))
        if (c != child && !IsMinimized(c)) {
            Activate(client, c);
            return;
        }
}

// A minimized window gets its rectangle back, a maximized one its own.
void Restore(HWND client, HWND child) {
    TWindowObject* w = WindowOf(child);
    TMdiClient* state = ClientOf(client);
    if (w == nullptr || state == nullptr)
        return;
    if ((w->Style & WS_MINIMIZE) == 0) {
        Unmaximize(client, child);
        return;
    }
    w->Style &= ~WS_MINIMIZE;
    const TRect r = state->Normal.count(child) != 0 ? state->Normal[child] : w->Rect;
    state->Normal.erase(child);
    SetWindowPos(child, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Maximize(HWND client, HWND child) {
    TWindowObject* w = WindowOf(child);
    TMdiClient* state = ClientOf(client);
    if (w == nullptr || state == nullptr)
        return;
    // One window at a time is maximized: the one shown.
    for (HWND other : Documents(client, false))
        if (other != child)
            Unmaximize(client, other);
    if ((state = ClientOf(client)) == nullptr || (w = WindowOf(child)) == nullptr)
        return;
    // A minimized window comes back to its own rectangle when restored.
    if ((w->Style & WS_MINIMIZE) != 0) {
        w->Style &= ~WS_MINIMIZE;
        w->Style |= WS_MAXIMIZE;
        state->Restored[child] = state->Normal.count(child) != 0 ? state->Normal[child] : w->Rect;
        state->Normal.erase(child);
    }
    if ((w->Style & WS_MAXIMIZE) == 0) {
        state->Restored[child] = w->Rect;
        w->Style |= WS_MAXIMIZE;
    }
    if (child == state->Active)
        state->Maximized = true;
    PlaceClientArea(child, ClientArea(client));
}

void Activate(HWND client, HWND child) {
    TMdiClient* state = ClientOf(client);
    if (state == nullptr || (child != nullptr && !IsDocument(client, child)))
        return;
    const HWND old = IsWindow(state->Active) ? state->Active : nullptr;
    if (old == child)
        return;
    // A maximized window hands its state on to the one taking its place.
    if (state->Maximized && child != nullptr) {
        Maximize(client, child);
        if ((state = ClientOf(client)) == nullptr)
            return;
        state->Maximized = true;
    }
    state->Active = child;
    if (child != nullptr)
        SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const WPARAM from = reinterpret_cast<WPARAM>(old);
    const LPARAM to = reinterpret_cast<LPARAM>(child);
    if (old != nullptr) {
        SendMessage(old, WM_NCACTIVATE, 0, 0);
        SendMessage(old, WM_MDIACTIVATE, from, to);
    }
    if (child != nullptr && IsWindow(child)) {
        SendMessage(child, WM_NCACTIVATE, 1, 0);
        SendMessage(child, WM_MDIACTIVATE, from, to);
        // The focus follows while the frame is the active window.
        if (IsWindow(child) && GetActiveWindow() == GetAncestor(client, GA_ROOT))
            SetFocus(child);
    }
    ListWindows(client);
}

HWND Create(HWND client, const TMdiCreateStruct& cs) {
    TMdiClient* state = ClientOf(client);
    if (state == nullptr || cs.szClass == nullptr)
        return nullptr;
    const TRect area = ClientArea(client);
    std::int32_t x = cs.x, y = cs.y, cx = cs.cx, cy = cs.cy;
    if (x == CW_USEDEFAULT || y == CW_USEDEFAULT) {
        const std::int32_t slots = std::max(1, std::min(area.Width(), area.Height()) / 2 / kCascadeStep);
        x = y = (state->Created % slots) * kCascadeStep;
    }
    if (cx == CW_USEDEFAULT || cy == CW_USEDEFAULT) {
        cx = area.Width() * 3 / 4;
        cy = area.Height() * 3 / 4;
    }
    ++state->Created;
    const std::uint32_t style = (cs.style & ~(WS_VISIBLE | WS_POPUP | WS_MAXIMIZE)) | WS_CHILD | WS_CLIPSIBLINGS |
                                WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                WS_MAXIMIZEBOX;
    const std::uintptr_t id = state->FirstId + Documents(client, false).size();
    HWND child = CreateWindowEx(WS_EX_MDICHILD, cs.szClass, cs.szTitle != nullptr ? cs.szTitle : u"", style, x, y, cx,
                                cy, client, id, const_cast<TMdiCreateStruct*>(&cs));
    if (child == nullptr)
        return nullptr;
    ShowWindow(child, SW_SHOW);
    if ((state = ClientOf(client)) == nullptr || !IsWindow(child))
        return nullptr;
    if ((cs.style & WS_MAXIMIZE) != 0)
        state->Maximized = true;
    Activate(client, child);
    return IsWindow(child) ? child : nullptr;
}

void Destroy(HWND client, HWND child) {
    TMdiClient* state = ClientOf(client);
    if (state == nullptr || !IsDocument(client, child))
        return;
    if (state->Active == child) {
        // The next window down takes over, maximized if this one was.
        HWND next = nullptr;
        for (HWND c : Documents(client, true))
            if (c != child) {
                next = c;
                break;
            }
        if (next != nullptr) {
            Activate(client, next);
        } else {
            Activate(client, nullptr);
            if ((state = ClientOf(client)) != nullptr)
                state->Maximized = false;
        }
    }
    if ((state = ClientOf(client)) != nullptr) {
        state->Restored.erase(child);
        state->Normal.erase(child);
    }
    Renumber(client, child);
    DestroyWindow(child);
    ListWindows(client);
}

void Next(HWND client, HWND from, bool previous) {
    TMdiClient* state = ClientOf(client);
    if (state == nullptr)
        return;
    if (from == nullptr)
        from = state->Active;
    const std::vector<HWND> docs = Documents(client, true);
    if (docs.size() < 2 || !IsDocument(client, from))
        return;
    if (previous) {
        Activate(client, docs.back());
        return;
    }
    auto at = std::find(docs.begin(), docs.end(), from);
    const HWND target = at == docs.end() || at + 1 == docs.end() ? docs.front() : *(at + 1);
    Activate(client, target);
    // The window left goes to the back, so that going on visits them all.
    if (IsWindow(from))
        SetWindowPos(from, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::vector<HWND> Arrangeable(HWND client, unsigned how) {
    std::vector<HWND> docs;
    for (HWND c : Documents(client, true))
        if ((GetWindowLongPtr(c, GWL_STYLE) & WS_MINIMIZE) == 0 &&
            ((how & MDITILE_SKIPDISABLED) == 0 || IsWindowEnabled(c)))
            docs.push_back(c);
    return docs;
}

// The client area arranging may use: the rows of minimized windows along
// the bottom stay uncovered, as long as some room is left above them.
TRect ArrangeArea(HWND client) {
    TRect area = ClientArea(client);
    const int icons = static_cast<int>(Icons(client).size());
    if (icons == 0)
        return area;
    const int perRow = std::max(1, area.Width() / kIconWidth);
    const std::int32_t rows = (icons + perRow - 1) / perRow;
    area.Bottom = std::max(area.Top + kIconHeight, area.Bottom - rows * kIconHeight);
    return area;
}

void RestoreAll(HWND client) {
    for (HWND c : Documents(client, false))
        Unmaximize(client, c);
    if (TMdiClient* state = ClientOf(client))
        state->Maximized = false;
}

// Side by side (vertical) or one above the other (horizontal): up to three
// windows in one row or column, more in a grid whose last lines take one
// window more when they do not come out even.
bool Tile(HWND client, unsigned how) {
    RestoreAll(client);
    const std::vector<HWND> docs = Arrangeable(client, how);
    const int n = static_cast<int>(docs.size());
    if (n == 0)
        return false;
    const TRect area = ArrangeArea(client);
    const bool sideBySide = (how & MDITILE_HORIZONTAL) == 0;
    const int lines = n <= 3 ? n : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const std::int32_t across = sideBySide ? area.Width() : area.Height();
    const std::int32_t along = sideBySide ? area.Height() : area.Width();
    int k = 0;
    for (int line = 0; line < lines; ++line) {
        const int inLine = n / lines + (line >= lines - n % lines ? 1 : 0);
        const std::int32_t a0 = across * line / lines;
        const std::int32_t a1 = across * (line + 1) / lines;
        for (int i = 0; i < inLine; ++i, ++k) {
            const std::int32_t b0 = along * i / inLine;
            const std::int32_t b1 = along * (i + 1) / inLine;
            const TRect r = sideBySide ? TRect{area.Left + a0, area.Top + b0, area.Left + a1, area.Top + b1}
                                       : TRect{area.Left + b0, area.Top + a0, area.Left + b1, area.Top + a1};
            SetWindowPos(docs[static_cast<std::size_t>(k)], nullptr, r.Left, r.Top, r.Width(), r.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ArrangeIcons(client);
    return true;
}

// The window at the back at the top left, each nearer one a step down and
// to the right, all of one size; the steps start over before they run off.
bool Cascade(HWND client, unsigned how) {
    RestoreAll(client);
    const std::vector<HWND> docs = Arrangeable(client, how);
    const int n = static_cast<int>(docs.size());
    if (n == 0)
        return false;
    const TRect area = ArrangeArea(client);
    const int slots = std::max(1, std::min(area.Width(), area.Height()) / 2 / kCascadeStep);
    const int used = std::min(n, slots);
    const std::int32_t cx = std::max(area.Width() / 2, area.Width() - (used - 1) * kCascadeStep);
    const std::int32_t cy = std::max(area.Height() / 2, area.Height() - (used - 1) * kCascadeStep);
    for (int i = 0; i < n; ++i) {
        const std::int32_t at = ((n - 1 - i) % slots) * kCascadeStep;
        SetWindowPos(docs[static_cast<std::size_t>(i)], nullptr, at, at, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ArrangeIcons(client);
    return true;
}

LRESULT MdiClientProc(HWND client, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            std::lock_guard<std::mutex> guard(g_lock);
            Clients()[client] = {};
            break;
        }
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const TCreateStruct*>(lParam);
            const auto* ccs = cs != nullptr ? static_cast<const TClientCreateStruct*>(cs->lpCreateParams) : nullptr;
            if (TMdiClient* state = ClientOf(client); state != nullptr && ccs != nullptr) {
                state->FirstId = ccs->idFirstChild;
                state->WindowMenu = static_cast<HMENU>(ccs->hWindowMenu);
            }
            return 0;
        }
        case WM_NCDESTROY: {
            std::lock_guard<std::mutex> guard(g_lock);
            Clients().erase(client);
            break;
        }
        case WM_MDICREATE:
            return lParam == 0
                       ? 0
                       : reinterpret_cast<LRESULT>(Create(client, *reinterpret_cast<TMdiCreateStruct*>(lParam)));
        case WM_MDIDESTROY:
            Destroy(client, reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_MDIACTIVATE:
            if (IsDocument(client, reinterpret_cast<HWND>(wParam)))
                Activate(client, reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_MDIGETACTIVE: {
            TMdiClient* state = ClientOf(client);
            const HWND active = state != nullptr && IsWindow(state->Active) ? state->Active : nullptr;
            if (lParam != 0)
                *reinterpret_cast<bool*>(lParam) = active != nullptr && state->Maximized;
            return reinterpret_cast<LRESULT>(active);
        }
        case WM_MDINEXT:
            Next(client, reinterpret_cast<HWND>(wParam), lParam != 0);
            return 0;
        case WM_MDIMAXIMIZE:
            if (IsDocument(client, reinterpret_cast<HWND>(wParam)))
                Maximize(client, reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_MDIRESTORE:
            Restore(client, reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_MDITILE:
            return Tile(client, static_cast<unsigned>(wParam)) ? 1 : 0;
        case WM_MDICASCADE:
            return Cascade(client, static_cast<unsigned>(wParam)) ? 1 : 0;
        case WM_MDISETMENU: {
            // wParam: the frame's new bar, lParam: the new Window menu (null
            // keeps each); the answer is the bar the frame had.
            const HWND frame = GetParent(client);
            const HMENU old = GetMenu(frame);
            TMdiClient* state = ClientOf(client);
            if (state == nullptr)
                return 0;
            if (lParam != 0) {
                UnlistWindows(*state);
                state->WindowMenu = reinterpret_cast<HMENU>(lParam);
            }
            if (wParam != 0)
                SetMenu(frame, reinterpret_cast<HMENU>(wParam));
            ListWindows(client);
            return reinterpret_cast<LRESULT>(old);
        }
        case WM_MDIREFRESHMENU:
            ListWindows(client);
            return reinterpret_cast<LRESULT>(GetMenu(GetParent(client)));
        case WM_MDIICONARRANGE:
            ArrangeIcons(client);
            return 0;
        case WM_SIZE:
            // A maximized window keeps filling the client.
            if (TMdiClient* state = ClientOf(client); state != nullptr && state->Maximized && IsWindow(state->Active))
                PlaceClientArea(state->Active, ClientArea(client));
            return 0;
        case WM_SETFOCUS:
            if (TMdiClient* state = ClientOf(client); state != nullptr && IsWindow(state->Active)) {
                SetFocus(state->Active);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(client, message, wParam, lParam);
}

}  // namespace

void RegisterBuiltInClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        TWndClass wc;
        wc.lpfnWndProc = &MdiClientProc;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(kColorAppWorkspace + 1));
        wc.lpszClassName = u"MDICLIENT";
        RegisterClass(wc);
    });
}

LRESULT DefFrameProc(HWND frame, HWND mdiClient, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    const bool haveClient = ClientOf(mdiClient) != nullptr;
    switch (message) {
        case WM_SIZE:
            // The client fills the frame's client area; a frame with
            // toolbars places the client itself.
            if (haveClient)
                MoveWindow(mdiClient, 0, 0, LoWord(static_cast<WPARAM>(lParam)), HiWord(static_cast<WPARAM>(lParam)),
                           true);
            return 0;
        case WM_SETFOCUS:
            if (haveClient && IsWindowVisible(mdiClient)) {
                SetFocus(mdiClient);
                return 0;
            }
            break;
        case WM_COMMAND:
            // A document window chosen from the Window menu's list.
            if (TMdiClient* state = ClientOf(mdiClient)) {
                const std::uint32_t id = LoWord(wParam);
                if (id >= state->FirstId && id < state->FirstId + kListedWindows)
                    for (HWND doc : Documents(mdiClient, false))
                        if (GetWindowLongPtr(doc, GWLP_ID) == static_cast<std::intptr_t>(id)) {
                            if (IsMinimized(doc))
                                SendMessage(mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(doc), 0);
                            SendMessage(mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(doc), 0);
                            return 0;
                        }
            }
            break;
        case WM_SYSCOMMAND:
            if (haveClient && ((wParam & 0xFFF0) == SC_NEXTWINDOW || (wParam & 0xFFF0) == SC_PREVWINDOW)) {
                SendMessage(mdiClient, WM_MDINEXT, 0, (wParam & 0xFFF0) == SC_PREVWINDOW ? 1 : 0);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(frame, message, wParam, lParam);
}

LRESULT DefMDIChildProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    const HWND client = GetParent(window);
    if (ClientOf(client) == nullptr)
        return DefWindowProc(window, message, wParam, lParam);
    switch (message) {
        case WM_CHILDACTIVATE:
            Activate(client, window);
            return 0;
        case WM_SETFOCUS:
            // Focus given to an inactive document window activates it.
            if (ClientOf(client)->Active != window)
                Activate(client, window);
            break;
        case WM_CLOSE:
            SendMessage(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
            return 0;
        case WM_SETTEXT: {
            // The Window menu shows the new title.
            const LRESULT r = DefWindowProc(window, message, wParam, lParam);
            ListWindows(client);
            return r;
        }
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_MAXIMIZE:
                    SendMessage(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window), 0);
                    return 0;
                case SC_MINIMIZE:
                    Minimize(client, window);
                    return 0;
                case SC_RESTORE:
                    SendMessage(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(window), 0);
                    return 0;
                case SC_CLOSE:
                    SendMessage(window, WM_CLOSE, 0, 0);
                    return 0;
                case SC_NEXTWINDOW:
                case SC_PREVWINDOW:
                    SendMessage(client, WM_MDINEXT, reinterpret_cast<WPARAM>(window),
                                (wParam & 0xFFF0) == SC_PREVWINDOW ? 1 : 0);
                    return 0;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

}  // namespace Platform
