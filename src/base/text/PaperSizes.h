#pragma once

#include <cstdint>
#include <string>

// Paper sizes: width and height in twips, the printer's paper code (0 none)
// and a caption whose two dimensions are marked with "^". Entries 13 to 34
// are envelopes; the last entry stands for a custom size.
struct TPaperSize {
    std::int32_t Width;
    std::int32_t Height;
    std::int32_t Code;
    const char* Caption;
};
constexpr int PaperSizeCount = 36;
constexpr int CustomPaperSize = 35;
constexpr int FirstEnvelopeSize = 13;
constexpr int LastEnvelopeSize = 34;
extern const TPaperSize PaperSizes[PaperSizeCount];

// The caption without its marks; with swap (landscape) its two dimensions
// change places ("US Letter, 11 x 8 1/2 in").
std::string GetPaperSizeCaption(int index, bool swap);
// The first size whose width and height are each within 20 twips of the
// given ones, in either orientation; CustomPaperSize when none is.
int FindPaperSize(std::int32_t width, std::int32_t height);
// The same over the envelopes; -1 when none matches.
int FindEnvelopeSize(std::int32_t width, std::int32_t height);
// The printer code of FindPaperSize (0 for a custom size).
std::int32_t PaperCodeOfSize(std::int32_t width, std::int32_t height);
