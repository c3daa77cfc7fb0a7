// Page numbers put into every section's headers or footers at once.

#include <gtest/gtest.h>

#include "PageFixture.h"
#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/AutoPageNumbers.h"
#include "model/document/StateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"
#include "support/TestSupport.h"

namespace {

class AutoPageNumbersTest : public PageFixture {
protected:
    // Twelve lines on pages of six, in a document that keeps undo.
    void SetUp() override {
        PageFixture::SetUp();
        for (int i = 0; i < 12; ++i)
            Plain("text");
        SetBodyLines(6);
        Doc->StateFlags[sfHidden] = 0;
        PaginateAll();
    }

    // What a slot of a section shows: "" none, "-" a paragraph without a
    // number, else the alignment of a paragraph holding a page number
    // ("L", "C", "R").
    std::string SlotText(int slot, int section = 0) {
        TField* field = Section(section).HeadersFooters[slot];
        TFragment range;
        if (field == nullptr || !Doc->FieldRange(field, range))
            return "";
        const TPar* par = Doc->Par(range.Start.Par);
        bool number = false;
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (e.IsControl && e.Code == fcFieldStart) {
                const TField* f = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                number = number || (f != nullptr && f->Type == ftPageNumber && Doc->Fields.Contains(f));
            }
        }
        if (!number)
            return "-";
        return std::string(1, "LCRJ"[par->Format.Alignment]);
    }

    // The even, odd and first slots of the place, as SlotText shows them.
    std::string Slots(std::uint8_t place, int section = 0) {
        if (place == pnTop)
            return SlotText(hfEvenHeader, section) + "|" + SlotText(hfOddHeader, section) + "|" +
                   SlotText(hfFirstHeader, section);
        return SlotText(hfEvenFooter, section) + "|" + SlotText(hfOddFooter, section) + "|" +
               SlotText(hfFirstFooter, section);
    }
};

TEST_F(AutoPageNumbersTest, EachAlignmentFillsTheSlotsOfItsPlace) {
    struct Case {
        const char* Name;
        TAutoPageNumbers Settings;
        const char* Expected;  // even|odd|first of the place
        const char* Other;     // even|odd|first of the other place
        bool Facing;
        bool TitlePage;
    };
    const Case cases[] = {
        {"bottom right, first page numbered", {pnBottom, pnRight, true}, "R|R|R", "-|-|-", false, false},
        {"top centre", {pnTop, pnCentre, true}, "C|C|C", "-|-|-", false, false},
        {"left, no number on the first page", {pnBottom, pnLeft, false}, "L|L|-", "-|-|-", false, true},
        {"inside: odd pages left, even right", {pnBottom, pnInside, true}, "R|L|-", "-|-|-", true, false},
        {"outside: odd pages right, even left", {pnTop, pnOutside, true}, "L|R|-", "-|-|-", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        ASSERT_TRUE(Doc->InsertAutoPageNumbers(c.Settings, 0));
        EXPECT_EQ(Slots(c.Settings.Place), c.Expected);
        EXPECT_EQ(Slots(c.Settings.Place == pnTop ? pnBottom : pnTop), c.Other);
        EXPECT_EQ(Section().PageSetup.FacingPages != 0, c.Facing);
        EXPECT_EQ(Section().PageSetup.DifferentFirstPage != 0, c.TitlePage);
        // Editing goes on in the first page's new header or footer.
        const TPage& page = PageAt(0);
        EXPECT_EQ(Doc->EditedHeaderFooter, c.Settings.Place == pnTop ? page.HeaderField : page.FooterField);
        EXPECT_NE(Doc->EditedHeaderFooter, nullptr);
    }
}

TEST_F(AutoPageNumbersTest, TwoUndosTakeEverythingBack) {
    const std::int32_t story = Doc->StoryCounts[stHeadersFooters];
    const std::int32_t fields = Doc->Fields.Count;
    const std::int32_t undo = Doc->UndoList.Count;
    ASSERT_TRUE(Doc->InsertAutoPageNumbers({pnBottom, pnOutside, true}, 0));
    // Making the fields, the page setup (undone with them) and the numbers.
    ASSERT_EQ(Doc->UndoList.Count, undo + 3);
    EXPECT_EQ(Doc->UndoOperation(undo)->UndoName, unHeaderAndFooter);
    EXPECT_EQ(Doc->UndoOperation(undo + 1)->UndoName, unPageNumbers);
    EXPECT_NE(Doc->UndoOperation(undo + 1)->Flags & ofChained, 0);
    EXPECT_EQ(Doc->UndoOperation(undo + 2)->UndoName, unPageNumbers);
    EXPECT_EQ(Doc->UndoOperation(undo + 2)->Flags & ofChained, 0);
    // The old empty footers left with their paragraphs.
    EXPECT_EQ(Doc->StoryCounts[stHeadersFooters], story + 6);
    Doc->EditedHeaderFooter = nullptr;
    Doc->Undo(true);
    EXPECT_EQ(Slots(pnBottom), "-|-|-");
    EXPECT_EQ(Doc->StoryCounts[stHeadersFooters], story + 6);
    Doc->Undo(true);
    EXPECT_EQ(Slots(pnBottom), "||");
    EXPECT_EQ(Section().PageSetup.FacingPages, 0);
    EXPECT_EQ(Doc->StoryCounts[stHeadersFooters], story);
    EXPECT_EQ(Doc->Fields.Count, fields);
    // And redone, the numbers are back.
    Doc->Redo();
    Doc->Redo();
    EXPECT_EQ(Slots(pnBottom), "L|R|-");
}

TEST_F(AutoPageNumbersTest, EverySectionGetsItsOwnNumbers) {
    BreakSection(1);
    Plain("after");
    PaginateAll();
    ASSERT_EQ(Doc->Sections.Count, 2);
    ASSERT_TRUE(Doc->InsertAutoPageNumbers({pnBottom, pnCentre, true}, 0));
    EXPECT_EQ(Slots(pnBottom, 0), "C|C|C");
    EXPECT_EQ(Slots(pnBottom, 1), "C|C|C");
    EXPECT_NE(Section(0).HeadersFooters[hfOddFooter], Section(1).HeadersFooters[hfOddFooter]);
    // A page of the second section shows its own footer.
    const TPage& last = PageAt(Doc->Pages.Count - 1);
    EXPECT_EQ(last.FooterField, Section(1).HeadersFooters[hfOddFooter]);
}

TEST_F(AutoPageNumbersTest, PageNumbersAlreadyThereAreReplaced) {
    ASSERT_TRUE(Doc->InsertAutoPageNumbers({pnBottom, pnLeft, true}, 0));
    ASSERT_TRUE(Doc->InsertAutoPageNumbers({pnBottom, pnRight, true}, 0));
    EXPECT_EQ(Slots(pnBottom), "R|R|R");
    // Only one paragraph per slot is left: three footers' and three headers'.
    EXPECT_EQ(Doc->StoryCounts[stHeadersFooters], 6);
}

TEST_F(AutoPageNumbersTest, TextInAHeaderOrFooterStopsIt) {
    struct Case {
        const char* Name;
        int Slot;
        std::uint8_t Place;
        bool Refused;
    };
    const Case cases[] = {
        {"text in the footer, numbers at the bottom", hfOddFooter, pnBottom, true},
        {"text in the first-page header, numbers at the top", hfFirstHeader, pnTop, true},
        {"text in the header, numbers at the bottom", hfOddHeader, pnBottom, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        AddHeaderFooter(c.Slot, "Title");
        const std::int32_t undo = Doc->UndoList.Count;
        TestSupport::TScriptedMessageBoxes boxes({mrOk});
        EXPECT_EQ(Doc->InsertAutoPageNumbers({c.Place, pnRight, true}, 0), !c.Refused);
        if (c.Refused) {
            ASSERT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(boxes.Shown()[0].Text, NonEmptyHeadersFootersMessage);
            EXPECT_EQ(Doc->UndoList.Count, undo);
            EXPECT_EQ(Doc->EditedHeaderFooter, nullptr);
        } else {
            EXPECT_TRUE(boxes.Shown().empty());
        }
    }
}

TEST_F(AutoPageNumbersTest, AFooterEndingInAPageNumberMayBeReplaced) {
    struct Case {
        const char* Name;
        std::string_view After;  // text after the page number
        bool Refused;
    };
    const Case cases[] = {
        {"\"Page\" and the number at the paragraph's end", "", false},
        {"text after the number", " of 9", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TearDown();
        SetUp();
        // "Page 7" with the 7 a page-number field, then the text after it.
        TField* footer = AddHeaderFooter(hfOddFooter, "Page ");
        TFragment range;
        ASSERT_TRUE(Doc->FieldRange(footer, range));
        TPar& par = *Doc->Par(range.Start.Par);
        std::int32_t at = -1;
        TStreamElement e;
        for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
            ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
            if (e.IsControl && e.Code == fcFieldEnd)
                at = off;
        }
        ASSERT_GE(at, 0);
        auto* number = new TField;
        number->Type = ftPageNumber;
        Doc->Fields.Add(number);
        const auto handle = static_cast<std::int32_t>(ObjectHandle(number));
        const std::string text = "7" + std::string(c.After);
        par.Stream.InsertBuffer(c.After.data(), at, static_cast<std::int32_t>(c.After.size()));
        InsertFormatControl(par.Stream, at, fcFieldEnd, handle);
        par.Stream.InsertBuffer("7", at, 1);
        InsertFormatControl(par.Stream, at, fcFieldStart, handle);
        par.Chars.InsertBuffer(text.data(), 5, static_cast<std::int32_t>(text.size()));
        par.Changed();
        TestSupport::TScriptedMessageBoxes boxes({mrOk});
        EXPECT_EQ(Doc->InsertAutoPageNumbers({pnBottom, pnCentre, true}, 0), !c.Refused);
        EXPECT_EQ(boxes.Shown().size(), c.Refused ? 1u : 0u);
        EXPECT_EQ(Slots(pnBottom), c.Refused ? "|L|" : "C|C|C");
    }
}

}  // namespace
