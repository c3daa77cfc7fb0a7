// "Same as Previous" for headers and footers: unlinking gives a section a
// copy of the text it showed, linking takes the section's own text away so
// that the earlier section's shows again; each undone and redone exactly.

#include <gtest/gtest.h>

#include <string>

#include "EditDoc.h"
#include "base/core/ObjectHandles.h"
#include "editing/sections/SectionHeaders.h"
#include "layout/pagination/HeaderFooterFields.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"

namespace {

class SectionHeadersTest : public ::testing::Test {
protected:
    TEditingInstalled Installed;
};

std::string FieldText(TDoc& doc, const TField* field) {
    TFragment range;
    if (field == nullptr)
        return "-";
    if (!doc.FieldRange(field, range))
        return "(gone)";
    std::string text;
    doc.RangeTextA(range, text);
    while (!text.empty() && static_cast<unsigned char>(text.back()) < ' ')
        text.pop_back();
    return text;
}

// Each section's odd header and odd footer: "head 1/foot 1 | -/-", "-"
// for a slot that shows the section before.
std::string Slots(TDoc& doc) {
    std::string out;
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const auto* section = doc.Sections.At<TSection>(i);
        if (i > 0)
            out += " | ";
        out += FieldText(doc, section->HeadersFooters[hfOddHeader]) + "/" +
               FieldText(doc, section->HeadersFooters[hfOddFooter]);
    }
    return out;
}

// A header whose text holds a PAGE field: "p. " and the field's result.
TField* AddHeaderWithPageField(TDoc& doc, TSection& section, int slot) {
    auto* operation = new TOperation(&doc, unHeaderAndFooter);
    doc.BeginOperation(operation);
    auto* page = new TField;
    page->Kind = fkCode;
    page->Type = ftPageNumber;
    page->Instruction = u"PAGE";
    TMemory content;
    for (char c : std::string("p. "))
        content.AppendByte(static_cast<std::uint8_t>(c));
    AppendFormatControl(content, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(page)));
    content.AppendByte('1');
    AppendFormatControl(content, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(page)));
    TField* field = AddHeaderFooterField(doc, section, slot, content, HeaderFooterParFormat(doc, slot));
    doc.EndOperation();
    doc.ApplyPostActions();
    doc.CommitOperation(operation);
    return field;
}

// "one" / break / "two" / break / "three": three sections; the first has
// an odd header and an odd footer, the third an odd footer of its own.
struct TThreeSections {
    TEditDoc Ed{{"one", "", "two", "", "three"}};
    TSection* Sections[3] = {};

    TThreeSections() {
        TDoc& doc = Ed.Doc();
        Sections[0] = &BreakSectionAt(doc, 1);
        Sections[1] = &BreakSectionAt(doc, 3);
        Sections[2] = doc.Sections.At<TSection>(2);
        AddHeaderFooter(doc, *Sections[0], hfOddHeader, "head 1");
        AddHeaderFooter(doc, *Sections[0], hfOddFooter, "foot 1");
        AddHeaderFooter(doc, *Sections[2], hfOddFooter, "foot 3");
        doc.ClearUndoHistory();
        for (int i = 0; i < 3; ++i) {
            Sections[i]->FirstPage = Sections[i]->LastPage = i;
        }
    }
};

TEST_F(SectionHeadersTest, LinkingAndUnlinking) {
    struct Case {
        const char* Name;
        int Section;
        int Slot;
        const char* Expected;
        const char* Shown;  // the text of the object the section shows
    };
    const Case cases[] = {
        {"the second section unlinks its header", 1, hfOddHeader, "head 1/foot 1 | head 1/- | -/foot 3", "head 1"},
        {"the third section unlinks its header from the first's", 2, hfOddHeader, "head 1/foot 1 | -/- | head 1/foot 3",
         "head 1"},
        {"the third section links its footer again", 2, hfOddFooter, "head 1/foot 1 | -/- | -/-", "foot 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TThreeSections three;
        TDoc& doc = three.Ed.Doc();
        const std::string bytesBefore = TestSupport::DocumentBytes(doc);
        const std::string slotsBefore = Slots(doc);
        doc.PerformOperation(TSameAsPreviousArgs{three.Sections[c.Section], c.Slot});
        ASSERT_EQ(doc.UndoList.Count, 1);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(Slots(doc), c.Expected);
        EXPECT_EQ(doc.EditedHeaderFooter, nullptr) << "no header or footer was edited";
        TField* shown = nullptr;
        for (int s = c.Section; s >= 0 && shown == nullptr; --s)
            shown = three.Sections[s]->HeadersFooters[c.Slot];
        EXPECT_EQ(FieldText(doc, shown), c.Shown);
        const std::string bytesAfter = TestSupport::DocumentBytes(doc);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            doc.Undo(false);
            EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
            EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesBefore);
            EXPECT_EQ(Slots(doc), slotsBefore);
            doc.Redo();
            EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
            EXPECT_EQ(TestSupport::DocumentBytes(doc), bytesAfter);
            EXPECT_EQ(Slots(doc), c.Expected);
        }
    }
}

// Unlinking and linking again gives back the text that was shown; the
// copy's fields are its own.
TEST_F(SectionHeadersTest, UnlinkingCopiesFieldsAndLinkingRemovesTheCopy) {
    TThreeSections three;
    TDoc& doc = three.Ed.Doc();
    TField* original = AddHeaderWithPageField(doc, *three.Sections[0], hfEvenHeader);
    const std::int32_t fieldsBefore = doc.Fields.Count;
    const std::string before = TestSupport::DocumentBytes(doc);
    doc.PerformOperation(TSameAsPreviousArgs{three.Sections[1], hfEvenHeader});
    TField* copy = three.Sections[1]->HeadersFooters[hfEvenHeader];
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, original);
    EXPECT_EQ(FieldText(doc, copy), "p. 1");
    EXPECT_EQ(doc.Fields.Count, fieldsBefore + 2) << "the copy and its own PAGE field";
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    doc.PerformOperation(TSameAsPreviousArgs{three.Sections[1], hfEvenHeader});
    EXPECT_EQ(three.Sections[1]->HeadersFooters[hfEvenHeader], nullptr);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

// Without a section the header or footer being edited and its page's
// section are taken.
TEST_F(SectionHeadersTest, TheEditedHeaderOrFooterByDefault) {
    struct Case {
        const char* Name;
        int EditedSlot;  // of the first section, -1 none
        int Page;
        std::int32_t Records;
        const char* Expected;
        const char* Edited;  // afterwards
    };
    const Case cases[] = {
        {"the first section's footer seen on the second section's page", hfOddFooter, 1, 1,
         "head 1/foot 1 | -/foot 1 | -/foot 3", "foot 1"},
        {"the first section's own header on its own page: nothing before it", hfOddHeader, 0, 0,
         "head 1/foot 1 | -/- | -/foot 3", "head 1"},
        {"nothing edited", -1, 1, 0, "head 1/foot 1 | -/- | -/foot 3", "-"},
        {"a page no section has", hfOddHeader, 7, 0, "head 1/foot 1 | -/- | -/foot 3", "head 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TThreeSections three;
        TDoc& doc = three.Ed.Doc();
        doc.EditedHeaderFooter = c.EditedSlot >= 0 ? three.Sections[0]->HeadersFooters[c.EditedSlot] : nullptr;
        doc.EditedPage = c.Page;
        doc.PerformOperation(TSameAsPreviousArgs{});
        EXPECT_EQ(doc.UndoList.Count, c.Records);
        EXPECT_EQ(Slots(doc), c.Expected);
        EXPECT_EQ(FieldText(doc, doc.EditedHeaderFooter), c.Edited);
        if (c.Records > 0) {
            EXPECT_NE(doc.EditedHeaderFooter, three.Sections[0]->HeadersFooters[c.EditedSlot])
                << "the section's own copy is edited now";
            TFragment range;
            ASSERT_TRUE(doc.FieldRange(doc.EditedHeaderFooter, range));
            EXPECT_EQ(CompareTextPos(doc.Caret, range.Start), 0) << "the caret starts the edited text";
        }
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        // Undoing while a header is edited lays the header out, which this
        // test has no fonts for.
        doc.EditedHeaderFooter = nullptr;
    }
}

TEST_F(SectionHeadersTest, SettingTheSlotsTheyHoldRecordsNothing) {
    TThreeSections three;
    TDoc& doc = three.Ed.Doc();
    auto* operation = new TOperation(&doc, unFormatSections);
    doc.BeginOperation(operation);
    SetSectionHeaders(doc, *three.Sections[1], three.Sections[1]->HeadersFooters);
    doc.EndOperation();
    doc.ApplyPostActions();
    doc.CommitOperation(operation);
    EXPECT_EQ(doc.UndoList.Count, 0);
}

// A document read from a file names the previous section's header again in
// each section that repeats it. Such a section counts as linked, and the
// sections after it that name the same object follow it when it unlinks.
TEST_F(SectionHeadersTest, SectionsThatNameThePreviousHeaderAreLinked) {
    TThreeSections three;
    TDoc& doc = three.Ed.Doc();
    TField* head = three.Sections[0]->HeadersFooters[hfOddHeader];
    three.Sections[1]->HeadersFooters[hfOddHeader] = head;
    three.Sections[2]->HeadersFooters[hfOddHeader] = head;
    const std::string before = TestSupport::DocumentBytes(doc);
    doc.PerformOperation(TSameAsPreviousArgs{three.Sections[1], hfOddHeader});
    TField* copy = three.Sections[1]->HeadersFooters[hfOddHeader];
    ASSERT_NE(copy, head);
    EXPECT_EQ(Slots(doc), "head 1/foot 1 | head 1/- | -/foot 3") << "the third section follows the second's copy";
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    EXPECT_EQ(three.Sections[2]->HeadersFooters[hfOddHeader], head);

    // Linking the first section's own header is impossible; the text stays.
    doc.PerformOperation(TSameAsPreviousArgs{three.Sections[0], hfOddHeader});
    EXPECT_EQ(doc.UndoIndex, -1) << "nothing new was recorded";
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
}

}  // namespace
