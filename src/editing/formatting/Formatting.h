#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "model/formats/PageSetup.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;
class TDoc;
class TFormatStyleListInfo;
struct TPageSetupValues;

// The argument of opFormatTabs: the document's default tab width and the
// tab table the paragraphs take (0x8000: they keep theirs).
struct TTabsDescription {
    std::int32_t DefaultTabWidth = 720;
    std::int16_t TabTable = static_cast<std::int16_t>(0x8000);
};

// The formatting primitives and the workers of the formatting codes. Each
// records its changes as steps of the operation open on the document and
// notes the caret and selection the post-actions restore. Ranges come as a
// set (used when given), else a single range, else the selection; the
// workers work on a sorted, merged copy.

// The ranges a worker works on, sorted and merged, without empty ones from
// a set or the selection; when none remains and caretWhenNone is set, the
// empty range at the caret.
std::vector<TFragment> FormattingRanges(const TDoc& doc,
                                        const TCompoundFragment* set,
                                        const TFragment* range,
                                        bool caretWhenNone);

// Calls visit(format, from, to) for every stretch of one character format
// of paragraph par between the characters from and to (to exclusive).
using TFormatRunVisitor = std::function<void(const TCharFormat& format, std::int32_t from, std::int32_t to)>;
void ForEachFormatRun(const TDoc& doc,
                      std::int32_t par,
                      std::int32_t from,
                      std::int32_t to,
                      const TFormatRunVisitor& visit);
// The common character format of the ranges: unset where it varies.
void CommonCharFormat(const TDoc& doc, const std::vector<TFragment>& ranges, TCharFormat& common);
// The common paragraph format of the paragraphs the ranges touch.
void CommonParFormat(const TDoc& doc, const std::vector<TFragment>& ranges, TParFormat& common);

// Page settings (code 0): one margin or distance, the orientation or the
// whole setup of the sections of the range, each value kept within what
// the page of its section leaves it.
void FormatPageSettingsClamped(TDoc& doc, const TPageSetupValues& values, const TFragment& range);
// The value a margin or distance word (0 to 5) may take on a page.
std::int32_t ClampPageValue(const TPageSetup& page, std::uint8_t what, std::int32_t value);

// Paragraph properties of the paragraphs of the ranges (code 1).
void FormatParagraphsEx(TDoc& doc, const std::vector<TFragment>& ranges, const TParFormat& format);
// Character attributes of the ranges (code 2); with no range, of the word
// at the caret or of what is typed next.
void FormatFontEx(TDoc& doc, std::vector<TFragment> ranges, const TCharFormat& format, std::uint8_t flags);
// Switches off, in format, the rivals of every attribute it switches on.
void ApplyExclusiveAttributes(TCharFormat& format);

// One step of a character attribute from value (code 3).
std::int32_t SteppedFontValue(std::int32_t attribute, std::int32_t value, std::int32_t step);
void StepFontAttribute(TDoc& doc, std::int32_t attribute, std::int32_t step);

void ApplyFormatBrush(TDoc& doc);  // code 4
bool ShrinkPageCount(TDoc& doc);   // code 5; false when the text is at 1 point
void ResetFormat(TDoc& doc, const std::vector<TFragment>& ranges, bool font);     // code 7
void FormatTabs(TDoc& doc, std::int32_t defaultTabWidth, std::int16_t tabTable);  // code 6

// One step of a paragraph's property of kind 0 to 5 (code 8), within the
// text width and the page height of its section.
void SteppedParValues(std::uint8_t kind,
                      std::int32_t step,
                      std::int32_t textWidth,
                      std::int32_t pageHeight,
                      TParFormat& format);
void StepParAttribute(TDoc& doc, const std::vector<TFragment>& ranges, std::uint8_t kind, std::int32_t step);

// Styles (codes 9 to 11). ApplyStyle gives whole paragraphs a style: with
// whole, its complete formats (the given ones in place of the resolved
// ones), while runs that vary within a paragraph keep the attributes the
// style does not set, links their colour and underline and note references
// their raised script; without, only the style index.
void ApplyStyle(TDoc& doc,
                std::vector<TFragment> ranges,
                const TParFormat* parFormat,
                const TCharFormat* charFormat,
                bool whole,
                std::int32_t style);
// Replaces the style sheet and the list definitions a change carries, then
// applies the style it names; takes the change over.
void FormatStyles(TDoc& doc, TFormatStyleListInfo* change);
// Redefines a style (-1: the selection's) from the selection's formats.
void UpdateStyle(TDoc& doc, std::int32_t style);
// Re-applies the styles a style-sheet change redefined to their paragraphs
// (the service the model asks for while a new sheet goes in).
void ReapplyStyles(TDoc& doc, TFormatStyleListInfo& info);
