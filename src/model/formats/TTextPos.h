#pragma once

#include <cstdint>

class TCompoundFragment;

// A place in a document: a paragraph of the document's one paragraph list
// and a character position inside it. Page and line are caches that layout
// and caret code keep beside the position; ordering, equality and emptiness
// never look at them, and the constructors below leave them as they were.
struct TTextPos {
    std::int32_t Par = 0;
    std::int32_t Offset = 0;
    std::int32_t Page = 0;
    std::int32_t Line = 0;
};

// A range of text; End is exclusive. Ranges the program makes have
// Start <= End.
struct TFragment {
    TTextPos Start;
    TTextPos End;
};

// A span inside one paragraph (a word, a misspelling, an autocorrect span).
struct TTextRun {
    TTextPos Pos;
    std::int32_t Count = 0;
    std::uint8_t Flag = 0;
};

static_assert(sizeof(TTextPos) == 16);
static_assert(sizeof(TFragment) == 32);

// The line cache value of a position that has not been located yet.
constexpr std::int32_t UnlocatedLine = 0x7FFFFFFF;

void MakeTextPos(std::int32_t par, std::int32_t offset, TTextPos& pos);
void MakeFragment(std::int32_t startPar,
                  std::int32_t startOffset,
                  std::int32_t endPar,
                  std::int32_t endOffset,
                  TFragment& fragment);
void MakeCollapsedFragment(std::int32_t par, std::int32_t offset, TFragment& fragment);
void MakeCharFragment(std::int32_t par, std::int32_t offset, TFragment& fragment);
void MakeFragmentFromPositions(const TTextPos& start, const TTextPos& end, TFragment& fragment);
void SpanToFragment(const TTextRun& run, TFragment& fragment);

// -1, 0 or 1, by paragraph, then by offset.
int CompareTextPos(const TTextPos& a, const TTextPos& b);
bool FragmentIsEmpty(const TFragment& fragment);
bool FragmentsEqual(const TFragment& a, const TFragment& b);
// start <= pos < end
bool PosInFragment(const TTextPos& pos, const TFragment& fragment);
// start <= pos <= end
bool PosInFragmentIncl(const TTextPos& pos, const TFragment& fragment);
bool PosInCompoundFragment(const TTextPos& pos, const TCompoundFragment& set);
bool PosInCompoundFragmentIncl(const TTextPos& pos, const TCompoundFragment& set);

// Column, line or page break (6, 7, 8) among the first count bytes of a
// character buffer.
bool CharsHaveBreak(const std::uint8_t* chars, std::int32_t count);
// Page, column or section break (8, 6, 3).
bool CharsHavePageColumnOrSectionBreak(const std::uint8_t* chars, std::int32_t count);

// The overlap of a and b: the later start and the earlier end, with the
// caches of the positions chosen. True when it is not empty; the out
// fragment (when given) receives it either way.
bool IntersectFragments(TFragment* out, const TFragment& a, const TFragment& b);
// The symmetric difference of a and b as 0, 1 or 2 fragments in ascending
// order (first, then second).
int XorFragments(TFragment& first, TFragment& second, const TFragment& a, const TFragment& b);
