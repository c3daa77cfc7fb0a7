#pragma once

#include <cstdint>

struct TSaveContext;

// The saving settings the RTF writer reads (section "LoadSave", value
// "Flags"): bit 0 supercompact RTF (raw 8-bit text), bit 3 the caret
// position. The shell loads them with the other options.
struct TRtfSaveSettings {
    bool Supercompact = true;
    bool SaveCaretPosition = false;
};
TRtfSaveSettings& RtfSaveSettings();

// Writes the range of the context's document as RTF through the context's
// output layer: 0 on success, 2 on failure. A failed file write
// (ESaveWriteFailed) is passed on to the dispatcher, which asks the user.
int WriteRtf(TSaveContext& context);
