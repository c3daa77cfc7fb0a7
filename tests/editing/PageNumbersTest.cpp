// Page numbers (opInsertPageNumbers) on a laid-out document of three
// sections: which sections take the settings, which page fields the chained
// update brings up to date, the numbers the layout then gives, and undo
// and redo of the settings and the field results together.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditDoc.h"
#include "ReferencesDoc.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

// Three sections of two pages each:
//   section 1: "One " PAGE, "Two " PAGE, a PAGEREF to "there", a DATE
//   section 2: "Three " PAGE and the bookmark "there", "Four " PAGE
//   section 3: "Five " PAGE, "Six " PAGE
// with an odd-page footer in section 3. Every field's result is "?" until
// something updates it.
class PageNumbersDoc : public TReferencesDoc {
public:
    PageNumbersDoc() {
        Pages[0] = &AddField(Add("One "), "PAGE");
        Pages[1] = &AddField(Add("Two ", true), "PAGE");
        TPar& refs = Add("See ");
        PageRef = &AddField(refs, "PAGEREF there");
        Date = &AddField(refs, "DATE");
        BreakSection();
        TPar& three = Add("Three ");
        Pages[2] = &AddField(three, "PAGE");
        AddBookmark(three, "there", "x");
        Pages[3] = &AddField(Add("Four ", true), "PAGE");
        BreakSection();
        Pages[4] = &AddField(Add("Five "), "PAGE");
        Pages[5] = &AddField(Add("Six ", true), "PAGE");
        Ready();
        Footer = AddHeaderFooter(Doc(), Section(2), hfOddFooter, "foot");
        Doc().ClearUndoHistory();
        Paginate();
    }

    TSection& Section(std::int32_t i) { return *Doc().Sections.At<TSection>(i); }

    // The text between a field's marks.
    std::string Result(const TField* field) {
        TFragment range;
        if (!Doc().FieldRange(field, range) || range.Start.Par != range.End.Par)
            return "<no range>";
        const TPar& par = *Doc().Par(range.Start.Par);
        std::string text;
        for (std::int32_t i = range.Start.Offset; i < range.End.Offset; ++i)
            text += static_cast<char>(par.Chars.Data[i]);
        return text;
    }

    // The six PAGE results, the PAGEREF's and the DATE's, joined by " ".
    std::string Results() {
        std::string out;
        for (const TField* field : Pages)
            out += Result(field) + " ";
        return out + Result(PageRef) + " " + Result(Date);
    }

    // Each section's numbering as "style/start".
    std::string Numbering() {
        std::string out;
        for (std::int32_t i = 0; i < Doc().Sections.Count; ++i) {
            const TSection& s = Section(i);
            out += (i > 0 ? " " : "") + std::to_string(s.PageNumberStyle) + "/" + std::to_string(s.PageNumberStart);
        }
        return out;
    }

    TField* Pages[6] = {};
    TField* PageRef = nullptr;
    TField* Date = nullptr;
    TField* Footer = nullptr;
};

TPageNumberOptions Options(std::uint8_t style, std::int32_t start) {
    TPageNumberOptions options;
    options.NumberStyle = style;
    options.StartNumber = start;
    return options;
}

class PageNumbersTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

TEST_F(PageNumbersTest, TheSectionsInRangeTakeTheSettingsAndTheirPageFieldsFollow) {
    enum Where { wCaret, wSelection, wEditedFooter };
    struct Case {
        const char* Name;
        Where Place;
        std::int32_t CaretPar;  // or the selection's start
        std::int32_t EndPar;    // the selection's end
        TPageNumberOptions Settings;
        const char* Numbering;
        const char* Results;
    };
    // Paragraphs: 0 One, 1 Two, 2 See, 3 break, 4 Three, 5 Four, 6 break,
    // 7 Five, 8 Six. Pages: 1 One, 2 Two/See, 3 Three, 4 Four, 5 Five,
    // 6 Six.
    const Case cases[] = {
        {"the caret's section alone, upper-case Roman from 5", wCaret, 5, 5, Options(pnUpperRoman, 5), "0/-1 4/5 0/-1",
         "? ? V VI ? ? ? ?"},
        {"a selection over two sections: two copies; a DATE field and the third section stay", wSelection, 1, 4,
         Options(pnLowerRoman, 10), "3/10 3/10 0/-1", "x xi x xi ? ? x ?"},
        {"letters continuing from the section before", wCaret, 7, 7, Options(pnUpperLetter, -1), "0/-1 0/-1 2/-1",
         "? ? ? ? E F ? ?"},
        {"the footer edited on page 6 gives its section the settings", wEditedFooter, 0, 0, Options(pnDecimal, 40),
         "0/-1 0/-1 0/40", "? ? ? ? 40 41 ? ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PageNumbersDoc fixture;
        TDoc& doc = fixture.Doc();
        ASSERT_EQ(doc.Pages.Count, 6);
        ASSERT_EQ(doc.Sections.Count, 3);
        TTextPos caretBefore{c.CaretPar, 1};
        if (c.Place == wEditedFooter) {
            ASSERT_TRUE(doc.BeginHeaderFooterEditing(fixture.Footer, 5));
            caretBefore = doc.Caret;
        } else {
            doc.Caret = caretBefore;
            doc.Selection->Reset();
            if (c.Place == wSelection)
                doc.Selection->SetSingle(c.CaretPar, 1, c.EndPar, 1);
            else
                MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
        }
        const std::string bytesBefore = TestSupport::DocumentBytes(doc);
        const std::string numberingBefore = fixture.Numbering();
        const std::string resultsBefore = fixture.Results();

        doc.PerformOperation(TInsertPageNumbersArgs{&c.Settings});
        EXPECT_EQ(fixture.Numbering(), c.Numbering);
        EXPECT_EQ(fixture.Results(), c.Results);
        EXPECT_EQ(CompareTextPos(doc.Caret, caretBefore), 0) << "the caret stays";
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        // The settings and their field update are one step in the undo list.
        ASSERT_EQ(doc.UndoList.Count, 2);
        EXPECT_EQ(doc.UndoOperation(0)->UndoName, unPageNumbers);
        EXPECT_EQ(doc.UndoOperation(1)->Flags & ofChained, ofChained);
        EXPECT_EQ(doc.UndoOperation(1)->UndoName, unPageNumbers);

        const std::string bytesAfter = TestSupport::DocumentBytes(doc);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            doc.Undo(false);
            EXPECT_EQ(doc.UndoIndex, -1);
            EXPECT_EQ(fixture.Numbering(), numberingBefore);
            EXPECT_EQ(fixture.Results(), resultsBefore);
            EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesBefore);
            doc.Redo();
            EXPECT_EQ(fixture.Numbering(), c.Numbering);
            EXPECT_EQ(fixture.Results(), c.Results);
            EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesAfter);
        }
    }
}

// The settings themselves leave the caret and the selection where they
// were (the chained field update, left out here, writes results and drops a
// selection as any update does).
TEST_F(PageNumbersTest, TheCaretAndTheSelectionStay) {
    const TOperationWorker<TUpdateFieldsArgs> update = OperationWorker<TUpdateFieldsArgs>();
    SetOperationWorker<TUpdateFieldsArgs>(nullptr);
    PageNumbersDoc fixture;
    TDoc& doc = fixture.Doc();
    // The caret at the selection's start: a selection off screen (there is
    // no window here) brings the caret to its start after any operation.
    doc.Caret = TTextPos{1, 1};
    doc.Selection->SetSingle(1, 1, 4, 2);
    TCompoundFragment* selection = CloneCompoundFragment(*doc.Selection);
    const TPageNumberOptions settings = Options(pnLowerLetter, 3);
    doc.PerformOperation(TInsertPageNumbersArgs{&settings});
    SetOperationWorker<TUpdateFieldsArgs>(update);
    EXPECT_EQ(fixture.Numbering(), "1/3 1/3 0/-1");
    EXPECT_EQ(doc.UndoList.Count, 1);
    EXPECT_EQ(CompareTextPos(doc.Caret, TTextPos{1, 1}), 0);
    EXPECT_TRUE(doc.Selection->Equals(*selection));
    ReleaseCompoundFragment(selection);
}

// Settings the sections already have change nothing and record nothing;
// settings out of range are refused with a message and change nothing.
TEST_F(PageNumbersTest, NothingOrBadSettingsRecordNothing) {
    struct Case {
        const char* Name;
        TPageNumberOptions Settings;
        std::size_t Messages;
    };
    const Case cases[] = {
        {"the settings the section has", Options(pnDecimal, -1), 0},
        {"a number style past upper-case Roman", Options(5, 1), 1},
        {"a start number past 32766", Options(pnDecimal, 32767), 1},
        {"a start number below -1", Options(pnDecimal, -2), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TestSupport::TScriptedMessageBoxes boxes;
        PageNumbersDoc fixture;
        TDoc& doc = fixture.Doc();
        doc.Caret = TTextPos{4, 0};
        const std::string bytesBefore = TestSupport::DocumentBytes(doc);
        const std::string resultsBefore = fixture.Results();
        doc.PerformOperation(TInsertPageNumbersArgs{&c.Settings});
        EXPECT_EQ(doc.UndoList.Count, 0);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesBefore);
        EXPECT_EQ(fixture.Results(), resultsBefore);
        EXPECT_EQ(fixture.Numbering(), "0/-1 0/-1 0/-1");
        EXPECT_EQ(boxes.Shown().size(), c.Messages);
    }
}

// The largest start number the dialog allows, and 0, are taken; the
// PAGEREF of the first section names a page of the second, which goes on
// counting past the largest start.
TEST_F(PageNumbersTest, TheEndsOfTheStartNumberRange) {
    struct Case {
        std::int32_t Start;
        const char* Results;
    };
    const Case cases[] = {
        {0, "0 1 ? ? ? ? 2 ?"},
        {32766, "32766 32767 ? ? ? ? 32768 ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Start);
        PageNumbersDoc fixture;
        TDoc& doc = fixture.Doc();
        doc.Caret = TTextPos{0, 0};
        const TPageNumberOptions settings = Options(pnDecimal, c.Start);
        doc.PerformOperation(TInsertPageNumbersArgs{&settings});
        EXPECT_EQ(fixture.Results(), c.Results);
    }
}

}  // namespace
