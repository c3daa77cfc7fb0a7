// Runs a fuzz target once over every file of the folders (or files) named on
// the command line, so that inputs which once crashed a reader are replayed
// by the normal test suite. A missing folder is fine: nothing to replay.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

static void RunOne(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg, ec))
                if (entry.is_regular_file()) {
                    RunOne(entry.path());
                    ++count;
                }
        } else if (std::filesystem::is_regular_file(arg, ec)) {
            RunOne(arg);
            ++count;
        }
    }
    std::printf("replayed %d input(s)\n", count);
    return 0;
}
