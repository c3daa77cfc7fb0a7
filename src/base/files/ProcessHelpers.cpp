#include "base/files/ProcessHelpers.h"

#include "platform/Process.h"

std::string UserName() {
    return Platform::UserName();
}

std::vector<std::string> SplitCommandLine(std::string_view params) {
    std::vector<std::string> parts;
    std::string current;
    bool quoted = false, inPart = false;
    for (char c : params) {
        if (c == '"') {
            quoted = !quoted;
            inPart = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inPart)
                parts.push_back(current);
            current.clear();
            inPart = false;
        } else {
            current += c;
            inPart = true;
        }
    }
    if (inPart)
        parts.push_back(current);
    return parts;
}

bool RunQueuedProgram(const std::string& path, std::string_view params) {
    if (path.empty())
        return false;
    // The path may come quoted, as it would on a command line.
    std::string program = path;
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        program = program.substr(1, program.size() - 2);
    return Platform::StartProgram(program, SplitCommandLine(params));
}
