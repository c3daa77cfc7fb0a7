#include "model/managers/TTabManager.h"

#include <gtest/gtest.h>

#include <vector>

#include "DocFixture.h"
#include "base/text/MeasurementUnits.h"
#include "base/text/NumberFormats.h"
#include "model/managers/DescribeFormatting.h"
#include "model/paragraphs/TPar.h"

namespace {

std::vector<std::int32_t> Positions(const TList& table) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = 0; i < table.Count; ++i)
        out.push_back(TabStopPosition(TabStopAt(table, i)));
    return out;
}

std::vector<std::int32_t> Every(std::int32_t width, std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> out;
    for (std::int32_t p = from; p <= to; p += width)
        out.push_back(p);
    return out;
}

TEST(TabStopTest, PackedWords) {
    std::int32_t position = 0;
    std::uint8_t alignment = 0, leader = 0;
    UnpackTabStop(MakeTabStop(5, taCenter, tlHyphens), position, alignment, leader);
    EXPECT_EQ(position, 15);
    EXPECT_EQ(alignment, taCenter);
    EXPECT_EQ(leader, tlHyphens);
    EXPECT_EQ(MakeTabStop(1440, taDecimal, tlUnderline), 1440u | (3u << 24) | (3u << 28));
    EXPECT_EQ(TabStopPosition(MakeTabStop(0x7FFFFFFF, taLeft, tlNone)), 0xFFFFFF);
    EXPECT_EQ(TabStopPosition(MakeTabStop(-100, taRight, tlNone)), 15);
}

TEST(TabStopTest, TablesOfStops) {
    TTabTable table;
    AddTabStop(table, MakeTabStop(1440, taLeft, tlNone));
    AddTabStop(table, MakeTabStop(1440, taLeft, tlNone));   // the very same word
    AddTabStop(table, MakeTabStop(1440, taRight, tlDots));  // same place, other kinds
    AddTabStop(table, 3 | (taBar << 24));                   // raised to 15, kinds kept
    AddTabStop(table, MakeTabStop(720, taCenter, tlNone));
    EXPECT_EQ(Positions(table), (std::vector<std::int32_t>{1440, 1440, 15, 720}));
    EXPECT_EQ(TabStopAlignment(table.Stop(2)), taBar);

    EXPECT_EQ(IndexOfTabPos(table, 1440), 1);
    EXPECT_FALSE(TabTableHasStop(table, 1000));
    SortTabStops(table);
    EXPECT_EQ(Positions(table), (std::vector<std::int32_t>{15, 720, 1440, 1440}));

    // The bar is no stop; inclusive takes a stop right at x.
    EXPECT_EQ(TabStopPosition(NextTabStop(table, 0, false)), 720);
    EXPECT_EQ(TabStopPosition(NextTabStop(table, 720, true)), 720);
    EXPECT_EQ(TabStopPosition(NextTabStop(table, 720, false)), 1440);
    EXPECT_EQ(NextTabStop(table, 1440, false), MakeTabStop(0x7FFFFFFF, taLeft, tlNone));

    RemoveTabStop(table, 1440);
    EXPECT_EQ(Positions(table), (std::vector<std::int32_t>{15, 720, 1440}));
    RemoveTabStop(table, 999);
    EXPECT_EQ(table.Count, 3);

    TTabTable full;
    for (std::int32_t i = 1; i <= 60; ++i)
        AddTabStop(full, MakeTabStop(i * 100, taLeft, tlNone));
    EXPECT_EQ(full.Count, MaxTabStops);
}

TEST(TabManagerTest, InterningSharesEqualTables) {
    TTabManager manager;
    EXPECT_EQ(TabManager, &manager);
    TList empty;
    EXPECT_EQ(manager.InternTabTable(empty), 0);

    TList a, b, reversed;
    for (std::int32_t p : {720, 2880}) {
        AddTabStop(a, MakeTabStop(p, taLeft, tlNone));
        AddTabStop(b, MakeTabStop(p, taLeft, tlNone));
    }
    for (std::int32_t p : {2880, 720})
        AddTabStop(reversed, MakeTabStop(p, taLeft, tlNone));
    const std::int32_t first = manager.InternTabTable(a);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(manager.InternTabTable(b), first);
    EXPECT_EQ(manager.InternTabTable(reversed), 2);
    a.Add(nullptr);
    EXPECT_EQ(manager.InternTabTable(a), 3);
    EXPECT_EQ(Positions(*manager.Table(first)), (std::vector<std::int32_t>{720, 2880}));
}

TEST(TabManagerTest, EffectiveStops) {
    TTabManager manager;
    TList own;
    AddTabStop(own, MakeTabStop(100, taLeft, tlNone));
    AddTabStop(own, MakeTabStop(500, taBar, tlNone));
    AddTabStop(own, MakeTabStop(1000, taRight, tlDots));
    const std::int32_t ownTable = manager.InternTabTable(own);
    TList far;
    AddTabStop(far, MakeTabStop(40000, taLeft, tlNone));
    const std::int32_t farTable = manager.InternTabTable(far);

    std::vector<std::int32_t> withOwn{100, 1000};
    const std::vector<std::int32_t> defaultsFrom1440 = Every(720, 1440, 31680);
    withOwn.insert(withOwn.end(), defaultsFrom1440.begin(), defaultsFrom1440.end());

    struct Case {
        const char* name;
        std::int32_t table, rightIndent, width;
        std::vector<std::int32_t> stops;
    };
    // Each case follows the one before: the stops are only rebuilt when the
    // table, the width or the right limit changes.
    const Case cases[] = {
        {"defaults to 22 inches", 0, 0, 720, Every(720, 720, 31680)},
        {"a right indent moves the limit", 0, 1440, 720, Every(720, 720, 30240)},
        {"and back", 0, 0, 720, Every(720, 720, 31680)},
        {"own stops, bars left out", ownTable, 0, 720, withOwn},
        {"a far stop is taken alone", farTable, 0, 720, {40000}},
        {"other width", 0, 0, 1000, Every(1000, 1000, 31000)},
        {"right indent beyond the limit", 0, 32000, 720, {720}},
        {"no usable width", 0, 0, 0, Every(720, 720, 31680)},
        {"unknown table", 999, 0, 720, Every(720, 720, 31680)},
        {"unset right indent", 0, static_cast<std::int16_t>(0x8000), 720, Every(720, 720, 31680)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        manager.BuildEffectiveTabs(c.table, c.rightIndent, c.width);
        EXPECT_EQ(Positions(*manager.EffectiveTabs), c.stops);
    }
    EXPECT_EQ(manager.Table(0), manager.EffectiveTabs);
}

TEST(TabManagerTest, EffectiveStopsOfAParagraph) {
    TTabManager manager;
    TDocFixture f({"a{par}", "b{par}"});
    f.Doc().DefaultTabWidth = 1000;
    TPar* wide = f.Doc().Par(0);
    TPar* narrow = f.Doc().Par(1);
    narrow->Format.RightIndent = 11680;
    manager.BuildEffectiveTabs(*wide);
    EXPECT_EQ(manager.EffectiveTabs->Count, 31);
    // Same table, same width, other right indent: other stops.
    manager.BuildEffectiveTabs(*narrow);
    EXPECT_EQ(Positions(*manager.EffectiveTabs), Every(1000, 1000, 20000));
}

TEST(TabManagerTest, DescriptionsNameTheStopsOfATable) {
    TTabManager manager;
    const std::int32_t savedUnit = MeasureUnit();
    const char savedSeparator = DecimalSeparator();
    SetMeasureUnit(muCentimeters);
    SetDecimalSeparator('.');
    TList stops;
    AddTabStop(stops, MakeTabStop(1440, taCenter, tlNone));
    TParFormat format = UnsetParFormat;
    format.Tabs = static_cast<std::int16_t>(manager.InternTabTable(stops));
    EXPECT_EQ(DescribeFormatting(UnsetCharFormat, format, "; ", 0), "tab stops: 2.54 cm centered");
    SetMeasureUnit(savedUnit);
    SetDecimalSeparator(savedSeparator);
    SetFormatNames(nullptr);
}

}  // namespace
