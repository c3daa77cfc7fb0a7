#pragma once

#include <cstdint>

#include "layout/pagination/TLayoutClient.h"
#include "platform/GdiTypes.h"
#include "platform/Windows.h"

// The scroll bars as the view geometry sets them.
struct TScrollRanges {
    std::int32_t HorzRange = 0;
    std::int32_t HorzPage = 0;
    std::int32_t VertRange = 0;
    std::int32_t VertPage = 0;
};

// The view half of a document's client: the window the view is painted
// into, its client size and the document area in it, the device the
// painter copies to and the pixel scrolling of short steps. The document
// window derives from it and keeps the fields current; tests and tools use
// it with a window of their own or none.
class TViewClient : public TLayoutClient {
public:
    bool HasWindow() const override { return Window != nullptr || Shown; }
    std::int32_t ClientWidth(const TDoc& doc, bool measure) override { return Width; }
    std::int32_t ClientHeight(const TDoc& doc, bool measure) override { return Height; }
    void ScrollView(TDoc& doc, std::int32_t dx, std::int32_t dy) override;
    void Repaint(TDoc& doc, const TFragment* range) override;
    void UpdateScrollBars(TDoc& doc) override;
    // Pagination grows or shrinks the view: its geometry follows.
    void Paginate(TDoc& doc, std::int32_t fromPage, std::int32_t toPage) override;
    void RebuildLayout(TDoc& doc) override;
    std::int32_t LastVisiblePage(const TDoc& doc) override;

    // The device the view is copied to, and its release.
    virtual Platform::HDC AcquireDC(TDoc& doc);
    virtual void ReleaseDC(TDoc& doc, Platform::HDC dc);
    // Moves the window's pixels by (dx, dy) and has the uncovered strip
    // painted at once.
    virtual void ScrollPixels(TDoc& doc, std::int32_t dx, std::int32_t dy);
    virtual void SetScrollRanges(TDoc& doc, const TScrollRanges& ranges) { Ranges = ranges; }
    // The document area in window pixels.
    Platform::TRect DocumentArea() const { return {AreaLeft, AreaTop, AreaLeft + Width, AreaTop + Height}; }

    Platform::HWND Window = nullptr;
    // A window that exists only in the caller's mind (tests, tools).
    bool Shown = false;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t AreaLeft = 0;
    std::int32_t AreaTop = 0;
    // Split panes and previews repaint instead of moving pixels.
    bool PixelScrollForbidden = false;
    TScrollRanges Ranges;
};

// The document's client as a view client, or nil when it has none.
TViewClient* ViewClientOf(const TDoc& doc);
