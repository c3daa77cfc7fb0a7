// Pagination: the document's page list, built incrementally from a page on.

#include <algorithm>

#include "layout/boxes/PageMargins.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/LineLayout.h"
#include "layout/pagination/FloatingShapes.h"
#include "layout/pagination/Pagination.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

namespace {

// The draft views lay the text out on pages 88 inches high, without headers
// and footers.
constexpr std::int32_t DraftPageHeight = 126720;
constexpr std::int32_t DraftViewMargin = 720;
// A column whose text ends in a text box is granted this much below it.
constexpr std::int32_t ColumnExtraHeight = 48;

// Band results.
enum : int { brNextBand = 0, brPageDone = 1, brReflow = 2 };

class TPaginator {
public:
    explicit TPaginator(TDoc& doc) : Doc(doc) {}

    void Run(std::int32_t fromPage, std::int32_t untilPage);

private:
    TLine* LastBodyLine() const;
    bool TextExhausted() const;
    bool MainTextPlaced() const;
    void CollectEndnotes(TPage& page) const;
    bool EndsWithSectionBreak(const TLine* line) const;
    TSection* NextSection(const TLine* line) const;
    void LayOutHeaderFooter(TPage& page, TSection& section, int slot, bool footer);
    TField* HeaderFooterOf(TSection& section, int slot) const;
    int FlowPageBands(TPage& page);
    int FlowSectionBand(TPage& page, std::int32_t maxHeight, bool& bandEmpty);
    TBox* LastBand(TPage& page) const;

    TDoc& Doc;
};

bool LineEndsPar(const TLine* line) {
    return line->FirstChar + line->CharCount >= line->Par->CharCount();
}

TLine* TPaginator::LastBodyLine() const {
    for (std::int32_t i = Doc.Pages.Count - 1; i >= 0; --i)
        if (TLine* line = Doc.Pages.At<TPage>(i)->LastLine(1u << stMain))
            return line;
    return nullptr;
}

bool StoryPlaced(const TDoc& doc, int story) {
    if (doc.StoryCounts[story] == 0)
        return true;
    const TPar* last = doc.Par(doc.LastParOfStory(story));
    if (last->LineCount() == 0)
        return false;
    const TLine* line = last->Lines->At<TLine>(last->LineCount() - 1);
    return line->Box != nullptr && LineEndsPar(line);
}

bool TPaginator::MainTextPlaced() const {
    return StoryPlaced(Doc, stMain);
}

// The main text is placed, and so is every note: none waits on the last
// page, and the endnotes have been collected and placed.
bool TPaginator::TextExhausted() const {
    if (!MainTextPlaced())
        return false;
    if (Doc.Pages.Count > 0) {
        const TPage* last = Doc.Pages.At<TPage>(Doc.Pages.Count - 1);
        if (!last->PendingFootnotes.empty() || !last->PendingEndnotes.empty())
            return false;
    }
    return Doc.ViewMode != vmPrintLayout || StoryPlaced(Doc, stEndnotes);
}

// In print layout the endnotes follow the end of the main text: once it is
// placed they become pending, unless they already were.
void TPaginator::CollectEndnotes(TPage& page) const {
    if (Doc.ViewMode != vmPrintLayout || Doc.StoryCounts[stEndnotes] == 0 || !page.PendingEndnotes.empty())
        return;
    const TPar* first = Doc.Par(Doc.FirstParOfStory(stEndnotes));
    if (first->LineCount() > 0 && first->Lines->At<TLine>(0)->Box != nullptr)
        return;
    for (std::int32_t i = 0; i < Doc.Pages.Count; ++i)
        if (!Doc.Pages.At<TPage>(i)->PendingEndnotes.empty())
            return;
    const std::int32_t lastPar = Doc.LastParOfStory(stEndnotes);
    page.PendingEndnotes.push_back({{Doc.FirstParOfStory(stEndnotes), 0}, {lastPar, Doc.Par(lastPar)->CharCount()}});
}

bool TPaginator::EndsWithSectionBreak(const TLine* line) const {
    return line != nullptr && LineEndsPar(line) && line->Par->EndingSection() != nullptr;
}

// The section of the text that follows the last placed body line.
TSection* TPaginator::NextSection(const TLine* line) const {
    std::int32_t q = 0;
    if (line != nullptr) {
        q = line->Par->Index;
        if (EndsWithSectionBreak(line) && q < Doc.LastParOfStory(stMain))
            ++q;
    }
    return Doc.SectionOfPar(q);
}

TField* TPaginator::HeaderFooterOf(TSection& section, int slot) const {
    std::int32_t i = Doc.Sections.IndexOf(&section);
    for (; i >= 0; --i)
        if (TField* field = Doc.Sections.At<TSection>(i)->HeadersFooters[slot])
            return field;
    return nullptr;
}

void TPaginator::LayOutHeaderFooter(TPage& page, TSection& section, int slot, bool footer) {
    TField* field = HeaderFooterOf(section, slot);
    if (field == nullptr)
        return;
    TFragment range;
    if (!Doc.FieldRange(field, range))
        return;
    const TPageSetup& setup = section.PageSetup;
    TBox* frame = TBox::Acquire(&page, bkPlain);
    frame->Flags = bxFrame | (footer ? static_cast<std::uint32_t>(bxFooter) : 0u);
    frame->Story = stHeadersFooters;
    PageSideMargins(setup, page.PageIndex, frame->Insets.Left, frame->Insets.Right);
    frame->Bounds.Right = setup.PageWidth;
    frame->MaxHeight = std::max(1, (setup.PageHeight - setup.HeaderDistance - setup.FooterDistance) / 3);
    const std::int32_t y = footer ? setup.PageHeight - setup.BottomMargin : setup.HeaderDistance;
    frame->Bounds.Top = frame->Bounds.Bottom = y;
    page.Add(frame);
    const TFragment whole = range;
    // Floating shapes: a second pass flows the text again around the shapes
    // the first one placed.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass > 0) {
            frame->ReleaseChildren();
            frame->ContentBottom = 0;
            frame->Bounds.Top = frame->Bounds.Bottom = y;
            range = whole;
        }
        frame->Flow(range);
        if (!footer) {
            frame->Bounds.Bottom = std::max(frame->Bounds.Bottom, setup.TopMargin);
            frame->StackTop();
            page.HeaderField = field;
            page.HeaderBox = frame;
            page.Insets.Top = setup.HeaderDistance;
        } else {
            frame->Bounds.Bottom = std::max(frame->Bounds.Bottom, setup.PageHeight - setup.FooterDistance);
            frame->StackBottom();
            // A footer too tall for its place grows upward.
            const std::int32_t over = frame->Bounds.Bottom - (setup.PageHeight - setup.FooterDistance);
            if (over > 0)
                frame->MoveBy(0, -over);
            page.FooterField = field;
            page.FooterBox = frame;
            page.Insets.Bottom = setup.FooterDistance;
        }
        if (pass > 0 || !Doc.HasWrappingShapes() || !PlaceHeaderFooterShapes(page, *frame))
            break;
    }
    // Header and footer text is laid out again when the page is painted.
    frame->ReleaseChildren();
}

TBox* TPaginator::LastBand(TPage& page) const {
    for (std::int32_t i = page.Count - 1; i >= 0; --i)
        if ((page.Child(i)->Flags & bxBand) != 0)
            return page.Child(i);
    return nullptr;
}

int TPaginator::FlowSectionBand(TPage& page, std::int32_t maxHeight, bool& bandEmpty) {
    const bool print = Doc.ViewMode == vmPrintLayout;
    TBox* band = TBox::Acquire(&page, bkPlain);
    band->Flags = bxBand;
    std::int32_t top = page.Insets.Top;
    if (TBox* last = LastBand(page))
        top = last->Bounds.Bottom;
    else if (page.HeaderBox != nullptr)
        top = page.HeaderBox->Bounds.Bottom;
    band->Bounds = {0, top, page.Width(), top};
    band->MaxHeight = maxHeight;
    if (page.FooterBox != nullptr)
        page.Insert(page.IndexOf(page.FooterBox), band);
    else
        page.Add(band);

    const TLine* startLine = LastBodyLine();
    TSection* section = NextSection(startLine);
    const std::int32_t columns = print && section != nullptr ? std::clamp(section->Format.ColumnCount, 1, 64) : 1;
    const TSection* pageSection = page.Section != nullptr ? page.Section : section;
    const TPageSetup& setup = pageSection->PageSetup;
    std::int32_t leftMargin = DraftViewMargin, rightMargin = DraftViewMargin;
    if (print)
        PageSideMargins(setup, page.PageIndex, leftMargin, rightMargin);
    std::uint32_t met = 0;
    TFragment target;
    const std::int32_t lastPar = Doc.LastParOfStory(stMain);
    target.End = {lastPar, Doc.Par(lastPar)->CharCount()};
    std::int32_t previousRight = 0;
    std::int32_t previousGap = 0;
    for (std::int32_t c = 0; c < columns; ++c) {
        const TLine* last = LastBodyLine();
        const bool sectionEnded = EndsWithSectionBreak(last);
        TBox* column = band->AddChild(bkPlain, bxColumn);
        column->ColumnIndex = columns == 1 ? 255 : static_cast<std::uint8_t>(c);
        if (columns == 1) {
            column->Bounds = {0, 0, band->Width(), 0};
            column->Insets.Left = leftMargin;
            column->Insets.Right = rightMargin;
        } else {
            TColumnGeometry g;
            GetColumnGeometry(section->Format, setup, c, g);
            const std::int32_t leftInset = c == 0 ? leftMargin : previousGap / 2;
            const std::int32_t left = c == 0 ? 0 : previousRight;
            const std::int32_t textLeft = leftMargin + g.Left;
            std::int32_t right = textLeft + g.Width + g.Gap / 2;
            std::int32_t rightInset = g.Gap / 2;
            if (c == columns - 1) {
                right = band->Width();
                rightInset = std::max(0, right - (textLeft + g.Width));
            }
            column->Bounds = {left, 0, std::max(right, left + leftInset + rightInset + 1), 0};
            column->Insets.Left = leftInset;
            column->Insets.Right = rightInset;
            previousRight = column->Bounds.Right;
            previousGap = g.Gap;
        }
        // A section that must start on an even or odd page leaves this page
        // blank when it has the wrong number.
        if (print && c == 0 && sectionEnded && page.IsEmpty()) {
            const std::uint8_t kind = last->Par->EndingSection()->Format.BreakKind;
            const bool indexEven = page.PageIndex % 2 == 0;
            if ((kind == 2 && indexEven) || (kind == 3 && !indexEven))
                break;
        }
        if (c > 0 && (met & (frPageBreak | frSectionBreak)) != 0)
            break;
        // Notes continued from the page before come first.
        if (print) {
            if (!page.PendingFootnotes.empty())
                PlaceNotes(*column, stFootnotes);
            if (page.PendingFootnotes.empty() && !page.PendingEndnotes.empty())
                PlaceNotes(*column, stEndnotes);
            if (!page.PendingFootnotes.empty() || !page.PendingEndnotes.empty())
                continue;
        }
        if (MainTextPlaced()) {
            CollectEndnotes(page);
            if (!page.PendingEndnotes.empty()) {
                PlaceNotes(*column, stEndnotes);
                continue;
            }
            break;
        }
        TFragment range;
        range.End = target.End;
        if (last == nullptr)
            range.Start = {0, 0};
        else if (TableResumePoint(*last, range.Start))
            ;  // a row split at the column's bottom goes on from its start
        else if (LineEndsPar(last))
            range.Start = {last->Par->Index + 1, 0};
        else
            range.Start = {last->Par->Index, last->FirstChar + last->CharCount};
        page.SaveState();
        TBox* body = column->NoteFrameOf(stMain);
        const std::uint32_t r = body->Flow(range);
        if ((r & frNothing) != 0)
            page.RestoreState();
        page.DropTopState();
        met |= r & frBreaks;
        if ((r & (frPageBreak | frSectionBreak)) != 0)
            break;
        if ((r & frAll) != 0 && MainTextPlaced()) {
            CollectEndnotes(page);
            if (!page.PendingEndnotes.empty())
                PlaceNotes(*column, stEndnotes);
            break;
        }
        if ((r & frNothing) != 0 || (r & frAll) != 0)
            break;
    }
    // Every column whose text ends in a text box gets a little room below.
    for (std::int32_t c = 0; c < band->Count; ++c) {
        TBox* column = band->Child(c);
        if (column->Count == 0)
            continue;
        TBox* frame = static_cast<TBox*>(column->Last());
        if (frame->Count == 0 || (static_cast<TBox*>(frame->Last())->Flags & bxText) == 0)
            continue;
        TBox* text = static_cast<TBox*>(frame->Last());
        std::int32_t granted = 0;
        const std::int32_t before = text->Height();
        TBox::RequestHeight(frame, text, ColumnExtraHeight, Doc.StateFlags[sfBalancingTrial] == 0, granted);
        column->ColumnExtra = static_cast<std::uint16_t>(std::max(0, text->Height() - before));
    }
    bandEmpty = band->IsEmpty();
    if ((met & frSectionBreak) == 0)
        return brPageDone;
    const TLine* last = LastBodyLine();
    TSection* ended = last != nullptr && LineEndsPar(last) ? last->Par->EndingSection() : nullptr;
    if (ended != nullptr && ended->Format.BreakKind == 0 && !bandEmpty && !TextExhausted())
        return brNextBand;
    return brPageDone;
}

int TPaginator::FlowPageBands(TPage& page) {
    const bool print = Doc.ViewMode == vmPrintLayout;
    page.SaveState();
    const TLine* startLine = LastBodyLine();
    TSection* section = NextSection(startLine);
    bool empty = false;
    int r = FlowSectionBand(page, UnlimitedHeight, empty);
    if (r == brNextBand && print && section != nullptr && section->Format.ColumnCount > 1) {
        // Balance the columns: the lowest band height at which the section
        // still ends in this band, found by bisection.
        std::int32_t h = LastBand(page)->Height();
        page.RestoreState();
        Doc.PushStateFlag(sfBalancingTrial);
        std::int32_t lo = 1;
        while (lo < h) {
            const std::int32_t m = lo + (h - lo) / 2;
            if (m <= 0 || m == h)
                break;
            bool trialEmpty = false;
            const int trial = FlowSectionBand(page, m, trialEmpty);
            page.RestoreState();
            if (trial == brNextBand)
                h = m;
            else
                lo = m + 1;
        }
        Doc.PopStateFlag();
        r = FlowSectionBand(page, h, empty);
    }
    TBox* band = LastBand(page);
    if (empty || band == nullptr) {
        page.RestoreState();
        page.DropTopState();
        return brPageDone;
    }
    if (r == brPageDone && print) {
        // The last band fills the page.
        std::int32_t used = page.Insets.Top + page.Insets.Bottom;
        for (std::int32_t i = 0; i < page.Count; ++i)
            used += page.Child(i)->Height();
        const std::int32_t rest = page.Height() - used;
        if (rest > 0)
            band->Grow(rest, true);
    }
    band->MaxHeight = band->Height();
    for (std::int32_t c = 0; c < band->Count; ++c) {
        TBox* column = band->Child(c);
        std::int32_t granted = 0;
        const std::int32_t need = band->Height() - column->Height();
        if (need > 0)
            TBox::RequestHeight(band, column, need, true, granted);
        // Footnotes stand at the bottom of the column, below any endnotes.
        TBox* footnotes = nullptr;
        for (std::int32_t k = 0; k < column->Count; ++k)
            if (column->Child(k)->Story == stFootnotes)
                footnotes = column->Child(k);
        if (footnotes != nullptr) {
            column->Remove(footnotes);
            column->Add(footnotes);
        }
        column->StackTop();
        if (footnotes != nullptr && section != nullptr && section->FootnoteSettings.Position != 2) {
            const std::int32_t shift = column->Height() - column->Insets.Bottom - footnotes->Bounds.Bottom;
            if (shift > 0)
                footnotes->MoveBy(0, shift);
        }
        for (std::int32_t k = 0; k < column->Count; ++k)
            column->Child(k)->StackTop();
    }
    band->MaxHeight = UnlimitedHeight;
    if (band->Count > 1 && section != nullptr && section->Format.LineBetween != 0) {
        std::int32_t tallest = 0;
        for (std::int32_t c = 0; c < band->Count; ++c) {
            const TBox* column = band->Child(c);
            if (column->Count > 0)
                tallest = std::max(tallest, static_cast<TBox*>(column->Last())->Bounds.Bottom - column->ColumnExtra);
        }
        band->ColumnContentHeight = static_cast<std::uint16_t>(std::clamp(tallest, 0, 65535));
    }
    page.DropTopState();
    return r;
}

void TPaginator::Run(std::int32_t fromPage, std::int32_t untilPage) {
    const bool print = Doc.ViewMode == vmPrintLayout;
    const TTableWalkScope tables(Doc);
    Doc.DiscardPages(fromPage);
    // Every page places at least one line or is a deliberate blank page, so
    // the text runs out after a bounded number of pages; the count below
    // guards against a page that makes no progress all the same.
    std::int32_t stalled = 0;
    for (;;) {
        if (TextExhausted()) {
            Doc.StateFlags[sfPaginationComplete] = 1;
            Doc.StateFlags[sfKeepLargerPageCount] = 0;
            if (print)
                Doc.PrintLayoutPageCount = Doc.Pages.Count;
            break;
        }
        if (untilPage < Doc.Pages.Count)
            break;
        const TLine* last = LastBodyLine();
        auto* page = static_cast<TPage*>(TBox::Acquire(&Doc, bkPage));
        page->PageIndex = Doc.Pages.Count;
        if (Doc.Pages.Count > 0) {
            const TPage* previous = Doc.Pages.At<TPage>(Doc.Pages.Count - 1);
            page->PendingFootnotes = previous->PendingFootnotes;
            page->PendingEndnotes = previous->PendingEndnotes;
            page->NextFootnote = previous->NextFootnote;
            page->NextEndnote = previous->NextEndnote;
        }
        Doc.Pages.Add(page);
        TSection* section = NextSection(last);
        if (section != nullptr)
            section = Doc.PageSectionOfPar(section->FirstPar);
        page->Section = section;
        if (print && section != nullptr) {
            const TPageSetup& setup = section->PageSetup;
            page->Bounds = {0, 0, setup.PageWidth, setup.PageHeight};
            page->Insets.Top = setup.TopMargin;
            page->Insets.Bottom = setup.BottomMargin;
            if (Doc.StateFlags[sfHeadersFootersOff] == 0) {
                // The first page of a section with a title page uses the
                // first-page slots; odd and even pages their own when the
                // setup asks for it.
                const bool titlePage =
                    setup.DifferentFirstPage != 0 && !Doc.Par(NextSection(last)->FirstPar)->IsLaidOut();
                int headerSlot = hfOddHeader, footerSlot = hfOddFooter;
                if (titlePage) {
                    headerSlot = hfFirstHeader;
                    footerSlot = hfFirstFooter;
                } else if (setup.FacingPages != 0 && page->PageIndex % 2 == 1) {
                    headerSlot = hfEvenHeader;
                    footerSlot = hfEvenFooter;
                }
                TSection& hfSection = *NextSection(last);
                LayOutHeaderFooter(*page, hfSection, headerSlot, false);
                LayOutHeaderFooter(*page, hfSection, footerSlot, true);
            }
        } else {
            const std::int32_t textWidth = section != nullptr ? section->PageSetup.TextWidth : 9360;
            page->Bounds = {0, 0, 2 * DraftViewMargin + textWidth, DraftPageHeight};
        }
        // The shape re-flow loop: a floating shape found on the page that
        // reaches text placed before it was known sends the page back to
        // its state before the bands, keeping the shapes, so that every
        // line is laid out beside them. The passes are bounded, because a
        // re-flow can push an anchor off the page and bring it back.
        // Without floating shapes the bands are flowed once, with no
        // snapshot to take.
        const bool shapes = Doc.HasWrappingShapes();
        if (shapes)
            page->SaveState();
        for (int pass = 1;; ++pass) {
            for (int bands = 0; FlowPageBands(*page) == brNextBand && bands < 4096; ++bands) {
            }
            if (!shapes || !SettlePlacedShapes(*page) || pass >= MaxShapeFlowPasses)
                break;
            page->RestoreState();
        }
        if (shapes)
            page->DropTopState();
        // A page that holds nothing but its header and footer forgets them.
        bool onlyFrames = page->Count > 0;
        for (std::int32_t i = 0; i < page->Count; ++i)
            if (page->Child(i) != page->HeaderBox && page->Child(i) != page->FooterBox)
                onlyFrames = false;
        if (onlyFrames) {
            page->ReleaseChildren();
            page->HeaderBox = page->FooterBox = nullptr;
            page->HeaderField = page->FooterField = nullptr;
        }
        stalled = page->IsEmpty() ? stalled + 1 : 0;
        if (stalled > 2)
            break;
    }
    if (Doc.StateFlags[sfPaginationComplete] != 0) {
        Doc.FieldPageCount = Doc.Pages.Count;
        Doc.StateFlags[sfPageFieldsStale] = fromPage < Doc.Pages.Count ? 1 : 0;
    }
}

}  // namespace

void TDoc::Paginate(std::int32_t fromPage, std::int32_t untilPage) {
    BeginDocumentCall(this);
    TPaginator(*this).Run(fromPage, untilPage);
    EndDocumentCall(this);
}

void TDoc::PaginateAll() {
    if (StateFlags[sfPaginationComplete] == 0)
        Paginate(Pages.Count, 2147483647);
}

void TDoc::DiscardPages(std::int32_t fromPage) {
    fromPage = std::clamp(fromPage, 0, Pages.Count);
    for (std::int32_t i = Pages.Count - 1; i >= fromPage; --i)
        TBox::Release(Pages.At<TBox>(i));
    Pages.SetCount(fromPage);
    StateFlags[sfPaginationComplete] = 0;
    StateFlags[sfBackgroundLimit] = 0;
}

void TDoc::DestroyLayout() {
    for (std::int32_t i = Pages.Count - 1; i >= 0; --i)
        delete Pages.At<TBox>(i);
    Pages.Clear();
    for (std::int32_t i = 0; i < Pars.Count; ++i)
        Par(i)->RebuildLines(false, 0);
    StateFlags[sfPaginationComplete] = 0;
    // The breaker's state outlives documents; a document about to go must
    // not stay its measuring document, or the next conversion reads freed
    // memory.
    if (Breaker.Doc == this)
        Breaker.Doc = nullptr;
}

std::int32_t TDoc::ParLength(std::int32_t par) const {
    return Par(par)->CharCount();
}
