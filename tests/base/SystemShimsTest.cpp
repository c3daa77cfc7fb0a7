#include "base/files/SystemShims.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "base/core/TFrequencyMemList.h"
#include "base/graphics/Graphics.h"
#include "base/text/LanguageTables.h"

namespace {

TDateTime MakeDateTime(int y, int mo, int d, int h, int mi, int s) {
    TDateTime date = 0, time = 0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(TryEncodeTime(h, mi, s, 0, time));
    return date + time;
}

TEST(DateTimeTest, EncodesAndDecodesAcrossTheCalendar) {
    struct Case {
        int Y, M, D;
        double Serial;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},  {1900, 1, 1, 2},    {2000, 2, 29, 36585},    {2024, 3, 5, 45356},
        {1899, 12, 29, -1}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Y) + "-" + std::to_string(c.M) + "-" + std::to_string(c.D));
        TDateTime dt = 0;
        ASSERT_TRUE(TryEncodeDate(c.Y, c.M, c.D, dt));
        EXPECT_EQ(dt, c.Serial);
        int y, m, d;
        DecodeDate(dt, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.Y * 10000 + c.M * 100 + c.D);
    }
    TDateTime dt = 0;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, dt));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, dt));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, dt));
    // Before 1899-12-30 the fraction still runs forwards.
    int h, mi, s, ms;
    DecodeTime(-1.25, h, mi, s, ms);
    EXPECT_EQ(h, 6);
}

// Runs a test in a fixed time zone and puts the old one back.
class TTimeZoneScope {
public:
    explicit TTimeZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        Had = old != nullptr;
        Old = old ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TTimeZoneScope() {
        if (Had)
            setenv("TZ", Old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool Had = false;
    std::string Old;
};

TEST(SystemShimsTest, IsoDateTimeTextRoundTripsAndRejectsOffsets) {
    // The "Z" means UTC: local time is converted on the way out and back in.
    {
        TTimeZoneScope zone("UTC0");
        EXPECT_EQ(DateTimeToIsoText(MakeDateTime(2024, 3, 5, 14, 7, 9)), "2024-03-05T14:07:09Z");
    }
    TTimeZoneScope zone("XXX-2");  // two hours east of UTC all year
    const TDateTime dt = MakeDateTime(2024, 3, 5, 14, 7, 9);
    EXPECT_EQ(DateTimeToIsoText(dt), "2024-03-05T12:07:09Z");
    TDateTime back = 0;
    ASSERT_TRUE(ParseIsoDateTime("2024-03-05T12:07:09Z", back));
    EXPECT_NEAR(back, dt, 1e-9);
    EXPECT_EQ(DateTimeToIsoText(back), "2024-03-05T12:07:09Z");
    ASSERT_TRUE(ParseIsoDateTime("2024-03-05T23:30:00Z", back));  // the next day locally
    EXPECT_NEAR(back, MakeDateTime(2024, 3, 6, 1, 30, 0), 1e-9);
    ASSERT_TRUE(ParseIsoDateTime("20240305T140709", back));  // without Z: local time as written
    EXPECT_NEAR(back, dt, 1e-9);

    struct Case {
        const char* Text;
        bool Ok;
    };
    const Case cases[] = {
        {"20240305T140709", true},      {"2024-03-05T14:07:09.123Z", true}, {"2024-03-05T14:07:09+02:00", false},
        {"2024-03-05 14:07:09", false}, {"2024-3-5T14:07:09", false},       {"2024-03-05T14:07", false},
        {"2024-03-0xT14:07:09", false}, {"2024-03-05T25:00:00", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TDateTime out = 123;
        EXPECT_EQ(ParseIsoDateTime(c.Text, out), c.Ok);
        if (!c.Ok) {
            EXPECT_EQ(out, 123);  // untouched
        }
    }
    // An impossible calendar date keeps only the time of day.
    TDateTime out = 0;
    ASSERT_TRUE(ParseIsoDateTime("2023-02-30T12:00:00", out));
    EXPECT_DOUBLE_EQ(out, 0.5);
    EXPECT_FALSE(ParseIsoDateTime("2023-02-30T00:00:00", out));  // nothing but zero is left
}

TEST(SystemShimsTest, DateToDayNumberOrdersDates) {
    EXPECT_EQ(DateToDayNumber(MakeDateTime(2024, 3, 5, 0, 0, 0)), 2024 * 365 + 3 * 31 + 5);
    EXPECT_LT(DateToDayNumber(MakeDateTime(2024, 1, 31, 0, 0, 0)), DateToDayNumber(MakeDateTime(2024, 2, 1, 0, 0, 0)));
}

TEST(SystemShimsTest, VersionToNumber) {
    struct Case {
        const char* Text;
        std::int32_t Number;
    };
    const Case cases[] = {
        {"1.2.3.4", 10203004},   {"2", 20000000}, {"1.10", 11000000}, {"1.2.x", 10200000},
        {"1.2.3.4.5", 10203009}, {"", 0},         {"a.b", 0},         {"3.0.12", 30012000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(VersionToNumber(c.Text), c.Number);
    }
}

TEST(SystemShimsTest, TheTickCounterNeverGoesBackAndIdlenessFollowsActivity) {
    const std::int64_t a = NonNegativeTickCount();
    const std::int64_t b = NonNegativeTickCount();
    EXPECT_GE(a, 0);
    EXPECT_GE(b, a);
    MarkUserActivity();
    EXPECT_TRUE(UserIdleFor(0));
    // A day of idleness has not passed since the action just now, however
    // long the machine has been running: there is no wrap to fool the test.
    EXPECT_FALSE(UserIdleFor(86400000));
}

TEST(SystemShimsTest, PackedValues) {
    EXPECT_EQ(MakeLong(0x12345, 0x7), 0x72345);
    EXPECT_EQ(MakeLong(-1, -1), -1);
    TPoint p;
    UnpackPoint(static_cast<std::int32_t>(0xFFFE0003u), p);
    EXPECT_EQ(p.X, 3);
    EXPECT_EQ(p.Y, -2);
    EXPECT_EQ(PackPoint(MakePoint(-1, 5)), 0x0005FFFF);
    EXPECT_EQ(PackPoint(p), static_cast<std::int32_t>(0xFFFE0003u));
    EXPECT_EQ(MakeBoundsRect(10, 20, 30, 40), MakeRect(10, 20, 40, 60));
    EXPECT_EQ(MakeSizeRect(7, 8), MakeRect(0, 0, 7, 8));
    EXPECT_FALSE(IsSnapToDefaultButtonOn());
}

TEST(SystemShimsTest, ScreenUnits) {
    if (ScreenPixelsPerInch() != 96)
        GTEST_SKIP() << "the expected figures are for 96 pixels per inch";
    struct Case {
        std::int32_t Twips, Pixels;
    };
    const Case cases[] = {{720, 48}, {15, 1}, {7, 0}, {8, 1}, {-15, -1}, {-22, -1}, {-23, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Twips);
        EXPECT_EQ(TwipsToPixels(c.Twips), c.Pixels);
    }
    EXPECT_EQ(PixelsToTwips(48), 720);
    EXPECT_EQ(PixelsToTwips(1), 15);
    EXPECT_EQ(TwipsToPixelsAtZoom(1440, 100), 96);
    EXPECT_EQ(TwipsToPixelsAtZoom(1440, 150), 144);
    EXPECT_EQ(TwipsToPixelsAtZoom(1, 750), 1);  // 0.5 rounds up
    // Large lengths at high zoom stay exact (the product needs 64 bits).
    EXPECT_EQ(TwipsToPixelsAtZoom(20000000, 400), 5333333);
    EXPECT_EQ(HalfPointsToFontHeight(24), -16);
    EXPECT_EQ(HalfPointsToFontHeight(21), -14);
    EXPECT_EQ(HalfPointsToFontHeight(20), -13);
}

TEST(LanguageTablesTest, TablesAreCompleteAndSortedByBytesForTheBinarySearch) {
    ASSERT_EQ(LangCodes2().size(), 71u);
    ASSERT_EQ(LangTags().size(), 175u);
    for (auto table : {LangCodes2(), LangTags()})
        for (std::size_t i = 1; i < table.size(); ++i)
            ASSERT_LT(std::strcmp(table[i - 1].Tag, table[i].Tag), 0) << table[i].Tag;
    // Every entry is found by the search, including the pair that a careless
    // ordering would swap ("ko-KR" sorts before "kok-IN").
    for (auto table : {LangCodes2(), LangTags()})
        for (const TLangStrAndIntCode& entry : table)
            ASSERT_EQ(FindLangCode(table, entry.Tag), entry.Code) << entry.Tag;
    EXPECT_EQ(FindLangCode(LangTags(), "kok-IN"), 0x457);
    EXPECT_EQ(FindLangCode(LangTags(), "ko-KR"), 0x412);
    EXPECT_EQ(FindLangCode(LangCodes2(), "de"), 0x07);
    EXPECT_EQ(FindLangCode(LangTags(), "xx-XX"), -1);
    EXPECT_EQ(FindLangCode(LangTags(), "DE-DE"), -1);  // exact bytes
}

TEST(TFrequencyMemListTest, TracksTheHeaviestRecord) {
    TFrequencyMemList list(8);
    const char a[8] = "aaaaaaa", b[8] = "bbbbbbb", c[8] = "ccccccc";
    list.Add(a, 3);
    list.Add(b, 2);
    EXPECT_EQ(list.MaxIndex, 0);
    EXPECT_EQ(list.MaxWeight, 3);
    list.Add(b, 2);
    EXPECT_EQ(list.MaxIndex, 1);
    EXPECT_EQ(list.MaxWeight, 4);
    list.Add(c, 10);
    EXPECT_EQ(list.MaxIndex, 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(b), 1);
    EXPECT_EQ(list.Weight(1), 4);
    const char d[8] = "ddddddd";
    EXPECT_EQ(list.IndexOf(d), -1);
    // The list keeps its own copy of each record.
    char e[8] = "eeeeeee";
    list.Add(e, 1);
    e[0] = 'x';
    EXPECT_EQ(std::memcmp(list.Record(3), "eeeeeee", 8), 0);
}

}  // namespace
