#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FontQueriesStub.h"
#include "ParText.h"
#include "base/core/ObjectHandles.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"

namespace {

using ParText::Describe;
using ParText::MakePar;

class ParNormalizeTest : public ::testing::Test {
protected:
    ParNormalizeTest() {
        Objects.Field("F", fkCode);
        Objects.Field("G", fkCode);
        Objects.Field("B", fkBookmark);
        Objects.Field("X", fkCode, ftIndexEntry);
        Objects.Field("Y", fkCode, ftIndexEntry);
        Objects.Field("N", fkNoteBody);
        Objects.Field("R", fkNoteRef);
        Objects.Field("M", fkNoteNumber);
        Objects.Field("S", fkCode, ftSymbol);
        Objects.Field("D", fkDropCap);
        Objects.Shape("P");
        Objects.Shape("L").Props.SetProp(spHorizRule, 1);
        Objects.Shape("Q");
        Objects.Field("I", fkInlineObject).Object = &Objects.Shape("Q");
    }

    std::string Normalized(const std::string& description) {
        auto par = MakePar(description, Objects);
        par->Normalize();
        EXPECT_EQ(std::string(par->Chars.View()), ParText::ExpectedChars(par->Stream)) << "positions changed";
        return Describe(par->Stream, Objects);
    }

    // Font 5 is a symbol font.
    TFontQueriesStub Fonts{{{5, {2, 5}}}};
    ParText::TObjects Objects;
};

TEST_F(ParNormalizeTest, RedundantAttributeControlsGo) {
    struct Case {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"bold set and restored between two characters", "a{b:1}{b:0}b{par}", "ab{par}"},
        {"a font equal to the current one", "{font:0}ab{par}", "ab{par}"},
        {"the later control for one attribute wins", "a{b:1}{b:2}b{par}", "a{b:2}b{par}"},
        {"back to the value at the previous character", "a{b:1}b{b:0}{b:1}c{par}", "a{b:1}bc{par}"},
        {"different attributes stay", "a{b:1}{i:1}b{par}", "a{b:1}{i:1}b{par}"},
        {"a position control separates changes", "a{b:1}{tab}{b:0}b{par}", "a{b:1}{tab}{b:0}b{par}"},
        {"field boundaries do not separate changes", "a{b:1}{fs:F}{b:0}b{fe:F}{par}", "a{fs:F}b{fe:F}{par}"},
        {"a change back to the default", "a{size:30}b{size:24}c{par}", "a{size:30}b{size:24}c{par}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Normalized(c.input), c.expected);
    }
}

TEST_F(ParNormalizeTest, TrailingAttributeControlsGoFromStreamsOfTwoControlsOrMore) {
    struct Case {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"paragraph end then bold (14 bytes)", "{par}{b:1}", "{par}"},
        {"a single attribute control (7 bytes)", "{b:1}", "{b:1}"},
        {"two attribute controls only", "{b:1}{i:1}", "{b:1}"},
        {"after text", "abc{par}{b:1}{i:1}", "abc{par}"},
        {"behind a field end", "abc{par}{fe:F}{b:1}", "abc{par}{fe:F}"},
        {"a control cut off by the end", "ab{par}{truncated}", "ab{par}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Normalized(c.input), c.expected);
    }
}

TEST_F(ParNormalizeTest, FieldBoundariesAreOrdered) {
    struct Case {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"field start before an attribute change", "a{i:1}{fs:F}b{fe:F}{par}", "a{fs:F}{i:1}b{fe:F}{par}"},
        {"attribute changes follow every boundary", "a{fs:F}b{b:1}{fe:F}{fs:G}c{fe:G}{par}",
         "a{fs:F}b{fe:F}{fs:G}{b:1}c{fe:G}{par}"},
        {"a note reference encloses a bookmark", "a{fs:B}{fs:R}x{fe:R}{fe:B}{par}", "a{fs:R}{fs:B}x{fe:B}{fe:R}{par}"},
        {"note fields of different kinds stay as they are", "{fs:N}{fs:M}1{fe:M} note{fe:N}{par}",
         "{fs:N}{fs:M}1{fe:M} note{fe:N}{par}"},
        {"a note body starts before a bookmark ends", "{fs:B}a{fe:B}{fs:N}b{fe:N}{par}",
         "{fs:B}a{fs:N}{fe:B}b{fe:N}{par}"},
        {"an index entry closes inside a field", "{fs:F}{fs:X}a{fe:F}{fe:X}{par}", "{fs:F}{fs:X}a{fe:X}{fe:F}{par}"},
        {"an index entry closes before a field starts", "{fs:X}a{fs:F}{fe:X}b{fe:F}{par}",
         "{fs:X}a{fe:X}{fs:F}b{fe:F}{par}"},
        {"an empty index entry keeps its start first", "a{fs:X}{fe:X}b{par}", "a{fs:X}{fe:X}b{par}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Normalized(c.input), c.expected);
    }
}

TEST_F(ParNormalizeTest, ConflictingOrderRulesSettleAfterOnePass) {
    // Two index entries closing together, and an index entry closing where a
    // note body starts, could be swapped back and forth by a second pass.
    struct Case {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"two index entries", "{fs:X}{fs:Y}a{fe:X}{fe:Y}{par}", "{fs:X}{fs:Y}a{fe:X}{fe:Y}{par}"},
        {"two index entries the other way", "{fs:X}{fs:Y}a{fe:Y}{fe:X}{par}", "{fs:X}{fs:Y}a{fe:Y}{fe:X}{par}"},
        {"note body after an index entry end", "{fs:X}a{fe:X}{fs:N}b{fe:N}{par}", "{fs:X}a{fs:N}{fe:X}b{fe:N}{par}"},
        {"note body before an index entry end", "{fs:X}a{fs:N}{fe:X}b{fe:N}{par}", "{fs:X}a{fs:N}{fe:X}b{fe:N}{par}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string once = Normalized(c.input);
        EXPECT_EQ(once, c.expected);
        EXPECT_EQ(Normalized(once), once);
    }
}

TEST_F(ParNormalizeTest, NormalizeRunsOncePerChange) {
    auto par = MakePar("a{b:1}{b:0}b{par}", Objects);
    par->Flags = pfNormalized;
    par->Normalize();
    EXPECT_EQ(Describe(par->Stream, Objects), "a{b:1}{b:0}b{par}");

    par->LayoutScratch = std::make_unique<TMemory>();
    par->Changed();
    par->Normalize();
    EXPECT_EQ(Describe(par->Stream, Objects), "ab{par}");
    EXPECT_FALSE(par->LayoutScratch);
    EXPECT_TRUE(par->Flags & pfNormalized);
}

TEST_F(ParNormalizeTest, FlagsDescribeWhatTheParagraphHolds) {
    struct Case {
        const char* name;
        const char* input;
        std::uint16_t flags;
    };
    const Case cases[] = {
        {"plain text", "abc{par}", 0},
        {"a run in a symbol font", "a{font:5}xyz{font:0}b{par}", pfSymbolText},
        {"a symbol font without text", "a{font:5}{tab}{font:0}b{par}", 0},
        {"a Unicode character", "a{u:263A}{par}", pfSymbolText},
        {"a SYMBOL field", "a{fs:S}q{fe:S}{par}", pfSymbolText},
        {"raised text", "a{offset:3}b{offset:0}c{par}", pfRaisedText},
        {"raised and back before any text", "a{offset:3}{offset:0}b{par}", 0},
        {"a shape", "a{shape:P}b{par}", pfShapes},
        {"a horizontal line", "a{shape:L}b{par}", pfHorizontalLines},
        {"an inline object", "ab{fs:I}c{fe:I}{par}", pfInlineObjects},
        {"a drop cap at the start", "{fs:D}W{fe:D}ord{par}", pfDropCap},
        {"a drop cap further on", "a{fs:D}W{fe:D}{par}", 0},
    };
    const std::uint16_t normalisationFlags =
        pfSymbolText | pfRaisedText | pfShapes | pfInlineObjects | pfHorizontalLines | pfDropCap;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto par = MakePar(c.input, Objects);
        par->Normalize();
        EXPECT_EQ(par->Flags & normalisationFlags, c.flags);
    }
}

TEST_F(ParNormalizeTest, NormalisationLeavesLayoutFlagsAndClearsStaleOnes) {
    auto par = MakePar("a{font:5}b{par}", Objects);
    const std::uint16_t layout = pfLaidOut | pfLayoutKept | pfProxy | pfRelayout | 0x2000 | 0x4000 | 0x8000;
    par->Flags = layout | pfWideTextValid | pfWordIndexValid | pfRaisedText | pfShapes | pfDropCap;
    par->Normalize();
    EXPECT_EQ(par->Flags, layout | pfNormalized | pfSymbolText);
}

TEST_F(ParNormalizeTest, ShapesAndInlineObjectsAreRecorded) {
    auto par = MakePar("a{shape:P}bc{fs:I}d{fe:I}{shape:L}{par}", Objects);
    par->Normalize();
    TShape* p = HandleTo<TShape>(static_cast<TObjectHandle>(Objects.HandleOf("P")));
    TShape* q = HandleTo<TShape>(static_cast<TObjectHandle>(Objects.HandleOf("Q")));
    TShape* l = HandleTo<TShape>(static_cast<TObjectHandle>(Objects.HandleOf("L")));
    EXPECT_EQ(p->AnchorPar, par.get());
    EXPECT_EQ(p->AnchorOffset, 1);
    EXPECT_EQ(l->AnchorOffset, 5);
    EXPECT_EQ(q->AnchorPar, par.get());
    EXPECT_EQ(q->AnchorOffset, 4);
    EXPECT_EQ(q->InlineField, HandleTo<TField>(static_cast<TObjectHandle>(Objects.HandleOf("I"))));
    ASSERT_NE(par->InlineObjects, nullptr);
    ASSERT_EQ(par->InlineObjects->Count, 1);
    EXPECT_EQ(par->InlineObjects->Item(0), q);

    // The list is emptied when normalising again, then filled anew.
    par->Changed();
    par->Normalize();
    EXPECT_EQ(par->InlineObjects->Count, 1);
}

TEST_F(ParNormalizeTest, SymbolPositionsFollowFontsAndSymbolFields) {
    struct Case {
        const char* name;
        const char* input;
        std::vector<std::intptr_t> positions;
    };
    const Case cases[] = {
        {"a symbol-font run", "a{font:5}xyz{font:0}b{par}", {1, 2, 3}},
        {"Unicode characters", "{u:41}b{u:263A}{par}", {0, 2}},
        {"a SYMBOL field lends its font until its end", "x{fs:S}{font:5}q{font:0}r{fe:S}s{font:5}t{par}", {1, 2, 4}},
        {"nothing", "abc{par}", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto par = MakePar(c.input, Objects);
        par->Normalize();
        TList* list = par->SymbolCharPositions();
        std::vector<std::intptr_t> got;
        for (std::int32_t i = 0; i < list->Count; ++i)
            got.push_back(reinterpret_cast<std::intptr_t>(list->Item(i)));
        TList::Release(list);
        EXPECT_EQ(got, c.positions);
    }
}

}  // namespace
