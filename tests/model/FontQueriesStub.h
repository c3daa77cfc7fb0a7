#pragma once

#include <map>

#include "model/host/FontQueries.h"

// Document fonts for tests: each font's character set and face, installed
// while the object lives.
class TFontQueriesStub : public TDocFontQueries {
public:
    struct TFont {
        std::uint8_t Charset;
        std::int32_t NameId;
    };
    explicit TFontQueriesStub(std::map<std::int32_t, TFont> fonts) : Fonts(std::move(fonts)) {
        SetDocFontQueries(this);
    }
    ~TFontQueriesStub() override { SetDocFontQueries(nullptr); }

    std::uint8_t Charset(std::int32_t font) const override {
        auto f = Fonts.find(font);
        return f != Fonts.end() ? f->second.Charset : 0;
    }
    std::int32_t NameId(std::int32_t font) const override {
        auto f = Fonts.find(font);
        return f != Fonts.end() ? f->second.NameId : font;
    }

private:
    std::map<std::int32_t, TFont> Fonts;
};
