#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/graphics/TBitmap.h"
#include "base/pictures/Resampling.h"

namespace {

struct TRgb {
    int R, G, B;
};

// A 24-bit bitmap of width x height whose pixels come from colour(x, y).
template <class F>
void Make(TBitmap& bitmap, int width, int height, F colour) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const TRgb c = colour(x, y);
            row[x * 3] = static_cast<std::uint8_t>(c.B);
            row[x * 3 + 1] = static_cast<std::uint8_t>(c.G);
            row[x * 3 + 2] = static_cast<std::uint8_t>(c.R);
        }
    }
}

TRgb At(TBitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
    return {p[2], p[1], p[0]};
}

std::unique_ptr<TBitmap> Target(int width, int height) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(width, height);
    return b;
}

TEST(ResamplingTest, MitchellWeightsAndRounding) {
    EXPECT_FLOAT_EQ(MitchellWeight(0), 8.0f / 9.0f);
    // Computed in single precision: within a few millionths of 1/18.
    EXPECT_NEAR(MitchellWeight(1), 1.0f / 18.0f, 1e-6);
    EXPECT_NEAR(MitchellWeight(-1), 1.0f / 18.0f, 1e-6);
    EXPECT_FLOAT_EQ(MitchellWeight(2), 0);
    EXPECT_FLOAT_EQ(MitchellWeight(7.5f), 0);
    EXPECT_LT(MitchellWeight(1.5f), 0);  // the negative lobe
    struct Case {
        long double X;
        int Ceil, Floor;
    };
    const Case cases[] = {{2.0L, 2, 2}, {2.25L, 3, 2}, {-2.25L, -2, -3}, {-2.0L, -2, -2}, {0.0L, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.X));
        EXPECT_EQ(CeilOf(c.X), c.Ceil);
        EXPECT_EQ(FloorOf(c.X), c.Floor);
    }
}

TEST(ResamplingTest, TheSameSizeSharesTheImageAndKeepsTheFormat) {
    TBitmap source;
    source.SetPixelFormat(pf8bit);
    source.SetSize(5, 4);
    std::unique_ptr<TBitmap> copy(source.CreateResampled(5, 4, false));
    EXPECT_EQ(copy->Image(), source.Image());
    EXPECT_EQ(copy->GetPixelFormat(), pf8bit);
}

TEST(ResamplingTest, EdgesMirrorOnTheLeftAndRepeatOnTheRight) {
    // A two-pixel row A, B enlarged to five: the first pixel is 16/18 A +
    // 2/18 B (its left neighbour is the mirrored B), the last 1/18 A +
    // 17/18 B (its right neighbour is B itself).
    TBitmap source;
    Make(source, 2, 1, [](int x, int) { return x == 0 ? TRgb{180, 0, 0} : TRgb{0, 0, 90}; });
    auto dest = Target(5, 1);
    source.ResampleInto(*dest, false);
    const TRgb first = At(*dest, 0, 0), last = At(*dest, 4, 0);
    EXPECT_EQ(first.R, 160);  // 16/18 of 180
    EXPECT_EQ(first.B, 10);   // 2/18 of 90
    EXPECT_EQ(last.R, 10);    // 1/18 of 180
    EXPECT_EQ(last.B, 85);    // 17/18 of 90

    // A one-pixel-wide source gives every target pixel its colour (the
    // weights all fall on index 0 and sum to 1).
    TBitmap narrow;
    Make(narrow, 1, 1, [](int, int) { return TRgb{110, 77, 200}; });
    auto wide = Target(6, 1);
    narrow.ResampleInto(*wide, false);
    for (int x = 0; x < 6; ++x) {
        const TRgb c = At(*wide, x, 0);
        EXPECT_EQ(c.R, 110);
        EXPECT_EQ(c.G, 77);
        EXPECT_EQ(c.B, 200);
    }
}

TEST(ResamplingTest, TheSameWidthStillFilters) {
    // Not an identity: the weights 1/18, 8/9, 1/18 blur a lone bright pixel.
    TBitmap source;
    Make(source, 5, 1, [](int x, int) { return x == 2 ? TRgb{180, 180, 180} : TRgb{0, 0, 0}; });
    auto dest = Target(5, 1);
    source.ResampleInto(*dest, false);
    EXPECT_EQ(At(*dest, 2, 0).R, 160);
    EXPECT_EQ(At(*dest, 1, 0).R, 10);
    EXPECT_EQ(At(*dest, 3, 0).R, 10);
}

TEST(ResamplingTest, SumsAreLimitedBeforeRounding) {
    // Next to an edge between black and white the negative lobes overshoot:
    // shrinking keeps white 255 and black 0 instead of wrapping round.
    TBitmap source;
    Make(source, 12, 1, [](int x, int) { return x < 6 ? TRgb{0, 0, 0} : TRgb{255, 255, 255}; });
    auto dest = Target(7, 1);
    source.ResampleInto(*dest, false);
    for (int x = 0; x < 7; ++x) {
        SCOPED_TRACE(x);
        const TRgb c = At(*dest, x, 0);
        EXPECT_TRUE(x < 3 ? c.R <= 20 : (x > 3 ? c.R >= 235 : true));
    }
    EXPECT_EQ(At(*dest, 0, 0).R, 0);
    EXPECT_EQ(At(*dest, 6, 0).R, 255);
}

TEST(ResamplingTest, ATargetOfOnePixelAveragesTheSource) {
    // A width or height of 1 from a larger source has no distance between
    // its first and last pixel centres; it takes the whole source instead.
    TBitmap source;
    Make(source, 8, 6, [](int x, int) { return x < 4 ? TRgb{200, 200, 200} : TRgb{100, 100, 100}; });
    struct Case {
        int W, H;
    };
    for (const Case c : {Case{1, 6}, Case{8, 1}, Case{1, 1}}) {
        SCOPED_TRACE(c.W * 10 + c.H);
        std::unique_ptr<TBitmap> small(source.CreateResampled(c.W, c.H, false));
        ASSERT_EQ(small->GetWidth(), c.W);
        const TRgb p = At(*small, 0, 0);
        if (c.W == 1)
            EXPECT_NEAR(p.R, 150, 12);
        else
            EXPECT_EQ(p.R, 200);
    }
}

TEST(ResamplingTest, SharpeningKeepsFlatAreasAndWhitensNearWhite) {
    TBitmap source;
    Make(source, 12, 4, [](int x, int) { return x < 6 ? TRgb{100, 150, 200} : TRgb{252, 253, 251}; });
    auto dest = Target(24, 8);
    source.ResampleInto(*dest, true);
    // The flat left part keeps its colour (the kernel sums to 16)...
    const TRgb left = At(*dest, 0, 4);
    EXPECT_EQ(left.R, 100);
    EXPECT_EQ(left.G, 150);
    EXPECT_EQ(left.B, 200);
    // ... and near-white became pure white before sharpening.
    const TRgb right = At(*dest, 23, 4);
    EXPECT_EQ(right.R, 255);
    EXPECT_EQ(right.G, 255);
    EXPECT_EQ(right.B, 255);
}

}  // namespace
