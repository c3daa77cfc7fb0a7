#include "platform/qt/FrameDrawing.h"

#include "platform/Screen.h"

namespace Platform {

TSurfaceDC::TSurfaceDC(HBITMAP surface) : Dc(CreateCompatibleDC(nullptr)) {
    SelectBitmap(Dc, surface);
}

TSurfaceDC::~TSurfaceDC() {
    SelectBitmap(Dc, nullptr);
    DeleteDC(Dc);
}

void FillSysColor(HDC dc, const TRect& rect, int sysColor) {
    HBRUSH brush = CreateSolidBrush(GetSysColor(sysColor));
    FillRect(dc, rect, brush);
    DeleteBrush(brush);
}

void FrameSysColor(HDC dc, const TRect& rect, int sysColor) {
    HBRUSH brush = CreateSolidBrush(GetSysColor(sysColor));
    FrameRect(dc, rect, brush);
    DeleteBrush(brush);
}

void FillPolygon(HDC dc, const TPoint* points, int count, TColorRef color) {
    HBRUSH brush = CreateSolidBrush(color);
    HPEN pen = CreatePen(color, 1);
    HBRUSH oldBrush = SelectBrush(dc, brush);
    HPEN oldPen = SelectPen(dc, pen);
    Polygon(dc, points, count);
    SelectBrush(dc, oldBrush);
    SelectPen(dc, oldPen);
    DeleteBrush(brush);
    DeletePen(pen);
}

}  // namespace Platform
