// The workers the model can run on its own: inserting and deleting text,
// paragraph and character formats, sorting, and document-wide settings.
// Each records its changes as steps of the open operation and notes the
// caret and selection the post-actions restore. The editing library builds
// its workers on these and may replace them in the worker table.
#include "model/document/TDoc.h"

#include <algorithm>
#include <string>
#include <vector>

#include "model/document/StateFlags.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/SimpleOperations.h"
#include "model/undo/TFormatFontOperation.h"
#include "model/undo/TFormatParsOperation.h"
#include "model/undo/TInsDelOperation.h"
#include "model/undo/TSortParsOperation.h"

namespace {

// The ranges a formatting worker works on: the given set, else the given
// range, else the selection.
void RangesOf(const TDoc& doc, const TCompoundFragment* set, const TFragment* range, std::vector<TFragment>& out) {
    out.clear();
    if (set == nullptr && range != nullptr) {
        out.push_back(*range);
        return;
    }
    const TCompoundFragment& ranges = set != nullptr ? *set : *doc.Selection;
    for (std::int32_t i = 0; i < ranges.Count(); ++i)
        if (!FragmentIsEmpty(ranges.Fragment(i)))
            out.push_back(ranges.Fragment(i));
}

void NoteSelection(TDoc& doc, const std::vector<TFragment>& ranges) {
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    if (ranges.empty()) {
        pa.Selection->Reset();
        return;
    }
    pa.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        pa.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
}

}  // namespace

void TDoc::UpdateTypingFormat() {
    if (StateFlags[sfTypingFormatFixed] != 0)
        return;
    // Typing continues the format of the character before the caret (at a
    // paragraph start, of the first character).
    TTextPos pos = Caret;
    if (pos.Offset > 0)
        --pos.Offset;
    FormatAtPos(pos, TypingFormat);
}

void TDoc::InsertFormatted(const TMemory& content,
                           const TTextPos& pos,
                           std::int32_t flags,
                           int story,
                           std::int32_t parEnds,
                           TTextPos* resultPos) {
    // Flag 4: the caller keeps the objects the content names to itself.
    auto* step = TInsDelOperation::CreateInsertion(this, content, pos, story, (flags & 4) == 0);
    step->Redo();
    TTextPos result;
    step->ResultPos(result);
    AddSubOperation(step);
    if (resultPos != nullptr)
        *resultPos = result;
    TPostActions& pa = PostActions();
    pa.Caret = result;
    if ((flags & 2) != 0)
        pa.Selection->SetSingle(pos.Par, pos.Offset, result.Par, result.Offset);
    else
        pa.Selection->Reset();
}

void TDoc::InsertFormattedAtCaret(const TMemory& content, std::int32_t parEnds, std::int32_t flags) {
    if (!IsEmptyCompoundFragment(Selection)) {
        TFragment span;
        Selection->GetSpan(span);
        DeleteText(Selection, span.Start, span.End, 0);
    }
    TTextPos result;
    InsertFormatted(content, Caret, flags, StoryOfPar(Caret.Par), parEnds, &result);
    Caret = result;
}

void TDoc::InsertTextAtCaret(const TMemory& text, std::int32_t flags) {
    if (!IsEmptyCompoundFragment(Selection)) {
        TFragment span;
        Selection->GetSpan(span);
        DeleteText(Selection, span.Start, span.End, 0);
    }
    // The text in the typing format: the controls that turn the format at
    // the insertion point into it, then the characters. Control characters
    // become their special characters; a new paragraph starts from the
    // default format, so the typing format is stated again after it.
    TCharFormat here;
    FormatAtPos(Caret, here);
    TMemory content;
    AppendFormatChange(content, here, TypingFormat);
    std::int32_t parEnds = 0;
    for (std::int32_t i = 0; i < text.Size; ++i) {
        const std::uint8_t b = text.Data[i];
        switch (b) {
            case 9:
                AppendFormatControl(content, fcSpecialChar, chTab);
                break;
            case 10:
            case 13:
                AppendFormatControl(content, fcSpecialChar, chParEnd);
                content.AppendByte(ParagraphMarkByte);
                AppendFormatChange(content, DefaultCharFormat, TypingFormat);
                ++parEnds;
                // CR LF and LF CR count once.
                if (i + 1 < text.Size && (text.Data[i + 1] == 10 || text.Data[i + 1] == 13) && text.Data[i + 1] != b)
                    ++i;
                break;
            case 11:
                AppendFormatControl(content, fcSpecialChar, chLineBreak);
                break;
            case 12:
                AppendFormatControl(content, fcSpecialChar, chPageBreak);
                break;
            default:
                if (b >= 32)
                    content.AppendByte(b);
                break;
        }
    }
    if (content.Size == 0)
        return;
    TTextPos result;
    InsertFormatted(content, Caret, flags & 2, StoryOfPar(Caret.Par), parEnds, &result);
    Caret = result;
    StateFlags[sfTypingFormatFixed] = 1;
}

void TDoc::DeleteText(const TCompoundFragment* set, const TTextPos& start, const TTextPos& end, std::int32_t flags) {
    std::vector<TFragment> ranges;
    if (set != nullptr && !IsEmptyCompoundFragment(set)) {
        TCompoundFragment* sorted = CloneCompoundFragment(*set);
        sorted->Normalize();
        RangesOf(*this, sorted, nullptr, ranges);
        ReleaseCompoundFragment(sorted);
    } else {
        TFragment f;
        MakeFragmentFromPositions(start, end, f);
        if (CompareTextPos(f.Start, f.End) > 0)
            std::swap(f.Start, f.End);
        ranges.push_back(f);
    }
    // From the last range to the first, so that earlier places stay valid.
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        TFragment f = *it;
        if (FragmentIsEmpty(f) || f.Start.Par < 0 || f.Start.Par >= ParCount())
            continue;
        const int story = StoryOfPar(f.Start.Par);
        // The main text keeps its last paragraph end.
        const std::int32_t last = LastParOfStory(story);
        if (story == stMain && (f.End.Par > last || (f.End.Par == last && f.End.Offset >= Par(last)->CharCount()))) {
            f.End.Par = last;
            f.End.Offset = Par(last)->CharCount() - 1;
        }
        f.End.Par = std::min(f.End.Par, last + 1);
        if (CompareTextPos(f.Start, f.End) >= 0)
            continue;
        TInsDelOperation::CreateRemoval(this, f.Start, f.End, story)->Execute();
    }
    if (!ranges.empty()) {
        Caret.Par = ranges.front().Start.Par;
        Caret.Offset = ranges.front().Start.Offset;
    }
    TPostActions& pa = PostActions();
    pa.Caret = Caret;
    pa.Selection->Reset();
}

void TDoc::FormatParagraphs(const TCompoundFragment* set, const TFragment* range, const TParFormat& format) {
    std::vector<TFragment> ranges;
    RangesOf(*this, set, range, ranges);
    if (ranges.empty())
        ranges.push_back(TFragment{Caret, Caret});
    for (const TFragment& f : ranges) {
        auto* step = new TFormatParsOperation(this);
        const std::int32_t last = std::min(f.End.Par, ParCount() - 1);
        for (std::int32_t p = std::max(f.Start.Par, 0); p <= last; ++p)
            step->AddChange(p, format);
        if (step->Empty())
            delete step;
        else
            step->Execute();
    }
    NoteSelection(*this, ranges);
}

void TDoc::FormatFont(const TCompoundFragment* set,
                      const TFragment* range,
                      const TCharFormat& format,
                      std::uint8_t flags) {
    std::vector<TFragment> ranges;
    RangesOf(*this, set, range, ranges);
    if (ranges.empty()) {
        // Nothing selected: the format applies to what is typed next.
        OverlayCharFormat(TypingFormat, format);
        StateFlags[sfTypingFormatDirect] = 1;
        StateFlags[sfTypingFormatFixed] = 1;
        return;
    }
    for (const TFragment& f : ranges)
        (new TFormatFontOperation(this, f, format))->Execute();
    NoteSelection(*this, ranges);
}

bool TDoc::SortParagraphs(std::int32_t first, std::int32_t last, std::uint8_t options) {
    first = std::max(first, 0);
    last = std::min(last, ParCount() - 1);
    if (first >= last)
        return false;
    auto* step = new TSortParsOperation(this, first, last, (options & 1) != 0);
    step->Redo();
    const bool duplicates = step->HasDuplicates();
    AddSubOperation(step);
    TPostActions& pa = PostActions();
    pa.Caret = Caret;
    pa.Selection->SetSingle(first, 0, last, Par(last)->CharCount());
    return duplicates;
}

void TDoc::ChangeDefaultLanguage(std::int32_t language) {
    if (language != DefaultLanguage)
        (new TChangeDefLangOperation(this, language))->Execute();
}

void TDoc::ChangeSectionBreak(std::int32_t par, std::uint8_t kind) {
    if (par < 0 || par >= ParCount())
        return;
    const TSection* section = Par(par)->EndingSection();
    if (section != nullptr && section->Format.BreakKind != kind)
        (new TChangeSectBreakOperation(this, par, kind))->Execute();
}

void TDoc::FormatPageSettings(const TPageSetupValues& values, const TFragment& range) {
    TList* sections = SectionsOfFragment(range);
    if (sections->Count == 0) {
        TList::Release(sections);
        return;
    }
    const TPageSetup current = sections->At<TSection>(0)->PageSetup;
    TList::Release(sections);
    if (values.What < 6) {
        // One word, kept within what the page leaves it.
        TPageSetup probe = current;
        PageSetupWord(probe, PageSetupFirstMarginWord + values.What) = values.Value;
        ValidatePageSetup(probe);
        const std::int32_t value = PageSetupWord(probe, PageSetupFirstMarginWord + values.What);
        (new TChangePageParamsOperation(this, range, values.What, value, nullptr))->Execute();
    } else if (values.What == pwOrientation) {
        (new TChangePageParamsOperation(this, range, pwOrientation, 0, nullptr))->Execute();
    } else {
        TPageSetup setup = values.Setup;
        ValidatePageSetup(setup);
        (new TChangePageParamsOperation(this, range, values.What, 0, &setup))->Execute();
    }
}

void TDoc::FormatSections(const TSectionFormat& format, const TFragment& range) {
    (new TFormatSectOperation(this, range.Start.Par, range.End.Par, format))->Execute();
}

void TDoc::SetNoteSeparator(std::uint8_t kind) {
    if (kind != NoteSeparator)
        (new TNoteSeparatorOperation(this, kind))->Execute();
}

void TDoc::ChangeHyphenation(const THyphenationOptions& options) {
    (new TChangeHyphOptionsOperation(this, options))->Execute();
}

void TDoc::EditFieldCode(TField* field, const std::u16string& instruction) {
    if (field != nullptr && field->Instruction != instruction)
        (new TEditFieldOperation(this, field, instruction))->Execute();
}

void TDoc::DeleteField(TField* field) {
    if (field != nullptr)
        (new TInsDelFieldOperation(this, fmBoth, field))->Execute();
}

namespace {

void WorkPageSettings(TDoc& doc, TOperationCall&, const TChangePageSettingsArgs& args) {
    if (args.Values != nullptr && args.Range != nullptr)
        doc.FormatPageSettings(*args.Values, *args.Range);
}

void WorkFormatParagraph(TDoc& doc, TOperationCall&, const TFormatParagraphArgs& args) {
    if (args.Format != nullptr)
        doc.FormatParagraphs(args.Set, args.Range, *args.Format);
}

void WorkFormatFont(TDoc& doc, TOperationCall&, const TFormatFontArgs& args) {
    if (args.Format != nullptr)
        doc.FormatFont(args.Set, args.Range, *args.Format, args.Flags);
}

void WorkInsertFormatted(TDoc& doc, TOperationCall&, const TInsertFormattedTextArgs& args) {
    if (args.Content != nullptr)
        doc.InsertFormattedAtCaret(*args.Content, args.ParEnds, args.Flags);
}

void WorkInsertText(TDoc& doc, TOperationCall&, const TInsertTextArgs& args) {
    if (args.Text != nullptr)
        doc.InsertTextAtCaret(*args.Text, args.Flags);
}

void WorkDeleteText(TDoc& doc, TOperationCall&, const TDeleteTextArgs& args) {
    doc.DeleteText(args.Set, args.Start, args.End, args.Flags);
}

void WorkSortParagraphs(TDoc& doc, TOperationCall& call, const TSortParagraphsArgs& args) {
    call.DuplicatesFound = doc.SortParagraphs(args.First, args.Last, args.Options);
}

void WorkDefaultLanguage(TDoc& doc, TOperationCall&, const TChangeDefaultLanguageArgs& args) {
    doc.ChangeDefaultLanguage(args.Language);
}

void WorkFormatSections(TDoc& doc, TOperationCall&, const TFormatSectionsArgs& args) {
    if (args.Format != nullptr && args.Range != nullptr)
        doc.FormatSections(*args.Format, *args.Range);
}

void WorkEditFieldCode(TDoc& doc, TOperationCall&, const TEditFieldCodeArgs& args) {
    if (args.Instruction != nullptr)
        doc.EditFieldCode(args.Field, *args.Instruction);
}

void WorkRemoveField(TDoc& doc, TOperationCall&, const TRemoveFieldArgs& args) {
    if (args.Fields != nullptr)
        for (std::int32_t i = args.Fields->Count - 1; i >= 0; --i)
            doc.DeleteField(args.Fields->At<TField>(i));
}

void WorkSectionBreak(TDoc& doc, TOperationCall&, const TChangeSectionBreakArgs& args) {
    doc.ChangeSectionBreak(args.Par, args.Kind);
}

void WorkHyphenation(TDoc& doc, TOperationCall&, const TChangeHyphenationArgs& args) {
    if (args.Options != nullptr)
        doc.ChangeHyphenation(*args.Options);
}

void WorkNoteSeparator(TDoc& doc, TOperationCall&, const TSetNoteSeparatorArgs& args) {
    doc.SetNoteSeparator(args.Kind);
}

}  // namespace

std::span<const TModelWorker> ModelOperationWorkers() {
    // Each entry takes its code from the worker's record type.
    static const TModelWorker workers[] = {
        ModelWorker<TChangePageSettingsArgs>(WorkPageSettings),
        ModelWorker<TFormatParagraphArgs>(WorkFormatParagraph),
        ModelWorker<TFormatFontArgs>(WorkFormatFont),
        ModelWorker<TInsertFormattedTextArgs>(WorkInsertFormatted),
        ModelWorker<TInsertTextArgs>(WorkInsertText),
        ModelWorker<TDeleteTextArgs>(WorkDeleteText),
        ModelWorker<TSortParagraphsArgs>(WorkSortParagraphs),
        ModelWorker<TChangeDefaultLanguageArgs>(WorkDefaultLanguage),
        ModelWorker<TFormatSectionsArgs>(WorkFormatSections),
        ModelWorker<TEditFieldCodeArgs>(WorkEditFieldCode),
        ModelWorker<TRemoveFieldArgs>(WorkRemoveField),
        ModelWorker<TChangeSectionBreakArgs>(WorkSectionBreak),
        ModelWorker<TChangeHyphenationArgs>(WorkHyphenation),
        ModelWorker<TSetNoteSeparatorArgs>(WorkNoteSeparator),
    };
    return workers;
}
