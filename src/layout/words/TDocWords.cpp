// Words, addresses, file paths and sentences around a position.
#include "model/document/TDoc.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "base/files/Urls.h"
#include "base/text/NumberWords.h"
#include "layout/words/CharClasses.h"
#include "layout/words/ParChars.h"
#include "layout/words/WordServices.h"
#include "layout/words/WordStateFlags.h"
#include "model/formats/FormatStream.h"
#include "model/formats/WordSeparators.h"
#include "model/host/FontQueries.h"
#include "model/host/ModelOptions.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

constexpr int LangEnglish = 9;
constexpr int LangSpanish = 10;

bool ValidPar(const TDoc& doc, std::int32_t par) {
    return par >= 0 && par < doc.ParCount();
}

void EmptyRun(const TTextPos& pos, TTextRun& run) {
    run = TTextRun{};
    run.Pos = pos;
}

// The word around offset under a separator table: forward up to the end
// mark, backward to the paragraph start, then without leading characters
// of the upper half that are no letters or digits (typographic marks).
void PlainWordAt(const TParChars& chars, const TTextPos& pos, TTextRun& run) {
    EmptyRun(pos, run);
    const std::int32_t offset = std::clamp(pos.Offset, 0, chars.Count);
    std::int32_t start = offset;
    std::int32_t end = offset;
    while (end < chars.Count - 1 && !chars.IsSeparator(end))
        ++end;
    while (start > 0 && !chars.IsSeparator(start - 1))
        --start;
    while (start < end && chars.At(start) >= 128 && !chars.IsAlphaNumeric(start))
        ++start;
    if (start > offset || start == end)
        return;
    run.Pos.Offset = start;
    run.Count = end - start;
}

bool IsPunctuationOrSymbol(const TParChars& chars, std::int32_t i) {
    return IsCharClass(chars.At(i), ccPunctuation) || chars.IsSymbol(i);
}

bool IsWhite(const TParChars& chars, std::int32_t i) {
    return IsCharClass(chars.At(i), ccWhiteSpace);
}

bool IsQuoteOrInverted(const TParChars& chars, std::int32_t i, bool spanish) {
    return IsCharClass(chars.At(i), spanish ? ccQuote | ccInvertedMark : ccQuote);
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The word a sentence rule looks at: the word around a position with the
// hyphens and the full stop as word characters, so that "e.g." and "U.S."
// are one word. Letters counts its characters before its first sentence end
// or white space, Ends the run of sentence ends after them.
struct TSentenceWord {
    std::int32_t Start = 0;
    std::int32_t Count = 0;
    std::int32_t Letters = 0;
    std::int32_t Ends = 0;
};

void SentenceWordAt(const TDoc& doc, const TTextPos& pos, TSentenceWord& word) {
    std::uint8_t separators[256];
    std::copy(WordSeparators.begin(), WordSeparators.end(), separators);
    separators['-'] = separators[chNonBreakingHyphen] = separators['.'] = 0;
    const TParChars chars(doc, pos.Par, separators);
    TTextRun run;
    PlainWordAt(chars, pos, run);
    word = TSentenceWord{};
    word.Start = run.Pos.Offset;
    word.Count = run.Count;
    std::int32_t i = word.Start;
    const std::int32_t end = word.Start + word.Count;
    while (i < end && !IsCharClass(chars.At(i), ccSentenceEnd | ccWhiteSpace))
        ++i;
    word.Letters = i - word.Start;
    // The sentence ends may run on past the word: "?" and "!" separate.
    while (i < chars.Count && IsCharClass(chars.At(i), ccSentenceEnd))
        ++i;
    word.Ends = i - word.Start - word.Letters;
}

// Single characters separated by full stops, at least two of them: "U.S.",
// "e.g.".
bool IsInitialsAbbreviation(const TParChars& chars, std::int32_t start, std::int32_t count) {
    std::int32_t stops = 0;
    for (std::int32_t i = start; i < start + count; ++i) {
        const bool stopExpected = (i - start) % 2 == 1;
        if ((chars.At(i) == '.') != stopExpected)
            return false;
        stops += stopExpected ? 1 : 0;
    }
    return stops >= 2;
}

}  // namespace

bool LooksLikeFilePath(const std::string& text) {
    if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':')
        return true;
    if (text.size() > 2 && text[0] == '\\' && text[1] == '\\') {
        // \\server\share: a server name, a backslash and a share name.
        const std::size_t slash = text.find('\\', 2);
        if (slash != std::string::npos && slash > 2 && slash + 1 < text.size())
            return true;
    }
    const std::size_t folder = text.find_last_of("\\/");
    const std::size_t lastPart = folder == std::string::npos ? 0 : folder + 1;
    const std::size_t dot = text.rfind('.');
    if (dot == std::string::npos || dot < lastPart || dot + 1 >= text.size())
        return false;
    return WordServices().IsKnownFileExtension(std::string_view(text).substr(dot + 1));
}

void TDoc::CaretMoveRange(TFragment& range) {
    if (StateFlags[sfMoveInTextStories] != 0)
        TextStoriesRange(range);
    else
        CurrentStoryRange(range);
    while (range.End.Par > range.Start.Par && WordServices().IsParHidden(*this, range.End.Par)) {
        --range.End.Par;
        range.End.Offset = Par(range.End.Par)->CharCount();
    }
}

void TDoc::WordAt(const TTextPos& pos, TTextRun& run) {
    EmptyRun(pos, run);
    if (!ValidPar(*this, pos.Par))
        return;
    if (ModelOptions().AddressesAsWords) {
        UrlAt(pos, run);
        if (run.Count > 0)
            return;
    }
    const TParChars chars(*this, pos.Par, WordSeparators.data());
    PlainWordAt(chars, pos, run);
}

void TDoc::PrevWordStart(const TTextPos& pos, TTextPos& result) {
    result = pos;
    if (!ValidPar(*this, pos.Par))
        return;
    TFragment range;
    CaretMoveRange(range);
    TTextPos start = pos;
    start.Offset = std::clamp(start.Offset, 0, Par(start.Par)->CharCount());
    if (start.Offset == 0) {
        if (start.Par <= range.Start.Par)
            return;
        std::int32_t par = start.Par - 1;
        while (par > range.Start.Par && WordServices().IsParHidden(*this, par))
            --par;
        MakeTextPos(par, std::max(Par(par)->CharCount() - 1, 0), start);
        result = start;
        if (start.Offset == 0)
            return;
    }
    const TParChars chars(*this, start.Par, WordSeparators.data());
    std::int32_t off = start.Offset - 1;
    while (off > 0 && IsCharClass(chars.At(off), ccBlank))
        --off;
    bool passedPunctuation = false;
    while (off > 0 && IsPunctuationOrSymbol(chars, off) && IsPunctuationOrSymbol(chars, off - 1)) {
        const bool wasBreak = IsCharClass(chars.At(off), ccBreak);
        --off;
        passedPunctuation = true;
        if (wasBreak)
            break;
    }
    if (!passedPunctuation)
        while (off > 0 && !chars.IsSeparator(off) && chars.IsAlphaNumeric(off - 1))
            --off;
    if (start.Offset - off > 1 && chars.IsSeparator(off) && off + 1 < chars.Count && !chars.IsSeparator(off + 1))
        ++off;
    result.Par = start.Par;
    result.Offset = off;
    if (ModelOptions().AddressesAsWords) {
        TTextRun address;
        UrlAt(result, address);
        if (address.Count > 0 && address.Pos.Offset < result.Offset)
            result.Offset = address.Pos.Offset;
    }
}

void TDoc::NextWordStart(const TTextPos& pos, TTextPos& result) {
    result = pos;
    if (!ValidPar(*this, pos.Par))
        return;
    TFragment range;
    CaretMoveRange(range);
    if (CompareTextPos(pos, range.End) >= 0)
        return;
    const std::int32_t length = Par(pos.Par)->CharCount();
    if (pos.Offset >= length - 1) {
        // On or after the end mark: on to the next visible paragraph; the
        // range's last paragraph ends after its mark.
        if (pos.Offset == length - 1 && pos.Par >= range.End.Par) {
            result.Offset = length;
            return;
        }
        std::int32_t par = pos.Par + 1;
        while (par < range.End.Par && WordServices().IsParHidden(*this, par))
            ++par;
        if (par > range.End.Par)
            return;
        MakeTextPos(par, 0, result);
        return;
    }
    const TParChars chars(*this, pos.Par, WordSeparators.data());
    std::int32_t off = std::max(pos.Offset, 0);
    bool passedWord = false;
    while (off < chars.Count && !chars.IsSeparator(off)) {
        const bool alphaNumeric = chars.IsAlphaNumeric(off);
        ++off;
        passedWord = true;
        if (!alphaNumeric)
            break;
    }
    if (!passedWord) {
        const std::int32_t first = off;
        while (off < chars.Count && IsPunctuationOrSymbol(chars, off)) {
            if (IsCharClass(chars.At(off), ccBreak)) {
                if (off == first)
                    ++off;
                break;
            }
            ++off;
        }
    }
    while (off < chars.Count && IsCharClass(chars.At(off), ccBlank))
        ++off;
    result.Offset = off;
    if (ModelOptions().AddressesAsWords) {
        TTextRun address;
        UrlAt(pos, address);
        const std::int32_t addressEnd = address.Pos.Offset + address.Count;
        if (address.Count > 0 && off < addressEnd) {
            // Continue from the address's last character as if addresses
            // were plain text, which leaves the address behind.
            ModelOptions().AddressesAsWords = false;
            TTextPos last = pos;
            last.Offset = addressEnd - 1;
            NextWordStart(last, result);
            ModelOptions().AddressesAsWords = true;
        }
    }
}

void TDoc::UrlAt(const TTextPos& pos, TTextRun& run) {
    EmptyRun(pos, run);
    if (!ValidPar(*this, pos.Par))
        return;
    const TParChars chars(*this, pos.Par, WordSeparators.data());
    const std::int32_t offset = std::clamp(pos.Offset, 0, chars.Count);
    std::int32_t start = offset;
    std::int32_t end = offset;
    while (start > 0 && IsCharClass(chars.At(start - 1), ccAddress))
        --start;
    while (end < chars.Count - 1 && IsCharClass(chars.At(end), ccAddress))
        ++end;
    while (end > start && IsCharClass(chars.At(end - 1), ccAddressTrim))
        --end;
    while (start < end && chars.At(start) != '+' && IsCharClass(chars.At(start), ccAddressTrim))
        ++start;
    if (start == end || offset < start || offset > end)
        return;
    TTextRun found;
    MakeTextPos(pos.Par, start, found.Pos);
    found.Count = end - start;
    std::string text;
    RunTextA(found, text);
    if (LooksLikeUrl(Platform::Utf16ToUtf8(Platform::BytesToWide(1252, text))))
        run = found;
}

void TDoc::FileLinkAt(const TTextPos& pos, TTextRun& run) {
    EmptyRun(pos, run);
    if (!ValidPar(*this, pos.Par))
        return;
    const TParChars chars(*this, pos.Par, PathSeparatorTable());
    TTextRun word;
    PlainWordAt(chars, pos, word);
    std::int32_t start = word.Pos.Offset;
    std::int32_t end = start + word.Count;
    while (end > start && IsCharClass(chars.At(end - 1), ccPathTrim))
        --end;
    while (start < end && IsCharClass(chars.At(start), ccPathTrim))
        ++start;
    const std::int32_t offset = std::clamp(pos.Offset, 0, chars.Count);
    if (start == end || offset < start || offset > end)
        return;
    TTextRun found;
    MakeTextPos(pos.Par, start, found.Pos);
    found.Count = end - start;
    std::string text;
    RunTextA(found, text);
    if (LooksLikeFilePath(text))
        run = found;
}

void TDoc::LinkAt(const TTextPos& pos, TTextRun& run) {
    UrlAt(pos, run);
    if (run.Count == 0)
        FileLinkAt(pos, run);
}

void TDoc::LinkOrWordAt(const TTextPos& pos, TTextRun& run) {
    LinkAt(pos, run);
    if (run.Count == 0)
        WordAt(pos, run);
}

bool TDoc::IsListMarkerWord(const TTextRun& run, const std::string& text) const {
    if (!ValidPar(*this, run.Pos.Par) || run.Count <= 0 || text.empty())
        return false;
    const TPar* par = Par(run.Pos.Par);
    const std::int32_t start = run.Pos.Offset;
    const std::int32_t after = start + run.Count;
    if (start < 0 || after >= par->CharCount())
        return false;
    if (start > 0 && !IsCharClass(par->Chars.Data[start - 1], ccBreak))
        return false;
    if (!IsCharClass(par->Chars.Data[after], ccListMarkerEnd))
        return false;
    const auto isAlpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (text.size() == 1 && isAlpha(text[0]))
        return true;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    return std::all_of(text.begin(), text.end(), isAlpha) && RomanToInt(AsciiUpper(text), 0) > 0;
}

bool TDoc::IsSentenceStart(const TTextPos& pos) {
    if (!ValidPar(*this, pos.Par))
        return false;
    const TParChars chars(*this, pos.Par, WordSeparators.data());
    std::int32_t p = std::clamp(pos.Offset, 0, chars.Count);
    const std::int32_t language = p > 0 ? chars.PrimaryLanguage(p - 1) : chars.PrimaryLanguage(0);
    const bool spanish = language == LangSpanish;
    while (p > 0 && IsQuoteOrInverted(chars, p - 1, spanish))
        --p;
    if (p == 0)
        return true;
    if (p == 2 && IsWhite(chars, 1)) {
        // A bulleted line typed by hand: "* ", or a symbol bullet.
        bool bullet = chars.At(0) == '*' && !chars.IsSymbol(0);
        if (chars.IsSymbol(0)) {
            // A Unicode character counts only from the private-use area,
            // where symbol fonts put their bullets; a symbol-font character
            // always does.
            bullet = true;
            if (chars.At(0) == chUnicode) {
                chars.Par->BuildWideText();
                const char16_t w = chars.Par->WideText.empty() ? u'\0' : chars.Par->WideText[0];
                bullet = w >= 0xE000 && w <= 0xF8FF;
            }
        }
        if (bullet)
            return true;
    }
    if (!IsWhite(chars, p - 1))
        return false;
    while (p > 0 && (IsWhite(chars, p - 1) || IsCharClass(chars.At(p - 1), ccQuote)))
        --p;
    if (p == 0)
        return true;
    TTextPos here;
    MakeTextPos(pos.Par, p, here);
    TTextPos before;
    PrevWordStart(here, before);
    if (CompareTextPos(before, here) == 0 || before.Par < pos.Par)
        return true;
    // A spaced ellipsis in English text leaves the sentence open; checked
    // before the word rules, which would take its last full stop for a
    // sentence end of its own.
    const std::uint8_t end = chars.At(p - 1);
    if (language == LangEnglish && p >= 5) {
        static const char spaced[] = ". . .";
        if (std::equal(spaced, spaced + 5, chars.Data + p - 5))
            return false;
    }
    TSentenceWord word;
    SentenceWordAt(*this, before, word);
    if (word.Letters == 0)
        return true;
    TTextRun marker;
    MakeTextPos(pos.Par, word.Start, marker.Pos);
    marker.Count = word.Letters;
    std::string markerText(reinterpret_cast<const char*>(chars.Data) + word.Start, word.Letters);
    if (IsListMarkerWord(marker, markerText))
        return true;
    if (word.Start == 0 && chars.At(0) == chNoteRef)
        return true;

    if (!IsCharClass(end, ccSentenceEnd))
        return false;
    const std::int32_t afterEnds = word.Start + word.Letters + word.Ends;
    if (word.Ends > 0 && afterEnds < chars.Count && IsCharClass(chars.At(afterEnds), ccQuote) &&
        chars.At(afterEnds - 1) != '.')
        return false;
    if (end == '.' && p >= 3 && chars.At(p - 2) == '.' && chars.At(p - 3) == '.' && (p == 3 || chars.At(p - 4) != '.'))
        return false;
    if (IsInitialsAbbreviation(chars, word.Start, word.Count))
        return false;
    if (word.Start == 0 || IsWhite(chars, word.Start - 1)) {
        const std::string text(reinterpret_cast<const char*>(chars.Data) + word.Start, word.Count);
        if (WordServices().IsAbbreviation(chars.PrimaryLanguage(word.Start), text))
            return false;
    }
    return true;
}

void TDoc::SentenceAt(const TTextPos& pos, TFragment& range) {
    MakeFragmentFromPositions(pos, pos, range);
    if (!ValidPar(*this, pos.Par))
        return;
    const std::int32_t length = Par(pos.Par)->CharCount();
    const std::int32_t endMark = std::max(length - 1, 0);
    TTextPos at = pos;
    at.Offset = std::clamp(at.Offset, 0, length);
    TTextRun word;
    WordAt(at, word);
    if (word.Count > 0) {
        std::string text;
        RunTextA(word, text);
        if (IsListMarkerWord(word, text)) {
            TTextPos next;
            NextWordStart(word.Pos, next);
            if (next.Par == pos.Par) {
                at = next;
                WordAt(at, word);
            }
        }
    }
    TTextPos start = at;
    TTextPos end = at;
    if (word.Count > 0) {
        start.Offset = word.Pos.Offset;
        end.Offset = word.Pos.Offset + word.Count;
    } else {
        if (at.Offset >= endMark)
            start.Offset = endMark;
        else
            NextWordStart(at, start);
        if (start.Par != pos.Par)
            MakeTextPos(pos.Par, endMark, start);
        end.Offset = start.Offset + 1;
    }
    const TParChars chars(*this, pos.Par, WordSeparators.data());
    while (!IsSentenceStart(start)) {
        TTextPos before;
        PrevWordStart(start, before);
        if (before.Par != start.Par || before.Offset >= start.Offset)
            break;
        start = before;
    }
    if (start.Offset > 0) {
        TTextPos before;
        PrevWordStart(start, before);
        if (before.Par == start.Par && before.Offset < start.Offset) {
            TSentenceWord marker;
            SentenceWordAt(*this, before, marker);
            TTextRun run;
            MakeTextPos(start.Par, marker.Start, run.Pos);
            run.Count = marker.Letters;
            const std::string text(reinterpret_cast<const char*>(chars.Data) + marker.Start, marker.Letters);
            if (IsListMarkerWord(run, text))
                start.Offset = marker.Start;
        }
    }
    if (end.Offset <= start.Offset)
        end.Offset = start.Offset + 1;
    const bool spanish = chars.PrimaryLanguage(start.Offset) == LangSpanish;
    while (start.Offset > 0 && IsQuoteOrInverted(chars, start.Offset - 1, spanish))
        --start.Offset;
    while (end.Offset < endMark && end.Offset > 0 && IsQuoteOrInverted(chars, end.Offset - 1, spanish))
        ++end.Offset;
    while (end.Offset < endMark && !IsSentenceStart(end)) {
        TTextPos next;
        NextWordStart(end, next);
        if (next.Par != end.Par || next.Offset <= end.Offset) {
            end.Offset = endMark;
            break;
        }
        end.Offset = std::min(next.Offset, endMark);
    }
    end.Offset = std::min(end.Offset, endMark);
    while (end.Offset > start.Offset && IsWhite(chars, end.Offset - 1))
        --end.Offset;
    range.Start = start;
    range.End = end;
}
