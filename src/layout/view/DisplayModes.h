#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTextPos.h"

class TDoc;

// The range preview the side panels use to show a bookmark, heading or
// search result: requested (1), then stepped by the idle handler every
// 500 ms through 2, 3, 4, 5, 6 and back to 2 until it ends; a frame blinks
// on in states 3 and 5.
class TRangePreview {
public:
    static constexpr std::int32_t StepMilliseconds = 500;

    void Request(std::uint8_t kind, std::uint32_t tick);
    // Advances when more than StepMilliseconds passed since the last step;
    // true when it did.
    bool Step(std::uint32_t tick);
    void End();

    std::uint8_t State() const { return PreviewState; }
    bool Running() const { return PreviewState != 0; }
    bool Shown() const { return PreviewShown; }
    bool DrawsFrame() const { return PreviewState == 3 || PreviewState == 5; }
    std::uint8_t Kind() const { return PreviewKind; }

private:
    std::uint8_t PreviewState = 0;
    std::uint8_t PreviewKind = 0;
    bool PreviewShown = false;
    std::uint32_t Tick = 0;
};

// The occurrence highlight searches for the selected text only when it is
// whole words within one paragraph, at most this long.
constexpr std::int32_t MaxMatchHighlightLength = 1024;

// The range the occurrence highlight searches for: a range ending just
// after a cell or row end loses that mark. False when the selection does
// not qualify: several ranges, more than one paragraph, too long, not whole
// words, or no letter or digit in it.
bool MatchHighlightRange(TDoc& doc, const std::vector<TFragment>& selection, TFragment& range);

// What the painter draws as highlight besides the selection.
enum class THighlightKind : std::uint8_t {
    Selection,
    MarkedFragments,
    Matches,      // the occurrences of the selected word
    FindResults,  // the find panel's results
};

// The span the spotlight leaves undimmed: from the first range's start to
// the last range's end, or their whole paragraphs.
TFragment SpotlightSpan(const TDoc& doc, const std::vector<TFragment>& selection, bool wholeParagraphs);

// The saved state of the split view's inactive pane.
struct TPaneData {
    std::vector<TFragment> Ranges;
    TTextPos Caret;
    std::int32_t ScrollX = 0;
    std::int32_t ScrollY = 0;
    std::int32_t Zoom = 100;
    std::uint8_t ZoomMode = 0;
    std::uint8_t ViewMode = 0;
};

// The split of one window into two panes: the active pane is the live
// view, the other a picture painted from its saved state.
struct TSplitView {
    static constexpr std::int32_t Half = 5000;  // hundredths of a percent

    bool Split = false;
    std::int32_t SplitPos = Half;
    std::uint8_t Flags = 0;  // bit 0: which pane is active
    TPaneData Pane;          // the inactive pane

    // Turns the split on (keeping the live state for the other pane) or off.
    void Toggle(const TPaneData& live);
    // Mirrors the panes.
    void SwapPanes();
    // Makes the other pane active: returns its saved state, and the live
    // state becomes the inactive pane's.
    TPaneData SwitchPane(const TPaneData& live);
    std::uint8_t ActivePane() const { return Flags & 1; }
};

// Dims the inactive pane's picture: every channel times 10/12, so white
// (255) becomes 212. Pixels are 0xAARRGGBB; alpha is kept.
void DimPanePixels(std::uint32_t* pixels, std::size_t count);
