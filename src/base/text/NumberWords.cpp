#include "base/text/NumberWords.h"

#include <array>

#include "base/text/HexText.h"
#include "base/text/NumberFormats.h"
#include "base/text/TextCase.h"

namespace {

enum : std::int32_t {
    langCatalan = 3,
    langCzech = 5,
    langDanish = 6,
    langGerman = 7,
    langEnglish = 9,
    langSpanish = 10,
    langFinnish = 11,
    langFrench = 12,
    langItalian = 16,
    langDutch = 19,
    langNorwegian = 20,
    langPortuguese = 22,
    langSwedish = 29,
};

std::int32_t PrimaryLanguage(std::int32_t language) {
    return language & 0x3FF;
}

// The word tables are Windows-1252 text.

const char* const kEnglishUnits[20] = {
    "zero", "one",    "two",    "three",    "four",     "five",    "six",     "seven",     "eight",    "nine",
    "ten",  "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen",
};
const char* const kEnglishTens[10] = {"",      "",      "twenty",  "thirty", "forty",
                                      "fifty", "sixty", "seventy", "eighty", "ninety"};

const char* const kGermanUnits[20] = {
    "null", "eins", "zwei",     "drei",     "vier",     "f\xFCnf",     "sechs",    "sieben",   "acht",     "neun",
    "zehn", "elf",  "zw\xF6lf", "dreizehn", "vierzehn", "f\xFCnfzehn", "sechzehn", "siebzehn", "achtzehn", "neunzehn",
};
const char* const kGermanTens[10] = {"",           "",        "zwanzig", "drei\xDFig", "vierzig",
                                     "f\xFCnfzig", "sechzig", "siebzig", "achtzig",    "neunzig"};

const char* const kSpanishUnits[30] = {
    "cero",         "uno",         "dos",           "tres",        "cuatro",       "cinco",
    "seis",         "siete",       "ocho",          "nueve",       "diez",         "once",
    "doce",         "trece",       "catorce",       "quince",      "diecis\xE9is", "diecisiete",
    "dieciocho",    "diecinueve",  "veinte",        "veintiuno",   "veintid\xF3s", "veintitr\xE9s",
    "veinticuatro", "veinticinco", "veintis\xE9is", "veintisiete", "veintiocho",   "veintinueve",
};
const char* const kSpanishTens[10] = {"",          "",        "",        "treinta", "cuarenta",
                                      "cincuenta", "sesenta", "setenta", "ochenta", "noventa"};
const char* const kSpanishHundreds[10] = {"",           "ciento",      "doscientos",  "trescientos", "cuatrocientos",
                                          "quinientos", "seiscientos", "setecientos", "ochocientos", "novecientos"};

const char* const kFrenchUnits[20] = {
    "z\xE9ro", "un",   "deux",  "trois",  "quatre",   "cinq",   "six",   "sept",     "huit",     "neuf",
    "dix",     "onze", "douze", "treize", "quatorze", "quinze", "seize", "dix-sept", "dix-huit", "dix-neuf",
};
const char* const kFrenchTens[6] = {"", "", "vingt", "trente", "quarante", "cinquante"};

void Join(std::string& text, const std::string& part, const char* separator = " ") {
    if (part.empty())
        return;
    if (!text.empty())
        text += separator;
    text += part;
}

// English ----------------------------------------------------------------

std::string EnglishGroup(std::int64_t n) {
    std::string text;
    if (n >= 100)
        text = std::string(kEnglishUnits[n / 100]) + " hundred";
    const std::int64_t rest = n % 100;
    if (rest != 0 || text.empty()) {
        std::string tail = rest < 20 ? kEnglishUnits[rest] : kEnglishTens[rest / 10];
        if (rest >= 20 && rest % 10 != 0)
            tail += std::string("-") + kEnglishUnits[rest % 10];
        Join(text, tail);
    }
    return text;
}

std::string EnglishCardinal(std::int64_t n) {
    if (n == 0)
        return kEnglishUnits[0];
    std::string text;
    if (n >= 1000000000)
        Join(text, EnglishGroup(n / 1000000000) + " billion");
    if (n / 1000000 % 1000 != 0)
        Join(text, EnglishGroup(n / 1000000 % 1000) + " million");
    if (n / 1000 % 1000 != 0)
        Join(text, EnglishGroup(n / 1000 % 1000) + " thousand");
    if (n % 1000 != 0)
        Join(text, EnglishGroup(n % 1000));
    return text;
}

std::string EnglishOrdinal(std::int64_t n) {
    struct Ending {
        const char* Word;
        const char* Ordinal;
    };
    static const Ending endings[] = {
        {"one", "first"},          {"two", "second"},       {"three", "third"},      {"five", "fifth"},
        {"eight", "eighth"},       {"nine", "ninth"},       {"twelve", "twelfth"},   {"twenty", "twentieth"},
        {"thirty", "thirtieth"},   {"forty", "fortieth"},   {"fifty", "fiftieth"},   {"sixty", "sixtieth"},
        {"seventy", "seventieth"}, {"eighty", "eightieth"}, {"ninety", "ninetieth"},
    };
    std::string text = EnglishCardinal(n);
    const std::size_t cut = text.find_last_of(" -");
    const std::size_t start = cut == std::string::npos ? 0 : cut + 1;
    const std::string last = text.substr(start);
    for (const Ending& e : endings)
        if (last == e.Word)
            return text.substr(0, start) + e.Ordinal;
    return text + "th";
}

// German -----------------------------------------------------------------
//
// Below a million the words form one compound ("zweitausenddreihundert").
// A one that ends the number is "eins", inside a compound "ein"
// (einundzwanzig, eintausend). A hundred opening the compound is "hundert";
// after thousands it is "einhundert" (eintausendeinhundert).

std::string GermanBelow100(std::int64_t n, bool final) {
    if (n == 1)
        return final ? "eins" : "ein";
    if (n < 20)
        return kGermanUnits[n];
    const std::int64_t units = n % 10;
    if (units == 0)
        return kGermanTens[n / 10];
    return std::string(units == 1 ? "ein" : kGermanUnits[units]) + "und" + kGermanTens[n / 10];
}

std::string GermanBelow1000(std::int64_t n, bool final, bool opening) {
    std::string text;
    const std::int64_t hundreds = n / 100;
    if (hundreds == 1)
        text = opening ? "hundert" : "einhundert";
    else if (hundreds > 1)
        text = std::string(kGermanUnits[hundreds]) + "hundert";
    if (n % 100 != 0)
        text += GermanBelow100(n % 100, final);
    return text;
}

std::string GermanBelowMillion(std::int64_t n, bool final) {
    std::string text;
    const std::int64_t thousands = n / 1000;
    if (thousands != 0)
        text = GermanBelow1000(thousands, false, true) + "tausend";
    if (n % 1000 != 0)
        text += GermanBelow1000(n % 1000, final, thousands == 0);
    return text;
}

// "eine Million", "zwei Millionen", "hunderteine Millionen".
std::string GermanLargeGroup(std::int64_t n, const char* one, const char* many) {
    if (n == 1)
        return std::string("eine ") + one;
    std::string count = GermanBelowMillion(n, false);
    if (n % 100 == 1)
        count += "e";
    return count + " " + many;
}

std::string GermanCardinal(std::int64_t n) {
    if (n == 0)
        return kGermanUnits[0];
    std::string text;
    if (n >= 1000000000)
        Join(text, GermanLargeGroup(n / 1000000000, "Milliarde", "Milliarden"));
    if (n / 1000000 % 1000 != 0)
        Join(text, GermanLargeGroup(n / 1000000 % 1000, "Million", "Millionen"));
    if (n % 1000000 != 0)
        Join(text, GermanBelowMillion(n % 1000000, true));
    return text;
}

bool EndsWith(const std::string& text, std::string_view ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::string GermanOrdinal(std::int64_t n) {
    // Whole millions and milliards make one word: "zweimillionste".
    if (n >= 1000000 && n % 1000000 == 0) {
        const std::int64_t milliards = n / 1000000000, millions = n / 1000000 % 1000;
        auto count = [](std::int64_t c) { return c == 1 ? std::string("ein") : GermanBelowMillion(c, false); };
        if (millions == 0)
            return count(milliards) + "milliardste";
        std::string text;
        if (milliards != 0)
            text = count(milliards) + (milliards == 1 ? "milliarde" : "milliarden");
        return text + count(millions) + "millionste";
    }
    struct Ending {
        const char* Word;
        const char* Ordinal;
    };
    static const Ending endings[] = {
        {"null", "nullte"}, {"eins", "erste"}, {"drei", "dritte"},        {"sieben", "siebte"},
        {"acht", "achte"},  {"ig", "igste"},   {"hundert", "hundertste"}, {"tausend", "tausendste"},
    };
    std::string text = GermanCardinal(n);
    for (const Ending& e : endings) {
        if (EndsWith(text, e.Word)) {
            return text.substr(0, text.size() - std::char_traits<char>::length(e.Word)) + e.Ordinal;
        }
    }
    return text + "te";
}

// Spanish ----------------------------------------------------------------
//
// Before "mil" and "millón" uno shortens to un (veintiún mil, un millón,
// ciento un mil); a hundred on its own is "cien".

std::string SpanishBelow100(std::int64_t n, bool shortOne) {
    if (shortOne && n == 1)
        return "un";
    if (shortOne && n == 21)
        return "veinti\xFAn";
    if (n < 30)
        return kSpanishUnits[n];
    std::string text = kSpanishTens[n / 10];
    if (n % 10 != 0)
        text += std::string(" y ") + (shortOne && n % 10 == 1 ? "un" : kSpanishUnits[n % 10]);
    return text;
}

std::string SpanishBelow1000(std::int64_t n, bool shortOne) {
    if (n == 100)
        return "cien";
    std::string text = kSpanishHundreds[n / 100];
    if (n % 100 != 0)
        Join(text, SpanishBelow100(n % 100, shortOne));
    return text;
}

std::string SpanishBelowMillion(std::int64_t n, bool shortOne) {
    std::string text;
    const std::int64_t thousands = n / 1000;
    if (thousands == 1)
        text = "mil";
    else if (thousands > 1)
        text = SpanishBelow1000(thousands, true) + " mil";
    if (n % 1000 != 0)
        Join(text, SpanishBelow1000(n % 1000, shortOne));
    return text;
}

std::string SpanishCardinal(std::int64_t n) {
    if (n == 0)
        return kSpanishUnits[0];
    std::string text;
    // Spanish counts in millions up to a million millions: 2 000 000 000 is
    // "dos mil millones".
    const std::int64_t millions = n / 1000000;
    if (millions == 1)
        text = "un mill\xF3n";
    else if (millions > 1)
        text = SpanishBelowMillion(millions, true) + " millones";
    if (n % 1000000 != 0)
        Join(text, SpanishBelowMillion(n % 1000000, false));
    return text;
}

// French -----------------------------------------------------------------
//
// Vingt and cent take a plural s when multiplied and nothing follows them
// (quatre-vingts, deux cents), but not before "mille" (deux cent mille);
// million and milliard are nouns and take their plural s. Ordinals are made
// from the singular form (quatre-vingtième, deux centième).

std::string FrenchBelow100(std::int64_t n, bool plural) {
    if (n < 20)
        return kFrenchUnits[n];
    if (n < 60) {
        std::string text = kFrenchTens[n / 10];
        if (n % 10 == 1)
            text += " et un";
        else if (n % 10 != 0)
            text += std::string("-") + kFrenchUnits[n % 10];
        return text;
    }
    if (n < 80) {
        const std::int64_t rest = n - 60;
        if (rest == 0)
            return "soixante";
        if (rest == 1 || rest == 11)
            return std::string("soixante et ") + kFrenchUnits[rest];
        return std::string("soixante-") + kFrenchUnits[rest];
    }
    const std::int64_t rest = n - 80;
    if (rest == 0)
        return plural ? "quatre-vingts" : "quatre-vingt";
    return std::string("quatre-vingt-") + kFrenchUnits[rest];
}

std::string FrenchBelow1000(std::int64_t n, bool plural) {
    std::string text;
    const std::int64_t hundreds = n / 100, rest = n % 100;
    if (hundreds == 1)
        text = "cent";
    else if (hundreds > 1)
        text = std::string(kFrenchUnits[hundreds]) + (rest == 0 && plural ? " cents" : " cent");
    if (rest != 0)
        Join(text, FrenchBelow100(rest, plural));
    return text;
}

std::string FrenchBelowMillion(std::int64_t n, bool plural) {
    std::string text;
    const std::int64_t thousands = n / 1000;
    if (thousands == 1)
        text = "mille";
    else if (thousands > 1)
        text = FrenchBelow1000(thousands, false) + " mille";
    if (n % 1000 != 0)
        Join(text, FrenchBelow1000(n % 1000, plural));
    return text;
}

std::string FrenchNoun(std::int64_t count, const char* noun, bool plural) {
    if (count == 1)
        return std::string("un ") + noun;
    return FrenchBelow1000(count, true) + " " + noun + (plural ? "s" : "");
}

std::string FrenchCardinal(std::int64_t n, bool ordinal) {
    if (n == 0)
        return kFrenchUnits[0];
    std::string text;
    const std::int64_t milliards = n / 1000000000, millions = n / 1000000 % 1000, rest = n % 1000000;
    if (milliards != 0)
        Join(text, FrenchNoun(milliards, "milliard", !(ordinal && millions == 0 && rest == 0)));
    if (millions != 0)
        Join(text, FrenchNoun(millions, "million", !(ordinal && rest == 0)));
    if (rest != 0)
        Join(text, FrenchBelowMillion(rest, !ordinal));
    return text;
}

std::string FrenchOrdinal(std::int64_t n) {
    if (n == 0)
        return kFrenchUnits[0];
    if (n == 1)
        return "premier";
    std::string text = FrenchCardinal(n, true);
    if (text.back() == 'e')
        text.pop_back();
    else if (text.back() == 'f')
        text.back() = 'v';
    else if (text.back() == 'q')
        text += 'u';
    return text + "i\xE8me";
}

// ------------------------------------------------------------------------

std::string Capitalized(std::string text) {
    if (!text.empty())
        text[0] = UpperCharLocale(text[0]);
    return text;
}

const char* MinusWord(std::int32_t language) {
    switch (PrimaryLanguage(language)) {
        case langSpanish:
            return "menos ";
        case langFrench:
            return "moins ";
        default:
            return "minus ";
    }
}

std::string Words(std::int64_t n, std::int32_t language, bool ordinal) {
    if (n < 0)
        return MinusWord(language) + Words(-n, language, ordinal);
    switch (PrimaryLanguage(language)) {
        case langGerman:
            return ordinal ? GermanOrdinal(n) : GermanCardinal(n);
        case langSpanish:
            return SpanishCardinal(n);
        case langFrench:
            return ordinal ? FrenchOrdinal(n) : FrenchCardinal(n, false);
        default:
            return ordinal ? EnglishOrdinal(n) : EnglishCardinal(n);
    }
}

// The words cover 32-bit numbers; wider ones are clamped into that range.
std::int64_t Clamp32(std::int64_t n) {
    constexpr std::int64_t low = -2147483648LL, high = 2147483647LL;
    return n < low ? low : (n > high ? high : n);
}

int RomanValue(char c) {
    switch (c) {
        case 'I':
            return 1;
        case 'V':
            return 5;
        case 'X':
            return 10;
        case 'L':
            return 50;
        case 'C':
            return 100;
        case 'D':
            return 500;
        case 'M':
            return 1000;
        default:
            return 0;
    }
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

}  // namespace

std::int32_t HexToInt(std::string_view text) {
    if (text.empty())
        return UnsetNumber;
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return UnsetNumber;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0x7FFFFFFF)
            return UnsetNumber;
    }
    return static_cast<std::int32_t>(value);
}

std::string AlphabeticNumber(std::int32_t n) {
    if (n <= 0)
        return {};
    return std::string(static_cast<std::size_t>((n - 1) / 26 + 1), static_cast<char>('A' + (n - 1) % 26));
}

std::string RomanNumeral(std::int32_t n) {
    if (n <= 0)
        return {};
    struct Digit {
        const char* One;
        const char* Five;
        const char* Ten;
    };
    static const Digit digits[] = {{"C", "D", "M"}, {"X", "L", "C"}, {"I", "V", "X"}};
    std::string text(static_cast<std::size_t>(n / 1000), 'M');
    int rest = n % 1000;
    int scale = 100;
    for (const Digit& d : digits) {
        const int digit = rest / scale;
        rest %= scale;
        scale /= 10;
        if (digit == 9) {
            text += d.One;
            text += d.Ten;
        } else if (digit >= 5) {
            text += d.Five;
            for (int i = 5; i < digit; ++i)
                text += d.One;
        } else if (digit == 4) {
            text += d.One;
            text += d.Five;
        } else {
            for (int i = 0; i < digit; ++i)
                text += d.One;
        }
    }
    return text;
}

std::int32_t RomanToInt(std::string_view text, std::int32_t def) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int value = RomanValue(text[i]);
        if (value == 0)
            return def;
        const int next = i + 1 < text.size() ? RomanValue(text[i + 1]) : 0;
        if (i + 1 < text.size() && next == 0)
            return def;
        if (next > value) {
            total += next - value;
            ++i;
        } else {
            total += value;
        }
        if (total > 0x7FFFFFFF)
            return def;
    }
    return static_cast<std::int32_t>(total);
}

std::string NumberWithOrdinalSuffix(std::int32_t n, std::int32_t language) {
    const std::string digits = std::to_string(n);
    // The suffix rules look at the number without its sign.
    const std::int64_t a = n < 0 ? -static_cast<std::int64_t>(n) : n;
    switch (PrimaryLanguage(language)) {
        case langCatalan:
            switch (a) {
                case 1:
                    return digits + ".";
                case 2:
                    return digits + "n";
                case 3:
                    return digits + "r";
                case 4:
                    return digits + "t";
                case 14:
                    return digits + "\xE8h";
                default:
                    return digits + "\xE8";
            }
        case langCzech:
        case langGerman:
        case langFinnish:
        case langNorwegian:
            return digits + ".";
        case langDanish:
            switch (a % 100) {
                case 0:
                    return digits + "ende";
                case 1:
                    return digits + "ste";
                case 2:
                    return digits + "nden";
                case 3:
                    return digits + "dje";
                case 4:
                    return digits + "rde";
                case 5:
                case 6:
                case 11:
                case 12:
                case 30:
                    return digits + "te";
                default:
                    return digits + "nde";
            }
        case langSpanish:
        case langItalian:
        case langPortuguese:
            return digits + "\xBA";
        case langFrench:
            return digits + (a == 1 ? "er" : "e");
        case langDutch:
            return digits + "e";
        case langSwedish:
            if (a % 100 == 11 || a % 100 == 12)
                return digits + ":e";
            return digits + (a % 10 == 1 || a % 10 == 2 ? ":a" : ":e");
        default:
            if (a % 100 >= 11 && a % 100 <= 13)
                return digits + "th";
            switch (a % 10) {
                case 1:
                    return digits + "st";
                case 2:
                    return digits + "nd";
                case 3:
                    return digits + "rd";
                default:
                    return digits + "th";
            }
    }
}

std::string CardinalWords(std::int64_t n, std::int32_t language) {
    return Capitalized(Words(Clamp32(n), language, false));
}

std::string OrdinalWords(std::int64_t n, std::int32_t language) {
    return Capitalized(Words(Clamp32(n), language, true));
}

void DecodeBase64(std::string& text) {
    if (text.size() % 4 != 0) {
        text.clear();
        return;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t group = 0; group < text.size(); group += 4) {
        const bool last = group + 4 == text.size();
        int values[4];
        int count = 0;  // characters before the first "="
        for (int i = 0; i < 4; ++i) {
            const char c = text[group + i];
            if (c == '=') {
                // Padding ends the data: only in the last group, after at
                // least two characters, and followed by padding alone.
                if (!last || i < 2) {
                    text.clear();
                    return;
                }
                for (int j = i + 1; j < 4; ++j)
                    if (text[group + j] != '=') {
                        text.clear();
                        return;
                    }
                break;
            }
            values[i] = Base64Value(c);
            if (values[i] < 0) {
                text.clear();
                return;
            }
            ++count;
        }
        out += static_cast<char>((values[0] << 2) | (values[1] >> 4));
        if (count > 2)
            out += static_cast<char>(((values[1] & 15) << 4) | (values[2] >> 2));
        if (count > 3)
            out += static_cast<char>(((values[2] & 3) << 6) | values[3]);
    }
    text = std::move(out);
}

std::string LocalizeDecimalSeparator(std::string_view text) {
    std::string out(text);
    const char separator = DecimalSeparator();
    for (char& c : out)
        if (c == ',' || c == '.')
            c = separator;
    return out;
}
