#include "files/text/PlainTextReader.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "files/import/TReadWindow.h"
#include "files/opening/OpenDocument.h"
#include "files/text/PlainTextWriter.h"
#include "files/text/TextConversion.h"
#include "files/text/TextEncodings.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/host/FontQueries.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TScriptedMessageBoxes;
using TestSupport::TTempDir;

// Fonts as the font manager would give them: the same face in every
// character set, each its own font, so that code-page text reads back in
// its code page. Font 1000 + charset is the face in that set.
class TCharsetFonts : public TDocFontQueries {
public:
    static constexpr std::int32_t Base = 1000;
    std::uint8_t Charset(std::int32_t font) const override {
        return font >= Base ? static_cast<std::uint8_t>(font - Base) : 0;
    }
    std::int32_t NameId(std::int32_t) const override { return 0; }
    std::int32_t SameFaceInCharset(std::int32_t, std::uint8_t charset) const override { return Base + charset; }
};

class PlainText : public ::testing::Test {
protected:
    void SetUp() override { SetDocFontQueries(&Fonts); }
    void TearDown() override {
        SetDocFontQueries(nullptr);
        SetTextConvDialog(nullptr);
        ForgetTextEncodingChoice();
    }

    // Opens bytes as plain text from memory into a fresh document.
    static std::unique_ptr<TDoc> Read(std::string_view bytes) {
        auto doc = std::make_unique<TDoc>(true);
        TDocOpeningOptions options;
        options.Source = osMemory;
        options.Format = ffPlainText;
        options.FileName = "text";
        options.Data = bytes.data();
        options.DataSize = static_cast<std::int32_t>(bytes.size());
        EXPECT_TRUE(OpenDocument(*doc, options));
        return doc;
    }

    // The paragraphs' text as UTF-16, the paragraph marks left out.
    static std::vector<std::u16string> Lines(TDoc& doc) {
        std::vector<std::u16string> lines;
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            TPar& par = *doc.Par(p);
            par.BuildWideText();
            std::u16string text = par.WideText;
            if (!text.empty() && text.back() == chParEnd)
                text.pop_back();
            lines.push_back(text);
        }
        return lines;
    }

    TCharsetFonts Fonts;
};

TEST_F(PlainText, LineEndKinds) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::vector<std::u16string> Lines;
        std::uint8_t Kind;
    };
    const Case cases[] = {
        {"single LFs are not noted", "a\nb\n", {u"a", u"b"}, tlbCrLf},
        {"blank line of LFs", "a\n\nb", {u"a", u"", u"b"}, tlbLf},
        {"CR LF", "a\r\nb", {u"a", u"b"}, tlbCrLf},
        {"blank line of CRs", "a\r\rb", {u"a", u"", u"b"}, tlbCr},
        {"LF CR", "a\n\rb\n\rc", {u"a", u"b", u"c"}, tlbLfCr},
        {"mixed", "a\r\nb\n\nc\rd", {u"a", u"b", u"", u"c", u"d"}, tlbCrLf},
        {"nothing", "", {u""}, tlbCrLf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto doc = Read(c.Bytes);
        EXPECT_EQ(Lines(*doc), c.Lines);
        EXPECT_EQ(doc->LineBreakKind, c.Kind);
        EXPECT_EQ(doc->TextEncoding, teUtf8);
    }
}

TEST_F(PlainText, CharacterMappingAndEnd) {
    struct Case {
        const char* Name;
        std::string Bytes;
        std::u16string Text;
    };
    const Case cases[] = {
        {"specials",
         "a\tb\vc\fd\x0f"
         "e\x10"
         "f\x1fg",
         u"a\tb\x07"
         u"c\x08"
         u"d\x06"
         u"e\x0c"
         u"f\x0fg"},
        {"other controls are skipped",
         "a\x01\x02\x1b"
         "b",
         u"ab"},
        {"NUL ends the text", std::string("ab\0cd\nef", 8), u"ab"},
        {"code-page dashes", "Cafe\xe9 \x96 \x97 \xa0!", u"Cafe\u00e9 \x0e \x0d \x0b!"},
        {"braces and backslashes", "Cafe\xe9{\\}", u"Cafe\u00e9{\\}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto doc = Read(c.Bytes);
        EXPECT_EQ(Lines(*doc)[0], c.Text);
    }
}

// A four-byte UTF-8 character arrives whole (as its two surrogate units),
// and a bad byte costs only itself.
TEST_F(PlainText, Utf8CharactersBeyondTheBasicPlaneAndBadBytes) {
    auto doc = Read(
        "\xef\xbb\xbf"
        "a\xf0\x9f\x98\x80"
        "b\x80"
        "cd\xe2\x82\xac\xd0\x96");
    EXPECT_EQ(doc->TextEncoding, teUtf8Bom);
    EXPECT_EQ(Lines(*doc)[0], u"a\U0001F600b\uFFFDcd\u20ac\u0416");
}

TEST_F(PlainText, Utf16WithMarks) {
    const std::string le(
        "\xff\xfe"
        "A\0\x16\x04\r\0\n\0\x3d\xd8\x00\xde",
        14);
    const std::string be("\xfe\xff\0A\x04\x16\0\r\0\n\xd8\x3d\xde\x00", 14);
    for (const std::string& bytes : {le, be}) {
        auto doc = Read(bytes);
        EXPECT_EQ(Lines(*doc), (std::vector<std::u16string>{u"A\u0416", u"\U0001F600"}));
    }
}

// --- The confirmation of a guessed encoding ------------------------------

TEST_F(PlainText, GuessedEncodingIsConfirmedOncePerFile) {
    TTempDir dir;
    const std::string path = dir.File("note.txt");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("caf\xe9\r\n", f);
    std::fclose(f);
    std::vector<std::int32_t> offered;
    std::int32_t answer = teCp1251;
    bool ok = true;
    SetTextConvDialog([&](TTextConvParams& params) {
        offered.push_back(params.Encoding);
        EXPECT_EQ(params.Mode, tcmLoading);
        EXPECT_EQ(params.SampleSize, 6);
        params.Encoding = answer;
        return ok;
    });
    auto open = [&](bool expect) {
        TScriptedMessageBoxes boxes;
        TDoc doc(true);
        TDocOpeningOptions options;
        options.Format = ffPlainText;
        options.FileName = path;
        EXPECT_EQ(OpenDocument(doc, options), expect);
        // A cancelled question fails the open without a message.
        EXPECT_TRUE(boxes.Shown().empty());
        return expect ? doc.TextEncoding : teUndecided;
    };
    EXPECT_EQ(open(true), teCp1251);
    EXPECT_EQ(open(true), teCp1251);
    EXPECT_EQ(offered, std::vector<std::int32_t>{teCp1252});
    ForgetTextEncodingChoice();
    ok = false;
    open(false);
    // A cancelled choice is remembered as none: the next open asks again.
    ok = true;
    answer = teCp1250;
    EXPECT_EQ(open(true), teCp1250);
    EXPECT_EQ(offered.size(), 3u);
}

// --- Writing ---------------------------------------------------------------

// A paragraph of the given characters; codes below 32 become special
// characters, UTF-16 units outside ASCII Unicode characters.
void AppendPar(TDoc& doc, std::u16string_view text, bool first) {
    TPar* par = first ? doc.Par(0) : new TPar(&doc);
    if (first) {
        par->Stream.Clear();
        par->Chars.Clear();
    }
    for (const char16_t c : text) {
        if (c < 32) {
            AppendFormatControl(par->Stream, fcSpecialChar, c);
            par->Chars.AppendByte(static_cast<std::uint8_t>(c));
        } else if (c < 128) {
            const auto b = static_cast<std::uint8_t>(c);
            par->Stream.AppendBuffer(&b, 1);
            par->Chars.AppendByte(b);
        } else {
            AppendFormatControl(par->Stream, fcUnicodeChar, c);
            par->Chars.AppendByte(chUnicode);
        }
    }
    par->Changed();
    if (!first)
        doc.Pars.Add(par);
    doc.StoryCounts[stMain] = doc.ParCount();
}

std::unique_ptr<TDoc> DocOf(std::initializer_list<std::u16string_view> pars) {
    auto doc = std::make_unique<TDoc>(true);
    bool first = true;
    for (const std::u16string_view text : pars) {
        AppendPar(*doc, text, first);
        first = false;
    }
    return doc;
}

std::string Write(TDoc& doc, std::int32_t encoding, std::uint8_t kind = tlbCrLf, bool plain = false, bool file = true) {
    TPlainTextWriteOptions options;
    options.Encoding = encoding;
    options.LineBreak = kind;
    options.PlainChars = plain;
    options.FileTarget = file;
    return WritePlainTextBytes(doc, options);
}

TEST_F(PlainText, WriterMarksLineEndsAndSurrogates) {
    auto doc = DocOf({u"A\u00e9\U0001F600\x02", u"\u0416\x02"});
    struct Case {
        const char* Name;
        std::int32_t Encoding;
        std::uint8_t Kind;
        bool File;
        std::string Bytes;
    };
    const Case cases[] = {
        {"utf-8, CR LF", teUtf8, tlbCrLf, true, "A\xc3\xa9\xf0\x9f\x98\x80\r\n\xd0\x96"},
        {"utf-8 mark, LF", teUtf8Bom, tlbLf, true,
         "\xef\xbb\xbf"
         "A\xc3\xa9\xf0\x9f\x98\x80\n\xd0\x96"},
        {"utf-16 le, CR", teUtf16LE, tlbCr, true,
         std::string("\xff\xfe"
                     "A\0\xe9\0\x3d\xd8\x00\xde\r\0\x16\x04",
                     14)},
        {"utf-16 be, CR LF", teUtf16BE, tlbCrLf, true,
         std::string("\xfe\xff\0A\0\xe9\xd8\x3d\xde\x00\0\r\0\n\x04\x16", 16)},
        {"1251, LF CR", teCp1251, tlbLfCr, true, "A???\n\r\xc6"},
        // A memory target has no mark, and its range ends after the last
        // paragraph mark.
        {"memory, utf-8 mark", teUtf8Bom, tlbCrLf, false, "A\xc3\xa9\xf0\x9f\x98\x80\r\n\xd0\x96\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Write(*doc, c.Encoding, c.Kind, false, c.File), c.Bytes);
    }
}

TEST_F(PlainText, WriterLoneSurrogatesAndDroppedMarks) {
    // The row end (5), the note reference (16) and the optional hyphen (15)
    // have no text; lone surrogate halves become U+FFFD.
    auto doc =
        DocOf({u"a\x05"
               u"b\x10"
               u"c\x0f"
               u"d\xd83d"
               u"e\xde00"
               u"f\x02"});
    EXPECT_EQ(Write(*doc, teUtf8),
              "abcd\xef\xbf\xbd"
              "e\xef\xbf\xbd"
              "f");
    EXPECT_EQ(Write(*doc, teUtf8, tlbCrLf, true),
              "abc-d\xef\xbf\xbd"
              "e\xef\xbf\xbd"
              "f");
}

TEST_F(PlainText, WriterSpecialCharacters) {
    auto doc =
        DocOf({u"a\x09"
               u"b\x08"
               u"c\x0d"
               u"d\x0e"
               u"e\x0c"
               u"f\x0b"
               u"g\x07"
               u"h\x02",
               u"end\x02"});
    EXPECT_EQ(Write(*doc, teUtf8),
              "a\tb\fc\xe2\x80\x94"
              "d\xe2\x80\x93"
              "e-f g\r\nh\r\nend");
    EXPECT_EQ(Write(*doc, teUtf8, tlbCrLf, true), "a b c-d-e-f g h end");
}

TEST_F(PlainText, WriterTableRow) {
    auto doc = DocOf({u"one\x04", u"two\x04", u"\x05", u"after\x02"});
    EXPECT_EQ(Write(*doc, teUtf8), "one\ttwo\r\nafter");
}

TEST_F(PlainText, SaveReplacesTheFileWhole) {
    TTempDir dir;
    const std::string path = dir.File("out.txt");
    auto doc = DocOf({u"x\x02", u"y\x02"});
    TPlainTextWriteOptions options;
    options.Encoding = teUtf8;
    EXPECT_EQ(SavePlainTextFile(*doc, path, options), 0);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    char buffer[16] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buffer, n), "x\r\ny");
}

// --- The encoding matrix -----------------------------------------------------

// Converts UTF-8 to another encoding with the C library's iconv.
std::string Iconv(const char* to, std::string_view utf8) {
    iconv_t cd = iconv_open(to, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    EXPECT_NE(r, static_cast<std::size_t>(-1)) << to;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

// Every encoding with a text of its language, every line-end kind: the
// detection finds the encoding and the kind, and writing the document back
// gives the file's bytes. The texts hold blank lines, by which the reader
// tells the kinds of single-character line ends, and no final line end,
// which a saved file never has.
TEST_F(PlainText, EncodingMatrixRoundTrips) {
    struct Sample {
        std::int32_t Encoding;
        const char* IconvName;
        const char* Mark;
        const char* Lines[3];
    };
    const Sample samples[] = {
        {teUtf8, "UTF-8", "", {"The quick brown fox", "jumps over the lazy dog.", "Plain ASCII text."}},
        {teUtf8Bom, "UTF-8", "\xef\xbb\xbf", {"Zażółć gęślą jaźń", "Жёлтый ёж 😀", "Ελληνικά — עברית"}},
        {teUtf16LE, "UTF-16LE", "\xff\xfe", {"Zażółć gęślą jaźń", "Жёлтый ёж 😀", "日本語のテキスト"}},
        {teUtf16BE, "UTF-16BE", "\xfe\xff", {"Zażółć gęślą jaźń", "Жёлтый ёж 😀", "日本語のテキスト"}},
        {teCp1250,
         "CP1250",
         "",
         {"W Szczebrzeszynie chrząszcz brzmi w trzcinie", "i Szczebrzeszyn z tego słynie.",
          "Zażółć gęślą jaźń, wyszły z żywopłotu."}},
        {teCp1251,
         "CP1251",
         "",
         {"Съешь же ещё этих мягких французских булок,", "да выпей чаю.", "Широкая электрификация южных губерний."}},
        {teCp1252,
         "CP1252",
         "",
         {"Le cœur déçu mais l'âme plutôt naïve,", "Louÿs rêva de crapaüter en canoë",
          "au delà des îles, près du mälström."}},
        {teCp1253,
         "CP1253",
         "",
         {"Ξεσκεπάζω την ψυχοφθόρα βδελυγμία.", "Τάχιστη αλώπηξ βαφής ψημένη γη,", "δρασκελίζει υπέρ νωθρού κυνός."}},
        {teCp1254,
         "CP1254",
         "",
         {"Kışın ılık yaylalarda kuşlar şakıyor,", "çocuklar yağmurlu akşamlarda sıcak kalıyor.",
          "Yarın akşam İzmir'e gidip balık yiyeceğiz."}},
        {teCp1255, "CP1255", "", {"דג סקרן שט בים מאוכזב ולפתע מצא לו חברה", "איך הקליטה", "שלום לכולם והיה טוב"}},
        {teCp1256,
         "CP1256",
         "",
         {"نص حكيم له سر قاطع وذو شأن عظيم", "مكتوب على ثوب أخضر ومغلف بجلد أزرق", "السلام عليكم"}},
        {teCp1257,
         "CP1257",
         "",
         {"Įlinkdama fechtuotojo špaga sublykčiojusi", "pragręžė apvalų arbūzą.",
          "Ąžuolų šakos šlama, paukščiai čiulba."}},
    };
    struct Ending {
        const char* Name;
        const char* Bytes;
        std::uint8_t Kind;
    };
    const Ending endings[] = {
        {"CR LF", "\r\n", tlbCrLf}, {"LF", "\n", tlbLf}, {"CR", "\r", tlbCr}, {"LF CR", "\n\r", tlbLfCr}};
    for (const Sample& sample : samples) {
        for (const Ending& ending : endings) {
            SCOPED_TRACE(TextEncodingName(sample.Encoding) + ", " + ending.Name);
            // Two lines, a blank line, the third line.
            const std::string text = std::string(sample.Lines[0]) + ending.Bytes + sample.Lines[1] + ending.Bytes +
                                     ending.Bytes + sample.Lines[2];
            const std::string file = sample.Mark + Iconv(sample.IconvName, text);
            auto doc = Read(file);
            EXPECT_EQ(doc->TextEncoding, sample.Encoding);
            EXPECT_EQ(doc->LineBreakKind, ending.Kind);
            ASSERT_EQ(doc->ParCount(), 4);
            EXPECT_EQ(Write(*doc, doc->TextEncoding, doc->LineBreakKind), file);
        }
    }
}

// Mixed line ends read as the lines they separate and are written back in
// one kind.
TEST_F(PlainText, MixedLineEndsAreWrittenInOneKind) {
    auto doc = Read("one\r\ntwo\nthree\rfour\n\rfive");
    EXPECT_EQ(Lines(*doc), (std::vector<std::u16string>{u"one", u"two", u"three", u"four", u"five"}));
    EXPECT_EQ(doc->LineBreakKind, tlbCrLf);
    EXPECT_EQ(Write(*doc, teUtf8, doc->LineBreakKind), "one\r\ntwo\r\nthree\r\nfour\r\nfive");
}

}  // namespace
