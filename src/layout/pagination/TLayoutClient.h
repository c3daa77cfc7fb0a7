#pragma once

#include "model/host/TDocClient.h"

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

    // One slice of background pagination, for the window's idle timer: a
    // few more pages, never beyond the background limit. True while there
    // is more to do.
    static bool PaginateSlice(TDoc& doc);
    static constexpr std::int32_t SlicePages = 6;
    static constexpr std::int32_t BackgroundPageLimit = 1000;
};
