#include "base/core/TResourceStream.h"

#include "platform/Resources.h"

TResourceStream::TResourceStream(std::string_view name, std::string_view resType) {
    Platform::TResourceData data;
    Found = Platform::FindResourceData(resType, name, data);
    // The resource is read-only program data; the stream never writes to it.
    SetMemory(const_cast<unsigned char*>(data.Data), static_cast<std::int32_t>(data.Size));
}
