// The state-flag stack: each entry is 16 bits, the flag index in the low
// bits and its value before the push in bit 15.
#include "model/document/TDoc.h"

#include "base/core/Checks.h"
#include "model/document/StateFlags.h"
#include "platform/Heap.h"

void TDoc::PushFlagEntry(std::uint8_t index) {
    REZ_ASSERT(index < StateFlagCount);
    if (FlagStackTop + 2 > FlagStackCapacity) {
        FlagStackCapacity *= 2;
        FlagStack = static_cast<std::uint16_t*>(Platform::HeapRealloc(FlagStack, FlagStackCapacity));
    }
    FlagStack[FlagStackTop / 2] = static_cast<std::uint16_t>(index | (StateFlags[index] != 0 ? 0x8000 : 0));
    FlagStackTop += 2;
}

void TDoc::PushStateFlag(std::uint8_t index) {
    PushFlagEntry(index);
    StateFlags[index] = 1;
}

void TDoc::PushStateFlagClear(std::uint8_t index) {
    PushFlagEntry(index);
    StateFlags[index] = 0;
}

void TDoc::PopStateFlag() {
    // A pop without a push is a programming error.
    REZ_ASSERT(FlagStackTop >= 2);
    if (FlagStackTop < 2)
        return;
    FlagStackTop -= 2;
    const std::uint16_t entry = FlagStack[FlagStackTop / 2];
    StateFlags[entry & 0xFF] = (entry & 0x8000) != 0 ? 1 : 0;
}

void TDoc::PopStateFlags(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        PopStateFlag();
}
