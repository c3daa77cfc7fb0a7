#pragma once

#include <cstdint>
#include <string_view>

// Resources linked into the program (resources/resources.list), found by type
// and name without regard to case.
namespace Platform {

struct TResourceData {
    const unsigned char* Data = nullptr;
    std::int64_t Size = 0;
};

// False (and an empty result) when there is no such resource.
bool FindResourceData(std::string_view type, std::string_view name, TResourceData& out);

// Calls visit(type, name) for every embedded resource.
template <class F>
void ForEachResource(F&& visit);

}  // namespace Platform

#include "platform/EmbeddedResourceTable.h"

template <class F>
void Platform::ForEachResource(F&& visit) {
    for (int i = 0; i < RezEmbeddedResourceCount; ++i)
        visit(std::string_view(RezEmbeddedResources[i].Type), std::string_view(RezEmbeddedResources[i].Name));
}
