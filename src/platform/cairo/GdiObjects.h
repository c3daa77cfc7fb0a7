#pragma once

// Objects behind the drawing handles. Private to the Cairo back end: this is
// the one header that names FreeType, fontconfig and Cairo types.

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/DibSections.h"
#include "platform/Fonts.h"
#include "platform/Regions.h"

namespace Platform {

// Drawing objects are counted: the creator holds one reference, every device
// context that has the object selected holds another, so deleting an object
// that is still selected leaves the context with a valid object.
class TGdiObject {
public:
    virtual ~TGdiObject() = default;
    void AddRef() { ++Refs; }
    void Release() {
        if (Stock)
            return;
        if (--Refs == 0)
            delete this;
    }
    int Refs = 1;
    bool Stock = false;
};

// One face of a font file. Faces are never freed: fonts made from them keep
// pointers, and the set of files only grows during a run in practice.
struct TFaceFile {
    std::string Path;
    int Index = 0;
    std::string Family;
    int Weight = 400;
    bool Italic = false;
    bool Symbol = false;
    bool Mono = false;

    // Loaded on first use. Face answers our queries; CairoFace renders, over
    // a second FreeType face, because Cairo sets the size of the faces it
    // renders with and expects nobody else to change it.
    bool Loaded = false;
    bool Failed = false;
    FT_Face Face = nullptr;
    FT_Face RenderFace = nullptr;
    cairo_font_face_t* CairoFace = nullptr;
    bool HasUnicodeCmap = false;
    bool HasSymbolCmap = false;
    int UnitsPerEm = 2048;
    int WinAscent = 0;
    int WinDescent = 0;
    int LineGap = 0;
    int HheaAscender = 0;
    int HheaDescender = 0;
    int AvgCharWidth = 0;
    int MaxAdvance = 0;
    int UnderlinePosition = 0;
    int UnderlineThickness = 0;
    int StrikeoutPosition = 0;
    int StrikeoutSize = 0;
    std::uint16_t FirstChar = 0x20;
    std::uint16_t LastChar = 0xFFFC;

    bool Load();
    // Glyph index of a Unicode character (0 when missing); symbol fonts also
    // answer for U+F000 + byte and byte alike.
    std::uint32_t GlyphIndex(char32_t ch);
    std::int32_t AdvanceUnits(std::uint32_t glyph);
};

class TFontObject : public TGdiObject {
public:
    explicit TFontObject(const TLogFont& logFont);
    ~TFontObject() override;

    struct TGlyph {
        std::uint32_t Index = 0;
        std::int32_t Advance = 0;
    };
    // Glyph and advance of a Unicode character (cached).
    TGlyph Glyph(char32_t ch);
    // The Unicode character a byte of the font's character set stands for.
    char32_t ByteToChar(unsigned char byte) const;
    bool SingleByte() const { return CodePage == 42 || IsSingleByte; }
    // Byte text to characters (one per byte for single-byte character sets).
    std::u32string DecodeBytes(std::string_view text) const;
    cairo_scaled_font_t* ScaledFont();

    TLogFont Log;
    TFaceFile* Face = nullptr;
    std::string SelectedFace;
    bool SynthBold = false;
    bool SynthItalic = false;
    std::int32_t BoldOffset = 0;
    double Em = 16;   // pixels per em vertically
    double XEm = 16;  // pixels per em horizontally
    int CodePage = 1252;
    bool IsSingleByte = true;
    TTextMetrics Metrics;
    std::int32_t UnderlineTop = 0;  // from the baseline, downwards
    std::int32_t UnderlineSize = 1;
    std::int32_t StrikeoutTop = 0;  // from the baseline, upwards
    std::int32_t StrikeoutSize = 1;

private:
    std::array<std::unique_ptr<std::array<TGlyph, 256>>, 256> BmpPages;
    std::unordered_map<char32_t, TGlyph> Astral;
    std::array<char32_t, 256> ByteChars{};
    cairo_scaled_font_t* Scaled = nullptr;
    TGlyph Compute(char32_t ch);
};

class TPenObject : public TGdiObject {
public:
    TColorRef Color = 0;
    std::int32_t Width = 1;
    int Style = PS_SOLID;
    bool FlatEnds = false;
};

class TBrushObject : public TGdiObject {
public:
    ~TBrushObject() override;
    bool Hollow = false;
    TColorRef Color = 0xFFFFFF;
    TBitmapObject* Pattern = nullptr;
};

// The memory layout of a DIB section and the row converters between it and
// the 32-bit pixels every drawing loop works on.
struct TDibFormat {
    std::int32_t Bits = 32;
    std::uint32_t Compression = BI_RGB;
    std::uint32_t Masks[3] = {0, 0, 0};
    std::vector<std::uint32_t> Colors;  // 0x00RRGGBB, as the table's bytes read

    void ReadRow(const std::uint8_t* row, std::int32_t width, std::uint32_t* pixels) const;
    void WriteRow(const std::uint32_t* pixels, std::int32_t width, std::uint8_t* row) const;
    void ResetCache() { Nearest.clear(); }

private:
    mutable std::unordered_map<std::uint32_t, std::uint8_t> Nearest;
    std::uint8_t NearestIndex(std::uint32_t pixel) const;
};

// A section keeps its own memory beside the 32-bit pixels. Which copy is
// newer is tracked: handing out the memory makes it the newer one, drawing
// makes the pixels newer, and each side is brought up to date only when the
// other is about to be used. A 32-bit top-down section shares one memory
// with its pixels and never converts.
struct TDibData {
    TBitmapInfoHeader Header;
    TDibFormat Format;
    std::int32_t Stride = 0;
    bool Shared = false;
    std::vector<std::uint8_t> Raw;  // empty when Shared
    bool RawNewer = false;
    bool PixelsNewer = false;
};

// The pixels of a bitmap: memory of its own, or memory lent by the window
// system (a desktop window's backing store), which the bitmap draws on in
// place so that showing it copies nothing.
class TPixelStore {
public:
    void assign(std::size_t count, std::uint32_t value) {
        Owned.assign(count, value);
        Memory = Owned.data();
        Count = count;
    }
    void Lend(std::uint32_t* memory, std::size_t count) {
        Owned.clear();
        Owned.shrink_to_fit();
        Memory = memory;
        Count = count;
    }
    std::uint32_t* data() { return Memory; }
    const std::uint32_t* data() const { return Memory; }
    std::size_t size() const { return Count; }
    std::uint32_t* begin() { return Memory; }
    std::uint32_t* end() { return Memory + Count; }
    const std::uint32_t* begin() const { return Memory; }
    const std::uint32_t* end() const { return Memory + Count; }
    std::uint32_t& operator[](std::size_t i) { return Memory[i]; }

private:
    std::vector<std::uint32_t> Owned;
    std::uint32_t* Memory = nullptr;
    std::size_t Count = 0;
};

class TBitmapObject : public TGdiObject {
public:
    TBitmapObject(std::int32_t width, std::int32_t height, bool mono);
    ~TBitmapObject() override;
    std::uint32_t* Row(std::int32_t y) { return Pixels.data() + static_cast<std::size_t>(y) * Width; }
    cairo_surface_t* Surface();
    // Monochrome bitmaps keep pure black and white after drawing with Cairo.
    void Threshold(const TRect& area);
    // Before the pixels are read: a section's memory is brought into them.
    void SyncIn();
    // Before the pixels are drawn on: SyncIn, and the pixels become newer.
    void Touch();
    // Before a section's memory is used: the drawing is brought into it.
    void SyncOut();
    std::uint8_t* DibMemory();

    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Mono = false;
    TPixelStore Pixels;
    std::unique_ptr<TDibData> Dib;  // only for DIB sections

private:
    cairo_surface_t* CairoSurface = nullptr;
};

class TRegionObject : public TGdiObject {
public:
    TRegionObject() : Region(cairo_region_create()) {}
    explicit TRegionObject(const TRect& r);
    ~TRegionObject() override { cairo_region_destroy(Region); }
    cairo_region_t* Region;
};

class TDeviceContext;

// What a recording context does instead of drawing: the enhanced-metafile
// recorder implements it. Each call comes with the context, so the
// recorder sees the selected objects, colours and modes of the moment.
class TDcRecorder {
public:
    virtual ~TDcRecorder() = default;
    virtual void FillRect(TDeviceContext& dc, const TRect& rect, TBrushObject* brush) = 0;
    virtual void PatBlt(TDeviceContext& dc, const TRect& rect, std::uint32_t rop) = 0;
    virtual void LineTo(TDeviceContext& dc, TPoint from, TPoint to) = 0;
    virtual void Polyline(TDeviceContext& dc, const TPoint* points, int count) = 0;
    virtual void PolyPolygon(TDeviceContext& dc,
                             const TPoint* points,
                             const int* counts,
                             int polygons,
                             int fillMode) = 0;
    virtual void Rectangle(TDeviceContext& dc, const TRect& rect) = 0;
    virtual void SetPixel(TDeviceContext& dc, std::int32_t x, std::int32_t y, TColorRef color) = 0;
    virtual void FillRgn(TDeviceContext& dc, TRegionObject* region, TBrushObject* brush) = 0;
    virtual void Text(TDeviceContext& dc,
                      std::int32_t x,
                      std::int32_t y,
                      std::uint32_t options,
                      const TRect* rect,
                      const std::u32string& characters,
                      const std::vector<std::int32_t>& advances) = 0;
    // A blit from source (null for operations without one), stretched when
    // the sizes differ, through mask (null for none) with a four-operand code.
    virtual void Blit(TDeviceContext& dc,
                      const TRect& dest,
                      TDeviceContext* source,
                      const TRect& sourceRect,
                      TBitmapObject* mask,
                      TPoint maskOrigin,
                      std::uint32_t rop) = 0;
};

class TDeviceContext {
public:
    ~TDeviceContext();
    TDcRecorder* Recorder = nullptr;  // owned: set only on recording contexts
    bool Screen = false;
    TBitmapObject* Bitmap = nullptr;
    TFontObject* Font = nullptr;
    TPenObject* Pen = nullptr;
    TBrushObject* Brush = nullptr;
    TColorRef TextColor = 0;
    TColorRef BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    int StretchMode = BLACKONWHITE;
    std::uint32_t TextAlign = 0;
    TPoint Pos;
    cairo_region_t* Clip = nullptr;  // null: no clip region
    // A window context drawing straight on its top-level's surface: what of
    // the window may be painted. The clip region only narrows it, so a
    // window that removes its clip still cannot paint over its neighbours.
    cairo_region_t* WindowClip = nullptr;  // null: the whole bitmap

    TFontObject* FontOrStock();
    // The rectangles where drawing may land, inside area: the bitmap's
    // bounds and the clip region.
    std::vector<TRect> ClipRects(const TRect& area) const;
    bool Visible(std::int32_t x, std::int32_t y) const;
    // A Cairo context on the bitmap, clipped; null without pixels.
    cairo_t* BeginCairo(const TRect* extraClip);
    void EndCairo(cairo_t* cr, const TRect& touched);
};

// Helpers shared by the back-end files.
TRect Intersect(const TRect& a, const TRect& b);
std::uint32_t MonoOf(std::uint32_t pixel);  // nearest of black and white
// The pattern pixel of a brush at a device position (for raster operations).
std::uint32_t BrushPixel(const TDeviceContext& dc, const TBrushObject* brush, std::int32_t x, std::int32_t y);
// The raster operation's result for one pixel (ternary code byte).
std::uint32_t ApplyRop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d);
TFontObject* StockFontObject();
TBitmapObject* StockBitmap();

// The font library: installed faces grouped into families.
struct TResolvedFace {
    TFaceFile* Face = nullptr;
    std::string FaceName;
    bool SynthBold = false;
    bool SynthItalic = false;
};
TResolvedFace ResolveFace(const TLogFont& logFont);
FT_Library FreeTypeLibrary();

}  // namespace Platform
