#include "base/text/Charsets.h"

#include "platform/Fonts.h"

namespace {

struct TDefaults {
    bool Ready = false;
    std::int32_t CodePage = 1252;
    std::uint8_t Charset = 0;
};

TDefaults& Defaults() {
    static TDefaults defaults;
    return defaults;
}

}  // namespace

void InitDefaultCharset() {
    TDefaults& d = Defaults();
    const std::uint16_t language = Platform::UserDefaultLanguageId();
    d.CodePage = LanguageAnsiCodePage(language);
    if (d.CodePage == 0)
        d.CodePage = 1252;
    d.Ready = true;  // LanguageCharset reads the defaults through CharsetCodePage
    d.Charset = LanguageCharset(language, true);
}

std::int32_t DefaultCodePage() {
    if (!Defaults().Ready)
        InitDefaultCharset();
    return Defaults().CodePage;
}

std::uint8_t DefaultCharset() {
    if (!Defaults().Ready)
        InitDefaultCharset();
    return Defaults().Charset;
}

std::int32_t LanguageAnsiCodePage(std::uint16_t languageId) {
    return Platform::LanguageAnsiCodePageOf(languageId);
}

std::uint8_t LanguageCharset(std::uint16_t languageId, bool useSystem) {
    const int charset = Platform::CodePageToCharset(LanguageAnsiCodePage(languageId));
    std::uint8_t result = charset < 0 ? 0 : static_cast<std::uint8_t>(charset);
    if (result == 0 && useSystem) {
        const int system = Platform::CodePageToCharset(Platform::CharsetToCodePage(Platform::DEFAULT_CHARSET));
        result = system < 0 ? 0 : static_cast<std::uint8_t>(system);
    }
    return result;
}

std::int32_t CharsetCodePage(std::uint8_t charset) {
    if (charset == Platform::DEFAULT_CHARSET)
        return DefaultCodePage();
    const int codePage = Platform::CharsetToCodePage(charset);
    return codePage != 0 ? codePage : DefaultCodePage();
}

std::uint8_t CodePageCharset(std::int32_t codePage) {
    const int charset = Platform::CodePageToCharset(codePage);
    return charset >= 0 ? static_cast<std::uint8_t>(charset) : DefaultCharset();
}
