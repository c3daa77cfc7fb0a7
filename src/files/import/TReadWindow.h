#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ByteReader.h"
#include "platform/Files.h"

// The window through which every reader takes the bytes of a document, from
// a file or from a memory block: a 64 KB buffer with a few spare bytes, the
// next unread byte (ReadPos) and the end of the valid bytes (ReadEnd).
// Readers work on the bytes in place and advance ReadPos themselves; when at
// most RefillThreshold unread bytes remain and the source is not exhausted
// they call FillReadBuffer, which moves the unread tail to the front and
// reads more behind it. After a fill the window holds more than
// RefillThreshold unread bytes or the whole rest of the source, so a token
// as short as a control word with its parameter can be scanned without a
// refill in the middle.
//
// A memory block is read in windows exactly like a file, into the window's
// own buffer: readers may change the bytes in place (the RTF scanner lowers
// the letters of control words), and the caller's block stays as it was.
class TReadWindow {
public:
    static constexpr std::int32_t WindowSize = 65536;
    static constexpr std::int32_t SpareBytes = 35;
    static constexpr std::int32_t BufferSize = WindowSize + SpareBytes;
    // A reader refills when at most this many unread bytes remain.
    static constexpr std::int32_t RefillThreshold = 35;
    // A rest of the source up to this size is read whole rather than leaving
    // a last piece of a few bytes for another fill.
    static constexpr std::int64_t WholeRestLimit = WindowSize + 32;

    TReadWindow();
    TReadWindow(const TReadWindow&) = delete;
    TReadWindow& operator=(const TReadWindow&) = delete;

    // Both leave an empty window at offset 0 of the source; the first fill
    // brings in the first bytes. The file is read from its start; fileSize
    // is its size when it was opened, and name is what the error message
    // calls it. The caller keeps the file open, and the memory block alive,
    // while the window reads them.
    void AttachFile(Platform::TFileHandle file, std::int64_t fileSize, std::string name);
    void AttachMemory(const void* data, std::size_t size);

    // Moves the unread tail to the start of the buffer and reads as much of
    // the source behind it as fits, however long the tail is. A failed read
    // (an error, or a file shorter than its size when it was opened) leaves
    // the bytes read so far in the window, sets AtEnd and gives the reason
    // and the offset of the first byte that could not be read; so does every
    // later fill.
    TReadResult Fill();
    // The same for the readers' public side: a failed read shows "Error
    // reading file "%s"." and raises the silent abort.
    void FillReadBuffer();
    // Fills when the reader must (see RefillThreshold); the read fault as in
    // Fill.
    TReadResult Refill() { return NeedsRefill() ? Fill() : TReadResult::Success(); }

    std::size_t Unread() const { return static_cast<std::size_t>(ReadEnd - ReadPos); }
    bool NeedsRefill() const { return !AtEnd && Unread() <= static_cast<std::size_t>(RefillThreshold); }
    // True when every byte of the source has been consumed.
    bool Exhausted() const { return AtEnd && ReadPos == ReadEnd; }
    // The offset in the source of a byte in the buffer, and of ReadPos.
    std::int64_t OffsetOf(const std::uint8_t* p) const { return ReadBase + (p - ReadBuffer); }
    std::int64_t Offset() const { return OffsetOf(ReadPos); }
    const std::string& SourceName() const { return Name; }

    // The window's fields, which readers read and set.
    std::uint8_t* ReadBuffer = nullptr;
    std::uint8_t* ReadPos = nullptr;
    std::uint8_t* ReadEnd = nullptr;
    std::int64_t ReadBase = 0;  // offset in the source of ReadBuffer[0]
    std::int64_t FileSize = 0;
    bool AtEnd = true;  // the buffer holds the source's last byte

private:
    void Reset();

    std::unique_ptr<std::uint8_t[]> Storage;
    Platform::TFileHandle File = Platform::kNoFile;
    const std::uint8_t* Memory = nullptr;
    std::string Name;
    TReadResult Fault;
};
