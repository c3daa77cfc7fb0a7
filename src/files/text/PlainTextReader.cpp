#include "files/text/PlainTextReader.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/text/Charsets.h"
#include "base/text/WideText.h"
#include "files/import/ImportHelpers.h"
#include "files/import/TReadWindow.h"
#include "files/text/TextConversion.h"
#include "files/text/TextEncodings.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/host/FontQueries.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

constexpr char32_t kCarriageReturn = 13;
constexpr char32_t kLineFeed = 10;

// The characters plain text gives a meaning in the document: tab, vertical
// tab (line break), form feed (page break), 15 (column break), 16
// (non-breaking hyphen), 31 (optional hyphen), and the code-page dash and
// no-break space characters. 0 for every other character.
std::uint8_t SpecialCharOf(char32_t c) {
    return c <= 0xFF ? SpecialCharOfTextByte(static_cast<std::uint8_t>(c)) : 0;
}

bool IsUnicodeEncoding(std::int32_t encoding) {
    return encoding >= teUtf8 && encoding <= teUtf16BE;
}

// The same face as font in another character set.
std::int32_t FontInCharset(std::int32_t font, std::uint8_t charset) {
    if (FontManager != nullptr)
        return FontManager->FontWithCharset(DocFontNameId(font), charset);
    return DocFontInCharset(font, charset);
}

class TPlainTextReader {
public:
    TPlainTextReader(TDoc& doc, TReadWindow& window) : Doc(doc), Window(window) {}

    TReadResult Run(const TPlainTextReadOptions& options);

private:
    // Decodes the character at p without taking it; the bytes it takes, 0
    // when the bytes left cannot hold one (half a UTF-16 unit at the end).
    std::size_t Peek(const std::uint8_t* p, std::size_t n, char32_t& c) const;
    TReadResult RefillIfNeeded();
    void StartParagraph();
    void EndParagraph();
    void AppendSpecial(std::uint8_t code);
    void AppendBytes(const std::uint8_t* p, std::size_t n);
    void AppendUnicode(char32_t c);
    void AppendUnit(char16_t unit);
    std::uint8_t LineBreakKind() const;

    TDoc& Doc;
    TReadWindow& Window;
    TPar* Par = nullptr;
    std::int32_t Encoding = teUndecided;
    std::int32_t StartFont = 0;
    int StartCodePage = 1252;
    int CodePageInForce = 1252;
    bool DoubledCr = false;
    bool DoubledLf = false;
    bool CrLfPairs = false;
    bool LfCrPairs = false;
};

std::size_t TPlainTextReader::Peek(const std::uint8_t* p, std::size_t n, char32_t& c) const {
    if (n == 0)
        return 0;
    switch (Encoding) {
        case teUtf8:
        case teUtf8Bom:
            return DecodeUtf8Char(p, n, c);
        case teUtf16LE:
            if (n < 2)
                return 0;
            c = LoadU16LE(p);
            return 2;
        case teUtf16BE:
            if (n < 2)
                return 0;
            c = LoadU16BE(p);
            return 2;
        default:
            c = p[0];
            return 1;
    }
}

TReadResult TPlainTextReader::RefillIfNeeded() {
    return Window.Refill();
}

void TPlainTextReader::StartParagraph() {
    if (StartFont != DefaultCharFormat[caFont])
        AppendFormatControl(Par->Stream, caFont, StartFont);
    CodePageInForce = StartCodePage;
}

void TPlainTextReader::EndParagraph() {
    AppendSpecial(chParEnd);
    Par->Changed();
    auto* par = new TPar(&Doc);
    par->Format = DefaultParFormat;
    Doc.Pars.Add(par);
    Par = par;
    StartParagraph();
}

void TPlainTextReader::AppendSpecial(std::uint8_t code) {
    AppendFormatControl(Par->Stream, fcSpecialChar, code);
    Par->Chars.AppendByte(code);
}

void TPlainTextReader::AppendBytes(const std::uint8_t* p, std::size_t n) {
    Par->Stream.AppendBuffer(p, static_cast<std::int32_t>(n));
    Par->Chars.AppendBuffer(p, static_cast<std::int32_t>(n));
}

void TPlainTextReader::AppendUnit(char16_t unit) {
    if (unit < 128) {
        const auto b = static_cast<std::uint8_t>(unit);
        AppendBytes(&b, 1);
        return;
    }
    const std::int32_t codePage = CodePageOfChar(unit, 0);
    if (codePage == 0) {
        AppendFormatControl(Par->Stream, fcUnicodeChar, unit);
        Par->Chars.AppendByte(chUnicode);
        return;
    }
    if (codePage != CodePageInForce) {
        AppendFormatControl(Par->Stream, caFont, FontInCharset(StartFont, CodePageCharset(codePage)));
        CodePageInForce = codePage;
    }
    const std::string bytes = Platform::WideToBytes(codePage, std::u16string_view(&unit, 1));
    const auto b = bytes.size() == 1 ? static_cast<std::uint8_t>(bytes[0]) : std::uint8_t{0};
    if (b < 32) {
        AppendFormatControl(Par->Stream, fcUnicodeChar, unit);
        Par->Chars.AppendByte(chUnicode);
    } else if (const std::uint8_t special = SpecialCharOf(b); special != 0) {
        // The dashes and the no-break space of the code pages are special
        // characters of the document, as in code-page text.
        AppendSpecial(special);
    } else {
        AppendBytes(&b, 1);
    }
}

void TPlainTextReader::AppendUnicode(char32_t c) {
    if (c > 0xFFFF) {
        // Characters beyond the Basic Multilingual Plane are held as their
        // two surrogate units, one position each.
        const char32_t v = c - 0x10000;
        AppendUnit(static_cast<char16_t>(0xD800 + (v >> 10)));
        AppendUnit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        return;
    }
    AppendUnit(static_cast<char16_t>(c));
}

std::uint8_t TPlainTextReader::LineBreakKind() const {
    const bool any = DoubledCr || DoubledLf || CrLfPairs || LfCrPairs;
    if (!any)
        return tlbCrLf;
    if (DoubledLf && !DoubledCr && !CrLfPairs && !LfCrPairs)
        return tlbLf;
    if (DoubledCr && !DoubledLf && !CrLfPairs && !LfCrPairs)
        return tlbCr;
    if (LfCrPairs && !DoubledCr && !DoubledLf && !CrLfPairs)
        return tlbLfCr;
    return tlbCrLf;
}

TReadResult TPlainTextReader::Run(const TPlainTextReadOptions& options) {
    if (TReadResult fill = Window.Fill(); !fill)
        return fill;
    if (options.ClipboardUnicode) {
        Encoding = teUtf16LE;
    } else {
        const std::span<const std::uint8_t> first(Window.ReadPos, Window.Unread());
        const TTextDetection detection = DetectTextEncoding(first, DefaultCodePage());
        Encoding = detection.Encoding;
        Window.ReadPos += detection.MarkSize;
        if (options.FromFile)
            Encoding = ConfirmTextEncoding(options.FileName, Encoding, first, DefaultCharFormat[caFont]);
    }
    if (Encoding == teUndecided)
        return TReadResult::Failure("encoding not confirmed", 0);
    Doc.TextEncoding = Encoding;

    const std::uint8_t charset =
        IsUnicodeEncoding(Encoding) ? DefaultCharset() : CodePageCharset(TextEncodingCodePage(Encoding));
    StartFont = FontInCharset(DefaultCharFormat[caFont], charset);
    StartCodePage = IsUnicodeEncoding(Encoding) ? CharsetCodePage(charset) : TextEncodingCodePage(Encoding);
    // The document's last paragraph (its only one, when freshly made)
    // becomes the first line's paragraph.
    Par = Doc.Par(Doc.ParCount() - 1);
    Par->Stream.Clear();
    Par->Chars.Clear();
    Par->Format = DefaultParFormat;
    StartParagraph();

    for (;;) {
        if (TReadResult fill = RefillIfNeeded(); !fill)
            return fill;
        const std::uint8_t* p = Window.ReadPos;
        const std::size_t n = Window.Unread();
        char32_t c = 0;
        const std::size_t length = Peek(p, n, c);
        if (length == 0)
            break;
        if (c == kCarriageReturn || c == kLineFeed) {
            Window.ReadPos += length;
            EndParagraph();
            if (TReadResult fill = RefillIfNeeded(); !fill)
                return fill;
            char32_t next = 0;
            const std::size_t nextLength = Peek(Window.ReadPos, Window.Unread(), next);
            if (nextLength != 0 && (next == kCarriageReturn || next == kLineFeed)) {
                // The same character again starts the next line (a blank
                // line); the other one completes a two-character line end.
                if (next == c) {
                    (c == kCarriageReturn ? DoubledCr : DoubledLf) = true;
                } else {
                    (c == kCarriageReturn ? CrLfPairs : LfCrPairs) = true;
                    Window.ReadPos += nextLength;
                }
            }
            continue;
        }
        if (c == 0)
            break;
        if (const std::uint8_t special = SpecialCharOf(c); special != 0) {
            AppendSpecial(special);
            Window.ReadPos += length;
            continue;
        }
        if (c < 32) {
            Window.ReadPos += length;
            continue;
        }
        if (!IsUnicodeEncoding(Encoding)) {
            const std::size_t run = std::max<std::size_t>(LeadingRunLength(p, n), 1);
            AppendBytes(p, run);
            Window.ReadPos += run;
            continue;
        }
        AppendUnicode(c);
        Window.ReadPos += length;
    }
    Par->Changed();
    Doc.LineBreakKind = LineBreakKind();
    return TReadResult::Success();
}

}  // namespace

TReadResult ReadPlainTextDocument(TDoc& doc, TReadWindow& window, const TPlainTextReadOptions& options) {
    TPlainTextReader reader(doc, window);
    return reader.Run(options);
}

bool ReadPlainText(TDoc& doc, TReadWindow& window, const TPlainTextReadOptions& options) {
    const TReadResult result = ReadPlainTextDocument(doc, window, options);
    if (!result && result.Reason == "encoding not confirmed")
        doc.ErrorShown = 1;
    return result.Good;
}
