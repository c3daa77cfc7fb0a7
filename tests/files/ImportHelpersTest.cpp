#include "files/import/ImportHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

TEST(ImportHelpers, ToggleLanguageAndPath) {
    EXPECT_EQ(ParToggleValue(129), 127);
    EXPECT_EQ(ParToggleValue(127), 127);
    EXPECT_EQ(ParToggleValue(1), 1);
    EXPECT_EQ(NormalizeLanguageId(0, 0x407), 0x407);
    EXPECT_EQ(NormalizeLanguageId(9, 0x407), 9 + 1024);
    EXPECT_EQ(NormalizeLanguageId(255, 0x407), 255 + 1024);
    EXPECT_EQ(NormalizeLanguageId(256, 0x407), 256);
    EXPECT_EQ(NormalizeLanguageId(0x409, 0x407), 0x409);
    EXPECT_EQ(NormalizePathSlashes("c:/pics//a.png"), "c:\\pics\\a.png");
    EXPECT_EQ(NormalizePathSlashes("\\\\\\server/x"), "\\server\\x");
}

TEST(ImportHelpers, LeadingRunStopsAtEveryByteThatNeedsCare) {
    for (int stop : {0, 9, 31, int{'\\'}, int{'{'}, int{'}'}, 150, 151, 160}) {
        SCOPED_TRACE(stop);
        const std::uint8_t bytes[] = {'a', 0xE9, ' ', 255, static_cast<std::uint8_t>(stop), 'b'};
        EXPECT_EQ(LeadingRunLength(bytes, sizeof bytes), 4u);
        EXPECT_EQ(LeadingRunLength(bytes, 2), 2u);  // never past n
    }
}

TEST(ImportHelpers, CanonicalFieldInstruction) {
    struct Case {
        const char16_t* in;
        std::uint8_t type;
        const char16_t* out;
        std::uint8_t typeOut;
    };
    const Case cases[] = {
        {u"  pageref Intro ", FindFieldType, u"PAGEREF Intro", ftPageRef},
        {u"\x01page\x02\t", FindFieldType, u"PAGE", ftPageNumber},
        {u"ex \"Entry\"", FindFieldType, u"XE \"Entry\"", ftIndexEntry},
        {u"PAGE \\* fusionformat", FindFieldType, u"PAGE \\* MERGEFORMAT", ftPageNumber},
        {u"PAGE \\* ARÁBIGO", FindFieldType, u"PAGE \\* ARABIC", ftPageNumber},
        {u"QUOTE \"fusionformat\" \\* FusionFormat", FindFieldType, u"QUOTE \"fusionformat\" \\* MERGEFORMAT", 35},
        // A keyword that is not one is no field; a known type keeps its
        // instruction's keyword only where it has a canonical one.
        {u"NOSUCHFIELD x", FindFieldType, u"", FindFieldType},
        {u"whatever x", 0, u"whatever x", 0},
        {u"   ", FindFieldType, u"", FindFieldType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Platform::Utf16ToUtf8(c.in));
        std::uint8_t type = c.type;
        EXPECT_EQ(Platform::Utf16ToUtf8(CanonicalFieldInstruction(c.in, type)), Platform::Utf16ToUtf8(c.out));
        EXPECT_EQ(type, c.typeOut);
    }
}

TEST(ImportHelpers, FieldsOpenedAndClosedAtTheEnd) {
    TDoc doc(true);
    std::vector<TField*> open;
    std::vector<TField*> toDelete;
    TPar* par = doc.Par(0);
    const std::int32_t before = par->Stream.Size;
    TField* page = FieldFromInstruction(doc, 0, u" page ", FindFieldType, false, open, toDelete);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Instruction, u"PAGE");
    TField* shape = FieldFromInstruction(doc, 0, u"SHAPE x", FindFieldType, false, open, toDelete);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(toDelete, std::vector<TField*>{shape});
    EXPECT_EQ(FieldFromInstruction(doc, 0, u"XE \"a\"", FindFieldType, true, open, toDelete), nullptr);
    EXPECT_EQ(FieldFromInstruction(doc, 0, u"", FindFieldType, false, open, toDelete), nullptr);
    EXPECT_EQ(doc.Fields.Count, 2);
    CloseOpenFields(doc, 0, open);
    EXPECT_TRUE(open.empty());
    // Starts in opening order, ends in reverse: the fields nest.
    const std::uint8_t* p = par->Stream.Data + before;
    const TField* order[] = {page, shape, shape, page};
    const std::uint8_t codes[] = {fcFieldStart, fcFieldStart, fcFieldEnd, fcFieldEnd};
    ASSERT_EQ(par->Stream.Size, before + 4 * FormatControlSize);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p[i * FormatControlSize + 1], codes[i]);
        EXPECT_EQ(HandleTo<TField>(static_cast<TObjectHandle>(FormatControlValue(p + i * FormatControlSize))),
                  order[i]);
    }
}

}  // namespace
