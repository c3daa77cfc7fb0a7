#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TLine.h"
#include "platform/GdiTypes.h"

class TCompoundFragment;
class TDoc;
class TField;
class TPar;
class TShape;

// Which formatting marks are shown (the view options' mark bits).
enum : std::uint32_t {
    mkTabs = 0x1,
    mkSpaces = 0x2,
    mkParagraphs = 0x4,  // paragraph, cell and row marks
    mkOptionalHyphens = 0x8,
    mkBookmarks = 0x10,
    mkNoteFrames = 0x20,
    mkFieldBrackets = 0x40,
    mkAll = 0x7F,
};

// The view options line painting reads. The shell's options holder fills
// them when it loads the options; until then these defaults stand.
struct TLinePaintOptions {
    bool ShowMarks = false;
    std::uint32_t MarkKinds = mkAll;
    // Field shading: 0 never, 1 while formatting marks are shown, 2 always.
    std::uint8_t FieldShading = 1;
    bool ShowSpellMarks = true;
    // The colour the user's scheme gives the special-symbol slot, or -1
    // when the scheme leaves the slot at its default. Marks take the
    // special-symbol colour only when the scheme names one.
    std::int32_t SchemeSpecialSymbol = -1;
    // Bookmarks shown as brackets at their ends.
    bool ShowBookmarks = false;
};
TLinePaintOptions& LinePaintOptions();

// The highlight layers painted behind the text, each into its own region of
// the document: the selection, the marked fragments, the occurrences of the
// selected word and the find panel's results.
enum : int { hlSelection = 0, hlMarked = 1, hlMatches = 2, hlFindResults = 3, HighlightLayerCount = 4 };

// The part of a field inside a paragraph: characters Start .. End - 1.
struct TFieldPart {
    TField* Field = nullptr;
    std::int32_t Start = 0;
    std::int32_t End = 0;
};

// Seams the higher rooms fill in; each may stay nil.
struct TLinePaintHooks {
    // The ranges of a highlight layer other than the selection (nil: none).
    const TCompoundFragment* (*LayerRanges)(TDoc& doc, int layer) = nullptr;
    // Whether a document hides its formatting marks whatever the options.
    bool (*HidesMarks)(const TDoc& doc) = nullptr;
    // The region of the view still to be painted on screen, or nil: lines
    // outside it are skipped.
    Platform::HRGN (*PendingUpdateRegion)(const TDoc& doc) = nullptr;
    // Whether a line lies outside the spotlight range while the spotlight
    // is active (it is then dimmed).
    bool (*OutsideSpotlight)(const TDoc& doc, const TLine& line) = nullptr;
    // The document's field index: the code fields that reach into the
    // characters from .. to - 1 of a paragraph, with their parts there.
    // Without it a paragraph's own stream is read, which misses a field
    // that begins before the paragraph and ends after it.
    void (*FieldsInRange)(const TDoc& doc,
                          const TPar& par,
                          std::int32_t from,
                          std::int32_t to,
                          std::vector<TFieldPart>& parts) = nullptr;
    // The spellcheck manager's generation: a paragraph whose stored marks
    // are of another generation shows none until it is checked again.
    std::uint32_t (*SpellGeneration)() = nullptr;
    // Collapsed headings: whether a heading has content it can fold away,
    // and the heading the mouse pointer is over (nil: none). A foldable
    // heading under the pointer or folded shows a box left of its text.
    bool (*HasCollapsibleContent)(const TDoc& doc, const TPar& par) = nullptr;
    const TPar* (*HeadingUnderPointer)(const TDoc& doc) = nullptr;
    // Draws an inline shape into rect (device pixels).
    void (*PaintInlineShape)(TShape& shape, Platform::HDC dc, const Platform::TRect& rect, bool dimmed) = nullptr;
};
TLinePaintHooks& LinePaintHooks();

// Adds a rectangle of window pixels, clipped to the off-screen bitmap when
// there is one, to a document region; nothing while the region is nil (no
// paint of the view is collecting).
void AddRectToRegion(Platform::HRGN& region, const Platform::TRect& rect);

// One underline record: a run drawn underlined, kept until the text of
// the line is drawn, then merged with its neighbours and drawn.
struct TUnderlineRecord {
    std::int32_t First = 0;
    std::int32_t End = 0;
    std::int32_t TextTop = 0;
    std::int16_t Ascent = 0;
    std::int16_t Descent = 0;
    TCharFormat Format{};
};

class TLinePainter;

// The walk over a line's format stream that draws its text, tabs, marks
// and brackets (TLinePaintText.cpp).
class TLineTextPass {
public:
    explicit TLineTextPass(TLinePainter& painter) : P(painter) {}
    void Run();

private:
    void Flush();
    void DrawRunAt(std::int32_t dx, std::int32_t dy, std::int32_t color);
    void OutputBytes(std::int32_t first, const std::string& bytes, std::int32_t dx, std::int32_t dy);
    void Strike();
    // Draws one character position k as a run of its own showing glyph.
    void DrawSingle(std::int32_t k, std::uint8_t glyph, std::int32_t color);
    void MarkFont(std::uint8_t glyph);
    void Special(std::uint8_t code, std::int32_t value, std::int32_t k, std::int32_t streamPos);
    void DrawTab(std::int32_t k, std::uint8_t kind, std::uint8_t leader);
    void DrawBreak(std::int32_t k, int labelIndex);
    void DrawLineBreakMark(std::int32_t k);
    void DrawOptionalHyphenMark(std::int32_t k);
    void DrawNoteMark(std::int32_t k, std::int32_t streamPos);
    void DrawBracket(std::int32_t k, bool start, const TField& field);
    void FieldBoundary(std::uint8_t code, std::int32_t value, std::int32_t k);
    void HorzLine(std::int32_t x1, std::int32_t x2, std::int32_t y, std::int32_t color, std::int32_t style);

    TLinePainter& P;
    std::string Bytes;                     // the pending code-page run
    std::u16string Wide;                   // the pending Unicode run
    std::int32_t RunStart = 0;             // its first character
    std::int32_t RunCount = 0;             // its characters
    std::int32_t RunColor = -1;            // a colour of its own (marks), or -1
    std::int32_t ReturnFont = UnsetValue;  // the font to restore after a mark font
};

// The painting state of one TLine::Paint call; the nested steps of the
// call (text runs, marks and decorations) share it.
class TLinePainter {
public:
    TLinePainter(TLine& line, Platform::HDC dc, std::int32_t x, std::int32_t y);

    void Paint();

    // --- The text: TLinePaintText.cpp ---

    void SelectPaintFont();
    std::int32_t TextColor() const;
    std::int32_t MarkColor() const;
    // Pixels from the line's top to the baseline of the current format.
    std::int32_t Baseline() const { return BaselineAt(Format[caOffset]); }
    // The line's own baseline, without a vertical offset.
    std::int32_t LineBaseline() const { return BaselineAt(0); }
    // The baseline of text raised by offset points (lowered when negative).
    std::int32_t BaselineAt(std::int32_t offset) const;
    // The device y of the top of the current font's text.
    std::int32_t TextTop() const;

    // --- Decorations: LineDecorations.cpp ---

    Platform::TRect ShadingRect();
    void PaintShading();
    void PaintBorders();
    Platform::TRect RangeBand(std::int32_t first, std::int32_t end) const;
    void FillBand(const Platform::TRect& rect, std::int32_t color);
    void PaintHighlight();
    void PaintFieldShading();
    void RecordUnderline(std::int32_t first, std::int32_t end);
    void PaintUnderlines();
    bool SpellMarksDue() const;
    void PaintSpellMarks();

private:
    friend class TLineTextPass;

    // TLinePaint.cpp.
    void Prepare();
    void PaintBehind();
    void PaintListLabel();
    void PaintLineNumber();
    void PaintHighlightLayers();
    void PaintKeepSquare();
    void PaintCollapseBox();
    void PaintAfter();
    bool MarksShown(std::uint32_t kind) const { return ShowMarks && (MarkKinds & kind) != 0; }

    // LineDecorations.cpp.
    void DrawUnderline(const TUnderlineRecord& record, std::int32_t dx, std::int32_t dy, std::int32_t color);
    void FillUnderlineSegment(const TUnderlineRecord& record,
                              std::int32_t left,
                              std::int32_t top,
                              std::int32_t right,
                              std::int32_t bottom,
                              std::int32_t color);
    bool IsUnderlinedChar(std::int32_t k) const;

public:
    // Fills rect with colour: straight into the off-screen bitmap's pixels
    // when painting into it, else with a solid brush.
    void Fill(const Platform::TRect& rect, std::int32_t color);
    // Zoomed device x of the left edge of character n, without x and the
    // inset: the zoomed position layout measured.
    std::int32_t ZX(std::int32_t n) const { return ZoomedX[static_cast<std::size_t>(n)]; }
    // Device x of the left edge of character n.
    std::int32_t DX(std::int32_t n) const { return ZX(n) + X + Inset; }
    std::int32_t Pixels(std::int32_t twips) const;
    std::int32_t PixelsX(std::int32_t twips) const;
    bool OnScreen() const { return !Printing; }
    bool IntoServiceBitmap() const;

    TLine& Line;
    TPar& Par;
    TDoc& Doc;
    Platform::HDC DC;
    std::int32_t X;
    std::int32_t Y;
    std::int32_t Inset = 0;
    std::int32_t BoxWidth = 0;  // the box's pixel width
    TCharFormat Format{};       // the current character format (sizes in half-points)
    bool FontDirty = true;
    std::int32_t Background = AutoColor;  // the shading under the line, or AutoColor
    bool Dimmed = false;
    bool MarksInSpecialColor = false;
    bool Printing = false;
    bool ShowMarks = false;
    std::uint32_t MarkKinds = 0;
    bool Proxy = false;
    std::int32_t ColorOverride = -1;  // a colour DrawRunAt uses instead of the text colour
    // The line's characters as painted: the mark glyphs where marks are
    // shown. The paragraph's own characters stay untouched.
    std::vector<std::uint8_t> Glyphs;
    std::vector<std::int32_t> ZoomedX;
    std::vector<std::int32_t> Advances;  // zoomed advance of each character
    bool HaveShadingRect = false;
    Platform::TRect CachedShadingRect{};
    std::vector<TUnderlineRecord> Underlines;
};

// The colour of a spelling mark's squiggle: the mark's value is a colour;
// 0 stands for the usual red.
std::int32_t SpellMarkColor(std::int32_t value);
