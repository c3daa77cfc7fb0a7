#pragma once

#include <cstdint>
#include <memory>

#include "model/formats/ShapePicture.h"
#include "model/formats/TDocGraphic.h"

class TDoc;
class TField;
class TPar;

// A drawing object or picture anchored at one character of a paragraph
// (a shape-anchor control in the format stream) or placed inline by a
// kind-7 field.
//
// This class holds what the paragraph code needs so far; the shape code
// extends it with properties, picture and placement.
class TShape {
public:
    explicit TShape(TDoc* doc) : Doc(doc) {}
    TShape(const TShape&) = delete;
    TShape& operator=(const TShape&) = delete;
    ~TShape();

    bool IsHorizontalLine() const { return HorizontalRule; }

    TDoc* Doc = nullptr;
    std::uint8_t Story = 0;
    std::uint8_t ShapeFlags = 0;  // 4 deleted (held by an undo step), 8 wrap region computed
    TPar* AnchorPar = nullptr;
    std::int32_t AnchorOffset = 0;
    TField* InlineField = nullptr;  // the kind-7 field that places the shape inline
    // Stand in for the kind and the z-order drawing property until the
    // shape properties exist. Kind 3 shapes stand behind the text.
    std::uint8_t Kind = 0;
    std::int32_t ZOrder = 0;
    // Stands in for the horizontal-rule drawing property until the shape
    // properties exist.
    bool HorizontalRule = false;

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
