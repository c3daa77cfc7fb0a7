// Paste (opPaste) of content that is more than text: a whole document into
// an empty one, shapes copied on their own, lists that continue their
// neighbours, fields of an inserted file, a link dragged from a browser, a
// symbol-font character and a GIF picture. Each change undoes and redoes
// byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "TransferDoc.h"
#include "base/core/TMemory.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/TGIFImage.h"
#include "files/transfer/InsertDocument.h"
#include "files/transfer/Paste.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/paragraphs/TPar.h"
#include "platform/Clipboard.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;

void PasteRtf(TDoc& doc, const std::string& rtf) {
    TMemory bytes;
    bytes.AppendBuffer(rtf.data(), static_cast<std::int32_t>(rtf.size()));
    TPasteData data;
    data.Source = psRtfMemory;
    data.RtfData = &bytes;
    doc.PerformOperation(TPasteArgs{&data});
}

void PasteClipboard(TDoc& doc) {
    TPasteData data;
    data.Source = psClipboard;
    doc.PerformOperation(TPasteArgs{&data});
}

// Undo gives the document before back and redo the document after, byte
// for byte.
void ExpectUndoRedo(TDoc& doc, const std::string& before) {
    const std::string after = TestSupport::DocumentBytes(doc);
    doc.Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(doc), before);
    doc.Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(doc), after);
}

// Reading formats puts streams in their canonical form; snapshots compare
// documents in that form.
void Normalize(TDoc& doc) {
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        doc.Par(p)->Normalize();
}

TSection& FirstSection(TDoc& doc) {
    return *doc.Sections.At<TSection>(0);
}

class PasteContentTest : public ::testing::Test {
protected:
    TTransferScope scope;
    TestSupport::TTempDir temp;
};

// A document of its own page size and margins, with a header: written whole,
// as a saved file is.
constexpr const char* WholeSource =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\paperw11906\\paperh16838\\margl1701\\margr851"
    "{\\header \\pard header line\\par}\\pard source text\\par}";

TEST_F(PasteContentTest, AWholeDocumentPastedIntoAnEmptyOneBringsItsPageSetupAndHeaders) {
    struct Case {
        const char* Name;
        const char* Destination;
        bool InsertFileMode;
        bool WholeSourceDocument;  // false: a range of it, as a copy carries
        bool Adopts;
    };
    const Case cases[] = {
        {"into an empty document", "{\\rtf1\\ansi}", false, true, true},
        {"into a document with text", "{\\rtf1\\ansi dest}", false, true, false},
        {"inserted as a file", "{\\rtf1\\ansi}", true, true, false},
        {"a copied range", "{\\rtf1\\ansi}", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> source = DocFromRtf(WholeSource, true);
        ASSERT_NE(source, nullptr);
        std::string rtf;
        if (c.WholeSourceDocument) {
            rtf = RtfOf(*source);
        } else {
            const TFragment range{TTextPos{0, 0}, TTextPos{0, 6}};
            rtf = RtfOf(*source, &range);
        }
        std::unique_ptr<TDoc> doc = DocFromRtf(c.Destination);
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const TPageSetup setupBefore = FirstSection(*doc).PageSetup;
        const std::string before = TestSupport::DocumentBytes(*doc);
        PasteOptions().InsertFileMode = c.InsertFileMode;
        doc->Caret = TTextPos{0, 0};
        PasteRtf(*doc, rtf);
        PasteOptions().InsertFileMode = false;
        EXPECT_NE(MainText(*doc).find("source"), std::string::npos) << MainText(*doc);
        const TSection& section = FirstSection(*doc);
        if (c.Adopts) {
            EXPECT_EQ(section.PageSetup.PageWidth, 11906);
            EXPECT_EQ(section.PageSetup.PageHeight, 16838);
            EXPECT_EQ(section.PageSetup.LeftMargin, 1701);
            EXPECT_EQ(section.PageSetup.RightMargin, 851);
            TField* header = section.HeadersFooters[hfOddHeader];
            ASSERT_NE(header, nullptr);
            EXPECT_TRUE(doc->Fields.Contains(header));
        } else {
            EXPECT_EQ(section.PageSetup.PageWidth, setupBefore.PageWidth);
            EXPECT_EQ(section.PageSetup.LeftMargin, setupBefore.LeftMargin);
        }
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

// A floating picture at (1000, 500) twips of its anchor: its picture is
// the signature and header chunk of a 100 x 50 PNG, all that measuring
// reads.
std::string FloatingShapeRtf() {
    std::string png = "\x89PNG\r\n\x1A\n";
    png += std::string("\0\0\0\x0D", 4) + "IHDR";
    for (std::uint32_t v : {100u, 50u})
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(static_cast<char>((v >> shift) & 0xFF));
    png += std::string("\x08\x06\0\0\0", 5) + "CRC!";
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    for (char c : png) {
        hex.push_back(Digits[static_cast<std::uint8_t>(c) >> 4]);
        hex.push_back(Digits[static_cast<std::uint8_t>(c) & 15]);
    }
    return "{\\rtf1\\ansi{\\shp{\\*\\shpinst\\shpleft1000\\shptop500\\shpright2500\\shpbottom1250\\shpwr3"
           "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv {\\pict\\pngblip " +
           hex + "}}}}}\\par}";
}

TEST_F(PasteContentTest, ShapesCopiedAloneArriveAsSelectedShapesAndStepAsideWhenPastedAgain) {
    std::unique_ptr<TDoc> origin = DocFromRtf(FloatingShapeRtf(), true);
    ASSERT_NE(origin, nullptr);
    ASSERT_EQ(origin->Shapes.Count, 1);
    ASSERT_TRUE(origin->Shapes.At<TShape>(0)->IsFloating());
    // What a copy of the selected shapes writes: the marker after the
    // header, then the shapes.
    std::string rtf = RtfOf(*origin);
    rtf.insert(rtf.find("\\ansi") + 5, "\\shpsel");

    std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi abc\\par def\\par}");
    ASSERT_NE(doc, nullptr);
    Normalize(*doc);
    const std::string before = TestSupport::DocumentBytes(*doc);
    SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, rtf);
    doc->Caret = TTextPos{1, 1};
    PasteClipboard(*doc);
    // Only the shape arrived: no text of the copy.
    EXPECT_EQ(MainText(*doc), "abc|d#ef|");
    ASSERT_EQ(doc->Shapes.Count, 1);
    const TShape* first = doc->Shapes.At<TShape>(0);
    EXPECT_TRUE(first->IsFloating());
    ASSERT_EQ(doc->SelectedShapes.Count, 1);
    EXPECT_EQ(doc->SelectedShapes.Item(0), first);
    const TRect firstPos = first->Props.PosRect;
    ExpectUndoRedo(*doc, before);

    // The second copy steps 180 twips right and down of the first.
    Normalize(*doc);
    const std::string once = TestSupport::DocumentBytes(*doc);
    PasteClipboard(*doc);
    ASSERT_EQ(doc->Shapes.Count, 2);
    const TShape* second = doc->Shapes.At<TShape>(1);
    EXPECT_EQ(second->Props.PosRect.Left, firstPos.Left + 180);
    EXPECT_EQ(second->Props.PosRect.Top, firstPos.Top + 180);
    EXPECT_GT(second->ZOrder(), first->ZOrder());
    ASSERT_EQ(doc->SelectedShapes.Count, 1);
    EXPECT_EQ(doc->SelectedShapes.Item(0), second);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    ExpectUndoRedo(*doc, once);

    // A text selection gives way to the pasted shape; its text stays.
    SelectRanges(*doc, {TFragment{TTextPos{0, 0}, TTextPos{0, 3}}});
    PasteClipboard(*doc);
    const std::string text = MainText(*doc);
    EXPECT_EQ(text.substr(0, 3), "abc");
    EXPECT_EQ(std::count(text.begin(), text.end(), '#'), 3) << text;
    EXPECT_EQ(doc->Shapes.Count, 3);
    EXPECT_FALSE(doc->HasSelection());
    ASSERT_EQ(doc->SelectedShapes.Count, 1);
    EXPECT_EQ(doc->SelectedShapes.Item(0), doc->Shapes.Item(2));
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
}

TEST_F(PasteContentTest, PastedListParagraphsContinueTheListBesideThem) {
    constexpr const char* Numbered =
        "{\\rtf1\\ansi{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1"
        "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}"
        "\\pard\\ls1 one\\par\\pard\\ls1 two\\par\\pard after\\par}";
    std::unique_ptr<TDoc> doc = DocFromRtf(Numbered);
    ASSERT_NE(doc, nullptr);
    const std::int32_t list = doc->Par(0)->Format.List;
    ASSERT_NE(list, 0);
    // A copy of the second item, pasted as the start of the paragraph after
    // the list, brings a list of its own that equals the list above.
    const TFragment second{TTextPos{1, 0}, TTextPos{2, 0}};
    const std::string copy = RtfOf(*doc, &second);
    Normalize(*doc);
    const std::string before = TestSupport::DocumentBytes(*doc);
    doc->Caret = TTextPos{2, 0};
    PasteRtf(*doc, copy);
    ASSERT_EQ(MainText(*doc), "one|two|two|after|");
    // Packed fields are read by value, never bound by reference.
    const std::int32_t pastedList = doc->Par(2)->Format.List;
    EXPECT_EQ(pastedList, list);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    ExpectUndoRedo(*doc, before);
}

TEST_F(PasteContentTest, AnInsertedFilesFieldsAreUpdatedOnlyInInsertFileMode) {
    const std::string rtf = "{\\rtf1\\ansi {\\field{\\*\\fldinst DATE \\\\@ \"yyyy\"}{\\fldrslt stale}}\\par}";
    for (const bool insertFile : {false, true}) {
        SCOPED_TRACE(insertFile ? "insert-file mode" : "a plain paste");
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi abc\\par}");
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        PasteOptions().InsertFileMode = insertFile;
        doc->Caret = TTextPos{0, 0};
        PasteRtf(*doc, rtf);
        PasteOptions().InsertFileMode = false;
        const std::string text = MainText(*doc);
        if (insertFile)
            EXPECT_EQ(text.find("stale"), std::string::npos) << text;
        else
            EXPECT_NE(text.find("stale"), std::string::npos) << text;
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

TEST_F(PasteContentTest, ALinkDraggedFromABrowserBecomesAHyperlinkToItsAddress) {
    struct Case {
        const char* Name;
        std::string Shortcut;
        std::string Address;  // empty: nothing is pasted
    };
    const Case cases[] = {
        {"an Internet shortcut", "[InternetShortcut]\r\nURL=https://example.org/a?b=1\r\n",
         "https://example.org/a?b=1"},
        {"without a line end", "URL=http://e.org", "http://e.org"},
        {"no address in it", "[InternetShortcut]\r\nIconIndex=0\r\n", ""},
        {"an empty address", "URL=\r\n", ""},
    };
    PasteOptions().SmartCutAndPaste = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi xy\\par}");
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        scope.Clipboard.Clear();
        SetClipboardRegistered(scope.Clipboard, FileGroupClipboardFormat, std::string(16, '\0'));
        SetClipboardRegistered(scope.Clipboard, FileContentsClipboardFormat, c.Shortcut);
        doc->Caret = TTextPos{0, 1};
        PasteClipboard(*doc);
        if (c.Address.empty()) {
            EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
            EXPECT_EQ(doc->UndoIndex, -1);
            continue;
        }
        EXPECT_EQ(MainText(*doc), "x" + c.Address + "y|");
        const TField* link = nullptr;
        for (std::int32_t i = 0; i < doc->Fields.Count; ++i)
            if (doc->Fields.At<TField>(i)->Type == ftHyperlink)
                link = doc->Fields.At<TField>(i);
        ASSERT_NE(link, nullptr);
        EXPECT_NE(link->Instruction.find(std::u16string(c.Address.begin(), c.Address.end())), std::u16string::npos);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

TEST_F(PasteContentTest, APrivateUseCharacterArrivesInASymbolField) {
    struct Case {
        const char* Name;
        std::int32_t Character;
        const char16_t* Instruction;  // nil: no field
    };
    const Case cases[] = {
        {"a symbol-font character", 0xF04A, u"SYMBOL 61514 \\f \"Wingdings\""},
        {"the first of the private-use area", 0xE000, u"SYMBOL 57344 \\f \"Wingdings\""},
        {"beyond the private-use area", 0xF900, nullptr},
        {"a letter", 0x0416, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi ab\\par}");
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        TPasteData data;
        data.Source = psCharacter;
        data.Character = c.Character;
        data.FontName = "Wingdings";
        doc->Caret = TTextPos{0, 1};
        doc->PerformOperation(TPasteArgs{&data});
        EXPECT_EQ(doc->Par(0)->CharCount(), 4);
        const TField* symbol = nullptr;
        for (std::int32_t i = 0; i < doc->Fields.Count; ++i)
            if (doc->Fields.At<TField>(i)->Type == ftSymbol)
                symbol = doc->Fields.At<TField>(i);
        if (c.Instruction == nullptr) {
            EXPECT_EQ(symbol, nullptr);
        } else {
            ASSERT_NE(symbol, nullptr);
            EXPECT_EQ(symbol->Kind, fkCode);
            EXPECT_EQ(symbol->Instruction, c.Instruction);
            TFragment range;
            ASSERT_TRUE(doc->FieldRange(const_cast<TField*>(symbol), range));
            EXPECT_EQ(range.Start.Offset, 1);
            EXPECT_EQ(range.End.Offset, 2);
        }
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

// A GIF picture of the size given, two colours in stripes, through the GIF
// writer.
std::string GifOfSize(std::int32_t width, std::int32_t height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint8_t v = (x / 4) % 2 == 0 ? 0x20 : 0xE0;
            row[x * 3] = v;
            row[x * 3 + 1] = 0x80;
            row[x * 3 + 2] = v;
        }
    }
    TGIFImage gif;
    gif.Assign(&bitmap);
    TMemoryStream out;
    gif.SaveToStream(out);
    return std::string(reinterpret_cast<const char*>(out.Memory), static_cast<std::size_t>(out.MemSize));
}

TEST_F(PasteContentTest, GifPicturesArriveAsPng) {
    struct Case {
        const char* Name;
        std::string Bytes;
        bool Loads;
    };
    const std::string gif = GifOfSize(100, 50);
    ASSERT_EQ(gif.compare(0, 3, "GIF"), 0);
    const Case cases[] = {
        {"picture.gif", gif, true},
        {"gif-named.png", gif, true},
        {"truncated.gif", gif.substr(0, 20), false},
        {"header-only.gif", "GIF89a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDoc doc(true);
        TScriptedMessageBoxes boxes({mrOk});
        const std::string path = temp.File(c.Name);
        TestSupport::WriteFileBytes(path, c.Bytes);
        TShape* shape = CreatePictureShape(doc, path, pkfDetect, 0);
        if (!c.Loads) {
            EXPECT_EQ(shape, nullptr);
            ASSERT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(boxes.Shown()[0].Text, "Error opening picture \"" + path + "\".");
            EXPECT_EQ(doc.Shapes.Count, 0);
            continue;
        }
        ASSERT_NE(shape, nullptr);
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ(shape->Picture.Kind, pkPng);
        EXPECT_EQ(shape->Picture.Data.compare(0, 4, "\x89PNG"), 0);
        EXPECT_EQ(shape->Picture.PixelWidth, 100);
        EXPECT_EQ(shape->Picture.PixelHeight, 50);
        EXPECT_EQ(shape->Picture.GoalWidth, 1500);
        EXPECT_EQ(shape->Picture.GoalHeight, 750);
    }
}

TEST_F(PasteContentTest, PastingAGifFileUndoesByteForByte) {
    std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi abc\\par}");
    ASSERT_NE(doc, nullptr);
    Normalize(*doc);
    const std::string before = TestSupport::DocumentBytes(*doc);
    const std::string path = temp.File("picture.gif");
    TestSupport::WriteFileBytes(path, GifOfSize(40, 30));
    doc->Caret = TTextPos{0, 1};
    PasteFile(*doc, path, 7);
    EXPECT_EQ(MainText(*doc), "a#bc|");
    ASSERT_EQ(doc->Shapes.Count, 1);
    EXPECT_EQ(doc->Shapes.At<TShape>(0)->Picture.Kind, pkPng);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    ExpectUndoRedo(*doc, before);
}

}  // namespace

namespace {

constexpr const char* OneRowTable =
    "{\\rtf1\\ansi\\trowd\\cellx2000\\cellx4000\\pard\\intbl a1\\cell b1\\cell\\row\\pard after\\par}";

std::int32_t RowEnds(const TDoc& doc) {
    std::int32_t rows = 0;
    for (std::int32_t p = 0; p < doc.StoryCounts[stMain]; ++p) {
        const TPar& par = *doc.Par(p);
        rows += par.CharCount() == 1 && par.Chars.Data[0] == chRowEnd;
    }
    return rows;
}

TEST_F(PasteContentTest, PastingOverRangesInCellsKeepsTheTableWhole) {
    struct Case {
        const char* Name;
        std::vector<TFragment> Ranges;
        bool TableContent;  // else the text "Z"
        const char* Expected;
    };
    const Case cases[] = {
        {"table content with text after it over a cell's text",
         {TFragment{TTextPos{0, 0}, TTextPos{0, 2}}},
         true,
         "p|q|tail|b1||after|"},
        {"text over a range across two cells and one after the table",
         {TFragment{TTextPos{0, 1}, TTextPos{1, 1}}, TFragment{TTextPos{3, 0}, TTextPos{3, 1}}},
         false,
         "aZ|Z1||Zfter|"},
        {"text over a range in each cell",
         {TFragment{TTextPos{0, 0}, TTextPos{0, 1}}, TFragment{TTextPos{1, 1}, TTextPos{1, 2}}},
         false,
         "Z1|bZ||after|"},
    };
    PasteOptions().SmartCutAndPaste = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(OneRowTable);
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        scope.Clipboard.Clear();
        if (c.TableContent)
            SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat,
                                   "{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000\\pard\\intbl p\\cell q\\cell\\row"
                                   "\\pard tail\\par}");
        else
            SetClipboardUnicode(scope.Clipboard, u"Z");
        if (c.Ranges.size() == 1)
            SelectRanges(*doc, {c.Ranges[0]});
        else
            SelectRanges(*doc, {c.Ranges[0], c.Ranges[1]});
        PasteClipboard(*doc);
        EXPECT_EQ(MainText(*doc), c.Expected);
        EXPECT_EQ(RowEnds(*doc), 1);
        // Every paragraph before the one after the table is in it.
        for (std::int32_t p = 0; p + 2 < doc->StoryCounts[stMain]; ++p)
            EXPECT_NE(int{doc->Par(p)->Format.InTable}, 0) << p;
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

TEST_F(PasteContentTest, AnInsertedFileTakesTheSizeLanguageAndFontItLandsIn) {
    struct Case {
        const char* Name;
        bool KeepFormatting;
        bool KeepFonts;
        bool TakesSize;
        bool TakesFont;
    };
    const Case cases[] = {
        {"fitted to the destination", false, false, true, true},
        {"keeping its fonts", false, true, true, false},
        {"keeping its formatting", true, false, false, false},
    };
    PasteOptions().SmartCutAndPaste = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs40 abc\\par}");
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        TCharFormat destination;
        doc->FormatAtPos(TTextPos{0, 0}, destination);
        PasteOptions().InsertFileMode = true;
        PasteOptions().KeepSourceFormatting = c.KeepFormatting;
        PasteOptions().KeepSourceFonts = c.KeepFonts;
        doc->Caret = TTextPos{0, 1};
        PasteRtf(*doc, "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20\\b XY}");
        PasteOptions() = TPasteOptions{};
        PasteOptions().SmartCutAndPaste = false;
        EXPECT_EQ(MainText(*doc), "aXYbc|");
        TCharFormat pasted;
        doc->FormatAtPos(TTextPos{0, 1}, pasted);
        EXPECT_EQ(pasted[caBold], 1);  // attributes of its own stay
        EXPECT_EQ(pasted[caSize] == destination[caSize], c.TakesSize);
        EXPECT_EQ(pasted[caFont] == destination[caFont], c.TakesFont);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

TEST_F(PasteContentTest, AnInsertedFilesParagraphsTakeWhatTheyLeaveAtTheDefaults) {
    PasteOptions().SmartCutAndPaste = false;
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "keeping its formatting" : "fitted to the destination");
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi\\pard\\qc\\sb240 abc\\par}");
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        PasteOptions().InsertFileMode = true;
        PasteOptions().KeepSourceFormatting = keep;
        doc->Caret = TTextPos{0, 3};
        // The file's paragraphs share the default alignment and spacing, but
        // not their left indent.
        PasteRtf(*doc, "{\\rtf1\\ansi\\pard\\li1440 one\\par\\pard two\\par}");
        PasteOptions().InsertFileMode = false;
        PasteOptions().KeepSourceFormatting = false;
        ASSERT_EQ(MainText(*doc), "abcone|two||");
        const TParFormat one = doc->Par(0)->Format;
        const TParFormat two = doc->Par(1)->Format;
        EXPECT_EQ(int{two.Alignment}, keep ? 0 : 1);
        EXPECT_EQ(int{two.SpaceBefore}, keep ? 0 : 240);
        // What the file chose for itself stays.
        EXPECT_EQ(int{one.LeftIndent}, 1440);
        EXPECT_EQ(int{two.LeftIndent}, 0);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        ExpectUndoRedo(*doc, before);
    }
}

}  // namespace

namespace {

TEST_F(PasteContentTest, AnAttachedHistoryItemIsPastedInPlaceOfTheClipboard) {
    struct Case {
        const char* Name;
        bool Rtf;  // else UTF-16 text
        std::string Bytes;
        const char* Expected;
        bool Bold;
    };
    const Case cases[] = {
        {"text", false, std::string("h\0i\0\0\0", 6), "ahibc|", false},
        {"formatted text", true, "{\\rtf1\\ansi {\\b hi}}", "ahibc|", true},
        {"an empty item", false, "", "abc|", false},
    };
    PasteOptions().SmartCutAndPaste = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi abc\\par}");
        ASSERT_NE(doc, nullptr);
        Normalize(*doc);
        const std::string before = TestSupport::DocumentBytes(*doc);
        scope.Clipboard.Clear();
        SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, "{\\rtf1\\ansi clipboard}");
        TClipboardHistoryItem item;
        item.Format = c.Rtf ? scope.Clipboard.RegisterFormat(RtfClipboardFormat) : Platform::CF_UNICODETEXT;
        item.Data.assign(c.Bytes.begin(), c.Bytes.end());
        AttachClipboardHistoryItem(&item);
        doc->Caret = TTextPos{0, 1};
        PasteClipboard(*doc);
        AttachClipboardHistoryItem(nullptr);
        EXPECT_EQ(MainText(*doc), c.Expected);
        EXPECT_EQ(PasteSourceStrings(), nullptr);
        if (c.Bytes.empty()) {
            EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
            continue;
        }
        TCharFormat pasted;
        doc->FormatAtPos(TTextPos{0, 1}, pasted);
        EXPECT_EQ(pasted[caBold] == 1, c.Bold);
        ExpectUndoRedo(*doc, before);
    }
}

}  // namespace
