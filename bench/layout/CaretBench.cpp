// Moving the caret down one line at a time through a document of about a
// thousand pages, as the Down key does: locating the next line, taking the
// caret's x on it, placing and shaping the caret, refreshing the current
// formats and scrolling it into view. The pages are built beforehand; once
// the caret reaches the end it starts again at the top. Then the same with
// the selection extended line by line.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>

#include "../BenchDocument.h"
#include "../RandomWords.h"
#include "layout/selection/CaretMoves.h"
#include "layout/view/TViewClient.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace {

constexpr std::int32_t ScreenWidth = 1920;
constexpr std::int32_t ScreenHeight = 1080;
// 10-point paragraphs of 800 characters: seven to a page, so 7,000 of
// them fill about a thousand pages.
constexpr std::int32_t ParChars = 800;
constexpr std::int32_t ParCount = 7000;
// The caret goes down from the middle of the first line, so that every
// movement looks for its x among the characters of a line.
constexpr std::int32_t StartOffset = 60;

void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    FillRandomWords(par, random, font, 20, ParChars);
    par.Format.SpaceAfter = 0;
}

struct TBenchDoc {
    TBenchDoc() {
        Document.PaginateForView();
        Doc->MoveCaretTo(0, StartOffset, 4, 0);
    }
    TBenchWindow Window{ScreenWidth, ScreenHeight};
    TBenchDocument Document{true, &Window, ParCount, FillPar, 29, ScreenWidth, ScreenHeight};
    std::unique_ptr<TDoc>& Doc = Document.Doc;
};

TBenchDoc& Bench() {
    static TBenchDoc bench;
    return bench;
}

void BM_CaretLineDown(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    const std::int32_t lastPar = doc.ParCount() - 1;
    std::int64_t wraps = 0;
    for (auto _ : state) {
        MoveCaretBy(doc, TCaretMove::LineDown, false);
        if (doc.Caret.Par == lastPar && doc.Caret.Line + 1 >= doc.Par(lastPar)->LineCount()) {
            doc.MoveCaretTo(0, StartOffset, 4, 0);
            ++wraps;
        }
    }
    state.counters["pages"] = doc.Pages.Count;
    state.counters["restarts"] = static_cast<double>(wraps);
}
BENCHMARK(BM_CaretLineDown)->Unit(benchmark::kMicrosecond);

// Shift+Down: the selection grows by a line at each step, up to 200 lines,
// and each step orders, snaps and announces the selection (the merged
// formats of the selected text included) and keeps the caret in view.
void BM_ExtendSelectionLineDown(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    doc.MoveCaretTo(0, StartOffset, 4, 0);
    std::int32_t lines = 0;
    // Argument 1: without the repaint of the changed lines (state flag 17,
    // as code that repaints by itself sets it), to tell the selection's own
    // cost from the painter's.
    const bool repaint = state.range(0) == 0;
    if (!repaint)
        doc.PushStateFlag(17);
    for (auto _ : state) {
        MoveCaretBy(doc, TCaretMove::LineDown, true);
        if (++lines == 200) {
            state.PauseTiming();
            doc.MoveCaretTo(0, StartOffset, 4, 0);
            lines = 0;
            state.ResumeTiming();
        }
    }
    if (!repaint)
        doc.PopStateFlag();
    doc.MoveCaretTo(0, StartOffset, 4, 0);
}
BENCHMARK(BM_ExtendSelectionLineDown)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
