#include "model/undo/OperationWorkers.h"

#include "model/undo/OperationCodes.h"

namespace {

struct TWorkerTable {
    OperationWorkerTable::TEntry Entries[OperationCodeCount] = {};
    TWorkerTable() {
        for (const TModelWorker& worker : ModelOperationWorkers())
            Entries[worker.Code] = worker.Entry;
    }
};

TWorkerTable& Table() {
    static TWorkerTable table;
    return table;
}

}  // namespace

namespace OperationWorkerTable {

TEntry Get(std::uint8_t code) {
    return code < OperationCodeCount ? Table().Entries[code] : TEntry{};
}

TEntry Set(std::uint8_t code, TEntry entry) {
    if (code >= OperationCodeCount)
        return {};
    const TEntry previous = Table().Entries[code];
    Table().Entries[code] = entry;
    return previous;
}

}  // namespace OperationWorkerTable

bool RunOperationWorker(TDoc& doc, TOperationCall& call) {
    const OperationWorkerTable::TEntry entry = OperationWorkerTable::Get(call.Code);
    if (entry.Worker == nullptr)
        return false;
    entry.Invoke(entry.Worker, doc, call);
    return true;
}
