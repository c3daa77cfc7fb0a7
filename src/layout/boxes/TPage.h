#pragma once

#include <memory>
#include <vector>

#include "layout/boxes/TBox.h"
#include "model/formats/TTextPos.h"

class TField;
class TLine;
class TSection;
class TShape;

// What a snapshot keeps of one box: enough to cut its lines and height
// back without laying anything out again.
struct TBoxState {
    TBox* Box = nullptr;
    std::int32_t LineCount = 0;
    std::int32_t Bottom = 0;
    std::int32_t ContentBottom = 0;
};

// One layout snapshot of a page.
struct TPageSnapshot {
    std::vector<TBoxState> Boxes;
    std::int32_t NextFootnote = 0;
    std::int32_t NextEndnote = 0;
    std::vector<TFragment> PendingFootnotes;
    std::vector<TFragment> PendingEndnotes;
};

// A laid-out page: the root of a box tree. Its bounds are the page
// rectangle in twips, its top and bottom insets the body's margins.
//
// The snapshot stack lets the flow try a placement and take it back: a
// snapshot records four values per box, so rolling back costs no line
// layout.
class TPage : public TBox {
public:
    explicit TPage(TDoc* document);
    ~TPage() override;

    // --- Snapshots ---

    void SaveState();
    void RestoreState();
    void DropTopState();
    std::int32_t StateDepth() const { return static_cast<std::int32_t>(Snapshots.size()); }

    // --- Queries ---

    std::int32_t LineOrdinal(const TLine* line) const;
    TSection* SectionOf() const;
    std::int32_t BodyTop() const;
    std::int32_t BodyBottomGap() const;

    std::int32_t PageIndex = 0;
    TSection* Section = nullptr;
    TField* HeaderField = nullptr;
    TField* FooterField = nullptr;
    TBox* HeaderBox = nullptr;
    TBox* FooterBox = nullptr;
    std::int32_t NextFootnote = 0;
    std::int32_t NextEndnote = 0;
    // Note text still to be placed, in order; a new page starts with the
    // previous page's.
    std::vector<TFragment> PendingFootnotes;
    std::vector<TFragment> PendingEndnotes;
    TList PlacedShapes;  // TShape, not owned
    // Set by the flow when a floating shape placed on this page reaches
    // lines placed before it was known; the paginator then flows the page
    // again (layout/pagination/FloatingShapes.h).
    bool ShapeReflow = false;
    std::int32_t Reserved = 0;
    // Floating shapes of headers and footers: one shape stands on every
    // page that shows its header or footer, in a place of its own on each
    // page, kept here (layout/pagination/FloatingShapes.h).
    struct THeaderFooterShape {
        const TShape* Shape = nullptr;
        Platform::TRect Rect;
    };
    std::vector<THeaderFooterShape> HeaderFooterShapes;

protected:
    void Reset(void* owner) override;
    void Clean() override;

private:
    std::vector<std::unique_ptr<TPageSnapshot>> Snapshots;
};
