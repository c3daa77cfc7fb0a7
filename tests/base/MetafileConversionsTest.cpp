#include "base/pictures/MetafileConversions.h"

#include <gtest/gtest.h>

#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "platform/Bitmaps.h"

namespace {

TEST(MetafileConversionsTest, MetafilesBecomeBitmapsAndBack) {
    // A bitmap drawn into a metafile and rendered again keeps its pixels;
    // the size comes from the frame.
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(30, 20);
    bitmap.Canvas()->Brush->SetColor(0x0000FF);
    bitmap.Canvas()->FillRect({0, 0, 30, 20});
    bitmap.Canvas()->Brush->SetColor(0x00FF00);
    bitmap.Canvas()->FillRect({10, 5, 20, 15});
    Platform::HENHMETAFILE emf = BitmapToMetafile(bitmap);
    ASSERT_NE(emf, nullptr);
    TBitmap rendered;
    RenderMetafileToBitmap(emf, rendered, {0, 0});
    EXPECT_EQ(rendered.GetWidth(), 30);
    EXPECT_EQ(rendered.GetHeight(), 20);
    EXPECT_EQ(rendered.GetPixelFormat(), pf1bit) << "two colours reduce to one bit";
    EXPECT_EQ(rendered.Canvas()->GetPixelColor(2, 2), 0x0000FF);
    EXPECT_EQ(rendered.Canvas()->GetPixelColor(15, 10), 0x00FF00);
    Platform::HBITMAP handle = MetafileToBitmapHandle(emf, {60, 40});
    Platform::TBitmapInfo info;
    ASSERT_TRUE(Platform::GetBitmapInfo(handle, info));
    EXPECT_EQ(info.Width, 60);
    Platform::DeleteBitmap(handle);
    Platform::DeleteEnhMetaFile(emf);

    // An empty frame gives a 1 x 1 bitmap.
    const Platform::TRect frame{0, 0, 0, 0};
    Platform::HDC recording = Platform::CreateEnhMetaFile(nullptr, &frame);
    Platform::HENHMETAFILE empty = Platform::CloseEnhMetaFile(recording);
    TBitmap tiny;
    RenderMetafileToBitmap(empty, tiny, {0, 0});
    EXPECT_EQ(tiny.GetWidth(), 1);
    EXPECT_EQ(tiny.GetHeight(), 1);
    Platform::DeleteEnhMetaFile(empty);
}

}  // namespace
