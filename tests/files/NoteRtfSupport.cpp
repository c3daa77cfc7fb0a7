#include "NoteRtfSupport.h"

#include <gtest/gtest.h>

#include <memory>

#include "TransferDoc.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "support/ModelInvariants.h"

std::string FieldText(TDoc& doc, const TField* field) {
    TFragment range;
    if (field == nullptr || !doc.FieldRange(field, range))
        return "(none)";
    std::string text;
    doc.RangeTextA(range, text);
    while (!text.empty() && static_cast<unsigned char>(text.back()) < ' ')
        text.pop_back();
    return text;
}

void ExpectEditSurvivesRtf(const TRtfEditCase& c) {
    std::unique_ptr<TDoc> doc = DocFromRtf(c.Rtf);
    ASSERT_NE(doc, nullptr);
    const std::string savedBefore = RtfOf(*doc);
    c.Edit(*doc);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    EXPECT_EQ(c.Describe(*doc), c.Expected);
    const std::string saved = RtfOf(*doc);
    EXPECT_NE(saved, savedBefore);

    std::unique_ptr<TDoc> reread = DocFromRtf(saved);
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*reread), "");
    EXPECT_EQ(c.Describe(*reread), c.Expected);
    if (c.ReadFormStable) {
        EXPECT_EQ(RtfOf(*reread), saved) << "saving what was read changes nothing";
    } else {
        const std::string resaved = RtfOf(*reread);
        std::unique_ptr<TDoc> again = DocFromRtf(resaved);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(c.Describe(*again), c.Expected);
        EXPECT_EQ(RtfOf(*again), resaved) << "saving what was read changes nothing";
    }

    for (int i = 0; i < c.Undos; ++i)
        doc->Undo(false);
    EXPECT_EQ(RtfOf(*doc), savedBefore) << "undo gives back the saved form of before";
}
