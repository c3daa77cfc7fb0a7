#include "platform/KeyboardLayouts.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <fstream>
#include <string_view>
#include <unordered_map>

namespace Platform {
namespace {

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
        std::string part(text.substr(start, end - start));
        while (!part.empty() && (part.back() == ' ' || part.back() == '"'))
            part.pop_back();
        while (!part.empty() && (part.front() == ' ' || part.front() == '"'))
            part.erase(0, 1);
        parts.push_back(part);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return parts;
}

std::vector<TKeyboardLayoutName> MakeNames(std::string_view layouts, std::string_view variants) {
    std::vector<TKeyboardLayoutName> names;
    const std::vector<std::string> l = SplitList(layouts);
    const std::vector<std::string> v = SplitList(variants);
    for (std::size_t i = 0; i < l.size(); ++i)
        if (!l[i].empty())
            names.push_back({l[i], i < v.size() ? v[i] : std::string()});
    return names;
}

// The value of KEY="value" in a shell-style settings file.
std::string SettingsValue(const std::string& file, std::string_view key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() && line[key.size()] == '=')
            return line.substr(key.size() + 1);
    }
    return {};
}

struct TLayoutLanguage {
    const char* Layout;
    std::uint16_t Language;
};
// XKB's layout names with the language each is made for.
constexpr TLayoutLanguage kLayoutLanguages[] = {
    {"al", 0x41C}, {"am", 0x42B},    {"ara", 0x401}, {"at", 0xC07},  {"au", 0xC09},  {"az", 0x42C},  {"be", 0x80C},
    {"bg", 0x402}, {"br", 0x416},    {"by", 0x423},  {"ca", 0xC0C},  {"ch", 0x807},  {"cn", 0x804},  {"cz", 0x405},
    {"de", 0x407}, {"dk", 0x406},    {"ee", 0x425},  {"es", 0xC0A},  {"fi", 0x40B},  {"fo", 0x438},  {"fr", 0x40C},
    {"gb", 0x809}, {"ge", 0x437},    {"gr", 0x408},  {"hr", 0x41A},  {"hu", 0x40E},  {"ie", 0x1809}, {"il", 0x40D},
    {"in", 0x439}, {"iq", 0x801},    {"ir", 0x429},  {"is", 0x40F},  {"it", 0x410},  {"jp", 0x411},  {"kr", 0x412},
    {"kz", 0x43F}, {"latam", 0x80A}, {"lt", 0x427},  {"lv", 0x426},  {"mk", 0x42F},  {"mt", 0x43A},  {"nl", 0x413},
    {"no", 0x414}, {"pk", 0x420},    {"pl", 0x415},  {"pt", 0x816},  {"ro", 0x418},  {"rs", 0xC1A},  {"ru", 0x419},
    {"se", 0x41D}, {"si", 0x424},    {"sk", 0x41B},  {"sy", 0x2801}, {"th", 0x41E},  {"tr", 0x41F},  {"tw", 0x404},
    {"ua", 0x422}, {"us", 0x409},    {"uz", 0x443},  {"vn", 0x42A},  {"za", 0x1C09},
};

struct TKeyChoice {
    std::uint8_t Key;
    std::uint8_t Shift;
    int Cost;
};

}  // namespace

struct TKeyboardMap::TImpl {
    xkb_context* Context = nullptr;
    xkb_keymap* Keymap = nullptr;
    xkb_state* State = nullptr;
    xkb_mod_mask_t ShiftMask = 0;
    std::unordered_map<char32_t, TKeyChoice> Keys;

    ~TImpl() {
        if (State)
            xkb_state_unref(State);
        if (Keymap)
            xkb_keymap_unref(Keymap);
        if (Context)
            xkb_context_unref(Context);
    }

    // Records the cheapest key for every character of the first layout
    // group. Levels reached only with other modifiers (Num Lock on the
    // keypad, Caps Lock) are passed over.
    void IndexKeys() {
        const xkb_mod_index_t shift = xkb_keymap_mod_get_index(Keymap, XKB_MOD_NAME_SHIFT);
        const xkb_mod_index_t altGr = xkb_keymap_mod_get_index(Keymap, "Mod5");
        ShiftMask = shift == XKB_MOD_INVALID ? 0 : (1u << shift);
        const xkb_mod_mask_t altGrMask = altGr == XKB_MOD_INVALID ? 0 : (1u << altGr);
        const xkb_keycode_t last = xkb_keymap_max_keycode(Keymap);
        for (xkb_keycode_t key = xkb_keymap_min_keycode(Keymap); key <= last && key < 256; ++key) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(Keymap, key, 0);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* syms = nullptr;
                if (xkb_keymap_key_get_syms_by_level(Keymap, key, 0, level, &syms) != 1)
                    continue;
                const char32_t c = xkb_keysym_to_utf32(syms[0]);
                if (c == 0)
                    continue;
                xkb_mod_mask_t masks[16];
                const std::size_t n = xkb_keymap_key_get_mods_for_level(Keymap, key, 0, level, masks, 16);
                int best = -1;
                std::uint8_t state = 0;
                for (std::size_t i = 0; i < n; ++i) {
                    const xkb_mod_mask_t m = masks[i];
                    if (m & ~(ShiftMask | altGrMask))
                        continue;
                    const int cost = ((m & ShiftMask) ? 1 : 0) + ((m & altGrMask) ? 2 : 0);
                    if (best < 0 || cost < best) {
                        best = cost;
                        state = static_cast<std::uint8_t>(((m & ShiftMask) ? kssShift : 0) |
                                                          ((m & altGrMask) ? kssControl | kssAlt : 0));
                    }
                }
                if (best < 0)
                    continue;
                auto found = Keys.find(c);
                if (found == Keys.end() || best < found->second.Cost)
                    Keys[c] = TKeyChoice{static_cast<std::uint8_t>(key), state, best};
            }
        }
    }
};

std::vector<TKeyboardLayoutName> InstalledKeyboardLayouts() {
    const char* layouts = std::getenv("XKB_DEFAULT_LAYOUT");
    if (layouts != nullptr && *layouts != '\0') {
        const char* variants = std::getenv("XKB_DEFAULT_VARIANT");
        std::vector<TKeyboardLayoutName> names = MakeNames(layouts, variants ? variants : "");
        if (!names.empty())
            return names;
    }
    std::vector<TKeyboardLayoutName> names = MakeNames(SettingsValue("/etc/default/keyboard", "XKBLAYOUT"),
                                                       SettingsValue("/etc/default/keyboard", "XKBVARIANT"));
    if (names.empty())
        names.push_back({"us", ""});
    return names;
}

int ActiveKeyboardLayoutIndex() {
    return 0;
}

std::uint16_t KeyboardLayoutLanguage(const TKeyboardLayoutName& name) {
    for (const TLayoutLanguage& entry : kLayoutLanguages)
        if (name.Layout == entry.Layout)
            return entry.Language;
    return 0;
}

TKeyboardMap::TKeyboardMap(std::unique_ptr<TImpl> impl) : Impl(std::move(impl)) {}
TKeyboardMap::~TKeyboardMap() = default;

std::unique_ptr<TKeyboardMap> TKeyboardMap::Compile(const TKeyboardLayoutName& name) {
    auto impl = std::make_unique<TImpl>();
    // Environment names must not leak into a keymap that was named in full.
    impl->Context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (impl->Context == nullptr)
        return nullptr;
    xkb_context_set_log_level(impl->Context, XKB_LOG_LEVEL_CRITICAL);
    xkb_rule_names names{};
    names.rules = "evdev";
    names.model = "pc105";
    names.layout = name.Layout.c_str();
    names.variant = name.Variant.c_str();
    names.options = "";
    impl->Keymap = xkb_keymap_new_from_names(impl->Context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (impl->Keymap == nullptr)
        return nullptr;
    impl->State = xkb_state_new(impl->Keymap);
    if (impl->State == nullptr)
        return nullptr;
    impl->IndexKeys();
    return std::unique_ptr<TKeyboardMap>(new TKeyboardMap(std::move(impl)));
}

bool TKeyboardMap::KeyOfChar(char32_t c, std::uint8_t& key, std::uint8_t& shiftState) const {
    const auto found = Impl->Keys.find(c);
    if (found == Impl->Keys.end())
        return false;
    key = found->second.Key;
    shiftState = found->second.Shift;
    return true;
}

char32_t TKeyboardMap::CharOfKey(std::uint8_t key, bool shift) const {
    if (key < xkb_keymap_min_keycode(Impl->Keymap) || key > xkb_keymap_max_keycode(Impl->Keymap))
        return 0;
    xkb_state_update_mask(Impl->State, shift ? Impl->ShiftMask : 0, 0, 0, 0, 0, 0);
    return xkb_state_key_get_utf32(Impl->State, key);
}

}  // namespace Platform
