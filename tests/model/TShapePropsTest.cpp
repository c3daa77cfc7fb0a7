#include "model/formats/TShapeProps.h"

#include <gtest/gtest.h>

#include <string>

#include "model/formats/TShape.h"

namespace {

TEST(ShapePropsTest, NamesAreFoundWithoutCaseAndEveryNamedIdComesBack) {
    struct Case {
        const char* Name;
        std::int32_t Id;
    };
    const Case cases[] = {
        {"fillColor", spFillColor},
        {"FILLCOLOR", spFillColor},
        {"fillcolor", spFillColor},
        {"alignHR", spAlignHR},
        {"shapeType", spShapeType},
        {"pWrapPolygonVertices", spWrapPolygonVertices},
        {"fHorizRule", spHorizRule},
        {"fill", -1},
        {"fillColorX", -1},
        {"", -1},
        {"zzz", -1},
        {"aaa", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TShapeProps::IdOfName(c.Name), c.Id);
    }
    // A table out of order would hide names from the binary search.
    for (std::int32_t id = 0; id < 1000; ++id) {
        const std::string_view name = TShapeProps::NameOfId(id);
        if (!name.empty())
            EXPECT_EQ(TShapeProps::IdOfName(name), id) << name;
    }
    EXPECT_TRUE(TShapeProps::NameOfId(2).empty());
}

TEST(ShapePropsTest, SetPropStoresOnlyWhatDiffersFromTheDefault) {
    struct Case {
        const char* What;
        std::int32_t Id;
        std::int32_t Value;
        bool Stored;
        std::int32_t Read;
    };
    const Case cases[] = {
        {"white fill is the default", spFillColor, 0xFFFFFF, false, 0xFFFFFF},
        {"black fill", spFillColor, 0, true, 0},
        {"in-cell flag is kept at its default", spLayoutInCell, 1, true, 1},
        {"aspect lock is kept at its default", spLockAspectRatio, 0, true, 0},
        {"column reference is the default", spPosRelH, prefText, false, prefText},
        {"page reference", spPosRelV, prefPage, true, prefPage},
        {"side wrap distance default", spWrapDistLeft, 114305, false, 114305},
        {"no side wrap distance", spWrapDistRight, 0, true, 0},
        {"not behind", spBehindDocument, 0, false, 0},
        {"picture frame", spShapeType, stypePictureFrame, true, stypePictureFrame},
        {"an id without a name", 5, 7, true, 7},
        {"none stores nothing", spPctHR, ShapePropNone, false, ShapePropNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TShapeProps props;
        props.SetProp(c.Id, c.Value);
        EXPECT_EQ(props.HasProp(c.Id), c.Stored);
        EXPECT_EQ(props.GetProp(c.Id), c.Read);
    }
}

TEST(ShapePropsTest, PairsStayInIdOrderAndAreReplacedOrRemoved) {
    TShapeProps props;
    props.SetProp(spWrapDistLeft, 10);
    props.SetProp(spShapeType, 75);
    props.SetProp(spFillColor, 255);
    props.SetProp(spPosH, 2);
    EXPECT_EQ(props.Pairs, (std::vector<TShapeProp>{{1, 75}, {385, 255}, {900, 10}, {911, 2}}));
    props.SetProp(spFillColor, 0x00FF00);
    EXPECT_EQ(props.GetProp(spFillColor), 0x00FF00);
    props.SetProp(spWrapDistLeft, 114305);  // back to the default: the pair goes
    props.SetProp(spPosH, ShapePropNone);
    EXPECT_EQ(props.Pairs, (std::vector<TShapeProp>{{1, 75}, {385, 0x00FF00}}));
    props.DeleteProp(spShapeType);
    EXPECT_FALSE(props.HasProp(spShapeType));
    EXPECT_EQ(props.GetProp(spShapeType), ShapePropNone);
}

TEST(ShapePropsTest, ToRtfWritesNamedPairsInIdOrder) {
    TShape shape(nullptr);
    std::string out = "stale";
    shape.Props.ToRtf(out);
    EXPECT_EQ(out, "{\\sp{\\sn shapeType}{\\sv 75}}");

    shape.Props.SetProp(5, 9);  // unnamed: not written
    shape.Props.SetProp(spPosV, -1);
    shape.Props.SetProp(spLayoutInCell, 1);
    shape.Props.SetProp(spFillColor, 0xFFFFFF);  // the default: not stored
    shape.Props.ToRtf(out);
    EXPECT_EQ(out,
              "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn posv}{\\sv -1}}"
              "{\\sp{\\sn fLayoutInCell}{\\sv 1}}");
}

TEST(ShapePropsTest, EqualsSeesEveryField) {
    TShapeProps base;
    base.SetProp(spShapeType, 75);
    struct Case {
        const char* What;
        void (*Change)(TShapeProps&);
    };
    const Case cases[] = {
        {"a pair", [](TShapeProps& p) { p.SetProp(spPosH, 1); }},
        {"natural width", [](TShapeProps& p) { p.NaturalWidth = 1; }},
        {"scale", [](TShapeProps& p) { p.ScaleY = 50; }},
        {"uniform scale", [](TShapeProps& p) { p.UniformScale = 1; }},
        {"wrap kind", [](TShapeProps& p) { p.WrapKind = swTight; }},
        {"wrap side", [](TShapeProps& p) { p.WrapSide = wsLargest; }},
        {"polygon",
         [](TShapeProps& p) {
             p.WrapPolygon.push_back({1, 2});
         }},
        {"z-order", [](TShapeProps& p) { p.ZOrder = 3; }},
        {"position",
         [](TShapeProps& p) {
             p.PosRect = {0, 0, 10, 10};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TShapeProps changed;
        changed.Assign(base);
        EXPECT_EQ(changed, base);
        c.Change(changed);
        EXPECT_FALSE(changed == base);
    }
}

TEST(ShapePropsTest, OnlyARealPolygonCounts) {
    struct Case {
        const char* What;
        std::vector<TPoint> Points;
        bool Has;
    };
    const Case cases[] = {
        {"none", {}, false},
        {"two vertices", {{0, 0}, {21600, 21600}}, false},
        {"the default square", {{0, 0}, {21600, 0}, {21600, 21600}, {0, 21600}}, false},
        {"a triangle", {{0, 0}, {21600, 0}, {0, 21600}}, true},
        {"a square with a notch", {{0, 0}, {21600, 0}, {21600, 21600}, {0, 21600}, {100, 100}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TShapeProps props;
        props.WrapPolygon = c.Points;
        EXPECT_EQ(props.HasWrapPolygon(), c.Has);
    }
}

TEST(ShapePropsTest, WrapPolygonTextRoundTripsAndIsBounded) {
    TShapeProps props;
    props.WrapPolygon = {{0, 0}, {21600, 0}, {-5, 21600}};
    const std::string text = props.WrapPolygonToRtf();
    EXPECT_EQ(text, "8;4;(0,0);(21600,0);(-5,21600);(0,0)");
    TShapeProps back;
    back.WrapPolygonFromRtf(text);
    EXPECT_EQ(back.WrapPolygon, props.WrapPolygon);

    // Damaged pairs are passed over; the good ones are kept.
    back.WrapPolygonFromRtf("8;5;(1,2);(x,3);(4;(5,6);(7,)");
    EXPECT_EQ(back.WrapPolygon, (std::vector<TPoint>{{1, 2}, {5, 6}}));

    // A file stating a huge polygon gets no more vertices than layout takes.
    std::string huge = "8;100000";
    for (int i = 0; i < 100000; ++i)
        huge += ";(" + std::to_string(i % 21600) + "," + std::to_string((i * 7) % 21600) + ")";
    back.WrapPolygonFromRtf(huge);
    EXPECT_EQ(back.WrapPolygon.size(), MaxWrapPolygonPoints);
}

}  // namespace
