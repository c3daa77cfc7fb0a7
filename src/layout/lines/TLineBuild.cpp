// The line breaker: fills one line from a paragraph's format stream,
// measuring every character, tab, mark and inline object with the screen
// fonts selected at sixteen times their size, and decides where the line
// ends.

#include <algorithm>
#include <vector>

#include "base/core/Geometry.h"
#include "base/core/ObjectHandles.h"
#include "base/graphics/PixelSixteenths.h"
#include "base/text/Charsets.h"
#include "base/text/NumberFormats.h"
#include "base/text/TextCase.h"
#include "base/text/WideText.h"
#include "layout/lines/Hyphenation.h"
#include "layout/lines/LineLayout.h"
#include "layout/lines/WrapArea.h"
#include "model/document/DocSixteenths.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/LineStartFormats.h"
#include "model/formats/TShape.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TKerningPairs.h"
#include "model/managers/TSharedFont.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"

namespace {

constexpr std::int32_t Px16PerPixel = 16;
// Hard line breaks are shown 11 pixels wide; section, column and page
// breaks at least 150.
constexpr std::int32_t LineBreakPixels = 11;
constexpr std::int32_t MinRegionBreakPixels = 150;

bool IsBlank(std::uint8_t code) {
    return code == chTab || code == chNoBreakSpace || code == chEnSpace || code == chEmSpace ||
           code == chQuarterEmSpace || code == ' ';
}

// The working state of one call of TLine::Build.
class TLineBreaker {
public:
    TLineBreaker(TLine& line, TLineSlice& slice, TWrapArea* wrap)
        : Line(line),
          Par(*line.Par),
          Doc(DocOfPar(Par)),
          Slice(slice),
          Data(Par.Stream.Data + slice.Offset),
          Wrap(wrap) {}

    void Run();

private:
    // The steps named after what they do; see TLine.h for the flags.
    bool AddItem(std::uint8_t code,
                 std::int32_t width,
                 std::int32_t ascent,
                 std::int32_t baseAscent,
                 std::int32_t descent,
                 std::int32_t length);
    bool BreakBefore();
    bool BreakAtLastOpportunity();
    // Automatic and manual hyphenation; the word is chosen in
    // Hyphenation.cpp.
    bool TryHyphenate();
    bool ResumeAtLastOpportunity();
    bool IsHyphenPoint() const;
    std::int32_t HyphenatedLinesBefore() const;
    std::int32_t SoftHyphensBetween(std::int32_t from, std::int32_t to) const;
    void NoteManualSplit();
    void AlignPendingTab();
    std::int32_t StartX() const;
    void CloseLine();
    void AddHyphenWidth();
    void SaveBreakState();
    void RestoreBreakState();
    void ReselectFont();
    void ReselectIfMarked() {
        if ((Breaker.Flags & bfReselect) != 0)
            ReselectFont();
    }
    bool NeedsWideMeasure() const;
    std::int32_t CharWidth(std::uint8_t c) const;
    std::int32_t ExtraSpacing() const;
    std::int32_t ItemAscent() const { return Breaker.FontAscent; }
    // Screen pixels at 100 % in the breaker's unit: sixteenths, or pixels at
    // the zoom while the line is measured at the zoom.
    std::int32_t ScreenPixels(std::int32_t pixels) const {
        return Doc.MeasuringAtZoom ? MulDiv(pixels, Doc.ZoomInForce, 100) : pixels * Px16PerPixel;
    }

    // Returns false when the line has ended.
    bool AddChar(std::uint8_t c);
    bool AddControl(std::uint8_t code, std::int32_t value);
    bool AddSpecial(std::uint8_t code, std::int32_t value);
    bool AddTab();
    bool AddBreak(std::uint8_t code);
    bool AddShape(std::int32_t value);
    void NoteFieldEnd(std::int32_t value);
    void EndLineHere();
    void SetAttribute(std::uint8_t code, std::int32_t value);

    std::int32_t X() const { return Line.Positions[Line.CharCount + 1]; }
    std::uint8_t CharAt(std::int32_t k) const { return Par.Chars.Data[Line.FirstChar + k]; }

    TLine& Line;
    TPar& Par;
    TDoc& Doc;
    TLineSlice& Slice;
    std::uint8_t* Data;
    TWrapArea* Wrap;
    std::int32_t Pos = 0;  // bytes of the slice taken so far

    // The largest x whose twips still lie within the width limit.
    std::int32_t MaxX = 0;

    // The last break opportunity (count 0: none).
    std::int32_t BreakCount = 0;
    std::int32_t BreakStream = 0;
    TField* BreakFootnote = nullptr;
    TField* BreakEndnote = nullptr;
    std::int32_t BreakAscent = 0;
    std::int32_t BreakBaseAscent = 0;
    std::int32_t BreakDescent = 0;
    TCharFormat SnapshotFormat{};

    std::int32_t BlankAscent = 0;
    std::int32_t BlankDescent = 0;
    std::int32_t PendingKerning = 0;

    bool TabPending = false;
    std::int32_t TabChar = 0;
    std::int32_t TabX = 0;
    std::int32_t TabWidth = 0;
    std::uint8_t TabKind = taLeft;

    std::int32_t SymbolReturnFont = 0;

    // The code of the item being added.
    std::uint8_t ItemCode = 0;
    // The line's state at its start, which a hyphenation attempt rolls back
    // to when the line has no break opportunity yet.
    std::int32_t StartAscent = 0;
    std::int32_t StartBaseAscent = 0;
    std::int32_t StartDescent = 0;
    // The last break opportunity is a hyphenation point.
    bool BreakHyphenated = false;
    // The word walked in hyphenation mode, kept after the mode ends so that
    // manual hyphenation can read where the line ended in it.
    THyphenationWord Hyph;
    bool WalkedHyphenation = false;
};

void TLineBreaker::Run() {
    Line.CharCount = 0;
    Line.StreamLength = 0;
    Breaker.Flags &= bfReselect;
    if ((Line.Flags & lfWrapRowFirst) != 0)
        Breaker.Flags |= bfMetricsChanged;
    const std::int32_t remainingChars = Par.CharCount() - Line.FirstChar;
    Line.GrowPositions(std::min(4 * std::max(remainingChars, 2), 320));
    Line.Positions[1] = StartX();
    Line.Ascent = Line.Descent = Line.BaseAscent = 0;
    if (Wrap != nullptr && (Line.Flags & lfWrapRowFirst) == 0 && Line.IndexInPar > 0) {
        // A later piece of a row starts with the metrics the row has so
        // far, so its wrap checks test the row's full height.
        const TLine* previous = Par.Lines->At<TLine>(Line.IndexInPar - 1);
        Line.Ascent = previous->Ascent;
        Line.Descent = previous->Descent;
        Line.BaseAscent = previous->BaseAscent;
    }
    if (Line.IndexInPar == 1 && (Par.Flags & pfDropCap) != 0)
        Breaker.Flags |= bfReselect;
    ReselectIfMarked();
    BlankAscent = Breaker.FontAscent;
    BlankDescent = Breaker.FontDescent;
    BreakFootnote = Line.FootnoteRef;
    BreakEndnote = Line.EndnoteRef;
    StartAscent = Line.Ascent;
    StartBaseAscent = Line.BaseAscent;
    StartDescent = Line.Descent;
    if (Breaker.Format[caHighlight] != AutoColor)
        Line.Flags |= lfHighlight;

    // The limit test compares twips; find once the largest position that
    // converts to no more than the limit, so each item costs one compare.
    if (Breaker.NoOverflow) {
        MaxX = INT32_MAX;
    } else {
        MaxX = TwipsToPx16(Line.WidthLimit) + 16;
        while (MaxX > INT32_MIN + 16 && Px16ToTwips(MaxX) > Line.WidthLimit)
            --MaxX;
    }

    const std::int32_t size = Slice.Remaining;
    while (Pos < size) {
        const std::uint8_t b = Data[Pos];
        if (b != 0) {
            if (!AddChar(b))
                return;
            continue;
        }
        if (size - Pos < FormatControlSize)
            break;  // a truncated control ends the line's bytes
        const std::uint8_t code = Data[Pos + 1];
        const std::int32_t value = FormatControlValue(Data + Pos);
        if (!AddControl(code, value))
            return;
    }
    AlignPendingTab();
    AddHyphenWidth();
    Line.StreamLength = size;
    Slice.Advance(size);
    CloseLine();
}

std::int32_t TLineBreaker::StartX() const {
    if ((Line.Flags & lfDropCap) != 0)
        return 0;
    std::int32_t indent = Par.Format.LeftIndent;
    const std::int32_t first = Par.Format.FirstIndent;
    const bool startsText = Line.FirstChar == 0 || Par.OnlyBreaksBefore(Line.FirstChar);
    if (startsText)
        indent += first;
    const std::uint8_t viewMode = Par.Owner != nullptr ? Par.Owner->OwnerViewMode() : std::uint8_t{vmPrintLayout};
    if ((viewMode == vmDraft || viewMode == vmDraftWrapped) && (Par.Flags & pfProxy) == 0) {
        // Draft views have no margin to show hanging text in.
        const std::int32_t leftmost = std::min<std::int32_t>(Par.Format.LeftIndent, Par.Format.LeftIndent + first);
        if (leftmost < 0)
            indent -= leftmost;
    }
    std::int32_t x = TwipsToPx16(indent);
    const bool inSlot = Wrap != nullptr && !Wrap->Slots.empty();
    if (inSlot && (Line.Flags & lfWrapRowFirst) == 0)
        return TwipsToPx16(Wrap->Slots.back().Left);  // a piece after a gap starts at the gap
    if (inSlot)
        x = std::max(x, TwipsToPx16(Wrap->Slots.back().Left));
    const bool onlyBreak = Line.FirstChar < Par.CharCount() && (CharAt(0) == chColumnBreak || CharAt(0) == chPageBreak);
    if (startsText && !onlyBreak && Par.LabelPar != nullptr && Par.LabelPar->LineCount() > 0) {
        const auto* label = Par.LabelPar->Lines->At<TLine>(0);
        std::int32_t labelWidth = label->Pos(label->CharCount) - Par.LabelPar->LabelLeadIn;
        // The label was laid out at 100 %; measured at the zoom, the text
        // starts after the label's scaled width.
        if (Doc.MeasuringAtZoom)
            labelWidth = MulDiv(labelWidth, Doc.ZoomInForce, 1600);
        x += labelWidth;
    }
    return x;
}

void TLineBreaker::ReselectFont() {
    Doc.SelectMeasureFont(Breaker.Format, 14);
    Breaker.Flags = static_cast<std::uint16_t>((Breaker.Flags & ~bfReselect) | bfMetricsChanged);
}

bool TLineBreaker::NeedsWideMeasure() const {
    const std::uint8_t charset = CurrentSharedFont->Metrics.Charset;
    return charset != 0 && charset != 2;
}

std::int32_t TLineBreaker::CharWidth(std::uint8_t c) const {
    if (!NeedsWideMeasure())
        return CurrentSharedFont->Widths[c];
    std::int32_t codePage = CharsetCodePage(CurrentSharedFont->Metrics.Charset);
    if (codePage < 1250)
        codePage = 1252;
    const char byte = static_cast<char>(c);
    const std::u16string wide = AnsiToWideInCodePage(std::string_view(&byte, 1), codePage);
    if (wide.size() != 1)
        return 0;  // a byte the code page cannot map counts with no width
    Platform::SelectFont(LayoutDC(), CurrentSharedFont->Handle);
    return std::max(0, WideCharWidth(LayoutDC(), wide[0]));
}

std::int32_t TLineBreaker::ExtraSpacing() const {
    const std::int32_t spacing = Breaker.Format[caSpacing];
    return spacing == UnsetValue || spacing == 0 ? 0 : TwipsToPx16(spacing);
}

bool TLineBreaker::AddChar(std::uint8_t c) {
    ReselectIfMarked();
    TCharFormat& f = Breaker.Format;
    const bool caps = f[caSmallCaps] > 0 || f[caAllCaps] > 0;
    const std::uint8_t m = caps ? static_cast<std::uint8_t>(UpperCharLocale(static_cast<char>(c))) : c;
    std::int32_t kerning = 0;
    if (Line.CharCount > 0 && f[caKerning] >= 1 && f[caSize] >= f[caKerning] && CurrentKerningPairs != nullptr) {
        std::uint8_t prev = CharAt(Line.CharCount - 1);
        if (caps)
            prev = static_cast<std::uint8_t>(UpperCharLocale(static_cast<char>(prev)));
        kerning = KerningAmount(CurrentKerningPairs, prev, m);
    }
    std::int32_t width;
    if (f[caSmallCaps] > 0 && !IsLowerCaseChar(static_cast<char>(c))) {
        // Capitals of small-caps text keep the full size.
        f[caSmallCaps] = 0;
        Doc.SelectMeasureFont(f, 14);
        width = CharWidth(m);
        f[caSmallCaps] = 1;
        Breaker.Flags |= bfReselect;
    } else {
        width = CharWidth(m);
    }
    if ((Breaker.Flags & bfSymbolFont) != 0) {
        Breaker.Flags = static_cast<std::uint16_t>((Breaker.Flags & ~bfSymbolFont) | bfReselect);
        f[caFont] = SymbolReturnFont;
    }
    PendingKerning = kerning;
    if (AddItem(c, width + ExtraSpacing(), ItemAscent(), ItemAscent(), Breaker.FontDescent, 1))
        return true;
    AlignPendingTab();
    CloseLine();
    return false;
}

bool TLineBreaker::AddItem(std::uint8_t code,
                           std::int32_t width,
                           std::int32_t ascent,
                           std::int32_t baseAscent,
                           std::int32_t descent,
                           std::int32_t length) {
    if ((Breaker.Flags & bfNoKerning) != 0)
        PendingKerning = 0;
    ItemCode = code;
    // A horizontal rule stands alone on its line.
    if ((Line.Flags & lfHorizontalLine) != 0)
        return BreakBefore();
    const bool blank = IsBlank(code);
    if (blank) {
        BlankAscent = ascent;
        BlankDescent = descent;
        ascent = baseAscent = descent = 0;
    } else {
        const std::int32_t offset = Breaker.Format[caOffset];
        if (offset != 0 && offset != UnsetValue && Par.Format.LineSpacing >= 0 && (Line.Flags & lfDropCap) == 0) {
            const std::int32_t shift = TwipsToPx16(offset * 20);
            ascent = std::max(0, ascent + shift);
            descent = std::max(0, descent - shift);
        }
    }
    const std::int32_t x = X();
    // At a hyphenation point the character must leave room for the hyphen.
    const bool hyphenPoint = (Breaker.Flags & bfHyphenating) != 0 && IsHyphenPoint();
    const std::int32_t tested = hyphenPoint ? width + CurrentSharedFont->Widths['-'] : width;
    bool overflows;
    if (Breaker.NoOverflow) {
        overflows = false;
    } else if (Wrap != nullptr) {
        const std::int64_t end = static_cast<std::int64_t>(x) + tested + PendingKerning;
        overflows = !Line.FitsWrapArea(*Wrap, static_cast<std::int32_t>(std::min<std::int64_t>(end, INT32_MAX)), ascent,
                                       descent, baseAscent);
    } else {
        overflows = static_cast<std::int64_t>(x) + tested + PendingKerning > MaxX;
    }
    if (overflows) {
        if (code == chTab) {
            if ((Breaker.Flags & bfBlankOverflow) != 0)
                return BreakBefore();
            Breaker.Flags |= bfBlankOverflow;
        } else if (blank) {
            Breaker.Flags |= bfBlankOverflow;
        } else if (Wrap != nullptr && ((Breaker.Flags & bfMovedPastExclusion) != 0 || Line.RowHasExclusion(*Wrap))) {
            // Text beside a rectangle goes back to its last opportunity,
            // or whole to the next gap when it has none.
            return BreakAtLastOpportunity();
        } else if (Wrap == nullptr && Line.CharCount == 0 && BreakCount == 0) {
            // A word longer than the line is split after what fits.
            Breaker.Flags |= bfSplitWord;
        } else if ((Breaker.Flags & (bfBlankOverflow | bfSplitWord)) != 0 || BreakCount == 0) {
            return BreakBefore();
        } else {
            if (TryHyphenate())
                return ResumeAtLastOpportunity();
            return BreakAtLastOpportunity();
        }
    } else if ((Breaker.Flags & (bfFitPicture | bfHorizontalLine)) != 0 && Line.CharCount > 0) {
        return BreakBefore();
    }

    if (PendingKerning != 0)
        Line.Positions[Line.CharCount + 1] += PendingKerning;
    PendingKerning = 0;
    const std::int32_t w = width < 0 || code == chSoftHyphen ? 0 : width;
    Line.AppendPos(X() + w);
    Line.Ascent = std::max(Line.Ascent, ascent);
    Line.Descent = std::max(Line.Descent, descent);
    Line.BaseAscent = std::max(Line.BaseAscent, baseAscent);
    ++Line.CharCount;
    Pos += length;
    if ((BreakAfterChars[code] && code != chUnicode) || hyphenPoint) {
        BreakHyphenated = hyphenPoint;
        BreakCount = Line.CharCount;
        BreakStream = Pos;
        BreakFootnote = Line.FootnoteRef;
        BreakEndnote = Line.EndnoteRef;
        BreakAscent = Line.Ascent;
        BreakBaseAscent = Line.BaseAscent;
        BreakDescent = Line.Descent;
        if ((Breaker.Flags & bfSnapshot) != 0) {
            SaveBreakState();
            Breaker.Flags &= ~bfSnapshot;
        }
    }
    Breaker.Flags &= ~bfNoKerning;
    return true;
}

void TLineBreaker::SaveBreakState() {
    SnapshotFormat = Breaker.Format;
}

void TLineBreaker::RestoreBreakState() {
    Breaker.Format = SnapshotFormat;
    ReselectFont();
}

bool TLineBreaker::BreakBefore() {
    if (BreakCount == 0 && TryHyphenate())
        return ResumeAtLastOpportunity();
    NoteManualSplit();
    EndLineHere();
    return false;
}

bool TLineBreaker::TryHyphenate() {
    if ((Breaker.Flags & bfHyphenating) != 0) {
        // The word was walked once; the line ends at its last point.
        Breaker.Flags &= ~bfHyphenating;
        return false;
    }
    const std::uint8_t code = ItemCode;
    if (Breaker.NoOverflow || IsBlank(code) || (code < 32 && code != chUnicode))
        return false;
    const bool manual = ManualHyphenation.At(Doc, Par.Index, Line.IndexInPar);
    const THyphenationOptions& options = Doc.Hyphenation;
    if (options.Automatic == 0 && !manual)
        return false;
    if (options.ConsecutiveLimit > 0 && HyphenatedLinesBefore() >= options.ConsecutiveLimit)
        return false;
    THyphenationRequest request;
    request.At = Line.FirstChar + Line.CharCount;
    request.Floor = Line.FirstChar + BreakCount;
    request.LineStart = Line.FirstChar;
    request.RoomAtBreak = Line.WidthLimit - Px16ToTwips(Line.Positions[BreakCount + 1]);
    request.Manual = manual;
    if (!FindHyphenation(Doc, Par, request, Hyph))
        return false;
    Breaker.Flags |= bfHyphenating;
    WalkedHyphenation = true;
    return true;
}

// Rolls the line back to its last break opportunity (or its start) and lets
// the walk go on there in hyphenation mode.
bool TLineBreaker::ResumeAtLastOpportunity() {
    if (BreakCount == 0) {
        Line.FootnoteRef = BreakFootnote;
        Line.EndnoteRef = BreakEndnote;
        Line.Ascent = StartAscent;
        Line.BaseAscent = StartBaseAscent;
        Line.Descent = StartDescent;
        Pos = 0;
    } else {
        Line.FootnoteRef = BreakFootnote;
        Line.EndnoteRef = BreakEndnote;
        Line.Ascent = BreakAscent;
        Line.BaseAscent = BreakBaseAscent;
        Line.Descent = BreakDescent;
        Pos = BreakStream;
    }
    Line.CharCount = BreakCount;
    if ((Breaker.Flags & bfSnapshot) != 0) {
        Breaker.Format = SnapshotFormat;
        Breaker.Flags &= ~bfSnapshot;
    }
    ReselectFont();
    if (TabPending && TabChar >= Line.CharCount)
        TabPending = false;
    PendingKerning = 0;
    Breaker.Flags |= bfNoKerning;
    return true;
}

bool TLineBreaker::IsHyphenPoint() const {
    if (ItemCode == chSoftHyphen)
        return false;
    const std::int32_t after = Line.FirstChar + Line.CharCount + 1;
    if (after <= Hyph.Start || after >= Hyph.End)
        return false;
    const std::int32_t count = after - Hyph.Start - SoftHyphensBetween(Hyph.Start, after);
    return std::binary_search(Hyph.Points.begin(), Hyph.Points.end(), count);
}

std::int32_t TLineBreaker::SoftHyphensBetween(std::int32_t from, std::int32_t to) const {
    std::int32_t n = 0;
    for (std::int32_t k = std::max(from, 0); k < to && k < Par.CharCount(); ++k)
        if (Par.Chars.Data[k] == chSoftHyphen)
            ++n;
    return n;
}

std::int32_t TLineBreaker::HyphenatedLinesBefore() const {
    std::int32_t n = 0;
    if (Par.Lines == nullptr)
        return 0;
    for (std::int32_t i = std::min(Line.IndexInPar, Par.Lines->Count) - 1; i >= 0; --i) {
        if ((Par.Lines->At<TLine>(i)->Flags & lfHyphenated) == 0)
            break;
        ++n;
    }
    return n;
}

// Manual hyphenation proposes the split where the walked word's line ended.
void TLineBreaker::NoteManualSplit() {
    if (!WalkedHyphenation || !ManualHyphenation.At(Doc, Par.Index, Line.IndexInPar))
        return;
    const std::int32_t end = Line.FirstChar + Line.CharCount;
    if (Hyph.Start >= end - 1)
        ManualHyphenation.Ask = false;
    else
        ManualHyphenation.Split = end - Hyph.Start - SoftHyphensBetween(Hyph.Start, end);
}

void TLineBreaker::EndLineHere() {
    Line.StreamLength = Pos;
    Slice.Advance(Pos);
}

bool TLineBreaker::BreakAtLastOpportunity() {
    Line.CharCount = BreakCount;
    Line.FootnoteRef = BreakFootnote;
    Line.EndnoteRef = BreakEndnote;
    Line.Ascent = BreakAscent;
    Line.BaseAscent = BreakBaseAscent;
    Line.Descent = BreakDescent;
    Line.StreamLength = BreakStream;
    Slice.Advance(BreakStream);
    // Attributes that changed after the opportunity belong to the next line.
    if ((Breaker.Flags & bfSnapshot) != 0) {
        RestoreBreakState();
        Breaker.Flags &= ~bfSnapshot;
    }
    if (TabPending && TabChar >= Line.CharCount)
        TabPending = false;
    if (BreakHyphenated)
        Line.Flags |= lfHyphenated;
    NoteManualSplit();
    AddHyphenWidth();
    Breaker.Flags |= bfNoKerning;
    return false;
}

void TLineBreaker::AddHyphenWidth() {
    if (Line.CharCount == 0)
        return;
    if ((Line.Flags & lfHyphenated) != 0 || CharAt(Line.CharCount - 1) == chSoftHyphen)
        Line.Positions[Line.CharCount + 1] += CurrentSharedFont->Widths['-'];
}

void TLineBreaker::AlignPendingTab() {
    if (!TabPending)
        return;
    TabPending = false;
    if (TabChar >= Line.CharCount)
        return;
    const std::int32_t w = X() - TabX;
    std::int32_t shift = 0;
    switch (TabKind) {
        case taCenter:
            if (w < 2 * TabWidth)
                shift = (2 * TabWidth - w) / 2;
            break;
        case taDecimal: {
            const auto separator = static_cast<std::uint8_t>(DecimalSeparator());
            bool found = false;
            for (std::int32_t k = TabChar + 1; k < Line.CharCount && !found; ++k)
                if (CharAt(k) == separator) {
                    shift = TabWidth - (Line.Pos(k) - TabX);
                    found = true;
                }
            if (!found && w < TabWidth)
                shift = TabWidth - w;  // without a separator: a right tab
            break;
        }
        default:
            if (w < TabWidth)
                shift = TabWidth - w;
            break;
    }
    if (shift > 0)
        for (std::int32_t k = TabChar + 1; k <= Line.CharCount; ++k)
            Line.Positions[k + 1] += shift;
}

void TLineBreaker::CloseLine() {
    if (Line.Ascent == 0 && Line.Descent == 0) {
        Line.Ascent = BlankAscent;
        Line.BaseAscent = BlankAscent;
        Line.Descent = BlankDescent;
    }
    if (Wrap == nullptr || Line.CharCount == 0 || Breaker.NoOverflow)
        return;
    // The piece's final metrics may make its row reach a rectangle at the
    // piece's start; then the piece is given up and its bytes go back.
    ReselectFont();
    if (!Line.FitsWrapArea(*Wrap, Line.Positions[1], Line.Ascent, Line.Descent, Line.BaseAscent)) {
        Slice.Offset -= Line.StreamLength;
        Slice.Remaining += Line.StreamLength;
        Line.StreamLength = 0;
    }
}

void TLineBreaker::SetAttribute(std::uint8_t code, std::int32_t value) {
    if ((Breaker.Flags & bfSnapshot) == 0) {
        SaveBreakState();
        Breaker.Flags |= bfSnapshot;
    }
    if (code == caFont && (Breaker.Flags & bfSymbolFont) != 0) {
        SymbolReturnFont = value;
        return;
    }
    if (code == caSize || (code == caKerning && value > 0))
        value = DocValueToSixteenths(value, Doc);
    Breaker.Format[code] = value;
    if (code == caHighlight && value != AutoColor)
        Line.Flags |= lfHighlight;
    if (code != caColor)
        Breaker.Flags |= bfReselect;
}

bool TLineBreaker::AddControl(std::uint8_t code, std::int32_t value) {
    switch (code) {
        case caCharStyle:
        case caLanguage:
            Pos += FormatControlSize;
            return true;
        case fcSpecialChar:
            return AddSpecial(static_cast<std::uint8_t>(value), value);
        case fcSectionBreak:
            Line.Flags |= lfSectionBreak;
            return AddSpecial(chSectionBreak, value);
        case fcCellEnd:
            return AddSpecial(chCellEnd, value);
        case fcRowEnd:
            return AddSpecial(chRowEnd, value);
        case fcUnicodeChar: {
            ReselectIfMarked();
            Platform::SelectFont(LayoutDC(), CurrentSharedFont->Handle);
            const std::int32_t width = std::max(0, WideCharWidth(LayoutDC(), static_cast<char16_t>(value & 0xFFFF)));
            if ((Breaker.Flags & bfSymbolFont) != 0) {
                Breaker.Flags = static_cast<std::uint16_t>((Breaker.Flags & ~bfSymbolFont) | bfReselect);
                Breaker.Format[caFont] = SymbolReturnFont;
            }
            PendingKerning = 0;
            if (AddItem(chUnicode, width + ExtraSpacing(), ItemAscent(), ItemAscent(), Breaker.FontDescent,
                        FormatControlSize))
                return true;
            AlignPendingTab();
            CloseLine();
            return false;
        }
        case fcShapeAnchor:
            return AddShape(value);
        case fcFieldStart:
            Pos += FormatControlSize;
            return true;
        case fcFieldEnd:
            NoteFieldEnd(value);
            Pos += FormatControlSize;
            return true;
        default:
            if (code <= fcLastCharAttr)
                SetAttribute(code, value);
            Pos += FormatControlSize;
            return true;
    }
}

void TLineBreaker::NoteFieldEnd(std::int32_t value) {
    auto* field = HandleTo<TField>(static_cast<TObjectHandle>(value));
    if (field == nullptr || field->Kind != fkNoteRef)
        return;
    if (field->Partner != nullptr && field->Partner->Endnote != 0)
        Line.EndnoteRef = field;
    else
        Line.FootnoteRef = field;
}

bool TLineBreaker::AddSpecial(std::uint8_t code, std::int32_t value) {
    (void)value;
    switch (code) {
        case chParEnd:
        case chCellEnd:
        case chRowEnd:
            // Marks may hang past the limit: they are never tested against it.
            AlignPendingTab();
            ReselectIfMarked();
            Line.AppendPos(X() + CurrentSharedFont->Widths[MarkGlyphs[code]]);
            ++Line.CharCount;
            Pos += FormatControlSize;
            BlankAscent = Breaker.FontAscent;
            BlankDescent = Breaker.FontDescent;
            return true;
        case chTab:
            return AddTab();
        case chSectionBreak:
        case chColumnBreak:
        case chLineBreak:
        case chPageBreak:
            return AddBreak(code);
        default:
            break;
    }
    ReselectIfMarked();
    const TSharedFont& font = *CurrentSharedFont;
    const std::int32_t em = font.Metrics.Height - font.Metrics.InternalLeading;
    std::int32_t width = 0;
    switch (code) {
        case chNoBreakSpace:
            width = font.Widths[' '];
            break;
        case chNonBreakingHyphen:
        case chSoftHyphen:
            width = font.Widths['-'];
            break;
        case chEmDash:
            width = font.Widths[151];
            break;
        case chEnDash:
            width = font.Widths[150];
            break;
        case chEnSpace:
            width = em / 2;
            break;
        case chEmSpace:
            width = em;
            break;
        case chQuarterEmSpace:
            width = em / 4;
            break;
        case chNoteRef:
            width = font.Widths['?'];
            break;
        default:
            break;
    }
    PendingKerning = 0;
    if (AddItem(code, width + ExtraSpacing(), ItemAscent(), ItemAscent(), Breaker.FontDescent, FormatControlSize))
        return true;
    AlignPendingTab();
    CloseLine();
    return false;
}

bool TLineBreaker::AddTab() {
    AlignPendingTab();
    ReselectIfMarked();
    const std::int32_t x = X();
    const std::int32_t t = Px16ToTwips(x + 1);
    const bool afterText = Line.CharCount > 0 && CharAt(Line.CharCount - 1) != chTab;
    std::int32_t stop = 0xFFFFFF;
    std::uint8_t kind = taLeft;
    std::uint8_t leader = tlNone;
    if (TabManager != nullptr && TabManager->EffectiveTabs != nullptr)
        UnpackTabStop(NextTabStop(*TabManager->EffectiveTabs, t, afterText), stop, kind, leader);
    const TParFormat& pf = Par.Format;
    if (Line.FirstChar == 0 && pf.FirstIndent < 0 && t < pf.LeftIndent) {
        // A hanging indent is a tab stop of the first line.
        const TTabTable* own =
            pf.Tabs > 0 && TabManager != nullptr && pf.Tabs < TabManager->Count ? TabManager->Table(pf.Tabs) : nullptr;
        if (pf.LeftIndent < stop || own == nullptr || !TabTableHasStop(*own, stop)) {
            stop = pf.LeftIndent;
            kind = taLeft;
            leader = tlNone;
        }
    }
    if ((Par.Flags & pfProxy) != 0)
        kind = taLeft;
    // The painter reads the resolved kind and leader from the control.
    Data[Pos + 3] = static_cast<std::uint8_t>((kind & 15) | (leader << 4));
    const std::int32_t width = TwipsToPx16(stop) - x;
    PendingKerning = 0;
    const std::int32_t before = Line.CharCount;
    if (!AddItem(chTab, kind == taLeft ? width : 0, Breaker.FontAscent, Breaker.FontAscent, Breaker.FontDescent,
                 FormatControlSize)) {
        AlignPendingTab();
        CloseLine();
        return false;
    }
    if (kind != taLeft) {
        TabPending = true;
        TabChar = before;
        TabX = x;
        TabWidth = width;
        TabKind = kind;
    }
    return true;
}

bool TLineBreaker::AddBreak(std::uint8_t code) {
    const std::uint8_t viewMode = Par.Owner != nullptr ? Par.Owner->OwnerViewMode() : std::uint8_t{vmPrintLayout};
    const std::int32_t charIndex = Line.FirstChar + Line.CharCount;
    if (code == chPageBreak && viewMode == vmPrintLayout && charIndex == Par.CharCount() - 2) {
        bool lastOfStory = true;
        if (Par.Owner != nullptr && Par.Index >= 0 && Par.Index < Doc.ParCount() && Doc.Par(Par.Index) == &Par)
            lastOfStory = Doc.LastParOfStory(Doc.StoryOfPar(Par.Index)) == Par.Index;
        if (!lastOfStory) {
            Breaker.Flags |= bfPageBreakEnd;
            Line.Flags |= lfPageBreakEnd;
        }
    }
    AlignPendingTab();
    if (Line.CharCount > 0 && CharAt(Line.CharCount - 1) == chSoftHyphen)
        AddHyphenWidth();
    const bool draft = viewMode == vmDraft || viewMode == vmDraftWrapped;
    if (draft && code != chLineBreak && Line.CharCount > 0) {
        // In the draft views a region break stands on a line of its own.
        EndLineHere();
        CloseLine();
        return false;
    }
    const std::int32_t x = X();
    std::int32_t width = ScreenPixels(LineBreakPixels);
    if (code != chLineBreak) {
        const std::int8_t align = Par.Format.Alignment;
        width = 0;
        if ((align == 0 || align == 3) && (Breaker.Flags & bfPageBreakEnd) == 0)
            width = std::max(0, TwipsToPx16(Line.WidthLimit) - x);
        width = std::max(width, ScreenPixels(MinRegionBreakPixels));
    }
    Line.AppendPos(x + width);
    ++Line.CharCount;
    Pos += FormatControlSize;
    ReselectFont();
    BlankAscent = Breaker.FontAscent;
    BlankDescent = Breaker.FontDescent;
    if ((Breaker.Flags & bfPageBreakEnd) == 0) {
        // Field ends right after the break close on this line.
        while (Slice.Remaining - Pos >= FormatControlSize && Data[Pos] == 0 && Data[Pos + 1] == fcFieldEnd) {
            NoteFieldEnd(FormatControlValue(Data + Pos));
            Pos += FormatControlSize;
        }
    }
    Line.StreamLength = Pos;
    if ((Breaker.Flags & bfPageBreakEnd) != 0)
        return true;  // the paragraph mark joins the page-break line
    Slice.Advance(Pos);
    CloseLine();
    // A hard break ends the row when the row still fits.
    if (Wrap != nullptr && Line.StreamLength > 0 &&
        Line.FitsWrapArea(*Wrap, WrapLineEndX, Line.Ascent, Line.Descent, Line.BaseAscent))
        Wrap->X = Wrap->Limit;
    return false;
}

bool TLineBreaker::AddShape(std::int32_t value) {
    ReselectIfMarked();
    if ((Breaker.Flags & bfSnapshot) == 0) {
        SaveBreakState();
        Breaker.Flags |= bfSnapshot;
    }
    Breaker.Flags |= bfMetricsChanged;
    auto* shape = HandleTo<TShape>(static_cast<TObjectHandle>(value));
    const bool rule = shape != nullptr && shape->IsHorizontalLine();
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (rule) {
        // A rule takes the whole room of its line; its height is the
        // default 30 twips plus 100 for the space around it.
        Breaker.Flags |= bfHorizontalLine;
        const std::int32_t avail = Breaker.NoOverflow ? 0 : Line.WidthLimit - Px16ToTwips(Line.Positions[1]);
        width = TwipsToPx16(std::max(0, avail));
        height = TwipsToPx16(30 + 100);
    }
    PendingKerning = 0;
    const bool accepted = AddItem(chShapeAnchor, width, height, Breaker.FontAscent, 0, FormatControlSize);
    Breaker.Flags &= ~(bfHorizontalLine | bfFitPicture);
    if (!accepted) {
        AlignPendingTab();
        CloseLine();
        return false;
    }
    if (rule) {
        Line.Ascent = Line.BaseAscent = height;
        Line.Descent = 0;
        Line.Flags |= lfHorizontalLine;
    }
    return true;
}

}  // namespace

void TLine::Build(TLineSlice& slice, TWrapArea* wrapArea) {
    TLineBreaker breaker(*this, slice, wrapArea);
    breaker.Run();
}
