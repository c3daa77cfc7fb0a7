#include "platform/Resources.h"

#include <cctype>
#include <vector>

namespace Platform {
namespace {

bool SameNoCase(std::string_view a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0')
            return false;
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return b[i] == '\0';
}

struct TTable {
    const TEmbeddedResource* Entries;
    int Count;
};

std::vector<TTable>& ExtraTables() {
    static std::vector<TTable> tables;
    return tables;
}

}  // namespace

void AddResourceTable(const TEmbeddedResource* table, int count) {
    for (const TTable& t : ExtraTables())
        if (t.Entries == table)
            return;
    ExtraTables().push_back({table, count});
}

int ResourceTableCount() {
    return 1 + static_cast<int>(ExtraTables().size());
}

const TEmbeddedResource* ResourceTable(int index, int& count) {
    if (index == 0) {
        count = RezEmbeddedResourceCount;
        return RezEmbeddedResources;
    }
    const TTable& t = ExtraTables()[static_cast<std::size_t>(index - 1)];
    count = t.Count;
    return t.Entries;
}

bool FindResourceData(std::string_view type, std::string_view name, TResourceData& out) {
    out = {};
    for (int t = 0; t < ResourceTableCount(); ++t) {
        int count = 0;
        const TEmbeddedResource* table = ResourceTable(t, count);
        for (int i = 0; i < count; ++i) {
            const TEmbeddedResource& r = table[i];
            if (SameNoCase(type, r.Type) && SameNoCase(name, r.Name)) {
                out.Data = r.Begin;
                out.Size = r.End - r.Begin;
                return true;
            }
        }
    }
    return false;
}

}  // namespace Platform
