// The metafile functions of the drawing layer: metafile objects, playback,
// conversion between the two formats and recording contexts.

#include "platform/Metafiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Bitmaps.h"
#include "platform/Screen.h"
#include "platform/metafile/EmfRecorder.h"
#include "platform/metafile/Playback.h"

namespace Platform {

class TEnhMetafileObject {
public:
    std::vector<std::uint8_t> Bytes;
};

namespace {

TByteReader View(HENHMETAFILE m) {
    return {m->Bytes.data(), m->Bytes.size()};
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.resize(out.size() + 2);
    StoreU16LE(out.data() + out.size() - 2, v);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.resize(out.size() + 4);
    StoreU32LE(out.data() + out.size() - 4, v);
}

// A Windows metafile holding one picture record with the pixels of a
// bitmap ([MS-WMF] 2.3.1.3 META_STRETCHDIB, 24 bits), drawn over a window
// of the bitmap's size.
std::vector<std::uint8_t> BitmapWmf(HBITMAP bitmap) {
    TBitmapInfo info;
    std::vector<std::uint8_t> out;
    if (!GetBitmapInfo(bitmap, info))
        return out;
    const std::int32_t w = info.Width, h = info.Height;
    const std::uint32_t stride = ((static_cast<std::uint32_t>(w) * 24 + 31) / 32) * 4;
    std::vector<std::uint8_t> records;
    auto record = [&](std::uint16_t function, const std::vector<std::uint16_t>& params) {
        Put32(records, static_cast<std::uint32_t>(3 + params.size()));
        Put16(records, function);
        for (std::uint16_t p : params)
            Put16(records, p);
    };
    record(0x0103, {8});                                                             // META_SETMAPMODE, MM_ANISOTROPIC
    record(0x020B, {0, 0});                                                          // META_SETWINDOWORG
    record(0x020C, {static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(w)});  // META_SETWINDOWEXT
    const std::uint32_t dibBytes = 40 + stride * static_cast<std::uint32_t>(h);
    Put32(records, (28 + dibBytes) / 2);
    Put16(records, 0x0F43);
    Put32(records, SRCCOPY);
    for (std::int32_t v : {0, h, w, 0, 0, h, w, 0, 0})
        Put16(records, static_cast<std::uint16_t>(v));  // usage, source h, w, y, x, dest h, w, y, x
    Put32(records, 40);
    Put32(records, static_cast<std::uint32_t>(w));
    Put32(records, static_cast<std::uint32_t>(h));
    Put16(records, 1);
    Put16(records, 24);
    for (int i = 0; i < 6; ++i)
        Put32(records, 0);
    for (std::int32_t y = h - 1; y >= 0; --y) {
        const std::size_t start = records.size();
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint32_t p = info.Bits[static_cast<std::size_t>(y) * w + x];
            records.push_back(static_cast<std::uint8_t>(p));
            records.push_back(static_cast<std::uint8_t>(p >> 8));
            records.push_back(static_cast<std::uint8_t>(p >> 16));
        }
        records.resize(start + stride, 0);
    }
    record(0x0000, {});  // META_EOF
    // [MS-WMF] 2.3.2.2 META_HEADER.
    Put16(out, 1);
    Put16(out, 9);
    Put16(out, 0x0300);
    Put32(out, static_cast<std::uint32_t>((18 + records.size()) / 2));
    Put16(out, 0);
    Put32(out, (28 + dibBytes) / 2);
    Put16(out, 0);
    out.insert(out.end(), records.begin(), records.end());
    return out;
}

}  // namespace

void GetReferenceDevice(HDC reference, TSize& pixels, TSize& millimeters) {
    (void)reference;
    const std::int32_t ppi = std::max(1, ScreenPixelsPerInch());
    pixels = {ppi * 20, ppi * 15};
    millimeters = {508, 381};
}

HENHMETAFILE SetEnhMetaFileBits(const void* data, std::size_t size) {
    if (data == nullptr)
        return nullptr;
    const TByteReader bytes{static_cast<const std::uint8_t*>(data), size};
    TEnhMetaHeader header;
    if (!Metafile::ReadEmfHeader(bytes, header))
        return nullptr;
    auto* m = new TEnhMetafileObject;
    m->Bytes.assign(bytes.Data(), bytes.Data() + size);
    return m;
}

void DeleteEnhMetaFile(HENHMETAFILE metafile) {
    delete metafile;
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile) {
    if (metafile == nullptr)
        return nullptr;
    auto* m = new TEnhMetafileObject;
    m->Bytes = metafile->Bytes;
    return m;
}

std::vector<std::uint8_t> GetEnhMetaFileBits(HENHMETAFILE metafile) {
    return metafile != nullptr ? metafile->Bytes : std::vector<std::uint8_t>{};
}

bool GetEnhMetaFileHeader(HENHMETAFILE metafile, TEnhMetaHeader& out) {
    return metafile != nullptr && Metafile::ReadEmfHeader(View(metafile), out);
}

// The palette of [MS-EMF] 2.3.4.1 EMR_EOF, found through the size of the
// last record that every record ends with.
int GetEnhMetaFilePaletteEntries(HENHMETAFILE metafile, int count, TPaletteEntry* out) {
    if (metafile == nullptr)
        return 0;
    const TByteReader b = View(metafile);
    TEnhMetaHeader h;
    if (!Metafile::ReadEmfHeader(b, h) || h.PaletteEntries == 0 || b.Size() < 20)
        return 0;
    const std::uint32_t last = b.U32LEAt(b.Size() - 4);
    if (last < 20 || last > b.Size())
        return 0;
    const std::size_t at = b.Size() - last;
    if (b.U32LEAt(at) != 14)
        return 0;
    const std::uint32_t entries = b.U32LEAt(at + 8), offset = b.U32LEAt(at + 12);
    if (entries == 0 || !b.HasAt(at + offset, static_cast<std::size_t>(entries) * 4) || offset > last)
        return 0;
    if (out != nullptr)
        for (std::uint32_t i = 0; i < entries && static_cast<int>(i) < count; ++i) {
            const std::size_t o = at + offset + i * 4;
            out[i] = {b.U8At(o), b.U8At(o + 1), b.U8At(o + 2), b.U8At(o + 3)};
        }
    return static_cast<int>(std::min<std::uint32_t>(entries, 0x7FFFFFFF));
}

bool PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const TRect& rect) {
    if (dc == nullptr || metafile == nullptr)
        return false;
    Metafile::PlayEmf(dc, View(metafile), {rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1});
    return true;
}

bool PlayWinMetaFile(HDC dc, const void* data, std::size_t size, const TRect& rect) {
    if (dc == nullptr || data == nullptr)
        return false;
    Metafile::PlayWmf(dc, {static_cast<const std::uint8_t*>(data), size},
                      {rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1});
    return true;
}

HENHMETAFILE SetWinMetaFileBits(const void* data, std::size_t size, HDC reference, const TMetafilePict* pict) {
    if (data == nullptr)
        return nullptr;
    const TByteReader wmf{static_cast<const std::uint8_t*>(data), size};
    if (wmf.U32LEAt(0) == Metafile::kPlaceableKey || !Metafile::IsWindowsMetafile(wmf))
        return nullptr;
    TSize pixels, mm;
    GetReferenceDevice(reference, pixels, mm);
    // The picture's size: the description's for the scalable modes, else a
    // default of one inch square.
    std::int32_t width = 2540, height = 2540;
    if (pict != nullptr && (pict->Mode == MM_ANISOTROPIC || pict->Mode == MM_ISOTROPIC) && pict->Width > 0 &&
        pict->Height > 0) {
        width = pict->Width;
        height = pict->Height;
    }
    const TRect frame{0, 0, width, height};
    const auto px = [](std::int32_t v, std::int32_t p, std::int32_t m) {
        return std::max<std::int32_t>(1, static_cast<std::int32_t>(static_cast<std::int64_t>(v) * p / (m * 100)));
    };
    const std::int32_t w = px(width, pixels.cx, mm.cx), h = px(height, pixels.cy, mm.cy);
    HDC recording = CreateEnhMetaFile(reference, &frame);
    auto* recorder = static_cast<Metafile::TEmfRecorder*>(recording->Recorder);
    recorder->AddWindowsMetafile(wmf.Data(), wmf.Size());
    Metafile::PlayWmf(recording, wmf, {0, 0, w, h});
    return CloseEnhMetaFile(recording);
}

std::vector<std::uint8_t> GetWinMetaFileBits(HENHMETAFILE metafile, int mapMode, HDC reference) {
    (void)mapMode;
    if (metafile == nullptr)
        return {};
    TByteReader wmf;
    if (Metafile::FindEmbeddedWmf(View(metafile), wmf))
        return {wmf.Data(), wmf.Data() + wmf.Size()};
    // A picture recorded as enhanced metafile only: its pixels at the
    // reference device's resolution, within 16 million pixels.
    TEnhMetaHeader h;
    if (!GetEnhMetaFileHeader(metafile, h))
        return {};
    TSize pixels, mm;
    GetReferenceDevice(reference, pixels, mm);
    double w = std::max(1.0, static_cast<double>(h.Frame.Right - h.Frame.Left) * pixels.cx / (mm.cx * 100.0));
    double hh = std::max(1.0, static_cast<double>(h.Frame.Bottom - h.Frame.Top) * pixels.cy / (mm.cy * 100.0));
    const double limit = 16.0 * 1024 * 1024;
    if (w * hh > limit) {
        const double f = std::sqrt(limit / (w * hh));
        w *= f;
        hh *= f;
    }
    const auto iw = static_cast<std::int32_t>(std::min(w, 32767.0));
    const auto ih = static_cast<std::int32_t>(std::min(hh, 32767.0));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(iw, ih);
    HBITMAP old = SelectBitmap(dc, bitmap);
    PatBlt(dc, 0, 0, iw, ih, WHITENESS);
    PlayEnhMetaFile(dc, metafile, {0, 0, iw - 1, ih - 1});
    SelectBitmap(dc, old);
    DeleteDC(dc);
    std::vector<std::uint8_t> out = BitmapWmf(bitmap);
    DeleteBitmap(bitmap);
    return out;
}

HDC CreateEnhMetaFile(HDC reference, const TRect* frame) {
    TSize pixels, mm;
    GetReferenceDevice(reference, pixels, mm);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectBitmap(dc, nullptr);
    dc->Recorder = new Metafile::TEmfRecorder(pixels, mm, frame);
    return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC recording) {
    if (recording == nullptr || recording->Recorder == nullptr)
        return nullptr;
    auto* recorder = static_cast<Metafile::TEmfRecorder*>(recording->Recorder);
    auto* m = new TEnhMetafileObject;
    m->Bytes = recorder->Finish();
    DeleteDC(recording);
    return m;
}

}  // namespace Platform
