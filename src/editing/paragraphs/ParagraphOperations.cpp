#include "editing/paragraphs/ParagraphOperations.h"

#include <algorithm>
#include <vector>

#include "base/messages/MessageBoxes.h"
#include "editing/tables/TableStructure.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/ShapeOperations.h"
#include "model/undo/TFastReplaceTextOperation.h"
#include "model/undo/TMoveParsOperation.h"
#include "model/undo/TSortParsOperation.h"

namespace {

constexpr const char* JoinNeedsSeveral =
    "The \"%s\" operation can only be applied to a multiple selection of paragraphs.\r"
    "Make a selection of paragraphs and try again.";
constexpr const char* NotInNotes = "This operation is not possible on footnotes/endnotes.";
constexpr const char* NotInHeaders = "This operation is not possible on headers/footers.";
constexpr const char* NotOnTables = "This operation is not possible on tables.";
constexpr const char* NotOnSeveralFragments =
    "Currently, a number of non-contiguous fragments are selected in this document. This operation cannot be "
    "applied to such a multiple selection.\r\rPlease, select a single fragment and try again.";

std::int32_t Len(const TDoc& doc, std::int32_t p) {
    return doc.Par(p)->CharCount();
}

std::uint8_t CharAt(const TDoc& doc, std::int32_t p, std::int32_t offset) {
    return doc.Par(p)->Chars.Data[offset];
}

std::int32_t SmartDeleteFlags() {
    return ParagraphOptions().SmartCutAndPaste ? dfSmartSpacing : 0;
}

// Deletes every line break of p that stands alone: one next to another line
// break is part of a pair the user put there on purpose, and one just before
// the mark ends nothing. Works from the end so earlier offsets hold.
bool DeleteSingleLineBreaks(TDoc& doc, std::int32_t p) {
    bool changed = false;
    for (std::int32_t o = Len(doc, p) - 3; o >= 0; --o) {
        if (o >= Len(doc, p) - 2 || CharAt(doc, p, o) != chLineBreak)
            continue;
        const bool pairedBefore = o > 0 && CharAt(doc, p, o - 1) == chLineBreak;
        const bool pairedAfter = CharAt(doc, p, o + 1) == chLineBreak;
        if (pairedBefore || pairedAfter) {
            // Skip the whole run of line breaks.
            while (o > 0 && CharAt(doc, p, o - 1) == chLineBreak)
                --o;
            continue;
        }
        DeleteText(doc, nullptr, TTextPos{p, o}, TTextPos{p, o + 1}, SmartDeleteFlags());
        changed = true;
    }
    return changed;
}

void SelectParagraphs(TDoc& doc, std::int32_t first, std::int32_t last) {
    TPostActions& pa = doc.PostActions();
    pa.Selection->SetSingle(first, 0, last, Len(doc, last));
}

// The paragraphs a sort may exchange start a block: every one except a
// lone cell (whose only paragraph ends it) begins one. In a table a block
// ends with its cell; elsewhere it stops before the next table paragraph.
std::int32_t SortBlockEnd(const TDoc& doc, std::int32_t start, std::int32_t last) {
    std::int32_t end = start;
    if (InTablePar(doc, start)) {
        while (end < last && !EndsCellOrRow(doc, end))
            ++end;
    } else {
        while (end < last && !InTablePar(doc, end + 1))
            ++end;
    }
    return end;
}

}  // namespace

TParagraphOptions& ParagraphOptions() {
    static TParagraphOptions options;
    return options;
}

bool IsBlankParagraph(const TDoc& doc, std::int32_t par) {
    const TPar& p = *doc.Par(par);
    for (std::int32_t o = 0; o + 1 < p.CharCount(); ++o) {
        switch (p.Chars.Data[o]) {
            case ' ':
            case chNoBreakSpace:
            case chEnSpace:
            case chEmSpace:
            case chQuarterEmSpace:
                break;
            default:
                return false;
        }
    }
    return true;
}

void MoveParagraphBlock(TDoc& doc, std::int32_t first, std::int32_t last, std::int32_t target) {
    const std::int32_t count = last - first + 1;
    if (count <= 0 || (target >= first && target <= last + 1))
        return;
    const std::int32_t to = target < first ? target : target - count;
    const int story = doc.StoryOfPar(first);
    (new TMoveParsOperation(&doc, first, count, to, true, story, story))->Execute();
    ReorderNotes(doc);
}

void ReplaceCharInPlace(TDoc& doc, std::int32_t par, std::int32_t offset, std::uint8_t code) {
    if (par < 0 || par >= doc.ParCount() || offset < 0 || offset >= Len(doc, par))
        return;
    (new TFastReplaceTextOperation2(&doc, par, offset, code))->Execute();
}

void RecordSelectedShapes(TDoc& doc) {
    (new TSelShapesOperation(&doc, doc.SelectedShapes))->Execute();
}

void JoinParagraphs(TDoc& doc, std::int32_t first, std::int32_t last) {
    if (doc.ParCount() == 0)
        return;
    first = std::clamp(first, 0, doc.ParCount() - 1);
    last = std::clamp(last, first, doc.LastParOfStory(doc.StoryOfPar(first)));

    bool changed = false;
    for (std::int32_t p = first; p <= last; ++p)
        if (DeleteSingleLineBreaks(doc, p)) {
            changed = true;
            SelectParagraphs(doc, p, p);
        }

    if (first == last) {
        if (!changed)
            ShowInformationFmt(JoinNeedsSeveral, UndoNames[OperationUndoName(opJoinParagraphs, nullptr)]);
        return;
    }

    std::int32_t blankPairs = 0;
    for (std::int32_t i = first; i < last; ++i)
        if (IsBlankParagraph(doc, i) || IsBlankParagraph(doc, i + 1))
            ++blankPairs;
    if (blankPairs < last - first) {
        std::int32_t i = first;
        while (i < last) {
            if (!IsBlankParagraph(doc, i) && !IsBlankParagraph(doc, i + 1)) {
                DeleteText(doc, nullptr, TTextPos{i, Len(doc, i) - 1}, TTextPos{i + 1, 0}, SmartDeleteFlags());
                --last;
            } else {
                ++i;
            }
        }
    }
    SelectParagraphs(doc, first, std::min(first + blankPairs, doc.ParCount() - 1));
}

void SplitParagraphs(TDoc& doc, std::int32_t first, std::int32_t last) {
    if (doc.ParCount() == 0)
        return;
    first = std::clamp(first, 0, doc.ParCount() - 1);
    last = std::clamp(last, first, doc.ParCount() - 1);
    const std::int32_t flags = ParagraphOptions().SmartCutAndPaste ? ifSmartSpacing : 0;
    std::int32_t count = 0;
    TMemory cr;
    cr.AppendByte('\r');
    for (std::int32_t p = last; p >= first; --p) {
        const TPar& par = *doc.Par(p);
        if (par.LineCount() < 2)
            continue;
        // The line starts are read before the first change, which drops the
        // paragraph's lines; inserting from the last line back keeps the
        // earlier starts valid.
        std::vector<std::int32_t> starts;
        for (std::int32_t k = 1; k < par.LineCount(); ++k)
            starts.push_back(par.Lines->At<TLine>(k)->FirstChar);
        for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
            if (*it <= 0 || *it >= Len(doc, p))
                continue;
            InsertText(doc, cr, TTextPos{p, *it}, flags);
            ++count;
        }
    }
    if (count == 0)
        return;
    const std::int32_t end = std::min(last + count, doc.ParCount() - 1);
    TPostActions& pa = doc.PostActions();
    pa.Caret = TTextPos{end, Len(doc, end) - 1};
    SelectParagraphs(doc, first, end);
}

bool SortParagraphs(TDoc& doc, std::int32_t first, std::int32_t last, bool descending) {
    if (doc.ParCount() == 0)
        return false;
    first = std::clamp(first, 0, doc.ParCount() - 1);
    last = std::clamp(last, first, doc.ParCount() - 1);
    bool sorted = false;
    for (std::int32_t p = first; p <= last;) {
        if (EndsCellOrRow(doc, p)) {
            ++p;
            continue;
        }
        const std::int32_t end = SortBlockEnd(doc, p, last);
        if (end > p) {
            (new TSortParsOperation(&doc, p, end, descending))->Execute();
            sorted = true;
        }
        p = end + 1;
    }
    if (!sorted)
        return false;
    TPostActions& pa = doc.PostActions();
    pa.Caret = TTextPos{doc.Caret.Par, 0};
    SelectParagraphs(doc, first, last);
    ReorderNotes(doc);
    for (std::int32_t p = first + 1; p <= last; ++p)
        if (doc.Par(p)->Chars.View() == doc.Par(p - 1)->Chars.View())
            return true;
    return false;
}

void MoveParagraphs(TDoc& doc, std::int32_t direction) {
    if (direction == 0 || doc.ParCount() == 0)
        return;
    const bool selected = doc.HasSelection();
    std::int32_t s = doc.Caret.Par, e = doc.Caret.Par;
    if (selected) {
        TCompoundFragment ranges;
        ranges.Assign(*doc.Selection);
        ranges.Normalize();
        if (ranges.Count() > 1) {
            ShowInformation(InTablePar(doc, ranges.Fragment(0).Start.Par) ? NotOnTables : NotOnSeveralFragments);
            return;
        }
        const TFragment& f = ranges.Fragment(0);
        s = f.Start.Par;
        e = f.End.Par;
        // A range that ends at the start of a paragraph does not take it.
        if (e > s && f.End.Offset == 0)
            --e;
    }
    s = std::clamp(s, 0, doc.ParCount() - 1);
    e = std::clamp(e, s, doc.ParCount() - 1);
    const int story = doc.StoryOfPar(s);
    if (story == stFootnotes || story == stEndnotes) {
        ShowInformation(NotInNotes);
        return;
    }
    if (story == stHeadersFooters) {
        ShowInformation(NotInHeaders);
        return;
    }
    const bool inTable = InTablePar(doc, s) || InTablePar(doc, e);
    if (inTable) {
        // Rows move whole.
        TFragment row;
        if (InTablePar(doc, s)) {
            RowRange(doc, s, row);
            s = row.Start.Par;
        }
        if (InTablePar(doc, e)) {
            RowRange(doc, e, row);
            e = row.End.Par;
        }
    }
    const std::int32_t p0 = doc.FirstParOfStory(story);
    const std::int32_t p1 = doc.LastParOfStory(story);
    e = std::min(e, p1);
    const std::int32_t n = e - s + 1;

    std::int32_t target;
    if (direction < 0) {
        if (s == p0)
            return;
        // The story's last paragraph may not end up in a table, nor after a
        // section end it would have to carry.
        if (e == p1 && (InTablePar(doc, s - 1) || doc.Par(s - 1)->EndingSection() != nullptr))
            return;
        target = s - 1;
        if (InTablePar(doc, target)) {
            TFragment row;
            RowRange(doc, target, row);
            target = row.Start.Par;
        }
    } else {
        const std::int32_t reach = s + n + (InTablePar(doc, e) ? 1 : 0);
        if (reach > p1)
            return;
        if (doc.Par(e)->EndingSection() != nullptr && s + n > p1 - 1)
            return;
        const std::int32_t after = s + n;
        target = after + 1;
        if (InTablePar(doc, after)) {
            TFragment row;
            RowRange(doc, after, row);
            target = row.End.Par + 1;
        }
    }
    const std::int32_t newFirst = target < s ? target : target - n;
    const std::int32_t caretOffset = doc.Caret.Offset;
    const std::int32_t caretShift = doc.Caret.Par - s;
    MoveParagraphBlock(doc, s, e, target);
    const std::int32_t newLast = newFirst + n - 1;

    TPostActions& pa = doc.PostActions();
    if (inTable || selected) {
        doc.StateFlags[sfKeepCaretOnSelection] = 1;
        SelectParagraphs(doc, newFirst, newLast);
        pa.Caret = direction < 0 ? TTextPos{newFirst, 0} : TTextPos{newLast, Len(doc, newLast)};
    } else {
        const std::int32_t par = std::clamp(newFirst + caretShift, newFirst, newLast);
        pa.Caret = TTextPos{par, std::min(caretOffset, Len(doc, par) - 1)};
        pa.Selection->SetSingle(pa.Caret.Par, pa.Caret.Offset, pa.Caret.Par, pa.Caret.Offset);
    }
    doc.StateFlags[sfScrollCaretMode4] = 1;
    for (std::int32_t p : {target < s ? newLast + 1 : newFirst - 1, newLast, newFirst})
        if (p >= 0 && p < doc.ParCount() && InTablePar(doc, p))
            RepairTable(doc, p);
}
