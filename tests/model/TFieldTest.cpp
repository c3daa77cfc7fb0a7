#include "model/fields/TField.h"

#include <gtest/gtest.h>

#include "DocFixture.h"
#include "base/core/DateTime.h"
#include "model/document/TSection.h"
#include "model/fields/FieldFormats.h"
#include "platform/CodePages.h"

namespace {

TEST(FieldTest, KeywordTableHasEveryCodeAndFindsKeywordsWithoutCase) {
    for (int type = 0; type < FieldTypeCount; ++type) {
        ASSERT_NE(FieldKeywords[type], nullptr) << type;
        if (FieldKeywords[type][0] != '?') {
            EXPECT_EQ(FieldTypeOfKeyword(Platform::Utf8ToUtf16(FieldKeywords[type])), type) << FieldKeywords[type];
        }
    }
    EXPECT_STREQ(FieldKeywords[95], "SHAPE");
    EXPECT_STREQ(FieldKeywords[88], "HYPERLINK");
    EXPECT_EQ(FieldTypeOfKeyword(u"hyperlink"), ftHyperlink);
    EXPECT_EQ(FieldTypeOfKeyword(u"EX"), ftIndexEntry);
    EXPECT_EQ(FieldTypeOfKeyword(u"e"), ftIndexEntry);
    EXPECT_EQ(FieldTypeOfKeyword(u"?"), -1);
    EXPECT_EQ(FieldTypeOfKeyword(u"PAGES"), -1);
    EXPECT_EQ(FieldTypeOfKeyword(u""), -1);

    EXPECT_STREQ(FieldDisplayNames[ftPageRef], "Page Reference");
    EXPECT_STREQ(FieldDisplayNames[ftListNum], "List Element");
    EXPECT_STREQ(FieldDisplayNames[ftIndexEntry], "");
    int named = 0;
    for (const char* name : FieldDisplayNames)
        named += name[0] != 0;
    EXPECT_EQ(named, 26);
}

TEST(FieldTest, SwitchWordsOfFourLanguagesMapToEnglish) {
    struct Case {
        std::u16string word;
        const char* english;
    };
    const Case cases[] = {
        {u"ARABE", "ARABIC"},
        {u"arábigo", "ARABIC"},
        {u"Alphabetisch", "ALPHABETIC"},
        {u"RÖMISCHGROSSBUCHSTABEN", "ROMANUPPER"},
        {u"FUSIONFORMAT", "MERGEFORMAT"},
        {u"ordinal", "ORDINAL"},
        {u"MERGEFORMAT", "MERGEFORMAT"},
        {u"WÄHRUNGSTEXT", "DOLLARTEXT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        const char* english = TranslateFieldSwitch(c.word);
        ASSERT_NE(english, nullptr);
        EXPECT_STREQ(english, c.english);
    }
    EXPECT_EQ(TranslateFieldSwitch(u"ROMAN"), nullptr);
}

TEST(FieldTest, NumberStylesAndPageNumberFormats) {
    struct Case {
        std::int32_t n, style;
        bool pageFormat;
        std::string text;
    };
    const Case cases[] = {
        // Number styles.
        {12, 0, false, "12"},
        {28, 2, false, "BB"},
        {27, 1, false, "aa"},
        {4, 3, false, "iv"},
        {1994, 4, false, "MCMXCIV"},
        {0, 2, false, ""},
        {-3, 0, false, "-3"},
        // Page-number formats.
        {9, 0, true, "9"},
        {9, 1, true, "IX"},
        {9, 2, true, "ix"},
        {27, 3, true, "AA"},
        {2, 4, true, "b"},
        {5, 9, true, "**"},
        {6, 9, true, "\x86\x86"},
        {4, 7, true, "\xA7"},
        {7, 5, true, "\x87\x87"},
        {0, 9, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + "/" + std::to_string(c.style));
        EXPECT_EQ(c.pageFormat ? FormatPageNumber(c.n, c.style) : FormatNumberStyle(c.n, c.style), c.text);
    }
    // A corrupt start value does not fill the memory with letters.
    EXPECT_EQ(FormatNumberStyle(0x7FFFFFFF, 2).size(), static_cast<std::size_t>(MaxRepeatedNumberChars));
    EXPECT_EQ(FormatPageNumber(0x7FFFFFFF, 9).size(), static_cast<std::size_t>(MaxRepeatedNumberChars));
    EXPECT_LE(FormatNumberStyle(0x7FFFFFFF, 4).size(), static_cast<std::size_t>(MaxRepeatedNumberChars) + 20);
}

TDateTime At(int year, int month, int day, int hour, int minute, int second) {
    TDateTime date = 0, time = 0;
    EXPECT_TRUE(TryEncodeDate(year, month, day, date));
    EXPECT_TRUE(TryEncodeTime(hour, minute, second, 0, time));
    return date + time;
}

TEST(FieldTest, DatePicturesInTheLanguagesConventions) {
    const TDateTime afternoon = At(2024, 3, 5, 14, 7, 9);
    struct Case {
        std::u16string picture;
        std::int32_t language;
        std::u16string text;
    };
    const Case cases[] = {
        {u"dddd, MMMM d, yyyy h:mm:ss tt", 1033, u"Tuesday, March 5, 2024 2:07:09 PM"},
        {u"dd/MM/yy HH:mm", 1033, u"05/03/24 14:07"},
        {u"ddd d MMM y", 1033, u"Tue 5 Mar 24"},
        {u"h:mm am/pm A/P", 1033, u"2:07 pm P"},
        {u"'le' d MMMM yyyy", 1036, u"le 5 mars 2024"},
        {u"dddd", 1036, u"mardi"},
        {u"hh 'h' mm", 1036, u"02 h 07"},
        {u"'it''s' s", 1033, u"it's 9"},
        // Month names take their form inside a date, and their own alone.
        {u"d MMMM", 1049, u"5 марта"},
        {u"MMMM yyyy", 1049, u"март 2024"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.picture));
        EXPECT_EQ(FormatDatePicture(c.picture, c.language, afternoon), c.text);
    }
    EXPECT_EQ(FormatDatePicture(u"h tt", 1033, At(2024, 1, 1, 0, 30, 0)), u"12 AM");
    // The short date of the language: its day, month and year, whatever
    // order the locale gives them.
    const std::u16string shortDate = FormatDatePicture(u"ddddd", 1033, afternoon);
    EXPECT_NE(shortDate.find(u'3'), std::u16string::npos);
    EXPECT_NE(shortDate.find(u'5'), std::u16string::npos);
    EXPECT_NE(shortDate.find(u"24"), std::u16string::npos);
    EXPECT_EQ(FormatDatePicture(u"yyyy", 1033, 1e300), u"");
}

TEST(FieldTest, FieldResultsThroughTheSwitches) {
    TField field;
    field.Type = ftDate;
    const TDateTime when = At(2024, 3, 5, 14, 7, 9);

    field.Instruction = uR"(DATE \@ "dddd d MMMM" \* Upper)";
    EXPECT_EQ(field.FormatDateText(1036, when), u"MARDI 5 MARS");
    EXPECT_EQ(field.FormatDateText(1036, 0), u"");

    // Without a picture the language's first formats stand in.
    SetFieldDateFormatHook(
        [](std::int32_t language, bool time) { return std::u16string(time ? u"HH:mm" : u"yyyy-MM-dd"); });
    field.Instruction = u"DATE";
    EXPECT_EQ(field.FormatDateText(1033, when), u"2024-03-05");
    field.Type = ftTime;
    field.Instruction = u"TIME";
    EXPECT_EQ(field.FormatDateText(1033, when), u"14:07");
    SetFieldDateFormatHook(nullptr);
    EXPECT_EQ(FieldDateFormat(1036, false), u"dd/MM/yy");

    field.Type = ftPageNumber;
    struct Case {
        std::u16string instruction;
        std::int32_t n;
        std::u16string text;
    };
    const Case cases[] = {
        {uR"(PAGE \* ROMAN)", 14, u"XIV"},
        {uR"(PAGE \* roman \* Upper)", 14, u"XIV"},
        {uR"(PAGE \* ALPHABETIC \* Lower)", 3, u"c"},
        {uR"(PAGE)", 3, u"3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.instruction));
        field.Instruction = c.instruction;
        EXPECT_EQ(field.FormatNumberText(c.n, 0), c.text);
    }
}

TEST(FieldTest, CaseSwitches) {
    struct Case {
        std::u16string instruction;
        std::u16string text;
        std::u16string result;
    };
    const Case cases[] = {
        {uR"(TITLE \* Upper)", u"Ärger am See", u"ÄRGER AM SEE"},
        {uR"(TITLE \* Lower)", u"ÉCOLE Nord", u"école nord"},
        {uR"(TITLE \* FirstCap)", u"the QUICK fox", u"The quick fox"},
        {uR"(TITLE \* Caps)", u"the QUICK fox-trot 2nd", u"The Quick Fox-Trot 2nd"},
        {uR"(TITLE)", u"As Is", u"As Is"},
        // Upper is looked for first, wherever it stands.
        {uR"(TITLE \* Caps \* Upper)", u"ab cd", u"AB CD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.instruction));
        TField field;
        field.Instruction = c.instruction;
        EXPECT_EQ(field.ApplyCaseSwitch(c.text), c.result);
    }
}

TEST(FieldTest, NamesAndHyperlinkSwitch) {
    TField field;
    field.Type = ftHyperlink;
    field.Instruction = uR"(HYPERLINK "x")";
    EXPECT_EQ(field.GetName(), u"Hyperlink");
    field.Type = 3;
    field.Instruction = uR"(REF Mark \h)";
    EXPECT_EQ(field.GetName(), u"REF");
    field.Instruction = u"QUOTE";
    EXPECT_EQ(field.GetName(), u"QUOTE");

    EXPECT_FALSE(field.HasHyperlinkSwitch());  // REF is neither PAGEREF nor NOTEREF
    field.Type = ftPageRef;
    field.Instruction = uR"(PAGEREF _Toc1 \h)";
    EXPECT_TRUE(field.HasHyperlinkSwitch());
    field.Type = ftNoteRef;
    field.Instruction = uR"(NOTEREF _Ref1 \f)";
    EXPECT_FALSE(field.HasHyperlinkSwitch());
}

TEST(FieldTest, NoteNumbersFollowTheSectionsNoteFormats) {
    TSection section(nullptr);
    section.FootnoteSettings.NumberFormat = 9;
    section.EndnoteSettings.NumberFormat = 3;
    TField body;
    TField reference;
    reference.Partner = &body;

    EXPECT_TRUE(reference.SetNoteNumber(&section, 6));
    EXPECT_EQ(reference.ResultText, "\x86\x86");
    EXPECT_EQ(reference.Number, 6);
    EXPECT_FALSE(reference.SetNoteNumber(&section, 6));
    body.Endnote = 1;
    EXPECT_TRUE(reference.SetNoteNumber(&section, 28));
    EXPECT_EQ(reference.ResultText, "BB");
    EXPECT_TRUE(reference.SetNoteNumber(nullptr, 28));
    EXPECT_EQ(reference.ResultText, "28");
}

TEST(FieldTest, FindReferencedNoteThroughItsBookmark) {
    TDocFixture f;
    TField& start = f.Objects.Field("B1", fkBookmark);
    start.Instruction = u"AtStart";
    TField& around = f.Objects.Field("B2", fkBookmark);
    around.Instruction = u"Around";
    TField& empty = f.Objects.Field("B3", fkBookmark);
    empty.Instruction = u"Empty";
    TField& r1 = f.Objects.Field("R1", fkNoteRef);
    TField& r2 = f.Objects.Field("R2", fkNoteRef);
    f.Add("a{fs:B1}{fs:R1}{noteref}{fe:R1}{fe:B1}b{fs:B3}{fe:B3}c{par}");
    f.Add("{fs:B2}word{fs:R2}{noteref}{fe:R2}{fe:B2}{par}");

    TField noteRef;
    noteRef.Type = ftNoteRef;
    struct Case {
        std::u16string instruction;
        const TField* note;
    };
    const Case cases[] = {
        {uR"(NOTEREF AtStart \h)", &r1}, {uR"(NOTEREF around)", &r2},  // the note at the bookmark's last character
        {uR"(NOTEREF Empty)", nullptr},  {uR"(NOTEREF Missing)", nullptr}, {uR"(NOTEREF)", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.instruction));
        noteRef.Instruction = c.instruction;
        EXPECT_EQ(noteRef.FindReferencedNote(f.Doc()), c.note);
    }
}

}  // namespace
