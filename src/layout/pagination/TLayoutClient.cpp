#include "layout/pagination/TLayoutClient.h"

#include <algorithm>

#include "base/core/TList.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "model/document/TDoc.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

namespace {

TSelectionHooks Hooks;

}  // namespace

void SetSelectionHooks(const TSelectionHooks& hooks) {
    Hooks = hooks;
}

const TSelectionHooks& SelectionHooks() {
    return Hooks;
}

void TLayoutClient::SnapSelectionToCells(TDoc& doc) {
    if (Hooks.SnapSelectionToCells != nullptr)
        Hooks.SnapSelectionToCells(doc);
}

void TLayoutClient::SelectionChanged(TDoc& doc) {
    if (Hooks.SelectionChanged != nullptr)
        Hooks.SelectionChanged(doc);
}

void TLayoutClient::LocateCaret(TDoc& doc) {
    if (Hooks.LocateCaret != nullptr)
        Hooks.LocateCaret(doc);
}

void TLayoutClient::PlaceCaret(TDoc& doc) {
    if (Hooks.PlaceCaret != nullptr)
        Hooks.PlaceCaret(doc);
}

void TLayoutClient::ScrollCaretIntoView(TDoc& doc, int mode) {
    if (Hooks.ScrollCaretIntoView != nullptr)
        Hooks.ScrollCaretIntoView(doc, mode);
}

bool TLayoutClient::SelectionOnScreen(const TDoc& doc, const TCompoundFragment& set) {
    // The question paginates and measures lines, which the document's
    // const queries do not.
    return Hooks.SelectionOnScreen != nullptr && Hooks.SelectionOnScreen(const_cast<TDoc&>(doc), set);
}

bool TLayoutClient::ScrollTargetIntoView(TDoc& doc, const TTextPos& pos, std::int32_t x, std::int32_t y) {
    return Hooks.ScrollTargetIntoView != nullptr && Hooks.ScrollTargetIntoView(doc, pos, x, y);
}

std::int32_t TLayoutClient::PageCount(const TDoc& doc) {
    return doc.Pages.Count;
}

void TLayoutClient::Paginate(TDoc& doc, std::int32_t fromPage, std::int32_t toPage) {
    doc.Paginate(fromPage, toPage);
}

void TLayoutClient::RebuildLayout(TDoc& doc) {
    doc.DestroyLayout();
    doc.Paginate(0, 2147483647);
}

std::int32_t TLayoutClient::PageOfPar(const TDoc& doc, std::int32_t par) {
    if (par < 0 || par >= doc.ParCount())
        return -1;
    const TPar* p = doc.Par(par);
    if (doc.StoryOfPar(par) == stHeadersFooters) {
        // Header and footer text is laid out per page and let go again: the
        // first page whose header or footer covers the paragraph shows it.
        for (std::int32_t i = 0; i < doc.Pages.Count; ++i) {
            const TPage* page = doc.Pages.At<TPage>(i);
            for (const TField* field : {page->HeaderField, page->FooterField}) {
                TFragment range;
                if (field != nullptr && doc.FieldRange(field, range) && range.Start.Par <= par && par <= range.End.Par)
                    return i;
            }
        }
        return -1;
    }
    if (p->LineCount() > 0 && p->Lines->At<TLine>(0)->Box != nullptr) {
        const TPage* page = p->Lines->At<TLine>(0)->Box->Page();
        return page != nullptr ? page->PageIndex : -1;
    }
    // An edit lets a paragraph's lines go before the document notes the
    // change: the paragraph starts where the placed text before it ends.
    if (doc.Pages.Count == 0)
        return -1;
    const std::int32_t first = doc.FirstParOfStory(doc.StoryOfPar(par));
    for (std::int32_t q = par - 1; q >= first; --q) {
        const TPar* before = doc.Par(q);
        for (std::int32_t i = before->LineCount() - 1; i >= 0; --i) {
            const TLine* line = before->Lines->At<TLine>(i);
            if (line->Box != nullptr && line->Box->Page() != nullptr)
                return line->Box->Page()->PageIndex;
        }
    }
    return 0;
}

bool TLayoutClient::MainParsOfPage(const TDoc& doc, std::int32_t page, std::int32_t& first, std::int32_t& last) {
    if (page < 0 || page >= doc.Pages.Count)
        return false;
    TList* lines = doc.Pages.At<TPage>(page)->CollectLines(1u << stMain);
    first = 2147483647;
    last = -1;
    for (std::int32_t i = 0; i < lines->Count; ++i) {
        if (const TLine* line = lines->At<TLine>(i)) {
            first = std::min(first, line->Par->Index);
            last = std::max(last, line->Par->Index);
        }
    }
    TList::Release(lines);
    return last >= 0;
}

bool TLayoutClient::PaginateSlice(TDoc& doc) {
    if (doc.StateFlags[sfPaginationComplete] != 0 || doc.StateFlags[sfBackgroundLimit] != 0)
        return false;
    if (doc.Pages.Count >= BackgroundPageLimit) {
        doc.StateFlags[sfBackgroundLimit] = 1;
        return false;
    }
    const std::int32_t until = std::min(doc.Pages.Count + SlicePages, BackgroundPageLimit) - 1;
    doc.Paginate(doc.Pages.Count, until);
    // Header and footer fields that count pages follow the finished pages.
    if (doc.StateFlags[sfPaginationComplete] != 0)
        doc.UpdatePageFields(false);
    if (doc.StateFlags[sfPaginationComplete] == 0 && doc.Pages.Count >= BackgroundPageLimit)
        doc.StateFlags[sfBackgroundLimit] = 1;
    return doc.StateFlags[sfPaginationComplete] == 0 && doc.StateFlags[sfBackgroundLimit] == 0;
}
