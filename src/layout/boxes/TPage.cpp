#include "layout/boxes/TPage.h"

#include <algorithm>

#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

namespace {

// Each restore marks the boxes its snapshot recorded with a new stamp; the
// boxes without it were made after the snapshot and go.
std::uint32_t RestoreCounter = 0;

void Record(TBox* box, std::vector<TBoxState>& states) {
    states.push_back({box, box->LineCount(), box->Bounds.Bottom, box->ContentBottom});
    for (std::int32_t i = box->Count - 1; i >= 0; --i)
        Record(box->Child(i), states);
}

void ReleaseUnrecorded(TBox* box, std::uint32_t stamp) {
    for (std::int32_t i = box->Count - 1; i >= 0; --i) {
        TBox* child = box->Child(i);
        if (child->RestoreStamp != stamp) {
            box->Delete(i);
            TBox::Release(child);
        } else {
            ReleaseUnrecorded(child, stamp);
        }
    }
}

// The snapshots given back, kept for the next SaveState so that trying a
// placement allocates nothing once the vectors have grown.
std::vector<std::unique_ptr<TPageSnapshot>>& SnapshotPool() {
    static std::vector<std::unique_ptr<TPageSnapshot>> pool;
    return pool;
}

}  // namespace

TPage::TPage(TDoc* document) : TBox(nullptr) {
    Kind = bkPage;
    Document = document;
}

TPage::~TPage() {
    while (!Snapshots.empty())
        DropTopState();
}

void TPage::Reset(void* owner) {
    Document = static_cast<TDoc*>(owner);
    Parent = Root = nullptr;
    Flags = 0;
    Story = NoStory;
    Bounds = {};
    PixelBounds = {};
    MaxHeight = UnlimitedHeight;
    Insets = {};
    PixelInsets = {};
    ContentBottom = 0;
    PageIndex = 0;
    Section = nullptr;
    HeaderField = FooterField = nullptr;
    HeaderBox = FooterBox = nullptr;
    NextFootnote = NextEndnote = 0;
    PendingFootnotes.clear();
    PendingEndnotes.clear();
    Reserved = 0;
    ShapeReflow = false;
    HeaderFooterShapes.clear();
}

void TPage::Clean() {
    TBox::Clean();
    PlacedShapes.Clear();
    HeaderFooterShapes.clear();
    while (!Snapshots.empty())
        DropTopState();
    HeaderBox = FooterBox = nullptr;
}

void TPage::SaveState() {
    auto& pool = SnapshotPool();
    std::unique_ptr<TPageSnapshot> snapshot;
    if (!pool.empty()) {
        snapshot = std::move(pool.back());
        pool.pop_back();
        snapshot->Boxes.clear();
    } else {
        snapshot = std::make_unique<TPageSnapshot>();
    }
    Record(this, snapshot->Boxes);
    snapshot->NextFootnote = NextFootnote;
    snapshot->NextEndnote = NextEndnote;
    snapshot->PendingFootnotes = PendingFootnotes;
    snapshot->PendingEndnotes = PendingEndnotes;
    Snapshots.push_back(std::move(snapshot));
}

void TPage::RestoreState() {
    if (Snapshots.empty())
        return;
    const TPageSnapshot& snapshot = *Snapshots.back();
    NextFootnote = snapshot.NextFootnote;
    NextEndnote = snapshot.NextEndnote;
    PendingFootnotes = snapshot.PendingFootnotes;
    PendingEndnotes = snapshot.PendingEndnotes;
    const std::uint32_t stamp = ++RestoreCounter;
    for (const TBoxState& state : snapshot.Boxes) {
        TBox* box = state.Box;
        box->RestoreStamp = stamp;
        box->CutLines(state.LineCount);
        box->Bounds.Bottom = state.Bottom;
        box->ContentBottom = state.ContentBottom;
    }
    ReleaseUnrecorded(this, stamp);
    if (HeaderBox != nullptr && HeaderBox->RestoreStamp != stamp)
        HeaderBox = nullptr;
    if (FooterBox != nullptr && FooterBox->RestoreStamp != stamp)
        FooterBox = nullptr;
}

void TPage::DropTopState() {
    if (Snapshots.empty())
        return;
    SnapshotPool().push_back(std::move(Snapshots.back()));
    Snapshots.pop_back();
}

std::int32_t TPage::LineOrdinal(const TLine* line) const {
    if (line == nullptr || line->Box == nullptr)
        return -1;
    const bool headerLayer = line->Box->Story == stHeadersFooters;
    std::int32_t ordinal = 0;
    bool found = false;
    // Reading order, counting only the boxes of the line's layer.
    auto walk = [&](auto&& self, const TBox* box) -> void {
        if (found)
            return;
        if (box->LineCount() > 0 && (box->Story == stHeadersFooters) == headerLayer) {
            for (std::int32_t i = 0; i < box->Lines->Count; ++i) {
                if (box->Lines->At<TLine>(i) == line) {
                    found = true;
                    return;
                }
                ++ordinal;
            }
        }
        for (std::int32_t i = 0; i < box->Count && !found; ++i)
            self(self, box->Child(i));
    };
    walk(walk, this);
    return found ? ordinal : -1;
}

TSection* TPage::SectionOf() const {
    const TLine* line = FirstLine((1u << stMain) | (1u << stFootnotes) | (1u << stEndnotes));
    if (line == nullptr || Document == nullptr)
        return Section;
    return Document->SectionOfPar(line->Par->Index);
}

std::int32_t TPage::BodyTop() const {
    const std::int32_t margin = Section != nullptr ? Section->PageSetup.TopMargin : Insets.Top;
    return HeaderBox != nullptr ? std::max(margin, HeaderBox->Bounds.Bottom) : margin;
}

std::int32_t TPage::BodyBottomGap() const {
    const std::int32_t margin = Section != nullptr ? Section->PageSetup.BottomMargin : Insets.Bottom;
    return FooterBox != nullptr ? std::max(margin, Height() - FooterBox->Bounds.Top) : margin;
}
