// The text pass of line painting: the walk over the line's format stream
// that draws text runs with the advances layout measured at the zoom, their
// effects, tabs and leaders, breaks with their labels, formatting marks and
// field and bookmark brackets; and the font, colour and baseline rules the
// other steps share.

#include <algorithm>

#include "base/core/Geometry.h"
#include "base/core/ObjectHandles.h"
#include "base/graphics/Colors.h"
#include "base/graphics/DrawingHelpers.h"
#include "base/graphics/TServiceBitmap.h"
#include "base/text/Charsets.h"
#include "base/text/TextCase.h"
#include "base/text/WideText.h"
#include "layout/boxes/TBox.h"
#include "layout/lines/LineLayout.h"
#include "layout/painting/InlinePictures.h"
#include "layout/painting/TLinePainter.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/managers/TColorManager.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TSharedFont.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"

namespace {

constexpr std::int32_t ShadowColor = 0xC0C0C0;
constexpr std::int32_t EmbossColor = 0x808080;
constexpr std::int32_t DimmedColor = 0xC0C0C0;
constexpr std::uint8_t SymbolCharset = 2;

// The labels of break marks, by label index: page break, column break,
// then section breaks by their break kind.
const char* const BreakLabels[6] = {
    "Page Break",
    "Column Break",
    "Section Break (Continuous)",
    "Section Break (Next Page)",
    "Section Break (Even Page)",
    "Section Break (Odd Page)",
};

bool IsSet(std::int32_t value) {
    return value != UnsetValue && value > 0;
}

std::int32_t SlotColorOr(int slot, std::int32_t fallback) {
    return ColorManager != nullptr ? ColorManager->SlotColor(slot) : fallback;
}

std::int32_t DisplayColorOf(std::int32_t color) {
    return ColorManager != nullptr ? ColorManager->DisplayColor(color)
                                   : static_cast<std::int32_t>(AdaptColorToBackground(color, 0xFFFFFF));
}

bool NeedsWideOutput() {
    const std::uint8_t charset = CurrentSharedFont->Metrics.Charset;
    return charset != 0 && charset != SymbolCharset;
}

}  // namespace

// --- The font, colours and baseline ---

void TLinePainter::SelectPaintFont() {
    FontDirty = false;
    if (FontManager == nullptr)
        return;
    std::int32_t size = Format[caSize] > 0 && Format[caSize] != UnsetValue ? Format[caSize] : 24;
    const bool smallCaps = IsSet(Format[caSmallCaps]);
    const bool script = IsSet(Format[caScript]);
    if (smallCaps && script)
        size = MulDiv(size, 5200, 10000);
    else if (smallCaps)
        size = size * 80 / 100;
    else if (script)
        size = size * 65 / 100;
    FontManager->SelectFont(Format, Doc.FontHeightPixels(size), DC, true, true);
    Platform::SelectFont(DC, CurrentSharedFont->Handle);
}

std::int32_t TLinePainter::TextColor() const {
    if (Dimmed)
        return DisplayColorOf(DimmedColor);
    const std::int32_t color = Format[caColor];
    if (color != AutoColor && color != UnsetValue)
        return color;
    if (Background != AutoColor)
        return static_cast<std::int32_t>(ReadableColor(0x000000, static_cast<TColor>(Background)));
    return SlotColorOr(csAutoText, 0x000000);
}

std::int32_t TLinePainter::MarkColor() const {
    return MarksInSpecialColor ? SlotColorOr(csSpecialSymbol, TextColor()) : TextColor();
}

std::int32_t TLinePainter::BaselineAt(std::int32_t offsetPoints) const {
    const std::int32_t offset = offsetPoints != UnsetValue ? offsetPoints * 20 : 0;
    const std::int32_t before = Line.SpaceBefore();
    const TParFormat& f = Par.Format;
    if ((Line.Flags & lfDropCap) != 0) {
        const std::int32_t height = Line.Box != nullptr ? Line.Box->Bounds.Bottom - Line.Box->Bounds.Top : Line.Height;
        return Pixels((height - before) * 80 / 100 + before - offset);
    }
    if (f.LineSpacing < 0 && f.LineSpacingMultiple == 0)
        return Pixels(before + (-f.LineSpacing) * 80 / 100 - offset);
    std::int32_t baseline = MulDiv(TwipsToPx16(before - offset) + Line.Ascent, Doc.Zoom, 1600);
    if (f.LineSpacingMultiple == 1 && f.LineSpacing < 240)
        baseline -= MulDiv(MulDiv(Line.BaseAscent, Doc.Zoom, 1600), 240 - f.LineSpacing, 240);
    return baseline;
}

std::int32_t TLinePainter::TextTop() const {
    const std::int32_t baseline = Baseline();
    const TSharedFont& font = *CurrentSharedFont;
    const std::int32_t ascent = font.Metrics.Ascent;
    const std::int32_t script = Format[caScript];
    if (script == 1) {
        // The reduced font stands with its top at the full-size font's top.
        std::int32_t a = ascent;
        if (IsSet(Format[caSmallCaps]))
            a = MulDiv(ascent, 100, 80);
        return Y + baseline - MulDiv(a, 100, 65) + (a - ascent);
    }
    if (script == 2) {
        // ... and a subscript with its bottom at the full-size font's bottom.
        return Y + baseline + MulDiv(font.Descent, 100, 65) - font.Height;
    }
    return Y + baseline - ascent;
}

// --- The walk ---

void TLineTextPass::Run() {
    Platform::SetBkMode(P.DC, Platform::TRANSPARENT);
    Platform::SetTextAlign(P.DC, 0);
    const std::uint8_t* data = P.Par.Stream.Data + P.Line.StreamStart;
    const std::int32_t size = std::min(P.Line.StreamLength, P.Par.Stream.Size - P.Line.StreamStart);
    const bool spaceAlone = P.MarksInSpecialColor;
    std::int32_t pos = 0;
    std::int32_t k = 0;
    while (pos < size) {
        const std::uint8_t b = data[pos];
        if (b != 0) {
            if (k >= P.Line.CharCount)
                break;  // a damaged line: more text than characters
            if (!Wide.empty())
                Flush();
            if (P.FontDirty)
                P.SelectPaintFont();
            const bool symbol = CurrentSharedFont != nullptr && CurrentSharedFont->Metrics.Charset == SymbolCharset;
            if (b == ' ' && (symbol || spaceAlone)) {
                // A space drawn as a dot takes the special-symbol colour, and
                // a symbol font may have no dot: such spaces go alone.
                Flush();
                DrawSingle(k, P.Glyphs[static_cast<std::size_t>(k)],
                           spaceAlone && P.MarksShown(mkSpaces) ? P.MarkColor() : -1);
            } else {
                if (RunCount == 0)
                    RunStart = k;
                Bytes.push_back(static_cast<char>(P.Glyphs[static_cast<std::size_t>(k)]));
                ++RunCount;
            }
            ++pos;
            ++k;
            continue;
        }
        if (size - pos < FormatControlSize)
            break;
        const std::uint8_t code = data[pos + 1];
        const std::int32_t value = FormatControlValue(data + pos);
        if (ControlTakesPosition(code) && k >= P.Line.CharCount)
            break;
        switch (code) {
            case fcSpecialChar:
                Special(static_cast<std::uint8_t>(value & 0xFF), value, k++, pos);
                break;
            case fcSectionBreak:
                Special(chSectionBreak, value, k++, pos);
                break;
            case fcCellEnd:
                Special(chCellEnd, value, k++, pos);
                break;
            case fcRowEnd:
                Special(chRowEnd, value, k++, pos);
                break;
            case fcUnicodeChar: {
                if (!Bytes.empty())
                    Flush();
                if (Wide.empty())
                    RunStart = k;
                char16_t unit = static_cast<char16_t>(value & 0xFFFF);
                if (unit == u' ' && P.MarksShown(mkSpaces))
                    unit = 183;
                Wide.push_back(unit);
                ++RunCount;
                ++k;
                break;
            }
            case fcShapeAnchor: {
                Flush();
                auto* shape = HandleTo<TShape>(static_cast<TObjectHandle>(value));
                // A floating shape is painted with its page's shape layers,
                // not at its anchor.
                if (shape != nullptr && !shape->IsFloating()) {
                    const std::int32_t height = P.Doc.ApplyZoom(P.Line.Ascent / 16);
                    const Platform::TRect rect{P.DX(k), P.Y + P.Pixels(P.Line.SpaceBefore()),
                                               P.DX(k) + P.Advances[static_cast<std::size_t>(k)],
                                               P.Y + P.Pixels(P.Line.SpaceBefore()) + height};
                    // A window that draws shapes its own way says so; otherwise
                    // the picture draws itself through its resampled copy.
                    if (LinePaintHooks().PaintInlineShape != nullptr)
                        LinePaintHooks().PaintInlineShape(*shape, P.DC, rect, P.Dimmed);
                    else
                        PaintInlinePicture(*shape, P.DC, rect, P.Dimmed, P.Printing);
                    P.FontDirty = true;
                }
                ++k;
                break;
            }
            case fcFieldStart:
            case fcFieldEnd:
                FieldBoundary(code, value, k);
                break;
            default:
                if (code > fcLastCharAttr)
                    break;
                if (code == caHighlight && !P.Dimmed) {
                    P.Format[code] = value;
                    break;
                }
                Flush();
                P.Format[code] = value;
                if (code <= caItalic || code == caSmallCaps || code == caAllCaps || code == caScript ||
                    code == caScale || code == caSpacing)
                    P.FontDirty = true;
                break;
        }
        pos += FormatControlSize;
    }
    Flush();
}

void TLineTextPass::Flush() {
    if (RunCount == 0) {
        Bytes.clear();
        Wide.clear();
        return;
    }
    if (P.FontDirty)
        P.SelectPaintFont();
    const TCharFormat& f = P.Format;
    if (IsSet(f[caUnderline]))
        P.RecordUnderline(RunStart, RunStart + RunCount);
    const std::int32_t height = CurrentSharedFont->Height;
    const bool outline = IsSet(f[caOutline]);
    if (RunColor >= 0) {
        DrawRunAt(0, 0, RunColor);
    } else {
        if (IsSet(f[caShadow])) {
            const std::int32_t d = std::max(1, height * 4 / 100) + (outline ? 1 : 0);
            DrawRunAt(d, d, ShadowColor);
        }
        if (outline) {
            const std::int32_t color = P.TextColor();
            for (std::int32_t dy = -1; dy <= 1; ++dy)
                for (std::int32_t dx = -1; dx <= 1; ++dx)
                    if (dx != 0 || dy != 0)
                        DrawRunAt(dx, dy, color);
            // The letters are hollow: their inside shows the page, not the
            // shading.
            DrawRunAt(0, 0, SlotColorOr(csPageBackground, 0xFFFFFF));
        } else if (IsSet(f[caEmboss]) || IsSet(f[caEngrave])) {
            const std::int32_t e = std::max(1, height * 2 / 100);
            DrawRunAt(0, 0, EmbossColor);
            const std::int32_t d = IsSet(f[caEmboss]) ? -e : e;
            DrawRunAt(d, d, -1);
        } else {
            DrawRunAt(0, 0, -1);
        }
    }
    if (IsSet(f[caStrike]) || IsSet(f[caDoubleStrike]))
        Strike();
    Bytes.clear();
    Wide.clear();
    RunCount = 0;
    RunColor = -1;
    if (ReturnFont != UnsetValue) {
        P.Format[caFont] = ReturnFont;
        ReturnFont = UnsetValue;
        P.FontDirty = true;
    }
}

void TLineTextPass::Strike() {
    std::int32_t end = RunStart + RunCount;
    const bool lastLine = P.Line.FirstChar + P.Line.CharCount >= P.Par.CharCount();
    if (lastLine && end == P.Line.CharCount && end > RunStart &&
        P.Par.Chars.Data[P.Line.FirstChar + end - 1] == chParEnd)
        --end;
    if (end <= RunStart)
        return;
    const std::int32_t ascent = CurrentSharedFont->Metrics.Ascent;
    const bool twice = IsSet(P.Format[caDoubleStrike]);
    const std::int32_t h = std::max(1, ascent * 7 / 100);
    std::int32_t top = P.TextTop() + ascent * (twice ? 60 : 70) / 100;
    std::int32_t color = P.TextColor();
    if (color == 0xFFFFFF && (IsSet(P.Format[caEmboss]) || IsSet(P.Format[caEngrave])))
        color = SlotColorOr(csAutoText, 0x000000);
    const TRect bar{P.DX(RunStart), top, P.DX(end), top + h};
    FillSolidRect(P.DC, bar, static_cast<TColor>(color));
    if (twice) {
        top += 2 * h;
        FillSolidRect(P.DC, {bar.Left, top, bar.Right, top + h}, static_cast<TColor>(color));
    }
}

void TLineTextPass::DrawRunAt(std::int32_t dx, std::int32_t dy, std::int32_t color) {
    Platform::SetTextColor(P.DC, static_cast<Platform::TColorRef>(color >= 0 ? color : P.TextColor()));
    if (!Wide.empty()) {
        const std::int32_t* advances = P.Advances.data() + RunStart;
        Platform::ExtTextOutW(P.DC, P.DX(RunStart) + dx, P.TextTop() + dy, 0, nullptr, Wide, advances);
        return;
    }
    TCharFormat& f = P.Format;
    const bool smallCaps = IsSet(f[caSmallCaps]);
    std::string text = Bytes;
    if (smallCaps || IsSet(f[caAllCaps]))
        for (char& c : text)
            c = UpperCharLocale(c);
    if (!smallCaps) {
        OutputBytes(RunStart, text, dx, dy);
        return;
    }
    // Small capitals: lower-case letters are drawn as reduced capitals,
    // everything else at full size.
    std::size_t i = 0;
    while (i < Bytes.size()) {
        const bool lower = IsLowerCaseChar(Bytes[i]);
        std::size_t j = i + 1;
        while (j < Bytes.size() && IsLowerCaseChar(Bytes[j]) == lower)
            ++j;
        f[caSmallCaps] = lower ? 1 : 0;
        P.SelectPaintFont();
        OutputBytes(RunStart + static_cast<std::int32_t>(i), text.substr(i, j - i), dx, dy);
        i = j;
    }
    f[caSmallCaps] = 1;
    P.FontDirty = true;
}

void TLineTextPass::OutputBytes(std::int32_t first, const std::string& bytes, std::int32_t dx, std::int32_t dy) {
    const std::int32_t x = P.DX(first) + dx;
    const std::int32_t y = P.TextTop() + dy;
    const std::int32_t* advances = P.Advances.data() + first;
    bool done = false;
    if (NeedsWideOutput()) {
        std::int32_t codePage = CharsetCodePage(CurrentSharedFont->Metrics.Charset);
        if (codePage < 1250)
            codePage = 1252;
        const std::u16string wide = AnsiToWideInCodePage(bytes, codePage);
        if (wide.size() == bytes.size()) {
            Platform::ExtTextOutW(P.DC, x, y, 0, nullptr, wide, advances);
            done = true;
        }
    }
    if (!done)
        Platform::ExtTextOut(P.DC, x, y, 0, nullptr, bytes, advances);
    // A line that ends at an automatic hyphenation point shows its hyphen
    // just before its end.
    const std::int32_t end = first + static_cast<std::int32_t>(bytes.size());
    if ((P.Line.Flags & lfHyphenated) != 0 && end == P.Line.CharCount) {
        const std::int32_t hyphen = CurrentSharedFont->Widths[static_cast<std::uint8_t>('-')];
        Platform::TextOut(P.DC, P.DX(P.Line.CharCount) + dx - hyphen, y, "-");
    }
}

void TLineTextPass::DrawSingle(std::int32_t k, std::uint8_t glyph, std::int32_t color) {
    Flush();
    if (P.FontDirty)
        P.SelectPaintFont();
    if (color >= 0)
        MarkFont(glyph);
    RunStart = k;
    RunCount = 1;
    Bytes.assign(1, static_cast<char>(glyph));
    RunColor = color;
    Flush();
}

// A mark glyph the font lacks is drawn in the character font of the
// default paragraph style instead.
void TLineTextPass::MarkFont(std::uint8_t glyph) {
    if (CurrentSharedFont == nullptr || CurrentSharedFont->Metrics.Charset == SymbolCharset)
        return;
    if (CurrentSharedFont->Widths[glyph] > 0)
        return;
    TStyleList* styles = P.Doc.Styles;
    if (styles == nullptr || styles->Count == 0)
        return;
    TCharFormat format = DefaultCharFormat;
    styles->At<TStyle>(0)->ResolveFormat(&format, nullptr, 0);
    if (format[caFont] == UnsetValue || format[caFont] == P.Format[caFont])
        return;
    ReturnFont = P.Format[caFont];
    P.Format[caFont] = format[caFont];
    P.SelectPaintFont();
    P.FontDirty = true;
}

void TLineTextPass::Special(std::uint8_t code, std::int32_t value, std::int32_t k, std::int32_t streamPos) {
    Flush();
    const bool marks = P.ShowMarks;
    const std::int32_t markColor = P.MarksInSpecialColor ? P.MarkColor() : -1;
    switch (code) {
        case chParEnd:
        case chCellEnd:
        case chRowEnd:
            if (P.MarksShown(mkParagraphs))
                DrawSingle(k, MarkGlyphs[code], markColor >= 0 ? markColor : -1);
            break;
        case chSectionBreak: {
            if (!marks)
                break;
            auto* section = HandleTo<TSection>(static_cast<TObjectHandle>(value));
            const int kind = section != nullptr ? std::clamp<int>(section->Format.BreakKind, 0, 3) : 1;
            DrawBreak(k, 2 + kind);
            break;
        }
        case chColumnBreak:
            if (marks)
                DrawBreak(k, 1);
            break;
        case chPageBreak:
            if (marks)
                DrawBreak(k, 0);
            break;
        case chLineBreak:
            if (marks)
                DrawLineBreakMark(k);
            break;
        case chTab:
            DrawTab(k, static_cast<std::uint8_t>((value >> 8) & 15), static_cast<std::uint8_t>((value >> 12) & 15));
            break;
        case chNoBreakSpace:
        case chNonBreakingHyphen:
        case chEmDash:
        case chEnDash:
        case chEnSpace:
        case chEmSpace:
        case chQuarterEmSpace: {
            if (marks) {
                DrawSingle(k, P.Glyphs[static_cast<std::size_t>(k)], markColor);
                break;
            }
            std::uint8_t glyph = ' ';
            if (code == chNonBreakingHyphen)
                glyph = '-';
            else if (code == chEmDash)
                glyph = 151;
            else if (code == chEnDash)
                glyph = 150;
            DrawSingle(k, glyph, -1);
            break;
        }
        case chSoftHyphen:
            if (P.MarksShown(mkOptionalHyphens))
                DrawOptionalHyphenMark(k);
            else if (P.Advances[static_cast<std::size_t>(k)] > 0)
                DrawSingle(k, '-', -1);
            break;
        case chNoteRef:
            DrawNoteMark(k, streamPos);
            break;
        default:
            break;
    }
}

void TLineTextPass::HorzLine(std::int32_t x1, std::int32_t x2, std::int32_t y, std::int32_t color, std::int32_t style) {
    if (x2 <= x1)
        return;
    if (P.IntoServiceBitmap())
        ServiceBitmap->HorzPatternLine(x1, x2, y, static_cast<TColor>(color), style);
    else
        FillSolidRect(P.DC, {x1, y, x2, y + 1}, static_cast<TColor>(color));
}

void TLineTextPass::DrawTab(std::int32_t k, std::uint8_t kind, std::uint8_t leader) {
    if (P.FontDirty)
        P.SelectPaintFont();
    const std::int32_t left = P.DX(k);
    const std::int32_t width = P.Advances[static_cast<std::size_t>(k)];
    const std::int32_t top = P.TextTop();
    const std::int32_t height = CurrentSharedFont->Metrics.Ascent;
    if (IsSet(P.Format[caUnderline]))
        P.RecordUnderline(k, k + 1);
    if (P.MarksShown(mkTabs)) {
        const std::int32_t ax = left + (width - 10) / 2;
        const std::int32_t ay = top + (height - 5) / 2;
        const std::int32_t color = P.MarkColor();
        P.Fill({ax, ay + 2, ax + 12, ay + 3}, color);
        P.Fill({ax + 6, ay, ax + 8, ay + 5}, color);
        P.Fill({ax + 8, ay + 1, ax + 10, ay + 4}, color);
    }
    if (leader < 1 || leader > 4 || width <= 0)
        return;
    const bool smallCaps = IsSet(P.Format[caSmallCaps]);
    if (smallCaps) {
        P.Format[caSmallCaps] = 0;
        P.SelectPaintFont();
    }
    static constexpr char LeaderChars[5] = {0, '.', '-', '_', static_cast<char>(228)};
    const char c = LeaderChars[leader];
    const std::int32_t charWidth = std::max(1, Platform::GetTextExtent(P.DC, std::string(1, c)).cx);
    const std::int32_t n = width / charWidth;
    Platform::SetTextColor(P.DC, static_cast<Platform::TColorRef>(P.TextColor()));
    const std::int32_t y = P.TextTop();
    if (leader == 3) {
        // Underscores overlap into one rule, cut at the tab's end.
        const std::string text(static_cast<std::size_t>(n + std::max(1, n / 5)), c);
        const Platform::TRect clip{left, y, left + width, y + CurrentSharedFont->Height};
        Platform::ExtTextOut(P.DC, left, y, Platform::ETO_CLIPPED, &clip, text, nullptr);
    } else if (n > 0) {
        std::int32_t start = width % charWidth;
        if (kind == taCenter)
            start /= 2;
        const std::vector<std::int32_t> advances(static_cast<std::size_t>(n), charWidth);
        Platform::ExtTextOut(P.DC, left + start, y, 0, nullptr, std::string(static_cast<std::size_t>(n), c),
                             advances.data());
    }
    if (smallCaps) {
        P.Format[caSmallCaps] = 1;
        P.FontDirty = true;
    }
}

void TLineTextPass::DrawBreak(std::int32_t k, int labelIndex) {
    if (FontManager == nullptr)
        return;
    const char* label = BreakLabels[labelIndex];
    TCharFormat format = LabelCharFormat;
    format[caSize] = 16;  // 8 points
    FontManager->SelectFont(format, P.Doc.FontHeightPixels(16), P.DC, true, true);
    Platform::SelectFont(P.DC, CurrentSharedFont->Handle);
    P.FontDirty = true;
    const std::int32_t labelWidth = Platform::GetTextExtent(P.DC, label).cx;
    const std::int32_t w = std::max(P.Advances[static_cast<std::size_t>(k)], labelWidth + 30);
    const std::int32_t shown = std::min(labelWidth, w);
    const std::int32_t x0 = P.DX(k);
    const std::int32_t left = x0 + (w - shown) / 2;
    const std::int32_t top = P.Y + P.LineBaseline() - CurrentSharedFont->Metrics.Ascent;
    const std::int32_t color = P.MarkColor();
    Platform::SetTextColor(P.DC, static_cast<Platform::TColorRef>(color));
    const Platform::TRect clip{left, top, left + shown, top + CurrentSharedFont->Height};
    Platform::ExtTextOut(P.DC, left, top, Platform::ETO_CLIPPED, &clip, label, nullptr);
    if (shown >= w - 2)
        return;
    const std::int32_t middle = top + CurrentSharedFont->Height / 2;
    const auto both = [&](std::int32_t y, std::int32_t style) {
        HorzLine(x0, left - 1, y, color, style);
        HorzLine(left + shown + 2, x0 + w, y, color, style);
    };
    if (labelIndex == 0) {
        both(middle, 0);
    } else if (labelIndex == 1) {
        both(middle, 1);
    } else {
        both(middle - 1, 1);
        both(middle + 1, 1);
    }
}

void TLineTextPass::DrawLineBreakMark(std::int32_t k) {
    if (P.FontDirty)
        P.SelectPaintFont();
    const std::int32_t ascent = CurrentSharedFont->Metrics.Ascent;
    const std::int32_t x = P.DX(k) + (P.Doc.ApplyZoom(11) - 11) / 2;
    const std::int32_t y = P.Y + P.Baseline() - ascent + (ascent - 7) / 2;
    const std::int32_t color = P.MarkColor();
    P.Fill({x, y + 4, x + 9, y + 5}, color);
    P.Fill({x + 1, y + 3, x + 3, y + 6}, color);
    P.Fill({x + 2, y + 2, x + 4, y + 7}, color);
    P.Fill({x + 9, y, x + 10, y + 4}, color);
}

void TLineTextPass::DrawOptionalHyphenMark(std::int32_t k) {
    if (P.FontDirty)
        P.SelectPaintFont();
    const std::int32_t x = P.DX(k) + P.Advances[static_cast<std::size_t>(k)] / 2;
    const std::int32_t top = P.TextTop() + 2;
    const std::int32_t bottom = top + std::max(1, CurrentSharedFont->Height - 4);
    const std::int32_t color = P.MarkColor();
    P.Fill({x, top, x + 1, bottom}, color);
    P.Fill({x, top - 1, x + 3, top}, color);
    P.Fill({x - 2, bottom - 1, x + 1, bottom}, color);
}

// The mark text of a note reference: the number of the note whose
// reference field closes after the mark, "?" when there is none.
void TLineTextPass::DrawNoteMark(std::int32_t k, std::int32_t streamPos) {
    if (P.FontDirty)
        P.SelectPaintFont();
    std::string text = "?";
    const std::uint8_t* data = P.Par.Stream.Data;
    for (std::int32_t pos = P.Line.StreamStart + streamPos + FormatControlSize;
         pos + FormatControlSize <= P.Par.Stream.Size; ++pos) {
        if (data[pos] != 0)
            continue;
        if (data[pos + 1] == fcFieldEnd) {
            auto* field = HandleTo<TField>(static_cast<TObjectHandle>(FormatControlValue(data + pos)));
            if (field != nullptr && field->Kind == fkNoteRef) {
                const std::int32_t number = field->Number > 0           ? field->Number
                                            : field->Partner != nullptr ? field->Partner->Number
                                                                        : 0;
                if (number > 0)
                    text = std::to_string(number);
            }
            break;
        }
        pos += FormatControlSize - 1;
    }
    const std::int32_t top = P.TextTop();
    std::int32_t x = P.DX(k);
    if (P.MarksShown(mkNoteFrames) && P.OnScreen()) {
        const std::int32_t frameTop = std::max(top, P.Y + P.Pixels(P.Line.SpaceBefore()));
        Platform::DrawFocusRect(
            P.DC, {x, frameTop, x + P.Advances[static_cast<std::size_t>(k)], frameTop + CurrentSharedFont->Height - 1});
    }
    if (IsSet(P.Format[caUnderline]))
        P.RecordUnderline(k, k + 1);
    Platform::SetTextColor(P.DC, static_cast<Platform::TColorRef>(P.TextColor()));
    for (char c : text) {
        const std::string one(1, c);
        Platform::TextOut(P.DC, x, top, one);
        x += Platform::GetTextExtent(P.DC, one).cx;
    }
}

void TLineTextPass::FieldBoundary(std::uint8_t code, std::int32_t value, std::int32_t k) {
    if (!P.OnScreen())
        return;
    auto* field = HandleTo<TField>(static_cast<TObjectHandle>(value));
    if (field == nullptr)
        return;
    const bool start = code == fcFieldStart;
    constexpr std::uint8_t BookmarkHidden = 2;
    constexpr std::uint8_t BookmarkPoint = 4;
    constexpr std::uint8_t BracketedFieldType = 4;
    if (field->Kind == fkBookmark) {
        const bool point = (field->Flags & BookmarkPoint) != 0;
        if ((point && LinePaintOptions().ShowBookmarks && start) ||
            (!point && (field->Flags & BookmarkHidden) == 0 && P.MarksShown(mkBookmarks))) {
            Flush();
            DrawBracket(k, start, *field);
        }
    } else if (field->Kind == fkCode && start && field->Type == BracketedFieldType && P.MarksShown(mkFieldBrackets)) {
        Flush();
        DrawBracket(k, start, *field);
    }
}

void TLineTextPass::DrawBracket(std::int32_t k, bool start, const TField& field) {
    const TParFormat& f = P.Par.Format;
    std::int32_t top = P.Y + P.Pixels(P.Line.SpaceBefore());
    if (f.LineSpacing < 0 && f.LineSpacingMultiple == 0)
        top += P.Pixels(-f.LineSpacing * 80 / 100) - P.Doc.ApplyZoom(P.Line.Ascent / 16);
    else if (f.LineSpacingMultiple == 1 && f.LineSpacing < 240)
        top -= MulDiv(P.Doc.ApplyZoom(P.Line.BaseAscent / 16), 240 - f.LineSpacing, 240);
    const std::int32_t bottom = top + P.Doc.ApplyZoom((P.Line.Ascent + P.Line.Descent) / 16);
    const std::int32_t x = P.DX(k);
    if (field.Kind == fkBookmark && (field.Flags & 4) != 0) {
        const std::int32_t color =
            ColorManager != nullptr ? ColorManager->DisplayColorOn(0x0000FF, P.Background) : 0x0000FF;
        P.Fill({x - 1, top, x + 1, bottom}, color);
        return;
    }
    const std::int32_t color = P.Dimmed                                       ? P.TextColor()
                               : LinePaintOptions().SchemeSpecialSymbol != -1 ? SlotColorOr(csSpecialSymbol, 0)
                                                                              : SlotColorOr(csAutoText, 0);
    if (field.Kind == fkCode) {
        for (std::int32_t i = 0; i < 4; ++i) {
            P.Fill({x - 4 + i, top + i, x - 3 + i, top + i + 2}, color);
            P.Fill({x + 3 - i, top + i, x + 4 - i, top + i + 2}, color);
        }
        P.Fill({x - 1, top + 4, x + 1, bottom - 2}, color);
        return;
    }
    // A bookmark: a start bracket opens to the right, an end bracket to
    // the left.
    const std::int32_t left = start ? x - 1 : x - 4;
    const std::int32_t right = left + 5;
    P.Fill({left, top, right, top + 2}, color);
    P.Fill({left, bottom - 2, right, bottom}, color);
    if (start)
        P.Fill({left, top, left + 2, bottom}, color);
    else
        P.Fill({right - 2, top, right, bottom}, color);
}
