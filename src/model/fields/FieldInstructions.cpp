#include "model/fields/FieldInstructions.h"

#include <algorithm>
#include <vector>

#include "base/text/Charsets.h"
#include "base/text/TWideStringList.h"
#include "model/managers/TLangManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TStyleManager.h"
#include "platform/CodePages.h"

namespace {

using TTokens = std::vector<std::u16string>;

// A double quote is escaped by an odd number of backslashes before it; an
// even number are escaped backslashes, and the quote still opens or closes
// a quoted part. (Counting only the one character before the quote would
// swallow the closing quote of every argument that ends in a backslash,
// such as a folder path.)
bool QuoteIsEscaped(std::u16string_view s, std::size_t i) {
    std::size_t count = 0;
    while (i > count && s[i - count - 1] == u'\\')
        ++count;
    return count % 2 == 1;
}

TTokens Tokenize(std::u16string_view s) {
    // Walk from the last character to the first, noting for every output
    // character whether it separates tokens. Built backwards, then turned.
    std::u16string chars;
    std::vector<bool> separator;
    chars.reserve(s.size() + 8);
    separator.reserve(s.size() + 8);
    bool inQuotes = false;
    for (std::size_t i = s.size(); i-- > 0;) {
        const char16_t c = s[i];
        if (c == u'"' && !QuoteIsEscaped(s, i)) {
            // Seen from the right, a quote outside quotes closes a quoted
            // part; text glued to it on the right starts a token of its own.
            if (!inQuotes && !chars.empty() && !separator.back()) {
                chars.push_back(u' ');
                separator.push_back(true);
            }
            inQuotes = !inQuotes;
            chars.push_back(c);
            separator.push_back(false);
        } else {
            chars.push_back(c);
            separator.push_back(c == u' ' && !inQuotes);
        }
    }
    std::reverse(chars.begin(), chars.end());
    std::reverse(separator.begin(), separator.end());

    TTokens tokens;
    std::u16string token;
    auto finish = [&] {
        // Escaped backslashes first, then the quotes around the token, then
        // escaped quotes.
        std::u16string t;
        for (std::size_t i = 0; i < token.size(); ++i) {
            t += token[i];
            if (token[i] == u'\\' && i + 1 < token.size() && token[i + 1] == u'\\')
                ++i;
        }
        if (!t.empty() && t.front() == u'"')
            t.erase(0, 1);
        if (!t.empty() && t.back() == u'"')
            t.pop_back();
        std::u16string out;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == u'\\' && i + 1 < t.size() && t[i + 1] == u'"')
                continue;
            out += t[i];
        }
        if (!out.empty())
            tokens.push_back(std::move(out));
        token.clear();
    };
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (separator[i])
            finish();
        else
            token += chars[i];
    }
    finish();
    if (!tokens.empty())
        tokens.erase(tokens.begin());  // the keyword
    return tokens;
}

// A switch is a backslash and one character; longer tokens that start with
// a backslash are arguments (network paths, for one).
bool IsSwitch(const std::u16string& token) {
    return token.size() == 2 && token[0] == u'\\';
}

bool StartsWithBackslash(const std::u16string& token) {
    return !token.empty() && token[0] == u'\\';
}

// Appends an argument in double quotes, escaped.
void AppendQuoted(std::u16string& out, std::u16string_view text) {
    out += u'"';
    out += EscapeFieldArg(text);
    out += u'"';
}

std::u16string TrimEnd(std::u16string text) {
    while (!text.empty() && text.back() <= u' ')
        text.pop_back();
    return text;
}

std::string TrimEnd(std::string text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.pop_back();
    return text;
}

// A decimal number with an optional sign; def for anything else or a value
// beyond 32 bits.
std::int32_t ToInt(const std::u16string& text, std::int32_t def) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    if (i >= text.size())
        return def;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return def;
        value = value * 10 + (text[i] - u'0');
        if (value > 0x7FFFFFFF)
            return def;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

bool ContainsNoCase(std::u16string_view text, std::u16string_view part) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    auto it = std::search(text.begin(), text.end(), part.begin(), part.end(),
                          [&](char16_t a, char16_t b) { return lower(a) == lower(b); });
    return it != text.end();
}

void ParseReference(std::u16string_view instruction,
                    char16_t flagA,
                    bool* a,
                    char16_t flagB,
                    bool* b,
                    std::u16string& bookmark) {
    if (a != nullptr)
        *a = false;
    if (b != nullptr)
        *b = false;
    bookmark.clear();
    bool haveBookmark = false;
    for (const std::u16string& t : Tokenize(instruction)) {
        if (IsSwitch(t) && t[1] == flagA) {
            if (a != nullptr)
                *a = true;
        } else if (IsSwitch(t) && t[1] == flagB) {
            if (b != nullptr)
                *b = true;
        } else if (!IsSwitch(t) && !haveBookmark) {
            bookmark = t;
            haveBookmark = true;
        }
    }
}

}  // namespace

std::unique_ptr<TWideStringList> TokenizeFieldCode(std::u16string_view instruction) {
    auto list = std::make_unique<TWideStringList>();
    for (std::u16string& t : Tokenize(instruction))
        list->Add(std::move(t));
    return list;
}

std::u16string EscapeFieldArg(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}

void ParseHyperlinkCode(std::u16string_view instruction,
                        std::u16string& target,
                        std::u16string& bookmark,
                        std::u16string* tooltip) {
    target.clear();
    bookmark.clear();
    if (tooltip != nullptr)
        tooltip->clear();
    const TTokens tokens = Tokenize(instruction);
    bool haveTarget = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::u16string& t = tokens[i];
        if (t == u"\\l") {
            if (i + 1 < tokens.size())
                bookmark = tokens[++i];
        } else if (t == u"\\o") {
            if (i + 1 < tokens.size()) {
                ++i;
                if (tooltip != nullptr)
                    *tooltip = tokens[i];
            }
        } else if (!IsSwitch(t) && !haveTarget) {
            target = t;
            haveTarget = true;
        }
    }
    if (bookmark.empty() && !target.empty() && target[0] == u'#') {
        bookmark = target.substr(1);
        target.clear();
    }
}

std::u16string BuildHyperlinkCode(std::u16string_view target,
                                  std::u16string_view bookmark,
                                  std::u16string_view tooltip) {
    std::u16string address(target);
    if (address.find(u'@') != std::u16string::npos && address.find(u"//") == std::u16string::npos &&
        !ContainsNoCase(address, u"mailto:"))
        address = std::u16string(u"mailto:").append(address);
    std::u16string out = u"HYPERLINK ";
    if (!bookmark.empty()) {
        if (!address.empty()) {
            AppendQuoted(out, address);
            out += u' ';
        }
        out += u"\\l ";
        AppendQuoted(out, bookmark);
    } else {
        AppendQuoted(out, address);
    }
    if (!tooltip.empty()) {
        out += u" \\o ";
        AppendQuoted(out, tooltip);
    }
    return out;
}

TTocOptions ParseTocCode(std::u16string_view instruction) {
    TTocOptions options;
    const TTokens tokens = Tokenize(instruction);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::u16string& t = tokens[i];
        const bool hasNext = i + 1 < tokens.size();
        if (t == u"\\n") {
            options.ShowPageNumbers = 0;
        } else if (t == u"\\e") {
            if (hasNext)
                options.Separator = tokens[++i];
        } else if (t == u"\\o") {
            // Only a range from level 1 says how many levels to take.
            if (hasNext && tokens[i + 1][0] == u'1') {
                const char16_t last = tokens[++i].back();
                options.Levels = std::clamp(static_cast<int>(last) - '0', 1, 9);
            }
        } else if (t == u"\\p") {
            if (hasNext)
                ++i;
        } else if (t.size() == 3 && t[0] == u'\\' && t[1] == u'r' && t[2] >= u'0' && t[2] <= u'9') {
            options.RightAlign = 1;
            options.RightAlignLevel = t[2] - u'0' - 1;
        }
    }
    return options;
}

std::u16string BuildTocCode(const TTocOptions& options) {
    std::u16string out = u"TOC \\h \\o \"1-";
    out += static_cast<char16_t>(u'0' + std::clamp(options.Levels, 1, 9));
    out += u'"';
    if (options.ShowPageNumbers != 0) {
        if (options.RightAlign != 0) {
            out += u" \\r";
            out += static_cast<char16_t>(u'0' + std::clamp(options.RightAlignLevel + 1, 0, 9));
        } else {
            out += u" \\p \" \"";
        }
    } else {
        out += u" \\n";
    }
    if (!options.Separator.empty()) {
        out += u" \\e ";
        AppendQuoted(out, options.Separator);
    }
    return out;
}

void ParseXECode(std::u16string_view instruction, TXEOptions& options) {
    const TTokens tokens = Tokenize(instruction);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::u16string& t = tokens[i];
        const bool hasNext = i + 1 < tokens.size();
        if (t == u"\\t") {
            if (hasNext)
                options.CrossReference = tokens[++i];
        } else if (t == u"\\r") {
            if (hasNext)
                options.Bookmark = Platform::WideToBytes(DefaultCodePage(), tokens[++i]);
        } else if (t == u"\\b") {
            options.Bold = 1;
        } else if (t == u"\\i") {
            options.Italic = 1;
        } else if (t == u"\\y") {
            // The reading of the entry (for sorting Japanese text), not the
            // entry itself.
            if (hasNext)
                ++i;
        } else if (!IsSwitch(t)) {
            options.EntryText = t;
        }
    }
    options.EntryText = TrimEnd(std::move(options.EntryText));
    options.Bookmark = TrimEnd(std::move(options.Bookmark));
}

TIndexOptions ParseIndexCode(std::u16string_view instruction) {
    TIndexOptions options;
    const TTokens tokens = Tokenize(instruction);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::u16string& t = tokens[i];
        const bool hasNext = i + 1 < tokens.size();
        if (t == u"\\c") {
            if (hasNext)
                options.Columns = std::clamp(ToInt(tokens[++i], 0), 0, 4);
        } else if (t == u"\\e") {
            if (hasNext && tokens[++i] == u"\t")
                options.RightAlignedPages = 1;
        } else if (t == u"\\h") {
            options.LetterHeadings = 1;
            if (hasNext)
                ++i;
        } else if (t == u"\\r") {
            options.RunIn = 1;
        } else if (t == u"\\z") {
            if (hasNext)
                options.Language = ToInt(tokens[++i], 0);
        } else if (t.size() == 3 && t[0] == u'\\' && t[1] == u'y' && t[2] >= u'0' && t[2] <= u'9') {
            options.TabLeader = t[2] - u'0' - 1;
        }
    }
    if (options.Language == 0)
        options.Language = UserInterfaceLanguage();
    return options;
}

std::int32_t ParseSymbolCode(std::u16string_view instruction, std::string& fontName) {
    fontName.clear();
    std::int32_t code = 63;
    const std::size_t blank = instruction.find(u' ');
    if (blank != std::u16string_view::npos) {
        std::int64_t value = 0;
        std::size_t i = blank + 1;
        for (; i < instruction.size() && instruction[i] >= u'0' && instruction[i] <= u'9' && value <= 0x7FFFFFFF; ++i)
            value = value * 10 + (instruction[i] - u'0');
        // Without digits, or with a code no character has, the field shows
        // the question mark rather than a control character.
        if (i > blank + 1 && value > 0 && value <= 0x7FFFFFFF)
            code = static_cast<std::int32_t>(value);
    }
    const std::size_t font = instruction.find(u"\\f ");
    if (font != std::u16string_view::npos) {
        std::size_t i = font + 3;
        while (i < instruction.size() && instruction[i] == u' ')
            ++i;
        std::size_t end;
        if (i < instruction.size() && instruction[i] == u'"') {
            ++i;
            end = instruction.find(u'"', i);
        } else {
            end = instruction.find(u' ', i);
        }
        if (end == std::u16string_view::npos)
            end = instruction.size();
        fontName = Platform::Utf16ToUtf8(instruction.substr(i, end - i));
    }
    return code;
}

std::u16string BuildSymbolCode(std::int32_t code, std::string_view fontName) {
    std::string text = "SYMBOL " + std::to_string(code) + " \\f \"" + std::string(fontName) + "\"";
    if (code >= 256)
        text += " \\u";
    return Platform::Utf8ToUtf16(text);
}

bool ParseStyleRefCode(const TStyleList& styles,
                       std::u16string_view instruction,
                       std::int32_t& styleIndex,
                       bool& numberFlag,
                       std::string& styleName) {
    bool lastOnPage = false;
    numberFlag = false;
    styleName.clear();
    styleIndex = -1;
    bool haveName = false;
    const TTokens tokens = Tokenize(instruction);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::u16string& t = tokens[i];
        if (t == u"\\l") {
            lastOnPage = true;
        } else if (t == u"\\n") {
            numberFlag = true;
        } else if (t == u"\\*") {
            if (i + 1 < tokens.size())
                ++i;
        } else if (!StartsWithBackslash(t) && !haveName) {
            styleName = Platform::Utf16ToUtf8(t.substr(0, t.find(u',')));
            haveName = true;
        }
    }
    if (!haveName)
        return lastOnPage;
    styleIndex = styles.IndexOfName(styleName);
    if (styleIndex < 0)
        styleIndex = styles.IndexOfDisplayName(styleName);
    if (styleIndex < 0) {
        const std::string english = TranslateBuiltInStyleName(styleName);
        if (!english.empty())
            styleIndex = styles.IndexOfName(english);
    }
    if (styleIndex >= 0)
        styleName = styles.Style(styleIndex)->Name;
    return lastOnPage;
}

void ParsePageRefCode(std::u16string_view instruction, bool* hyperlink, bool* relative, std::u16string& bookmark) {
    ParseReference(instruction, u'h', hyperlink, u'p', relative, bookmark);
}

void ParseNoteRefCode(std::u16string_view instruction, bool* hyperlink, bool* formatted, std::u16string& bookmark) {
    ParseReference(instruction, u'h', hyperlink, u'f', formatted, bookmark);
}

std::u16string DatePictureOf(std::u16string_view instruction) {
    const TTokens tokens = Tokenize(instruction);
    for (std::size_t i = tokens.size(); i-- > 0;)
        if (tokens[i] == u"\\@")
            return i + 1 < tokens.size() ? tokens[i + 1] : std::u16string();
    return {};
}

std::int32_t NumberStyleOfInstruction(std::u16string_view instruction, std::int32_t defaultStyle) {
    static const char16_t* const words[] = {u"alphabetic", u"ALPHABETIC", u"roman", u"ROMAN"};
    for (int i = 0; i < 4; ++i)
        if (instruction.find(words[i]) != std::u16string_view::npos)
            return i + 1;
    return defaultStyle == 255 ? 0 : defaultStyle;
}
