#include "platform/Resources.h"

#include <cctype>

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

}  // namespace

bool FindResourceData(std::string_view type, std::string_view name, TResourceData& out) {
    out = {};
    for (int i = 0; i < RezEmbeddedResourceCount; ++i) {
        const TEmbeddedResource& r = RezEmbeddedResources[i];
        if (SameNoCase(type, r.Type) && SameNoCase(name, r.Name)) {
            out.Data = r.Begin;
            out.Size = r.End - r.Begin;
            return true;
        }
    }
    return false;
}

}  // namespace Platform
