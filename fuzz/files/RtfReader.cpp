// RTF reaches the reader from files, the clipboard and the settings, none of
// which we control. Any bytes are read from memory into a fresh hidden
// document; the read must end, and what it builds must hold together: every
// paragraph's character buffer is as long as the positions of its stream,
// and every paragraph ends with a paragraph, cell, row or section mark.
#include <cstdint>

#include "files/import/TReadWindow.h"
#include "files/rtf/RtfReader.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDoc doc(true);
    TReadWindow window;
    window.AttachMemory(data, size);
    TRtfReadOutcome outcome;
    (void)ReadRtfDocument(doc, window, {}, outcome);
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
        if (positions != par.Chars.Size || par.Chars.Size == 0)
            __builtin_trap();
        const std::uint8_t last = par.Chars.Data[par.Chars.Size - 1];
        if (last != chParEnd && last != chCellEnd && last != chRowEnd && last != chSectionBreak)
            __builtin_trap();
    }
    return 0;
}
