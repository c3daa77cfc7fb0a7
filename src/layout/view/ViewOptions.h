#pragma once

#include <cstdint>

// Spotlight option bits: the dimming level is the first of 0x10, 0x08,
// 0x04, 0x02 that is set (levels 4 to 1); 0x01 blurs the text outside the
// spot.
enum : std::uint32_t {
    spBlur = 0x01,
    spDim1 = 0x02,
    spDim2 = 0x04,
    spDim3 = 0x08,
    spDim4 = 0x10,
};

// The view options the view geometry and the view painter read. The
// shell's options holder fills them with the rest of the options record;
// until it exists, these defaults stand.
struct TViewOptions {
    // Print layout hides the white space above and below the text.
    bool HideWhiteSpace = false;
    // The draft view centres its text in the window.
    bool CenterDraftText = false;
    // The rulers' marker size in pixels (odd, at least 9).
    std::int32_t RulerMarkerSize = 9;
    // Spotlight view: dimming and blur bits, the least height of the spot
    // in pixels, and room of half a screen above and below the text.
    std::uint32_t SpotlightFlags = 0;
    std::int32_t SpotlightMinHeight = 0;
    bool SpotlightMargins = true;
};

TViewOptions& ViewOptions();
