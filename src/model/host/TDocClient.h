#pragma once

#include <cstdint>

class TCompoundFragment;
class TDoc;
struct TFragment;
struct TTextPos;

// What a document asks of its layout, caret, selection and window code.
//
// The model only changes text and formats; pages, lines, the caret's place,
// scrolling and painting belong to the layout library above it, and the
// window to the document-window library above that. A document calls them
// through this interface, which the layout library implements for every
// document it lays out (TDoc::Client). A document without a client, hidden
// ones and every document in the model's own tests, gets the base class:
// it has no window, no pages, and every request is a no-op.
class TDocClient {
public:
    virtual ~TDocClient() = default;

    // The window.
    virtual bool HasWindow() const { return false; }
    // The client area in pixels (less rulers and scroll bars); measure
    // again when asked.
    virtual std::int32_t ClientWidth(const TDoc& doc, bool measure) { return 0; }
    virtual std::int32_t ClientHeight(const TDoc& doc, bool measure) { return 0; }
    // The width of the draft view's left gutter in pixels.
    virtual std::int32_t DraftGutter(const TDoc& doc) { return 0; }
    virtual void ViewModeChanged(TDoc& doc) {}
    virtual void ZoomChanged(TDoc& doc) {}
    virtual void ResizeToClient(TDoc& doc) {}
    virtual void RefreshRulers(TDoc& doc) {}
    virtual void UpdateScrollBars(TDoc& doc) {}
    // Scrolls the shown view by whole pixels (the scroll position has
    // already been stored).
    virtual void ScrollView(TDoc& doc, std::int32_t dx, std::int32_t dy) {}
    virtual bool MayShowCaret(const TDoc& doc) { return false; }
    virtual void RefreshCaret(TDoc& doc) {}
    virtual void CloseWindow(TDoc& doc) {}
    virtual void CloseSplitView(TDoc& doc) {}

    // Layout.
    virtual std::int32_t PageCount(const TDoc& doc) { return 0; }
    // Lays the pages from..to out again.
    virtual void Paginate(TDoc& doc, std::int32_t fromPage, std::int32_t toPage) {}
    // Discards the layout and builds it again.
    virtual void RebuildLayout(TDoc& doc) {}
    // Rescales the existing layout to a new zoom.
    virtual void RescaleLayout(TDoc& doc) {}
    // The page of the paragraph's first line, -1 while the paragraph is not
    // laid out. For a header or footer paragraph: the first page that
    // shows that header or footer.
    virtual std::int32_t PageOfPar(const TDoc& doc, std::int32_t par) { return -1; }
    // The page carries note text continued from earlier pages.
    virtual bool PageHasContinuedNotes(const TDoc& doc, std::int32_t page) { return false; }
    virtual std::int32_t LastVisiblePage(const TDoc& doc) { return -1; }
    // The lowest and highest main-text paragraph a page shows lines of;
    // false for a page without main text.
    virtual bool MainParsOfPage(const TDoc& doc, std::int32_t page, std::int32_t& first, std::int32_t& last) {
        return false;
    }

    // Caret, selection and painting.
    virtual void StopOccurrenceHighlight(TDoc& doc) {}
    virtual void DropTableBorderHit(TDoc& doc) {}
    virtual void SnapSelectionToCells(TDoc& doc) {}
    virtual void SelectionChanged(TDoc& doc) {}
    virtual void LocateCaret(TDoc& doc) {}
    virtual void PlaceCaret(TDoc& doc) {}
    // Some text of the set is on screen now.
    virtual bool SelectionOnScreen(const TDoc& doc, const TCompoundFragment& set) { return false; }
    // Modes: 0 plain, 3 after undoing one typing step, 4 as asked by the
    // operation.
    virtual void ScrollCaretIntoView(TDoc& doc, int mode) {}
    // Brings the 50-pixel square ending at a point beside a character into
    // view; false when that character is not laid out.
    virtual bool ScrollTargetIntoView(TDoc& doc, const TTextPos& pos, std::int32_t x, std::int32_t y) { return false; }
    // Repaints a range, or the whole view for nil.
    virtual void Repaint(TDoc& doc, const TFragment* range) {}
    // The states other libraries keep per operation (find state, command
    // values, the window's range set and flag byte) go back to rest after
    // every applied operation; the flags say which to keep.
    virtual void ResetPerOperationState(TDoc& doc, bool keepFind, bool keepCommand, bool keepWindowByte) {}
};

// The client used for documents that have none.
TDocClient& NullDocClient();
