#include "layout/lines/Hyphenation.h"

#include <algorithm>

#include "base/files/Urls.h"
#include "base/text/TextCase.h"
#include "layout/lines/LineLayout.h"
#include "layout/words/CharClasses.h"
#include "layout/words/WordServices.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TParFormat.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

TManualHyphenation ManualHyphenation;

namespace {

THyphenator* Installed = nullptr;

constexpr std::int32_t PrimaryLanguage(std::int32_t language) {
    return language & 0x3FF;
}

constexpr std::int32_t LangEnglish = 9;
constexpr std::int32_t LangFrench = 12;
constexpr std::int32_t LangItalian = 16;
// The code page of the paragraph bytes the address test reads, as the word
// queries read them.
constexpr int WesternCodePage = 1252;

}  // namespace

void SetHyphenator(THyphenator* hyphenator) {
    Installed = hyphenator;
}

THyphenator* CurrentHyphenator() {
    return Installed;
}

bool IsHyphenationApostrophe(std::uint8_t c) {
    return c == 39 || c == 96 || c == 145 || c == 146;
}

bool LanguageJoinsApostrophes(std::int32_t language) {
    const std::int32_t primary = PrimaryLanguage(language);
    return primary == LangFrench || primary == LangItalian;
}

std::string HyphenationLookupText(std::string_view word, std::int32_t language) {
    std::string text(word);
    if (PrimaryLanguage(language) != LangEnglish || text.empty())
        return text;
    const std::size_t n = text.size();
    const auto last = static_cast<std::uint8_t>(text[n - 1]);
    if (n >= 2 && IsHyphenationApostrophe(static_cast<std::uint8_t>(text[n - 2])) && (last == 's' || last == 'S')) {
        text.resize(n - 2);
    } else if (IsHyphenationApostrophe(last)) {
        if (n >= 2 && (text[n - 2] == 'n' || text[n - 2] == 'N'))
            text[n - 1] = 'g';
        else
            text.resize(n - 1);
    }
    return text;
}

namespace {

// A character that ends a word for hyphenation; French and Italian keep
// their apostrophes inside words.
bool EndsWord(std::uint8_t c, std::int32_t language) {
    if (LanguageJoinsApostrophes(language) && IsHyphenationApostrophe(c))
        return false;
    return WordSeparatorChars[c];
}

// The language of the character at offset, read from the paragraph's own
// stream: the document's queries select fonts as they go, and the breaker
// is in the middle of measuring.
std::int32_t LanguageOf(const TPar& par, std::int32_t offset) {
    TCharFormat format;
    CharFormatAtStreamOffset(par, par.StreamOffsetOfChar(offset), format);
    return format[caLanguage];
}

// The paragraph's characters [from, to) as the text of a run (the special
// codes below 32 left out), for the link tests.
std::string RunText(const TPar& par, std::int32_t from, std::int32_t to) {
    std::string text;
    for (std::int32_t k = from; k < to; ++k)
        if (par.Chars.Data[k] >= 32)
            text.push_back(static_cast<char>(par.Chars.Data[k]));
    return text;
}

// Whether a web or e-mail address or a file path stands at offset, found
// as TDoc::LinkAt finds them (UrlAt, then FileLinkAt) but from the
// paragraph's own characters: the document's word queries normalise the
// paragraph the breaker is in the middle of.
bool LinkAtOffset(const TPar& par, std::int32_t offset) {
    const std::uint8_t* chars = par.Chars.Data;
    const std::int32_t count = par.CharCount();
    std::int32_t start = offset;
    std::int32_t end = offset;
    while (start > 0 && IsCharClass(chars[start - 1], ccAddress))
        --start;
    while (end < count - 1 && IsCharClass(chars[end], ccAddress))
        ++end;
    while (end > start && IsCharClass(chars[end - 1], ccAddressTrim))
        --end;
    while (start < end && chars[start] != '+' && IsCharClass(chars[start], ccAddressTrim))
        ++start;
    if (start < end && start <= offset && offset <= end &&
        LooksLikeUrl(Platform::Utf16ToUtf8(Platform::BytesToWide(WesternCodePage, RunText(par, start, end)))))
        return true;
    // A file path is a word under the path separators.
    const std::uint8_t* separators = PathSeparatorTable();
    start = end = offset;
    while (end < count - 1 && separators[chars[end]] == 0)
        ++end;
    while (start > 0 && separators[chars[start - 1]] == 0)
        --start;
    while (end > start && IsCharClass(chars[end - 1], ccPathTrim))
        --end;
    while (start < end && IsCharClass(chars[start], ccPathTrim))
        ++start;
    return start < end && start <= offset && offset <= end && LooksLikeFilePath(RunText(par, start, end));
}

// Tries the word around at; sets word on success.
bool TryWord(const TDoc& doc,
             const TPar& par,
             const THyphenationRequest& request,
             std::int32_t at,
             THyphenationWord& word) {
    const std::uint8_t* chars = par.Chars.Data;
    const std::int32_t count = par.CharCount();
    // The language decides which characters end the word, so it is read
    // at the character the search starts from and again at the word's
    // first character.
    std::int32_t language = LanguageOf(par, at);
    std::int32_t start = at;
    while (start > 0 && !EndsWord(chars[start - 1], language))
        --start;
    std::int32_t end = at;
    while (end < count && !EndsWord(chars[end], language))
        ++end;
    language = LanguageOf(par, start);
    const std::int32_t lineEnd = request.At;
    if (end - start <= 1 || start >= lineEnd || end <= request.Floor)
        return false;
    TManualHyphenation& manual = ManualHyphenation;
    if (request.Manual) {
        manual.WordStart = start;
        manual.WordLength = end - start;
        manual.Language = language;
    }
    // An address or a file path breaks only where it may break as a whole:
    // a hyphen inside it would change what it names. Manual hyphenation
    // does not propose one either.
    if (LinkAtOffset(par, start)) {
        if (request.Manual)
            manual.Ask = false;
        return false;
    }
    // An optional hyphen the author put inside the line's part of the word
    // already says where it may break.
    const std::int32_t from = std::max(request.LineStart, start + 1);
    const std::int32_t to = std::min(lineEnd, end);
    bool optionalInLine = false;
    for (std::int32_t k = from; k < to; ++k)
        optionalInLine = optionalInLine || chars[k] == chSoftHyphen;
    if (optionalInLine && !request.Manual)
        return false;
    if (language == NoProofingLanguage)
        return false;
    const THyphenationOptions& options = doc.Hyphenation;
    const bool zoneAllows = options.Zone <= 0 || request.RoomAtBreak > options.Zone;
    if (request.Manual)
        manual.Ask = end - start > 3 && std::max(request.LineStart, start) + 1 < lineEnd && zoneAllows;

    std::string raw;
    raw.reserve(static_cast<std::size_t>(end - start));
    for (std::int32_t k = start; k < end; ++k)
        if (chars[k] != chSoftHyphen)
            raw.push_back(static_cast<char>(chars[k]));
    const std::string text = HyphenationLookupText(raw, language);
    word.Start = start;
    word.End = end;
    word.Language = language;
    word.Points.clear();
    bool success = false;
    THyphenator* hyphenator = CurrentHyphenator();
    if (text.empty() || static_cast<std::int32_t>(text.size()) > MaxHyphenatedWordLength) {
        if (request.Manual)
            manual.Ask = false;
    } else if (hyphenator != nullptr && zoneAllows && hyphenator->Hyphenate(text, language, word.Points)) {
        std::sort(word.Points.begin(), word.Points.end());
        const bool capitals = text == UpperCaseLocale(text);
        success = !word.Points.empty() && (options.HyphenateCaps != 0 || !capitals);
    }
    if (!success)
        word.Points.clear();
    return success || (request.Manual && manual.Ask);
}

}  // namespace

bool FindHyphenation(const TDoc& doc, const TPar& par, const THyphenationRequest& request, THyphenationWord& word) {
    if (GetParProp(par.Format, ppNoHyphenation) != 0)
        return false;
    const std::uint8_t* chars = par.Chars.Data;
    const std::int32_t count = par.CharCount();
    std::int32_t at = std::clamp(request.At, 0, std::max(count - 1, 0));
    if (count == 0)
        return false;
    for (;;) {
        if (TryWord(doc, par, request, at, word))
            return true;
        if (request.Manual)
            return false;
        // The word before, when only separators that are no break
        // opportunity stand between it and the overflow.
        std::int32_t start = at;
        const std::int32_t language = LanguageOf(par, at);
        while (start > 0 && !EndsWord(chars[start - 1], language))
            --start;
        if (start <= request.Floor || start == 0 || !WordSeparatorChars[chars[start - 1]])
            return false;
        std::int32_t k = start - 1;
        while (k > request.Floor && WordSeparatorChars[chars[k]])
            --k;
        if (k < request.Floor || WordSeparatorChars[chars[k]])
            return false;
        at = k;
    }
}
