#include "editing/sections/PageNumbers.h"

#include <cstdint>

#include "base/core/Errors.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/SectionOperations.h"

namespace {

const char* const BadStyleMessage = "The page numbers were not changed: the number format is not one Rezozuri knows.";
const char* const BadStartMessage =
    "The page numbers were not changed: the first page number must lie between 0 and 32766.";

void WorkInsertPageNumbers(TDoc& doc, TOperationCall&, const TInsertPageNumbersArgs& args) {
    if (args.Options != nullptr)
        doc.InsertPageNumbers(*args.Options);
}

// Whether every section the range touches numbers its pages so already.
bool AlreadyNumbered(TDoc& doc, std::int32_t firstPar, std::int32_t lastPar, const TPageNumberOptions& options) {
    const std::int32_t first = doc.Sections.IndexOf(doc.SectionOfPar(firstPar));
    const std::int32_t last = doc.Sections.IndexOf(doc.SectionOfPar(lastPar));
    for (std::int32_t i = first < 0 ? 0 : first; i <= last; ++i) {
        const TSection* section = doc.Sections.At<TSection>(i);
        if (section->PageNumberStyle != options.NumberStyle || section->PageNumberStart != options.StartNumber)
            return false;
    }
    return true;
}

}  // namespace

// The settings go to whole sections: while a header or footer is edited,
// the section of the page it is edited on (the header's own paragraphs
// belong to no section); else the sections of the selection's first range;
// else the caret's section. The caret and the selection stay.
void TDoc::InsertPageNumbers(const TPageNumberOptions& options) {
    if (options.NumberStyle > pnUpperRoman) {
        ReportError(BadStyleMessage);
        return;
    }
    if (options.StartNumber < -1 || options.StartNumber > MaxPageNumberStart) {
        ReportError(BadStartMessage);
        return;
    }
    if (Sections.Count == 0)
        return;
    std::int32_t firstPar;
    std::int32_t lastPar;
    if (EditedHeaderFooter != nullptr) {
        const TSection* section = SectionOfPage(EditedPage);
        firstPar = section->FirstPar;
        lastPar = section->LastPar;
    } else if (!IsEmptyCompoundFragment(Selection)) {
        const TFragment& range = Selection->Fragment(0);
        firstPar = range.Start.Par;
        lastPar = range.End.Par;
    } else {
        const TSection* section = SectionOfPar(Caret.Par);
        firstPar = section->FirstPar;
        lastPar = section->LastPar;
    }
    // Settings the sections have already change nothing, and nothing is
    // recorded; the fields are then not updated either.
    if (AlreadyNumbered(*this, firstPar, lastPar, options))
        return;
    (new TFormatSectOperation(this, firstPar, lastPar, options))->Execute();
}

void InstallPageNumbersWorkers() {
    SetOperationWorker<TInsertPageNumbersArgs>(WorkInsertPageNumbers);
}
