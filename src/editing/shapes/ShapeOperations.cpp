#include "editing/shapes/ShapeOperations.h"

#include <algorithm>

#include "model/document/TDoc.h"
#include "model/formats/DocumentUnit.h"
#include "model/formats/TShape.h"
#include "model/undo/ShapeFormatOperations.h"
#include "model/undo/ShapeOperations.h"

bool IsStacked(const TShape& shape) {
    return shape.IsFloating() && (shape.ShapeFlags & sfShapeDeleted) == 0;
}

std::int32_t NextZOrder(const TDoc& doc, bool behindText, const TShape* skip) {
    std::int32_t next = 0;
    for (std::int32_t i = 0; i < doc.Shapes.Count; ++i) {
        const auto* shape = doc.Shapes.At<TShape>(i);
        if (shape != skip && IsStacked(*shape) && shape->IsBehindText() == behindText)
            next = std::max(next, shape->ZOrder() + 1);
    }
    return next;
}

void PlaceShapeOnTop(TDoc& doc, TShape& shape) {
    if (shape.IsFloating())
        shape.SetZOrder(NextZOrder(doc, shape.IsBehindText(), &shape));
}

void RemoveFromZOrder(TDoc& doc, TShape& shape) {
    if (IsStacked(shape))
        (new TRemoveShapeFromZOrderOperation(&doc, &shape))->Execute();
}

TShape* CloneShape(TDoc& doc, const TShape& source) {
    auto* clone = new TShape(&doc);
    clone->Story = source.Story;
    clone->Props = source.Props;
    clone->Picture = source.Picture;
    clone->KeepVertical = source.KeepVertical;
    clone->DraftAlign = source.DraftAlign;
    if (source.Graphic != nullptr)
        clone->Graphic = source.Graphic->Clone();
    doc.Shapes.Add(clone);
    return clone;
}

TShape* LeastRecentlyUsedPicture(const TDoc& doc, const TShape* skip) {
    TShape* best = nullptr;
    for (std::int32_t i = 0; i < doc.Shapes.Count; ++i) {
        auto* shape = doc.Shapes.At<TShape>(i);
        if (shape == skip || shape->Graphic == nullptr || !shape->Graphic->Loaded())
            continue;
        if (best == nullptr || shape->Graphic->LastUse() < best->Graphic->LastUse())
            best = shape;
    }
    return best;
}
