#pragma once

#include <cstdint>

class TDoc;
class TPar;

// Document state flags that pagination sets and tests (the model names only
// its own).
enum : std::uint8_t {
    sfHeadersFootersOff = 4,     // no header or footer is laid out
    sfForcedRequests = 5,        // every height request is forced
    sfPaginationComplete = 24,   // all text and notes are on pages
    sfBackgroundLimit = 25,      // background pagination stopped at its page limit
    sfBalancingTrial = 32,       // a column-balancing trial flows a band
    sfKeepLargerPageCount = 34,  // the status bar keeps the earlier, larger page count
    sfPageFieldsStale = 117,
};

// Automatic paragraph spacing, in twips, and the value that asks for it.
constexpr std::int32_t AutoSpacingValue = -20;
constexpr std::int32_t AutoSpacing = 280;

// Breaks a paragraph's lines from fromLine on at a width and gives the new
// lines the paragraph's effective spacing (TPar::SpaceAbove and SpaceBelow)
// in place of its stated spacing.
void BreakParagraph(TPar& par, std::int32_t fromLine, std::int32_t width);

// The paragraph keeps with the next one: keep-with-next set and no break
// character in its text.
bool KeepsWithNext(TDoc& doc, std::int32_t par);

// The paragraph holds nothing but a section break (and its mark).
bool IsSectionBreakOnly(const TPar& par);

class TBox;

// The height above the first note of a note frame, where the separator line
// stands.
constexpr std::int32_t NoteSeparatorHeight = 270;

// Flows a page's pending notes of a story (1 footnotes, 2 endnotes) into
// the note frame of a column: frNothing when not even the separator or the
// first line fits, frAll when every pending note was placed, frPart when
// the frame filled up.
std::uint32_t PlaceNotes(TBox& column, int story);

struct TFragment;

// Paragraph par begins a whole table row that ends by lastPar.
bool StartsTableRow(TDoc& doc, std::int32_t par, std::int32_t lastPar);
// What TBox::Flow's keep chain and the table flow tell each other: the
// last paragraph of the chain the flow has open (-1 when none), within
// which the table begins no chain of its own, and whether the table's part
// ended at a row that did not fit at all (a row split at the page bottom
// did fit), so that the open chain moves to the next page.
struct TTableKeepChain {
    std::int32_t OpenChainEnd = -1;
    bool RowFailed = false;
};
// Places the table rows at the range's start into box, side by side cells
// in a table box, as many as fit; answers flow flags and advances the range.
std::uint32_t FlowTableRows(TBox& box, TFragment& range, TTableKeepChain* chain = nullptr);
// Whether the table row that holds paragraph p keeps with the next: a
// heading row, or a row with a paragraph that keeps with the next.
bool TableRowKeepsWithNext(const TDoc& doc, std::int32_t p);
// The row-end paragraph of the row that holds table paragraph p (p itself
// when no row end follows in the table).
std::int32_t TableRowEndOf(const TDoc& doc, std::int32_t p);
class TLine;
struct TTextPos;
// Where the flow goes on after a column whose last line lies in a table:
// after the last row end placed there, or at the start of a row split at
// the column's bottom, whose cells go on in the next column. False when
// the line is not in a table.
bool TableResumePoint(const TLine& last, TTextPos& start);

// While one lives, the table flow keeps what it learnt of a document's
// tables (their rows and resolved widths) from one page to the next: the
// text does not change while pages are built. Scopes nest.
class TTableWalkScope {
public:
    explicit TTableWalkScope(const TDoc& doc);
    ~TTableWalkScope();
    TTableWalkScope(const TTableWalkScope&) = delete;
    TTableWalkScope& operator=(const TTableWalkScope&) = delete;
};
