#include "model/formats/BorderSets.h"

#include <gtest/gtest.h>

#include "model/formats/Tolerances.h"
#include "model/host/ModelOptions.h"

namespace {

TBorder Border(std::int32_t type, std::int32_t width, std::int32_t color = 0, std::int32_t spacing = 0) {
    TBorder b;
    b.Type = type;
    b.Width = width;
    b.Color = color;
    b.Spacing = spacing;
    return b;
}

TEST(BorderSetsTest, InterningFindsSetsEqualAfterClampingTheSpacing) {
    TBorderSet empty;
    InitBorderSet(empty);
    EXPECT_EQ(InternBorderSet(empty), 0);
    TBorderSet set = empty;
    set.Borders[bsTop] = Border(1, 15, 0, 620);
    const std::int32_t index = InternBorderSet(set);
    EXPECT_GT(index, 0);
    set.Borders[bsTop].Spacing = 700;  // clamped to 620 before comparing
    EXPECT_EQ(InternBorderSet(set), index);
    // The stored copy has its inside spacing from the top border.
    EXPECT_EQ(BorderSetAt(index).Borders[bsInside].Spacing, 620);
    EXPECT_TRUE(BordersEqual(Border(255, 10), Border(255, 40)));
    EXPECT_FALSE(BordersEqual(Border(1, 10), Border(1, 40)));
}

TEST(BorderSetsTest, PrecedenceOfTouchingBorders) {
    const std::int32_t automatic = static_cast<std::int32_t>(0xFF000000u);
    const std::int32_t unset = static_cast<std::int32_t>(0x80000000u);
    const std::uint8_t set = 1, clear = 0;
    struct Case {
        const char* name;
        TBorder a, b;
        const std::uint8_t* aCell;
        const std::uint8_t* bCell;
        int want;
    };
    const Case cases[] = {
        {"single wins over double whatever the widths", Border(1, 5), Border(3, 60), nullptr, nullptr, 1},
        {"swapped", Border(3, 60), Border(1, 5), nullptr, nullptr, -1},
        {"other kinds: b wins", Border(6, 60), Border(3, 5), nullptr, nullptr, -1},
        {"no border against no border", Border(255, 5), Border(255, 60), nullptr, nullptr, 0},
        {"the wider wins", Border(1, 30), Border(1, 15), nullptr, nullptr, 1},
        {"a cell's own border loses", Border(1, 15), Border(1, 15), &set, &clear, -1},
        {"the other cell's border loses", Border(1, 15), Border(1, 15), &clear, &set, 1},
        {"same colours", Border(1, 15, 0x0000FF), Border(1, 15, 0x0000FF), nullptr, nullptr, 0},
        {"the higher colour value wins", Border(1, 15, 0x0000FF), Border(1, 15, 0x00FF00), nullptr, nullptr, -1},
        {"automatic is the lowest", Border(1, 15, 0), Border(1, 15, automatic), nullptr, nullptr, 1},
        {"unset a", Border(unset, 15), Border(1, 15), nullptr, nullptr, -1},
        {"unset b", Border(1, 15), Border(unset, 15), nullptr, nullptr, 1},
        {"both unset", Border(unset, 15), Border(unset, 1), nullptr, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareBorders(c.a, c.b, c.aCell, c.bCell), c.want);
    }
}

TEST(BorderSetsTest, TolerancesTreatCloseEdgesAsOne) {
    EXPECT_TRUE(TwipsNearlyEqual(100, 103));
    EXPECT_FALSE(TwipsNearlyEqual(100, 104));
    EXPECT_EQ(TwipsDiffBeyondTolerance(100, 103), 0);
    EXPECT_EQ(TwipsDiffBeyondTolerance(100, 104), -4);
    const std::int32_t stops[] = {500, 1000, 1002};
    EXPECT_EQ(SnapToNearlyEqual(999, stops, 3), 1002);  // searched from the last
    EXPECT_EQ(SnapToNearlyEqual(700, stops, 3), 700);
}

bool AltDown() {
    return true;
}

TEST(BorderSetsTest, RulerPositionsSnapToTheUnitGridOrToNearbyStops) {
    TModelOptions saved = ModelOptions();
    const std::int32_t unset = static_cast<std::int32_t>(0x80000000u);
    struct Case {
        const char* name;
        std::int32_t unit;
        std::int32_t x, extra;
        std::int32_t stop;
        std::int32_t want;
    };
    const Case cases[] = {
        {"inches: sixteenths of an inch", 1, 100, unset, unset, 90},
        {"inches: a stop within 96 twips wins", 1, 100, unset, 170, 170},
        {"inches: a stop further away does not", 1, 100, unset, 300, 90},
        {"centimetres: 1.25 mm steps", 0, 100, unset, unset, 71},
        {"points: 3 pt steps", 2, 100, unset, unset, 120},
        {"the extra position counts too", 1, 1000, 1050, unset, 1050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelOptions().MeasureUnit = c.unit;
        const std::int32_t stops[] = {c.stop};
        EXPECT_EQ(SnapToGrid(c.x, c.extra, stops, 1, false), c.want);
    }
    SetAltKeyQuery(AltDown);
    EXPECT_EQ(SnapToGrid(101, unset, nullptr, 0, true), 101);
    EXPECT_EQ(SnapToGrid(101, unset, nullptr, 0, false), 90);
    SetAltKeyQuery(nullptr);
    ModelOptions() = saved;
}

}  // namespace
