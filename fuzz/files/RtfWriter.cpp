// Whatever the reader builds from any bytes, the writer must be able to
// save: the save succeeds, its output is one RTF group, and it reads back
// and saves again.
#include <cstdint>
#include <string>

#include "base/core/TMemory.h"
#include "files/import/TReadWindow.h"
#include "files/rtf/RtfReader.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"

namespace {

bool Read(TDoc& doc, const void* data, std::size_t size) {
    TReadWindow window;
    window.AttachMemory(data, size);
    TRtfReadOutcome outcome;
    return ReadRtfDocument(doc, window, {}, outcome).Good;
}

std::string Save(TDoc& doc) {
    TMemory out;
    TDocSavingOptions options;
    options.Target = stMemory;
    options.Output = &out;
    options.Flags = svCopy;
    if (SaveToFormat(doc, options) != srSaved)
        __builtin_trap();
    return std::string(out.View());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDoc doc(true);
    doc.TakesParEndMarks = 1;
    if (!Read(doc, data, size))
        return 0;
    const std::string first = Save(doc);
    if (first.rfind("{\\rtf1", 0) != 0 || first.back() != '}')
        __builtin_trap();
    TDoc again(true);
    again.TakesParEndMarks = 1;
    if (!Read(again, first.data(), first.size()))
        __builtin_trap();
    (void)Save(again);
    return 0;
}
