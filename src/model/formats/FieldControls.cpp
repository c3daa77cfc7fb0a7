#include "model/formats/FieldControls.h"

std::int32_t FindFieldControl(const TMemory& stream,
                              std::int32_t from,
                              std::int32_t to,
                              std::uint8_t code,
                              std::int32_t handle) {
    std::int32_t found = -1;
    ForEachFieldControl(stream, from, to, [&](const TFieldControl& c) {
        if (c.Code != code || c.Value != handle)
            return false;
        found = c.Offset;
        return true;
    });
    return found;
}
