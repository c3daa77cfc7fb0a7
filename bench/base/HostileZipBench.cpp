// Hostile ZIP archives, each opened and every listed entry read, in a child
// process of its own: the time and peak memory of each show whether reading
// an archive still costs what the archive really holds. The archives are
// made once, before the children start, and kept in a temporary folder.

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../../tests/support/HostileZips.h"
#include "../HostileInputs.h"
#include "base/files/TUnpackedZip.h"
#include "platform/Files.h"

namespace {

constexpr std::uint64_t kMiB = 1 << 20;

// The folder of the archives, removed when the benchmark ends.
class TArchiveFolder {
public:
    TArchiveFolder() {
        char name[] = "/tmp/rez-hostile-zip-XXXXXX";
        if (mkdtemp(name) != nullptr)
            Path = name;
    }
    ~TArchiveFolder() {
        if (!Path.empty())
            std::filesystem::remove_all(Path);
    }
    std::string Path;
};

TArchiveFolder& Folder() {
    static TArchiveFolder folder;
    return folder;
}

// Opens the archive and reads every entry it lists, by name.
void OpenAndReadAll(const std::string& path) {
    const Platform::TFileHandle file = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    if (file == Platform::kNoFile)
        return;
    {
        TUnpackedZip zip(file, "/target/");
        std::vector<std::uint8_t> bytes;
        for (std::int32_t i = 0; i < zip.GetCount(); ++i)
            zip.ReadEntry(zip.GetString(i), bytes);
    }
    Platform::CloseFile(file);
}

void Register(const std::string& name, const std::function<std::string()>& make) {
    if (Folder().Path.empty())
        return;
    const std::string path = Folder().Path + "/" + std::to_string(std::hash<std::string>()(name)) + ".zip";
    {
        const std::string bytes = make();
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    RegisterHostileInput("HostileZip/" + name, [path] { OpenAndReadAll(path); });
}

const bool registered = [] {
    Register("HugeDeclaredSize4GiB", [] { return HostileZips::HugeDeclaredSize(0xFFFFFFF0); });
    Register("HugeDeclaredSize1G", [] { return HostileZips::HugeDeclaredSize(1000000000); });
    Register("300NamesOneSharedPayload8MiB", [] { return HostileZips::SharedLocalHeader(300, 8 * kMiB, false); });
    Register("65535RecordsOneLocalHeader", [] { return HostileZips::SharedLocalHeader(65535, 64 * 1024, true); });
    Register("DuplicateNames", [] { return HostileZips::DuplicateNames(); });
    Register("ZipsWithinZips", [] { return HostileZips::Nested(3, 16, 64 * kMiB); });
    Register("Zeros2GiB", [] { return HostileZips::Zeros(2048 * kMiB, 0x80000000u); });
    Register("Zeros2GiBDeclared1MiB", [] { return HostileZips::Zeros(2048 * kMiB, 1 << 20); });
    return true;
}();

}  // namespace
