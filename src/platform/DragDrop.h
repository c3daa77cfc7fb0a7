#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/GdiTypes.h"
#include "platform/Windows.h"

// Drag and drop in the OLE model: a window registers a drop target, which is
// told when a drag enters it, moves over it, leaves it or drops on it, and
// answers with the effect it would take; a drag source hands its data over
// in clipboard formats (platform/Clipboard.h) and learns the effect taken.
// The data travels between programs as the same MIME types as on the
// clipboard. Everything runs on the main thread.
namespace Platform {

enum : std::uint32_t {
    DROPEFFECT_NONE = 0,
    DROPEFFECT_COPY = 1,
    DROPEFFECT_MOVE = 2,
    DROPEFFECT_LINK = 4,
    DROPEFFECT_SCROLL = 0x80000000,
};

// The results of DoDragDrop.
enum : std::int32_t {
    DRAGDROP_S_DROP = 0x00040100,
    DRAGDROP_S_CANCEL = 0x00040101,
    E_INVALIDARG = static_cast<std::int32_t>(0x80070057),
};
// Key state bit for Alt, next to the MK_ flags of the mouse messages.
constexpr unsigned MK_ALT = 0x0020;

// The data of a drag as the target sees it: valid during the call it is
// passed to.
class TDropData {
public:
    virtual ~TDropData() = default;
    virtual std::vector<std::uint32_t> Formats() const = 0;
    virtual bool Has(std::uint32_t format) const = 0;
    virtual std::optional<std::vector<std::uint8_t>> Get(std::uint32_t format) const = 0;
};

// A drop target answers each call with one of the allowed effects (or
// DROPEFFECT_NONE). Points are in screen coordinates; the key state holds
// MK_LBUTTON, MK_RBUTTON, MK_MBUTTON, MK_SHIFT, MK_CONTROL and MK_ALT.
class IDropTarget {
public:
    virtual ~IDropTarget() = default;
    virtual std::uint32_t DragEnter(const TDropData& data, unsigned keyState, TPoint point, std::uint32_t allowed) = 0;
    virtual std::uint32_t DragOver(unsigned keyState, TPoint point, std::uint32_t allowed) = 0;
    virtual void DragLeave() = 0;
    virtual std::uint32_t Drop(const TDropData& data, unsigned keyState, TPoint point, std::uint32_t allowed) = 0;
};

// A drag over a window goes to the nearest window, itself or an ancestor,
// that has a target. The target is not owned; revoke it before it dies.
// False when the window is gone or already has a target.
bool RegisterDragDrop(HWND window, IDropTarget* target);
bool RevokeDragDrop(HWND window);

// The data a drag source offers, one entry per clipboard format.
struct TDragData {
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> Formats;
};

// Runs a drag from the source window until it is dropped or cancelled;
// returns DRAGDROP_S_DROP with the effect the target took, DRAGDROP_S_CANCEL,
// or E_INVALIDARG when no effect is allowed or a format cannot be carried.
std::int32_t DoDragDrop(HWND source, const TDragData& data, std::uint32_t allowed, std::uint32_t& effect);

}  // namespace Platform
