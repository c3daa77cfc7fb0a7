#pragma once

#include <cstdint>
#include <vector>

#include "base/core/TMemory.h"
#include "model/document/TSection.h"
#include "model/formats/PageSetup.h"
#include "model/formats/TTextPos.h"
#include "model/undo/TSubOperation.h"

// Steps that change sections: page setup, columns, the header and footer
// slots, break kinds, and whole sections copied or exchanged. Each holds
// the other state and swaps it with the document's on every call.

// What a page-settings step changes.
enum : std::uint8_t {
    pwOrientation = 6,  // flip portrait and landscape
    pwWithSpreads = 7,  // the whole setup, and every section takes its mirror and facing flags
    pwWholeSetup = 255,
};

// One margin or distance word (What 0 to 5: words 4 to 9 of the page
// setup), the orientation, or the whole page setup of the sections of a
// range. Pagination starts again from the first page.
class TChangePageParamsOperation : public TSubOperation {
public:
    // value is the new word for What 0 to 5; setup the new page setup for
    // the whole-setup kinds; the orientation needs neither.
    TChangePageParamsOperation(TDoc* doc,
                               const TFragment& range,
                               std::uint8_t what,
                               std::int32_t value,
                               const TPageSetup* setup);
    void Undo() override;
    void Redo() override;

    TMemory Saved;  // per section of the range: the word or the whole setup
    TFragment Range{};
    std::uint8_t What = pwWholeSetup;
    std::vector<std::uint8_t> Spreads;  // What 7: mirror and facing of every section

private:
    void Swap(bool redo);
    void SwapSpreads();
};

// The column format of every section from the one holding the first
// paragraph to the one holding the last; in the short form the two reader
// values after the header and footer slots instead; with PageNumbers set
// the page numbering (style and start number) instead.
class TFormatSectOperation : public TSubOperation {
public:
    TFormatSectOperation(TDoc* doc, std::int32_t firstPar, std::int32_t lastPar, const TSectionFormat& format);
    TFormatSectOperation(TDoc* doc, std::int32_t firstPar, std::int32_t lastPar, const TSectionReaderValues& values);
    TFormatSectOperation(TDoc* doc, std::int32_t firstPar, std::int32_t lastPar, const TPageNumberOptions& options);
    void Undo() override;

    TMemory Saved;
    std::uint8_t ShortForm = 0;
    std::uint8_t PageNumbers = 0;  // Saved holds one TPageNumberOptions per section
    std::int32_t FirstPar = 0;
    std::int32_t LastPar = 0;

private:
    void SwapPageNumbers(std::int32_t first, std::int32_t last);
};

// Everything two sections carry: format, page setup, header and footer
// slots, reader values and note settings.
class TExchangeSectFormattingOperation : public TSubOperation {
public:
    TExchangeSectFormattingOperation(TDoc* doc, TSection* a, TSection* b) : TSubOperation(doc), A(a), B(b) {}
    void Undo() override;

    TSection* A = nullptr;
    TSection* B = nullptr;
};

// Copies a source section's format, page setup, header and footer slots
// and note settings into a target section; undo puts the target's back.
class TAssignSectOperation : public TSubOperation {
public:
    TAssignSectOperation(TDoc* doc, TSection* target, TSection* source)
        : TSubOperation(doc), Target(target), Source(source) {}
    void Undo() override;
    void Redo() override;

    struct TSavedState {
        TSectionFormat Format;
        TPageSetup PageSetup{};
        TField* HeadersFooters[HeaderFooterSlotCount] = {};
        TSectionReaderValues ReaderValues;
        TNoteSettings FootnoteSettings;
        TNoteSettings EndnoteSettings;
    };
    TSavedState Saved;
    TSection* Target = nullptr;
    TSection* Source = nullptr;
};

// The six header and footer objects of a section.
class TChangeSectHeadersOperation : public TSubOperation {
public:
    TChangeSectHeadersOperation(TDoc* doc, TSection* section, TField* const slots[HeaderFooterSlotCount]);
    void Undo() override;

    TSection* Section = nullptr;
    TField* Slots[HeaderFooterSlotCount] = {};
};

// The break kind of the section whose break ends a paragraph.
class TChangeSectBreakOperation : public TSubOperation {
public:
    TChangeSectBreakOperation(TDoc* doc, std::int32_t par, std::uint8_t kind)
        : TSubOperation(doc), Par(par), BreakKind(kind) {}
    void Undo() override;

    std::int32_t Par = 0;
    std::uint8_t BreakKind = 1;
};
