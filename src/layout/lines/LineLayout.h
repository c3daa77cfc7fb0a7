#pragma once

#include <array>
#include <cstdint>

#include "model/formats/TCharFormat.h"
#include "model/formats/TLine.h"
#include "platform/GdiTypes.h"

class TDoc;
class TPar;

// A stretch of a paragraph's format stream that remains to be laid out.
struct TLineSlice {
    std::int32_t Offset = 0;     // into the paragraph's stream
    std::int32_t Remaining = 0;  // bytes from Offset on

    void Advance(std::int32_t n) {
        Offset += n;
        Remaining -= n;
    }
};

// The state the breaker keeps between lines while one paragraph is laid
// out: the current character format (caSize and a positive caKerning in
// sixteenths of a half-point), the metrics of the font selected last, and
// the document's two measuring switches. Process-wide, like the layout
// device context; layout runs on the main thread only.
struct TBreakerState {
    TDoc* Doc = nullptr;
    TCharFormat Format{};
    std::int32_t FontAscent = 0;
    std::int32_t FontDescent = 0;
    std::uint16_t Flags = 0;
    // Each item is accepted without testing it against the width limit
    // (the drop-cap line).
    bool NoOverflow = false;
};
extern TBreakerState Breaker;

// Breaker flags.
enum : std::uint16_t {
    bfReselect = 0x1,
    bfSnapshot = 0x2,
    bfBlankOverflow = 0x4,
    bfSplitWord = 0x8,
    bfHyphenating = 0x10,
    bfFitPicture = 0x20,
    bfHorizontalLine = 0x40,
    bfSymbolFont = 0x80,
    bfMetricsChanged = 0x100,
    bfPageBreakEnd = 0x200,
    bfMovedPastExclusion = 0x400,
    bfNoKerning = 0x800,
    bfUnicodeItem = 0x1000,
};

// The context layout measures in; made on first use.
Platform::HDC LayoutDC();

// The character tables of line breaking.
extern const std::array<bool, 256> BreakAfterChars;
extern const std::array<std::uint8_t, 256> MarkGlyphs;
extern const std::array<bool, 256> WordSeparatorChars;

// px16 of a length in twips, and back (rounding at 8/16).
std::int32_t TwipsToPx16(std::int32_t twips);
std::int32_t Px16ToTwips(std::int32_t px16);

// The document a paragraph belongs to (paragraphs of a document only).
TDoc& DocOfPar(const TPar& par);

// The character format in force at a stream offset, walking from the start.
void CharFormatAtStreamOffset(const TPar& par, std::int32_t offset, TCharFormat& format);

// Empties the line pool (the memory trim); free lines are destroyed.
void TrimLinePool();
std::int32_t PooledLineCount();
std::int32_t LinePoolCapacity();

// The positions array a line is measured in at the zoom, shared by all
// lines and kept grown between uses; the memory trim frees it.
std::int32_t* ZoomScratchPositions();
void SetZoomScratchPositions(std::int32_t* positions);

// Aligns a finished line's positions (left, centred, right, justified).
void AlignLine(TLine& line);

// The height in twips a line would have with these metrics: text height,
// line spacing and space before, and at the paragraph's end what ends says.
enum : std::uint32_t {
    lhBorderBelow = 0x1,  // the bottom border's spacing
    lhSpaceAfter = 0x2,   // the bottom border's spacing and the space after
};
std::int32_t LineHeightFor(const TLine& line,
                           std::int32_t ascent,
                           std::int32_t descent,
                           std::int32_t baseAscent,
                           std::uint32_t ends);

// The x of the wrap check that stands for the line's end.
constexpr std::int32_t WrapLineEndX = INT32_MIN;

// The placement of a line kept while its paragraph is broken again.
class TPaginatedLineInfo {
public:
    explicit TPaginatedLineInfo(const TLine& line);
    // Puts back the box, index in box, top, line number and the wrap flags;
    // never the height.
    void RestoreTo(TLine& line) const;

    TBox* Box = nullptr;
    std::int32_t Top = 0;
    std::uint16_t IndexInBox = 0;
    std::uint32_t Flags = 0;
    std::int32_t Height = 0;
    std::int32_t LineNumber = 0;
};

// The length of the text run that starts at bytes: its leading non-zero
// bytes among the first n.
std::int32_t FormatRunLength(const std::uint8_t* bytes, std::int32_t n);
