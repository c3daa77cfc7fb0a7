#include "layout/view/DisplayModes.h"

#include <algorithm>
#include <cctype>

#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

void TRangePreview::Request(std::uint8_t kind, std::uint32_t tick) {
    PreviewKind = kind;
    PreviewState = 1;
    Tick = tick;
}

bool TRangePreview::Step(std::uint32_t tick) {
    if (PreviewState == 0 || tick - Tick <= static_cast<std::uint32_t>(StepMilliseconds))
        return false;
    if (PreviewState == 1) {
        PreviewShown = true;
        PreviewState = 2;
    } else if (PreviewState >= 6) {
        PreviewState = 2;
    } else {
        ++PreviewState;
    }
    Tick = tick;
    return true;
}

void TRangePreview::End() {
    PreviewState = 0;
    PreviewShown = false;
}

bool MatchHighlightRange(TDoc& doc, const std::vector<TFragment>& selection, TFragment& range) {
    if (selection.size() != 1)
        return false;
    range = selection.front();
    if (range.Start.Par != range.End.Par || range.Start.Par < 0 || range.Start.Par >= doc.ParCount())
        return false;
    const TPar& par = *doc.Par(range.Start.Par);
    const std::int32_t count = par.CharCount();
    if (range.Start.Offset < 0 || range.End.Offset > count || range.End.Offset <= range.Start.Offset)
        return false;
    if (range.End.Offset - range.Start.Offset > MaxMatchHighlightLength)
        return false;
    if (!doc.IsWholeWordsRange(range))
        return false;
    const std::uint8_t lastChar = par.Chars.Data[range.End.Offset - 1];
    if (lastChar == chCellEnd || lastChar == chRowEnd)
        --range.End.Offset;
    for (std::int32_t k = range.Start.Offset; k < range.End.Offset; ++k)
        if (std::isalnum(par.Chars.Data[k]) != 0 || par.Chars.Data[k] >= 192)
            return true;
    return false;
}

TFragment SpotlightSpan(const TDoc& doc, const std::vector<TFragment>& selection, bool wholeParagraphs) {
    TFragment span;
    if (selection.empty())
        return span;
    span.Start = selection.front().Start;
    span.End = selection.back().End;
    if (wholeParagraphs) {
        span.Start.Offset = 0;
        if (span.End.Par >= 0 && span.End.Par < doc.ParCount())
            span.End.Offset = doc.Par(span.End.Par)->CharCount();
    }
    return span;
}

void TSplitView::Toggle(const TPaneData& live) {
    Split = !Split;
    if (Split) {
        Pane = live;
        Pane.ScrollX = 0;
    }
}

void TSplitView::SwapPanes() {
    SplitPos = 2 * Half - SplitPos;
    Flags ^= 1;
}

TPaneData TSplitView::SwitchPane(const TPaneData& live) {
    TPaneData activated = std::move(Pane);
    Pane = live;
    Flags ^= 1;
    return activated;
}

void DimPanePixels(std::uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        const std::uint32_t r = ((p >> 16) & 0xFF) * 10 / 12;
        const std::uint32_t g = ((p >> 8) & 0xFF) * 10 / 12;
        const std::uint32_t b = (p & 0xFF) * 10 / 12;
        pixels[i] = (p & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
}
