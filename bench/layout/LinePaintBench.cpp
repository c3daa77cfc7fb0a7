// Line painting throughput: the lines of one screenful of dense text
// (10-point text across a 1920 x 1080 screen, about 70 lines) painted into
// the off-screen bitmap, as a full repaint of the view does; plain, and with
// formatting marks, underlines and highlights on every few words.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "../BenchDocument.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/painting/TLinePainter.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TColorManager.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t ScreenWidth = 1920;
constexpr std::int32_t ScreenHeight = 1080;
constexpr std::int32_t TextWidth = 28200;  // twips: the screen's width less a margin
constexpr std::int32_t ParChars = 1200;

// Words of ordinary lengths; with decorations, now and then underlined,
// highlighted or bold, and a tab now and then.
void FillPar(TPar& par, std::mt19937& random, std::int32_t font, bool decorated) {
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, caFont, font);
    AppendFormatControl(par.Stream, caSize, 20);
    while (par.Chars.Size < ParChars) {
        const std::uint32_t r = random() % 100;
        if (decorated && r < 4) {
            AppendFormatControl(par.Stream, caUnderline, r < 2 ? ulSingle : ulDotted);
        } else if (decorated && r < 6) {
            AppendFormatControl(par.Stream, caUnderline, ulNone);
        } else if (decorated && r < 7) {
            AppendFormatControl(par.Stream, caHighlight, r % 2 == 0 ? 0x00FFFF : AutoColor);
        } else if (r < 9) {
            AppendFormatControl(par.Stream, caBold, static_cast<std::int32_t>(random() % 2));
        } else if (r < 10) {
            AppendFormatControl(par.Stream, fcSpecialChar, chTab);
            par.Chars.AppendByte(chTab);
        }
        const std::uint32_t length = 1 + random() % 10;
        for (std::uint32_t i = 0; i < length; ++i) {
            const auto c = static_cast<std::uint8_t>('a' + random() % 26);
            par.Stream.AppendByte(c);
            par.Chars.AppendByte(c);
        }
        par.Stream.AppendByte(' ');
        par.Chars.AppendByte(' ');
    }
    AppendFormatControl(par.Stream, caHighlight, AutoColor);
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
}

// A document of enough paragraphs to fill the screen, laid out, and the
// off-screen bitmap at the screen's size.
struct TPaintBench : TBenchFonts {
    explicit TPaintBench(bool decorated) : TBenchFonts(ScreenWidth, ScreenHeight) {
        Colors = std::make_unique<TColorManager>();
        Doc = std::make_unique<TDoc>(true);
        std::mt19937 random(2025);
        FillPar(*Doc->Par(0), random, Fonts->TimesFont, decorated);
        for (std::int32_t i = 1; i < 40; ++i) {
            auto* par = new TPar(Doc.get());
            par->Format = Doc->Par(0)->Format;
            FillPar(*par, random, Fonts->TimesFont, decorated);
            Doc->Pars.Add(par);
        }
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
        std::int32_t y = 0;
        for (std::int32_t i = 0; i < Doc->ParCount() && y < ScreenHeight; ++i) {
            TPar* par = Doc->Par(i);
            par->LayoutLines(0, TextWidth, nullptr);
            for (std::int32_t j = 0; j < par->LineCount() && y < ScreenHeight; ++j) {
                TLine* line = par->Lines->At<TLine>(j);
                Lines.push_back(line);
                Chars += line->CharCount;
                y += line->HeightPixels(nullptr);
            }
        }
        Bitmap.Width = ScreenWidth;
        Bitmap.Height = ScreenHeight;
        Bitmap.AllocateBitmap();
        ServiceBitmap = &Bitmap;
    }
    ~TPaintBench() {
        ServiceBitmap = nullptr;
        Doc->DestroyLayout();
        Doc.reset();
    }

    // One full repaint: the bitmap cleared to the page, then every line.
    void PaintScreen() {
        Bitmap.FillBox(0, 0, ScreenWidth, ScreenHeight, 0xFFFFFF);
        std::int32_t y = 0;
        for (TLine* line : Lines) {
            line->Paint(Bitmap.DC, 10, y);
            y += line->HeightPixels(nullptr);
        }
    }

    std::unique_ptr<TColorManager> Colors;
    std::unique_ptr<TDoc> Doc;
    TServiceBitmap Bitmap;
    std::vector<TLine*> Lines;
    std::int64_t Chars = 0;
};

void RunScreens(benchmark::State& state, TPaintBench& bench) {
    bench.PaintScreen();  // zoomed widths and fonts made before timing
    for (auto _ : state)
        bench.PaintScreen();
    state.SetItemsProcessed(state.iterations() * bench.Chars);
    state.counters["lines"] = static_cast<double>(bench.Lines.size());
    state.counters["screens/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_LinePaintScreen(benchmark::State& state) {
    LinePaintOptions() = TLinePaintOptions();
    TPaintBench bench(false);
    RunScreens(state, bench);
}
BENCHMARK(BM_LinePaintScreen)->Unit(benchmark::kMillisecond);

void BM_LinePaintScreenWithMarksAndDecorations(benchmark::State& state) {
    LinePaintOptions() = TLinePaintOptions();
    LinePaintOptions().ShowMarks = true;
    TPaintBench bench(true);
    RunScreens(state, bench);
    LinePaintOptions() = TLinePaintOptions();
}
BENCHMARK(BM_LinePaintScreenWithMarksAndDecorations)->Unit(benchmark::kMillisecond);

}  // namespace
