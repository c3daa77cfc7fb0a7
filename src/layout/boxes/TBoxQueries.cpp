// Read-only questions asked of a laid-out box tree: hit-testing and the
// lines a box holds.

#include <algorithm>
#include <cstdlib>

#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t FarAway = 0x3FFFFFFF;

struct THitState {
    TBox* Best = nullptr;
    std::int32_t BestDepth = -1;
    std::int32_t BestSum = 0;
    TStorySet Stories = 0;
    bool AnyBox = false;
};

std::int32_t Distance(std::int32_t v, std::int32_t extent) {
    if (v < 0)
        return -v;
    if (v >= extent)
        return v - extent + 1;
    return 0;
}

// The depth of the nearest ancestor-or-self that contains the point; -1
// when the walk reaches the page.
std::int32_t ContainingDepth(const TBox* box) {
    for (const TBox* b = box; b != nullptr && b->Parent != nullptr; b = b->Parent)
        if (b->HitDistanceX == 0 && b->HitDistanceY == 0)
            return b->HitDepth;
    return -1;
}

void Visit(TBox* box, std::int32_t x, std::int32_t y, std::uint8_t depth, THitState& hit) {
    if ((box->Flags & bxMergeContinue) != 0)
        return;
    if (hit.Stories != 0 && box->Story != NoStory && !StoryInSet(hit.Stories, box->Story))
        return;
    box->HitDistanceX = Distance(x, box->PixelBounds.Right - box->PixelBounds.Left);
    box->HitDistanceY = Distance(y, box->PixelBounds.Bottom - box->PixelBounds.Top);
    box->HitDepth = depth;
    if (hit.AnyBox || box->LineCount() > 0) {
        const std::int32_t sum = box->HitDistanceX + box->HitDistanceY;
        const std::int32_t d = ContainingDepth(box);
        if (hit.Best == nullptr || (box->HitDistanceX == 0 && box->HitDistanceY == 0) || d > hit.BestDepth ||
            (d == hit.BestDepth && hit.BestSum >= sum)) {
            hit.Best = box;
            hit.BestDepth = d;
            hit.BestSum = sum;
        }
    }
    for (std::int32_t i = box->Count - 1; i >= 0; --i) {
        TBox* child = box->Child(i);
        Visit(child, x - child->PixelBounds.Left, y - child->PixelBounds.Top, static_cast<std::uint8_t>(depth + 1),
              hit);
    }
}

void Collect(const TBox* box, TStorySet stories, TList& into) {
    if (box->Story != NoStory && !StoryInSet(stories, box->Story))
        return;
    if (box->LineCount() > 0) {
        into.AddList(*box->Lines);
        return;
    }
    for (std::int32_t i = 0; i < box->Count; ++i)
        Collect(box->Child(i), stories, into);
}

std::int32_t CountIn(const TBox* box, TStorySet stories) {
    if (box->Story != NoStory && !StoryInSet(stories, box->Story))
        return 0;
    if (box->LineCount() > 0)
        return box->LineCount();
    std::int32_t n = 0;
    for (std::int32_t i = 0; i < box->Count; ++i)
        n += CountIn(box->Child(i), stories);
    return n;
}

}  // namespace

TBox* TBox::FindBoxAt(TPage* page, std::int32_t x, std::int32_t y, TStorySet stories, bool anyBox) {
    THitState hit;
    hit.Stories = stories;
    hit.AnyBox = anyBox;
    hit.BestSum = 2 * FarAway;
    for (std::int32_t i = page->Count - 1; i >= 0; --i) {
        TBox* child = page->Child(i);
        Visit(child, x - child->PixelBounds.Left, y - child->PixelBounds.Top, 0, hit);
    }
    return hit.Best;
}

TList* TBox::CollectLines(TStorySet stories) const {
    TList* list = TList::Acquire();
    Collect(this, stories, *list);
    return list;
}

std::int32_t TBox::CountLines(TStorySet stories) const {
    return CountIn(this, stories);
}

std::int32_t TBox::FirstLineIndexOfPar(std::int32_t par) const {
    std::int32_t best = 2147483647;
    if (Lines != nullptr)
        for (std::int32_t i = 0; i < Lines->Count; ++i) {
            const TLine* line = Lines->At<TLine>(i);
            if (line != nullptr && line->Par->Index == par)
                best = std::min(best, line->IndexInPar);
        }
    for (std::int32_t i = 0; i < Count; ++i)
        best = std::min(best, Child(i)->FirstLineIndexOfPar(par));
    return best;
}
