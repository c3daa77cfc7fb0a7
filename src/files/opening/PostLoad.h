#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TDoc;
class TShape;

// Steps that every freshly read document goes through before it is shown,
// whatever its format, in this order (FinishLoadedDocument runs them).

// Styles: the language is left to the text (no style carries one), a
// heading style gets the outline level of its heading number, a list level
// outside 0 to 8 becomes 0, and the paragraphs of a heading style take its
// outline level.
void FinishLoadedStyles(TDoc& doc);

// Lists of old-style numbering, one list of one level for each numbered
// paragraph as the RTF reader leaves them (when the file had no list
// table): the lists of consecutive list paragraphs are merged into the
// run's first list (deeper levels make it a list of nine levels, the
// missing levels copied from the level above and indented further), equal
// one-level bullet lists become one, and every numbered level gets its
// label from its prefix, number and suffix.
void FinishLoadedLists(TDoc& doc);

// List levels: unset first-line and left indents become 0, and a bullet
// of a symbol font stored as a code-page character (below 256) moves to the
// symbol font's private-use range (U+F000 + the code), where the font has
// its glyphs.
void FixListLevelFonts(TDoc& doc);

// INCLUDEPICTURE fields: a field whose result holds a picture that shows
// something becomes that picture alone; a field without one, or whose
// picture is blank (a placeholder another program saved), loads the picture
// its instruction names, from a local file or, when allowed, from the web,
// which replaces the result or the blank picture in place; then the field's
// marks are removed. A field whose picture cannot be had stays, its
// instruction naming the picture alone.
void LoadLinkedPictures(TDoc& doc);

// What loading needs to fetch pictures that INCLUDEPICTURE fields name by
// an "http" or "https" address. The files library fetches nothing itself:
// the shell installs the downloader and sets DownloadAllowed from the
// "Download images from the Web" option. Download fetches the address into
// the file at path, true when it did.
struct TWebPictureHooks {
    bool DownloadAllowed = false;
    std::function<bool(const std::string& address, const std::string& path)> Download;
};
TWebPictureHooks& WebPictureHooks();

// Whether a picture is blank: rendered on white, every pixel outside the
// middle third of its rows is white.
bool IsPictureBlank(TShape& shape);

// The file's note-reference character styles (their numbers in the file,
// -1 for a kind the file has none of; [0] footnotes, [1] endnotes): a
// note story's automatic number takes its kind's style, and every run of
// such a style that no note reference encloses becomes a note-mark field,
// which the writers save as that style again.
void ApplyNoteReferenceStyles(TDoc& doc, const std::int32_t referenceStyles[2]);
