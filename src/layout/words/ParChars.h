#pragma once

#include <cstdint>
#include <vector>

class TDoc;
class TPar;

// One paragraph's character buffer as the text-unit rules read it: a byte
// per position, the positions whose character is no code-page text (symbol
// fonts, Unicode characters, SYMBOL fields), which always separate words,
// and the separator table in force.
class TParChars {
public:
    TParChars(const TDoc& doc, std::int32_t par, const std::uint8_t* separators);

    std::uint8_t At(std::int32_t i) const { return Data[i]; }
    bool IsSymbol(std::int32_t i) const;
    bool IsSeparator(std::int32_t i) const { return Separators[Data[i]] != 0 || IsSymbol(i); }
    // A letter or digit: ASCII below 128, else the character the byte
    // stands for in its font's code page.
    bool IsAlphaNumeric(std::int32_t i) const;
    // The primary language (low 10 bits) of the character at i.
    std::int32_t PrimaryLanguage(std::int32_t i) const;

    TPar* Par = nullptr;
    std::int32_t Index = 0;
    const std::uint8_t* Data = nullptr;
    std::int32_t Count = 0;

private:
    const TDoc& Doc;
    const std::uint8_t* Separators;
    std::vector<std::int32_t> Symbols;  // ascending
};
