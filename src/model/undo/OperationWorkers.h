#pragma once

#include <cstdint>
#include <span>

#include "base/core/Checks.h"
#include "model/undo/OperationArgs.h"

class TDoc;
class TField;

// One call of TDoc::PerformOperation as its worker sees it: the code, its
// argument record, and the results a worker reports back.
struct TOperationCall {
    std::uint8_t Code = 0;
    const void* Args = nullptr;  // the argument record of Code

    // A call with these arguments.
    template <OperationArgs TArgs>
    static TOperationCall Of(const TArgs& args) {
        TOperationCall call;
        call.Code = TArgs::Code;
        call.Args = &args;
        return call;
    }
    // The argument record, which must be the one of the call's code.
    template <OperationArgs TArgs>
    const TArgs& ArgsAs() const {
        REZ_ASSERT(Code == TArgs::Code && Args != nullptr);
        return *static_cast<const TArgs*>(Args);
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
// operation unrecorded. It receives the argument record of its code; the
// record's type decides which code it serves.
template <OperationArgs TArgs>
using TOperationWorker = void (*)(TDoc& doc, TOperationCall& call, const TArgs& args);

// The worker table keeps workers of every record type in one array, each
// with the function that calls it with its own record type.
namespace OperationWorkerTable {
using TAnyWorker = void (*)();
using TInvoker = void (*)(TAnyWorker worker, TDoc& doc, TOperationCall& call);

struct TEntry {
    TAnyWorker Worker = nullptr;
    TInvoker Invoke = nullptr;
};

template <OperationArgs TArgs>
void Invoke(TAnyWorker worker, TDoc& doc, TOperationCall& call) {
    reinterpret_cast<TOperationWorker<TArgs>>(worker)(doc, call, call.ArgsAs<TArgs>());
}

template <OperationArgs TArgs>
TEntry EntryOf(TOperationWorker<TArgs> worker) {
    if (worker == nullptr)
        return {};
    return {reinterpret_cast<TAnyWorker>(worker), &Invoke<TArgs>};
}

TEntry Get(std::uint8_t code);
TEntry Set(std::uint8_t code, TEntry entry);
}  // namespace OperationWorkerTable

// The worker of a record's code: nil runs nothing (the operation records no
// step and is dropped). The model installs its own workers for the codes it
// can serve alone; the editing library installs the rest and may replace
// them.
template <OperationArgs TArgs>
TOperationWorker<TArgs> OperationWorker() {
    return reinterpret_cast<TOperationWorker<TArgs>>(OperationWorkerTable::Get(TArgs::Code).Worker);
}
// Returns the previous worker.
template <OperationArgs TArgs>
TOperationWorker<TArgs> SetOperationWorker(TOperationWorker<TArgs> worker) {
    const OperationWorkerTable::TEntry previous =
        OperationWorkerTable::Set(TArgs::Code, OperationWorkerTable::EntryOf<TArgs>(worker));
    return reinterpret_cast<TOperationWorker<TArgs>>(previous.Worker);
}

// Runs the worker of call.Code, if it has one, with the call's record.
// Returns whether there was a worker.
bool RunOperationWorker(TDoc& doc, TOperationCall& call);

// The model's own workers, one entry per code it can serve alone.
struct TModelWorker {
    std::uint8_t Code;
    OperationWorkerTable::TEntry Entry;
};
template <OperationArgs TArgs>
TModelWorker ModelWorker(TOperationWorker<TArgs> worker) {
    return {TArgs::Code, OperationWorkerTable::EntryOf<TArgs>(worker)};
}
std::span<const TModelWorker> ModelOperationWorkers();
