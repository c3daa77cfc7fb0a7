// A section break typed into a section with headers and footers: the text
// on both sides goes on showing them, and undo gives back the one section
// with its own slots.

#include <gtest/gtest.h>

#include <string>

#include "EditDoc.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

// What a page of the section shows in a slot: its own object, else the
// nearest one of the sections before it.
const TField* Shown(const TDoc& doc, std::int32_t section, int slot) {
    for (std::int32_t i = section; i >= 0; --i)
        if (const TField* field = doc.Sections.At<TSection>(i)->HeadersFooters[slot])
            return field;
    return nullptr;
}

TEST(SectionBreakHeadersTest, BothSidesOfATypedBreakKeepTheHeadersTheyShowed) {
    struct Case {
        const char* Name;
        std::int32_t Sections;  // before the break is typed
        std::int32_t Par;       // where it is typed
        std::int32_t Offset;
    };
    const Case cases[] = {
        {"in the middle of the only section", 1, 0, 3},
        {"at the start of the only section", 1, 0, 0},
        {"in the second of two sections", 2, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEditingInstalled installed;
        TEditDoc ed({"one two", "", "three"});
        TDoc& doc = ed.Doc();
        if (c.Sections == 2)
            BreakSectionAt(doc, 1);
        const std::int32_t target = doc.Sections.IndexOf(doc.SectionOfPar(c.Par));
        TSection& section = *doc.Sections.At<TSection>(target);
        TField* header = AddHeaderFooter(doc, section, hfOddHeader, "head");
        TField* footer = AddHeaderFooter(doc, section, hfOddFooter, "foot");
        TField* earlier = nullptr;
        if (target > 0)
            earlier = AddHeaderFooter(doc, *doc.Sections.At<TSection>(0), hfOddHeader, "earlier");
        const std::string before = TestSupport::DocumentBytes(doc);

        doc.Caret = TTextPos{c.Par, c.Offset};
        doc.Selection->SetSingle(c.Par, c.Offset, c.Par, c.Offset);
        TextBytes sectionBreak(std::string("\x0c\x00\x01", 3));
        doc.PerformOperation(TInsertTextArgs{&sectionBreak, 0});
        ASSERT_EQ(doc.Sections.Count, c.Sections + 1);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        for (std::int32_t s = target; s <= target + 1; ++s) {
            SCOPED_TRACE(s);
            EXPECT_EQ(Shown(doc, s, hfOddHeader), header);
            EXPECT_EQ(Shown(doc, s, hfOddFooter), footer);
        }
        if (earlier != nullptr)
            EXPECT_EQ(Shown(doc, 0, hfOddHeader), earlier);
        const std::string after = TestSupport::DocumentBytes(doc);

        doc.Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        ASSERT_EQ(doc.Sections.Count, c.Sections);
        EXPECT_EQ(section.HeadersFooters[hfOddHeader], header);
        EXPECT_EQ(section.HeadersFooters[hfOddFooter], footer);
        doc.Redo();
        EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
        EXPECT_EQ(Shown(doc, target, hfOddHeader), header);
        EXPECT_EQ(Shown(doc, target + 1, hfOddHeader), header);
    }
}

}  // namespace
