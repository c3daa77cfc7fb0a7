#include "model/undo/TFastReplaceTextOperation.h"

#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

namespace {

bool IsControlChar(std::uint8_t c) {
    return c == chParEnd || c == chColumnBreak || c == chLineBreak || c == chPageBreak || c == chCellEnd ||
           c == chRowEnd;
}

void Rebreak(TDoc& doc, std::int32_t index) {
    doc.Par(index)->Changed();
    doc.NoteParChanged(index);
}

}  // namespace

void TFastReplaceTextOperation::Undo() {
    TPar* par = Doc->Par(Par);
    for (std::size_t i = 0; i < Chars.size(); ++i) {
        const std::int32_t pos = Offset + static_cast<std::int32_t>(i);
        if (pos >= par->CharCount())
            break;
        const std::int32_t at = par->StreamOffsetOfChar(pos);
        auto& stored = reinterpret_cast<std::uint8_t&>(Chars[i]);
        const std::uint8_t current = par->Chars.Data[pos];
        // Only text characters are exchanged here; a control stays.
        if (at >= par->Stream.Size || par->Stream.Data[at] == 0)
            continue;
        par->Stream.Data[at] = stored;
        par->Chars.Data[pos] = stored;
        stored = current;
    }
    Rebreak(*Doc, Par);
}

void TFastReplaceTextOperation2::Undo() {
    TPar* par = Doc->Par(Par);
    if (Offset < 0 || Offset >= par->CharCount())
        return;
    const std::int32_t at = par->StreamOffsetOfChar(Offset);
    const std::uint8_t current = par->Chars.Data[Offset];
    std::uint8_t* p = par->Stream.Data + at;
    const bool isControl = at < par->Stream.Size && p[0] == 0;
    if (IsControlChar(Char) != isControl)
        return;  // a text byte and a control never take each other's place
    if (isControl) {
        const std::uint8_t oldCode = p[1];
        const std::int32_t oldValue = FormatControlValue(p);
        if (HasControl)
            StoreFormatControl(p, ControlCode, ControlValue);
        else if (Char == chRowEnd)
            return;  // a row end needs the row that only a kept control names
        else
            StoreFormatControl(p, Char == chCellEnd ? fcCellEnd : fcSpecialChar, Char == chCellEnd ? 0 : Char);
        HasControl = true;
        ControlCode = oldCode;
        ControlValue = oldValue;
    } else {
        *p = Char;
    }
    par->Chars.Data[Offset] = Char;
    Char = current;
    Rebreak(*Doc, Par);
}
