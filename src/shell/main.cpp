// The program's entry point. The application shell (main window, documents,
// settings) is not built yet; until it is, the program says so plainly.

#include <cstdio>
#include <cstring>
#include <string>

#include "base/core/TResourceStream.h"

static std::string VersionText() {
    TResourceStream version("VERSION", "RCDATA");
    std::string text(static_cast<std::size_t>(version.MemSize), '\0');
    version.Read(text.data(), version.MemSize);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

int main(int argc, char** argv) {
    const std::string version = VersionText();
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("%s\n", version.c_str());
        return 0;
    }
    std::printf(
        "%s\n"
        "The windowed program is not there yet: this build holds the document engine's\n"
        "foundation (containers, streams, paragraphs and their formats), which the test\n"
        "suite exercises. Run scripts/test.sh to see it at work.\n",
        version.c_str());
    return 0;
}
