#include "base/files/TRegistry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "base/messages/MessageBoxes.h"

namespace {

// A flush that keeps failing (a full disk) is reported once, not on every
// attempt; a flush that succeeds again re-arms the report.
bool g_flushFailureReported = false;

bool ParseDecimal(const std::string& text, std::int32_t& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

}  // namespace

TRegistry::~TRegistry() {
    CloseKey();
    Flush();
}

void TRegistry::SetRootKey(Platform::TRegRoot key) {
    if (key == RootKey)
        return;
    RootKey = key;
    CloseKey();
}

std::string TRegistry::Resolve(std::string_view path) const {
    if (!path.empty() && path.front() == '\\')
        return std::string(path.substr(1));
    if (HasCurrentKey && !path.empty())
        return CurrentPath + "\\" + std::string(path);
    return HasCurrentKey ? CurrentPath : std::string(path);
}

void TRegistry::ReportLoadProblem() {
    const std::string problem = Platform::RegTakeLoadProblem(RootKey);
    if (!problem.empty())
        ShowError(problem);
}

bool TRegistry::OpenKey(std::string_view path) {
    const std::string full = Resolve(path);
    CloseKey();
    Platform::RegRefresh(RootKey);
    ReportLoadProblem();
    if (!Platform::RegCreateKey(RootKey, full))
        return false;
    CurrentPath = full;
    HasCurrentKey = true;
    WriteFailureReported = false;
    return true;
}

bool TRegistry::KeyExists(std::string_view path) {
    Platform::RegRefresh(RootKey);
    ReportLoadProblem();
    return Platform::RegKeyExists(RootKey, Resolve(path));
}

void TRegistry::CloseKey() {
    HasCurrentKey = false;
    CurrentPath.clear();
}

bool TRegistry::ValueExists(std::string_view name) {
    Platform::TRegValue value;
    return HasCurrentKey && Platform::RegGetValue(RootKey, CurrentPath, name, value);
}

bool TRegistry::DeleteValue(std::string_view name) {
    if (!HasCurrentKey || !Platform::RegDeleteValue(RootKey, CurrentPath, name))
        return false;
    Changed = true;
    return true;
}

bool TRegistry::DeleteKey(std::string_view path) {
    const std::string full = Resolve(path);
    if (full.empty() || !Platform::RegKeyExists(RootKey, full))
        return false;
    // Sub-keys first, from the last to the first, each with everything below it.
    const bool hadKey = HasCurrentKey;
    const std::string oldPath = CurrentPath;
    HasCurrentKey = true;
    CurrentPath = full;
    const std::vector<std::string> subKeys = Platform::RegSubKeyNames(RootKey, full);
    for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it)
        DeleteKey(*it);
    HasCurrentKey = hadKey;
    CurrentPath = oldPath;
    if (!Platform::RegDeleteKey(RootKey, full))
        return false;
    Changed = true;
    if (HasCurrentKey && !Platform::RegKeyExists(RootKey, CurrentPath))
        CloseKey();  // the current key went with it
    return true;
}

std::int32_t TRegistry::ReadInteger(std::string_view name) {
    Platform::TRegValue value;
    if (!HasCurrentKey || !Platform::RegGetValue(RootKey, CurrentPath, name, value))
        return 0;
    if (value.IsInteger)
        return value.Integer;
    std::int32_t parsed = 0;
    return ParseDecimal(value.Text, parsed) ? parsed : 0;
}

bool TRegistry::ReadBool(std::string_view name) {
    return ReadInteger(name) != 0;
}

std::string TRegistry::ReadString(std::string_view name) {
    Platform::TRegValue value;
    if (!HasCurrentKey || !Platform::RegGetValue(RootKey, CurrentPath, name, value))
        return std::string();
    if (value.IsInteger)
        return std::to_string(value.Integer);
    // A zero byte ends a string value.
    return value.Text.substr(0, value.Text.find('\0'));
}

bool TRegistry::WriteValue(std::string_view name, const Platform::TRegValue& value) {
    if (HasCurrentKey && Platform::RegSetValue(RootKey, CurrentPath, name, value)) {
        Changed = true;
        return true;
    }
    if (!WriteFailureReported) {
        WriteFailureReported = true;
        std::string message = "The setting \"";
        message.append(name);
        message += "\" cannot be saved: its settings key ";
        message += HasCurrentKey ? "\"" + CurrentPath + "\" no longer exists." : std::string("could not be opened.");
        ShowError(message);
    }
    return false;
}

bool TRegistry::WriteInteger(std::string_view name, std::int32_t value) {
    Platform::TRegValue v;
    v.IsInteger = true;
    v.Integer = value;
    return WriteValue(name, v);
}

bool TRegistry::WriteBool(std::string_view name, bool value) {
    return WriteInteger(name, value ? 1 : 0);
}

bool TRegistry::WriteString(std::string_view name, std::string_view value) {
    Platform::TRegValue v;
    v.Text.assign(value);
    return WriteValue(name, v);
}

bool TRegistry::Flush() {
    if (!Changed || !Platform::RegHasPendingChanges(RootKey)) {
        Changed = false;
        return true;
    }
    std::string error;
    if (Platform::RegFlush(RootKey, error)) {
        Changed = false;
        g_flushFailureReported = false;
        return true;
    }
    if (!g_flushFailureReported) {
        g_flushFailureReported = true;
        ShowError("The settings cannot be saved to \"" + Platform::RegHiveFile(RootKey) + "\": " + error + ".");
    }
    return false;
}
