#include "files/transfer/SymbolInsert.h"

#include <cstdint>
#include <string>

#include "files/transfer/Paste.h"
#include "files/transfer/PasteData.h"
#include "model/document/TDoc.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"

namespace {

// Set while a symbol is pasted.
constexpr std::uint8_t sfPastingSymbol = 138;

void WorkInsertSymbol(TDoc& doc, TOperationCall&, const TInsertSymbolArgs& args) {
    doc.InsertSymbol(args.Char, args.FontName != nullptr ? *args.FontName : std::string(), args.Flag);
}

}  // namespace

// The character goes in as a paste of one character, which takes the
// destination's format with the font given and wraps a private-use
// character in a SYMBOL field. The typing format that held before is put
// back afterwards by the chained font format of PerformOperation.
void TDoc::InsertSymbol(std::int32_t character, const std::string& fontName, std::uint8_t characterIsByte) {
    // A control character or half of a surrogate pair shows no glyph of
    // any font, and a byte has no value past 255: nothing is pasted, as
    // for a character paste cannot load.
    constexpr std::int32_t FirstPrintable = 0x20;
    constexpr std::int32_t LastByte = 0xFF;
    constexpr std::int32_t FirstSurrogate = 0xD800;
    constexpr std::int32_t LastSurrogate = 0xDFFF;
    const bool surrogate = character >= FirstSurrogate && character <= LastSurrogate;
    const bool valid = character >= FirstPrintable && (characterIsByte != 0 ? character <= LastByte : !surrogate);
    if (!valid)
        return;
    TPasteData data;
    data.Source = psCharacter;
    data.Flags = 0;
    data.Kind = pkPaste;
    data.Character = character;
    data.FontName = fontName;
    data.CharacterIsByte = characterIsByte;
    // An exception leaves the flag to PerformOperation, which pops every
    // flag its worker pushed.
    PushStateFlag(sfPastingSymbol);
    Paste(*this, data);
    PopStateFlag();
}

void InstallSymbolInsertWorker() {
    SetOperationWorker<TInsertSymbolArgs>(WorkInsertSymbol);
}
