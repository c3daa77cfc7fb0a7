#include <algorithm>

#include "base/core/TList.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/LineStartFormats.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"

namespace {

void ReleaseLinesFrom(TPar& par, std::int32_t from) {
    if (par.Lines == nullptr)
        return;
    for (std::int32_t i = par.Lines->Count - 1; i >= from; --i) {
        TLine::Release(par.Lines->At<TLine>(i));
        par.Lines->Delete(i);
    }
}

}  // namespace

void TPar::LayoutLines(std::int32_t fromLine, std::int32_t width, TWrapArea* wrapArea) {
    TDoc& doc = DocOfPar(*this);
    Breaker.Doc = &doc;
    fromLine = std::clamp(fromLine, 0, LineCount());
    TLineSlice slice{0, Stream.Size};
    TCharFormat format = DefaultCharFormat;
    if (fromLine > 0 && fromLine < LineCount()) {
        const TLine* line = Lines->At<TLine>(fromLine);
        doc.LoadCharFormat(line->StartFormat, format);
        slice = {line->StreamStart, Stream.Size - line->StreamStart};
    } else if (fromLine > 0) {
        const TLine* last = Lines->At<TLine>(fromLine - 1);
        const std::int32_t end = last->StreamStart + last->StreamLength;
        CharFormatAtStreamOffset(*this, end, format);
        slice = {end, Stream.Size - end};
    }
    slice.Offset = std::clamp(slice.Offset, 0, Stream.Size);
    slice.Remaining = std::clamp(slice.Remaining, 0, Stream.Size - slice.Offset);

    if (TabManager != nullptr)
        TabManager->BuildEffectiveTabs(*this);
    CharSizesToSixteenths(format);
    Breaker.Format = format;
    Breaker.Flags = 0;
    doc.SelectMeasureFont(Breaker.Format, 14);

    ReleaseLinesFrom(*this, fromLine);
    if (Lines == nullptr)
        Lines = new TList;

    // Text beside exclusion areas is laid out in rows of pieces by the
    // flow's wrap layout; until that exists the lines run the full width.
    (void)wrapArea;
    while (slice.Remaining > 0) {
        TLine* line = TLine::Acquire(this);
        line->WidthLimit = width;
        line->IndexInPar = line->Row = Lines->Count;
        Lines->Add(line);
        line->Build(slice, nullptr);
        if (line->StreamLength == 0) {
            // The breaker always takes a first item; a line without bytes
            // can only come from a damaged stream, and ends the layout.
            Lines->DeleteLast();
            TLine::Release(line);
            break;
        }
    }
    for (std::int32_t i = Lines->Count - 1; i >= fromLine; --i)
        Lines->At<TLine>(i)->FinishMetrics();
}

void TPar::RebuildLines(bool relayout, std::int32_t width) {
    ReleaseLinesFrom(*this, 0);
    if (Lines != nullptr)
        Lines->Clear();
    if (!relayout) {
        Flags &= static_cast<std::uint16_t>(~(pfLaidOut | pfNormalized));
        return;
    }
    Normalize();
    std::int32_t right = Format.RightIndent;
    const std::uint8_t viewMode = Owner != nullptr ? Owner->OwnerViewMode() : std::uint8_t{vmPrintLayout};
    if (right < 0 && (viewMode == vmDraft || viewMode == vmDraftWrapped))
        right = 0;
    LayoutLines(0, width - right, nullptr);
    Flags |= pfLaidOut;
}
