#include "files/saving/SaveToFormat.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/TReplacingFileStream.h"
#include "base/messages/MessageBoxes.h"
#include "files/encryption/EncryptedFiles.h"
#include "files/encryption/TEncryptionManager.h"
#include "files/opening/FormatDetection.h"
#include "files/rtf/RtfWriter.h"
#include "files/text/PlainTextWriter.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::string_view ErrorWritingFile = "Error writing file \"%s\".";
constexpr std::string_view CannotCreateFile = "Cannot create file \"%s\".";
constexpr std::string_view CannotSaveFormat =
    "This version of Rezozuri doesn't support saving documents in the \"%s\" format. Please choose another format.";
constexpr std::string_view FormattingLossQuestion =
    "\"%s\" contains formatting which will be lost as a result of converting to format \"%s\".%s\r\r"
    "Press \"Yes\" to save in format \"%s\".\rPress \"No\" to select another format.";
constexpr int FormattingLossMessage = 2;

// The documents already asked about formatting loss since their last save
// (the asked mark of each document).
std::set<const TDoc*>& AskedDocuments() {
    static std::set<const TDoc*> asked;
    return asked;
}

std::string Substitute(std::string_view fmt, std::initializer_list<std::string_view> args) {
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == '%' && i + 1 < fmt.size() && fmt[i + 1] == 's' && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += fmt[i];
        }
    }
    return out;
}

void WholeMainStory(const TDoc& doc, TFragment& range) {
    range = TFragment{};
    const std::int32_t last = std::max(0, doc.LastParOfStory(stMain));
    range.End.Par = last;
    range.End.Offset = last < doc.ParCount() ? doc.Par(last)->CharCount() : 0;
}

// Collects the bytes of an inner writer, for the formats whose bytes are
// finished as a whole before they reach the target.
class TCollectingStream : public TStream {
public:
    std::int32_t Read(void*, std::int32_t) override { return 0; }
    std::int32_t Write(const void* buffer, std::int32_t count) override {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        Bytes.insert(Bytes.end(), bytes, bytes + count);
        return count;
    }
    std::int64_t Seek(std::int64_t, int) override { return static_cast<std::int64_t>(Bytes.size()); }

    std::vector<std::uint8_t> Bytes;
};

int WritePlainText(TSaveContext& context) {
    const TDocSavingOptions& options = context.Options;
    TPlainTextWriteOptions text;
    text.Encoding = options.Encoding;
    text.LineBreak = options.LineBreak;
    text.PlainChars = (options.Flags & svPlainChars) != 0;
    text.FileTarget = options.Target != stMemory;
    text.FromPar = options.Range.Start.Par;
    text.FromOffset = options.Range.Start.Offset;
    text.ToPar = options.Range.End.Par;
    text.ToOffset = options.Range.End.Offset;
    const std::string bytes = WritePlainTextBytes(*context.Doc, text);
    context.Append(bytes);
    context.Flush();
    return srSaved;
}

// The encrypted format is the RTF of the document, in the raw 8-bit form
// of files, enciphered whole with the document's password. The RTF is
// collected first because the check value at the end covers all of it.
int WriteEncrypted(TSaveContext& context) {
    TDoc& doc = *context.Doc;
    if (doc.Password.empty()) {
        ReportErrorFmt("\"%s\" has no password to encrypt it with.", doc.FileName);
        return srFailed;
    }
    auto inner = std::make_unique<TSaveContext>();
    inner->Doc = &doc;
    inner->Options = context.Options;
    inner->Options.Target = stOwnFile;
    inner->Options.Output = nullptr;
    inner->HasFootnotes = context.HasFootnotes;
    inner->HasEndnotes = context.HasEndnotes;
    TCollectingStream rtf;
    inner->File = &rtf;
    CollectUsedFontsAndColors(*inner);
    const int result = WriteRtf(*inner);
    if (result != srSaved)
        return result;
    std::string password = EncryptionManager().UnprotectString(doc.Password);
    std::vector<std::uint8_t> file = EncryptDocument(rtf.Bytes, password);
    std::fill(password.begin(), password.end(), '\0');
    std::fill(rtf.Bytes.begin(), rtf.Bytes.end(), 0);
    context.Append(file.data(), file.size());
    context.Flush();
    return srSaved;
}

// Runs the writer of the format into the context; srSaved or srFailed.
// ESaveWriteFailed passes through.
int RunWriter(TSaveContext& context) {
    const std::int32_t format = context.Options.Format;
    if ((context.Options.Flags & svHtml) != 0 || format == sfmtDoc || format == sfmtDocx) {
        // The writers of these formats live elsewhere and are not part of
        // this program yet.
        ReportErrorFmt("Saving in the \"%s\" format is not available.", FormatDisplayName(format));
        return srFailed;
    }
    if (format == sfmtText)
        return WritePlainText(context);
    if (format == sfmtEncrypted)
        return WriteEncrypted(context);
    CollectUsedFontsAndColors(context);
    return WriteRtf(context);
}

void MarkSaved(TDoc& doc, const TDocSavingOptions& options) {
    if ((options.Flags & svCopy) != 0 || (options.Flags & svHtml) != 0)
        return;
    doc.StateFlags[sfUntitled] = 0;
    doc.FormatCode = options.Format == sfmtOdt || options.Format == sfmtWrite ? sfmtRtf : options.Format;
    doc.SetModified(false);
    doc.SavedUndoIndex = doc.UndoIndex;
    AskedDocuments().erase(&doc);
}

std::unique_ptr<TSaveContext> MakeContext(TDoc& doc, const TDocSavingOptions& options) {
    auto context = std::make_unique<TSaveContext>();
    context->Doc = &doc;
    context->Options = options;
    if (options.WholeDocument)
        WholeMainStory(doc, context->Options.Range);
    if ((options.Flags & svSelectedShapes) == 0) {
        context->HasFootnotes = doc.StoryCounts[stFootnotes] > 0;
        context->HasEndnotes = doc.StoryCounts[stEndnotes] > 0;
    }
    return context;
}

}  // namespace

int SaveToFormatStream(TDoc& doc, const TDocSavingOptions& options, TStream& file) {
    std::unique_ptr<TSaveContext> context = MakeContext(doc, options);
    context->Options.Target = stOwnFile;
    context->File = &file;
    try {
        return RunWriter(*context);
    } catch (const ESaveWriteFailed&) {
        ShowMessageBox(FormatOneString(ErrorWritingFile, doc.FileName), mbkError, mbOK);
        return srFailed;
    } catch (const EAbort&) {
        return srFailed;
    }
}

int SaveToFormat(TDoc& doc, const TDocSavingOptions& options) {
    if (options.Target == stMemory) {
        if (options.Output == nullptr)
            return srFailed;
        std::unique_ptr<TSaveContext> context = MakeContext(doc, options);
        int result = srFailed;
        try {
            result = RunWriter(*context);
        } catch (const ESaveWriteFailed&) {
        } catch (const EAbort&) {
        }
        return result;
    }
    // The new file is written beside the old one and replaces it only when
    // complete, so that a failed write leaves the old file whole; Retry
    // writes it again from the start.
    const std::string path = doc.FileName;
    for (;;) {
        std::unique_ptr<TReplacingFileStream> stream;
        try {
            stream = std::make_unique<TReplacingFileStream>(path);
        } catch (const EAbort&) {
            if (ShowMessageBox(FormatOneString(CannotCreateFile, path), mbkError, mbRetry | mbCancel) == mrRetry)
                continue;
            return srFailed;
        }
        std::unique_ptr<TSaveContext> context = MakeContext(doc, options);
        context->File = stream.get();
        int result = srFailed;
        try {
            result = RunWriter(*context);
            if (result == srSaved)
                stream->Commit();
        } catch (const ESaveWriteFailed&) {
            result = -1;
        } catch (const EAbort&) {
            if (result == srSaved)
                result = -1;
        }
        if (result == srSaved) {
            MarkSaved(doc, options);
            return srSaved;
        }
        stream.reset();
        if (result != -1)
            return srFailed;
        if (ShowMessageBox(FormatOneString(ErrorWritingFile, path), mbkError, mbRetry | mbCancel) != mrRetry)
            return srFailed;
    }
}

bool ListFormattingLoss(TDoc& doc, const TFragment* range, std::int32_t format, std::string& text) {
    text.clear();
    if (format == sfmtRtf || format == sfmtDoc || format == sfmtDocx || format == sfmtEncrypted)
        return false;
    TFragment whole;
    WholeMainStory(doc, whole);
    const TFragment& r = range != nullptr ? *range : whole;
    bool mixedPar = false, mixedChar = false, pictures = false;
    const TParFormat* firstPar = nullptr;
    TCharFormat firstChar = UnsetCharFormat;
    bool haveChar = false;
    for (std::int32_t p = r.Start.Par; p <= r.End.Par && p < doc.ParCount(); ++p) {
        TPar& par = *doc.Par(p);
        if (firstPar == nullptr) {
            firstPar = &par.Format;
        } else {
            for (int prop = 0; prop < ParPropCount; ++prop)
                if (prop != ppWidowControl && GetParProp(par.Format, prop) != GetParProp(*firstPar, prop))
                    mixedPar = true;
        }
        TCharFormat current = DefaultCharFormat;
        TStreamElement e;
        for (std::int32_t i = 0; i < par.Stream.Size; i += e.Length) {
            ReadStreamElement(par.Stream.Data, par.Stream.Size, i, e);
            if (e.Truncated)
                break;
            if (e.IsControl && e.Code <= fcLastCharAttr) {
                current[e.Code] = e.Value;
                continue;
            }
            if (e.IsControl && e.Code == fcShapeAnchor)
                pictures = true;
            if (e.IsControl && e.Code != fcSpecialChar && e.Code != fcUnicodeChar)
                continue;
            if (!haveChar) {
                firstChar = current;
                haveChar = true;
            } else {
                for (int attr = 0; attr < caLanguage; ++attr)
                    if (attr != caCharStyle && current[attr] != firstChar[attr])
                        mixedChar = true;
            }
        }
    }
    if (mixedPar)
        text += "\r\n* Paragraph formatting.";
    if (mixedChar)
        text += "\r\n* Font formatting.";
    if (pictures)
        text += "\r\n* Pictures.";
    return !text.empty();
}

bool ConfirmFormattingLoss(TDoc& doc, const TFragment* range, std::int32_t format) {
    if (format == sfmtOdt || format == sfmtWrite) {
        ShowInformationFmt(CannotSaveFormat, FormatDisplayName(format));
        return true;
    }
    if (AskedDocuments().count(&doc) != 0)
        return false;
    std::string lost;
    if (!ListFormattingLoss(doc, range, format, lost))
        return false;
    if (range == nullptr)
        AskedDocuments().insert(&doc);
    const std::string name = FormatDisplayName(format);
    const std::string question = Substitute(
        FormattingLossQuestion, {doc.FileName, name, "\rThe following formatting will be lost:\r" + lost, name});
    return ShowOptionalMessage(question, mbkWarning, FormattingLossMessage) == mrNo;
}
