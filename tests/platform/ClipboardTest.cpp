#include "platform/Clipboard.h"

#include <QtCore/QBuffer>
#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>

#include <gtest/gtest.h>

#include "platform/Bitmaps.h"
#include "platform/CodePages.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"

namespace {

using namespace Platform;

using TBytes = std::vector<std::uint8_t>;

TBytes BytesOf(std::string_view s, bool terminate = false) {
    TBytes out(s.begin(), s.end());
    if (terminate)
        out.push_back(0);
    return out;
}

TBytes WideBytes(std::u16string_view s) {
    TBytes out((s.size() + 1) * 2, 0);
    for (std::size_t i = 0; i < s.size(); ++i)
        StoreU16LE(out.data() + 2 * i, s[i]);
    return out;
}

// A bottom-up DIB of 24-bit pixels (0x00RRGGBB, rows top to bottom here).
TBytes MakeDib24(int width, int height, const std::vector<std::uint32_t>& pixels) {
    const int stride = (width * 3 + 3) & ~3;
    TBytes dib(40 + static_cast<std::size_t>(stride) * height, 0);
    StoreU32LE(dib.data(), 40);
    StoreU32LE(dib.data() + 4, static_cast<std::uint32_t>(width));
    StoreU32LE(dib.data() + 8, static_cast<std::uint32_t>(height));
    StoreU16LE(dib.data() + 12, 1);
    StoreU16LE(dib.data() + 14, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            std::uint8_t* at = dib.data() + 40 + static_cast<std::size_t>(height - 1 - y) * stride + x * 3;
            at[0] = static_cast<std::uint8_t>(p);
            at[1] = static_cast<std::uint8_t>(p >> 8);
            at[2] = static_cast<std::uint8_t>(p >> 16);
        }
    return dib;
}

// The pixels of an uncompressed 24- or 32-bit DIB, top row first.
std::vector<std::uint32_t> DibPixels(const TBytes& dib, int& width, int& height) {
    TByteReader r(dib);
    const std::uint32_t headerSize = r.U32LE();
    width = r.I32LE();
    const std::int32_t h = r.I32LE();
    r.U16LE();
    const int bits = r.U16LE();
    height = h < 0 ? -h : h;
    if (r.Failed() || (bits != 24 && bits != 32))
        return {};
    const int bytesPerPixel = bits / 8;
    const int stride = (width * bytesPerPixel + 3) & ~3;
    std::vector<std::uint32_t> out;
    for (int y = 0; y < height; ++y) {
        const int row = h < 0 ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const std::size_t at = headerSize + static_cast<std::size_t>(row) * stride + x * bytesPerPixel;
            if (at + 3 > dib.size())
                return {};
            out.push_back(dib[at] | (dib[at + 1] << 8) | (dib[at + 2] << 16));
        }
    }
    return out;
}

TBytes SmallMetafile() {
    HDC dc = CreateEnhMetaFile(nullptr, nullptr);
    const TRect r{1, 2, 30, 40};
    HBRUSH brush = CreateSolidBrush(0x000000);
    FillRect(dc, r, brush);
    DeleteBrush(brush);
    HENHMETAFILE m = CloseEnhMetaFile(dc);
    TBytes bytes = GetEnhMetaFileBits(m);
    DeleteEnhMetaFile(m);
    return bytes;
}

TBytes SmallPng() {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(0x123456);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return TBytes(png.begin(), png.end());
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenClipboard(nullptr));
        ASSERT_TRUE(EmptyClipboard());
        ASSERT_TRUE(CloseClipboard());
    }
    void TearDown() override {
        // A failed assertion may leave the clipboard open.
        CloseClipboard();
    }
    // Puts one format's data on the clipboard on its own.
    bool Put(std::uint32_t format, const TBytes& data) {
        EXPECT_TRUE(OpenClipboard(nullptr));
        EXPECT_TRUE(EmptyClipboard());
        const bool ok = SetClipboardData(format, data);
        EXPECT_TRUE(CloseClipboard());
        return ok;
    }
    std::optional<TBytes> Take(std::uint32_t format) {
        EXPECT_TRUE(OpenClipboard(nullptr));
        auto data = GetClipboardData(format);
        EXPECT_TRUE(CloseClipboard());
        return data;
    }
    static const QMimeData* Desktop() { return QGuiApplication::clipboard()->mimeData(); }
};

std::string HtmlOf(const TBytes& data) {
    std::string html;
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    EXPECT_TRUE(DecodeClipboardHtml(text.substr(0, text.find('\0')), html));
    return html;
}

TEST_F(ClipboardTest, EveryFormatRoundTripsThroughTheDesktopUnderItsMimeType) {
    struct Case {
        const char* Label;
        std::uint32_t Format;
        TBytes Data;
        const char* Mime;
        bool Html = false;
    };
    const std::string html = "<html><body><!--StartFragment--><b>bold</b><!--EndFragment--></body></html>";
    const Case cases[] = {
        {"unicode text", CF_UNICODETEXT, WideBytes(u"Gr\u00FC\u00DFe \u20AC \U0001F600"), "text/plain;charset=utf-8"},
        {"ansi text", CF_TEXT, BytesOf("caf\xE9 \x80", true), "text/plain;charset=utf-8"},
        {"oem text", CF_OEMTEXT, BytesOf("\x82t\x82", true), "text/plain;charset=utf-8"},
        {"metafile", CF_ENHMETAFILE, SmallMetafile(), "image/emf"},
        {"files", CF_HDROP, EncodeDropFiles({u"/tmp/a b.txt", u"/home/\u00E9/c.rtf"}), "text/uri-list"},
        {"rtf", RegisterClipboardFormat(u"Rich Text Format"), BytesOf("{\\rtf1 x\\par}"), "text/rtf"},
        {"html", RegisterClipboardFormat(u"HTML Format"), BytesOf(EncodeClipboardHtml(html), true), "text/html", true},
        {"png", RegisterClipboardFormat(u"PNG"), SmallPng(), "image/png"},
        {"column block", RegisterClipboardFormat(u"Column Block"), BytesOf(""),
         "application/x-rezozuri-format.Column%20Block"},
        {"table selection", RegisterClipboardFormat(u"Table Selection Type"),
         BytesOf(std::string("\x01\x00\x00\x00", 4)), "application/x-rezozuri-format.Table%20Selection%20Type"},
        {"non-whole words", RegisterClipboardFormat(u"Non-whole Words"), BytesOf("1"),
         "application/x-rezozuri-format.Non-whole%20Words"},
        {"binary private", RegisterClipboardFormat(u"Rezozuri Internal"), BytesOf(std::string("\0\xFF\0", 3)),
         "application/x-rezozuri-format.Rezozuri%20Internal"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        ASSERT_TRUE(Put(c.Format, c.Data));
        ASSERT_NE(Desktop(), nullptr);
        EXPECT_TRUE(Desktop()->hasFormat(c.Mime)) << Desktop()->formats().join(u' ').toStdString();
        EXPECT_EQ(ClipboardMimeTypeOf(c.Format), c.Mime);
        EXPECT_TRUE(IsClipboardFormatAvailable(c.Format));
        const auto back = Take(c.Format);
        ASSERT_TRUE(back.has_value());
        if (c.Html)
            EXPECT_EQ(HtmlOf(*back), html);
        else
            EXPECT_EQ(*back, c.Data);
    }
    // What went out as HTML is the document itself, without the header.
    ASSERT_TRUE(Put(RegisterClipboardFormat(u"HTML Format"), BytesOf(EncodeClipboardHtml(html), true)));
    EXPECT_EQ(Desktop()->html().toStdString(), html);
}

TEST_F(ClipboardTest, TextComesInTheFormatAskedFor) {
    struct Case {
        const char* Label;
        std::uint32_t SetAs;
        TBytes Data;
        std::uint32_t GetAs;
        TBytes Expected;
    };
    const Case cases[] = {
        {"wide to ansi", CF_UNICODETEXT, WideBytes(u"caf\u00E9 \u20AC"), CF_TEXT, BytesOf("caf\xE9 \x80", true)},
        {"ansi to wide", CF_TEXT, BytesOf("\x93q\x94", true), CF_UNICODETEXT, WideBytes(u"\u201Cq\u201D")},
        {"oem to ansi", CF_OEMTEXT, BytesOf("\x82", true), CF_TEXT, BytesOf("\xE9", true)},
        {"unmappable to ansi", CF_UNICODETEXT, WideBytes(u"\u0416"), CF_TEXT, BytesOf("?", true)},
        // Text stops at the first null, and unterminated data is taken whole.
        {"embedded null", CF_TEXT, BytesOf(std::string("ab\0cd", 5)), CF_TEXT, BytesOf("ab", true)},
        {"unterminated", CF_TEXT, BytesOf("abc"), CF_TEXT, BytesOf("abc", true)},
        {"odd byte of wide text", CF_UNICODETEXT, BytesOf(std::string("a\0b", 3)), CF_UNICODETEXT, WideBytes(u"a")},
        {"empty", CF_UNICODETEXT, {}, CF_UNICODETEXT, WideBytes(u"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        ASSERT_TRUE(Put(c.SetAs, c.Data));
        EXPECT_EQ(Take(c.GetAs), c.Expected);
    }
}

TEST_F(ClipboardTest, DibAndBitmapKeepTheirPixels) {
    const std::vector<std::uint32_t> pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
    ASSERT_TRUE(Put(CF_DIB, MakeDib24(3, 2, pixels)));
    EXPECT_TRUE(Desktop()->hasFormat("image/png"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    const auto dib = Take(CF_DIB);
    ASSERT_TRUE(dib.has_value());
    int width = 0;
    int height = 0;
    EXPECT_EQ(DibPixels(*dib, width, height), pixels);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);

    // The same picture as a bitmap, and a bitmap back as a DIB.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HBITMAP bitmap = GetClipboardBitmap();
    ASSERT_NE(bitmap, nullptr);
    TBitmapInfo info;
    ASSERT_TRUE(GetBitmapInfo(bitmap, info));
    EXPECT_EQ(std::vector<std::uint32_t>(info.Bits, info.Bits + 6), pixels);
    info.Bits[0] = 0x0A0B0C;
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardBitmap(bitmap));
    ASSERT_TRUE(CloseClipboard());
    DeleteBitmap(bitmap);
    const auto again = Take(CF_DIB);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(DibPixels(*again, width, height).at(0), 0x0A0B0Cu);
}

TEST_F(ClipboardTest, DataOfOtherProgramsIsReadInOurFormats) {
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile("/tmp/x.doc"), QUrl("https://example.com/not-a-file")});
    mime->setHtml("<p>hi</p>");
    QImage image(2, 1, QImage::Format_RGB32);
    image.fill(0x00FF00);
    mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime);

    ASSERT_TRUE(OpenClipboard(nullptr));
    std::vector<std::uint32_t> formats;
    for (std::uint32_t f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
        formats.push_back(f);
    for (std::uint32_t f : {std::uint32_t{CF_HDROP}, std::uint32_t{CF_DIB}, std::uint32_t{CF_BITMAP},
                            RegisterClipboardFormat(u"html format")})
        EXPECT_NE(std::find(formats.begin(), formats.end(), f), formats.end()) << f;
    EXPECT_EQ(CountClipboardFormats(), static_cast<int>(formats.size()));

    // Only local files make a file drop.
    const auto drop = GetClipboardData(CF_HDROP);
    ASSERT_TRUE(drop.has_value());
    std::vector<std::u16string> paths;
    ASSERT_TRUE(DecodeDropFiles(*drop, paths));
    EXPECT_EQ(paths, std::vector<std::u16string>{u"/tmp/x.doc"});
    const auto html = GetClipboardData(RegisterClipboardFormat(u"HTML Format"));
    ASSERT_TRUE(html.has_value());
    EXPECT_EQ(HtmlOf(*html), "<p>hi</p>");
    int width = 0;
    int height = 0;
    const auto dib = GetClipboardData(CF_DIB);
    ASSERT_TRUE(dib.has_value());
    EXPECT_EQ(DibPixels(*dib, width, height), (std::vector<std::uint32_t>{0x00FF00, 0x00FF00}));
    EXPECT_FALSE(GetClipboardData(CF_UNICODETEXT).has_value());
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, BadDataIsRefusedAndTheClipboardKeepsWhatItHad) {
    struct Case {
        const char* Label;
        std::uint32_t Format;
        TBytes Data;
    };
    TBytes truncatedDib = MakeDib24(4, 4, std::vector<std::uint32_t>(16, 0));
    truncatedDib.resize(20);
    TBytes hugePalette = MakeDib24(1, 1, {0});
    StoreU32LE(hugePalette.data() + 32, 0x7FFFFFFF);
    const Case cases[] = {
        {"short dib", CF_DIB, truncatedDib},
        {"dib with an impossible palette", CF_DIB, hugePalette},
        {"not a metafile", CF_ENHMETAFILE, BytesOf("not a metafile at all, only words")},
        {"short drop", CF_HDROP, BytesOf(std::string("\x14\0\0\0", 4))},
        {"not a png", RegisterClipboardFormat(u"PNG"), BytesOf("\x89PNG broken")},
        {"html without offsets", RegisterClipboardFormat(u"HTML Format"), BytesOf("Version:0.9\r\n<p>x</p>")},
        {"standard format we do not carry", CF_WAVE, BytesOf("RIFF")},
        {"unregistered number", 0xFFF0, BytesOf("x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        ASSERT_TRUE(Put(CF_UNICODETEXT, WideBytes(u"kept")));
        ASSERT_TRUE(OpenClipboard(nullptr));
        EXPECT_FALSE(SetClipboardData(c.Format, c.Data));
        ASSERT_TRUE(CloseClipboard());
        EXPECT_EQ(Take(CF_UNICODETEXT), WideBytes(u"kept"));
        EXPECT_FALSE(IsClipboardFormatAvailable(c.Format));
    }
}

TEST_F(ClipboardTest, OpeningEmptyingAndOwnership) {
    // Nothing is read or written on a closed clipboard.
    EXPECT_FALSE(GetClipboardData(CF_UNICODETEXT).has_value());
    EXPECT_FALSE(SetClipboardData(CF_UNICODETEXT, WideBytes(u"x")));
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_FALSE(CloseClipboard());

    const HWND owner = reinterpret_cast<HWND>(0x10);
    ASSERT_TRUE(OpenClipboard(owner));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_EQ(GetOpenClipboardWindow(), owner);
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(GetClipboardOwner(), owner);
    ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, WideBytes(u"one")));
    // The opener reads what it has set before anyone else can.
    EXPECT_EQ(GetClipboardData(CF_TEXT), BytesOf("one", true));
    const std::uint32_t before = GetClipboardSequenceNumber();
    ASSERT_TRUE(CloseClipboard());
    EXPECT_NE(GetClipboardSequenceNumber(), before);
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);

    // Setting without emptying adds a format to what is there.
    const std::uint32_t rtf = RegisterClipboardFormat(u"Rich Text Format");
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(SetClipboardData(rtf, BytesOf("{\\rtf1}")));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(Take(CF_UNICODETEXT), WideBytes(u"one"));
    EXPECT_EQ(Take(rtf), BytesOf("{\\rtf1}"));

    // Emptying drops every format.
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(EnumClipboardFormats(0), 0u);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST(ClipboardFormatNamesTest, NamesAreNumberedOnceWithoutRegardToCase) {
    const std::uint32_t a = RegisterClipboardFormat(u"Column Block");
    EXPECT_GE(a, kFirstRegisteredClipboardFormat);
    EXPECT_EQ(RegisterClipboardFormat(u"COLUMN block"), a);
    EXPECT_NE(RegisterClipboardFormat(u"Column Blocks"), a);
    EXPECT_EQ(GetClipboardFormatName(a), u"Column Block");
    EXPECT_EQ(RegisterClipboardFormat(u""), 0u);
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), u"");
    EXPECT_EQ(ClipboardMimeTypeOf(CF_WAVE), "");
    // A name with characters outside MIME tokens still makes a type that
    // names it exactly.
    const std::uint32_t odd = RegisterClipboardFormat(u"a/b;c=\u00E9");
    EXPECT_EQ(ClipboardMimeTypeOf(odd), "application/x-rezozuri-format.a%2Fb%3Bc%3D%C3%A9");
}

TEST(ClipboardDropFilesTest, DamagedBlocksAreReportedWhereTheyFail) {
    struct Case {
        const char* Label;
        TBytes Data;
        std::string Reason;
        std::uint64_t Offset;
    };
    TBytes good = EncodeDropFiles({u"/a"});
    TBytes unended = good;
    unended.resize(unended.size() - 2);
    TBytes farOffset = good;
    StoreU32LE(farOffset.data(), 1000);
    TBytes lowOffset = good;
    StoreU32LE(lowOffset.data(), 4);
    const Case cases[] = {
        {"header short", BytesOf(std::string("\x14\0\0\0\0\0", 6)), "DROPFILES header is short", 4},
        {"offset beyond the end", farOffset, "file list offset is outside the data", 0},
        {"offset inside the header", lowOffset, "file list offset is outside the data", 0},
        {"list without its empty name", unended, "file list is not ended by an empty name", 26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        std::vector<std::u16string> paths;
        const TReadResult r = DecodeDropFiles(c.Data, paths);
        EXPECT_FALSE(r.Good);
        EXPECT_EQ(r.Reason, c.Reason);
        EXPECT_EQ(r.Offset, c.Offset);
    }
    // ANSI names, as older programs write them.
    TBytes ansi(20, 0);
    StoreU32LE(ansi.data(), 20);
    for (char ch : std::string("C:\\caf\xE9\0x\0\0", 11))
        ansi.push_back(static_cast<std::uint8_t>(ch));
    std::vector<std::u16string> paths;
    ASSERT_TRUE(DecodeDropFiles(ansi, paths));
    EXPECT_EQ(paths, (std::vector<std::u16string>{u"C:\\caf\u00E9", u"x"}));
    // No files at all is a valid, empty list.
    ASSERT_TRUE(DecodeDropFiles(EncodeDropFiles({}), paths));
    EXPECT_TRUE(paths.empty());
}

TEST(ClipboardHtmlTest, HeaderOffsetsAreCheckedAndTheFragmentIsMarked) {
    const std::string data = EncodeClipboardHtml("<p><!--StartFragment-->x<!--EndFragment--></p>");
    std::string html;
    ASSERT_TRUE(DecodeClipboardHtml(data, html));
    EXPECT_EQ(html, "<p><!--StartFragment-->x<!--EndFragment--></p>");
    // The fragment offsets point at the x between the markers.
    const auto at = data.find("StartFragment:");
    const std::size_t start = std::stoul(data.substr(at + 14, 10));
    EXPECT_EQ(data.substr(start, 1), "x");

    struct Case {
        const char* Label;
        std::string Data;
        bool Good;
        std::string Html;
    };
    const Case cases[] = {
        {"fragment only", "Version:1.0\r\nStartHTML:-1\r\nEndHTML:-1\r\nStartFragment:73\r\nEndFragment:76\r\n<b>",
         true, "<b>"},
        {"end beyond the data", "Version:0.9\r\nStartHTML:10\r\nEndHTML:999\r\n", false, ""},
        {"start after end", "Version:0.9\r\nStartHTML:20\r\nEndHTML:10\r\n", false, ""},
        {"offsets not numbers", "Version:0.9\r\nStartHTML:abc\r\nEndHTML:10\r\n", false, ""},
        {"no header", "<html></html>", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        std::string out;
        EXPECT_EQ(DecodeClipboardHtml(c.Data, out).Good, c.Good);
        EXPECT_EQ(out, c.Html);
    }
}

}  // namespace
