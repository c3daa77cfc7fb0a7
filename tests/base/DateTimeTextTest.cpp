#include "base/core/DateTimeText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

TDateTime MakeDateTime(int y, int mo, int d, int h, int mi, int s) {
    TDateTime date = 0, time = 0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(TryEncodeTime(h, mi, s, 0, time));
    return date + time;
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

TEST(DateTimeTextTest, IsoDateTimeTextRoundTripsAndRejectsOffsets) {
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

TEST(DateTimeTextTest, DateToDayNumberOrdersDates) {
    EXPECT_EQ(DateToDayNumber(MakeDateTime(2024, 3, 5, 0, 0, 0)), 2024 * 365 + 3 * 31 + 5);
    EXPECT_LT(DateToDayNumber(MakeDateTime(2024, 1, 31, 0, 0, 0)), DateToDayNumber(MakeDateTime(2024, 2, 1, 0, 0, 0)));
}

}  // namespace
