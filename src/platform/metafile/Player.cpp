#include "platform/metafile/Player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Bitmaps.h"

namespace Platform::Metafile {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Device coordinates are kept within this reach before they become pixels,
// so absurd coordinates in a damaged file cost no more than large ones.
constexpr double kReach = 1 << 24;

std::int32_t Px(double v) {
    if (!std::isfinite(v))
        return 0;
    return static_cast<std::int32_t>(std::lround(std::clamp(v, -kReach, kReach)));
}

TPoint ToPoint(TPointD p) {
    return {Px(p.X), Px(p.Y)};
}

HRGN RectsToRegion(const std::vector<TRect>& rects) {
    return CreateRectsRgn(rects.data(), static_cast<int>(rects.size()));
}

// The hatch patterns of [MS-WMF] 2.1.1.12 HatchStyle on an 8 x 8 cell.
bool HatchPixel(int hatch, int x, int y) {
    switch (hatch) {
        case 0:
            return y == 7;
        case 1:
            return x == 7;
        case 2:
            return x == y;
        case 3:
            return x + y == 7;
        case 4:
            return y == 7 || x == 7;
        case 5:
            return x == y || x + y == 7;
        default:
            return false;
    }
}

// A memory context holding a new 32-bit bitmap.
struct TScratch {
    TScratch(std::int32_t w, std::int32_t h) {
        DC = CreateCompatibleDC(nullptr);
        Bitmap = CreateBitmap32(std::max(1, w), std::max(1, h));
        Old = SelectBitmap(DC, Bitmap);
        TBitmapInfo info;
        GetBitmapInfo(Bitmap, info);
        Bits = info.Bits;
        W = info.Width;
        H = info.Height;
    }
    ~TScratch() {
        SelectBitmap(DC, Old);
        DeleteBitmap(Bitmap);
        DeleteDC(DC);
    }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;
    HDC DC = nullptr;
    HBITMAP Bitmap = nullptr;
    HBITMAP Old = nullptr;
    std::uint32_t* Bits = nullptr;
    std::int32_t W = 0, H = 0;
};

std::uint32_t Blend(std::uint32_t d, std::uint32_t s, std::uint32_t a, bool premultiplied) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
        std::uint32_t v = premultiplied ? std::min<std::uint32_t>(255, sc + dc * (255 - a) / 255)
                                        : (sc * a + dc * (255 - a) + 127) / 255;
        out |= v << shift;
    }
    return out;
}

// Sutherland-Hodgman clipping of one closed contour against a rectangle:
// inside the rectangle the contour winds as before, so fills under either
// rule keep their pixels there.
std::vector<TPointD> ClipContour(const std::vector<TPointD>& in, double l, double t, double r, double b) {
    std::vector<TPointD> points = in;
    auto edge = [&](auto inside, auto cross) {
        std::vector<TPointD> out;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TPointD& p = points[i];
            const TPointD& q = points[(i + 1) % points.size()];
            const bool pi = inside(p), qi = inside(q);
            if (pi)
                out.push_back(p);
            if (pi != qi)
                out.push_back(cross(p, q));
        }
        points.swap(out);
    };
    auto atX = [](const TPointD& p, const TPointD& q, double x) {
        const double k = (x - p.X) / (q.X - p.X);
        return TPointD{x, p.Y + k * (q.Y - p.Y)};
    };
    auto atY = [](const TPointD& p, const TPointD& q, double y) {
        const double k = (y - p.Y) / (q.Y - p.Y);
        return TPointD{p.X + k * (q.X - p.X), y};
    };
    edge([&](const TPointD& p) { return p.X >= l; }, [&](const TPointD& p, const TPointD& q) { return atX(p, q, l); });
    edge([&](const TPointD& p) { return p.X <= r; }, [&](const TPointD& p, const TPointD& q) { return atX(p, q, r); });
    edge([&](const TPointD& p) { return p.Y >= t; }, [&](const TPointD& p, const TPointD& q) { return atY(p, q, t); });
    edge([&](const TPointD& p) { return p.Y <= b; }, [&](const TPointD& p, const TPointD& q) { return atY(p, q, b); });
    return points;
}

// Liang-Barsky clipping of a segment against a rectangle; false when none
// of it is inside.
bool ClipSegment(TPointD& a, TPointD& b, double l, double t, double r, double bottom) {
    double t0 = 0, t1 = 1;
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.X - l, r - a.X, a.Y - t, bottom - a.Y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double k = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, k);
        else
            t1 = std::min(t1, k);
        if (t0 > t1)
            return false;
    }
    const TPointD start{a.X + t0 * dx, a.Y + t0 * dy}, end{a.X + t1 * dx, a.Y + t1 * dy};
    a = start;
    b = end;
    return true;
}

// Shapes reaching this far beyond the surface are clipped before they
// become pixels, so huge coordinates cost no more than the surface does.
constexpr double kMargin = 4096;

}  // namespace

TXForm Compose(const TXForm& a, const TXForm& b) {
    TXForm r;
    r.M11 = a.M11 * b.M11 + a.M12 * b.M21;
    r.M12 = a.M11 * b.M12 + a.M12 * b.M22;
    r.M21 = a.M21 * b.M11 + a.M22 * b.M21;
    r.M22 = a.M21 * b.M12 + a.M22 * b.M22;
    r.Dx = a.Dx * b.M11 + a.Dy * b.M21 + b.Dx;
    r.Dy = a.Dx * b.M12 + a.Dy * b.M22 + b.Dy;
    return r;
}

TPlayer::TPlayer(HDC dc, const TXForm& toDevice, TSize referencePixels, TSize referenceMm)
    : DC(dc), Playback(toDevice), RefPixels(referencePixels), RefMm(referenceMm) {
    if (RefPixels.cx <= 0 || RefPixels.cy <= 0)
        RefPixels = {1920, 1080};
    if (RefMm.cx <= 0 || RefMm.cy <= 0)
        RefMm = {508, 286};
    EntryClip = CreateRectRgn(0, 0, 0, 0);
    HadEntryClip = GetClipRgn(DC, EntryClip) == 1;
    GetClipBox(DC, Surface);
    Destination = Surface;
    EntryText = GetTextColor(DC);
    EntryBack = GetBkColor(DC);
    EntryBkMode = SetBkMode(DC, OPAQUE);
    EntryRop2 = SetROP2(DC, R2_COPYPEN);
    EntryStretch = GetStretchBltMode(DC);
    EntryAlign = SetTextAlign(DC, 0);
}

TPlayer::~TPlayer() {
    SelectClipRgn(DC, HadEntryClip ? EntryClip : nullptr);
    DeleteRegion(EntryClip);
    SetTextColor(DC, EntryText);
    SetBkColor(DC, EntryBack);
    if (EntryBkMode != 0)
        SetBkMode(DC, EntryBkMode);
    if (EntryRop2 != 0)
        SetROP2(DC, EntryRop2);
    if (EntryStretch != 0)
        SetStretchBltMode(DC, EntryStretch);
    SetTextAlign(DC, EntryAlign);
    for (auto& [key, font] : Fonts)
        DeleteFont(font);
    DeleteBitmap(PatternBitmap);
}

void TPlayer::SetDestination(const TRect& target) {
    // A pixel of room each way for rounding at the edges of the picture.
    const TRect grown{std::min(target.Left, target.Right) - 1, std::min(target.Top, target.Bottom) - 1,
                      std::max(target.Left, target.Right) + 1, std::max(target.Top, target.Bottom) + 1};
    Destination = {std::max(Surface.Left, grown.Left), std::max(Surface.Top, grown.Top),
                   std::min(Surface.Right, grown.Right), std::min(Surface.Bottom, grown.Bottom)};
}

void TPlayer::FixViewport(const TRect& target) {
    SetDestination(target);
    Fixed = true;
    FixedTarget = target;
}

// ---------------------------------------------------------------------------
// Objects

void TPlayer::SetObjectCount(std::size_t count) {
    Objects.assign(std::min(count, kMaxObjects), TGdiRecordObject{});
}

int TPlayer::FreeSlot() const {
    for (std::size_t i = 0; i < Objects.size(); ++i)
        if (Objects[i].Kind == TGdiRecordObject::okNone)
            return static_cast<int>(i);
    return -1;
}

void TPlayer::StoreObject(std::size_t index, TGdiRecordObject object) {
    if (index >= kMaxObjects)
        return;
    if (index >= Objects.size())
        Objects.resize(index + 1);
    Objects[index] = std::move(object);
}

const TGdiRecordObject* TPlayer::Object(std::size_t index) const {
    return index < Objects.size() ? &Objects[index] : nullptr;
}

void TPlayer::SelectObject(std::size_t index) {
    const TGdiRecordObject* o = Object(index);
    if (o == nullptr)
        return;
    switch (o->Kind) {
        case TGdiRecordObject::okPen:
            S.Pen = o->Pen;
            break;
        case TGdiRecordObject::okBrush:
            S.Brush = o->Brush;
            break;
        case TGdiRecordObject::okFont:
            S.Font = o->Font;
            break;
        case TGdiRecordObject::okPalette:
            S.Palette = o->Palette;
            break;
        case TGdiRecordObject::okRegion:
            SelectClipLogicalRects(o->Region);
            break;
        default:
            break;
    }
}

// The stock objects of [MS-EMF] 2.1.31 StockObject, without the top bit.
void TPlayer::SelectStockObject(std::uint32_t stock) {
    switch (stock & 0x7FFFFFFF) {
        case 0:
            S.Brush = {BS_SOLID, 0xFFFFFF};
            break;
        case 1:
            S.Brush = {BS_SOLID, 0xC0C0C0};
            break;
        case 2:
            S.Brush = {BS_SOLID, 0x808080};
            break;
        case 3:
            S.Brush = {BS_SOLID, 0x404040};
            break;
        case 4:
            S.Brush = {BS_SOLID, 0};
            break;
        case 5:
            S.Brush = {BS_NULL, 0};
            break;
        case 6:
            S.Pen = {PS_SOLID, 0, true, false, 0xFFFFFF};
            break;
        case 7:
            S.Pen = {PS_SOLID, 0, true, false, 0};
            break;
        case 8:
            S.Pen = {PS_NULL, 0, true, false, 0};
            break;
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 16:
        case 17:
            S.Font = TLogFontRecord{};
            break;
        case 15:
            S.Palette.clear();
            break;
        default:
            break;
    }
}

void TPlayer::DeleteObject(std::size_t index) {
    if (index < Objects.size())
        Objects[index] = TGdiRecordObject{};
}

// ---------------------------------------------------------------------------
// Mapping

void TPlayer::SetMapMode(int mode) {
    if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC)
        S.MapMode = mode;
}

void TPlayer::SetWindowOrg(double x, double y) {
    S.WindowOrg = {x, y};
}

void TPlayer::SetWindowExt(double x, double y) {
    if (x != 0 && y != 0)
        S.WindowExt = {x, y};
}

void TPlayer::SetViewportOrg(double x, double y) {
    S.ViewportOrg = {x, y};
}

void TPlayer::SetViewportExt(double x, double y) {
    if (x != 0 && y != 0)
        S.ViewportExt = {x, y};
}

void TPlayer::ScaleWindowExt(double xNum, double xDen, double yNum, double yDen) {
    if (xNum != 0 && xDen != 0 && yNum != 0 && yDen != 0)
        S.WindowExt = {S.WindowExt.X * xNum / xDen, S.WindowExt.Y * yNum / yDen};
}

void TPlayer::ScaleViewportExt(double xNum, double xDen, double yNum, double yDen) {
    if (xNum != 0 && xDen != 0 && yNum != 0 && yDen != 0)
        S.ViewportExt = {S.ViewportExt.X * xNum / xDen, S.ViewportExt.Y * yNum / yDen};
}

// [MS-EMF] 2.3.12.2 EMR_MODIFYWORLDTRANSFORM modes: identity, left
// multiply (the new transform first), right multiply, set.
void TPlayer::ModifyWorldTransform(const TXForm& x, int mode) {
    switch (mode) {
        case 1:
            S.World = TXForm{};
            break;
        case 2:
            S.World = Compose(x, S.World);
            break;
        case 3:
            S.World = Compose(S.World, x);
            break;
        case 4:
            S.World = x;
            break;
        default:
            break;
    }
}

TXForm TPlayer::LogicalToDevice() const {
    double sx = 1, sy = 1;
    TPointD vOrg = S.ViewportOrg;
    TPointD wOrg = S.WindowOrg;
    if (Fixed) {
        // A Windows metafile: its window is fitted to the target rectangle.
        sx = (FixedTarget.Right - FixedTarget.Left) / S.WindowExt.X;
        sy = (FixedTarget.Bottom - FixedTarget.Top) / S.WindowExt.Y;
        vOrg = {static_cast<double>(FixedTarget.Left), static_cast<double>(FixedTarget.Top)};
    } else {
        const double pxPerMmX = static_cast<double>(RefPixels.cx) / RefMm.cx;
        const double pxPerMmY = static_cast<double>(RefPixels.cy) / RefMm.cy;
        double unit = 0;
        switch (S.MapMode) {
            case MM_LOMETRIC:
                unit = 0.1;
                break;
            case MM_HIMETRIC:
                unit = 0.01;
                break;
            case MM_LOENGLISH:
                unit = 0.254;
                break;
            case MM_HIENGLISH:
                unit = 0.0254;
                break;
            case MM_TWIPS:
                unit = 25.4 / 1440;
                break;
            case MM_ISOTROPIC:
            case MM_ANISOTROPIC:
                sx = S.ViewportExt.X / S.WindowExt.X;
                sy = S.ViewportExt.Y / S.WindowExt.Y;
                if (S.MapMode == MM_ISOTROPIC) {
                    const double m = std::min(std::fabs(sx), std::fabs(sy));
                    sx = std::copysign(m, sx);
                    sy = std::copysign(m, sy);
                }
                break;
            default:
                break;
        }
        if (unit != 0) {
            sx = unit * pxPerMmX;
            sy = -unit * pxPerMmY;
        }
    }
    TXForm page;
    page.M11 = sx;
    page.M22 = sy;
    page.Dx = vOrg.X - wOrg.X * sx;
    page.Dy = vOrg.Y - wOrg.Y * sy;
    return Compose(Compose(S.World, page), Playback);
}

TPointD TPlayer::ToDevice(TPointD p) const {
    return LogicalToDevice().Apply(p);
}

double TPlayer::Scale() const {
    const TXForm t = LogicalToDevice();
    const double det = std::fabs(t.M11 * t.M22 - t.M12 * t.M21);
    return std::isfinite(det) ? std::sqrt(det) : 1;
}

// ---------------------------------------------------------------------------
// Saved states

void TPlayer::SaveDC() {
    if (Saved.size() < kMaxSaved)
        Saved.push_back(S);
}

// A negative number counts back from the newest saved state, a positive one
// is the state's number from the first.
void TPlayer::RestoreDC(int which) {
    std::size_t keep = 0;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(which));
        if (back > Saved.size())
            return;
        keep = Saved.size() - back;
    } else if (which > 0 && static_cast<std::size_t>(which) <= Saved.size()) {
        keep = static_cast<std::size_t>(which) - 1;
    } else {
        return;
    }
    S = Saved[keep];
    Saved.resize(keep);
    ApplyClip();
}

// ---------------------------------------------------------------------------
// Drawing helpers

HBRUSH TPlayer::MakeBrush(const TLogBrush& brush) {
    switch (brush.Style) {
        case BS_NULL:
            return nullptr;
        case BS_HATCHED: {
            HBITMAP cell = CreateBitmap32(8, 8);
            TBitmapInfo info;
            GetBitmapInfo(cell, info);
            const std::uint32_t ink = ColorRefToPixel(brush.Color);
            const std::uint32_t back = ColorRefToPixel(S.BkColor);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    info.Bits[y * 8 + x] = HatchPixel(brush.Hatch, x, y) ? ink : back;
            HBRUSH b = CreatePatternBrush(cell);
            DeleteBitmap(cell);
            return b;
        }
        case BS_PATTERN:
        case BS_DIBPATTERN:
        case BS_DIBPATTERNPT:
            if (brush.Pattern != nullptr) {
                // The bitmap of a pattern is made once for all the fills
                // that use it, however many records ask.
                const bool mono = brush.Style == BS_PATTERN;
                if (brush.Pattern != PatternDib || mono != PatternMono) {
                    DeleteBitmap(PatternBitmap);
                    PatternBitmap = BitmapFromDib(*brush.Pattern, mono);
                    PatternDib = brush.Pattern;
                    PatternMono = mono;
                }
                if (PatternBitmap != nullptr)
                    return CreatePatternBrush(PatternBitmap);
            }
            return CreateSolidBrush(brush.Color);
        default:
            return CreateSolidBrush(brush.Color & 0xFFFFFF);
    }
}

double TPlayer::PenWidthDevice() const {
    if (S.Pen.Cosmetic || S.Pen.Width <= 0)
        return 1;
    return std::max(1.0, S.Pen.Width * Scale());
}

void TPlayer::ApplyClip() {
    if (!S.HasClip) {
        SelectClipRgn(DC, HadEntryClip ? EntryClip : nullptr);
        return;
    }
    HRGN region = RectsToRegion(S.Clip);
    if (HadEntryClip)
        CombineRgn(region, region, EntryClip, RGN_AND);
    SelectClipRgn(DC, region);
    DeleteRegion(region);
}

void TPlayer::FillFigures(const std::vector<TFigure>& figures, const TLogBrush& brush, int fillMode) {
    if (brush.Style == BS_NULL || S.Rop2 == R2_NOP)
        return;
    std::vector<TPoint> points;
    std::vector<int> counts;
    const double l = Surface.Left - kMargin, t = Surface.Top - kMargin;
    const double r = Surface.Right + kMargin, bottom = Surface.Bottom + kMargin;
    for (const TFigure& f : figures) {
        if (f.Points.size() < 3)
            continue;
        bool far = false;
        for (const TPointD& p : f.Points)
            far |= !(p.X >= l && p.X <= r && p.Y >= t && p.Y <= bottom);
        const std::vector<TPointD> clipped = far ? ClipContour(f.Points, l, t, r, bottom) : f.Points;
        if (clipped.size() < 3)
            continue;
        for (const TPointD& p : clipped)
            points.push_back(ToPoint(p));
        counts.push_back(static_cast<int>(clipped.size()));
    }
    if (counts.empty())
        return;
    HBRUSH b = MakeBrush(brush);
    if (b == nullptr)
        return;
    SetTextColor(DC, S.TextColor);
    SetBkColor(DC, S.BkColor);
    HRGN region =
        CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()), fillMode, Destination);
    FillRgn(DC, region, b);
    DeleteRegion(region);
    DeleteBrush(b);
}

void TPlayer::StrokeFigures(const std::vector<TFigure>& figures) {
    if ((S.Pen.Style & 15) == PS_NULL || S.Rop2 == R2_NOP)
        return;
    int style = S.Pen.Style & 15;
    if (style == PS_INSIDEFRAME)
        style = PS_SOLID;
    else if (style > PS_INSIDEFRAME)
        style = PS_DOT;  // user-defined and alternate styles
    const auto width = static_cast<std::int32_t>(std::lround(PenWidthDevice()));
    HPEN pen = CreateStyledPen(S.Pen.Color & 0xFFFFFF, width, style, S.Pen.FlatEnds);
    HPEN old = SelectPen(DC, pen);
    SetROP2(DC, S.Rop2);
    std::vector<TPoint> points;
    const double l = Surface.Left - kMargin, t = Surface.Top - kMargin;
    const double r = Surface.Right + kMargin, bottom = Surface.Bottom + kMargin;
    for (const TFigure& f : figures) {
        if (f.Points.empty())
            continue;
        bool far = false;
        for (const TPointD& p : f.Points)
            far |= !(p.X >= l && p.X <= r && p.Y >= t && p.Y <= bottom);
        if (far) {
            // Piece by piece, each segment cut to what may be seen.
            const std::size_t n = f.Points.size();
            const std::size_t segments = f.Closed ? n : n - 1;
            for (std::size_t i = 0; i < segments; ++i) {
                TPointD a = f.Points[i], c = f.Points[(i + 1) % n];
                if (!ClipSegment(a, c, l, t, r, bottom))
                    continue;
                const TPoint piece[2] = {ToPoint(a), ToPoint(c)};
                Platform::Polyline(DC, piece, 2);
            }
            continue;
        }
        points.clear();
        for (const TPointD& p : f.Points)
            points.push_back(ToPoint(p));
        if (f.Closed)
            points.push_back(points.front());
        if (points.size() == 1)
            points.push_back(points.front());
        Platform::Polyline(DC, points.data(), static_cast<int>(points.size()));
    }
    SetROP2(DC, R2_COPYPEN);
    SelectPen(DC, old);
    DeletePen(pen);
}

void TPlayer::AddToPath(const TFigure& figure, bool continues) {
    if (PathPoints + figure.Points.size() > kMaxPathPoints)
        return;
    PathPoints += figure.Points.size();
    if (continues && !Path.empty() && !Path.back().Closed) {
        TFigure& last = Path.back();
        auto from = figure.Points.begin();
        if (!last.Points.empty() && from != figure.Points.end())
            ++from;  // the shared point is already there
        last.Points.insert(last.Points.end(), from, figure.Points.end());
        return;
    }
    Path.push_back(figure);
}

// A closed shape: into the path while one is open, else filled with the
// brush and outlined with the pen.
void TPlayer::Shape(std::vector<TFigure> figures, bool fill) {
    if (InPath) {
        for (const TFigure& f : figures)
            AddToPath(f, false);
        return;
    }
    if (fill)
        FillFigures(figures, S.Brush, S.PolyFillMode);
    StrokeFigures(figures);
}

std::vector<TPointD> TPlayer::EllipsePoints(double l, double t, double r, double b, double a0, double a1, bool full)
    const {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    const double circumference = 2 * kPi * std::max(rx, ry) * Scale();
    double sweep = a1 - a0;
    if (full) {
        sweep = 2 * kPi;
    }
    const int n =
        static_cast<int>(std::clamp(std::ceil(std::fabs(sweep) / (2 * kPi) * circumference / 3), 8.0, 1024.0));
    std::vector<TPointD> points;
    points.reserve(n + 1);
    // Angles run counter-clockwise as seen on the device: on a device whose
    // y axis points down, that is against the logical y axis unless the
    // mapping turned it over.
    const TXForm t2 = LogicalToDevice();
    const double flip = (t2.M11 * t2.M22 - t2.M12 * t2.M21) < 0 ? 1 : -1;
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + sweep * i / n;
        points.push_back(ToDevice({cx + rx * std::cos(a), cy + flip * ry * std::sin(a)}));
    }
    if (full)
        points.pop_back();
    return points;
}

// ---------------------------------------------------------------------------
// Lines and shapes

void TPlayer::MoveTo(TPointD p) {
    S.Position = p;
    if (InPath)
        Path.push_back(TFigure{{ToDevice(p)}, false});
}

void TPlayer::LineTo(TPointD p) {
    const TPointD from = S.Position;
    S.Position = p;
    if (InPath) {
        AddToPath(TFigure{{ToDevice(from), ToDevice(p)}, false}, true);
        return;
    }
    StrokeFigures({TFigure{{ToDevice(from), ToDevice(p)}, false}});
}

void TPlayer::Polyline(const std::vector<TPointD>& points, bool fromPosition) {
    TFigure f;
    if (fromPosition)
        f.Points.push_back(ToDevice(S.Position));
    for (const TPointD& p : points)
        f.Points.push_back(ToDevice(p));
    if (fromPosition && !points.empty())
        S.Position = points.back();
    if (InPath) {
        AddToPath(f, fromPosition);
        return;
    }
    if (f.Points.size() >= 2)
        StrokeFigures({f});
}

void TPlayer::PolyBezier(const std::vector<TPointD>& points, bool fromPosition) {
    std::vector<TPointD> control;
    if (fromPosition)
        control.push_back(S.Position);
    control.insert(control.end(), points.begin(), points.end());
    if (control.size() < 4)
        return;
    TFigure f;
    f.Points.push_back(ToDevice(control[0]));
    for (std::size_t i = 0; i + 3 < control.size(); i += 3) {
        const TPointD p0 = ToDevice(control[i]), p1 = ToDevice(control[i + 1]), p2 = ToDevice(control[i + 2]),
                      p3 = ToDevice(control[i + 3]);
        const double length = std::hypot(p1.X - p0.X, p1.Y - p0.Y) + std::hypot(p2.X - p1.X, p2.Y - p1.Y) +
                              std::hypot(p3.X - p2.X, p3.Y - p2.Y);
        const int n = static_cast<int>(std::clamp(std::ceil(length / 3), 2.0, 64.0));
        for (int k = 1; k <= n; ++k) {
            const double t = static_cast<double>(k) / n, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            f.Points.push_back({a * p0.X + b * p1.X + c * p2.X + d * p3.X, a * p0.Y + b * p1.Y + c * p2.Y + d * p3.Y});
        }
    }
    if (fromPosition)
        S.Position = control[control.size() - 1 - (control.size() - 1) % 3];
    if (InPath) {
        AddToPath(f, fromPosition);
        return;
    }
    StrokeFigures({f});
}

// [MS-EMF] 2.3.5.22 EMR_POLYDRAW: point types move-to (6), line-to (2),
// Bezier-to (4), each possibly closing the figure (1).
void TPlayer::PolyDraw(const std::vector<TPointD>& points, const std::vector<std::uint8_t>& types) {
    const bool wasInPath = InPath;
    if (!wasInPath)
        BeginPath();
    for (std::size_t i = 0; i < points.size() && i < types.size(); ++i) {
        const std::uint8_t type = types[i] & 6;
        if (type == 6) {
            MoveTo(points[i]);
        } else if (type == 4 && i + 2 < points.size()) {
            PolyBezier({points[i], points[i + 1], points[i + 2]}, true);
            i += 2;
        } else {
            LineTo(points[i]);
        }
        if (types[std::min(i, types.size() - 1)] & 1)
            CloseFigure();
    }
    if (!wasInPath) {
        EndPath();
        StrokePath();
    }
}

void TPlayer::PolyPolyline(const std::vector<std::vector<TPointD>>& lines) {
    for (const auto& line : lines)
        Polyline(line, false);
}

void TPlayer::PolyPolygon(const std::vector<std::vector<TPointD>>& polygons) {
    std::vector<TFigure> figures;
    for (const auto& polygon : polygons) {
        TFigure f;
        f.Closed = true;
        for (const TPointD& p : polygon)
            f.Points.push_back(ToDevice(p));
        figures.push_back(std::move(f));
    }
    Shape(std::move(figures), true);
}

void TPlayer::Rectangle(double l, double t, double r, double b) {
    const TXForm x = LogicalToDevice();
    if (!InPath && x.M12 == 0 && x.M21 == 0) {
        // An upright rectangle goes to the context's own rectangle, which
        // keeps the pixel rules (right and bottom edges left out).
        TPointD a = x.Apply({l, t}), c = x.Apply({r, b});
        TRect rect{Px(std::min(a.X, c.X)), Px(std::min(a.Y, c.Y)), Px(std::max(a.X, c.X)), Px(std::max(a.Y, c.Y))};
        HBRUSH brush = MakeBrush(S.Brush);
        const bool pen = (S.Pen.Style & 15) != PS_NULL;
        if (brush != nullptr && S.Rop2 != R2_NOP) {
            SetTextColor(DC, S.TextColor);
            SetBkColor(DC, S.BkColor);
            FillRect(DC,
                     pen ? TRect{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1}
                         : TRect{rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1},
                     brush);
        }
        DeleteBrush(brush);
        if (pen)
            StrokeFigures({TFigure{{{static_cast<double>(rect.Left), static_cast<double>(rect.Top)},
                                    {static_cast<double>(rect.Right - 1), static_cast<double>(rect.Top)},
                                    {static_cast<double>(rect.Right - 1), static_cast<double>(rect.Bottom - 1)},
                                    {static_cast<double>(rect.Left), static_cast<double>(rect.Bottom - 1)}},
                                   true}});
        return;
    }
    TFigure f;
    f.Closed = true;
    f.Points = {ToDevice({l, t}), ToDevice({r, t}), ToDevice({r, b}), ToDevice({l, b})};
    Shape({f}, true);
}

void TPlayer::RoundRect(double l, double t, double r, double b, double cw, double ch) {
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    cw = std::min(std::fabs(cw), r - l);
    ch = std::min(std::fabs(ch), b - t);
    if (cw <= 0 || ch <= 0) {
        Rectangle(l, t, r, b);
        return;
    }
    TFigure f;
    f.Closed = true;
    auto corner = [&](double cl, double ct, double a0) {
        const std::vector<TPointD> arc = EllipsePoints(cl, ct, cl + cw, ct + ch, a0, a0 + kPi / 2, false);
        f.Points.insert(f.Points.end(), arc.begin(), arc.end());
    };
    const TXForm x = LogicalToDevice();
    const bool flipped = (x.M11 * x.M22 - x.M12 * x.M21) < 0;
    // Corners in counter-clockwise order on the device.
    if (!flipped) {
        corner(r - cw, t, 0);
        corner(l, t, kPi / 2);
        corner(l, b - ch, kPi);
        corner(r - cw, b - ch, 3 * kPi / 2);
    } else {
        corner(r - cw, b - ch, 0);
        corner(l, b - ch, kPi / 2);
        corner(l, t, kPi);
        corner(r - cw, t, 3 * kPi / 2);
    }
    Shape({f}, true);
}

void TPlayer::Ellipse(double l, double t, double r, double b) {
    TFigure f;
    f.Closed = true;
    f.Points = EllipsePoints(l, t, r, b, 0, 0, true);
    Shape({f}, true);
}

void TPlayer::Arc(double l, double t, double r, double b, TPointD start, TPointD end, TArcKind kind) {
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const double rx = std::max(std::fabs(r - l) / 2, 1e-9), ry = std::max(std::fabs(b - t) / 2, 1e-9);
    const TXForm x = LogicalToDevice();
    const double flip = (x.M11 * x.M22 - x.M12 * x.M21) < 0 ? 1 : -1;
    double a0 = std::atan2(flip * (start.Y - cy) / ry, (start.X - cx) / rx);
    double a1 = std::atan2(flip * (end.Y - cy) / ry, (end.X - cx) / rx);
    if (S.Clockwise)
        std::swap(a0, a1);
    while (a1 <= a0)
        a1 += 2 * kPi;
    std::vector<TPointD> points = EllipsePoints(l, t, r, b, a0, a1, false);
    if (S.Clockwise)
        std::reverse(points.begin(), points.end());
    TFigure f;
    switch (kind) {
        case akArc:
            f.Points = std::move(points);
            if (InPath)
                AddToPath(f, false);
            else
                StrokeFigures({f});
            return;
        case akArcTo: {
            f.Points.push_back(ToDevice(S.Position));
            f.Points.insert(f.Points.end(), points.begin(), points.end());
            const double ae = S.Clockwise ? a0 : a1;
            S.Position = {cx + rx * std::cos(ae), cy + flip * ry * std::sin(ae)};
            if (InPath)
                AddToPath(f, true);
            else
                StrokeFigures({f});
            return;
        }
        case akChord:
            f.Points = std::move(points);
            f.Closed = true;
            break;
        case akPie:
            f.Points = std::move(points);
            f.Points.push_back(ToDevice({cx, cy}));
            f.Closed = true;
            break;
    }
    Shape({f}, true);
}

// [MS-EMF] 2.3.5.1 EMR_ANGLEARC: a line to the arc's start, then the arc,
// angles in degrees counter-clockwise.
void TPlayer::AngleArc(TPointD centre, double radius, double start, double sweep) {
    const double a0 = start * kPi / 180, a1 = (start + sweep) * kPi / 180;
    const TXForm x = LogicalToDevice();
    const double flip = (x.M11 * x.M22 - x.M12 * x.M21) < 0 ? 1 : -1;
    std::vector<TPointD> points =
        EllipsePoints(centre.X - radius, centre.Y - radius, centre.X + radius, centre.Y + radius, a0, a1, false);
    TFigure f;
    f.Points.push_back(ToDevice(S.Position));
    f.Points.insert(f.Points.end(), points.begin(), points.end());
    S.Position = {centre.X + radius * std::cos(a1), centre.Y + flip * radius * std::sin(a1)};
    if (InPath)
        AddToPath(f, true);
    else
        StrokeFigures({f});
}

void TPlayer::SetPixel(TPointD p, TColorRef color) {
    const TPoint d = ToPoint(ToDevice(p));
    Platform::SetPixel(DC, d.X, d.Y, color & 0xFFFFFF);
}

TRect TPlayer::DeviceBox(double x, double y, double w, double h) const {
    const TPointD a = ToDevice({x, y}), b = ToDevice({x + w, y + h});
    return {Px(a.X), Px(a.Y), Px(b.X), Px(b.Y)};
}

void TPlayer::PatBlt(double l, double t, double w, double h, std::uint32_t rop) {
    TRect box = DeviceBox(l, t, w, h);
    HBRUSH brush = MakeBrush(S.Brush);
    HBRUSH hollow = nullptr;
    if (brush == nullptr)
        brush = hollow = CreateHollowBrush();
    HBRUSH old = SelectBrush(DC, brush);
    SetTextColor(DC, S.TextColor);
    SetBkColor(DC, S.BkColor);
    Platform::PatBlt(DC, box.Left, box.Top, box.Right - box.Left, box.Bottom - box.Top, rop);
    SelectBrush(DC, old);
    DeleteBrush(brush);
}

// ---------------------------------------------------------------------------
// Paths

void TPlayer::BeginPath() {
    Path.clear();
    PathPoints = 0;
    InPath = true;
    Path.push_back(TFigure{{ToDevice(S.Position)}, false});
}

void TPlayer::AbortPath() {
    Path.clear();
    PathPoints = 0;
    InPath = false;
}

void TPlayer::CloseFigure() {
    if (!Path.empty() && !Path.back().Closed) {
        Path.back().Closed = true;
        // The next segment starts a new figure at the same place.
        if (!Path.back().Points.empty())
            Path.push_back(TFigure{{Path.back().Points.front()}, false});
    }
}

void TPlayer::FillPath() {
    InPath = false;
    FillFigures(Path, S.Brush, S.PolyFillMode);
    Path.clear();
    PathPoints = 0;
}

void TPlayer::StrokePath() {
    InPath = false;
    StrokeFigures(Path);
    Path.clear();
    PathPoints = 0;
}

void TPlayer::StrokeAndFillPath() {
    InPath = false;
    FillFigures(Path, S.Brush, S.PolyFillMode);
    StrokeFigures(Path);
    Path.clear();
    PathPoints = 0;
}

void TPlayer::SelectClipPath(int mode) {
    InPath = false;
    std::vector<TPoint> points;
    std::vector<int> counts;
    for (const TFigure& f : Path) {
        if (f.Points.size() < 3)
            continue;
        for (const TPointD& p : f.Points)
            points.push_back(ToPoint(p));
        counts.push_back(static_cast<int>(f.Points.size()));
    }
    // Like fills, a clip path is made where the picture can be seen.
    HRGN region = CreatePolyPolygonRgn(points.data(), counts.data(), static_cast<int>(counts.size()), S.PolyFillMode,
                                       Destination);
    CombineClip(GetRegionRects(region), mode);
    DeleteRegion(region);
    Path.clear();
    PathPoints = 0;
}

// ---------------------------------------------------------------------------
// Clipping and regions

std::vector<TRect> TPlayer::DeviceRects(const std::vector<TRect>& logical) const {
    std::vector<TRect> out;
    out.reserve(logical.size());
    for (const TRect& r : logical) {
        const TPointD a = ToDevice({static_cast<double>(r.Left), static_cast<double>(r.Top)});
        const TPointD b = ToDevice({static_cast<double>(r.Right), static_cast<double>(r.Bottom)});
        out.push_back({Px(std::min(a.X, b.X)), Px(std::min(a.Y, b.Y)), Px(std::max(a.X, b.X)), Px(std::max(a.Y, b.Y))});
    }
    return out;
}

void TPlayer::CombineClip(const std::vector<TRect>& rects, int mode) {
    HRGN with = RectsToRegion(rects);
    HRGN current = nullptr;
    if (S.HasClip) {
        current = RectsToRegion(S.Clip);
    } else {
        // No clip is the whole surface, as far as combining goes.
        const TRect whole{-(1 << 24), -(1 << 24), 1 << 24, 1 << 24};
        current = CreateRectRgnIndirect(whole);
    }
    if (mode == RGN_COPY)
        CombineRgn(current, with, nullptr, RGN_COPY);
    else if (mode >= RGN_AND && mode <= RGN_DIFF)
        CombineRgn(current, current, with, mode);
    S.Clip = GetRegionRects(current);
    S.HasClip = true;
    DeleteRegion(current);
    DeleteRegion(with);
    ApplyClip();
}

void TPlayer::IntersectClipRect(double l, double t, double r, double b) {
    CombineClip(DeviceRects({TRect{Px(std::min(l, r)), Px(std::min(t, b)), Px(std::max(l, r)), Px(std::max(t, b))}}),
                RGN_AND);
}

void TPlayer::ExcludeClipRect(double l, double t, double r, double b) {
    CombineClip(DeviceRects({TRect{Px(std::min(l, r)), Px(std::min(t, b)), Px(std::max(l, r)), Px(std::max(t, b))}}),
                RGN_DIFF);
}

void TPlayer::OffsetClip(double dx, double dy) {
    if (!S.HasClip)
        return;
    const TXForm x = LogicalToDevice();
    const auto ox = Px(dx * x.M11 + dy * x.M21), oy = Px(dx * x.M12 + dy * x.M22);
    for (TRect& r : S.Clip)
        r = {r.Left + ox, r.Top + oy, r.Right + ox, r.Bottom + oy};
    ApplyClip();
}

void TPlayer::SelectClipDeviceRects(const std::vector<TRect>& rects, int mode, bool none) {
    if (none) {
        if (mode == RGN_COPY) {
            S.HasClip = false;
            S.Clip.clear();
            ApplyClip();
        }
        return;
    }
    std::vector<TRect> device;
    device.reserve(rects.size());
    for (const TRect& r : rects) {
        const TPointD a = Playback.Apply({static_cast<double>(r.Left), static_cast<double>(r.Top)});
        const TPointD b = Playback.Apply({static_cast<double>(r.Right), static_cast<double>(r.Bottom)});
        device.push_back(
            {Px(std::min(a.X, b.X)), Px(std::min(a.Y, b.Y)), Px(std::max(a.X, b.X)), Px(std::max(a.Y, b.Y))});
    }
    CombineClip(device, mode);
}

void TPlayer::SelectClipLogicalRects(const std::vector<TRect>& rects) {
    CombineClip(DeviceRects(rects), RGN_COPY);
}

void TPlayer::FillRegion(const std::vector<TRect>& rects, const TLogBrush& brush) {
    HBRUSH b = MakeBrush(brush);
    if (b == nullptr)
        return;
    SetTextColor(DC, S.TextColor);
    SetBkColor(DC, S.BkColor);
    HRGN region = RectsToRegion(DeviceRects(rects));
    FillRgn(DC, region, b);
    DeleteRegion(region);
    DeleteBrush(b);
}

void TPlayer::FrameRegion(const std::vector<TRect>& rects, const TLogBrush& brush, double w, double h) {
    HBRUSH b = MakeBrush(brush);
    if (b == nullptr)
        return;
    const TXForm x = LogicalToDevice();
    const auto fw = std::max(1, Px(std::fabs(w * x.M11))), fh = std::max(1, Px(std::fabs(h * x.M22)));
    HRGN region = RectsToRegion(DeviceRects(rects));
    HRGN inner = RectsToRegion(DeviceRects(rects));
    // The frame is the region less the region shrunk by the frame's size:
    // the inside is what stays inside when moved every way.
    for (const TPoint d : {TPoint{fw, 0}, TPoint{-fw, 0}, TPoint{0, fh}, TPoint{0, -fh}}) {
        HRGN moved = RectsToRegion(DeviceRects(rects));
        OffsetRgn(moved, d.X, d.Y);
        CombineRgn(inner, inner, moved, RGN_AND);
        DeleteRegion(moved);
    }
    CombineRgn(region, region, inner, RGN_DIFF);
    FillRgn(DC, region, b);
    DeleteRegion(inner);
    DeleteRegion(region);
    DeleteBrush(b);
}

void TPlayer::InvertRegion(const std::vector<TRect>& rects) {
    for (const TRect& r : DeviceRects(rects))
        InvertRect(DC, r);
}

// ---------------------------------------------------------------------------
// Text

HFONT TPlayer::RealizeFont(double& angleOut) {
    const TXForm x = LogicalToDevice();
    const double sxLen = std::hypot(x.M11, x.M12), syLen = std::hypot(x.M21, x.M22);
    TLogFont lf = S.Font.Font;
    const double h = lf.Height * syLen;
    lf.Height = lf.Height == 0 ? 0 : (lf.Height < 0 ? std::min(-1, Px(h)) : std::max(1, Px(h)));
    lf.Width = lf.Width == 0 ? 0 : std::max(1, Px(std::fabs(lf.Width * sxLen)));
    // The baseline's direction on the device: the escapement plus whatever
    // turn the world transform adds, never mirrored.
    const TXForm& w = S.World;
    const double page = LogicalToDevice().M22 * w.M22 >= 0 ? 1 : -1;
    double turn = std::atan2(-page * w.M12, w.M11) * 1800 / kPi;
    if (!std::isfinite(turn))
        turn = 0;
    double angle = lf.Escapement + turn;
    angle = std::fmod(angle, 3600);
    if (angle < 0)
        angle += 3600;
    lf.Escapement = static_cast<std::int32_t>(std::lround(angle)) % 3600;
    angleOut = lf.Escapement / 10.0;
    // Larger text is not worth a font of its own (and absurd sizes make the
    // rasteriser fail).
    if (std::abs(lf.Height) > 4000)
        lf.Height = lf.Height < 0 ? -4000 : 4000;
    lf.Width = std::min(lf.Width, 4000);
    std::string key = lf.FaceName + "|" + std::to_string(lf.Height) + "|" + std::to_string(lf.Width) + "|" +
                      std::to_string(lf.Escapement) + "|" + std::to_string(lf.Weight) + "|" +
                      std::to_string(lf.Italic) + std::to_string(lf.Underline) + std::to_string(lf.StrikeOut) + "|" +
                      std::to_string(lf.Charset);
    auto it = Fonts.find(key);
    if (it != Fonts.end())
        return it->second;
    if (Fonts.size() > 64) {
        for (auto& [k, f] : Fonts)
            DeleteFont(f);
        Fonts.clear();
    }
    HFONT font = CreateFontIndirect(lf);
    Fonts.emplace(key, font);
    return font;
}

// [MS-EMF] 2.2.5 EmrText: the reference point, the text, the options and
// rectangle, and the advance of each character in logical units.
void TPlayer::Text(TPointD reference,
                   const std::u16string* wide,
                   const std::string* bytes,
                   const std::vector<double>& advances,
                   std::uint32_t options,
                   const TRect* logicalRect) {
    const std::size_t length = wide != nullptr ? wide->size() : (bytes != nullptr ? bytes->size() : 0);
    constexpr std::uint32_t TA_UPDATECP = 1;
    if (S.TextAlign & TA_UPDATECP)
        reference = S.Position;
    double angle = 0;
    HFONT font = RealizeFont(angle);
    HFONT old = SelectFont(DC, font);
    const TXForm x = LogicalToDevice();
    const TPointD at = x.Apply(reference);
    const double along = std::hypot(x.M11, x.M12);

    // Advances become device pixels by rounding the running sum, so long
    // lines do not drift.
    std::vector<std::int32_t> dx;
    double total = 0;
    if (advances.size() >= length && length > 0) {
        dx.reserve(length);
        double sum = 0;
        std::int32_t placed = 0;
        for (std::size_t i = 0; i < length; ++i) {
            sum += advances[i] * along;
            total += advances[i];
            const std::int32_t next = Px(sum);
            dx.push_back(next - placed);
            placed = next;
        }
    }
    TRect rect;
    if (logicalRect != nullptr) {
        const std::vector<TRect> d = DeviceRects({*logicalRect});
        rect = d.front();
    }
    SetTextColor(DC, S.TextColor);
    SetBkColor(DC, S.BkColor);
    SetBkMode(DC, S.BkMode);
    SetTextAlign(DC, S.TextAlign & ~TA_UPDATECP);
    const std::uint32_t drawn = options & (ETO_OPAQUE | ETO_CLIPPED);
    const TPoint p = ToPoint(at);
    if (wide != nullptr)
        ExtTextOutW(DC, p.X, p.Y, drawn, logicalRect != nullptr ? &rect : nullptr, *wide,
                    dx.empty() ? nullptr : dx.data());
    else if (bytes != nullptr)
        ExtTextOut(DC, p.X, p.Y, drawn, logicalRect != nullptr ? &rect : nullptr, *bytes,
                   dx.empty() ? nullptr : dx.data());
    SelectFont(DC, old);
    if (S.TextAlign & TA_UPDATECP) {
        if (dx.empty() && length > 0) {
            const TSize extent = wide != nullptr ? GetTextExtentW(DC, *wide) : GetTextExtent(DC, *bytes);
            total = along > 0 ? extent.cx / along : 0;
        }
        S.Position = {reference.X + total, reference.Y};
    }
    (void)angle;
}

// ---------------------------------------------------------------------------
// Bitmaps

void TPlayer::BlitBitmap(HBITMAP bitmap, const TRect& target, TRect source, std::uint32_t rop) {
    TRect dest = target;
    // A destination reaching far beyond the surface is cut to the part that
    // may be seen, and the source with it in proportion.
    const TRect reach{
        Surface.Left - static_cast<std::int32_t>(kMargin), Surface.Top - static_cast<std::int32_t>(kMargin),
        Surface.Right + static_cast<std::int32_t>(kMargin), Surface.Bottom + static_cast<std::int32_t>(kMargin)};
    auto cut = [](std::int32_t& d0, std::int32_t& d1, std::int32_t& s0, std::int32_t& s1, std::int32_t lo,
                  std::int32_t hi) {
        const double span = static_cast<double>(d1) - d0;
        if (span == 0)
            return;
        const double a = std::clamp<double>(d0, lo, hi), b = std::clamp<double>(d1, lo, hi);
        if (a == d0 && b == d1)
            return;
        const double ss = static_cast<double>(s1) - s0;
        const double f0 = (a - d0) / span, f1 = (b - d0) / span;
        const double n0 = s0 + f0 * ss, n1 = s0 + f1 * ss;
        d0 = static_cast<std::int32_t>(a);
        d1 = static_cast<std::int32_t>(b);
        s0 = static_cast<std::int32_t>(std::lround(n0));
        s1 = static_cast<std::int32_t>(std::lround(n1));
    };
    cut(dest.Left, dest.Right, source.Left, source.Right, reach.Left, reach.Right);
    cut(dest.Top, dest.Bottom, source.Top, source.Bottom, reach.Top, reach.Bottom);
    // A source rectangle far beyond the bitmap is cut the same way: what
    // lies outside the bitmap has no pixels to average.
    TBitmapInfo info;
    if (GetBitmapInfo(bitmap, info)) {
        cut(source.Left, source.Right, dest.Left, dest.Right, -info.Width, 2 * info.Width);
        cut(source.Top, source.Bottom, dest.Top, dest.Bottom, -info.Height, 2 * info.Height);
    }
    if (dest.Left == dest.Right || dest.Top == dest.Bottom || source.Left == source.Right ||
        source.Top == source.Bottom)
        return;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectBitmap(memory, bitmap);
    const std::int32_t w = dest.Right - dest.Left, h = dest.Bottom - dest.Top;
    const std::int32_t sw = source.Right - source.Left, sh = source.Bottom - source.Top;
    // Shrinking averages the source pixels, as the halftone mode does, since
    // pictures scaled down into a document should not lose their lines.
    const bool shrinking = std::abs(w) < std::abs(sw) || std::abs(h) < std::abs(sh);
    const int oldMode = SetStretchBltMode(DC, shrinking || S.StretchMode == HALFTONE ? HALFTONE : COLORONCOLOR);
    HBRUSH brush = MakeBrush(S.Brush);
    HBRUSH oldBrush = brush != nullptr ? SelectBrush(DC, brush) : nullptr;
    SetTextColor(DC, S.TextColor);
    SetBkColor(DC, S.BkColor);
    StretchBlt(DC, dest.Left, dest.Top, w, h, memory, source.Left, source.Top, sw, sh, rop);
    if (brush != nullptr) {
        SelectBrush(DC, oldBrush);
        DeleteBrush(brush);
    }
    if (oldMode != 0)
        SetStretchBltMode(DC, oldMode);
    SelectBitmap(memory, old);
    DeleteDC(memory);
}

// A deferred bitmap is made only where the destination shows it: the source
// is cut to the part that lands on the surface (with a little room for the
// averaging of a shrink), and when even that holds far more pixels than
// the surface shows, every few pixels are taken. The work then follows the
// destination, not the size the bitmap claims. The source rectangle comes
// back in the pixels of the part.
bool TPlayer::ShownPart(const TDecodedDib& dib,
                        const TRect& dest,
                        double& sx,
                        double& sy,
                        double& sw,
                        double& sh,
                        TDecodedDib& part) const {
    if (dest.Left == dest.Right || dest.Top == dest.Bottom)
        return false;
    std::int64_t window[4] = {0, 0, 0, 0};
    double shown[2] = {0, 0};
    auto span = [](double d0, double d1, double lo, double hi, double s0, double length, std::int64_t limit,
                   std::int64_t& w0, std::int64_t& w1, double& seen) {
        const double v0 = std::max(std::min(d0, d1), lo), v1 = std::min(std::max(d0, d1), hi);
        if (!(v1 > v0) || !std::isfinite(s0) || !std::isfinite(length))
            return false;
        seen = v1 - v0;
        double a = s0 + (v0 - d0) / (d1 - d0) * length, b = s0 + (v1 - d0) / (d1 - d0) * length;
        if (a > b)
            std::swap(a, b);
        w0 = static_cast<std::int64_t>(std::clamp(std::floor(a) - 2, 0.0, static_cast<double>(limit)));
        w1 = static_cast<std::int64_t>(
            std::clamp(std::ceil(b) + 2, static_cast<double>(w0), static_cast<double>(limit)));
        return w1 > w0;
    };
    const TRect& d = Destination;
    if (!span(dest.Left, dest.Right, d.Left, d.Right, sx, sw, dib.Width, window[0], window[2], shown[0]) ||
        !span(dest.Top, dest.Bottom, d.Top, d.Bottom, sy, sh, dib.Height, window[1], window[3], shown[1]))
        return false;
    const double area = static_cast<double>(window[2] - window[0]) * static_cast<double>(window[3] - window[1]);
    const double budget = std::max(4096.0, shown[0] * shown[1]);
    const auto step = area > budget ? static_cast<std::int32_t>(std::ceil(std::sqrt(area / budget))) : 1;
    DibWindow(dib,
              {static_cast<std::int32_t>(window[0]), static_cast<std::int32_t>(window[1]),
               static_cast<std::int32_t>(window[2]), static_cast<std::int32_t>(window[3])},
              step, part);
    if (part.Pixels.empty())
        return false;
    sx = (sx - static_cast<double>(window[0])) / step;
    sy = (sy - static_cast<double>(window[1])) / step;
    sw /= step;
    sh /= step;
    return true;
}

void TPlayer::DrawDib(double x,
                      double y,
                      double w,
                      double h,
                      const TDecodedDib& dib,
                      double sx,
                      double sy,
                      double sw,
                      double sh,
                      std::uint32_t rop) {
    const TRect dest = DeviceBox(x, y, w, h);
    if (dest.Right == dest.Left || dest.Bottom == dest.Top)
        return;
    if (dib.Deferred) {
        TDecodedDib part;
        if (ShownPart(dib, dest, sx, sy, sw, sh, part))
            DrawDib(x, y, w, h, part, sx, sy, sw, sh, rop);
        return;
    }
    if (rop == SRCCOPY && dib.PremultipliedAlpha) {
        // Pictures with a real, premultiplied alpha channel (as printer
        // drivers spool them) are blended: copying them would paint their
        // see-through parts black.
        AlphaDib(x, y, w, h, dib, sx, sy, sw, sh, 255, true);
        return;
    }
    HBITMAP bitmap = BitmapFromDib(dib, false);
    if (bitmap == nullptr)
        return;
    BlitBitmap(bitmap, dest, {Px(sx), Px(sy), Px(sx + sw), Px(sy + sh)}, rop);
    DeleteBitmap(bitmap);
}

// Blends a source bitmap onto the destination: the destination's pixels are
// copied out, mixed in memory and copied back through the context, so the
// clip and a recording context are honoured.
void TPlayer::AlphaDib(double x,
                       double y,
                       double w,
                       double h,
                       const TDecodedDib& dib,
                       double sx,
                       double sy,
                       double sw,
                       double sh,
                       std::uint8_t constantAlpha,
                       bool perPixel) {
    if (dib.Deferred) {
        TDecodedDib part;
        if (ShownPart(dib, DeviceBox(x, y, w, h), sx, sy, sw, sh, part))
            AlphaDib(x, y, w, h, part, sx, sy, sw, sh, constantAlpha, perPixel);
        return;
    }
    TRect dest = DeviceBox(x, y, w, h);
    if (dest.Left > dest.Right)
        std::swap(dest.Left, dest.Right);
    if (dest.Top > dest.Bottom)
        std::swap(dest.Top, dest.Bottom);
    const TRect visible{std::max(dest.Left, Surface.Left), std::max(dest.Top, Surface.Top),
                        std::min(dest.Right, Surface.Right), std::min(dest.Bottom, Surface.Bottom)};
    if (visible.IsEmpty() && !(Surface.IsEmpty()))
        return;
    const std::int32_t dw = dest.Width(), dh = dest.Height();
    if (dw <= 0 || dh <= 0 || static_cast<std::int64_t>(dw) * dh > 16LL * 1024 * 1024)
        return;
    TDecodedDib alpha = dib;
    for (std::size_t i = 0; i < alpha.Pixels.size(); ++i) {
        const std::uint32_t a = perPixel && !dib.Alpha.empty() ? dib.Alpha[i] : 255;
        alpha.Pixels[i] = a | (a << 8) | (a << 16);
    }
    HBITMAP source = BitmapFromDib(dib, false);
    HBITMAP alphaBits = BitmapFromDib(alpha, false);
    if (source == nullptr || alphaBits == nullptr) {
        DeleteBitmap(source);
        DeleteBitmap(alphaBits);
        return;
    }
    TScratch picture(dw, dh), mask(dw, dh), under(dw, dh);
    for (TScratch* s : {&picture, &mask}) {
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP old = SelectBitmap(memory, s == &picture ? source : alphaBits);
        SetStretchBltMode(s->DC, HALFTONE);
        StretchBlt(s->DC, 0, 0, dw, dh, memory, Px(sx), Px(sy), Px(sw), Px(sh), SRCCOPY);
        SelectBitmap(memory, old);
        DeleteDC(memory);
    }
    DeleteBitmap(source);
    DeleteBitmap(alphaBits);
    BitBlt(under.DC, 0, 0, dw, dh, DC, dest.Left, dest.Top, SRCCOPY);
    for (std::int32_t i = 0; i < dw * dh; ++i) {
        const std::uint32_t a = (mask.Bits[i] & 0xFF) * constantAlpha / 255;
        // With per-pixel alpha the source is premultiplied ([MS-EMF] 2.2.2 BLENDFUNCTION).
        std::uint32_t s = picture.Bits[i] & 0xFFFFFF;
        if (perPixel && !dib.Alpha.empty() && constantAlpha != 255)
            s = Blend(0, s, constantAlpha, false);
        under.Bits[i] = Blend(under.Bits[i] & 0xFFFFFF, s, a, perPixel && !dib.Alpha.empty());
    }
    BitBlt(DC, dest.Left, dest.Top, dw, dh, under.DC, 0, 0, SRCCOPY);
}

void TPlayer::TransparentDib(double x,
                             double y,
                             double w,
                             double h,
                             const TDecodedDib& dib,
                             double sx,
                             double sy,
                             double sw,
                             double sh,
                             TColorRef key) {
    if (dib.Deferred) {
        TDecodedDib part;
        if (ShownPart(dib, DeviceBox(x, y, w, h), sx, sy, sw, sh, part))
            TransparentDib(x, y, w, h, part, sx, sy, sw, sh, key);
        return;
    }
    TDecodedDib keyed = dib;
    keyed.Alpha.assign(dib.Pixels.size(), 255);
    const std::uint32_t keyPixel = ColorRefToPixel(key & 0xFFFFFF);
    for (std::size_t i = 0; i < dib.Pixels.size(); ++i)
        if ((dib.Pixels[i] & 0xFFFFFF) == keyPixel) {
            keyed.Alpha[i] = 0;
            keyed.Pixels[i] = 0;
        }
    keyed.HasAlpha = true;
    AlphaDib(x, y, w, h, keyed, sx, sy, sw, sh, 255, true);
}

void TPlayer::MaskDib(double x,
                      double y,
                      double w,
                      double h,
                      const TDecodedDib& dib,
                      double sx,
                      double sy,
                      const TDecodedDib& mask,
                      double mx,
                      double my,
                      std::uint32_t rop4) {
    TRect dest = DeviceBox(x, y, w, h);
    const std::int32_t dw = dest.Right - dest.Left, dh = dest.Bottom - dest.Top;
    if (dw <= 0 || dh <= 0 || static_cast<std::int64_t>(dw) * dh > 16LL * 1024 * 1024)
        return;
    // Source and mask are brought to the destination's size first, since a
    // mask blit does not stretch.
    HBITMAP source = BitmapFromDib(dib, false);
    HBITMAP maskBits = BitmapFromDib(mask, false);
    if (source == nullptr || maskBits == nullptr) {
        DeleteBitmap(source);
        DeleteBitmap(maskBits);
        return;
    }
    TScratch picture(dw, dh);
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP old = SelectBitmap(memory, source);
    StretchBlt(picture.DC, 0, 0, dw, dh, memory, Px(sx), Px(sy), Px(w), Px(h), SRCCOPY);
    HBITMAP mono = CreateMonoBitmap(dw, dh);
    HDC monoDC = CreateCompatibleDC(nullptr);
    HBITMAP oldMono = SelectBitmap(monoDC, mono);
    SelectBitmap(memory, maskBits);
    SetBkColor(memory, 0xFFFFFF);
    StretchBlt(monoDC, 0, 0, dw, dh, memory, Px(mx), Px(my), Px(w), Px(h), SRCCOPY);
    SelectBitmap(monoDC, oldMono);
    DeleteDC(monoDC);
    SelectBitmap(memory, old);
    DeleteDC(memory);
    DeleteBitmap(source);
    DeleteBitmap(maskBits);
    HBRUSH brush = MakeBrush(S.Brush);
    HBRUSH oldBrush = brush != nullptr ? SelectBrush(DC, brush) : nullptr;
    MaskBlt(DC, dest.Left, dest.Top, dw, dh, picture.DC, 0, 0, mono, 0, 0, rop4);
    if (brush != nullptr) {
        SelectBrush(DC, oldBrush);
        DeleteBrush(brush);
    }
    DeleteBitmap(mono);
}

void TPlayer::GradientRect(double l, double t, double r, double b, TColorRef from, TColorRef to, bool vertical) {
    TRect box = DeviceBox(l, t, r - l, b - t);
    if (box.Left > box.Right)
        std::swap(box.Left, box.Right);
    if (box.Top > box.Bottom)
        std::swap(box.Top, box.Bottom);
    const TRect visible{std::max(box.Left, Surface.Left), std::max(box.Top, Surface.Top),
                        std::min(box.Right, Surface.Right), std::min(box.Bottom, Surface.Bottom)};
    if (visible.IsEmpty())
        return;
    const std::int32_t steps = vertical ? box.Height() : box.Width();
    const std::int32_t first = vertical ? visible.Top - box.Top : visible.Left - box.Left;
    const std::int32_t last = vertical ? visible.Bottom - box.Top : visible.Right - box.Left;
    for (std::int32_t i = first; i < last; ++i) {
        const double f = steps > 1 ? static_cast<double>(i) / (steps - 1) : 0;
        auto mix = [&](int shift) {
            const double a = (from >> shift) & 0xFF, c = (to >> shift) & 0xFF;
            return static_cast<TColorRef>(std::lround(a + (c - a) * f)) << shift;
        };
        HBRUSH brush = CreateSolidBrush(mix(0) | mix(8) | mix(16));
        const TRect strip = vertical ? TRect{box.Left, box.Top + i, box.Right, box.Top + i + 1}
                                     : TRect{box.Left + i, box.Top, box.Left + i + 1, box.Bottom};
        FillRect(DC, strip, brush);
        DeleteBrush(brush);
    }
}

// Triangles are filled with the mean of their corner colours: shading them
// would need a per-pixel fill the context does not have.
void TPlayer::GradientTriangle(const TPointD* points, const TColorRef* colors) {
    TColorRef mean = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t sum =
            ((colors[0] >> shift) & 0xFF) + ((colors[1] >> shift) & 0xFF) + ((colors[2] >> shift) & 0xFF);
        mean |= (sum / 3) << shift;
    }
    TFigure f;
    f.Closed = true;
    for (int i = 0; i < 3; ++i)
        f.Points.push_back(ToDevice(points[i]));
    FillFigures({f}, TLogBrush{BS_SOLID, mean}, ALTERNATE);
}

}  // namespace Platform::Metafile
