// Compound files reach the Word document probe from any file the user
// opens. Any bytes open or are refused without reading past their end or
// looping, and a stream read never yields more than was asked or more than
// the stream's recorded size.
#include <cstdint>
#include <span>
#include <vector>

#include "files/opening/FormatDetection.h"
#include "files/opening/TCompoundFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    TCompoundFile storage;
    const TReadResult opened = storage.Open(
        [bytes](std::uint64_t offset, void* dest, std::size_t count) {
            if (offset > bytes.size() || count > bytes.size() - offset)
                return false;
            std::copy_n(bytes.data() + offset, count, static_cast<std::uint8_t*>(dest));
            return true;
        },
        size);
    if (opened) {
        const std::int32_t stream = storage.FindRootStream(u"WordDocument");
        std::vector<std::uint8_t> out;
        if (stream >= 0 && storage.ReadStream(stream, 1536, out) &&
            (out.size() > 1536 || out.size() > storage.Directory[static_cast<std::size_t>(stream)].StreamSize))
            __builtin_trap();
    }
    TFormatProbe probe;
    probe.Source = osMemory;
    probe.Window = bytes;
    probe.FileSize = static_cast<std::int64_t>(size);
    const std::int32_t format = DetectFileFormat(probe);
    if (format < ffRtf || format > ffPlainText)
        __builtin_trap();
    return 0;
}
