#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/files/TUnpackedZip.h"
#include "files/opening/TCompoundFile.h"
#include "platform/Files.h"

// The format codes of documents, as callers name them and as detection
// finds them. A requested code of 7 or more asks for detection.
enum TFileFormatCode : std::int32_t {
    ffRtf = 0,
    ffWordDoc = 1,
    ffDocx = 2,
    ffOdt = 3,
    ffEncrypted = 4,
    ffWindowsWrite = 5,
    ffPlainText = 6,
    ffHtml = 0xF000,
};

// Where the bytes being opened come from.
enum TOpenSource : std::uint8_t { osFile = 0, osMemory = 1 };

// What the format tests read of a document being opened, and what the
// storage and package probes leave behind for the readers. The opening code
// fills the first four members after its first fill of the read window;
// detection never moves the file's position for good (the probes that read
// the whole file put it back where the window ends).
struct TFormatProbe {
    // The bytes of the first read window: the start of the file, or the
    // whole memory block.
    std::span<const std::uint8_t> Window;
    // The size of the file, or of the memory block.
    std::int64_t FileSize = 0;
    TOpenSource Source = osFile;
    // The opened file, through which the storage and package probes reach
    // all of it; unused for memory blocks.
    Platform::TFileHandle File = Platform::kNoFile;

    // The Word document probe: 0 not tried, 1 the storage is open with a
    // "WordDocument" stream and kept for the DOC reader, 2 tried and failed.
    std::int32_t DocProbe = 0;
    std::unique_ptr<TCompoundFile> Storage;
    // Directory index of the "WordDocument" stream in Storage.
    std::int32_t Stream = -1;

    // The package probe runs once: ZipProbed tells that it ran, Zip holds
    // the archive when it could be read. Its entries are read into memory
    // on demand; nothing is ever unpacked to the disk.
    bool ZipProbed = false;
    std::unique_ptr<TUnpackedZip> Zip;
};

// True when the document passes the test of format code. Codes 6 and above,
// and any code outside 0 to 5, always pass.
bool IsFileOfFormat(std::int32_t format, TFormatProbe& probe);

// The first of Windows Write, encrypted, ODT, DOCX, DOC and RTF whose test
// passes; plain text when none does. Write and the encrypted format come
// first so that they are decided before any package or storage is opened.
std::int32_t DetectFileFormat(TFormatProbe& probe);

// A compound file whose root holds a "WordDocument" stream with the file
// information block of Word 6 or later.
bool IsWordDocFile(TFormatProbe& probe);
// Reads the file as a ZIP archive once, when it starts with a local header.
// True when a package is open.
bool OpenZipPackage(TFormatProbe& probe);
// A package whose "[Content_Types].xml" names a WordprocessingML main
// document or template.
bool IsDocxPackage(TFormatProbe& probe);
// A package whose "mimetype" entry is exactly the OpenDocument text type.
bool IsOdtPackage(TFormatProbe& probe);

// "application/vnd.openxmlformats-officedocument.wordprocessingml.<partKind>+xml".
std::string WordprocessingMLContentType(const std::string& partKind);

// The name of a format code in messages ("Rich Text Format"...); empty for
// codes that have none.
std::string FormatDisplayName(std::int32_t format);
