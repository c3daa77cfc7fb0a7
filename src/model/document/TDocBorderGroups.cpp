// Border and shading groups: the runs of neighbouring paragraphs that line
// layout and painting treat as one box.
#include "model/document/TDoc.h"

#include <algorithm>
#include <cstdlib>

#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

namespace {

// Indents closer than this count as the same, so that a box does not break
// over a rounding difference a reader or a ruler drag left behind.
constexpr std::int32_t IndentTolerance = 3;

// A border-set index outside the table draws nothing, like the empty set.
std::int32_t BorderKey(const TParFormat& f) {
    return f.Borders > 0 && f.Borders < BorderSetCount() ? f.Borders : 0;
}

bool IndentsMatch(const TParFormat& a, const TParFormat& b) {
    if (std::abs(a.LeftIndent - b.LeftIndent) > IndentTolerance ||
        std::abs(a.RightIndent - b.RightIndent) > IndentTolerance)
        return false;
    // Hanging indents must agree; first lines that only start further in do
    // not change where the box stands.
    return std::abs(a.FirstIndent - b.FirstIndent) <= IndentTolerance || (a.FirstIndent >= 0 && b.FirstIndent >= 0);
}

bool BordersMatch(const TParFormat& a, const TParFormat& b) {
    return BorderKey(a) == BorderKey(b) && IndentsMatch(a, b);
}

bool ShadingsMatch(const TParFormat& a, const TParFormat& b) {
    return a.Shading >= 0 && b.Shading >= 0 && BordersMatch(a, b);
}

std::uint8_t FirstChar(const TPar& par) {
    return par.CharCount() > 0 ? par.Chars.Data[0] : 0;
}

std::uint8_t LastChar(const TPar& par) {
    return par.CharCount() > 0 ? par.Chars.Data[par.CharCount() - 1] : 0;
}

bool InTable(const TPar& par) {
    return par.Format.InTable == 1;
}

// Whether a group may run on from paragraph a into the next one, a + 1
// (both valid): never out of a table cell or into one, nor over a row end;
// never out of a story; in the main text never over a section break. These
// tests look at the two paragraphs only, so a walk costs its length.
bool GroupMayCross(const TDoc& doc, std::int32_t a) {
    const TPar& before = *doc.Par(a);
    const TPar& after = *doc.Par(a + 1);
    const int story = doc.StoryOfPar(a);
    if (doc.StoryOfPar(a + 1) != story)
        return false;
    if (InTable(before) != InTable(after))
        return false;
    if (InTable(before)) {
        const std::uint8_t end = LastChar(before);
        if (end == chCellEnd || end == chRowEnd || FirstChar(before) == chRowEnd || FirstChar(after) == chRowEnd)
            return false;
    }
    // Section breaks outside the main text (damaged files) end nothing.
    return story != stMain || LastChar(before) != chSectionBreak;
}

using TMatch = bool (*)(const TParFormat&, const TParFormat&);

// Whether paragraph a and the next one, a + 1, stand in one group. Each
// paragraph is compared with its neighbour, not with the paragraph asked
// about, so that the groups split the text into boxes that come out the
// same whichever of their paragraphs is asked; painting, which asks only
// about neighbours, draws exactly those boxes.
bool Joins(const TDoc& doc, std::int32_t a, TMatch match) {
    return GroupMayCross(doc, a) && match(doc.Par(a)->Format, doc.Par(a + 1)->Format);
}

bool InGroup(const TDoc& doc, std::int32_t par, std::int32_t other, TMatch match) {
    if (par < 0 || par >= doc.ParCount() || other < 0 || other >= doc.ParCount())
        return false;
    const std::int32_t from = std::min(par, other);
    const std::int32_t to = std::max(par, other);
    for (std::int32_t k = from; k < to; ++k)
        if (!Joins(doc, k, match))
            return false;
    return true;
}

void GroupRange(const TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last, TMatch match) {
    first = last = par;
    if (par < 0 || par >= doc.ParCount())
        return;
    while (first > 0 && Joins(doc, first - 1, match))
        --first;
    while (last + 1 < doc.ParCount() && Joins(doc, last, match))
        ++last;
}

}  // namespace

void TDoc::BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const {
    GroupRange(*this, par, first, last, BordersMatch);
}

void TDoc::ShadingGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const {
    GroupRange(*this, par, first, last, ShadingsMatch);
}

bool TDoc::InBorderGroup(std::int32_t par, std::int32_t other) const {
    return InGroup(*this, par, other, BordersMatch);
}

bool TDoc::InShadingGroup(std::int32_t par, std::int32_t other) const {
    return InGroup(*this, par, other, ShadingsMatch);
}
