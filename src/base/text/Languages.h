#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Language ids (Windows language identifiers) and the tags documents name
// languages by ("de-AT", "fr").

// The display name of a language in English ("German (Austria)"); empty
// when the id names no language of its own.
std::string LanguageDisplayName(std::int32_t languageId);

// A tag of decimal digits is the id itself ("1033"). A tag with "-" after
// its first two characters is looked up whole in the locale tags; when
// that fails, or the tag has no such "-", the part before "-" is looked up
// in the two-letter language codes and gives that language with its default
// sublanguage. 0 when nothing matches.
std::int32_t LanguageIdFromTag(std::string_view tag);
// The locale tag of the id, else the id in decimal digits.
std::string LanguageTagOf(std::int32_t languageId);
