#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteReader.h"
#include "platform/GdiTypes.h"

class TBitmap;
class TGraphic;
class TMetafile;
struct TShapePicture;

// The picture kinds a shape's picture can hold, told from its bytes.
enum class TGraphicKind : std::uint8_t {
    None,  // no bytes, or bytes no reader here knows
    Png,
    Jpeg,
    Gif,
    Bmp,  // a BMP file with its file header
    Dib,  // a packed device-independent bitmap (RTF's \dibitmap)
    Emf,
    Wmf,  // with or without the placeable header
};

// What a picture's header says before anything is decoded: its kind and its
// size in pixels, and in twips where the file states a physical size.
struct TGraphicHeader {
    TGraphicKind Kind = TGraphicKind::None;
    std::int32_t PixelWidth = 0;
    std::int32_t PixelHeight = 0;
    std::int32_t TwipsWidth = 0;  // 0 when the file states none
    std::int32_t TwipsHeight = 0;
};

// Tells the kind from the bytes' signature and reads the size from the
// header. declaredKind is the TShapePicture kind a reader stored (pkNone when
// none): it is needed only for the forms without a signature, packed DIBs
// and Windows metafiles without the placeable header. A bad header gives the
// reason and the offset of the first byte that could not be accepted; a size
// of zero or beyond the largest picture this program decodes is refused.
TReadResult ReadGraphicHeader(std::span<const std::uint8_t> bytes, std::uint8_t declaredKind, TGraphicHeader& out);

// The picture of a shape: the bytes of its source file kept in a temporary
// file of its own in the program's temporary folder, and decoded into memory
// only while they are needed (drawing, conversion, measuring).
//
// Decoded pictures are counted process-wide. Before a picture is decoded,
// the least recently used others are unloaded until it fits under the
// limit; a picture used while the total is over the limit is unloaded again
// right after that use. A picture too large to fit under the limit on its
// own is never decoded and draws as its placeholder.
//
// A picture whose bytes cannot be read keeps them all the same (so a save
// writes them back) and takes the placeholder's size, never a zero or
// unbounded one.
class TDocGraphic {
public:
    TDocGraphic();
    TDocGraphic(const TDocGraphic&) = delete;
    TDocGraphic& operator=(const TDocGraphic&) = delete;
    ~TDocGraphic();

    // A picture the RTF reader stored: its bytes, with the extent the file
    // stated where the bytes state none (plain Windows metafiles).
    static std::unique_ptr<TDocGraphic> FromPicture(const TShapePicture& picture);
    // The bytes of a picture file.
    static std::unique_ptr<TDocGraphic> FromBytes(std::span<const std::uint8_t> bytes);
    // A new picture holding the same bytes (its own backing file).
    std::unique_ptr<TDocGraphic> Clone() const;

    // Gives the picture its bytes: they go into a new temporary file (kept
    // in memory instead when no file can be written, so nothing is lost).
    // The picture is unloaded first. False only when the bytes could not be
    // kept at all.
    bool AttachBytes(std::span<const std::uint8_t> bytes, std::uint8_t declaredKind);

    TGraphicKind Kind() const { return Header.Kind; }
    // The bytes could be read as a picture of a known kind and size.
    bool Readable() const { return Header.Kind != TGraphicKind::None; }
    // Size in pixels and natural size in twips: the placeholder's for a
    // picture that cannot be read.
    std::int32_t PixelWidth() const { return Header.PixelWidth; }
    std::int32_t PixelHeight() const { return Header.PixelHeight; }
    std::int32_t TwipsWidth() const { return Header.TwipsWidth; }
    std::int32_t TwipsHeight() const { return Header.TwipsHeight; }
    std::int64_t ByteCount() const { return Size; }
    // The picture's bytes as they were given, read back from the backing
    // file (empty when that file has gone).
    std::string Bytes() const;
    const std::string& FileName() const { return BackingFile; }
    // Same kind and same bytes.
    bool SamePicture(const TDocGraphic& other) const;

    // Loading and unloading. Loading a picture already loaded, or unloading
    // one not loaded, changes nothing. A failure to load leaves the picture
    // unloaded, silently: it then draws as its placeholder.
    bool Loaded() const { return Graphic != nullptr; }
    void SetSwapped(bool swapped);
    // The bytes this picture counts while loaded: width x height x 3 for
    // pictures of pixels, the metafile's size for metafiles.
    std::int64_t LoadedBytes() const { return Counted; }
    // Keeps the picture loaded between uses while the total allows it
    // (true, the default), or unloads it after every use.
    bool KeepLoaded = true;

    // Draw flags.
    enum : std::uint32_t { dfSelected = 1, dfLightened = 2, dfPrinting = 4 };
    // Draws the picture into rect (device pixels). Pictures of pixels drawn
    // repeatedly at one scaled size are drawn from a resampled copy from the
    // fourth draw at that size on, unless printing.
    void Draw(Platform::HDC dc, const Platform::TRect& rect, std::uint32_t flags = 0);
    std::int32_t DrawCount() const { return Draws; }
    // Shape operations: when the picture was last loaded or used, on a
    // process-wide clock (0: never).
    std::uint64_t LastUse() const { return UseStamp; }
    // Whether the last draw came from the resampled copy.
    bool LastDrawCached() const { return LastCached; }

    // A new 24-bit bitmap of the picture (metafiles rendered at their
    // natural size, at most 4000 pixels each way); null when the picture
    // cannot be read.
    std::unique_ptr<TBitmap> ToBitmap();
    // The PNG bytes of a metafile picture rendered on white (empty for other
    // kinds, or when it cannot be rendered); made once and kept.
    const std::string& PngBytesOfMetafile();
    // The number of distinct colours, stopping after a row once it passes
    // 256; 0 when the picture cannot be read.
    std::int32_t CountColours();
    // An outline around the picture's dark parts for tight wrapping, in
    // units of 1/21600 of its width and height (x, y pairs); the full square
    // when there is nothing to trace around. The picture is sampled at a
    // bounded size and the outline has a bounded number of points, so a huge
    // picture costs no more than a moderate one.
    std::vector<Platform::TPoint> TraceOutline();

    // The process-wide total of the loaded pictures' bytes and its limit
    // (256 MB; tests lower it).
    static std::int64_t TotalLoadedBytes();
    static std::int64_t LoadedBytesLimit();
    static void SetLoadedBytesLimit(std::int64_t limit);
    // The highest total seen since the last reset (for tests and the
    // benchmark of many pictures).
    static std::int64_t PeakLoadedBytes();
    static void ResetPeakLoadedBytes();

    // The placeholder's size: one inch square.
    static constexpr std::int32_t PlaceholderPixels = 96;
    static constexpr std::int32_t PlaceholderTwips = 1440;
    // The largest natural size, in pixels each way; larger pictures are
    // shrunk to it, keeping their proportions.
    static constexpr std::int32_t MaxNaturalPixels = 4000;

private:
    void Load();
    void Unload();
    void AfterUse();
    void Count(std::int64_t bytes);
    TBitmap* Pixels() const;
    void DrawPlaceholder(Platform::HDC dc, const Platform::TRect& rect) const;
    void DrawPixels(Platform::HDC dc, const Platform::TRect& rect, std::uint32_t flags);
    void DeleteBackingFile();

    TGraphicHeader Header;
    std::uint8_t DeclaredKind = 0;
    bool SizeStated = false;  // the bytes' header gave the size
    std::string BackingFile;
    std::string InMemory;  // the bytes when no backing file could be written
    std::int64_t Size = 0;

    std::unique_ptr<TGraphic> Graphic;
    TBitmap* PixelView = nullptr;  // the pixels inside Graphic (JPEG: its decoded bitmap)
    std::int64_t Counted = 0;

    std::unique_ptr<TBitmap> Cache;
    std::int64_t CacheCounted = 0;
    bool CacheLightened = false;
    std::int32_t Draws = 0;
    std::int32_t SameSizeDraws = 0;
    std::int32_t LastDrawWidth = 0;
    std::int32_t LastDrawHeight = 0;
    bool LastCached = false;

    std::string MetafilePng;
    std::int32_t Colours = 0;

    std::uint64_t UseStamp = 0;    // shape operations: see LastUse
    TDocGraphic* Newer = nullptr;  // the list of loaded pictures, most recently used first
    TDocGraphic* Older = nullptr;
    friend class TLoadedGraphics;
};
