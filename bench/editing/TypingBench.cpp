// Typing and the field index: 100,000 characters typed one by one through
// TDoc::PerformOperation (opInsertText) into a document of some 1,000 pages
// laid out by the layout library, at its end and in its middle, each
// keystroke with its re-layout (goal: under 50 microseconds a keystroke);
// and FieldsNearRange over a document of 100,000 fields.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../BenchDocument.h"
#include "../RandomWords.h"
#include "base/core/ObjectHandles.h"
#include "editing/fields/FieldIndex.h"
#include "editing/services/EditingInstall.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

namespace {

// Letter pages with one-inch margins hold 46 lines of 12-point text; a
// paragraph of 600 characters is some seven lines, so 6,800 of them make
// about 1,000 pages.
constexpr std::int32_t ParChars = 600;
constexpr std::int32_t ParCount = 6800;
constexpr std::int64_t Keystrokes = 100000;

void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    FillRandomWords(par, random, font, 24, ParChars);
    par.Format.SpaceAfter = 120;
    par.Format.WidowControl = 1;
}

// The editing workers go in before the document is made.
struct TEditingReady {
    TEditingReady() { InstallEditing(); }
};

// A visible document (operations keep their post-actions and undo) laid
// out by the layout client.
struct TTypingDoc : TEditingReady {
    explicit TTypingDoc(bool layout = true) : Document(false, layout ? &Client : nullptr, ParCount, FillPar, 2024) {
        Doc->StateFlags[sfSectionIndexStale] = 1;
        if (layout)
            Doc->Paginate(0, 2147483647);
    }
    TLayoutClient Client;
    TBenchDocument Document;
    std::unique_ptr<TDoc>& Doc = Document.Doc;
};

// What a typist types: words and spaces, a full stop now and then, and a
// new paragraph after some 600 characters.
char NextKey(std::mt19937& random, std::int32_t& sinceEnter) {
    ++sinceEnter;
    if (sinceEnter > ParChars) {
        sinceEnter = 0;
        return '\r';
    }
    const std::uint32_t r = random() % 64;
    if (r < 10)
        return ' ';
    if (r == 10)
        return '.';
    return static_cast<char>('a' + random() % 26);
}

void TypeInto(benchmark::State& state, bool atEnd, bool layout = true) {
    TTypingDoc bench(layout);
    TDoc& doc = *bench.Doc;
    const std::int32_t par = atEnd ? doc.ParCount() - 1 : doc.ParCount() / 2;
    MakeTextPos(par, atEnd ? doc.Par(par)->CharCount() - 1 : doc.Par(par)->CharCount() / 2, doc.Caret);
    std::mt19937 random(7);
    std::int32_t sinceEnter = 0;
    TMemory key;
    key.SetSize(1);
    for (auto _ : state) {
        key.Data[0] = static_cast<std::uint8_t>(NextKey(random, sinceEnter));
        doc.PerformOperation(TInsertTextArgs{&key, 0});
    }
    // The time of an iteration is the time of one keystroke.
    state.counters["pages"] = static_cast<double>(doc.Pages.Count);
}

void BM_TypeAtDocumentEnd(benchmark::State& state) {
    TypeInto(state, true);
}
BENCHMARK(BM_TypeAtDocumentEnd)->Iterations(Keystrokes)->Unit(benchmark::kMicrosecond);

void BM_TypeInDocumentMiddle(benchmark::State& state) {
    TypeInto(state, false);
}
BENCHMARK(BM_TypeInDocumentMiddle)->Iterations(Keystrokes)->Unit(benchmark::kMicrosecond);

// The same keystrokes in the middle without a layout: the editing's own
// share of a keystroke.
void BM_TypeInDocumentMiddleWithoutLayout(benchmark::State& state) {
    TypeInto(state, false, false);
}
BENCHMARK(BM_TypeInDocumentMiddleWithoutLayout)->Iterations(Keystrokes)->Unit(benchmark::kMicrosecond);

// 10,000 paragraphs of ten bookmarks each, some nested in a long field.
struct TFieldDoc {
    TFieldDoc() {
        Doc = std::make_unique<TDoc>(true);
        Doc->Pars.FreeItems<TPar>();
        for (std::int32_t p = 0; p < 10000; ++p) {
            auto* par = new TPar(Doc.get());
            par->Format = DefaultParFormat;
            TField* outer = nullptr;
            if (p % 100 == 0) {
                outer = NewField(fkCode);
                AppendFormatControl(par->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(outer)));
            }
            for (int f = 0; f < (outer != nullptr ? 9 : 10); ++f) {
                TField* field = NewField(fkBookmark);
                AppendText(*par, "ab");
                AppendFormatControl(par->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
                AppendText(*par, "cdef");
                AppendFormatControl(par->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
            }
            if (outer != nullptr)
                AppendFormatControl(par->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(outer)));
            AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
            par->Chars.AppendByte(chParEnd);
            Doc->Pars.Add(par);
        }
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
        Doc->StateFlags[sfFieldIndexStale] = 1;
        Doc->NoteFieldSpan(-1, -1);
        RebuildFieldIndex(*Doc);
    }
    TField* NewField(std::uint8_t kind) {
        auto* f = new TField;
        f->Kind = kind;
        f->Instruction = u"b";
        Doc->Fields.Add(f);
        return f;
    }
    static void AppendText(TPar& par, const char* text) {
        for (const char* c = text; *c != 0; ++c) {
            par.Stream.AppendByte(static_cast<std::uint8_t>(*c));
            par.Chars.AppendByte(static_cast<std::uint8_t>(*c));
        }
    }
    std::unique_ptr<TDoc> Doc;
};

void BM_FieldsNearRange(benchmark::State& state) {
    static TFieldDoc bench;
    TDoc& doc = *bench.Doc;
    std::mt19937 random(11);
    std::vector<TField*> found;
    std::size_t total = 0;
    for (auto _ : state) {
        const auto p = static_cast<std::int32_t>(random() % 10000);
        const auto o = static_cast<std::int32_t>(random() % 60);
        TFragment range{{p, o}, {p, o + static_cast<std::int32_t>(state.range(0))}};
        FieldsNearRange(doc, range, found);
        total += found.size();
    }
    state.counters["fields"] = static_cast<double>(doc.Fields.Count);
    state.counters["found_per_query"] =
        benchmark::Counter(static_cast<double>(total), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FieldsNearRange)->Arg(0)->Arg(20)->Unit(benchmark::kNanosecond);

// The whole index built afresh over the same 100,000 fields.
void BM_RebuildFieldIndex(benchmark::State& state) {
    static TFieldDoc bench;
    TDoc& doc = *bench.Doc;
    for (auto _ : state) {
        doc.StateFlags[sfFieldIndexStale] = 1;
        doc.NoteFieldSpan(-1, -1);
        RebuildFieldIndex(doc);
    }
}
BENCHMARK(BM_RebuildFieldIndex)->Unit(benchmark::kMillisecond);

}  // namespace
