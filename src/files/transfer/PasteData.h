#pragma once

#include <cstdint>
#include <string>

#include "model/undo/OperationArgs.h"

class TMemory;

// What to paste and how: the argument of opPaste (TPasteArgs::Paste).
// Commands, drag and drop, file insertion and copying text all paste
// through one record of this kind.
struct TPasteDescription {
    std::uint8_t Source = 0;  // psClipboard ...
    std::uint8_t Flags = 0;   // pfAtCaret ...
    // The kind of paste (pk...); the worker may settle on another.
    std::int32_t Kind = 3360;
    // The clipboard format to paste; 0 takes the best one offered.
    std::uint32_t ClipboardFormat = 0;
    std::string FileName;
    // The format code the file is opened with; 7 and above detect it.
    std::int32_t FileFormat = 7;
    const TMemory* RtfData = nullptr;  // psRtfMemory; the caller's
    // psCharacter: a UTF-16 code unit, or a byte of the font's code page.
    std::int32_t Character = 0;
    std::string FontName;
    std::uint8_t CharacterIsByte = 0;
};
using TPasteData = TPasteDescription;

// Sources.
enum : std::uint8_t { psClipboard = 0, psFile = 1, psRtfMemory = 2, psCharacter = 3 };

// Flags.
enum : std::uint8_t {
    // Paste at the caret: a selection is dropped, not replaced, and may
    // include the end of a note.
    pfAtCaret = 0x1,
    // No smart spacing for RTF from memory.
    pfNoSmartSpacing = 0x2,
};

// Kinds: the command ids of the paste commands; the last four are chosen by
// the worker.
enum : std::int32_t {
    pkPaste = 3360,
    pkPasteAsEnvironment = 3380,
    pkNewRows = 3381,
    pkNewColumns = 3382,
    pkCells = 3383,
    pkCellContents = 3384,
    pkCellsOverSelection = 3390,
    pkIntoSelectedCells = 3391,
    pkEachRange = 3392,
    pkColumnBlock = 3399,
};

// The registered clipboard formats paste reads.
inline constexpr char16_t RtfClipboardFormat[] = u"Rich Text Format";
inline constexpr char16_t HtmlClipboardFormat[] = u"HTML Format";
inline constexpr char16_t FileGroupClipboardFormat[] = u"FileGroupDescriptor";
inline constexpr char16_t FileContentsClipboardFormat[] = u"FileContents";
inline constexpr char16_t ColumnBlockClipboardFormat[] = u"Column Block";
inline constexpr char16_t TableSelectionClipboardFormat[] = u"Table Selection Type";
inline constexpr char16_t NonWholeWordsClipboardFormat[] = u"Non-whole Words";
