#include "files/opening/DefaultTableReader.h"

#include <memory>
#include <string_view>

#include "editing/tables/TableCreation.h"
#include "files/import/TReadWindow.h"
#include "files/opening/OpenDocument.h"
#include "files/rtf/RtfReader.h"
#include "model/document/TDoc.h"

// A hidden document read from RTF in memory. The format is fixed, so that a
// user's file that is something else entirely yields no table rather than a
// table of whatever another reader made of it. A file that cannot be read
// only means the built-in look, so no message tells of it.
std::unique_ptr<TDoc> OpenRtfText(std::string_view rtf) {
    {
        // The reader's own verdict first, which tells nobody; only RTF it
        // takes goes through the opening steps, which would report a failure.
        TDoc scratch(true);
        TReadWindow window;
        window.AttachMemory(rtf.data(), rtf.size());
        window.FillReadBuffer();
        TRtfReadOutcome outcome;
        bool good = false;
        try {
            good = ReadRtfDocument(scratch, window, TRtfReadOptions{}, outcome).Good;
        } catch (...) {
            good = false;
        }
        if (!good)
            return nullptr;
    }
    auto doc = std::make_unique<TDoc>(true);
    doc->QuietOpen = 1;
    TDocOpeningOptions options;
    options.Source = osMemory;
    options.Format = ffRtf;
    options.FileName = "Default Table.rtf";
    options.Data = rtf.data();
    options.DataSize = static_cast<std::int32_t>(rtf.size());
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

void InstallDefaultTableReader() {
    TableCreationSeams().OpenRtfText = &OpenRtfText;
}
