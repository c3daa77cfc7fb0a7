#include "base/files/ShellLinks.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "base/files/PortablePaths.h"
#include "base/text/Charsets.h"
#include "platform/CodePages.h"

namespace {

// [MS-SHLLINK] 2.1.1 LinkFlags.
enum : std::uint32_t {
    lfHasLinkTargetIDList = 0x1,
    lfHasLinkInfo = 0x2,
    lfHasName = 0x4,
    lfHasRelativePath = 0x8,
    lfHasWorkingDir = 0x10,
    lfHasArguments = 0x20,
    lfHasIconLocation = 0x40,
    lfIsUnicode = 0x80,
    lfForceNoLinkInfo = 0x100,
};

// [MS-SHLLINK] 2.3 LinkInfoFlags.
enum : std::uint32_t { liVolumeIDAndLocalBasePath = 1, liCommonNetworkRelativeLinkAndPathSuffix = 2 };

constexpr std::uint32_t kHeaderSize = 0x4C;
// 00021401-0000-0000-C000-000000000046 as stored.
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

class TReader {
public:
    explicit TReader(std::string_view bytes) : Bytes(bytes) {}

    bool Has(std::size_t at, std::size_t count) const { return at <= Bytes.size() && count <= Bytes.size() - at; }
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(Byte(at) | (Byte(at + 1) << 8)); }
    std::uint32_t U32(std::size_t at) const {
        return static_cast<std::uint32_t>(Byte(at)) | (static_cast<std::uint32_t>(Byte(at + 1)) << 8) |
               (static_cast<std::uint32_t>(Byte(at + 2)) << 16) | (static_cast<std::uint32_t>(Byte(at + 3)) << 24);
    }
    // A zero-terminated ANSI text inside [at, limit); false when it runs over.
    bool AnsiZ(std::size_t at, std::size_t limit, std::string& out) const {
        out.clear();
        for (std::size_t i = at; i < limit && i < Bytes.size(); ++i) {
            if (Bytes[i] == '\0') {
                out = Platform::Utf16ToUtf8(Platform::BytesToWide(DefaultCodePage(), Bytes.substr(at, i - at)));
                return true;
            }
        }
        return false;
    }
    // A zero-terminated UTF-16 text inside [at, limit).
    bool WideZ(std::size_t at, std::size_t limit, std::string& out) const {
        std::u16string wide;
        for (std::size_t i = at; i + 1 < limit && i + 1 < Bytes.size(); i += 2) {
            const char16_t c = U16(i);
            if (c == 0) {
                out = Platform::Utf16ToUtf8(wide);
                return true;
            }
            wide.push_back(c);
        }
        return false;
    }

    std::string_view Bytes;

private:
    unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(Bytes[at]); }
};

// [MS-SHLLINK] 2.3 LinkInfo and 2.3.2 CommonNetworkRelativeLink. The target
// prefers the network name, as a UNC path.
bool ReadLinkInfo(const TReader& r, std::size_t start, std::size_t& next, std::string& target) {
    if (!r.Has(start, 28))
        return false;
    const std::uint32_t size = r.U32(start);
    const std::uint32_t headerSize = r.U32(start + 4);
    if (size < 28 || !r.Has(start, size) || headerSize < 28 || headerSize > size)
        return false;
    next = start + size;
    const std::size_t end = start + size;
    const std::uint32_t flags = r.U32(start + 8);
    const std::uint32_t localBase = r.U32(start + 16);
    const std::uint32_t network = r.U32(start + 20);
    const std::uint32_t suffix = r.U32(start + 24);
    const bool unicodeOffsets = headerSize >= 0x24 && r.Has(start, 0x24);

    std::string suffixText;
    if (unicodeOffsets && r.U32(start + 32) != 0)
        r.WideZ(start + r.U32(start + 32), end, suffixText);
    else if (suffix != 0)
        r.AnsiZ(start + suffix, end, suffixText);

    if ((flags & liCommonNetworkRelativeLinkAndPathSuffix) && network != 0 && network < size) {
        const std::size_t cnrl = start + network;
        if (r.Has(cnrl, 20)) {
            const std::uint32_t netNameOffset = r.U32(cnrl + 8);
            std::string netName;
            bool ok = false;
            if (netNameOffset > 0x14 && r.Has(cnrl, 24) && r.U32(cnrl + 20) != 0)
                ok = r.WideZ(cnrl + r.U32(cnrl + 20), end, netName);
            else if (netNameOffset != 0)
                ok = r.AnsiZ(cnrl + netNameOffset, end, netName);
            if (ok && !netName.empty()) {
                target = netName;
                if (!suffixText.empty()) {
                    if (target.back() != '\\')
                        target += '\\';
                    target += suffixText;
                }
                return true;
            }
        }
    }
    if ((flags & liVolumeIDAndLocalBasePath) && localBase != 0) {
        std::string base;
        bool ok = false;
        if (unicodeOffsets && r.U32(start + 28) != 0)
            ok = r.WideZ(start + r.U32(start + 28), end, base);
        if (!ok)
            ok = r.AnsiZ(start + localBase, end, base);
        if (ok) {
            target = base + suffixText;
            return true;
        }
    }
    return true;
}

}  // namespace

TShellLinkResult ReadShellLink(std::string_view bytes, TShellLink& link) {
    link = TShellLink{};
    TReader r(bytes);
    if (!r.Has(0, kHeaderSize))
        return {TShellLinkStatus::TooShort, bytes.size()};
    if (r.U32(0) != kHeaderSize || std::memcmp(bytes.data() + 4, kLinkClsid, 16) != 0)
        return {TShellLinkStatus::NotALink, 0};
    const std::uint32_t flags = r.U32(20);
    std::size_t at = kHeaderSize;
    if (flags & lfHasLinkTargetIDList) {
        if (!r.Has(at, 2))
            return {TShellLinkStatus::Truncated, at};
        const std::size_t size = r.U16(at);
        if (!r.Has(at + 2, size))
            return {TShellLinkStatus::Truncated, at};
        at += 2 + size;
    }
    if (flags & lfHasLinkInfo) {
        std::size_t next = at;
        std::string target;
        if (!ReadLinkInfo(r, at, next, target))
            return {TShellLinkStatus::Truncated, at};
        if (!(flags & lfForceNoLinkInfo))
            link.TargetPath = target;
        at = next;
    }
    // [MS-SHLLINK] 2.4 StringData, in this order.
    const std::uint32_t stringFlags[] = {lfHasName, lfHasRelativePath, lfHasWorkingDir, lfHasArguments,
                                         lfHasIconLocation};
    std::string* fields[] = {&link.Name, &link.RelativePath, &link.WorkingDir, &link.Arguments, nullptr};
    const std::size_t unit = (flags & lfIsUnicode) ? 2 : 1;
    for (int i = 0; i < 5; ++i) {
        if (!(flags & stringFlags[i]))
            continue;
        if (!r.Has(at, 2))
            return {TShellLinkStatus::Truncated, at};
        const std::size_t count = r.U16(at);
        if (!r.Has(at + 2, count * unit))
            return {TShellLinkStatus::Truncated, at};
        if (fields[i]) {
            if (unit == 2) {
                std::u16string wide(count, u'\0');
                for (std::size_t k = 0; k < count; ++k)
                    wide[k] = r.U16(at + 2 + 2 * k);
                *fields[i] = Platform::Utf16ToUtf8(wide);
            } else {
                *fields[i] =
                    Platform::Utf16ToUtf8(Platform::BytesToWide(DefaultCodePage(), bytes.substr(at + 2, count)));
            }
        }
        at += 2 + count * unit;
    }
    return {TShellLinkStatus::Ok, at};
}

bool IsShellLinkFile(std::string_view fileName) {
    if (fileName.size() < 4)
        return false;
    const std::string_view ext = fileName.substr(fileName.size() - 4);
    return ext[0] == '.' && (ext[1] == 'l' || ext[1] == 'L') && (ext[2] == 'n' || ext[2] == 'N') &&
           (ext[3] == 'k' || ext[3] == 'K');
}

std::string ResolveShellLink(const std::string& linkFile) {
    std::ifstream in(linkFile, std::ios::binary);
    if (!in)
        return linkFile;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string bytes = buffer.str();
    TShellLink link;
    if (ReadShellLink(bytes, link).Status != TShellLinkStatus::Ok)
        return linkFile;
    if (!link.Arguments.empty() && link.Arguments[0] == '%') {
        // Links the program made for its own files carry a portable path;
        // its separators may have been written the other system's way.
        std::string portable = link.Arguments;
        for (char& c : portable)
            if (c == '\\')
                c = '/';
        return FromPortablePath(portable);
    }
    return link.TargetPath.empty() ? linkFile : link.TargetPath;
}
