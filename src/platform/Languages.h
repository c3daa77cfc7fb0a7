#pragma once

#include <cstdint>
#include <string>

// Names of languages, by Windows language id.
namespace Platform {

// The display name of the locale a language id stands for, in English
// ("German (Germany)"), UTF-8; empty when the id names no locale of its own
// (an unknown sublanguage does not borrow its language's name).
std::string LanguageDisplayName(std::uint32_t languageId);

}  // namespace Platform
