// Floating shapes in the flow: their page rectangles, the exclusions text
// wraps around, and the bookkeeping of the page's re-flow loop.

#include "layout/pagination/FloatingShapes.h"

#include <algorithm>
#include <vector>

#include "base/core/TList.h"
#include "layout/boxes/PageMargins.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/WrapArea.h"
#include "layout/pagination/Pagination.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TPar.h"

namespace {

// A shape without stated offsets or size takes its picture's size at the
// anchor; one without either is an inch square, as the placeholder is.
TRect OffsetsOf(const TShape& shape) {
    const TRect& pos = shape.Props.PosRect;
    if (pos.Left != ShapePropNone && pos.Top != ShapePropNone && pos.Right != ShapePropNone &&
        pos.Bottom != ShapePropNone)
        return pos;
    std::int32_t w = shape.Picture.GoalWidth * std::max(1, shape.Picture.ScaleX) / 100;
    std::int32_t h = shape.Picture.GoalHeight * std::max(1, shape.Picture.ScaleY) / 100;
    if (w <= 0 || h <= 0)
        w = h = 1440;
    return {0, 0, w, h};
}

TShapeFrame FrameFor(TBox& text, TPage& page, const TPar& par, const TLine& line) {
    TDoc& doc = *text.Document;
    TShapeFrame f;
    f.PageWidth = page.Width();
    f.PageHeight = page.Height();
    const TSection* section = page.Section != nullptr ? page.Section : doc.SectionOfPar(par.Index);
    if (section != nullptr) {
        PageSideMargins(section->PageSetup, page.PageIndex, f.MarginLeft, f.MarginRight);
        f.TopMargin = section->PageSetup.TopMargin;
        f.BottomMargin = section->PageSetup.BottomMargin;
    }
    f.BodyTop = page.BodyTop();
    f.BodyBottom = page.BodyBottomGap();
    f.PageNumber = page.PageIndex + 1;
    f.Draft = doc.ViewMode != vmPrintLayout;
    f.InTable = par.Format.InTable == 1;
    f.TextWidth = std::max(0, text.Width() - text.Insets.Left - text.Insets.Right);
    f.ParLeftIndent = par.Format.LeftIndent;
    f.ParRightIndent = par.Format.RightIndent;
    const Platform::TPoint origin = text.ToPageCoords({0, 0});
    f.BoxLeft = origin.X;
    f.BoxTop = origin.Y;
    f.InsetLeft = text.Insets.Left;
    f.InsetTop = text.Insets.Top;
    const TBox* column = text.ColumnOf();
    f.ColumnTop = column != nullptr ? column->ToPageCoords({0, 0}).Y : origin.Y;
    f.AnchorLineTop = line.Top;
    return f;
}

// The line of par that holds character offset, or nil.
const TLine* LineHolding(const TPar& par, std::int32_t offset) {
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        const TLine* line = par.Lines->At<TLine>(i);
        if (offset >= line->FirstChar && offset < line->FirstChar + line->CharCount)
            return line;
    }
    return nullptr;
}

// Whether a shape makes text wrap around it: not behind the text, and a
// wrap kind other than none.
bool Wraps(const TShape& shape, bool draft) {
    return !shape.IsBehindText() && shape.ShownWrapKind(draft) != swNone;
}

// Whether text of story wraps around shapes of shapeStory. Body text avoids
// the shapes of the page's header and footer too; header and footer text
// only their own, since it is laid out again when the page is painted,
// after the body's shapes are known. Notes hold no floating shapes.
bool WrapsAround(std::uint8_t story, std::uint8_t shapeStory) {
    if (story == stMain)
        return shapeStory == stMain || shapeStory == stHeadersFooters;
    return story == stHeadersFooters && shapeStory == stHeadersFooters;
}

// The text boxes of box and of its descendants, in order.
void CollectTextBoxes(TBox& box, std::vector<TBox*>& out) {
    if ((box.Flags & bxText) != 0)
        out.push_back(&box);
    for (std::int32_t i = 0; i < box.Count; ++i)
        CollectTextBoxes(*box.Child(i), out);
}

// Whether the lines par has from offset on, placed from text's content
// bottom, stay above every exclusion of area. Only plain lines made for the
// box's width count: lines broken beside shapes, for another width or not
// yet made say nothing of where the paragraph ends.
bool LinesClearExclusions(const TBox& text, const TPar& par, std::int32_t from, const TWrapArea& area) {
    if ((par.Flags & pfLaidOut) == 0 || par.LineCount() == 0)
        return false;
    // The width the flow breaks the paragraph for (a negative right indent
    // counts as none in the draft views).
    std::int32_t right = par.Format.RightIndent;
    if (right < 0 && text.Document->ViewMode != vmPrintLayout)
        right = 0;
    const std::int32_t width = std::max(1, text.TextWidth(par.Index) - right);
    std::int32_t top = INT32_MAX;
    for (const TWrapRect& w : area.Exclusions)
        top = std::min(top, w.Top);
    // The space before is resolved again when the paragraph is placed; it
    // is never more than the paragraph asks for.
    std::int32_t y = text.ContentBottom;
    if (from == 0)
        y += par.Format.SpaceBefore == AutoSpacingValue ? AutoSpacing
                                                        : std::max<std::int32_t>(par.Format.SpaceBefore, 0);
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        const TLine& line = *par.Lines->At<TLine>(i);
        if ((line.Flags & (lfWrapPiece | lfTopFixed)) != 0 || line.WidthLimit != width)
            return false;
        if (line.FirstChar + line.CharCount <= from)
            continue;
        y += line.Height;
        if (y > top)
            return false;
    }
    return true;
}

bool AnchorOnPage(const TShape& shape, TPage& page) {
    if (shape.AnchorPar == nullptr || shape.AnchorPar->Lines == nullptr)
        return false;
    const TLine* line = LineHolding(*shape.AnchorPar, shape.AnchorOffset);
    return line != nullptr && line->Box != nullptr && line->Box->Page() == &page;
}

}  // namespace

bool CollectShapeExclusions(TBox& text, TWrapArea& area, const TPar* par, std::int32_t from) {
    TPage* page = text.Page();
    if (page == nullptr || page->PlacedShapes.Count == 0)
        return false;
    const bool draft = text.Document->ViewMode != vmPrintLayout;
    const Platform::TPoint origin = text.ToPageCoords({0, 0});
    const std::int32_t innerLeft = origin.X + text.Insets.Left;
    const std::int32_t innerTop = origin.Y + text.Insets.Top;
    const std::int32_t width = text.Width() - text.Insets.Left - text.Insets.Right;
    const TRect box{innerLeft, innerTop, innerLeft + width, innerTop + UnlimitedHeight / 2};
    area.Exclusions.clear();
    auto add = [&](TRect r) {
        const TWrapRect w{r.Left - innerLeft, r.Top - innerTop, r.Right - innerLeft, r.Bottom - innerTop};
        // Only what lies beside text still to come counts.
        if (w.Bottom <= text.ContentBottom || w.Right <= 0 || w.Left >= width || w.Left >= w.Right)
            return;
        area.Exclusions.push_back(w);
    };
    for (std::int32_t i = 0; i < page->PlacedShapes.Count; ++i) {
        TShape* shape = page->PlacedShapes.At<TShape>(i);
        if (!WrapsAround(text.Story, shape->Story) || shape->IsBehindText())
            continue;
        const TRect placed = PlacedRect(*page, *shape);
        const std::int32_t kind = shape->ShownWrapKind(draft);
        if (kind == swInline || kind == swNone)
            continue;
        if ((kind == swTight || kind == swThrough) && shape->Props.HasWrapPolygon()) {
            // The polygon's cells, each grown by the side distances; tight
            // cells are filled across their band, through cells are not.
            for (const TRect& cell : shape->WrapRegion(draft)) {
                TRect r{placed.Left + cell.Left * WrapRegionCell, placed.Top + cell.Top * WrapRegionCell,
                        placed.Left + cell.Right * WrapRegionCell, placed.Top + cell.Bottom * WrapRegionCell};
                shape->WrapExclusion(r, box, draft);
                add(r);
            }
            continue;
        }
        TRect r = placed;
        shape->WrapExclusion(r, box, draft);
        add(r);
    }
    area.Y = text.ContentBottom;
    if (par != nullptr && !area.Exclusions.empty() && LinesClearExclusions(text, *par, from, area))
        area.Exclusions.clear();
    return !area.Exclusions.empty();
}

void PlaceAnchoredShapes(TBox& text, TPar& par, std::int32_t firstLine, std::int32_t lastLine) {
    TPage* page = text.Page();
    // Header and footer shapes are placed once their frame is stacked
    // (PlaceHeaderFooterShapes); the frame's text flowed again when the page
    // is painted leaves them where they are.
    if (page == nullptr || (par.Flags & pfShapes) == 0 || par.Lines == nullptr || text.Story == stHeadersFooters)
        return;
    TDoc& doc = *text.Document;
    lastLine = std::min(lastLine, par.LineCount() - 1);
    // Lines placed above the content bottom did not avoid a shape found now.
    const std::int32_t placedBottom = text.ToPageCoords({0, 0}).Y + text.Insets.Top + text.ContentBottom;
    for (std::int32_t i = std::max(firstLine, 0); i <= lastLine; ++i) {
        const TLine& line = *par.Lines->At<TLine>(i);
        if (line.Box != &text)
            continue;
        const std::int32_t end = std::min(line.FirstChar + line.CharCount, par.CharCount());
        for (std::int32_t offset = line.FirstChar; offset < end; ++offset) {
            if (par.Chars.Data[offset] != chShapeAnchor)
                continue;
            TShape* shape = doc.ShapeAt({par.Index, offset});
            if (shape == nullptr || !shape->IsFloating() || shape->IsHorizontalLine())
                continue;
            const bool known = page->PlacedShapes.IndexOf(shape) >= 0;
            const TRect before = shape->Rect;
            shape->Rect = shape->PlaceRect(OffsetsOf(*shape), FrameFor(text, *page, par, line), line.Top);
            // The wrap region is in cells of the shape's size.
            if (shape->Rect.Width() != before.Width() || shape->Rect.Height() != before.Height()) {
                shape->ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
                shape->WrapCells.clear();
            }
            const bool wraps = Wraps(*shape, doc.ViewMode != vmPrintLayout);
            if (known) {
                // A known shape whose anchor line moved has moved with it:
                // the text placed around its old place is wrong.
                const TRect& now = shape->Rect;
                if (wraps && (now.Left != before.Left || now.Top != before.Top || now.Right != before.Right ||
                              now.Bottom != before.Bottom))
                    page->ShapeReflow = true;
                continue;
            }
            page->PlacedShapes.Add(shape);
            if (wraps && shape->Rect.Top < placedBottom)
                page->ShapeReflow = true;
        }
    }
}

bool SettlePlacedShapes(TPage& page) {
    bool again = page.ShapeReflow;
    for (std::int32_t i = page.PlacedShapes.Count - 1; i >= 0; --i) {
        // Header and footer shapes belong to the page with its header and
        // footer, whose lines are let go once laid out.
        const TShape& shape = *page.PlacedShapes.At<TShape>(i);
        if (shape.Story == stHeadersFooters || AnchorOnPage(shape, page))
            continue;
        page.PlacedShapes.Delete(i);
        again = true;
    }
    page.ShapeReflow = false;
    return again;
}

bool PlaceHeaderFooterShapes(TPage& page, TBox& frame) {
    TDoc& doc = *frame.Document;
    const bool draft = doc.ViewMode != vmPrintLayout;
    std::vector<TBox*> boxes;
    CollectTextBoxes(frame, boxes);
    bool wraps = false;
    for (TBox* text : boxes) {
        for (std::int32_t i = 0; i < text->LineCount(); ++i) {
            const TLine& line = *text->Lines->At<TLine>(i);
            TPar& par = *line.Par;
            if ((par.Flags & pfShapes) == 0)
                continue;
            const std::int32_t end = std::min(line.FirstChar + line.CharCount, par.CharCount());
            for (std::int32_t offset = line.FirstChar; offset < end; ++offset) {
                if (par.Chars.Data[offset] != chShapeAnchor)
                    continue;
                TShape* shape = doc.ShapeAt({par.Index, offset});
                if (shape == nullptr || !shape->IsFloating() || shape->IsHorizontalLine() ||
                    page.PlacedShapes.IndexOf(shape) >= 0)
                    continue;
                const TRect before = shape->Rect;
                shape->Rect = shape->PlaceRect(OffsetsOf(*shape), FrameFor(*text, page, par, line), line.Top);
                if (shape->Rect.Width() != before.Width() || shape->Rect.Height() != before.Height()) {
                    shape->ShapeFlags &= static_cast<std::uint8_t>(~sfWrapRegionComputed);
                    shape->WrapCells.clear();
                }
                page.PlacedShapes.Add(shape);
                page.HeaderFooterShapes.push_back({shape, shape->Rect});
                wraps = wraps || Wraps(*shape, draft);
            }
        }
    }
    return wraps;
}

Platform::TRect PlacedRect(const TPage& page, const TShape& shape) {
    if (shape.Story == stHeadersFooters)
        for (const TPage::THeaderFooterShape& placed : page.HeaderFooterShapes)
            if (placed.Shape == &shape)
                return placed.Rect;
    return shape.Rect;
}
