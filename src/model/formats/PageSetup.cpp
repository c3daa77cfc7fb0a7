#include "model/formats/PageSetup.h"

#include <algorithm>
#include <cstring>

#include "base/core/Checks.h"

namespace {

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
    // A range that collapsed (a page narrower than its fixed minimums)
    // gives its lower bound.
    if (high < low)
        high = low;
    return std::clamp(value, low, high);
}

}  // namespace

std::int32_t& PageSetupWord(TPageSetup& setup, int word) {
    REZ_ASSERT(word >= PageSetupFirstMarginWord && word < PageSetupFirstMarginWord + 6);
    std::int32_t* words[6] = {&setup.LeftMargin,   &setup.RightMargin,    &setup.TopMargin,
                              &setup.BottomMargin, &setup.HeaderDistance, &setup.FooterDistance};
    return *words[word - PageSetupFirstMarginWord];
}

void SetDefaultPageSetup(TPageSetup& setup) {
    std::memset(&setup, 0, sizeof setup);
    setup.PageWidth = 12240;
    setup.PageHeight = 15840;
    setup.LeftMargin = setup.RightMargin = setup.TopMargin = setup.BottomMargin = 1440;
    setup.HeaderDistance = setup.FooterDistance = 720;
    setup.TextWidth = 9360;
    setup.LineNumberStart = 1;
}

void ValidatePageSetup(TPageSetup& setup) {
    setup.PageWidth = Clamp(setup.PageWidth, 1440, 31680);
    setup.PageHeight = Clamp(setup.PageHeight, 1440, 31680);
    setup.LeftMargin = Clamp(setup.LeftMargin, 0, setup.PageWidth - 180);
    setup.RightMargin = Clamp(setup.RightMargin, 0, setup.PageWidth - 180 - setup.LeftMargin);
    setup.TopMargin = Clamp(setup.TopMargin, 0, setup.PageHeight - 180);
    setup.BottomMargin = Clamp(setup.BottomMargin, 0, setup.PageHeight - 180 - setup.TopMargin);
    const std::int32_t maxDistance = static_cast<std::int32_t>(static_cast<std::int64_t>(setup.PageHeight) * 40 / 100);
    setup.HeaderDistance = Clamp(setup.HeaderDistance, 0, maxDistance);
    setup.FooterDistance = Clamp(setup.FooterDistance, 0, maxDistance);
    setup.TextWidth = setup.PageWidth - setup.LeftMargin - setup.RightMargin;
}

bool PageSetupsDifferInLayout(const TPageSetup& a, const TPageSetup& b) {
    return a.PageWidth != b.PageWidth || a.PageHeight != b.PageHeight || a.Orientation != b.Orientation ||
           a.LeftMargin != b.LeftMargin || a.RightMargin != b.RightMargin || a.TopMargin != b.TopMargin ||
           a.BottomMargin != b.BottomMargin || a.HeaderDistance != b.HeaderDistance ||
           a.FooterDistance != b.FooterDistance || a.MirrorMargins != b.MirrorMargins ||
           a.FacingPages != b.FacingPages || a.DifferentFirstPage != b.DifferentFirstPage;
}

void GetColumnGeometry(const TSectionFormat& format,
                       const TPageSetup& setup,
                       std::int32_t column,
                       TColumnGeometry& geometry) {
    // Stored files may carry any count; one column is the least there is,
    // and the table holds at most 64.
    const std::int32_t count = std::clamp(format.ColumnCount, 1, 64);
    const std::int32_t n = std::clamp(column, 0, count - 1);
    const std::int64_t textWidth = setup.TextWidth;
    if (format.EqualColumns != 0) {
        std::int64_t gap = format.ColumnSpacing;
        // With a single column there is no gap to limit (and nothing to
        // divide by).
        if (count > 1)
            gap = std::min<std::int64_t>(gap, textWidth * 7 / 10 / (count - 1));
        const std::int64_t width = std::max<std::int64_t>(0, (textWidth - gap * (count - 1)) / count);
        geometry.Gap = static_cast<std::int32_t>(gap);
        geometry.Width = static_cast<std::int32_t>(width);
        geometry.Left = static_cast<std::int32_t>(n * (width + gap));
    } else {
        std::int64_t left = 0;
        for (std::int32_t i = 0; i < n; ++i)
            left += format.ColumnTable[i][1] + format.ColumnTable[i][2];
        geometry.Left = static_cast<std::int32_t>(left);
        geometry.Width = format.ColumnTable[n][1];
        geometry.Gap = format.ColumnTable[n][2];
    }
    geometry.LeftEdge = geometry.Left;
    if (n > 0) {
        const std::int32_t gapBefore = format.EqualColumns != 0 ? geometry.Gap : format.ColumnTable[n - 1][2];
        geometry.LeftEdge -= gapBefore / 2;
    }
    geometry.RightEdge = geometry.Left + geometry.Width;
    if (n < count - 1)
        geometry.RightEdge += geometry.Gap / 2;
}
