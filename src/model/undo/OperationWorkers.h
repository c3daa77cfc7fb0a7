#pragma once

#include <cstdint>

class TDoc;
class TField;

// One call of TDoc::PerformOperation as its worker sees it: the argument
// slots (objects and records by address, scalars as the address of a
// variable holding them) and the results a worker reports back.
struct TOperationCall {
    std::uint8_t Code = 0;
    void* const* Args = nullptr;
    std::int32_t ArgCount = 0;

    // A slot the caller did not pass reads as nil.
    void* Arg(std::int32_t slot) const { return slot >= 0 && slot < ArgCount ? Args[slot] : nullptr; }
    template <class T>
    T* ArgAs(std::int32_t slot) const {
        return static_cast<T*>(Arg(slot));
    }
    // A scalar slot, or the fallback when it is missing.
    template <class T>
    T Value(std::int32_t slot, T fallback = T{}) const {
        const T* p = ArgAs<T>(slot);
        return p != nullptr ? *p : fallback;
    }

    // Results.
    bool Shrunk = false;           // opShrinkPageCount
    bool DuplicatesFound = false;  // opSortParagraphs
    std::int32_t EntryCount = 0;   // opInsertTOC
    TField* NewField = nullptr;    // opInsertField
};

// A worker changes the document only through steps of the open operation
// and notes what the post-actions restore. One that finds nothing to do, or
// tells the user of an error, returns without steps; an exception leaves the
// operation unrecorded.
using TOperationWorker = void (*)(TDoc& doc, TOperationCall& call);

// The worker of a code: nil runs nothing (the operation records no step and
// is dropped). The model installs its own workers for the codes it can
// serve alone; the editing library installs the rest and may replace them.
TOperationWorker OperationWorker(std::uint8_t code);
// Returns the previous worker.
TOperationWorker SetOperationWorker(std::uint8_t code, TOperationWorker worker);

// The model's own worker of a code (nil for the codes it cannot serve).
TOperationWorker ModelOperationWorker(std::uint8_t code);
