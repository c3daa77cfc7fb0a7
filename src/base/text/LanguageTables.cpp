#include "base/text/LanguageTables.h"

#include <string_view>

namespace {

// Two-letter language codes and their primary language numbers.
const TLangStrAndIntCode kLangCodes2[] = {
    {"af", 0x36}, {"ar", 0x01}, {"as", 0x4D}, {"az", 0x2C}, {"be", 0x23}, {"bg", 0x02}, {"bn", 0x45}, {"ca", 0x03},
    {"cs", 0x05}, {"da", 0x06}, {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"et", 0x25}, {"eu", 0x2D},
    {"fa", 0x29}, {"fi", 0x0B}, {"fo", 0x38}, {"fr", 0x0C}, {"gl", 0x56}, {"gu", 0x47}, {"he", 0x0D}, {"hi", 0x39},
    {"hr", 0x1A}, {"hu", 0x0E}, {"hy", 0x2B}, {"id", 0x21}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ka", 0x37},
    {"kk", 0x3F}, {"kn", 0x4B}, {"ko", 0x12}, {"ks", 0x60}, {"ky", 0x40}, {"la", 0x76}, {"lt", 0x27}, {"lv", 0x26},
    {"mk", 0x2F}, {"ml", 0x4C}, {"mn", 0x50}, {"mr", 0x4E}, {"ms", 0x3E}, {"ne", 0x61}, {"nl", 0x13}, {"no", 0x14},
    {"or", 0x48}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19}, {"sa", 0x4F}, {"sd", 0x59}, {"sh", 0x1A},
    {"sk", 0x1B}, {"sl", 0x24}, {"sq", 0x1C}, {"sv", 0x1D}, {"sw", 0x41}, {"ta", 0x49}, {"te", 0x4A}, {"th", 0x1E},
    {"tr", 0x1F}, {"tt", 0x44}, {"uk", 0x22}, {"ur", 0x20}, {"uz", 0x43}, {"vi", 0x2A}, {"zh", 0x04},
};

// Language tags and their locale identifiers.
const TLangStrAndIntCode kLangTags[] = {
    {"af-ZA", 0x436},      {"am-ET", 0x45E},      {"ar-AE", 0x3801},     {"ar-BH", 0x3C01},     {"ar-DZ", 0x1401},
    {"ar-EG", 0xC01},      {"ar-IQ", 0x801},      {"ar-JO", 0x2C01},     {"ar-KW", 0x3401},     {"ar-LB", 0x3001},
    {"ar-LY", 0x1001},     {"ar-MA", 0x1801},     {"ar-OM", 0x2001},     {"ar-QA", 0x4001},     {"ar-SA", 0x401},
    {"ar-SY", 0x2801},     {"ar-TN", 0x1C01},     {"ar-YE", 0x2401},     {"as-IN", 0x44D},      {"az-AZ-Cyrl", 0x82C},
    {"az-AZ-Latn", 0x42C}, {"be-BY", 0x423},      {"ber-DZ", 0x85F},     {"bg-BG", 0x402},      {"bn-IN", 0x445},
    {"bo-BT", 0x851},      {"bo-CN", 0x451},      {"ca-AD", 0x403},      {"cs-CZ", 0x405},      {"cy-GB", 0x452},
    {"da-DK", 0x406},      {"de-AT", 0xC07},      {"de-CH", 0x807},      {"de-DE", 0x407},      {"de-LI", 0x1407},
    {"de-LU", 0x1007},     {"div-MV", 0x465},     {"el-GR", 0x408},      {"en-AU", 0xC09},      {"en-BZ", 0x2809},
    {"en-CA", 0x1009},     {"en-CB", 0x2409},     {"en-GB", 0x809},      {"en-IE", 0x1809},     {"en-IN", 0x4009},
    {"en-JA", 0x2009},     {"en-MY", 0x4409},     {"en-NZ", 0x1409},     {"en-PH", 0x3409},     {"en-SG", 0x4809},
    {"en-TT", 0x2C09},     {"en-US", 0x409},      {"en-ZA", 0x1C09},     {"en-ZW", 0x3009},     {"es-AR", 0x2C0A},
    {"es-BO", 0x400A},     {"es-CL", 0x340A},     {"es-CO", 0x240A},     {"es-CR", 0x140A},     {"es-DO", 0x1C0A},
    {"es-EC", 0x300A},     {"es-ES", 0xC0A},      {"es-ES-ts", 0x40A},   {"es-GT", 0x100A},     {"es-HN", 0x480A},
    {"es-MX", 0x80A},      {"es-NI", 0x4C0A},     {"es-PA", 0x180A},     {"es-PE", 0x280A},     {"es-PR", 0x500A},
    {"es-PY", 0x3C0A},     {"es-SV", 0x440A},     {"es-UR", 0x380A},     {"es-US", 0x540A},     {"es-VE", 0x200A},
    {"et-EE", 0x425},      {"eu-ES", 0x42D},      {"fa-IR", 0x429},      {"fi-FI", 0x40B},      {"fil-PH", 0x464},
    {"fo-FO", 0x438},      {"fr-BE", 0x80C},      {"fr-CA", 0xC0C},      {"fr-CH", 0x100C},     {"fr-FR", 0x40C},
    {"fr-LU", 0x140C},     {"fr-MC", 0x180C},     {"fy-NL", 0x462},      {"ga-IE", 0x83C},      {"gl-ES", 0x456},
    {"gu-IN", 0x447},      {"ha-NG-Latn", 0x468}, {"he-IL", 0x40D},      {"hi-IN", 0x439},      {"hr-BA", 0x101A},
    {"hr-HR", 0x41A},      {"hu-HU", 0x40E},      {"hy-AM", 0x42B},      {"id-ID", 0x421},      {"ii-CN", 0x478},
    {"is-IS", 0x40F},      {"it-CH", 0x810},      {"it-IT", 0x410},      {"iu-CA-Cans", 0x45D}, {"ja-JP", 0x411},
    {"ka-GE", 0x437},      {"kk-KZ", 0x43F},      {"km-KH", 0x453},      {"kn-IN", 0x44B},      {"ko-KR", 0x412},
    {"kok-IN", 0x457},     {"ky-KG", 0x440},      {"la-Latn", 0x476},    {"lo-LA", 0x454},      {"lt-LT", 0x427},
    {"lv-LV", 0x426},      {"mi-NZ", 0x481},      {"mk-MK", 0x42F},      {"ml-IN", 0x44C},      {"mn-MN", 0x850},
    {"mr-IN", 0x44E},      {"ms-BN", 0x83E},      {"ms-MY", 0x43E},      {"mt-MT", 0x43A},      {"nb-NO", 0x414},
    {"ne-NP", 0x461},      {"nl-BE", 0x813},      {"nl-NL", 0x413},      {"nn-NO", 0x814},      {"or-IN", 0x448},
    {"pa-IN", 0x446},      {"pl-PL", 0x415},      {"ps-AF", 0x463},      {"pt-BR", 0x416},      {"pt-PT", 0x816},
    {"quz-BO", 0x46B},     {"quz-EC", 0x86B},     {"quz-PE", 0xC6B},     {"ro-RO", 0x418},      {"ru-RU", 0x419},
    {"sa-IN", 0x44F},      {"se-SE", 0x43B},      {"si-LK", 0x45B},      {"sk-SK", 0x41B},      {"sl-SI", 0x424},
    {"sq-AL", 0x41C},      {"sr-SP-Cyrl", 0xC1A}, {"sr-SP-Latn", 0x81A}, {"sv-FI", 0x81D},      {"sv-SE", 0x41D},
    {"sw-KE", 0x441},      {"syr-SY", 0x45A},     {"ta-IN", 0x449},      {"te-IN", 0x44A},      {"tg-TJ-Cyrl", 0x428},
    {"th-TH", 0x41E},      {"tk-TM", 0x442},      {"tn-ZA", 0x432},      {"tr-IN", 0x820},      {"tr-TR", 0x41F},
    {"tt-RU", 0x444},      {"ug-CN", 0x480},      {"uk-UA", 0x422},      {"ur-PK", 0x420},      {"uz-UZ-Cyrl", 0x843},
    {"uz-UZ-Latn", 0x443}, {"vi-VN", 0x42A},      {"xh-ZA", 0x434},      {"yo-NG", 0x46A},      {"zh-CN", 0x804},
    {"zh-HK", 0xC04},      {"zh-MO", 0x1404},     {"zh-SG", 0x1004},     {"zh-TW", 0x404},      {"zu-ZA", 0x435},
};

}  // namespace
std::span<const TLangStrAndIntCode> LangCodes2() {
    return kLangCodes2;
}

std::span<const TLangStrAndIntCode> LangTags() {
    return kLangTags;
}

std::int32_t FindLangCode(std::span<const TLangStrAndIntCode> table, std::string_view tag) {
    std::size_t lo = 0, hi = table.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const int c = std::string_view(table[mid].Tag).compare(tag);
        if (c == 0)
            return table[mid].Code;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -1;
}
