#include "files/import/TReadWindow.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/core/Errors.h"
#include "platform/Files.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TTempDir;

// Bytes that differ from their neighbours, so a piece read to the wrong
// place or twice shows.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + (i >> 8) * 7) & 0xFF);
    return bytes;
}

// A file in a temporary folder, opened for reading while the object lives.
class TOpenFile {
public:
    TOpenFile(const TTempDir& dir, const std::string& bytes) : Path(dir.File("window.bin")) {
        TestSupport::WriteFileBytes(Path, bytes);
        Handle = Platform::OpenExistingFile(Path, Platform::TFileAccess::Read);
    }
    ~TOpenFile() { Platform::CloseFile(Handle); }

    std::string Path;
    Platform::TFileHandle Handle = Platform::kNoFile;
};

// Reads the rest of the source through the window the way a reader does,
// consuming all but keep bytes before each refill, and appends what it
// consumed to out. Fails the test when a fill writes past the buffer or
// makes no progress.
void DrainKeeping(TReadWindow& window, std::size_t keep, std::string& out) {
    for (int fills = 0; fills < 100000; ++fills) {
        ASSERT_LE(window.ReadEnd - window.ReadBuffer, TReadWindow::BufferSize);
        ASSERT_EQ(window.Offset() + static_cast<std::int64_t>(window.Unread()),
                  window.ReadBase + (window.ReadEnd - window.ReadBuffer));
        const std::size_t take = window.AtEnd ? window.Unread() : window.Unread() - std::min(keep, window.Unread());
        out.append(reinterpret_cast<const char*>(window.ReadPos), take);
        window.ReadPos += take;
        if (window.Exhausted())
            return;
        const std::int64_t before = window.Offset() + static_cast<std::int64_t>(window.Unread());
        ASSERT_TRUE(window.Fill());
        const std::int64_t after = window.Offset() + static_cast<std::int64_t>(window.Unread());
        if (after == before) {
            // The window is full of unread bytes; a reader would consume
            // some before the next fill.
            ASSERT_EQ(window.Unread(), static_cast<std::size_t>(TReadWindow::BufferSize));
            keep = 0;
        }
    }
    FAIL() << "no progress";
}

// The refill must take a tail of any length: a reader that leaves more than
// the spare bytes unread gets fewer new bytes, never a write past the
// buffer. Each source is read once with the given tail left before every
// refill and must come out whole and in order, from a file and from memory.
TEST(ReadWindowTest, RefillKeepsAnyTailWithinTheBuffer) {
    const std::vector<std::size_t> tails = {0, 35, 36, 1000, 65535};
    const std::vector<std::size_t> sizes = {0,     1,     35,    36,    65535, 65536,  65537,  65567,  65568,
                                            65569, 65571, 65572, 65603, 65604, 131072, 131104, 131105, 200000};
    TTempDir dir;
    for (std::size_t size : sizes) {
        const std::string bytes = Pattern(size);
        for (std::size_t tail : tails) {
            SCOPED_TRACE("size " + std::to_string(size) + ", tail " + std::to_string(tail));
            for (bool fromFile : {true, false}) {
                SCOPED_TRACE(fromFile ? "file" : "memory");
                TOpenFile file(dir, bytes);
                TReadWindow window;
                if (fromFile)
                    window.AttachFile(file.Handle, static_cast<std::int64_t>(size), file.Path);
                else
                    window.AttachMemory(bytes.data(), bytes.size());
                ASSERT_TRUE(window.Fill());
                // A rest of at most 65,568 bytes comes in whole.
                EXPECT_EQ(window.AtEnd, size <= static_cast<std::size_t>(TReadWindow::WholeRestLimit));
                EXPECT_EQ(window.Unread(), std::min<std::size_t>(size, size <= 65568 ? size : 65536));

                std::string out;
                DrainKeeping(window, tail, out);
                EXPECT_TRUE(out == bytes);
                EXPECT_EQ(window.Offset(), static_cast<std::int64_t>(size));
            }
        }
    }
}

// After a fill the window holds more than the refill threshold or the whole
// rest: what lets a scanner take a control word without a refill inside it.
TEST(ReadWindowTest, AFillLeavesMoreThanTheThresholdOrTheRest) {
    const std::string bytes = Pattern(300000);
    for (std::size_t tail : {std::size_t{0}, std::size_t{1}, std::size_t{35}}) {
        SCOPED_TRACE(tail);
        TReadWindow window;
        window.AttachMemory(bytes.data(), bytes.size());
        window.FillReadBuffer();
        while (!window.Exhausted()) {
            window.ReadPos = window.ReadEnd - std::min(tail, window.Unread());
            if (window.AtEnd) {
                window.ReadPos = window.ReadEnd;
                break;
            }
            ASSERT_TRUE(window.NeedsRefill());
            ASSERT_TRUE(window.Refill());
            ASSERT_TRUE(window.AtEnd || window.Unread() > static_cast<std::size_t>(TReadWindow::RefillThreshold));
            ASSERT_EQ(0, std::memcmp(window.ReadPos, bytes.data() + window.Offset(), window.Unread()));
        }
    }
}

TEST(ReadWindowTest, MemoryIsReadIntoTheWindowsOwnBuffer) {
    const std::string bytes = "{\\RTF1 \\B bold}";
    TReadWindow window;
    window.AttachMemory(bytes.data(), bytes.size());
    window.FillReadBuffer();
    EXPECT_NE(window.ReadPos, reinterpret_cast<const std::uint8_t*>(bytes.data()));
    EXPECT_TRUE(window.AtEnd);
    window.ReadPos[2] = 'r';  // a reader may change the window in place
    EXPECT_EQ(bytes, "{\\RTF1 \\B bold}");
}

// A file that shrinks after it was opened cannot deliver the bytes its size
// promised: the window keeps what it read, reports the offset of the first
// missing byte, and the readers' entry tells the user and aborts.
TEST(ReadWindowTest, AFileShorterThanItsSizeIsAReadFault) {
    TTempDir dir;
    const std::string bytes = Pattern(100000);
    TOpenFile file(dir, bytes);
    TReadWindow window;
    window.AttachFile(file.Handle, 100000, file.Path);
    ASSERT_EQ(::truncate(file.Path.c_str(), 70000), 0);

    const TReadResult first = window.Fill();
    EXPECT_TRUE(first);
    EXPECT_EQ(window.Unread(), 65536u);
    window.ReadPos = window.ReadEnd - 10;
    const TReadResult second = window.Fill();
    EXPECT_FALSE(second);
    EXPECT_EQ(second.Offset, 70000u);
    EXPECT_FALSE(second.Reason.empty());
    EXPECT_TRUE(window.AtEnd);
    EXPECT_EQ(window.Unread(), 10u + (70000 - 65536));
    EXPECT_EQ(0, std::memcmp(window.ReadPos, bytes.data() + 65526, window.Unread()));

    // Every later fill reports the same fault.
    window.ReadPos = window.ReadEnd;
    EXPECT_EQ(window.Fill().Offset, 70000u);

    TestSupport::TScriptedMessageBoxes boxes;
    EXPECT_THROW(window.FillReadBuffer(), EAbort);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].Text, "Error reading file \"" + file.Path + "\".");
}

TEST(ReadWindowTest, AnEmptySourceIsAtItsEndAtOnce) {
    TReadWindow window;
    window.AttachMemory(nullptr, 0);
    EXPECT_TRUE(window.Fill());
    EXPECT_TRUE(window.Exhausted());
    EXPECT_FALSE(window.NeedsRefill());
}

}  // namespace
