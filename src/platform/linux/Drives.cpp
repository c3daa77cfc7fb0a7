#include "platform/Drives.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace Platform {
namespace {

std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i >= 4 && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            out.push_back(
                static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<std::string_view> SplitSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool IsUnder(const std::string& path, const std::string& folder) {
    if (folder == "/")
        return !path.empty() && path[0] == '/';
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The longest part of path that exists, with symbolic links resolved.
std::string ExistingPart(const std::string& path, std::string& missingRest) {
    std::string head = path;
    missingRest.clear();
    while (!head.empty() && head != "/" && !Exists(head)) {
        const std::size_t slash = head.find_last_of('/');
        missingRest = head.substr(slash) + missingRest;
        head = slash == 0 ? "/" : (slash == std::string::npos ? std::string() : head.substr(0, slash));
    }
    if (head.empty())
        return head;
    char resolved[PATH_MAX];
    return ::realpath(head.c_str(), resolved) != nullptr ? std::string(resolved) : head;
}

// For a path under a removable-media folder, the folder a medium would be
// mounted on ("/media/ann/STICK"); empty otherwise.
std::string MediaMountOf(const std::string& path, const std::string& fsRoot) {
    struct TRoot {
        const char* Prefix;
        int Levels;  // components below the prefix that name the medium
    };
    static const TRoot roots[] = {{"/run/media/", 2}, {"/media/", 2}, {"/mnt/", 1}};
    for (const TRoot& root : roots) {
        const std::string prefix = fsRoot + root.Prefix;
        if (path.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::size_t end = prefix.size();
        for (int level = 0; level < root.Levels; ++level) {
            const std::size_t slash = path.find('/', end);
            if (slash == std::string::npos) {
                end = path.size();
                break;
            }
            end = level + 1 < root.Levels ? slash + 1 : slash;
        }
        return path.substr(0, end);
    }
    return std::string();
}

int TypeOfFileSystem(const std::string& fs) {
    static const char* const remote[] = {"nfs",        "nfs4",        "cifs",        "smb3",      "smbfs",
                                         "9p",         "afs",         "ceph",        "glusterfs", "davfs",
                                         "fuse.sshfs", "fuse.rclone", "fuse.davfs2", "ncpfs"};
    for (const char* name : remote)
        if (fs == name)
            return DRIVE_REMOTE;
    if (fs == "iso9660" || fs == "udf")
        return DRIVE_CDROM;
    if (fs == "tmpfs" || fs == "ramfs")
        return DRIVE_RAMDISK;
    return DRIVE_FIXED;
}

}  // namespace

std::vector<TMountEntry> ParseMountInfo(std::string_view text) {
    std::vector<TMountEntry> mounts;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        const std::vector<std::string_view> f = SplitSpaces(line);
        // id parent major:minor root mount-point options [optional...] - fstype source super-options
        std::size_t dash = 6;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (f.size() < 6 || dash + 1 >= f.size())
            continue;
        TMountEntry m;
        const std::string_view dev = f[2];
        const std::size_t colon = dev.find(':');
        if (colon == std::string_view::npos)
            continue;
        m.Major = static_cast<unsigned>(std::strtoul(std::string(dev.substr(0, colon)).c_str(), nullptr, 10));
        m.Minor = static_cast<unsigned>(std::strtoul(std::string(dev.substr(colon + 1)).c_str(), nullptr, 10));
        m.MountPoint = Unescape(f[4]);
        m.FileSystem = Unescape(f[dash + 1]);
        if (dash + 2 < f.size())
            m.Source = Unescape(f[dash + 2]);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

TBlockDeviceFacts DescribeBlockDevice(const std::string& sysRoot, unsigned major, unsigned minor) {
    TBlockDeviceFacts facts;
    const std::string link = sysRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    char resolved[PATH_MAX];
    if (::realpath(link.c_str(), resolved) == nullptr)
        return facts;
    std::string device = resolved;
    // A partition sits inside the folder of its disk, which carries the flag.
    if (Exists(device + "/partition"))
        device = device.substr(0, device.find_last_of('/'));
    facts.RemovableMedia = ReadSmallFile(device + "/removable").compare(0, 1, "1") == 0;
    // The device's place in the tree names its bus: ".../usb2/2-1/..." or
    // ".../ieee1394/..." ("/usbmisc" and the like are not buses).
    std::size_t start = 0;
    while (start < device.size()) {
        std::size_t end = device.find('/', start + 1);
        if (end == std::string::npos)
            end = device.size();
        const std::string_view part(device.data() + start + 1, end - start - 1);
        auto busNamed = [&](std::string_view bus) {
            if (part.compare(0, bus.size(), bus) != 0)
                return false;
            for (char c : part.substr(bus.size()))
                if (c < '0' || c > '9')
                    return false;
            return true;
        };
        if (busNamed("usb") || busNamed("ieee1394") || busNamed("firewire") || busNamed("fw"))
            facts.ExternalBus = true;
        start = end;
    }
    return facts;
}

TDriveFacts DescribeDriveWith(const std::string& path,
                              const std::vector<TMountEntry>& mounts,
                              const std::string& sysRoot,
                              const std::string& fsRoot) {
    TDriveFacts facts;
    if (path.empty() || path[0] != '/')
        return facts;
    std::string missing;
    const std::string existing = ExistingPart(path, missing);
    if (!missing.empty()) {
        const std::string media = MediaMountOf(path, fsRoot);
        if (!media.empty() && !IsUnder(existing, media)) {
            // The medium is not mounted: the path names a drive that is away.
            facts.Drive = media;
            facts.Type = DRIVE_REMOVABLE;
            facts.Removable = true;
            return facts;
        }
    }
    const TMountEntry* best = nullptr;
    for (const TMountEntry& m : mounts)
        if (IsUnder(existing, m.MountPoint) && (best == nullptr || m.MountPoint.size() >= best->MountPoint.size()))
            best = &m;
    if (best == nullptr) {
        facts.Type = DRIVE_NO_ROOT_DIR;
        return facts;
    }
    facts.Drive = best->MountPoint;
    facts.Type = TypeOfFileSystem(best->FileSystem);
    if (facts.Type == DRIVE_FIXED && best->Major != 0) {
        const TBlockDeviceFacts device = DescribeBlockDevice(sysRoot, best->Major, best->Minor);
        if (device.RemovableMedia)
            facts.Type = DRIVE_REMOVABLE;
        facts.Removable = device.RemovableMedia || device.ExternalBus;
    }
    return facts;
}

TDriveFacts DescribeDrive(const std::string& path) {
    return DescribeDriveWith(path, ParseMountInfo(ReadSmallFile("/proc/self/mountinfo")), "/sys", "");
}

}  // namespace Platform
