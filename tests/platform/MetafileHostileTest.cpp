// Metafiles that ask for far more work than their bytes justify, and damaged
// ones: what they draw, and the reason and offset the players give for the
// damage. How long the hostile ones take is measured in
// bench/platform/HostileMetafileBench.cpp.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostileMetafiles.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"
#include "platform/metafile/Playback.h"

namespace {

using namespace Platform;

constexpr std::uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF;

// A white bitmap in a memory context, and a recording beside it.
struct TTarget {
    explicit TTarget(int w = 100, int h = 100) : W(w), H(h) {
        DC = CreateCompatibleDC(nullptr);
        Bitmap = CreateBitmap32(w, h);
        Old = SelectBitmap(DC, Bitmap);
        PatBlt(DC, 0, 0, w, h, WHITENESS);
    }
    ~TTarget() {
        SelectBitmap(DC, Old);
        DeleteBitmap(Bitmap);
        DeleteDC(DC);
    }
    std::uint32_t At(int x, int y) const {
        TBitmapInfo info;
        GetBitmapInfo(Bitmap, info);
        return info.Bits[y * W + x] & 0xFFFFFF;
    }
    int W, H;
    HDC DC;
    HBITMAP Bitmap, Old;
};

// Plays a metafile into the bitmap and into a recording, whose picture is
// played again; the recording must come out as a metafile.
void PlayBoth(const HostileMetafiles::THostileMetafile& m, TTarget& target) {
    const TRect rect{0, 0, target.W - 1, target.H - 1};
    const TRect frame{0, 0, 2646, 2646};
    HDC recording = CreateEnhMetaFile(nullptr, &frame);
    if (m.Enhanced) {
        HENHMETAFILE emf = SetEnhMetaFileBits(m.Bytes.data(), m.Bytes.size());
        ASSERT_NE(emf, nullptr);
        PlayEnhMetaFile(target.DC, emf, rect);
        PlayEnhMetaFile(recording, emf, rect);
        DeleteEnhMetaFile(emf);
    } else {
        EXPECT_TRUE(PlayWinMetaFile(target.DC, m.Bytes.data(), m.Bytes.size(), rect));
        PlayWinMetaFile(recording, m.Bytes.data(), m.Bytes.size(), rect);
    }
    HENHMETAFILE again = CloseEnhMetaFile(recording);
    ASSERT_NE(again, nullptr);
    TTarget copy(target.W, target.H);
    PlayEnhMetaFile(copy.DC, again, rect);
    DeleteEnhMetaFile(again);
}

TEST(HostileMetafileTest, AmplifiersDrawWhatTheyDescribe) {
    // Each plays into a bitmap and a recording; in the sanitizer build each
    // finishes within seconds (the benchmark keeps the figures). The picture
    // they draw is checked where it is plain: run-length bitmaps of colour
    // 0 only are red all over, the stars (wound an odd number of times
    // there) are red at their centre, the
    // pattern is red and the stretched pixel green.
    struct Case {
        const char* Name;
        std::uint32_t Centre;
    };
    const Case expected[] = {
        {"emf-rle-4096-x100", kRed},     {"wmf-rle-4096-x10", kRed}, {"emf-star-1000", kRed},
        {"emf-star-10000", kRed},        {"wmf-stars-7x1000", kRed}, {"emf-stretch-huge-x1000", 0x00FF00},
        {"emf-pattern-256-x1000", kRed},
    };
    const std::vector<HostileMetafiles::THostileMetafile> all = HostileMetafiles::All();
    ASSERT_EQ(all.size(), std::size(expected));
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i].Name);
        ASSERT_EQ(all[i].Name, expected[i].Name);
        TTarget target;
        PlayBoth(all[i], target);
        EXPECT_EQ(target.At(50, 50), expected[i].Centre);
    }
}

TEST(HostileMetafileTest, DeferredRunLengthBitmapsKeepTheirRuns) {
    // A 4096 x 4096 bitmap whose runs paint a band of 64 rows, 510 pixels
    // long, in colour 1 (blue) and leave the rest colour 0 (red): drawn
    // into 100 x 100 pixels from its runs, the band shows, although the
    // bytes could never hold the 16 million pixels the bitmap claims.
    using HostileMetafiles::TOut;
    TOut bits;
    bits.U8(0).U8(2).U8(0).U8(255);  // delta: 255 rows up from the bottom
    for (int row = 0; row < 64; ++row)
        bits.U8(255).U8(1).U8(255).U8(1).U8(0).U8(0);
    bits.U8(0).U8(1);
    const std::vector<std::uint8_t> header =
        HostileMetafiles::RleHeader(4096, 4096, static_cast<std::uint32_t>(bits.B.size()));
    TOut r;
    r.U32(81).U32(static_cast<std::uint32_t>(80 + header.size() + bits.B.size())).I32(0).I32(0).I32(99).I32(99);
    r.I32(0).I32(0).I32(0).I32(0).I32(4096).I32(4096);
    r.U32(80).U32(static_cast<std::uint32_t>(header.size()));
    r.U32(static_cast<std::uint32_t>(80 + header.size())).U32(static_cast<std::uint32_t>(bits.B.size()));
    r.U32(0).U32(0x00CC0020).I32(100).I32(100);
    r.Bytes(header).Bytes(bits.B);
    const std::vector<std::uint8_t> emf = HostileMetafiles::Emf(r.B, 1);
    TTarget target;
    PlayBoth({"band", emf, true}, target);
    // Rows 3777 to 3840 of 4096 land on rows 92 and 93 of 100, the 510
    // pixels on the first 12 columns; shrunk so far, the band is averaged
    // with the red around it.
    EXPECT_NE(target.At(5, 93) & 0xFF, 0u);
    EXPECT_NE(target.At(5, 93), kRed);
    EXPECT_EQ(target.At(50, 93), kRed);
    EXPECT_EQ(target.At(5, 50), kRed);
}

// A small enhanced metafile: a red rectangle, then an end record.
std::vector<std::uint8_t> GoodEmf() {
    HostileMetafiles::TOut r;
    r.U32(39).U32(24).U32(1).U32(0).U32(0x0000FF).U32(0);
    r.U32(37).U32(12).U32(1);
    r.U32(43).U32(24).I32(0).I32(0).I32(50).I32(50);
    return HostileMetafiles::Emf(r.B, 3);
}

// A small Windows metafile with a placeable header: a red brush and a
// rectangle, then an end record.
std::vector<std::uint8_t> GoodWmf() {
    HostileMetafiles::TOut r;
    r.U32(7).U16(0x02FC).U16(0).U32(0x0000FF).U16(0);
    r.U32(4).U16(0x012D).U16(0);
    r.U32(7).U16(0x041B).I16(50).I16(50).I16(0).I16(0);
    HostileMetafiles::TOut p;
    p.U32(0x9AC6CDD7).U16(0).I16(0).I16(0).I16(100).I16(100).U16(96).U32(0).U16(0);
    return p.Bytes(HostileMetafiles::Wmf(r.B, 7)).B;
}

TEST(HostileMetafileTest, DamageIsReportedAtTheRecordThatHoldsIt) {
    // Offsets: the EMF's records start at 88 (brush 24, select 12, rectangle
    // 24, end 20); the WMF's behind a 22-byte placeable header and an
    // 18-byte header, after the two window records of 10 bytes each.
    const std::vector<std::uint8_t> emf = GoodEmf(), wmf = GoodWmf();
    const std::size_t emfRectangle = 88 + 24 + 12, wmfFirst = 22 + 18 + 20, wmfRectangle = wmfFirst + 14 + 8;
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> Bytes;
        bool Enhanced;
        std::string Reason;
        std::uint64_t Offset;
    };
    auto patched = [](std::vector<std::uint8_t> b, std::size_t at, std::uint32_t v) {
        StoreU32LE(b.data() + at, v);
        return b;
    };
    auto cut = [](std::vector<std::uint8_t> b, std::size_t size) {
        b.resize(size);
        return b;
    };
    const Case cases[] = {
        {"good emf", emf, true, "", 0},
        {"good wmf", wmf, false, "", 0},
        {"emf record longer than the file", patched(emf, emfRectangle + 4, 0x1000), true,
         "a metafile record longer than the file", emfRectangle},
        {"emf record shorter than its header", patched(emf, emfRectangle + 4, 4), true,
         "a metafile record shorter than its header", emfRectangle},
        {"emf cut before its end record", cut(emf, emf.size() - 20), true,
         "an enhanced metafile without its end record", emf.size() - 20},
        {"emf cut inside a record header", cut(emf, emfRectangle + 6), true,
         "a metafile record cut short by the end of the file", emfRectangle},
        {"emf signature missing", patched(emf, 40, 0), true, "not an enhanced metafile", 0},
        {"wmf record longer than the file", patched(wmf, wmfRectangle, 0x1000), false,
         "a metafile record longer than the file", wmfRectangle},
        {"wmf record shorter than its header", patched(wmf, wmfRectangle, 2), false,
         "a metafile record shorter than its header", wmfRectangle},
        {"wmf cut before its end record", cut(wmf, wmf.size() - 6), false, "a Windows metafile without its end record",
         wmf.size() - 6},
        {"wmf header of another kind", patched(wmf, 22, 0x00090005), false, "not a Windows metafile", 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTarget target;
        const TByteReader bytes(c.Bytes.data(), c.Bytes.size());
        const TRect rect{0, 0, 100, 100};
        const TReadResult result =
            c.Enhanced ? Metafile::PlayEmf(target.DC, bytes, rect) : Metafile::PlayWmf(target.DC, bytes, rect);
        EXPECT_EQ(result.Good, c.Reason.empty());
        EXPECT_EQ(result.Reason, c.Reason);
        EXPECT_EQ(result.Offset, c.Offset);
        // What comes before the damage is drawn all the same.
        const bool drawsBrush = c.Reason.rfind("not ", 0) != 0 && c.Offset > (c.Enhanced ? 88u + 36 : wmfFirst + 22);
        if (c.Reason.empty() || drawsBrush)
            EXPECT_EQ(target.At(10, 10), kRed);
        else if (c.Reason.rfind("not ", 0) == 0)
            EXPECT_EQ(target.At(10, 10), kWhite);
    }
}

}  // namespace
