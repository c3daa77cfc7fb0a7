// Paste (opPaste): what arrives, from which source, into which kind of
// destination; pictures fit the page; a file that cannot be read changes
// nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TransferDoc.h"
#include "base/core/TMemory.h"
#include "files/transfer/InsertDocument.h"
#include "files/transfer/Paste.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/Clipboard.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::TScriptedMessageBoxes;

constexpr const char* TwoParagraphs = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}abcdef\\par ghijkl\\par}";

TFragment Range(std::int32_t p1, std::int32_t o1, std::int32_t p2, std::int32_t o2) {
    return TFragment{TTextPos{p1, o1}, TTextPos{p2, o2}};
}

void PasteClipboard(TDoc& doc, std::int32_t kind = pkPaste, std::uint32_t format = 0) {
    TPasteData data;
    data.Source = psClipboard;
    data.Kind = kind;
    data.ClipboardFormat = format;
    doc.PerformOperation(TPasteArgs{&data});
}

// A minimal PNG of the given size: signature and header chunk are all the
// measuring reads.
std::string PngOfSize(std::uint32_t width, std::uint32_t height) {
    std::string png = "\x89PNG\r\n\x1A\n";
    png += std::string("\0\0\0\x0D", 4) + "IHDR";
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            png += static_cast<char>((v >> shift) & 0xFF);
    png += std::string("\x08\x02\0\0\0", 5);
    png += std::string("\0\0\0\0", 4);  // CRC, not checked
    png += std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    return png;
}

// A minimal baseline JPEG: SOI, a JFIF segment and a frame header.
std::string JpegOfSize(std::uint16_t width, std::uint16_t height) {
    std::string jpeg = "\xFF\xD8\xFF\xE0";
    jpeg += std::string("\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 16);
    jpeg += std::string("\xFF\xC0\x00\x11\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 0xFF);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 0xFF);
    jpeg += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    jpeg += "\xFF\xD9";
    return jpeg;
}

class PasteTest : public ::testing::Test {
protected:
    std::string WriteTempFile(const std::string& name, const std::string& bytes) {
        const std::string path = temp.File(name);
        TestSupport::WriteFileBytes(path, bytes);
        return path;
    }

    TTransferScope scope;
    TestSupport::TTempDir temp;
};

TEST_F(PasteTest, ClipboardContentArrivesAsTheCaseSays) {
    struct Case {
        const char* Name;
        void (*Fill)(Platform::TMemoryClipboard&);
        std::vector<TFragment> Selection;  // empty: the caret at (0, 3)
        const char* Expected;
    };
    const Case cases[] = {
        {"plain text with line ends into a paragraph",
         [](Platform::TMemoryClipboard& c) { SetClipboardUnicode(c, u"one\r\ntwo"); },
         {},
         "abcone|twodef|ghijkl|"},
        {"plain text replaces the selection",
         [](Platform::TMemoryClipboard& c) { SetClipboardUnicode(c, u"XY"); },
         {Range(0, 1, 0, 5)},
         "aXYf|ghijkl|"},
        {"RTF text",
         [](Platform::TMemoryClipboard& c) { SetClipboardRegistered(c, RtfClipboardFormat, "{\\rtf1 {\\b B}old}"); },
         {},
         "abcBolddef|ghijkl|"},
        {"RTF paragraphs",
         [](Platform::TMemoryClipboard& c) { SetClipboardRegistered(c, RtfClipboardFormat, "{\\rtf1 one\\par two}"); },
         {},
         "abcone|twodef|ghijkl|"},
        {"HTML as its text",
         [](Platform::TMemoryClipboard& c) {
             c.Set(c.RegisterFormat(HtmlClipboardFormat), Platform::EncodeClipboardHtml("<p>x &amp; <b>y</b></p>"));
         },
         {},
         "abcx & y|def|ghijkl|"},
        {"into a multi-range selection",
         [](Platform::TMemoryClipboard& c) { SetClipboardUnicode(c, u"Z"); },
         {Range(0, 1, 0, 2), Range(1, 1, 1, 2)},
         "aZcdef|gZijkl|"},
        {"a column block",
         [](Platform::TMemoryClipboard& c) {
             SetClipboardUnicode(c, u"1\r\n2\r\n3\r\n");
             SetClipboardRegistered(c, ColumnBlockClipboardFormat, "1");
         },
         {},
         "abc1def|ghi2jkl|3"},
    };
    // Smart spacing has its own test; here the content arrives as it is.
    PasteOptions().SmartCutAndPaste = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(TwoParagraphs);
        ASSERT_NE(doc, nullptr);
        scope.Clipboard.Clear();
        c.Fill(scope.Clipboard);
        if (c.Selection.empty()) {
            doc->Caret = TTextPos{0, 3};
        } else if (c.Selection.size() == 1) {
            SelectRanges(*doc, {c.Selection[0]});
        } else {
            SelectRanges(*doc, {c.Selection[0], c.Selection[1]});
        }
        PasteClipboard(*doc);
        EXPECT_EQ(MainText(*doc), c.Expected);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        EXPECT_FALSE(scope.Clipboard.IsOpen);
    }
}

TEST_F(PasteTest, UndoRestoresTheDocumentByteForByte) {
    std::unique_ptr<TDoc> doc = DocFromRtf(TwoParagraphs);
    ASSERT_NE(doc, nullptr);
    const std::string before = TestSupport::DocumentBytes(*doc);
    SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, "{\\rtf1 one\\par {\\i two}\\par three}");
    doc->Caret = TTextPos{1, 2};
    PasteClipboard(*doc);
    const std::string after = TestSupport::DocumentBytes(*doc);
    EXPECT_NE(after, before);
    doc->Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    doc->Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), after);
}

TEST_F(PasteTest, AStyleOfTheSameNameKeepsTheDestinationsDefinition) {
    std::unique_ptr<TDoc> doc =
        DocFromRtf("{\\rtf1{\\stylesheet{\\s0 Normal;}{\\s1\\b Quote;}}\\pard\\plain\\s1 here\\par}");
    ASSERT_NE(doc, nullptr);
    const std::int32_t quote = doc->Styles->IndexOfName("Quote");
    ASSERT_GE(quote, 0);
    const std::int32_t styles = doc->Styles->Count;
    SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat,
                           "{\\rtf1{\\stylesheet{\\s0 Normal;}{\\s3\\i Extra;}{\\s5\\ul Quote;}}"
                           "\\pard\\plain\\s5 quoted\\par\\pard\\plain\\s3 extra\\par}");
    doc->Caret = TTextPos{0, 0};
    PasteClipboard(*doc);
    EXPECT_EQ(MainText(*doc), "quoted|extra|here|");
    // The pasted "Quote" paragraph takes the destination's Quote; "Extra"
    // arrives as a new style.
    EXPECT_EQ(doc->Par(0)->Format.Style, quote);
    EXPECT_EQ(doc->Styles->Count, styles + 1);
    const std::int32_t extra = doc->Styles->IndexOfName("Extra");
    ASSERT_GE(extra, 0);
    EXPECT_EQ(doc->Par(1)->Format.Style, extra);
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
}

TEST_F(PasteTest, PicturesShrinkToTheTextAreaAndNeverGrow) {
    struct Case {
        const char* Name;
        std::uint32_t Width;
        std::uint32_t Height;
        bool Shrinks;
    };
    const Case cases[] = {
        {"wider than the page", 4000, 100, true},
        {"taller than the page", 100, 4000, true},
        {"small", 100, 50, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(TwoParagraphs);
        ASSERT_NE(doc, nullptr);
        const std::string path = WriteTempFile("picture.png", PngOfSize(c.Width, c.Height));
        doc->Caret = TTextPos{0, 2};
        PasteFile(*doc, path, 7);
        ASSERT_EQ(doc->Shapes.Count, 1);
        const TShapePicture& picture = doc->Shapes.At<TShape>(0)->Picture;
        EXPECT_EQ(picture.GoalWidth, static_cast<std::int32_t>(c.Width) * 15);
        EXPECT_EQ(picture.GoalHeight, static_cast<std::int32_t>(c.Height) * 15);
        EXPECT_EQ(picture.ScaleX, picture.ScaleY);
        if (c.Shrinks) {
            EXPECT_LT(picture.ScaleX, 100);
            TPageSetup setup{};
            doc->GetCaretPageSetup(setup);
            EXPECT_LE(picture.GoalWidth * picture.ScaleX / 100, setup.TextWidth + picture.GoalWidth / 100);
            EXPECT_LE(picture.GoalHeight * picture.ScaleY / 100,
                      setup.PageHeight - setup.TopMargin - setup.BottomMargin + picture.GoalHeight / 100);
        } else {
            EXPECT_EQ(picture.ScaleX, 100);
        }
        EXPECT_EQ(MainText(*doc), "ab#cdef|ghijkl|");
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    }
}

TEST_F(PasteTest, PictureFilesAreRecognisedByTheirBytes) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::uint8_t Kind;  // pkNone: no picture
    };
    const Case cases[] = {
        {"a.png", PngOfSize(100, 50), pkPng},
        {"jpeg-named.png", JpegOfSize(100, 50), pkJpeg},
        {"png-named.jpg", PngOfSize(100, 50), pkPng},
        {"text.png", "not a picture at all", pkNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDoc doc(true);
        TScriptedMessageBoxes boxes;
        const std::string path = WriteTempFile(c.Name, c.Bytes);
        TShape* shape = CreatePictureShape(doc, path, pkfDetect, 0);
        if (c.Kind == pkNone) {
            EXPECT_EQ(shape, nullptr);
            ASSERT_EQ(boxes.Shown().size(), 1u);
            EXPECT_EQ(boxes.Shown()[0].Text, "Error opening picture \"" + path + "\".");
            EXPECT_EQ(doc.Shapes.Count, 0);
            continue;
        }
        ASSERT_NE(shape, nullptr);
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_EQ(shape->Picture.Kind, c.Kind);
        EXPECT_EQ(shape->Picture.GoalWidth, 1500);
        EXPECT_EQ(shape->Picture.GoalHeight, 750);
    }
}

TEST_F(PasteTest, AFileThatCannotBeReadChangesNothingAndSaysWhy) {
    struct Case {
        const char* Name;
        std::string Bytes;  // empty: no file at all
        const char* Message;
    };
    const Case cases[] = {
        {"missing.rtf", "", "Cannot open file"},
        {"missing.png", "", "Cannot open file"},
        {"broken.png", "garbage", "Error opening picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf(TwoParagraphs);
        ASSERT_NE(doc, nullptr);
        const std::string before = TestSupport::DocumentBytes(*doc);
        const std::string path = c.Bytes.empty() ? temp.File(c.Name) : WriteTempFile(c.Name, c.Bytes);
        TScriptedMessageBoxes boxes({mrOk, mrOk, mrOk});
        doc->Caret = TTextPos{0, 1};
        PasteFile(*doc, path, 7);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
        EXPECT_EQ(doc->UndoIndex, -1);
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_NE(boxes.Shown()[0].Text.find(c.Message), std::string::npos) << boxes.Shown()[0].Text;
        EXPECT_NE(boxes.Shown()[0].Text.find(c.Name), std::string::npos);
    }
}

TEST_F(PasteTest, NothingHappensWithoutAnythingToPaste) {
    std::unique_ptr<TDoc> doc = DocFromRtf(TwoParagraphs);
    ASSERT_NE(doc, nullptr);
    const std::string before = TestSupport::DocumentBytes(*doc);
    PasteClipboard(*doc);  // an empty clipboard
    scope.Clipboard.Locked = true;
    SetClipboardUnicode(scope.Clipboard, u"text");
    PasteClipboard(*doc);  // a clipboard another program holds
    scope.Clipboard.Locked = false;
    SetClipboardUnicode(scope.Clipboard, u"");
    PasteClipboard(*doc);  // empty text
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    EXPECT_EQ(doc->UndoIndex, -1);
}

TEST_F(PasteTest, DamagedClipboardDataChangesNothing) {
    const std::string cases[] = {
        "{\\rtf1 {{{{{{{{{{{{{{{{{{{{",
        "{\\rtf1 \\bin999999999 x}",
        "{\\rtf1 {\\pict\\pngblip 89504e47}}",
        std::string("{\\rtf1 a\0b}", 11),
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes);
        std::unique_ptr<TDoc> doc = DocFromRtf(TwoParagraphs);
        ASSERT_NE(doc, nullptr);
        for (std::int32_t p = 0; p < doc->ParCount(); ++p)
            doc->Par(p)->Normalize();
        const std::string before = TestSupport::DocumentBytes(*doc);
        scope.Clipboard.Clear();
        SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, bytes);
        TScriptedMessageBoxes boxes({mrOk, mrOk});
        doc->Caret = TTextPos{0, 2};
        PasteClipboard(*doc);
        // Whatever the reader made of it went in as one step, or nothing did.
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        if (doc->UndoIndex >= 0)
            doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
        EXPECT_FALSE(scope.Clipboard.IsOpen);
    }
}

TEST_F(PasteTest, OneCharacterArrivesInTheTypingFormat) {
    std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs40 abc\\par}");
    ASSERT_NE(doc, nullptr);
    doc->Caret = TTextPos{0, 1};
    doc->UpdateTypingFormat(doc->Caret, true);
    TPasteData data;
    data.Source = psCharacter;
    data.Character = 'Q';
    doc->PerformOperation(TPasteArgs{&data});
    EXPECT_EQ(MainText(*doc), "aQbc|");
    TCharFormat format;
    doc->FormatAtPos(TTextPos{0, 1}, format);
    EXPECT_EQ(format[caSize], 40);
}

TEST_F(PasteTest, SmartSpacingAddsSpacesOnlyAroundWholeWords) {
    struct Case {
        const char* Name;
        bool NonWholeWords;
        const char* Expected;
    };
    const Case cases[] = {
        {"a whole word between two words", false, "one new two|"},
        {"text copied as part of a word", true, "one newtwo|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1 one two\\par}");
        ASSERT_NE(doc, nullptr);
        scope.Clipboard.Clear();
        SetClipboardUnicode(scope.Clipboard, u"new");
        if (c.NonWholeWords)
            SetClipboardRegistered(scope.Clipboard, NonWholeWordsClipboardFormat, "1");
        doc->Caret = TTextPos{0, 4};
        PasteClipboard(*doc);
        EXPECT_EQ(MainText(*doc), c.Expected);
    }
}

TEST_F(PasteTest, PasteAsEnvironmentTakesTheDestinationsFormat) {
    std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs40 abc\\par}");
    ASSERT_NE(doc, nullptr);
    SetClipboardRegistered(scope.Clipboard, RtfClipboardFormat, "{\\rtf1{\\fonttbl{\\f0 Courier New;}}\\f0\\b XY}");
    SetClipboardUnicode(scope.Clipboard, u"XY");
    PasteOptions().SmartCutAndPaste = false;
    for (const std::int32_t kind : {pkPaste, pkPasteAsEnvironment}) {
        SCOPED_TRACE(kind);
        // Reading formats puts streams in their canonical form: compare that.
        for (std::int32_t p = 0; p < doc->ParCount(); ++p)
            doc->Par(p)->Normalize();
        const std::string before = TestSupport::DocumentBytes(*doc);
        doc->Caret = TTextPos{0, 1};
        PasteClipboard(*doc, kind);
        EXPECT_EQ(MainText(*doc), "aXYbc|");
        TCharFormat pasted, around;
        doc->FormatAtPos(TTextPos{0, 1}, pasted);
        doc->FormatAtPos(TTextPos{0, 0}, around);
        if (kind == pkPaste) {
            EXPECT_EQ(pasted[caBold], 1);
        } else {
            EXPECT_EQ(pasted[caBold], 0);
            EXPECT_EQ(pasted[caFont], around[caFont]);
            EXPECT_EQ(pasted[caSize], 40);
        }
        doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    }
}

}  // namespace
