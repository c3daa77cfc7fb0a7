// The small questions the flow, the painter and the editing code ask of a
// laid-out line.

#include <algorithm>
#include <string>

#include "base/core/ObjectHandles.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"

namespace {

// Section break kinds that start a new column or page.
bool StartsColumnOrPage(std::uint8_t kind) {
    return kind >= 1 && kind <= 3;
}

// The section a section break at the end of the line's bytes names.
const TSection* SectionOfLineEnd(const TLine& line) {
    const TPar& par = *line.Par;
    const std::int32_t end = std::min(line.StreamStart + line.StreamLength, par.Stream.Size);
    const TSection* section = nullptr;
    TStreamElement e;
    for (std::int32_t at = std::max(0, line.StreamStart); at < end; at += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, at, e);
        if (e.Length <= 0)
            break;
        if (e.IsControl && !e.Truncated && e.Code == fcSectionBreak)
            section = HandleTo<TSection>(static_cast<TObjectHandle>(e.Value));
    }
    return section;
}

}  // namespace

bool TLine::EndsRegion() const {
    if (CharCount == 0)
        return false;
    const std::uint8_t* chars = Par->Chars.Data + FirstChar;
    const std::uint8_t last = chars[CharCount - 1];
    if (last == chColumnBreak || last == chPageBreak || (CharCount > 1 && chars[CharCount - 2] == chPageBreak))
        return true;
    if (last != chSectionBreak)
        return false;
    const TSection* section = SectionOfLineEnd(*this);
    return section != nullptr && StartsColumnOrPage(section->Format.BreakKind);
}

bool TLine::IsRegionBreakLine() const {
    return CharCount == 1 && EndsRegion();
}

bool TLine::ShowsListLabel() const {
    if ((Flags & lfDropCap) != 0 || Par->LabelPar == nullptr || !StartsParText())
        return false;
    std::u16string text;
    Par->GetListLabelText(text);
    return !text.empty();
}

TLine* TLine::RowFirst() const {
    std::int32_t i = std::clamp(IndexInPar, 0, Par->LineCount() - 1);
    while (i > 0 && Par->Lines->At<TLine>(i - 1)->Row >= Row)
        --i;
    return Par->Lines->At<TLine>(i);
}

TLine* TLine::RowLast() const {
    const std::int32_t count = Par->LineCount();
    std::int32_t i = std::clamp(IndexInPar, 0, count - 1);
    while (i + 1 < count && Par->Lines->At<TLine>(i + 1)->Row <= Row)
        ++i;
    return Par->Lines->At<TLine>(i);
}

std::int32_t TLine::HeightPixels(const TLine* nextRowInBox) const {
    const TDoc& doc = DocOfPar(*Par);
    std::int32_t h = doc.TwipsToPixelsY(Height);
    if ((Flags & lfDropCap) == 0 && nextRowInBox != nullptr) {
        // Both tops are rounded on their own; the line reaches down to the
        // next one so that no pixel row stays unpainted between them.
        if (h < doc.TwipsToPixelsY(nextRowInBox->Top) - doc.TwipsToPixelsY(Top))
            ++h;
    }
    return std::max(h, 1);
}

void TLine::BlockRange(std::int32_t lo, std::int32_t hi, std::int32_t& first, std::int32_t& last) {
    first = last = 0;
    if (lo == hi)
        return;
    if (lo > hi)
        std::swap(lo, hi);
    const TDoc& doc = DocOfPar(*Par);
    const bool lastLine = FirstChar + CharCount >= Par->CharCount();
    const std::int32_t n = lastLine ? std::max(0, CharCount - 1) : CharCount;
    const auto at = [&](std::int32_t k) { return doc.ApplyZoom(CharX(k)); };
    first = n;
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t left = at(k), right = at(k + 1);
        // A character belongs to the block from where lo is nearer its
        // left edge than its right.
        if (right >= lo && (left >= lo || lo - left < right - lo)) {
            first = k;
            break;
        }
    }
    last = first;
    while (last < n && hi >= at(last)) {
        const std::int32_t left = at(last), right = at(last + 1);
        if (hi < right && right - hi >= hi - left)
            break;  // hi falls in the first half of this character
        ++last;
    }
}

void TLine::CollectNotes(bool endnotes, TCompoundFragment*& fragments) const {
    const TPar& par = *Par;
    TDoc& doc = DocOfPar(par);
    // The drop cap's notes are counted with the line beside it.
    const bool fromParStart = IndexInPar == 1 && !endnotes && (par.Flags & pfDropCap) != 0;
    const std::int32_t from = fromParStart ? 0 : std::max(0, StreamStart);
    const std::int32_t end = std::min(StreamStart + StreamLength, par.Stream.Size);
    TStreamElement e;
    for (std::int32_t at = from; at < end; at += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, at, e);
        if (e.Length <= 0)
            break;
        if (!e.IsControl || e.Truncated || e.Code != fcFieldEnd)
            continue;
        const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
        if (field == nullptr || field->Kind != fkNoteRef || field->Partner == nullptr)
            continue;
        if ((field->Partner->Endnote != 0) != endnotes)
            continue;
        TFragment range;
        if (!doc.FieldRange(field->Partner, range))
            continue;
        if (fragments == nullptr)
            fragments = NewCompoundFragment();
        if (IsEmptyCompoundFragment(fragments)) {
            fragments->SetSingle(range.Start.Par, range.Start.Offset, range.End.Par, range.End.Offset);
            continue;
        }
        TFragment& lastFragment = fragments->Fragment(fragments->Count() - 1);
        if (range.Start.Par == lastFragment.End.Par + 1) {
            lastFragment.End = range.End;
        } else {
            fragments->SetCount(fragments->Count() + 1);
            fragments->Fragment(fragments->Count() - 1) = range;
        }
    }
}
