#include "files/text/TextEncodings.h"

#include <array>
#include <initializer_list>
#include <string_view>

#include "platform/ByteReader.h"
#include "platform/CodePages.h"

namespace {

constexpr std::int32_t FirstCodePageEncoding = teCp1250;
constexpr std::int32_t CodePageEncodingCount = 8;

// Bytes below this are never weighed; from here up to a code page's letter
// range they count with weight 0.
constexpr std::uint8_t FirstCountedByte = 65;

// A letter of a language, in both cases, with its relative frequency.
struct TLetterWeight {
    char16_t Upper;
    char16_t Lower;
    std::uint16_t Weight;
};

// A code page's letter range and the letter frequencies of its main
// language(s). Upper and lower case weigh alike.
struct TScoreSource {
    int CodePage;
    std::uint8_t LowerBound;
    std::initializer_list<TLetterWeight> Letters;
};

// Letter frequencies (per 100,000 letters, rounded) of Polish and Czech,
// Russian, the western European languages, Greek, Turkish, Hebrew, Arabic
// and Lithuanian with Latvian.
const TScoreSource kScoreSources[CodePageEncodingCount] = {
    {1250, 65, {{u'A', u'a', 11270}, {u'I', u'i', 10040}, {u'O', u'o', 9010}, {u'E', u'e', 8680}, {u'N', u'n', 7260},
                {u'Z', u'z', 7180},  {u'R', u'r', 5960},  {u'W', u'w', 5910}, {u'S', u's', 5490}, {u'C', u'c', 5080},
                {u'T', u't', 5050},  {u'Y', u'y', 4780},  {u'K', u'k', 4460}, {u'D', u'd', 4130}, {u'P', u'p', 3980},
                {u'M', u'm', 3560},  {u'U', u'u', 3180},  {u'J', u'j', 2900}, {u'L', u'l', 2670}, {u'Ł', u'ł', 2310},
                {u'V', u'v', 1900},  {u'B', u'b', 1870},  {u'G', u'g', 1800}, {u'Ę', u'ę', 1410}, {u'H', u'h', 1370},
                {u'Ą', u'ą', 1260},  {u'Ó', u'ó', 1080},  {u'Ż', u'ż', 1050}, {u'Ś', u'ś', 840},  {u'Ě', u'ě', 760},
                {u'Á', u'á', 760},   {u'Í', u'í', 760},   {u'Č', u'č', 640},  {u'Š', u'š', 640},  {u'Ž', u'ž', 640},
                {u'Ý', u'ý', 640},   {u'É', u'é', 640},   {u'Ć', u'ć', 510},  {u'Ř', u'ř', 510},  {u'F', u'f', 380},
                {u'Ů', u'ů', 380},   {u'Ń', u'ń', 250},   {u'Ú', u'ú', 130},  {u'Ź', u'ź', 80},   {u'Ď', u'ď', 60},
                {u'Ť', u'ť', 60},    {u'Ň', u'ň', 60},    {u'X', u'x', 30},   {u'Q', u'q', 10},   {u'Ő', u'ő', 10}}},
    {1251, 129, {{u'А', u'а', 16380}, {u'О', u'о', 11180}, {u'И', u'и', 9660}, {u'Е', u'е', 8750}, {u'Н', u'н', 6700},
                 {u'Т', u'т', 6300},  {u'С', u'с', 5500},  {u'Р', u'р', 4700}, {u'В', u'в', 4500}, {u'Л', u'л', 4400},
                 {u'К', u'к', 3500},  {u'М', u'м', 3200},  {u'Д', u'д', 3000}, {u'П', u'п', 2800}, {u'У', u'у', 2600},
                 {u'Я', u'я', 2000},  {u'Ы', u'ы', 1900},  {u'Ь', u'ь', 1700}, {u'Г', u'г', 1700}, {u'З', u'з', 1600},
                 {u'Б', u'б', 1600},  {u'Ч', u'ч', 1400},  {u'Й', u'й', 1200}, {u'Х', u'х', 970},  {u'Ж', u'ж', 940},
                 {u'Ш', u'ш', 730},   {u'Ю', u'ю', 640},   {u'Ц', u'ц', 480},  {u'Щ', u'щ', 360},  {u'Э', u'э', 320},
                 {u'Ф', u'ф', 260},   {u'Ъ', u'ъ', 40},    {u'Ё', u'ё', 40},   {u'І', u'і', 30},   {u'Ї', u'ї', 10},
                 {u'Є', u'є', 10},    {u'Ґ', u'ґ', 5},     {u'Ў', u'ў', 5},    {u'Ј', u'ј', 5},    {u'Љ', u'љ', 5},
                 {u'Њ', u'њ', 5},     {u'Ђ', u'ђ', 5},     {u'Ћ', u'ћ', 5},    {u'Џ', u'џ', 5},    {u'Ѕ', u'ѕ', 5}}},
    {1252, 65, {{u'E', u'e', 19310}, {u'A', u'a', 12210}, {u'N', u'n', 10530}, {u'I', u'i', 10460}, {u'R', u'r', 7000},
                {u'S', u's', 7000},  {u'T', u't', 6500},  {u'O', u'o', 6500},  {u'D', u'd', 4500},  {u'L', u'l', 4500},
                {u'U', u'u', 3800},  {u'H', u'h', 3500},  {u'C', u'c', 3200},  {u'M', u'm', 2700},  {u'G', u'g', 2000},
                {u'P', u'p', 2000},  {u'B', u'b', 1700},  {u'F', u'f', 1500},  {u'V', u'v', 1200},  {u'K', u'k', 1100},
                {u'W', u'w', 1100},  {u'É', u'é', 1000},  {u'Y', u'y', 1000},  {u'Z', u'z', 800},   {u'J', u'j', 500},
                {u'Ä', u'ä', 500},   {u'Ü', u'ü', 500},   {u'Ó', u'ó', 400},   {u'È', u'è', 300},   {u'À', u'à', 300},
                {u'Ö', u'ö', 300},   {u'Á', u'á', 300},   {u'X', u'x', 200},   {u'Í', u'í', 200},   {u'Ñ', u'ñ', 200},
                {u'Å', u'å', 200},   {u'ß', u'ß', 200},   {u'Q', u'q', 100},   {u'Ç', u'ç', 100},   {u'Ú', u'ú', 100},
                {u'Ê', u'ê', 100},   {u'Ã', u'ã', 100},   {u'Â', u'â', 50},    {u'Ô', u'ô', 50},    {u'Õ', u'õ', 50},
                {u'Æ', u'æ', 50},    {u'Ø', u'ø', 50},    {u'Î', u'î', 30},    {u'Û', u'û', 30},    {u'Ë', u'ë', 20},
                {u'Ï', u'ï', 20},    {u'Ù', u'ù', 20},    {u'Ì', u'ì', 10},    {u'Ò', u'ò', 10},    {u'Ý', u'ý', 10}}},
    {1253, 162, {{u'Α', u'α', 10750}, {u'Τ', u'τ', 7890}, {u'Ε', u'ε', 7370}, {u'Ο', u'ο', 7150}, {u'Ι', u'ι', 7000},
                 {u'Ν', u'ν', 6500},  {u'Σ', u'σ', 4000}, {u'Κ', u'κ', 4000}, {u'Ρ', u'ρ', 3800}, {u'Π', u'π', 3500},
                 {u'Υ', u'υ', 3500},  {u'Η', u'η', 3000}, {u'Μ', u'μ', 3000}, {u'ς', u'ς', 2500}, {u'Λ', u'λ', 2500},
                 {u'Ό', u'ό', 2000},  {u'Ί', u'ί', 2000}, {u'Ά', u'ά', 1800}, {u'Γ', u'γ', 1800}, {u'Έ', u'έ', 1500},
                 {u'Δ', u'δ', 1500},  {u'Ή', u'ή', 1400}, {u'Ω', u'ω', 1300}, {u'Ύ', u'ύ', 1000}, {u'Θ', u'θ', 1000},
                 {u'Χ', u'χ', 900},   {u'Φ', u'φ', 700},  {u'Ώ', u'ώ', 600},  {u'Β', u'β', 500},  {u'Ξ', u'ξ', 300},
                 {u'Ζ', u'ζ', 300},   {u'Ψ', u'ψ', 100},  {u'Ϊ', u'ϊ', 20},   {u'Ϋ', u'ϋ', 10}}},
    {1254, 65, {{u'A', u'a', 11560}, {u'E', u'e', 9390}, {u'İ', u'i', 8610}, {u'R', u'r', 6810}, {u'N', u'n', 6700},
                {u'L', u'l', 5900},  {u'I', u'ı', 5100}, {u'K', u'k', 4700}, {u'D', u'd', 4500}, {u'M', u'm', 3700},
                {u'Y', u'y', 3300},  {u'U', u'u', 3200}, {u'T', u't', 3000}, {u'S', u's', 3000}, {u'B', u'b', 2800},
                {u'O', u'o', 2500},  {u'Ü', u'ü', 1900}, {u'Ş', u'ş', 1800}, {u'Z', u'z', 1500}, {u'G', u'g', 1300},
                {u'Ç', u'ç', 1200},  {u'H', u'h', 1100}, {u'Ğ', u'ğ', 1100}, {u'V', u'v', 1000}, {u'C', u'c', 1000},
                {u'Ö', u'ö', 800},   {u'P', u'p', 800},  {u'F', u'f', 400},  {u'J', u'j', 30},   {u'Â', u'â', 20},
                {u'Î', u'î', 10},    {u'Û', u'û', 10}}},
    {1255, 224, {{u'י', u'י', 11060}, {u'ה', u'ה', 10870}, {u'ו', u'ו', 10380}, {u'ל', u'ל', 7390}, {u'א', u'א', 6300},
                 {u'מ', u'מ', 5000},  {u'ת', u'ת', 5000},  {u'ר', u'ר', 4500},  {u'ב', u'ב', 4500}, {u'ש', u'ש', 4000},
                 {u'נ', u'נ', 3000},  {u'ד', u'ד', 2500},  {u'ע', u'ע', 2300},  {u'כ', u'כ', 2000}, {u'ח', u'ח', 2000},
                 {u'ק', u'ק', 1800},  {u'ם', u'ם', 1700},  {u'פ', u'פ', 1400},  {u'ס', u'ס', 1000}, {u'צ', u'צ', 900},
                 {u'ג', u'ג', 900},   {u'ן', u'ן', 900},   {u'ט', u'ט', 800},   {u'ז', u'ז', 700},  {u'ך', u'ך', 300},
                 {u'ף', u'ף', 200},   {u'ץ', u'ץ', 100}}},
    {1256, 193, {{u'ا', u'ا', 12500}, {u'ل', u'ل', 12000}, {u'ن', u'ن', 6400}, {u'م', u'م', 6300}, {u'ي', u'ي', 6200},
                 {u'و', u'و', 5500},  {u'ه', u'ه', 4000},  {u'ر', u'ر', 4000}, {u'ب', u'ب', 3500}, {u'ت', u'ت', 3500},
                 {u'ع', u'ع', 3000},  {u'أ', u'أ', 3000},  {u'ف', u'ف', 2500}, {u'ك', u'ك', 2500}, {u'د', u'د', 2500},
                 {u'س', u'س', 2000},  {u'ق', u'ق', 2000},  {u'ة', u'ة', 2000}, {u'ح', u'ح', 1500}, {u'ج', u'ج', 1200},
                 {u'ى', u'ى', 1000},  {u'إ', u'إ', 1000},  {u'ش', u'ش', 900},  {u'ص', u'ص', 900},  {u'ط', u'ط', 700},
                 {u'ذ', u'ذ', 700},   {u'خ', u'خ', 700},   {u'ث', u'ث', 500},  {u'ض', u'ض', 500},  {u'ز', u'ز', 500},
                 {u'غ', u'غ', 400},   {u'ء', u'ء', 300},   {u'ئ', u'ئ', 300},  {u'ظ', u'ظ', 200},  {u'آ', u'آ', 200},
                 {u'ؤ', u'ؤ', 200}}},
    {1257, 65, {{u'A', u'a', 12770}, {u'E', u'e', 10820}, {u'I', u'i', 9530}, {u'S', u's', 8060}, {u'T', u't', 6500},
                {u'R', u'r', 5500},  {u'N', u'n', 5000},  {u'O', u'o', 5500}, {u'U', u'u', 5000}, {u'K', u'k', 5000},
                {u'L', u'l', 4000},  {u'M', u'm', 3500},  {u'P', u'p', 3000}, {u'D', u'd', 3000}, {u'V', u'v', 3500},
                {u'J', u'j', 2500},  {u'Ā', u'ā', 4000},  {u'Ė', u'ė', 2500}, {u'G', u'g', 1500}, {u'B', u'b', 1400},
                {u'Ī', u'ī', 2000},  {u'Y', u'y', 1500},  {u'Š', u'š', 2500}, {u'Z', u'z', 1500}, {u'C', u'c', 800},
                {u'Ē', u'ē', 2000},  {u'Ž', u'ž', 1800},  {u'Ų', u'ų', 1400}, {u'Ū', u'ū', 1800}, {u'Ą', u'ą', 1200},
                {u'Į', u'į', 1000},  {u'Č', u'č', 900},   {u'Ļ', u'ļ', 600},  {u'Ņ', u'ņ', 700},  {u'Ķ', u'ķ', 500},
                {u'H', u'h', 200},   {u'Ģ', u'ģ', 400},   {u'F', u'f', 200},  {u'Ę', u'ę', 50},   {u'Õ', u'õ', 50},
                {u'Ä', u'ä', 50},    {u'Ö', u'ö', 50},    {u'Ü', u'ü', 50}}},
};

// The weight of every byte value in a code page, built once from the
// letters above through the code page's own table.
struct TScoreTable {
    std::uint8_t LowerBound = 0;
    std::array<std::uint16_t, 256> Weights{};
};

const std::array<TScoreTable, CodePageEncodingCount>& ScoreTables() {
    static const std::array<TScoreTable, CodePageEncodingCount> tables = [] {
        std::array<TScoreTable, CodePageEncodingCount> built{};
        for (int i = 0; i < CodePageEncodingCount; ++i) {
            const TScoreSource& source = kScoreSources[i];
            TScoreTable& table = built[static_cast<std::size_t>(i)];
            table.LowerBound = source.LowerBound;
            for (int b = source.LowerBound; b < 256; ++b) {
                const char16_t c = Platform::ByteToWide(source.CodePage, static_cast<unsigned char>(b));
                for (const TLetterWeight& letter : source.Letters) {
                    if (c == letter.Upper || c == letter.Lower) {
                        table.Weights[static_cast<std::size_t>(b)] = letter.Weight;
                        break;
                    }
                }
            }
        }
        return built;
    }();
    return tables;
}

bool IsAsciiTextByte(std::uint8_t b) {
    return b == 9 || b == 10 || b == 12 || b == 13 || (b >= 32 && b <= 127);
}

}  // namespace

std::string TextEncodingName(std::int32_t encoding) {
    static constexpr std::string_view names[TextEncodingCount] = {
        "UTF-8 (without BOM)",
        "UTF-8 (with BOM)",
        "Unicode",
        "Unicode (Big-Endian)",
        "Windows-1250 (Central European)",
        "Windows-1251 (Cyrillic)",
        "Windows-1252 (Western European)",
        "Windows-1253 (Greek)",
        "Windows-1254 (Turkish)",
        "Windows-1255 (Hebrew)",
        "Windows-1256 (Arabic)",
        "Windows-1257 (Baltic)",
    };
    if (encoding < 0 || encoding >= TextEncodingCount)
        return {};
    return std::string(names[encoding]);
}

int TextEncodingCodePage(std::int32_t encoding) {
    if (encoding < FirstCodePageEncoding || encoding >= TextEncodingCount)
        return 0;
    return 1246 + encoding;
}

std::int32_t TextEncodingOfCodePage(int codePage) {
    if (codePage < 1250 || codePage > 1257)
        return teUndecided;
    return codePage - 1246;
}

std::int32_t ScoreTextCodePage(std::int32_t encoding, std::span<const std::uint8_t> window) {
    if (encoding < FirstCodePageEncoding || encoding >= TextEncodingCount)
        return 0;
    const TScoreTable& table = ScoreTables()[static_cast<std::size_t>(encoding - FirstCodePageEncoding)];
    std::int64_t sum = 0;
    std::int64_t count = 0;
    for (const std::uint8_t b : window) {
        if (b < FirstCountedByte)
            continue;
        ++count;
        if (b >= table.LowerBound)
            sum += table.Weights[b];
    }
    return count == 0 ? 0 : static_cast<std::int32_t>(sum / count);
}

TTextDetection DetectTextEncoding(std::span<const std::uint8_t> window, int defaultCodePage) {
    TByteReader reader(window);
    if (window.size() >= 3 && reader.U8At(0) == 0xEF && reader.U8At(1) == 0xBB && reader.U8At(2) == 0xBF)
        return {teUtf8Bom, 3};
    bool ascii = true;
    for (const std::uint8_t b : window) {
        if (!IsAsciiTextByte(b)) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return {teUtf8, 0};
    if (window.size() >= 2 && window.size() % 2 == 0) {
        const std::uint16_t mark = reader.U16LEAt(0);
        if (mark == 0xFEFF)
            return {teUtf16LE, 2};
        if (mark == 0xFFFE)
            return {teUtf16BE, 2};
    }
    std::int32_t scores[TextEncodingCount] = {};
    std::int32_t best = teUndecided;
    for (std::int32_t encoding = teCp1257; encoding >= teCp1250; --encoding) {
        scores[encoding] = ScoreTextCodePage(encoding, window);
        if (best == teUndecided || scores[encoding] > scores[best])
            best = encoding;
    }
    const std::int32_t own = TextEncodingOfCodePage(defaultCodePage);
    if (own != teUndecided && scores[own] == scores[best])
        return {own, 0};
    if (scores[teCp1252] == scores[best])
        return {teCp1252, 0};
    return {best, 0};
}

std::size_t DecodeUtf8Char(const std::uint8_t* p, std::size_t n, char32_t& c) {
    constexpr char32_t Replacement = 0xFFFD;
    const std::uint8_t b0 = p[0];
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0)
            low = 0xA0;  // overlong forms
        else if (b0 == 0xED)
            high = 0x9F;  // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0)
            low = 0x90;  // overlong forms
        else if (b0 == 0xF4)
            high = 0x8F;  // beyond U+10FFFF
    } else {
        c = Replacement;
        return 1;
    }
    char32_t value = b0 & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= n || p[i] < low || p[i] > high) {
            c = Replacement;
            return i;
        }
        value = (value << 6) | (p[i] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    c = value;
    return length;
}
