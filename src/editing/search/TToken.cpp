#include "editing/search/TToken.h"

#include <string_view>

#include "editing/search/SearchOptions.h"
#include "model/formats/DocConstants.h"
#include "platform/CodePages.h"
#include "platform/Collation.h"

const TSpecialLetter SpecialLetterTable[23] = {
    {u'p', slBoth, pcParEnd, "&Paragraph End Mark"},
    {u'l', slBoth, pcLineBreak, "&Line Break"},
    {u'n', slBoth, pcColumnBreak, "Col&umn Break"},
    {u'm', slBoth, pcPageBreak, "P&age Break"},
    {u'b', slFind, pcSectionBreak, "Section &Break"},
    {u't', slBoth, pcTab, "&Tab"},
    {u'g', slFind, pcPicture, "Pi&cture"},
    {u'f', slFind, pcFootnoteMark, "&Footnote Mark"},
    {u'e', slFind, pcEndnoteMark, "Endnote Mar&k"},
    {u'w', slFind, pcWhiteSpace, "&White Space"},
    {u's', slBoth, pcNbSpace, "Nonbreaking &Space"},
    {u'~', slBoth, pcNbHyphen, "Nonbreaking &Hyphen"},
    {u'-', slBoth, pcSoftHyphen, "Optio&nal Hyphen"},
    {u'+', slBoth, pcLongDash, "Long &Dash"},
    {u'=', slBoth, pcShortDash, "Sho&rt Dash"},
    {u'^', slBoth, pcCaret, "L&id Symbol"},
    {u'?', slFind, pcAnyChar, "An&y Character"},
    {u'#', slFind, pcAnyDigit, "Any Di&git"},
    {u'$', slFind, pcAnyLetter, "Any L&etter"},
    {u'U', slFind, pcAnyUpper, "Any Uppercase Letter"},
    {u'L', slFind, pcAnyLower, "Any Lowercase Letter"},
    {u'&', slReplace, pcFoundText, "Find What Text"},
    {u'c', slReplace, pcClipboard, "Clipboard Contents"},
};

TToken FindPattern;
TToken ReplacePattern;
std::string PatternError;
bool FormatOnlySearch = false;
bool IgnoreSoftHyphens = true;

namespace {

// The members of "^w", in their order.
constexpr std::uint16_t WhiteSpaceMembers[] = {32, pcQuarterEmSpace, pcEmSpace, pcEnSpace, pcNbSpace, pcTab};

// What the model's SpecialCharCode gives an ordinary character.
constexpr std::uint8_t NoSpecialChar = 255;

// Byte values of "^" + digits are read in these code pages: the ANSI page
// of the keyboard's language when the digits begin with "0", else the OEM
// page. Linux has no keyboard code page; the Western pages stand for them.
constexpr int DigitsAnsiCodePage = 1252;
constexpr int DigitsOemCodePage = 437;

std::string Utf8(std::u16string_view s) {
    return Platform::Utf16ToUtf8(s);
}

// Refusals: the text goes to PatternError and false comes back, so that a
// refusal reads "return Refuse(...)".
bool Refuse(std::string_view reason) {
    PatternError = reason;
    return false;
}
bool RefuseNotAllowed(std::string_view what) {
    PatternError = "\"" + std::string(what) + "\" is not allowed.";
    return false;
}
bool RefuseSilently() {
    PatternError.clear();
    return false;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The control codes "^" + a number below 32 stands for.
int ControlCodeOfNumber(std::int32_t v) {
    switch (v) {
        case 1:
            return pcPicture;
        case 2:
            return pcNoteRef;
        case 9:
            return pcTab;
        case 11:
            return pcLineBreak;
        case 12:
            return pcPageBreak;
        case 13:
            return pcParEnd;
        case 14:
            return pcColumnBreak;
        default:
            return -1;
    }
}

class TCompiler {
public:
    TCompiler(const std::u16string& text, std::size_t i, bool wildcards, bool replaceMode)
        : Text(text), I(i), Wildcards(wildcards), ReplaceMode(replaceMode) {}

    bool CompileInto(TToken& root, int nesting);
    std::size_t Position() const { return I; }

    // The root being compiled: the groups it has closed so far are the
    // ones a reference in the Find text may name.
    TToken* Root = nullptr;

private:
    bool AtEnd() const { return I >= Text.size(); }
    // Reads a "^" sequence (I on the "^"); code gets the pattern code and
    // escaped says the character came from a "^" sequence.
    bool ParseCaret(std::uint16_t& code);
    // A character typed directly (I on it).
    bool ParseTyped(std::uint16_t& code);
    bool ParseSet(TToken& group);
    bool ParseRepeat(TToken& group);
    bool AddWhiteSpace(TToken& group);
    bool FinishFind(TToken& group, int nesting);
    bool FinishReplace(TToken& root);

    const std::u16string& Text;
    std::size_t I;
    bool Wildcards;
    bool ReplaceMode;
    // The last node came from a "<" typed right before (for "<<").
    std::size_t LastAnchorAt = std::u16string::npos;
};

bool TCompiler::ParseCaret(std::uint16_t& code) {
    ++I;  // the "^"
    if (AtEnd())
        return Refuse("\"^\" must be followed by a character to form a valid special character.");
    const char16_t c = Text[I];
    if (IsDigit(c) || c == u'u') {
        const bool unicode = c == u'u';
        const std::size_t digitsAt = unicode ? I + 1 : I;
        std::size_t j = digitsAt;
        std::int64_t v = 0;
        while (j < Text.size() && IsDigit(Text[j])) {
            if (v < 0x10000)
                v = v * 10 + (Text[j] - u'0');
            ++j;
        }
        const std::u16string written = u"^" + Text.substr(I, j - I);
        I = j;
        if (v > 0xFFFF)
            return RefuseNotAllowed(Utf8(written));
        std::int32_t unit = static_cast<std::int32_t>(v);
        if (!unicode && v >= 32 && v <= 255) {
            const bool ansi = Text[digitsAt] == u'0';
            unit = Platform::ByteToWide(ansi ? DigitsAnsiCodePage : DigitsOemCodePage, static_cast<unsigned char>(v));
        }
        if (unit < 32) {
            const int control = ControlCodeOfNumber(unit);
            if (control < 0)
                return RefuseNotAllowed(Utf8(written));
            if (ReplaceMode && (unit == 1 || unit == 2))
                return RefuseNotAllowed(unit == 1 ? "^1" : "^2");
            code = static_cast<std::uint16_t>(control);
            return true;
        }
        code = PatternCodeOf(static_cast<char16_t>(unit));
        return true;
    }
    ++I;
    for (const TSpecialLetter& letter : SpecialLetterTable) {
        if (letter.Letter != c)
            continue;
        const bool allowed = letter.Where == slBoth || (letter.Where == slFind && !ReplaceMode) ||
                             (letter.Where == slReplace && ReplaceMode);
        if (!allowed)
            break;
        if (!ReplaceMode && letter.Code == pcSoftHyphen)
            IgnoreSoftHyphens = false;
        code = letter.Code;
        return true;
    }
    return RefuseNotAllowed(Utf8(u"^" + std::u16string(1, c)));
}

bool TCompiler::ParseTyped(std::uint16_t& code) {
    const char16_t c = Text[I++];
    if (c < 32 && c != u'\t')
        return RefuseSilently();
    code = PatternCodeOf(c);
    return true;
}

bool TCompiler::AddWhiteSpace(TToken& group) {
    TToken* set = group.AddChild(tkSet);
    for (std::uint16_t m : WhiteSpaceMembers) {
        set->SetRanges.push_back(m | (static_cast<std::uint32_t>(m) << 16));
        set->SetEscapes.push_back(1);
    }
    set->Maximum = UnboundedRepeat;
    set->Greedy = 1;
    return true;
}

bool TCompiler::ParseSet(TToken& group) {
    ++I;  // the "["
    if (AtEnd())
        return Refuse("Missing closing bracket \"]\".");
    TToken* set = group.AddChild(tkSet);
    if (Text[I] == u'!') {
        set->Kind = tkNegatedSet;
        ++I;
    }
    bool pendingDash = false;   // a "-" waits for the range's end
    bool lastWasRange = false;  // the last member is a range's end
    bool closed = false;
    while (!AtEnd()) {
        const char16_t c = Text[I];
        if (c == u']') {
            ++I;
            closed = true;
            break;
        }
        if (c == u'-') {
            if (set->SetRanges.empty() && !pendingDash)
                return RefuseNotAllowed("[-");
            if (pendingDash || lastWasRange)
                return RefuseNotAllowed("[...--");
            if ((set->SetRanges.back() & 0xFFFF) < 32)
                return RefuseNotAllowed("[^...-");
            pendingDash = true;
            ++I;
            continue;
        }
        std::uint16_t code = 0;
        std::uint8_t escaped = 0;
        if (c == u'^') {
            if (I + 1 < Text.size() && Text[I + 1] == u'?')
                return RefuseNotAllowed("[...^?...]");
            if (I + 1 < Text.size() && Text[I + 1] == u'w') {
                I += 2;
                if (pendingDash)
                    return RefuseNotAllowed("[...--");
                for (std::uint16_t m : WhiteSpaceMembers) {
                    set->SetRanges.push_back(m | (static_cast<std::uint32_t>(m) << 16));
                    set->SetEscapes.push_back(1);
                }
                lastWasRange = false;
                continue;
            }
            if (!ParseCaret(code))
                return false;
            escaped = 1;
        } else if (c == u'\\') {
            if (I + 2 >= Text.size())
                return Refuse("\"\\\" must be followed by a character.");
            code = Text[I + 1];
            I += 2;
            if (code < 32)
                return RefuseSilently();
        } else if (!ParseTyped(code)) {
            return false;
        }
        if (pendingDash) {
            if (code < 32)
                return RefuseNotAllowed("[^...-");
            const std::uint16_t low = set->SetRanges.back() & 0xFFFF;
            if (code < low)
                return RefuseNotAllowed("[...z-a...");
            set->SetRanges.back() = low | (static_cast<std::uint32_t>(code) << 16);
            // Latin ligatures sort among the letters they join.
            if (low == u'a' && code == u'z') {
                for (std::uint16_t m : {u'\u00E6', u'\u0153'}) {
                    set->SetRanges.push_back(m | (static_cast<std::uint32_t>(m) << 16));
                    set->SetEscapes.push_back(0);
                }
            } else if (low == u'A' && code == u'Z') {
                for (std::uint16_t m : {u'\u00C6', u'\u0152'}) {
                    set->SetRanges.push_back(m | (static_cast<std::uint32_t>(m) << 16));
                    set->SetEscapes.push_back(0);
                }
            }
            pendingDash = false;
            lastWasRange = true;
            continue;
        }
        set->SetRanges.push_back(code | (static_cast<std::uint32_t>(code) << 16));
        set->SetEscapes.push_back(escaped);
        lastWasRange = false;
    }
    if (pendingDash)
        return RefuseNotAllowed("...-]");
    if (!closed)
        return Refuse("Missing closing bracket \"]\".");
    if (set->SetRanges.empty())
        return RefuseNotAllowed("[]");
    return true;
}

bool AllElementsOptional(const TToken& group) {
    for (const auto& child : group.Children)
        if (child->Minimum != 0)
            return false;
    return true;
}

bool TCompiler::ParseRepeat(TToken& group) {
    const std::size_t open = I;
    std::size_t close = Text.find(u'}', open);
    const std::u16string quoted =
        Text.substr(open, close == std::u16string::npos ? std::u16string::npos : close - open + 1);
    const std::string q = Utf8(quoted);
    if (group.Children.empty())
        return Refuse("\"{\" must be preceded by a character.");
    if (group.FirstBar != NoBar && static_cast<std::int32_t>(group.Children.size()) ==
                                       (group.SecondBar != NoBar ? group.SecondBar : group.FirstBar))
        return RefuseNotAllowed("|{");
    TToken& last = *group.Children.back();
    ++I;
    auto skipBlanks = [&] {
        while (!AtEnd() && Text[I] == u' ')
            ++I;
    };
    auto readNumber = [&](std::int32_t& n) {
        bool any = false;
        n = 0;
        while (!AtEnd() && IsDigit(Text[I])) {
            if (n < 100000000)
                n = n * 10 + (Text[I] - u'0');
            ++I;
            any = true;
        }
        return any;
    };
    skipBlanks();
    std::int32_t n = 0;
    const bool haveN = readNumber(n);
    if (AtEnd())
        return Refuse("Missing closing bracket \"}\".");
    if (!haveN)
        return RefuseNotAllowed(q);
    skipBlanks();
    std::int32_t m = n;
    if (!AtEnd() && Text[I] == u'}') {
        ++I;
        if (n == 0)
            return RefuseNotAllowed(q);
    } else {
        if (AtEnd())
            return Refuse("Missing closing bracket \"}\".");
        const char16_t sep = Text[I];
        if (sep != u',' && sep != u'-' && sep != u':' && sep != u';')
            return RefuseNotAllowed(q);
        ++I;
        skipBlanks();
        if (!readNumber(m))
            m = UnboundedRepeat;
        if (m < n)
            return RefuseNotAllowed(q);
        if (n == 0 && m == 0)
            return RefuseNotAllowed("{0,0}");
        if (AtEnd() || Text[I] != u'}')
            return Refuse("Missing closing bracket \"}\".");
        ++I;
    }
    if (last.IsAnchor())
        return true;
    if (last.Kind == tkGroup && AllElementsOptional(last))
        return RefuseSilently();
    last.Minimum = n;
    last.Maximum = m;
    last.Greedy = 1;
    // An unbounded any-character run stays lazy, so that it ends at the
    // first place the rest matches, as "*" does; so does a group of anchors
    // and any-character nodes.
    if (last.Kind == tkChar && last.Code == pcAnyChar && m == UnboundedRepeat && !FormatOnlySearch)
        last.Greedy = 0;
    if (last.Kind == tkGroup) {
        bool loose = true;
        for (const auto& child : last.Children)
            if (!child->IsAnchor() && !(child->Kind == tkChar && child->Code == pcAnyChar))
                loose = false;
        if (loose)
            last.Greedy = 0;
    }
    return true;
}

bool TCompiler::CompileInto(TToken& group, int nesting) {
    const bool wildcardSyntax = Wildcards && !ReplaceMode;
    while (!AtEnd()) {
        const char16_t c = Text[I];
        std::uint16_t code = 0;
        if (c == u'^') {
            if (I + 1 < Text.size() && Text[I + 1] == u'w' && !ReplaceMode) {
                I += 2;
                AddWhiteSpace(group);
                continue;
            }
            if (!ParseCaret(code))
                return false;
            TToken* node = group.AddChild(tkChar);
            node->Code = code;
            node->Escaped = 1;
            continue;
        }
        if (c == u'\\' && Wildcards) {
            if (I + 1 >= Text.size())
                return Refuse("\"\\\" must be followed by a character.");
            const char16_t d = Text[I + 1];
            if (IsDigit(d)) {
                const int n = d - u'0';
                const std::string written = Utf8(std::u16string(u"\\") + d);
                if (ReplaceMode) {
                    if (n == 0 || n > static_cast<int>(FindPattern.Groups.size()))
                        return Refuse("\"" + written + "\" is not a valid group number.");
                    // The group must lie in the found part of the Find text.
                    const TToken* target = FindPattern.Groups[n - 1];
                    std::int32_t at = 0;
                    while (at < static_cast<std::int32_t>(FindPattern.Children.size()) &&
                           FindPattern.Children[at].get() != target)
                        ++at;
                    if ((FindPattern.FirstBar != NoBar && at < FindPattern.FirstBar) ||
                        (FindPattern.SecondBar != NoBar && at >= FindPattern.SecondBar))
                        return RefuseNotAllowed(written);
                } else {
                    // A root's groups list is filled as groups close; a
                    // reference inside a group counts those closed before.
                    if (n == 0 || n > static_cast<int>(Root->Groups.size()))
                        return Refuse("\"" + written + "\" is not a valid group number.");
                }
                TToken* node = group.AddChild(tkGroupRef);
                node->GroupIndex = n - 1;
                I += 2;
                continue;
            }
            if (d < 32)
                return RefuseSilently();
            TToken* node = group.AddChild(tkChar);
            node->Code = d;
            I += 2;
            continue;
        }
        if (!wildcardSyntax) {
            if (!ParseTyped(code))
                return false;
            group.AddChild(tkChar)->Code = code;
            continue;
        }
        switch (c) {
            case u'(': {
                if (nesting > 0)
                    return RefuseNotAllowed("(...(...)...)");
                ++I;
                TToken* inner = group.AddChild(tkGroup);
                if (!CompileInto(*inner, 1))
                    return false;
                if (AtEnd() || Text[I] != u')')
                    return Refuse("Missing closing bracket \")\".");
                ++I;
                group.Groups.push_back(inner);
                continue;
            }
            case u')':
                if (nesting > 0)
                    return FinishFind(group, nesting);
                return Refuse("Closing bracket \")\" with no opening bracket.");
            case u']':
                return Refuse("Closing bracket \"]\" with no opening bracket.");
            case u'}':
                return Refuse("Closing bracket \"}\" with no opening bracket.");
            case u'?':
                ++I;
                group.AddChild(tkChar)->Code = pcAnyChar;
                continue;
            case u'*': {
                ++I;
                TToken* node = group.AddChild(tkChar);
                node->Code = pcAnyChar;
                node->Minimum = 0;
                node->Maximum = UnboundedRepeat;
                continue;
            }
            case u'@': {
                ++I;
                if (group.Children.empty())
                    return Refuse("\"@\" must be preceded by a character.");
                if (group.FirstBar != NoBar && static_cast<std::int32_t>(group.Children.size()) ==
                                                   (group.SecondBar != NoBar ? group.SecondBar : group.FirstBar))
                    return RefuseNotAllowed("|@");
                TToken& last = *group.Children.back();
                if (last.IsAnchor())
                    continue;
                if (last.Kind == tkGroup && AllElementsOptional(last))
                    return RefuseSilently();
                last.Maximum = UnboundedRepeat;
                last.Greedy = 0;
                continue;
            }
            case u'{':
                if (!ParseRepeat(group))
                    return false;
                continue;
            case u'<': {
                TToken* last = group.Children.empty() ? nullptr : group.Children.back().get();
                if (last != nullptr && last->Kind == tkWordEnd)
                    return RefuseNotAllowed("><");
                if (last != nullptr && last->Kind == tkWordStart && LastAnchorAt + 1 == I) {
                    const std::size_t n = group.Children.size();
                    if (n >= 2 && group.Children[n - 2]->Kind == tkParStart)
                        return RefuseNotAllowed("<<<<");
                    last->Kind = tkParStart;
                } else {
                    group.AddChild(tkWordStart);
                }
                LastAnchorAt = I;
                ++I;
                continue;
            }
            case u'>': {
                TToken* last = group.Children.empty() ? nullptr : group.Children.back().get();
                if (last != nullptr && last->IsAnchor())
                    return RefuseNotAllowed("<>");
                group.AddChild(tkWordEnd);
                ++I;
                continue;
            }
            case u'[':
                if (!ParseSet(group))
                    return false;
                continue;
            case u'|': {
                if (nesting > 0)
                    return RefuseNotAllowed("(...|...)");
                const auto n = static_cast<std::int32_t>(group.Children.size());
                if (group.FirstBar == NoBar) {
                    group.FirstBar = n;
                } else if (group.SecondBar == NoBar) {
                    if (n == group.FirstBar && I > 0 && Text[I - 1] == u'|')
                        return RefuseNotAllowed("||");
                    group.SecondBar = n;
                } else {
                    return RefuseNotAllowed("...|...|...|...");
                }
                ++I;
                continue;
            }
            default:
                if (!ParseTyped(code))
                    return false;
                group.AddChild(tkChar)->Code = code;
                continue;
        }
    }
    if (nesting > 0)
        return Refuse("Missing closing bracket \")\".");
    return ReplaceMode ? FinishReplace(group) : FinishFind(group, nesting);
}

bool TCompiler::FinishFind(TToken& group, int nesting) {
    std::size_t anchors = 0;
    for (const auto& child : group.Children)
        if (child->IsAnchor())
            ++anchors;
    if (group.Children.empty() || group.Children.size() <= anchors)
        return RefuseSilently();
    if (nesting == 0 && (SearchOptions & soWholeWords) != 0 && !Wildcards) {
        auto wordy = [](const TToken& t) { return t.Kind == tkChar && IsWordPatternChar(t.Code); };
        if (FormatOnlySearch || wordy(*group.Children.front()))
            group.Children.insert(group.Children.begin(), std::make_unique<TToken>())->get()->Kind = tkWordStart;
        if (FormatOnlySearch || wordy(*group.Children.back()))
            group.AddChild(tkWordEnd);
    }
    return true;
}

bool TCompiler::FinishReplace(TToken& root) {
    bool foundText = false;
    bool groupRef = false;
    for (const auto& child : root.Children) {
        if (child->Kind == tkChar && child->Code == pcFoundText)
            foundText = true;
        if (child->Kind == tkGroupRef)
            groupRef = true;
    }
    if (foundText && groupRef)
        return RefuseNotAllowed("^&...\\n");
    for (const auto& child : root.Children)
        if (child->Kind == tkChar && child->Code == pcFoundText) {
            child->Kind = tkGroupRef;
            child->GroupIndex = WholeFoundText;
        }
    return true;
}

}  // namespace

TToken* TToken::AddChild(std::uint8_t kind) {
    Children.push_back(std::make_unique<TToken>());
    TToken* child = Children.back().get();
    child->Kind = kind;
    return child;
}

bool TToken::Compile(TToken& root,
                     const std::u16string& text,
                     std::int32_t& position,
                     bool wildcards,
                     bool replaceMode,
                     int nesting) {
    std::u16string source = text;
    if (nesting == 0) {
        root.Kind = tkGroup;
        root.Children.clear();
        root.Groups.clear();
        PatternError.clear();
        if (!replaceMode) {
            FormatOnlySearch = false;
            IgnoreSoftHyphens = true;
            if (text.empty()) {
                // A search for a format alone: every run of text, or, when
                // a paragraph format or style is searched, the text of one
                // paragraph at a time.
                const bool parCriteria = !ParFormatIsClear(FindFormat.ParFormat) || !FindFormat.StyleName.empty();
                source = parCriteria ? u"[!^p^b]{0,}[^p^b]{0,1}" : u"?{1,}";
                wildcards = true;
                position = 1;
                FormatOnlySearch = true;
            }
        }
        root.FirstBar = NoBar;
        root.SecondBar = NoBar;
    }
    const std::size_t start = position > 0 ? static_cast<std::size_t>(position - 1) : 0;
    TCompiler compiler(source, start, wildcards, replaceMode);
    compiler.Root = &root;
    const bool ok = compiler.CompileInto(root, nesting);
    position = static_cast<std::int32_t>(compiler.Position()) + 1;
    return ok;
}

std::uint16_t PatternCodeOf(char16_t c) {
    const std::uint8_t special = SpecialCharCode(c);
    return special == NoSpecialChar ? c : special;
}

bool IsWordPatternChar(std::uint16_t code) {
    if (code >= pcAnyChar && code <= pcAnyLower)
        return true;
    if (code <= 32)
        return false;
    if (code < 128)
        return (code >= u'0' && code <= u'9') || (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z');
    return Platform::IsLetterWide(static_cast<char16_t>(code));
}
