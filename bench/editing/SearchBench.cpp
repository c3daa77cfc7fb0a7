// The search over a generated document of 1,000,000 words against grep over
// the same text in a file: Find All of a frequent word (whole words, exact,
// as grep -ow counts) and of a wildcard pattern, each timed beside the grep
// run and reported as a ratio (goal: within 3 times grep's time); and
// Replace All of 40,000 occurrences as one undo step.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "base/core/TMemory.h"
#include "base/messages/MessageBoxes.h"
#include "editing/search/PatternMatcher.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TSearchCommands.h"
#include "editing/search/TSearchSelection.h"
#include "editing/search/TToken.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"

namespace {

constexpr int WordCount = 1000000;
constexpr int WordsPerPar = 100;

// Lower-case words of 2 to 9 letters from a fixed generator, with "the" as
// every 16th word, paragraphs of WordsPerPar words.
std::string MakeText(int words) {
    std::string text;
    std::uint32_t seed = 12345;
    for (int i = 0; i < words; ++i) {
        if (i % 16 == 7) {
            text += "the";
        } else {
            seed = seed * 1103515245u + 12345u;
            const int length = 2 + static_cast<int>((seed >> 16) % 8);
            for (int j = 0; j < length; ++j) {
                seed = seed * 1103515245u + 12345u;
                text += static_cast<char>('a' + (seed >> 16) % 26);
            }
        }
        text += (i % WordsPerPar == WordsPerPar - 1) ? '\n' : ' ';
    }
    return text;
}

// A document of the text, one typing operation per paragraph.
std::unique_ptr<TDoc> MakeDoc(const std::string& text, bool hidden) {
    auto doc = std::make_unique<TDoc>(hidden);
    std::size_t from = 0;
    TMemory bytes;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        end = end == std::string::npos ? text.size() : end + 1;
        bytes.SetSize(0);
        for (std::size_t i = from; i < end; ++i)
            bytes.AppendByte(text[i] == '\n' ? 13 : static_cast<std::uint8_t>(text[i]));
        doc->PerformOperation(TInsertTextArgs{&bytes, 0});
        from = end;
    }
    doc->Caret = TTextPos{};
    return doc;
}

std::int64_t CountAll(TDoc& doc, const std::u16string& pattern, std::uint8_t options) {
    SearchOptions = options;
    FindFormat.Clear();
    std::int32_t position = 1;
    if (!TToken::Compile(FindPattern, pattern, position, (options & soWildcards) != 0, false, 0))
        return -1;
    TDocSearchState state;
    std::int64_t hits = 0;
    TTextPos pos{};
    while (true) {
        TSearchResult result;
        SearchFrom(doc, state, pos, result, 0, TTextPos{});
        if (!result.Found)
            break;
        ++hits;
        pos = result.Next;
    }
    return hits;
}

// grep's count and its time over the file, in seconds.
std::int64_t GrepCount(const std::string& args, const std::string& file, double& seconds) {
    const std::string command = "LC_ALL=C grep -o " + args + " " + file + " | wc -l";
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    std::int64_t count = -1;
    if (pipe != nullptr) {
        long long n = 0;
        if (std::fscanf(pipe, "%lld", &n) == 1)
            count = n;
        pclose(pipe);
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return count;
}

struct TFixture {
    TFixture() {
        Text = MakeText(WordCount);
        Doc = MakeDoc(Text, true);
        // The search reads the paragraphs' wide-text caches, which an open
        // document keeps once it has been laid out and painted; building
        // them is timed apart.
        const auto start = std::chrono::steady_clock::now();
        for (std::int32_t p = 0; p < Doc->ParCount(); ++p)
            Doc->Par(p)->BuildWideText();
        WideTextSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        File = (std::filesystem::temp_directory_path() / ("rez-search-bench-" + std::to_string(::getpid()) + ".txt"))
                   .string();
        std::ofstream(File, std::ios::binary) << Text;
    }
    ~TFixture() {
        std::error_code ec;
        std::filesystem::remove(File, ec);
    }
    std::string Text;
    std::unique_ptr<TDoc> Doc;
    std::string File;
    double WideTextSeconds = 0;
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

void FindAllAgainstGrep(benchmark::State& state,
                        const std::u16string& pattern,
                        std::uint8_t options,
                        const std::string& grepArgs) {
    TFixture& f = Fixture();
    double searchSeconds = 0;
    double grepSeconds = 0;
    std::int64_t hits = 0;
    std::int64_t grepHits = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        hits = CountAll(*f.Doc, pattern, options);
        searchSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        grepHits = GrepCount(grepArgs, f.File, grepSeconds);
        state.SetIterationTime(searchSeconds);
    }
    SearchOptions = 0;
    if (hits != grepHits)
        state.SkipWithError("the search and grep count differently");
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["grep_hits"] = static_cast<double>(grepHits);
    state.counters["grep_ms"] = grepSeconds * 1000;
    state.counters["ratio_to_grep"] = grepSeconds > 0 ? searchSeconds / grepSeconds : 0;
    state.counters["wide_text_ms"] = f.WideTextSeconds * 1000;
}

void BM_FindAllWordVsGrep(benchmark::State& state) {
    FindAllAgainstGrep(state, u"the", soExactMatch | soWholeWords, "-w the");
}
BENCHMARK(BM_FindAllWordVsGrep)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Words that begin with "th": the same set for both.
void BM_FindAllWildcardVsGrep(benchmark::State& state) {
    FindAllAgainstGrep(state, u"<th[a-z]@>", soExactMatch | soWildcards, "-w 'th[a-z]\\+'");
}
BENCHMARK(BM_FindAllWildcardVsGrep)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Replace All of 40,000 hits in a document of 640,000 words, one undo step,
// then its undo.
void BM_ReplaceAll40000(benchmark::State& state) {
    const std::string text = MakeText(40000 * 16);
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = MakeDoc(text, false);
        doc->ClearUndoHistory();
        TPlainSearchSelection selection;
        TSearchCommands commands(selection);
        commands.FindText = u"the";
        commands.ReplaceText = u"that";
        SearchOptions = soExactMatch | soWholeWords;
        auto previous = SetMessageBoxAnswerer([](const TMessageBoxRequest&) -> std::uint16_t { return mrOk; });
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        commands.FindOrReplaceAll(*doc, true, true);
        const auto replaced = std::chrono::steady_clock::now();
        doc->Undo(false);
        const auto undone = std::chrono::steady_clock::now();
        state.PauseTiming();
        SetMessageBoxAnswerer(std::move(previous));
        SearchOptions = 0;
        state.counters["replaced"] = commands.LastTotal;
        state.counters["replace_ms"] = std::chrono::duration<double>(replaced - start).count() * 1000;
        state.counters["undo_ms"] = std::chrono::duration<double>(undone - replaced).count() * 1000;
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReplaceAll40000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
