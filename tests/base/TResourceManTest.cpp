#include "base/graphics/TResourceMan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/graphics/Graphics.h"
#include "base/graphics/TBrush.h"
#include "base/graphics/TFont.h"
#include "base/graphics/TPen.h"
#include "platform/Fonts.h"
#include "support/TestSupport.h"

namespace {

class SharedRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::UseFixtureFonts(); }
};

TEST(HashBytes16Test, RotatesThenMixesEachByte) {
    const std::uint8_t one[] = {0x41};
    EXPECT_EQ(HashBytes16(one, 1), 0x41);
    const std::uint8_t two[] = {0x41, 0x42};
    EXPECT_EQ(HashBytes16(two, 2), ((0x41 << 5) ^ 0x42));
    // Bits rotated out at the top come back at the bottom.
    const std::uint8_t four[] = {0xFF, 0, 0, 0};
    EXPECT_EQ(HashBytes16(four, 4), static_cast<std::uint16_t>((0xFF << 15) | (0xFF >> 1)));
    EXPECT_EQ(HashBytes16(nullptr, 0), 0);
}

TEST_F(SharedRecordsTest, EqualFontsShareOneNodeAndHandleUntilBothAreGone) {
    TResourceMan& cache = FontResources();
    const std::int32_t before = cache.NodeCount();
    auto* a = new TFont;
    auto* b = new TFont;
    for (TFont* f : {a, b}) {
        f->SetFaceName("Liberation Serif");
        f->SetHeight(-21);
        f->SetStyles(fsItalic);
        f->SetCharset(0);
    }
    ASSERT_EQ(a->Resource, b->Resource);
    TResource* node = a->Resource;
    EXPECT_EQ(node->RefCount, 2);
    Platform::HFONT handle = a->Handle();
    EXPECT_EQ(b->Handle(), handle);
    EXPECT_EQ(cache.NodeCount(), before + 1);

    delete a;
    EXPECT_EQ(node->RefCount, 1);
    EXPECT_EQ(b->Handle(), handle);
    delete b;
    EXPECT_EQ(cache.NodeCount(), before);
}

TEST_F(SharedRecordsTest, ColourLivesInTheFontNotInTheRecord) {
    TFont font;
    TResource* node = font.Resource;
    int changes = 0;
    font.OnChange = [&](TGraphicsObject*) { ++changes; };
    font.SetColor(0x0000FF);
    EXPECT_EQ(font.Resource, node);
    EXPECT_EQ(changes, 1);
    font.SetColor(0x0000FF);  // unchanged: no notification
    EXPECT_EQ(changes, 1);
    font.SetHeight(font.GetHeight());  // same record: same node, no notification
    EXPECT_EQ(changes, 1);
    font.SetHeight(-30);
    EXPECT_EQ(changes, 2);
}

TEST_F(SharedRecordsTest, FontDefaultsAndSetters) {
    TFont font;
    EXPECT_EQ(font.GetFaceName(), "MS Shell Dlg 2");
    EXPECT_EQ(font.GetHeight(), -11);  // 8 points at 96 pixels per inch
    EXPECT_EQ(font.GetPointSize(), 8);
    EXPECT_EQ(font.GetCharset(), 1);
    EXPECT_EQ(font.GetStyles(), 0);
    EXPECT_EQ(font.Color, clWindowText);

    font.SetPointSize(12);
    EXPECT_EQ(font.GetHeight(), -16);
    font.SetFaceName(nullptr);
    EXPECT_EQ(font.GetFaceName(), "MS Shell Dlg 2");
    font.SetFaceName("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");  // 40 characters
    EXPECT_EQ(font.GetFaceName(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    // A UTF-8 name is cut before a character that would not fit whole.
    font.SetFaceName(
        "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
        "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(font.GetFaceName().size(), 30u);

    font.SetStyles(fsBold | fsUnderline);
    Platform::TLogFont lf;
    ASSERT_TRUE(Platform::GetLogFont(font.Handle(), lf));
    EXPECT_EQ(lf.Weight, 700);
    EXPECT_TRUE(lf.Underline);
    EXPECT_FALSE(lf.Italic);
}

TEST_F(SharedRecordsTest, TheDefaultFaceStandsForTheInterfaceFace) {
    TFont font;
    font.SetFaceName("Default");
    Platform::TLogFont lf;
    ASSERT_TRUE(Platform::GetLogFont(font.Handle(), lf));
    EXPECT_EQ(lf.FaceName, "MS Shell Dlg 2");
}

TEST_F(SharedRecordsTest, AssignSharesTheNodeAndCopiesTheColour) {
    TFont a, b;
    a.SetFaceName("Arial");
    a.SetColor(0x123456);
    b.Assign(&a);
    EXPECT_EQ(b.Resource, a.Resource);
    EXPECT_EQ(b.Color, 0x123456);

    TPen p, q;
    p.SetWidth(3);
    q.Assign(&p);
    EXPECT_EQ(q.Resource, p.Resource);
    // Assigning an object of another kind changes nothing.
    TResource* before = q.Resource;
    q.Assign(&a);
    EXPECT_EQ(q.Resource, before);
}

TEST_F(SharedRecordsTest, SetHandleTakesTheLogicalDescription) {
    Platform::TLogFont lf;
    lf.Height = -19;
    lf.Weight = 700;
    lf.Italic = true;
    lf.Charset = 204;
    lf.FaceName = "Times New Roman";
    Platform::HFONT handle = Platform::CreateFontIndirect(lf);
    TFont font;
    font.SetHandle(handle);
    EXPECT_EQ(font.Handle(), handle);
    EXPECT_EQ(font.GetHeight(), -19);
    EXPECT_EQ(font.GetStyles(), fsBold | fsItalic);
    EXPECT_EQ(font.GetCharset(), 204);
    EXPECT_EQ(font.GetFaceName(), "Times New Roman");
    EXPECT_EQ(font.GetData().Handle, nullptr);
}

TEST_F(SharedRecordsTest, PenDefaultsAndWidth) {
    TPen pen;
    EXPECT_EQ(pen.GetColor(), clBlack);
    EXPECT_EQ(pen.GetWidth(), 1);
    pen.SetWidth(-2);
    EXPECT_EQ(pen.GetWidth(), 1);
    pen.SetWidth(0);
    EXPECT_EQ(pen.GetWidth(), 0);
}

TEST_F(SharedRecordsTest, BrushStyleAndColourFollowEachOther) {
    TBrush brush;
    EXPECT_EQ(brush.GetColor(), clWhite);
    EXPECT_EQ(brush.GetStyle(), bsSolid);
    EXPECT_EQ(brush.GetBitmap(), nullptr);

    brush.SetColor(0x00FF00);
    brush.SetStyle(bsClear);
    EXPECT_EQ(brush.GetColor(), clWhite);  // a clear brush is white
    brush.SetColor(0x0000FF);
    EXPECT_EQ(brush.GetStyle(), bsSolid);
    EXPECT_EQ(brush.GetColor(), 0x0000FF);
}

TEST_F(SharedRecordsTest, SystemColourHandlesAreDroppedAndMadeAgain) {
    TPen system, plain;
    system.SetColor(clBtnShadow);
    system.SetWidth(7);
    plain.SetColor(0x010203);
    plain.SetWidth(7);
    ASSERT_NE(system.Handle(), nullptr);
    ASSERT_NE(plain.Handle(), nullptr);
    PenResources().DropSysColorHandles();
    EXPECT_EQ(system.Resource->Handle, nullptr);
    EXPECT_NE(plain.Resource->Handle, nullptr);
    EXPECT_NE(system.Handle(), nullptr);
}

}  // namespace
