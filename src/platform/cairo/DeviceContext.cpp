// Device contexts: state, selection, clipping, fills, lines and pixels.
// Fills and one-pixel lines are our own pixel loops (they must match the
// Windows pixel rules exactly); wide lines go through Cairo without
// antialiasing.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/Screen.h"
#include "platform/WindowClip.h"
#include "platform/cairo/GdiObjects.h"

namespace Platform {

// ---------------------------------------------------------------------------
// Shared helpers

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

std::uint32_t MonoOf(std::uint32_t pixel) {
    const std::uint32_t sum = ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
    return sum >= 384 ? 0xFFFFFF : 0;
}

std::uint32_t BrushPixel(const TDeviceContext& dc, const TBrushObject* brush, std::int32_t x, std::int32_t y) {
    if (brush == nullptr || brush->Hollow)
        return 0;
    if (brush->Pattern != nullptr && brush->Pattern->Width > 0 && brush->Pattern->Height > 0) {
        TBitmapObject* p = brush->Pattern;
        p->SyncIn();
        auto mod = [](std::int32_t v, std::int32_t m) { return ((v % m) + m) % m; };
        const std::uint32_t px = p->Row(mod(y, p->Height))[mod(x, p->Width)] & 0xFFFFFF;
        if (p->Mono)
            return ColorRefToPixel(px != 0 ? dc.BkColor : dc.TextColor);
        return px;
    }
    return ColorRefToPixel(brush->Color);
}

std::uint32_t ApplyRop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    switch (rop) {
        case 0xCC:
            return s;
        case 0xF0:
            return p;
        case 0xAA:
            return d;
        case 0x88:
            return s & d;
        case 0x66:
            return s ^ d;
        case 0xEE:
            return s | d;
        case 0x44:
            return s & ~d;
        case 0x55:
            return ~d;
        case 0x33:
            return ~s;
        case 0x5A:
            return p ^ d;
        case 0xE2:
            return d ^ (s & (p ^ d));
        case 0xB8:
            return p ^ (s & (d ^ p));
        case 0x00:
            return 0;
        case 0xFF:
            return 0xFFFFFFFF;
        default:
            break;
    }
    // The general case from the truth table: bit (P<<2 | S<<1 | D).
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i) {
        if ((rop >> i) & 1)
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r;
}

// ---------------------------------------------------------------------------
// Pens, brushes, stock objects

HPEN CreatePen(TColorRef color, std::int32_t width) {
    auto* pen = new TPenObject;
    pen->Color = color & 0xFFFFFF;
    pen->Width = std::max(0, width);
    return pen;
}

HPEN CreateStyledPen(TColorRef color, std::int32_t width, int style, bool flatEnds) {
    auto* pen = new TPenObject;
    pen->Color = color & 0xFFFFFF;
    pen->Width = std::max(0, width);
    pen->Style = style >= PS_SOLID && style <= PS_INSIDEFRAME ? style : PS_SOLID;
    pen->FlatEnds = flatEnds;
    return pen;
}

void DeletePen(HPEN pen) {
    if (pen != nullptr)
        pen->Release();
}

TBrushObject::~TBrushObject() {
    if (Pattern != nullptr)
        Pattern->Release();
}

HBRUSH CreateSolidBrush(TColorRef color) {
    auto* brush = new TBrushObject;
    brush->Color = color & 0xFFFFFF;
    return brush;
}

HBRUSH CreateHollowBrush() {
    auto* brush = new TBrushObject;
    brush->Hollow = true;
    return brush;
}

HBRUSH CreatePatternBrush(HBITMAP pattern) {
    auto* brush = new TBrushObject;
    if (pattern != nullptr) {
        pattern->AddRef();
        brush->Pattern = pattern;
    }
    return brush;
}

void DeleteBrush(HBRUSH brush) {
    if (brush != nullptr)
        brush->Release();
}

HPEN StockBlackPen() {
    static TPenObject* pen = [] {
        auto* p = new TPenObject;
        p->Stock = true;
        return p;
    }();
    return pen;
}

HBRUSH StockNullBrush() {
    static TBrushObject* brush = [] {
        auto* b = new TBrushObject;
        b->Hollow = true;
        b->Stock = true;
        return b;
    }();
    return brush;
}

TFontObject* StockFontObject() {
    static TFontObject* font = [] {
        TLogFont lf;
        lf.Height = -11;
        lf.FaceName = "MS Shell Dlg 2";
        auto* f = new TFontObject(lf);
        f->Stock = true;
        return f;
    }();
    return font;
}

HFONT StockSystemFont() {
    return StockFontObject();
}

// Every memory context starts with this 1 x 1 monochrome bitmap, as on
// Windows; it is never freed, so callers may select it back at any time.
TBitmapObject* StockBitmap() {
    static TBitmapObject* bitmap = [] {
        auto* b = new TBitmapObject(1, 1, true);
        b->Stock = true;
        return b;
    }();
    return bitmap;
}

// ---------------------------------------------------------------------------
// Contexts

TDeviceContext::~TDeviceContext() {
    delete Recorder;
    if (Bitmap != nullptr)
        Bitmap->Release();
    if (Font != nullptr)
        Font->Release();
    if (Pen != nullptr)
        Pen->Release();
    if (Brush != nullptr)
        Brush->Release();
    if (Clip != nullptr)
        cairo_region_destroy(Clip);
    if (WindowClip != nullptr)
        cairo_region_destroy(WindowClip);
}

TFontObject* TDeviceContext::FontOrStock() {
    return Font != nullptr ? Font : StockFontObject();
}

std::vector<TRect> TDeviceContext::ClipRects(const TRect& area) const {
    std::vector<TRect> out;
    if (Bitmap == nullptr)
        return out;
    // Whoever asks where to draw is about to read or change the pixels.
    Bitmap->Touch();
    const TRect bounded = Intersect(area, TRect{0, 0, Bitmap->Width, Bitmap->Height});
    if (bounded.IsEmpty())
        return out;
    cairo_region_t* limit = Clip;
    cairo_region_t* both = nullptr;
    if (WindowClip != nullptr) {
        both = cairo_region_copy(WindowClip);
        if (Clip != nullptr)
            cairo_region_intersect(both, Clip);
        limit = both;
    }
    if (limit == nullptr) {
        out.push_back(bounded);
        return out;
    }
    const int n = cairo_region_num_rectangles(limit);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t c;
        cairo_region_get_rectangle(limit, i, &c);
        const TRect r = Intersect(bounded, TRect{c.x, c.y, c.x + c.width, c.y + c.height});
        if (!r.IsEmpty())
            out.push_back(r);
    }
    if (both != nullptr)
        cairo_region_destroy(both);
    return out;
}

bool TDeviceContext::Visible(std::int32_t x, std::int32_t y) const {
    if (Bitmap == nullptr || x < 0 || y < 0 || x >= Bitmap->Width || y >= Bitmap->Height)
        return false;
    Bitmap->Touch();
    if (WindowClip != nullptr && !cairo_region_contains_point(WindowClip, x, y))
        return false;
    return Clip == nullptr || cairo_region_contains_point(Clip, x, y);
}

cairo_t* TDeviceContext::BeginCairo(const TRect* extraClip) {
    if (Bitmap == nullptr || Bitmap->Width == 0 || Bitmap->Height == 0)
        return nullptr;
    cairo_surface_t* surface = Bitmap->Surface();
    if (surface == nullptr)
        return nullptr;
    cairo_surface_mark_dirty(surface);
    cairo_t* cr = cairo_create(surface);
    const TRect area = extraClip != nullptr ? *extraClip : TRect{0, 0, Bitmap->Width, Bitmap->Height};
    const std::vector<TRect> rects = ClipRects(area);
    for (const TRect& r : rects)
        cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    if (rects.empty())
        cairo_rectangle(cr, 0, 0, 0, 0);
    cairo_clip(cr);
    return cr;
}

void TDeviceContext::EndCairo(cairo_t* cr, const TRect& touched) {
    cairo_destroy(cr);
    cairo_surface_flush(Bitmap->Surface());
    if (Bitmap->Mono)
        Bitmap->Threshold(touched);
}

HDC ScreenDC() {
    static TDeviceContext* screen = [] {
        auto* dc = new TDeviceContext;
        dc->Screen = true;
        return dc;
    }();
    return screen;
}

HDC CreateCompatibleDC(HDC) {
    auto* dc = new TDeviceContext;
    dc->Bitmap = StockBitmap();
    return dc;
}

void DeleteDC(HDC dc) {
    if (dc != nullptr && !dc->Screen)
        delete dc;
}

namespace {

// The context holds a reference to what it has selected; the object's
// creator keeps its own, so the previous object outlives the swap.
template <class T>
void Swap(T*& slot, T* object) {
    T* old = slot;
    object->AddRef();
    slot = object;
    if (old != nullptr)
        old->Release();
}

}  // namespace

HFONT SelectFont(HDC dc, HFONT font) {
    if (dc == nullptr || font == nullptr)
        return nullptr;
    HFONT old = dc->FontOrStock();
    Swap(dc->Font, font);
    return old;
}

HPEN SelectPen(HDC dc, HPEN pen) {
    if (dc == nullptr || pen == nullptr)
        return nullptr;
    HPEN old = dc->Pen != nullptr ? dc->Pen : StockBlackPen();
    Swap(dc->Pen, pen);
    return old;
}

HBRUSH SelectBrush(HDC dc, HBRUSH brush) {
    if (dc == nullptr || brush == nullptr)
        return nullptr;
    static TBrushObject* white = [] {
        auto* b = new TBrushObject;
        b->Stock = true;
        return b;
    }();
    HBRUSH old = dc->Brush != nullptr ? dc->Brush : white;
    Swap(dc->Brush, brush);
    return old;
}

HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap) {
    if (dc == nullptr || dc->Screen || bitmap == nullptr)
        return nullptr;
    HBITMAP old = dc->Bitmap;
    Swap(dc->Bitmap, bitmap);
    return old;
}

HFONT CurrentFont(HDC dc) {
    return dc == nullptr ? nullptr : dc->FontOrStock();
}

HBITMAP CurrentBitmap(HDC dc) {
    return dc == nullptr ? nullptr : dc->Bitmap;
}

TColorRef SetTextColor(HDC dc, TColorRef color) {
    if (dc == nullptr)
        return 0;
    return std::exchange(dc->TextColor, color & 0xFFFFFF);
}

TColorRef SetBkColor(HDC dc, TColorRef color) {
    if (dc == nullptr)
        return 0;
    return std::exchange(dc->BkColor, color & 0xFFFFFF);
}

TColorRef GetTextColor(HDC dc) {
    return dc == nullptr ? 0 : dc->TextColor;
}

TColorRef GetBkColor(HDC dc) {
    return dc == nullptr ? 0 : dc->BkColor;
}

int SetBkMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    return std::exchange(dc->BkMode, mode);
}

int SetROP2(HDC dc, int mix) {
    if (dc == nullptr || mix < 1 || mix > 16)
        return 0;
    return std::exchange(dc->Rop2, mix);
}

int SetStretchBltMode(HDC dc, int mode) {
    if (dc == nullptr || mode < 1 || mode > 4)
        return 0;
    return std::exchange(dc->StretchMode, mode);
}

int GetStretchBltMode(HDC dc) {
    return dc == nullptr ? 0 : dc->StretchMode;
}

std::uint32_t SetTextAlign(HDC dc, std::uint32_t align) {
    if (dc == nullptr)
        return 0;
    return std::exchange(dc->TextAlign, align);
}

// ---------------------------------------------------------------------------
// Clipping

namespace {

int ClipKind(HDC dc) {
    if (dc->Clip == nullptr)
        return SIMPLEREGION;
    const int n = cairo_region_num_rectangles(dc->Clip);
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

TRect SurfaceRect(HDC dc) {
    if (dc->Recorder != nullptr)
        return {-(1 << 24), -(1 << 24), 1 << 24, 1 << 24};  // a recording has no edges
    if (dc->Screen)
        return {0, 0, ScreenWidth(), ScreenHeight()};
    return dc->Bitmap != nullptr ? TRect{0, 0, dc->Bitmap->Width, dc->Bitmap->Height} : TRect{};
}

}  // namespace

int SelectClipRgn(HDC dc, HRGN region) {
    if (dc == nullptr)
        return RGN_ERROR;
    if (dc->Clip != nullptr)
        cairo_region_destroy(dc->Clip);
    dc->Clip = region != nullptr ? cairo_region_copy(region->Region) : nullptr;
    return ClipKind(dc);
}

void SetWindowClip(HDC dc, HRGN region) {
    if (dc == nullptr)
        return;
    if (dc->WindowClip != nullptr)
        cairo_region_destroy(dc->WindowClip);
    dc->WindowClip = region != nullptr ? cairo_region_copy(region->Region) : nullptr;
}

int GetClipRgn(HDC dc, HRGN region) {
    if (dc == nullptr || region == nullptr)
        return -1;
    if (dc->Clip == nullptr)
        return 0;
    cairo_region_destroy(region->Region);
    region->Region = cairo_region_copy(dc->Clip);
    return 1;
}

int IntersectClipRect(HDC dc, const TRect& rect) {
    if (dc == nullptr)
        return RGN_ERROR;
    const TRect r = Intersect(rect, rect);
    const cairo_rectangle_int_t c{r.Left, r.Top, r.Width(), r.Height()};
    if (dc->Clip == nullptr) {
        const TRect s = SurfaceRect(dc);
        const cairo_rectangle_int_t whole{s.Left, s.Top, s.Width(), s.Height()};
        dc->Clip = cairo_region_create_rectangle(&whole);
    }
    cairo_region_t* with = cairo_region_create_rectangle(&c);
    cairo_region_intersect(dc->Clip, with);
    cairo_region_destroy(with);
    return ClipKind(dc);
}

int ExcludeClipRect(HDC dc, const TRect& rect) {
    if (dc == nullptr)
        return RGN_ERROR;
    if (dc->Clip == nullptr) {
        const TRect s = SurfaceRect(dc);
        const cairo_rectangle_int_t whole{s.Left, s.Top, s.Width(), s.Height()};
        dc->Clip = cairo_region_create_rectangle(&whole);
    }
    const TRect r = Intersect(rect, rect);
    const cairo_rectangle_int_t c{r.Left, r.Top, r.Width(), r.Height()};
    cairo_region_subtract_rectangle(dc->Clip, &c);
    return ClipKind(dc);
}

int GetClipBox(HDC dc, TRect& box) {
    if (dc == nullptr)
        return RGN_ERROR;
    box = SurfaceRect(dc);
    if (dc->WindowClip != nullptr) {
        cairo_rectangle_int_t e;
        cairo_region_get_extents(dc->WindowClip, &e);
        box = Intersect(box, TRect{e.x, e.y, e.x + e.width, e.y + e.height});
    }
    if (dc->Clip != nullptr) {
        cairo_rectangle_int_t e;
        cairo_region_get_extents(dc->Clip, &e);
        box = Intersect(box, TRect{e.x, e.y, e.x + e.width, e.y + e.height});
    }
    return box.IsEmpty() ? NULLREGION : ClipKind(dc);
}

// ---------------------------------------------------------------------------
// Fills

namespace {

// Runs op(pixel&, x, y) over every visible pixel of rect.
template <class Op>
void ForEachPixel(HDC dc, const TRect& rect, Op op) {
    for (const TRect& r : dc->ClipRects(rect)) {
        for (std::int32_t y = r.Top; y < r.Bottom; ++y) {
            std::uint32_t* row = dc->Bitmap->Row(y);
            for (std::int32_t x = r.Left; x < r.Right; ++x)
                op(row[x], x, y);
        }
    }
}

void FillWithBrush(HDC dc, const TRect& rect, HBRUSH brush) {
    if (dc == nullptr || brush == nullptr || brush->Hollow || dc->Bitmap == nullptr)
        return;
    const bool mono = dc->Bitmap->Mono;
    if (brush->Pattern == nullptr) {
        std::uint32_t px = ColorRefToPixel(brush->Color);
        if (mono)
            px = MonoOf(px);
        for (const TRect& r : dc->ClipRects(rect))
            for (std::int32_t y = r.Top; y < r.Bottom; ++y)
                std::fill(dc->Bitmap->Row(y) + r.Left, dc->Bitmap->Row(y) + r.Right, px);
        return;
    }
    ForEachPixel(dc, rect, [&](std::uint32_t& p, std::int32_t x, std::int32_t y) {
        const std::uint32_t v = BrushPixel(*dc, brush, x, y) & 0xFFFFFF;
        p = mono ? MonoOf(v) : v;
    });
}

}  // namespace

void FillRect(HDC dc, const TRect& rect, HBRUSH brush) {
    if (dc != nullptr && dc->Recorder != nullptr) {
        if (brush != nullptr && !brush->Hollow && !rect.IsEmpty())
            dc->Recorder->FillRect(*dc, rect, brush);
        return;
    }
    FillWithBrush(dc, rect, brush);
}

void FrameRect(HDC dc, const TRect& rect, HBRUSH brush) {
    if (rect.IsEmpty())
        return;
    if (dc != nullptr && dc->Recorder != nullptr) {
        FillRect(dc, {rect.Left, rect.Top, rect.Right, rect.Top + 1}, brush);
        FillRect(dc, {rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, brush);
        FillRect(dc, {rect.Left, rect.Top + 1, rect.Left + 1, rect.Bottom - 1}, brush);
        FillRect(dc, {rect.Right - 1, rect.Top + 1, rect.Right, rect.Bottom - 1}, brush);
        return;
    }
    FillWithBrush(dc, {rect.Left, rect.Top, rect.Right, rect.Top + 1}, brush);
    FillWithBrush(dc, {rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, brush);
    FillWithBrush(dc, {rect.Left, rect.Top + 1, rect.Left + 1, rect.Bottom - 1}, brush);
    FillWithBrush(dc, {rect.Right - 1, rect.Top + 1, rect.Right, rect.Bottom - 1}, brush);
}

void FillRgn(HDC dc, HRGN region, HBRUSH brush) {
    if (region == nullptr)
        return;
    if (dc != nullptr && dc->Recorder != nullptr) {
        if (brush != nullptr && !brush->Hollow)
            dc->Recorder->FillRgn(*dc, region, brush);
        return;
    }
    for (const TRect& r : GetRegionRects(region))
        FillWithBrush(dc, r, brush);
}

void InvertRect(HDC dc, const TRect& rect) {
    if (dc != nullptr && dc->Recorder != nullptr) {
        dc->Recorder->PatBlt(*dc, rect, DSTINVERT);
        return;
    }
    if (dc == nullptr || dc->Bitmap == nullptr)
        return;
    ForEachPixel(dc, rect, [](std::uint32_t& p, std::int32_t, std::int32_t) { p ^= 0xFFFFFF; });
}

void DrawFocusRect(HDC dc, const TRect& rect) {
    if (dc == nullptr || dc->Bitmap == nullptr || rect.IsEmpty())
        return;
    // A checkerboard fixed to the bitmap, inverted along the one-pixel frame.
    auto edge = [&](const TRect& r) {
        ForEachPixel(dc, r, [](std::uint32_t& p, std::int32_t x, std::int32_t y) {
            if (((x + y) & 1) == 0)
                p ^= 0xFFFFFF;
        });
    };
    edge({rect.Left, rect.Top, rect.Right, rect.Top + 1});
    if (rect.Height() > 1)
        edge({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom});
    edge({rect.Left, rect.Top + 1, rect.Left + 1, rect.Bottom - 1});
    if (rect.Width() > 1)
        edge({rect.Right - 1, rect.Top + 1, rect.Right, rect.Bottom - 1});
}

void PatBlt(HDC dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t rop) {
    if (dc == nullptr)
        return;
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    if (dc->Recorder != nullptr) {
        dc->Recorder->PatBlt(*dc, {x, y, x + w, y + h}, rop);
        return;
    }
    if (dc->Bitmap == nullptr)
        return;
    const auto code = static_cast<std::uint8_t>(rop >> 16);
    const bool mono = dc->Bitmap->Mono;
    const TBrushObject* brush = dc->Brush;
    ForEachPixel(dc, {x, y, x + w, y + h}, [&](std::uint32_t& p, std::int32_t px, std::int32_t py) {
        std::uint32_t pat = BrushPixel(*dc, brush, px, py);
        if (mono)
            pat = MonoOf(pat);
        p = ApplyRop3(code, pat, 0, p) & 0xFFFFFF;
    });
}

// ---------------------------------------------------------------------------
// Lines and pixels

namespace {

void PlotWithPen(HDC dc, std::int32_t x, std::int32_t y, std::uint32_t penPixel) {
    if (!dc->Visible(x, y))
        return;
    std::uint32_t& p = dc->Bitmap->Row(y)[x];
    switch (dc->Rop2) {
        case R2_BLACK:
            p = 0;
            break;
        case R2_WHITE:
            p = 0xFFFFFF;
            break;
        case R2_NOT:
            p ^= 0xFFFFFF;
            break;
        case R2_XORPEN:
            p = (p ^ penPixel) & 0xFFFFFF;
            break;
        case R2_NOP:
            break;
        default:
            p = penPixel;
            break;
    }
}

// The on and off lengths of the dashed pen styles, in pixels of a one-pixel
// pen (wider pens scale them), the cosmetic patterns of the Windows pens.
struct TDashPattern {
    const double* Lengths = nullptr;
    int Count = 0;
};

TDashPattern DashPatternOf(int style) {
    static const double dash[] = {18, 6};
    static const double dot[] = {3, 3};
    static const double dashDot[] = {9, 6, 3, 6};
    static const double dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
        case PS_DASH:
            return {dash, 2};
        case PS_DOT:
            return {dot, 2};
        case PS_DASHDOT:
            return {dashDot, 4};
        case PS_DASHDOTDOT:
            return {dashDotDot, 6};
        default:
            return {};
    }
}

// Where a thin dashed line is in its pattern; it runs on across the
// segments of one polyline, as the pattern does on Windows.
struct TDashState {
    TDashPattern Pattern;
    std::int64_t Step = 0;
    bool On() {
        if (Pattern.Count == 0)
            return true;
        std::int64_t total = 0;
        for (int i = 0; i < Pattern.Count; ++i)
            total += static_cast<std::int64_t>(Pattern.Lengths[i]);
        std::int64_t at = Step++ % total;
        for (int i = 0; i < Pattern.Count; ++i) {
            at -= static_cast<std::int64_t>(Pattern.Lengths[i]);
            if (at < 0)
                return (i & 1) == 0;
        }
        return true;
    }
};

// A one-pixel line that leaves out its last point, as Windows draws it.
void ThinLine(HDC dc, TPoint a, TPoint b, std::uint32_t penPixel, TDashState* dash = nullptr) {
    // Beyond any bitmap's size a line would step for ever through pixels
    // nobody sees: bring far ends back first.
    constexpr std::int32_t kFar = 1 << 20;
    if (std::abs(a.X) > kFar || std::abs(a.Y) > kFar || std::abs(b.X) > kFar || std::abs(b.Y) > kFar)
        return;
    std::int32_t dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
    const std::int32_t sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    std::int32_t err = dx + dy;
    std::int32_t x = a.X, y = a.Y;
    while (x != b.X || y != b.Y) {
        if (dash == nullptr || dash->On())
            PlotWithPen(dc, x, y, penPixel);
        const std::int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void WidePolyline(HDC dc, const TPoint* points, int count, std::int32_t width, std::uint32_t penPixel) {
    const TPenObject* pen = dc->Pen != nullptr ? dc->Pen : StockBlackPen();
    std::int32_t left = points[0].X, right = left, top = points[0].Y, bottom = top;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, points[i].X);
        right = std::max(right, points[i].X);
        top = std::min(top, points[i].Y);
        bottom = std::max(bottom, points[i].Y);
    }
    cairo_t* cr = dc->BeginCairo(nullptr);
    if (cr == nullptr)
        return;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, pen->FlatEnds ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, pen->FlatEnds ? CAIRO_LINE_JOIN_MITER : CAIRO_LINE_JOIN_ROUND);
    const TDashPattern pattern = DashPatternOf(pen->Style);
    if (pattern.Count > 0) {
        double scaled[6];
        for (int i = 0; i < pattern.Count; ++i)
            scaled[i] = pattern.Lengths[i] * width / 3.0;
        cairo_set_dash(cr, scaled, pattern.Count, 0);
    }
    cairo_set_source_rgb(cr, ((penPixel >> 16) & 0xFF) / 255.0, ((penPixel >> 8) & 0xFF) / 255.0,
                         (penPixel & 0xFF) / 255.0);
    const double offset = (width & 1) ? 0.5 : 0.0;
    cairo_move_to(cr, points[0].X + offset, points[0].Y + offset);
    for (int i = 1; i < count; ++i)
        cairo_line_to(cr, points[i].X + offset, points[i].Y + offset);
    cairo_stroke(cr);
    dc->EndCairo(cr, {left - width, top - width, right + width + 1, bottom + width + 1});
}

std::uint32_t PenPixel(HDC dc) {
    const TPenObject* pen = dc->Pen != nullptr ? dc->Pen : StockBlackPen();
    std::uint32_t px = ColorRefToPixel(pen->Color);
    return dc->Bitmap != nullptr && dc->Bitmap->Mono ? MonoOf(px) : px;
}

std::int32_t PenWidth(HDC dc) {
    return dc->Pen != nullptr ? dc->Pen->Width : 1;
}

bool PenDraws(HDC dc) {
    return dc->Pen == nullptr || dc->Pen->Style != PS_NULL;
}

int PenStyle(HDC dc) {
    return dc->Pen != nullptr ? dc->Pen->Style : PS_SOLID;
}

}  // namespace

TPoint MoveTo(HDC dc, std::int32_t x, std::int32_t y) {
    if (dc == nullptr)
        return {};
    return std::exchange(dc->Pos, TPoint{x, y});
}

void LineTo(HDC dc, std::int32_t x, std::int32_t y) {
    if (dc == nullptr)
        return;
    const TPoint pts[2] = {dc->Pos, {x, y}};
    dc->Pos = {x, y};
    if (dc->Recorder != nullptr) {
        dc->Recorder->LineTo(*dc, pts[0], pts[1]);
        return;
    }
    if (dc->Bitmap == nullptr || !PenDraws(dc))
        return;
    if (PenWidth(dc) <= 1 || dc->Rop2 != R2_COPYPEN) {
        TDashState dash{DashPatternOf(PenStyle(dc))};
        ThinLine(dc, pts[0], pts[1], PenPixel(dc), &dash);
    } else {
        WidePolyline(dc, pts, 2, PenWidth(dc), PenPixel(dc));
    }
}

void Polyline(HDC dc, const TPoint* points, int count) {
    if (dc == nullptr || points == nullptr || count < 2)
        return;
    if (dc->Recorder != nullptr) {
        dc->Recorder->Polyline(*dc, points, count);
        return;
    }
    if (dc->Bitmap == nullptr || !PenDraws(dc))
        return;
    if (PenWidth(dc) <= 1 || dc->Rop2 != R2_COPYPEN) {
        const std::uint32_t px = PenPixel(dc);
        TDashState dash{DashPatternOf(PenStyle(dc))};
        for (int i = 0; i + 1 < count; ++i)
            ThinLine(dc, points[i], points[i + 1], px, &dash);
    } else {
        WidePolyline(dc, points, count, PenWidth(dc), PenPixel(dc));
    }
}

void Rectangle(HDC dc, const TRect& rect) {
    if (dc == nullptr)
        return;
    if (dc->Recorder != nullptr) {
        dc->Recorder->Rectangle(*dc, rect);
        return;
    }
    if (!PenDraws(dc)) {
        // Without an outline the inside reaches the right and bottom edges
        // less one, as a null pen's rectangle does on Windows.
        FillWithBrush(dc, {rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1}, dc->Brush);
        return;
    }
    FillWithBrush(dc, {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1}, dc->Brush);
    const TPoint pts[5] = {{rect.Left, rect.Top},
                           {rect.Right - 1, rect.Top},
                           {rect.Right - 1, rect.Bottom - 1},
                           {rect.Left, rect.Bottom - 1},
                           {rect.Left, rect.Top}};
    Polyline(dc, pts, 5);
    if (PenWidth(dc) <= 1)
        SetPixel(dc, rect.Left, rect.Top, PixelToColorRef(PenPixel(dc)));
}

void Polygon(HDC dc, const TPoint* points, int count) {
    if (dc == nullptr || points == nullptr || count < 2)
        return;
    PolyPolygon(dc, points, &count, 1, ALTERNATE);
}

void PolyPolygon(HDC dc, const TPoint* points, const int* counts, int polygons, int fillMode) {
    if (dc == nullptr || points == nullptr || counts == nullptr || polygons <= 0)
        return;
    if (dc->Recorder != nullptr) {
        dc->Recorder->PolyPolygon(*dc, points, counts, polygons, fillMode);
        return;
    }
    // Only the rows of the bitmap are walked.
    HRGN inside = CreatePolyPolygonRgn(points, counts, polygons, fillMode, SurfaceRect(dc));
    for (const TRect& r : GetRegionRects(inside))
        FillWithBrush(dc, r, dc->Brush);
    DeleteRegion(inside);
    if (!PenDraws(dc))
        return;
    const TPoint* at = points;
    std::vector<TPoint> closed;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] >= 2) {
            closed.assign(at, at + counts[i]);
            closed.push_back(at[0]);
            Polyline(dc, closed.data(), static_cast<int>(closed.size()));
        }
        at += std::max(0, counts[i]);
    }
}

TColorRef SetPixel(HDC dc, std::int32_t x, std::int32_t y, TColorRef color) {
    if (dc != nullptr && dc->Recorder != nullptr) {
        dc->Recorder->SetPixel(*dc, x, y, color & 0xFFFFFF);
        return color & 0xFFFFFF;
    }
    if (dc == nullptr || !dc->Visible(x, y))
        return 0xFFFFFFFF;
    std::uint32_t px = ColorRefToPixel(color);
    if (dc->Bitmap->Mono)
        px = MonoOf(px);
    dc->Bitmap->Row(y)[x] = px;
    return PixelToColorRef(px);
}

TColorRef GetPixel(HDC dc, std::int32_t x, std::int32_t y) {
    if (dc == nullptr || !dc->Visible(x, y))
        return 0xFFFFFFFF;
    return PixelToColorRef(dc->Bitmap->Row(y)[x] & 0xFFFFFF);
}

}  // namespace Platform
