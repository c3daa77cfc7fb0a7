#include "model/undo/ShapeOperations.h"

#include <algorithm>
#include <utility>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/DocumentUnit.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsLive(const TShape* shape) {
    return (shape->ShapeFlags & 4) == 0;
}

bool BehindText(const TShape* shape) {
    return shape->IsBehindText();
}

}  // namespace

TSelShapesOperation::TSelShapesOperation(TDoc* doc, const TList& shapes) : TSubOperation(doc) {
    Shapes.Assign(shapes);
}

void TSelShapesOperation::Undo() {
    TList current;
    current.Assign(Doc->SelectedShapes);
    Doc->SelectedShapes.Assign(Shapes);
    Shapes.Assign(current);
    Doc->StateFlags[sfKeepSelectedShapes] = 1;
}

void TRemoveShapeFromZOrderOperation::Shift(bool removing) {
    const std::int32_t z = Shape->ZOrder();
    for (std::int32_t i = 0; i < Doc->Shapes.Count; ++i) {
        auto* other = Doc->Shapes.At<TShape>(i);
        if (other == Shape || !IsLive(other))
            continue;
        if (removing && other->ZOrder() > z)
            other->SetZOrder(other->ZOrder() - 1);
        else if (!removing && other->ZOrder() >= z)
            other->SetZOrder(other->ZOrder() + 1);
    }
}

void TRemoveShapeFromZOrderOperation::Redo() {
    Shift(true);
}

void TRemoveShapeFromZOrderOperation::Undo() {
    Shift(false);
}

void TChangeShapeZOrderOperation::Undo() {
    Doc->Shapes.Sort([](TList* list, std::int32_t i, std::int32_t j) {
        return CompareShapesZOrder(list->At<TShape>(i), list->At<TShape>(j));
    });
    const std::int32_t old = Shape->ZOrder();
    Shape->SetZOrder(ZOrder);
    ZOrder = old;
    const std::int32_t fresh = Shape->ZOrder();
    const std::int32_t low = std::min(old, fresh), high = std::max(old, fresh);
    // The others between the two places, in their order, take the places
    // from the lower end on, leaving out the shape's new one.
    std::int32_t next = low;
    for (std::int32_t i = 0; i < Doc->Shapes.Count; ++i) {
        auto* other = Doc->Shapes.At<TShape>(i);
        if (other == Shape || !IsLive(other) || BehindText(other) != BehindText(Shape))
            continue;
        if (other->ZOrder() < low || other->ZOrder() > high)
            continue;
        if (next == fresh)
            ++next;
        other->SetZOrder(next++);
    }
    if (Shape->AnchorPar != nullptr) {
        const std::int32_t par = Doc->Pars.IndexOf(Shape->AnchorPar);
        if (par >= 0) {
            Doc->Par(par)->FreeLines();
            Doc->NoteParChanged(par);
        }
    }
}
