#include "platform/Collation.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "platform/CodePages.h"

namespace Platform {
namespace {

constexpr std::uint32_t kUserDefault = 0x400;
constexpr std::uint32_t kEnglishUS = 0x409;

std::uint32_t PrimaryLanguage(std::uint32_t lcid) {
    return lcid & 0x3FF;
}

std::uint32_t SubLanguage(std::uint32_t lcid) {
    return (lcid >> 10) & 0x3F;
}

// The Windows ANSI code pages of the languages that do not use 1252, after
// the tables Windows publishes for its locales.
struct TLanguageCodePage {
    std::uint16_t Primary;
    std::uint16_t CodePage;
};
constexpr TLanguageCodePage kLanguageCodePages[] = {
    {0x01, 1256}, {0x02, 1251}, {0x05, 1250}, {0x08, 1253}, {0x0D, 1255}, {0x0E, 1250}, {0x11, 932},  {0x12, 949},
    {0x15, 1250}, {0x18, 1250}, {0x19, 1251}, {0x1B, 1250}, {0x1C, 1250}, {0x1E, 874},  {0x1F, 1254}, {0x20, 1256},
    {0x22, 1251}, {0x23, 1251}, {0x24, 1250}, {0x25, 1257}, {0x26, 1257}, {0x27, 1257}, {0x28, 1251}, {0x29, 1256},
    {0x2A, 1258}, {0x2F, 1251}, {0x3D, 1255}, {0x3F, 1251}, {0x40, 1251}, {0x42, 1250}, {0x44, 1251}, {0x50, 1251},
    {0x63, 1256}, {0x6D, 1251}, {0x80, 1256}, {0x85, 1251}, {0x8C, 1256},
};

int CodePageOfLanguage(std::uint32_t lcid) {
    const std::uint32_t primary = PrimaryLanguage(lcid);
    const std::uint32_t sub = SubLanguage(lcid);
    switch (primary) {
        case 0x1A:  // Croatian, Serbian and Bosnian: the Cyrillic sublanguages
            return (sub == 0x03 || sub == 0x07 || sub == 0x08 || sub == 0x0A || sub == 0x0C) ? 1251 : 1250;
        case 0x2C:  // Azeri and Uzbek: Cyrillic or Latin script
        case 0x43:
            return sub == 0x02 ? 1251 : 1254;
        case 0x04:  // Chinese: traditional script for Taiwan, Hong Kong and Macao
            return (sub == 0x01 || sub == 0x03 || sub == 0x05 || sub == 0x1F) ? 950 : 936;
        default:
            break;
    }
    for (const TLanguageCodePage& entry : kLanguageCodePages)
        if (entry.Primary == primary)
            return entry.CodePage;
    return 1252;
}

// The user's locale as POSIX names it ("de_DE.UTF-8@euro" gives "de_DE").
std::string UserLocaleName() {
    for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value == nullptr || *value == '\0')
            continue;
        std::string name(value);
        name = name.substr(0, name.find_first_of(".@"));
        if (name.empty() || name == "C" || name == "POSIX")
            break;
        char canonical[ULOC_FULLNAME_CAPACITY];
        UErrorCode status = U_ZERO_ERROR;
        uloc_canonicalize(name.c_str(), canonical, sizeof(canonical), &status);
        if (U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING && uloc_getLCID(canonical) != 0)
            return canonical;
        break;
    }
    return "en_US";
}

bool NameForLcid(std::uint32_t lcid, std::string& name) {
    char buffer[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = uloc_getLocaleForLCID(lcid, buffer, sizeof(buffer), &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0)
        return false;
    name.assign(buffer, static_cast<std::size_t>(n));
    return true;
}

// Everything kept for one locale: its names, its code page with the bytes'
// characters, its collators and its byte case tables.
struct TLocaleData {
    std::string Name;
    int CodePage = 1252;
    bool SingleByte = true;
    // Turkish and Azeri map the ASCII letters i and I differently; every
    // other language maps ASCII letters by the plain rule.
    bool PlainAscii = true;
    // Languages with case rules of their own (Turkish, Azeri, Lithuanian,
    // Greek); the others map each character by its simple Unicode mapping.
    bool OwnCaseRules = false;
    std::array<char16_t, 256> ByteChars{};
    UCollator* Collators[8] = {};
    bool CaseTablesBuilt = false;
    std::array<unsigned char, 256> UpperBytes{};
    std::array<unsigned char, 256> LowerBytes{};

    ~TLocaleData() {
        for (UCollator* c : Collators)
            if (c != nullptr)
                ucol_close(c);
    }

    UCollator* Collator(std::uint32_t options);
    void BuildCaseTables();
};

UCollator* TLocaleData::Collator(std::uint32_t options) {
    options &= clIgnoreCase | clWordSort | clIgnoreAccents;
    if (UCollator* c = Collators[options])
        return c;
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open(Name.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        c = ucol_open("", &status);
        if (U_FAILURE(status))
            return nullptr;
    }
    // Ignoring case drops the tertiary level, where ICU keeps case (and
    // width) differences; accents are secondary and still count.
    // Ignoring accents keeps the primary level only, where case is gone too.
    if (options & clIgnoreAccents)
        ucol_setStrength(c, UCOL_PRIMARY);
    else
        ucol_setStrength(c, (options & clIgnoreCase) ? UCOL_SECONDARY : UCOL_TERTIARY);
    status = U_ZERO_ERROR;
    ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, (options & clWordSort) ? UCOL_SHIFTED : UCOL_NON_IGNORABLE, &status);
    Collators[options] = c;
    return c;
}

char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

char16_t MapWideChar(const TLocaleData& d, bool upper, char16_t c) {
    if (c < 0x80 && d.PlainAscii)
        return upper ? AsciiUpper(c) : AsciiLower(c);
    if (U16_IS_SURROGATE(c))
        return c;
    if (!d.OwnCaseRules) {
        // Without language rules the full mapping of one character is its
        // simple mapping whenever it is one unit long.
        const UChar32 simple = upper ? u_toupper(c) : u_tolower(c);
        return simple <= 0xFFFF && !U16_IS_SURROGATE(simple) ? static_cast<char16_t>(simple) : c;
    }
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = upper ? u_strToUpper(out, 4, &c, 1, d.Name.c_str(), &status)
                            : u_strToLower(out, 4, &c, 1, d.Name.c_str(), &status);
    if (U_SUCCESS(status) && n == 1)
        return out[0];
    // The language's mapping needs more or fewer units (sharp s, dotted
    // capital I outside Turkish): the simple one-to-one mapping stands in.
    const UChar32 simple = upper ? u_toupper(c) : u_tolower(c);
    if (simple <= 0xFFFF && !U16_IS_SURROGATE(simple))
        return static_cast<char16_t>(simple);
    return c;
}

// Each unit (or surrogate pair) on its own, keeping the length.
void MapWideCharsOneByOne(const TLocaleData& d, bool upper, std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (U16_IS_LEAD(c) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
            const UChar32 cp = U16_GET_SUPPLEMENTARY(c, text[i + 1]);
            const UChar32 mapped = upper ? u_toupper(cp) : u_tolower(cp);
            if (U16_LENGTH(mapped) == 2) {
                text[i] = U16_LEAD(mapped);
                text[i + 1] = U16_TRAIL(mapped);
            }
            ++i;
            continue;
        }
        text[i] = MapWideChar(d, upper, c);
    }
}

std::u16string MapWide(const TLocaleData& d, bool upper, std::u16string_view text) {
    std::u16string out(text);
    if (out.empty())
        return out;
    bool ascii = d.PlainAscii;
    for (std::size_t i = 0; ascii && i < out.size(); ++i)
        ascii = out[i] < 0x80;
    if (ascii) {
        for (char16_t& c : out)
            c = upper ? AsciiUpper(c) : AsciiLower(c);
        return out;
    }
    // The language's own mapping of the whole text sees context (Greek
    // final sigma); it is used when it keeps the length.
    UErrorCode status = U_ZERO_ERROR;
    const auto n = static_cast<int32_t>(text.size());
    const int32_t got = upper ? u_strToUpper(out.data(), n, text.data(), n, d.Name.c_str(), &status)
                              : u_strToLower(out.data(), n, text.data(), n, d.Name.c_str(), &status);
    if (U_SUCCESS(status) && got == n)
        return out;
    out.assign(text);
    MapWideCharsOneByOne(d, upper, out);
    return out;
}

void TLocaleData::BuildCaseTables() {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        UpperBytes[b] = LowerBytes[b] = byte;
        if (!SingleByte && b >= 0x80)
            continue;  // lead and trail bytes of double-byte characters
        const char16_t c = ByteChars[b];
        for (int upper = 0; upper < 2; ++upper) {
            const char16_t mapped = MapWideChar(*this, upper != 0, c);
            if (mapped == c)
                continue;
            bool lost = false;
            const std::string back = WideToBytes(CodePage, std::u16string_view(&mapped, 1), '?', &lost);
            if (!lost && back.size() == 1)
                (upper ? UpperBytes : LowerBytes)[b] = static_cast<unsigned char>(back[0]);
        }
    }
    CaseTablesBuilt = true;
}

struct TLocaleCache {
    std::unordered_map<std::uint32_t, std::unique_ptr<TLocaleData>> Locales;
    std::uint32_t LastLcid = 0xFFFFFFFF;
    TLocaleData* Last = nullptr;
};

TLocaleCache& Cache() {
    // Never destroyed: comparisons may run from static destructors.
    static TLocaleCache* cache = new TLocaleCache;
    return *cache;
}

std::unique_ptr<TLocaleData> MakeLocaleData(std::uint32_t lcid) {
    auto d = std::make_unique<TLocaleData>();
    std::uint32_t languageLcid = lcid;
    if (lcid == kUserDefault) {
        d->Name = UserLocaleName();
        languageLcid = uloc_getLCID(d->Name.c_str());
        if (languageLcid == 0)
            languageLcid = kEnglishUS;
    } else if (!NameForLcid(lcid, d->Name) && !NameForLcid((1u << 10) | PrimaryLanguage(lcid), d->Name)) {
        d->Name = "en_US";
        languageLcid = kEnglishUS;
    }
    d->CodePage = CodePageOfLanguage(languageLcid);
    d->SingleByte = IsSingleByteCodePage(d->CodePage);
    for (int b = 0; b < 256; ++b)
        d->ByteChars[b] = (d->SingleByte || b < 0x80) ? ByteToWide(d->CodePage, static_cast<unsigned char>(b))
                                                      : static_cast<char16_t>(b);
    char language[ULOC_LANG_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    uloc_getLanguage(d->Name.c_str(), language, sizeof(language), &status);
    if (U_SUCCESS(status)) {
        const std::string_view lang(language);
        d->PlainAscii = lang != "tr" && lang != "az";
        d->OwnCaseRules = !d->PlainAscii || lang == "lt" || lang == "el";
    }
    return d;
}

TLocaleData& Locale(std::uint32_t lcid) {
    if (PrimaryLanguage(lcid) == 0)
        lcid = kUserDefault;
    TLocaleCache& cache = Cache();
    if (cache.LastLcid == lcid)
        return *cache.Last;
    auto found = cache.Locales.find(lcid);
    if (found == cache.Locales.end())
        found = cache.Locales.emplace(lcid, MakeLocaleData(lcid)).first;
    cache.LastLcid = lcid;
    cache.Last = found->second.get();
    return *cache.Last;
}

TLocaleData& LocaleWithCaseTables(std::uint32_t lcid) {
    TLocaleData& d = Locale(lcid);
    if (!d.CaseTablesBuilt)
        d.BuildCaseTables();
    return d;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

int CompareCodeUnits(std::u16string_view a, std::u16string_view b) {
    return Sign(a.compare(b));
}

int CompareInLocale(TLocaleData& d, std::uint32_t options, std::u16string_view a, std::u16string_view b) {
    UCollator* c = d.Collator(options);
    if (c == nullptr)
        return CompareCodeUnits(a, b);
    const auto la = static_cast<int32_t>(a.size());
    const auto lb = static_cast<int32_t>(b.size());
    int r = ucol_strcoll(c, a.data(), la, b.data(), lb);
    if (r == 0 && (options & clWordSort) != 0)
        if (UCollator* tieBreak = d.Collator(options & ~clWordSort))
            r = ucol_strcoll(tieBreak, a.data(), la, b.data(), lb);
    return Sign(r);
}

// Byte text as UTF-16, in a stack buffer when it is short: comparisons sit
// on the sorting and searching paths and should not allocate.
class TWideOfBytes {
public:
    TWideOfBytes(const TLocaleData& d, std::string_view bytes) {
        if (!d.SingleByte) {
            Heap = BytesToWide(d.CodePage, bytes);
            Text = Heap;
            return;
        }
        char16_t* out = Inline;
        if (bytes.size() > std::size(Inline)) {
            Heap.resize(bytes.size());
            out = Heap.data();
        }
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = d.ByteChars[static_cast<unsigned char>(bytes[i])];
        Text = std::u16string_view(out, bytes.size());
    }
    TWideOfBytes(const TWideOfBytes&) = delete;
    TWideOfBytes& operator=(const TWideOfBytes&) = delete;

    std::u16string_view Text;

private:
    char16_t Inline[256];
    std::u16string Heap;
};

void MapBytes(std::uint32_t lcid, bool upper, const char* src, char* dst, std::size_t n) {
    if (n == 0)
        return;
    TLocaleData& d = LocaleWithCaseTables(lcid);
    const auto& table = upper ? d.UpperBytes : d.LowerBytes;
    if (d.SingleByte) {
        for (std::size_t i = 0; i < n; ++i)
            dst[i] = static_cast<char>(table[static_cast<unsigned char>(src[i])]);
        return;
    }
    bool ascii = true;
    for (std::size_t i = 0; ascii && i < n; ++i)
        ascii = static_cast<unsigned char>(src[i]) < 0x80;
    if (ascii) {
        for (std::size_t i = 0; i < n; ++i)
            dst[i] = static_cast<char>(table[static_cast<unsigned char>(src[i])]);
        return;
    }
    const std::string_view source(src, n);
    const std::string mapped = WideToBytes(d.CodePage, MapWide(d, upper, BytesToWide(d.CodePage, source)));
    if (mapped.size() == n)
        std::memcpy(dst, mapped.data(), n);
    else if (dst != src)
        std::memcpy(dst, src, n);
}

}  // namespace

int CompareWideInLocale(std::uint32_t lcid, std::uint32_t options, std::u16string_view a, std::u16string_view b) {
    return CompareInLocale(Locale(lcid), options, a, b);
}

int CompareBytesInLocale(std::uint32_t lcid, std::uint32_t options, std::string_view a, std::string_view b) {
    TLocaleData& d = Locale(lcid);
    const TWideOfBytes wa(d, a);
    const TWideOfBytes wb(d, b);
    return CompareInLocale(d, options, wa.Text, wb.Text);
}

std::string CollationSortKey(std::uint32_t lcid, std::uint32_t options, std::u16string_view text) {
    UCollator* c = Locale(lcid).Collator(options);
    if (c == nullptr)
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    const auto n = static_cast<int32_t>(text.size());
    std::string key(64, '\0');
    for (;;) {
        const int32_t need = ucol_getSortKey(c, text.data(), n, reinterpret_cast<uint8_t*>(key.data()),
                                             static_cast<int32_t>(key.size()));
        if (need <= static_cast<int32_t>(key.size())) {
            key.resize(need > 0 ? need - 1 : 0);  // without the terminating zero
            return key;
        }
        key.resize(static_cast<std::size_t>(need));
    }
}

char16_t UpperWideCharInLocale(std::uint32_t lcid, char16_t c) {
    return MapWideChar(Locale(lcid), true, c);
}

char16_t LowerWideCharInLocale(std::uint32_t lcid, char16_t c) {
    return MapWideChar(Locale(lcid), false, c);
}

std::u16string UpperCaseWideInLocale(std::uint32_t lcid, std::u16string_view text) {
    return MapWide(Locale(lcid), true, text);
}

std::u16string LowerCaseWideInLocale(std::uint32_t lcid, std::u16string_view text) {
    return MapWide(Locale(lcid), false, text);
}

unsigned char UpperByteInLocale(std::uint32_t lcid, unsigned char c) {
    return LocaleWithCaseTables(lcid).UpperBytes[c];
}

unsigned char LowerByteInLocale(std::uint32_t lcid, unsigned char c) {
    return LocaleWithCaseTables(lcid).LowerBytes[c];
}

void UpperCaseBytesInLocale(std::uint32_t lcid, const char* src, char* dst, std::size_t n) {
    MapBytes(lcid, true, src, dst, n);
}

void LowerCaseBytesInLocale(std::uint32_t lcid, const char* src, char* dst, std::size_t n) {
    MapBytes(lcid, false, src, dst, n);
}

int AnsiCodePageOfLocale(std::uint32_t lcid) {
    return Locale(lcid).CodePage;
}

std::string LocaleNameOf(std::uint32_t lcid) {
    return Locale(lcid).Name;
}

bool IsLetterWide(char16_t c) {
    return u_isalpha(c) != 0;
}

}  // namespace Platform
