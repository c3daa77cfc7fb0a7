// Stories and paragraph queries.
#include "model/document/TDoc.h"

#include <algorithm>
#include <climits>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FieldControls.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"

int TDoc::StoryOfPar(std::int32_t par) const {
    std::int32_t end = 0;
    for (int story = 0; story < StoryCount; ++story) {
        end += StoryCounts[story];
        if (par < end)
            return story;
    }
    return stHeadersFooters;
}

std::int32_t TDoc::FirstParOfStory(int story) const {
    std::int32_t first = 0;
    for (int s = 0; s < story && s < StoryCount; ++s)
        first += StoryCounts[s];
    return first;
}

std::int32_t TDoc::LastParOfStory(int story) const {
    return FirstParOfStory(story) + StoryCounts[story] - 1;
}

bool TDoc::IsParDimmed(std::int32_t par) const {
    if (StateFlags[sfPreviewDocument] != 0 || PrintPreview != 0)
        return false;
    const bool inHeaderFooter = StoryOfPar(par) == stHeadersFooters;
    return EditedHeaderFooter != nullptr ? !inHeaderFooter : inHeaderFooter;
}

void TDoc::RenumberPars(std::int32_t from) {
    for (std::int32_t i = std::max(from, 0); i < Pars.Count; ++i)
        Par(i)->Index = i;
}

void TDoc::FormatAtPos(const TTextPos& pos, TCharFormat& format) const {
    format = DefaultCharFormat;
    if (pos.Par < 0 || pos.Par >= Pars.Count)
        return;
    const TPar* par = Par(pos.Par);
    TCharLocation location;
    LocateChar(par->Stream, pos.Offset, location);
    FormatAtOffset(par->Stream, location.CharOffset, format);
}

bool TDoc::FieldRange(const TField* field, TFragment& range) const {
    if (field == nullptr)
        return false;
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    bool haveStart = false;
    for (std::int32_t p = 0; p < Pars.Count; ++p) {
        const bool found = ForEachFieldControl(Par(p)->Stream, [&](const TFieldControl& c) {
            if (c.Value != handle)
                return false;
            if (c.Code == fcFieldStart && !haveStart) {
                MakeTextPos(p, c.Pos, range.Start);
                haveStart = true;
            } else if (c.Code == fcFieldEnd && haveStart) {
                MakeTextPos(p, c.Pos, range.End);
                return true;
            }
            return false;
        });
        if (found)
            return true;
    }
    return false;
}

std::u16string TDoc::RangeText(const TFragment& range) const {
    std::u16string text;
    const std::int32_t last = std::min(range.End.Par, Pars.Count - 1);
    for (std::int32_t p = std::max(range.Start.Par, 0); p <= last; ++p) {
        TPar* par = Par(p);
        par->BuildWideText();
        const std::int32_t from = p == range.Start.Par ? std::clamp(range.Start.Offset, 0, par->CharCount()) : 0;
        const std::int32_t to =
            p == range.End.Par ? std::clamp(range.End.Offset, from, par->CharCount()) : par->CharCount();
        text.append(par->WideText, from, to - from);
    }
    return text;
}

TField* TDoc::DropCapOfPar(std::int32_t par) const {
    if (par < 0 || par >= Pars.Count)
        return nullptr;
    TPar* p = Par(par);
    p->Normalize();
    if ((p->Flags & pfDropCap) == 0)
        return nullptr;
    // A drop cap starts in the run of controls in front of the first
    // character.
    TCharLocation first;
    LocateChar(p->Stream, 0, first);
    TField* cap = nullptr;
    ForEachFieldControl(p->Stream, 0, first.CharOffset, [&cap](const TFieldControl& c) {
        if (c.Code != fcFieldStart)
            return false;
        TField* field = HandleTo<TField>(static_cast<TObjectHandle>(c.Value));
        if (field == nullptr || field->Kind != fkDropCap)
            return false;
        cap = field;
        return true;
    });
    return cap;
}
