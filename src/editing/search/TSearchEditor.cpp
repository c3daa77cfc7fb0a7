#include "editing/search/TSearchEditor.h"

#include "base/core/TMemory.h"
#include "editing/search/PerformReplacement.h"
#include "editing/search/SearchOptions.h"
#include "model/document/TDoc.h"
#include "platform/CodePages.h"

namespace {

// The model's typing takes code-page text; the documents it builds are in
// the Western page until fonts carry their own.
constexpr int ModelTextCodePage = 1252;

TModelSearchEditor ModelEditor;
TSearchEditor* CurrentEditor = &ModelEditor;

}  // namespace

TSearchEditor& SearchEditor() {
    return *CurrentEditor;
}

TSearchEditor* SetSearchEditor(TSearchEditor* editor) {
    TSearchEditor* previous = CurrentEditor;
    CurrentEditor = editor != nullptr ? editor : &ModelEditor;
    return previous;
}

TTextPos TModelSearchEditor::ReplaceText(TDoc& doc,
                                         const TTextPos& start,
                                         const TTextPos& end,
                                         const std::u16string& text,
                                         const TCharFormat& format) {
    if (CompareTextPos(start, end) < 0)
        doc.DeleteText(nullptr, start, end, 0);
    doc.Caret = start;
    if (text.empty())
        return start;
    TCharFormat typing;
    doc.FormatAtPos(start, typing);
    OverlayCharFormat(typing, format);
    doc.TypingFormat = typing;
    const std::string bytes = Platform::WideToBytes(ModelTextCodePage, text);
    TMemory memory;
    for (char c : bytes)
        memory.AppendByte(static_cast<std::uint8_t>(c));
    doc.InsertTextAtCaret(memory, 0);
    return doc.Caret;
}

TFragment TModelSearchEditor::CopyMoveText(TDoc& doc, const TFragment& source, const TTextPos& target, bool move) {
    std::u16string text = doc.RangeText(source);
    for (char16_t& c : text)
        if (c == 2)
            c = 13;
    TCharFormat format;
    ClearCharFormat(format);
    doc.FormatAtPos(source.Start, format);
    TFragment result;
    if (move && CompareTextPos(source.Start, target) >= 0) {
        // The source lies after the target: removing it first leaves the
        // target where it is.
        ReplaceText(doc, source.Start, source.End, u"", format);
        result.Start = target;
        result.End = ReplaceText(doc, target, target, text, format);
        return result;
    }
    result.Start = target;
    result.End = ReplaceText(doc, target, target, text, format);
    if (move) {
        ReplaceText(doc, source.Start, source.End, u"", format);
        result.Start = ShiftForReplacement(result.Start, source.Start, source.End, source.Start);
        result.End = ShiftForReplacement(result.End, source.Start, source.End, source.Start);
    }
    return result;
}

TTextPos TModelSearchEditor::PasteClipboard(TDoc&, const TTextPos& at) {
    return at;
}

void TModelSearchEditor::ApplyFormat(TDoc& doc, const TFragment& range) {
    if (!ParFormatIsClear(ReplaceFormat.ParFormat))
        doc.FormatParagraphs(nullptr, &range, ReplaceFormat.ParFormat);
    if (!CharFormatIsClear(ReplaceFormat.CharFormat))
        doc.FormatFont(nullptr, &range, ReplaceFormat.CharFormat, 0);
}
