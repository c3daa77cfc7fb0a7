// Document-level settings changed through the operation codes: document
// properties, locked ranges, section formats, the default language and the
// note separators; the editing-time counter; and the place "go back to the
// last change" finds. Each change undone and redone exactly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "EditDoc.h"
#include "editing/sections/DocumentProperties.h"
#include "editing/sections/LockedRanges.h"
#include "editing/sections/SectionFormatting.h"
#include "model/document/TDoc.h"
#include "model/document/TDocProps.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"

namespace {

class DocumentSettingsTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

// Runs an operation that must record one step, then undoes and redoes it
// twice; state describes what the operation changes besides the text.
void ExpectUndoRedoExact(TDoc& doc, const std::function<void()>& run, const std::function<std::string()>& state) {
    const std::string bytesBefore = TestSupport::DocumentBytes(doc);
    const std::string stateBefore = state();
    const std::int32_t undoBefore = doc.UndoList.Count;
    run();
    ASSERT_EQ(doc.UndoList.Count, undoBefore + 1);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::string bytesAfter = TestSupport::DocumentBytes(doc);
    const std::string stateAfter = state();
    EXPECT_NE(bytesAfter + stateAfter, bytesBefore + stateBefore) << "the operation changed something";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        doc.Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesBefore);
        EXPECT_EQ(state(), stateBefore);
        doc.Redo();
        EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesAfter);
        EXPECT_EQ(state(), stateAfter);
    }
}

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

std::string PropsText(const TDoc& doc) {
    const TDocProps& p = doc.DocProps;
    return Narrow(p.Title) + "|" + Narrow(p.Author) + "|" + Narrow(p.Comments) + "|" + std::to_string(p.Auto.Words);
}

TEST_F(DocumentSettingsTest, DocumentProperties) {
    TEditDoc ed({"text"});
    TDoc& doc = ed.Doc();
    doc.DocProps.Title = u"Old";
    doc.DocProps.Auto.Words = 1;
    TDocProps props = doc.DocProps;
    props.Title = u"New";
    props.Author = u"Me";
    props.Auto.Words = 99;  // the automatic part is the document's, not the caller's
    ExpectUndoRedoExact(
        doc, [&] { doc.PerformOperation(TChangeDocPropertiesArgs{&props}); }, [&] { return PropsText(doc); });
    EXPECT_EQ(PropsText(doc), "New|Me||1");
    // The automatic values move on between the change and its undo; the
    // undo must not put the old ones back.
    doc.DocProps.Auto.Words = 7;
    doc.Undo(false);
    EXPECT_EQ(PropsText(doc), "Old|||7");

    const std::int32_t undoBefore = doc.UndoList.Count;
    TDocProps same = doc.DocProps;
    same.Auto.Pages = 40;
    doc.PerformOperation(TChangeDocPropertiesArgs{&same});
    doc.PerformOperation(TChangeDocPropertiesArgs{nullptr});
    EXPECT_EQ(doc.UndoList.Count, undoBefore) << "the same properties record nothing";
}

TEST_F(DocumentSettingsTest, EditingTime) {
    struct Case {
        const char* Name;
        std::vector<std::int64_t> Ticks;
        std::int64_t Milliseconds;
        std::int64_t Seconds;
    };
    const Case cases[] = {
        {"the first command only starts the count", {5000}, 0, 0},
        {"gaps up to 30 seconds count in full", {0, 1200, 31200}, 31200, 31},
        {"a longer gap counts one second", {0, 30001, 31000}, 1999, 2},
        {"half a second rounds up", {0, 500}, 500, 1},
        {"a clock that went back counts as a pause", {10000, 4000, 4100}, 1100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"text"});
        TDoc& doc = ed.Doc();
        for (std::int64_t tick : c.Ticks)
            CountEditingTime(doc, tick);
        EXPECT_EQ(doc.EditingTime, c.Milliseconds);
        EXPECT_EQ(EditingSeconds(doc), c.Seconds);
    }
}

// The locked ranges of the document as "(par,offset)-(par,offset)".
std::string LockedRanges(TDoc& doc) {
    std::vector<std::string> ranges;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* field = doc.Fields.At<TField>(i);
        TFragment range;
        if (field->Kind != fkLocked || !doc.FieldRange(field, range))
            continue;
        ranges.push_back("(" + std::to_string(range.Start.Par) + "," + std::to_string(range.Start.Offset) + ")-(" +
                         std::to_string(range.End.Par) + "," + std::to_string(range.End.Offset) + ")");
    }
    std::sort(ranges.begin(), ranges.end());
    std::string out;
    for (const std::string& r : ranges)
        out += (out.empty() ? "" : " ") + r;
    return out;
}

TEST_F(DocumentSettingsTest, LockingTheSelection) {
    struct Case {
        const char* Name;
        std::vector<TFragment> Selection;
        TTextPos Caret;
        const char* Locked;
        const char* Text;  // locked ranges show as fields
        TTextPos CaretAfter;
    };
    const Case cases[] = {
        {"one range, the caret at its end", {{{0, 1}, {0, 3}}}, {0, 3}, "(0,1)-(0,3)", "a<bc>d<efgh> / ijklmn", {0, 3}},
        {"a caret outside goes to the start",
         {{{0, 1}, {1, 2}}},
         {1, 4},
         "(0,1)-(1,2)",
         "a<bcd<efgh> / ij>klmn",
         {0, 1}},
        {"two ranges, each locked",
         {{{0, 0}, {0, 2}}, {{1, 1}, {1, 3}}},
         {1, 3},
         "(0,0)-(0,2) (1,1)-(1,3)",
         "<ab>cd<efgh> / i<jk>lmn",
         {1, 3}},
        {"around a field, outside its marks",
         {{{0, 4}, {0, 8}}},
         {0, 4},
         "(0,4)-(0,8)",
         "abcd<<efgh>> / ijklmn",
         {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"abcd<efgh>", "ijklmn"}, {{fkCode, ftPageNumber, u"PAGE"}});
        TDoc& doc = ed.Doc();
        doc.Selection->Reset();
        for (std::size_t i = 0; i < c.Selection.size(); ++i) {
            if (i > 0)
                doc.Selection->Insert(doc.Selection->Count(), c.Selection[i]);
            else
                doc.Selection->Fragment(0) = c.Selection[i];
        }
        doc.Caret = c.Caret;
        ExpectUndoRedoExact(
            doc, [&] { doc.PerformOperation(TLockSelectionArgs{}); }, [&] { return LockedRanges(doc); });
        EXPECT_EQ(LockedRanges(doc), c.Locked);
        EXPECT_EQ(ed.Text(), c.Text);
        EXPECT_EQ(CompareTextPos(doc.Caret, c.CaretAfter), 0);
        EXPECT_TRUE(IsEmptyCompoundFragment(doc.Selection));
    }
}

TEST_F(DocumentSettingsTest, LockingTwiceAndUnlocking) {
    TEditDoc ed({"abcdef"});
    TDoc& doc = ed.Doc();
    doc.Selection->SetSingle(0, 1, 0, 4);
    doc.PerformOperation(TLockSelectionArgs{});
    ASSERT_EQ(LockedRanges(doc), "(0,1)-(0,4)");
    const std::int32_t undoAfterLock = doc.UndoList.Count;
    doc.Selection->SetSingle(0, 1, 0, 4);
    doc.PerformOperation(TLockSelectionArgs{});
    EXPECT_EQ(doc.UndoList.Count, undoAfterLock) << "a range locked already is not locked again";
    EXPECT_EQ(LockedRanges(doc), "(0,1)-(0,4)");

    TLockDescription unlock;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i)
        if (doc.Fields.At<TField>(i)->Kind == fkLocked)
            unlock.Unlock.push_back(doc.Fields.At<TField>(i));
    unlock.Unlock.push_back(unlock.Unlock.front());  // listed twice
    unlock.Unlock.push_back(nullptr);
    doc.Selection->SetSingle(0, 2, 0, 3);
    ExpectUndoRedoExact(
        doc, [&] { doc.PerformOperation(TLockSelectionArgs{&unlock}); }, [&] { return LockedRanges(doc); });
    EXPECT_EQ(LockedRanges(doc), "");
    EXPECT_EQ(ed.Text(), "abcdef");
    TFragment span;
    doc.Selection->GetSpan(span);
    EXPECT_EQ(span.Start.Offset, 2) << "the selection stays";
    EXPECT_EQ(span.End.Offset, 3);
}

// Each section's columns as "count/equal/line/break widths...".
std::string Columns(TDoc& doc) {
    std::string out;
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const TSectionFormat& f = doc.Sections.At<TSection>(i)->Format;
        if (i > 0)
            out += " | ";
        out += std::to_string(f.ColumnCount) + "/" + std::to_string(f.EqualColumns) + "/" +
               std::to_string(f.LineBetween) + "/" + std::to_string(f.BreakKind);
        if (f.EqualColumns == 0)
            for (std::int32_t c = 0; c < f.ColumnCount && c < 64; ++c)
                out += " " + std::to_string(f.ColumnTable[c][1]) + "+" + std::to_string(f.ColumnTable[c][2]);
    }
    return out;
}

TEST_F(DocumentSettingsTest, FormattingSections) {
    struct Case {
        const char* Name;
        std::int32_t FirstColumns;  // the first section's columns beforehand (equal widths)
        TSectionFormat Format;
        TFragment Range;
        const char* Expected;
    };
    TSectionFormat unset;
    unset.BreakKind = KeepBreakKind;
    unset.ColumnCount = UnsetValue;
    unset.EqualColumns = UnsetValue;
    unset.LineBetween = UnsetValue;
    auto with = [&](auto change) {
        TSectionFormat f = unset;
        change(f);
        return f;
    };
    // The page's text width is 12240 - 2 * 1800 = 8640 twips: two equal
    // columns with the 720 gap are 3960 wide, three are 2400.
    const Case cases[] = {
        {"unequal widths from two equal columns start from the equal layout",
         2,
         with([](TSectionFormat& f) { f.EqualColumns = 0; }),
         {{0, 0}, {0, 0}},
         "2/0/0/2 3960+720 3960+720 | 1/1/0/1"},
        {"three columns asked for unequal on a one-column section",
         1,
         with([](TSectionFormat& f) {
             f.ColumnCount = 3;
             f.EqualColumns = -1;
             f.BreakKind = 0;
         }),
         {{0, 0}, {0, 0}},
         "3/0/0/0 2400+720 2400+720 2400+720 | 1/1/0/1"},
        {"-1 keeps several equal columns equal",
         2,
         with([](TSectionFormat& f) {
             f.EqualColumns = -1;
             f.LineBetween = 1;
         }),
         {{0, 0}, {0, 0}},
         "2/1/1/2 | 1/1/0/1"},
        {"a set count with the break kept keeps each section's break",
         2,
         with([](TSectionFormat& f) {
             f.ColumnCount = 1;
             f.EqualColumns = 1;
             f.LineBetween = 1;
         }),
         {{0, 0}, {2, 0}},
         "1/1/1/2 | 1/1/1/1"},
        {"only the line between columns",
         2,
         with([](TSectionFormat& f) { f.LineBetween = 1; }),
         {{2, 0}, {2, 0}},
         "2/1/0/2 | 1/1/1/1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"one", "", "two"});
        TDoc& doc = ed.Doc();
        TSection& first = BreakSectionAt(doc, 1);
        first.Format.BreakKind = 2;
        first.Format.ColumnCount = c.FirstColumns;
        for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
            TPageSetup& setup = doc.Sections.At<TSection>(i)->PageSetup;
            setup.PageWidth = 12240;
            setup.LeftMargin = setup.RightMargin = 1800;
            setup.TextWidth = 8640;
        }
        ExpectUndoRedoExact(
            doc,
            [&] {
                doc.PerformOperation(TFormatSectionsArgs{&c.Format, &c.Range});
            },
            [&] { return Columns(doc); });
        EXPECT_EQ(Columns(doc), c.Expected);
    }
}

TEST_F(DocumentSettingsTest, DefaultLanguageAndNoteSeparators) {
    TEditDoc ed({"text"});
    TDoc& doc = ed.Doc();
    const auto state = [&] { return std::to_string(doc.DefaultLanguage) + "/" + std::to_string(doc.NoteSeparator); };
    ExpectUndoRedoExact(
        doc, [&] { doc.PerformOperation(TChangeDefaultLanguageArgs{0x40C}); }, state);
    ExpectUndoRedoExact(
        doc, [&] { doc.PerformOperation(TSetNoteSeparatorArgs{3}); }, state);
    EXPECT_EQ(state(), "1036/3");
    const std::int32_t undoBefore = doc.UndoList.Count;
    doc.PerformOperation(TChangeDefaultLanguageArgs{0x40C});
    doc.PerformOperation(TSetNoteSeparatorArgs{3});
    EXPECT_EQ(doc.UndoList.Count, undoBefore) << "the values the document has record nothing";
}

TEST_F(DocumentSettingsTest, LastEditPosition) {
    struct Case {
        const char* Name;
        int Undos;          // after typing at (0, 2) and then at (1, 1)
        TTextPos CaretNow;  // where the caret is when asked
        bool Moves;
        TTextPos Expected;
    };
    // "a^bc" / "def": the note text is paragraph 2.
    const Case cases[] = {
        {"after the last change", 0, {0, 0}, true, {1, 2}},
        {"after undoing the last change: the change before", 1, {0, 0}, true, {0, 3}},
        {"after undoing everything: where the caret was before the first", 2, {1, 3}, true, {0, 2}},
        {"the caret in a note's text: a change in the main text moves nothing", 0, {2, 1}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditDoc ed({"a^bc", "def"});
        TDoc& doc = ed.Doc();
        TTextPos pos;
        ASSERT_TRUE(LastEditPosition(doc, pos)) << "no operation: the caret itself";
        EXPECT_EQ(CompareTextPos(pos, doc.Caret), 0);
        const TextBytes x("x");
        for (TTextPos at : {TTextPos{0, 2}, TTextPos{1, 1}}) {
            doc.Caret = at;
            doc.Selection->Reset();
            MakeFragmentFromPositions(at, at, doc.Selection->Fragment(0));
            doc.PerformOperation(TInsertTextArgs{&x, 0});
        }
        for (int i = 0; i < c.Undos; ++i)
            doc.Undo(false);
        doc.Caret = c.CaretNow;
        ASSERT_EQ(LastEditPosition(doc, pos), c.Moves);
        if (c.Moves) {
            EXPECT_EQ(pos.Par, c.Expected.Par);
            EXPECT_EQ(pos.Offset, c.Expected.Offset);
        }
    }
}

}  // namespace
