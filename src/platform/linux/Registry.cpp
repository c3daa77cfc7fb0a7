#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace Platform {
namespace {

// The file starts with this line; a file without it is read all the same,
// line by line, but counts as damaged.
constexpr std::string_view kSignature = "Rezozuri settings 1";

std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

struct TKey {
    std::string Name;
    std::map<std::string, std::unique_ptr<TKey>> Keys;  // by folded name
    struct TNamed {
        std::string Name;
        TRegValue Value;
    };
    std::map<std::string, TNamed> Values;  // by folded name
};

// Splits a path at "\", dropping empty parts (a leading, trailing or doubled
// separator names nothing).
std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool ValidKeyName(std::string_view name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

TKey* FindKey(TKey& root, std::string_view path) {
    TKey* key = &root;
    for (std::string_view part : SplitPath(path)) {
        auto found = key->Keys.find(Fold(part));
        if (found == key->Keys.end())
            return nullptr;
        key = found->second.get();
    }
    return key;
}

TKey* CreateKey(TKey& root, std::string_view path) {
    TKey* key = &root;
    for (std::string_view part : SplitPath(path)) {
        if (!ValidKeyName(part))
            return nullptr;
        auto& slot = key->Keys[Fold(part)];
        if (!slot) {
            slot = std::make_unique<TKey>();
            slot->Name = std::string(part);
        }
        key = slot.get();
    }
    return key;
}

// A change waiting to be written, replayed onto the file's current contents.
struct TChange {
    enum : std::uint8_t { chCreateKey, chDeleteKey, chSetValue, chDeleteValue } Kind;
    std::string Path;
    std::string Name;
    TRegValue Value;
};

void Apply(TKey& root, const TChange& change) {
    switch (change.Kind) {
        case TChange::chCreateKey:
            CreateKey(root, change.Path);
            break;
        case TChange::chSetValue:
            if (TKey* key = CreateKey(root, change.Path))
                key->Values[Fold(change.Name)] = {change.Name, change.Value};
            break;
        case TChange::chDeleteValue:
            if (TKey* key = FindKey(root, change.Path))
                key->Values.erase(Fold(change.Name));
            break;
        case TChange::chDeleteKey: {
            const std::vector<std::string_view> parts = SplitPath(change.Path);
            if (parts.empty())
                break;
            std::string parentPath;
            for (std::size_t i = 0; i + 1 < parts.size(); ++i)
                parentPath.append(parts[i]).push_back('\\');
            if (TKey* parent = FindKey(root, parentPath))
                parent->Keys.erase(Fold(parts.back()));
            break;
        }
    }
}

// --- Text form ---------------------------------------------------------

// The digits of the text form's \x escapes and dword values.
constexpr char kHexDigits[] = "0123456789abcdef";

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\x";
                    out.push_back(kHexDigits[c >> 4]);
                    out.push_back(kHexDigits[c & 15]);
                } else {
                    out.push_back(ch);
                }
        }
    }
    out.push_back('"');
}

// Exactly the given hexadecimal digits (either case, no sign, no prefix),
// read by the standard parser.
bool ParseHexDigits(std::string_view digits, std::uint32_t& value) {
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
    return !digits.empty() && error == std::errc() && stop == end;
}

// Reads a quoted string at line[pos]; pos ends after the closing quote.
bool ParseQuoted(std::string_view line, std::size_t& pos, std::string& out) {
    out.clear();
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
            case '\\':
                out.push_back('\\');
                break;
            case '"':
                out.push_back('"');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'x': {
                std::uint32_t byte = 0;
                if (pos + 2 > line.size() || !ParseHexDigits(line.substr(pos, 2), byte))
                    return false;
                out.push_back(static_cast<char>(byte));
                pos += 2;
                break;
            }
            default:
                return false;
        }
    }
    return false;
}

void Serialize(const TKey& key, std::string& path, std::string& out) {
    for (const auto& [folded, child] : key.Keys) {
        const std::size_t mark = path.size();
        if (!path.empty())
            path.push_back('\\');
        path += child->Name;
        out += '[';
        out += path;
        out += "]\n";
        for (const auto& [vf, named] : child->Values) {
            AppendQuoted(out, named.Name);
            out.push_back('=');
            if (named.Value.IsInteger) {
                out += "dword:";
                const auto u = static_cast<std::uint32_t>(named.Value.Integer);
                for (int shift = 28; shift >= 0; shift -= 4)
                    out.push_back(kHexDigits[(u >> shift) & 15]);
            } else {
                AppendQuoted(out, named.Value.Text);
            }
            out.push_back('\n');
        }
        Serialize(*child, path, out);
        path.resize(mark);
    }
}

std::string SerializeHive(const TKey& root) {
    std::string out;
    out += kSignature;
    out += "\n";
    std::string path;
    Serialize(root, path, out);
    return out;
}

// Reads hive text into root; returns the number of lines it could not use.
int ParseHive(std::string_view text, TKey& root, TRegParseStats* stats) {
    int damaged = 0;
    bool first = true;
    TKey* current = nullptr;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            first = false;
            if (line == kSignature)
                continue;
            ++damaged;
        }
        if (line.empty())
            continue;
        if (line.front() == '[') {
            current =
                line.size() >= 2 && line.back() == ']' ? CreateKey(root, line.substr(1, line.size() - 2)) : nullptr;
            if (current == nullptr)
                ++damaged;
            else if (stats != nullptr)
                ++stats->Keys;
            continue;
        }
        std::size_t pos = 0;
        std::string name, text2;
        TRegValue value;
        bool ok = current != nullptr && ParseQuoted(line, pos, name) && pos < line.size() && line[pos] == '=';
        if (ok) {
            ++pos;
            const std::string_view rest = line.substr(pos);
            if (rest.size() == 14 && rest.compare(0, 6, "dword:") == 0) {
                std::uint32_t u = 0;
                ok = ParseHexDigits(rest.substr(6), u);
                value.IsInteger = true;
                value.Integer = static_cast<std::int32_t>(u);
            } else {
                ok = ParseQuoted(line, pos, value.Text) && pos == line.size();
            }
        }
        if (!ok) {
            ++damaged;
            continue;
        }
        current->Values[Fold(name)] = {name, value};
        if (stats != nullptr)
            ++stats->Values;
    }
    if (stats != nullptr)
        stats->DamagedLines = damaged;
    return damaged;
}

// --- The roots -----------------------------------------------------------

struct TFileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    std::int64_t ModifiedNs = 0;
    bool operator==(const TFileStamp&) const = default;
};

TFileStamp StampOf(const std::string& path) {
    TFileStamp stamp;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        stamp.Exists = true;
        stamp.Device = st.st_dev;
        stamp.Inode = st.st_ino;
        stamp.Size = st.st_size;
        stamp.ModifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return stamp;
}

bool ReadWholeFile(const std::string& path, std::string& out, bool& missing) {
    out.clear();
    missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT || errno == ENOTDIR;
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

struct THive {
    std::string File;
    TKey Root;
    std::vector<TChange> Pending;
    TFileStamp Stamp;
    std::string Problem;       // reported once through RegTakeLoadProblem
    bool KeepDamaged = false;  // copy the file aside before it is next replaced
};

const char* HiveFileName(TRegRoot root) {
    switch (root) {
        case TRegRoot::CurrentUser:
            return "user.reg";
        case TRegRoot::LocalMachine:
            return "machine.reg";
        case TRegRoot::ClassesRoot:
            return "classes.reg";
        case TRegRoot::Users:
            return "users.reg";
        case TRegRoot::CurrentConfig:
            return "config.reg";
    }
    return "user.reg";
}

std::string SettingsFolder() {
    return SpecialFolderPath(CSIDL_APPDATA) + "/rezozuri";
}

std::map<TRegRoot, std::unique_ptr<THive>>& Hives() {
    static auto* hives = new std::map<TRegRoot, std::unique_ptr<THive>>;
    return *hives;
}

// Reads the file into a fresh tree; notes damage.
void LoadInto(THive& hive, TKey& root, bool noteProblems) {
    std::string text;
    bool missing = false;
    hive.Stamp = StampOf(hive.File);
    if (!ReadWholeFile(hive.File, text, missing)) {
        if (!missing && noteProblems)
            hive.Problem = "The settings file \"" + hive.File + "\" cannot be read: " + std::strerror(errno) + ".";
        return;
    }
    const int damaged = ParseHive(text, root, nullptr);
    if (damaged > 0 && noteProblems) {
        hive.KeepDamaged = true;
        hive.Problem = "The settings file \"" + hive.File + "\" is damaged: " + std::to_string(damaged) +
                       " line(s) could not be read and were skipped. A copy of the file is kept as \"" + hive.File +
                       ".damaged\".";
    }
}

THive& Hive(TRegRoot root) {
    auto& slot = Hives()[root];
    if (!slot) {
        slot = std::make_unique<THive>();
        slot->File = SettingsFolder() + "/" + HiveFileName(root);
        LoadInto(*slot, slot->Root, true);
    }
    return *slot;
}

bool MakeFolders(const std::string& folder) {
    if (FolderExists(folder))
        return true;
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return CreateFolder(folder);
}

}  // namespace

std::string RegHiveFile(TRegRoot root) {
    return Hive(root).File;
}

bool RegKeyExists(TRegRoot root, std::string_view path) {
    return FindKey(Hive(root).Root, path) != nullptr;
}

bool RegCreateKey(TRegRoot root, std::string_view path) {
    THive& hive = Hive(root);
    if (FindKey(hive.Root, path) != nullptr)
        return true;
    if (CreateKey(hive.Root, path) == nullptr)
        return false;
    hive.Pending.push_back({TChange::chCreateKey, std::string(path), {}, {}});
    return true;
}

std::vector<std::string> RegSubKeyNames(TRegRoot root, std::string_view path) {
    std::vector<std::string> names;
    if (const TKey* key = FindKey(Hive(root).Root, path))
        for (const auto& [folded, child] : key->Keys)
            names.push_back(child->Name);
    return names;
}

bool RegDeleteKey(TRegRoot root, std::string_view path) {
    THive& hive = Hive(root);
    const TKey* key = FindKey(hive.Root, path);
    if (key == nullptr || key == &hive.Root || !key->Keys.empty())
        return false;
    TChange change{TChange::chDeleteKey, std::string(path), {}, {}};
    Apply(hive.Root, change);
    hive.Pending.push_back(std::move(change));
    return true;
}

bool RegGetValue(TRegRoot root, std::string_view path, std::string_view name, TRegValue& value) {
    const TKey* key = FindKey(Hive(root).Root, path);
    if (key == nullptr)
        return false;
    auto found = key->Values.find(Fold(name));
    if (found == key->Values.end())
        return false;
    value = found->second.Value;
    return true;
}

bool RegSetValue(TRegRoot root, std::string_view path, std::string_view name, const TRegValue& value) {
    THive& hive = Hive(root);
    TKey* key = FindKey(hive.Root, path);
    if (key == nullptr)
        return false;
    key->Values[Fold(name)] = {std::string(name), value};
    hive.Pending.push_back({TChange::chSetValue, std::string(path), std::string(name), value});
    return true;
}

bool RegDeleteValue(TRegRoot root, std::string_view path, std::string_view name) {
    THive& hive = Hive(root);
    TKey* key = FindKey(hive.Root, path);
    if (key == nullptr || key->Values.erase(Fold(name)) == 0)
        return false;
    hive.Pending.push_back({TChange::chDeleteValue, std::string(path), std::string(name), {}});
    return true;
}

bool RegHasPendingChanges(TRegRoot root) {
    return !Hive(root).Pending.empty();
}

bool RegFlush(TRegRoot root, std::string& error) {
    THive& hive = Hive(root);
    if (hive.Pending.empty())
        return true;
    const std::size_t slash = hive.File.find_last_of('/');
    if (!MakeFolders(hive.File.substr(0, slash))) {
        error = std::strerror(errno);
        return false;
    }
    // One writer at a time: the lock spans reading the current file, merging
    // and replacing it, so a change another copy of the program made
    // meanwhile is kept.
    const std::string lockFile = hive.File + ".lock";
    const int lock = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock >= 0) {
        while (::flock(lock, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    TKey merged;
    THive probe;
    probe.File = hive.File;
    LoadInto(probe, merged, false);
    for (const TChange& change : hive.Pending)
        Apply(merged, change);
    bool ok = true;
    if (hive.KeepDamaged) {
        std::string old;
        bool missing;
        if (ReadWholeFile(hive.File, old, missing))
            ReplaceFileAtomically(hive.File + ".damaged", old.data(), static_cast<std::int64_t>(old.size()), error);
        hive.KeepDamaged = false;
    }
    const std::string text = SerializeHive(merged);
    ok = ReplaceFileAtomically(hive.File, text.data(), static_cast<std::int64_t>(text.size()), error);
    if (ok) {
        hive.Root = std::move(merged);
        hive.Pending.clear();
        hive.Stamp = StampOf(hive.File);
    }
    if (lock >= 0)
        ::close(lock);  // releases the lock
    return ok;
}

void RegRefresh(TRegRoot root) {
    THive& hive = Hive(root);
    if (StampOf(hive.File) == hive.Stamp)
        return;
    TKey fresh;
    LoadInto(hive, fresh, true);
    for (const TChange& change : hive.Pending)
        Apply(fresh, change);
    hive.Root = std::move(fresh);
}

std::string RegTakeLoadProblem(TRegRoot root) {
    THive& hive = Hive(root);
    std::string problem = std::move(hive.Problem);
    hive.Problem.clear();
    return problem;
}

void RegForgetAll() {
    Hives().clear();
}

TRegParseStats RegParseText(std::string_view text) {
    TKey root;
    TRegParseStats stats;
    ParseHive(text, root, &stats);
    return stats;
}

}  // namespace Platform
