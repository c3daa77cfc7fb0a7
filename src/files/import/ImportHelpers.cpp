#include "files/import/ImportHelpers.h"

#include <array>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
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

}  // namespace

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
