// Notes converted between footnotes and endnotes, and a section break
// between sections with headers of their own, saved as RTF and read back:
// what the edit made survives, and the saved form is stable.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "NoteRtfSupport.h"
#include "TransferDoc.h"
#include "base/core/TList.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "support/ModelInvariants.h"

namespace {

// Each note in reference order as its kind and text: "f:one e:two".
std::string Notes(TDoc& doc) {
    std::string out;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const auto* body = doc.Fields.At<TField>(i);
        if (body->Kind != fkNoteBody)
            continue;
        TFragment range;
        const bool placed = doc.FieldRange(body, range);
        const int story = placed ? doc.StoryOfPar(range.Start.Par) : -1;
        if (!out.empty())
            out += " ";
        out += body->Endnote != 0 ? "e" : "f";
        out += story == (body->Endnote != 0 ? stEndnotes : stFootnotes) ? ":" : "(misplaced):";
        std::string text = FieldText(doc, body);
        const std::size_t start = text.find_first_not_of(" \x02\x10");
        out += start == std::string::npos ? "" : text.substr(start);
    }
    return out;
}

// The break kind of each section and its odd and first-page headers.
std::string Sections(TDoc& doc) {
    std::string out;
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const auto* section = doc.Sections.At<TSection>(i);
        if (i > 0)
            out += " | ";
        if (i + 1 < doc.Sections.Count)
            out += "break " + std::to_string(section->Format.BreakKind) + " ";
        out += "odd:" + FieldText(doc, section->HeadersFooters[hfOddHeader]);
        out += " first:" + FieldText(doc, section->HeadersFooters[hfFirstHeader]);
    }
    return out;
}

std::int32_t FirstBreakPar(TDoc& doc) {
    for (std::int32_t p = 0; p <= doc.LastParOfStory(stMain); ++p)
        if (doc.Par(p)->EndingSection() != nullptr)
            return p;
    return -1;
}

TEST(NotesAndSectionsRtfTest, EditsSurviveASaveAndRead) {
    TTransferScope scope;
    const TRtfEditCase cases[] = {
        {"a break made continuous between sections with their own headers",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}{\\header head 1\\par}one\\par\\sect\\sectd\\titlepg"
         "{\\header head 2\\par}{\\headerf first 2\\par}two\\par}",
         [](TDoc& doc) {
             doc.PerformOperation(TChangeSectionBreakArgs{FirstBreakPar(doc), 0});
         },
         Sections, "break 0 odd:head 1 first:(none) | odd:head 2 first:first 2"},
        {"the second of two footnotes made an endnote",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}A{\\chftn}{\\footnote {\\chftn} one}B"
         "{\\chftn}{\\footnote {\\chftn} two}C\\par}",
         [](TDoc& doc) {
             TList notes;
             for (std::int32_t i = 0; i < doc.Fields.Count; ++i)
                 if (doc.Fields.At<TField>(i)->Kind == fkNoteBody)
                     notes.Add(doc.Fields.At<TField>(i));
             ASSERT_EQ(notes.Count, 2);
             notes.Delete(0);
             doc.PerformOperation(TConvertNotesArgs{&notes});
         },
         Notes, "f:one e:two"},
        {"both notes swapped",
         "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}A{\\chftn}{\\footnote {\\chftn} one}B"
         "{\\chftn}{\\footnote\\ftnalt {\\chftn} two}C\\par}",
         [](TDoc& doc) {
             TList notes;
             for (std::int32_t i = 0; i < doc.Fields.Count; ++i)
                 if (doc.Fields.At<TField>(i)->Kind == fkNoteBody)
                     notes.Add(doc.Fields.At<TField>(i));
             doc.PerformOperation(TConvertNotesArgs{&notes});
         },
         Notes, "e:one f:two"},
    };
    for (const TRtfEditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectEditSurvivesRtf(c);
    }
}

}  // namespace
