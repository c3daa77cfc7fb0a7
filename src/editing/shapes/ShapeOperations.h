#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TShapeProps.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TShape;

// What opFormatPicture does with its shapes (the Kind of TFormatPictureArgs).
enum : std::uint8_t {
    paProperties = 0,  // new properties, one set per shape (the picture dialog)
    paMoved = 1,       // the shapes were moved with the mouse
    paResized = 2,     // the shapes were resized with the mouse
    paDropped = 3,     // the shapes were dropped at a new anchor
    paStacking = 4,    // the shapes change their place in the stacking order
};

// Stacking modes of paStacking.
enum : std::int32_t {
    smBringForward = 0,
    smSendBackward = 1,
    smBringToFront = 2,
    smSendToBack = 3,
};

// The data of opFormatPicture. Props holds the new properties of each shape,
// in the order of the shape list given; a shape without an entry keeps its
// own as the starting point (paMoved and paResized adjust them further).
struct TPictureValues {
    std::vector<TShapeProps> Props;
    std::int32_t StackMode = smBringForward;
    // paMoved in the draft views: the horizontal alignment the shape snapped
    // to.
    std::int32_t PosH = 0;
    // paDropped: the new anchor of each shape, in the order of the shape
    // list. The shapes move last first, each position taken in the text as
    // the shapes after it left it. A shape without an entry keeps its
    // anchor.
    std::vector<TTextPos> Anchors;
};

// Shapes take part in the stacking order while they float and are not held
// by an undo step after their anchor was deleted.
bool IsStacked(const TShape& shape);

// The z-order a shape brought to the top of its class (behind the text or
// in front of it) takes: one more than the highest of that class, 0 when
// the class is empty. The shape skip is left out of the count.
std::int32_t NextZOrder(const TDoc& doc, bool behindText, const TShape* skip = nullptr);

// Puts a floating shape on top of its class, for shapes new in the
// document (not recorded: the shape is not yet part of any operation).
void PlaceShapeOnTop(TDoc& doc, TShape& shape);

// Takes a stacked shape out of the stacking order through a recorded step.
void RemoveFromZOrder(TDoc& doc, TShape& shape);

// A new shape of doc (appended to its shape list) with the properties and a
// copy of the picture of source, which may belong to another document. The
// copy has its own backing file, so it outlives the source.
TShape* CloneShape(TDoc& doc, const TShape& source);

// The shape with a loaded picture that was used least recently, other than
// skip; null when there is none. The document drops its picture first when
// memory runs short.
TShape* LeastRecentlyUsedPicture(const TDoc& doc, const TShape* skip);

// The worker of opFormatPicture, for the shapes given. New properties that
// switch a shape between inline and floating change its anchoring: a shape
// made floating takes the top of its stacking class and, unless the new
// properties place it, the place its inline picture had; a shape made
// inline leaves the stacking order and takes its size from the floating
// rectangle. Shapes in notes and shapes an inline-object field holds stay
// as they are. paDropped moves each shape's anchor character to its new
// anchor within the same story.
void FormatPictures(TDoc& doc, const std::vector<TShape*>& shapes, std::uint8_t action, const TPictureValues& values);

// The worker of opProcessPictures: every selected picture with more than
// 2^(kind + 1) colours (kind 0 to 7) is replaced, through a recorded step,
// by a PNG picture reduced to that many colours. Pictures with no more
// colours, and pictures that cannot be read, stay as they are.
void ProcessPictures(TDoc& doc, std::uint8_t kind);
