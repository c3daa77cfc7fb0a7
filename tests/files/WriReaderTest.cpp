#include "files/write/WriReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "WriFileBuilder.h"
#include "files/opening/OpenDocument.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/paragraphs/TPar.h"
#include "platform/ByteReader.h"
#include "platform/CodePages.h"
#include "support/TestSupport.h"
#include "support/TextFidelity.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::Fidelity;
using TestSupport::Words;

// A small Write file built field by field: the header, the text, one page
// of character properties, one of paragraph properties and a font table.
struct TWriBuilder {
    std::string Text = "Hello\r\nWorld";
    // Character runs (end offset in the text, property bytes after the
    // count; empty for the defaults), and paragraph runs likewise.
    TWriRuns CharRuns;
    TWriRuns ParRuns;
    std::vector<std::string> FontNames = {"Arial", "Courier New"};

    std::vector<std::uint8_t> Build() const {
        std::vector<std::uint8_t> file(128, 0);
        StoreU16LE(file.data(), 0xBE31);
        StoreU16LE(file.data() + 4, 0xAB00);
        const std::uint32_t fcMac = 128 + static_cast<std::uint32_t>(Text.size());
        StoreU32LE(file.data() + 14, fcMac);
        file.insert(file.end(), Text.begin(), Text.end());
        file.resize((file.size() + 127) / 128 * 128, 0);
        auto charRuns = CharRuns;
        if (charRuns.empty())
            charRuns.push_back({static_cast<std::uint32_t>(Text.size()), {}});
        AppendWriPropertyPage(file, 128, charRuns);
        const auto pnPara = static_cast<std::uint16_t>(file.size() / 128);
        auto parRuns = ParRuns;
        if (parRuns.empty())
            parRuns.push_back({static_cast<std::uint32_t>(Text.size()), {}});
        AppendWriPropertyPage(file, 128, parRuns);
        const auto pnFfntb = static_cast<std::uint16_t>(file.size() / 128);
        std::vector<std::uint8_t> fonts(128, 0);
        StoreU16LE(fonts.data(), static_cast<std::uint16_t>(FontNames.size()));
        std::size_t at = 2;
        for (const std::string& name : FontNames) {
            StoreU16LE(fonts.data() + at, static_cast<std::uint16_t>(name.size() + 2));
            fonts[at + 2] = 0;
            std::copy(name.begin(), name.end(), fonts.begin() + static_cast<std::ptrdiff_t>(at + 3));
            at += 2 + name.size() + 2;
        }
        file.insert(file.end(), fonts.begin(), fonts.end());
        StoreU16LE(file.data() + 18, pnPara);
        for (const std::size_t field : {20, 22, 24, 26, 28})
            StoreU16LE(file.data() + field, pnFfntb);
        StoreU16LE(file.data() + 96, static_cast<std::uint16_t>(file.size() / 128));
        return file;
    }
};

std::vector<std::string> Lines(TDoc& doc) {
    std::vector<std::string> lines;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        TPar& par = *doc.Par(p);
        par.BuildWideText();
        std::u16string text = par.WideText;
        if (!text.empty() && text.back() == chParEnd)
            text.pop_back();
        lines.push_back(Platform::Utf16ToUtf8(text));
    }
    return lines;
}

// The character format at a position, from the paragraph's controls.
TCharFormat FormatAt(const TPar& par, std::int32_t pos) {
    TCharFormat format = DefaultCharFormat;
    std::int32_t at = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl) {
            if (at + e.Length > pos)
                break;
            at += e.Length;
        } else if (e.Code <= fcLastCharAttr) {
            format[e.Code] = e.Value;
        } else if (ControlTakesPosition(e.Code)) {
            if (at == pos)
                break;
            ++at;
        }
    }
    return format;
}

std::unique_ptr<TDoc> Read(const std::vector<std::uint8_t>& file, TReadResult* flaw = nullptr) {
    auto doc = std::make_unique<TDoc>(true);
    TWriReadOutcome outcome;
    const TReadResult result = ReadWriDocument(*doc, file, outcome);
    EXPECT_TRUE(result.Good) << result.Reason;
    if (flaw != nullptr)
        *flaw = outcome.Flaw;
    return doc;
}

TEST(WriReader, TextParagraphsAndCharacterRuns) {
    TWriBuilder builder;
    builder.Text = "Plain bold\r\nLast\tend";
    // "Plain " default; "bold" bold and italic in size 20 with font 1; the
    // rest underlined and raised.
    builder.CharRuns = {{6, {}}, {10, {0x00, 0x07, 20}}, {20, {0x00, 0x00, 24, 0x01, 0x00, 0x06}}};
    // The first paragraph centred with a left indent of 720; the second
    // justified.
    builder.ParRuns = {{12, {0, 1, 0, 0, 0, 0, 0xD0, 0x02}}, {20, {0, 3}}};
    auto doc = Read(builder.Build());
    EXPECT_EQ(Lines(*doc), (std::vector<std::string>{"Plain bold", "Last\tend"}));
    const TPar& first = *doc->Par(0);
    EXPECT_EQ(first.Format.Alignment, 1);
    EXPECT_EQ(first.Format.LeftIndent, 720);
    EXPECT_EQ(doc->Par(1)->Format.Alignment, 3);
    const TCharFormat plain = FormatAt(first, 0);
    EXPECT_EQ(plain[caBold], 0);
    const TCharFormat bold = FormatAt(first, 7);
    EXPECT_EQ(bold[caBold], 1);
    EXPECT_EQ(bold[caItalic], 1);
    EXPECT_EQ(bold[caSize], 20);
    const TCharFormat raised = FormatAt(*doc->Par(1), 1);
    EXPECT_EQ(raised[caUnderline], ulSingle);
    EXPECT_EQ(raised[caScript], 1);
    EXPECT_EQ(raised[caBold], 0);
}

// The paragraph properties end inside the last of the fourteen tab stops:
// a block that fills them all is read without passing the end.
TEST(WriReader, FullTabTable) {
    TWriBuilder builder;
    builder.Text = "a\tb";
    std::vector<std::uint8_t> props(22, 0);
    for (int i = 0; i < 15; ++i) {
        props.push_back(static_cast<std::uint8_t>(0x40 + i));
        props.push_back(1);
        props.push_back(1);
        props.push_back(0);
    }
    props.resize(90, 0x55);
    builder.ParRuns = {{3, props}};
    auto doc = Read(builder.Build());
    EXPECT_EQ(Lines(*doc), (std::vector<std::string>{"a\tb"}));
}

// A carriage return without its line feed ends the paragraph and takes
// nothing of the next one's text.
TEST(WriReader, CarriageReturnWithoutLineFeed) {
    TWriBuilder builder;
    builder.Text = "one\rtwo\r\nthree\r";
    auto doc = Read(builder.Build());
    EXPECT_EQ(Lines(*doc), (std::vector<std::string>{"one", "two", "three", ""}));
}

TEST(WriReader, RunningHeadsAndPicturesAreLeftOut) {
    TWriBuilder builder;
    // A metafile picture: a 40-byte header (mapping mode 8, 6 bytes of data)
    // and its data, then a paragraph end.
    std::string header(40, '\0');
    header[0] = 8;
    header[32] = 6;
    const std::string picture = header + "METAFI\r\n";
    builder.Text = "Header\r\nBody\r\n" + picture + "Flagged text\r\nMore";
    std::vector<std::uint8_t> head(17, 0);
    head[16] = 0x06;
    std::vector<std::uint8_t> pictureFlag(17, 0);
    pictureFlag[16] = 0x10;
    const auto afterPicture = static_cast<std::uint32_t>(14 + picture.size());
    // The second flagged paragraph holds no picture header: it is text.
    builder.ParRuns = {{8, head}, {14, {}}, {afterPicture, pictureFlag}, {afterPicture + 14, pictureFlag}, {200, {}}};
    auto doc = Read(builder.Build());
    EXPECT_EQ(Lines(*doc), (std::vector<std::string>{"Body", "Flagged text", "More"}));
}

TEST(WriReader, MissingFontTableAndUnknownFontNumbers) {
    TWriBuilder builder;
    builder.Text = "x";
    builder.CharRuns = {{1, {0x00, 0x3F << 2, 24, 0, 0x07}}};
    std::vector<std::uint8_t> file = builder.Build();
    // The font table page is not below the page count: no table.
    StoreU16LE(file.data() + 28, LoadU16LE(file.data() + 96));
    auto doc = Read(file);
    EXPECT_EQ(FormatAt(*doc->Par(0), 0)[caFont], DefaultCharFormat[caFont]);
}

// Damage anywhere past the header is read around: the text up to it
// arrives, the flaw names the first bad place, and nothing is read outside
// the file.
TEST(WriReader, DamagedFilesReadAsFarAsTheyGo) {
    TWriBuilder builder;
    builder.Text = "Some text\r\nmore text";
    builder.CharRuns = {{4, {0x00, 0x01}}, {19, {}}};
    const std::vector<std::uint8_t> good = builder.Build();
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> File;
        std::string FirstLine;
        std::string Reason;
        std::uint64_t Offset;
    };
    auto patched = [&](std::size_t at, std::uint32_t value, int width) {
        std::vector<std::uint8_t> file = good;
        width == 4 ? StoreU32LE(file.data() + at, value)
                   : StoreU16LE(file.data() + at, static_cast<std::uint16_t>(value));
        return file;
    };
    auto cut = [&](std::size_t size) { return std::vector<std::uint8_t>(good.begin(), good.begin() + size); };
    const Case cases[] = {
        {"text end beyond the file", patched(14, 100000, 4), "Some text", "text runs past the end of the file", 14},
        {"paragraph page beyond the file", patched(18, 5000, 2), "Some text",
         "property page beyond the end of the file", 640},
        {"font table beyond the file", patched(28, 60000, 2), "Some text", "", 0},
        {"block offset outside its page", patched(256 + 8, 200, 2), "Some text", "property block outside its page",
         256 + 8},
        {"cut after the text", cut(160), "Some text", "property page beyond the end of the file", 256},
        {"cut inside the text", cut(133), "Some ", "text runs past the end of the file", 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TReadResult flaw;
        auto doc = Read(c.File, &flaw);
        EXPECT_EQ(Lines(*doc)[0], c.FirstLine);
        EXPECT_EQ(flaw.Reason, c.Reason);
        EXPECT_EQ(flaw.Offset, c.Offset);
    }
}

TEST(WriReader, BytesThatAreNoWriteFile) {
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> File;
        std::string Reason;
    };
    std::vector<std::uint8_t> foreign(256, 0);
    std::vector<std::uint8_t> backwards(256, 0);
    StoreU16LE(backwards.data(), 0xBE31);
    StoreU32LE(backwards.data() + 14, 100);
    const Case cases[] = {
        {"short", std::vector<std::uint8_t>(100, 0), "shorter than a Write header"},
        {"foreign", foreign, "not a Write file"},
        {"text ends before it starts", backwards, "text ends before it starts"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDoc doc(true);
        TWriReadOutcome outcome;
        EXPECT_EQ(ReadWriDocument(doc, c.File, outcome).Reason, c.Reason);
    }
}

// --- The corpus against an independent reader -------------------------------

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(WriReader, CorpusMatchesTheIndependentReader) {
    const fs::path corpus = fs::path(REZ_CORPUS_DIR) / "wri";
    if (!fs::exists(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        const fs::path path = entry.path();
        SCOPED_TRACE(path.filename().string());
        const fs::path reference = fs::path(REZ_TEST_DATA_DIR) / "wri-reference" / (path.filename().string() + ".txt");
        ASSERT_TRUE(fs::exists(reference));
        TestSupport::TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options;
        options.FileName = path.string();
        options.Format = 0xFFFF;
        ASSERT_TRUE(OpenDocument(doc, options));
        EXPECT_EQ(options.Format, ffWindowsWrite);
        // Tabs, breaks and the other special characters separate words.
        std::string text;
        for (std::string line : Lines(doc)) {
            for (char& c : line)
                if (static_cast<unsigned char>(c) < 32)
                    c = ' ';
            text += line + "\n";
        }
        std::string expected = FileBytes(reference);
        if (expected.rfind("\xEF\xBB\xBF", 0) == 0)
            expected.erase(0, 3);
        EXPECT_GE(Fidelity(text, expected), 99.0);
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
