// The worker of opFormatPicture: restacking shapes and giving them new
// properties, each change a recorded step.

#include <algorithm>

#include "base/core/ObjectHandles.h"
#include "base/core/TMemory.h"
#include "editing/shapes/ShapeOperations.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/DocumentUnit.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/ShapeFormatOperations.h"
#include "model/undo/ShapeOperations.h"
#include "model/undo/TInsDelOperation.h"

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

// Where the inline picture of shape stands: its anchor character's x on its
// laid-out line (from the text's left edge) and that line's text base (from
// the line's top), the offsets a floating shape placed against the column
// and the anchor's line takes. A paragraph not laid out gives the start of
// its first line, the picture's top on the line's top.
TInlinePlace InlinePlaceOf(const TShape& shape) {
    TInlinePlace place;
    const TPar* par = shape.AnchorPar;
    if (par == nullptr)
        return place;
    place.Alignment = par->Format.Alignment == 1 ? 1 : par->Format.Alignment == 2 ? 2 : 0;
    for (std::int32_t i = 0; i < par->LineCount(); ++i) {
        const TLine& line = *par->Lines->At<TLine>(i);
        const std::int32_t k = shape.AnchorOffset - line.FirstChar;
        if (k < 0 || k >= line.CharCount)
            continue;
        place.Left = Px16ToTwips(line.Pos(k));
        place.Baseline = Px16ToTwips(line.Ascent);
        return place;
    }
    std::int32_t sx = 100, sy = 100;
    shape.GetScale(sx, sy);
    place.Baseline = MulDiv(shape.Props.NaturalHeight, sy, 100);
    return place;
}

// The properties that switch shape between inline and floating as given
// asks; false when the shape cannot switch. Notes hold no floating shapes,
// and a shape an inline-object field holds has no anchor character to
// float by.
bool SwitchAnchoring(TDoc& doc, TShape& shape, const TShapeProps& given, TShapeProps& out) {
    const bool toFloating = given.WrapKind != swInline;
    if (toFloating && (shape.Story == stFootnotes || shape.Story == stEndnotes))
        return false;
    if (shape.InlineField != nullptr)
        return false;
    // The shape's own conversion works on the shape; it runs on the given
    // properties and the shape gets its own back, so that the recorded step
    // makes the change.
    const TShapeProps saved = shape.Props;
    const std::uint8_t savedFlags = shape.ShapeFlags;
    shape.Props = given;
    shape.Props.WrapKind = saved.WrapKind;
    if (toFloating) {
        shape.ChangeAnchoring(true, InlinePlaceOf(shape));
        shape.Props.WrapKind = given.WrapKind;
        // Properties that already place the shape were meant as given.
        if (given.HasPosRect())
            shape.Props.PosRect = given.PosRect;
        shape.Props.ZOrder = NextZOrder(doc, shape.IsBehindText(), &shape);
    } else {
        shape.ChangeAnchoring(false);
    }
    out = shape.Props;
    shape.Props = saved;
    shape.ShapeFlags = savedFlags;
    return true;
}

// The anchor of a shape dropped at to, a position in the text as it stands
// before this shape moves. The anchor character moves: removed at its old
// place and inserted at the new one, where it takes the format of the text
// there. Neither step registers the shape, so it is never held as deleted
// and never freed by them: it is in the text at one place or the other.
void MoveAnchor(TDoc& doc, TShape& shape, TTextPos to) {
    if (shape.AnchorPar == nullptr || shape.InlineField != nullptr)
        return;
    const std::int32_t par = doc.Pars.IndexOf(shape.AnchorPar);
    if (par < 0 || to.Par < 0 || to.Par >= doc.Pars.Count)
        return;
    const std::int32_t offset = shape.AnchorOffset;
    if (doc.ShapeAt({par, offset}) != &shape)
        return;
    const int story = doc.StoryOfPar(par);
    if (doc.StoryOfPar(to.Par) != story || to.Offset < 0 || to.Offset > doc.ParLength(to.Par))
        return;
    if (to.Par == par && (to.Offset == offset || to.Offset == offset + 1))
        return;
    // The removal shifts a later place in the same paragraph back by one.
    if (to.Par == par && to.Offset > offset)
        --to.Offset;
    TMemory anchor;
    AppendFormatControl(anchor, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(&shape)));
    TInsDelOperation::CreateRemoval(&doc, {par, offset}, {par, offset + 1}, story, false)->Execute();
    TInsDelOperation::CreateInsertion(&doc, anchor, to, story, false)->Execute();
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
        const bool floating = shape->IsFloating();
        if ((props.WrapKind != swInline) != floating) {
            TShapeProps switched;
            if (!SwitchAnchoring(doc, *shape, props, switched))
                continue;
            // The stacking order closes up behind a shape that leaves it.
            if (floating && IsStacked(*shape))
                RemoveFromZOrder(doc, *shape);
            props = switched;
        }
        if (props != shape->Props)
            (new TFormatShapeOperation(&doc, shape, props))->Execute();
        if (action == paDropped && i < values.Anchors.size())
            MoveAnchor(doc, *shape, values.Anchors[i]);
    }
}
