#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/core/TStream.h"
#include "platform/Files.h"

// A stream that writes a file anew without putting the old one at risk: the
// bytes go to a temporary file beside it, and only Commit puts the complete
// file in the old one's place (flushed to the disk, with the old file's
// permissions). A stream destroyed without Commit, or whose writing failed,
// leaves the old file as it was and no temporary file behind. Every saver
// of whole files goes through it (or through SaveFileReplacing below).
class TReplacingFileStream : public TStream {
public:
    // Raises EAbort, without a message, when the temporary file cannot be
    // made (savers that tell the user go through SaveFileReplacing).
    explicit TReplacingFileStream(const std::string& fileName);
    ~TReplacingFileStream() override;
    TReplacingFileStream(const TReplacingFileStream&) = delete;
    TReplacingFileStream& operator=(const TReplacingFileStream&) = delete;

    void Resize(std::int64_t newSize) override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // Puts the written file in place of the old one. Raises EAbort, without
    // a message, when it cannot, or when a write has failed before (a short
    // write leaves a file that must not replace anything).
    void Commit();
    // True once a write came up short or the commit failed.
    bool Failed() const { return WriteFailed; }
    // Why the stream failed, in the system's words ("No space left on device").
    const std::string& ErrorText() const { return Error; }
    const std::string& FileName() const { return Name; }

private:
    Platform::TFileReplacement Replacement;
    std::string Name;
    std::string Error;
    bool WriteFailed = false;
};

// Saves a whole file through write, which fills the stream it is given: the
// file is replaced only once write has finished and the bytes are on the
// disk. When the file side fails (no temporary file can be made, a write
// comes up short, the commit fails) the user is told "Error writing file"
// and EAbort is raised; when write itself raises, that is passed on as it
// is. Either way the old file stays whole and no temporary file remains.
void SaveFileReplacing(const std::string& fileName, const std::function<void(TStream&)>& write);
