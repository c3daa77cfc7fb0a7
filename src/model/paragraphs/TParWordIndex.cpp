// The word index of a paragraph, for the word statistics.
#include "model/paragraphs/TPar.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TWordIndex.h"
#include "model/formats/WordSeparators.h"
#include "model/host/FontQueries.h"
#include "model/paragraphs/TextServices.h"

namespace {

constexpr std::uint8_t SymbolCharset = 2;
// Language id of text marked as having no language.
constexpr std::int32_t NoLanguage = 1024;
// A phrase runs at most this many words beyond its first.
constexpr std::size_t MaxPhraseWords = 32;

// What stands at one character position, as the word walk sees it.
struct TCharInfo {
    std::uint8_t Byte = ' ';  // the text byte, or the character-buffer code
    bool IsText = false;      // code-page text (not a control, not a symbol font)
    std::int32_t Language = 0;
};

struct TWord {
    std::int32_t Start = 0;
    std::int32_t End = 0;
    std::string Text;
    std::int32_t Language = 0;
    bool IsNumber = false;
};

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

bool IsQuote(std::uint8_t c) {
    return c == 132 || c == 147 || c == 148 || c == 171 || c == 187;
}

// The characters of a paragraph with the language of each.
std::vector<TCharInfo> ReadChars(const TPar& par) {
    const std::int32_t n = par.Chars.Size;
    std::vector<TCharInfo> chars(n);
    std::int32_t language = DefaultCharFormat[caLanguage];
    bool symbol = DocFontCharset(DefaultCharFormat[caFont]) == SymbolCharset;
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size && pos < n; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl) {
            for (std::int32_t i = 0; i < e.Length && pos < n; ++i, ++pos)
                chars[pos] = {par.Stream.Data[off + i], !symbol, language};
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == caLanguage) {
            language = e.Value;
        } else if (e.Code == caFont) {
            symbol = DocFontCharset(e.Value) == SymbolCharset;
        } else if (ControlTakesPosition(e.Code)) {
            chars[pos] = {ControlCharCode(e.Code, e.Value), false, language};
            ++pos;
        }
    }
    // Positions the stream does not account for read as blanks.
    for (; pos < n; ++pos)
        chars[pos].Language = language;
    return chars;
}

// Collapses runs of blanks to one blank.
void CollapseBlanks(std::string& s) {
    auto end = std::unique(s.begin(), s.end(), [](char a, char b) { return a == ' ' && b == ' '; });
    s.erase(end, s.end());
}

bool BreaksPhrase(const std::string& separator) {
    return separator.find_first_of("\"()[]{}") != std::string::npos;
}

class TWordIndexBuilder {
public:
    TWordIndexBuilder(const TPar& par, TWordIndex& index) : Par(par), Index(index), Services(TextServices()) {}

    void Build() {
        const std::vector<TCharInfo> chars = ReadChars(Par);
        const std::int32_t n = static_cast<std::int32_t>(chars.size());
        std::int32_t sentence = 0;
        for (std::int32_t pos = 0; pos < n;) {
            TFragment range;
            Services.SentenceAt(Par, pos, range);
            std::int32_t end = range.End.Par > Par.Index ? n : range.End.Offset;
            end = std::clamp(end, pos + 1, n);
            ReadSentence(chars, pos, end);
            AddSentence(sentence++);
            pos = end;
        }
        Sort();
    }

private:
    void ReadSentence(const std::vector<TCharInfo>& chars, std::int32_t from, std::int32_t to) {
        Words.clear();
        Separators.clear();
        Gap.clear();
        for (std::int32_t p = from; p < to; ++p) {
            const TCharInfo& c = chars[p];
            if (!c.IsText) {
                // Controls and symbol text end the word; the dashes and
                // hyphens among them read as a hyphen, the rest as a blank.
                EndWord();
                Gap.push_back(c.Byte >= chNonBreakingHyphen && c.Byte <= chSoftHyphen ? '-' : ' ');
                continue;
            }
            std::uint8_t b = c.Byte;
            if (Services.IsApostropheChar(b, c.Language))
                b = '\'';
            else if (IsQuote(b))
                b = '"';
            bool separator = WordSeparators[b] != 0 || (b == '\'' && Services.LanguageSeparatesApostrophes(c.Language));
            // 3.14, 1,000, 10:30 and 1/2 are one word each.
            if (separator && (b == ',' || b == '.' || b == '/' || b == ':') && InWord && !Current.Text.empty() &&
                IsDigit(static_cast<std::uint8_t>(Current.Text.back())) && p + 1 < to && chars[p + 1].IsText &&
                IsDigit(chars[p + 1].Byte))
                separator = false;
            if (separator) {
                EndWord();
                if (b != '#' && b != '$' && b != 128)
                    Gap.push_back(static_cast<char>(b));
                continue;
            }
            if (!InWord) {
                InWord = true;
                Current = TWord{};
                Current.Start = p;
                Current.Language = c.Language;
            }
            Current.Text.push_back(static_cast<char>(b));
            Current.End = p + 1;
        }
        EndWord();
        Trailing = Gap;
        CollapseBlanks(Trailing);
        Gap.clear();
    }

    void EndWord() {
        if (!InWord)
            return;
        InWord = false;
        TWord word = std::move(Current);
        if (Services.IsHiddenText(Par, word.Start, word.End))
            return;
        if (word.Language != NoLanguage) {
            while (word.Text.size() > 1 && word.Text.front() == '\'' &&
                   Services.KnowsWord(std::string_view(word.Text).substr(1), word.Language)) {
                word.Text.erase(0, 1);
                ++word.Start;
            }
            if (!word.Text.empty() && word.Text.back() == '\'') {
                word.Text.pop_back();
                --word.End;
            }
            Services.NormalizeApostrophes(word.Text, word.Language);
        }
        if (word.Text.empty() || word.Text == "&")
            return;
        word.IsNumber = Services.ParsesAsNumber(word.Text) || Services.IsNumberWord(word.Text, word.Language);
        CollapseBlanks(Gap);
        Separators.push_back(std::move(Gap));
        Gap.clear();
        Words.push_back(std::move(word));
    }

    void AddEntry(const std::string& text,
                  std::int32_t language,
                  std::int32_t sentence,
                  std::int32_t start,
                  std::int32_t end,
                  bool isNumber,
                  bool isPhrase) {
        TWordIndexItem item;
        Services.NormalizeWordKey(text, language, item.Key);
        item.Object = sentence;
        Index.Entries.push_back(std::move(item));
        const TWordIndexRecord record{
            Par.Index, start, end, static_cast<std::uint8_t>(isNumber), static_cast<std::uint8_t>(isPhrase), 0};
        Index.Records.AppendBuffer(&record, sizeof(record));
    }

    void AddSentence(std::int32_t sentence) {
        for (const TWord& w : Words)
            AddEntry(w.Text, w.Language, sentence, w.Start, w.End, w.IsNumber, false);
        // Phrases start at every word that does not continue a hyphenated
        // compound, and end wherever the next separator does not start one.
        for (std::size_t i = 0; i < Words.size(); ++i) {
            if (!Separators[i].empty() && Separators[i].back() == '-')
                continue;
            std::string phrase = Words[i].Text;
            bool isNumber = Words[i].IsNumber;
            for (std::size_t k = i + 1; k < Words.size() && k <= i + MaxPhraseWords; ++k) {
                if (BreaksPhrase(Separators[k]))
                    break;
                phrase += Separators[k];
                phrase += Words[k].Text;
                isNumber = isNumber || Words[k].IsNumber;
                const std::string& next = k + 1 < Words.size() ? Separators[k + 1] : Trailing;
                if (next.empty() || next.front() != '-')
                    AddEntry(phrase, Words[i].Language, sentence, Words[i].Start, Words[k].End, isNumber, true);
            }
        }
    }

    // Orders the entries by sentence, then start, carrying the records with
    // them, and makes the sorted list.
    void Sort() {
        const std::int32_t count = Index.Count();
        std::vector<std::int32_t> order(count);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
            if (Index.Entries[a].Object != Index.Entries[b].Object)
                return Index.Entries[a].Object < Index.Entries[b].Object;
            return Index.Record(a).Start < Index.Record(b).Start;
        });
        std::vector<TWordIndexItem> entries(count);
        TMemory records;
        records.SetSize(count * static_cast<std::int32_t>(sizeof(TWordIndexRecord)));
        for (std::int32_t i = 0; i < count; ++i) {
            entries[i] = std::move(Index.Entries[order[i]]);
            reinterpret_cast<TWordIndexRecord*>(records.Data)[i] = Index.Record(order[i]);
        }
        Index.Entries = std::move(entries);
        Index.Records.Assign(records);

        Index.Sorted.clear();
        Index.Sorted.reserve(count);
        for (std::int32_t i = 0; i < count; ++i)
            Index.Sorted.push_back({Index.Entries[i].Key, i});
        std::stable_sort(
            Index.Sorted.begin(), Index.Sorted.end(),
            [&](const TWordIndexItem& a, const TWordIndexItem& b) { return Services.CompareKeys(a.Key, b.Key) < 0; });
    }

    const TPar& Par;
    TWordIndex& Index;
    const TTextServices& Services;
    std::vector<TWord> Words;
    std::vector<std::string> Separators;  // Separators[i] stands before Words[i]
    std::string Trailing;                 // after the last word
    std::string Gap;                      // collected since the last word
    TWord Current;
    bool InWord = false;
};

}  // namespace

void TPar::BuildWordIndex(std::int32_t parIndex) {
    if ((Flags & pfWordIndexValid) == 0 || !WordIndex) {
        RebuildWordIndex();
        Flags |= pfWordIndexValid;
    }
    for (std::int32_t i = 0; i < WordIndex->Count(); ++i)
        WordIndex->Record(i).Par = parIndex;
}

void TPar::RebuildWordIndex() {
    if (!WordIndex)
        WordIndex = std::make_unique<TWordIndex>();
    WordIndex->Entries.clear();
    WordIndex->Sorted.clear();
    WordIndex->Records.Clear();
    TWordIndexBuilder(*this, *WordIndex).Build();
}
