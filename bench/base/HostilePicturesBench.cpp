// Hostile PNG and BMP files: headers claiming far more pixels than their
// bytes could describe, and sound files that inflate to a large picture.
// Each is read once in a child process; the figures are its time and peak
// memory. The refused ones should stay near the cost of starting a process.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../HostileInputs.h"
#include "base/core/Errors.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/graphics/TBitmap.h"
#include "base/pictures/TPNGImage.h"
#include "platform/ByteReader.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

void Append(TBytes& out, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

void AppendChunk(TBytes& out, const char* type, const TBytes& data) {
    std::uint8_t head[8];
    StoreU32BE(head, static_cast<std::uint32_t>(data.size()));
    std::memcpy(head + 4, type, 4);
    Append(out, head, 8);
    Append(out, data.data(), data.size());
    uLong crc = ::crc32(0, head + 4, 4);
    if (!data.empty())  // a null buffer would restart the sum
        crc = ::crc32(crc, data.data(), static_cast<uInt>(data.size()));
    std::uint8_t tail[4];
    StoreU32BE(tail, static_cast<std::uint32_t>(crc));
    Append(out, tail, 4);
}

// A PNG of the given header whose image data is raw deflated at level 9;
// keep, when given, cuts the compressed data to that many bytes.
TBytes Png(std::uint32_t width,
           std::uint32_t height,
           std::uint8_t depth,
           std::uint8_t colorType,
           std::uint8_t interlace,
           const TBytes& raw,
           std::size_t keep = SIZE_MAX) {
    TBytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    TBytes ihdr(13, 0);
    StoreU32BE(ihdr.data(), width);
    StoreU32BE(ihdr.data() + 4, height);
    ihdr[8] = depth;
    ihdr[9] = colorType;
    ihdr[12] = interlace;
    AppendChunk(out, "IHDR", ihdr);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    TBytes packed(size);
    compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(std::min<std::size_t>(size, keep));
    AppendChunk(out, "IDAT", packed);
    AppendChunk(out, "IEND", {});
    return out;
}

TBytes Bmp(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t compression, const TBytes& rest) {
    TBytes out(14 + 40, 0);
    out[0] = 'B';
    out[1] = 'M';
    StoreU32LE(out.data() + 2, static_cast<std::uint32_t>(out.size() + rest.size()));
    StoreU32LE(out.data() + 10, static_cast<std::uint32_t>(out.size()));
    std::uint8_t* info = out.data() + 14;
    StoreU32LE(info, 40);
    StoreU32LE(info + 4, static_cast<std::uint32_t>(width));
    StoreU32LE(info + 8, static_cast<std::uint32_t>(height));
    StoreU16LE(info + 12, 1);
    StoreU16LE(info + 14, bits);
    StoreU32LE(info + 16, compression);
    Append(out, rest.data(), rest.size());
    return out;
}

template <class TPicture>
void Read(const TBytes& bytes) {
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    TPicture picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const EAbort&) {
    }
}

// Every row of a picture with the filter byte None and zero samples.
TBytes ZeroRows(std::size_t rowBytes, std::size_t rows) {
    return TBytes((rowBytes + 1) * rows, 0);
}

template <class TPicture>
void Register(const std::string& name, TBytes bytes) {
    RegisterHostileInput(name, [bytes = std::move(bytes)] { Read<TPicture>(bytes); });
}

const bool kRegistered = [] {
    Register<TPNGImage>("Hostile/Png/16M_by_1_in_66_bytes", Png(1u << 24, 1, 8, 2, 0, {0}));
    Register<TPNGImage>("Hostile/Png/1_by_2G_interlaced", Png(1, 0x7FFFFFFF, 16, 6, 1, TBytes(9, 0)));
    Register<TPNGImage>("Hostile/Png/2G_square_1_bit", Png(0x7FFFFFFF, 0x7FFFFFFF, 1, 0, 0, TBytes(64, 0)));
    // 8192 x 8192 RGB (192 MiB of rows) whose data is cut to 16 KiB.
    Register<TPNGImage>("Hostile/Png/8192_square_data_cut", Png(8192, 8192, 8, 2, 0, ZeroRows(8192 * 3, 8192), 16384));
    // Sound: 4096 x 4096 grey, all zero; 16 MiB of pixels from about 16 KiB,
    // as deflate allows.
    Register<TPNGImage>("Hostile/Png/4096_square_grey_sound", Png(4096, 4096, 8, 0, 0, ZeroRows(4096, 4096)));
    Register<TBitmap>("Hostile/Bmp/4096_square_in_118_bytes", Bmp(4096, 4096, 24, 0, TBytes(64, 0)));
    TBytes runs(1024, 0);
    for (int i = 0; i < 32; ++i) {
        runs.push_back(0xFF);
        runs.push_back(1);
    }
    Register<TBitmap>("Hostile/Bmp/4096_square_of_runs", Bmp(4096, 4096, 8, 1, runs));
    Register<TBitmap>("Hostile/Bmp/30000_square_in_118_bytes", Bmp(30000, 30000, 24, 0, TBytes(64, 0)));
    Register<TBitmap>("Hostile/Bmp/palette_overruns", Bmp(4, 4, 8, 0, TBytes(100, 0)));
    // Sound: 4096 x 4096 at 8 bits as runs of 255, the most a run covers.
    TBytes full(1024, 0);
    for (int y = 0; y < 4096; ++y) {
        for (int x = 0; x < 4096; x += 255) {
            full.push_back(static_cast<std::uint8_t>(std::min(255, 4096 - x)));
            full.push_back(1);
        }
        full.push_back(0);
        full.push_back(0);
    }
    Register<TBitmap>("Hostile/Bmp/4096_square_of_runs_sound", Bmp(4096, 4096, 8, 1, full));
    return true;
}();

}  // namespace
