// PNG files from documents and the clip library come from any file a user
// opens. Whatever the bytes, reading either gives a picture whose every row
// can be read, or EAbort with the previous picture kept; it never crashes or
// reads outside its buffers. Chunk CRCs are set right before reading, so
// that mutations reach the decoder instead of stopping at the CRC check.
#include <cstdint>
#include <vector>

#include "base/core/Crc32.h"
#include "base/core/Errors.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TPNGImage.h"
#include "platform/ByteReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = LoadU32BE(bytes.data() + at);
        if (length > bytes.size() - at - 12)
            break;
        const std::uint32_t crc = UpdateCrc32(0, bytes.data() + at + 4, length + 4);
        StoreU32BE(bytes.data() + at + 8 + length, crc);
        at += 12 + length;
    }
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    TPNGImage picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const EAbort&) {
        return 0;
    }
    for (std::int32_t y = 0; y < picture.GetHeight(); ++y)
        if (picture.ScanLine(y) == nullptr)
            __builtin_trap();
    picture.Canvas()->GetPixelColor(0, 0);
    return 0;
}
