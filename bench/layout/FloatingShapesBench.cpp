// Pagination with floating pictures: some 200 pages with a floating picture
// anchored on each (every sixth paragraph anchors one), text wrapped square
// around it. Time of a full pagination, and the peak memory of a process
// that builds the document and paginates it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../BenchDocument.h"
#include "../HostileInputs.h"
#include "../RandomWords.h"
#include "base/core/ObjectHandles.h"
#include "base/core/TMemoryStream.h"
#include "base/pictures/TPNGImage.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"

namespace {

// Letter pages hold some six paragraphs of 600 characters.
constexpr std::int32_t ParChars = 600;
constexpr std::int32_t ParCount = 1200;
constexpr std::int32_t ParsPerPicture = 6;

void FillPar(TPar& par, std::mt19937& random, std::int32_t font) {
    FillRandomWords(par, random, font, 24, ParChars);
    par.Format.SpaceAfter = 120;
}

std::string PicturePng() {
    TPNGImage png;
    png.SetPixelFormat(pf24bit);
    png.SetSize(150, 100);
    for (std::int32_t y = 0; y < 100; ++y) {
        std::uint8_t* row = png.ScanLine(y);
        for (std::int32_t x = 0; x < 450; ++x)
            row[x] = static_cast<std::uint8_t>(x + y);
    }
    TMemoryStream stream;
    png.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

// Anchors a floating picture (two inches by one and a third, placed at the
// right of the column beside its paragraph) at the start of every sixth
// paragraph.
void AddPictures(TDoc& doc) {
    const std::string png = PicturePng();
    for (std::int32_t p = 0; p < doc.ParCount(); p += ParsPerPicture) {
        TPar& par = *doc.Par(p);
        auto* shape = new TShape(&doc);
        doc.Shapes.Add(shape);
        shape->Props.WrapKind = swSquare;
        shape->Props.SetProp(spPosH, posTrailing);
        shape->Props.SetProp(spPosRelH, prefMargin);
        shape->Props.SetProp(spPosV, posAbsolute);
        shape->Props.SetProp(spPosRelV, prefText);
        shape->Props.PosRect = {0, 0, 2880, 1920};
        shape->Picture.Kind = pkPng;
        shape->Picture.Data = png;
        shape->Picture.GoalWidth = 2880;
        shape->Picture.GoalHeight = 1920;
        // The anchor goes behind the font and size controls.
        AppendFormatControl(par.Stream, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
        const std::int32_t end = par.Stream.Size - FormatControlSize;
        std::vector<std::uint8_t> control(par.Stream.Data + end, par.Stream.Data + par.Stream.Size);
        par.Stream.SetSize(end);
        par.Stream.InsertBuffer(control.data(), 2 * FormatControlSize, FormatControlSize);
        const std::uint8_t anchor = chShapeAnchor;
        par.Chars.InsertBuffer(&anchor, 0, 1);
        par.Flags |= pfShapes;
        shape->AnchorPar = &par;
        shape->AnchorOffset = 0;
    }
}

struct TBenchDoc {
    TBenchDoc() { AddPictures(*Doc); }
    TLayoutClient Client;
    TBenchDocument Document{true, &Client, ParCount, FillPar, 2026};
    std::unique_ptr<TDoc>& Doc = Document.Doc;
};

TBenchDoc& Bench() {
    static TBenchDoc bench;
    return bench;
}

std::int32_t PlacedShapes(const TDoc& doc) {
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < doc.Pages.Count; ++i)
        n += doc.Pages.At<TPage>(i)->PlacedShapes.Count;
    return n;
}

// Every paragraph broken afresh and placed on pages, around the pictures.
void BM_PaginateFloatingPictures(benchmark::State& state) {
    TDoc& doc = *Bench().Doc;
    for (auto _ : state) {
        doc.DestroyLayout();
        doc.Paginate(0, 2147483647);
    }
    state.counters["pages"] = doc.Pages.Count;
    state.counters["shapes"] = PlacedShapes(doc);
}
BENCHMARK(BM_PaginateFloatingPictures)->Unit(benchmark::kMillisecond);

// The peak memory of a process that builds the document and paginates it.
const bool Registered = [] {
    RegisterHostileInput("BM_PaginateFloatingPicturesPeakMemory", [] {
        TBenchDoc bench;
        bench.Doc->Paginate(0, 2147483647);
    });
    return true;
}();

}  // namespace
