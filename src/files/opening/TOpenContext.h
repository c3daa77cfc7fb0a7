#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/import/TReadWindow.h"
#include "files/opening/FormatDetection.h"
#include "platform/Files.h"

class TDoc;
class TField;

// What the caller of OpenDocument asks for; Format and ParCount are written
// back.
struct TDocOpeningOptions {
    // osFile: read the file FileName; osMemory: read the block Data/DataSize.
    std::uint8_t Source = osFile;
    // In: the format code to read (TFileFormatCode); for a file, any value
    // of 7 or more asks for detection. Out: the format read, -1 when the
    // file was refused or the user declined.
    std::int32_t Format = ffRtf;
    // The file's path; also the name messages show for a memory block.
    std::string FileName;
    const void* Data = nullptr;
    std::int32_t DataSize = 0;
    // Out: the paragraphs loaded; one less when the text lacked a final
    // paragraph end mark and none was added.
    std::int32_t ParCount = 0;

    // The flags of the callers that open documents. OpenReadOnly is the
    // read-only choice of the Open dialog; NoQuestion lets a file that
    // another instance holds be copied without asking (paste); DropFinalParEnd
    // removes the final paragraph end mark again (paste of plain text).
    bool OpenReadOnly = false;
    bool NoQuestion = false;
    bool DropFinalParEnd = false;
    // The document the loaded one will be inserted into: bookmarks whose
    // names it already has are renamed.
    const TDoc* InsertTarget = nullptr;
};

// The state that opening shares with the reader it calls.
struct TOpenContext {
    TDoc* Doc = nullptr;
    TDocOpeningOptions* Options = nullptr;
    // The read window over the file or the memory block, and what the
    // format tests found in its first fill.
    TReadWindow Window;
    TFormatProbe Probe;
    std::int64_t FileSize = 0;
    // The paragraph the reader is building; after the reader, the last one.
    std::int32_t CurPar = 0;
    // The caret position recorded in the file, set by the readers.
    std::int32_t CaretPar = 0;
    std::int32_t CaretOffset = 0;
    // Fields the reader opened and did not close, and fields to remove once
    // loading is done; the document owns them.
    std::vector<TField*> OpenFields;
    std::vector<TField*> FieldsToDelete;
    // The file actually opened (the file or its temporary copy), and its
    // handle while loading runs.
    std::string OpenedPath;
    std::string TempCopyPath;
    bool TempCopyMade = false;
    Platform::TFileHandle File = Platform::kNoFile;
    bool Result = false;
    // The RTF read had no list table: its old-style numbering left one list
    // per numbered paragraph, which the post-load list step merges.
    bool ListsIncomplete = false;
    // The file's note-reference character styles, as the reader numbered
    // them: [0] footnotes, [1] endnotes, -1 none.
    std::int32_t NoteReferenceStyles[2] = {-1, -1};
};
