#include "files/opening/OpenDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages/MessageBoxes.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

constexpr std::string_view MinimalRtf = "{\\rtf1\\ansi Hello\\par}";
constexpr std::int32_t DetectFormat = 0xFFFF;

void WriteFile(const std::string& path, std::string_view bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TDocOpeningOptions FileOptions(const std::string& path, std::int32_t format) {
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = format;
    options.FileName = path;
    return options;
}

TDocOpeningOptions MemoryOptions(std::string_view bytes, std::int32_t format) {
    TDocOpeningOptions options;
    options.Source = osMemory;
    options.Format = format;
    options.FileName = "clip";
    options.Data = bytes.data();
    options.DataSize = static_cast<std::int32_t>(bytes.size());
    return options;
}

std::vector<std::string> Texts(const TScriptedMessageBoxes& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes.Shown())
        texts.push_back(box.Text);
    return texts;
}

// The RTF reader may still be a stand-in that refuses every text; checks of
// loaded content wait for the real one.
bool RtfReaderPresent() {
    TScriptedMessageBoxes boxes;
    TDoc doc(true);
    TDocOpeningOptions options = MemoryOptions(MinimalRtf, ffRtf);
    return OpenDocument(doc, options);
}

// The context OpenDocumentFile works on, with the handle it opened closed at
// the end.
struct TFileContext {
    explicit TFileContext(const std::string& path) : Options(FileOptions(path, ffRtf)) {
        Context.Doc = &Doc;
        Context.Options = &Options;
    }
    ~TFileContext() {
        if (Context.File != Platform::kNoFile)
            Platform::CloseFile(Context.File);
        if (Context.TempCopyMade)
            Platform::DeleteFileAt(Context.TempCopyPath);
    }
    TDoc Doc{true};
    TDocOpeningOptions Options;
    TOpenContext Context;
};

// A paragraph as a reader leaves it: text bytes, then the controls of its
// end character when it has one ('\2' paragraph end, '\3' section break,
// '\5' row end).
void AddPar(TDoc& doc, std::string_view text, char end) {
    auto* par = new TPar(&doc);
    par->Format = DefaultParFormat;
    par->Format.InTable = 1;
    for (char c : text) {
        par->Stream.AppendByte(static_cast<std::uint8_t>(c));
        par->Chars.AppendByte(static_cast<std::uint8_t>(c));
    }
    if (end == chSectionBreak)
        AppendFormatControl(par->Stream, fcSectionBreak, 0);
    else if (end != 0)
        AppendFormatControl(par->Stream, fcSpecialChar, end);
    if (end != 0)
        par->Chars.AppendByte(static_cast<std::uint8_t>(end));
    doc.Pars.Add(par);
    doc.RenumberPars(0);
}

std::string CharsOf(const TPar& par) {
    return std::string(par.Chars.View());
}

// The steps after a successful read, on documents built as readers leave
// them: the paragraphs are given as "text|end" with end one of "p" (paragraph
// end), "s" (section break), "r" (row end) or nothing.
TEST(FinishLoadedDocument, FinalParagraphEndMark) {
    struct Case {
        const char* name;
        std::vector<std::string> pars;
        bool takesMarks;
        bool dropEnd;
        std::vector<std::string> expected;  // the characters of each paragraph
        std::int32_t parCount;
        bool markAdded;
    };
    const Case cases[] = {
        {"empty paragraph after a paragraph end goes", {"Hello|p", "|"}, true, false, {"Hello\2"}, 1, false},
        {"empty paragraph after a section break stays", {"Hello|s", "|"}, true, false, {"Hello\3", "\2"}, 2, true},
        {"missing end mark is added", {"One|p", "abc|"}, true, false, {"One\2", "abc\2"}, 2, true},
        {"final section break becomes the end mark", {"abc|s"}, true, false, {"abc\2"}, 1, true},
        {"a row end is an end", {"A|r"}, true, false, {"A\5"}, 1, false},
        {"no marks: one paragraph less", {"One|p", "abc|"}, false, false, {"One\2", "abc"}, 1, false},
        {"no marks: a section break counts", {"abc|s"}, false, false, {"abc\3"}, 1, false},
        {"paste of text drops the end mark", {"abc|p"}, true, true, {"abc"}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDoc doc(true);
        doc.TakesParEndMarks = c.takesMarks ? 1 : 0;
        delete doc.Par(0);
        doc.Pars.Clear();
        for (const std::string& spec : c.pars) {
            const std::size_t bar = spec.find('|');
            const std::string end = spec.substr(bar + 1);
            AddPar(doc, spec.substr(0, bar),
                   end == "p"   ? chParEnd
                   : end == "s" ? chSectionBreak
                   : end == "r" ? chRowEnd
                                : 0);
        }
        TDocOpeningOptions options = MemoryOptions("", ffRtf);
        options.DropFinalParEnd = c.dropEnd;
        TOpenContext context;
        context.Doc = &doc;
        context.Options = &options;
        FinishLoadedDocument(context);
        ASSERT_EQ(doc.ParCount(), static_cast<std::int32_t>(c.expected.size()));
        for (std::int32_t p = 0; p < doc.ParCount(); ++p)
            EXPECT_EQ(CharsOf(*doc.Par(p)), c.expected[static_cast<std::size_t>(p)]) << "paragraph " << p;
        EXPECT_EQ(options.ParCount, c.parCount);
        EXPECT_EQ(doc.StoryCounts[stMain], doc.ParCount());
        // The stream says what the characters say: one control for every
        // end character, none left for a section break that went.
        const TPar& last = *doc.Par(doc.ParCount() - 1);
        std::int32_t controls = 0;
        TStreamElement element;
        for (std::int32_t i = 0; i < last.Stream.Size; i += element.Length) {
            ReadStreamElement(last.Stream.Data, last.Stream.Size, i, element);
            controls += element.IsControl ? 1 : 0;
        }
        const std::string chars = CharsOf(last);
        EXPECT_EQ(controls, std::count_if(chars.begin(), chars.end(), [](char ch) { return ch < 32; }));
        // A paragraph that gets its end mark here leaves any table.
        EXPECT_EQ(last.Format.InTable, c.markAdded ? 0 : 1);
    }
}

TEST(FinishLoadedDocument, CaretStaysInTheText) {
    struct Case {
        std::int32_t par, offset;
        std::int32_t expectedPar, expectedOffset;
    };
    // Paragraph 1 holds "abc" and its end mark: four positions.
    const Case cases[] = {{0, 0, 0, 0}, {1, 2, 1, 2}, {12, 34, 1, 3}, {-3, -1, 0, 0}, {1, 4, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.par << "," << c.offset);
        TDoc doc(true);
        doc.TakesParEndMarks = 1;
        AddPar(doc, "abc", chParEnd);
        TDocOpeningOptions options = MemoryOptions("", ffRtf);
        TOpenContext context;
        context.Doc = &doc;
        context.Options = &options;
        context.CaretPar = c.par;
        context.CaretOffset = c.offset;
        FinishLoadedDocument(context);
        EXPECT_EQ(doc.Caret.Par, c.expectedPar);
        EXPECT_EQ(doc.Caret.Offset, c.expectedOffset);
    }
}

TEST(OpenDocumentFile, MissingFileAsksRetryOrCancel) {
    TTempDir dir;
    const std::string path = dir.File("missing.rtf");
    {
        TScriptedMessageBoxes boxes({mrCancel});
        TFileContext f(path);
        EXPECT_FALSE(OpenDocumentFile(f.Context));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, "Cannot open file \"" + path + "\".");
        EXPECT_EQ(boxes.Shown()[0].Kind, mbkError);
        EXPECT_EQ(boxes.Shown()[0].Buttons, mbRetry | mbCancel);
    }
    {
        // Retry tries again from the start: the file has come meanwhile.
        TScriptedMessageBoxes restore;
        TFileContext f(path);
        bool first = true;
        SetMessageBoxAnswerer([&](const TMessageBoxRequest&) -> std::uint16_t {
            if (first)
                WriteFile(path, MinimalRtf);
            first = false;
            return mrRetry;
        });
        EXPECT_TRUE(OpenDocumentFile(f.Context));
        EXPECT_EQ(f.Context.OpenedPath, path);
        EXPECT_EQ(f.Doc.ReadOnly, 0);
    }
}

TEST(OpenDocumentFile, ReadOnlyRequestAndUnwritableFile) {
    TTempDir dir;
    const std::string path = dir.File("a.rtf");
    WriteFile(path, MinimalRtf);
    {
        TScriptedMessageBoxes boxes;
        TFileContext f(path);
        f.Options.OpenReadOnly = true;
        ASSERT_TRUE(OpenDocumentFile(f.Context));
        EXPECT_EQ(f.Doc.ReadOnly, 1);
        EXPECT_TRUE(boxes.Shown().empty());
    }
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not hold for root";
    ::chmod(path.c_str(), 0444);
    TScriptedMessageBoxes boxes;
    TFileContext f(path);
    ASSERT_TRUE(OpenDocumentFile(f.Context));
    EXPECT_EQ(f.Doc.ReadOnly, 1);
    EXPECT_EQ(f.Context.OpenedPath, path);
    EXPECT_TRUE(boxes.Shown().empty());
}

// Another instance holding the file for editing: the question whether to
// copy it, or no question at all for quiet opens.
TEST(OpenDocumentFile, FileHeldByAnotherInstance) {
    TestSupport::TTempSettingsFolder temp;
    ClearOptionalMessageAnswers();
    TTempDir dir;
    const std::string path = dir.File("held.rtf");
    WriteFile(path, MinimalRtf);
    const Platform::TFileHandle holder = Platform::OpenExistingFile(path, Platform::TFileAccess::ReadWrite);
    ASSERT_TRUE(Platform::TryLockForEditing(holder));

    struct Case {
        const char* name;
        std::uint16_t answer;
        bool quiet;
        bool opened;
        std::size_t boxes;
    };
    const Case cases[] = {
        {"declined", mrNo, false, false, 1},
        {"accepted", mrYes, false, true, 1},
        {"quiet", mrNo, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedMessageBoxes boxes({c.answer});
        TFileContext f(path);
        f.Doc.QuietOpen = c.quiet ? 1 : 0;
        EXPECT_EQ(OpenDocumentFile(f.Context), c.opened);
        ASSERT_EQ(boxes.Shown().size(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(boxes.Shown()[0].Text, "File \"" + path + "\" is used by another program. Make a copy?");
            EXPECT_EQ(boxes.Shown()[0].OptionalMessage, 0);
        }
        if (c.opened) {
            EXPECT_TRUE(f.Context.TempCopyMade);
            EXPECT_NE(f.Context.OpenedPath, path);
            EXPECT_EQ(f.Context.OpenedPath, f.Context.TempCopyPath);
            EXPECT_NE(f.Doc.StateFlags[sfTempCopy], 0);
            char buffer[64] = {};
            EXPECT_EQ(Platform::ReadFileBytes(f.Context.File, buffer, sizeof buffer),
                      static_cast<std::int64_t>(MinimalRtf.size()));
            EXPECT_EQ(std::string_view(buffer), MinimalRtf);
        } else {
            EXPECT_EQ(f.Context.File, Platform::kNoFile);
            EXPECT_FALSE(f.Context.TempCopyMade);
        }
    }
    Platform::CloseFile(holder);
    // Once the other instance lets go, the file opens as itself.
    TScriptedMessageBoxes boxes;
    TFileContext f(path);
    ASSERT_TRUE(OpenDocumentFile(f.Context));
    EXPECT_EQ(f.Context.OpenedPath, path);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST(OpenDocument, MissingFileIsRefusedWithOneMessage) {
    TTempDir dir;
    TScriptedMessageBoxes boxes({mrCancel});
    TDoc doc(true);
    TDocOpeningOptions options = FileOptions(dir.File("none.rtf"), ffRtf);
    EXPECT_FALSE(OpenDocument(doc, options));
    EXPECT_EQ(options.Format, -1);
    EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Cannot open file \"" + dir.File("none.rtf") + "\"."});
    EXPECT_EQ(doc.Loading, 0);
    EXPECT_EQ(doc.FileHandle, Platform::kNoFile);
}

// A file whose bytes do not pass the test of the format asked for.
TEST(OpenDocument, RequestedFormatThatDoesNotMatch) {
    TTempDir dir;
    const std::string path = dir.File("notes.rtf");
    WriteFile(path, "just some words\r\n");
    const std::string warning = "File \"" + path +
                                "\" is not a valid file in format \"Rich Text Format\". Attempt to detect real "
                                "format of the file?";
    struct Case {
        const char* name;
        bool strict;
        std::uint16_t answer;
        std::int32_t format;
        std::vector<std::string> texts;
        bool opens;
    };
    const Case cases[] = {
        {"declined", false, mrNo, -1, {warning}, false},
        {"detected", false, mrYes, ffPlainText, {warning}, true},
        {"strict", true, mrYes, -1, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedMessageBoxes boxes({c.answer});
        TDoc doc(true);
        doc.StrictFormat = c.strict ? 1 : 0;
        TDocOpeningOptions options = FileOptions(path, ffRtf);
        EXPECT_EQ(OpenDocument(doc, options), c.opens);
        EXPECT_EQ(options.Format, c.format);
        EXPECT_EQ(Texts(boxes), c.texts);
        if (!boxes.Shown().empty()) {
            EXPECT_EQ(boxes.Shown()[0].Kind, mbkWarning);
            EXPECT_EQ(boxes.Shown()[0].Buttons, mbYes | mbNo);
        }
        if (c.opens)
            continue;
        EXPECT_EQ(doc.FileHandle, Platform::kNoFile);
        EXPECT_EQ(doc.ParCount(), 1);
    }
}

// Codes of 7 and above, HTML's included, ask for detection; a file is never
// read as HTML, but as the plain text it is.
TEST(OpenDocument, HighCodesDetect) {
    TTempDir dir;
    const std::string path = dir.File("page.html");
    WriteFile(path, "<html><body>x</body></html>");
    for (std::int32_t code : {7, 100, static_cast<std::int32_t>(ffHtml)}) {
        SCOPED_TRACE(code);
        TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options = FileOptions(path, code);
        EXPECT_TRUE(OpenDocument(doc, options));
        EXPECT_EQ(options.Format, ffPlainText);
        EXPECT_TRUE(Texts(boxes).empty());
        const TPar& par = *doc.Par(0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(par.Chars.Data), 5), "<html");
    }
}

TEST(OpenDocument, EmptyFile) {
    TTempDir dir;
    const std::string path = dir.File("empty");
    WriteFile(path, "");
    {
        TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options = FileOptions(path, DetectFormat);
        EXPECT_TRUE(OpenDocument(doc, options));
        EXPECT_EQ(options.Format, ffPlainText);
        EXPECT_TRUE(Texts(boxes).empty());
        EXPECT_EQ(doc.ParCount(), 1);
    }
    {
        TScriptedMessageBoxes boxes({mrNo});
        TDoc doc(true);
        TDocOpeningOptions options = FileOptions(path, ffRtf);
        EXPECT_FALSE(OpenDocument(doc, options));
        EXPECT_EQ(options.Format, -1);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Kind, mbkWarning);
    }
}

// A memory block is read by the reader of the code it names, without a
// test; readers that are not there yet refuse it by name.
TEST(OpenDocument, MemoryBlocksOfFormatsWithoutReader) {
    struct Case {
        std::int32_t format;
        const char* name;
    };
    const Case cases[] = {
        {ffWordDoc, "MS Word DOC"},
        {ffDocx, "MS Word DOCX"},
        {ffOdt, "OpenDocument ODF"},
        {ffHtml, "HTML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options = MemoryOptions(MinimalRtf, c.format);
        EXPECT_FALSE(OpenDocument(doc, options));
        EXPECT_EQ(options.Format, c.format);
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{"Opening documents in format \"" + std::string(c.name) +
                                                         "\" is not supported yet."});
        EXPECT_EQ(doc.ErrorShown, 0);
        EXPECT_EQ(doc.Loading, 0);
    }
}

TEST(OpenDocument, RtfFromFileAndMemory) {
    if (!RtfReaderPresent())
        GTEST_SKIP() << "the RTF reader is not linked in yet";
    TTempDir dir;
    const std::string path = dir.File("a.rtf");
    WriteFile(path, MinimalRtf);
    {
        TScriptedMessageBoxes boxes;
        TDoc doc(true);
        doc.TakesParEndMarks = 1;
        TDocOpeningOptions options = FileOptions(path, DetectFormat);
        ASSERT_TRUE(OpenDocument(doc, options));
        EXPECT_EQ(options.Format, ffRtf);
        EXPECT_EQ(doc.FileName, path);
        EXPECT_EQ(doc.LoadedFileSize, static_cast<std::int64_t>(MinimalRtf.size()));
        // The document keeps its file open, and locked against our other
        // instances.
        EXPECT_NE(doc.FileHandle, Platform::kNoFile);
        const Platform::TFileHandle other = Platform::OpenExistingFile(path, Platform::TFileAccess::ReadWrite);
        EXPECT_FALSE(Platform::TryLockForEditing(other));
        Platform::CloseFile(other);
        EXPECT_EQ(options.ParCount, doc.ParCount());
        EXPECT_TRUE(boxes.Shown().empty());
        const TPar& last = *doc.Par(doc.ParCount() - 1);
        EXPECT_EQ(last.Chars.Data[last.CharCount() - 1], chParEnd);
    }
    {
        TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options = MemoryOptions(MinimalRtf, ffRtf);
        ASSERT_TRUE(OpenDocument(doc, options));
        EXPECT_EQ(doc.FileHandle, Platform::kNoFile);
        EXPECT_TRUE(doc.FileName.empty());
    }
}

// Every real-world document either opens or is refused with a message; none
// becomes an empty document without a word, and none crashes the loader.
TEST(OpenDocument, CorpusDocumentsOpenOrAreRefusedWithAMessage) {
    const std::filesystem::path root = REZ_CORPUS_DIR;
    if (!std::filesystem::is_directory(root))
        GTEST_SKIP() << "no corpus at " << root;
    for (const char* kind : {"rtf", "doc6", "doc97", "docx", "odt", "html", "wri", "big"}) {
        const std::filesystem::path folder = root / kind;
        if (!std::filesystem::is_directory(folder))
            continue;
        std::vector<std::filesystem::path> files;
        for (const auto& item : std::filesystem::directory_iterator(folder))
            if (item.is_regular_file())
                files.push_back(item.path());
        std::sort(files.begin(), files.end());
        files.resize(std::min<std::size_t>(files.size(), 4));
        for (const auto& file : files) {
            SCOPED_TRACE(file.string());
            TScriptedMessageBoxes boxes;
            TDoc doc(true);
            doc.TakesParEndMarks = 1;
            TDocOpeningOptions options = FileOptions(file.string(), DetectFormat);
            options.OpenReadOnly = true;
            const bool opened = OpenDocument(doc, options);
            if (opened) {
                EXPECT_TRUE(boxes.Shown().empty());
                EXPECT_GE(doc.ParCount(), 1);
            } else {
                EXPECT_FALSE(boxes.Shown().empty());
            }
            EXPECT_EQ(doc.FileHandle, Platform::kNoFile);  // read-only documents keep none
        }
    }
}

}  // namespace
