#include "platform/System.h"

#include "platform/FileSystem.h"

#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

namespace Platform {
namespace {

std::string Absolute(const std::string& value) {
    return !value.empty() && value[0] == '/' ? value : std::string();
}

std::string TrimSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string ConfigHome() {
    const std::string env = Absolute(EnvironmentValue("XDG_CONFIG_HOME"));
    return TrimSlashes(env.empty() ? HomeFolder() + "/.config" : env);
}

std::string DataHome() {
    const std::string env = Absolute(EnvironmentValue("XDG_DATA_HOME"));
    return TrimSlashes(env.empty() ? HomeFolder() + "/.local/share" : env);
}

// A user folder from user-dirs.dirs (the desktop's list of XDG_*_DIR lines,
// "$HOME/..." or absolute, in double quotes), else ~/fallback.
std::string UserDir(const char* key, const char* fallback) {
    const std::string home = HomeFolder();
    std::ifstream in(ConfigHome() + "/user-dirs.dirs");
    std::string line;
    const std::string prefix = std::string(key) + "=";
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string value = line.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return TrimSlashes(value);
    }
    return home + "/" + fallback;
}

}  // namespace

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : std::string();
}

unsigned CurrentUserId() {
    return static_cast<unsigned>(::geteuid());
}

std::string HomeFolder() {
    std::string home = Absolute(EnvironmentValue("HOME"));
    if (home.empty()) {
        if (const struct passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
            home = pw->pw_dir;
    }
    return home.empty() ? std::string("/") : TrimSlashes(home);
}

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return CurrentFolder();
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = path.find_last_of('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string SpecialFolderPath(int csidl) {
    switch (csidl) {
        case CSIDL_DESKTOP:
            return UserDir("XDG_DESKTOP_DIR", "Desktop");
        case CSIDL_PERSONAL:
            return UserDir("XDG_DOCUMENTS_DIR", "Documents");
        case CSIDL_MYMUSIC:
            return UserDir("XDG_MUSIC_DIR", "Music");
        case CSIDL_MYVIDEO:
            return UserDir("XDG_VIDEOS_DIR", "Videos");
        case CSIDL_FONTS:
            return DataHome() + "/fonts";
        case CSIDL_TEMPLATES:
            return UserDir("XDG_TEMPLATES_DIR", "Templates");
        case CSIDL_APPDATA:
            return ConfigHome();
        case CSIDL_LOCAL_APPDATA:
        case CSIDL_COMMON_APPDATA:
            return DataHome();
        case CSIDL_MYPICTURES:
            return UserDir("XDG_PICTURES_DIR", "Pictures");
        case CSIDL_PROFILE:
            return HomeFolder();
        default:
            return std::string();
    }
}

bool RandomBytes(void* buffer, std::size_t count) {
    auto* p = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::getrandom(p, count, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

char UserDecimalSeparator() {
    // The user's own locale, asked without changing the process-wide one.
    locale_t loc = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        return '.';
    const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
    const char sep = radix != nullptr && radix[0] != '\0' && radix[1] == '\0' ? radix[0] : '.';
    ::freelocale(loc);
    return sep;
}

}  // namespace Platform
