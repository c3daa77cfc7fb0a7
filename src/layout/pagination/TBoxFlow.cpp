// Flowing paragraphs into layout boxes: which lines go into a box, where,
// and what happens at its bottom edge (spacing, breaks, keep chains, widow
// and orphan control).

#include <algorithm>
#include <vector>

#include "base/core/TList.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/LineLayout.h"
#include "layout/lines/WrapArea.h"
#include "layout/pagination/FloatingShapes.h"
#include "layout/pagination/Pagination.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TPar.h"

namespace {

// Marks of TBox::Flow, each paired with one page snapshot.
enum : std::uint8_t { mkTextBox = 0, mkTable = 1, mkRow = 2, mkKeepChain = 3 };

struct TFlowMark {
    std::uint8_t Tag = 0;
    std::uint32_t Flags = 0;
    TTextPos Start{};
};

class TMarkStack {
public:
    explicit TMarkStack(TPage* page) : Page(page) {}
    ~TMarkStack() {
        while (!Marks.empty())
            Pop(false);
    }

    void Push(std::uint8_t tag, std::uint32_t flags, const TTextPos& start) {
        Page->SaveState();
        Marks.push_back({tag, flags, start});
    }
    bool Has(std::uint8_t tag) const {
        return std::any_of(Marks.begin(), Marks.end(), [tag](const TFlowMark& m) { return m.Tag == tag; });
    }
    // Takes the page back to the mark's snapshot; false when the tag is not
    // on the stack.
    bool RollBack(std::uint8_t tag, std::uint32_t& flags, TTextPos& start) {
        if (!Has(tag))
            return false;
        for (;;) {
            const TFlowMark mark = Marks.back();
            Page->RestoreState();
            Pop(false);
            if (mark.Tag == tag) {
                flags = mark.Flags;
                start = mark.Start;
                return true;
            }
        }
    }
    // Forgets the topmost mark of the tag, keeping what was placed since.
    void Drop(std::uint8_t tag) {
        for (std::size_t i = Marks.size(); i-- > 0;) {
            if (Marks[i].Tag != tag)
                continue;
            // The snapshots above it stay in step with their marks: the
            // page's stack is dropped from the top, so a mark in the middle
            // gives up its snapshot by merging into the one above.
            if (i + 1 == Marks.size()) {
                Pop(false);
            } else {
                DropMiddle(i);
            }
            return;
        }
    }

private:
    void Pop(bool) {
        Page->DropTopState();
        Marks.pop_back();
    }
    void DropMiddle(std::size_t i) {
        // Snapshots above index i are restored in order later or dropped;
        // the one of mark i is no longer needed, but page snapshots form a
        // stack, so the mark keeps its slot under a tag nothing looks for.
        Marks[i].Tag = 255;
    }

    TPage* Page;
    std::vector<TFlowMark> Marks;
};

bool IsRegionBreakChar(std::uint8_t c) {
    return c == chSectionBreak || c == chColumnBreak || c == chPageBreak;
}

bool LineIsBreakOnly(const TLine& line) {
    const std::uint8_t* chars = line.Par->Chars.Data + line.FirstChar;
    std::int32_t n = line.CharCount;
    if (n > 0 && chars[n - 1] == chParEnd)
        --n;
    return n == 1 && IsRegionBreakChar(chars[0]);
}

bool IsLastLineOfPar(const TLine& line) {
    return line.FirstChar + line.CharCount >= line.Par->CharCount();
}

std::int32_t StatedSpace(std::int32_t value) {
    return std::max(0, value);
}

// The previous paragraph's last line ends with a page, column or section
// break.
bool EndsRegion(const TPar& par) {
    const std::int32_t n = par.CharCount();
    const std::uint8_t* c = par.Chars.Data;
    if (n >= 2 && IsRegionBreakChar(c[n - 2]))
        return true;
    return n >= 1 && IsRegionBreakChar(c[n - 1]);
}

bool SameList(const TPar& a, const TPar& b) {
    return a.Format.List != 0 && a.Format.List != static_cast<std::int32_t>(0x80000000u) &&
           a.Format.List == b.Format.List;
}

// Effective space before and after of paragraph p placed into text box b.
void ResolveSpacing(TDoc& doc, TBox& b, std::int32_t p, bool atPageStart, std::int32_t& before, std::int32_t& after) {
    const TPar& par = *doc.Par(p);
    const int story = doc.StoryOfPar(p);
    const std::int32_t first = doc.FirstParOfStory(story);
    const std::int32_t last = doc.LastParOfStory(story);
    const TPar* prev = p > first ? doc.Par(p - 1) : nullptr;
    const TPar* next = p < last ? doc.Par(p + 1) : nullptr;
    const bool print = doc.ViewMode == vmPrintLayout;
    const bool inCell = par.Format.InTable == 1;
    const bool contextual = par.Format.ContextualSpacing == 1;

    std::int32_t sb = par.Format.SpaceBefore;
    if (sb == 0 || (sb < 0 && sb != AutoSpacingValue)) {
        before = 0;
    } else if (contextual && prev != nullptr && prev->Format.Style == par.Format.Style) {
        before = 0;
    } else {
        if (sb == AutoSpacingValue)
            sb = (b.LastLine(0) == nullptr || (prev != nullptr && SameList(*prev, par))) ? 0 : AutoSpacing;
        if (!print) {
            if (prev != nullptr)
                sb = std::max(0, sb - static_cast<std::int32_t>(prev->SpaceBelow));
        } else if (const TLine* lastLine = b.LastLine(0)) {
            sb = std::max(0, sb - static_cast<std::int32_t>(lastLine->Par->SpaceBelow));
        } else if (atPageStart && !inCell && story == stMain && p > 0 && par.Format.PageBreakBefore != 1 &&
                   !(prev != nullptr && EndsRegion(*prev))) {
            // Space before is dropped at the top of a page that the text
            // flowed onto, kept where a break asked for the page.
            sb = 0;
        }
        before = sb;
    }

    std::int32_t sa = par.Format.SpaceAfter;
    if (sa == 0 || (sa < 0 && sa != AutoSpacingValue)) {
        after = 0;
    } else if (contextual && next != nullptr && next->Format.Style == par.Format.Style) {
        after = 0;
    } else if (sa == AutoSpacingValue) {
        after = (next == nullptr || SameList(par, *next)) ? 0 : AutoSpacing;
    } else {
        after = sa;
    }
}

// The line placed last before a line of paragraph p (line index i) that
// carries a line number, within the section that starts at paragraph first.
const TLine* PreviousNumberedLine(TDoc& doc, const TPar& par, std::int32_t i, std::int32_t first) {
    if (i > 0) {
        const TLine* line = par.Lines->At<TLine>(i - 1);
        return line->Box != nullptr && line->LineNumber > 0 ? line : nullptr;
    }
    for (std::int32_t q = par.Index - 1; q >= first && q >= 0; --q) {
        const TPar* before = doc.Par(q);
        for (std::int32_t k = before->LineCount() - 1; k >= 0; --k) {
            const TLine* line = before->Lines->At<TLine>(k);
            if (line->Box != nullptr && line->LineNumber > 0)
                return line;
        }
    }
    return nullptr;
}

// Line numbering of a placed main-text line: from the section's start value,
// restarting on each page or section as the page setup asks.
void NumberLine(TDoc& doc, TLine& line, std::int32_t i) {
    line.LineNumber = 0;
    const TPar& par = *line.Par;
    TSection* section = doc.SectionOfPar(par.Index);
    if (section == nullptr || section->PageSetup.LineNumberStep <= 0 || par.Format.SuppressLineNumbers == 1 ||
        par.Format.InTable == 1 || IsSectionBreakOnly(par) ||
        ((line.Flags & lfWrapPiece) != 0 && (line.Flags & lfWrapRowFirst) == 0))
        return;
    const TPageSetup& setup = section->PageSetup;
    const std::int32_t start = std::max(1, setup.LineNumberStart);
    const std::int32_t first = setup.LineNumberRestart == 2 ? 0 : section->FirstPar;
    const TLine* previous = PreviousNumberedLine(doc, par, i, first);
    if (previous == nullptr || (setup.LineNumberRestart == 0 && previous->Box->Page() != line.Box->Page()))
        line.LineNumber = start;
    else
        line.LineNumber = previous->LineNumber + 1;
}

}  // namespace

std::uint32_t PlaceNotes(TBox& column, int story) {
    TPage* page = column.Page();
    std::vector<TFragment>& pending = story == stFootnotes ? page->PendingFootnotes : page->PendingEndnotes;
    if (pending.empty())
        return frAll;
    page->SaveState();
    TBox* frame = column.NoteFrameOf(static_cast<std::uint8_t>(story));
    std::uint32_t result = frAll;
    if (frame->IsEmpty() && frame->Insets.Top == 0) {
        if (!frame->Grow(NoteSeparatorHeight, false)) {
            page->RestoreState();
            page->DropTopState();
            return frNothing;
        }
        frame->Insets.Top = NoteSeparatorHeight;
    }
    bool placedAny = false;
    while (!pending.empty()) {
        TFragment& note = pending.front();
        const TTextPos before = note.Start;
        const std::uint32_t r = frame->Flow(note);
        if (note.Start.Par != before.Par || note.Start.Offset != before.Offset)
            placedAny = true;
        const bool done =
            note.Start.Par > note.End.Par || (note.Start.Par == note.End.Par && note.Start.Offset >= note.End.Offset);
        if (done) {
            pending.erase(pending.begin());
            continue;
        }
        result = (r & frNothing) != 0 && !placedAny ? frNothing : frPart;
        break;
    }
    if (!placedAny && result == frNothing)
        page->RestoreState();
    page->DropTopState();
    return result;
}

bool IsSectionBreakOnly(const TPar& par) {
    return par.CharCount() == 1 && par.Chars.Data[0] == chSectionBreak;
}

bool KeepsWithNext(TDoc& doc, std::int32_t p) {
    if (p < 0 || p >= doc.ParCount())
        return false;
    const TPar& par = *doc.Par(p);
    // Table rows: a heading row, or a row with a paragraph that keeps with
    // the next (the table flow keeps its own chains by the same rule).
    if (par.Format.InTable == 1)
        return TableRowKeepsWithNext(doc, p);
    if (par.Format.KeepWithNext != 1)
        return false;
    const std::uint8_t* c = par.Chars.Data;
    for (std::int32_t i = 0; i < par.CharCount(); ++i)
        if (IsRegionBreakChar(c[i]))
            return false;
    return true;
}

// BreakParagraph with the lines from fromLine laid out beside the area's
// exclusions (none when area is null).
void BreakParagraphBeside(TPar& par, std::int32_t fromLine, std::int32_t width, TWrapArea* area) {
    par.LayoutLines(fromLine, std::max(width, 1), area);
    par.Flags |= pfLaidOut;
    // The line breaker counts the stated spacing; layout owns the effective
    // values, which depend on the neighbours. Beside a drop cap the second
    // line is the one that carries the space before.
    const bool capFirst = par.LineCount() > 0 && (par.Lines->At<TLine>(0)->Flags & lfDropCap) != 0;
    for (std::int32_t i = std::max(fromLine, 0); i < par.LineCount(); ++i) {
        TLine& line = *par.Lines->At<TLine>(i);
        if (i == (capFirst ? 1 : 0) && (line.Flags & lfDropCap) == 0 &&
            !(line.CharCount > 0 && IsRegionBreakChar(par.Chars.Data[line.FirstChar])))
            line.Height += par.SpaceAbove - StatedSpace(par.Format.SpaceBefore);
        if (IsLastLineOfPar(line) && (line.Flags & lfDropCap) == 0)
            line.Height += par.SpaceBelow - StatedSpace(par.Format.SpaceAfter);
        line.Height = std::max(line.Height, 1);
    }
}

void BreakParagraph(TPar& par, std::int32_t fromLine, std::int32_t width) {
    BreakParagraphBeside(par, fromLine, width, nullptr);
}

// How far a drop cap's box reaches into the margin on its left.
constexpr std::int32_t CapMargin = 280;

// The drop cap of a paragraph about to be placed in text box b: its first
// line goes into a box of its own, a child of b, and the rest of the
// paragraph is broken again beside it. False when b has no room for it.
bool MakeDropCap(TBox& b, TPar& par, std::int32_t lineWidth, bool atStart, std::int32_t& capBottom) {
    TLine& cap = *par.Lines->At<TLine>(0);
    const bool headerFooter = b.Story == stHeadersFooters;
    const std::int32_t room = b.InnerHeight() - b.ContentBottom;
    if (room < cap.Height && !b.Grow(cap.Height - room, atStart || headerFooter) && !headerFooter)
        return false;
    // The cap's box reaches 280 twips into the margin on its left, where
    // its text begins, and is as wide as the cap's characters; it never
    // starts left of the column's inner edge.
    const std::int32_t textWidth = Px16ToTwips(cap.Pos(cap.CharCount) - cap.Pos(0));
    std::int32_t left = b.Insets.Left + std::max<std::int32_t>(0, par.Format.LeftIndent) - CapMargin;
    left = std::max(left, b.Insets.Left - CapMargin);
    TBox* box = b.AddChild(bkPlain, bxText | bxDropCap);
    box->Story = stMain;
    box->Insets.Left = CapMargin;
    box->Bounds.Left = left;
    box->Bounds.Right = left + CapMargin + textWidth;
    box->Bounds.Top = b.Insets.Top + b.ContentBottom;
    box->Bounds.Bottom = box->Bounds.Top + cap.Height;
    box->AddLine(&cap);
    cap.Top = 0;
    box->ContentBottom = cap.Height;
    capBottom = b.ContentBottom + cap.Height;
    // The rest of the paragraph wraps beside the cap, in the text's own
    // coordinates (left edge of the inner area at 0).
    TWrapArea area;
    area.Exclusions.push_back(
        {box->Bounds.Left - b.Insets.Left, b.ContentBottom, box->Bounds.Right - b.Insets.Left, capBottom});
    area.Y = b.ContentBottom;
    BreakParagraphBeside(par, 1, lineWidth, &area);
    return true;
}

std::uint32_t TBox::Flow(TFragment& range) {
    TDoc& doc = *Document;
    TPage* page = Page();
    TMarkStack marks(page);
    std::uint32_t flags = 0;
    bool chainOpen = false;
    bool chainAtStart = false;
    std::int32_t chainEnd = -1;
    bool reflow = false;
    bool ended = false;
    auto empty = [&range]() {
        return range.Start.Par > range.End.Par ||
               (range.Start.Par == range.End.Par && range.Start.Offset >= range.End.Offset);
    };
    if (empty())
        return frAll;
    auto dropChain = [&]() {
        if (chainOpen)
            marks.Drop(mkKeepChain);
        chainOpen = false;
    };
    auto rollBackChain = [&]() {
        if (chainOpen) {
            std::uint32_t saved = flags;
            TTextPos start;
            if (marks.RollBack(mkKeepChain, saved, start)) {
                flags = saved;
                range.Start = start;
            }
        }
        chainOpen = false;
    };
    while (!empty()) {
        // Table rows go into a table box; inside a cell every paragraph
        // flows as text.
        if ((Flags & bxCell) == 0 && doc.Par(range.Start.Par)->Format.InTable == 1 && range.Start.Offset == 0 &&
            StartsTableRow(doc, range.Start.Par, range.End.Par)) {
            TTableKeepChain tableChain{chainOpen ? chainEnd : -1, false};
            const std::uint32_t r = FlowTableRows(*this, range, &tableChain);
            if ((r & frNothing) != 0) {
                if (!chainAtStart)
                    rollBackChain();
                break;
            }
            if (chainOpen && (empty() || range.Start.Par > chainEnd + 1))
                dropChain();
            if ((r & frPart) != 0 && !empty()) {
                flags |= frPart;
                if (range.Start.Par < doc.ParCount() && doc.Par(range.Start.Par)->Format.InTable == 1) {
                    // The table continues on the next page. A chain that
                    // reaches the row that did not fit goes with it.
                    if (chainOpen && !chainAtStart && tableChain.RowFailed) {
                        rollBackChain();
                        flags |= frPart;
                        break;
                    }
                    dropChain();
                    ended = true;
                    break;
                }
                continue;
            }
            flags = (flags & ~frPart) | frAll;
            continue;
        }
        // A keep chain: paragraphs that keep with the next stay together with
        // the first line of the paragraph after them.
        if (!chainOpen && range.Start.Offset == 0 && Story < stHeadersFooters &&
            doc.Par(range.Start.Par)->Format.InTable != 1 && KeepsWithNext(doc, range.Start.Par)) {
            chainAtStart = IsAtPageStart();
            chainEnd = range.Start.Par;
            while (chainEnd < range.End.Par && KeepsWithNext(doc, chainEnd + 1)) {
                ++chainEnd;
                // A table row joins the chain whole.
                if (doc.Par(chainEnd)->Format.InTable == 1)
                    chainEnd = std::min(TableRowEndOf(doc, chainEnd), range.End.Par);
            }
            marks.Push(mkKeepChain, flags, range.Start);
            chainOpen = true;
        }
        TBox* text;
        bool newText = false;
        if (Count > 0 && (static_cast<TBox*>(Last())->Flags & bxText) != 0) {
            text = static_cast<TBox*>(Last());
        } else {
            marks.Push(mkTextBox, flags, range.Start);
            newText = true;
            text = AddChild(bkPlain, bxText);
            text->Story = Story;
            text->Bounds.Right = Width();
            text->Insets.Left = Insets.Left;
            text->Insets.Right = Insets.Right;
            // A text box is stacked below the box's content so far.
            std::int32_t y = Insets.Top;
            for (std::int32_t i = 0; i + 1 < Count; ++i)
                y += Child(i)->Height();
            text->Bounds.Top = text->Bounds.Bottom = y;
        }
        TFragment parRange;
        parRange.Start = range.Start;
        if (range.Start.Par == range.End.Par)
            parRange.End = range.End;
        else
            parRange.End = {range.Start.Par, doc.Par(range.Start.Par)->CharCount()};
        const std::uint32_t r = text->PlacePars(parRange);
        flags |= r & frBreaks;
        if ((r & frNothing) != 0) {
            reflow = (r & frReflow) != 0;
            if (newText) {
                std::uint32_t saved = flags;
                TTextPos start;
                marks.RollBack(mkTextBox, saved, start);
            }
            if (chainAtStart || (r & frPageBreak) != 0)
                dropChain();
            else
                rollBackChain();
            if (reflow)
                flags &= ~frPart;
            break;
        }
        if (newText)
            marks.Drop(mkTextBox);
        range.Start = parRange.Start;
        if (range.Start.Par < doc.ParCount() && range.Start.Offset > 0 &&
            range.Start.Offset >= doc.Par(range.Start.Par)->CharCount())
            range.Start = {range.Start.Par + 1, 0};
        if (chainOpen &&
            (empty() || range.Start.Par > chainEnd + 1 || (range.Start.Par == chainEnd + 1 && range.Start.Offset > 0)))
            dropChain();
        if ((r & frPart) != 0) {
            flags |= frPart;
            if (chainOpen && !chainAtStart) {
                rollBackChain();
                flags |= frPart;
                break;
            }
            dropChain();
            ended = true;
            break;
        }
        if (empty())
            flags = (flags & ~frPart) | frAll;
        else
            flags |= frPart;
        if ((flags & frBreaks) != 0) {
            dropChain();
            ended = true;
            break;
        }
    }
    if (!ended && (flags & (frPart | frAll)) == 0)
        flags |= frNothing;
    if (reflow)
        flags |= frReflow;
    dropChain();
    return flags;
}

std::uint32_t TBox::PlacePars(TFragment& range) {
    TDoc& doc = *Document;
    TPage* page = Page();
    const bool atStart = IsAtPageStart();
    const bool print = doc.ViewMode == vmPrintLayout;
    const bool balancing = doc.StateFlags[sfBalancingTrial] != 0;
    const TTextPos origin = range.Start;
    std::uint32_t result = 0;
    const std::int32_t p = range.Start.Par;
    TPar& par = *doc.Par(p);
    const std::int32_t parLength = par.CharCount();
    const std::int32_t width = TextWidth(range.End.Par);

    // Page break before: the paragraph starts a page of its own once the
    // page holds main text.
    if (par.Format.PageBreakBefore == 1 && Story == stMain && print && p > 0 && range.Start.Offset == 0 &&
        page != nullptr && page->FirstLine(1u << stMain) != nullptr)
        return frNothing | frPageBreak;

    std::int32_t right = par.Format.RightIndent;
    if (right < 0 && !print)
        right = 0;
    const std::int32_t lineWidth = std::max(1, width - right);

    // Floating shapes placed on the page so far: a paragraph beside them is
    // broken around their exclusions, and one broken around shapes before
    // (on another page or pass) is broken again. A drop cap's paragraph
    // wraps beside its cap only.
    TWrapArea shapeArea;
    const bool besideShapes =
        (par.Flags & pfDropCap) == 0 && CollectShapeExclusions(*this, shapeArea, &par, range.Start.Offset);
    auto wrappedFrom = [&par](std::int32_t from) {
        for (std::int32_t k = std::max(from, 0); k < par.LineCount(); ++k)
            if ((par.Lines->At<TLine>(k)->Flags & (lfWrapPiece | lfTopFixed)) != 0)
                return true;
        return false;
    };
    auto breakFrom = [&](std::int32_t from) {
        BreakParagraphBeside(par, from, lineWidth, besideShapes ? &shapeArea : nullptr);
    };

    if (range.Start.Offset == 0) {
        std::int32_t before = 0, after = 0;
        ResolveSpacing(doc, *this, p, atStart, before, after);
        // A drop cap is made anew wherever its paragraph starts, since the
        // lines beside it depend on where the cap stands.
        if (before != par.SpaceAbove || after != par.SpaceBelow || !(par.Flags & pfLaidOut) || par.LineCount() == 0 ||
            (par.Flags & pfDropCap) != 0) {
            par.SpaceAbove = static_cast<std::uint16_t>(before);
            par.SpaceBelow = static_cast<std::uint16_t>(after);
            breakFrom(0);
        } else if (besideShapes || wrappedFrom(0)) {
            breakFrom(0);
        }
    } else if (!(par.Flags & pfLaidOut) || par.LineCount() == 0) {
        BreakParagraph(par, 0, lineWidth);
    }
    // A drop cap takes the first line into a box of its own; the snapshot
    // taken before it takes the box back when none of the paragraph's text
    // stays here.
    bool capSnap = false;
    bool capMade = false;
    std::int32_t capBottom = 0;
    if (range.Start.Offset == 0 && par.LineCount() > 0 && (par.Lines->At<TLine>(0)->Flags & lfDropCap) != 0) {
        if (page != nullptr) {
            page->SaveState();
            capSnap = true;
        }
        capMade = MakeDropCap(*this, par, lineWidth, atStart, capBottom);
        if (!capMade) {
            if (capSnap) {
                page->RestoreState();
                page->DropTopState();
            }
            return frNothing;
        }
    }
    // Lines made for another width are broken again.
    std::int32_t first = capMade ? 1 : 0;
    while (first < par.LineCount() && par.Lines->At<TLine>(first)->FirstChar < range.Start.Offset)
        ++first;
    if (!capMade && range.Start.Offset > 0 && first < par.LineCount() && (besideShapes || wrappedFrom(first)))
        breakFrom(first);
    for (std::int32_t i = first; i < par.LineCount() && !capMade && !besideShapes; ++i) {
        if (par.Lines->At<TLine>(i)->WidthLimit != lineWidth) {
            BreakParagraph(par, i, lineWidth);
            break;
        }
    }
    const std::int32_t n = par.LineCount();
    if (first >= n) {
        if (capSnap) {
            page->RestoreState();
            page->DropTopState();
        }
        return frNothing;
    }
    std::int32_t last = n - 1;
    const bool toParEnd = range.End.Par > p || range.End.Offset >= parLength;
    if (!toParEnd) {
        last = first;
        while (last < n - 1 &&
               par.Lines->At<TLine>(last)->FirstChar + par.Lines->At<TLine>(last)->CharCount < range.End.Offset)
            ++last;
    }

    const bool keepTogether = par.Format.KeepTogether == 1;
    const bool widowControl = par.Format.WidowControl == 1;
    const bool noteStory = Story <= stEndnotes;
    const bool sectionOnly = IsSectionBreakOnly(par);
    bool orphanSnap = false;
    bool widowSnap = false;
    bool stopped = false;
    std::uint32_t breaks = 0;
    std::int32_t placed = 0;
    std::int32_t i = first;
    for (; i <= last && !stopped; ++i) {
        TLine& line = *par.Lines->At<TLine>(i);
        if (noteStory && n >= 2 && page != nullptr) {
            if (i == 0 && !atStart && (widowControl || keepTogether)) {
                page->SaveState();
                orphanSnap = true;
            }
            if (i == n - 2 && widowControl && !keepTogether && n - 2 >= 2 && i > first && last == n - 1) {
                page->SaveState();
                widowSnap = true;
            }
        }
        // A picture scaled to the page stands on a page of its own.
        if (print && (line.Flags & lfPagePicture) != 0 && LineCount() > 0) {
            breaks |= frPageBreak;
            break;
        }
        // Beside shapes a row's pieces share its top, and a row moved below
        // a shape keeps the top the row layout gave it.
        std::int32_t top = ContentBottom;
        bool rowPiece = false;
        if (besideShapes && (line.Flags & lfWrapPiece) != 0 && (line.Flags & lfWrapRowFirst) == 0 && placed > 0) {
            top = par.Lines->At<TLine>(i - 1)->Top;
            rowPiece = true;
        } else if (besideShapes && (line.Flags & lfTopFixed) != 0) {
            top = std::max(ContentBottom, line.Top);
        }
        std::int32_t bottom = ContentBottom;
        if (!(sectionOnly && print && LineCount() > 0)) {
            bottom = std::max(rowPiece ? ContentBottom : 0, top + line.Height);
            const std::int32_t room = InnerHeight();
            if (bottom > room) {
                const bool breakLine = LineIsBreakOnly(line);
                const bool force =
                    !balancing && ((atStart && LineCount() == 0) || breakLine || Story == stHeadersFooters);
                bool fits = Grow(bottom - room, force);
                if (!fits) {
                    const bool rowBox = Parent != nullptr && (Parent->Flags & (bxRowEnd | bxMergeContinue)) != 0;
                    fits = Story == stHeadersFooters || rowBox || (!balancing && breakLine);
                }
                if (!fits && print && Story == stMain && par.Format.InTable != 1 && IsLastLineOfPar(line) &&
                    par.SpaceBelow > 0) {
                    // The last line of a page may drop its space after.
                    const std::int32_t tight = bottom - par.SpaceBelow - InnerHeight();
                    fits = tight <= 0 || Grow(tight, false);
                }
                if (!fits) {
                    stopped = true;
                    break;
                }
            }
        }
        // A line with a footnote reference stands on the page of its note:
        // the note must at least begin here.
        TField* noteRef = print && Story == stMain ? line.FootnoteRef : nullptr;
        TFragment noteRange;
        if (noteRef != nullptr && (noteRef->Partner == nullptr || !doc.FieldRange(noteRef->Partner, noteRange)))
            noteRef = nullptr;
        if (noteRef != nullptr)
            page->SaveState();
        AddLine(&line);
        if (sectionOnly && print && LineCount() > 1) {
            line.Top = Lines->At<TLine>(LineCount() - 2)->Top;
        } else {
            line.Top = top;
            ContentBottom = bottom;
        }
        if (print && Story == stMain)
            NumberLine(doc, line, i);
        if (noteRef != nullptr) {
            page->PendingFootnotes.push_back(noteRange);
            const std::uint32_t notes = PlaceNotes(*ColumnOf(), stFootnotes);
            if ((notes & frNothing) != 0) {
                page->RestoreState();
                page->DropTopState();
                if (atStart && placed == 0) {
                    // At the top of a page the line stays; its note waits
                    // for the next page.
                    AddLine(&line);
                    line.Top = ContentBottom;
                    ContentBottom = bottom;
                    page->PendingFootnotes.push_back(noteRange);
                    ++placed;
                    const std::int32_t end = line.FirstChar + line.CharCount;
                    range.Start = end >= parLength ? TTextPos{p + 1, 0} : TTextPos{p, end};
                    ++i;
                }
                stopped = true;
                break;
            }
            page->DropTopState();
            page->NextFootnote = noteRef->Number + 1;
            if ((notes & frPart) != 0)
                stopped = true;
        }
        ++placed;
        const std::int32_t end = line.FirstChar + line.CharCount;
        range.Start = end >= parLength ? TTextPos{p + 1, 0} : TTextPos{p, end};
        const std::uint8_t lastChar = line.CharCount > 0 ? par.Chars.Data[end - 1] : 0;
        const std::uint8_t beforeMark = line.CharCount > 1 ? par.Chars.Data[end - 2] : 0;
        if (print && (line.Flags & lfPageBreakEnd) != 0)
            breaks |= frPageBreak;
        if (lastChar == chSectionBreak || (lastChar == chParEnd && beforeMark == chSectionBreak))
            breaks |= frSectionBreak;
        else if (print && lastChar == chColumnBreak)
            breaks |= frColumnBreak;
        else if (print && lastChar == chPageBreak)
            breaks |= frPageBreak;
        if (print && (line.Flags & lfPagePicture) != 0)
            breaks |= frPageBreak;
        if (breaks != 0 || stopped) {
            stopped = true;
            ++i;
            break;
        }
    }
    if (stopped && breaks == 0) {
        if (widowSnap) {
            if (i <= last) {
                // The last two lines leave together.
                page->RestoreState();
                range.Start = {p, par.Lines->At<TLine>(n - 2)->FirstChar};
                placed = n - 2 - first;
            }
            page->DropTopState();
            widowSnap = false;
        }
        if (orphanSnap) {
            if (placed <= 1 || (keepTogether && i <= last)) {
                page->RestoreState();
                range.Start = {p, 0};
            }
            page->DropTopState();
            orphanSnap = false;
        }
    }
    if (widowSnap)
        page->DropTopState();
    if (orphanSnap)
        page->DropTopState();
    const bool moved = range.Start.Par != origin.Par || range.Start.Offset != origin.Offset;
    if (moved && (par.Flags & pfShapes) != 0)
        PlaceAnchoredShapes(*this, par, first, last);
    if (capMade && moved && capBottom > ContentBottom) {
        // Text shorter than the cap: what follows starts below the cap.
        ContentBottom = capBottom;
    }
    if (capSnap) {
        if (!moved)
            page->RestoreState();
        page->DropTopState();
    }
    if (!moved)
        result = frNothing;
    else if (range.Start.Par > range.End.Par ||
             (range.Start.Par == range.End.Par && range.Start.Offset >= range.End.Offset))
        result = frAll;
    else
        result = frPart;
    return result | breaks;
}
