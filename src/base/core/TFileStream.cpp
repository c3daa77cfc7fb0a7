#include "base/core/TFileStream.h"

#include "base/core/Errors.h"
#include "platform/Files.h"

TFileStream::TFileStream(const std::string& fileName, std::uint32_t mode) : Name(fileName) {
    if (mode == fmCreate) {
        Handle = Platform::CreateFileAnew(fileName);
    } else {
        Platform::TFileAccess access = Platform::TFileAccess::Read;
        switch (mode & fmAccessMask) {
            case fmOpenWrite:
                access = Platform::TFileAccess::Write;
                break;
            case fmOpenReadWrite:
                access = Platform::TFileAccess::ReadWrite;
                break;
            default:
                break;
        }
        Handle = Platform::OpenExistingFile(fileName, access);
    }
    if (Handle == Platform::kNoFile)
        Abort();
}

TFileStream::~TFileStream() {
    Platform::CloseFile(Handle);
}

void TFileStream::Resize(std::int64_t newSize) {
    Seek(newSize, soFromBeginning);
    Platform::TruncateFileHere(Handle);
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count) {
    return static_cast<std::int32_t>(Platform::ReadFileBytes(Handle, buffer, count));
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count) {
    return static_cast<std::int32_t>(Platform::WriteFileBytes(Handle, buffer, count));
}

// The stream's origins are the file layer's, number for number.
static_assert(int{soFromBeginning} == int{Platform::kSeekFromStart} &&
              int{soFromCurrent} == int{Platform::kSeekFromCurrent} && int{soFromEnd} == int{Platform::kSeekFromEnd});

std::int64_t TFileStream::Seek(std::int64_t offset, int origin) {
    return Platform::SeekFile(Handle, offset, origin);
}
