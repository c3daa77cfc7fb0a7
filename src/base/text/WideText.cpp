#include "base/text/WideText.h"

#include <array>
#include <memory>

#include "base/text/Charsets.h"
#include "platform/CodePages.h"
#include "platform/Fonts.h"

bool KeepSpecialChars = false;

namespace {

struct TCharRange {
    char16_t First;
    char16_t Last;
};

struct TPageRanges {
    std::int32_t CodePage;
    std::vector<TCharRange> Ranges;
};

// The characters each ANSI code page is chosen for.
const TPageRanges kPageRanges[] = {
    {1252, {{0, 255},   {272, 272}, {338, 339}, {352, 353},   {376, 376},   {381, 382},   {393, 393},
            {401, 402}, {710, 710}, {713, 714}, {730, 730},   {732, 732},   {769, 769},   {772, 773},
            {776, 776}, {778, 778}, {807, 807}, {8216, 8217}, {8220, 8222}, {8230, 8230}, {8364, 8364}}},
    {1250, {{258, 263}, {268, 271}, {273, 273}, {280, 283}, {313, 314}, {317, 318}, {321, 324}, {327, 328},
            {336, 337}, {340, 341}, {344, 347}, {350, 351}, {354, 357}, {366, 369}, {377, 380}, {699, 699},
            {711, 711}, {728, 729}, {731, 731}, {733, 733}, {774, 775}, {780, 780}}},
    {1251, {{1025, 1036}, {1038, 1103}, {1105, 1116}, {1118, 1119}, {1168, 1169}}},
    {1253, {{781, 781}, {900, 902}, {904, 906}, {908, 908}, {910, 974}}},
    {1254, {{286, 287}, {304, 305}, {771, 771}, {782, 782}}},
    {1255, {{1456, 1475}, {1488, 1514}, {1520, 1524}}},
    {1256,
     {{1548, 1548},
      {1563, 1563},
      {1567, 1567},
      {1569, 1594},
      {1600, 1618},
      {1657, 1657},
      {1662, 1662},
      {1670, 1670},
      {1672, 1672},
      {1681, 1681},
      {1688, 1688},
      {1705, 1705},
      {1711, 1711},
      {1722, 1722},
      {1726, 1726},
      {1729, 1729},
      {1740, 1740},
      {1746, 1746}}},
    {1257,
     {{256, 257},
      {274, 275},
      {278, 279},
      {290, 291},
      {298, 299},
      {302, 303},
      {310, 311},
      {315, 316},
      {325, 326},
      {332, 333},
      {342, 343},
      {362, 363},
      {370, 371}}},
};

// The table above as one byte per character: 0 for none, else the code
// page less 1249 (1250 is 1, 1257 is 8).
const std::array<std::uint8_t, 0x10000>& PageTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::uint8_t, 0x10000>>();
        t->fill(0);
        for (const TPageRanges& page : kPageRanges)
            for (const TCharRange& r : page.Ranges)
                for (std::uint32_t c = r.First; c <= r.Last; ++c)
                    (*t)[c] = static_cast<std::uint8_t>(page.CodePage - 1250 + 1);
        return t;
    }();
    return *table;
}

const char kMacRomanHex[] =
    "c4c5c7c9d1d6dce1e0e2e4e3e5e7e9e8eaebedeceeeff1f3f2f4f6f5faf9fbfca0b0a2a3a7a5b6dfaea9aab4a8adc6d8b0b1b2b3a5b5b6b7"
    "b8b9baaababde6f8bfa1acc3c4c5c6abbbc9a0c0c3d5cecfd0d1d2d3d4d5f7d7ffd9daa4dcdddedfe0b7e2e3e4c2cac1cbc8cdcecfccd3d4"
    "f0d2dadbd9f5f6f7aff9fafbb8fdfeff";

int HexValue(char c) {
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

const std::array<unsigned char, 256>& MacRomanTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 128; ++b)
            t[b] = static_cast<unsigned char>(b);
        for (int b = 128; b < 256; ++b) {
            const int at = 2 * (b - 128);
            t[b] = static_cast<unsigned char>(HexValue(kMacRomanHex[at]) * 16 + HexValue(kMacRomanHex[at + 1]));
        }
        return t;
    }();
    return table;
}

}  // namespace

std::int32_t CodePageOfChar(char16_t c, std::int32_t def) {
    if (KeepSpecialChars && (c == 150 || c == 151 || c == 160))
        return def;
    const std::uint8_t page = PageTable()[c];
    return page == 0 ? def : 1250 + page - 1;
}

std::int32_t DominantCodePage(std::u16string_view text, std::int32_t def, std::int32_t* count) {
    std::int32_t counts[8] = {};  // 1250 .. 1257
    for (char16_t c : text) {
        const std::int32_t page = c <= 126 ? 1252 : CodePageOfChar(c, 0);
        if (page != 0)
            ++counts[page - 1250];
    }
    std::int32_t best = -1;
    for (int i = 0; i < 8; ++i)
        if (i != 2 && counts[i] > 0 && (best < 0 || counts[i] > counts[best]))
            best = i;
    if (best < 0 && counts[2] > 0)
        best = 2;
    if (count)
        *count = best < 0 ? 0 : counts[best];
    return best < 0 ? def : 1250 + best;
}

std::int32_t WideToNarrowAuto(std::u16string_view wide, std::string& narrow) {
    const std::int32_t codePage = DominantCodePage(wide, DefaultCodePage());
    narrow = WideToAnsiInCodePage(wide, codePage);
    return codePage;
}

void WideToNarrowRuns(std::u16string_view wide,
                      std::string& narrow,
                      std::vector<std::int32_t>& codePages,
                      std::vector<std::int32_t>& runEnds) {
    constexpr std::int32_t unset = static_cast<std::int32_t>(0x80000000u);
    codePages.clear();
    runEnds.clear();
    narrow.assign(wide.size(), '\0');
    std::size_t start = 0;
    while (start < wide.size()) {
        const std::int32_t page = CodePageOfChar(wide[start], unset);
        std::size_t end = start + 1;
        while (end < wide.size() && CodePageOfChar(wide[end], unset) == page)
            ++end;
        const std::int32_t used = page == unset ? DefaultCodePage() : page;
        narrow.replace(start, end - start, WideToAnsiInCodePage(wide.substr(start, end - start), used));
        codePages.push_back(used);
        runEnds.push_back(static_cast<std::int32_t>(end));
        start = end;
    }
}

std::int32_t WideCharWidth(Platform::HDC dc, char16_t c) {
    return Platform::GetCharWidthW(dc, c);
}

std::string WideToAnsiInCodePage(std::u16string_view wide, std::int32_t codePage) {
    if (Platform::IsSingleByteCodePage(codePage))
        return Platform::WideToBytes(codePage, wide, '?');
    std::string out(wide.size(), '?');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        bool usedDefault = false;
        const std::string bytes = Platform::WideToBytes(codePage, wide.substr(i, 1), '?', &usedDefault);
        if (!usedDefault && bytes.size() == 1)
            out[i] = bytes[0];
    }
    return out;
}

std::u16string AnsiToWideInCodePage(std::string_view narrow, std::int32_t codePage) {
    return Platform::BytesToWide(codePage, narrow);
}

std::string WideToUtf8(std::u16string_view wide) {
    return Platform::Utf16ToUtf8(wide);
}

std::int32_t Utf16ToUtf8Bytes(std::u16string_view source, char* dest, std::int32_t destSize) {
    std::int32_t written = 0;
    std::size_t i = 0;
    while (i < source.size()) {
        // One character at a time: a pair of surrogates is one character.
        const bool pair = source[i] >= 0xD800 && source[i] <= 0xDBFF && i + 1 < source.size() &&
                          source[i + 1] >= 0xDC00 && source[i + 1] <= 0xDFFF;
        const std::size_t units = pair ? 2 : 1;
        const std::string bytes = Platform::Utf16ToUtf8(source.substr(i, units));
        if (written + static_cast<std::int32_t>(bytes.size()) > destSize)
            break;
        for (char b : bytes)
            dest[written++] = b;
        i += units;
    }
    return written;
}

std::u16string Utf8ToWide(std::string_view narrow) {
    const std::size_t zero = narrow.find('\0');
    return Platform::Utf8ToUtf16(zero == std::string_view::npos ? narrow : narrow.substr(0, zero));
}

void MacRomanToAnsi(const char* source, char* dest, std::int32_t count) {
    const auto& table = MacRomanTable();
    for (std::int32_t i = 0; i < count; ++i)
        dest[i] = static_cast<char>(table[static_cast<unsigned char>(source[i])]);
}
