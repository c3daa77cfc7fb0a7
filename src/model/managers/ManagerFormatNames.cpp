#include "model/managers/ManagerFormatNames.h"

#include "model/managers/DescribeFormatting.h"
#include "model/managers/TColorManager.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"

namespace {

class TManagerFormatNames : public TFormatNames {
public:
    std::string FontName(std::int32_t font) const override {
        if (FontManager != nullptr && font >= 0 && font < FontManager->RegFonts.Count)
            return FontManager->RegFont(font)->GetName();
        return TFormatNames::FontName(font);
    }
    std::string ColorName(std::int32_t color) const override { return TColorManager::ColorName(color); }
    std::vector<std::uint32_t> TabStops(std::int32_t tabTable) const override {
        std::vector<std::uint32_t> stops;
        // Index 0 is no table of its own.
        if (TabManager != nullptr && tabTable > 0 && tabTable < TabManager->Count) {
            const TTabTable* table = TabManager->Table(tabTable);
            for (std::int32_t i = 0; i < table->Count; ++i)
                stops.push_back(table->Stop(i));
        }
        return stops;
    }
};

}  // namespace

void InstallManagerFormatNames() {
    static const TManagerFormatNames names;
    SetFormatNames(&names);
}
