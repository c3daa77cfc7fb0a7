// The envelopes at the end of a document, found on its pages: printing
// offers to print them too, and the envelope dialog takes the addresses of
// the last one from them.

#include "base/core/TList.h"
#include "layout/boxes/TBox.h"
#include "model/document/TDoc.h"
#include "model/formats/TLine.h"
#include "model/host/EnvelopeOptions.h"
#include "model/managers/TStyle.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsEnvelopeLine(const TLine* line) {
    if (line == nullptr || line->Par == nullptr)
        return false;
    const TStyle* style = line->Par->Style();
    return style != nullptr && (style->BuiltInId == bsEnvelopeAddress || style->BuiltInId == bsEnvelopeReturn);
}

// Whether a box of a page's tree holds a line of an envelope paragraph: a
// text box answers by its own lines, any other box by its children; both
// are searched from the last one back, where an envelope's text ends.
bool HoldsEnvelopeLine(const TBox& box) {
    if (box.LineCount() > 0) {
        for (std::int32_t i = box.LineCount() - 1; i >= 0; --i)
            if (IsEnvelopeLine(box.Lines->At<TLine>(i)))
                return true;
        return false;
    }
    for (std::int32_t i = box.Count - 1; i >= 0; --i)
        if (const TBox* child = box.Child(i); child != nullptr && HoldsEnvelopeLine(*child))
            return true;
    return false;
}

}  // namespace

std::int32_t TDoc::CountEnvelopePages() {
    PaginateAll();
    std::int32_t count = 0;
    // The first page is the document's own even when it is an envelope.
    for (std::int32_t page = Pages.Count - 1; page >= 1; --page) {
        const auto* box = Pages.At<TBox>(page);
        if (box == nullptr || !HoldsEnvelopeLine(*box))
            break;
        ++count;
    }
    return count;
}
