#include "editing/search/PerformReplacement.h"

#include <vector>

#include "editing/search/PatternMatcher.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TSearchEditor.h"
#include "editing/search/TToken.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"

namespace {

// A part of the found text: an element of the Find pattern with its match.
struct TPiece {
    const TToken* Node = nullptr;
    TFragment Range{};
    bool Referenced = false;
    bool Placed = false;
    TFragment NewRange{};
};

// An end at or after its paragraph's length stands at the start of the
// next paragraph.
TTextPos NormalizeRangeEnd(const TDoc& doc, TTextPos pos) {
    if (pos.Par + 1 < doc.ParCount() && pos.Offset >= doc.Par(pos.Par)->CharCount())
        pos = {pos.Par + 1, 0, 0, 0};
    return pos;
}

void ShiftPendingPieces(std::vector<TPiece>& pieces,
                        const TTextPos& oldStart,
                        const TTextPos& oldEnd,
                        const TTextPos& newEnd) {
    for (TPiece& piece : pieces) {
        if (piece.Placed)
            continue;
        piece.Range.Start = ShiftForReplacement(piece.Range.Start, oldStart, oldEnd, newEnd);
        piece.Range.End = ShiftForReplacement(piece.Range.End, oldStart, oldEnd, newEnd);
    }
}

// The replacement text of a character node.
char16_t ReplacementChar(std::uint16_t code) {
    switch (code) {
        case pcParEnd:
            return 13;
        case pcColumnBreak:
            return 15;
        case pcLineBreak:
            return 11;
        case pcPageBreak:
            return 12;
        case pcNbSpace:
            return u'\u00A0';
        case pcNbHyphen:
            return u'\u2011';
        case pcLongDash:
            return u'\u2014';
        case pcShortDash:
            return u'\u2013';
        case pcSoftHyphen:
            return u'\u00AD';
        case pcEnSpace:
            return u'\u2002';
        case pcEmSpace:
            return u'\u2003';
        case pcQuarterEmSpace:
            return u'\u2005';
        default:
            return static_cast<char16_t>(code);
    }
}

// The attributes every character of the range shares; the others unset.
TCharFormat MergedCharFormat(const TDoc& doc, const TFragment& range) {
    TCharFormat merged;
    doc.FormatAtPos(range.Start, merged);
    TTextPos pos = range.Start;
    while (CompareTextPos(pos, range.End) < 0 && pos.Par < doc.ParCount()) {
        if (pos.Offset >= doc.Par(pos.Par)->CharCount()) {
            pos = {pos.Par + 1, 0, 0, 0};
            continue;
        }
        TCharFormat here;
        doc.FormatAtPos(pos, here);
        IntersectCharFormats(merged, here);
        ++pos.Offset;
    }
    return merged;
}

}  // namespace

TTextPos ShiftForReplacement(const TTextPos& pos,
                             const TTextPos& oldStart,
                             const TTextPos& oldEnd,
                             const TTextPos& newEnd) {
    if (CompareTextPos(pos, oldStart) < 0)
        return pos;
    TTextPos p = pos;
    // Back to the old start: inside the old range, or by its extent after it.
    if (CompareTextPos(p, oldEnd) <= 0) {
        p.Par = oldStart.Par;
        p.Offset = oldStart.Offset;
    } else if (p.Par == oldEnd.Par) {
        p.Offset -= oldEnd.Offset - oldStart.Offset;
        p.Par = oldStart.Par;
    } else {
        p.Par -= oldEnd.Par - oldStart.Par;
    }
    // Then forward by the new text.
    if (p.Par == oldStart.Par) {
        p.Offset += newEnd.Offset - oldStart.Offset;
        p.Par = newEnd.Par;
    } else {
        p.Par += newEnd.Par - oldStart.Par;
    }
    return p;
}

TFragment PerformReplacement(TDoc& doc, TDocSearchState& state, const TFragment& found) {
    TSearchEditor& editor = SearchEditor();
    TFragment result = found;
    const bool formatOnly = ReplacePattern.Children.empty() && !ReplaceFormat.IsEmpty();
    if (!formatOnly) {
        // What the Replace pattern names.
        bool wholeReferenced = false;
        std::vector<const TToken*> named;
        for (const auto& node : ReplacePattern.Children) {
            if (node->Kind != tkGroupRef)
                continue;
            if (node->GroupIndex == WholeFoundText)
                wholeReferenced = true;
            else if (node->GroupIndex < static_cast<std::int32_t>(FindPattern.Groups.size()))
                named.push_back(FindPattern.Groups[node->GroupIndex]);
        }
        const TCharFormat merged = MergedCharFormat(doc, state.LastWholeMatch);

        std::vector<TPiece> pieces;
        if (wholeReferenced) {
            pieces.push_back({&FindPattern, found, true, false, {}});
        } else {
            const auto n = static_cast<std::int32_t>(FindPattern.Children.size());
            const std::int32_t first = FindPattern.FirstBar == NoBar ? 0 : FindPattern.FirstBar;
            const std::int32_t last = FindPattern.SecondBar == NoBar ? n : FindPattern.SecondBar;
            for (std::int32_t i = first; i < last && i < n; ++i) {
                const TToken* node = FindPattern.Children[i].get();
                if (CompareTextPos(node->MatchStart, node->MatchEnd) >= 0)
                    continue;
                TPiece piece;
                piece.Node = node;
                MakeFragmentFromPositions(node->MatchStart, node->MatchEnd, piece.Range);
                for (const TToken* g : named)
                    if (g == node)
                        piece.Referenced = true;
                pieces.push_back(piece);
            }
        }

        TTextPos ins = NormalizeRangeEnd(doc, found.Start);
        std::size_t k = 0;
        const auto& nodes = ReplacePattern.Children;
        for (std::size_t j = 0; j < nodes.size();) {
            const TToken& node = *nodes[j];
            if (node.Kind == tkChar && node.Code == pcClipboard) {
                const TTextPos end = editor.PasteClipboard(doc, ins);
                ShiftPendingPieces(pieces, ins, ins, end);
                ins = end;
                ++j;
                continue;
            }
            if (node.Kind == tkChar) {
                std::u16string text;
                while (j < nodes.size() && nodes[j]->Kind == tkChar && nodes[j]->Code != pcClipboard)
                    text += ReplacementChar(nodes[j++]->Code);
                // The text takes the place of the pieces up to the next one
                // that is named and not yet placed.
                TTextPos spanEnd = ins;
                while (k < pieces.size() && (!pieces[k].Referenced || pieces[k].Placed)) {
                    if (!pieces[k].Placed && CompareTextPos(pieces[k].Range.End, spanEnd) > 0)
                        spanEnd = pieces[k].Range.End;
                    ++k;
                }
                const TTextPos end = editor.ReplaceText(doc, ins, spanEnd, text, merged);
                for (std::size_t p = 0; p < k; ++p)
                    if (!pieces[p].Referenced)
                        pieces[p].Placed = true;
                ShiftPendingPieces(pieces, ins, spanEnd, end);
                ins = end;
                continue;
            }
            // A group reference.
            ++j;
            const TToken* group = node.GroupIndex == WholeFoundText ? &FindPattern : nullptr;
            if (group == nullptr && node.GroupIndex >= 0 &&
                node.GroupIndex < static_cast<std::int32_t>(FindPattern.Groups.size()))
                group = FindPattern.Groups[node.GroupIndex];
            std::size_t g = 0;
            while (g < pieces.size() && pieces[g].Node != group)
                ++g;
            if (g == pieces.size())
                continue;  // the group matched nothing
            TPiece& piece = pieces[g];
            if (piece.Placed) {
                const TFragment copy = editor.CopyMoveText(doc, piece.NewRange, ins, false);
                ShiftPendingPieces(pieces, ins, ins, copy.End);
                ins = copy.End;
            } else if (g == k) {
                piece.NewRange = piece.Range;
                piece.Placed = true;
                ins = NormalizeRangeEnd(doc, piece.Range.End);
                ++k;
            } else {
                const TFragment source = piece.Range;
                piece.Placed = true;
                const TFragment moved = editor.CopyMoveText(doc, source, ins, true);
                ShiftPendingPieces(pieces, source.Start, source.End, source.Start);
                ShiftPendingPieces(pieces, moved.Start, moved.Start, moved.End);
                piece.NewRange = moved;
                ins = moved.End;
            }
        }
        // What is left of the found part goes.
        if (k < pieces.size()) {
            TTextPos start = pieces[k].Range.Start;
            TTextPos end = start;
            for (std::size_t p = k; p < pieces.size(); ++p)
                if (!pieces[p].Placed && CompareTextPos(pieces[p].Range.End, end) > 0)
                    end = pieces[p].Range.End;
            if (CompareTextPos(start, end) < 0) {
                editor.ReplaceText(doc, start, end, u"", merged);
                if (CompareTextPos(ins, start) > 0)
                    ins = ShiftForReplacement(ins, start, end, start);
            }
        }
        result.Start = found.Start;
        result.End = ins;
        if (result.End.Offset == 0 && result.End.Par > result.Start.Par)
            result.End = {result.End.Par - 1, doc.Par(result.End.Par - 1)->CharCount(), 0, 0};

        // The scope and the origin follow the text.
        for (TFragment& range : state.Scope) {
            range.Start = ShiftForReplacement(range.Start, found.Start, found.End, result.End);
            range.End = ShiftForReplacement(range.End, found.Start, found.End, result.End);
        }
        if (!state.Scope.empty()) {
            const TFragment text = TextStoriesRange(doc);
            TFragment& last = state.Scope.back();
            if (CompareTextPos(last.End, text.End) > 0)
                last.End = text.End;
        }
        if (state.OriginSet)
            state.Origin = ShiftForReplacement(state.Origin, found.Start, found.End, result.End);
    }
    if (!ReplaceFormat.IsEmpty() && CompareTextPos(result.Start, result.End) < 0)
        editor.ApplyFormat(doc, result);
    doc.Caret = result.End;
    return result;
}
