#include "editing/sections/NoteInsertion.h"

#include <algorithm>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/text/Charsets.h"
#include "editing/formatting/BuiltInStyles.h"
#include "editing/references/GeneratedText.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TInsDelOperation.h"

namespace {

// Built-in ids of the note text styles.
constexpr std::int32_t FootnoteTextStyle = 29;
constexpr std::int32_t EndnoteTextStyle = 43;
// The font character set of symbol fonts (the Windows SYMBOL_CHARSET).
constexpr std::int32_t SymbolCharset = 2;

std::int32_t Handle(const void* object) {
    return static_cast<std::int32_t>(ObjectHandle(object));
}

// The reference attributes of a note kind over a format: the document keeps
// them as whole formats, so an attribute counts as set where it differs
// from the default (a raised script, a colour) and the text's own value
// stays elsewhere.
TCharFormat WithReferenceAttributes(const TCharFormat& base, const TCharFormat& reference) {
    TCharFormat out = base;
    for (int a = 0; a < CharAttrCount; ++a)
        if (reference[a] != UnsetValue && reference[a] != DefaultCharFormat[a])
            out[a] = reference[a];
    return out;
}

// The mark as it goes into both streams: the automatic number, or the
// custom characters, inside a SYMBOL field in their own font when one is
// named.
class TNoteMark {
public:
    explicit TNoteMark(const TNoteOptions& options) {
        for (char16_t c : options.CustomMark)
            if (c >= 32)
                Chars.push_back(c);
        if (Chars.empty() || options.FontName.empty() || FontManager == nullptr)
            return;
        const std::int32_t family = FontManager->FindFamily(options.FontName, false);
        const bool symbol = family >= 0 && FontManager->FamilyAt(family)->Charset == SymbolCharset;
        const std::int32_t charset =
            symbol ? SymbolCharset : LanguageCharset(static_cast<std::uint16_t>(options.Language), true);
        Font = FontManager->RegisterFont(options.FontName, charset, false);
        if (Font >= 0)
            FontName = options.FontName;
    }

    bool Automatic() const { return Chars.empty(); }
    // The positions the mark takes in the text.
    std::int32_t Length() const { return Automatic() ? 1 : static_cast<std::int32_t>(Chars.size()); }

    // Frees the SYMBOL fields made for streams that did not go in.
    void FreeUnused(const TDoc& doc) {
        for (TField* field : Made)
            if (!doc.Fields.Contains(field))
                delete field;
        Made.clear();
    }

    // Appends the mark to a stream whose running format is format.
    void AppendTo(TMemory& stream, const TCharFormat& format) {
        if (Automatic()) {
            AppendFormatControl(stream, fcSpecialChar, chNoteRef);
            return;
        }
        TField* symbol = nullptr;
        if (Font >= 0) {
            symbol = new TField;
            symbol->Kind = fkCode;
            symbol->Type = ftSymbol;
            symbol->Instruction = BuildSymbolCode(Chars.front(), FontName);
            Made.push_back(symbol);
            AppendFormatControl(stream, fcFieldStart, Handle(symbol));
            AppendFormatControl(stream, caFont, Font);
        }
        for (char16_t c : Chars) {
            if (c < 128)
                stream.AppendByte(static_cast<std::uint8_t>(c));
            else
                AppendFormatControl(stream, fcUnicodeChar, c);
        }
        if (symbol != nullptr) {
            AppendFormatControl(stream, caFont, format[caFont]);
            AppendFormatControl(stream, fcFieldEnd, Handle(symbol));
        }
    }

private:
    std::u16string Chars;
    std::string FontName;
    std::int32_t Font = -1;
    std::vector<TField*> Made;
};

}  // namespace

void InsertNote(TDoc& doc, const TNoteOptions& options) {
    if (options.Kind != nkFootnote && options.Kind != nkEndnote)
        return;
    const int story = options.Kind == nkFootnote ? stFootnotes : stEndnotes;
    const int kind = options.Kind - 1;

    // 1. The place: the selection goes first.
    TTextPos at = doc.Caret;
    TFragment span{};
    const bool selected = !IsEmptyCompoundFragment(doc.Selection);
    if (selected) {
        doc.Selection->GetSpan(span);
        at = span.Start;
    }
    if (at.Par < 0 || at.Par >= doc.ParCount() || doc.StoryOfPar(at.Par) != stMain)
        return;
    if (selected && span.End.Par < doc.ParCount() && doc.StoryOfPar(span.End.Par) != stMain)
        return;
    if (selected && CompareTextPos(span.Start, span.End) < 0) {
        DeleteText(doc, nullptr, span.Start, span.End, 0);
        at = doc.Caret;
        if (at.Par < 0 || at.Par >= doc.ParCount() || doc.StoryOfPar(at.Par) != stMain)
            return;
    }
    TNoteMark mark(options);

    // 2. The reference, raised as the kind's reference format asks. Its
    // note text does not exist yet, so the notes are not reordered now.
    auto* reference = new TField;
    reference->Kind = fkNoteRef;
    reference->Flags = mark.Automatic() ? ffAutoNumber : 0;
    auto* body = new TField;
    body->Kind = fkNoteBody;
    body->Endnote = options.Kind == nkEndnote ? 1 : 0;
    body->Partner = reference;
    reference->Partner = body;
    {
        TCharFormat here;
        doc.FormatAtPos(at, here);
        const TCharFormat raised = WithReferenceAttributes(here, doc.NoteCharFormats[kind][0]);
        TMemory stream;
        AppendFormatControl(stream, fcFieldStart, Handle(reference));
        AppendFormatChange(stream, here, raised);
        mark.AppendTo(stream, raised);
        AppendFormatControl(stream, fcFieldEnd, Handle(reference));
        AppendFormatChange(stream, raised, here);
        doc.PushStateFlag(sfNoNoteReorder);
        InsertFormatted(doc, stream, at, ifFollowingFormatIncluded, stMain, 0);
        doc.PopStateFlag();
    }
    if (!doc.Fields.Contains(reference)) {
        // The reference could not go in (the place refused the content);
        // its note text must not go in alone.
        mark.FreeUnused(doc);
        delete reference;
        delete body;
        return;
    }

    // 3. The note text style.
    const std::int32_t style =
        EnsureBuiltInStyle(doc, options.Kind == nkFootnote ? FootnoteTextStyle : EndnoteTextStyle);
    TParFormat parFormat;
    TCharFormat styleFormat;
    StyleFormats(doc, style, parFormat, styleFormat);

    // 4. The note text: its own mark in the style's format with the
    // reference attributes, a blank, and one paragraph. The paragraph is
    // appended to the note story as a whole and then put in the order of
    // the references: a paragraph inserted at the story's start would go in
    // after the first note's start mark and take that note's start with it.
    {
        const TCharFormat raised = WithReferenceAttributes(styleFormat, doc.NoteCharFormats[kind][0]);
        auto* number = new TField;
        number->Kind = fkNoteNumber;
        TMemory stream;
        AppendFormatControl(stream, fcFieldStart, Handle(body));
        AppendFormatControl(stream, fcFieldStart, Handle(number));
        AppendFormatChange(stream, DefaultCharFormat, raised);
        mark.AppendTo(stream, raised);
        AppendFormatControl(stream, fcFieldEnd, Handle(number));
        AppendFormatChange(stream, raised, styleFormat);
        stream.AppendByte(' ');
        AppendFormatControl(stream, fcSpecialChar, chParEnd);
        AppendFormatControl(stream, fcFieldEnd, Handle(body));
        AppendParagraphMark(stream, parFormat);
        const TTextPos end{doc.LastParOfStory(story) + 1, 0, 0, 0};
        TInsDelOperation::CreateInsertion(&doc, stream, end, story)->Execute();
        mark.FreeUnused(doc);
        if (!doc.Fields.Contains(number))
            delete number;
        if (!doc.Fields.Contains(body)) {
            reference->Partner = nullptr;
            delete body;
            return;
        }
        ReorderNotes(doc);
    }

    // 6. The caret after the note's mark and blank.
    TPostActions& pa = doc.PostActions();
    pa.Selection->Reset();
    TFragment range;
    if (doc.FieldRange(body, range)) {
        TTextPos caret = range.Start;
        caret.Offset = std::min(caret.Offset + mark.Length() + 1, doc.Par(caret.Par)->CharCount() - 1);
        doc.Caret = caret;
        pa.Caret = caret;
    }
}
