#include "editing/search/PerformReplacement.h"

#include <gtest/gtest.h>

#include "SearchDoc.h"
#include "editing/search/PatternMatcher.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TToken.h"
#include "model/undo/TOperation.h"
#include "platform/CodePages.h"

namespace {

class PerformReplacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        SearchOptions = 0;
        FindFormat.Clear();
        ReplaceFormat.Clear();
    }
    void TearDown() override {
        SearchOptions = 0;
        ReplaceFormat.Clear();
    }

    // Replaces the first occurrence of find in the document's text and
    // returns the text afterwards ("?" when nothing was found).
    static std::string ReplaceFirst(TSearchDoc& doc,
                                    const std::u16string& find,
                                    const std::u16string& replace,
                                    bool wildcards) {
        const std::uint8_t options = wildcards ? soWildcards : 0;
        if (!TSearchDoc::Compile(find, options))
            return "find refused: " + PatternError;
        std::int32_t position = 1;
        if (!TToken::Compile(ReplacePattern, replace, position, wildcards, true, 0))
            return "replace refused: " + PatternError;
        TSearchResult result;
        SearchFrom(doc.Doc(), doc.State, TTextPos{}, result, 0, TTextPos{});
        if (!result.Found)
            return "?";
        TFragment found;
        MakeFragmentFromPositions(result.FoundStart, result.FoundEnd, found);
        auto* op = new TOperation(&doc.Doc(), 0);
        doc.Doc().BeginOperation(op);
        PerformReplacement(doc.Doc(), doc.State, found);
        doc.Doc().EndOperation();
        doc.Doc().CommitOperation(op);
        return doc.Text();
    }
};

TEST_F(PerformReplacementTest, PiecesAndGroupReferences) {
    struct Case {
        const char* Text;
        const char16_t* Find;
        const char16_t* Replace;
        bool Wildcards;
        const char* Result;
    };
    const Case cases[] = {
        {"<ab>", u"(a)(b)", u"\\2\\1", true, "<ba>\r"}, {"<ab>", u"(a)(b)", u"X\\1Y", true, "<XaY>\r"},
        {"<a>", u"(a)", u"\\1\\1", true, "<aa>\r"},     {"<ab>", u"(a)(b)", u"\\2", true, "<b>\r"},
        {"<ab>", u"(a)(b)", u"\\1", true, "<a>\r"},     {"<abc>", u"(a)b(c)", u"\\2-\\1", true, "<c-a>\r"},
        {"<abc>", u"abc", u"", false, "<>\r"},          {"<xy>", u"x|y", u"z", true, "<xz>\r"},
        {"<ab>", u"ab", u"^&^&", false, "<abab>\r"},    {"<ab>", u"ab", u"[^&]", false, "<[ab]>\r"},
        {"one two", u" ", u"^p", false, "one\rtwo\r"},  {"a^b", u"^^", u"^t", false, "a\tb\r"},
        {"x1y", u"x(^#)y", u"<\\1>", true, "<1>\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " / " + Platform::Utf16ToUtf8(c.Find) + " -> " +
                     Platform::Utf16ToUtf8(c.Replace));
        TSearchDoc doc(c.Text, false);
        EXPECT_EQ(ReplaceFirst(doc, c.Find, c.Replace, c.Wildcards), c.Result);
    }
}

TEST_F(PerformReplacementTest, EmptyReplaceTextWithAFormatKeepsTheText) {
    TSearchDoc doc("plain bold", false);
    ReplaceFormat.CharFormat[caBold] = 1;
    EXPECT_EQ(ReplaceFirst(doc, u"bold", u"", false), "plain bold\r");
    TCharFormat format;
    doc.Doc().FormatAtPos(TTextPos{0, 7, 0, 0}, format);
    EXPECT_EQ(format[caBold], 1);
    doc.Doc().FormatAtPos(TTextPos{0, 2, 0, 0}, format);
    EXPECT_EQ(format[caBold], 0);
}

// Literal text takes the attributes common to the whole match.
TEST_F(PerformReplacementTest, LiteralTextTakesTheMatchFormat) {
    TSearchDoc doc("aa bb cc", false);
    ReplaceFormat.CharFormat[caItalic] = 1;
    ASSERT_EQ(ReplaceFirst(doc, u"bb", u"", false), "aa bb cc\r");
    ReplaceFormat.Clear();
    ASSERT_EQ(ReplaceFirst(doc, u"bb", u"XYZ", false), "aa XYZ cc\r");
    TCharFormat format;
    doc.Doc().FormatAtPos(TTextPos{0, 4, 0, 0}, format);
    EXPECT_EQ(format[caItalic], 1);
    doc.Doc().FormatAtPos(TTextPos{0, 1, 0, 0}, format);
    EXPECT_EQ(format[caItalic], 0);
}

TEST_F(PerformReplacementTest, ShiftForReplacement) {
    struct Case {
        TTextPos Pos, OldStart, OldEnd, NewEnd, Result;
    };
    auto P = [](std::int32_t par, std::int32_t offset) { return TTextPos{par, offset, 0, 0}; };
    const Case cases[] = {
        {P(0, 1), P(0, 2), P(0, 4), P(0, 3), P(0, 1)},  // before: stays
        {P(0, 3), P(0, 2), P(0, 4), P(0, 3), P(0, 3)},  // inside: to the new end
        {P(0, 6), P(0, 2), P(0, 4), P(0, 3), P(0, 5)},  // after, same paragraph
        {P(2, 6), P(0, 2), P(1, 4), P(0, 3), P(1, 6)},  // later paragraph: one paragraph fewer
        {P(1, 6), P(0, 2), P(1, 4), P(0, 3), P(0, 5)},  // the old end's paragraph joins
        {P(0, 5), P(0, 2), P(0, 2), P(1, 1), P(1, 4)},  // inserted paragraph end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Pos.Par * 100 + c.Pos.Offset);
        const TTextPos r = ShiftForReplacement(c.Pos, c.OldStart, c.OldEnd, c.NewEnd);
        EXPECT_EQ(r.Par, c.Result.Par);
        EXPECT_EQ(r.Offset, c.Result.Offset);
    }
}

}  // namespace
