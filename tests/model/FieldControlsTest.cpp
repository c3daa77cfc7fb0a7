// The walk over field boundaries that the field index, the field-mark undo
// step and the document's field queries share: which controls it reports,
// the character positions it gives them, ranges, stopping early, and a
// stream cut off inside a control.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/core/TMemory.h"
#include "model/formats/FieldControls.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"

namespace {

// A stream written as tokens: a word is text, "<N" and ">N" the start and
// end of field N, "b" a bold change, "t" a tab (a control that takes a
// position), "cut" the first three bytes of a control.
void Write(TMemory& stream, const std::vector<std::string>& tokens) {
    for (const std::string& t : tokens) {
        if (t[0] == '<' || t[0] == '>')
            AppendFormatControl(stream, t[0] == '<' ? fcFieldStart : fcFieldEnd, std::stoi(t.substr(1)));
        else if (t == "b")
            AppendFormatControl(stream, caBold, 1);
        else if (t == "t")
            AppendFormatControl(stream, fcSpecialChar, chTab);
        else if (t == "cut")
            stream.AppendBuffer("\0\x1d\x05", 3);
        else
            stream.AppendString(t);
    }
}

// What the walk reports, as "<N@pos" and ">N@pos" joined by blanks.
std::string Walk(const TMemory& stream, std::int32_t from, std::int32_t to) {
    std::string out;
    ForEachFieldControl(stream, from, to, [&out](const TFieldControl& c) {
        if (!out.empty())
            out += " ";
        out += (c.Code == fcFieldStart ? "<" : ">") + std::to_string(c.Value) + "@" + std::to_string(c.Pos);
    });
    return out;
}

TEST(FieldControls, ReportsBoundariesAtTheirCharacterPositions) {
    struct Case {
        const char* Name;
        std::vector<std::string> Tokens;
        std::string Expected;
    };
    const Case cases[] = {
        {"text around a field", {"ab", "<1", "c", ">1", "de"}, "<1@2 >1@3"},
        {"attribute changes are passed over and take no position", {"b", "<1", "b", "ab", ">1", "b"}, "<1@0 >1@2"},
        {"a control that takes a position counts one", {"<1", "t", ">1", "t", "x", "<2", ">2"}, "<1@0 >1@1 <2@3 >2@3"},
        {"nested fields in stream order", {"<1", "<2", "ab", ">2", ">1"}, "<1@0 <2@0 >2@2 >1@2"},
        {"no field", {"ab", "b", "t"}, ""},
        {"a control cut off ends the walk", {"<1", "ab", ">1", "cut"}, "<1@0 >1@2"},
        {"nothing but a cut control", {"cut"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemory stream;
        Write(stream, c.Tokens);
        EXPECT_EQ(Walk(stream, 0, stream.Size), c.Expected);
    }
}

// A range walk counts positions from its first byte; FindFieldControl looks
// only inside its range.
TEST(FieldControls, RangesCountFromTheirStartAndBoundTheSearch) {
    TMemory stream;
    Write(stream, {"ab", "<1", "b", "<2", "cd", ">2", ">1"});
    const std::int32_t run = 2;  // the controls between "ab" and "cd"
    const std::int32_t cd = run + 3 * FormatControlSize;
    EXPECT_EQ(Walk(stream, run, cd), "<1@0 <2@0");
    EXPECT_EQ(Walk(stream, cd, stream.Size), ">2@2 >1@2");
    EXPECT_EQ(FindFieldControl(stream, run, cd, fcFieldStart, 2), run + 2 * FormatControlSize);
    EXPECT_EQ(FindFieldControl(stream, run, cd, fcFieldEnd, 2), -1);
    EXPECT_EQ(FindFieldControl(stream, cd, stream.Size, fcFieldStart, 2), -1);
    EXPECT_EQ(FindFieldControl(stream, 0, stream.Size, fcFieldEnd, 1), stream.Size - FormatControlSize);
}

TEST(FieldControls, AVisitThatAnswersTrueStopsTheWalk) {
    TMemory stream;
    Write(stream, {"<1", "a", ">1", "<2", "b", ">2"});
    std::vector<std::int32_t> seen;
    const bool stopped = ForEachFieldControl(stream, [&seen](const TFieldControl& c) {
        seen.push_back(c.Value);
        return c.Code == fcFieldEnd;
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 1}));
    EXPECT_FALSE(ForEachFieldControl(stream, [](const TFieldControl&) { return false; }));
}

}  // namespace
