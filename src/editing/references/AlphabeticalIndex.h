#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/formats/TTextPos.h"
#include "model/host/TEditingServices.h"

class TDoc;
class TField;

// Alphabetical indexes: XE fields mark entries in the text; an INDEX
// field's content is generated from all of them, sorted under the
// language's rules, grouped, with page numbers and ranges, cross
// references and letter headings, indented or run in, optionally in a
// section of its own with several columns.

// The argument of opMarkIndexEntries: each text's occurrences get an XE
// field with the instruction of the same place.
struct TMarkIndexOptions {
    std::vector<std::u16string> Texts;
    std::vector<std::u16string> Instructions;
};

// One XE field as the generator takes it: the field, where it starts and
// the page (0 for the first) it is on.
struct TIndexEntryField {
    TField* Field = nullptr;
    TTextPos Pos{};
    std::int32_t Page = 0;
};

// The XE fields of the document in document order, each with its place;
// pages are filled in from the layout as it stands (-1 where a field is
// not laid out).
void CollectIndexEntryFields(TDoc& doc, std::vector<TIndexEntryField>& fields);

// The worker of opMarkIndexEntry: an XE field with the instruction at the
// start of each selected range (or at the caret).
void MarkIndexEntry(TDoc& doc, const std::u16string& instruction);
// The worker of opMarkIndexEntries: for each text, its first whole-word
// occurrence in each paragraph of the text stories gets an XE field, unless
// one with the same instruction is there already or the place lies in an
// index or a table of contents.
void MarkAllIndexEntries(TDoc& doc, const TMarkIndexOptions& options);
// The worker of opInsertIndex: the index at the selection's start (an
// index there is replaced), generated from the fields given.
void GenerateIndex(TDoc& doc, const std::u16string& instruction, const std::vector<TIndexEntryField>& fields);

// For the follow-up that regenerates while pages move: the XE fields with
// their pages, sorted by field.
void IndexEntryPages(TDoc& doc, std::vector<TIndexEntryPage>& entries);

// The marks that switch attributes inside generated strings: a tab and a
// digit. Exposed for the tests of the text the generator builds.
enum : char16_t {
    imBoldOn = u'0',
    imBoldOff = u'1',
    imItalicOn = u'2',
    imItalicOff = u'3',
    imRedOn = u'4',
    imRedOff = u'5',
};

// The letter an entry files under: its first character upper-cased and
// stripped of accents (É files under E).
char16_t IndexHeadingLetter(std::u16string_view entry, std::uint32_t language);

// Compares two entry texts level by level (the text up to each ":"): each
// level ignoring case under the language's string sort, case deciding only
// between otherwise equal levels; an entry that ends earlier comes first.
int CompareIndexEntries(std::u16string_view a, std::u16string_view b, std::uint32_t language);
