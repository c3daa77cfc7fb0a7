// Notes inserted by the editor and headers unlinked from the previous
// section's ("Same as Previous"), saved as RTF and read back: what the edit
// made survives, the saved form is stable, and undo gives back the saved
// form of before.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "NoteRtfSupport.h"
#include "TransferDoc.h"
#include "editing/sections/NoteInsertion.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

// The main text, then each note in story order as its kind and text
// (automatic numbers are not text): "AB | f: one | e: two".
std::string Notes(TDoc& doc) {
    std::string out;
    TFragment main;
    MakeTextPos(0, 0, main.Start);
    MakeTextPos(doc.LastParOfStory(stMain), doc.Par(doc.LastParOfStory(stMain))->CharCount() - 1, main.End);
    doc.RangeTextA(main, out);
    std::vector<std::pair<TTextPos, const TField*>> bodies;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* body = doc.Fields.At<TField>(i);
        TFragment range;
        if (body->Kind == fkNoteBody && doc.FieldRange(body, range))
            bodies.emplace_back(range.Start, body);
    }
    std::sort(bodies.begin(), bodies.end(),
              [](const auto& a, const auto& b) { return CompareTextPos(a.first, b.first) < 0; });
    for (const auto& [pos, body] : bodies) {
        const int story = doc.StoryOfPar(pos.Par);
        out += std::string(" | ") + (body->Endnote != 0 ? "e" : "f") +
               (story == (body->Endnote != 0 ? stEndnotes : stFootnotes) ? ":" : "(misplaced):") + FieldText(doc, body);
    }
    return out;
}

// The odd header each section shows: its text, or "same" where the
// section shows the one of the section before.
std::string OddHeaders(TDoc& doc) {
    std::string out;
    const TField* previous = nullptr;
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const TField* shown = doc.Sections.At<TSection>(i)->HeadersFooters[hfOddHeader];
        if (shown == nullptr)
            shown = previous;
        out += (i > 0 ? " | " : "") + (i > 0 && shown == previous ? std::string("same") : FieldText(doc, shown));
        previous = shown;
    }
    return out;
}

void InsertNoteWithText(TDoc& doc, const TNoteOptions& options, const char* text) {
    doc.Caret = TTextPos{0, 1, 0, 0};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    doc.PerformOperation(TInsertNoteArgs{&options});
    TMemory bytes;
    for (const char* c = text; *c != 0; ++c)
        bytes.AppendByte(static_cast<std::uint8_t>(*c));
    doc.PerformOperation(TInsertTextArgs{&bytes, 0});
}

TEST(NoteInsertionRtfTest, InsertedNotesAndUnlinkedHeadersSurviveASaveAndRead) {
    TTransferScope scope;
    // The reader keeps a note's own mark as formatted text rather than as
    // a mark field, so the first save of what was read may differ in form;
    // from then on the saved form is stable.
    const bool readFormStable = false;
    const char* const twoNotesRtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}AB{\\chftn}{\\footnote {\\chftn} old}C\\par}";
    const char* const twoSectionsRtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}{\\header head 1\\par}one\\par\\sect\\sectd two\\par}";
    const char* const ownHeadersRtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}{\\header head 1\\par}one\\par\\sect\\sectd"
        "{\\header head 2\\par}two\\par}";
    const TRtfEditCase cases[] = {
        {"a footnote before the one there", twoNotesRtf,
         [](TDoc& doc) { InsertNoteWithText(doc, TNoteOptions{}, "new"); }, Notes, "ABC | f: new | f: old", 2,
         readFormStable},
        {"an endnote", twoNotesRtf,
         [](TDoc& doc) {
             InsertNoteWithText(doc, TNoteOptions{u"", "", 0, nkEndnote}, "end");
         },
         Notes, "ABC | f: old | e: end", 2, readFormStable},
        {"a footnote with a custom mark", twoNotesRtf,
         [](TDoc& doc) {
             InsertNoteWithText(doc, TNoteOptions{u"*", "", 0, nkFootnote}, "star");
         },
         Notes, "A*BC | f:* star | f: old", 2, readFormStable},
        {"the second section's header unlinked", twoSectionsRtf,
         [](TDoc& doc) {
             doc.PerformOperation(TSameAsPreviousArgs{doc.Sections.At<TSection>(1), hfOddHeader});
         },
         OddHeaders, "head 1 | head 1", 1, readFormStable},
        {"the second section's header linked again", ownHeadersRtf,
         [](TDoc& doc) {
             doc.PerformOperation(TSameAsPreviousArgs{doc.Sections.At<TSection>(1), hfOddHeader});
         },
         OddHeaders, "head 1 | same", 1, readFormStable},
    };
    for (const TRtfEditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectEditSurvivesRtf(c);
    }
}

// A custom mark in a named font is a SYMBOL field in the reference and in
// the note's own mark, each naming the font.
TEST(NoteInsertionRtfTest, AMarkInAFontIsASymbolFieldInBothPlaces) {
    TTransferScope scope;
    std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}AB\\par}");
    ASSERT_NE(doc, nullptr);
    InsertNoteWithText(*doc, TNoteOptions{u"\u00A7", "Liberation Serif", 0, nkFootnote}, "section");
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    int inReference = 0, inNote = 0;
    for (std::int32_t i = 0; i < doc->Fields.Count; ++i) {
        const auto* field = doc->Fields.At<TField>(i);
        TFragment range;
        if (field->Kind != fkCode || field->Type != ftSymbol || !doc->FieldRange(field, range))
            continue;
        EXPECT_EQ(field->Instruction, u"SYMBOL 167 \\f \"Liberation Serif\"");
        (doc->StoryOfPar(range.Start.Par) == stMain ? inReference : inNote)++;
    }
    EXPECT_EQ(inReference, 1);
    EXPECT_EQ(inNote, 1);
    const std::string saved = RtfOf(*doc);
    EXPECT_NE(saved.find("SYMBOL 167"), std::string::npos);
    std::unique_ptr<TDoc> reread = DocFromRtf(saved);
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*reread), "");
}

}  // namespace

namespace {

// The text of the document's first field of a kind, as UTF-16.
std::u16string FirstFieldText(TDoc& doc, std::uint8_t kind) {
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* field = doc.Fields.At<TField>(i);
        TFragment range;
        if (field->Kind == kind && doc.FieldRange(field, range))
            return doc.RangeText(range);
    }
    return u"(none)";
}

std::int32_t CountFields(const TDoc& doc, std::uint8_t kind) {
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i)
        count += doc.Fields.At<TField>(i)->Kind == kind ? 1 : 0;
    return count;
}

// A mark of the user's own, of one character or more, or in a font of its
// own, is the whole note reference again after a save and a read, and the
// note's text still begins with it.
TEST(NoteInsertionRtfTest, OwnMarksAreWholeReferencesAfterASaveAndRead) {
    TTransferScope scope;
    struct Case {
        const char* Name;
        TNoteOptions Options;
        const char* Described;  // in the document's bytes; none where the mark is no byte
    };
    const Case cases[] = {
        {"one character", {u"*", "", 0, nkFootnote}, "A*B | f:* note"},
        {"two characters", {u"**", "", 0, nkFootnote}, "A**B | f:** note"},
        {"a letter and a digit", {u"a1", "", 0, nkFootnote}, "Aa1B | f:a1 note"},
        {"an endnote's mark of four", {u"e.g.", "", 0, nkEndnote}, "Ae.g.B | e:e.g. note"},
        {"a mark in the symbol font", {u"\u2020", "Symbol", 0, nkFootnote}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}AB\\par}");
        ASSERT_NE(doc, nullptr);
        InsertNoteWithText(*doc, c.Options, "note");
        if (c.Described != nullptr)
            EXPECT_EQ(Notes(*doc), c.Described);
        ASSERT_EQ(FirstFieldText(*doc, fkNoteRef), c.Options.CustomMark);
        const std::u16string note = FirstFieldText(*doc, fkNoteBody);

        std::unique_ptr<TDoc> reread = DocFromRtf(RtfOf(*doc));
        ASSERT_NE(reread, nullptr);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*reread), "");
        if (c.Described != nullptr)
            EXPECT_EQ(Notes(*reread), c.Described);
        EXPECT_EQ(CountFields(*reread, fkNoteRef), 1);
        EXPECT_EQ(FirstFieldText(*reread, fkNoteRef), c.Options.CustomMark);
        EXPECT_EQ(FirstFieldText(*reread, fkNoteBody), note);
    }
}

}  // namespace
