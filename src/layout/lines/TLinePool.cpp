#include <algorithm>
#include <new>
#include <vector>

#include "base/core/TList.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/formats/DocumentUnit.h"
#include "model/paragraphs/TPar.h"
#include "platform/Heap.h"

namespace {

// The free lines, used as a stack. Re-breaking a paragraph on every
// keystroke then allocates no line objects.
std::vector<TLine*>& Pool() {
    static std::vector<TLine*>* pool = [] {
        auto* p = new std::vector<TLine*>;
        p->reserve(32768);
        return p;
    }();
    return *pool;
}

// The model's memory trim empties the line pool too. This file is linked
// wherever lines are made, so the pool is registered wherever it exists.
[[maybe_unused]] const bool LinePoolTrimRegistered = (SetLayoutPoolsTrim(&TrimLinePool), true);

// Above this many heap bytes released lines are destroyed, not pooled.
constexpr std::int64_t LinePoolHeapLimit = std::int64_t{1} << 30;

}  // namespace

TLine* TLine::Acquire(TPar* par) {
    std::vector<TLine*>& pool = Pool();
    TLine* line;
    if (!pool.empty()) {
        line = pool.back();
        pool.pop_back();
        line->LineNumber = 0;
        line->FootnoteRef = nullptr;
        line->EndnoteRef = nullptr;
    } else {
        line = new TLine;
    }
    if (par->Lines != nullptr && par->Lines->Count > 0) {
        const auto* last = static_cast<const TLine*>(par->Lines->Last());
        line->StreamStart = last->StreamStart + last->StreamLength;
        line->FirstChar = last->FirstChar + last->CharCount;
    } else {
        line->StreamStart = 0;
        line->FirstChar = 0;
    }
    line->StartFormat = DocOfPar(*par).LineStartFormats.Add(Breaker.Format);
    line->Flags = lfShadedFields;
    line->Par = par;
    return line;
}

void TLine::Release(TLine* line) {
    if (line == nullptr)
        return;
    if (line->Box != nullptr && LineDropHook != nullptr)
        LineDropHook(*line);
    if (Platform::AllocatedHeapBytes() > LinePoolHeapLimit) {
        delete line;
        return;
    }
    line->Box = nullptr;
    if (line->Positions != nullptr) {
        Platform::HeapFree(line->Positions);
        line->Positions = nullptr;
    }
    line->Par = nullptr;
    Pool().push_back(line);
}

static std::int32_t*& ZoomScratch() {
    static std::int32_t* positions = nullptr;
    return positions;
}

void TrimLinePool() {
    std::vector<TLine*>& pool = Pool();
    for (TLine* line : pool)
        delete line;
    pool.clear();
    pool.shrink_to_fit();
    pool.reserve(32);
    Platform::HeapFree(ZoomScratch());
    ZoomScratch() = nullptr;
}

std::int32_t PooledLineCount() {
    return static_cast<std::int32_t>(Pool().size());
}

std::int32_t LinePoolCapacity() {
    return static_cast<std::int32_t>(Pool().capacity());
}

std::int32_t* ZoomScratchPositions() {
    return ZoomScratch();
}

void SetZoomScratchPositions(std::int32_t* positions) {
    ZoomScratch() = positions;
}

void TLine::GrowPositions(std::int32_t bytes) {
    if (Positions != nullptr && Positions[0] >= bytes)
        return;
    // Small requests are met exactly; larger ones in steps of 32 bytes.
    const std::int32_t size = bytes <= 320 ? bytes : (bytes + 31) / 32 * 32;
    const std::int32_t room = std::max(size, 8);
    void* block = Platform::HeapRealloc(Positions, static_cast<std::size_t>(room));
    if (block == nullptr)
        throw std::bad_alloc();
    Positions = static_cast<std::int32_t*>(block);
    Positions[0] = room;
}

void TLine::AppendPos(std::int32_t x) {
    const std::int32_t element = CharCount + 2;
    const std::int32_t needed = (element + 1) * 4;
    if (Positions == nullptr || Positions[0] < needed)
        GrowPositions(needed);
    Positions[element] = x;
}

TPaginatedLineInfo::TPaginatedLineInfo(const TLine& line)
    : Box(line.Box),
      Top(line.Top),
      IndexInBox(line.IndexInBox),
      Flags(line.Flags),
      Height(line.Height),
      LineNumber(line.LineNumber) {}

void TPaginatedLineInfo::RestoreTo(TLine& line) const {
    line.Box = Box;
    line.IndexInBox = IndexInBox;
    line.Top = Top;
    line.LineNumber = LineNumber;
    line.Flags |= Flags & 0xF80;
}
