#include "model/paragraphs/TextServices.h"

#include "model/paragraphs/TPar.h"

namespace {

const TTextServices DefaultServices{};
const TTextServices* Installed = nullptr;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const TTextServices& TextServices() {
    return Installed != nullptr ? *Installed : DefaultServices;
}

void SetTextServices(const TTextServices* services) {
    Installed = services;
}

std::uint32_t TTextServices::SpellGeneration() const {
    // Never 0, so that a new paragraph's zero state counts as stale.
    return 1;
}

void TTextServices::SentenceAt(const TPar& par, std::int32_t offset, TFragment& sentence) const {
    MakeFragment(par.Index, 0, par.Index, par.Chars.Size, sentence);
}

bool TTextServices::IsHiddenText(const TPar& par, std::int32_t start, std::int32_t end) const {
    return false;
}

bool TTextServices::LanguageSeparatesApostrophes(std::int32_t language) const {
    return false;
}

bool TTextServices::IsApostropheChar(std::uint8_t ch, std::int32_t language) const {
    return ch == 39 || ch == 96 || ch == 145 || ch == 146;
}

bool TTextServices::KnowsWord(std::string_view word, std::int32_t language) const {
    return false;
}

void TTextServices::NormalizeApostrophes(std::string& word, std::int32_t language) const {
    for (char& c : word)
        if (IsApostropheChar(static_cast<std::uint8_t>(c), language))
            c = '\'';
}

bool TTextServices::ParsesAsNumber(std::string_view word) const {
    // An optional sign, digits, and at most one decimal point or comma
    // followed by more digits.
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '-' || word[i] == '+'))
        ++i;
    const std::size_t digitsStart = i;
    while (i < word.size() && IsDigit(word[i]))
        ++i;
    if (i == digitsStart)
        return false;
    if (i < word.size() && (word[i] == '.' || word[i] == ',')) {
        const std::size_t fraction = ++i;
        while (i < word.size() && IsDigit(word[i]))
            ++i;
        if (i == fraction)
            return false;
    }
    return i == word.size();
}

bool TTextServices::IsNumberWord(std::string_view word, std::int32_t language) const {
    return false;
}

void TTextServices::NormalizeWordKey(std::string_view word, std::int32_t language, std::string& key) const {
    key.assign(word);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
}

int TTextServices::CompareKeys(std::string_view a, std::string_view b) const {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}
