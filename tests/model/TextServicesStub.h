#pragma once

#include <functional>
#include <set>
#include <string>

#include "model/paragraphs/TextServices.h"

// Writing-tool answers for tests, installed while the object lives.
class TTextServicesStub : public TTextServices {
public:
    TTextServicesStub() { SetTextServices(this); }
    ~TTextServicesStub() override { SetTextServices(nullptr); }

    std::uint32_t SpellGeneration() const override { return Generation; }
    bool LanguageSeparatesApostrophes(std::int32_t language) const override {
        return ApostropheLanguages.count(language) != 0;
    }
    bool KnowsWord(std::string_view word, std::int32_t language) const override {
        return KnownWords.count(std::string(word)) != 0;
    }
    bool IsHiddenText(const TPar& par, std::int32_t start, std::int32_t end) const override {
        return start < HiddenEnd && end > HiddenStart;
    }
    void SentenceAt(const TPar& par, std::int32_t offset, TFragment& sentence) const override {
        if (Sentences)
            Sentences(par, offset, sentence);
        else
            TTextServices::SentenceAt(par, offset, sentence);
    }

    std::uint32_t Generation = 7;
    std::set<std::int32_t> ApostropheLanguages;
    std::set<std::string> KnownWords;
    std::int32_t HiddenStart = 0, HiddenEnd = 0;
    std::function<void(const TPar&, std::int32_t, TFragment&)> Sentences;
};
