#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/core/TList.h"
#include "base/core/TMemory.h"
#include "model/formats/TParFormat.h"

class TParOwner;
class TSection;
class TStyle;
struct TWordIndex;
struct TWrapArea;

// Paragraph flags.
enum : std::uint16_t {
    pfLaidOut = 0x0001,          // lines are formatted
    pfNormalized = 0x0002,       // the stream is normalised
    pfLayoutKept = 0x0004,       // kept for layout
    pfProxy = 0x0008,            // laid out and painted beside a real paragraph only
    pfSymbolText = 0x0010,       // holds text that is not code-page text
    pfWideTextValid = 0x0020,    // the wide-text cache is valid
    pfWordIndexValid = 0x0040,   // the word index is valid
    pfRaisedText = 0x0080,       // some text is raised or lowered
    pfShapes = 0x0100,           // anchors shapes other than horizontal lines
    pfInlineObjects = 0x0200,    // holds inline objects
    pfRelayout = 0x0400,         // must be laid out again
    pfHorizontalLines = 0x0800,  // anchors horizontal lines
    pfDropCap = 0x1000,          // starts with a drop cap
};

// One misspelling or language mark of the spelling state.
struct TSpellMark {
    std::int32_t From = 0;
    std::int32_t To = 0;
    std::int32_t Value = 0;  // 0x800000: a language without spellchecker; else a misspelling
};

// Spelling marks: the count word keeps the number of marks in its low 30
// bits and two summary bits above.
enum : std::uint32_t {
    smCountMask = 0x3FFFFFFF,
    smUncheckedLanguage = 0x40000000,  // a mark of value 0x800000 exists
    smMisspelling = 0x80000000,        // a mark of another value exists
};
constexpr std::int32_t SpellMarkNoSpellchecker = 0x800000;

// What TPar::TakeLayoutState hands over and RestoreLayoutState takes back.
struct TParLayoutState {
    TParLayoutState() = default;
    TParLayoutState(const TParLayoutState&) = delete;
    TParLayoutState& operator=(const TParLayoutState&) = delete;
    ~TParLayoutState();

    TList* Lines = nullptr;
    std::unique_ptr<TMemory> Stream;
    std::unique_ptr<TMemory> Chars;
    std::uint16_t Flags = 0;
};

// A paragraph: its text and all its character formatting in one format
// stream (see model/formats/FormatStream.h), a character buffer with one byte per
// character position, its paragraph format, and caches for layout,
// spelling and word statistics. The document owns every paragraph.
//
// Any change to the stream or the characters must call Changed(), which
// clears the caches that depend on them.
class TPar {
public:
    explicit TPar(TParOwner* owner);
    TPar(const TPar&) = delete;
    TPar& operator=(const TPar&) = delete;
    ~TPar();

    // After a change of the stream or the characters: the stream needs
    // normalising, the wide text and the word index are stale, the lines go.
    void Changed();
    // Drops the lines; the paragraph is then not laid out.
    void FreeLines();

    // Makes the stream canonical; does nothing while pfNormalized is set.
    void Normalize();
    // Normalises, then fills the wide-text cache unless it is valid.
    void BuildWideText();

    std::int32_t CharCount() const { return Chars.Size; }
    std::int32_t LineCount() const { return Lines != nullptr ? Lines->Count : 0; }
    TStyle* Style() const;
    bool IsLaidOut() const;

    // The stream offset of the character at a position (clamped to the
    // paragraph): of its text byte or of its own control.
    std::int32_t StreamOffsetOfChar(std::int32_t pos) const;
    // The line that holds a character. A caret at a soft line start belongs
    // to the end of the line before when atEnd is set or hint lies before it.
    std::int32_t LineOfChar(std::int32_t pos, std::int32_t hint, bool atEnd) const;
    // The section that the paragraph's closing section break ends, or nil.
    TSection* EndingSection() const;
    // Every character before pos is a column or page break.
    bool OnlyBreaksBefore(std::int32_t pos) const;
    std::int32_t TextIndentPixels(std::int32_t pos) const;
    std::int32_t BorderSpaceBelow() const;
    // The positions whose text is not code-page text, in a list from
    // TList::Acquire that the caller releases.
    TList* SymbolCharPositions() const;
    bool HasNoteReferenceMark() const;
    bool IsNumberedListPar() const;
    void GetListLabelText(std::u16string& text) const;
    bool IsSeparatorAt(std::uint8_t ch, std::int32_t pos) const;

    void TakeLayoutState(TParLayoutState& state);
    void RestoreLayoutState(TParLayoutState& state);

    void ResetSpellState();
    void AddCheckedRange(std::int32_t from, std::int32_t to);
    void AddSpellMark(std::int32_t key1, std::int32_t key2, std::int32_t value);
    bool SpellCheckValid(std::int32_t from, std::int32_t to) const;

    bool RenumberNotes(std::int32_t firstLine, std::int32_t& footnoteNumber, std::int32_t& endnoteNumber);
    bool SyncNoteNumberText();

    void BuildWordIndex(std::int32_t parIndex);

    // Layout, in the layout library (layout/lines/TParLayout.cpp), which
    // this room cannot see; only code that links it calls these.
    //
    // Lays the paragraph out again from line fromLine on, every new line
    // width twips wide; wrapArea is nil outside wrap layout.
    void LayoutLines(std::int32_t fromLine, std::int32_t width, TWrapArea* wrapArea);
    // Releases every line; with relayout lays the paragraph out afresh.
    void RebuildLines(bool relayout, std::int32_t width);

    TParOwner* Owner = nullptr;  // the document (model/paragraphs/TParOwner.h)
    std::uint16_t Flags = 0;
    std::uint8_t ListLevel = 0;  // the level used for numbering; set by list numbering
    std::uint8_t LayoutByte = 0;
    TList* Lines = nullptr;                  // TLine, owned; nil before the first layout
    std::unique_ptr<TMemory> LayoutScratch;  // owned by layout; normalisation frees it
    std::int32_t Index = 0;                  // in the document's paragraph list, kept by the document
    TParFormat Format{};                     // zero until the document or a reader sets it
    std::uint16_t SpaceAbove = 0;            // resolved by layout, twips
    std::uint16_t SpaceBelow = 0;
    TMemory Stream;
    TMemory Chars;
    std::u16string WideText;  // one code unit per position while pfWideTextValid is set
    std::int32_t LayoutValue = 0;

    // Spelling state.
    std::uint32_t SpellGeneration = 0;
    std::int32_t CheckedFrom = 0;
    std::int32_t CheckedTo = 0;
    std::vector<TSpellMark> SpellMarks;
    std::uint32_t SpellMarkWord = 0;  // count and summary bits (smCountMask ...)
    std::vector<std::int32_t> SpellcheckerBlocks[2];

    std::int32_t ListNumber = 0;
    std::unique_ptr<TPar> LabelPar;  // the formatted list label, a proxy paragraph
    std::int32_t LabelLeadIn = 0;
    std::uint32_t ShapeScale = 0;
    TPar* LabelOwner = nullptr;  // in a proxy paragraph: the real paragraph
    // List numbering: in a label paragraph, the alignment of the label at the
    // indent (TListLevel::Alignment: 0 left, 1 centred, 2 right).
    std::uint8_t LabelAlignment = 0;
    std::unique_ptr<TWordIndex> WordIndex;
    TList* InlineObjects = nullptr;  // TShape of kind-7 fields, not owned; nil when none

private:
    void OrderFieldBoundaries();
    void RemoveRedundantControls();
    void DropTrailingControls();
    void RebuildWordIndex();
    // The language in force at a character position.
    std::int32_t LanguageAt(std::int32_t pos) const;
};
