#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The interface colours of the document view, one per slot.
enum : int {
    csAutoText = 0,
    csSelection = 1,
    csSpecialSymbol = 2,
    csPageBackground = 3,
    csPageMarginBorder = 4,
    csInterpageSpace = 5,
    csPageBorder = 6,
    csRulerBackground = 7,
    csRulerMargin = 8,
    csRulerCore = 9,
    csRulerText = 10,
    csRulerTab = 11,
    csRulerGrayedTab = 12,
    csRulerNewTab = 13,
    csPageMargin = 14,
};
constexpr int ColorSlotCount = 15;

// The slots as the options name them.
extern const char* const ColorSlotNames[ColorSlotCount];

// One interface colour scheme: a colour per slot, -1 for the slot's
// default. The options keep schemes in their hexadecimal form.
class TColorScheme {
public:
    TColorScheme() { Clear(); }

    // Copies the colours, not the name.
    void Assign(const TColorScheme& source);
    // Every slot back to its default.
    void Clear();

    // The colour a slot shows: its own colour, else the slot's default
    // (system colours read now). The page margin without a colour of its
    // own takes the page background's.
    std::int32_t GetColor(int slot) const;

    // The hexadecimal form: 8 upper-case digits per slot, most significant
    // first, from slot 0 to the last slot that is not -1 ("FFFFFFFF" for
    // the ones in between); empty when every slot is -1.
    std::string SaveToHex() const;
    // Reads the hexadecimal form; slots it does not reach, and groups that
    // are not eight hexadecimal digits, keep their defaults.
    void LoadFromHex(std::string_view text);

    std::string Name;
    std::int32_t Colors[ColorSlotCount];
};

// The default of a slot (system colours read now).
std::int32_t DefaultSlotColor(int slot);

// The schemes the options offer, in their hexadecimal form.
struct TBuiltInColorScheme {
    const char* Name;
    const char* Hex;
};
constexpr int BuiltInColorSchemeCount = 17;
extern const TBuiltInColorScheme BuiltInColorSchemes[BuiltInColorSchemeCount];
