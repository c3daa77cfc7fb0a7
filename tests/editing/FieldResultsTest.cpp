#include "editing/fields/FieldResults.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FieldDoc.h"
#include "ListDoc.h"
#include "base/core/ObjectHandles.h"
#include "editing/lists/ListNumbering.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

std::string Utf8(const std::u16string& text) {
    return Platform::Utf16ToUtf8(text);
}

// 7 March 2025, 14:05:09, a Friday.
TDateTime FixedNow() {
    TDateTime date = 0;
    TDateTime time = 0;
    TryEncodeDate(2025, 3, 7, date);
    TryEncodeTime(14, 5, 9, 0, time);
    return date + time;
}

std::string Result(TDoc& doc, TField& field, TFieldUpdateContext& context) {
    TField_UpdatedValue_Info info;
    ComputeFieldResult(doc, field, info, context);
    EXPECT_EQ(info.Field, &field);
    return Utf8(info.Result);
}

TFieldUpdateContext FixedContext() {
    TFieldUpdateContext context;
    context.Clock = FixedNow;
    return context;
}

// The first date and time formats stand fixed, whatever the machine's
// locale says.
class FieldResultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFieldDateFormatHook([](std::int32_t, bool time) { return time ? u"HH:mm" : u"M/d/yyyy"; });
    }
    void TearDown() override { SetFieldDateFormatHook(nullptr); }
};

// Two pages of a first section numbered from 1, then a section that
// restarts at 5 in lower-case Roman numerals on the third physical page.
TEST_F(FieldResultsTest, PageNumbersFollowSectionRestarts) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& p1 = fixture.AddField(fixture.Add("Page "), "PAGE");
    TField& p2 = fixture.AddField(fixture.Add("Page ", true), "PAGE");
    TSection& second = fixture.BreakSection();
    second.PageNumberStart = 5;
    second.PageNumberStyle = pnLowerRoman;
    TField& p3 = fixture.AddField(fixture.Add("Page "), "PAGE");
    TField& p4 = fixture.AddField(fixture.Add("Page ", true), "PAGE");
    fixture.Paginate();
    ASSERT_EQ(doc.Pages.Count, 4);

    struct Case {
        TField* Field;
        const char* Instruction;
        const char* Expected;
    };
    const Case cases[] = {
        {&p1, "PAGE", "1"},
        {&p2, "PAGE", "2"},
        {&p2, "PAGE \\* ROMAN", "II"},
        {&p2, "PAGE \\* alphabetic", "b"},
        {&p3, "PAGE", "v"},
        {&p3, "PAGE \\* roman", "v"},
        {&p3, "PAGE \\* Arabic", "v"},
        {&p3, "PAGE \\* ALPHABETIC", "E"},
        {&p4, "PAGE", "vi"},
        {&p4, "PAGE \\* ROMAN \\* Lower", "vi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        c.Field->Instruction = Platform::Utf8ToUtf16(c.Instruction);
        TFieldUpdateContext context = FixedContext();
        EXPECT_EQ(Result(doc, *c.Field, context), c.Expected);
    }

    // A per-page header update names its page: page 4 counts from the
    // restart like the text of that page.
    TFieldUpdateContext perPage = FixedContext();
    perPage.CurrentPage = 4;
    perPage.CurrentSection = &second;
    p1.Instruction = u"PAGE";
    EXPECT_EQ(Result(doc, p1, perPage), "vi");
}

TEST_F(FieldResultsTest, PageCountsAndSections) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& first = fixture.Add("one ");
    TField& numPages = fixture.AddField(first, "NUMPAGES");
    TField& section1 = fixture.AddField(first, "SECTION");
    TField& pages1 = fixture.AddField(first, "SECTIONPAGES");
    fixture.Add("two", true);
    fixture.BreakSection();
    TPar& last = fixture.Add("three ");
    TField& section2 = fixture.AddField(last, "SECTION \\* ROMAN");
    TField& pages2 = fixture.AddField(last, "SECTIONPAGES");
    fixture.Add("four", true);
    fixture.Add("five", true);
    fixture.Paginate();
    ASSERT_EQ(doc.Pages.Count, 5);

    TFieldUpdateContext context = FixedContext();
    EXPECT_EQ(Result(doc, numPages, context), "5");
    EXPECT_EQ(Result(doc, section1, context), "1");
    EXPECT_EQ(Result(doc, pages1, context), "2");
    EXPECT_EQ(Result(doc, section2, context), "II");
    EXPECT_EQ(Result(doc, pages2, context), "3");

    // A page-field update shows the counts kept when pagination completed.
    doc.FieldPageCount = 9;
    TFieldUpdateContext update = FixedContext();
    update.PageFieldUpdate = true;
    EXPECT_EQ(Result(doc, numPages, update), "9");
}

TEST_F(FieldResultsTest, DatesUnderEveryPicture) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& field = fixture.AddField(fixture.Add("Today "), "DATE");
    struct Case {
        const char* Instruction;
        TDateTime Created;
        const char* Expected;
    };
    const Case cases[] = {
        {"DATE", 0, "3/7/2025"},
        {"TIME", 0, "14:05"},
        {"DATE \\@ \"dd.MM.yy\"", 0, "07.03.25"},
        {"DATE \\@ \"dddd, MMMM d, yyyy\"", 0, "Friday, March 7, 2025"},
        {"DATE \\@ \"ddd d MMM\"", 0, "Fri 7 Mar"},
        {"DATE \\@ \"h:mm AM/PM\"", 0, "2:05 PM"},
        {"TIME \\@ \"HH:mm:ss\"", 0, "14:05:09"},
        {"TIME \\@ \"'at' H 'o''clock'\"", 0, "at 14 o'clock"},
        {"DATE \\@ \"MMMM\" \\* Upper", 0, "MARCH"},
        {"CREATEDATE", 0, ""},
        {"CREATEDATE \\@ \"yyyy-MM-dd\"", 45000, "2023-03-15"},
        {"SAVEDATE", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        field.Instruction = Platform::Utf8ToUtf16(c.Instruction);
        const std::u16string keyword = field.Instruction.substr(0, field.Instruction.find(u' '));
        field.Type = static_cast<std::uint8_t>(FieldTypeOfKeyword(keyword));
        TFieldUpdateContext context = FixedContext();
        context.Info.CreationDate = c.Created;
        EXPECT_EQ(Result(doc, field, context), c.Expected);
    }
}

TEST_F(FieldResultsTest, DocumentPropertiesAndSwitches) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    doc.FileName = "/home/ana/letters/Offer.rtf";
    TField& field = fixture.AddField(fixture.Add("x "), "TITLE");
    struct Case {
        const char* Instruction;
        const char* Expected;
    };
    const Case cases[] = {
        {"TITLE", "the quiet year"},
        {"TITLE \\* Upper", "THE QUIET YEAR"},
        {"TITLE \\* FirstCap", "The quiet year"},
        {"TITLE \\* Caps", "The Quiet Year"},
        {"TITLE \\* Lower \\* Upper", "THE QUIET YEAR"},  // the first switch of the order wins
        {"SUBJECT", "Hiring"},
        {"AUTHOR", "Ana Pop"},
        {"KEYWORDS \\* Lower", "offer, staff"},
        {"COMMENTS", ""},
        {"LASTSAVEDBY", "Ana Pop"},  // nobody saved it: the author
        {"FILENAME", "Offer.rtf"},
        {"FILENAME \\p", "/home/ana/letters/Offer.rtf"},
        {"FILENAME \\* Upper", "OFFER.RTF"},
        {"FILESIZE", "3500000"},
        {"FILESIZE \\k", "3417"},
        {"FILESIZE \\m", "3"},
        {"FILESIZE \\k \\m", "3417"},
        {"FILESIZE \\m \\* roman", "iii"},
        {"FILESIZE \\m \\* ALPHABETIC", "C"},
        {"NUMWORDS", "2"},  // "x" and the field's own "?"
        {"NUMCHARS", "2"},
        {"SYMBOL 65", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        field.Instruction = Platform::Utf8ToUtf16(c.Instruction);
        const std::u16string keyword = field.Instruction.substr(0, field.Instruction.find(u' '));
        field.Type = static_cast<std::uint8_t>(FieldTypeOfKeyword(keyword));
        TFieldUpdateContext context = FixedContext();
        context.Info.Title = u"the quiet year";
        context.Info.Subject = u"Hiring";
        context.Info.Author = u"Ana Pop";
        context.Info.Keywords = u"Offer, Staff";
        context.Info.FileSize = 3500000;
        EXPECT_EQ(Result(doc, field, context), c.Expected);
    }
}

TEST_F(FieldResultsTest, AuthorAndLastSavedByInTheirCases) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& author = fixture.AddField(fixture.Add(""), "AUTHOR");
    TField& saver = fixture.AddField(fixture.Add(""), "LASTSAVEDBY");
    struct Case {
        const char* Name;
        const char16_t* LastSavedBy;
        bool Known;
        bool Clip;
        const char* Author;
        const char* Saver;
    };
    const Case cases[] = {
        {"saved by someone", u"Bo", false, false, "Ana", "Bo"},
        {"known to be nobody", u"", true, false, "Ana", ""},
        {"never saved", u"", false, false, "Ana", "Ana"},
        {"a clip shows the user", u"Bo", false, true, "Me", "Me"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFieldUpdateContext context = FixedContext();
        context.Info.Author = u"Ana";
        context.Info.UserName = u"Me";
        context.Info.LastSavedBy = c.LastSavedBy;
        context.Info.LastSavedByKnown = c.Known;
        context.Info.PreparingClip = c.Clip;
        EXPECT_EQ(Result(doc, author, context), c.Author);
        EXPECT_EQ(Result(doc, saver, context), c.Saver);
    }
}

TEST_F(FieldResultsTest, LongResultsAreCutAndStoredResultsComeBack) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& field = fixture.AddField(fixture.Add(""), "TITLE");
    TFieldUpdateContext context = FixedContext();
    context.Info.Title = std::u16string(300, u'x');
    EXPECT_EQ(Result(doc, field, context), std::string(256, 'x'));

    // While an undo puts stored results back, nothing is computed.
    field.ResultText = "kept";
    doc.StateFlags[sfRestoringFieldResults] = 1;
    EXPECT_EQ(Result(doc, field, context), "kept");
    doc.StateFlags[sfRestoringFieldResults] = 0;
}

TEST_F(FieldResultsTest, PageReferences) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& top = fixture.Add("Start ");
    fixture.AddBookmark(top, "here", "marked");
    TPar& middle = fixture.Add("See ");
    TField& ref = fixture.AddField(middle, "PAGEREF here \\p");
    TPar& same = fixture.Add("Also ");
    fixture.AddBookmark(same, "later", "x");
    TPar& next = fixture.Add("Next page ", true);
    fixture.AddBookmark(next, "far", "y");
    TSection& tail = fixture.BreakSection();
    tail.PageNumberStart = 10;
    TPar& restarted = fixture.Add("Restarted ", true);
    fixture.AddBookmark(restarted, "restarted", "z");
    fixture.Paginate();
    ASSERT_EQ(doc.Pages.Count, 3);

    struct Case {
        const char* Instruction;
        const char* Expected;
    };
    const Case cases[] = {
        {"PAGEREF here", "1"},
        {"PAGEREF HERE", "1"},  // bookmark names compare without case
        {"PAGEREF here \\p", "above"},
        {"PAGEREF later \\p", "below"},
        {"PAGEREF far \\p", "on page 2"},
        {"PAGEREF far \\* ROMAN", "II"},
        {"PAGEREF restarted", "10"},
        {"PAGEREF restarted \\p \\* Upper", "ON PAGE 10"},
        {"PAGEREF nowhere", "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        ref.Instruction = Platform::Utf8ToUtf16(c.Instruction);
        TFieldUpdateContext context = FixedContext();
        EXPECT_EQ(Result(doc, ref, context), c.Expected);
    }

    // A bookmark whose paragraph is not laid out yet gives "?".
    doc.DestroyLayout();
    ref.Instruction = u"PAGEREF here";
    TFieldUpdateContext context = FixedContext();
    EXPECT_EQ(Result(doc, ref, context), "?");
}

TEST_F(FieldResultsTest, NoteReferenceNotFound) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& field = fixture.AddField(fixture.Add("see "), "NOTEREF missing \\h");
    TField_UpdatedValue_Info info;
    TFieldUpdateContext context = FixedContext();
    ComputeFieldResult(doc, field, info, context);
    EXPECT_EQ(Utf8(info.Result), "Note reference not found!");
    EXPECT_TRUE(CharFormatIsClear(info.Format) || info.Format[caBold] == UnsetValue);
}

TEST_F(FieldResultsTest, NoteReferencesShowTheNoteNumberOrMark) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    // "See " then a bookmark "note" around a note reference whose mark is a
    // bold "*"; the NOTEREF field follows in the next paragraph.
    TPar& par = fixture.Add("See ");
    auto* bookmark = new TField;
    bookmark->Kind = fkBookmark;
    bookmark->Instruction = u"note";
    auto* note = new TField;
    note->Kind = fkNoteRef;
    note->ResultText = "3";
    doc.Fields.Add(bookmark);
    doc.Fields.Add(note);
    par.Stream.SetSize(par.Stream.Size - FormatControlSize);
    par.Chars.SetSize(par.Chars.Size - 1);
    AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(bookmark)));
    AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(note)));
    AppendFormatControl(par.Stream, caBold, 1);
    par.Stream.AppendByte('*');
    par.Chars.AppendByte('*');
    AppendFormatControl(par.Stream, caBold, 0);
    AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(note)));
    AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(bookmark)));
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
    par.Changed();
    TField& field = fixture.AddField(fixture.Add("As said in "), "NOTEREF note");

    struct Case {
        const char* Instruction;
        bool AutoNumber;
        const char* Expected;
        std::int32_t Bold;
    };
    const Case cases[] = {
        {"NOTEREF note", true, "3", 0},
        {"NOTEREF note \\f", true, "3", 1},
        {"NOTEREF note \\h", false, "*", 0},
        {"NOTEREF NOTE \\f \\* Upper", false, "*", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        field.Instruction = Platform::Utf8ToUtf16(c.Instruction);
        note->Flags = c.AutoNumber ? ffAutoNumber : 0;
        TField_UpdatedValue_Info info;
        TFieldUpdateContext context = FixedContext();
        ComputeFieldResult(doc, field, info, context);
        EXPECT_EQ(Utf8(info.Result), c.Expected);
        EXPECT_EQ(info.Format[caBold], c.Bold);
    }
}

TEST_F(FieldResultsTest, StyleReferences) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    // Styles of our own, so the test does not depend on built-in names.
    for (const char* name : {"Normal", "Chapter"}) {
        auto* style = new TStyle(doc.Styles);
        style->Name = name;
        doc.Styles->AddStyle(style);
    }
    const std::int32_t chapter = doc.Styles->Count - 1;

    TPar& intro = fixture.Add("Beginnings");
    intro.Format.Style = static_cast<std::int16_t>(chapter);
    TPar& body = fixture.Add("Text ");
    TField& field = fixture.AddField(body, "STYLEREF Chapter");
    TPar& later = fixture.Add("Endings");
    later.Format.Style = static_cast<std::int16_t>(chapter);

    struct Case {
        const char* Instruction;
        const char* Expected;
    };
    const Case cases[] = {
        {"STYLEREF Chapter", "Beginnings"},
        {"STYLEREF \"Chapter\" \\* Upper", "BEGINNINGS"},
        {"STYLEREF Chapter \\n", "The closest paragraph with style \"Chapter\" doesn't include numbering!"},
        {"STYLEREF Missing", "No paragraph with style \"Missing\" could be found!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        field.Instruction = Platform::Utf8ToUtf16(c.Instruction);
        TFieldUpdateContext context = FixedContext();
        EXPECT_EQ(Result(doc, field, context), c.Expected);
    }

    // Without a paragraph of the style above, the search goes on below.
    intro.Format.Style = 0;
    field.Instruction = u"STYLEREF Chapter";
    TFieldUpdateContext context = FixedContext();
    EXPECT_EQ(Result(doc, field, context), "Endings");

    // The field's own paragraph is never the one it shows, even in the
    // style and at the top of the document.
    TFieldDoc top;
    for (const char* name : {"Normal", "Chapter"}) {
        auto* style = new TStyle(top.Doc().Styles);
        style->Name = name;
        top.Doc().Styles->AddStyle(style);
    }
    TPar& own = top.Add("Heading ");
    own.Format.Style = 1;
    TField& first = top.AddField(own, "STYLEREF Chapter");
    top.Add("Text");
    EXPECT_EQ(Result(top.Doc(), first, context), "No paragraph with style \"Chapter\" could be found!");
}

}  // namespace
