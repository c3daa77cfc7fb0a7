#include "model/undo/OperationWorkers.h"

#include "model/undo/OperationCodes.h"

namespace {

struct TWorkerTable {
    TOperationWorker Workers[OperationCodeCount] = {};
    TWorkerTable() {
        for (int code = 0; code < OperationCodeCount; ++code)
            Workers[code] = ModelOperationWorker(static_cast<std::uint8_t>(code));
    }
};

TWorkerTable& Table() {
    static TWorkerTable table;
    return table;
}

}  // namespace

TOperationWorker OperationWorker(std::uint8_t code) {
    return code < OperationCodeCount ? Table().Workers[code] : nullptr;
}

TOperationWorker SetOperationWorker(std::uint8_t code, TOperationWorker worker) {
    if (code >= OperationCodeCount)
        return nullptr;
    TOperationWorker previous = Table().Workers[code];
    Table().Workers[code] = worker;
    return previous;
}
