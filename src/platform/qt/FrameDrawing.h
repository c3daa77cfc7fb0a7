#pragma once

#include <cstdint>

#include "platform/DeviceContexts.h"

// What the frame parts this layer paints itself (the menu bar, popup menus,
// scroll bars) share: a device context on a top-level window's surface and
// the fills, frames and glyphs they are drawn with.
namespace Platform {

// Published system colour indexes more than one frame part is painted in.
constexpr int kColorBtnShadow = 16;
constexpr int kColorGrayText = 17;

// A memory device context with a window's surface selected, released on
// every path out of the painting code.
class TSurfaceDC {
public:
    explicit TSurfaceDC(HBITMAP surface);
    ~TSurfaceDC();
    TSurfaceDC(const TSurfaceDC&) = delete;
    TSurfaceDC& operator=(const TSurfaceDC&) = delete;

    operator HDC() const { return Dc; }

private:
    HDC Dc = nullptr;
};

// A rectangle filled, or framed one pixel wide, in a system colour.
void FillSysColor(HDC dc, const TRect& rect, int sysColor);
void FrameSysColor(HDC dc, const TRect& rect, int sysColor);
// A polygon filled and outlined in one colour (arrows, check marks); the
// device's pen and brush are put back afterwards.
void FillPolygon(HDC dc, const TPoint* points, int count, TColorRef color);

}  // namespace Platform
