#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The tables that turn language tags into language numbers, sorted by the
// byte values of their tags so that they can be searched by halving.
struct TLangStrAndIntCode {
    const char* Tag;
    std::int32_t Code;
};

// Two-letter language codes ("de") to primary language numbers (0x07).
std::span<const TLangStrAndIntCode> LangCodes2();
// Language tags ("de-AT") to locale identifiers (0xC07).
std::span<const TLangStrAndIntCode> LangTags();

// Binary search by exact bytes; -1 when the tag is not in the table.
std::int32_t FindLangCode(std::span<const TLangStrAndIntCode> table, std::string_view tag);
