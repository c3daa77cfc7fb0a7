#pragma once

#include <memory>

#include "model/formats/ShapePicture.h"
#include "model/formats/TDocGraphic.h"
#include "model/formats/TShapeProps.h"
#include "model/undo/TSubOperation.h"

class TShape;

// Steps that change one shape: its picture and its properties. Both hold
// the other state and exchange it with the shape's, so undo and redo are
// the same exchange.

// Exchanges the shape's picture (the bytes the writers save and the picture
// as drawn) with the stored one. The picture no longer shown is unloaded, so
// that it counts nothing against the loaded-pictures limit while it waits
// in the step.
class TChangeShapeGraphicOperation : public TSubOperation {
public:
    TChangeShapeGraphicOperation(TDoc* doc, TShape* shape, TShapePicture picture, std::unique_ptr<TDocGraphic> graphic);
    void Undo() override;

    TShape* Shape = nullptr;
    TShapePicture Picture;
    std::unique_ptr<TDocGraphic> Graphic;
};

// Exchanges the shape's properties with the stored set. The shape's cached
// wrap region is dropped and the paragraph holding its anchor is broken
// anew, because both depend on the properties.
class TFormatShapeOperation : public TSubOperation {
public:
    TFormatShapeOperation(TDoc* doc, TShape* shape, const TShapeProps& props)
        : TSubOperation(doc), Shape(shape), Props(props) {}
    void Undo() override;

    TShape* Shape = nullptr;
    TShapeProps Props;
};
