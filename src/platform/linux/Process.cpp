#include "platform/Process.h"

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace Platform {

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
    if (program.empty())
        return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    // The program runs on its own; a thread collects its exit status so
    // that it leaves no zombie behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

bool OpenWithDesktop(const std::string& target) {
    return StartProgram("xdg-open", {target});
}

std::string UserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        result->pw_name != nullptr)
        return result->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

}  // namespace Platform
