#include <array>

#include "platform/Windows.h"
#include "platform/qt/WindowObjects.h"

// The system cursors. A cursor is one of the shapes every desktop has, so
// a handle is a fixed record per identifier and is never destroyed.
namespace Platform {

struct TCursorHandle {
    std::uintptr_t Id = 0;
};

namespace {

constexpr std::array<std::uintptr_t, 14> kIds = {
    IDC_ARROW,  IDC_IBEAM,  IDC_WAIT,    IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE,    IDC_SIZENESW,
    IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO,    IDC_HAND,    IDC_APPSTARTING, IDC_HELP,
};

std::array<TCursorHandle, kIds.size()>& Handles() {
    static std::array<TCursorHandle, kIds.size()> handles = [] {
        std::array<TCursorHandle, kIds.size()> h;
        for (std::size_t i = 0; i < kIds.size(); ++i)
            h[i].Id = kIds[i];
        return h;
    }();
    return handles;
}

// Cursors belong to the main thread's pointer, as the desktop has one.
HCURSOR g_current = nullptr;

}  // namespace

HCURSOR LoadCursor(std::uintptr_t id) {
    for (TCursorHandle& h : Handles())
        if (h.Id == id)
            return &h;
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    const HCURSOR old = g_current;
    g_current = cursor;
    if (cursor != old)
        Desktop::ShowCursorShape(CursorId(cursor));
    return old;
}

HCURSOR GetCursor() {
    return g_current;
}

std::uintptr_t CursorId(HCURSOR cursor) {
    return cursor == nullptr ? 0 : cursor->Id;
}

}  // namespace Platform
