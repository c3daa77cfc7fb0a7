#include "platform/Palettes.h"

#include <algorithm>
#include <vector>

#include "platform/cairo/GdiObjects.h"

namespace Platform {

class TPaletteObject : public TGdiObject {
public:
    std::vector<TPaletteEntry> Entries;
};

HPALETTE CreatePalette(const TPaletteEntry* entries, int count) {
    if (entries == nullptr || count <= 0)
        return nullptr;
    auto* palette = new TPaletteObject;
    palette->Entries.assign(entries, entries + std::min(count, 256));
    return palette;
}

void DeletePaletteObject(HPALETTE palette) {
    if (palette != nullptr)
        palette->Release();
}

int PaletteEntryCount(HPALETTE palette) {
    return palette == nullptr ? 0 : static_cast<int>(palette->Entries.size());
}

int GetPaletteEntries(HPALETTE palette, int start, int count, TPaletteEntry* out) {
    if (palette == nullptr || out == nullptr || start < 0 || count <= 0)
        return 0;
    const int available = static_cast<int>(palette->Entries.size()) - start;
    const int n = std::max(0, std::min(count, available));
    std::copy_n(palette->Entries.begin() + start, n, out);
    return n;
}

bool ScreenIsPalettised() {
    return false;
}

}  // namespace Platform
