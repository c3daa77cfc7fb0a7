// Editing a header or footer in place on a page: which field of which page
// is edited, and its text laid out in the page's header or footer box while
// it is. Pagination lays header and footer text out only to size the boxes
// and lets it go again; the edited one keeps its lines so that the caret
// has somewhere to stand.

#include <algorithm>

#include "base/core/TList.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/HeaderFooterFields.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TPar.h"

namespace {

TPage* PageAtIndex(TDoc& doc, std::int32_t page) {
    if (page < 0 || page >= doc.Pages.Count)
        return nullptr;
    return doc.Pages.At<TPage>(page);
}

// The page's box that shows the field, or null when it shows it nowhere.
TBox* BoxShowing(TPage& page, const TField* field) {
    if (field == nullptr)
        return nullptr;
    if (page.HeaderField == field)
        return page.HeaderBox;
    if (page.FooterField == field)
        return page.FooterBox;
    return nullptr;
}

// Lays the field's text out in its box again from the box's top.
void FlowInto(TDoc& doc, TBox& box, TField* field) {
    TFragment range;
    if (!doc.FieldRange(field, range))
        return;
    box.ReleaseChildren();
    box.ContentBottom = 0;
    box.Flow(range);
}

// Header and footer text goes back to being laid out only for painting.
void ReleaseEdited(TDoc& doc) {
    if (TPage* page = PageAtIndex(doc, doc.EditedPage)) {
        if (page->HeaderBox != nullptr)
            page->HeaderBox->ReleaseChildren();
        if (page->FooterBox != nullptr)
            page->FooterBox->ReleaseChildren();
    }
}

}  // namespace

bool TDoc::BeginHeaderFooterEditing(TField* field, std::int32_t page) {
    TPage* p = PageAtIndex(*this, page);
    if (p == nullptr)
        return false;
    if (field == nullptr)
        field = p->HeaderField;
    TBox* box = BoxShowing(*p, field);
    TFragment range;
    if (box == nullptr || !FieldRange(field, range))
        return false;
    // Moving from one header or footer to another lets the previous one go;
    // the caret returns to where it stood before the first.
    if (EditedHeaderFooter != nullptr)
        ReleaseEdited(*this);
    else
        HeaderFooterReturnCaret = Caret;
    EditedHeaderFooter = field;
    EditedPage = page;
    FlowInto(*this, *box, field);
    // The caret stands in the edited text: an operation that leaves it
    // outside ends editing.
    Caret = {range.Start.Par, range.Start.Offset, page, UnlocatedLine};
    return true;
}

void TDoc::ToggleHeaderFooterEditing(TField* field, std::int32_t page) {
    if (EditedHeaderFooter != nullptr) {
        ReleaseEdited(*this);
        EditedHeaderFooter = nullptr;
        // Back to where the caret stood, within what is left of the text.
        Caret = HeaderFooterReturnCaret;
        Caret.Par = std::clamp(Caret.Par, 0, ParCount() - 1);
        Caret.Offset = std::clamp(Caret.Offset, 0, std::max(Par(Caret.Par)->CharCount() - 1, 0));
        Caret.Line = UnlocatedLine;
        return;
    }
    const TTextPos returnCaret = Caret;
    // Every header and footer of the first section can be typed into at
    // once: the ones it lacks are made first, in one undo step, and the
    // pages up to the one asked for show them.
    if (CreateMissingHeadersFooters(*this))
        Paginate(0, std::max(page, Pages.Count - 1));
    if (BeginHeaderFooterEditing(field, page))
        HeaderFooterReturnCaret = returnCaret;
}

void TDoc::RefreshEditedHeaderFooter() {
    if (EditedHeaderFooter == nullptr)
        return;
    TPage* p = PageAtIndex(*this, EditedPage);
    TBox* box = p != nullptr ? BoxShowing(*p, EditedHeaderFooter) : nullptr;
    if (box == nullptr) {
        // The page is gone or shows another header or footer now: editing
        // ends without a word, as it would when the user clicked away.
        EditedHeaderFooter = nullptr;
        return;
    }
    FlowInto(*this, *box, EditedHeaderFooter);
}
