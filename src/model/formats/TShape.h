#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/core/Geometry.h"
#include "model/formats/ShapePicture.h"
#include "model/formats/TDocGraphic.h"
#include "model/formats/TShapeProps.h"

class TDoc;
class TField;
class TPar;

// What a floating shape is placed against, in twips: the page, its margins
// and the box that holds the anchor. Layout fills it for the page and
// column the anchor lands in; the placement itself needs nothing else.
struct TShapeFrame {
    std::int32_t PageWidth = 0;
    std::int32_t PageHeight = 0;
    // This page's left and right margins, already mirrored where the
    // section mirrors them.
    std::int32_t MarginLeft = 0;
    std::int32_t MarginRight = 0;
    // The gaps above and below the page body: the section margin or the
    // header or footer frame, whichever is larger.
    std::int32_t BodyTop = 0;
    std::int32_t BodyBottom = 0;
    // The section's own top and bottom margins.
    std::int32_t TopMargin = 0;
    std::int32_t BottomMargin = 0;
    // 1 for the first page: inside and outside references go by its parity.
    std::int32_t PageNumber = 1;
    bool Draft = false;      // the draft views: every reference is the text
    bool InTable = false;    // an anchor in a table cell
    bool OnPageBox = false;  // the box holding the anchor is the page itself
    // The width text has: the column box less its insets in print layout,
    // the section's text width in draft.
    std::int32_t TextWidth = 0;
    std::int32_t ParLeftIndent = 0;
    std::int32_t ParRightIndent = 0;
    // The offsets of the boxes enclosing the anchor up to the page, and the
    // anchor box's left and top insets.
    std::int32_t BoxLeft = 0;
    std::int32_t BoxTop = 0;
    std::int32_t InsetLeft = 0;
    std::int32_t InsetTop = 0;
    // The column box's vertical offset, which centres shapes relative to
    // the paragraph or line.
    std::int32_t ColumnTop = 0;
    // The top of the line holding the anchor, used when no line y is given.
    std::int32_t AnchorLineTop = 0;
};

// Where an inline picture stands, so that a shape made floating covers the
// same place: the anchor character's x on its line and that line's text
// base, and the paragraph's alignment (0 left, 1 centred, 2 right).
struct TInlinePlace {
    std::int32_t Left = 0;
    std::int32_t Baseline = 0;
    std::int8_t Alignment = 0;
};

// One selection handle: its place around the shape (0 top left, then
// clockwise: 1 top, 2 top right, 3 right, 4 bottom right, 5 bottom, 6 bottom
// left, 7 left) and its square.
struct TShapeHandle {
    std::int32_t Index = 0;
    TRect Rect;
};

// The picture of a shape whose size cannot be stated is shown at most this
// large, in pixels each way.
constexpr std::int32_t MaxNativePixels = 4000;
// Wrap regions are rasterised in cells of this many twips each way.
constexpr std::int32_t WrapRegionCell = 8;
// The largest side of a wrap region, in cells: beyond any page, and a bound
// on the work a hostile shape size can cause.
constexpr std::int32_t MaxWrapRegionCells = 8192;

// ShapeFlags bits.
enum : std::uint8_t {
    sfShapeDeleted = 4,
    sfWrapRegionComputed = 8,
};

// A drawing object or picture anchored at one character of a paragraph
// (a shape-anchor control in the format stream) or placed inline by a
// kind-7 field.
class TShape {
public:
    explicit TShape(TDoc* doc);
    TShape(const TShape&) = delete;
    TShape& operator=(const TShape&) = delete;
    ~TShape();

    // Horizontal lines are pictures that stand for a rule across the text.
    bool IsHorizontalLine() const;
    // Shapes behind the text are painted before it and stacked below the
    // others.
    bool IsBehindText() const { return Props.GetProp(spBehindDocument) != 0; }
    void SetBehindText(bool behind) { Props.SetProp(spBehindDocument, behind ? 1 : 0); }
    std::int32_t ZOrder() const { return Props.ZOrder; }
    void SetZOrder(std::int32_t z) { Props.ZOrder = z; }
    bool IsFloating() const { return Props.WrapKind != swInline; }

    // Inline to floating (place: where the inline picture stands) or
    // floating to inline.
    void ChangeAnchoring(bool toFloating, const TInlinePlace& place = {});

    // Inside and outside references by the page's parity; on a page box a
    // vertical margin reference becomes the page (for left, centre and
    // right kinds) or the top margin area.
    static void ResolveReferences(std::int32_t& refH, std::int32_t& refV, std::int32_t kindV, const TShapeFrame& frame);
    // The page rectangle of a floating shape from its offsets (anchorRect,
    // relative to the anchor) and position properties. lineY is the top of
    // the anchor's line in the anchor box, or ShapePropNone for the frame's
    // AnchorLineTop. In the draft views a shape placed by offset snaps to
    // the nearest of left, centre and right; the choice is kept in
    // DraftAlign.
    TRect PlaceRect(const TRect& anchorRect, const TShapeFrame& frame, std::int32_t lineY);
    // The inverse, for a shape the user moved to rect: its offsets as an
    // absolutely placed shape. Character and line references become the
    // column and paragraph (stored); returns the line y used for vertical
    // paragraph references (0 for others).
    std::int32_t RectToOffsets(const TRect& rect, const TShapeFrame& frame, TRect& offsets, std::int32_t lineY);
    // Moves the placed rectangle down with its paragraph, unless exempt.
    void ShiftVertical(std::int32_t dy);

    // The wrap kind layout acts on: the draft views show every floating
    // kind other than top-and-bottom as square.
    std::int32_t ShownWrapKind(bool draft) const;
    bool WrapsAtPolygonOrBehind(bool draft) const;
    // Grows rect (the shape's place) into the area text must avoid in box.
    void WrapExclusion(TRect& rect, const TRect& box, bool draft) const;
    // For tight and through shapes with a polygon: the polygon's area as
    // rectangles in cells of WrapRegionCell twips from the shape's top left
    // corner, cached until ShapeFlags bit 8 is cleared. Tight wrapping
    // fills the gaps within a band so that text cannot enter the shape's
    // holes; through wrapping leaves them open.
    const std::vector<TRect>& WrapRegion(bool draft);
    // The placed rectangle grown to take in every polygon vertex.
    TRect BoundsWithPolygon() const;

    // The selection handles around rect (pixels); none while dragging.
    static std::vector<TShapeHandle> GetHandles(const TRect& rect, std::int32_t handleSize, bool dragging);
    // Rect after dragging handle to p; corner handles keep the aspect ratio
    // when the shape locks it.
    TRect ResizeByHandle(std::int32_t handle, TPoint p) const;

    // The natural size in pixels, at most MaxNativePixels each way.
    TPoint GetNativeSize() const;
    void GetScale(std::int32_t& x, std::int32_t& y) const;

    TDoc* Doc = nullptr;
    std::uint8_t Story = 0;
    std::uint8_t ShapeFlags = 0;  // 4 deleted (held by an undo step), 8 wrap region computed
    TPar* AnchorPar = nullptr;
    std::int32_t AnchorOffset = 0;
    TField* InlineField = nullptr;  // the kind-7 field that places the shape inline

    // Properties and placement of the shape.
    TShapeProps Props;
    TRect Rect;                     // the placed rectangle, in twips
    std::int32_t KeepVertical = 0;  // not 0: ShiftVertical leaves the shape
    std::int32_t DraftAlign = 0;    // the kind chosen for the draft views
    std::vector<TRect> WrapCells;   // WrapRegion's cache

    // Pictures read from files (the RTF reader) and written back by the RTF
    // writer: the picture's bytes and sizes; kind pkNone for other shapes.
    TShapePicture Picture;

    // The picture as drawn, measured and traced: made from Picture on first
    // use, its bytes in a temporary file and decoded only while needed.
    // Picture keeps the bytes the writers save; code that replaces Picture
    // resets Graphic so that the next use makes it anew.
    TDocGraphic& DocGraphic() {
        if (Graphic == nullptr)
            Graphic = TDocGraphic::FromPicture(Picture);
        return *Graphic;
    }
    std::unique_ptr<TDocGraphic> Graphic;
};
