#include "files/text/PlainTextWriter.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "base/core/ObjectHandles.h"
#include "base/core/TReplacingFileStream.h"
#include "base/core/TStream.h"
#include "files/text/TextEncodings.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/managers/TAutoList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

constexpr char16_t kFormFeed = 12;
constexpr char16_t kBlank = u' ';
constexpr char16_t kEmDash = 0x2014;
constexpr char16_t kEnDash = 0x2013;

class TPlainTextWriter {
public:
    TPlainTextWriter(TDoc& doc, const TPlainTextWriteOptions& options) : Doc(doc), Options(options) {}

    std::string Run();

private:
    void WriteParagraph(std::int32_t par, std::int32_t from, std::int32_t to, bool wholeEnd);
    void WriteMapped(std::int32_t index, char16_t c, std::int32_t pos, std::int32_t length);
    void WriteLineEnd();
    void WriteUnit(char16_t c);
    void WriteText(std::u16string_view text);

    TDoc& Doc;
    const TPlainTextWriteOptions& Options;
    std::string Out;
    // A high surrogate waiting for its low half (UTF-8 only).
    char16_t PendingHigh = 0;
};

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void TPlainTextWriter::WriteUnit(char16_t c) {
    switch (Options.Encoding) {
        case teUtf8:
        case teUtf8Bom: {
            // Surrogate pairs become one four-byte sequence; a lone half,
            // which no valid UTF-8 can hold, becomes U+FFFD.
            if (PendingHigh != 0) {
                const char16_t high = PendingHigh;
                PendingHigh = 0;
                if (IsLowSurrogate(c)) {
                    AppendUtf8(Out, 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (c - 0xDC00));
                    return;
                }
                AppendUtf8(Out, 0xFFFD);
            }
            if (IsHighSurrogate(c)) {
                PendingHigh = c;
                return;
            }
            AppendUtf8(Out, IsLowSurrogate(c) ? char32_t{0xFFFD} : char32_t{c});
            return;
        }
        case teUtf16LE:
            Out += static_cast<char>(c & 0xFF);
            Out += static_cast<char>(c >> 8);
            return;
        case teUtf16BE:
            Out += static_cast<char>(c >> 8);
            Out += static_cast<char>(c & 0xFF);
            return;
        default:
            if (c < 128) {
                Out += static_cast<char>(c);
                return;
            }
            Out += Platform::WideToBytes(TextEncodingCodePage(Options.Encoding), std::u16string_view(&c, 1));
            return;
    }
}

void TPlainTextWriter::WriteText(std::u16string_view text) {
    for (const char16_t c : text)
        WriteUnit(c);
}

void TPlainTextWriter::WriteLineEnd() {
    static constexpr std::u16string_view ends[4] = {u"\r\n", u"\r", u"\n", u"\n\r"};
    WriteText(ends[Options.LineBreak < 4 ? Options.LineBreak : 0]);
}

// The characters below 32 of a paragraph's text: ends and breaks become
// line ends (or blanks), the dashes and spaces ordinary characters. The
// row-end mark, the note-reference mark and the optional hyphen have no text
// of their own and are dropped: a row's line end is written at its last
// cell end.
void TPlainTextWriter::WriteMapped(std::int32_t index, char16_t c, std::int32_t pos, std::int32_t length) {
    const bool plain = Options.PlainChars;
    switch (c) {
        case chParEnd:
        case chSectionBreak:
        case chColumnBreak:
        case chLineBreak:
            plain ? WriteUnit(kBlank) : WriteLineEnd();
            return;
        case chCellEnd: {
            if (plain) {
                WriteUnit(kBlank);
                return;
            }
            const bool rowFollows = pos == length - 1 && index + 1 < Doc.ParCount() &&
                                    Doc.Par(index + 1)->CharCount() > 0 &&
                                    Doc.Par(index + 1)->Chars.Data[0] == chRowEnd;
            rowFollows ? WriteLineEnd() : WriteUnit(u'\t');
            return;
        }
        case chPageBreak:
            WriteUnit(plain ? kBlank : kFormFeed);
            return;
        case chTab:
            WriteUnit(plain ? kBlank : u'\t');
            return;
        case chShapeAnchor:
        case chNoBreakSpace:
        case chEnSpace:
        case chEmSpace:
        case chQuarterEmSpace:
            WriteUnit(kBlank);
            return;
        case chNonBreakingHyphen:
            WriteUnit(u'-');
            return;
        case chEmDash:
            WriteUnit(plain ? u'-' : kEmDash);
            return;
        case chEnDash:
            WriteUnit(plain ? u'-' : kEnDash);
            return;
        case chSoftHyphen:
            if (plain)
                WriteUnit(u'-');
            return;
        default:
            if (c >= 32)
                WriteUnit(c);
            return;
    }
}

void TPlainTextWriter::WriteParagraph(std::int32_t index, std::int32_t from, std::int32_t to, bool wholeEnd) {
    TPar& par = *Doc.Par(index);
    const std::int32_t length = par.CharCount();
    if (Options.FileTarget && from == 0 && wholeEnd && par.Format.List != 0 && par.Format.List != UnsetValue &&
        par.Format.ListLevel >= 0 && par.Format.ListLevel <= 8 &&
        HandleTo<TAutoList>(static_cast<TObjectHandle>(par.Format.List)) != nullptr) {
        if (par.IsNumberedListPar()) {
            std::u16string label;
            par.GetListLabelText(label);
            WriteText(label);
        } else {
            WriteText(u"* ");
        }
    }
    par.BuildWideText();
    for (std::int32_t pos = from; pos < to && pos < length; ++pos)
        WriteMapped(index, par.WideText[static_cast<std::size_t>(pos)], pos, length);
}

std::string TPlainTextWriter::Run() {
    if (Options.FileTarget) {
        if (Options.Encoding == teUtf8Bom)
            Out += "\xEF\xBB\xBF";
        else if (Options.Encoding == teUtf16LE)
            Out += "\xFF\xFE";
        else if (Options.Encoding == teUtf16BE)
            Out += "\xFE\xFF";
    }
    if (Doc.ParCount() == 0)
        return Out;
    std::int32_t toPar = Options.ToPar;
    std::int32_t toOffset = Options.ToOffset;
    if (toPar < 0) {
        toPar = std::clamp(Doc.StoryCounts[stMain], 1, Doc.ParCount()) - 1;
        toOffset = Doc.Par(toPar)->CharCount();
    }
    toPar = std::min(toPar, Doc.ParCount() - 1);
    const std::int32_t fromPar = std::clamp(Options.FromPar, 0, toPar);
    const TPar& last = *Doc.Par(toPar);
    const std::int32_t lastLength = last.CharCount();
    const bool endsAtParEnd = toOffset >= lastLength;
    // A file does not end in a line end: the final paragraph mark stays
    // unwritten.
    if (Options.FileTarget && endsAtParEnd && lastLength > 0 &&
        (last.Chars.Data[lastLength - 1] == chParEnd || last.Chars.Data[lastLength - 1] == chSectionBreak))
        toOffset = lastLength - 1;
    if (fromPar == toPar) {
        WriteParagraph(fromPar, Options.FromOffset, toOffset, endsAtParEnd);
    } else {
        WriteParagraph(fromPar, Options.FromOffset, Doc.Par(fromPar)->CharCount(), true);
        for (std::int32_t p = fromPar + 1; p < toPar; ++p)
            WriteParagraph(p, 0, Doc.Par(p)->CharCount(), true);
        WriteParagraph(toPar, 0, toOffset, endsAtParEnd);
    }
    if (PendingHigh != 0)
        AppendUtf8(Out, 0xFFFD);
    return Out;
}

}  // namespace

std::string WritePlainTextBytes(TDoc& doc, const TPlainTextWriteOptions& options) {
    TPlainTextWriter writer(doc, options);
    return writer.Run();
}

std::int32_t SavePlainTextFile(TDoc& doc, const std::string& fileName, const TPlainTextWriteOptions& options) {
    const std::string bytes = WritePlainTextBytes(doc, options);
    try {
        SaveFileReplacing(fileName, [&](TStream& stream) {
            stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        });
    } catch (const std::exception&) {
        return 2;
    }
    return 0;
}
