#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/core/TMemory.h"
#include "model/formats/TTextPos.h"

class TAutoList;
class TDoc;
class TStream;

// Where a save writes to (TDocSavingOptions::Target).
enum : std::uint8_t {
    stOwnFile = 0,  // the document's own file, TDoc::FileName
    stMemory = 1,   // the TMemory in Output
};

// Saving flags (TDocSavingOptions::Flags).
enum : std::uint8_t {
    svCopy = 0x01,              // a copy: the document's name, format and saved state stay its own
    svPlainChars = 0x02,        // plain text: special characters as spaces and hyphens
    svHtml = 0x04,              // write HTML instead of the format code
    svNoParEndAfterRow = 0x08,  // RTF: a range ending in a cell gets no paragraph end after its row
    svNoRowEnd = 0x10,          // RTF: a range ending in a cell gets no row end
    svNoFields = 0x20,          // RTF: field, bookmark and note marks are left out
    svSelectedShapes = 0x40,    // only the selected shapes
};

// Format codes of the writers and readers (the codes of the messages).
enum : std::int32_t {
    sfmtRtf = 0,
    sfmtDoc = 1,
    sfmtDocx = 2,
    sfmtOdt = 3,
    sfmtEncrypted = 4,
    sfmtWrite = 5,
    sfmtText = 6,
};

// What a caller asks of a save; SaveToFormat copies it and never writes it
// back.
struct TDocSavingOptions {
    std::uint8_t Target = stOwnFile;
    std::uint8_t LineBreak = 0;  // plain text: 0 CR LF, 1 CR, 2 LF, 3 LF CR
    std::uint8_t Flags = 0;
    // The part of the document to write; an empty range (Start == End at
    // 0,0) with WholeDocument set means the whole main story.
    TFragment Range{};
    bool WholeDocument = true;
    std::int32_t Format = sfmtRtf;
    std::int32_t Encoding = 0;
    TMemory* Output = nullptr;  // receives the bytes for stMemory
    std::string OrigName;       // the document's own name, for safe copies
    // A safe copy of unsaved work: the RTF writer records OrigName and the
    // document's format so that restoring can take them back.
    bool SafeCopy = false;
};

// Raised by the output layer when the file side refuses bytes; the save
// dispatcher turns it into the write-error question.
struct ESaveWriteFailed {};

// The state a save shares with the writer it runs: the document, the
// options, the output buffer and the numbering of the fonts, colours and
// lists the saved document uses.
struct TSaveContext {
    TDoc* Doc = nullptr;
    TDocSavingOptions Options;
    // The file side of a file target: the replacing stream beside the
    // document's file, or any stream a test supplies.
    TStream* File = nullptr;
    std::int64_t Written = 0;
    std::int32_t ParCounter = 0;
    bool HasFootnotes = false;
    bool HasEndnotes = false;
    // Used colours; entry 0 is the automatic colour.
    std::vector<std::int32_t> Colors;
    // Used fonts (registered font indices, ascending).
    std::vector<std::int32_t> Fonts;
    // Used list definitions; a list's number is its place here plus 1.
    std::vector<const TAutoList*> Lists;
    std::int32_t ListCount = 0;
    bool UsesEastAsianFont = false;

    std::int32_t ColorNumber(std::int32_t color) const;
    std::int32_t ListNumber(const TAutoList* list) const;

    // The output layer. Buffer holds the bytes not yet flushed to File;
    // a memory target appends to Options.Output directly.
    void Append(const void* bytes, std::size_t n) {
        if (Buffered + n > sizeof(Buffer)) {
            Flush();
            if (n > sizeof(Buffer)) {
                AppendLarge(bytes, n);
                return;
            }
        }
        std::memcpy(Buffer + Buffered, bytes, n);
        Buffered += n;
    }
    void Append(std::string_view s) { Append(s.data(), s.size()); }
    void AppendByte(std::uint8_t b) {
        if (Buffered == sizeof(Buffer))
            Flush();
        Buffer[Buffered++] = b;
    }
    // Passes the buffered bytes on to the target.
    void Flush();

private:
    void AppendLarge(const void* bytes, std::size_t n);

    std::size_t Buffered = 0;
    // The 64 KB save buffer.
    std::uint8_t Buffer[65536];
};

// Marks the fonts, colours and lists that the document uses (the whole
// document, every story, the styles and the used lists' levels) and
// numbers them for the writers.
void CollectUsedFontsAndColors(TSaveContext& context);
