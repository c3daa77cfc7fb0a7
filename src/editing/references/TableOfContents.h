#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDoc;
class TField;
struct TFragment;

// Tables of contents: one entry paragraph per heading below the caret,
// each a hyperlink to a bookmark on its heading and, when asked, the
// heading's page as a PAGEREF field; the whole wrapped in a TOC field and
// bookmarked.

// How a table of contents is generated, and what its TOC instruction
// records.
struct TGenerateTocOptions {
    std::uint8_t PageNumbers = 1;   // entries end with the heading's page number
    std::uint8_t RightAligned = 0;  // after a tab to a right stop, else after a blank
    std::uint8_t Leader = 0;        // of that stop; 255: the entry style's last stop's (dots when none)
    std::uint8_t ShowTitle = 0;     // a title paragraph precedes the entries
    std::int32_t Levels = 3;        // heading levels 1 to 9
    std::u16string Title;
    // Paragraphs whose own outline level lies within the levels count as
    // headings too (\u).
    std::uint8_t OutlineLevels = 0;
    // A document whose styles are all imported first, and a template whose
    // TOC styles are; either may be nil.
    const TDoc* StyleSource = nullptr;
    const TDoc* Template = nullptr;
    // Regenerate an existing table with its own instruction and look.
    std::uint8_t Update = 0;
};

// The options a TOC instruction records: "\o" with the level range, "\rD"
// right-aligned numbers with leader D - 1, "\p" numbers after a blank, "\n"
// no numbers, "\e" the title, "\u" outline levels; "\h" (the entries are
// links) is always written. Other switches are passed over.
TGenerateTocOptions ParseTocInstruction(std::u16string_view instruction);
std::u16string BuildTocInstruction(const TGenerateTocOptions& options);

// The worker of opInsertTOC: answers the number of paragraphs generated
// (entries and title); 0 when no heading was found, and nothing inserted.
std::int32_t GenerateToc(TDoc& doc, const TGenerateTocOptions& options);
// The worker of opRemoveTOC: takes away the TOC field and the PAGEREF and
// HYPERLINK fields that start inside it; the text stays.
void RemoveToc(TDoc& doc, TField* toc);

// The TOC field that holds the caret (its ends count); nil when none.
TField* TocAtCaret(TDoc& doc, TFragment* range);
// For the update that follows generation: lays the document out and gives
// the range of the table that holds the caret.
bool TocPageReferenceRange(TDoc& doc, TFragment& range);
// The bookmarks a table of contents made: those its links point at and
// those that start where it starts, each once.
void TocBookmarks(TDoc& doc, std::vector<std::string>& names);
