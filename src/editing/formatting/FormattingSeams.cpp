#include "editing/formatting/FormattingSeams.h"

TFormattingSeams& FormattingSeams() {
    static TFormattingSeams seams;
    return seams;
}

std::vector<std::int32_t>& FontSizeSteps() {
    // The sizes of the font-size box, in half-points.
    static std::vector<std::int32_t> sizes = {16, 18, 20, 22, 24, 28, 32, 36, 40, 44, 48, 56, 64, 72, 96, 144};
    return sizes;
}
