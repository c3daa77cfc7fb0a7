#include "base/files/ShellLinks.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>

#include "base/files/PortablePaths.h"
#include "base/text/Charsets.h"
#include "platform/ByteReader.h"
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

// [MS-SHLLINK] 2.1 ShellLinkHeader: its size, the class identifier
// 00021401-0000-0000-C000-000000000046 as stored, and where the flags sit.
constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::size_t kLinkFlagsAt = 20;

// [MS-SHLLINK] 2.3 LinkInfo: the fields of its header, by offset. The
// Unicode offsets exist only in headers of at least 0x24 bytes.
constexpr std::uint32_t kLinkInfoMinHeader = 0x1C;
constexpr std::uint32_t kLinkInfoUnicodeHeader = 0x24;
constexpr std::size_t kInfoHeaderSizeAt = 4;
constexpr std::size_t kInfoFlagsAt = 8;
constexpr std::size_t kLocalBasePathAt = 16;
constexpr std::size_t kNetworkLinkAt = 20;
constexpr std::size_t kPathSuffixAt = 24;
constexpr std::size_t kLocalBasePathUnicodeAt = 28;
constexpr std::size_t kPathSuffixUnicodeAt = 32;

// [MS-SHLLINK] 2.3.2 CommonNetworkRelativeLink: its minimum size, where the
// net name's offsets sit, and the offset beyond which the Unicode one exists.
constexpr std::size_t kNetworkLinkMinSize = 0x14;
constexpr std::size_t kNetNameAt = 8;
constexpr std::size_t kNetNameUnicodeAt = 20;
constexpr std::uint32_t kNetNameUnicodeAfter = 0x14;

std::string AnsiToUtf8(std::string_view ansi) {
    return Platform::Utf16ToUtf8(Platform::BytesToWide(DefaultCodePage(), ansi));
}

// A zero-terminated ANSI text from at to the end of block; false when the
// block ends first.
bool AnsiZ(const TByteReader& block, std::size_t at, std::string& out) {
    if (at >= block.Size())
        return false;
    const auto* begin = reinterpret_cast<const char*>(block.Data() + at);
    const std::string_view rest(begin, block.Size() - at);
    const std::size_t nul = rest.find('\0');
    if (nul == std::string_view::npos)
        return false;
    out = AnsiToUtf8(rest.substr(0, nul));
    return true;
}

// A zero-terminated UTF-16 text from at to the end of block.
bool WideZ(const TByteReader& block, std::size_t at, std::string& out) {
    std::u16string wide;
    for (std::size_t i = at; block.HasAt(i, 2); i += 2) {
        const char16_t c = block.U16LEAt(i);
        if (c == 0) {
            out = Platform::Utf16ToUtf8(wide);
            return true;
        }
        wide.push_back(c);
    }
    return false;
}

// [MS-SHLLINK] 2.3 LinkInfo and 2.3.2 CommonNetworkRelativeLink, at the
// cursor of in. The target prefers the network name, as a UNC path. Only the
// sizes can make the block unreadable; a text that runs over its end is
// left out.
TReadResult ReadLinkInfo(TByteReader& in, std::string& target) {
    const std::size_t start = in.Offset();
    if (!in.Has(kLinkInfoMinHeader))
        return in.ErrorAt("the link information is cut short", start);
    const std::uint32_t size = in.U32LEAt(start);
    const std::uint32_t headerSize = in.U32LEAt(start + kInfoHeaderSizeAt);
    if (size < kLinkInfoMinHeader || headerSize < kLinkInfoMinHeader || headerSize > size)
        return in.ErrorAt("the link information's sizes contradict each other", start);
    const TByteReader info = in.Sub(size);
    if (in.Failed())
        return in.ErrorAt("the link information runs past the end of the file", start);

    const std::uint32_t flags = info.U32LEAt(kInfoFlagsAt);
    const std::uint32_t localBase = info.U32LEAt(kLocalBasePathAt);
    const std::uint32_t network = info.U32LEAt(kNetworkLinkAt);
    const std::uint32_t suffix = info.U32LEAt(kPathSuffixAt);
    const bool unicodeOffsets = headerSize >= kLinkInfoUnicodeHeader;

    std::string suffixText;
    if (unicodeOffsets && info.U32LEAt(kPathSuffixUnicodeAt) != 0)
        WideZ(info, info.U32LEAt(kPathSuffixUnicodeAt), suffixText);
    else if (suffix != 0)
        AnsiZ(info, suffix, suffixText);

    if ((flags & liCommonNetworkRelativeLinkAndPathSuffix) && network != 0 && network < size &&
        info.HasAt(network, kNetworkLinkMinSize)) {
        const std::uint32_t netNameOffset = info.U32LEAt(network + kNetNameAt);
        std::string netName;
        bool ok = false;
        if (netNameOffset > kNetNameUnicodeAfter && info.HasAt(network, kNetNameUnicodeAt + 4) &&
            info.U32LEAt(network + kNetNameUnicodeAt) != 0)
            ok = WideZ(info, network + std::size_t{info.U32LEAt(network + kNetNameUnicodeAt)}, netName);
        else if (netNameOffset != 0)
            ok = AnsiZ(info, network + std::size_t{netNameOffset}, netName);
        if (ok && !netName.empty()) {
            target = netName;
            if (!suffixText.empty()) {
                if (target.back() != '\\')
                    target += '\\';
                target += suffixText;
            }
            return TReadResult::Success();
        }
    }
    if ((flags & liVolumeIDAndLocalBasePath) && localBase != 0) {
        std::string base;
        bool ok = false;
        if (unicodeOffsets && info.U32LEAt(kLocalBasePathUnicodeAt) != 0)
            ok = WideZ(info, info.U32LEAt(kLocalBasePathUnicodeAt), base);
        if (!ok)
            ok = AnsiZ(info, localBase, base);
        if (ok)
            target = base + suffixText;
    }
    return TReadResult::Success();
}

// The whole parse; status tells the public entry which kind of refusal a
// bad result is.
TReadResult ParseLink(std::string_view bytes, TShellLink& link, TShellLinkStatus& status) {
    link = TShellLink{};
    TByteReader in(bytes);
    if (!in.Has(kHeaderSize)) {
        status = TShellLinkStatus::TooShort;
        return in.ErrorAt("the file is shorter than a link header", bytes.size());
    }
    const std::uint32_t headerSize = in.U32LE();
    const std::span<const std::uint8_t> clsid = in.Span(sizeof kLinkClsid);
    if (headerSize != kHeaderSize || std::memcmp(clsid.data(), kLinkClsid, sizeof kLinkClsid) != 0) {
        status = TShellLinkStatus::NotALink;
        return in.ErrorAt("the header is not a shell link's", 0);
    }
    const std::uint32_t flags = in.U32LEAt(kLinkFlagsAt);
    in.Seek(kHeaderSize);
    status = TShellLinkStatus::Truncated;
    if (flags & lfHasLinkTargetIDList) {
        // [MS-SHLLINK] 2.2 LinkTargetIDList: skipped whole.
        const std::size_t at = in.Offset();
        const std::uint16_t size = in.U16LE();
        if (!in.Skip(size) || in.Failed())
            return in.ErrorAt("the item list runs past the end of the file", at);
    }
    if (flags & lfHasLinkInfo) {
        std::string target;
        const TReadResult info = ReadLinkInfo(in, target);
        if (!info)
            return info;
        if (!(flags & lfForceNoLinkInfo))
            link.TargetPath = target;
    }
    // [MS-SHLLINK] 2.4 StringData, in this order: a count of characters,
    // then the characters, UTF-16 when the link says so.
    const std::uint32_t stringFlags[] = {lfHasName, lfHasRelativePath, lfHasWorkingDir, lfHasArguments,
                                         lfHasIconLocation};
    std::string* fields[] = {&link.Name, &link.RelativePath, &link.WorkingDir, &link.Arguments, nullptr};
    const bool unicode = (flags & lfIsUnicode) != 0;
    for (std::size_t i = 0; i < std::size(stringFlags); ++i) {
        if (!(flags & stringFlags[i]))
            continue;
        const std::size_t at = in.Offset();
        const std::size_t count = in.U16LE();
        TByteReader text = in.Sub(unicode ? count * 2 : count);
        if (in.Failed())
            return in.ErrorAt("a string runs past the end of the file", at);
        if (fields[i] == nullptr)
            continue;
        if (unicode) {
            std::u16string wide(count, u'\0');
            for (char16_t& c : wide)
                c = text.U16LE();
            *fields[i] = Platform::Utf16ToUtf8(wide);
        } else {
            *fields[i] = AnsiToUtf8(text.Chars(count));
        }
    }
    status = TShellLinkStatus::Ok;
    return TReadResult{true, {}, in.Offset()};
}

}  // namespace

TReadResult ParseShellLink(std::string_view bytes, TShellLink& link) {
    TShellLinkStatus status = TShellLinkStatus::Ok;
    return ParseLink(bytes, link, status);
}

TShellLinkResult ReadShellLink(std::string_view bytes, TShellLink& link) {
    TShellLinkStatus status = TShellLinkStatus::Ok;
    const TReadResult result = ParseLink(bytes, link, status);
    return {status, static_cast<std::size_t>(result.Offset)};
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
