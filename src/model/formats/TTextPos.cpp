#include "model/formats/TTextPos.h"

#include "model/formats/TCompoundFragment.h"

void MakeTextPos(std::int32_t par, std::int32_t offset, TTextPos& pos) {
    pos.Par = par;
    pos.Offset = offset;
}

void MakeFragment(std::int32_t startPar,
                  std::int32_t startOffset,
                  std::int32_t endPar,
                  std::int32_t endOffset,
                  TFragment& fragment) {
    MakeTextPos(startPar, startOffset, fragment.Start);
    MakeTextPos(endPar, endOffset, fragment.End);
}

void MakeCollapsedFragment(std::int32_t par, std::int32_t offset, TFragment& fragment) {
    MakeFragment(par, offset, par, offset, fragment);
}

void MakeCharFragment(std::int32_t par, std::int32_t offset, TFragment& fragment) {
    MakeFragment(par, offset, par, offset + 1, fragment);
}

void MakeFragmentFromPositions(const TTextPos& start, const TTextPos& end, TFragment& fragment) {
    MakeFragment(start.Par, start.Offset, end.Par, end.Offset, fragment);
}

void SpanToFragment(const TTextRun& run, TFragment& fragment) {
    MakeFragment(run.Pos.Par, run.Pos.Offset, run.Pos.Par, run.Pos.Offset + run.Count, fragment);
}

int CompareTextPos(const TTextPos& a, const TTextPos& b) {
    if (a.Par != b.Par)
        return a.Par < b.Par ? -1 : 1;
    if (a.Offset != b.Offset)
        return a.Offset < b.Offset ? -1 : 1;
    return 0;
}

bool FragmentIsEmpty(const TFragment& fragment) {
    return CompareTextPos(fragment.Start, fragment.End) == 0;
}

bool FragmentsEqual(const TFragment& a, const TFragment& b) {
    return CompareTextPos(a.Start, b.Start) == 0 && CompareTextPos(a.End, b.End) == 0;
}

bool PosInFragment(const TTextPos& pos, const TFragment& fragment) {
    return CompareTextPos(fragment.Start, pos) <= 0 && CompareTextPos(pos, fragment.End) < 0;
}

bool PosInFragmentIncl(const TTextPos& pos, const TFragment& fragment) {
    return CompareTextPos(fragment.Start, pos) <= 0 && CompareTextPos(pos, fragment.End) <= 0;
}

bool PosInCompoundFragment(const TTextPos& pos, const TCompoundFragment& set) {
    for (std::int32_t i = set.Count() - 1; i >= 0; --i)
        if (PosInFragment(pos, set.Fragment(i)))
            return true;
    return false;
}

bool PosInCompoundFragmentIncl(const TTextPos& pos, const TCompoundFragment& set) {
    for (std::int32_t i = set.Count() - 1; i >= 0; --i)
        if (PosInFragmentIncl(pos, set.Fragment(i)))
            return true;
    return false;
}

bool CharsHaveBreak(const std::uint8_t* chars, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        if (chars[i] == 6 || chars[i] == 7 || chars[i] == 8)
            return true;
    return false;
}

bool CharsHavePageColumnOrSectionBreak(const std::uint8_t* chars, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i)
        if (chars[i] == 8 || chars[i] == 6 || chars[i] == 3)
            return true;
    return false;
}

bool IntersectFragments(TFragment* out, const TFragment& a, const TFragment& b) {
    // Ties keep a's position, caches included.
    const TTextPos& start = CompareTextPos(b.Start, a.Start) > 0 ? b.Start : a.Start;
    const TTextPos& end = CompareTextPos(b.End, a.End) < 0 ? b.End : a.End;
    const bool notEmpty = CompareTextPos(start, end) < 0;
    if (out != nullptr) {
        const TTextPos s = start, e = end;  // a or b may be *out
        out->Start = s;
        out->End = e;
    }
    return notEmpty;
}

int XorFragments(TFragment& first, TFragment& second, const TFragment& a, const TFragment& b) {
    const TFragment fa = a, fb = b;  // the outputs may alias the inputs
    if (FragmentIsEmpty(fa)) {
        if (FragmentIsEmpty(fb))
            return 0;
        first = fb;
        return 1;
    }
    if (FragmentIsEmpty(fb)) {
        first = fa;
        return 1;
    }
    // F starts first; with equal starts b counts as the first.
    const bool aFirst = CompareTextPos(fa.Start, fb.Start) < 0;
    const TFragment& f = aFirst ? fa : fb;
    const TFragment& s = aFirst ? fb : fa;
    if (CompareTextPos(f.End, s.Start) <= 0) {
        // Apart or only touching: both stay as they are.
        first = f;
        second = s;
        return 2;
    }
    if (FragmentsEqual(f, s))
        return 0;
    if (CompareTextPos(f.Start, s.Start) == 0) {
        const bool fShorter = CompareTextPos(f.End, s.End) < 0;
        first.Start = fShorter ? f.End : s.End;
        first.End = fShorter ? s.End : f.End;
        return 1;
    }
    if (CompareTextPos(f.End, s.End) == 0) {
        first.Start = f.Start;
        first.End = s.Start;
        return 1;
    }
    if (CompareTextPos(f.End, s.End) < 0) {
        // Overlapping: the two outer parts.
        first.Start = f.Start;
        first.End = s.Start;
        second.Start = f.End;
        second.End = s.End;
        return 2;
    }
    // S lies strictly inside F.
    first.Start = f.Start;
    first.End = s.Start;
    second.Start = s.End;
    second.End = f.End;
    return 2;
}
