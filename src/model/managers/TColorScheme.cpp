#include "model/managers/TColorScheme.h"

#include <algorithm>
#include <cstdio>

#include "model/formats/DocConstants.h"
#include "platform/Screen.h"

const char* const ColorSlotNames[ColorSlotCount] = {
    "Auto text",
    "Selection",
    "Special symbol",
    "Page background",
    "Page margin border",
    "Interpage space",
    "Page border",
    "Ruler background",
    "Ruler left/right margin",
    "Ruler core",
    "Ruler text",
    "Ruler tab position",
    "Ruler grayed tab position",
    "Ruler new tab position",
    "Page margin",
};

namespace {

// The slot defaults: a value with a zero high byte is a system colour index
// (8 window text, 5 window), any other an explicit colour whose high byte is
// dropped. The page margin's default is the page background (GetColor).
constexpr std::uint32_t kSlotDefaults[ColorSlotCount] = {
    8, 0xFFF7DFC8, 8, 5, 0xFFB0B0B0, 0xFFF8F8F8, 0xFFA0A0A0, 0xFFF0F0F0, 0xFFC0C0C0, 5, 8, 8, 0xFFA0A0A0, 0xFF0000FF, 5,
};

}  // namespace

const TBuiltInColorScheme BuiltInColorSchemes[BuiltInColorSchemeCount] = {
    {"Standard", ""},
    {"Deep Blue",
     "00FFFF0000FFCC9900FFFFFF0080000000E0C1B800F1A99400FFFFFF00CA0E0400B8941600C4B65500FD1C540000FFFF00808080FFFFFFF"
     "F"},
    {"Mustard Mood",
     "00FF0000FFFFFFFF00FFFF000099C6C8006262620000800000C0C0C000ABB72000BBE16A00D9D373000000FFFFFFFFFF0000FFFFFFFFFFF"
     "F"},
    {"Tomato Rhapsody",
     "00D6D66DFFFFFFFF00FFFFFF000404DB00FFFFFF000000800000FFFF0031B5CC003AB14D0097CC80000112E2000000000000FFFF00FFFF0"
     "0"},
    {"Cucumber Paradise",
     "00800000FFFFFFFF008000000094B8270000FFFF00EEC41C00808000007ABB4F006488700086DF6C008000000000000000808080000000F"
     "F"},
    {"Titanic Silence",
     "00800000FFFFFFFF0080000000C0C0C00040404000DDDFDB008080000097919100B3ACAC00CBC9C90068686800FF000000FFFFFF000000F"
     "F"},
    {"Lilac Mist",
     "FFFFFFFFFFFFFFFFFFFFFFFF00F1C5C60049370C00EB7A9E00CD3A6A00E3C99DFFFFFFFF00C5B127FFFFFFFFFFFFFFFF00FFFF00"},
    {"Corvane Wind",
     "FFFFFFFFFFFFFFFFFFFFFFFF00E4DF0EFFFFFFFF0096833400FF000000DAC52C00B8AB34FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
     "F"},
    {"Sleepwalker's Fantasy",
     "00E4E4E40080000000908070000000000080808000484848008B8B8B00808080005B5B5B0091919100B3DEF500FFFFFF"},
    {"Arctic Kiss",
     "00000000FFFFFFFF00FF000000FCF3E40026151100F1C29400CD917E00FD8E8800E7BE3400FFFFFF00FD1C540000000000C0C0C0FFFFFFF"
     "F"},
    {"Desert Soul", "00455EA5FFFFFFFF001313D700D1F8FC006800D000A4AA55FFFFFFFF00B7C0E100788CC700C9F3F5"},
    {"Shark Mouth",
     "00B12E79FFFFFFFF000000FF00D0CCB0000606FF00BFCCFDFFFFFFFF00D5ACB500FFFFFF007791F7FFFFFFFFFFFFFFFFFFFFFFFF00FFFF0"
     "0"},
    {"Green Dream",
     "00000000FFFFFFFF0000000000E4FFD90080800000D2D1BDFFFFFFFF000BE005003AA63500FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF000000F"
     "F"},
    {"Coconut Nature", "00FFCC9900CC99FF00FFFFFF0040008000DCABDE007B8E8100FFFFFF00007DC80000B1EC"},
    {"Last Day of Pompeii",
     "FFFFFFFFFFFFFFFF000000CA00ADB0CD002D2D5E00B0D8FFFFFFFFFF000E25F300DBFFFF00B1B7FE00C5254500000000"},
    {"Simply Pink", "003F4594FFFFFFFF00FF000000EBD7FF003D67E700B4B4CD001C768C0033BBFD00007AF400FFFFFF0000000000000000"},
    {"Plum Aroma", "00D9D9FF00FFFFCC0000FF00009E6F0C0011F10500C5B57E007B063500FF9C3900D96C0000EAD2C80000000000000000"},
};

std::int32_t DefaultSlotColor(int slot) {
    if (slot < 0 || slot >= ColorSlotCount)
        return 0;
    const std::uint32_t v = kSlotDefaults[slot];
    if ((v >> 24) == 0)
        return static_cast<std::int32_t>(Platform::GetSysColor(static_cast<int>(v)) & 0xFFFFFF);
    return static_cast<std::int32_t>(v & 0xFFFFFF);
}

void TColorScheme::Assign(const TColorScheme& source) {
    for (int i = 0; i < ColorSlotCount; ++i)
        Colors[i] = source.Colors[i];
}

void TColorScheme::Clear() {
    for (std::int32_t& c : Colors)
        c = -1;
}

std::int32_t TColorScheme::GetColor(int slot) const {
    if (slot < 0 || slot >= ColorSlotCount)
        return 0;
    if (slot == csPageMargin && Colors[slot] == -1)
        slot = csPageBackground;
    return Colors[slot] != -1 ? Colors[slot] : DefaultSlotColor(slot);
}

std::string TColorScheme::SaveToHex() const {
    int last = ColorSlotCount - 1;
    while (last >= 0 && Colors[last] == -1)
        --last;
    std::string out;
    for (int i = 0; i <= last; ++i) {
        char group[9];
        std::snprintf(group, sizeof group, "%08X", static_cast<unsigned>(Colors[i]));
        out += group;
    }
    return out;
}

void TColorScheme::LoadFromHex(std::string_view text) {
    Clear();
    const std::size_t groups = text.size() / 8;
    if (groups == 0)
        return;
    const int last = static_cast<int>(std::min<std::size_t>(groups - 1, ColorSlotCount - 1));
    for (int i = 0; i <= last; ++i) {
        std::uint32_t value = 0;
        bool valid = true;
        for (int d = 0; d < 8 && valid; ++d) {
            const std::uint8_t digit = HexDigits[static_cast<unsigned char>(text[8 * i + d])];
            valid = digit != 255;
            value = (value << 4) | digit;
        }
        // A damaged group leaves its slot at the default rather than
        // showing an arbitrary colour.
        if (valid)
            Colors[i] = static_cast<std::int32_t>(value);
    }
}
