#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/core/TMemory.h"
#include "files/transfer/PasteData.h"
#include "model/fields/TField.h"
#include "model/formats/TTextPos.h"

class TDoc;
namespace Platform {
class TClipboardSource;
}

// The clipboard paste reads (nil: the desktop's clipboard); tests and
// benchmarks hand it one held in memory.
void SetPasteClipboard(Platform::TClipboardSource* clipboard);
Platform::TClipboardSource& PasteClipboard();

// The user's Smart Cut & Paste option: spaces are tidied at both ends of
// pasted and moved whole words.
struct TPasteOptions {
    bool SmartCutAndPaste = true;
    // The command manager's drag-and-drop mode: pasted content is selected.
    bool DragDropMode = false;
    // The dispatcher's insert-file mode (a file inserted into a document):
    // the inserted document never passes on its page setup, its formatting
    // is fitted to the destination's unless KeepSourceFormatting, and the
    // fields it brings of automatically updated types are updated after it.
    bool InsertFileMode = false;
    // With InsertFileMode: the inserted text keeps its own formatting, or
    // at least its own fonts.
    bool KeepSourceFormatting = false;
    bool KeepSourceFonts = false;
};
TPasteOptions& PasteOptions();

// The files on the clipboard go to the document dispatcher, which opens
// them; without a handler installed they are not pasted. True when the
// dispatcher changed the document.
using TDroppedFilesHandler = bool (*)(TDoc& doc, const std::u16string& paths);
void SetDroppedFilesHandler(TDroppedFilesHandler handler);

// An item of the clipboard history (the clip library keeps them), pasted in
// place of what the clipboard holds: the format it was kept in (numbered
// as the clipboard in use numbers it), its bytes in that format's
// clipboard layout, and the two source strings it was copied with.
struct TClipboardHistoryItem {
    std::uint32_t Format = 0;
    std::vector<std::uint8_t> Data;
    std::u16string SourceStrings[2];
};
// Attaches the item clipboard pastes take their content from until it is
// detached (nil). The caller keeps the item.
void AttachClipboardHistoryItem(const TClipboardHistoryItem* item);
// While a history item is pasted: its two source strings, which the
// readers take as the clipboard's current source strings; nil otherwise.
const std::u16string* PasteSourceStrings();

// The worker of opPaste.
void Paste(TDoc& doc, const TPasteData& data);

// What loading the content to paste found.
struct TPasteLoadResult {
    bool Failed = true;  // also when nothing was loaded
    bool Picture = false;
    bool HasLists = false;
    bool WholeTable = false;
    bool PlainText = false;  // the content is plain text, typed in the destination's format
    // The content is a set of floating shapes copied on their own: they are
    // pasted as shapes anchored at the caret, not as text.
    bool ShapesOnly = false;
    // In insert-file mode: the automatically updated field types among the
    // content's field codes, updated once the paste is in.
    TFieldTypeSet UpdatedFieldTypes;
    bool HasUpdatedFields = false;
    // A link dragged from a browser: its address, pasted as a hyperlink.
    std::u16string LinkAddress;
    std::int32_t ParEnds = 0;
    std::uint32_t Format = 0;  // the clipboard format used
};

// Drops the selection inside a worker: the caret stays, and the window
// learns of it through the post-actions, never by repainting at once.
void DropSelection(TDoc& doc);

class TPar;
// The characters of a paragraph before its closing mark (paragraph, cell
// or row end, section break); all of them when it has none, as the last
// paragraph of pasted content may.
std::int32_t ParTextLength(const TPar& par);

// The content of one paste, loaded into a hidden document; nil when loading
// failed (every reader has said why). The clipboard must be open for a
// clipboard source.
std::unique_ptr<TDoc> LoadPasteContent(TDoc& dest,
                                       const TPasteData& data,
                                       bool plainTextMode,
                                       bool flattenTables,
                                       TPasteLoadResult& result);

// Inserts the paragraphs [from, to) of content (to.Offset exclusive) at pos
// of dest: as text in the typing format there in plain-text mode, else
// through RTF in memory with their formatting. The caret ends after it.
void PasteRangeAt(TDoc& dest, TDoc& content, const TFragment& range, const TTextPos& pos, bool plainText);

class TShape;
// Places floating shapes pasted at the caret clear of the floating shapes
// already there: while an edge lies within 35 twips of the same edge of
// another shape of the caret's story, the shape moves 180 twips right (left
// and right edges) or down (top and bottom edges). In a table a pasted
// shape takes the empty position.
void PlacePastedShapes(TDoc& dest, const std::vector<TShape*>& shapes, bool inTable);

// Scales a picture shape to fit the available space (twips): both axes take
// the smallest of 100 %, the width ratio and the height ratio, so that
// pictures shrink to fit and never grow.
void FitPictureScale(TShape& shape, std::int32_t availableWidth, std::int32_t availableHeight);
