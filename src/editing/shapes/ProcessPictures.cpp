// The worker of opProcessPictures: the selected pictures with more colours
// than asked for are replaced by PNG pictures reduced to that many, each
// replacement a recorded step that keeps the old picture for undo.

#include <memory>
#include <string>

#include "base/core/TList.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/ColorReduction.h"
#include "base/pictures/TPNGImage.h"
#include "editing/shapes/ShapeOperations.h"
#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "model/undo/ShapeFormatOperations.h"
#include "model/undo/ShapeOperations.h"

namespace {

// TDoc::SelectedPictures' flag for pictures (horizontal lines are left out:
// they are one colour already).
constexpr std::uint32_t SelectPictures = 1;
// The kinds run from 2 colours (0) to 256 (7).
constexpr std::uint8_t MaxReductionKind = 7;

// The PNG file of picture reduced to at most 2^(kind + 1) colours, written
// as a palette picture of the fewest bits that hold them; empty when the
// picture cannot be read.
std::string ReducedPng(TDocGraphic& picture, std::uint8_t kind) {
    std::unique_ptr<TBitmap> bitmap = picture.ToBitmap();
    if (bitmap == nullptr)
        return {};
    std::unique_ptr<TBitmap> reduced(ReduceToColors(*bitmap, kind));
    if (reduced == nullptr)
        return {};
    ReduceBitmapColors(*reduced);
    TPNGImage png;
    png.Assign(reduced.get());
    TMemoryStream stream;
    png.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
}

}  // namespace

void ProcessPictures(TDoc& doc, std::uint8_t kind) {
    if (kind > MaxReductionKind)
        return;
    const std::int32_t colours = 2 << kind;
    TList shapes;
    doc.SelectedPictures(&shapes, nullptr, SelectPictures);
    // The shape selection is recorded on both sides of the work, so that
    // undo and redo show the same shapes selected; a selection without a
    // picture to reduce records nothing.
    bool changed = false;
    for (std::int32_t i = 0; i < shapes.Count; ++i) {
        TShape* shape = shapes.At<TShape>(i);
        // A shape selected both as text and as a shape is listed twice.
        if (shapes.IndexOf(shape) != i || (shape->ShapeFlags & sfShapeDeleted) != 0)
            continue;
        TDocGraphic& picture = shape->DocGraphic();
        const std::int32_t count = picture.CountColours();
        if (count <= colours)
            continue;
        const std::string png = ReducedPng(picture, kind);
        if (png.empty())
            continue;
        std::unique_ptr<TDocGraphic> graphic = TDocGraphic::FromBytes(
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(png.data()), png.size()));
        if (graphic == nullptr || !graphic->Readable())
            continue;
        // The new picture keeps the place and the size the old one was
        // shown at; only its bytes and pixel format change.
        TShapePicture replaced = shape->Picture;
        replaced.Kind = pkPng;
        replaced.KindParam = 0;
        replaced.PixelWidth = graphic->PixelWidth();
        replaced.PixelHeight = graphic->PixelHeight();
        replaced.PicWidth = graphic->PixelWidth();
        replaced.PicHeight = graphic->PixelHeight();
        replaced.Data = png;
        if (!changed)
            (new TSelShapesOperation(&doc, doc.SelectedShapes))->Execute();
        changed = true;
        // The old picture, decoded for the reduction, waits in the step
        // unloaded.
        (new TChangeShapeGraphicOperation(&doc, shape, std::move(replaced), std::move(graphic)))->Execute();
    }
    if (changed)
        (new TSelShapesOperation(&doc, doc.SelectedShapes))->Execute();
}
