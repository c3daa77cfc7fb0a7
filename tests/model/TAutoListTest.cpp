#include "model/managers/TAutoList.h"

#include <gtest/gtest.h>

#include "model/document/TDoc.h"
#include "model/formats/TShape.h"
#include "platform/CodePages.h"

namespace {

TEST(AutoListTest, RecognizesTypedListNumbers) {
    using R = TListNumberReading;
    struct Case {
        std::u16string typed;
        std::vector<R> readings;
        std::u16string label;  // empty when not recognised
    };
    const std::u16string dot(u"\0.", 2), paren(u"\0)", 2), both(u"(\0)", 3);
    const Case cases[] = {
        {u"1)", {R{lnArabic, 1}}, paren},
        {u"(a)", {R{lnLowerLetter, 1}}, both},
        {u"A.", {R{lnUpperLetter, 1}}, dot},
        {u"01.", {R{lnLeadingZero, 1}}, dot},
        {u"12.", {R{lnArabic, 12}, R{lnLeadingZero, 12}}, dot},
        {u"iv.", {R{lnLowerRoman, 4}}, dot},
        {u"v.", {R{lnLowerRoman, 5}, R{lnLowerLetter, 22}}, dot},
        {u"i)", {R{lnLowerRoman, 1}, R{lnLowerLetter, 9}}, paren},
        {u"XIV.", {R{lnUpperRoman, 14}}, dot},
        {u"BB.", {R{lnUpperLetter, 28}}, dot},
        {u"(ii)", {R{lnLowerRoman, 2}, R{lnLowerLetter, 35}}, both},
        // Not list numbers.
        {u"(1.", {}, u""},
        {u"1", {}, u""},
        {u".", {}, u""},
        {u"()", {}, u""},
        {u"ab.", {}, u""},
        {u"dim.", {}, u""},  // letters that only look Roman
        {u"iiv.", {}, u""},
        {u"iiii.", {R{lnLowerLetter, 87}}, dot},  // a letter four times, not a numeral
        {u"é.", {}, u""},
        {u"99999999999.", {}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.typed));
        std::u16string label = u"stale";
        std::vector<TListNumberReading> readings{R{7, 7}};
        EXPECT_EQ(RecognizeTypedListNumber(c.typed, label, readings), !c.readings.empty());
        EXPECT_EQ(readings, c.readings);
        if (!c.readings.empty()) {
            EXPECT_EQ(label, c.label);
        }
    }
}

TEST(AutoListTest, LevelNumbersOfALabelText) {
    std::u16string text;
    text += u'\0';
    text += u'.';
    text += u'\1';
    text += u'.';
    EXPECT_EQ(LevelNumbersOfLevelText(text), std::string("\x01\x03", 2));
    // Levels in level order, each by its first placeholder.
    std::u16string mixed = u"(";
    mixed += u'\2';
    mixed += u'-';
    mixed += u'\0';
    mixed += u'\2';
    EXPECT_EQ(LevelNumbersOfLevelText(mixed), std::string("\x04\x02", 2));
    EXPECT_EQ(LevelNumbersOfLevelText(u"•"), "");
}

TEST(AutoListTest, KindAndNumberedLevels) {
    TAutoList list;
    EXPECT_EQ(list.Kind(), 2);  // levels of their own
    list.SingleLevel = 1;
    list.Levels[0].NumberFormat = lnBullet;
    EXPECT_EQ(list.Kind(), 0);
    EXPECT_TRUE(list.HasNoNumberedLevel());
    // 255 draws no label, but is no bullet either.
    list.Levels[0].NumberFormat = lnNone;
    EXPECT_EQ(list.Kind(), 1);
    // A single-level list answers every level with level 0.
    list.Levels[3].NumberFormat = lnBullet;
    EXPECT_TRUE(AutoListLevelIsNumbered(list, 3));
    list.SingleLevel = 0x81;  // the high bit is a flag of its own
    EXPECT_TRUE(list.IsSingleLevel());

    TAutoList outline;
    for (TListLevel& level : outline.Levels)
        level.NumberFormat = lnBullet;
    EXPECT_TRUE(outline.HasNoNumberedLevel());
    outline.Levels[8].NumberFormat = lnArabic;
    EXPECT_FALSE(outline.HasNoNumberedLevel());
    EXPECT_TRUE(outline.LevelIsBullet(7));
    EXPECT_FALSE(outline.LevelIsBullet(8));
}

TEST(AutoListTest, EqualityByFlags) {
    TAutoList a, b;
    a.SingleLevel = b.SingleLevel = 1;
    const std::u16string bullet(1, u'\u2022');
    a.Levels[0].LabelText = bullet;
    b.Levels[0].LabelText = bullet;
    // Unused levels of a single-level list do not count.
    b.Levels[4].NumberFormat = lnUpperRoman;
    EXPECT_TRUE(AutoListsEqual(a, b, 0));

    b.Levels[0].StartValue = 5;
    EXPECT_FALSE(AutoListsEqual(a, b, 0));
    EXPECT_TRUE(AutoListsEqual(a, b, aleIgnoreStart));
    b.Levels[0].FollowKind = lfSpace;
    EXPECT_FALSE(AutoListsEqual(a, b, aleIgnoreStart));
    EXPECT_TRUE(AutoListsEqual(a, b, aleFormatsOnly));
    b.Levels[0].NumberFormat = lnLowerLetter;
    EXPECT_FALSE(AutoListsEqual(a, b, aleFormatsOnly));

    TAutoList c, d;
    c.Levels[4].CharFormat[caBold] = 1;
    EXPECT_FALSE(AutoListsEqual(c, d, 0));  // outline lists compare all nine levels
    d.SingleLevel = 1;
    EXPECT_FALSE(AutoListsEqual(c, d, aleFormatsOnly));
}

TEST(AutoListTest, PictureBulletsAreSharedByAssignAndCopiedByAssignToDoc) {
    TDoc source(true), target(true);
    auto* picture = new TShape(&source);
    picture->Props.SetProp(spFillColor, 0x123456);
    source.Shapes.Add(picture);
    TAutoList list;
    list.SingleLevel = 1;
    list.Levels[0].NumberFormat = lnBullet;
    list.Levels[0].PictureBullet = picture;
    list.Levels[3].PictureBullet = picture;  // unused: a single-level list

    TAutoList shared;
    shared.Assign(list);
    EXPECT_EQ(shared.Levels[0].PictureBullet, picture);

    TAutoList copied;
    copied.AssignToDoc(list, target);
    TShape* copy = copied.Levels[0].PictureBullet;
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, picture);
    EXPECT_EQ(copy->Doc, &target);
    EXPECT_EQ(copy->Props, picture->Props);
    EXPECT_TRUE(target.Shapes.Contains(copy));
    EXPECT_EQ(copied.Levels[3].PictureBullet, picture);

    EXPECT_TRUE(PictureBulletsEqual(nullptr, nullptr));
    EXPECT_TRUE(PictureBulletsEqual(picture, picture));
    EXPECT_FALSE(PictureBulletsEqual(picture, nullptr));
    EXPECT_FALSE(PictureBulletsEqual(picture, copy));
    PictureBulletHooks().SamePicture = [](const TShape& a, const TShape& b) { return a.Props == b.Props; };
    EXPECT_TRUE(PictureBulletsEqual(picture, copy));
    PictureBulletHooks() = TPictureBulletHooks{};
}

}  // namespace
