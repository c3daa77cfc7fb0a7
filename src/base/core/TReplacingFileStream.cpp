#include "base/core/TReplacingFileStream.h"

#include <memory>

#include "base/core/Errors.h"

TReplacingFileStream::TReplacingFileStream(const std::string& fileName) : Name(fileName) {
    if (!Platform::BeginFileReplacement(fileName, Replacement, Error))
        Abort();
}

TReplacingFileStream::~TReplacingFileStream() {
    Platform::AbandonFileReplacement(Replacement);
}

void TReplacingFileStream::Resize(std::int64_t newSize) {
    Seek(newSize, soFromBeginning);
    if (!Platform::TruncateFileHere(Replacement.File)) {
        WriteFailed = true;
        Error = Platform::LastErrorText();
    }
}

std::int32_t TReplacingFileStream::Read(void*, std::int32_t) {
    // The temporary file is opened for writing only: savers do not read back.
    return 0;
}

std::int32_t TReplacingFileStream::Write(const void* buffer, std::int32_t count) {
    const auto done = static_cast<std::int32_t>(Platform::WriteFileBytes(Replacement.File, buffer, count));
    if (done != count && count > 0) {
        WriteFailed = true;
        Error = Platform::LastErrorText();
    }
    return done;
}

std::int64_t TReplacingFileStream::Seek(std::int64_t offset, int origin) {
    return Platform::SeekFile(Replacement.File, offset, origin);
}

void TReplacingFileStream::Commit() {
    if (WriteFailed) {
        Platform::AbandonFileReplacement(Replacement);
        Abort();
    }
    if (!Platform::CommitFileReplacement(Replacement, Error)) {
        WriteFailed = true;
        Abort();
    }
}

void SaveFileReplacing(const std::string& fileName, const std::function<void(TStream&)>& write) {
    std::unique_ptr<TReplacingFileStream> stream;
    try {
        stream = std::make_unique<TReplacingFileStream>(fileName);
    } catch (const EAbort&) {
        ReportErrorFmt("Error writing file \"%s\".", fileName);
        throw;
    }
    try {
        write(*stream);
        stream->Commit();
    } catch (const EAbort&) {
        const bool fileFailed = stream->Failed();
        stream.reset();  // the temporary file goes before the user is asked anything
        if (fileFailed)
            ReportErrorFmt("Error writing file \"%s\".", fileName);
        throw;
    }
}
