#pragma once

#include <cstdint>

#include "base/core/TMemory.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;
class TDoc;

// Flags of DeleteText.
enum : std::int32_t {
    dfKeepObjects = 0x4,           // removed objects are not unregistered
    dfNoJoinFormat = 0x8,          // the joined paragraph keeps the end paragraph's format
    dfKeepNotesAndHeaders = 0x10,  // note texts and headers of removed references and sections stay
    dfHeadersStay = 0x20,          // headers stay with their sections; marks lifted at the end only
    dfSmartSpacing = 0x40,         // smart spacing at the deletion point
    dfSmartSpacingWholeWords = 0x80,
    dfStoryEnd = 0x100,     // the Delete command: whole paragraphs may go at the text's end
    dfKeepEndMark = 0x200,  // an end at a paragraph mark is not moved over it
    dfListJoinFormat = 0x800,
    dfSelectedShapes = 0x10000,
};

// Editing state flags of deletion (TDoc::StateFlags).
enum : std::uint8_t {
    sfKeepParFormatsOnReplace = 134,  // paragraph formats carried over when the new text has paragraph ends
    sfNoTypingFormatFromReplaced = 131,
    sfDeletionRunning = 145,  // table repair waits until the deletion ends
};

// Deletes the ranges of set (from the last to the first), or the span from
// start to end, by the rules that keep every paragraph's mark, every table
// row and every field whole. Spans that would tear a table are refused.
void DeleteText(TDoc& doc,
                const TCompoundFragment* set,
                const TTextPos& start,
                const TTextPos& end,
                std::int32_t flags);
// Replaces the span by plain text (UTF-16 with ifUtf16) in the format of
// the replaced text.
void ReplaceText(TDoc& doc, const TTextPos& start, const TTextPos& end, std::int32_t flags, const TMemory& text);
// Replaces the span by an insertion stream.
void ReplaceWithFormatted(TDoc& doc,
                          const TTextPos& start,
                          const TTextPos& end,
                          std::int32_t flags,
                          std::int32_t parEnds,
                          const TMemory& stream);
