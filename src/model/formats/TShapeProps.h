#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/core/Geometry.h"

// The drawing properties of a shape, by the numeric ids of the RTF shape
// format (the "sp" groups of the RTF specification 1.9.1, "Shape
// properties"). Only the ids this system reads, writes or acts on have
// names here.
enum : std::int32_t {
    spShapeType = 1,
    spLockAspectRatio = 120,
    spPib = 260,
    spFillColor = 385,
    spFilled = 443,
    spLine = 508,
    spWrapPolygonVertices = 899,
    spWrapDistLeft = 900,
    spWrapDistTop = 901,
    spWrapDistRight = 902,
    spWrapDistBottom = 903,
    spPosH = 911,
    spPosRelH = 912,
    spPosV = 913,
    spPosRelV = 914,
    spPctHR = 915,
    spAlignHR = 916,
    spHeightHR = 917,
    spWidthHR = 918,
    spLayoutInCell = 944,
    spStandardHR = 946,
    spNoShadeHR = 947,
    spHorizRule = 948,
    spBehindDocument = 954,
};

// The value that means "no value": a property holding it is not stored,
// and PosRect holds it on all four sides while unset.
constexpr std::int32_t ShapePropNone = INT32_MIN;

// Shape types (the RTF specification's "shapeType" values).
enum : std::int32_t {
    stypeLine = 1,
    stypePictureFrame = 75,
    stypeTextBox = 202,
};

// Wrap distances are stored in English metric units.
constexpr std::int32_t EmuPerTwip = 635;

// WrapKind: 0 for an inline shape; floating shapes take the RTF wrap kinds
// of "shpwr".
enum : std::int32_t {
    swInline = 0,
    swTopAndBottom = 1,
    swSquare = 2,
    swNone = 3,
    swTight = 4,
    swThrough = 5,
};

// WrapSide: the RTF wrap sides of "shpwrk".
enum : std::int32_t {
    wsBoth = 0,
    wsLeftOnly = 1,
    wsRightOnly = 2,
    wsLargest = 3,
};

// Position kinds of posh and posv.
enum : std::int32_t {
    posAbsolute = 0,
    posLeading = 1,  // left or top
    posCentre = 2,
    posTrailing = 3,  // right or bottom
};

// Position references of posrelh and posrelv. Horizontally 2 is the column
// and 3 the character, vertically 2 the paragraph and 3 the line; 4 and 5
// are the left and right (top and bottom) margin areas; 6 and 7, inside and
// outside, become 4 or 5 by the parity of the page.
enum : std::int32_t {
    prefMargin = 0,
    prefPage = 1,
    prefText = 2,
    prefLine = 3,
    prefLeadingMargin = 4,
    prefTrailingMargin = 5,
    prefInside = 6,
    prefOutside = 7,
};

// Polygon vertices are in 1/21600 of the shape's width and height.
constexpr std::int32_t WrapPolygonUnit = 21600;
// A hostile file can state any number of vertices; layout rasterises the
// polygon once per shape, so its cost is bounded by keeping no more than
// this many.
constexpr std::size_t MaxWrapPolygonPoints = 1024;

struct TShapeProp {
    std::int32_t Id = 0;
    std::int32_t Value = 0;
    friend bool operator==(const TShapeProp&, const TShapeProp&) = default;
};

class TShapeProps {
public:
    // The RTF name table: name to id (-1 when unknown; case is ignored)
    // and id to name (empty when unnamed).
    static std::int32_t IdOfName(std::string_view name);
    static std::string_view NameOfId(std::int32_t id);
    static std::int32_t DefaultOf(std::int32_t id);

    bool Equals(const TShapeProps& other) const;
    friend bool operator==(const TShapeProps& a, const TShapeProps& b) { return a.Equals(b); }
    void Assign(const TShapeProps& other) { *this = other; }

    bool HasProp(std::int32_t id) const;
    // The stored value, or the id's default.
    std::int32_t GetProp(std::int32_t id) const;
    // Stores a value; a value equal to the default is not stored (except
    // for the two flags below), and ShapePropNone removes the pair.
    void SetProp(std::int32_t id, std::int32_t value);
    void DeleteProp(std::int32_t id);

    // A polygon of fewer than three vertices or equal to the default square
    // counts as none.
    bool HasWrapPolygon() const;
    // Appends a vertex unless the polygon is full; false when it was full.
    bool AddWrapPolygonPoint(TPoint p);

    bool HasPosRect() const { return PosRect.Left != ShapePropNone; }
    void ClearPosRect() { PosRect = {ShapePropNone, ShapePropNone, ShapePropNone, ShapePropNone}; }

    // The named pairs as RTF "sp" groups, in id order; unnamed ids are left
    // out. Clears out first.
    void ToRtf(std::string& out) const;
    // The wrap polygon as the value of pWrapPolygonVertices: "8;count" and
    // one ";(x,y)" per vertex, the first repeated at the end to close it
    // (empty without a polygon).
    std::string WrapPolygonToRtf() const;
    // Reads that value back into WrapPolygon; pairs that do not parse are
    // passed over, a repeated closing vertex is dropped.
    void WrapPolygonFromRtf(std::string_view text);

    // Pairs in ascending id order, at most one per id.
    std::vector<TShapeProp> Pairs;
    std::int32_t NaturalWidth = 0;  // twips
    std::int32_t NaturalHeight = 0;
    std::int32_t ScaleX = 100;  // percent
    std::int32_t ScaleY = 100;
    std::int32_t UniformScale = 0;
    std::int32_t UniformScalePercent = 100;
    std::int32_t WrapKind = swInline;
    std::int32_t WrapSide = wsBoth;
    std::vector<TPoint> WrapPolygon;
    std::int32_t ZOrder = 0;
    // Position offsets of a floating shape, in twips.
    TRect PosRect{ShapePropNone, ShapePropNone, ShapePropNone, ShapePropNone};
};
