// The worker of opFormatPicture: restacking shapes and giving them new
// properties, each change a recorded step.

#include <algorithm>

#include "editing/shapes/ShapeOperations.h"
#include "model/document/TDoc.h"
#include "model/formats/DocumentUnit.h"
#include "model/formats/TShape.h"
#include "model/undo/ShapeFormatOperations.h"
#include "model/undo/ShapeOperations.h"

namespace {

bool IsDraft(const TDoc& doc) {
    return doc.ViewMode == vmDraft || doc.ViewMode == vmDraftWrapped;
}

// Moves each stacked shape one place or to an end of its class. Shapes are
// taken from the end they move towards, and none passes a selected shape
// that could not move, so the selected shapes keep their order among
// themselves.
void Restack(TDoc& doc, std::vector<TShape*> shapes, std::int32_t mode) {
    std::erase_if(shapes, [](const TShape* s) { return !IsStacked(*s); });
    std::stable_sort(shapes.begin(), shapes.end(),
                     [](const TShape* a, const TShape* b) { return CompareShapesZOrder(a, b) < 0; });
    const bool upwards = mode == smBringForward || mode == smBringToFront;
    if (upwards)
        std::reverse(shapes.begin(), shapes.end());
    // The limit per class: behind the text [0] and in front of it [1].
    std::int32_t limit[2];
    for (int behind = 0; behind < 2; ++behind)
        limit[behind] = upwards ? NextZOrder(doc, behind == 0) - 1 : 0;
    for (TShape* shape : shapes) {
        std::int32_t& bound = limit[shape->IsBehindText() ? 0 : 1];
        const std::int32_t z = shape->ZOrder();
        std::int32_t target = z;
        switch (mode) {
            case smBringForward:
                target = std::min(z + 1, bound);
                break;
            case smSendBackward:
                target = std::max(z - 1, bound);
                break;
            case smBringToFront:
            case smSendToBack:
                target = bound;
                break;
            default:
                return;
        }
        if (upwards && target < z)
            target = z;
        if (!upwards && target > z)
            target = z;
        bound = upwards ? target - 1 : target + 1;
        if (target != z)
            (new TChangeShapeZOrderOperation(&doc, shape, target))->Execute();
    }
}

// The new properties of one shape for the actions other than stacking.
TShapeProps NewProps(const TDoc& doc,
                     const TShape& shape,
                     std::uint8_t action,
                     const TShapeProps& given,
                     const TPictureValues& values) {
    TShapeProps props = given;
    switch (action) {
        case paProperties:
            if (props.WrapKind != swTight && props.WrapKind != swThrough)
                props.WrapPolygon.clear();
            // Switching between inline and floating replaces the shape's anchor
            // in the text, which this worker does not do, and notes cannot hold
            // floating shapes at all: such a request leaves the shape as it is.
            if ((props.WrapKind != swInline) != shape.IsFloating())
                return shape.Props;
            break;
        case paMoved:
            if (IsDraft(doc)) {
                props.SetProp(spPosH, values.PosH);
                if (props.HasPosRect()) {
                    props.PosRect.Bottom -= props.PosRect.Top;
                    props.PosRect.Top = 0;
                }
            } else {
                props.SetProp(spPosH, 0);
                props.SetProp(spPosV, 0);
            }
            break;
        case paResized: {
            const std::int32_t posH = props.GetProp(spPosH);
            if (IsDraft(doc)) {
                if (props.HasPosRect()) {
                    props.PosRect.Bottom -= props.PosRect.Top;
                    props.PosRect.Top = 0;
                }
                if (posH != 2 && posH != 3)
                    props.SetProp(spPosH, 1);
            } else if (props.HasPosRect()) {
                // Aligned shapes take the size layout gave them, which the
                // mouse changed; their place stays with the alignment.
                if (posH >= 1 && posH <= 3)
                    props.PosRect.Right = props.PosRect.Left + (shape.Rect.Right - shape.Rect.Left);
                const std::int32_t posV = props.GetProp(spPosV);
                if (posV >= 1 && posV <= 3)
                    props.PosRect.Bottom = props.PosRect.Top + (shape.Rect.Bottom - shape.Rect.Top);
            }
            break;
        }
        default:
            break;
    }
    return props;
}

}  // namespace

void FormatPictures(TDoc& doc, const std::vector<TShape*>& shapes, std::uint8_t action, const TPictureValues& values) {
    if (action == paStacking) {
        Restack(doc, shapes, values.StackMode);
        return;
    }
    if (action > paStacking)
        return;
    for (std::size_t i = shapes.size(); i-- > 0;) {
        TShape* shape = shapes[i];
        if (shape == nullptr || (shape->ShapeFlags & sfShapeDeleted) != 0)
            continue;
        const TShapeProps& given = i < values.Props.size() ? values.Props[i] : shape->Props;
        TShapeProps props = NewProps(doc, *shape, action, given, values);
        if (props == shape->Props)
            continue;
        (new TFormatShapeOperation(&doc, shape, props))->Execute();
    }
}
