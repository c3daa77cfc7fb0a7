// The text of runs, ranges and whole paragraphs, 8-bit or UTF-16.
#include "model/document/TDoc.h"

#include <algorithm>

#include "layout/words/TextExtraction.h"
#include "layout/words/WordStateFlags.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/host/FontQueries.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"
#include "platform/Collation.h"

namespace {

// Windows-1252 em and en dash.
constexpr std::uint8_t AnsiEmDash = 151;
constexpr std::uint8_t AnsiEnDash = 150;
constexpr std::uint8_t SymbolCharset = 2;
// The user's default locale for case mapping.
constexpr std::uint32_t UserDefaultLocale = 0x400;

// Text in a symbol font and in fonts whose code page lies below 1250 reads
// as Windows-1252, as everywhere else in the program.
int TextCodePageOfFont(std::int32_t font) {
    if (DocFontCharset(font) == SymbolCharset)
        return 1252;
    const int codePage = DocFontCodePage(font);
    return codePage < 1250 ? 1252 : codePage;
}

bool IsRowEndPar(const TDoc& doc, std::int32_t par) {
    if (par < 0 || par >= doc.ParCount())
        return false;
    const TPar* p = doc.Par(par);
    return p->Format.InTable == 1 && p->CharCount() > 0 && p->Chars.Data[0] == chRowEnd;
}

// One control of the run as text, by the flags; the first matching rule of
// each character wins.
void AppendControlText(const TDoc& doc,
                       std::int32_t par,
                       std::uint8_t code,
                       std::int32_t value,
                       std::uint32_t flags,
                       std::u16string& text) {
    const bool blanks = (flags & tfBlanks) != 0;
    const bool pattern = (flags & tfFindPattern) != 0;
    const bool names = (flags & tfSpecialNames) != 0;
    switch (code) {
        case fcUnicodeChar:
            text.push_back(static_cast<char16_t>(value & 0xFFFF));
            return;
        case fcSectionBreak:
            text += pattern ? u"^b" : blanks ? u" " : names ? u"<section break>" : u"\r\n";
            return;
        case fcCellEnd:
            if (blanks)
                text += u" ";
            else if (doc.StateFlags[sfCellEndsAsTabs] != 0)
                text += IsRowEndPar(doc, par + 1) ? u"\r\n" : u"\t";
            else
                text += u"\r\n";
            return;
        case fcRowEnd:
            if (blanks)
                text += u" ";
            else if (doc.StateFlags[sfCellEndsAsTabs] == 0)
                text += u"\r\n";
            return;
        case fcShapeAnchor:
            text += pattern ? u"^g" : names ? u"<picture>" : u" ";
            return;
        case fcSpecialChar:
            break;
        default:
            return;
    }
    switch (static_cast<std::uint8_t>(value)) {
        case chParEnd:
            if (pattern)
                text += u"^p";
            else if (blanks && !names)
                text += u" ";
            else if (blanks && names)
                text += text.empty() ? u"<paragraph end mark>" : u"";
            else
                text += u"\r\n";
            return;
        case chLineBreak:
            text += pattern ? u"^l" : names ? u"<line break>" : blanks ? u" " : u"\r\n";
            return;
        case chColumnBreak:
            text += pattern ? u"^n" : names ? u"<column break>" : blanks ? u" " : u"\r\n";
            return;
        case chPageBreak:
            text += names ? u"<page break>" : pattern ? u"^m" : blanks ? u" " : u"\f";
            return;
        case chTab:
            text += names ? u"<tab character>" : pattern ? u"^t" : blanks ? u" " : u"\t";
            return;
        case chNoBreakSpace:
            text += (flags & tfNoBreakSpace) != 0 ? u"\u00A0" : u" ";
            return;
        case chNonBreakingHyphen:
            text += u"-";
            return;
        case chEmDash:
            text += pattern ? u"^+" : u"\u2014";
            return;
        case chEnDash:
            text += pattern ? u"^=" : u"\u2013";
            return;
        case chEnSpace:
            text += blanks ? u" " : u"\u2002";
            return;
        case chEmSpace:
            text += blanks ? u" " : u"\u2003";
            return;
        case chQuarterEmSpace:
            text += blanks ? u" " : u"\u2005";
            return;
        default:
            return;
    }
}

}  // namespace

void TDoc::RunTextA(const TTextRun& run, std::string& text) const {
    text.clear();
    if (run.Pos.Par < 0 || run.Pos.Par >= Pars.Count || run.Count <= 0)
        return;
    const TPar* par = Par(run.Pos.Par);
    const std::int32_t from = std::clamp(run.Pos.Offset, 0, par->CharCount());
    const std::int32_t to = std::clamp(run.Pos.Offset + run.Count, from, par->CharCount());
    text.reserve(to - from);
    for (std::int32_t i = from; i < to; ++i) {
        const std::uint8_t c = par->Chars.Data[i];
        if ((c >= 6 && c <= 9) || c == chNoBreakSpace || (c >= chEnSpace && c <= chQuarterEmSpace))
            text.push_back(' ');
        else if (c == chNonBreakingHyphen)
            text.push_back('-');
        else if (c == chEmDash)
            text.push_back(static_cast<char>(AnsiEmDash));
        else if (c == chEnDash)
            text.push_back(static_cast<char>(AnsiEnDash));
        else if (c >= 32)
            text.push_back(static_cast<char>(c));
    }
}

void TDoc::RangeTextA(const TFragment& range, std::string& text) const {
    text.clear();
    if (range.Start.Par < 0 || range.Start.Par >= Pars.Count)
        return;
    const std::int32_t length = Par(range.Start.Par)->CharCount();
    const std::int32_t endMark = std::max(length - 1, 0);
    std::int32_t to = range.End.Par == range.Start.Par ? std::min(range.End.Offset, endMark) : endMark;
    TTextRun run;
    run.Pos = range.Start;
    run.Count = std::max(to - range.Start.Offset, 0);
    RunTextA(run, text);
}

void TDoc::RunTextW(const TTextRun& run, std::uint32_t flags, std::u16string& text) {
    text.clear();
    if (run.Pos.Par < 0 || run.Pos.Par >= Pars.Count || run.Count <= 0)
        return;
    TPar* par = Par(run.Pos.Par);
    par->Normalize();
    const std::int32_t length = par->CharCount();
    const std::int32_t from = std::clamp(run.Pos.Offset, 0, length);
    const std::int32_t to = std::clamp(run.Pos.Offset + run.Count, from, length);
    if (from == to)
        return;
    const std::int32_t streamFrom = par->StreamOffsetOfChar(from);
    const std::int32_t streamTo = to < length ? par->StreamOffsetOfChar(to) : par->Stream.Size;
    TCharFormat format;
    FormatAtOffset(par->Stream, streamFrom, format);
    int codePage = TextCodePageOfFont(format[caFont]);
    const bool pattern = (flags & tfFindPattern) != 0;
    const std::uint8_t* data = par->Stream.Data;
    TStreamElement e;
    for (std::int32_t off = streamFrom; off < streamTo; off += e.Length) {
        ReadStreamElement(data, par->Stream.Size, off, e);
        if (!e.IsControl) {
            const std::int32_t n = std::min(e.Length, streamTo - off);
            const std::u16string wide =
                Platform::BytesToWide(codePage, std::string_view(reinterpret_cast<const char*>(data + off), n));
            if (!pattern) {
                text += wide;
            } else {
                for (char16_t c : wide) {
                    text.push_back(c);
                    if (c == u'^')
                        text.push_back(u'^');
                }
            }
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == caFont)
            codePage = TextCodePageOfFont(e.Value);
        else if (e.Code > fcLastCharAttr)
            AppendControlText(*this, run.Pos.Par, e.Code, e.Value, flags, text);
    }
}

void TDoc::RangeTextW(const TFragment& range, std::uint32_t flags, std::u16string& text) {
    text.clear();
    if (range.Start.Par < 0 || range.Start.Par >= Pars.Count)
        return;
    const std::int32_t length = Par(range.Start.Par)->CharCount();
    const std::int32_t to = range.End.Par == range.Start.Par ? std::min(range.End.Offset, length) : length;
    TTextRun run;
    run.Pos = range.Start;
    run.Count = std::max(to - range.Start.Offset, 0);
    RunTextW(run, flags, text);
}

void TDoc::RangeTextWAll(const TFragment& range, std::uint32_t flags, std::u16string& text) {
    text.clear();
    const std::int32_t last = std::min(range.End.Par, Pars.Count - 1);
    std::u16string piece;
    for (std::int32_t p = std::max(range.Start.Par, 0); p <= last; ++p) {
        const std::int32_t length = Par(p)->CharCount();
        TTextRun run;
        MakeTextPos(p, p == range.Start.Par ? range.Start.Offset : 0, run.Pos);
        const std::int32_t to = p == range.End.Par ? std::min(range.End.Offset, length) : length;
        run.Count = std::max(to - run.Pos.Offset, 0);
        RunTextW(run, flags, piece);
        text += piece;
    }
}

void TDoc::ParTextW(std::int32_t par, std::u16string& text) {
    text.clear();
    if (par < 0 || par >= Pars.Count)
        return;
    TPar* p = Par(par);
    p->Normalize();
    int codePage = TextCodePageOfFont(DefaultCharFormat[caFont]);
    bool symbolFont = DocFontCharset(DefaultCharFormat[caFont]) == SymbolCharset;
    const std::uint8_t* data = p->Stream.Data;
    TStreamElement e;
    for (std::int32_t off = 0; off < p->Stream.Size; off += e.Length) {
        ReadStreamElement(data, p->Stream.Size, off, e);
        if (!e.IsControl) {
            if (symbolFont)
                text.append(e.Length, u' ');
            else
                text += Platform::BytesToWide(codePage,
                                              std::string_view(reinterpret_cast<const char*>(data + off), e.Length));
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == caFont) {
            codePage = TextCodePageOfFont(e.Value);
            symbolFont = DocFontCharset(e.Value) == SymbolCharset;
        } else if (e.Code == fcUnicodeChar) {
            text.push_back(static_cast<char16_t>(e.Value & 0xFFFF));
        } else if (ControlTakesPosition(e.Code)) {
            const std::uint8_t c = ControlCharCode(e.Code, e.Value);
            const bool dash = c == chNonBreakingHyphen || c == chEmDash || c == chEnDash;
            text.push_back(dash ? u'-' : u' ');
        }
    }
    TFragment whole;
    MakeFragment(par, 0, par, p->CharCount(), whole);
    TCharFormat common;
    MergedCharFormat(nullptr, whole, common);
    const auto isSet = [](std::int32_t v) { return v != UnsetValue && v != 0; };
    if (isSet(common[caSmallCaps]) || isSet(common[caAllCaps]))
        text = Platform::UpperCaseWideInLocale(UserDefaultLocale, text);
    std::u16string label;
    p->GetListLabelText(label);
    text.insert(0, label);
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) {
        text.clear();
        return;
    }
    const std::size_t last = text.find_last_not_of(u' ');
    text = text.substr(first, last - first + 1);
}
