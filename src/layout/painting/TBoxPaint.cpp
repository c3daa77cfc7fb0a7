// The box painter: a page's box tree onto the off-screen bitmap (the
// document view) or straight onto a device (printing and previews).
#include <algorithm>
#include <vector>

#include "base/graphics/Lightening.h"
#include "base/graphics/TServiceBitmap.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "layout/painting/BoxPainting.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"
#include "platform/Regions.h"

TLinePaintObserver LinePaintObserver = nullptr;

namespace {

// Set while a header or footer is edited and the document text is hidden
// ("Show/Hide document text"): only pages and header/footer text paint.
constexpr std::uint8_t sfDocumentTextHidden = 125;

// Visual rows repainted on either side of a changed line.
constexpr std::int32_t NeighbourRows = 4;

bool PosBefore(const TTextPos& a, const TTextPos& b) {
    return a.Par < b.Par || (a.Par == b.Par && a.Offset < b.Offset);
}

// Whether the text from start to end meets one of the set's ranges. An
// empty range (a caret) meets the text on both sides of it, so a caret at
// a line's end belongs to that line too.
bool MeetsSet(const TCompoundFragment& set, const TTextPos& start, const TTextPos& end) {
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const TFragment& f = set.Fragment(i);
        const bool empty = !PosBefore(f.Start, f.End);
        if (empty ? !PosBefore(f.Start, start) && !PosBefore(end, f.Start)
                  : PosBefore(f.Start, end) && PosBefore(start, f.End))
            return true;
    }
    return false;
}

bool LineMeets(const TLine& line, const TCompoundFragment& set) {
    const TTextPos start{line.Par->Index, line.FirstChar, 0, 0};
    const TTextPos end{line.Par->Index, line.FirstChar + line.CharCount, 0, 0};
    return MeetsSet(set, start, end);
}

void PaintLine(TLine& line, Platform::HDC dc, std::int32_t x, std::int32_t y) {
    if (LinePaintObserver != nullptr)
        LinePaintObserver(line, dc, x, y);
    line.Paint(dc, x, y);
}

// The device's clip and the off-screen bitmap's clip bounds narrowed to a
// rectangle for as long as the scope lives.
class TClipScope {
public:
    TClipScope(Platform::HDC dc, const Platform::TRect& r, bool direct) : Dc(dc) {
        if (Dc != nullptr) {
            Saved = Platform::CreateRectRgn(0, 0, 0, 0);
            HadClip = Platform::GetClipRgn(Dc, Saved) == 1;
            Platform::IntersectClipRect(Dc, r);
        }
        if (!direct && ServiceBitmap != nullptr) {
            Bitmap = ServiceBitmap;
            SavedBounds = Bitmap->Bounds;
            TRect& b = Bitmap->Bounds;
            b.Left = std::max(b.Left, r.Left);
            b.Top = std::max(b.Top, r.Top);
            b.Right = std::max(b.Left, std::min(b.Right, r.Right));
            b.Bottom = std::max(b.Top, std::min(b.Bottom, r.Bottom));
        }
    }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;
    ~TClipScope() {
        if (Dc != nullptr) {
            Platform::SelectClipRgn(Dc, HadClip ? Saved : nullptr);
            Platform::DeleteRegion(Saved);
        }
        if (Bitmap != nullptr)
            Bitmap->Bounds = SavedBounds;
    }

private:
    Platform::HDC Dc;
    Platform::HRGN Saved = nullptr;
    bool HadClip = false;
    TServiceBitmap* Bitmap = nullptr;
    TRect SavedBounds;
};

void FillTarget(const TDoc& doc, Platform::HDC dc, const Platform::TRect& r, std::int32_t color) {
    if (PaintsDirectly(doc)) {
        if (dc == nullptr)
            return;
        Platform::HBRUSH brush = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(color));
        Platform::FillRect(dc, r, brush);
        Platform::DeleteBrush(brush);
    } else if (ServiceBitmap != nullptr) {
        ServiceBitmap->FillRect(r, color);
    }
}

Platform::TRect WholeBitmap() {
    if (ServiceBitmap == nullptr)
        return {};
    return {0, 0, ServiceBitmap->Width, ServiceBitmap->Height};
}

void AddChanged(TDoc& doc, Platform::TRect r) {
    if (doc.ChangedRgn == nullptr)
        return;
    const Platform::TRect b = WholeBitmap();
    r.Left = std::max(r.Left, b.Left);
    r.Top = std::max(r.Top, b.Top);
    r.Right = std::min(r.Right, b.Right);
    r.Bottom = std::min(r.Bottom, b.Bottom);
    if (r.IsEmpty())
        return;
    Platform::HRGN add = Platform::CreateRectRgnIndirect(r);
    Platform::CombineRgn(doc.ChangedRgn, doc.ChangedRgn, add, Platform::RGN_OR);
    Platform::DeleteRegion(add);
}

// How far below a text box's content top the room that belongs to it
// reaches: down to the next box below it, or, where it and the boxes around
// it are the last ones, to the content bottom of its column (frames shrink
// to their text, columns do not).
std::int32_t EmptyRoomBelow(const TBox& box) {
    std::int32_t offset = box.PixelInsets.Top;  // from box's top to its content top
    std::int32_t bottom = box.PixelBounds.Height() - box.PixelInsets.Bottom;
    const TBox* b = &box;
    while (const TBox* parent = b->Parent) {
        offset += b->PixelBounds.Top;
        bottom += b->PixelBounds.Top;
        const std::int32_t at = parent->IndexOf(b);
        if (at >= 0 && at + 1 < parent->Count) {
            bottom = std::max(bottom, parent->Child(at + 1)->PixelBounds.Top);
            break;
        }
        bottom = std::max(bottom, parent->PixelBounds.Height() - parent->PixelInsets.Bottom);
        if ((parent->Flags & (bxColumn | bxCell)) != 0 || parent->Kind == bkPage)
            break;
        b = parent;
    }
    return bottom - offset;
}

// The lines of a text box, all of them or those near the fragment's ranges.
void PaintTextBox(TBox& box, Platform::HDC dc, std::int32_t x, std::int32_t y, const TCompoundFragment* fragment) {
    TDoc& doc = *box.Document;
    const std::int32_t n = box.LineCount();
    const std::int32_t top = y + box.PixelInsets.Top;
    if (fragment == nullptr) {
        for (std::int32_t i = 0; i < n; ++i)
            if (TLine* line = box.Lines->At<TLine>(i))
                PaintLine(*line, dc, x, top + doc.TwipsToPixelsY(line->Top));
        for (std::int32_t i = 0; i < box.Count; ++i) {
            TBox* child = box.Child(i);
            child->Paint(dc, x + child->PixelBounds.Left, y + child->PixelBounds.Top, nullptr);
        }
        return;
    }
    // Visual rows: the pieces of a wrap row share their top.
    std::vector<std::int32_t> rowOf(n, 0);
    std::int32_t rows = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const TLine* line = box.Lines->At<TLine>(i);
        const TLine* before = i > 0 ? box.Lines->At<TLine>(i - 1) : nullptr;
        if (i > 0 && (line == nullptr || before == nullptr || line->Top != before->Top))
            ++rows;
        rowOf[i] = rows;
    }
    std::vector<bool> picked(n, false);
    const bool every = box.Count > 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const TLine* line = box.Lines->At<TLine>(i);
        if (line == nullptr || (!every && !LineMeets(*line, *fragment)))
            continue;
        for (std::int32_t j = 0; j < n; ++j)
            if (rowOf[j] >= rowOf[i] - NeighbourRows && rowOf[j] <= rowOf[i] + NeighbourRows)
                picked[j] = true;
    }
    const std::int32_t inner = box.PixelBounds.Height() - box.PixelInsets.Top - box.PixelInsets.Bottom;
    auto bottomOf = [&](const TLine& line) { return doc.TwipsToPixelsY(line.Top + line.Height); };
    for (std::int32_t i = 0; i < n; ++i) {
        TLine* line = box.Lines->At<TLine>(i);
        if (!picked[i] || line == nullptr)
            continue;
        // The area reaches up to the previous line and down to the next row
        // only where those are repainted too; otherwise copying it would
        // put unpainted pixels over a neighbour on the screen.
        const TLine* before = i > 0 && picked[i - 1] ? box.Lines->At<TLine>(i - 1) : nullptr;
        const std::int32_t areaTop = doc.TwipsToPixelsY((before != nullptr ? before : line)->Top);
        std::int32_t areaBottom = std::min(bottomOf(*line) + 3, inner);
        std::int32_t next = i + 1;
        while (next < n && rowOf[next] == rowOf[i])
            ++next;
        if (next < n && picked[next]) {
            std::int32_t last = next;
            while (last + 1 < n && rowOf[last + 1] == rowOf[next])
                ++last;
            for (std::int32_t k = next; k <= last; ++k)
                if (const TLine* row = box.Lines->At<TLine>(k))
                    areaBottom = std::max(areaBottom, bottomOf(*row));
        } else if (next < n) {
            if (const TLine* row = box.Lines->At<TLine>(next))
                areaBottom = std::min(areaBottom, doc.TwipsToPixelsY(row->Top));
        }
        areaBottom = std::max(areaBottom, bottomOf(*line));
        // Below the box's last line lies only empty room, down to the next
        // box of its parent or the parent's content bottom, where a line
        // that was deleted may still show on the screen: it goes with it.
        if (next >= n)
            areaBottom = std::max(areaBottom, EmptyRoomBelow(box));
        AddChanged(doc, {x, top + areaTop, x + box.PixelBounds.Width(), top + areaBottom});
    }
    for (std::int32_t i = 0; i < n; ++i)
        if (TLine* line = box.Lines->At<TLine>(i); picked[i] && line != nullptr)
            PaintLine(*line, dc, x, top + doc.TwipsToPixelsY(line->Top));
    if (box.Count > 0) {
        // Drop-cap boxes beside the text: their letters belong to the whole
        // paragraph, so they repaint whole.
        TCompoundFragment* whole = NewCompoundFragment();
        whole->SetSingle(0, 0, doc.ParCount() - 1, doc.ParLength(doc.ParCount() - 1));
        for (std::int32_t i = 0; i < box.Count; ++i) {
            TBox* child = box.Child(i);
            child->Paint(dc, x + child->PixelBounds.Left, y + child->PixelBounds.Top, whole);
        }
        ReleaseCompoundFragment(whole);
    }
}

// The range sets of the four highlight kinds: the selection, then the kinds
// shown through the view's seam.
const TCompoundFragment* HighlightSet(TDoc& doc, int kind) {
    if (kind == 0)
        return doc.Selection;
    return HighlightRangeSource != nullptr ? HighlightRangeSource(doc, kind) : nullptr;
}

// The region slot of a highlight kind.
Platform::HRGN& HighlightSlot(TDoc& doc, int kind) {
    switch (kind) {
        case 0:
            return doc.SelectionRgn;
        case 1:
            return doc.MarkedRgn;
        case 2:
            return doc.MatchRgn;
        default:
            return doc.FindResultsRgn;
    }
}

bool CellInLayer(const TCellBox& cell, const TCompoundFragment* set) {
    if (IsEmptyCompoundFragment(set))
        return false;
    // The end of the cell's range lies in one of the set's ranges, ends
    // included.
    const TTextPos& end = cell.CellRange.End;
    for (std::int32_t i = 0; i < set->Count(); ++i) {
        const TFragment& f = set->Fragment(i);
        if (!PosBefore(end, f.Start) && !PosBefore(f.End, end))
            return true;
    }
    return false;
}

void PaintCell(TCellBox& cell, Platform::HDC dc, const Platform::TRect& r, TPage* page) {
    TDoc& doc = *cell.Document;
    if (!PaintsDirectly(doc)) {
        // A header or footer cell highlights only in the header or footer
        // being edited on this page.
        bool eligible = cell.Story != stHeadersFooters;
        if (!eligible && doc.EditedHeaderFooter != nullptr && page != nullptr && page->PageIndex == doc.EditedPage) {
            TFragment range;
            eligible = doc.FieldRange(doc.EditedHeaderFooter, range) && !PosBefore(cell.CellRange.Start, range.Start) &&
                       !PosBefore(range.End, cell.CellRange.End);
        }
        for (int kind = 0; eligible && kind < 4; ++kind) {
            Platform::HRGN& slot = HighlightSlot(doc, kind);
            if (slot == nullptr || !CellInLayer(cell, HighlightSet(doc, kind)))
                continue;
            // The kind's region stands in the selection's slot while it is
            // added to, as the line painter does it.
            std::swap(doc.SelectionRgn, slot);
            if (kind != 0)
                doc.PaintingHighlightKind ^= 1;
            AddHighlightRect(doc, r);
            if (kind != 0)
                doc.PaintingHighlightKind ^= 1;
            std::swap(doc.SelectionRgn, slot);
        }
    }
    const TTableCell* record = CellRecordOf(cell);
    if (record == nullptr || record->Background == AutomaticTableColor)
        return;
    std::int32_t color = record->Background;
    if (cell.CellRange.Start.Par >= 0 && cell.CellRange.Start.Par < doc.ParCount() &&
        doc.IsParDimmed(cell.CellRange.Start.Par))
        color = LightenColor(color);
    FillTarget(doc, dc, r, color);
}

// The first box of a continued table: on the page of its first paragraph.
TTableBox* FirstBoxOfTable(const TDoc& doc, const TTableBox& table) {
    if (table.FirstPar < 0 || table.FirstPar >= doc.ParCount())
        return nullptr;
    const TPar* par = doc.Par(table.FirstPar);
    if (par->LineCount() == 0)
        return nullptr;
    const TLine* line = par->Lines->At<TLine>(0);
    if (line == nullptr || line->Box == nullptr)
        return nullptr;
    TBox* first = line->Box->TableOf();
    return first != nullptr && first != &table ? static_cast<TTableBox*>(first) : nullptr;
}

void PaintChildren(TBox& box, Platform::HDC dc, std::int32_t x, std::int32_t y, const TCompoundFragment* fragment) {
    for (std::int32_t i = 0; i < box.Count; ++i) {
        TBox* child = box.Child(i);
        child->Paint(dc, x + child->PixelBounds.Left, y + child->PixelBounds.Top, fragment);
    }
}

// A continued table with repeated heading rows shows the cells of its
// heading rows, borrowed from the table's first box, at its top.
void PaintTable(TTableBox& table, Platform::HDC dc, std::int32_t x, std::int32_t y, const TCompoundFragment* fragment) {
    TTableBox* first = table.HeadingHeight > 0 ? FirstBoxOfTable(*table.Document, table) : nullptr;
    std::vector<TBox*> borrowed;
    if (first != nullptr) {
        for (std::int32_t i = 0; i < first->Count; ++i) {
            TBox* cell = first->Child(i);
            if (cell->Kind == bkCell && static_cast<TCellBox*>(cell)->RowRange.End.Par <= table.LastHeadingPar)
                borrowed.push_back(cell);
        }
    }
    const std::int32_t dxTwips = table.Insets.Left - (first != nullptr ? first->Insets.Left : 0);
    const std::int32_t dxPixels = table.PixelInsets.Left - (first != nullptr ? first->PixelInsets.Left : 0);
    for (std::size_t k = 0; k < borrowed.size(); ++k) {
        table.Insert(static_cast<std::int32_t>(k), borrowed[k]);
        borrowed[k]->Bounds.Left += dxTwips;
        borrowed[k]->Bounds.Right += dxTwips;
        borrowed[k]->PixelBounds.Left += dxPixels;
        borrowed[k]->PixelBounds.Right += dxPixels;
    }
    PaintChildren(table, dc, x, y, fragment);
    for (std::size_t k = 0; k < borrowed.size(); ++k) {
        table.Delete(0);
        borrowed[k]->Bounds.Left -= dxTwips;
        borrowed[k]->Bounds.Right -= dxTwips;
        borrowed[k]->PixelBounds.Left -= dxPixels;
        borrowed[k]->PixelBounds.Right -= dxPixels;
    }
}

// Lays a header or footer out in its frame for this page, when the frame
// does not hold live lines of the header or footer being edited. Answers
// whether the frame must be let go after painting.
bool LayOutFrameForPage(TPage& page, TBox& frame, TDoc& doc) {
    TField* field = &frame == page.HeaderBox ? page.HeaderField : page.FooterField;
    if (field == nullptr)
        return false;
    if (field == doc.EditedHeaderFooter) {
        // The edited page's frame holds the live lines; the same text on
        // another page would take those lines away from it, so it is shown
        // only where it is edited.
        return false;
    }
    TFragment range;
    if (!doc.FieldRange(field, range))
        return false;
    if (HeaderFooterFieldUpdater != nullptr)
        HeaderFooterFieldUpdater(doc, page);
    frame.ReleaseChildren();
    frame.ContentBottom = 0;
    frame.Flow(range);
    frame.UpdatePixelRects();
    return true;
}

void PaintPage(TPage& page, Platform::HDC dc, std::int32_t x, std::int32_t y, const TCompoundFragment* fragment) {
    TDoc& doc = *page.Document;
    const bool direct = PaintsDirectly(doc);
    if (BoxDecorationPainter != nullptr && !direct)
        BoxDecorationPainter(page, dc, x, y, 0);
    auto layer = [&](int which) {
        if (ShapeLayerPainter != nullptr)
            ShapeLayerPainter(page, dc, x, y, which);
    };
    layer(0);
    for (TBox* frame : {static_cast<TBox*>(page.HeaderBox), static_cast<TBox*>(page.FooterBox)}) {
        if (frame == nullptr || page.IndexOf(frame) < 0)
            continue;
        const Platform::TRect bounds = frame->Bounds;
        const bool relaid = fragment == nullptr && frame->Count == 0 && LayOutFrameForPage(page, *frame, doc);
        frame->Paint(dc, x + frame->PixelBounds.Left, y + frame->PixelBounds.Top, fragment);
        if (relaid) {
            frame->ReleaseChildren();
            frame->Bounds = bounds;
            frame->UpdatePixelRects();
        }
    }
    layer(1);
    layer(2);
    for (std::int32_t i = 0; i < page.Count; ++i) {
        TBox* child = page.Child(i);
        if (child == page.HeaderBox || child == page.FooterBox)
            continue;
        child->Paint(dc, x + child->PixelBounds.Left, y + child->PixelBounds.Top, fragment);
    }
    layer(3);
    if (BoxDecorationPainter != nullptr)
        BoxDecorationPainter(page, dc, x, y, 2);
}

}  // namespace

void TBox::Paint(Platform::HDC dc, std::int32_t x, std::int32_t y, const TCompoundFragment* fragment) {
    TDoc& doc = *Document;
    const Platform::TRect r{x, y, x + PixelBounds.Width(), y + PixelBounds.Height()};
    if (Kind == bkCell && (Flags & bxMergeContinue) != 0)
        return;
    const bool direct = PaintsDirectly(doc);
    if (!direct) {
        if (doc.ViewClipRgn != nullptr && !Platform::RectInRegion(doc.ViewClipRgn, r))
            return;
        if (doc.EditedHeaderFooter != nullptr && doc.StateFlags[sfDocumentTextHidden] != 0 && Kind != bkPage &&
            Story != stHeadersFooters)
            return;
    }
    TClipScope clip(dc, r, direct);
    if (Kind == bkPage) {
        PaintPage(static_cast<TPage&>(*this), dc, x, y, fragment);
        return;
    }
    if ((Flags & bxText) != 0) {
        PaintTextBox(*this, dc, x, y, fragment);
    } else {
        if (Kind == bkCell)
            PaintCell(static_cast<TCellBox&>(*this), dc, r, Page());
        if (Kind == bkTable)
            PaintTable(static_cast<TTableBox&>(*this), dc, x, y, fragment);
        else
            PaintChildren(*this, dc, x, y, fragment);
    }
    if (BoxDecorationPainter != nullptr)
        BoxDecorationPainter(*this, dc, x, y, 1);
}
