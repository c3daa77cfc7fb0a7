#include "model/undo/ShapeFormatOperations.h"

#include <utility>

#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"

namespace {

// The anchor paragraph is laid out again: the shape's size or place in it
// may have changed.
void RebreakAnchor(TDoc& doc, const TShape& shape) {
    if (shape.AnchorPar == nullptr)
        return;
    const std::int32_t par = doc.Pars.IndexOf(shape.AnchorPar);
    if (par < 0)
        return;
    doc.Par(par)->FreeLines();
    doc.NoteParChanged(par);
}

}  // namespace

TChangeShapeGraphicOperation::TChangeShapeGraphicOperation(TDoc* doc,
                                                           TShape* shape,
                                                           TShapePicture picture,
                                                           std::unique_ptr<TDocGraphic> graphic)
    : TSubOperation(doc), Shape(shape), Picture(std::move(picture)), Graphic(std::move(graphic)) {}

void TChangeShapeGraphicOperation::Undo() {
    std::swap(Shape->Picture, Picture);
    std::swap(Shape->Graphic, Graphic);
    if (Graphic != nullptr)
        Graphic->SetSwapped(true);
    Shape->ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
    Shape->WrapCells.clear();
    RebreakAnchor(*Doc, *Shape);
}

void TFormatShapeOperation::Undo() {
    std::swap(Shape->Props, Props);
    Shape->ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
    Shape->WrapCells.clear();
    RebreakAnchor(*Doc, *Shape);
}
