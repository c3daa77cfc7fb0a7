#include "layout/selection/CaretMoves.h"

#include <algorithm>

#include "layout/boxes/TBox.h"
#include "layout/selection/CaretGeometry.h"
#include "model/document/TDoc.h"
#include "model/formats/TLine.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"

namespace {

std::int32_t LengthOf(const TDoc& doc, std::int32_t par) {
    return doc.Par(par)->CharCount();
}

// The last place the caret may take in a paragraph: before its end mark.
std::int32_t LastCaretOffset(const TDoc& doc, std::int32_t par) {
    return std::max(0, LengthOf(doc, par) - 1);
}

void ClampTo(const TFragment& range, TTextPos& pos) {
    if (CompareTextPos(pos, range.Start) < 0)
        pos = range.Start;
    if (CompareTextPos(pos, range.End) > 0)
        pos = range.End;
}

// The line after or before a located line, across paragraphs; false at the
// edge of the range.
bool NeighbourLine(TDoc& doc, const TFragment& range, TTextPos& pos, bool down) {
    const TPar* par = doc.Par(pos.Par);
    if (down) {
        if (pos.Line + 1 < par->LineCount()) {
            ++pos.Line;
            return true;
        }
        if (pos.Par >= range.End.Par)
            return false;
        MakeTextPos(pos.Par + 1, 0, pos);
        pos.Line = 0;
        doc.LocatePos(pos, false);
        pos.Line = 0;
        return true;
    }
    if (pos.Line > 0 && pos.Line < par->LineCount()) {
        --pos.Line;
        return true;
    }
    if (pos.Par <= range.Start.Par)
        return false;
    const std::int32_t prev = pos.Par - 1;
    MakeTextPos(prev, 0, pos);
    doc.LocatePos(pos, false);
    pos.Line = std::max(0, doc.Par(prev)->LineCount() - 1);
    return true;
}

// The offset on a located line nearest to view x.
void TakeX(TDoc& doc, TTextPos& pos, std::int32_t x) {
    TPar* par = doc.Par(pos.Par);
    if (pos.Line < 0 || pos.Line >= par->LineCount()) {
        pos.Offset = 0;
        return;
    }
    TLine* line = par->Lines->At<TLine>(pos.Line);
    const std::int32_t left = line->Box != nullptr ? LineViewLeft(*line) : 0;
    const std::int32_t zoom = std::max(1, doc.Zoom);
    std::int32_t n = line->CharAtX((x - left) * 100 / zoom);
    // Past the end of a wrapped line the caret stays on it, before its
    // last character, rather than jumping to the next line's start.
    const bool lastLine = pos.Line + 1 >= par->LineCount();
    if (!lastLine && n >= line->CharCount)
        n = std::max(0, line->CharCount - 1);
    pos.Offset = std::min(line->FirstChar + n, LastCaretOffset(doc, pos.Par));
}

std::int32_t LineTop(const TDoc& doc, const TTextPos& pos) {
    const TLine* line = LocatedLine(doc, pos);
    return line != nullptr ? LineViewTop(doc, *line) : 0;
}

void VerticalTarget(TDoc& doc, const TFragment& range, TTextPos& pos, bool down, std::int32_t distance) {
    const std::int32_t x = doc.CaretX + doc.CaretXOffset;
    doc.LocatePos(pos, doc.CaretAtLineEnd != 0);
    if (LocatedLine(doc, pos) == nullptr)
        return;
    const std::int32_t top = LineTop(doc, pos);
    TTextPos at = pos;
    bool moved = false;
    while (NeighbourLine(doc, range, at, down)) {
        moved = true;
        if (distance <= 0 || LocatedLine(doc, at) == nullptr)
            break;
        const std::int32_t travelled = down ? LineTop(doc, at) - top : top - LineTop(doc, at);
        // A page boundary may lay lines out of view order; stop there too.
        if (travelled >= distance || travelled < 0)
            break;
    }
    if (!moved) {
        pos = down ? range.End : range.Start;
        if (down)
            pos.Offset = std::min(pos.Offset, LastCaretOffset(doc, pos.Par));
        return;
    }
    TakeX(doc, at, x);
    pos = at;
}

}  // namespace

void CaretMoveTarget(TDoc& doc, TCaretMove move, TTextPos& pos) {
    TFragment range;
    doc.CaretMoveRange(range);
    pos = doc.Caret;
    ClampTo(range, pos);
    switch (move) {
        case TCaretMove::CharLeft:
            if (CompareTextPos(pos, range.Start) > 0)
                doc.PrevCharPos(pos);
            break;
        case TCaretMove::CharRight:
            if (pos.Offset < LastCaretOffset(doc, pos.Par))
                ++pos.Offset;
            else if (pos.Par < range.End.Par)
                MakeTextPos(pos.Par + 1, 0, pos);
            break;
        case TCaretMove::WordLeft: {
            const TTextPos from = pos;
            doc.PrevWordStart(from, pos);
            break;
        }
        case TCaretMove::WordRight: {
            const TTextPos from = pos;
            doc.NextWordStart(from, pos);
            pos.Offset = std::min(pos.Offset, LastCaretOffset(doc, pos.Par));
            break;
        }
        case TCaretMove::LineStart:
        case TCaretMove::LineEnd: {
            doc.LocatePos(pos, doc.CaretAtLineEnd != 0);
            const TLine* line = LocatedLine(doc, pos);
            if (line == nullptr)
                break;
            pos.Offset = move == TCaretMove::LineStart ? line->FirstChar : line->FirstChar + line->CharCount;
            break;
        }
        case TCaretMove::LineUp:
        case TCaretMove::LineDown:
            VerticalTarget(doc, range, pos, move == TCaretMove::LineDown, 0);
            break;
        case TCaretMove::PageUp:
        case TCaretMove::PageDown: {
            std::int32_t height = doc.Client->ClientHeight(doc, false);
            if (height <= 0)
                height = std::max(1, doc.TwipsToPixelsY(1440 * 9));
            VerticalTarget(doc, range, pos, move == TCaretMove::PageDown, height);
            break;
        }
        case TCaretMove::ParUp:
            if (pos.Offset > 0)
                pos.Offset = 0;
            else if (pos.Par > range.Start.Par)
                MakeTextPos(pos.Par - 1, 0, pos);
            break;
        case TCaretMove::ParDown:
            if (pos.Par < range.End.Par)
                MakeTextPos(pos.Par + 1, 0, pos);
            else
                pos.Offset = LastCaretOffset(doc, pos.Par);
            break;
        case TCaretMove::DocStart:
            pos = range.Start;
            break;
        case TCaretMove::DocEnd:
            pos = range.End;
            pos.Offset = std::min(pos.Offset, LastCaretOffset(doc, pos.Par));
            break;
    }
    ClampTo(range, pos);
}

namespace {

// The key that makes a movement, for the rules that depend on it
// (scrolling with context follows End, Home and the arrow keys).
std::int32_t KeyOf(TCaretMove move) {
    switch (move) {
        case TCaretMove::CharLeft:
        case TCaretMove::WordLeft:
            return 37;
        case TCaretMove::CharRight:
        case TCaretMove::WordRight:
            return 39;
        case TCaretMove::LineUp:
        case TCaretMove::ParUp:
            return 38;
        case TCaretMove::LineDown:
        case TCaretMove::ParDown:
            return 40;
        case TCaretMove::LineStart:
        case TCaretMove::DocStart:
            return 36;
        case TCaretMove::LineEnd:
        case TCaretMove::DocEnd:
            return 35;
        case TCaretMove::PageUp:
            return 33;
        case TCaretMove::PageDown:
            return 34;
    }
    return 0;
}

}  // namespace

void MoveCaretBy(TDoc& doc, TCaretMove move, bool extend) {
    TTextPos pos;
    CaretMoveTarget(doc, move, pos);
    // The end of a line is shown on that line, not at the next one's start.
    doc.CaretAtLineEnd = move == TCaretMove::LineEnd ? 1 : 0;
    doc.MoveCaret(pos, extend ? 0 : 1, KeyOf(move));
    doc.CaretAtLineEnd = 0;
}
