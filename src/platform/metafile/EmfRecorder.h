#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cairo/GdiObjects.h"

// The enhanced-metafile recorder: a recording context's drawing calls
// become [MS-EMF] records in device units (the context has no mapping of
// its own). The objects, colours, modes and clip of the moment are written
// before each drawing record whenever they changed since the last one.
namespace Platform::Metafile {

class TEmfRecorder : public TDcRecorder {
public:
    TEmfRecorder(TSize devicePixels, TSize deviceMm, const TRect* frame);
    ~TEmfRecorder() override;
    TEmfRecorder(const TEmfRecorder&) = delete;
    TEmfRecorder& operator=(const TEmfRecorder&) = delete;

    // The public comment that carries a Windows metafile ([MS-EMF]
    // 2.3.3.4.3); written first, right after the header.
    void AddWindowsMetafile(const std::uint8_t* data, std::size_t size);
    // The finished metafile: header, records and the end record.
    std::vector<std::uint8_t> Finish();

    void FillRect(TDeviceContext& dc, const TRect& rect, TBrushObject* brush) override;
    void PatBlt(TDeviceContext& dc, const TRect& rect, std::uint32_t rop) override;
    void LineTo(TDeviceContext& dc, TPoint from, TPoint to) override;
    void Polyline(TDeviceContext& dc, const TPoint* points, int count) override;
    void PolyPolygon(TDeviceContext& dc, const TPoint* points, const int* counts, int polygons, int fillMode) override;
    void Rectangle(TDeviceContext& dc, const TRect& rect) override;
    void SetPixel(TDeviceContext& dc, std::int32_t x, std::int32_t y, TColorRef color) override;
    void FillRgn(TDeviceContext& dc, TRegionObject* region, TBrushObject* brush) override;
    void Text(TDeviceContext& dc,
              std::int32_t x,
              std::int32_t y,
              std::uint32_t options,
              const TRect* rect,
              const std::u32string& characters,
              const std::vector<std::int32_t>& advances) override;
    void Blit(TDeviceContext& dc,
              const TRect& dest,
              TDeviceContext* source,
              const TRect& sourceRect,
              TBitmapObject* mask,
              TPoint maskOrigin,
              std::uint32_t rop) override;

private:
    struct TRecord;
    void Sync(TDeviceContext& dc, bool pen, bool brush, bool font);
    void SyncBrush(TDeviceContext& dc, TBrushObject* brush);
    void SyncClip(TDeviceContext& dc);
    void Extend(const TRect& r);
    void WritePatBlt(const TRect& rect, std::uint32_t rop);
    void Append(const std::vector<std::uint8_t>& record);

    TSize Pixels;
    TSize Millimeters;
    bool HaveFrame = false;
    TRect Frame;
    std::vector<std::uint8_t> Body;
    std::uint32_t Records = 0;
    TRect Bounds{0, 0, -1, -1};
    bool Empty = true;

    // What the playing context holds, as written so far.
    bool PenKnown = false;
    TColorRef PenColor = 0;
    std::int32_t PenWidth = 0;
    int PenStyle = 0;
    bool PenFlat = false;
    bool BrushKnown = false;
    bool BrushHollow = false;
    TColorRef BrushColor = 0;
    const TBitmapObject* BrushPattern = nullptr;
    std::uint32_t BrushPatternStamp = 0;
    // The pixels of the pattern last written, to know it when it comes again.
    std::vector<std::uint32_t> BrushPatternPixels;
    TSize BrushPatternSize;
    bool BrushPatternMono = false;
    bool FontKnown = false;
    TLogFont Font;
    TColorRef TextColor = 0;
    TColorRef BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    std::uint32_t TextAlign = 0;
    int FillMode = ALTERNATE;
    cairo_region_t* Clip = nullptr;  // a copy of the clip last written; null for none
};

}  // namespace Platform::Metafile
