#include "NoteChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "support/ModelInvariants.h"

std::string NoteNumbers(TDoc& doc) {
    std::int32_t footnote = 1;
    std::int32_t endnote = 1;
    for (std::int32_t p = 0; p <= doc.LastParOfStory(stMain); ++p)
        doc.Par(p)->RenumberNotes(-1, footnote, endnote);
    std::vector<std::pair<TTextPos, const TField*>> references;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* field = doc.Fields.At<TField>(i);
        TFragment range;
        if (field->Kind == fkNoteRef && doc.FieldRange(field, range))
            references.emplace_back(range.Start, field);
    }
    std::sort(references.begin(), references.end(),
              [](const auto& a, const auto& b) { return CompareTextPos(a.first, b.first) < 0; });
    std::string out;
    for (const auto& [pos, field] : references) {
        if (!out.empty())
            out += " ";
        out += field->Partner != nullptr && field->Partner->Endnote != 0 ? "e" : "f";
        if ((field->Flags & ffAutoNumber) != 0) {
            out += field->ResultText;
        } else {
            TFragment range;
            doc.FieldRange(field, range);
            const std::u16string text = doc.RangeText(range);
            for (char16_t c : text)
                out += static_cast<char>(c);
        }
    }
    return out;
}

void ExpectUndoRedoExact(TDoc& doc, const std::function<void()>& run, bool textChanges) {
    const std::string before = TestSupport::DocumentBytes(doc);
    const std::int32_t undoBefore = doc.UndoList.Count;
    run();
    ASSERT_EQ(doc.UndoList.Count, undoBefore + 1);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
    const std::string after = TestSupport::DocumentBytes(doc);
    if (textChanges)
        EXPECT_NE(after, before);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        doc.Undo(false);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        doc.Redo();
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
    }
}
