// Drawing shapes in RTF: the words and "sp" properties of a "shp" group and
// the "picprop" properties of a picture read into the shape's properties,
// and written back so that a second reading gives the same properties.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RtfMemory.h"
#include "TabManagerScope.h"
#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"

namespace {

// A PNG signature and header chunk of a 100 x 50 picture.
std::string PngHex() {
    std::string b = "\x89PNG\r\n\x1A\n";
    b += std::string("\0\0\0\x0D", 4) + "IHDR";
    for (std::uint32_t v : {100u, 50u})
        for (int shift = 24; shift >= 0; shift -= 8)
            b.push_back(static_cast<char>((v >> shift) & 0xFF));
    b += std::string("\x08\x06\0\0\0", 5) + "CRC!";
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    for (char c : b) {
        out.push_back(Digits[static_cast<std::uint8_t>(c) >> 4]);
        out.push_back(Digits[static_cast<std::uint8_t>(c) & 15]);
    }
    return out;
}

std::string Sp(const std::string& name, const std::string& value) {
    return "{\\sp{\\sn " + name + "}{\\sv " + value + "}}";
}

std::string ShapeRtf(const std::string& words, const std::string& props) {
    return "{\\shp{\\*\\shpinst" + words + props + Sp("pib", "{\\pict\\pngblip " + PngHex() + "}") + "}}";
}

class RtfShapesTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        manager = new TFontManager;
    }
    void TearDown() override {
        delete manager;
        SetConstantFormatFonts(savedTimes, savedArial);
    }

    // A document of the text A, body and B.
    static std::unique_ptr<TDoc> Read(const std::string& body) { return ReadWhole("{\\rtf1 A" + body + "B\\par}"); }

    static std::unique_ptr<TDoc> ReadWhole(const std::string& rtf) { return ReadRtfBytes(rtf); }

    static std::string Write(TDoc& doc) { return SaveRtfToMemory(doc); }

    static const TShape* OnlyShape(const TDoc& doc) {
        EXPECT_EQ(doc.Shapes.Count, 1);
        return doc.Shapes.Count == 1 ? doc.Shapes.At<TShape>(0) : nullptr;
    }

private:
    TTabManagerScope tabs;
    TFontManager* manager = nullptr;
    std::int32_t savedTimes = 0;
    std::int32_t savedArial = 0;
};

TEST_F(RtfShapesTest, AShapeGroupFillsTheShapeProperties) {
    const std::string words =
        "\\shpleft100\\shptop-20\\shpright1600\\shpbottom980\\shpfhdr0\\shpbxpage\\shpbxignore\\shpbypara"
        "\\shpbyignore\\shpwr4\\shpwrk3\\shpfblwtxt1\\shpz7\\shplid1025";
    const std::string props = Sp("shapeType", "75") + Sp("posh", "2") + Sp("posrelv", "1") + Sp("fillColor", "255") +
                              Sp("dxWrapDistLeft", "0") +
                              Sp("pWrapPolygonVertices", "8;4;(0,0);(21600,0);(0,21600);(0,0)") +
                              Sp("fPseudoInline", "1") + Sp("FLAYOUTINCELL", "1") + Sp("posv", "x7");
    std::unique_ptr<TDoc> doc = Read(ShapeRtf(words, props));
    const TShape* shape = OnlyShape(*doc);
    ASSERT_NE(shape, nullptr);
    const TShapeProps& p = shape->Props;
    EXPECT_TRUE(shape->IsFloating());
    EXPECT_EQ(p.PosRect, (TRect{100, -20, 1600, 980}));
    EXPECT_EQ(p.WrapKind, swTight);
    EXPECT_EQ(p.WrapSide, wsLargest);
    EXPECT_EQ(p.ZOrder, 7);
    EXPECT_TRUE(shape->IsBehindText());
    EXPECT_EQ(p.GetProp(spPosRelH), prefPage);  // from shpbxpage
    EXPECT_EQ(p.GetProp(spPosRelV), prefPage);  // the property overrides shpbypara
    EXPECT_EQ(p.GetProp(spPosH), posCentre);
    EXPECT_EQ(p.GetProp(spFillColor), 255);
    EXPECT_EQ(p.GetProp(spWrapDistLeft), 0);
    EXPECT_TRUE(p.HasProp(spLayoutInCell));  // names match without case
    EXPECT_FALSE(p.HasProp(spPosV));         // a value that is no number
    EXPECT_EQ(p.WrapPolygon, (std::vector<TPoint>{{0, 0}, {21600, 0}, {0, 21600}}));
    // Unknown names are skipped: shapeType, fillColor, dxWrapDistLeft,
    // posh, posrelh, posrelv, fLayoutInCell and the behind flag are all
    // there is.
    EXPECT_EQ(p.Pairs.size(), 8u);
    // The text around the shape is untouched; the picture stands between.
    EXPECT_EQ(doc->Par(0)->CharCount(), 4);
}

TEST_F(RtfShapesTest, WrapWordsOutsideTheFormatAreReadAsTheUsualOnes) {
    struct Case {
        const char* Words;
        std::int32_t Kind, Side;
    };
    const Case cases[] = {
        {"", swSquare, wsBoth},
        {"\\shpwr0", swSquare, wsBoth},
        {"\\shpwr1\\shpwrk2", swTopAndBottom, wsRightOnly},
        {"\\shpwr5\\shpwrk1", swThrough, wsLeftOnly},
        {"\\shpwr9\\shpwrk-4", swSquare, wsBoth},
        {"\\shpwr-3\\shpwrk4", swSquare, wsBoth},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Words);
        std::unique_ptr<TDoc> doc = Read(ShapeRtf(c.Words, Sp("shapeType", "75")));
        const TShape* shape = OnlyShape(*doc);
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->Props.WrapKind, c.Kind);
        EXPECT_EQ(shape->Props.WrapSide, c.Side);
    }
}

TEST_F(RtfShapesTest, PropertiesSurviveSavingAndReadingAgain) {
    const std::vector<std::string> cases = {
        ShapeRtf("\\shpleft0\\shptop0\\shpright1500\\shpbottom750\\shpwr2\\shpz3",
                 Sp("shapeType", "75") + Sp("posh", "3") + Sp("posrelh", "7") + Sp("fLockAspectRatio", "0") +
                     Sp("dyWrapDistTop", "6350")),
        ShapeRtf("\\shpleft-50\\shptop40\\shpright950\\shpbottom540\\shpwr5\\shpwrk2\\shpfblwtxt1",
                 Sp("pWrapPolygonVertices", "8;5;(0,0);(21600,0);(10800,10800);(0,21600);(0,0)")),
        // An inline picture with properties of its own.
        "{\\pict{\\*\\picprop" + Sp("shapeType", "75") + Sp("fLockAspectRatio", "1") + Sp("fillColor", "0") +
            "}\\pngblip " + PngHex() + "}",
        // One without: it keeps a new shape's properties and writes none.
        "{\\pict\\pngblip " + PngHex() + "}",
    };
    for (const std::string& rtf : cases) {
        SCOPED_TRACE(rtf.substr(0, 120));
        std::unique_ptr<TDoc> doc = Read(rtf);
        const TShape* first = OnlyShape(*doc);
        ASSERT_NE(first, nullptr);
        const std::string saved = Write(*doc);
        std::unique_ptr<TDoc> again = ReadWhole(saved);
        const TShape* second = OnlyShape(*again);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->Props, first->Props);
        EXPECT_EQ(second->Picture.Data, first->Picture.Data);
        EXPECT_EQ(saved.find("picprop") != std::string::npos,
                  !first->IsFloating() && rtf.find("picprop") != std::string::npos);
        // And the second save is the first one.
        EXPECT_EQ(Write(*again), saved);
    }
}

TEST_F(RtfShapesTest, ShapeWritingGivesTheShapeWordsAndProperties) {
    std::unique_ptr<TDoc> doc = Read(ShapeRtf("\\shpleft10\\shptop20\\shpright30\\shpbottom40\\shpwr3\\shpz2",
                                              Sp("shapeType", "75") + Sp("posv", "1")));
    const std::string saved = Write(*doc);
    const std::string expected =
        "{\\shp{\\*\\shpinst\\shpleft10\\shptop20\\shpright30\\shpbottom40\\shpfhdr0\\shpwr3"
        "\\shpwrk0\\shpz2\\shpfblwtxt0\\shpbxignore\\shpbyignore"
        "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn posv}{\\sv 1}}{\\sp{\\sn pib}{\\sv {\\pict";
    EXPECT_NE(saved.find(expected), std::string::npos) << saved;
}

TEST_F(RtfShapesTest, StrayAndHostilePropertyGroupsChangeNothingElse) {
    // Properties outside a shape or picture, a picprop outside a picture and
    // a shape inside a shape's text are passed over.
    std::unique_ptr<TDoc> doc =
        Read(Sp("posh", "2") + "{\\*\\picprop" + Sp("posh", "2") + "}" +
             ShapeRtf("", Sp("shapeType", "75") + "{\\shptxt {\\shp{\\*\\shpinst" + Sp("posh", "3") + "}}}"));
    const TShape* shape = OnlyShape(*doc);
    ASSERT_NE(shape, nullptr);
    EXPECT_FALSE(shape->Props.HasProp(spPosH));

    // Text stray in a shape or in a picture's properties is not the
    // document's.
    doc = Read(ShapeRtf(" stray", "") + "{\\pict{\\*\\picprop junk" + Sp("fFilled", "0") + "}\\pngblip " + PngHex() +
               "}");
    EXPECT_EQ(doc->Shapes.Count, 2);
    EXPECT_EQ(doc->Par(0)->CharCount(), 5);  // A, two pictures, B and the paragraph end

    // A polygon of a hundred thousand vertices keeps the first that layout
    // takes.
    std::string vertices = "8;100000";
    for (int i = 0; i < 100000; ++i)
        vertices += ";(" + std::to_string(i % 21600) + ",5)";
    doc = Read(ShapeRtf("\\shpwr4", Sp("pWrapPolygonVertices", vertices)));
    shape = OnlyShape(*doc);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Props.WrapPolygon.size(), MaxWrapPolygonPoints);
}

}  // namespace
