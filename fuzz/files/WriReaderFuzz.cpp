// Windows Write files come from anywhere; every offset, page number and size
// in them is untrusted. Any bytes are read into a fresh hidden document; the
// read must end without touching memory outside the input, and what it
// builds must hold together: every paragraph's character buffer is as long
// as the positions of its stream.
//
// Seeds: tests/data/fuzz/WriReaderFuzz/ (small files made by
// scripts/make-wri-fuzz-seeds.py); ctest also replays the corpus's Write
// files in place. To fuzz with both, name both folders:
//   fuzz_WriReaderFuzz tests/data/fuzz/WriReaderFuzz ../shared/corpus/wri
#include <cstdint>
#include <span>

#include "files/write/WriReader.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDoc doc(true);
    TWriReadOutcome outcome;
    (void)ReadWriDocument(doc, std::span<const std::uint8_t>(data, size), outcome);
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        std::int32_t positions = 0;
        TStreamElement e;
        for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
            ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
            if (e.Truncated)
                __builtin_trap();
            if (!e.IsControl)
                positions += e.Length;
            else if (ControlTakesPosition(e.Code))
                ++positions;
        }
        if (positions != par.Chars.Size)
            __builtin_trap();
    }
    return 0;
}
