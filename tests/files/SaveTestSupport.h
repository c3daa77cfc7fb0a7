#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "base/core/TStream.h"
#include "support/TestSupport.h"

// A stream that keeps what is written in a string (the file side of a save
// in tests and benchmarks).
class TStringSink : public TStream {
public:
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        Bytes.append(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
        return count;
    }
    std::int64_t Seek(std::int64_t, int) override { return static_cast<std::int64_t>(Bytes.size()); }

    std::string Bytes;
};

// Every RTF file of the corpus (its rtf and big folders), sorted; empty when
// the corpus is absent.
inline std::vector<std::filesystem::path> CorpusRtfFiles() {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const char* folder : {"rtf", "big"}) {
        const fs::path dir = TestSupport::CorpusPath(folder);
        std::error_code error;
        if (!fs::is_directory(dir, error))
            continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".rtf")
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Corpus files that cannot survive a save as RTF yet, and why. Every other
// RTF file of the corpus must; formats whose body is that RTF (the encrypted
// one) inherit the list.
inline const std::map<std::string, std::string> RtfRoundTripPins = {
    {"rtfpipe__RtfParserTest_fail_0.rtf",
     "starts with a byte before the RTF header: detected as plain text, which cannot be opened yet"},
    {"lo__breakpage-table.rtf",
     "its second section keeps the first's endnote placement (no \\sectd in the file); the saved form resets "
     "it with \\sectd, after which RTF has no word for endnotes not collected at the section's end"},
    {"jsw__TestBug52372.doc.rtf",
     "the reader keeps a style name's code-page bytes instead of UTF-8 (\\'f8 in \"Topptekst f\\'f8rste side\"), "
     "so the name cannot be written back"},
};
