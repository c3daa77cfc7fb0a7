#include "editing/fields/FieldUpdate.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "EditDoc.h"
#include "FieldDoc.h"
#include "base/core/ObjectHandles.h"
#include "base/core/TList.h"
#include "editing/fields/FieldIndex.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/HeaderFooterFields.h"
#include "layout/pagination/Pagination.h"
#include "layout/pagination/TLayoutClient.h"
#include "layout/painting/BoxPainting.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TEditingServices.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"
#include "support/ModelInvariants.h"

namespace {

std::string Utf8(const std::u16string& text) {
    return Platform::Utf16ToUtf8(text);
}

// The text between a field's marks.
std::string ResultOf(TDoc& doc, TField& field) {
    TFragment range;
    if (!doc.FieldRange(&field, range))
        return "<gone>";
    return Utf8(doc.RangeText(range));
}

std::string ParText(TDoc& doc, std::int32_t par) {
    TFragment range;
    MakeFragment(par, 0, par, doc.Par(par)->CharCount() - 1, range);
    return Utf8(doc.RangeText(range));
}

void PlaceCaret(TDoc& doc, std::int32_t par, std::int32_t offset) {
    doc.Caret = TTextPos{par, offset};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
}

// The fixture's document is hidden, and a hidden document keeps no undo
// list; these tests undo.
void KeepUndo(TDoc& doc) {
    doc.StateFlags[sfHidden] = 0;
}

void UpdateAll(TDoc& doc, const TFieldTypeSet& types) {
    doc.PerformOperation(TUpdateFieldsArgs{nullptr, nullptr, types});
}

class FieldUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFieldDateFormatHook([](std::int32_t, bool time) { return time ? u"HH:mm" : u"M/d/yyyy"; });
    }
    void TearDown() override { SetFieldDateFormatHook(nullptr); }
    TEditingInstalled Installed;
};

TEST(ShownFieldResultTest, CutsAtTheFirstReturnAndNamesEmptyResults) {
    struct Case {
        std::u16string Result;
        std::u16string Shown;
    };
    const Case cases[] = {
        {u"12", u"12"},   {u"first\rsecond", u"first"}, {u"\rall after", u"(None)"},
        {u"", u"(None)"}, {u"a\nb", u"a\nb"},  // only a carriage return cuts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.Result));
        EXPECT_EQ(ShownFieldResult(c.Result), c.Shown);
    }
}

// Each update of the main story over fields whose results stand wrong, the
// same or empty: what the text shows afterwards, and whether the operation
// was recorded at all.
TEST_F(FieldUpdateTest, UpdateWritesOnlyChangedResultsAndUndoesInOneStep) {
    struct Case {
        const char* Name;
        const char* Instruction;
        const char* Before;
        const char* After;
        bool Recorded;
    };
    const Case cases[] = {
        {"wrong page number, same length (patched in place)", "PAGE", "7", "2", true},
        {"wrong page number, longer", "PAGE", "seventy", "2", true},
        {"right page number", "PAGE", "2", "2", false},
        {"page count", "NUMPAGES", "?", "2", true},
        {"roman page number", "PAGE \\* ROMAN", "2", "II", true},
        {"empty title", "TITLE", "old title", "(None)", true},
        {"empty title already shown", "TITLE", "(None)", "(None)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFieldDoc fixture;
        TDoc& doc = fixture.Doc();
        fixture.Add("First page");
        TPar& par = fixture.Add("Page ", true);
        TField& field = fixture.AddField(par, c.Instruction, c.Before);
        TFieldDoc::Append(par, " of the text");
        fixture.Paginate();
        KeepUndo(doc);
        PlaceCaret(doc, 1, doc.Par(1)->CharCount() - 1);
        const std::int32_t undoBefore = doc.UndoList.Count;
        const std::string before = ParText(doc, 1);

        UpdateAll(doc, TFieldTypeSet{field.Type});
        EXPECT_EQ(ResultOf(doc, field), c.After);
        EXPECT_EQ(ParText(doc, 1), std::string("Page ") + c.After + " of the text");
        EXPECT_EQ(doc.UndoList.Count, undoBefore + (c.Recorded ? 1 : 0));
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        // The caret behind the field moved with the text after it.
        EXPECT_EQ(doc.Caret.Offset, doc.Par(1)->CharCount() - 1);
        if (!c.Recorded)
            continue;
        doc.Undo(true);
        EXPECT_EQ(ParText(doc, 1), before);
        EXPECT_EQ(ResultOf(doc, field), c.Before);
        doc.Redo();
        EXPECT_EQ(ResultOf(doc, field), c.After);
    }
}

// A short plain result is written over the old one without lifting marks,
// even where an enclosing field (a table of contents' hyperlink) ends right
// behind it: the old characters are exchanged in place, and what the
// lengths differ by goes in front of them or out from between them. Results
// that cannot be written so take the general way. Either way the text, the
// marks and the field index are what a general rewrite gives, and undo and
// redo give the documents back byte for byte.
TEST_F(FieldUpdateTest, ShortResultsAreWrittenInPlaceInsideAnEnclosingField) {
    struct Case {
        const char* Name;
        const char* Instruction;
        const char* Before;
        bool BookmarkInside;  // a bookmark over the old result's middle
        const char* After;
        bool InPlace;
    };
    const Case cases[] = {
        {"longer", "PAGE \\* ROMAN", "?", false, "II", true},
        {"same length, not a letter or digit", "PAGE \\* ROMAN", "?!", false, "II", true},
        {"shorter", "PAGE \\* ROMAN", "seventy", false, "II", true},
        {"one character left", "PAGE", "seventy", false, "2", false},
        {"a bookmark in the old result", "PAGE \\* ROMAN", "seventy", true, "II", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFieldDoc fixture;
        TDoc& doc = fixture.Doc();
        fixture.Add("First page");
        TPar& par = fixture.Add("Entry\t", true);
        TField& field = fixture.AddField(par, c.Instruction, c.Before);
        TFieldDoc::Append(par, " after");

        // Wrap the field in a hyperlink whose end mark follows the field's
        // own, as a generated table of contents has it.
        auto* link = new TField;
        link->Kind = fkCode;
        link->Type = ftHyperlink;
        link->Instruction = u"HYPERLINK \\l \"here\"";
        doc.Fields.Add(link);
        auto markOffset = [&](const TField* f, std::uint8_t code) {
            TStreamElement e;
            for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
                ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
                if (e.IsControl && e.Code == code && HandleTo<TField>(static_cast<TObjectHandle>(e.Value)) == f)
                    return off;
            }
            return -1;
        };
        auto insertMark = [&](std::int32_t at, std::uint8_t code, TField* f) {
            TMemory mark;
            AppendFormatControl(mark, code, static_cast<std::int32_t>(ObjectHandle(f)));
            par.Stream.InsertBuffer(mark.Data, at, mark.Size);
        };
        insertMark(markOffset(&field, fcFieldEnd) + FormatControlSize, fcFieldEnd, link);
        insertMark(markOffset(&field, fcFieldStart), fcFieldStart, link);
        if (c.BookmarkInside) {
            auto* bookmark = new TField;
            bookmark->Kind = fkBookmark;
            bookmark->Instruction = u"inside";
            doc.Fields.Add(bookmark);
            const std::int32_t text = markOffset(&field, fcFieldStart) + FormatControlSize;
            insertMark(text + 3, fcFieldEnd, bookmark);
            insertMark(text + 1, fcFieldStart, bookmark);
        }
        par.Changed();
        par.Normalize();
        fixture.Paginate();
        KeepUndo(doc);
        PlaceCaret(doc, 1, doc.Par(1)->CharCount() - 1);
        ASSERT_EQ(TestSupport::CheckModelInvariants(doc), "");
        const std::string before = TestSupport::DocumentBytes(doc);
        RebuildFieldIndex(doc);
        const std::uint32_t wholeRebuilds = FieldIndexOf(doc).Rebuilds;

        UpdateAll(doc, TFieldTypeSet{ftPageNumber});
        EXPECT_EQ(ResultOf(doc, field), c.After);
        EXPECT_EQ(ResultOf(doc, *link), c.After);
        EXPECT_EQ(ParText(doc, 1), std::string("Entry\t") + c.After + " after");
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(doc.Caret.Offset, doc.Par(1)->CharCount() - 1);

        // The index as the update left it equals a whole rebuild.
        RebuildFieldIndex(doc);
        EXPECT_EQ(FieldIndexOf(doc).Rebuilds == wholeRebuilds, c.InPlace);
        const std::vector<TFieldIndex::TEntry> kept = FieldIndexOf(doc).Entries;
        doc.StateFlags[sfFieldIndexStale] = 1;
        doc.NoteFieldSpan(-1, -1);
        RebuildFieldIndex(doc);
        const std::vector<TFieldIndex::TEntry>& fresh = FieldIndexOf(doc).Entries;
        ASSERT_EQ(kept.size(), fresh.size());
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(kept[i].Field, fresh[i].Field) << i;
            EXPECT_EQ(kept[i].EnclosingAtStart, fresh[i].EnclosingAtStart) << i;
            EXPECT_EQ(kept[i].EnclosingAtEnd, fresh[i].EnclosingAtEnd) << i;
        }

        const std::string after = TestSupport::DocumentBytes(doc);
        doc.Undo(true);
        EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        doc.Redo();
        EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
        EXPECT_EQ(ResultOf(doc, *link), c.After);
    }
}

// Only the types asked for are updated, and a field outside the range
// stays as it was.
TEST_F(FieldUpdateTest, TypesAndRangeLimitTheUpdate) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& page = fixture.AddField(fixture.Add("A "), "PAGE", "?");
    TField& count = fixture.AddField(fixture.Add("B "), "NUMPAGES", "?");
    TField& later = fixture.AddField(fixture.Add("C "), "PAGE", "?");
    fixture.Paginate();

    UpdateAll(doc, TFieldTypeSet{ftPageNumber});
    EXPECT_EQ(ResultOf(doc, page), "1");
    EXPECT_EQ(ResultOf(doc, count), "?");
    EXPECT_EQ(ResultOf(doc, later), "1");

    later.Instruction = u"PAGE \\* ROMAN";
    page.Instruction = u"PAGE \\* alphabetic";
    TFragment first;
    MakeFragment(0, 0, 0, doc.Par(0)->CharCount() - 1, first);
    doc.PerformOperation(TUpdateFieldsArgs{nullptr, &first, TFieldTypeSet{ftPageNumber, ftNumPages}});
    EXPECT_EQ(ResultOf(doc, page), "a");
    EXPECT_EQ(ResultOf(doc, count), "?");
    EXPECT_EQ(ResultOf(doc, later), "1");

    // Two ranges of a compound set, the later one first.
    TCompoundFragment* set = NewCompoundFragment();
    set->SetCount(2);
    MakeFragment(1, 0, 1, 3, set->Fragment(0));
    MakeFragment(2, 0, 2, 3, set->Fragment(1));
    doc.PerformOperation(TUpdateFieldsArgs{set, nullptr, TFieldTypeSet{ftPageNumber, ftNumPages}});
    ReleaseCompoundFragment(set);
    EXPECT_EQ(ResultOf(doc, count), "1");
    EXPECT_EQ(ResultOf(doc, later), "I");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

// Empty fields whose marks all stand at one place, side by side, nested or
// (as older edits could leave them) with an end in front of its start:
// every written result gets exactly one pair of marks around it, and undo
// and redo give back the documents byte for byte.
TEST_F(FieldUpdateTest, EmptyFieldsSharingOnePlaceKeepOnePairOfMarksEach) {
    struct Case {
        const char* Name;
        // All eight marks of the place in stream order: T, A, S and B open
        // the title, author, subject and bookmark fields, t, a, s and b
        // close them.
        const char* Marks;
        const char* After;
        bool ExactUndo;
    };
    const Case cases[] = {
        {"side by side", "TtAaSsBb", "Here (None)(None)(None) there", true},
        {"inside an empty bookmark", "BTtAaSsb", "Here (None)(None)(None) there", true},
        {"a bookmark between them", "TtBbAaSs", "Here (None)(None)(None) there", true},
        {"one inside another (the outer one's text wins)", "TAatSsBb", "Here (None)(None) there", true},
        // Undo puts the reversed marks back in order.
        {"an end in front of its start", "TtaASsBb", "Here (None)(None)(None) there", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFieldDoc fixture;
        TDoc& doc = fixture.Doc();
        fixture.Add("First paragraph");
        TPar& par = fixture.Add("Here ");
        TField* fields[4] = {&fixture.AddField(par, "TITLE", ""), &fixture.AddField(par, "AUTHOR", ""),
                             &fixture.AddField(par, "SUBJECT", ""), &fixture.AddBookmark(par, "place", "")};
        TFieldDoc::Append(par, " there");
        // The fixture put the pairs side by side; rewrite the run of marks
        // in the case's order.
        std::int32_t runStart = -1;
        TStreamElement e;
        for (std::int32_t off = 0; off < par.Stream.Size && runStart < 0; off += e.Length) {
            ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
            if (e.IsControl && e.Code == fcFieldStart)
                runStart = off;
        }
        ASSERT_GE(runStart, 0);
        TMemory run;
        const std::string letters = "TASB";
        for (const char* m = c.Marks; *m != 0; ++m) {
            const auto upper = static_cast<char>(std::toupper(static_cast<unsigned char>(*m)));
            TField* field = fields[letters.find(upper)];
            AppendFormatControl(run, upper == *m ? fcFieldStart : fcFieldEnd,
                                static_cast<std::int32_t>(ObjectHandle(field)));
        }
        const std::int32_t runLength = 8 * FormatControlSize;
        par.Stream.DeleteRange(runStart, runLength);
        par.Stream.InsertBuffer(run.Data, runStart, run.Size);
        par.Changed();
        par.Normalize();
        fixture.Paginate();
        KeepUndo(doc);
        PlaceCaret(doc, 0, 0);
        const std::string before = TestSupport::DocumentBytes(doc);
        // Undo gives back the marks as they stood, a reversed pair too: the
        // invariants then fault the document as they faulted the case's
        // input (the field list's order may differ).
        const std::string inputBroken = TestSupport::CheckModelInvariants(doc);

        UpdateAll(doc, TFieldTypeSet{ftTitle, ftAuthor, ftSubject});
        EXPECT_EQ(ParText(doc, 1), c.After);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        for (TField* field : fields) {
            TFragment range;
            EXPECT_TRUE(doc.FieldRange(field, range)) << Utf8(field->Instruction) << " lost a mark or ends first";
        }
        const std::string after = TestSupport::DocumentBytes(doc);
        doc.Undo(true);
        const std::string undoneBroken = TestSupport::CheckModelInvariants(doc);
        EXPECT_EQ(undoneBroken.empty(), inputBroken.empty()) << undoneBroken << " / " << inputBroken;
        EXPECT_EQ(ParText(doc, 1), "Here  there");
        if (c.ExactUndo)
            EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
        doc.Redo();
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        EXPECT_EQ(ParText(doc, 1), c.After);
        if (c.ExactUndo)
            EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
    }
}

// Inserting a field puts a placeholder in, the chained update replaces it,
// and one undo takes everything out again.
TEST_F(FieldUpdateTest, InsertFieldUpdatesAtOnceAndUndoesAsOne) {
    struct Case {
        std::uint8_t Type;
        const char16_t* Arguments;
        const char* Instruction;
        const char* Result;
    };
    const Case cases[] = {
        {ftPageNumber, nullptr, "PAGE", "1"},
        {ftPageNumber, u"\\* ROMAN", "PAGE \\* ROMAN", "I"},
        {ftNumPages, nullptr, "NUMPAGES", "1"},
        {ftTitle, nullptr, "TITLE", "(None)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Instruction);
        TFieldDoc fixture;
        TDoc& doc = fixture.Doc();
        fixture.Add("Before after");
        fixture.Paginate();
        KeepUndo(doc);
        PlaceCaret(doc, 0, 7);
        const std::int32_t undoBefore = doc.UndoList.Count;
        const std::int32_t fieldsBefore = doc.Fields.Count;
        std::u16string arguments = c.Arguments != nullptr ? c.Arguments : u"";
        doc.PerformOperation(TInsertFieldArgs{c.Type, c.Arguments != nullptr ? &arguments : nullptr});

        ASSERT_EQ(doc.Fields.Count, fieldsBefore + 1);
        TField& field = *doc.Fields.At<TField>(doc.Fields.Count - 1);
        EXPECT_EQ(Utf8(field.Instruction), c.Instruction);
        EXPECT_EQ(field.Kind, fkCode);
        EXPECT_EQ(ResultOf(doc, field), c.Result);
        EXPECT_EQ(ParText(doc, 0), std::string("Before ") + c.Result + "after");
        TFragment range;
        ASSERT_TRUE(doc.FieldRange(&field, range));
        EXPECT_EQ(doc.Caret.Offset, range.End.Offset);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");

        doc.Undo(true);
        EXPECT_EQ(ParText(doc, 0), "Before after");
        EXPECT_EQ(doc.Fields.Count, fieldsBefore);
        EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
        doc.Redo();
        EXPECT_EQ(ParText(doc, 0), std::string("Before ") + c.Result + "after");
        (void)undoBefore;
    }
}

// A type without a keyword inserts nothing.
TEST_F(FieldUpdateTest, InsertFieldOfUnknownTypeDoesNothing) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("Text");
    fixture.Paginate();
    PlaceCaret(doc, 0, 2);
    for (std::uint8_t type : {std::uint8_t{0}, std::uint8_t{94}, std::uint8_t{96}, std::uint8_t{200}}) {
        SCOPED_TRACE(static_cast<int>(type));
        doc.PerformOperation(TInsertFieldArgs{type, nullptr});
        EXPECT_EQ(ParText(doc, 0), "Text");
        EXPECT_EQ(doc.Fields.Count, 0);
    }
}

// Changing the type rewrites the instruction to the new keyword with the
// argument given for each field and shows the new result at once; editing
// and removing fields undo.
TEST_F(FieldUpdateTest, ChangeTypeEditAndRemove) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TField& a = fixture.AddField(fixture.Add("A "), "PAGE", "1");
    TField& b = fixture.AddField(fixture.Add("B ", true), "PAGE", "2");
    fixture.Paginate();
    KeepUndo(doc);

    TList fields;
    fields.Add(&a);
    fields.Add(&b);
    std::u16string roman = u"\\* ROMAN";
    std::u16string none;
    TList arguments;
    arguments.Add(&roman);
    arguments.Add(&none);
    doc.PerformOperation(TChangeFieldTypeArgs{&fields, ftNumPages, &arguments});
    EXPECT_EQ(Utf8(a.Instruction), "NUMPAGES \\* ROMAN");
    EXPECT_EQ(Utf8(b.Instruction), "NUMPAGES");
    EXPECT_EQ(ResultOf(doc, a), "II");
    EXPECT_EQ(ResultOf(doc, b), "2");
    doc.Undo(true);
    EXPECT_EQ(a.Type, ftPageNumber);
    EXPECT_EQ(Utf8(a.Instruction), "PAGE");
    EXPECT_EQ(ResultOf(doc, a), "1");
    EXPECT_EQ(ResultOf(doc, b), "2");

    const std::u16string edited = u"PAGE \\* alphabetic";
    doc.PerformOperation(TEditFieldCodeArgs{&a, &edited});
    EXPECT_EQ(Utf8(a.Instruction), "PAGE \\* alphabetic");
    doc.Undo(true);
    EXPECT_EQ(Utf8(a.Instruction), "PAGE");

    TList removed;
    removed.Add(&b);
    doc.PerformOperation(TRemoveFieldArgs{&removed});
    EXPECT_FALSE(doc.Fields.Contains(&b));
    EXPECT_EQ(ParText(doc, 1), "B 2");  // the result stays as text
    doc.Undo(true);
    EXPECT_EQ(ResultOf(doc, b), "2");
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

// The per-page pass shows each page's own number and enters nothing in
// the undo list; a stored result put back the same way.
TEST_F(FieldUpdateTest, PerPagePassAndStoredResultsStayOutOfUndo) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    TPar& par = fixture.Add("Page ");
    TField& page = fixture.AddField(par, "PAGE", "?");
    TField& count = fixture.AddField(par, "NUMPAGES", "?");
    fixture.Paginate();
    KeepUndo(doc);
    const std::int32_t undoBefore = doc.UndoList.Count;
    TFragment range;
    MakeFragment(0, 0, 0, doc.Par(0)->CharCount() - 1, range);
    for (std::int32_t index : {0, 4, 11, 998}) {
        SCOPED_TRACE(index);
        UpdateHeaderFooterFieldsForPage(doc, index, range);
        // Two fields side by side keep their own marks and text.
        EXPECT_EQ(ParText(doc, 0), "Page " + std::to_string(index + 1) + ResultOf(doc, count));
        MakeFragment(0, 0, 0, doc.Par(0)->CharCount() - 1, range);
        EXPECT_EQ(ResultOf(doc, page), std::to_string(index + 1));
        EXPECT_EQ(doc.UndoList.Count, undoBefore);
    }
    EXPECT_EQ(ResultOf(doc, count), std::to_string(doc.FieldPageCount > 0 ? doc.FieldPageCount : doc.Pages.Count));

    EditingServices().SetFieldResult(doc, page, u"stored result");
    EXPECT_EQ(ResultOf(doc, page), "stored result");
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

}  // namespace

namespace {

// Painting lays a page's header out after asking the field code to update
// it: each page shows its own number, and nothing enters the undo list.
TEST_F(FieldUpdateTest, PaintingSeamGivesEachPageItsNumber) {
    TFieldDoc fixture;
    TDoc& doc = fixture.Doc();
    fixture.Add("One");
    fixture.Add("Two", true);
    fixture.Add("Three", true);
    TMemory content;
    content.AppendString("Page ");
    doc.BeginOperation(nullptr);
    TField* header = AddHeaderFooterField(doc, *doc.Sections.At<TSection>(0), hfOddHeader, content,
                                          HeaderFooterParFormat(doc, hfOddHeader));
    doc.EndOperation();
    ASSERT_NE(header, nullptr);
    TFragment range;
    ASSERT_TRUE(doc.FieldRange(header, range));
    PlaceCaret(doc, range.Start.Par, 5);
    doc.PerformOperation(TInsertFieldArgs{ftPageNumber, nullptr});
    TField* page = doc.Fields.At<TField>(doc.Fields.Count - 1);
    ASSERT_EQ(page->Type, ftPageNumber);
    fixture.Paginate();
    KeepUndo(doc);
    ASSERT_EQ(doc.Pages.Count, 3);
    ASSERT_NE(HeaderFooterFieldUpdater, nullptr);
    const std::int32_t undoBefore = doc.UndoList.Count;
    for (std::int32_t index : {2, 0, 1, 1}) {
        SCOPED_TRACE(index);
        TPage& shown = *doc.Pages.At<TPage>(index);
        ASSERT_EQ(shown.HeaderField, header);
        HeaderFooterFieldUpdater(doc, shown);
        EXPECT_EQ(ResultOf(doc, *page), std::to_string(index + 1));
        EXPECT_EQ(doc.UndoList.Count, undoBefore);
    }
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");
}

// A header of the first section with a page number, the page count and the
// section's page count, over two sections of three and two pages.
struct TPageFieldsDoc {
    TFieldDoc Fixture;
    TField* Header = nullptr;
    TField* Page = nullptr;
    TField* Count = nullptr;
    TField* SectionPages = nullptr;

    explicit TPageFieldsDoc(std::uint8_t third = ftSectionPages) {
        TDoc& doc = Fixture.Doc();
        Fixture.Add("One");
        Fixture.Add("Two", true);
        Fixture.Add("Three", true);
        Fixture.BreakSection();
        Fixture.Add("Four");
        Fixture.Add("Five", true);
        TMemory content;
        content.AppendString("Page ");
        doc.BeginOperation(nullptr);
        Header = AddHeaderFooterField(doc, *doc.Sections.At<TSection>(0), hfOddHeader, content,
                                      HeaderFooterParFormat(doc, hfOddHeader));
        doc.EndOperation();
        Page = Insert(ftPageNumber);
        Count = Insert(ftNumPages);
        SectionPages = Insert(third);
        Fixture.Paginate();
        KeepUndo(doc);
    }
    // A field at the end of the header's text.
    TField* Insert(std::uint8_t type) {
        TDoc& doc = Fixture.Doc();
        TFragment range;
        if (!doc.FieldRange(Header, range))
            return nullptr;
        PlaceCaret(doc, range.Start.Par, doc.Par(range.Start.Par)->CharCount() - 1);
        doc.PerformOperation(TInsertFieldArgs{type, nullptr});
        return doc.Fields.At<TField>(doc.Fields.Count - 1);
    }
};

// Once pagination is complete, the pass gives the header's counting fields
// the final counts, and the page painted next shows its own numbers with
// them; nothing enters the undo list.
TEST_F(FieldUpdateTest, PageFieldPassKeepsTheCountsForHeadersAndFooters) {
    TPageFieldsDoc d;
    TDoc& doc = d.Fixture.Doc();
    ASSERT_EQ(doc.Pages.Count, 5);
    ASSERT_NE(d.SectionPages, nullptr);
    ASSERT_EQ(doc.StateFlags[sfPageFieldsStale], 1);
    const std::int32_t undoBefore = doc.UndoList.Count;

    EXPECT_TRUE(UpdatePageFields(doc, false));
    EXPECT_EQ(doc.StateFlags[sfPageFieldsStale], 0);
    EXPECT_EQ(doc.Sections.At<TSection>(0)->PageCount, 3);
    EXPECT_EQ(doc.Sections.At<TSection>(1)->PageCount, 2);
    EXPECT_EQ(doc.FieldPageCount, 5);
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    // Nothing is stale any more: a second call does nothing.
    EXPECT_FALSE(UpdatePageFields(doc, false));

    TPage& second = *doc.Pages.At<TPage>(1);
    ASSERT_EQ(second.HeaderField, d.Header);
    HeaderFooterFieldUpdater(doc, second);
    EXPECT_EQ(ResultOf(doc, *d.Page), "2");
    EXPECT_EQ(ResultOf(doc, *d.Count), "5");
    EXPECT_EQ(ResultOf(doc, *d.SectionPages), "3");
    EXPECT_EQ(doc.UndoList.Count, undoBefore);
    EXPECT_EQ(TestSupport::CheckModelInvariants(doc), "");

    // The document's own entry goes through the editing services.
    doc.StateFlags[sfPageFieldsStale] = 1;
    doc.Sections.At<TSection>(1)->PageCount = 9;
    doc.UpdatePageFields();
    EXPECT_EQ(doc.StateFlags[sfPageFieldsStale], 0);
    EXPECT_EQ(doc.Sections.At<TSection>(1)->PageCount, 2);

    // Background pagination runs the pass once its slices complete the
    // pages.
    doc.Sections.At<TSection>(1)->PageCount = 9;
    doc.DiscardPages(0);
    for (int slices = 0; TLayoutClient::PaginateSlice(doc) && slices < 100; ++slices) {
    }
    EXPECT_EQ(doc.Pages.Count, 5);
    EXPECT_EQ(doc.StateFlags[sfPageFieldsStale], 0);
    EXPECT_EQ(doc.Sections.At<TSection>(1)->PageCount, 2);
}

// The pass runs only on complete, stale pages in the page layout, and only
// when a header or footer holds a field that needs the whole pagination.
TEST_F(FieldUpdateTest, PageFieldPassRunsOnlyWhenItHasSomethingToDo) {
    struct Case {
        const char* Name;
        std::uint8_t Third;  // the header's third field
        void (*Prepare)(TDoc&);
        bool Runs;
    };
    const Case cases[] = {
        {"section page count", ftSectionPages, [](TDoc&) {}, true},
        {"page reference", ftPageRef, [](TDoc&) {}, true},
        {"word count", ftNumWords, [](TDoc&) {}, true},
        {"draft view", ftSectionPages, [](TDoc& doc) { doc.ViewMode = vmDraft; }, false},
        {"pagination not complete", ftSectionPages, [](TDoc& doc) { doc.StateFlags[sfPaginationComplete] = 0; }, false},
        {"page fields not stale", ftSectionPages, [](TDoc& doc) { doc.StateFlags[sfPageFieldsStale] = 0; }, false},
        {"only page numbers and sections", ftSection,
         [](TDoc& doc) {
             for (std::int32_t i = 0; i < doc.Fields.Count; ++i)
                 if (doc.Fields.At<TField>(i)->Type == ftNumPages)
                     doc.Fields.At<TField>(i)->Type = ftPageNumber;
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPageFieldsDoc d(c.Third);
        TDoc& doc = d.Fixture.Doc();
        c.Prepare(doc);
        doc.Sections.At<TSection>(0)->PageCount = 7;
        EXPECT_EQ(UpdatePageFields(doc, false), c.Runs);
        EXPECT_EQ(doc.Sections.At<TSection>(0)->PageCount, c.Runs ? 3 : 7);
        if (c.Runs && c.Third == ftNumWords)
            EXPECT_EQ(FieldIndexOf(doc).KeptWords, 5);
    }
}

}  // namespace
