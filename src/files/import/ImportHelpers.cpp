#include "files/import/ImportHelpers.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>

#include "base/core/ObjectHandles.h"
#include "base/text/TWideStringList.h"
#include "base/text/TextCase.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t DefaultSublanguage = 1024;
constexpr std::uint8_t ftShape = 95;

// The bytes a text run can take as they are, worked out once.
constexpr std::array<bool, 256> MakePlainRunBytes() {
    std::array<bool, 256> plain{};
    for (int b = 32; b < 256; ++b)
        plain[b] = true;
    for (int b : {int{'\\'}, int{'{'}, int{'}'}, 150, 151, 160})
        plain[b] = false;
    return plain;
}
constexpr std::array<bool, 256> PlainRunBytes = MakePlainRunBytes();

bool IsAsciiLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Letters of the switch words: ASCII and the accented letters of Latin-1
// and beyond (the switch table's words use nothing else).
bool IsSwitchLetter(char16_t c) {
    return IsAsciiLetter(c) || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

constexpr int ToggledCharAttrs[] = {caBold,    caItalic, caStrike,  caDoubleStrike, caSmallCaps,
                                    caAllCaps, caShadow, caOutline, caEmboss,       caEngrave};
constexpr int ToggledParProps[] = {ppKeepWithNext,  ppKeepTogether,      ppPageBreakBefore,
                                   ppNoHyphenation, ppContextualSpacing, ppSuppressLineNumbers};

bool ValidStyle(const TStyleList& styles, std::int32_t index) {
    return index >= 0 && index < styles.Count;
}

// The based-on chain above a style, nearest first, without the style itself
// and stopping where the chain comes back on itself.
std::vector<std::int32_t> AncestorsOf(const TStyleList& styles, std::int32_t index) {
    std::vector<std::int32_t> chain;
    std::vector<bool> seen(static_cast<std::size_t>(styles.Count), false);
    seen[static_cast<std::size_t>(index)] = true;
    for (std::int32_t s = styles.Style(index)->BasedOn; ValidStyle(styles, s) && !seen[static_cast<std::size_t>(s)];
         s = styles.Style(s)->BasedOn) {
        seen[static_cast<std::size_t>(s)] = true;
        chain.push_back(s);
    }
    return chain;
}

// The value a style inherits for a toggle: from the nearest ancestor that
// sets it, else the default.
template <class TGet>
std::int32_t InheritedValue(const TStyleList& styles, std::int32_t index, std::int32_t fallback, TGet get) {
    for (std::int32_t s : AncestorsOf(styles, index)) {
        const std::int32_t v = get(*styles.Style(s));
        if (v != UnsetValue)
            return v;
    }
    return fallback;
}

void ResolveToggles(TStyleList& styles,
                    std::int32_t index,
                    std::vector<bool>& done,
                    const TCharFormat& defChar,
                    const TParFormat& defPar) {
    if (done[static_cast<std::size_t>(index)])
        return;
    done[static_cast<std::size_t>(index)] = true;
    TStyle& style = *styles.Style(index);
    if (ValidStyle(styles, style.BasedOn))
        ResolveToggles(styles, style.BasedOn, done, defChar, defPar);
    for (int attr : ToggledCharAttrs) {
        if (style.CharFormat[attr] != CharToggleValue)
            continue;
        const std::int32_t v =
            InheritedValue(styles, index, defChar[attr], [attr](const TStyle& s) { return s.CharFormat[attr]; });
        style.CharFormat[attr] = (v & 0x7F) ^ 1;
    }
    for (int prop : ToggledParProps) {
        if (GetParProp(style.ParFormat, prop) != ParToggle)
            continue;
        const std::int32_t v = InheritedValue(styles, index, GetParProp(defPar, prop),
                                              [prop](const TStyle& s) { return GetParProp(s.ParFormat, prop); });
        SetParProp(style.ParFormat, prop, (v & 0x7F) ^ 1);
    }
}

}  // namespace

std::int32_t StyleIndexByNumber(const TStyleList& styles, std::int32_t number) {
    for (std::int32_t i = styles.Count - 1; i >= 0; --i)
        if (styles.Style(i)->FileNumber == number)
            return i;
    return 0;
}

void ResolveNextStyles(TStyleList& styles) {
    for (std::int32_t i = 0; i < styles.Count; ++i) {
        TStyle& style = *styles.Style(i);
        style.NextStyle = StyleIndexByNumber(styles, style.NextStyle);
        style.ParFormat.Style = static_cast<std::int16_t>(i);
    }
}

void ResolveStyleToggles(TStyleList& styles, const TCharFormat& defCharFormat, const TParFormat& defParFormat) {
    const std::int32_t n = styles.Count;
    for (std::int32_t i = 0; i < n; ++i) {
        TStyle& style = *styles.Style(i);
        if (style.BasedOn == i || !ValidStyle(styles, style.BasedOn))
            style.BasedOn = -1;
    }
    // A cycle: a style derived (directly or not) from i is based on one of
    // i's ancestors. Re-basing it on style 0 breaks the cycle; style 0 itself
    // is then based on nothing.
    for (std::int32_t i = 0; i < n; ++i) {
        const std::vector<std::int32_t> ancestors = AncestorsOf(styles, i);
        if (ancestors.empty())
            continue;
        std::vector<bool> derived(static_cast<std::size_t>(n), false);
        std::vector<std::int32_t> queue{i};
        while (!queue.empty()) {
            const std::int32_t parent = queue.back();
            queue.pop_back();
            for (std::int32_t s = 0; s < n; ++s) {
                if (styles.Style(s)->BasedOn != parent || derived[static_cast<std::size_t>(s)])
                    continue;
                derived[static_cast<std::size_t>(s)] = true;
                queue.push_back(s);
            }
        }
        for (std::int32_t s = 0; s < n; ++s) {
            TStyle& style = *styles.Style(s);
            if (derived[static_cast<std::size_t>(s)] &&
                std::find(ancestors.begin(), ancestors.end(), style.BasedOn) != ancestors.end())
                style.BasedOn = s == 0 ? -1 : 0;
        }
    }
    // Re-basing on style 0 can close a new cycle through style 0 itself; a
    // style whose chain still leads back to it is then based on nothing.
    for (std::int32_t i = 0; i < n; ++i) {
        const std::vector<std::int32_t> ancestors = AncestorsOf(styles, i);
        if (!ancestors.empty() && styles.Style(ancestors.back())->BasedOn == i)
            styles.Style(i)->BasedOn = -1;
    }
    std::vector<bool> done(static_cast<std::size_t>(n), false);
    for (std::int32_t i = 0; i < n; ++i)
        ResolveToggles(styles, i, done, defCharFormat, defParFormat);
}

std::uint8_t ParToggleValue(std::uint8_t value) {
    return value == CharToggleValue ? ParToggle : value;
}

std::int32_t NormalizeLanguageId(std::int32_t value, std::int32_t defaultLanguage) {
    if (value == 0)
        return defaultLanguage;
    if (value >= 1 && value <= 255)
        return value + DefaultSublanguage;
    return value;
}

std::string NormalizePathSlashes(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        const char d = c == '/' ? '\\' : c;
        if (d == '\\' && !out.empty() && out.back() == '\\')
            continue;
        out += d;
    }
    return out;
}

std::size_t LeadingRunLength(const std::uint8_t* bytes, std::size_t n) {
    std::size_t i = 0;
    while (i < n && PlainRunBytes[bytes[i]])
        ++i;
    return i;
}

std::u16string CanonicalFieldInstruction(std::u16string_view instruction, std::uint8_t& type) {
    std::u16string text;
    for (char16_t c : instruction)
        if (c >= u' ' || c == u'\t')
            text += c;
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(u" \t") - first + 1);

    if (type == FindFieldType) {
        const std::size_t blank = text.find_first_of(u" \t");
        const int found = FieldTypeOfKeyword(std::u16string_view(text).substr(0, blank));
        if (found < 0)
            return {};
        type = static_cast<std::uint8_t>(found);
    }
    if (type < FieldTypeCount && FieldKeywords[type][0] != '?') {
        std::size_t n = 0;
        while (n < text.size() && IsAsciiLetter(text[n]))
            ++n;
        std::u16string keyword;
        for (const char* k = FieldKeywords[type]; *k != 0; ++k)
            keyword += static_cast<char16_t>(*k);
        text.replace(0, n, keyword);
    }

    // Switch words, from the end so that replacements do not move what is
    // still to be scanned; quoted text is the user's and stays.
    std::size_t quotes = 0;
    for (char16_t c : text)
        quotes += c == u'"';
    // Inside quotes when an odd number of quotes stands before the position.
    bool quoted = quotes % 2 == 1;
    std::size_t end = text.size();
    std::size_t seenQuotes = 0;
    while (end > 0) {
        const char16_t c = text[end - 1];
        if (c == u'"') {
            ++seenQuotes;
            quoted = (quotes - seenQuotes) % 2 == 1;
            --end;
            continue;
        }
        if (!IsSwitchLetter(c) || quoted) {
            --end;
            continue;
        }
        std::size_t start = end;
        while (start > 0 && IsSwitchLetter(text[start - 1]))
            --start;
        if (start > 0) {
            if (const char* english = TranslateFieldSwitch(std::u16string_view(text).substr(start, end - start))) {
                std::u16string word;
                for (const char* k = english; *k != 0; ++k)
                    word += static_cast<char16_t>(*k);
                text.replace(start, end - start, word);
            }
        }
        end = start;
    }
    return text;
}

TField* FieldFromInstruction(TDoc& doc,
                             std::int32_t curPar,
                             std::u16string_view instruction,
                             std::uint8_t type,
                             bool skipIndexFields,
                             std::vector<TField*>& openFields,
                             std::vector<TField*>& fieldsToDelete) {
    std::u16string text = CanonicalFieldInstruction(instruction, type);
    if (text.empty())
        return nullptr;
    if ((skipIndexFields || doc.StateFlags[sfPasting] != 0) && (type == ftIndexEntry || type == ftToc))
        return nullptr;
    if (curPar < 0 || curPar >= doc.ParCount())
        return nullptr;
    TPar* par = doc.Par(curPar);
    auto* field = new TField;
    field->Kind = fkCode;
    field->Type = type;
    field->Instruction = std::move(text);
    field->Range.Start.Par = curPar;
    field->Range.Start.Offset = par->CharCount();
    doc.Fields.Add(field);
    openFields.push_back(field);
    if (type == ftShape)
        fieldsToDelete.push_back(field);
    AppendFormatControl(par->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    par->Changed();
    return field;
}

void CloseOpenFields(TDoc& doc, std::int32_t curPar, std::vector<TField*>& openFields) {
    if (curPar < 0 || curPar >= doc.ParCount())
        return;
    TPar* par = doc.Par(curPar);
    for (auto it = openFields.rbegin(); it != openFields.rend(); ++it)
        AppendFormatControl(par->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(*it)));
    if (!openFields.empty())
        par->Changed();
    openFields.clear();
    doc.Fields.Pack();
}

namespace {

std::vector<std::u16string> BookmarkNames(const TDoc& doc) {
    std::vector<std::u16string> names;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const TField* f = doc.Fields.At<TField>(i);
        if (f != nullptr && f->Kind == fkBookmark)
            names.push_back(LowerCaseWideLocale(f->Instruction));
    }
    return names;
}

bool HasName(const std::vector<std::u16string>& lowerNames, std::u16string_view name) {
    const std::u16string lower = LowerCaseWideLocale(name);
    return std::find(lowerNames.begin(), lowerNames.end(), lower) != lowerNames.end();
}

// The name without a suffix "_mvl" + a number above 0 that an earlier
// renaming gave it; the suffix must follow at least one character.
std::u16string BaseBookmarkName(const std::u16string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= u'0' && name[digits - 1] <= u'9')
        --digits;
    const std::u16string_view suffix = u"_mvl";
    if (digits == name.size() || digits < suffix.size() + 1 ||
        std::u16string_view(name).substr(digits - suffix.size(), suffix.size()) != suffix)
        return name;
    if (name.find_first_not_of(u'0', digits) == std::u16string::npos)
        return name;  // the number is 0
    return name.substr(0, digits - suffix.size());
}

std::u16string NumberText(std::int32_t n) {
    std::u16string text;
    for (char c : std::to_string(n))
        text += static_cast<char16_t>(c);
    return text;
}

// Replaces the old name where it follows a blank, else where it follows a
// double quote (the first such place); false when it stands in neither.
bool ReplaceNameInInstruction(std::u16string& instruction, const std::u16string& from, const std::u16string& to) {
    for (char16_t lead : {u' ', u'"'}) {
        const std::size_t at = instruction.find(std::u16string(1, lead) + from);
        if (at != std::u16string::npos) {
            instruction.replace(at + 1, from.size(), to);
            return true;
        }
    }
    return false;
}

}  // namespace

void RenameClashingBookmarks(TDoc& loaded, const TDoc& target) {
    const std::vector<std::u16string> targetNames = BookmarkNames(target);
    std::vector<std::pair<std::u16string, std::u16string>> renamed;
    std::int32_t counter = 0;
    for (std::int32_t i = 0; i < loaded.Fields.Count; ++i) {
        TField* bookmark = loaded.Fields.At<TField>(i);
        if (bookmark == nullptr || bookmark->Kind != fkBookmark || !HasName(targetNames, bookmark->Instruction))
            continue;
        const std::u16string base = BaseBookmarkName(bookmark->Instruction);
        std::u16string name;
        do {
            const std::u16string suffix = u"_mvl" + NumberText(++counter);
            std::u16string shortened = base;
            if (shortened.size() + suffix.size() > MaxBookmarkName)
                shortened.resize(MaxBookmarkName > suffix.size() ? MaxBookmarkName - suffix.size() : 0);
            name = shortened + suffix;
        } while (HasName(targetNames, name) || HasName(BookmarkNames(loaded), name));
        renamed.emplace_back(bookmark->Instruction, name);
        bookmark->Instruction = name;
    }
    if (renamed.empty())
        return;
    auto newNameOf = [&](std::u16string_view old) -> const std::pair<std::u16string, std::u16string>* {
        const std::u16string lower = LowerCaseWideLocale(old);
        for (const auto& r : renamed)
            if (LowerCaseWideLocale(r.first) == lower)
                return &r;
        return nullptr;
    };
    for (std::int32_t i = loaded.Fields.Count - 1; i >= 0; --i) {
        TField* field = loaded.Fields.At<TField>(i);
        if (field == nullptr || field->Kind != fkCode)
            continue;
        if (field->Type == ftHyperlink) {
            std::u16string address;
            std::u16string bookmark;
            std::u16string tooltip;
            ParseHyperlinkCode(field->Instruction, address, bookmark, &tooltip);
            if (address.empty())
                if (const auto* r = newNameOf(bookmark))
                    field->Instruction = BuildHyperlinkCode(u"", r->second, tooltip);
        } else if (field->Type == ftPageRef || field->Type == ftNoteRef) {
            const std::unique_ptr<TWideStringList> tokens = TokenizeFieldCode(field->Instruction);
            // The tokens leave the keyword out: the first names the bookmark.
            if (tokens == nullptr || tokens->Count < 1)
                continue;
            if (const auto* r = newNameOf(tokens->GetString(0)))
                ReplaceNameInInstruction(field->Instruction, r->first, r->second);
        }
    }
}
