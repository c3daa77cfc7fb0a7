#pragma once

#include <cstdint>

#include "base/core/TList.h"
#include "model/undo/TSubOperation.h"

class TShape;

// Steps on the selected shapes and the stacking order of shapes.

// The document's selected shapes.
class TSelShapesOperation : public TSubOperation {
public:
    TSelShapesOperation(TDoc* doc, const TList& shapes);
    void Undo() override;

    TList Shapes;
};

// Takes a shape out of the stacking order (redo: the shapes above it move
// one down) or puts it back (undo: the shapes from its place on move one
// up).
class TRemoveShapeFromZOrderOperation : public TSubOperation {
public:
    TRemoveShapeFromZOrderOperation(TDoc* doc, TShape* shape) : TSubOperation(doc), Shape(shape) {}
    void Undo() override;
    void Redo() override;

    TShape* Shape = nullptr;

private:
    void Shift(bool removing);
};

// Moves a shape to another place in the stacking order; the other shapes of
// its class (behind the text or not) between the two places close up.
class TChangeShapeZOrderOperation : public TSubOperation {
public:
    TChangeShapeZOrderOperation(TDoc* doc, TShape* shape, std::int32_t zOrder)
        : TSubOperation(doc), Shape(shape), ZOrder(zOrder) {}
    void Undo() override;

    TShape* Shape = nullptr;
    std::int32_t ZOrder = 0;
};
