#include "base/text/Languages.h"

#include <cctype>

#include "base/text/LanguageTables.h"
#include "platform/Languages.h"

std::string LanguageDisplayName(std::int32_t languageId) {
    return Platform::LanguageDisplayName(static_cast<std::uint32_t>(languageId));
}

std::int32_t LanguageIdFromTag(std::string_view tag) {
    if (!tag.empty() && std::isdigit(static_cast<unsigned char>(tag[0]))) {
        std::int64_t value = 0;
        for (char c : tag) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                break;
            value = value * 10 + (c - '0');
            if (value > 0x7FFFFFFF)
                return 0;  // no language has such a number
        }
        return static_cast<std::int32_t>(value);
    }
    if (tag.size() > 2 && tag[2] == '-') {
        const std::int32_t id = FindLangCode(LangTags(), tag);
        if (id != -1)
            return id;
    }
    const std::int32_t primary = FindLangCode(LangCodes2(), tag.substr(0, tag.find('-')));
    return primary == -1 ? 0 : primary + 1024;
}

std::string LanguageTagOf(std::int32_t languageId) {
    for (const TLangStrAndIntCode& entry : LangTags())
        if (entry.Code == languageId)
            return entry.Tag;
    return std::to_string(languageId);
}
