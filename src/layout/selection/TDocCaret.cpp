#include <algorithm>

#include "base/core/Geometry.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/selection/CaretDevice.h"
#include "layout/selection/CaretGeometry.h"
#include "layout/selection/ScrollPlacement.h"
#include "layout/words/WordServices.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TLine.h"
#include "model/host/TDocClient.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TSharedFont.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsBreakCode(std::uint8_t c) {
    return c >= chParEnd && c <= chPageBreak;
}

std::int32_t ParLengthOf(const TDoc& doc, std::int32_t par) {
    return doc.Par(par)->CharCount();
}

bool FirstLinePlaced(const TPar& par) {
    return par.IsLaidOut() && par.LineCount() > 0 && par.Lines->At<TLine>(0)->Box != nullptr;
}

bool HasFocus(const TDoc& doc) {
    const TCaretDevice& device = CaretDevice();
    return device.HasFocus != nullptr && device.HasFocus(doc);
}

}  // namespace

TLine* LocatedLine(const TDoc& doc, const TTextPos& pos) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return nullptr;
    const TPar* par = doc.Par(pos.Par);
    if (pos.Line < 0 || pos.Line >= par->LineCount())
        return nullptr;
    TLine* line = par->Lines->At<TLine>(pos.Line);
    return line->Box != nullptr ? line : nullptr;
}

Platform::TPoint BoxViewOrigin(const TLine& line) {
    Platform::TPoint p{0, 0};
    for (const TBox* b = line.Box; b != nullptr; b = b->Parent) {
        p.X += b->PixelBounds.Left;
        p.Y += b->PixelBounds.Top;
    }
    return p;
}

void HideSystemCaret(TDoc& doc) {
    const TCaretDevice& device = CaretDevice();
    if (!HasFocus(doc))
        return;
    if (device.Hide != nullptr)
        device.Hide(doc);
    if (device.Destroy != nullptr)
        device.Destroy(doc);
}

void ShowSystemCaret(TDoc& doc) {
    const TCaretDevice& device = CaretDevice();
    if (!HasFocus(doc))
        return;
    if (device.Create != nullptr) {
        const TCaretShape shape{doc.CaretWidth, doc.CaretHeight, doc.CaretXOffset, doc.CaretSlantSteps};
        if (doc.CaretSlantSteps > 0) {
            const std::int32_t systemWidth = device.SystemWidth != nullptr ? device.SystemWidth() : 2;
            const std::vector<std::uint8_t> mask = CaretSlantMask(shape, systemWidth);
            device.Create(doc, shape, &mask);
        } else {
            device.Create(doc, shape, nullptr);
        }
    }
    if (device.SetPos != nullptr)
        device.SetPos(doc, doc.CaretX - doc.ScrollPos.X, doc.CaretY - doc.ScrollPos.Y);
    if (device.Show != nullptr)
        device.Show(doc);
}

std::int32_t LineViewLeft(const TLine& line) {
    return BoxViewOrigin(line).X + line.Box->PixelInsets.Left;
}

std::int32_t LineViewTop(const TDoc& doc, const TLine& line) {
    return BoxViewOrigin(line).Y + line.Box->PixelInsets.Top + doc.TwipsToPixelsY(line.Top);
}

void TDoc::LocatePos(TTextPos& pos, bool atLineEnd) {
    pos.Par = std::clamp(pos.Par, 0, ParCount() - 1);
    TPar* par = Par(pos.Par);
    pos.Offset = std::clamp(pos.Offset, 0, par->CharCount());
    PushStateFlagClear(sfFollowUI);
    // Pages are built on demand, in growing steps, so that locating a
    // position far down a long document costs a few rounds rather than one
    // round per page; a round that adds no page means the text ran out.
    std::int32_t step = 2;
    while (!FirstLinePlaced(*par)) {
        const std::int32_t before = Pages.Count;
        Paginate(before, before + step);
        if (Pages.Count == before)
            break;
        step = std::min(step * 2, 1 << 20);
    }
    if (par->LineCount() > 0) {
        pos.Line = par->LineOfChar(pos.Offset, pos.Line, atLineEnd);
        const TLine* line = par->Lines->At<TLine>(pos.Line);
        TPage* page = line->Box != nullptr ? line->Box->Page() : nullptr;
        pos.Page = page != nullptr ? page->PageIndex : 0;
    } else {
        pos.Line = UnlocatedLine;
        pos.Page = 0;
    }
    PopStateFlag();
}

bool TDoc::PrevCharPos(TTextPos& pos) const {
    if (pos.Offset > 0) {
        --pos.Offset;
        return true;
    }
    if (pos.Par <= 0)
        return false;
    --pos.Par;
    pos.Offset = std::max(0, ParLengthOf(*this, pos.Par) - 1);
    return true;
}

void TDoc::UpdateCaretShape() {
    if (HasSelection())
        CharFormatAt(Caret, CaretFormat);
    else
        CaretFormat = CurCharFormat;
    Platform::TTextMetrics metrics;
    if (FontManager != nullptr) {
        SelectMeasureFont(CaretFormat, 1);
        if (CurrentSharedFont != nullptr)
            metrics = CurrentSharedFont->Metrics;
    }
    const TCaretDevice& device = CaretDevice();
    const std::int32_t systemWidth = device.SystemWidth != nullptr ? device.SystemWidth() : 2;
    const TCaretShape shape = CaretShapeFor(metrics, CaretFormat[caSmallCaps] > 0, systemWidth);
    CaretWidth = shape.Width;
    CaretHeight = shape.Height;
    CaretXOffset = shape.XOffset;
    CaretSlantSteps = shape.SlantSteps;
    CaretAscent = metrics.Ascent;
    CaretDescent = metrics.Descent + metrics.ExternalLeading;
}

void TDoc::ComputeCaretPlace() {
    TLine* line = LocatedLine(*this, Caret);
    if (line == nullptr)
        return;
    const Platform::TPoint origin = BoxViewOrigin(*line);
    CaretX = LineViewLeft(*line) + ApplyZoom(line->CharX(Caret.Offset - line->FirstChar)) - CaretXOffset;
    const TParFormat& format = Par(Caret.Par)->Format;
    const bool dropCap = (line->Flags & lfDropCap) != 0;
    const std::int32_t boxTop = origin.Y + line->Box->PixelInsets.Top;
    if (format.LineSpacingMultiple != 0 || format.LineSpacing >= 0 || dropCap) {
        const std::int32_t ascent = (ApplyZoom(line->Ascent) + 8) / 16;
        CaretY = boxTop + TwipsToPixelsY(line->Top + line->SpaceBefore()) + ascent;
        if (format.LineSpacingMultiple != 0 && format.LineSpacing < 240 && !dropCap) {
            const std::int32_t base = (ApplyZoom(line->BaseAscent) + 8) / 16;
            CaretY -= MulDiv(base, 240 - format.LineSpacing, 240);
        }
    } else {
        // Exact spacing: the baseline sits at 80 % of the exact height.
        CaretY = boxTop + TwipsToPixelsY(line->Top + line->SpaceBefore() - format.LineSpacing * 4 / 5);
    }
    std::int32_t a = CaretAscent, d = CaretDescent;
    if (CaretFormat[caSmallCaps] > 0) {
        a = MulDiv(a, 100, 80);
        d = MulDiv(d, 100, 80);
    }
    if (CaretFormat[caScript] == 1)
        CaretY -= MulDiv(a, 100, 65);
    else if (CaretFormat[caScript] == 2)
        CaretY += MulDiv(d, 100, 65) - (a + d);
    else
        CaretY -= a;
    // The vertical offset is in points: twenty twips each.
    CaretY -= TwipsToPixelsY(static_cast<std::int8_t>(CaretFormat[caOffset]) * 20);
}

void TDoc::CaretRect(Platform::TRect& rect) const {
    rect = {CaretX - 14, CaretY - 2, CaretX + CaretWidth + 14, CaretY + CaretHeight + 2};
}

void TDoc::SetCaret(const TTextPos& pos, std::uint32_t flags) {
    const TTextPos old = Caret;
    Caret = pos;
    if ((flags & 4) != 0 && HasSelection())
        ClearSelection(1);
    if (TPar* par = Par(Caret.Par); par->LineCount() > 0) {
        // A caret just after a drop cap belongs to the text beside it.
        const TLine* first = par->Lines->At<TLine>(0);
        if (Caret.Line == 0 && (first->Flags & lfDropCap) != 0 && par->LineCount() > 1 &&
            Caret.Offset == first->FirstChar + first->CharCount)
            Caret.Line = 1;
        // A caret after a break that ends its line would stand at the
        // start of the next line's space; it stands before the break.
        // While a selection is kept its end stays where it is.
        if ((flags & 2) == 0 && !HasSelection() && Caret.Line >= 0 && Caret.Line < par->LineCount()) {
            const TLine* line = par->Lines->At<TLine>(Caret.Line);
            if (Caret.Offset > 0 && Caret.Offset == line->FirstChar + line->CharCount &&
                Caret.Offset <= par->CharCount() && IsBreakCode(par->Chars.Data[Caret.Offset - 1])) {
                --Caret.Offset;
                LocatePos(Caret, false);
            }
        }
    }
    bool refresh = true;
    if ((flags & 1) != 0 && old.Line == Caret.Line && (flags & 4) == 0 && StateFlags[sfTypingFormatDirect] == 0 &&
        old.Par == Caret.Par && old.Offset == Caret.Offset) {
        ComputeCaretPlace();
        refresh = !IsCaretVisible();
    }
    if (!refresh)
        return;
    if (!HasSelection()) {
        CurParFormat = Par(Caret.Par)->Format;
        if (StateFlags[sfTypingFormatFixed] == 0)
            CharFormatAt(Caret, CurCharFormat);
        StateFlags[sfTypingFormatDirect] = 0;
    }
    HideSystemCaret(*this);
    if (StateFlags[sfApplyingPostActions] == 0)
        UpdateCaretShape();
    ComputeCaretPlace();
    ScrollCaretIntoView(StateFlags[sfSingleTypingUndone] != 0 ? spMargin : spPlain);
    // The view may have grown narrower since the caret last scrolled.
    TViewPoint clamped = ScrollPos;
    ClampScrollPos(clamped);
    if (clamped.X != ScrollPos.X)
        ScrollTo(clamped);
    ShowSystemCaret(*this);
}

void TDoc::MoveCaretTo(std::int32_t par, std::int32_t offset, std::uint32_t flags, std::int32_t line) {
    par = std::clamp(par, 0, ParCount() - 1);
    TTextPos pos;
    MakeTextPos(par, std::clamp(offset, 0, ParLengthOf(*this, par)), pos);
    pos.Line = line;
    LocatePos(pos, false);
    SetCaret(pos, flags);
}

void TDoc::MoveCaret(TTextPos pos, std::int32_t mode, std::int32_t key) {
    PushStateFlag(sfMovingCaret);
    while (pos.Par + 1 < ParCount() && WordServices().IsParHidden(*this, pos.Par)) {
        ++pos.Par;
        pos.Offset = 0;
    }
    // End, Home and the arrow keys scroll with context when the option asks.
    constexpr std::int32_t vkEnd = 35, vkDown = 40;
    const bool context = CaretScrollOptions().ScrollWithContext && key >= vkEnd && key <= vkDown;
    if (context)
        StateFlags[sfContextScroll] = 1;
    LocatePos(pos, CaretAtLineEnd != 0);
    if (mode == 1) {
        SetCaret(pos, 5);
    } else if (mode != 0) {
        SetCaret(pos, 1);
    } else {
        const bool had = HasSelection();
        if (!had)
            SelAnchor = Caret;
        if (SelAnchor.Par >= pos.Par || pos.Offset != 0) {
            SetSelection(SelAnchor.Par, SelAnchor.Offset, 1, pos.Offset, pos.Par);
        } else {
            // Extending forward onto the start of a paragraph selects up to
            // the end of the one before, not its first character's edge.
            SetSelection(SelAnchor.Par, SelAnchor.Offset, 1, ParLengthOf(*this, pos.Par - 1), pos.Par - 1);
        }
        if (had && !HasSelection()) {
            pos = SelAnchor;
            LocatePos(pos, false);
            SetCaret(pos, 0);
        } else {
            SetCaret(pos, 1);
        }
    }
    if (context)
        StateFlags[sfContextScroll] = 0;
    PopStateFlag();
}
