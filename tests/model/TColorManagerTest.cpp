#include "model/managers/TColorManager.h"

#include <gtest/gtest.h>

#include "base/graphics/Colors.h"
#include "model/formats/TCharFormat.h"
#include "model/host/TModelHost.h"
#include "model/managers/DescribeFormatting.h"
#include "platform/Screen.h"

namespace {

std::string WithoutTrailingDefaults(std::string hex) {
    while (hex.size() >= 8 && hex.compare(hex.size() - 8, 8, "FFFFFFFF") == 0)
        hex.resize(hex.size() - 8);
    return hex;
}

TEST(ColorSchemeTest, BuiltInSchemesRoundTripThroughTheHexForm) {
    for (const TBuiltInColorScheme& builtIn : BuiltInColorSchemes) {
        SCOPED_TRACE(builtIn.Name);
        TColorScheme scheme;
        scheme.LoadFromHex(builtIn.Hex);
        EXPECT_EQ(scheme.SaveToHex(), WithoutTrailingDefaults(builtIn.Hex));
        TColorScheme again;
        again.LoadFromHex(scheme.SaveToHex());
        EXPECT_TRUE(TColorManager::SameSchemeColors(scheme, again));
    }
    TColorScheme deepBlue;
    deepBlue.LoadFromHex(BuiltInColorSchemes[1].Hex);
    EXPECT_EQ(deepBlue.Colors[0], 0x00FFFF00);
    EXPECT_EQ(deepBlue.Colors[12], 0x00808080);
    EXPECT_EQ(deepBlue.Colors[13], -1);
    EXPECT_EQ(deepBlue.Colors[14], -1);
}

TEST(ColorSchemeTest, HexFormEdges) {
    TColorScheme scheme;
    EXPECT_EQ(scheme.SaveToHex(), "");
    scheme.Colors[1] = 0x00F1CDA8;
    EXPECT_EQ(scheme.SaveToHex(), "FFFFFFFF00F1CDA8");

    struct Case {
        const char* name;
        std::string text;
        std::int32_t slot0, slot1;
    };
    const Case cases[] = {
        {"empty", "", -1, -1},
        {"shorter than a group", "00FF00", -1, -1},
        {"one group and a half", "0000ff00ABCD", 0xFF00, -1},
        {"damaged group", "00GG000000ABCDEF", -1, 0xABCDEF},
        {"two groups", "00000001000000FF", 1, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TColorScheme s;
        s.Colors[5] = 7;  // loading starts from the defaults
        s.LoadFromHex(c.text);
        EXPECT_EQ(s.Colors[0], c.slot0);
        EXPECT_EQ(s.Colors[1], c.slot1);
        EXPECT_EQ(s.Colors[5], -1);
    }
    // Groups beyond the last slot are left alone.
    TColorScheme many;
    many.LoadFromHex(std::string(8 * 20, '0'));
    for (int i = 0; i < ColorSlotCount; ++i)
        EXPECT_EQ(many.Colors[i], 0);
}

TEST(ColorSchemeTest, SlotRules) {
    TColorScheme scheme;
    EXPECT_EQ(scheme.GetColor(csSelection), 0xF7DFC8);
    EXPECT_EQ(scheme.GetColor(csRulerNewTab), 0x0000FF);
    EXPECT_EQ(scheme.GetColor(csAutoText), static_cast<std::int32_t>(Platform::GetSysColor(8) & 0xFFFFFF));
    EXPECT_EQ(scheme.GetColor(csPageBackground), static_cast<std::int32_t>(Platform::GetSysColor(5) & 0xFFFFFF));
    // The page margin follows the page background of the same scheme.
    scheme.Colors[csPageBackground] = 0x123456;
    EXPECT_EQ(scheme.GetColor(csPageMargin), 0x123456);
    scheme.Colors[csPageMargin] = 0x654321;
    EXPECT_EQ(scheme.GetColor(csPageMargin), 0x654321);

    TColorScheme copy;
    copy.Name = "Mine";
    copy.Assign(scheme);
    EXPECT_EQ(copy.Name, "Mine");
    EXPECT_TRUE(TColorManager::SameSchemeColors(copy, scheme));
    copy.Colors[2] = 0;
    EXPECT_FALSE(TColorManager::SameSchemeColors(copy, scheme));
}

TEST(ColorManagerTest, NamesDocumentColours) {
    struct Case {
        std::int32_t color;
        const char* name;
    };
    const Case cases[] = {
        {0x0000FF, "Red"},
        {0x0045FF, "Orange Red"},
        {0x993366, "Rebecca Purple"},
        {0x998877, "Light Slate Gray"},
        {0x000000, "Black"},
        {0xFFFFFF, "White"},
        {0xFFFF00, "Aqua"},
        {0xFF00FF, "Magenta"},
        {0x010203, "RGB(3,2,1)"},
        {AutoColor, "Auto"},
        {0x00D7FF, "Gold"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TColorManager::ColorName(c.color), c.name) << std::hex << c.color;
    for (int i = 1; i < NamedColorCount; ++i)
        EXPECT_LT(NamedColors[i - 1].Color, NamedColors[i].Color) << NamedColors[i].Name;
}

class TRelayoutHost : public TModelHost {
public:
    void RelayoutAllDocuments() override { ++Relayouts; }
    int Relayouts = 0;
};

TEST(ColorManagerTest, PalettesForScreenAndPrint) {
    TRelayoutHost host;
    TModelHost* previous = SetModelHost(&host);
    {
        TColorManager manager;
        EXPECT_EQ(ColorManager, &manager);
        EXPECT_EQ(manager.CurrentPalette, manager.ScreenPalette);
        EXPECT_EQ(manager.SlotColor(csSelection), 0xF7DFC8);

        TPaletteColor& entry = manager.ScreenPalette->Entries[csSelection];
        Platform::HBRUSH brush = entry.Brush();
        EXPECT_NE(brush, nullptr);
        EXPECT_EQ(entry.Brush(), brush);

        manager.UsePrintPalette();
        EXPECT_EQ(manager.SlotColor(csSelection), 0xF1CDA8);
        EXPECT_EQ(manager.SlotColor(csInterpageSpace), 0x808080);
        EXPECT_EQ(manager.SlotColor(csRulerBackground), 0xF0F0F0);  // the default

        // A new scheme while printing: the print palette is made anew and
        // stays the current one.
        TColorScheme scheme;
        scheme.Colors[csSelection] = 0x112233;
        scheme.Colors[csPageBackground] = 0x000000;
        manager.ApplyScheme(scheme);
        EXPECT_EQ(host.Relayouts, 1);
        EXPECT_EQ(manager.CurrentPalette, manager.PrintPalette);
        EXPECT_EQ(manager.SlotColor(csSelection), 0xF1CDA8);
        manager.UseScreenPalette();
        EXPECT_EQ(manager.SlotColor(csSelection), 0x112233);
        EXPECT_EQ(entry.BrushHandle, nullptr);  // the old colour's brush is gone

        // Markers adapt to the page background of the palette in use.
        EXPECT_EQ(manager.DisplayColor(0xC0C0C0), AdaptColorToBackground(0xC0C0C0, 0x000000));
        EXPECT_EQ(manager.DisplayColorOn(0xC0C0C0, AutoColor), AdaptColorToBackground(0xC0C0C0, 0x000000));
        EXPECT_EQ(manager.DisplayColorOn(0xC0C0C0, 0xFFFFFF), 0xC0C0C0);

        // Descriptions name colours through the manager.
        EXPECT_EQ(FormatNames().ColorName(0x0000FF), "Red");
    }
    EXPECT_EQ(ColorManager, nullptr);
    SetFormatNames(nullptr);
    SetModelHost(previous);
}

}  // namespace
