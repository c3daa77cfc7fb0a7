#pragma once

#include <cstdint>
#include <string_view>

// Resources linked into the program (resources/resources.list and the forms
// compiled from resources/forms), found by type and name without regard to
// case. Further tables (the tests' own resources) can be added; the
// program's table is searched first.
namespace Platform {

struct TEmbeddedResource;

struct TResourceData {
    const unsigned char* Data = nullptr;
    std::int64_t Size = 0;
};

// False (and an empty result) when there is no such resource.
bool FindResourceData(std::string_view type, std::string_view name, TResourceData& out);

// Adds a table of resources to the search (once; main thread, at start-up).
void AddResourceTable(const TEmbeddedResource* table, int count);

// Calls visit(type, name) for every embedded resource.
template <class F>
void ForEachResource(F&& visit);

// The tables searched, the program's first.
int ResourceTableCount();
const TEmbeddedResource* ResourceTable(int index, int& count);

}  // namespace Platform

#include "platform/EmbeddedResourceTable.h"

template <class F>
void Platform::ForEachResource(F&& visit) {
    for (int t = 0; t < ResourceTableCount(); ++t) {
        int count = 0;
        const TEmbeddedResource* table = ResourceTable(t, count);
        for (int i = 0; i < count; ++i)
            visit(std::string_view(table[i].Type), std::string_view(table[i].Name));
    }
}
