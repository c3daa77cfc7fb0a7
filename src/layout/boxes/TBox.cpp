#include "layout/boxes/TBox.h"

#include <algorithm>

#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace {

// Document state flag: every height request is forced (table layout sets it
// around the flows of row-end and merge-continuation boxes).
constexpr std::uint8_t sfForceRequests = 5;

// The pools: stacks of released boxes, last released first reused. Their
// first sizes follow how many boxes of each kind a page tends to hold.
constexpr std::int32_t InitialPoolSlots[BoxKindCount] = {16384, 4096, 32, 512};

// The pools live as long as the program: boxes released while static
// objects are destroyed at exit still find their pool, and pooled boxes stay
// reachable instead of being dropped with a pool's array.
TList& Pool(std::uint8_t kind) {
    static TList* pools = new TList[BoxKindCount];
    return pools[kind];
}

TBox* NewBox(void* owner, std::uint8_t kind) {
    switch (kind) {
        case bkCell:
            return new TCellBox(static_cast<TBox*>(owner));
        case bkTable:
            return new TTableBox(static_cast<TBox*>(owner));
        case bkPage:
            return new TPage(static_cast<TDoc*>(owner));
        default:
            return new TBox(static_cast<TBox*>(owner));
    }
}

// A line that goes away while a box holds it leaves an empty slot behind;
// the box's page is always discarded before it is used again.
void ForgetLine(TLine& line) {
    TBox* box = line.Box;
    if (box->Lines != nullptr && line.IndexInBox < box->Lines->Count && box->Lines->Items[line.IndexInBox] == &line)
        box->Lines->Items[line.IndexInBox] = nullptr;
    line.Box = nullptr;
}

}  // namespace

TBox::TBox(TBox* parent) : Parent(parent) {
    if (parent != nullptr) {
        Root = parent->Root != nullptr ? parent->Root : parent;
        Document = parent->Document;
    }
}

TBox::~TBox() {
    CutLines(0);
    delete Lines;
    for (std::int32_t i = Count - 1; i >= 0; --i)
        delete Child(i);
    TList::Clear();
}

TBox* TBox::Acquire(void* owner, std::uint8_t kind) {
    LineDropHook = &ForgetLine;
    TList& pool = Pool(kind);
    TBox* box;
    if (pool.Count > 0) {
        box = static_cast<TBox*>(pool.Last());
        pool.DeleteLast();
        box->Reset(owner);
    } else {
        box = NewBox(owner, kind);
    }
    return box;
}

void TBox::Reset(void* owner) {
    auto* parent = static_cast<TBox*>(owner);
    Parent = parent;
    Root = parent->Root != nullptr ? parent->Root : parent;
    Document = parent->Document;
    Flags = 0;
    Story = NoStory;
    ColumnIndex = 255;
    Bounds = {};
    PixelBounds = {};
    MaxHeight = UnlimitedHeight;
    Insets = {};
    PixelInsets = {};
    ColumnContentHeight = 0;
    ColumnExtra = 0;
    ContentBottom = 0;
}

void TBox::Clean() {
    CutLines(0);
    ReleaseChildren();
}

void TBox::Release(TBox* box) {
    if (box == nullptr)
        return;
    if (AllocatedHeapBytes() > PoolHeapLimit) {
        delete box;
        return;
    }
    box->Clean();
    TList& pool = Pool(box->Kind);
    if (pool.Capacity == 0)
        pool.SetCapacity(InitialPoolSlots[box->Kind]);
    else if (pool.Count == pool.Capacity)
        pool.SetCapacity(pool.Capacity * 2);
    pool.Add(box);
}

void TBox::ReleaseChildren() {
    for (std::int32_t i = Count - 1; i >= 0; --i)
        Release(Child(i));
    TList::Clear();
}

void TBox::TrimPools() {
    for (std::uint8_t kind = 0; kind < BoxKindCount; ++kind) {
        TList& pool = Pool(kind);
        for (std::int32_t i = pool.Count - 1; i >= 0; --i)
            delete pool.At<TBox>(i);
        pool.Clear();
        pool.SetCapacity(32);
    }
}

std::int32_t TBox::PooledCount(std::uint8_t kind) {
    return Pool(kind).Count;
}

TBox* TBox::AddChild(std::uint8_t kind, std::uint32_t flags) {
    TBox* child = Acquire(this, kind);
    child->Flags = flags;
    Add(child);
    return child;
}

TBox* TBox::ColumnOf() {
    for (TBox* b = this; b != nullptr; b = b->Parent)
        if ((b->Flags & bxColumn) != 0)
            return b;
    return nullptr;
}

TBox* TBox::ColumnOrFrameOf() {
    for (TBox* b = this; b != nullptr; b = b->Parent)
        if ((b->Flags & bxColumn) != 0 || (b->Flags & (bxFrame | bxTable | bxCell)) == bxFrame)
            return b;
    return nullptr;
}

TBox* TBox::CellOf() {
    for (TBox* b = this; b != nullptr; b = b->Parent)
        if ((b->Flags & bxCell) != 0)
            return b;
    return nullptr;
}

TBox* TBox::TableOf() {
    for (TBox* b = this; b != nullptr; b = b->Parent)
        if ((b->Flags & bxTable) != 0)
            return b;
    return nullptr;
}

TBox* TBox::NoteFrameOf(std::uint8_t noteStory) {
    TBox* column = ColumnOf();
    if (column == nullptr)
        return nullptr;
    for (std::int32_t i = 0; i < column->Count; ++i)
        if (column->Child(i)->Story == noteStory && (column->Child(i)->Flags & bxFrame) != 0)
            return column->Child(i);
    TBox* frame = column->AddChild(bkPlain, bxFrame);
    frame->Story = noteStory;
    frame->Bounds.Right = column->Width();
    frame->Insets.Left = column->Insets.Left;
    frame->Insets.Right = column->Insets.Right;
    return frame;
}

bool TBox::HasAncestor(const TBox* other) const {
    for (const TBox* b = Parent; b != nullptr; b = b->Parent)
        if (b == other)
            return true;
    return false;
}

bool TBox::InFooter() const {
    for (const TBox* b = Parent; b != nullptr; b = b->Parent)
        if ((b->Flags & bxFooter) != 0)
            return true;
    return false;
}

TPage* TBox::Page() {
    TBox* root = Root != nullptr ? Root : this;
    return root->Kind == bkPage ? static_cast<TPage*>(root) : nullptr;
}

bool TBox::IsEmpty() const {
    if (LineCount() > 0)
        return false;
    for (std::int32_t i = 0; i < Count; ++i)
        if (!Child(i)->IsEmpty())
            return false;
    return true;
}

bool TBox::IsAtPageStart() {
    if (!IsEmpty())
        return false;
    TBox* column = ColumnOf();
    if (column != nullptr && column->Parent != nullptr && column->Parent->Parent != nullptr) {
        TBox* band = column->Parent;
        TBox* page = band->Parent;
        for (std::int32_t i = 0; i < page->Count && page->Child(i) != band; ++i)
            if ((page->Child(i)->Flags & bxBand) != 0)
                return false;
    }
    for (TBox* b = this; b != column && b->Parent != nullptr; b = b->Parent) {
        TBox* parent = b->Parent;
        if ((b->Flags & bxCell) != 0) {
            for (std::int32_t i = 0; i < parent->Count; ++i) {
                const TBox* sibling = parent->Child(i);
                if (sibling != b && (sibling->Flags & bxCell) != 0 && sibling->Bounds.Top < b->Bounds.Top)
                    return false;
            }
        } else if (parent->Count == 0 || parent->Child(0) != b) {
            return false;
        }
    }
    return true;
}

bool TBox::LinesInRange(TStorySet stories, std::int32_t firstPar, std::int32_t lastPar) const {
    if (Lines != nullptr && StoryInSet(stories, Story)) {
        for (std::int32_t i = 0; i < Lines->Count; ++i) {
            const TLine* line = Lines->At<TLine>(i);
            if (line == nullptr)
                continue;
            const std::int32_t par = line->Par->Index;
            if (par < firstPar || par > lastPar)
                return false;
        }
    }
    for (std::int32_t i = 0; i < Count; ++i)
        if (!Child(i)->LinesInRange(stories, firstPar, lastPar))
            return false;
    return true;
}

TLine* TBox::FirstLine(TStorySet stories) const {
    if (LineCount() > 0 && StoryInSet(stories, Story))
        for (std::int32_t i = 0; i < Lines->Count; ++i)
            if (TLine* line = Lines->At<TLine>(i))
                return line;
    for (std::int32_t i = 0; i < Count; ++i) {
        const TBox* child = Child(i);
        if (child->Story != NoStory && !StoryInSet(stories, child->Story))
            continue;
        if (TLine* line = child->FirstLine(stories))
            return line;
    }
    return nullptr;
}

TLine* TBox::LastLine(TStorySet stories) const {
    if (LineCount() > 0 && StoryInSet(stories, Story))
        for (std::int32_t i = Lines->Count - 1; i >= 0; --i)
            if (TLine* line = Lines->At<TLine>(i))
                return line;
    for (std::int32_t i = Count - 1; i >= 0; --i) {
        const TBox* child = Child(i);
        if (child->Story != NoStory && !StoryInSet(stories, child->Story))
            continue;
        if (TLine* line = child->LastLine(stories))
            return line;
    }
    return nullptr;
}

std::int32_t TBox::TextWidth(std::int32_t par) const {
    if (Document != nullptr && Document->ViewMode != vmPrintLayout && (Flags & bxCell) == 0 &&
        const_cast<TBox*>(this)->CellOf() == nullptr) {
        if (TSection* section = Document->PageSectionOfPar(par))
            return section->PageSetup.TextWidth;
    }
    return Width() - Insets.Left - Insets.Right;
}

void TBox::AddLine(TLine* line) {
    if (Lines == nullptr)
        Lines = new TList;
    line->Box = this;
    line->IndexInBox = static_cast<std::uint16_t>(Lines->Count);
    Lines->Add(line);
}

void TBox::CutLines(std::int32_t from) {
    if (Lines == nullptr)
        return;
    for (std::int32_t i = Lines->Count - 1; i >= from; --i) {
        TLine* line = Lines->At<TLine>(i);
        if (line != nullptr && line->Box == this)
            line->Box = nullptr;
    }
    if (from <= 0)
        Lines->Clear();
    else if (from < Lines->Count)
        Lines->SetCount(from);
}

bool TBox::RequestHeight(TBox* parent, TBox* child, std::int32_t amount, bool force, std::int32_t& granted) {
    TDoc* doc = child->Document;
    if (doc != nullptr && doc->StateFlags[sfForceRequests] != 0)
        force = true;
    // The box's own limit.
    const std::int32_t h = child->Height();
    if (static_cast<std::int64_t>(h) + amount > child->MaxHeight) {
        if (!force)
            return false;
        amount = child->MaxHeight - h;
        if (amount < 1)
            return false;
    }
    granted = amount;
    if (parent == nullptr) {
        // Only a page lacks a parent, and a page never grows.
        return false;
    }
    // How far the parent must grow to hold the child's new height.
    std::int64_t content;
    if ((parent->Flags & bxTable) != 0) {
        content = child->Bounds.Bottom;
    } else if ((parent->Flags & (bxColumn | bxFrame)) != 0 || parent->Kind == bkPage) {
        content = 0;
        for (std::int32_t i = 0; i < parent->Count; ++i)
            content += parent->Child(i)->Height();
    } else {
        content = h;
    }
    std::int64_t need = content + granted + parent->Insets.Top + parent->Insets.Bottom - parent->Height();
    // A row of at least some height makes its empty cells that high; a row
    // of exact height never grows.
    if ((parent->Flags & (bxCell | bxRowEnd | bxMergeContinue)) == bxCell) {
        const auto* cell = static_cast<const TCellBox*>(parent);
        const std::int32_t rowHeight = cell->Row != nullptr ? cell->Row->Data.Height : 0;
        if (rowHeight > 0 && parent->Height() == 0)
            need = std::max<std::int64_t>(need, rowHeight);
        else if (rowHeight < 0)
            need = parent->Height() == 0 ? -static_cast<std::int64_t>(rowHeight) : 0;
    }
    std::int32_t g = 0;
    if (need > 0) {
        const bool ok = parent->Parent != nullptr &&
                        RequestHeight(parent->Parent, parent, static_cast<std::int32_t>(need), force, g);
        if (!ok) {
            if (!force)
                return false;
            g = 0;
        }
        granted -= static_cast<std::int32_t>(std::max<std::int64_t>(0, need - g));
    }
    if (granted < 0)
        granted = 0;
    child->Bounds.Bottom += granted;
    return force || granted == amount;
}

bool TBox::Grow(std::int32_t amount, bool force) {
    std::int32_t granted = 0;
    if (Parent == nullptr)
        return false;
    return RequestHeight(Parent, this, amount, force, granted);
}

void TBox::StackTop() {
    std::int32_t y = Insets.Top;
    for (std::int32_t i = 0; i < Count; ++i) {
        TBox* child = Child(i);
        const std::int32_t h = child->Height();
        child->Bounds.Top = y;
        child->Bounds.Bottom = y + h;
        y = child->Bounds.Bottom;
    }
}

void TBox::StackMiddle() {
    if (Count == 0)
        return;
    const std::int32_t t = static_cast<TBox*>(Last())->Bounds.Bottom - Child(0)->Bounds.Top;
    std::int32_t y = Insets.Top + (Height() - Insets.Top - Insets.Bottom - t) / 2;
    for (std::int32_t i = 0; i < Count; ++i) {
        TBox* child = Child(i);
        const std::int32_t h = child->Height();
        child->Bounds.Top = y;
        child->Bounds.Bottom = y + h;
        y = child->Bounds.Bottom;
    }
}

void TBox::StackBottom() {
    std::int32_t y = Height() - Insets.Bottom;
    for (std::int32_t i = Count - 1; i >= 0; --i) {
        TBox* child = Child(i);
        const std::int32_t h = child->Height();
        child->Bounds.Bottom = y;
        child->Bounds.Top = y - h;
        y = child->Bounds.Top;
    }
}

void TBox::RestackFrames() {
    std::int32_t y = Insets.Top;
    for (std::int32_t i = 0; i < Count; ++i) {
        TBox* child = Child(i);
        if (child->Story != 0 && child->Story != 3)
            continue;
        const std::int32_t h = child->Height();
        child->Bounds.Top = y;
        child->Bounds.Bottom = y + h;
        y = child->Bounds.Bottom;
    }
}

Platform::TPoint TBox::OffsetInAncestor(Platform::TPoint point, const TBox* ancestor) const {
    for (const TBox* b = this; b != nullptr && b != ancestor; b = b->Parent) {
        point.X += b->Bounds.Left;
        point.Y += b->Bounds.Top;
    }
    return point;
}

Platform::TPoint TBox::ToPageCoords(Platform::TPoint point) const {
    for (const TBox* b = this; b != nullptr && b->Parent != nullptr; b = b->Parent) {
        point.X += b->Bounds.Left;
        point.Y += b->Bounds.Top;
    }
    return point;
}

void TBox::MoveBy(std::int32_t dx, std::int32_t dy) {
    Bounds.Left += dx;
    Bounds.Right += dx;
    Bounds.Top += dy;
    Bounds.Bottom += dy;
}
