#pragma once

// Small metafiles that ask for far more work than their bytes justify:
// run-length bitmaps that claim millions of pixels with a two-byte body,
// self-crossing polygons far larger than any surface, a pattern brush used
// by thousands of fills, stretches to absurd destinations. The tests play
// them and check what they draw; the benchmark measures each one's time and
// memory; the fuzz seeds are small versions of the same files.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace HostileMetafiles {

// Bytes written in little-endian order.
struct TOut {
    std::vector<std::uint8_t> B;
    TOut& U8(std::uint8_t v) {
        B.push_back(v);
        return *this;
    }
    TOut& U16(std::uint16_t v) {
        B.resize(B.size() + 2);
        StoreU16LE(B.data() + B.size() - 2, v);
        return *this;
    }
    TOut& U32(std::uint32_t v) {
        B.resize(B.size() + 4);
        StoreU32LE(B.data() + B.size() - 4, v);
        return *this;
    }
    TOut& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    TOut& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TOut& Bytes(const std::vector<std::uint8_t>& v) {
        B.insert(B.end(), v.begin(), v.end());
        return *this;
    }
};

// An enhanced metafile around the given records: a 100 x 100 picture on a
// reference device of 1920 x 1440 pixels over 508 x 381 mm, ending with EOF.
inline std::vector<std::uint8_t> Emf(const std::vector<std::uint8_t>& records, std::uint32_t count) {
    TOut h;
    h.U32(1).U32(88).I32(0).I32(0).I32(99).I32(99).I32(0).I32(0).I32(2645).I32(2645);
    h.U32(0x464D4520).U32(0x10000).U32(static_cast<std::uint32_t>(88 + records.size() + 20)).U32(count + 2);
    h.U16(8).U16(0).U32(0).U32(0).U32(0).I32(1920).I32(1440).I32(508).I32(381);
    h.Bytes(records);
    h.U32(14).U32(20).U32(0).U32(16).U32(20);
    return h.B;
}

// A Windows metafile around the given records (16-bit words), with a
// window of 100 x 100 and an end record.
inline std::vector<std::uint8_t> Wmf(const std::vector<std::uint8_t>& records, std::uint32_t largestWords) {
    TOut w;
    w.U16(1).U16(9).U16(0x0300).U32(static_cast<std::uint32_t>((18 + 10 + 10 + records.size() + 6) / 2));
    w.U16(4).U32(largestWords).U16(0);
    w.U32(5).U16(0x020B).I16(0).I16(0);      // META_SETWINDOWORG
    w.U32(5).U16(0x020C).I16(100).I16(100);  // META_SETWINDOWEXT
    w.Bytes(records);
    w.U32(3).U16(0);
    return w.B;
}

// A bitmap info header with a two-colour table (red, then blue) for a
// run-length bitmap of 8 bits per pixel.
inline std::vector<std::uint8_t> RleHeader(std::int32_t width, std::int32_t height, std::uint32_t bitsSize) {
    TOut h;
    h.U32(40).I32(width).I32(height).U16(1).U16(8).U32(1).U32(bitsSize).I32(0).I32(0).U32(2).U32(0);
    h.U32(0x00FF0000).U32(0x000000FF);
    return h.B;
}

// Run-length bits that are only the end-of-bitmap marker: every pixel keeps
// colour 0.
inline std::vector<std::uint8_t> EndOnlyRuns() {
    return {0, 1, 0, 0};
}

// EMR_STRETCHDIBITS of a width x height run-length bitmap over the whole
// picture, count times.
inline std::vector<std::uint8_t> EmfRleBitmaps(int count, std::int32_t width, std::int32_t height) {
    const std::vector<std::uint8_t> bits = EndOnlyRuns();
    const std::vector<std::uint8_t> header = RleHeader(width, height, static_cast<std::uint32_t>(bits.size()));
    TOut r;
    for (int i = 0; i < count; ++i) {
        const auto size = static_cast<std::uint32_t>(80 + header.size() + bits.size());
        r.U32(81).U32(size).I32(0).I32(0).I32(99).I32(99);
        r.I32(0).I32(0).I32(0).I32(0).I32(width).I32(height);  // destination and source corners, source size
        r.U32(80).U32(static_cast<std::uint32_t>(header.size()));
        r.U32(static_cast<std::uint32_t>(80 + header.size())).U32(static_cast<std::uint32_t>(bits.size()));
        r.U32(0).U32(0x00CC0020).I32(100).I32(100);  // usage, SRCCOPY, destination size
        r.Bytes(header).Bytes(bits);
    }
    return Emf(r.B, static_cast<std::uint32_t>(count));
}

// META_STRETCHDIB of the same kind of bitmap over the whole window.
inline std::vector<std::uint8_t> WmfRleBitmaps(int count, std::int32_t width, std::int32_t height) {
    const std::vector<std::uint8_t> bits = EndOnlyRuns();
    const std::vector<std::uint8_t> header = RleHeader(width, height, static_cast<std::uint32_t>(bits.size()));
    TOut r;
    const auto words = static_cast<std::uint32_t>((28 + header.size() + bits.size()) / 2);
    for (int i = 0; i < count; ++i) {
        r.U32(words).U16(0x0F43).U32(0x00CC0020).U16(0);
        r.I16(static_cast<std::int16_t>(height)).I16(static_cast<std::int16_t>(width)).I16(0).I16(0);
        r.I16(100).I16(100).I16(0).I16(0);
        r.Bytes(header).Bytes(bits);
    }
    return Wmf(r.B, words);
}

// The points of a star polygon of count points (count odd) around
// (cx, cy): each point joins the one almost opposite, so every edge crosses
// most others. The centre is wound (count - 1) / 2 times, so the alternate
// rule fills it when that is odd.
inline std::vector<std::int16_t> StarPoints(int count, int cx, int cy, int radius) {
    std::vector<std::int16_t> out;
    const int step = (count - 1) / 2;
    for (int i = 0; i < count; ++i) {
        const double a = 6.283185307179586 * ((static_cast<long long>(i) * step) % count) / count;
        out.push_back(static_cast<std::int16_t>(cx + static_cast<int>(radius * std::cos(a))));
        out.push_back(static_cast<std::int16_t>(cy + static_cast<int>(radius * std::sin(a))));
    }
    return out;
}

// A red brush, a null pen, then EMR_POLYGON16 of a self-crossing star of
// count points reaching radius logical units from the picture's centre.
inline std::vector<std::uint8_t> EmfStar(int count, int radius) {
    TOut r;
    r.U32(39).U32(24).U32(1).U32(0).U32(0x0000FF).U32(0);  // EMR_CREATEBRUSHINDIRECT
    r.U32(37).U32(12).U32(1);                              // EMR_SELECTOBJECT
    r.U32(37).U32(12).U32(0x80000008);                     // NULL_PEN
    const std::vector<std::int16_t> points = StarPoints(count, 50, 50, radius);
    r.U32(86).U32(static_cast<std::uint32_t>(28 + points.size() * 2)).I32(-radius).I32(-radius).I32(radius).I32(radius);
    r.U32(static_cast<std::uint32_t>(count));
    for (std::int16_t v : points)
        r.I16(v);
    return Emf(r.B, 4);
}

// META_POLYPOLYGON of polygons stars of count points each.
inline std::vector<std::uint8_t> WmfStars(int polygons, int count, int radius) {
    const std::vector<std::int16_t> points = StarPoints(count, 50, 50, radius);
    TOut r;
    r.U32(7).U16(0x02FC).U16(0).U32(0x0000FF).U16(0);  // META_CREATEBRUSHINDIRECT, red
    r.U32(4).U16(0x012D).U16(0);                       // META_SELECTOBJECT
    const auto words = static_cast<std::uint32_t>(4 + polygons + polygons * points.size());
    r.U32(words).U16(0x0538).U16(static_cast<std::uint16_t>(polygons));
    for (int p = 0; p < polygons; ++p)
        r.U16(static_cast<std::uint16_t>(count));
    for (int p = 0; p < polygons; ++p)
        for (std::int16_t v : points)
            r.I16(v);
    return Wmf(r.B, words);
}

// A 1 x 1 bitmap stretched count times to a destination of extent logical
// units each way.
inline std::vector<std::uint8_t> EmfHugeStretches(int count, std::int32_t extent) {
    TOut r;
    for (int i = 0; i < count; ++i) {
        r.U32(81).U32(80 + 40 + 4).I32(0).I32(0).I32(99).I32(99);
        r.I32(-extent / 2).I32(-extent / 2).I32(0).I32(0).I32(1).I32(1);
        r.U32(80).U32(40).U32(120).U32(4).U32(0).U32(0x00CC0020).I32(extent).I32(extent);
        r.U32(40).I32(1).I32(1).U16(1).U16(32).U32(0).U32(4).I32(0).I32(0).U32(0).U32(0);
        r.U32(0x0000FF00);  // green
    }
    return Emf(r.B, static_cast<std::uint32_t>(count));
}

// A pattern brush of a side x side run-length bitmap (all colour 0, red),
// then count rectangles filled with it.
inline std::vector<std::uint8_t> EmfPatternFills(int count, std::int32_t side) {
    const std::vector<std::uint8_t> bits = EndOnlyRuns();
    const std::vector<std::uint8_t> header = RleHeader(side, side, static_cast<std::uint32_t>(bits.size()));
    TOut r;
    // EMR_CREATEDIBPATTERNBRUSHPT: slot, usage, offBmi, cbBmi, offBits, cbBits.
    r.U32(94).U32(static_cast<std::uint32_t>(32 + header.size() + bits.size())).U32(1).U32(0);
    r.U32(32).U32(static_cast<std::uint32_t>(header.size()));
    r.U32(static_cast<std::uint32_t>(32 + header.size())).U32(static_cast<std::uint32_t>(bits.size()));
    r.Bytes(header).Bytes(bits);
    r.U32(37).U32(12).U32(1);
    r.U32(37).U32(12).U32(0x80000008);  // NULL_PEN
    for (int i = 0; i < count; ++i)
        r.U32(43).U32(24).I32(0).I32(0).I32(101).I32(101);  // EMR_RECTANGLE
    return Emf(r.B, static_cast<std::uint32_t>(count + 3));
}

struct THostileMetafile {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
    bool Enhanced = true;
};

// The table the tests and the benchmark share, at full strength.
inline std::vector<THostileMetafile> All() {
    return {
        {"emf-rle-4096-x100", EmfRleBitmaps(100, 4096, 4096), true},
        {"wmf-rle-4096-x10", WmfRleBitmaps(10, 4096, 4096), false},
        {"emf-star-1000", EmfStar(1003, 30000), true},
        {"emf-star-10000", EmfStar(10003, 30000), true},
        {"wmf-stars-7x1000", WmfStars(7, 1003, 30000), false},
        {"emf-stretch-huge-x1000", EmfHugeStretches(1000, 0x3FFFFFFF), true},
        {"emf-pattern-256-x1000", EmfPatternFills(1000, 256), true},
    };
}

}  // namespace HostileMetafiles
