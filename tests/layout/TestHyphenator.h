#pragma once

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "layout/lines/Hyphenation.h"

// A hyphenator with a small dictionary: each word (looked up in lower case)
// with the points after which a hyphen may stand. Installed while it lives.
class TTestHyphenator : public THyphenator {
public:
    TTestHyphenator() { SetHyphenator(this); }
    ~TTestHyphenator() override { SetHyphenator(nullptr); }
    TTestHyphenator(const TTestHyphenator&) = delete;
    TTestHyphenator& operator=(const TTestHyphenator&) = delete;

    bool Hyphenate(std::string_view word, std::int32_t language, std::vector<std::int32_t>& points) override {
        Asked.emplace_back(word);
        if (language == UnsupportedLanguage)
            return false;
        std::string key(word);
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto found = Words.find(key);
        if (found == Words.end())
            return true;  // the language is known, the word has no points
        points = found->second;
        return true;
    }

    std::map<std::string, std::vector<std::int32_t>> Words;
    std::vector<std::string> Asked;  // every text looked up, in order
    std::int32_t UnsupportedLanguage = -1;
};
