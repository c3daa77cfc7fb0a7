#pragma once

#include <cstdint>

#include "base/core/TMemory.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"
#include "model/undo/TSubOperation.h"

// Character attributes of a range. The first call rewrites the range
// paragraph by paragraph: the controls of the changed attributes inside it
// go, except font controls, which are switched to the new face in the
// character set they named (so text of every script keeps a font that can
// show it); controls with the new values stand where the range begins, and
// controls that restore the values in force after the range stand at its
// end. The step keeps the stretch of stream each paragraph had (see
// model/formats/StreamEdit.h), and undo and redo exchange the stretches, which
// gives back every stream byte for byte.
class TFormatFontOperation : public TSubOperation {
public:
    TFormatFontOperation(TDoc* doc, const TFragment& range, const TCharFormat& values);
    void Undo() override;
    void Redo() override;

    // Per paragraph: index, first and last character (exclusive; -1 for the
    // paragraph's end), byte count and the bytes of the stretch.
    TMemory Changes;
    std::int32_t StartPar = 0;
    std::int32_t StartOffset = 0;
    std::int32_t EndPar = 0;
    std::int32_t EndOffset = 0;
    TCharFormat NewValues;    // unset: attribute not changed
    TCharFormat ValuesAfter;  // the values in force after the range
    std::uint8_t Done = 0;

private:
    void Swap();
    void Finish();
};
