#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/formats/TTextPos.h"

// Kinds of pattern node.
enum : std::uint8_t {
    tkGroup = 0,  // a sequence of child nodes; every root is one
    tkChar = 1,
    tkSet = 2,
    tkNegatedSet = 3,
    tkGroupRef = 4,
    tkWordStart = 5,
    tkWordEnd = 6,
    tkParStart = 7,
};

// The code space of character nodes and set members: 32 and above is that
// UTF-16 character; below it the special characters of the paragraph's
// character buffer and the pattern's own classes.
enum : std::uint16_t {
    pcParEnd = 2,
    pcSectionBreak = 3,
    pcCellEnd = 4,
    pcRowEnd = 5,
    pcColumnBreak = 6,
    pcLineBreak = 7,
    pcPageBreak = 8,
    pcTab = 9,
    pcPicture = 10,
    pcNbSpace = 11,
    pcNbHyphen = 12,
    pcLongDash = 13,
    pcShortDash = 14,
    pcSoftHyphen = 15,
    pcNoteRef = 16,
    pcEnSpace = 18,
    pcEmSpace = 19,
    pcQuarterEmSpace = 20,
    pcAnyChar = 21,
    pcAnyDigit = 22,
    pcAnyLetter = 23,
    pcAnyUpper = 24,
    pcAnyLower = 25,
    pcWhiteSpace = 26,
    pcFootnoteMark = 27,
    pcEndnoteMark = 28,
    pcFoundText = 29,
    pcClipboard = 30,
    pcCaret = 94,
};

constexpr std::int32_t UnboundedRepeat = 0x7FFFFFFF;
constexpr std::int32_t NoBar = static_cast<std::int32_t>(0x80000000u);
// The group index of "^&": the whole found text.
constexpr std::int32_t WholeFoundText = -1;

// Where a letter after "^" may stand.
enum : std::uint8_t { slBoth = 0, slFind = 1, slReplace = 2 };

struct TSpecialLetter {
    char16_t Letter;
    std::uint8_t Where;
    std::uint16_t Code;
    const char* MenuCaption;
};
// The 23 letters, in the order of the special-symbol menu.
extern const TSpecialLetter SpecialLetterTable[23];

// One node of a compiled Find or Replace pattern. A root is a group whose
// children are the pattern's elements; a group inside it holds elements of
// its own (groups do not nest). The match fields are written by the matcher
// during one attempt; the replacement fields by PerformReplacement.
class TToken {
public:
    TToken() = default;
    TToken(const TToken&) = delete;
    TToken& operator=(const TToken&) = delete;

    // Compiles text from position (1-based; left after the last character
    // read) into root's children. wildcards switches the operator syntax on;
    // replaceMode compiles a Replace text, whose group references are
    // checked against FindPattern (compile the Find text first). nesting is
    // 0 at the top and 1 inside a group. On a refusal PatternError holds the
    // reason (empty for the refusals without one) and false is returned.
    static bool Compile(TToken& root,
                        const std::u16string& text,
                        std::int32_t& position,
                        bool wildcards,
                        bool replaceMode,
                        int nesting);

    bool IsAnchor() const { return Kind == tkWordStart || Kind == tkWordEnd || Kind == tkParStart; }
    bool IsOptional() const { return Minimum == 0; }
    TToken* AddChild(std::uint8_t kind);

    std::uint8_t Kind = tkGroup;
    std::uint8_t Greedy = 0;
    std::uint8_t Escaped = 0;
    std::int32_t Minimum = 1;
    std::int32_t Maximum = 1;
    std::uint16_t Code = 0;
    std::vector<std::unique_ptr<TToken>> Children;
    std::vector<TToken*> Groups;           // root only: closed groups, "\1" first
    std::vector<std::uint32_t> SetRanges;  // low code in the low 16 bits, high code above
    std::vector<std::uint8_t> SetEscapes;  // parallel to SetRanges
    std::int32_t GroupIndex = 0;
    std::uint8_t Referenced = 0;
    std::int32_t FirstBar = NoBar;
    std::int32_t SecondBar = NoBar;

    // Match state.
    TTextPos MatchStart{};
    TTextPos MatchEnd{};

    // Replacement state.
    std::uint8_t Placed = 0;
    TFragment NewRange{};
};

// The compiled patterns and the compiler's state, one each per process.
extern TToken FindPattern;
extern TToken ReplacePattern;
extern std::string PatternError;
// The Find text was empty and a format is searched.
extern bool FormatOnlySearch;
// Optional hyphens in the text are stepped over while matching; cleared by
// a Find text that names them ("^-").
extern bool IgnoreSoftHyphens;

// The pattern code a typed character is stored under: the special code of
// the model's SpecialCharCode (tab, the special spaces, hyphens and
// dashes), or the character itself.
std::uint16_t PatternCodeOf(char16_t c);
// Codes 21 to 25, or an alphanumeric character above the blank.
bool IsWordPatternChar(std::uint16_t code);
