#pragma once

#include <cstdint>
#include <vector>

#include "base/core/TList.h"
#include "model/document/TSection.h"
#include "model/formats/TCharFormat.h"
#include "model/undo/TSubOperation.h"

// Steps on footnotes and endnotes.

// The footnote and endnote settings of the sections from the one holding
// the first paragraph to the one holding the last, and the note character
// formats. Where endnotes go is one choice for the whole document, so every
// section takes the new endnote placement; the step keeps the settings of
// every section, which makes its swap exact.
class TFormatNotesOperation : public TSubOperation {
public:
    // formats: reference mark and note text of footnotes, then of endnotes
    // (four formats), or nil to keep them.
    TFormatNotesOperation(TDoc* doc,
                          std::int32_t firstPar,
                          std::int32_t lastPar,
                          const TNoteSettings& footnotes,
                          const TNoteSettings& endnotes,
                          const TCharFormat* formats);
    void Undo() override;

    std::int32_t FirstPar = 0;
    std::int32_t LastPar = 0;
    std::vector<TNoteSettings> Blocks;  // footnote and endnote settings per section of the document
    TCharFormat Formats[2][2];
    std::uint8_t Changed = 0;
};

// Turns each listed note between footnote and endnote.
class TConvertNotesOperation : public TSubOperation {
public:
    TConvertNotesOperation(TDoc* doc, const TList& references);
    void Undo() override;

    TList References;  // note-reference fields (kind 3)
};
