// Pasting 10 MB of RTF from the clipboard into the middle of a document of
// about 1,000 pages: the whole operation as the Paste command runs it, from
// reading the clipboard through loading the content into its hidden
// document to inserting it as one undoable step. The destination is built
// afresh (untimed) before each paste; bytes per second counts the RTF.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "../RandomWords.h"
#include "editing/services/EditingInstall.h"
#include "editing/typing/TypingInstall.h"
#include "files/transfer/Paste.h"
#include "files/transfer/TransferInstall.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "platform/ClipboardSource.h"

namespace {

// About 1,000 pages of 12-point text: nine paragraphs of some 350
// characters fill a letter page with one-inch margins.
constexpr std::int32_t kDestParagraphs = 9000;
constexpr std::int32_t kParagraphChars = 350;
constexpr std::size_t kRtfBytes = 10 * 1024 * 1024;

std::unique_ptr<TDoc> BuildDestination(std::int32_t font) {
    auto doc = std::make_unique<TDoc>();
    std::mt19937 random(7);
    TPar* first = doc->Par(0);
    FillRandomWords(*first, random, font, 24, kParagraphChars);
    for (std::int32_t p = 1; p < kDestParagraphs; ++p) {
        auto* par = new TPar(doc.get());
        FillRandomWords(*par, random, font, 24, kParagraphChars);
        doc->Pars.Add(par);
    }
    doc->StoryCounts[stMain] = doc->ParCount();
    doc->RenumberPars(0);
    doc->Caret = TTextPos{kDestParagraphs / 2, 10};
    return doc;
}

// RTF of styled paragraphs with bold and italic runs, to about 10 MB.
std::string BuildRtf() {
    std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}"
        "{\\stylesheet{\\s0 Normal;}{\\s1\\b\\fs32 Heading 1;}{\\s2\\i Quote;}}";
    std::mt19937 random(11);
    std::int32_t n = 0;
    while (rtf.size() < kRtfBytes) {
        const int style = n % 20 == 0 ? 1 : (n % 7 == 0 ? 2 : 0);
        rtf += "\\pard\\plain\\s" + std::to_string(style) + " ";
        for (int word = 0; word < 60; ++word) {
            const bool bold = random() % 13 == 0;
            if (bold)
                rtf += "{\\b ";
            const std::uint32_t length = 1 + random() % 10;
            for (std::uint32_t i = 0; i < length; ++i)
                rtf += static_cast<char>('a' + random() % 26);
            if (bold)
                rtf += "}";
            rtf += ' ';
        }
        rtf += "\\par\n";
        ++n;
    }
    return rtf + "}";
}

void BM_PasteBigRtfIntoThousandPages(benchmark::State& state) {
    TFontManager fonts;
    InstallEditing();
    InstallTypingWorkers();
    InstallTransferWorkers();
    Platform::TMemoryClipboard clipboard;
    SetPasteClipboard(&clipboard);
    const std::string rtf = BuildRtf();
    clipboard.Set(clipboard.RegisterFormat(RtfClipboardFormat), rtf);
    const std::int32_t font = DefaultCharFormat[caFont];
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TDoc> doc = BuildDestination(font);
        const std::int32_t before = doc->ParCount();
        state.ResumeTiming();
        TPasteData data;
        doc->PerformOperation(TPasteArgs{&data});
        state.PauseTiming();
        if (doc->ParCount() <= before) {
            state.SkipWithError("nothing was pasted");
            break;
        }
        state.counters["pasted_pars"] = doc->ParCount() - before;
        doc.reset();
        state.ResumeTiming();
    }
    SetPasteClipboard(nullptr);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rtf.size()));
}
BENCHMARK(BM_PasteBigRtfIntoThousandPages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
