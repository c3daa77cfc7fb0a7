// Painting the document view at 1920 x 1080 and 100 %: a full paint of a
// dense page spread, the repaint after one typed character (the paragraph
// laid out again in place and the lines around it painted and copied), and
// the tint pass over half a screen of selection. Lines paint through the
// real line painter, so the full paint and the repaint include drawing the
// text with the fixture fonts.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "../BenchDocument.h"
#include "../RandomWords.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/LineLayout.h"
#include "layout/view/TViewClient.h"
#include "layout/view/ViewPainting.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Regions.h"
#include "platform/Screen.h"

namespace {

constexpr std::int32_t ScreenWidth = 1920;
constexpr std::int32_t ScreenHeight = 1080;
// Dense text: 10-point paragraphs of 800 characters, no space after.
constexpr std::int32_t ParChars = 800;
constexpr std::int32_t ParCount = 400;

void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    FillRandomWords(par, random, font, 20, ParChars);
    par.Format.SpaceAfter = 0;
}

// The window: a bitmap the view copies into.
struct TBenchView {
    TBenchView() {
        Document.PaginateForView();
        // Two pages side by side, the third row's tops in view.
        Platform::TRect page;
        Doc->GetPageRect(10, page);
        Doc->ScrollPos = {0, page.Top - 200};
    }
    TBenchWindow Window{ScreenWidth, ScreenHeight};
    TBenchDocument Document{true, &Window, ParCount, FillPar, 17, ScreenWidth, ScreenHeight};
    std::unique_ptr<TDoc>& Doc = Document.Doc;
};

TBenchView& Bench() {
    static TBenchView bench;
    return bench;
}

void BM_PaintViewFull(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    for (auto _ : state)
        doc.PaintView(nullptr, nullptr);
    state.counters["pages_per_row"] = doc.PagesPerRow;
    state.counters["first_page"] = doc.FirstVisiblePage();
    state.counters["last_page"] = doc.LastVisiblePage();
}
BENCHMARK(BM_PaintViewFull)->Unit(benchmark::kMillisecond);

// One character typed into (and then taken out of) a paragraph on the
// screen: laid out again in place, then the lines around it repainted.
void BM_RepaintAfterTyping(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    doc.PaintView(nullptr, nullptr);
    const TPage& page = *doc.Pages.At<TPage>(doc.FirstVisiblePage() + 1);
    const std::int32_t p = page.FirstLine(1)->Par->Index + 1;
    TPar& par = *doc.Par(p);
    const std::int32_t charAt = par.CharCount() / 2;
    const std::int32_t at = 2 * FormatControlSize + charAt;
    TCompoundFragment* changed = NewCompoundFragment();
    bool typed = false;
    for (auto _ : state) {
        if (!typed) {
            par.Stream.InsertBuffer("e", at, 1);
            par.Chars.InsertBuffer("e", charAt, 1);
        } else {
            par.Stream.DeleteRange(at, 1);
            par.Chars.DeleteRange(charAt, 1);
        }
        typed = !typed;
        par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
        doc.ReformatPar(p);
        TPostActions& pa = doc.PostActions();
        pa.RepaintRange = {};
        changed->SetSingle(p, charAt, p, charAt + 1);
        doc.PaintView(nullptr, changed);
    }
    ReleaseCompoundFragment(changed);
}
BENCHMARK(BM_RepaintAfterTyping)->Unit(benchmark::kMicrosecond);

// The selection tint over half the screen (every pixel of 1920 x 540).
void BM_TintPass(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    doc.PaintView(nullptr, nullptr);
    Platform::HRGN region = Platform::CreateRectRgn(0, 0, ScreenWidth, ScreenHeight / 2);
    for (auto _ : state)
        TintRegion(region, 0, 0xFFCC99, 0, 0);
    Platform::DeleteRegion(region);
    state.SetItemsProcessed(state.iterations() * ScreenWidth * (ScreenHeight / 2));
}
BENCHMARK(BM_TintPass)->Unit(benchmark::kMicrosecond);

}  // namespace
