#include "model/formats/TParFormat.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormatClipboard.h"

namespace {

std::uint8_t ByteAt(const TParFormat& f, int offset) {
    return reinterpret_cast<const std::uint8_t*>(&f)[offset];
}

TEST(ParFormatTest, TableMatchesTheRecordLayout) {
    // Walking the table must tile the 40 bytes without gaps or overlaps.
    int next = 0;
    for (int p = 0; p < ParPropCount; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(ParPropTable[ParPropCount + p], next);
        next += ParPropTable[p];
    }
    EXPECT_EQ(next, 40);
}

TEST(ParFormatTest, GetAndSetEveryPropertyAtItsWidth) {
    for (int p = 0; p < ParPropCount; ++p) {
        SCOPED_TRACE(p);
        const int width = ParPropTable[p];
        TParFormat f = DefaultParFormat;
        // A negative value survives at every width.
        SetParProp(f, p, -3);
        EXPECT_EQ(GetParProp(f, p), -3);
        EXPECT_FALSE(ParPropIsUnset(f, p));
        // Set, the unset mark of the width is stored.
        ClearParProp(f, p);
        EXPECT_TRUE(ParPropIsUnset(f, p));
        EXPECT_EQ(GetParProp(f, p), UnsetValue);
        const int offset = ParPropTable[ParPropCount + p];
        EXPECT_EQ(ByteAt(f, offset + width - 1), 0x80);
        // Values are truncated to the width.
        SetParProp(f, p, 0x12345601);
        const std::int32_t expected = width == 1 ? 1 : width == 2 ? 0x5601 : 0x12345601;
        EXPECT_EQ(GetParProp(f, p), expected);
        // Neighbours are untouched.
        TParFormat g = DefaultParFormat;
        SetParProp(g, p, 0x12345601);
        for (int q = 0; q < ParPropCount; ++q) {
            if (q != p) {
                EXPECT_EQ(GetParProp(g, q), GetParProp(DefaultParFormat, q)) << "property " << q;
            }
        }
    }
}

TEST(ParFormatTest, UnsetMarksAndSignExtension) {
    TParFormat f = DefaultParFormat;
    EXPECT_EQ(GetParProp(f, ppShading), -16777216);  // 0xFF000000 is "none", not unset
    EXPECT_FALSE(ParPropIsUnset(f, ppShading));

    f.Alignment = static_cast<std::int8_t>(0x80);
    EXPECT_EQ(GetParProp(f, ppAlignment), UnsetValue);

    SetParProp(f, ppAlignment, UnsetValue);
    EXPECT_EQ(ByteAt(f, 10), 0x80);
    SetParProp(f, ppFirstIndent, -360);
    EXPECT_EQ(ByteAt(f, 0), 0x98);
    EXPECT_EQ(ByteAt(f, 1), 0xFE);
    EXPECT_EQ(GetParProp(f, ppFirstIndent), -360);

    SetParProp(f, ppList, 0x01020304);  // the unaligned 32-bit field at 27
    EXPECT_EQ(ByteAt(f, 27), 0x04);
    EXPECT_EQ(ByteAt(f, 30), 0x01);
    EXPECT_EQ(GetParProp(f, ppList), 0x01020304);
    const std::int32_t list = f.List;  // fields of the packed record are read by value
    EXPECT_EQ(list, 0x01020304);
}

TEST(ParFormatTest, CopyClearAndWholeRecordTests) {
    EXPECT_TRUE(ParFormatIsClear(UnsetParFormat));
    EXPECT_FALSE(ParFormatIsClear(DefaultParFormat));
    EXPECT_TRUE(ParFormatsEqual(TableParFormat, TableParFormat));
    EXPECT_FALSE(ParFormatsEqual(TableParFormat, DefaultParFormat));
    EXPECT_EQ(GetParProp(TableParFormat, ppInTable), 1);
    EXPECT_EQ(GetParProp(WordBaseParFormat, ppWidowControl), 1);
    EXPECT_TRUE(ParPropIsUnset(RtfBaseParFormat, ppAlignment));
    EXPECT_EQ(GetParProp(RtfBaseParFormat, ppShading), 0);
    EXPECT_EQ(GetParProp(DefaultParFormat, ppLineSpacing), 240);
    EXPECT_EQ(GetParProp(DefaultParFormat, ppOutlineLevel), 9);

    TParFormat f = UnsetParFormat;
    CopyParProp(f, ppTabs, DefaultParFormat);
    EXPECT_EQ(GetParProp(f, ppTabs), 0);
    EXPECT_TRUE(ParPropIsUnset(f, ppStyle));
}

TEST(ParFormatTest, FillOverlayAndIntersect) {
    TParFormat change = UnsetParFormat;
    change.LeftIndent = 720;
    TParFormat f = DefaultParFormat;
    OverlayParFormat(f, change);
    EXPECT_EQ(GetParProp(f, ppLeftIndent), 720);
    EXPECT_EQ(GetParProp(f, ppLineSpacing), 240);

    FillUnsetParFormat(change, DefaultParFormat);
    EXPECT_TRUE(ParFormatsEqual(change, f));

    TParFormat common = DefaultParFormat;
    IntersectParFormats(common, f);
    EXPECT_TRUE(ParPropIsUnset(common, ppLeftIndent));
    EXPECT_EQ(GetParProp(common, ppLineSpacing), 240);
}

TEST(ParFormatTest, SubtractTreatsIndentsAndSpacingAsPairs) {
    struct Case {
        const char* name;
        std::int16_t aFirst, aLeft, bFirst, bLeft;
        bool firstUnset, leftUnset;
    };
    const Case cases[] = {
        {"both equal", 100, 200, 100, 200, true, true},
        {"first zero, left differs", 0, 720, 0, 360, true, false},
        {"first equal but not zero, left differs", -360, 720, -360, 360, false, false},
        {"first differs", 100, 200, 0, 200, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TParFormat a = DefaultParFormat, b = DefaultParFormat;
        a.FirstIndent = c.aFirst;
        a.LeftIndent = c.aLeft;
        b.FirstIndent = c.bFirst;
        b.LeftIndent = c.bLeft;
        SubtractParFormat(a, b);
        EXPECT_EQ(ParPropIsUnset(a, ppFirstIndent), c.firstUnset);
        EXPECT_EQ(ParPropIsUnset(a, ppLeftIndent), c.leftUnset);
    }

    TParFormat a = DefaultParFormat, b = DefaultParFormat;
    a.LineSpacing = 240;
    a.LineSpacingMultiple = 0;  // 240 twips exactly is not single spacing
    a.Alignment = 2;
    SubtractParFormat(a, b);
    EXPECT_EQ(GetParProp(a, ppLineSpacing), 240);
    EXPECT_EQ(GetParProp(a, ppLineSpacingMultiple), 0);
    EXPECT_EQ(GetParProp(a, ppAlignment), 2);
    EXPECT_TRUE(ParPropIsUnset(a, ppOutlineLevel));
    EXPECT_TRUE(ParPropIsUnset(a, ppShading));

    TParFormat same = DefaultParFormat;
    SubtractParFormat(same, DefaultParFormat);
    EXPECT_TRUE(ParFormatIsClear(same));
}

TEST(ParFormatTest, ClipboardDropsWhatTiesAFormatToItsPlace) {
    TParFormat f = DefaultParFormat;
    f.Style = 3;
    f.OutlineLevel = 1;
    f.List = 77;
    f.ListLevel = 2;
    f.InTable = 1;
    f.Collapsed = 1;
    f.Alignment = 1;
    CopyParFormatToClipboard(f, "Heading 1");
    const TParFormatClipboard& c = ParFormatClipboard;
    EXPECT_EQ(c.Full, 1);
    EXPECT_EQ(c.Name, "Heading 1");
    ASSERT_TRUE(c.TableFormats);
    EXPECT_EQ(c.TableFormats->Size, 0);
    EXPECT_EQ(GetParProp(c.Format, ppAlignment), 1);
    for (int p : {ppStyle, ppOutlineLevel, ppList, ppListLevel, ppInTable, ppCollapsed})
        EXPECT_TRUE(ParPropIsUnset(c.Format, p)) << p;

    ParFormatClipboard.TableFormats->AppendByte(1);
    CopyParFormatToClipboard(DefaultParFormat, "");
    EXPECT_EQ(ParFormatClipboard.TableFormats->Size, 0);
}

}  // namespace
