#pragma once

#include <cstdint>

#include "base/core/TList.h"
#include "platform/GdiTypes.h"

class TCompoundFragment;
class TDoc;
class TLine;
class TPage;
struct TFragment;

// Box flags.
enum : std::uint32_t {
    bxBand = 0x1,             // one section's columns on a page
    bxColumn = 0x2,           // a column of a band
    bxFrame = 0x4,            // body, note, header or footer frame, and every cell
    bxText = 0x8,             // holds lines
    bxTable = 0x10,           // a table box
    bxCell = 0x20,            // a cell box
    bxCellStarts = 0x40,      // the cell has no part on an earlier page
    bxCellComplete = 0x80,    // the cell's text is wholly placed
    bxFirstRow = 0x100,       // a cell of the first row placed in its table box
    bxRowEnd = 0x200,         // holds a row's end mark
    bxMergeContinue = 0x400,  // continues a vertically merged cell in the same table box
    bxTableStarts = 0x800,    // the table's first rows are here
    bxTableEnds = 0x1000,     // the table ends on this page
    bxRestoring = 0x2000,     // page: a snapshot is restored for a re-flow; placed shapes stay
    bxFooter = 0x4000,        // footer frame
    bxRepeatedHeading = 0x8000,
    bxDropCap = 0x10000,
};

// Flow results (TBox::Flow, TBox::PlacePars).
enum : std::uint32_t {
    frNothing = 0x1,       // no room for the first line
    frReflow = 0x2,        // a floating shape was placed for the first time
    frAll = 0x4,           // the whole range was placed
    frPart = 0x8,          // part of the range was placed; the box is full
    frPageBreak = 0x10,    // a page break ends the placement
    frColumnBreak = 0x20,  // a column break ends it
    frSectionBreak = 0x40,
    frBreaks = frPageBreak | frColumnBreak | frSectionBreak,
};

// Box kinds, one class and one pool each.
enum : std::uint8_t { bkPlain = 0, bkCell = 1, bkTable = 2, bkPage = 3 };
constexpr int BoxKindCount = 4;

// Stories of boxes (the document's stories) and the structural box.
constexpr std::uint8_t NoStory = 255;
constexpr std::int32_t UnlimitedHeight = 2147483647;

// A set of stories, bit n for story n; empty means every story.
using TStorySet = std::uint8_t;

// A rectangle of a laid-out page: a section band, a column, a frame, a text
// box that holds lines, a table or a cell. The list items are the child
// boxes in order. A page owns its tree through the child lists; a box never
// owns its lines (they belong to their paragraph), but a line knows the box
// that holds it, and a box clears that reference when it lets go.
//
// Boxes are pooled per kind, because every re-pagination makes and drops
// thousands of them.
class TBox : public TList {
public:
    explicit TBox(TBox* parent);
    ~TBox() override;

    // --- Factory and lifetime ---

    // A box of the kind, from the kind's pool when it holds one. For kinds
    // 0-2 owner is the parent box; for a page it is the document.
    static TBox* Acquire(void* owner, std::uint8_t kind);
    // Returns the box and its subtree to the pools.
    static void Release(TBox* box);
    void ReleaseChildren();
    // Frees every pooled box (the memory trim).
    static void TrimPools();
    static std::int32_t PooledCount(std::uint8_t kind);

    TBox* Child(std::int32_t i) const { return At<TBox>(i); }
    // Appends a child made by Acquire(this, kind).
    TBox* AddChild(std::uint8_t kind, std::uint32_t flags);

    // --- Navigation (each walks up from the box itself; nil when none) ---

    TBox* ColumnOf();
    TBox* ColumnOrFrameOf();
    TBox* CellOf();
    TBox* TableOf();
    // The column's child frame of the story, made when there is none.
    TBox* NoteFrameOf(std::uint8_t noteStory);
    bool HasAncestor(const TBox* other) const;
    bool InFooter() const;
    TPage* Page();

    // --- Contents ---

    bool IsEmpty() const;
    bool IsAtPageStart();
    bool LinesInRange(TStorySet stories, std::int32_t firstPar, std::int32_t lastPar) const;
    TLine* FirstLine(TStorySet stories) const;
    TLine* LastLine(TStorySet stories) const;
    std::int32_t TextWidth(std::int32_t par) const;
    std::int32_t LineCount() const { return Lines != nullptr ? Lines->Count : 0; }
    void AddLine(TLine* line);
    // Lets go of the lines from index on, clearing their box references.
    void CutLines(std::int32_t from);

    // --- Geometry ---

    std::int32_t Width() const { return Bounds.Right - Bounds.Left; }
    std::int32_t Height() const { return Bounds.Bottom - Bounds.Top; }
    // The height left for content below the content bottom.
    std::int32_t InnerHeight() const { return Height() - Insets.Top - Insets.Bottom; }
    static bool RequestHeight(TBox* parent, TBox* child, std::int32_t amount, bool force, std::int32_t& granted);
    // Asks the box's parent for more height for the box itself.
    bool Grow(std::int32_t amount, bool force);
    void StackTop();
    void StackMiddle();
    void StackBottom();
    void RestackFrames();
    Platform::TPoint OffsetInAncestor(Platform::TPoint point, const TBox* ancestor) const;
    Platform::TPoint ToPageCoords(Platform::TPoint point) const;
    void MoveBy(std::int32_t dx, std::int32_t dy);

    // --- Queries ---

    // The box nearest to a pixel point relative to the page's pixel origin.
    static TBox* FindBoxAt(TPage* page, std::int32_t x, std::int32_t y, TStorySet stories, bool anyBox);
    // A new list (TList::Acquire) of the subtree's lines in reading order.
    TList* CollectLines(TStorySet stories) const;
    std::int32_t CountLines(TStorySet stories) const;
    std::int32_t FirstLineIndexOfPar(std::int32_t par) const;

    // --- Flowing text, in the pagination room (layout/pagination/TBoxFlow.cpp) ---

    // Places the range's paragraphs into the box (a frame or a cell) and
    // advances the range's start past what was placed; answers flow flags.
    std::uint32_t Flow(TFragment& range);
    // Places lines of one paragraph into a text box.
    std::uint32_t PlacePars(TFragment& range);

    // --- Painting, in the painting room (layout/painting/TBoxPaint*.cpp) ---

    // Paints the box with its top-left pixel corner at (x, y): everything
    // when fragment is nil, else only the lines near its ranges.
    void Paint(Platform::HDC dc, std::int32_t x, std::int32_t y, const TCompoundFragment* fragment);
    // The pixel rectangles of the box and its subtree from their twips.
    void UpdatePixelRects();

    TDoc* Document = nullptr;
    std::uint32_t Flags = 0;
    std::uint8_t Kind = bkPlain;
    std::uint8_t Story = NoStory;
    std::uint8_t HitDepth = 0;
    std::uint8_t ColumnIndex = 255;
    TBox* Parent = nullptr;
    TBox* Root = nullptr;
    TList* Lines = nullptr;  // TLine, not owned; text boxes only, made on first use
    Platform::TRect Bounds{};
    Platform::TRect PixelBounds{};
    std::int32_t MaxHeight = UnlimitedHeight;
    Platform::TRect Insets{};
    Platform::TRect PixelInsets{};
    std::uint16_t ColumnContentHeight = 0;
    std::uint16_t ColumnExtra = 0;
    std::int32_t ContentBottom = 0;
    std::int32_t HitDistanceX = 0;
    std::int32_t HitDistanceY = 0;
    // Scratch of TPage::RestoreState: the restore that last recorded the box.
    std::uint32_t RestoreStamp = 0;

protected:
    // Back to the state of a box fresh from the pool.
    virtual void Reset(void* owner);
    // Empties what the box holds before it goes to its pool.
    virtual void Clean();
};

// A box that is a story's frame or any box inside one answers its story.
inline bool StoryInSet(TStorySet stories, std::uint8_t story) {
    return stories == 0 || story == NoStory || (story < 8 && (stories & (1u << story)) != 0);
}
