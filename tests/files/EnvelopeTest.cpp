// Envelopes added to documents: the section they get, its page and
// headers, the address blocks with their line ends, styles and positions,
// and undo.

#include "files/transfer/Envelope.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TransferDoc.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/host/EnvelopeOptions.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/Resources.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

class EnvelopeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseFixtureFonts();
        EnvelopeOptions() = TEnvelopeOptions{};
    }
    void TearDown() override { EnvelopeOptions() = TEnvelopeOptions{}; }

    // A document of the kind the envelope dialog adds to: some text and the
    // caret at the end of the main text.
    static std::unique_ptr<TDoc> TextDoc(const std::string& rtf = "{\\rtf1\\ansi Letter text\\par}") {
        auto doc = DocFromRtf(rtf);
        if (doc != nullptr)
            AtEnd(*doc);
        return doc;
    }
    static void AtEnd(TDoc& doc) {
        const std::int32_t last = doc.LastParOfStory(stMain);
        doc.Caret = TTextPos{last, doc.Par(last)->CharCount() - 1, 0, 0};
        doc.Selection->Reset();
    }
    // A fresh document, as envelope printing and the preview make.
    static std::unique_ptr<TDoc> FreshDoc() { return std::make_unique<TDoc>(); }

    static void Insert(TDoc& doc, const std::u16string& address, const std::u16string& returnAddress, bool fresh) {
        doc.PerformOperation(TInsertEnvelopeArgs{&address, &returnAddress, static_cast<std::uint8_t>(fresh ? 1 : 0)});
    }

    static TSection& LastSection(TDoc& doc) { return *static_cast<TSection*>(doc.Sections.Last()); }

    // The paragraphs of a section as "text:S", S being A for the envelope
    // address style, R for the return address style and - for others,
    // joined by "|".
    static std::string Blocks(TDoc& doc, const TSection& section) {
        std::string out;
        for (std::int32_t p = section.FirstPar; p <= section.LastPar; ++p) {
            const TPar& par = *doc.Par(p);
            if (!out.empty())
                out += '|';
            for (std::int32_t i = 0; i + 1 < par.CharCount(); ++i) {
                const std::uint8_t c = par.Chars.Data[i];
                out += c >= 32 ? static_cast<char>(c) : '#';
            }
            const TStyle* style = par.Style();
            const std::int32_t id = style != nullptr ? style->BuiltInId : -1;
            out += id == bsEnvelopeAddress ? ":A" : id == bsEnvelopeReturn ? ":R" : ":-";
        }
        return out;
    }

    static std::string FontName(std::int32_t font) {
        return font >= 0 && font < FontManager->RegFonts.Count ? FontManager->RegFont(font)->Name : "";
    }

    TTransferScope scope;
};

TEST_F(EnvelopeTest, TrailingLineEndsFollowTheBlockRules) {
    struct Case {
        const char* Name;
        std::u16string Address;
        std::u16string Return;
        const char* Blocks;
    };
    const Case cases[] = {
        // One line end is kept after the return address: its line, then the
        // paragraph the delivery address fills.
        {"return with three line ends", u"Addressee", u"Sender\r\n\r\n\r\n", "Sender:R|Addressee:A"},
        {"return with two line ends", u"Addressee", u"S\r\n\r\n", "S:R|Addressee:A"},
        {"return without a line end gets one", u"Addressee", u"Sender", "Sender:R|Addressee:A"},
        {"return of two lines", u"Addressee", u"Sender\r\nStreet 1\r\n", "Sender:R|Street 1:R|Addressee:A"},
        {"return that is one line end", u"Addressee", u"\r\n", ":R|Addressee:A"},
        // The delivery address loses every line end at its end.
        {"address with several line ends", u"Line 1\r\nLine 2\r\n\r\n\r\n", u"", "Line 1:A|Line 2:A"},
        {"address with one line end", u"Line 1\r\n", u"", "Line 1:A"},
        // A delivery address that is one line end alone keeps it.
        {"address that is one line end", u"\r\n", u"", ":A|:A"},
        {"empty address", u"", u"", ":A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto doc = FreshDoc();
        Insert(*doc, c.Address, c.Return, true);
        ASSERT_EQ(doc->Sections.Count, 1);
        EXPECT_EQ(Blocks(*doc, LastSection(*doc)), c.Blocks);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    }
}

TEST_F(EnvelopeTest, AnEnvelopeGetsASectionOfItsOwnUnlessTheDocumentIsFresh) {
    struct Case {
        const char* Name;
        const char* Rtf;  // nil: a fresh document
        bool Fresh;
        int Envelopes;
        std::int32_t Sections;
        const char* EnvelopeSection;
    };
    const Case cases[] = {
        // The empty last paragraph of a one-section document does not take
        // the envelope: the letter keeps its page.
        {"one section, empty last paragraph", "{\\rtf1\\ansi Letter\\par\\par}", false, 1, 2, "Addressee:A"},
        {"one section, text in the last paragraph", "{\\rtf1\\ansi Letter\\par}", false, 1, 2, "Addressee:A"},
        {"an empty one-paragraph document", "{\\rtf1\\ansi\\par}", false, 1, 2, "Addressee:A"},
        // The caret's paragraph starts an empty section of its own: no
        // further break.
        {"empty last section", "{\\rtf1\\ansi Letter\\sect}", false, 1, 2, "Addressee:A"},
        // A fresh document: the first envelope takes its section, each
        // further one gets a break.
        {"fresh, one envelope", nullptr, true, 1, 1, "Addressee:A"},
        {"fresh, two envelopes", nullptr, true, 2, 2, "Addressee:A"},
        {"fresh, three envelopes", nullptr, true, 3, 3, "Addressee:A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto doc = c.Rtf != nullptr ? TextDoc(c.Rtf) : FreshDoc();
        ASSERT_NE(doc, nullptr);
        for (int i = 0; i < c.Envelopes; ++i)
            Insert(*doc, u"Addressee", u"", c.Fresh);
        EXPECT_EQ(doc->Sections.Count, c.Sections);
        EXPECT_EQ(Blocks(*doc, LastSection(*doc)), c.EnvelopeSection);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    }
}

TEST_F(EnvelopeTest, TheEnvelopeSectionHasTheEnvelopesPageAndTheTextKeepsItsOwn) {
    auto doc = TextDoc();
    ASSERT_NE(doc, nullptr);
    const TPageSetup letter = LastSection(*doc).PageSetup;
    Insert(*doc, u"Addressee", u"Sender", false);
    ASSERT_EQ(doc->Sections.Count, 2);
    const TPageSetup& text = doc->Sections.At<TSection>(0)->PageSetup;
    EXPECT_EQ(text.PageWidth, letter.PageWidth);
    EXPECT_EQ(text.LeftMargin, letter.LeftMargin);
    EXPECT_EQ(text.Orientation, letter.Orientation);

    const TSection& envelope = LastSection(*doc);
    EXPECT_EQ(envelope.PageSetup.PageWidth, 9360);
    EXPECT_EQ(envelope.PageSetup.PageHeight, 5220);
    EXPECT_EQ(envelope.PageSetup.Orientation, 1);
    for (int word = 0; word < 6; ++word) {
        TPageSetup setup = envelope.PageSetup;
        EXPECT_EQ(PageSetupWord(setup, PageSetupFirstMarginWord + word), 0) << "margin or distance word " << word;
    }
    EXPECT_EQ(envelope.PageSetup.TextWidth, 9360);
    EXPECT_EQ(envelope.Format.ColumnCount, 1);

    // Other sizes from the settings.
    EnvelopeOptions().Width = 12983;
    EnvelopeOptions().Height = 9184;
    Insert(*doc, u"Second", u"", false);
    EXPECT_EQ(LastSection(*doc).PageSetup.PageWidth, 12983);
    EXPECT_EQ(LastSection(*doc).PageSetup.PageHeight, 9184);
}

TEST_F(EnvelopeTest, AddressesTakeTheEnvelopeStylesAndTheirFonts) {
    auto doc = TextDoc();
    ASSERT_NE(doc, nullptr);
    Insert(*doc, u"Addressee", u"Sender", false);
    struct Case {
        std::int32_t BuiltIn;
        std::int32_t HalfPoints;
    };
    const Case cases[] = {{bsEnvelopeAddress, 24}, {bsEnvelopeReturn, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.BuiltIn);
        const std::int32_t index = doc->Styles->IndexOfBuiltIn(c.BuiltIn);
        ASSERT_GE(index, 0);
        TCharFormat resolved = UnsetCharFormat;
        doc->Styles->Style(index)->ResolveFormat(&resolved, nullptr, 0);
        EXPECT_EQ(FontName(resolved[caFont]), "Arial");
        EXPECT_EQ(resolved[caSize], c.HalfPoints);
    }
    // The text itself shows the styles' fonts.
    const TSection& envelope = LastSection(*doc);
    TCharFormat format;
    doc->FormatAtPos(TTextPos{envelope.FirstPar, 0, 0, 0}, format);
    EXPECT_EQ(FontName(format[caFont]), "Arial");
    EXPECT_EQ(format[caSize], 20);
    doc->FormatAtPos(TTextPos{envelope.LastPar, 0, 0, 0}, format);
    EXPECT_EQ(FontName(format[caFont]), "Arial");
    EXPECT_EQ(format[caSize], 24);
}

TEST_F(EnvelopeTest, BlocksArePlacedByTheSettings) {
    auto doc = FreshDoc();
    Insert(*doc, u"Addressee\r\nTown", u"Sender", true);
    const TSection& envelope = LastSection(*doc);
    ASSERT_EQ(Blocks(*doc, envelope), "Sender:R|Addressee:A|Town:A");
    const TParFormat& ret = doc->Par(envelope.FirstPar)->Format;
    const TParFormat& address = doc->Par(envelope.FirstPar + 1)->Format;
    const TParFormat& town = doc->Par(envelope.FirstPar + 2)->Format;
    EXPECT_EQ(ret.LeftIndent, 936);   // 9360 x 1000 / 10000
    EXPECT_EQ(ret.SpaceBefore, 522);  // 5220 x 1000 / 10000
    EXPECT_EQ(address.LeftIndent, 3744);
    EXPECT_EQ(town.LeftIndent, 3744);
    EXPECT_EQ(town.SpaceBefore, 0) << "only the block's first paragraph is moved down";
}

TEST_F(EnvelopeTest, TheReturnBlocksHeightMovesTheDeliveryAddressUp) {
    struct Case {
        const char* Name;
        std::u16string Return;
        // Of the return block alone: the empty paragraph the address then
        // fills is not the return block's, so the address starts at its place.
        std::int32_t Lines;
    };
    const Case cases[] = {
        {"one line", u"Sender", 1},
        {"two lines", u"Sender\r\nStreet 1", 2},
        {"three lines and empty ones", u"Sender\r\nStreet 1\r\nTown\r\n\r\n", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto doc = FreshDoc();
        Insert(*doc, u"Addressee", c.Return, true);
        const TSection& envelope = LastSection(*doc);
        // The height is the first line's height times the lines; that line
        // holds the space before the block now.
        TPar& first = *doc->Par(envelope.FirstPar);
        first.RebuildLines(true, 9360);
        ASSERT_EQ(first.LineCount(), 1);
        const std::int32_t lineHeight = first.Lines->At<TLine>(0)->Height - first.Format.SpaceBefore;
        first.RebuildLines(false, 0);
        ASSERT_GT(lineHeight, 0);
        const std::int32_t addressPar = envelope.LastPar;
        EXPECT_EQ(doc->Par(addressPar)->Format.SpaceBefore, 2610 - 522 - c.Lines * lineHeight);
    }
}

TEST_F(EnvelopeTest, WithoutAReturnAddressTheDeliveryAddressStartsAtItsPlace) {
    struct Case {
        std::int32_t Height;
        std::int32_t Top;
        std::int16_t SpaceBefore;
    };
    const Case cases[] = {
        {5220, 5000, 2610}, {5221, 5000, 2611},  // 2610.5: halves away from zero
        {5223, 4999, 2611},                      // 2610.98
        {5219, 5000, 2610},                      // 2609.5
        {5219, 4000, 2088},                      // 2087.6
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Height * 10000 + c.Top);
        EnvelopeOptions().Height = c.Height;
        EnvelopeOptions().DA_Top = c.Top;
        auto doc = FreshDoc();
        Insert(*doc, u"Addressee", u"", true);
        const TSection& envelope = LastSection(*doc);
        ASSERT_EQ(Blocks(*doc, envelope), "Addressee:A");
        EXPECT_EQ(doc->Par(envelope.FirstPar)->Format.SpaceBefore, c.SpaceBefore);
    }
}

TEST_F(EnvelopeTest, FractionsRoundToTheNearestTwipHalvesAwayFromZero) {
    struct Case {
        std::int32_t Size;
        std::int32_t Value;
        std::int32_t Expected;
    };
    const Case cases[] = {
        {9360, 4000, 3744},
        {5221, 5000, 2611},
        {5219, 5000, 2610},
        {1, 4999, 0},
        {1, 5000, 1},
        {-1, 5000, -1},
        {31680, 8000, 25344},
        // The product does not fit 32 bits.
        {2000000000, 10000, 2000000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnvelopeFraction(c.Size, c.Value), c.Expected) << c.Size << " x " << c.Value;
}

TEST_F(EnvelopeTest, TheEnvelopeShowsNoneOfThePreviousSectionsHeaders) {
    auto doc = TextDoc("{\\rtf1\\ansi{\\header Letterhead\\par}{\\footer Page foot\\par}Letter\\par}");
    ASSERT_NE(doc, nullptr);
    TField* letterhead = doc->Sections.At<TSection>(0)->HeadersFooters[hfOddHeader];
    ASSERT_NE(letterhead, nullptr);
    Insert(*doc, u"Addressee", u"Sender", false);
    ASSERT_EQ(doc->Sections.Count, 2);
    const TSection& text = *doc->Sections.At<TSection>(0);
    EXPECT_EQ(text.HeadersFooters[hfOddHeader], letterhead);
    const TSection& envelope = LastSection(*doc);
    for (int slot = 0; slot < HeaderFooterSlotCount; ++slot) {
        SCOPED_TRACE(slot);
        TField* field = envelope.HeadersFooters[slot];
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->Kind, fkHeaderFooter);
        for (int other = 0; other < HeaderFooterSlotCount; ++other) {
            EXPECT_NE(field, text.HeadersFooters[other]);
            if (other != slot)
                EXPECT_NE(field, envelope.HeadersFooters[other]);
        }
        TFragment range;
        ASSERT_TRUE(doc->FieldRange(field, range));
        EXPECT_EQ(range.Start.Par, range.End.Par) << "one paragraph";
        EXPECT_EQ(doc->StoryOfPar(range.Start.Par), stHeadersFooters);
        EXPECT_EQ(doc->Par(range.Start.Par)->CharCount(), 1) << "an empty paragraph";
    }
    // The letter keeps its own headers.
    TFragment range;
    ASSERT_TRUE(doc->FieldRange(text.HeadersFooters[hfOddHeader], range));
    EXPECT_NE(doc->RangeText(range).find(u"Letterhead"), std::u16string::npos);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
}

TEST_F(EnvelopeTest, AnUnusableStyleSettingIsReplacedWithoutAMessage) {
    Platform::TResourceData resource;
    ASSERT_TRUE(Platform::FindResourceData(EnvelopeStylesResourceType, EnvelopeStylesResource, resource));
    const std::string builtIn(reinterpret_cast<const char*>(resource.Data), static_cast<std::size_t>(resource.Size));
    const std::string courier =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}{\\stylesheet{Normal;}"
        "{\\s1{\\*\\stloverrides\\f0\\fs28} envelope address;}{\\s2{\\*\\stloverrides\\f0\\fs18} envelope "
        "return;}}\\par}";
    struct Case {
        const char* Name;
        std::string Setting;
        bool Replaced;
        const char* Font;
        std::int32_t AddressSize;
    };
    const Case cases[] = {
        {"empty", "", true, "Arial", 24},
        {"garbage", "not a document at all", true, "Arial", 24},
        {"cut off", courier.substr(0, 40), true, "Arial", 24},
        {"no return style", "{\\rtf1\\ansi{\\stylesheet{Normal;}{\\s1\\fs28 envelope address;}}\\par}", true, "Arial",
         24},
        {"a document without styles", "{\\rtf1\\ansi Just text\\par}", true, "Arial", 24},
        {"the user's own styles", courier, false, "Courier New", 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EnvelopeOptions().AddrFont = c.Setting;
        TestSupport::TScriptedMessageBoxes boxes;
        auto doc = TextDoc();
        ASSERT_NE(doc, nullptr);
        Insert(*doc, u"Addressee", u"Sender", false);
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ(EnvelopeOptions().AddrFont, c.Replaced ? builtIn : c.Setting);
        const TSection& envelope = LastSection(*doc);
        ASSERT_EQ(Blocks(*doc, envelope), "Sender:R|Addressee:A");
        TCharFormat format;
        doc->FormatAtPos(TTextPos{envelope.LastPar, 0, 0, 0}, format);
        EXPECT_EQ(FontName(format[caFont]), c.Font);
        EXPECT_EQ(format[caSize], c.AddressSize);
    }
}

// The model as bytes: the text, the sections with their pages and header
// slots, and the style sheet.
std::string Model(TDoc& doc) {
    std::string out = TestSupport::DocumentBytes(doc);
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const TSection& s = *doc.Sections.At<TSection>(i);
        TPageSetup page = s.PageSetup;
        out += "section";
        for (int word = 0; word < 6; ++word)
            out += " " + std::to_string(PageSetupWord(page, PageSetupFirstMarginWord + word));
        out += " " + std::to_string(page.PageWidth) + "x" + std::to_string(page.PageHeight) + " " +
               std::to_string(page.Orientation) + " " + std::to_string(s.Format.BreakKind);
        for (const TField* f : s.HeadersFooters)
            out += f != nullptr ? " h" : " -";
        out += "\n";
    }
    for (std::int32_t i = 0; i < doc.Styles->Count; ++i)
        out += doc.Styles->Style(i)->Name + "\n";
    return out;
}

TEST_F(EnvelopeTest, UndoTakesTheWholeEnvelopeAwayAndRedoBringsItBack) {
    struct Case {
        const char* Name;
        const char* Rtf;
        std::u16string Return;
    };
    const Case cases[] = {
        {"with a return address and headers", "{\\rtf1\\ansi{\\header Letterhead\\par}Letter\\par\\par}",
         u"Sender\r\n"},
        {"without a return address", "{\\rtf1\\ansi Letter\\par}", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto doc = TextDoc(c.Rtf);
        ASSERT_NE(doc, nullptr);
        const std::string before = Model(*doc);
        const std::int32_t undoIndex = doc->UndoIndex;
        Insert(*doc, u"Addressee\r\nTown\r\n", c.Return, false);
        ASSERT_EQ(doc->UndoIndex, undoIndex + 1) << "one undo step";
        const std::string after = Model(*doc);
        ASSERT_NE(after, before);
        doc->Undo(false);
        EXPECT_EQ(Model(*doc), before);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        doc->Redo();
        EXPECT_EQ(Model(*doc), after);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    }
}

}  // namespace
