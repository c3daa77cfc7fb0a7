#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "LineFixture.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TSection.h"

class TField;
class TPage;

// A document laid out on pages: LineFixture's paragraphs with plain
// formats (no spacing, no widow control), the layout client, and page
// setups sized in lines of the fixture's text.
class PageFixture : public LineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A main-text paragraph with no spacing and no keep or widow options.
    TPar& Plain(std::string_view text, std::int32_t halfPoints = 24);
    // A main-text paragraph whose first letters are a drop cap of the given
    // position (1 dropped, 2 in the margin) and lines, in their own size
    // (half-points) and vertical offset (points), followed by the rest in
    // the fixture's size.
    TPar& DropCapPar(std::string_view letters,
                     std::int32_t letterHalfPoints,
                     std::int32_t letterOffset,
                     std::string_view rest,
                     std::uint8_t position = 1,
                     std::uint8_t lines = 3);
    // n lines of text joined by line breaks.
    static std::string Lines(int n);
    // The height of one line of the fixture text, measured.
    std::int32_t LineHeight();
    // Page setup of section 0: a body of exactly that many lines (and half
    // a line more), one-inch side margins, half-inch top and bottom.
    void SetBodyLines(int lines);
    TSection& Section(int i = 0) { return *Doc->Sections.At<TSection>(i); }
    TPage& PageAt(int i) { return *Doc->Pages.At<TPage>(i); }
    // The page index of a paragraph's line, -1 while it is not placed.
    std::int32_t PageOfLine(const TPar& par, int line);
    // How many lines of the paragraph lie on each page, by page.
    std::vector<int> LinesPerPage(const TPar& par);
    // A header or footer story paragraph of the given text covered by a new
    // field, put into a slot of section 0.
    TField* AddHeaderFooter(int slot, std::string_view text);
    // A footnote reference at the end of par's text and its note, a new
    // footnote story paragraph of the given text; answers the note's
    // paragraph.
    TPar& AddFootnote(TPar& par, std::string_view noteText);
    // A table row of cells with the given texts and right edges (twips
    // from the row's left edge); answers the cells' paragraphs and the
    // row-end paragraph last.
    std::vector<TPar*> AddRow(const std::vector<std::string>& cells, const std::vector<std::int32_t>& rightEdges);
    void PaginateAll() { Doc->Paginate(0, 2147483647); }
    // A paragraph that holds only a section break ending a new section put
    // before the sections that follow; it starts its successor as kind asks
    // (0 continuous, 1 new page, 2 even page, 3 odd page). The new section
    // copies the last section's page setup.
    TSection& BreakSection(std::uint8_t kind);
    // Every page's boxes and the place of every line, as text: what
    // incremental and full pagination must agree on.
    std::string Layout();

    TLayoutClient Client;

private:
    bool FirstPlainUsed = false;
};
