// ZIP archives come from any DOCX, ODT or EPUB a user opens. Whatever the
// bytes, the listing stays inside the archive image, no listed name leaves
// the target folder or is listed twice, every name reads back the bytes of
// its own entry (by name as by index, the same each time), and every entry
// reads at exactly its size or fails; nothing crashes or allocates beyond
// what the archive could hold.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/files/TUnpackedZip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/rez-fuzz-zip-" + std::to_string(getpid());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    Platform::TFileHandle file = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    if (file == Platform::kNoFile)
        return 0;
    {
        TUnpackedZip zip(file, "/target/");
        if (zip.Result.Good != zip.Result.Reason.empty())
            __builtin_trap();
        for (std::int32_t i = 0; i < zip.GetCount(); ++i) {
            const std::string name = zip.GetString(i);
            if (name.rfind("/target/", 0) != 0 || name.find("/../") != std::string::npos)
                __builtin_trap();
            // Listed once: the search for the name meets this very item.
            std::int32_t found = -1;
            if (!zip.Find(name, found) || found != i)
                __builtin_trap();
            std::vector<std::uint8_t> byIndex, byName, again;
            const auto* entry = static_cast<const TUnpackedZipEntry*>(zip.GetObject(i));
            const bool read = zip.ReadEntryAt(i, byIndex);
            if (read && byIndex.size() != entry->UncompressedSize)
                __builtin_trap();
            if (!read && !byIndex.empty())
                __builtin_trap();
            if (zip.ReadEntry(name, byName) != read || byName != byIndex)
                __builtin_trap();
            if (zip.ReadEntryAt(i, again) != read || again != byIndex)
                __builtin_trap();
        }
    }
    Platform::CloseFile(file);
    return 0;
}
