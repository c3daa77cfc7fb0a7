#pragma once

#include <QtGui/QBackingStore>
#include <QtGui/QWindow>

#include <cstdint>

#include "platform/Windows.h"

class QKeyEvent;

// The desktop window behind one top-level window: it holds the backing store
// the window's surface is shown through, and turns the desktop's events into
// the window's messages.
namespace Platform {

struct TWindowObject;

class TDesktopWindow : public QWindow {
public:
    explicit TDesktopWindow(TWindowObject* window);

    bool event(QEvent* e) override;

    HWND Window = nullptr;
    QBackingStore Store;
    // The backing store's pixels that the window's surface draws on in
    // place (Desktop::LendSurface); null while the surface has its own.
    std::uint32_t* LentBits = nullptr;

private:
    void PostMouse(std::uint32_t message, QPointF local, unsigned keyFlags, std::uint32_t time);
    void PostKey(QKeyEvent* e, bool down);

    // The last button press, for making double clicks.
    struct TLastDown {
        std::uint32_t Message = 0;
        HWND Window = nullptr;
        std::uint32_t Time = 0;
        TPoint Pos;
    };
    TLastDown LastDown;
};

// The desktop window of a top-level window (null for others): tests deliver
// the desktop's input events to it.
QWindow* DesktopWindowOf(HWND window);

}  // namespace Platform
