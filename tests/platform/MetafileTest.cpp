// Metafiles made here record by record: what the players draw, how they
// survive damaged files, and what the recorder writes.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Metafiles.h"
#include "platform/Regions.h"
#include "support/TestSupport.h"

namespace {

using namespace Platform;

// Bytes of a record under construction.
struct TBytesOut {
    std::vector<std::uint8_t> B;
    TBytesOut& U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            B.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    TBytesOut& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TBytesOut& U16(std::uint16_t v) {
        B.push_back(static_cast<std::uint8_t>(v));
        B.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    TBytesOut& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
};

// An enhanced metafile of records, framed for a 100 x 100 picture on a
// 96 pixels-per-inch reference device.
class TEmfBuilder {
public:
    TEmfBuilder& Record(std::uint32_t type, const std::vector<std::int32_t>& fields) {
        TBytesOut r;
        r.U32(type).U32(static_cast<std::uint32_t>(8 + fields.size() * 4));
        for (std::int32_t f : fields)
            r.I32(f);
        Body.insert(Body.end(), r.B.begin(), r.B.end());
        ++Count;
        return *this;
    }
    // Raw bytes, for damaged records.
    TEmfBuilder& Raw(const std::vector<std::uint8_t>& bytes) {
        Body.insert(Body.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::vector<std::uint8_t> Bytes() const {
        TBytesOut h;
        h.U32(1).U32(88).I32(0).I32(0).I32(99).I32(99).I32(0).I32(0).I32(2645).I32(2645);
        h.U32(0x464D4520).U32(0x10000).U32(static_cast<std::uint32_t>(88 + Body.size() + 20)).U32(Count + 2);
        h.U16(8).U16(0).U32(0).U32(0).U32(0).I32(1920).I32(1440).I32(508).I32(381);
        h.B.insert(h.B.end(), Body.begin(), Body.end());
        h.U32(14).U32(20).U32(0).U32(16).U32(20);
        return h.B;
    }
    std::vector<std::uint8_t> Body;
    std::uint32_t Count = 0;
};

// Record types used below ([MS-EMF] 2.1.1).
enum : std::uint32_t {
    kRectangle = 43,
    kSelectObject = 37,
    kCreateBrush = 39,
    kCreatePen = 38,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSetMapMode = 17,
    kSetWindowExt = 9,
    kSetViewportExt = 11,
    kIntersectClip = 30,
    kPolyline16 = 87,
};
constexpr std::int32_t kNullPen = static_cast<std::int32_t>(0x80000008);

// A white 100 x 100 bitmap in a memory context.
struct TSurface {
    explicit TSurface(int w = 100, int h = 100) : W(w), H(h) {
        DC = CreateCompatibleDC(nullptr);
        Bitmap = CreateBitmap32(w, h);
        Old = SelectBitmap(DC, Bitmap);
        PatBlt(DC, 0, 0, w, h, WHITENESS);
    }
    ~TSurface() {
        SelectBitmap(DC, Old);
        DeleteBitmap(Bitmap);
        DeleteDC(DC);
    }
    std::uint32_t At(int x, int y) const {
        TBitmapInfo info;
        GetBitmapInfo(Bitmap, info);
        return info.Bits[y * W + x] & 0xFFFFFF;
    }
    std::vector<std::uint32_t> Pixels() const {
        TBitmapInfo info;
        GetBitmapInfo(Bitmap, info);
        std::vector<std::uint32_t> out(info.Bits, info.Bits + W * H);
        for (std::uint32_t& p : out)
            p &= 0xFFFFFF;
        return out;
    }
    void Play(const std::vector<std::uint8_t>& emf) {
        HENHMETAFILE m = SetEnhMetaFileBits(emf.data(), emf.size());
        ASSERT_NE(m, nullptr);
        PlayEnhMetaFile(DC, m, {0, 0, W - 1, H - 1});
        DeleteEnhMetaFile(m);
    }
    int W, H;
    HDC DC;
    HBITMAP Bitmap, Old;
};

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

TEST(EmfPlaybackTest, MappingFitsTheFrameAndScalesTheWindow) {
    // A red rectangle over the window's 200 x 200 logical units lands on the
    // viewport's 50 x 50 device pixels, and the frame fills the target.
    TEmfBuilder emf;
    emf.Record(kCreateBrush, {1, 0, 0x0000FF, 0})
        .Record(kSelectObject, {1})
        .Record(kSelectObject, {kNullPen})
        .Record(kSetMapMode, {8})
        .Record(kSetWindowExt, {200, 200})
        .Record(kSetViewportExt, {50, 50})
        .Record(kRectangle, {0, 0, 200, 200});
    TSurface s;
    s.Play(emf.Bytes());
    EXPECT_EQ(s.At(0, 0), kRed);
    EXPECT_EQ(s.At(48, 48), kRed);
    EXPECT_EQ(s.At(51, 51), kWhite);
    EXPECT_EQ(s.At(80, 20), kWhite);

    // Played into a rectangle twice the size, everything doubles.
    TSurface big(200, 200);
    big.Play(emf.Bytes());
    EXPECT_EQ(big.At(97, 97), kRed);
    EXPECT_EQ(big.At(103, 103), kWhite);
}

TEST(EmfPlaybackTest, SavedStatesAndClipsComeBack) {
    TEmfBuilder emf;
    emf.Record(kCreateBrush, {1, 0, 0x0000FF, 0})   // red
        .Record(kCreateBrush, {2, 0, 0xFF0000, 0})  // blue
        .Record(kSelectObject, {kNullPen})
        .Record(kSelectObject, {1})
        .Record(kSaveDC, {})
        .Record(kSelectObject, {2})
        .Record(kIntersectClip, {0, 0, 50, 100})
        .Record(kRectangle, {0, 0, 101, 101})  // blue, left half only
        .Record(kRestoreDC, {-1})
        .Record(kRectangle, {60, 0, 101, 101});  // red again, no clip
    TSurface s;
    // The caller's own clip holds during playback and is there afterwards.
    HRGN callerClip = CreateRectRgn(0, 0, 100, 90);
    SelectClipRgn(s.DC, callerClip);
    s.Play(emf.Bytes());
    EXPECT_EQ(s.At(10, 10), kBlue);
    EXPECT_EQ(s.At(55, 10), kWhite);
    EXPECT_EQ(s.At(70, 10), kRed);
    EXPECT_EQ(s.At(70, 95), kWhite);  // outside the caller's clip
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(s.DC, after), 1);
    EXPECT_TRUE(EqualRgn(after, callerClip));
    DeleteRegion(after);
    DeleteRegion(callerClip);
}

TEST(EmfPlaybackTest, DamagedFilesDrawWhatComesBeforeTheDamage) {
    struct Case {
        const char* Name;
        std::vector<std::uint8_t> Damage;
        bool DrawsAfter;
    };
    auto record = [](std::uint32_t type, std::uint32_t size, std::vector<std::int32_t> fields) {
        TBytesOut r;
        r.U32(type).U32(size);
        for (std::int32_t f : fields)
            r.I32(f);
        return r.B;
    };
    const Case cases[] = {
        // A record whose size is zero or runs past the end ends the picture
        // (nothing after it can be found again).
        {"size zero", record(kRectangle, 0, {}), false},
        {"size past the end", record(kRectangle, 0x7FFFFFF0, {0, 0, 10, 10}), false},
        // Records that promise more than they hold are skipped.
        {"polyline count past its record", record(kPolyline16, 28, {0, 0, 9, 9, 0x40000000}), true},
        {"object index far out", record(kSelectObject, 12, {0x7FFFFFF}), true},
        {"bitmap of absurd size",
         record(81, 128, {0,        0, 9, 9,  0,       0,       0,        0, 0x10000, 0x10000, 80, 40, 120, 0, 0,
                          0xCC0020, 9, 9, 40, 0x10000, 0x10000, 0x200001, 0, 0,       0,       0,  0,  0,   0, 0}),
         true},
        {"unknown record", record(999, 12, {7}), true},
        {"region data past its record", record(75, 24, {0x1000, 1, 0, 0}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmfBuilder emf;
        emf.Record(kCreateBrush, {1, 0, 0x0000FF, 0})
            .Record(kSelectObject, {1})
            .Record(kSelectObject, {kNullPen})
            .Record(kRectangle, {0, 0, 50, 50})
            .Raw(c.Damage)
            .Record(kRectangle, {50, 50, 100, 100});
        TSurface s;
        s.Play(emf.Bytes());
        EXPECT_EQ(s.At(10, 10), kRed);
        EXPECT_EQ(s.At(70, 70), c.DrawsAfter ? kRed : kWhite);
    }
}

TEST(EmfPlaybackTest, BytesThatAreNoEnhancedMetafileAreRefused) {
    TEmfBuilder emf;
    std::vector<std::uint8_t> good = emf.Bytes();
    HENHMETAFILE accepted = SetEnhMetaFileBits(good.data(), good.size());
    EXPECT_NE(accepted, nullptr);
    DeleteEnhMetaFile(accepted);
    std::vector<std::uint8_t> noSignature = good;
    noSignature[40] = 'X';
    EXPECT_EQ(SetEnhMetaFileBits(noSignature.data(), noSignature.size()), nullptr);
    EXPECT_EQ(SetEnhMetaFileBits(good.data(), 87), nullptr);
    std::vector<std::uint8_t> headerTooLong = good;
    headerTooLong[4] = 0xFF;
    headerTooLong[5] = 0xFF;
    EXPECT_EQ(SetEnhMetaFileBits(headerTooLong.data(), headerTooLong.size()), nullptr);
}

// A Windows metafile: a placeable header for a 100 x 100 box, a window of
// 1000 x 1000, a red brush and a rectangle over the left half.
std::vector<std::uint8_t> SmallWmf(bool placeable) {
    TBytesOut w;
    auto record = [&](std::uint16_t function, std::vector<std::int16_t> params) {
        w.U32(static_cast<std::uint32_t>(3 + params.size())).U16(function);
        for (std::int16_t p : params)
            w.I16(p);
    };
    w.U16(1).U16(9).U16(0x0300).U32(0).U16(2).U32(0).U16(0);
    record(0x020B, {0, 0});           // SETWINDOWORG y, x
    record(0x020C, {1000, 1000});     // SETWINDOWEXT y, x
    record(0x02FC, {0, 0xFF, 0, 0});  // CREATEBRUSHINDIRECT solid red
    record(0x012D, {0});              // SELECTOBJECT
    record(0x02FA, {5, 0, 0, 0, 0});  // CREATEPENINDIRECT null
    record(0x012D, {1});
    record(0x041B, {1000, 500, 0, 0});  // RECTANGLE bottom, right, top, left
    record(0x0000, {});
    std::vector<std::uint8_t> out;
    if (placeable) {
        TBytesOut p;
        p.U32(0x9AC6CDD7).U16(0).I16(0).I16(0).I16(100).I16(100).U16(96).U32(0).U16(0);
        out = p.B;
    }
    out.insert(out.end(), w.B.begin(), w.B.end());
    return out;
}

TEST(WmfPlaybackTest, TheWindowIsFittedToTheRectangle) {
    for (const bool placeable : {true, false}) {
        SCOPED_TRACE(placeable ? "placeable" : "standard");
        const std::vector<std::uint8_t> wmf = SmallWmf(placeable);
        TSurface s;
        PlayWinMetaFile(s.DC, wmf.data(), wmf.size(), {0, 0, 99, 99});
        EXPECT_EQ(s.At(10, 90), kRed);
        EXPECT_EQ(s.At(48, 50), kRed);
        EXPECT_EQ(s.At(52, 50), kWhite);
    }
}

TEST(WmfPlaybackTest, ConversionKeepsTheWindowsMetafile) {
    // Turned into an enhanced metafile, a Windows metafile plays through the
    // records recorded from it and converts back byte for byte.
    const std::vector<std::uint8_t> wmf = SmallWmf(false);
    const TMetafilePict pict{MM_ANISOTROPIC, 2646, 2646};
    HENHMETAFILE emf = SetWinMetaFileBits(wmf.data(), wmf.size(), nullptr, &pict);
    ASSERT_NE(emf, nullptr);
    EXPECT_EQ(GetWinMetaFileBits(emf, MM_ANISOTROPIC, nullptr), wmf);
    TSurface s;
    PlayEnhMetaFile(s.DC, emf, {0, 0, 99, 99});
    EXPECT_EQ(s.At(10, 90), kRed);
    EXPECT_EQ(s.At(60, 50), kWhite);
    DeleteEnhMetaFile(emf);

    // Not a Windows metafile (a placeable header is not part of one here).
    const std::vector<std::uint8_t> placeable = SmallWmf(true);
    EXPECT_EQ(SetWinMetaFileBits(placeable.data(), placeable.size(), nullptr, &pict), nullptr);
    const std::uint8_t junk[32] = {1, 2, 3};
    EXPECT_EQ(SetWinMetaFileBits(junk, sizeof junk, nullptr, &pict), nullptr);
}

TEST(WmfPlaybackTest, RecordsThatRunPastTheEndStopThePicture) {
    std::vector<std::uint8_t> wmf = SmallWmf(false);
    // The rectangle record (the last before the end record) claims more
    // words than there are.
    const std::size_t rectangle = wmf.size() - 6 - 14;
    wmf[rectangle] = 0xFF;
    wmf[rectangle + 1] = 0xFF;
    TSurface s;
    PlayWinMetaFile(s.DC, wmf.data(), wmf.size(), {0, 0, 99, 99});
    EXPECT_EQ(s.At(10, 90), kWhite);
    // Cut anywhere, the picture plays what is left without harm.
    const std::vector<std::uint8_t> whole = SmallWmf(true);
    for (std::size_t n = 0; n < whole.size(); n += 3)
        PlayWinMetaFile(s.DC, whole.data(), n, {0, 0, 99, 99});
}

// The same drawing calls made on a bitmap and recorded into a metafile that
// is then played on a bitmap of the same size give the same pixels.
void DrawScene(HDC dc) {
    HBRUSH yellow = CreateSolidBrush(0x00FFFF);
    FillRect(dc, {5, 5, 60, 40}, yellow);
    HPEN wide = CreatePen(0x0000C0, 3);
    HBRUSH teal = CreateSolidBrush(0x808000);
    HPEN oldPen = SelectPen(dc, wide);
    HBRUSH oldBrush = SelectBrush(dc, teal);
    Rectangle(dc, {20, 50, 90, 95});
    const TPoint zigzag[] = {{10, 110}, {40, 140}, {70, 110}, {100, 140}};
    Polyline(dc, zigzag, 4);
    HPEN dashed = CreateStyledPen(0x000000, 1, PS_DASH);
    SelectPen(dc, dashed);
    const TPoint triangle[] = {{110, 10}, {150, 60}, {105, 70}};
    Polygon(dc, triangle, 3);
    MoveTo(dc, 0, 149);
    LineTo(dc, 159, 100);
    SetPixel(dc, 155, 5, 0xFF00FF);
    // A small picture blitted in, and text clipped to a rectangle.
    HDC source = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateBitmap32(8, 8);
    HBITMAP oldPicture = SelectBitmap(source, picture);
    PatBlt(source, 0, 0, 8, 8, WHITENESS);
    HBRUSH green = CreateSolidBrush(0x00A000);
    FillRect(source, {2, 2, 6, 6}, green);
    BitBlt(dc, 120, 80, 8, 8, source, 0, 0, SRCCOPY);
    StretchBlt(dc, 130, 80, 16, 24, source, 0, 0, 8, 8, SRCCOPY);
    SelectBitmap(source, oldPicture);
    DeleteBitmap(picture);
    DeleteDC(source);
    TLogFont lf;
    lf.Height = -14;
    lf.FaceName = "Liberation Sans";
    HFONT font = CreateFontIndirect(lf);
    HFONT oldFont = SelectFont(dc, font);
    SetTextColor(dc, 0x400000);
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, {0, 0, 160, 125});
    ExtTextOutW(dc, 60, 112, 0, nullptr, u"Metafile", nullptr);
    SelectClipRgn(dc, nullptr);
    SelectFont(dc, oldFont);
    SelectPen(dc, oldPen);
    SelectBrush(dc, oldBrush);
    DeleteFont(font);
    DeletePen(wide);
    DeletePen(dashed);
    DeleteBrush(teal);
    DeleteBrush(yellow);
    DeleteBrush(green);
}

TEST(EmfRecorderTest, PlayingARecordingDrawsTheSamePixels) {
    TestSupport::UseFixtureFonts();
    TSurface direct(160, 150), played(160, 150);
    DrawScene(direct.DC);
    // The frame of a 160 x 150 picture at 96 pixels per inch, in 0.01 mm.
    const TRect frame{0, 0, 160 * 2540 / 96, 150 * 2540 / 96};
    HDC recording = CreateEnhMetaFile(nullptr, &frame);
    DrawScene(recording);
    HENHMETAFILE emf = CloseEnhMetaFile(recording);
    ASSERT_NE(emf, nullptr);
    TEnhMetaHeader header;
    ASSERT_TRUE(GetEnhMetaFileHeader(emf, header));
    EXPECT_EQ(header.Frame, frame);
    EXPECT_LE(header.Bounds.Left, 5);
    EXPECT_GE(header.Bounds.Right, 155);
    PlayEnhMetaFile(played.DC, emf, {0, 0, 159, 149});
    const std::vector<std::uint32_t> a = direct.Pixels(), b = played.Pixels();
    int different = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        different += a[i] != b[i];
    EXPECT_EQ(different, 0);
    // The bytes make the same metafile again.
    const std::vector<std::uint8_t> bytes = GetEnhMetaFileBits(emf);
    HENHMETAFILE again = SetEnhMetaFileBits(bytes.data(), bytes.size());
    EXPECT_NE(again, nullptr);
    DeleteEnhMetaFile(again);
    DeleteEnhMetaFile(emf);
}

TEST(EmfRecorderTest, ARecordingOnlyPictureConvertsToAWindowsMetafileOfItsPixels) {
    const TRect frame{0, 0, 40 * 2540 / 96, 30 * 2540 / 96};
    HDC recording = CreateEnhMetaFile(nullptr, &frame);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRect(recording, {0, 0, 20, 30}, red);
    DeleteBrush(red);
    HENHMETAFILE emf = CloseEnhMetaFile(recording);
    const std::vector<std::uint8_t> wmf = GetWinMetaFileBits(emf, MM_ANISOTROPIC, nullptr);
    ASSERT_FALSE(wmf.empty());
    TSurface s(40, 30);
    PlayWinMetaFile(s.DC, wmf.data(), wmf.size(), {0, 0, 39, 29});
    EXPECT_EQ(s.At(5, 5), kRed);
    EXPECT_EQ(s.At(30, 5), kWhite);
    DeleteEnhMetaFile(emf);
}

}  // namespace
