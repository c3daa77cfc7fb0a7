// Character formatting: applying attributes, stepping them, and reading the
// formats of a stretch of text back.
#include <algorithm>
#include <cmath>

#include "editing/formatting/Formatting.h"
#include "editing/formatting/FormattingSeams.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TFormatFontOperation.h"

namespace {

// The highlight of a format that leaves the highlight alone.
constexpr std::int32_t HighlightNotGiven = static_cast<std::int32_t>(0xFE000000u);

// The sizes and offsets a step may reach.
constexpr std::int32_t MinFontSize = 2;  // half-points
constexpr std::int32_t MaxFontSize = 2000;
constexpr std::int32_t SpacingLimit = 20000;
constexpr std::int32_t OffsetLimit = 1000;
// Steps of the size that move through the size list, and the largest step
// that counts in half-points; any other step is a percentage above 2000.
constexpr std::int32_t NextListSize = 2000;
constexpr std::int32_t LargestPlainStep = 1999;

// Rounds a / b to the nearest integer, halves away from zero.
std::int32_t DivRound(std::int64_t a, std::int64_t b) {
    const double q = static_cast<double>(a) / static_cast<double>(b);
    return static_cast<std::int32_t>(std::lround(q));
}

bool IsWordChar(std::uint8_t c) {
    // Text bytes are characters of the run's code page; every code below 32
    // is a special character, and these separate words as well.
    if (c < 32)
        return false;
    if (c >= 0x80)
        return true;
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '\'';
}

bool DefaultWordAt(TDoc& doc, const TTextPos& pos, TFragment& word) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return false;
    const TMemory& chars = doc.Par(pos.Par)->Chars;
    std::int32_t start = std::clamp(pos.Offset, 0, chars.Size);
    std::int32_t end = start;
    while (start > 0 && IsWordChar(chars.Data[start - 1]))
        --start;
    while (end < chars.Size && IsWordChar(chars.Data[end]))
        ++end;
    if (start == end)
        return false;
    MakeFragment(pos.Par, start, pos.Par, end, word);
    return true;
}

bool WordAtCaret(TDoc& doc, bool spell, TFragment& word) {
    if (FormattingSeams().WordAt != nullptr)
        return FormattingSeams().WordAt(doc, doc.Caret, spell, word);
    return DefaultWordAt(doc, doc.Caret, word);
}

// Whether applying the set attributes of format would change the range.
bool ChangesRange(const TDoc& doc, const TFragment& range, const TCharFormat& format) {
    bool changes = false;
    for (std::int32_t p = range.Start.Par; p <= range.End.Par && !changes; ++p) {
        const std::int32_t from = p == range.Start.Par ? range.Start.Offset : 0;
        const std::int32_t to = p == range.End.Par ? range.End.Offset : doc.Par(p)->CharCount();
        ForEachFormatRun(doc, p, from, to, [&](const TCharFormat& run, std::int32_t, std::int32_t) {
            for (int a = 0; a < CharAttrCount; ++a)
                if (format[a] != UnsetValue && format[a] != run[a])
                    changes = true;
        });
    }
    return changes;
}

}  // namespace

std::vector<TFragment> FormattingRanges(const TDoc& doc,
                                        const TCompoundFragment* set,
                                        const TFragment* range,
                                        bool caretWhenNone) {
    std::vector<TFragment> out;
    auto add = [&](TFragment f, bool keepEmpty) {
        if (CompareTextPos(f.Start, f.End) > 0)
            std::swap(f.Start, f.End);
        const std::int32_t last = doc.ParCount() - 1;
        if (f.Start.Par < 0 || f.Start.Par > last)
            return;
        if (f.End.Par > last) {
            f.End.Par = last;
            f.End.Offset = doc.Par(last)->CharCount();
        }
        f.End.Offset = std::min(f.End.Offset, doc.Par(f.End.Par)->CharCount());
        if (keepEmpty || !FragmentIsEmpty(f))
            out.push_back(f);
    };
    if (set == nullptr && range != nullptr) {
        add(*range, true);
    } else {
        TCompoundFragment* sorted = CloneCompoundFragment(set != nullptr ? *set : *doc.Selection);
        sorted->Normalize();
        for (std::int32_t i = 0; i < sorted->Count(); ++i)
            add(sorted->Fragment(i), false);
        ReleaseCompoundFragment(sorted);
    }
    if (out.empty() && caretWhenNone)
        add(TFragment{doc.Caret, doc.Caret}, true);
    return out;
}

void ForEachFormatRun(const TDoc& doc,
                      std::int32_t par,
                      std::int32_t from,
                      std::int32_t to,
                      const TFormatRunVisitor& visit) {
    const TPar* p = doc.Par(par);
    TCharFormat format = DefaultCharFormat;
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < p->Stream.Size && pos < to; off += e.Length) {
        ReadStreamElement(p->Stream.Data, p->Stream.Size, off, e);
        if (e.IsControl && e.Truncated)
            break;
        if (e.IsControl && e.Code <= fcLastCharAttr) {
            format[e.Code] = e.Value;
            continue;
        }
        const std::int32_t length = e.IsControl ? (ControlTakesPosition(e.Code) ? 1 : 0) : e.Length;
        if (length == 0)
            continue;
        const std::int32_t a = std::max(pos, from);
        const std::int32_t b = std::min(pos + length, to);
        if (a < b)
            visit(format, a, b);
        pos += length;
    }
}

void CommonCharFormat(const TDoc& doc, const std::vector<TFragment>& ranges, TCharFormat& common) {
    bool first = true;
    common = UnsetCharFormat;
    for (const TFragment& f : ranges) {
        for (std::int32_t p = f.Start.Par; p <= f.End.Par; ++p) {
            const std::int32_t from = p == f.Start.Par ? f.Start.Offset : 0;
            const std::int32_t to = p == f.End.Par ? f.End.Offset : doc.Par(p)->CharCount();
            ForEachFormatRun(doc, p, from, to, [&](const TCharFormat& run, std::int32_t, std::int32_t) {
                if (first)
                    common = run;
                else
                    IntersectCharFormats(common, run);
                first = false;
            });
        }
    }
}

void ApplyExclusiveAttributes(TCharFormat& format) {
    auto on = [&](int attr) { return format[attr] != UnsetValue && format[attr] > 0; };
    // Read every switch first, so that the order of the rules does not
    // matter.
    const bool strike = on(caStrike), doubleStrike = on(caDoubleStrike);
    const bool smallCaps = on(caSmallCaps), allCaps = on(caAllCaps);
    const bool shadow = on(caShadow), outline = on(caOutline);
    const bool emboss = on(caEmboss), engrave = on(caEngrave);
    if (strike)
        format[caDoubleStrike] = 0;
    if (doubleStrike)
        format[caStrike] = 0;
    if (smallCaps)
        format[caAllCaps] = 0;
    if (allCaps)
        format[caSmallCaps] = 0;
    if (shadow || outline) {
        format[caEmboss] = 0;
        format[caEngrave] = 0;
    }
    if (emboss) {
        format[caEngrave] = 0;
        format[caShadow] = 0;
        format[caOutline] = 0;
    }
    if (engrave) {
        format[caEmboss] = 0;
        format[caShadow] = 0;
        format[caOutline] = 0;
    }
}

void FormatFontEx(TDoc& doc, std::vector<TFragment> ranges, const TCharFormat& given, std::uint8_t flags) {
    TCharFormat format = given;
    if (format[caHighlight] == HighlightNotGiven)
        format[caHighlight] = UnsetValue;
    if (CharFormatIsClear(format))
        return;
    ApplyExclusiveAttributes(format);

    std::erase_if(ranges, [](const TFragment& f) { return FragmentIsEmpty(f); });
    const bool wholeWords = (ModelOptions().EditFlags & eoFormatWithoutSelection) != 0;
    const bool atEdge = doc.StateFlags[sfWholeWordAtEdge] != 0;
    if (ranges.empty() && (wholeWords || atEdge)) {
        const bool language = format[caLanguage] != UnsetValue;
        TFragment word;
        const TTextPos& caret = doc.Caret;
        if (WordAtCaret(doc, language, word) &&
            ((caret.Offset > word.Start.Offset && caret.Offset < word.End.Offset) ||
             (atEdge && language && caret.Offset >= word.Start.Offset && caret.Offset <= word.End.Offset))) {
            ranges.push_back(word);
        } else if (caret.Par >= 0 && caret.Par < doc.ParCount() && doc.Par(caret.Par)->CharCount() == 1) {
            TFragment mark;
            MakeFragment(caret.Par, 0, caret.Par, 1, mark);
            ranges.push_back(mark);
        }
    }
    if (ranges.empty()) {
        // Nothing to format: the attributes go to what is typed next.
        OverlayCharFormat(doc.TypingFormat, format);
        doc.StateFlags[sfTypingFormatFixed] = 1;
        if (doc.StateFlags[sfFollowUI] != 0)
            doc.StateFlags[sfTypingFormatDirect] = 1;
        return;
    }
    if (doc.StateFlags[sfTypingFormatDirect] != 0)
        FillUnsetCharFormat(format, doc.TypingFormat);
    for (const TFragment& f : ranges)
        if (ChangesRange(doc, f, format))
            (new TFormatFontOperation(&doc, f, format))->Execute();
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    if ((flags & 1) != 0)
        pa.Selection->Reset();
    else
        pa.Selection->Assign(*doc.Selection);
}

std::int32_t SteppedFontValue(std::int32_t attribute, std::int32_t value, std::int32_t step) {
    std::int64_t result;
    if (attribute == caSize) {
        const std::vector<std::int32_t>& sizes = FontSizeSteps();
        if (step == -NextListSize) {
            result = value;
            for (std::int32_t size : sizes)
                if (size < value)
                    result = size;
        } else if (step == NextListSize) {
            result = value;
            for (auto it = sizes.rbegin(); it != sizes.rend(); ++it)
                if (*it > value)
                    result = *it;
        } else if (step >= -LargestPlainStep && step <= LargestPlainStep) {
            result = static_cast<std::int64_t>(value) + step;
        } else {
            result = DivRound(static_cast<std::int64_t>(value) * (step - NextListSize), 100);
        }
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, MinFontSize, MaxFontSize));
    }
    if (attribute == caSpacing) {
        result = static_cast<std::int64_t>(DivRound(value, 2)) * 2 + step;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, -SpacingLimit, SpacingLimit));
    }
    result = static_cast<std::int64_t>(value) + step;
    if (attribute == caOffset)
        result = std::clamp<std::int64_t>(result, -OffsetLimit, OffsetLimit);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, INT32_MIN + 1, INT32_MAX));
}

void StepFontAttribute(TDoc& doc, std::int32_t attribute, std::int32_t step) {
    if (attribute < 0 || attribute >= CharAttrCount)
        return;
    const std::vector<TFragment> ranges = FormattingRanges(doc, nullptr, nullptr, false);
    TCharFormat change = UnsetCharFormat;
    if (ranges.empty()) {
        change[attribute] = SteppedFontValue(attribute, doc.TypingFormat[attribute], step);
        FormatFontEx(doc, {}, change, 0);
        return;
    }
    for (const TFragment& f : ranges) {
        TCharFormat common;
        CommonCharFormat(doc, {f}, common);
        if (common[attribute] != UnsetValue) {
            change[attribute] = SteppedFontValue(attribute, common[attribute], step);
            FormatFontEx(doc, {f}, change, 0);
            continue;
        }
        // Mixed values: every stretch of one value takes its own step, so
        // that the differences survive. The stretches are gathered first,
        // because each change rewrites the stream being walked.
        struct TStretch {
            TFragment Range;
            std::int32_t Value;
        };
        std::vector<TStretch> stretches;
        for (std::int32_t p = f.Start.Par; p <= f.End.Par; ++p) {
            const std::int32_t from = p == f.Start.Par ? f.Start.Offset : 0;
            const std::int32_t to = p == f.End.Par ? f.End.Offset : doc.Par(p)->CharCount();
            ForEachFormatRun(doc, p, from, to, [&](const TCharFormat& run, std::int32_t a, std::int32_t b) {
                if (!stretches.empty() && stretches.back().Value == run[attribute] &&
                    stretches.back().Range.End.Par == p && stretches.back().Range.End.Offset == a) {
                    stretches.back().Range.End.Offset = b;
                    return;
                }
                TStretch s;
                MakeFragment(p, a, p, b, s.Range);
                s.Value = run[attribute];
                stretches.push_back(s);
            });
        }
        for (const TStretch& s : stretches) {
            change[attribute] = SteppedFontValue(attribute, s.Value, step);
            FormatFontEx(doc, {s.Range}, change, 0);
        }
    }
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    pa.Selection->Assign(*doc.Selection);
}
