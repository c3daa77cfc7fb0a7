#include "editing/typing/TextInsertion.h"

#include <algorithm>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldIndexMarks.h"
#include "editing/tables/TableStructure.h"
#include "editing/typing/SmartSpacing.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TypingSeams.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TStyle.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/TInsDelOperation.h"
#include "model/undo/TMoveParsOperation.h"

namespace {

TFallbackFontFinder FallbackFinder = nullptr;

std::uint8_t SpecialOfUnit(char16_t c) {
    switch (c) {
        case 9:
            return chTab;
        case 11:
            return chLineBreak;
        case 12:
            return chPageBreak;
        case 15:
            return chColumnBreak;
        case 16:
            return chNonBreakingHyphen;
        case 31:
            return chSoftHyphen;
        case 0x2013:
            return chEnDash;
        case 0x2014:
            return chEmDash;
        case 0x00A0:
            return chNoBreakSpace;
        case 0x00AD:
            return chSoftHyphen;
        case 0x2002:
            return chEnSpace;
        case 0x2003:
            return chEmSpace;
        case 0x2005:
            return chQuarterEmSpace;
        case 0x2011:
            return chNonBreakingHyphen;
        default:
            return 0;
    }
}

// Every paragraph's runs start from the default format: after a paragraph
// end the attributes that differ from it are stated again.
void RestateAfterParEnd(TMemory& out, const TCharFormat& running) {
    AppendFormatChange(out, DefaultCharFormat, running);
}

// Field marks of a stream that would leave a half field in the document
// (a mark whose partner is not in the stream, or a field the document
// already holds) are left out, so that no insertion tears a field.
void DropHalfFields(TDoc& doc, TMemory& stream) {
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(stream, pieces);
    std::vector<std::int32_t> starts, ends;
    TStreamElement e;
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = stream.Data + piece.Start;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (!e.IsControl || e.Truncated)
                continue;
            if (e.Code == fcFieldStart)
                starts.push_back(e.Value);
            else if (e.Code == fcFieldEnd)
                ends.push_back(e.Value);
        }
    }
    if (starts.empty() && ends.empty())
        return;
    auto bad = [&](std::int32_t v) {
        const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(v));
        return field == nullptr || std::count(starts.begin(), starts.end(), v) != 1 ||
               std::count(ends.begin(), ends.end(), v) != 1 || doc.Fields.Contains(field);
    };
    TMemory out;
    std::int32_t copied = 0;
    for (const TInsertionPiece& piece : pieces) {
        out.AppendBuffer(stream.Data + copied, piece.Start - copied);  // the mark before the piece
        const std::uint8_t* data = stream.Data + piece.Start;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (e.IsControl && !e.Truncated && (e.Code == fcFieldStart || e.Code == fcFieldEnd) && bad(e.Value))
                continue;
            out.AppendBuffer(data + off, e.Length);
        }
        copied = piece.Start + piece.Length;
    }
    out.AppendBuffer(stream.Data + copied, stream.Size - copied);
    SwapMemory(stream, out);
}

bool HasTableMarks(const TMemory& stream) {
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(stream, pieces);
    TStreamElement e;
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = stream.Data + piece.Start;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (e.IsControl && !e.Truncated && (e.Code == fcCellEnd || e.Code == fcRowEnd))
                return true;
        }
    }
    return false;
}

void LeaveRowEndMark(TDoc& doc) {
    if (doc.Caret.Par < doc.ParCount() && IsRowEnd(doc, doc.Caret.Par))
        LeaveRowEnd(doc);
}

}  // namespace

TTypingOptions& TypingOptions() {
    static TTypingOptions options;
    return options;
}

void SetFallbackFontFinder(TFallbackFontFinder finder) {
    FallbackFinder = finder;
}

std::int32_t FallbackFontForChar(TDoc& doc, char16_t ch, const TCharFormat& format) {
    return FallbackFinder != nullptr ? FallbackFinder(doc, ch, format) : -1;
}

std::int32_t BuildInsertionStream(TDoc& doc,
                                  const TMemory& text,
                                  const TTextPos& pos,
                                  std::int32_t flags,
                                  TMemory& stream,
                                  std::int32_t& parEnds) {
    stream.Clear();
    parEnds = 0;
    TCharFormat running = doc.TypingFormat;
    const bool wide = (flags & ifUtf16) != 0;
    const bool inTable = pos.Par < doc.ParCount() && doc.Par(pos.Par)->Format.InTable != 0;
    const bool breaksAsLines = inTable && (flags & ifBreaksInTables) == 0;
    const std::int32_t count = wide ? text.Size / 2 : text.Size;
    auto unitAt = [&](std::int32_t i) -> char16_t {
        if (wide)
            return static_cast<char16_t>(text.Data[2 * i] | (text.Data[2 * i + 1] << 8));
        return text.Data[i];
    };
    // The stream opens by turning the format in force at the insertion point
    // into the running format. Stating all attributes would do the same, but
    // leave controls that normalisation later drops, and undo must give back
    // the very bytes it found.
    TCharFormat here;
    doc.FormatAtPos(pos, here);
    AppendFormatChange(stream, here, running);
    std::int32_t chars = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const char16_t c = unitAt(i);
        if (c == 10 || c == 13) {
            AppendFormatControl(stream, fcSpecialChar, chParEnd);
            stream.AppendByte(ParagraphMarkByte);
            ++parEnds;
            ++chars;
            if (i + 1 < count && (unitAt(i + 1) == 10 || unitAt(i + 1) == 13) && unitAt(i + 1) != c)
                ++i;
            RestateAfterParEnd(stream, running);
            continue;
        }
        if (c == 12 && !inTable && i + 2 < count && unitAt(i + 1) == 0) {
            // A section break of the kind the third unit gives.
            TSection* from = doc.SectionOfPar(pos.Par);
            auto* section = new TSection(&doc);
            if (from != nullptr)
                section->Assign(*from);
            section->Format.BreakKind = static_cast<std::uint8_t>(unitAt(i + 2));
            AppendFormatControl(stream, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
            stream.AppendByte(ParagraphMarkByte);
            ++parEnds;
            ++chars;
            i += 2;
            RestateAfterParEnd(stream, running);
            continue;
        }
        std::uint8_t special = wide ? SpecialOfUnit(c) : SpecialCharOfTextByte(static_cast<std::uint8_t>(c));
        if (special != 0) {
            if (breaksAsLines && (special == chPageBreak || special == chColumnBreak))
                special = chLineBreak;
            AppendFormatControl(stream, fcSpecialChar, special);
            ++chars;
            continue;
        }
        if (c < 32)
            continue;  // other control characters are dropped
        if (!wide || (c < 0x80) || (c >= 0xA0 && c < 0x100)) {
            stream.AppendByte(static_cast<std::uint8_t>(c));
        } else {
            // Characters without a byte in the font's code page go in as
            // Unicode characters, in a font that has them when one is known.
            const std::int32_t font = FallbackFontForChar(doc, c, running);
            if (font >= 0 && font != running[caFont]) {
                running[caFont] = font;
                AppendFormatControl(stream, caFont, font);
            }
            AppendFormatControl(stream, fcUnicodeChar, c);
        }
        ++chars;
    }
    // The text after the insertion keeps its format.
    TCharFormat following;
    doc.FormatAtPos(pos, following);
    AppendFormatChange(stream, running, following);
    return chars;
}

namespace {

// A section break typed into a section gives the text before it a new
// section object, a copy of the section without its header and footer
// slots, while the old object goes on with the text after it. The headers
// and footers move to the new object: the text before keeps the ones it
// showed, and the text after, its slots empty, shows the same ones as the
// section before it. Deleting the break hands them back.
void MoveHeadersBeforeBreak(TDoc& doc, TSection* from, std::int32_t par) {
    // The first break typed ends the insertion point's paragraph.
    TSection* before = doc.Par(par)->EndingSection();
    if (before == nullptr || before == from || !doc.Sections.Contains(from) || !doc.Sections.Contains(before))
        return;
    TField* beforeSlots[HeaderFooterSlotCount];
    TField* fromSlots[HeaderFooterSlotCount];
    bool moved = false;
    for (int i = 0; i < HeaderFooterSlotCount; ++i) {
        beforeSlots[i] = before->HeadersFooters[i];
        fromSlots[i] = from->HeadersFooters[i];
        if (fromSlots[i] != nullptr && beforeSlots[i] == nullptr) {
            beforeSlots[i] = fromSlots[i];
            fromSlots[i] = nullptr;
            moved = true;
        }
    }
    if (!moved)
        return;
    (new TChangeSectHeadersOperation(&doc, before, beforeSlots))->Execute();
    (new TChangeSectHeadersOperation(&doc, from, fromSlots))->Execute();
}

}  // namespace

void InsertText(TDoc& doc, const TMemory& text, const TTextPos& pos, std::int32_t flags) {
    TMemory stream;
    std::int32_t parEnds = 0;
    const std::int32_t chars = BuildInsertionStream(doc, text, pos, flags, stream, parEnds);
    if (chars == 0) {
        doc.PostActions().Caret = doc.Caret;
        return;
    }
    // The position may be the caret itself, which the insertion moves.
    const std::int32_t par = pos.Par;
    const std::int32_t story = doc.StoryOfPar(par);
    TSection* from = story == stMain ? doc.SectionOfPar(par) : nullptr;
    const std::int32_t sectionsBefore = doc.Sections.Count;
    InsertFormatted(doc, stream, pos, flags | ifFollowingFormatIncluded, story, parEnds);
    if (from != nullptr && doc.Sections.Count > sectionsBefore)
        MoveHeadersBeforeBreak(doc, from, par);
}

void InsertFormatted(TDoc& doc,
                     const TMemory& content,
                     const TTextPos& where,
                     std::int32_t flags,
                     int story,
                     std::int32_t parEnds,
                     TTextPos* resultPos) {
    if (where.Par < 0 || where.Par > doc.ParCount())
        return;
    TTextPos pos = where;
    if (pos.Par < doc.ParCount() && IsRowEnd(doc, pos.Par)) {
        // Nothing shares a paragraph with a row's end: the text goes to the
        // start of the next paragraph, as typing does.
        const TTextPos caret = doc.Caret;
        doc.Caret = pos;
        LeaveRowEnd(doc);
        pos = doc.Caret;
        doc.Caret = caret;
        if (pos.Par >= doc.ParCount() || IsRowEnd(doc, pos.Par))
            return;
    }
    if (pos.Par < doc.ParCount())
        pos.Offset = std::clamp(pos.Offset, 0, std::max(doc.Par(pos.Par)->CharCount() - 1, 0));
    TMemory stream;
    stream.Assign(content);
    DropHalfFields(doc, stream);
    if (stream.Size == 0)
        return;

    std::vector<TLinkSnapshot> links;
    if (parEnds == 0 && pos.Par < doc.ParCount()) {
        TFragment one;
        MakeCharFragment(pos.Par, pos.Offset, one);
        GatherSelfAddressedLinks(doc, one, links);
    }
    const bool handleMarks = doc.StateFlags[sfInsertingWithFieldMarks] == 0 && pos.Par < doc.ParCount();
    TLiftedFieldMarks lifted;
    if (handleMarks) {
        if (parEnds > 0)
            doc.PushStateFlag(sfInsertingParagraphs);
        CollectFieldMarks(doc, pos, pos, true, lifted);
        if (parEnds > 0)
            doc.PopStateFlag();
    }

    // The end is read before the step is handed over: with recording
    // suspended the document frees it at once.
    auto* step = TInsDelOperation::CreateInsertion(&doc, stream, pos, story, (flags & ifNoObjects) == 0);
    step->Redo();
    doc.ClearTableCache();
    TTextPos end;
    MakeTextPos(step->EndPar, step->EndOffset, end);
    doc.AddSubOperation(step);
    TPostActions& pa = doc.PostActions();
    pa.Selection->Reset();

    TTextPos caret = end;
    TTextPos start = pos;
    if ((flags & ifSmartSpacing) == 0) {
        if (handleMarks)
            RestoreFieldMarks(doc, lifted, pos, end);
        if ((flags & ifSelectInserted) != 0)
            pa.Selection->SetSingle(pos.Par, pos.Offset, end.Par, end.Offset);
    } else {
        if (handleMarks)
            RestoreFieldMarks(doc, lifted, pos, end);
        TSmartSpaceResult atEnd, atStart;
        AdjustSmartSpaces(doc, end, atEnd);
        if (end.Par != pos.Par || pos.Offset < end.Offset - atEnd.RemovedBefore)
            AdjustSmartSpaces(doc, pos, atStart);
        caret.Offset = end.Offset + atEnd.Inserted - atEnd.RemovedBefore;
        if (pos.Par == end.Par)
            caret.Offset += atStart.Inserted - atStart.RemovedBefore - atStart.RemovedAfter;
        start.Offset = pos.Offset + atStart.Inserted - atStart.RemovedBefore;
        if ((flags & ifSelectInserted) != 0) {
            const std::int32_t selEnd = caret.Offset - atEnd.Inserted;
            if (CompareTextPos(start, TTextPos{caret.Par, selEnd}) < 0)
                pa.Selection->SetSingle(start.Par, start.Offset, caret.Par, selEnd);
            else
                pa.Selection->Reset();
        }
    }
    caret.Offset = std::max(caret.Offset, 0);
    doc.Caret = caret;
    pa.Caret = caret;
    if (resultPos != nullptr)
        *resultPos = caret;
    RetargetLinks(doc, links);
    // Table and row marks in the content: the table around them must stay whole.
    if (HasTableMarks(content) || (parEnds > 0 && pos.Par < doc.ParCount() && InTablePar(doc, pos.Par)))
        RepairTable(doc, std::min(pos.Par, doc.ParCount() - 1));
    TypingSeams().ValidateDropCaps(doc, pos.Par);
    if (caret.Par != pos.Par)
        TypingSeams().ValidateDropCaps(doc, caret.Par);
    ReorderNotes(doc);
}

void PrepareSelectionForTyping(TDoc& doc) {
    TCompoundFragment* sel = doc.Selection;
    if (IsEmptyCompoundFragment(sel))
        return;
    auto collapse = [&](const TTextPos& to) {
        doc.Caret = to;
        sel->Reset();
        MakeFragmentFromPositions(to, to, sel->Fragment(0));
    };
    TFragment span;
    sel->GetSpan(span);
    // An end at a paragraph's start is the end of the paragraph before.
    if (span.End.Offset == 0 && span.End.Par > span.Start.Par && span.End.Par <= doc.ParCount()) {
        --span.End.Par;
        span.End.Offset = doc.Par(span.End.Par)->CharCount();
    }
    if (sel->Count() > 1) {
        collapse(sel->Current().End);
        return;
    }
    // A selection that takes the closing mark of a note's text.
    const int story = doc.StoryOfPar(span.Start.Par);
    if (story == stFootnotes || story == stEndnotes) {
        const TTextPos& e = span.End;
        const bool takesMark =
            e.Par > doc.LastParOfStory(story) ||
            (e.Par < doc.ParCount() && e.Offset >= doc.Par(e.Par)->CharCount() && e.Par == doc.LastParOfStory(story));
        if (takesMark) {
            collapse(span.Start);
            return;
        }
    }
    if (doc.StateFlags[sfWholeCellReplaceable] != 0)
        return;
    const bool startInTable = span.Start.Par < doc.ParCount() && InTablePar(doc, span.Start.Par);
    const std::int32_t endPar = std::min(span.End.Par, doc.ParCount() - 1);
    const bool endInTable = InTablePar(doc, endPar);
    if (!startInTable && !endInTable)
        return;
    TFragment cell;
    CellRange(doc, startInTable ? span.Start.Par : endPar, cell);
    if (FragmentsEqual(cell, span) || (CompareTextPos(cell.Start, span.Start) == 0 && span.End.Par == cell.End.Par &&
                                       span.End.Offset >= doc.Par(cell.End.Par)->CharCount())) {
        // Exactly one cell: its mark survives.
        TTextPos e = span.End;
        if (e.Par >= doc.ParCount() || e.Offset > doc.Par(e.Par)->CharCount() - 1) {
            e.Par = std::min(e.Par, doc.ParCount() - 1);
            e.Offset = doc.Par(e.Par)->CharCount() - 1;
        } else {
            --e.Offset;
        }
        if (e.Offset <= 0 && e.Par > span.Start.Par) {
            --e.Par;
            e.Offset = doc.Par(e.Par)->CharCount() - 1;
        }
        if (CompareTextPos(span.Start, e) >= 0) {
            collapse(span.Start);
            return;
        }
        sel->SetSingle(span.Start.Par, span.Start.Offset, e.Par, e.Offset);
        return;
    }
    // Within one cell, short of its mark: the text can be replaced.
    const bool insideOneCell = startInTable && endInTable && CompareTextPos(cell.Start, span.Start) <= 0 &&
                               (span.End.Par < cell.End.Par ||
                                (span.End.Par == cell.End.Par && span.End.Offset < doc.Par(cell.End.Par)->CharCount()));
    if (insideOneCell)
        return;
    collapse(span.End);
}

void InsertTextAtCaret(TDoc& doc, const TMemory& text, std::int32_t flags) {
    PrepareSelectionForTyping(doc);
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        ReplaceText(doc, span.Start, span.End, flags, text);
        return;
    }
    LeaveRowEndMark(doc);
    doc.UpdateTypingFormat();
    UpdateTypingLanguage(doc, doc.TypingFormat);
    const TTextPos before = doc.Caret;
    InsertText(doc, text, doc.Caret, flags);
    const bool wide = (flags & ifUtf16) != 0;
    const std::int32_t units = wide ? text.Size / 2 : text.Size;
    const std::uint32_t first =
        units == 0 ? 0 : (wide ? static_cast<std::uint32_t>(text.Data[0] | (text.Data[1] << 8)) : text.Data[0]);
    // Overtype takes the one character after a single typed one; never the
    // paragraph's mark, never for Enter.
    if (TypingOptions().Overtype && doc.StateFlags[sfNeverOvertype] == 0 && units == 1 && (first == 9 || first >= 32) &&
        CompareTextPos(doc.Caret, before) > 0) {
        const TTextPos at = doc.Caret;
        if (at.Offset < doc.Par(at.Par)->CharCount() - 1) {
            DeleteText(doc, nullptr, at, TTextPos{at.Par, at.Offset + 1}, flags & ~ifSmartSpacing);
            doc.Caret = at;
            doc.PostActions().Caret = at;
        }
    }
    if (units == 1 && first == 13) {
        TPar* par = doc.Par(doc.Caret.Par);
        if (par->CharCount() == doc.Caret.Offset + 1) {
            // The next style after Enter.
            const TStyle* style = par->Style();
            if (style != nullptr && style->NextStyle >= 0 && style->NextStyle != par->Format.Style) {
                TypingSeams().ApplyNextStyle(doc, doc.Caret.Par, style->NextStyle);
                doc.StateFlags[sfTypingFormatFixed] = 0;
            }
        }
        const std::int32_t prev = doc.Caret.Par - 1;
        if (prev >= doc.FirstParOfStory(doc.StoryOfPar(doc.Caret.Par)) && doc.Par(prev)->CharCount() == 1 &&
            doc.Par(prev)->Format.List != 0) {
            // Enter on an empty list item ends the list.
            TypingSeams().EndList(doc, prev, doc.Caret.Par);
            doc.Selection->Reset();
            MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
            doc.PostActions().Selection->Reset();
            doc.PostActions().Caret = doc.Caret;
            doc.StateFlags[sfTypingFormatFixed] = 1;
        }
    }
}

void InsertFormattedAtCaret(TDoc& doc, const TMemory& stream, std::int32_t parEnds, std::int32_t flags) {
    PrepareSelectionForTyping(doc);
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        ReplaceWithFormatted(doc, span.Start, span.End, flags, parEnds, stream);
        return;
    }
    LeaveRowEndMark(doc);
    const TTextPos before = doc.Caret;
    InsertFormatted(doc, stream, doc.Caret, flags, doc.StoryOfPar(doc.Caret.Par), parEnds);
    if (TypingOptions().Overtype && doc.StateFlags[sfNeverOvertype] == 0 && doc.StateFlags[sfTypedByCode] != 0 &&
        CompareTextPos(doc.Caret, before) > 0) {
        const TTextPos at = doc.Caret;
        if (at.Offset < doc.Par(at.Par)->CharCount() - 1) {
            DeleteText(doc, nullptr, at, TTextPos{at.Par, at.Offset + 1}, 0);
            doc.Caret = at;
            doc.PostActions().Caret = at;
        }
    }
}

void UpdateTypingLanguage(TDoc& doc, TCharFormat& format) {
    if (doc.StateFlags[sfKeepTypingLanguage] != 0)
        return;
    std::int32_t language = format[caLanguage];
    if (doc.StateFlags[sfClipboardLanguage] != 0 || doc.StateFlags[sfFixedTypingLanguage] != 0 || language == 0)
        language = TypingSeams().KeyboardLanguage(doc);
    if (language != 0)
        format[caLanguage] = language;
}

void GatherSelfAddressedLinks(TDoc& doc, const TFragment& range, std::vector<TLinkSnapshot>& links) {
    links.clear();
    if (doc.Fields.Count == 0)
        return;
    std::vector<TField*> found;
    FieldsInRanges(doc, nullptr, &range, found, ftHyperlink, fkCode);
    for (TField* f : found) {
        const TFragment& r = f->Range;
        if (r.Start.Par != r.End.Par || FragmentsEqual(r, range))
            continue;
        std::u16string target, bookmark, tooltip;
        ParseHyperlinkCode(f->Instruction, target, bookmark, &tooltip);
        std::u16string address = target;
        if (!bookmark.empty())
            address += u"#" + bookmark;
        if (doc.RangeText(r) == address)
            links.push_back(TLinkSnapshot{f, address, tooltip});
    }
}

void RetargetLinks(TDoc& doc, const std::vector<TLinkSnapshot>& links) {
    for (const TLinkSnapshot& link : links) {
        TFragment r;
        if (!doc.Fields.Contains(link.Field) || !IndexedFieldRange(doc, link.Field, r))
            continue;
        const std::u16string text = doc.RangeText(r);
        if (text == link.Target)
            continue;
        const std::size_t hash = text.find(u'#');
        const std::u16string target = hash == std::u16string::npos ? text : text.substr(0, hash);
        const std::u16string bookmark = hash == std::u16string::npos ? std::u16string() : text.substr(hash + 1);
        const std::u16string tooltip = link.Tooltip == link.Target ? text : link.Tooltip;
        (new TChangeFieldPropsOperation(&doc, link.Field, ftHyperlink, BuildHyperlinkCode(target, bookmark, tooltip)))
            ->Execute();
    }
}

void ReorderNotes(TDoc& doc) {
    if (FieldIndexOf(doc).MarkNesting > 0 || doc.StateFlags[sfNoNoteReorder] != 0)
        return;
    for (int story : {stFootnotes, stEndnotes}) {
        if (doc.StoryCounts[story] == 0)
            continue;
        RebuildFieldIndex(doc);
        const std::int32_t first = doc.FirstParOfStory(story);
        const std::int32_t last = doc.LastParOfStory(story);
        // The note texts in story order, gathered into blocks of whole
        // paragraphs: note texts that share a paragraph (a deletion joined
        // them) move together, since moving paragraphs cannot part them and
        // moving one alone would tear the other's marks apart. A block sorts
        // by its earliest reference.
        struct TBlock {
            std::int32_t FirstPar;
            std::int32_t LastPar;
            TTextPos RefPos;
        };
        std::vector<TBlock> blocks;
        for (const TFieldIndex::TEntry& entry : FieldIndexOf(doc).Entries) {
            TField* body = entry.Field;
            if (body->Kind != fkNoteBody || body->Range.Start.Par < first || body->Range.Start.Par > last)
                continue;
            TFragment r;
            if (!IndexedFieldRange(doc, body, r))
                continue;
            TTextPos ref{INT32_MAX, 0};
            if (body->Partner != nullptr && doc.Fields.Contains(body->Partner))
                ref = body->Partner->Range.Start;
            const std::int32_t lastPar = std::min(r.End.Par, last);
            if (!blocks.empty() && r.Start.Par <= blocks.back().LastPar) {
                TBlock& b = blocks.back();
                b.LastPar = std::max(b.LastPar, lastPar);
                if (CompareTextPos(ref, b.RefPos) < 0)
                    b.RefPos = ref;
                continue;
            }
            blocks.push_back(TBlock{r.Start.Par, lastPar, ref});
        }
        std::vector<TBlock> sorted = blocks;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const TBlock& a, const TBlock& b) { return CompareTextPos(a.RefPos, b.RefPos) < 0; });
        bool same = true;
        for (std::size_t i = 0; i < blocks.size() && same; ++i)
            same = blocks[i].FirstPar == sorted[i].FirstPar;
        if (same)
            continue;
        // Moving a block forward shifts the blocks between its old and new
        // place back by its size; the others keep their paragraphs.
        std::int32_t target = first;
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            const TBlock block = sorted[i];
            const std::int32_t count = block.LastPar - block.FirstPar + 1;
            if (block.FirstPar > target) {
                (new TMoveParsOperation(&doc, block.FirstPar, count, target, true, story, story))->Execute();
                for (std::size_t j = i + 1; j < sorted.size(); ++j)
                    if (sorted[j].FirstPar >= target && sorted[j].FirstPar < block.FirstPar) {
                        sorted[j].FirstPar += count;
                        sorted[j].LastPar += count;
                    }
            }
            target += count;
        }
        RebuildFieldIndex(doc);
    }
}
