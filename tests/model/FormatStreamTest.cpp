#include "model/formats/FormatStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Bytes(const TMemory& m) {
    return std::string(m.View());
}

TEST(FormatStreamTest, ControlsAreSevenLittleEndianBytes) {
    TMemory s;
    AppendFormatControl(s, caSize, 0x01020304);
    EXPECT_EQ(Bytes(s), std::string("\x00\x01\x04\x03\x02\x01\x01", 7));
    AppendFormatControl(s, fcFieldStart, -1);
    EXPECT_EQ(Bytes(s).substr(7), std::string("\x00\x1D\xFF\xFF\xFF\xFF\x01", 7));

    s.AssignString("ab");
    InsertFormatControl(s, 1, caBold, 1);
    EXPECT_EQ(Bytes(s), std::string("a\x00\x02\x01\x00\x00\x00\x01"
                                    "b",
                                    9));
    EXPECT_TRUE(ControlEndsAt(s.Data, 8));
    EXPECT_FALSE(ControlEndsAt(s.Data, 9));
    EXPECT_FALSE(ControlEndsAt(s.Data, 6));
}

TEST(FormatStreamTest, CharFormatControlsAndParagraphMarks) {
    TMemory s;
    AppendCharFormatControls(s, DefaultCharFormat);
    ASSERT_EQ(s.Size, 23 * 7);
    for (int i = 0; i < CharAttrCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.Data[i * 7 + 1], i);
        EXPECT_EQ(FormatControlValue(s.Data + i * 7), DefaultCharFormat[i]);
    }

    TMemory mark;
    AppendParagraphMark(mark, TableParFormat);
    ASSERT_EQ(mark.Size, 42);
    EXPECT_EQ(mark.Data[0], 0x1D);
    EXPECT_EQ(mark.Data[1], 0x1E);
    EXPECT_EQ(std::memcmp(mark.Data + 2, &TableParFormat, 40), 0);
}

TEST(FormatStreamTest, ElementsOfAStreamIncludingACutOffControl) {
    TMemory s;
    s.AssignString("abc");
    AppendFormatControl(s, fcSpecialChar, chTab);
    s.AppendString("d");
    s.AppendBuffer("\x00\x02\x01", 3);

    struct Expected {
        std::int32_t offset, length;
        bool control, truncated;
        std::uint8_t code;
    };
    const Expected expected[] = {{0, 3, false, false, 0},
                                 {3, 7, true, false, fcSpecialChar},
                                 {10, 1, false, false, 0},
                                 {11, 3, true, true, 0xFF}};
    TStreamElement e;
    std::int32_t off = 0;
    for (const Expected& x : expected) {
        SCOPED_TRACE(x.offset);
        ASSERT_LT(off, s.Size);
        ReadStreamElement(s.Data, s.Size, off, e);
        EXPECT_EQ(e.Offset, x.offset);
        EXPECT_EQ(e.Length, x.length);
        EXPECT_EQ(e.IsControl, x.control);
        EXPECT_EQ(e.Truncated, x.truncated);
        if (x.control) {
            EXPECT_EQ(e.Code, x.code);
        }
        off += e.Length;
    }
    EXPECT_EQ(off, s.Size);
}

TEST(FormatStreamTest, CharacterCodesOfPositionControls) {
    EXPECT_EQ(ControlCharCode(fcSpecialChar, chParEnd), chParEnd);
    EXPECT_EQ(ControlCharCode(fcUnicodeChar, 0x263A), chUnicode);
    EXPECT_EQ(ControlCharCode(fcSectionBreak, 5), chSectionBreak);
    EXPECT_EQ(ControlCharCode(fcCellEnd, 0), chCellEnd);
    EXPECT_EQ(ControlCharCode(fcRowEnd, 0), chRowEnd);
    EXPECT_EQ(ControlCharCode(fcShapeAnchor, 5), chShapeAnchor);
    EXPECT_FALSE(ControlTakesPosition(caLanguage));
    EXPECT_FALSE(ControlTakesPosition(fcFieldStart));
    EXPECT_FALSE(ControlTakesPosition(fcFieldEnd));
    EXPECT_TRUE(ControlTakesPosition(fcShapeAnchor));
}

}  // namespace
