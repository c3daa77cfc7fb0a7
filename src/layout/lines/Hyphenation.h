#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDoc;
class TPar;

// Where a word may be hyphenated. The writing tools own the hyphenation data
// (patterns, word lists, user exceptions); layout only asks a hyphenator for
// the points of one word, so the breaker works unchanged whoever supplies
// them, and tests supply a small dictionary of their own.
class THyphenator {
public:
    virtual ~THyphenator() = default;
    // Fills points with the character counts within word after which a
    // hyphen may stand, ascending. Returns false when the language has no
    // hyphenation data (points is then left empty).
    virtual bool Hyphenate(std::string_view word, std::int32_t language, std::vector<std::int32_t>& points) = 0;
};

// The hyphenator layout asks; none (the default) means no word is ever
// hyphenated. The caller keeps ownership.
void SetHyphenator(THyphenator* hyphenator);
THyphenator* CurrentHyphenator();

// Longer words are never hyphenated: hyphenation data covers words of up to
// this many characters.
constexpr std::int32_t MaxHyphenatedWordLength = 48;
// The language id of text that is not to be proofed; never hyphenated.
constexpr std::int32_t NoProofingLanguage = 1024;

// The apostrophes the language rules of hyphenation know: ', `, and the two
// curly single quotes of the ANSI code page.
bool IsHyphenationApostrophe(std::uint8_t c);
// Apostrophes count as letters of French and Italian words ("l'homme").
bool LanguageJoinsApostrophes(std::int32_t language);

// The text a word is looked up by. English possessives lose "'s" and an
// elided "n'" is looked up as "ng", so "hyphenation's" and "hyphenatin'"
// take the points of the whole word; other languages look up the word as
// it stands.
std::string HyphenationLookupText(std::string_view word, std::int32_t language);

// The state of manual hyphenation: the writing tool walks the document and,
// at the paragraph and line it names, the breaker walks the word there in
// hyphenation mode and proposes where to split it. Process-wide, like the
// breaker's state; layout runs on the main thread only.
struct TManualHyphenation {
    const TDoc* Doc = nullptr;
    bool Active = false;
    // Set when the word at the line's end is worth asking the user about.
    bool Ask = false;
    std::int32_t Par = -1;   // where the tool stands
    std::int32_t Line = -1;  // line index within the paragraph
    // The word found there: its first character in the paragraph, its
    // length and language.
    std::int32_t WordStart = 0;
    std::int32_t WordLength = 0;
    std::int32_t Language = 0;
    // The proposed split: characters of the word (optional hyphens not
    // counted) before the hyphen.
    std::int32_t Split = 0;

    bool At(const TDoc& doc, std::int32_t par, std::int32_t line) const {
        return Active && Doc == &doc && Par == par && Line == line;
    }
};
extern TManualHyphenation ManualHyphenation;

// What the breaker knows when a word overflows a line: the overflowing
// character, the first character after the line's last break opportunity
// (the line's first when it has none), and the room in twips left at that
// opportunity. Positions are character indexes in the paragraph.
struct THyphenationRequest {
    std::int32_t At = 0;
    std::int32_t Floor = 0;
    std::int32_t LineStart = 0;
    std::int32_t RoomAtBreak = 0;
    bool Manual = false;
};

// The word chosen, [Start, End) in the paragraph including its optional
// hyphens, and the points of its text (optional hyphens not counted).
struct THyphenationWord {
    std::int32_t Start = 0;
    std::int32_t End = 0;
    std::int32_t Language = 0;
    std::vector<std::int32_t> Points;
};

// Chooses the word at the overflow that can be hyphenated, or the word
// before it when only separators that are no break opportunity join them
// ("hyphenation/xyz"), and asks the hyphenator for its points. False when
// no word is to be hyphenated: the paragraph forbids it, the word is too
// short or too long, in a language not proofed, all capitals
// while capitals are not hyphenated, has an optional hyphen already on the
// line, or the zone leaves too little room. During manual hyphenation it
// records the word and the ask flag, and succeeds whenever it asks.
bool FindHyphenation(const TDoc& doc, const TPar& par, const THyphenationRequest& request, THyphenationWord& word);
// It reads only the paragraph's own characters and stream: the document's
// queries may lay paragraphs out, and the breaker is in the middle of one.
