// The formats derived from the text: at a position, common to a set of
// ranges, and the typing format.
#include "model/document/TDoc.h"

#include <algorithm>
#include <cstdint>

#include "base/core/ObjectHandles.h"
#include "layout/words/WordStateFlags.h"
#include "model/document/StateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsRowEndPar(const TDoc& doc, std::int32_t par) {
    const TPar* p = doc.Par(par);
    return p->Format.InTable == 1 && p->CharCount() > 0 && p->Chars.Data[0] == chRowEnd;
}

// Calls visit(par, from, to) for every paragraph piece of the ranges (of
// the one range when fragment is nil) that the merged formats look at:
// row-end marks never count.
template <class TVisit>
void ForEachMergedPiece(const TDoc& doc, const TCompoundFragment* fragment, const TFragment& range, TVisit visit) {
    const std::int32_t count = fragment != nullptr ? fragment->Count() : 1;
    for (std::int32_t i = 0; i < count; ++i) {
        const TFragment& r = fragment != nullptr ? fragment->Fragment(i) : range;
        const std::int32_t last = std::min(r.End.Par, doc.ParCount() - 1);
        for (std::int32_t p = std::max(r.Start.Par, 0); p <= last; ++p) {
            if (IsRowEndPar(doc, p))
                continue;
            const std::int32_t length = doc.Par(p)->CharCount();
            const std::int32_t from = p == r.Start.Par ? std::clamp(r.Start.Offset, 0, length) : 0;
            const std::int32_t to = p == r.End.Par ? std::clamp(r.End.Offset, from, length) : -1;
            visit(p, from, to);
        }
    }
}

// The position (character index) and stream offset of the end control of
// a field in a paragraph; false when the paragraph does not hold it.
bool FindFieldControl(const TPar* par,
                      std::uint8_t code,
                      std::int32_t handle,
                      std::int32_t& charPos,
                      std::int32_t& at) {
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
        ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
        if (!e.IsControl) {
            pos += e.Length;
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == code && e.Value == handle) {
            charPos = pos;
            at = off;
            return true;
        }
        if (ControlTakesPosition(e.Code))
            ++pos;
    }
    return false;
}

// The field whose end control stands between character offset - 1 and
// character offset and that holds character offset - 1 innermost: the
// first end control after that character whose start came before it.
TField* FieldEndingAt(const TPar* par, std::int32_t offset) {
    const std::int32_t from = par->StreamOffsetOfChar(offset - 1);
    std::vector<std::int32_t> opened;
    TStreamElement e;
    ReadStreamElement(par->Stream.Data, par->Stream.Size, from, e);
    for (std::int32_t off = from + e.Length; off < par->Stream.Size; off += e.Length) {
        ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
            return nullptr;
        if (e.Code == fcFieldStart) {
            opened.push_back(e.Value);
        } else if (e.Code == fcFieldEnd) {
            const auto it = std::find(opened.begin(), opened.end(), e.Value);
            if (it == opened.end())
                return HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            opened.erase(it);
        }
    }
    return nullptr;
}

// The innermost field that starts in front of the paragraph's first
// character and is still open there.
TField* FieldStartingAtParStart(const TPar* par) {
    std::vector<std::int32_t> open;
    TStreamElement e;
    for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
        ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
            break;
        if (e.Code == fcFieldStart)
            open.push_back(e.Value);
        else if (e.Code == fcFieldEnd && !open.empty() && open.back() == e.Value)
            open.pop_back();
    }
    return open.empty() ? nullptr : HandleTo<TField>(static_cast<TObjectHandle>(open.back()));
}

// The format of the plain text next to a field: backwards from its start
// control over directly preceding fields, or forwards from its end control
// over directly following ones, to the first character outside them.
bool NeighbourFormat(const TPar* par, std::int32_t controlAt, bool backwards, TCharFormat& format) {
    const std::uint8_t* data = par->Stream.Data;
    const std::int32_t size = par->Stream.Size;
    std::int32_t depth = 0;
    if (backwards) {
        std::int32_t off = controlAt;
        while (off > 0) {
            if (ControlEndsAt(data, off)) {
                off -= FormatControlSize;
                const std::uint8_t code = data[off + 1];
                if (code == fcFieldEnd)
                    ++depth;
                else if (code == fcFieldStart && depth > 0)
                    --depth;
                else if (ControlTakesPosition(code) && depth == 0) {
                    FormatAtOffset(par->Stream, off, format);
                    return true;
                }
                continue;
            }
            --off;
            if (depth == 0) {
                FormatAtOffset(par->Stream, off, format);
                return true;
            }
        }
        return false;
    }
    TStreamElement e;
    ReadStreamElement(data, size, controlAt, e);
    for (std::int32_t off = controlAt + e.Length; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (e.Truncated)
            break;
        if (e.IsControl && e.Code == fcFieldStart) {
            ++depth;
        } else if (e.IsControl && e.Code == fcFieldEnd) {
            depth = std::max(depth - 1, 0);
        } else if ((!e.IsControl || ControlTakesPosition(e.Code)) && depth == 0) {
            FormatAtOffset(par->Stream, off, format);
            return true;
        }
    }
    return false;
}

}  // namespace

void TDoc::MergedParFormat(const TCompoundFragment* fragment, const TFragment& range, TParFormat& format) const {
    bool first = true;
    format = DefaultParFormat;
    ForEachMergedPiece(*this, fragment, range, [&](std::int32_t p, std::int32_t, std::int32_t) {
        const TParFormat& own = Par(p)->Format;
        if (first) {
            format = own;
            first = false;
            return;
        }
        for (int prop = ParPropCount - 1; prop >= 0; --prop)
            if (GetParProp(format, prop) != GetParProp(own, prop))
                ClearParProp(format, prop);
    });
}

void TDoc::MergedCharFormat(const TCompoundFragment* fragment, const TFragment& range, TCharFormat& format) const {
    bool first = true;
    format = DefaultCharFormat;
    ForEachMergedPiece(*this, fragment, range, [&](std::int32_t p, std::int32_t from, std::int32_t to) {
        TPar* par = Par(p);
        if (par->CharCount() == 0)
            return;
        par->Normalize();
        // One pass over the stream. A control with pos characters before it
        // stands in front of character pos: up to character from it sets
        // the format held there (controls in front of the first character
        // never make an attribute mixed); from there up to the last
        // character of the piece, a different value makes it mixed.
        const std::int32_t last = to < 0 ? INT32_MAX : std::max(to - 1, from);
        TCharFormat held = DefaultCharFormat;
        const std::uint8_t* data = par->Stream.Data;
        std::int32_t pos = 0;
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size && pos <= last; off += e.Length) {
            ReadStreamElement(data, par->Stream.Size, off, e);
            if (!e.IsControl) {
                pos += e.Length;
                continue;
            }
            if (e.Truncated)
                break;
            if (ControlTakesPosition(e.Code)) {
                ++pos;
                continue;
            }
            if (e.Code > fcLastCharAttr)
                continue;
            if (pos <= from) {
                held[e.Code] = e.Value;
                continue;
            }
            if (held[e.Code] == UnsetValue || held[e.Code] == e.Value)
                continue;
            // Two fonts of one family (the same face in another character
            // set) keep the font first found.
            if (e.Code == caFont && CharFontsMatch(held[caFont], e.Value))
                continue;
            held[e.Code] = UnsetValue;
        }
        if (first) {
            format = held;
            first = false;
        } else {
            IntersectCharFormats(format, held);
        }
    });
}

void TDoc::CharFormatAt(const TTextPos& pos, TCharFormat& format) const {
    CharFormatInPar(pos.Par, pos.Offset, format);
}

void TDoc::CharFormatInPar(std::int32_t par, std::int32_t offset, TCharFormat& format) const {
    format = DefaultCharFormat;
    if (par < 0 || par >= Pars.Count)
        return;
    const TPar* p = Par(par);
    offset = std::clamp(offset, 0, p->CharCount());
    FormatAtOffset(p->Stream, p->StreamOffsetOfChar(std::max(offset - 1, 0)), format);
    if (StateFlags[sfPlainCharFormat] != 0)
        return;
    // Right after a drop-cap letter the text goes on in the format of the
    // body, not of the big letter.
    if (const TField* dropCap = DropCapOfPar(par)) {
        std::int32_t letterEnd = 0;
        std::int32_t at = 0;
        if (FindFieldControl(p, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(dropCap)), letterEnd, at) &&
            offset == letterEnd && offset < p->CharCount())
            FormatAtOffset(p->Stream, p->StreamOffsetOfChar(offset), format);
    }
    if (p->CharCount() == 0)
        return;
    TField* field = nullptr;
    if (offset == 0) {
        field = FieldStartingAtParStart(p);
        std::int32_t endPos = 0;
        std::int32_t at = 0;
        if (field != nullptr &&
            !FindFieldControl(p, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)), endPos, at))
            field = nullptr;
    } else {
        field = FieldEndingAt(p, offset);
    }
    if (field == nullptr)
        return;
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    std::int32_t startPos = 0;
    std::int32_t startAt = 0;
    std::int32_t endPos = 0;
    std::int32_t endAt = 0;
    const bool startsHere = FindFieldControl(p, fcFieldStart, handle, startPos, startAt);
    FindFieldControl(p, fcFieldEnd, handle, endPos, endAt);
    TCharFormat neighbour;
    const bool found = startsHere && offset > 0 ? NeighbourFormat(p, startAt, true, neighbour)
                                                : NeighbourFormat(p, endAt, false, neighbour);
    if (!found)
        return;
    // Typing right after a symbol, a link or a note reference goes on in
    // the format of the text around it.
    if (field->Kind == fkNoteRef || field->Kind == fkNoteNumber) {
        format[caScript] = neighbour[caScript];
    } else if (field->Kind == fkCode && field->Type == ftSymbol) {
        format[caFont] = neighbour[caFont];
    } else if (field->Kind == fkCode && field->Type == ftHyperlink) {
        format[caUnderline] = neighbour[caUnderline];
        format[caColor] = neighbour[caColor];
    }
}

std::int32_t TDoc::LanguageAt(std::int32_t par, std::int32_t offset) const {
    TCharFormat format;
    CharFormatInPar(par, offset, format);
    return format[caLanguage];
}

void TDoc::UpdateTypingFormat(const TTextPos& position, bool force) {
    TTextPos pos = position;
    if (pos.Par >= Pars.Count) {
        pos.Par = Pars.Count - 1;
        pos.Offset = Par(pos.Par)->CharCount();
    }
    pos.Par = std::max(pos.Par, 0);
    const auto plainFormat = [this](std::int32_t par, std::int32_t offset, TCharFormat& format) {
        PushStateFlag(sfPlainCharFormat);
        CharFormatInPar(par, offset, format);
        PopStateFlag();
    };
    if (HasSelection() && !force) {
        const TFragment& first = Selection->Fragment(0);
        if (StateFlags[sfTypingAtParEnd] != 0)
            CharFormatInPar(first.End.Par, Par(first.End.Par)->CharCount(), TypingFormat);
        else
            CharFormatAt(first.Start, TypingFormat);
        TypingFormatBefore = first.Start.Offset > 0 ? TypingFormat : DefaultCharFormat;
        if (first.End.Offset >= Par(first.End.Par)->CharCount() && first.End.Par < LastParOfStory(stMain))
            CharFormatInPar(first.End.Par + 1, 1, TypingFormatAfter);
        else
            CharFormatInPar(first.End.Par, first.End.Offset + 1, TypingFormatAfter);
        TypingFormat[caHighlight] = CurCharFormat[caHighlight] == UnsetValue ? AutoColor : CurCharFormat[caHighlight];
        return;
    }
    const TPar* par = Par(pos.Par);
    const std::int32_t length = par->CharCount();
    if (force || CompareTextPos(pos, Caret) != 0) {
        plainFormat(pos.Par, pos.Offset, TypingFormatBefore);
        TypingFormatAfter = TypingFormatBefore;
        CharFormatAt(pos, TypingFormat);
        if (pos.Offset < length) {
            TCharFormat next;
            CharFormatInPar(pos.Par, pos.Offset + 1, next);
            TypingFormat[caHighlight] = next[caHighlight];
        }
        return;
    }
    // The caret without a selection: typing continues the current format.
    if (StateFlags[sfTypingAtParEnd] != 0)
        CharFormatInPar(pos.Par, length, TypingFormat);
    else
        TypingFormat = CurCharFormat;
    // Which field controls stand right after the caret: typing before the
    // end of a field, a note reference or a note number stays outside it.
    bool endsField = false;
    bool startsField = false;
    {
        const std::int32_t at = pos.Offset > 0 ? par->StreamOffsetOfChar(pos.Offset - 1) : 0;
        TStreamElement e;
        std::int32_t off = at;
        if (pos.Offset > 0) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            off += e.Length;
        }
        bool firstControl = true;
        for (; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
                break;
            if (e.Code != fcFieldStart && e.Code != fcFieldEnd)
                continue;
            if (firstControl && e.Code == fcFieldStart)
                startsField = true;
            firstControl = false;
            const TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (e.Code == fcFieldEnd && field != nullptr &&
                (field->Kind == fkCode || field->Kind == fkNoteRef || field->Kind == fkNoteNumber))
                endsField = true;
        }
    }
    if (endsField) {
        plainFormat(pos.Par, pos.Offset, TypingFormatBefore);
        plainFormat(pos.Par, pos.Offset + 1, TypingFormatAfter);
    } else if (startsField) {
        plainFormat(pos.Par, pos.Offset + 1, TypingFormatAfter);
        if (pos.Offset > 0)
            CharFormatInPar(pos.Par, pos.Offset, TypingFormatBefore);
        else
            TypingFormatBefore = TypingFormatAfter;
    } else if (StateFlags[sfTypingFormatDirect] != 0) {
        CharFormatAt(pos, TypingFormatBefore);
        TypingFormatAfter = TypingFormatBefore;
    } else {
        TypingFormatBefore = CurCharFormat;
        CharFormatAt(pos, TypingFormatAfter);
    }
    const std::int32_t highlight = TypingFormat[caHighlight];
    if (highlight != UnsetValue && highlight != AutoColor) {
        if (pos.Offset < length - 1) {
            TCharFormat next;
            CharFormatInPar(pos.Par, pos.Offset + 1, next);
            TypingFormat[caHighlight] = next[caHighlight];
        } else {
            TypingFormat[caHighlight] = AutoColor;
        }
    }
}

void TDoc::RememberFormatsAtRangeEnds(const TFragment& range) {
    PushStateFlag(sfPlainCharFormat);
    CharFormatInPar(range.Start.Par, range.Start.Offset + 1, FormatAfterRangeStart);
    CharFormatInPar(range.End.Par, range.End.Offset + 1, FormatAfterRangeEnd);
    PopStateFlag();
}
