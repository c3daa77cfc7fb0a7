#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/core/TMemory.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TField;

// Flags of the insertion primitives.
enum : std::int32_t {
    ifFollowingFormatIncluded = 0x1,  // the stream already ends with the following text's format
    ifSelectInserted = 0x2,           // select the inserted text afterwards
    ifNoObjects = 0x4,                // the objects named in the stream are not registered
    ifSmartSpacing = 0x40,            // smart spacing at both ends
    ifUtf16 = 0x1000,                 // plain text is UTF-16 (two bytes a character)
    ifBreaksInTables = 0x8000,        // page, column and section breaks stay such inside tables
};

// Editing state flags of typing (TDoc::StateFlags; the model names its own,
// the field index names those it shares with deletion).
enum : std::uint8_t {
    sfClipboardLanguage = 45,      // the text comes from the clipboard
    sfFixedTypingLanguage = 46,    // typed text takes the document's fixed typing language
    sfKeepTypingLanguage = 47,     // the typing language and character set are not recomputed
    sfNoNoteReorder = 135,         // notes are not reordered
    sfTypedByCode = 139,           // the formatted content is one character typed by its code
    sfSmartSpacing = 141,          // smart spacing is running
    sfWholeCellReplaceable = 149,  // a whole one-paragraph cell may be selected and replaced with its mark
};

// What typing needs of the main window and of the user's options; the
// window and the options dialog set it.
struct TTypingOptions {
    bool Overtype = false;
    // Two spaces after a sentence end survive smart spacing.
    bool TwoSpacesAfterSentence = false;
};
TTypingOptions& TypingOptions();

// A font that has a character the format's font lacks: the index of a
// registered document font, or -1 for none. The writing tools, which know
// the installed fonts' coverage, install the search; without it typed
// characters keep their font.
using TFallbackFontFinder = std::int32_t (*)(TDoc& doc, char16_t ch, const TCharFormat& format);
void SetFallbackFontFinder(TFallbackFontFinder finder);
std::int32_t FallbackFontForChar(TDoc& doc, char16_t ch, const TCharFormat& format);

// The insertion stream that plain text becomes at pos in the typing
// format: control characters as their special characters, paragraph ends
// (a CR LF or LF CR pair once), section breaks (12, 0, kind), and the
// format the text after pos has restated at the end. Returns the number of
// characters; parEnds receives the number of paragraph ends.
std::int32_t BuildInsertionStream(TDoc& doc,
                                  const TMemory& text,
                                  const TTextPos& pos,
                                  std::int32_t flags,
                                  TMemory& stream,
                                  std::int32_t& parEnds);

// The primitives every editing worker inserts through; each records its
// changes as steps of the open operation and notes the caret.
void InsertText(TDoc& doc, const TMemory& text, const TTextPos& pos, std::int32_t flags);
void InsertFormatted(TDoc& doc,
                     const TMemory& stream,
                     const TTextPos& pos,
                     std::int32_t flags,
                     int story,
                     std::int32_t parEnds,
                     TTextPos* result = nullptr);
// The workers of typing (opInsertText) and of inserting prepared content
// (opInsertFormattedText).
void InsertTextAtCaret(TDoc& doc, const TMemory& text, std::int32_t flags);
void InsertFormattedAtCaret(TDoc& doc, const TMemory& stream, std::int32_t parEnds, std::int32_t flags);
// Normalises the selection before typing replaces it.
void PrepareSelectionForTyping(TDoc& doc);

// Typing language and character set of typed text.
void UpdateTypingLanguage(TDoc& doc, TCharFormat& format);

// Hyperlinks whose text is their own address, gathered before an edit
// and re-targeted to their new text after it.
struct TLinkSnapshot {
    TField* Field = nullptr;
    std::u16string Target;  // the old address (with "#bookmark")
    std::u16string Tooltip;
};
void GatherSelfAddressedLinks(TDoc& doc, const TFragment& range, std::vector<TLinkSnapshot>& links);
void RetargetLinks(TDoc& doc, const std::vector<TLinkSnapshot>& links);

// Puts the note texts of both note stories in the order of their references.
void ReorderNotes(TDoc& doc);
