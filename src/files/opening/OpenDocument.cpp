#include "files/opening/OpenDocument.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "base/core/Errors.h"
#include "base/files/Drives.h"
#include "base/files/TempFiles.h"
#include "base/messages/MessageBoxes.h"
#include "editing/tables/TableStructure.h"
#include "files/import/ImportHelpers.h"
#include "files/opening/EncryptedOpening.h"
#include "files/opening/PostLoad.h"
#include "files/rtf/RtfReader.h"
#include "files/text/PlainTextReader.h"
#include "files/write/WriReader.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"

namespace {

// The optional question whether to copy a file held by another instance.
constexpr int OptionalMessageFileInUse = 0;

// The format detection runs on; -1 is the refused file.
constexpr std::int32_t NoFormat = -1;
// Requested codes of this value and above ask for detection.
constexpr std::int32_t FirstDetectedCode = 7;

std::string FormatText(std::string_view fmt, std::string_view arg1, std::string_view arg2 = {}) {
    std::string out;
    int n = 0;
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == '%' && i + 1 < fmt.size() && fmt[i + 1] == 's') {
            out += n++ == 0 ? arg1 : arg2;
            ++i;
        } else {
            out += fmt[i];
        }
    }
    return out;
}

// The name of a format in the message for readers that are not there yet.
std::string NameOfUnreadFormat(std::int32_t format) {
    if (format == ffHtml)
        return "HTML";
    std::string name = FormatDisplayName(format);
    return name.empty() ? FormatDisplayName(ffPlainText) : name;
}

// Copies the whole file, replacing what the target held; false on any
// failure, leaving no half target behind.
bool CopyWholeFile(const std::string& from, const std::string& to) {
    const Platform::TFileHandle in = Platform::OpenExistingFile(from, Platform::TFileAccess::Read);
    if (in == Platform::kNoFile)
        return false;
    const Platform::TFileHandle out = Platform::CreateFileAnew(to);
    if (out == Platform::kNoFile) {
        Platform::CloseFile(in);
        return false;
    }
    std::vector<std::uint8_t> buffer(TReadWindow::WindowSize);
    bool good = true;
    for (;;) {
        const std::int64_t n = Platform::ReadFileBytes(in, buffer.data(), static_cast<std::int64_t>(buffer.size()));
        if (n == 0)
            break;
        if (Platform::WriteFileBytes(out, buffer.data(), n) != n) {
            good = false;
            break;
        }
    }
    // A read error and the end of the file both give 0; tell them apart by
    // comparing sizes.
    if (good)
        good = Platform::SeekFile(in, 0, Platform::kSeekFromEnd) == Platform::SeekFile(out, 0, Platform::kSeekFromEnd);
    Platform::CloseFile(in);
    Platform::CloseFile(out);
    if (!good)
        Platform::DeleteFileAt(to);
    return good;
}

// Everything a file load holds goes: the handle, the temporary copy and the
// package the probes opened.
void ReleaseFileSource(TOpenContext& context) {
    context.Probe.Storage.reset();
    context.Probe.Zip.reset();
    if (context.File != Platform::kNoFile) {
        if (context.Doc->FileHandle == context.File)
            context.Doc->FileHandle = Platform::kNoFile;
        Platform::CloseFile(context.File);
        context.File = Platform::kNoFile;
    }
    if (context.TempCopyMade) {
        Platform::DeleteFileAt(context.TempCopyPath);
        context.TempCopyMade = false;
    }
}

// Chooses the format of a file from the requested code; NoFormat when the
// file is refused.
std::int32_t ChooseFileFormat(TOpenContext& context, std::int32_t requested) {
    if (requested >= FirstDetectedCode || requested < 0)
        return DetectFileFormat(context.Probe);
    if (IsFileOfFormat(requested, context.Probe))
        return requested;
    if (context.Doc->StrictFormat != 0)
        return NoFormat;
    const std::string text =
        FormatText("File \"%s\" is not a valid file in format \"%s\". Attempt to detect real format of the file?",
                   context.Options->FileName, FormatDisplayName(requested));
    if (ShowMessageBox(text, mbkWarning, mbYes | mbNo) != mrYes)
        return NoFormat;
    return DetectFileFormat(context.Probe);
}

// The reader of a format code. Formats whose readers are not part of the
// program yet are refused with a message of their own, never read as an
// empty document.
bool ReadDocument(TOpenContext& context, std::int32_t format) {
    TDoc& doc = *context.Doc;
    if (format == ffRtf) {
        TRtfReadOptions options;
        TRtfReadOutcome outcome;
        const bool read = static_cast<bool>(ReadRtfDocument(doc, context.Window, options, outcome));
        context.ListsIncomplete = !outcome.ListTableRead;
        context.NoteReferenceStyles[0] = outcome.NoteReferenceStyles[0];
        context.NoteReferenceStyles[1] = outcome.NoteReferenceStyles[1];
        return read;
    }
    if (format == ffEncrypted)
        return ReadEncryptedDocument(context);
    if (format == ffWindowsWrite)
        return ReadWri(doc, context.Window);
    if (format >= ffPlainText && format != ffHtml)
        return ReadPlainText(doc, context.Window, {context.Options->FileName, context.Options->Source == osFile});
    ShowErrorFmt("Opening documents in format \"%s\" is not supported yet.", NameOfUnreadFormat(format));
    doc.ErrorShown = 1;
    return false;
}

// Index of the last paragraph of the text as the readers leave it: every
// paragraph of the list, whatever story it belongs to.
std::int32_t LastPar(const TDoc& doc) {
    return doc.ParCount() - 1;
}

std::uint8_t LastChar(const TPar& par) {
    return par.CharCount() > 0 ? par.Chars.Data[par.CharCount() - 1] : 0;
}

// An empty last paragraph after a paragraph that does not end in a section
// break is what a reader leaves when the text ends with a paragraph end: its
// stream (formatting only) joins the paragraph before.
void DropEmptyLastPar(TOpenContext& context) {
    TDoc& doc = *context.Doc;
    const std::int32_t last = LastPar(doc);
    if (last < 1 || doc.Par(last)->CharCount() != 0)
        return;
    TPar* before = doc.Par(last - 1);
    if (LastChar(*before) == chSectionBreak)
        return;
    TPar* par = doc.Par(last);
    before->Stream.AppendMemory(par->Stream);
    before->Changed();
    doc.Pars.Delete(last);
    delete par;
    context.CurPar = LastPar(doc);
}

// Removes the last control of a stream that has the code.
void RemoveLastControl(TMemory& stream, std::uint8_t code) {
    for (std::int32_t end = stream.Size; end >= FormatControlSize; --end) {
        if (!ControlEndsAt(stream.Data, end))
            continue;
        const std::int32_t start = end - FormatControlSize;
        if (stream.Data[start + 1] == code) {
            stream.DeleteRange(start, FormatControlSize);
            return;
        }
    }
}

// Makes sure the text ends in a paragraph end mark (documents that take
// them), and returns the paragraph count the caller is told.
std::int32_t EnsureFinalParEnd(TOpenContext& context) {
    TDoc& doc = *context.Doc;
    std::int32_t count = doc.ParCount();
    TPar* par = doc.Par(LastPar(doc));
    const std::uint8_t last = LastChar(*par);
    if (last == chParEnd || last == chRowEnd)
        return count;
    if (doc.TakesParEndMarks == 0)
        return last == chSectionBreak ? count : count - 1;
    if (last == chSectionBreak) {
        // The final section break stands for the end of the last section,
        // which the document's own last section already marks.
        RemoveLastControl(par->Stream, fcSectionBreak);
        par->Chars.SetSize(par->Chars.Size - 1);
    }
    AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
    par->Chars.AppendByte(chParEnd);
    par->Format.InTable = 0;
    par->Changed();
    return count;
}

// Removes the final paragraph end mark again (paste of plain text).
void DropFinalParEnd(TOpenContext& context, std::int32_t& count) {
    TDoc& doc = *context.Doc;
    TPar* par = doc.Par(LastPar(doc));
    if (LastChar(*par) != chParEnd)
        return;
    RemoveLastControl(par->Stream, fcSpecialChar);
    par->Chars.SetSize(par->Chars.Size - 1);
    par->Changed();
    --count;
}

// Readers put every paragraph into the list; whatever the other stories do
// not claim is the main text.
void FixStoryCounts(TDoc& doc) {
    std::int32_t others = 0;
    for (int story = stFootnotes; story < StoryCount; ++story)
        others += doc.StoryCounts[story];
    doc.StoryCounts[stMain] = std::max(doc.ParCount() - others, 1);
    if (doc.StoryCounts[stMain] + others != doc.ParCount()) {
        for (int story = stFootnotes; story < StoryCount; ++story)
            doc.StoryCounts[story] = 0;
        doc.StoryCounts[stMain] = doc.ParCount();
    }
    doc.RenumberPars(0);
}

// Tables a reader flagged: each run of table paragraphs goes through the
// table repair, which also takes the table marks from a run that has no row
// end. The repair records its changes as one operation, which a freshly
// loaded document does not keep.
void FixUpTables(TDoc& doc) {
    if (doc.TablesNeedFixUp == 0)
        return;
    doc.TablesNeedFixUp = 0;
    auto* operation = new TOperation(&doc, 0);
    doc.BeginOperation(operation);
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        if (doc.Par(p)->Format.InTable == 0)
            continue;
        RepairTable(doc, p);
        // Go on after the table as it stands now.
        while (p < doc.ParCount() && doc.Par(p)->Format.InTable != 0)
            ++p;
    }
    doc.EndOperation();
    doc.CommitOperation(operation);
    doc.ClearUndoHistory();
    doc.ClearTableCache();
}

// The caret goes where the file recorded it, clamped to the text stories.
void PlaceCaret(TOpenContext& context) {
    TDoc& doc = *context.Doc;
    std::int32_t par = std::max(context.CaretPar, 0);
    std::int32_t lastText = doc.StoryCounts[stMain] + doc.StoryCounts[stFootnotes] + doc.StoryCounts[stEndnotes] - 1;
    lastText = std::clamp(lastText, 0, doc.ParCount() - 1);
    par = std::min(par, lastText);
    const std::int32_t length = doc.Par(par)->CharCount();
    std::int32_t offset = context.CaretOffset;
    if (offset >= length)
        offset = length - 1;
    offset = std::max(offset, 0);
    doc.Caret = TTextPos{par, offset, 0, 0};
}

}  // namespace

void FinishLoadedDocument(TOpenContext& context) {
    TDoc& doc = *context.Doc;
    TDocOpeningOptions& options = *context.Options;
    if (options.Source == osFile) {
        doc.FileName = options.FileName;
        doc.LoadedFileSize = context.FileSize;
        const bool tempCopy = doc.StateFlags[sfTempCopy] != 0;
        if (doc.ReadOnly != 0 || tempCopy || IsRemovableDrive(context.OpenedPath)) {
            Platform::CloseFile(context.File);
        } else {
            doc.CloseFile();
            doc.FileHandle = context.File;
        }
        context.File = Platform::kNoFile;
        if (tempCopy)
            doc.LoadedFileSize = 0;
        ReleaseFileSource(context);
    }
    DropEmptyLastPar(context);
    std::int32_t count = EnsureFinalParEnd(context);
    if (options.DropFinalParEnd && doc.FormatCode < ffPlainText)
        DropFinalParEnd(context, count);
    options.ParCount = count;
    FixStoryCounts(doc);
    if (options.InsertTarget != nullptr)
        RenameClashingBookmarks(doc, *options.InsertTarget);
    PlaceCaret(context);
    FinishLoadedStyles(doc);
    if (context.ListsIncomplete)
        FinishLoadedLists(doc);
    FixListLevelFonts(doc);
    LoadLinkedPictures(doc);
    ApplyNoteReferenceStyles(doc, context.NoteReferenceStyles);
    FixUpTables(doc);
    doc.UpdatePageMetrics();
}

bool MakeTempCopyOfFile(TOpenContext& context) {
    const std::string& name = context.Options->FileName;
    for (;;) {
        const std::string copy = MakeTempFileName(".tmp");
        if (CopyWholeFile(name, copy)) {
            context.TempCopyPath = copy;
            context.TempCopyMade = true;
            return true;
        }
        if (ShowMessageBox(FormatText("Error making a copy of file \"%s\".", name), mbkError, mbRetry | mbCancel) !=
            mrRetry)
            return false;
    }
}

namespace {

enum TOpenAttempt { oaOpened, oaGaveUp, oaFailed };

// One attempt of OpenDocumentFile.
TOpenAttempt TryOpenFile(TOpenContext& context) {
    TDoc& doc = *context.Doc;
    const TDocOpeningOptions& options = *context.Options;
    const std::string& name = options.FileName;
    Platform::TFileHandle file = Platform::OpenExistingFile(name, Platform::TFileAccess::ReadWrite);
    if (file == Platform::kNoFile) {
        // A file we may not write is opened for reading only; when that
        // fails too, the file cannot be opened at all.
        file = Platform::OpenExistingFile(name, Platform::TFileAccess::Read);
        if (file == Platform::kNoFile)
            return oaFailed;
        doc.ReadOnly = 1;
        context.File = file;
        context.OpenedPath = name;
        return oaOpened;
    }
    // Our own instances take an advisory lock on the files they keep open
    // for editing; a held lock is what a sharing violation is elsewhere.
    // Other programs may always read.
    if (Platform::TryLockForEditing(file)) {
        if (options.OpenReadOnly) {
            Platform::CloseFile(file);
            file = Platform::OpenExistingFile(name, Platform::TFileAccess::Read);
            if (file == Platform::kNoFile)
                return oaFailed;
            doc.ReadOnly = 1;
        }
        context.File = file;
        context.OpenedPath = name;
        return oaOpened;
    }
    Platform::CloseFile(file);
    if (doc.QuietOpen == 0 && !options.NoQuestion) {
        const std::string text = FormatText("File \"%s\" is used by another program. Make a copy?", name);
        if (ShowOptionalMessage(text, mbkConfirm, OptionalMessageFileInUse) != mrYes)
            return oaGaveUp;
    }
    if (!MakeTempCopyOfFile(context))
        return oaGaveUp;
    file = Platform::OpenExistingFile(context.TempCopyPath, Platform::TFileAccess::ReadWrite);
    if (file == Platform::kNoFile) {
        Platform::DeleteFileAt(context.TempCopyPath);
        context.TempCopyMade = false;
        return oaFailed;
    }
    context.File = file;
    context.OpenedPath = context.TempCopyPath;
    doc.StateFlags[sfTempCopy] = 1;
    return oaOpened;
}

}  // namespace

bool OpenDocumentFile(TOpenContext& context) {
    for (;;) {
        switch (TryOpenFile(context)) {
            case oaOpened:
                return true;
            case oaGaveUp:
                return false;
            case oaFailed:
                break;
        }
        const std::string text = FormatText("Cannot open file \"%s\".", context.Options->FileName);
        if (ShowMessageBox(text, mbkError, mbRetry | mbCancel) != mrRetry)
            return false;
    }
}

bool OpenDocument(TDoc& doc, TDocOpeningOptions& options) {
    TOpenContext context;
    context.Doc = &doc;
    context.Options = &options;
    doc.Loading = 1;
    doc.ErrorShown = 0;
    const std::int32_t requested = options.Format;
    bool result = false;
    try {
        if (options.Source == osFile) {
            if (!OpenDocumentFile(context)) {
                options.Format = NoFormat;
                doc.Loading = 0;
                return false;
            }
            context.FileSize = std::max<std::int64_t>(Platform::SeekFile(context.File, 0, Platform::kSeekFromEnd), 0);
            context.Window.AttachFile(context.File, context.FileSize, context.OpenedPath);
            context.Window.FillReadBuffer();
            context.Probe.Window = {context.Window.ReadBuffer, context.Window.Unread()};
            context.Probe.FileSize = context.FileSize;
            context.Probe.Source = osFile;
            context.Probe.File = context.File;
            const std::int32_t format = ChooseFileFormat(context, requested);
            options.Format = format;
            if (format == NoFormat) {
                ReleaseFileSource(context);
                doc.Loading = 0;
                return false;
            }
            doc.FormatCode = format;
            context.Probe.Storage.reset();
            // The storage and package probes read the whole file through its
            // handle; the window goes on from the start.
            context.Window.AttachFile(context.File, context.FileSize, context.OpenedPath);
            context.Window.FillReadBuffer();
        } else {
            const std::size_t size =
                options.Data != nullptr ? static_cast<std::size_t>(std::max(options.DataSize, 0)) : 0;
            context.FileSize = static_cast<std::int64_t>(size);
            context.Window.AttachMemory(options.Data, size);
            context.Window.FillReadBuffer();
            doc.FormatCode = requested;
        }
        context.CurPar = LastPar(doc);
        context.CaretPar = 0;
        context.CaretOffset = 0;
        result = ReadDocument(context, doc.FormatCode);
    } catch (const EAbort&) {
        // The silent abort: its message has already been shown.
        doc.ErrorShown = 1;
        result = false;
    } catch (const std::exception&) {
        result = false;
    }
    context.Result = result;
    if (result) {
        FinishLoadedDocument(context);
    } else {
        if (options.Source == osFile)
            ReleaseFileSource(context);
        if (doc.ErrorShown == 0)
            ShowErrorFmt("Error opening document \"%s\".", options.FileName);
        doc.ErrorShown = 0;
    }
    doc.Loading = 0;
    return result;
}
