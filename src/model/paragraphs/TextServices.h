#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/formats/TTextPos.h"

class TPar;

// What paragraphs ask of the writing tools and of the document's text
// queries: the spelling generation, the sentence finder, hidden text, the
// spellchecker's word knowledge, apostrophes by language, number parsing
// and the comparison key of a word. The defaults are plain: they know no
// language, treat a whole paragraph as one sentence and nothing as hidden.
// The writing tools and the document install the real answers.
//
// Words are byte text in the code page of their font.
class TTextServices {
public:
    virtual ~TTextServices() = default;

    // The spellcheck manager's generation: stored results of another
    // generation are stale.
    virtual std::uint32_t SpellGeneration() const;
    // The sentence around a character position of a paragraph.
    virtual void SentenceAt(const TPar& par, std::int32_t offset, TFragment& sentence) const;
    // Whether the characters start .. end - 1 of a paragraph are hidden text.
    virtual bool IsHiddenText(const TPar& par, std::int32_t start, std::int32_t end) const;
    // The languages that treat apostrophes as word separators.
    virtual bool LanguageSeparatesApostrophes(std::int32_t language) const;
    // 39, 96, 145 and 146, and whatever else stands for an apostrophe in
    // the language's code page.
    virtual bool IsApostropheChar(std::uint8_t ch, std::int32_t language) const;
    // The spellchecker of the language knows the word.
    virtual bool KnowsWord(std::string_view word, std::int32_t language) const;
    // Maps the apostrophes of a word as the language writes them.
    virtual void NormalizeApostrophes(std::string& word, std::int32_t language) const;
    // The word is a number ("12", "-3.5", "3,14").
    virtual bool ParsesAsNumber(std::string_view word) const;
    // The word is a number written in words ("twelve").
    virtual bool IsNumberWord(std::string_view word, std::int32_t language) const;
    // The key under which word statistics compare the word.
    virtual void NormalizeWordKey(std::string_view word, std::int32_t language, std::string& key) const;
    // The order of two keys for the sorted word list.
    virtual int CompareKeys(std::string_view a, std::string_view b) const;
};

// The services in force (the defaults until others are installed).
const TTextServices& TextServices();
void SetTextServices(const TTextServices* services);  // nullptr restores the defaults
