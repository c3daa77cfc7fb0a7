#include "layout/selection/SelectionClient.h"

#include "layout/pagination/TLayoutClient.h"
#include "layout/selection/CaretDevice.h"
#include "layout/selection/CaretGeometry.h"
#include "layout/selection/ScrollPlacement.h"
#include "layout/words/WordServices.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

namespace {

void SnapRestoredSelection(TDoc& doc) {
    doc.SnapSelectionToCells();
    if (!doc.HasSelection())
        return;
    // The restored range is where extending starts from.
    const TTextPos start = doc.Selection->Current().Start;
    doc.SelAnchor.Par = start.Par;
    doc.SelAnchor.Offset = start.Offset;
    // A caret left in a paragraph the view hides goes to the first range
    // end that shows.
    const TWordServices& services = WordServices();
    if (!services.IsParHidden(doc, doc.Caret.Par))
        return;
    for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
        const TFragment& r = doc.Selection->Fragment(i);
        for (const TTextPos* end : {&r.Start, &r.End}) {
            if (!services.IsParHidden(doc, end->Par)) {
                doc.Caret.Par = end->Par;
                doc.Caret.Offset = end->Offset;
                doc.Caret.Line = UnlocatedLine;
                return;
            }
        }
    }
}

void AnnounceSelection(TDoc& doc) {
    doc.SelectionChanged();
}

void LocateCaret(TDoc& doc) {
    doc.LocatePos(doc.Caret, false);
    HideSystemCaret(doc);
    doc.UpdateCaretShape();
    doc.ComputeCaretPlace();
}

void PlaceCaret(TDoc& doc) {
    ShowSystemCaret(doc);
}

void ScrollCaret(TDoc& doc, int mode) {
    doc.ScrollCaretIntoView(mode);
}

bool SelectionOnScreen(TDoc& doc, const TCompoundFragment& set) {
    for (std::int32_t i = 0; i < set.Count(); ++i)
        if (doc.IsRangeOnScreen(set.Fragment(i)))
            return true;
    return false;
}

// The 50-pixel square that ends at a point given in twips from the
// top-left of the box of the line that holds the target character.
bool ScrollTarget(TDoc& doc, const TTextPos& pos, std::int32_t x, std::int32_t y) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return false;
    TPar* par = doc.Par(pos.Par);
    if (!par->IsLaidOut() || par->LineCount() == 0)
        return false;
    const TLine* line = par->Lines->At<TLine>(par->LineOfChar(pos.Offset, 0, false));
    if (line->Box == nullptr)
        return false;
    const Platform::TPoint origin = BoxViewOrigin(*line);
    const std::int32_t px = origin.X + doc.TwipsToPixelsX(x);
    const std::int32_t py = origin.Y + doc.TwipsToPixelsY(y);
    TViewPoint target;
    doc.ScrollPosForRect(Platform::TRect{px - 50, py - 50, px, py}, spPlain, target, false);
    doc.ScrollTo(target);
    return true;
}

}  // namespace

void InstallSelectionClient() {
    TSelectionHooks hooks;
    hooks.SnapSelectionToCells = &SnapRestoredSelection;
    hooks.SelectionChanged = &AnnounceSelection;
    hooks.LocateCaret = &LocateCaret;
    hooks.PlaceCaret = &PlaceCaret;
    hooks.ScrollCaretIntoView = &ScrollCaret;
    hooks.SelectionOnScreen = &SelectionOnScreen;
    hooks.ScrollTargetIntoView = &ScrollTarget;
    SetSelectionHooks(hooks);
}
