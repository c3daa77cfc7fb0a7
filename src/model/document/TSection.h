#pragma once

#include <cstdint>

#include "model/formats/PageSetup.h"

class TDoc;
class TField;
struct TTextPos;

// Footnote or endnote settings of a section (a 16-byte block).
struct TNoteSettings {
    std::int32_t Position = 0;  // footnotes: 1 page bottom, 2 beneath text; endnotes: 3 document end, else section end
    std::int32_t NumberFormat = 0;  // 0 arabic, 1/2 upper/lower roman, 3/4 upper/lower letters, 9 symbols
    std::int32_t StartNumber = 1;
    std::int32_t Restart = 0;  // low byte: 0 continuous, 1 each section, 2 each page
};

static_assert(sizeof(TNoteSettings) == 16);

// Header and footer slots of a section.
enum : int {
    hfEvenHeader = 0,
    hfOddHeader = 1,  // also the header of documents without different odd and even pages
    hfEvenFooter = 2,
    hfOddFooter = 3,
    hfFirstHeader = 4,
    hfFirstFooter = 5,
};
constexpr int HeaderFooterSlotCount = 6;

// The two values after the header and footer slots, kept by the readers and
// writers (an 8-byte block).
struct TSectionReaderValues {
    std::int32_t First = 1;
    std::int32_t Second = 0;
};

// Page-number styles.
enum : std::uint8_t { pnDecimal = 0, pnLowerLetter = 1, pnUpperLetter = 2, pnLowerRoman = 3, pnUpperRoman = 4 };

// A section's page numbering as the page-number dialog edits it and
// opInsertPageNumbers carries it (an 8-byte block): the style of the
// numbers and the number of the section's first page.
struct TPageNumberOptions {
    std::uint8_t NumberStyle = pnDecimal;  // pn...
    std::uint8_t Reserved[3] = {};
    std::int32_t StartNumber = -1;  // -1 continues from the previous section
};

static_assert(sizeof(TPageNumberOptions) == 8);

// The largest start number a section takes; the page-number dialog allows
// no more.
constexpr std::int32_t MaxPageNumberStart = 32766;

// A section of a document: a run of main-text paragraphs with its own page
// setup, columns, page numbering, note settings and six header and footer
// slots. A section ends at a section-break control that names it (by object
// handle); the last section has no break and runs to the end of the main
// text. The document owns every section of its section list; undo steps own
// the sections whose breaks they hold.
class TSection {
public:
    explicit TSection(TDoc* owner) : Owner(owner) {}
    TSection(const TSection&) = delete;
    TSection& operator=(const TSection&) = delete;
    ~TSection();

    // The defaults of a new section: new-page break, one column, US Letter,
    // arabic page numbers continuing, footnotes at the page bottom and
    // endnotes at the document end.
    void SetDefaults();
    // Copies the format, page setup, page numbering and note settings; the
    // header and footer slots, number and paragraph range stay.
    void Assign(const TSection& source);
    // Whether the section ends before the position: its last paragraph lies
    // before the position's, or ends exactly at the position.
    bool EndsBefore(const TTextPos& pos) const;
    // The geometry of column n under the page setup that applies to the
    // section (its page section's).
    void ColumnGeometry(std::int32_t column, TColumnGeometry& geometry) const;

    TDoc* Owner = nullptr;
    std::int32_t Number = 0;
    std::int32_t FirstPar = 0;
    std::int32_t LastPar = 0;
    TSectionFormat Format;
    TPageSetup PageSetup{};
    TField* HeadersFooters[HeaderFooterSlotCount] = {};
    TSectionReaderValues ReaderValues;
    std::uint8_t PageNumberStyle = pnDecimal;
    std::int32_t PageNumberStart = -1;  // -1 continues from the previous section
    TNoteSettings FootnoteSettings{1, 0, 1, 0};
    TNoteSettings EndnoteSettings{3, 2, 1, 0};
    std::int32_t PageCount = 1;
    std::int32_t FirstPage = 0;
    std::int32_t LastPage = 0;
};
