#include "model/formats/TParFormatClipboard.h"

TParFormatClipboard ParFormatClipboard;

void CopyParFormatToClipboard(const TParFormat& format, std::string_view name) {
    TParFormatClipboard& c = ParFormatClipboard;
    c.Format = format;
    for (int prop : {ppStyle, ppOutlineLevel, ppList, ppListLevel, ppInTable, ppCollapsed})
        ClearParProp(c.Format, prop);
    c.Name.assign(name);
    if (!c.TableFormats)
        c.TableFormats = std::make_unique<TMemory>();
    c.TableFormats->Clear();
    c.Full = 1;
}
