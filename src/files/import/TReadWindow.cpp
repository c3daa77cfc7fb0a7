#include "files/import/TReadWindow.h"

#include <algorithm>
#include <cstring>

#include "base/core/Checks.h"
#include "base/core/Errors.h"
#include "base/messages/MessageBoxes.h"

TReadWindow::TReadWindow() : Storage(new std::uint8_t[BufferSize]()) {
    ReadBuffer = Storage.get();
    Reset();
}

void TReadWindow::Reset() {
    ReadPos = ReadEnd = ReadBuffer;
    ReadBase = 0;
    FileSize = 0;
    AtEnd = true;
    File = Platform::kNoFile;
    Memory = nullptr;
    Name.clear();
    Fault = TReadResult::Success();
}

void TReadWindow::AttachFile(Platform::TFileHandle file, std::int64_t fileSize, std::string name) {
    Reset();
    File = file;
    FileSize = std::max<std::int64_t>(fileSize, 0);
    Name = std::move(name);
    AtEnd = FileSize == 0;
    if (Platform::SeekFile(file, 0, Platform::kSeekFromStart) != 0)
        Fault = TReadResult::Failure("the file cannot be read from its start", 0);
}

void TReadWindow::AttachMemory(const void* data, std::size_t size) {
    Reset();
    Memory = static_cast<const std::uint8_t*>(data);
    FileSize = Memory ? static_cast<std::int64_t>(size) : 0;
    AtEnd = FileSize == 0;
}

TReadResult TReadWindow::Fill() {
    REZ_ASSERT(ReadBuffer <= ReadPos && ReadPos <= ReadEnd && ReadEnd <= ReadBuffer + BufferSize);
    const auto tail = static_cast<std::int64_t>(ReadEnd - ReadPos);
    ReadBase += ReadPos - ReadBuffer;
    if (tail > 0)
        std::memmove(ReadBuffer, ReadPos, static_cast<std::size_t>(tail));
    ReadPos = ReadBuffer;
    ReadEnd = ReadBuffer + tail;
    if (!Fault) {
        AtEnd = true;
        return Fault;
    }

    // What the source still holds behind the tail. A short rest goes in
    // whole; otherwise one window's worth, but never more than the room the
    // tail leaves: a reader that refills with a long tail gets fewer new
    // bytes instead of a write past the buffer.
    const std::int64_t start = ReadBase + tail;
    const std::int64_t rest = std::max<std::int64_t>(FileSize - start, 0);
    std::int64_t want = rest;
    if (FileSize - ReadBase > WholeRestLimit)
        want = std::min<std::int64_t>({rest, WindowSize, BufferSize - tail});
    std::int64_t got = want;
    if (want > 0) {
        if (Memory)
            std::memcpy(ReadEnd, Memory + start, static_cast<std::size_t>(want));
        else
            got = Platform::ReadFileBytes(File, ReadEnd, want);
    }
    ReadEnd += got;
    AtEnd = start + got >= FileSize;
    if (got < want) {
        AtEnd = true;
        Fault = TReadResult::Failure(
            "the file cannot be read here (a read error, or it is shorter than when it was opened)",
            static_cast<std::uint64_t>(start + got));
    }
    return Fault;
}

void TReadWindow::FillReadBuffer() {
    if (!Fill()) {
        ShowErrorFmt("Error reading file \"%s\".", Name);
        Abort();
    }
}
