#include "base/files/TIniFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "base/core/ListItems.h"
#include "base/messages/MessageBoxes.h"
#include "platform/FileSystem.h"
#include "platform/Files.h"

namespace {

constexpr char kMark = '\x01';

bool NeedsValueEscape(std::string_view v) {
    return (!v.empty() && v.front() == kMark) || v.find_first_of("\r\n") != std::string_view::npos;
}

bool NeedsNameEscape(std::string_view n) {
    return (!n.empty() && (n.front() == kMark || n.front() == '[')) ||
           n.find_first_of("\r\n=") != std::string_view::npos;
}

std::string Escape(std::string_view s, bool name) {
    std::string out(1, kMark);
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\0':
                out += "\\0";
                break;
            case '=':
                if (name) {
                    out += "\\e";
                    break;
                }
                [[fallthrough]];
            default:
                out.push_back(c);
        }
    }
    return out;
}

// Undoes Escape on s (the mark already dropped); for a name, stops at the
// first "=" that is not escaped and returns where it stood (npos if none).
std::size_t Unescape(std::string_view s, std::string& out, bool name) {
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (name && c == '=')
            return i;
        if (c != '\\' || i + 1 == s.size()) {
            out.push_back(c);
            continue;
        }
        switch (s[++i]) {
            case '\\':
                out.push_back('\\');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case '0':
                out.push_back('\0');
                break;
            case 'e':
                out.push_back('=');
                break;
            default:  // not one of ours: kept as it stands
                out.push_back('\\');
                out.push_back(s[i]);
        }
    }
    return std::string_view::npos;
}

bool ParseDecimal(const std::string& text, std::int32_t& out) {
    if (text.empty() || text.size() > 20)
        return false;
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size())
        return false;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

std::string ReadWholeFile(const std::string& fileName, bool& ok) {
    std::string text;
    ok = false;
    const Platform::TFileHandle f = Platform::OpenExistingFile(fileName, Platform::TFileAccess::Read);
    if (f == Platform::kNoFile)
        return text;
    const std::int64_t size = Platform::SeekFile(f, 0, Platform::kSeekFromEnd);
    Platform::SeekFile(f, 0, Platform::kSeekFromStart);
    if (size > 0 && size < (std::int64_t{1} << 31)) {
        text.resize(static_cast<std::size_t>(size));
        text.resize(static_cast<std::size_t>(Platform::ReadFileBytes(f, text.data(), size)));
    }
    Platform::CloseFile(f);
    ok = true;
    return text;
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName, bool writeMode) : FileName(fileName), WriteMode(writeMode) {
    if (WriteMode)
        return;
    // A missing or unreadable file gives an empty store.
    bool ok;
    const std::string text = ReadWholeFile(fileName, ok);
    Sections.Sorted = true;
    Parse(text);
}

TIniFile::~TIniFile() {
    if (WriteMode) {
        if (!Written)
            UpdateFile();
        return;
    }
    for (std::int32_t i = 0; i < Sections.Count; ++i)
        delete static_cast<TIniFileGroup*>(Sections.GetObject(i));
}

void TIniFile::Parse(std::string_view text) {
    TIniFileGroup* current = nullptr;
    ListItems::ForEachLine(text, [&](std::string_view line) {
        // A header needs its two brackets; any shorter line that is not one
        // still counts when it holds a name and "=" ("A=").
        if (line.size() >= 2 && line.front() == '[') {
            // The closing bracket is assumed, not checked; nothing is trimmed.
            const std::string name(line.substr(1, line.size() - 2));
            std::int32_t index;
            if (Sections.Find(name, index)) {
                current = static_cast<TIniFileGroup*>(Sections.GetObject(index));
            } else {
                current = new TIniFileGroup;
                Sections.InsertObject(index, name, current);
            }
            return;
        }
        if (current != nullptr && !line.empty())
            current->Values.Add(std::string(line));
    });
    // Split each section's lines at their first "=" (an escaped line at its
    // first plain "="); lines without one are dropped.
    for (std::int32_t s = 0; s < Sections.Count; ++s) {
        auto* group = static_cast<TIniFileGroup*>(Sections.GetObject(s));
        TStringList& lines = group->Values;
        // The values replace their lines in place, in file order.
        std::int32_t kept = 0;
        std::string name, value;
        group->Names.SetCapacity(lines.Count);
        for (std::int32_t i = 0; i < lines.Count; ++i) {
            const std::string& line = lines.Items[i].String;
            std::size_t eq;
            if (!line.empty() && line.front() == kMark) {
                eq = Unescape(std::string_view(line).substr(1), name, true);
                if (eq == std::string_view::npos)
                    continue;
                ++eq;  // past the mark
            } else {
                eq = line.find('=');
                if (eq == std::string::npos)
                    continue;
                name = line.substr(0, eq);
            }
            const std::string_view rest = std::string_view(line).substr(eq + 1);
            if (!rest.empty() && rest.front() == kMark)
                Unescape(rest.substr(1), value, false);
            else
                value.assign(rest);
            group->Names.AddObject(name, reinterpret_cast<void*>(static_cast<std::intptr_t>(kept)));
            lines.ReplaceString(kept++, value);
        }
        lines.SetCount(kept);
        group->Names.Sort();
        group->Names.Sorted = true;
    }
}

bool TIniFile::KeyExists(std::string_view key) {
    if (WriteMode)
        return false;
    std::int32_t index;
    return Sections.Find(BasePath + std::string(key), index);
}

void TIniFile::OpenKey(std::string_view key) {
    const std::string section = BasePath + std::string(key);
    if (!WriteMode) {
        std::int32_t index;
        CurrentGroup = Sections.Find(section, index) ? static_cast<TIniFileGroup*>(Sections.GetObject(index)) : nullptr;
        return;
    }
    // A header cannot hold a line break: such a key is refused, with its
    // values, rather than break the file.
    KeyRefused = section.find_first_of("\r\n") != std::string::npos;
    if (KeyRefused) {
        ShowError("The settings section \"" + section + "\" cannot be written to \"" + FileName + "\".");
        return;
    }
    if (Sections.Count > 0)
        Sections.Add("");
    std::string header(1, '[');
    header += section;
    header += ']';
    Sections.Add(std::move(header));
}

bool TIniFile::FindValue(std::string_view name, std::string& value) const {
    if (WriteMode || CurrentGroup == nullptr)
        return false;
    const TStringList& names = CurrentGroup->Names;
    std::int32_t index;
    const std::string key(name);
    if (!names.Find(key, index))
        return false;
    // Of equal names the one first in the file wins.
    std::intptr_t first = INTPTR_MAX;
    for (std::int32_t i = index; i < names.Count && names.CompareStrings(names.Items[i].String, key) == 0; ++i)
        first = std::min(first, reinterpret_cast<std::intptr_t>(names.Items[i].Object));
    value = CurrentGroup->Values.Items[first].String;
    return true;
}

void TIniFile::ReadString(std::string_view name, std::string_view def, std::string& value) {
    if (!FindValue(name, value))
        value.assign(def);
}

bool TIniFile::ReadBool(std::string_view name, bool def) {
    // The default stands for the text "1" or "0"; only "1" reads as true.
    std::string text;
    return FindValue(name, text) ? text == "1" : def;
}

std::int32_t TIniFile::ReadInteger(std::string_view name, std::int32_t min, std::int32_t max, std::int32_t def) {
    std::string text;
    std::int32_t v;
    if (!FindValue(name, text) || !ParseDecimal(text, v))
        return def;
    return v < min ? min : (v > max ? max : v);
}

void TIniFile::AppendLine(std::string line) {
    if (WriteMode && !KeyRefused) {
        Sections.Add(std::move(line));
        Written = false;
    }
}

void TIniFile::WriteBool(std::string_view name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TIniFile::WriteInteger(std::string_view name, std::int32_t value) {
    WriteString(name, std::to_string(value));
}

void TIniFile::WriteString(std::string_view name, std::string_view value) {
    std::string line = NeedsNameEscape(name) ? Escape(name, true) : std::string(name);
    line.push_back('=');
    line += NeedsValueEscape(value) ? Escape(value, false) : std::string(value);
    AppendLine(std::move(line));
}

bool TIniFile::UpdateFile() {
    if (!WriteMode)
        return true;
    Written = true;
    std::string text;
    for (std::int32_t i = 0; i < Sections.Count; ++i) {
        if (i > 0)
            text += "\r\n";
        text += Sections.Items[i].String;
    }
    std::string error;
    if (Platform::ReplaceFileAtomically(FileName, text.data(), static_cast<std::int64_t>(text.size()), error))
        return true;
    ShowError("The settings cannot be saved to \"" + FileName + "\": " + error + ".");
    return false;
}
