#pragma once

#include <cstdint>

class TDoc;

// Footnote or endnote settings of a section.
struct TNoteSettings {
    std::int32_t Position = 0;  // footnotes: 1 page bottom, 2 beneath text; endnotes: 3 document end, else section end
    std::int32_t NumberFormat = 0;  // 0 arabic, 1/2 upper/lower roman, 3/4 upper/lower letters, 9 symbols
    std::int32_t StartNumber = 1;
    std::int32_t Restart = 0;  // low byte: 0 continuous, 1 each section, 2 each page
};

// A section of a document. A section-break control names the section it
// ends (by object handle); the last section has no break.
//
// This class holds what the paragraph code needs so far; the page-setup and
// section code extends it.
class TSection {
public:
    explicit TSection(TDoc* owner) : Owner(owner) {}
    TSection(const TSection&) = delete;
    TSection& operator=(const TSection&) = delete;
    ~TSection();

    TDoc* Owner = nullptr;
    std::int32_t Number = 0;
    std::int32_t FirstPar = 0;
    std::int32_t LastPar = 0;
    TNoteSettings FootnoteSettings{1, 0, 1, 0};
    TNoteSettings EndnoteSettings{3, 2, 1, 0};
};
