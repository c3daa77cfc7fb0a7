#include "editing/search/SearchOptions.h"

std::uint8_t SearchOptions = 0;
TFindFormat FindFormat = [] {
    TFindFormat f;
    f.Clear();
    return f;
}();
TFindFormat ReplaceFormat = [] {
    TFindFormat f;
    f.Clear();
    return f;
}();

void TFindFormat::Clear() {
    ClearCharFormat(CharFormat);
    // Property by property rather than from UnsetParFormat, because the
    // global records above are cleared before other files' constants may
    // be initialised.
    for (int prop = 0; prop < ParPropCount; ++prop)
        SetParProp(ParFormat, prop, UnsetValue);
    StyleName.clear();
}

bool TFindFormat::IsEmpty() const {
    return CharFormatIsClear(CharFormat) && ParFormatIsClear(ParFormat) && StyleName.empty();
}
