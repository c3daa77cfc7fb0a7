#include "base/core/ObjectHandles.h"

#include <unordered_map>
#include <vector>

#include "base/core/Checks.h"

namespace {

struct THandleTable {
    std::vector<const void*> Objects{nullptr};  // slot 0 is the nil handle
    std::vector<TObjectHandle> FreeSlots;
    std::unordered_map<const void*, TObjectHandle> Index;
};

THandleTable& Table() {
    static THandleTable* table = new THandleTable;  // lives to the end of the run
    return *table;
}

}  // namespace

TObjectHandle ObjectHandle(const void* object) {
    if (object == nullptr)
        return 0;
    THandleTable& t = Table();
    auto found = t.Index.find(object);
    if (found != t.Index.end())
        return found->second;
    TObjectHandle h;
    if (!t.FreeSlots.empty()) {
        h = t.FreeSlots.back();
        t.FreeSlots.pop_back();
        t.Objects[h] = object;
    } else {
        h = static_cast<TObjectHandle>(t.Objects.size());
        REZ_ASSERT(h < 0x80000000u);
        t.Objects.push_back(object);
    }
    t.Index.emplace(object, h);
    return h;
}

void* HandleObject(TObjectHandle handle) {
    THandleTable& t = Table();
    if (handle == 0 || handle >= t.Objects.size())
        return nullptr;
    return const_cast<void*>(t.Objects[handle]);
}

void ReleaseObjectHandle(const void* object) {
    if (object == nullptr)
        return;
    THandleTable& t = Table();
    auto found = t.Index.find(object);
    if (found == t.Index.end())
        return;
    t.Objects[found->second] = nullptr;
    t.FreeSlots.push_back(found->second);
    t.Index.erase(found);
}

int LiveObjectHandleCount() {
    return static_cast<int>(Table().Index.size());
}
