#include "files/opening/FormatDetection.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/ByteReader.h"

namespace {

constexpr std::int64_t kMinRtfSize = 6;
constexpr std::string_view kRtfStart = "{\\rtf";

// The encrypted format: a 42-byte header that opens with this signature,
// at least one enciphered byte and a 16-byte check value.
constexpr std::string_view kEncryptedSignature = "987D Ttcad";
constexpr std::int64_t kMinEncryptedSize = 59;

// Windows Write: the file is made of 128-byte pages; its header opens with
// the identifier 0137061 or 0137062 (octal) and the tool word 0125400. The
// header also has room for the count of pages (pnMac, word 48), but Write
// files as they are found leave it 0 (every one of the corpus does, from
// three unrelated sources), so a 0 there does not make a file something
// else: the identifier, the tool word and the whole pages decide.
constexpr std::int64_t kWritePageSize = 128;
constexpr std::uint16_t kWriteIdentPlain = 0xBE31;
constexpr std::uint16_t kWriteIdentObjects = 0xBE32;
constexpr std::size_t kWriteToolAt = 4;
constexpr std::uint16_t kWriteTool = 0xAB00;

// Word's file information block ([MS-DOC] 2.5.2, FibBase): wIdent at 0 is
// 0xA5EC for Word 97 and later and 0xA5DC for Word 6 and 95; nFib at 2 is
// above 100 for every version this program reads.
constexpr std::u16string_view kWordDocumentStream = u"WordDocument";
constexpr std::size_t kFibSize = 1536;
constexpr std::uint16_t kWordIdent97 = 0xA5EC;
constexpr std::uint16_t kWordIdent6 = 0xA5DC;
constexpr std::size_t kFibVersionAt = 2;
constexpr std::uint16_t kMinFibVersion = 101;

// PKWARE APPNOTE.TXT 4.3.7: the local file header signature.
constexpr std::uint32_t kZipLocalSignature = 0x04034B50;

// ECMA-376 Part 2 (Open Packaging Conventions) 10.1.2: the content types
// of the package's parts are listed in this entry.
constexpr const char* kContentTypesEntry = "[Content_Types].xml";
// A content type list of a real document is a few kilobytes; one that
// inflates past this is not read during detection.
constexpr std::uint32_t kMaxContentTypesSize = 16u << 20;

// OASIS OpenDocument 1.2 Part 3, 3.3: the "mimetype" entry holds the media
// type, without a line end.
constexpr const char* kMimeTypeEntry = "mimetype";
constexpr std::string_view kOdtMediaType = "application/vnd.oasis.opendocument.text";

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() >= text.size() && std::memcmp(bytes.data(), text.data(), text.size()) == 0;
}

// Reads the package entry name into out unless it would inflate past
// maxBytes, so that detection never pays for a size bomb.
bool ReadPackageEntry(TUnpackedZip& zip,
                      const std::string& name,
                      std::uint32_t maxBytes,
                      std::vector<std::uint8_t>& out) {
    out.clear();
    std::int32_t index = -1;
    if (!zip.Find(name, index))
        return false;
    const auto* entry = static_cast<const TUnpackedZipEntry*>(zip.GetObject(index));
    if (entry == nullptr || entry->UncompressedSize > maxBytes)
        return false;
    return zip.ReadEntryAt(index, out);
}

// Reads from the file without moving its position, so that the read
// window's file offset stays where the opening code left it.
TCompoundFile::TReadAt FileReader(Platform::TFileHandle file) {
    return [file](std::uint64_t offset, void* dest, std::size_t count) {
        const std::int64_t saved = Platform::SeekFile(file, 0, Platform::kSeekFromCurrent);
        if (saved < 0)
            return false;
        bool ok = Platform::SeekFile(file, static_cast<std::int64_t>(offset), Platform::kSeekFromStart) ==
                  static_cast<std::int64_t>(offset);
        ok = ok &&
             Platform::ReadFileBytes(file, dest, static_cast<std::int64_t>(count)) == static_cast<std::int64_t>(count);
        return Platform::SeekFile(file, saved, Platform::kSeekFromStart) == saved && ok;
    };
}

TCompoundFile::TReadAt MemoryReader(std::span<const std::uint8_t> block) {
    return [block](std::uint64_t offset, void* dest, std::size_t count) {
        if (offset > block.size() || count > block.size() - offset)
            return false;
        std::memcpy(dest, block.data() + offset, count);
        return true;
    };
}

}  // namespace

bool IsFileOfFormat(std::int32_t format, TFormatProbe& probe) {
    const TByteReader window(probe.Window);
    switch (format) {
        case ffRtf:
            return probe.FileSize >= kMinRtfSize && StartsWith(probe.Window, kRtfStart);
        case ffWordDoc:
            return IsWordDocFile(probe);
        case ffDocx:
            return IsDocxPackage(probe);
        case ffOdt:
            return IsOdtPackage(probe);
        case ffEncrypted:
            return probe.FileSize >= kMinEncryptedSize && StartsWith(probe.Window, kEncryptedSignature);
        case ffWindowsWrite: {
            if (probe.FileSize < 1 || probe.FileSize % kWritePageSize != 0 || !window.HasAt(kWriteToolAt, 2))
                return false;
            const std::uint16_t ident = window.U16LEAt(0);
            return (ident == kWriteIdentPlain || ident == kWriteIdentObjects) &&
                   window.U16LEAt(kWriteToolAt) == kWriteTool;
        }
        default:
            return true;
    }
}

std::int32_t DetectFileFormat(TFormatProbe& probe) {
    for (const std::int32_t format : {ffWindowsWrite, ffEncrypted, ffOdt, ffDocx, ffWordDoc, ffRtf})
        if (IsFileOfFormat(format, probe))
            return format;
    return ffPlainText;
}

bool IsWordDocFile(TFormatProbe& probe) {
    if (probe.DocProbe != 0)
        return probe.DocProbe == 1;
    probe.DocProbe = 2;
    if (!TCompoundFile::HasSignature(probe.Window) || probe.FileSize <= 0)
        return false;
    if (probe.Source == osFile && probe.File == Platform::kNoFile)
        return false;
    auto storage = std::make_unique<TCompoundFile>();
    const auto size = static_cast<std::uint64_t>(probe.FileSize);
    if (!storage->Open(probe.Source == osFile ? FileReader(probe.File) : MemoryReader(probe.Window), size))
        return false;
    const std::int32_t stream = storage->FindRootStream(kWordDocumentStream);
    if (stream < 0)
        return false;
    std::vector<std::uint8_t> fib;
    if (!storage->ReadStream(stream, kFibSize, fib) || fib.size() != kFibSize)
        return false;
    const TByteReader f(fib.data(), fib.size());
    const std::uint16_t ident = f.U16LEAt(0);
    if ((ident != kWordIdent97 && ident != kWordIdent6) || f.U16LEAt(kFibVersionAt) < kMinFibVersion)
        return false;
    probe.Storage = std::move(storage);
    probe.Stream = stream;
    probe.DocProbe = 1;
    return true;
}

bool OpenZipPackage(TFormatProbe& probe) {
    if (probe.Zip)
        return true;
    if (probe.ZipProbed)
        return false;
    probe.ZipProbed = true;
    const TByteReader window(probe.Window);
    if (!window.HasAt(0, 4) || window.U32LEAt(0) != kZipLocalSignature)
        return false;
    // The guarded reader takes the archive from a file; a memory block is
    // only ever read in the format its caller names, so it has no package.
    if (probe.Source != osFile || probe.File == Platform::kNoFile)
        return false;
    const std::int64_t windowEnd = Platform::SeekFile(probe.File, 0, Platform::kSeekFromCurrent);
    if (windowEnd < 0)
        return false;
    // The entries are listed with their bare names: they are read into
    // memory on demand and never unpacked into a folder.
    auto zip = std::make_unique<TUnpackedZip>(probe.File, std::string());
    if (Platform::SeekFile(probe.File, windowEnd, Platform::kSeekFromStart) != windowEnd)
        return false;
    if (zip->Image.empty())
        return false;
    probe.Zip = std::move(zip);
    return true;
}

bool IsDocxPackage(TFormatProbe& probe) {
    if (!OpenZipPackage(probe))
        return false;
    std::vector<std::uint8_t> types;
    if (!ReadPackageEntry(*probe.Zip, kContentTypesEntry, kMaxContentTypesSize, types))
        return false;
    const std::string_view text(reinterpret_cast<const char*>(types.data()), types.size());
    return text.find(WordprocessingMLContentType("document.main")) != std::string_view::npos ||
           text.find(WordprocessingMLContentType("template.main")) != std::string_view::npos;
}

bool IsOdtPackage(TFormatProbe& probe) {
    if (!OpenZipPackage(probe))
        return false;
    std::vector<std::uint8_t> mime;
    if (!ReadPackageEntry(*probe.Zip, kMimeTypeEntry, static_cast<std::uint32_t>(kOdtMediaType.size()), mime))
        return false;
    return mime.size() == kOdtMediaType.size() && StartsWith(mime, kOdtMediaType);
}

std::string WordprocessingMLContentType(const std::string& partKind) {
    return "application/vnd.openxmlformats-officedocument.wordprocessingml." + partKind + "+xml";
}

std::string FormatDisplayName(std::int32_t format) {
    switch (format) {
        case ffRtf:
            return "Rich Text Format";
        case ffWordDoc:
            return "MS Word DOC";
        case ffDocx:
            return "MS Word DOCX";
        case ffOdt:
            return "OpenDocument ODF";
        case ffEncrypted:
            return "Encrypted Document";
        case ffWindowsWrite:
            return "Windows Write";
        case ffPlainText:
            return "Plain Text";
        default:
            return std::string();
    }
}
