#pragma once

#include "model/host/TDocClient.h"

// The caret and selection code lies above pagination, so the client reaches
// it through these pointers, which that code fills in
// (InstallSelectionClient, layout/selection/SelectionClient.h). A pointer
// left nil keeps the silent default of TDocClient.
struct TSelectionHooks {
    void (*SnapSelectionToCells)(TDoc& doc) = nullptr;
    void (*SelectionChanged)(TDoc& doc) = nullptr;
    void (*LocateCaret)(TDoc& doc) = nullptr;
    void (*PlaceCaret)(TDoc& doc) = nullptr;
    void (*ScrollCaretIntoView)(TDoc& doc, int mode) = nullptr;
    bool (*SelectionOnScreen)(TDoc& doc, const TCompoundFragment& set) = nullptr;
    bool (*ScrollTargetIntoView)(TDoc& doc, const TTextPos& pos, std::int32_t x, std::int32_t y) = nullptr;
};

void SetSelectionHooks(const TSelectionHooks& hooks);
const TSelectionHooks& SelectionHooks();

// The layout half of a document's client: page count, pagination and the
// page queries the document core asks after every operation. The
// document-window library derives its window client from it; hidden
// documents that need pages (tools, tests) use it as it is.
class TLayoutClient : public TDocClient {
public:
    std::int32_t PageCount(const TDoc& doc) override;
    void Paginate(TDoc& doc, std::int32_t fromPage, std::int32_t toPage) override;
    void RebuildLayout(TDoc& doc) override;
    std::int32_t PageOfPar(const TDoc& doc, std::int32_t par) override;
    bool MainParsOfPage(const TDoc& doc, std::int32_t page, std::int32_t& first, std::int32_t& last) override;

    // The caret and the selection after an operation, through the hooks.
    void SnapSelectionToCells(TDoc& doc) override;
    void SelectionChanged(TDoc& doc) override;
    void LocateCaret(TDoc& doc) override;
    void PlaceCaret(TDoc& doc) override;
    void ScrollCaretIntoView(TDoc& doc, int mode) override;
    bool SelectionOnScreen(const TDoc& doc, const TCompoundFragment& set) override;
    bool ScrollTargetIntoView(TDoc& doc, const TTextPos& pos, std::int32_t x, std::int32_t y) override;

    // One slice of background pagination, for the window's idle timer: a
    // few more pages, never beyond the background limit. True while there
    // is more to do.
    static bool PaginateSlice(TDoc& doc);
    static constexpr std::int32_t SlicePages = 6;
    static constexpr std::int32_t BackgroundPageLimit = 1000;
};
