#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Metafiles.h"
#include "platform/Palettes.h"
#include "platform/Regions.h"
#include "platform/metafile/Dibs.h"

// The playback state machine shared by the EMF and WMF players: the
// drawing state a metafile's records change (mapping, transforms, objects,
// colours, modes, the current position, the path, the clip) and the
// drawing operations, which turn logical coordinates into device pixels
// and draw through the device-context layer.
namespace Platform::Metafile {

struct TPointD {
    double X = 0;
    double Y = 0;
};

// An affine transform: x' = x M11 + y M21 + Dx, y' = x M12 + y M22 + Dy
// (the XForm object of [MS-EMF] 2.2.28).
struct TXForm {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
    TPointD Apply(TPointD p) const { return {p.X * M11 + p.Y * M21 + Dx, p.X * M12 + p.Y * M22 + Dy}; }
};
// first, then second.
TXForm Compose(const TXForm& first, const TXForm& second);

// Brush styles ([MS-WMF] 2.1.1.4) and hatch styles.
enum : int { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6 };

struct TLogPen {
    int Style = PS_SOLID;
    double Width = 0;      // logical units; 0 draws one pixel
    bool Cosmetic = true;  // always one pixel wide
    bool FlatEnds = false;
    TColorRef Color = 0;
};

struct TLogBrush {
    int Style = BS_SOLID;
    TColorRef Color = 0xFFFFFF;
    int Hatch = 0;
    std::shared_ptr<TDecodedDib> Pattern;
};

struct TLogFontRecord {
    TLogFont Font;  // Height and Width in logical units
};

struct TGdiRecordObject {
    enum TKind { okNone, okPen, okBrush, okFont, okPalette, okRegion } Kind = okNone;
    TLogPen Pen;
    TLogBrush Brush;
    TLogFontRecord Font;
    std::vector<TPaletteEntry> Palette;
    std::vector<TRect> Region;  // logical rectangles
};

// A closed or open figure of a path or shape, in device pixels.
struct TFigure {
    std::vector<TPointD> Points;
    bool Closed = false;
};

struct TDcState {
    int MapMode = MM_TEXT;
    TPointD WindowOrg, ViewportOrg;
    TPointD WindowExt{1, 1}, ViewportExt{1, 1};
    TXForm World;
    TLogPen Pen;
    TLogBrush Brush;
    TLogFontRecord Font;
    TColorRef TextColor = 0;
    TColorRef BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    int PolyFillMode = ALTERNATE;
    int StretchMode = BLACKONWHITE;
    std::uint32_t TextAlign = 0;
    TPointD Position;  // logical
    bool Clockwise = false;
    std::vector<TRect> Clip;  // device pixels, when HasClip
    bool HasClip = false;
    std::vector<TPaletteEntry> Palette;
};

class TPlayer {
public:
    // toDevice maps the metafile's device space (pixels of its reference
    // device) to the target context; referencePixels and referenceMm
    // describe that device for the fixed mapping modes.
    TPlayer(HDC dc, const TXForm& toDevice, TSize referencePixels, TSize referenceMm);
    ~TPlayer();
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    // The window and viewport of a Windows metafile: the window is the
    // file's, the viewport fixed to the target rectangle.
    void FixViewport(const TRect& target);
    // The rectangle the picture is played into: fills are made only where
    // it meets the surface, so their work follows what can be seen.
    void SetDestination(const TRect& target);

    TDcState S;

    // Objects.
    void SetObjectCount(std::size_t count);
    // WMF: the lowest free slot; -1 when the table is full.
    int FreeSlot() const;
    std::size_t ObjectCount() const { return Objects.size(); }
    void StoreObject(std::size_t index, TGdiRecordObject object);
    void SelectObject(std::size_t index);
    void SelectStockObject(std::uint32_t stock);
    void DeleteObject(std::size_t index);
    const TGdiRecordObject* Object(std::size_t index) const;

    // Mapping.
    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetWindowExt(double x, double y);
    void SetViewportOrg(double x, double y);
    void SetViewportExt(double x, double y);
    void ScaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void ScaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void SetWorldTransform(const TXForm& x) { S.World = x; }
    void ModifyWorldTransform(const TXForm& x, int mode);
    TXForm LogicalToDevice() const;
    TPointD ToDevice(TPointD p) const;

    // The saved states.
    void SaveDC();
    void RestoreDC(int which);

    // Drawing (logical coordinates).
    void MoveTo(TPointD p);
    void LineTo(TPointD p);
    void Polyline(const std::vector<TPointD>& points, bool fromPosition);
    void PolyBezier(const std::vector<TPointD>& points, bool fromPosition);
    void PolyDraw(const std::vector<TPointD>& points, const std::vector<std::uint8_t>& types);
    void PolyPolyline(const std::vector<std::vector<TPointD>>& lines);
    void PolyPolygon(const std::vector<std::vector<TPointD>>& polygons);
    void Rectangle(double l, double t, double r, double b);
    void RoundRect(double l, double t, double r, double b, double cw, double ch);
    void Ellipse(double l, double t, double r, double b);
    enum TArcKind { akArc, akArcTo, akChord, akPie };
    void Arc(double l, double t, double r, double b, TPointD start, TPointD end, TArcKind kind);
    void AngleArc(TPointD centre, double radius, double start, double sweep);
    void SetPixel(TPointD p, TColorRef color);
    void PatBlt(double l, double t, double w, double h, std::uint32_t rop);

    // Paths.
    void BeginPath();
    void EndPath() { InPath = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(int mode);

    // Regions and clipping. Device rectangles are in the metafile's device space.
    void IntersectClipRect(double l, double t, double r, double b);
    void ExcludeClipRect(double l, double t, double r, double b);
    void OffsetClip(double dx, double dy);
    void SelectClipDeviceRects(const std::vector<TRect>& rects, int mode, bool none);
    void SelectClipLogicalRects(const std::vector<TRect>& rects);
    void FillRegion(const std::vector<TRect>& rects, const TLogBrush& brush);
    void FrameRegion(const std::vector<TRect>& rects, const TLogBrush& brush, double w, double h);
    void InvertRegion(const std::vector<TRect>& rects);

    // Text: a reference point, UTF-16 or byte text, advances in logical units.
    void Text(TPointD reference,
              const std::u16string* wide,
              const std::string* bytes,
              const std::vector<double>& advances,
              std::uint32_t options,
              const TRect* logicalRect);

    // Bitmaps: the destination in logical units, the source rectangle in the
    // bitmap's pixels (top-down), a raster operation.
    void DrawDib(double x,
                 double y,
                 double w,
                 double h,
                 const TDecodedDib& dib,
                 double sx,
                 double sy,
                 double sw,
                 double sh,
                 std::uint32_t rop);
    void AlphaDib(double x,
                  double y,
                  double w,
                  double h,
                  const TDecodedDib& dib,
                  double sx,
                  double sy,
                  double sw,
                  double sh,
                  std::uint8_t constantAlpha,
                  bool perPixel);
    void TransparentDib(double x,
                        double y,
                        double w,
                        double h,
                        const TDecodedDib& dib,
                        double sx,
                        double sy,
                        double sw,
                        double sh,
                        TColorRef key);
    void MaskDib(double x,
                 double y,
                 double w,
                 double h,
                 const TDecodedDib& dib,
                 double sx,
                 double sy,
                 const TDecodedDib& mask,
                 double mx,
                 double my,
                 std::uint32_t rop4);
    void GradientRect(double l, double t, double r, double b, TColorRef from, TColorRef to, bool vertical);
    void GradientTriangle(const TPointD* points, const TColorRef* colors);

    const TSize& ReferencePixels() const { return RefPixels; }

    // Safety limits for damaged files.
    static constexpr std::size_t kMaxObjects = 65536;
    static constexpr std::size_t kMaxSaved = 1024;
    static constexpr std::size_t kMaxPathPoints = 1 << 22;

private:
    void FillFigures(const std::vector<TFigure>& figures, const TLogBrush& brush, int fillMode);
    void StrokeFigures(const std::vector<TFigure>& figures);
    void Shape(std::vector<TFigure> figures, bool fill);
    void AddToPath(const TFigure& figure, bool continues);
    void ApplyClip();
    std::vector<TRect> DeviceRects(const std::vector<TRect>& logical) const;
    void CombineClip(const std::vector<TRect>& rects, int mode);
    HBRUSH MakeBrush(const TLogBrush& brush);
    HFONT RealizeFont(double& angleOut);
    double PenWidthDevice() const;
    double Scale() const;
    std::vector<TPointD> EllipsePoints(double l, double t, double r, double b, double a0, double a1, bool full) const;
    void BlitBitmap(HBITMAP bitmap, const TRect& dest, TRect source, std::uint32_t rop);
    bool ShownPart(const TDecodedDib& dib,
                   const TRect& dest,
                   double& sx,
                   double& sy,
                   double& sw,
                   double& sh,
                   TDecodedDib& part) const;
    TRect DeviceBox(double x, double y, double w, double h) const;

    HDC DC;
    TXForm Playback;
    TSize RefPixels;
    TSize RefMm;
    bool Fixed = false;
    TRect FixedTarget;
    std::vector<TDcState> Saved;
    std::vector<TGdiRecordObject> Objects;
    bool InPath = false;
    std::vector<TFigure> Path;
    std::size_t PathPoints = 0;
    // What the context had when playback began, given back at the end.
    HRGN EntryClip = nullptr;
    bool HadEntryClip = false;
    TRect Surface;
    TRect Destination;
    TColorRef EntryText = 0, EntryBack = 0;
    int EntryBkMode = OPAQUE, EntryRop2 = R2_COPYPEN, EntryStretch = BLACKONWHITE;
    std::uint32_t EntryAlign = 0;
    std::map<std::string, HFONT> Fonts;
    // The bitmap of the pattern brush used last (kept alive with it).
    std::shared_ptr<TDecodedDib> PatternDib;
    bool PatternMono = false;
    HBITMAP PatternBitmap = nullptr;
};

}  // namespace Platform::Metafile
