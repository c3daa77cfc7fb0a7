#include "model/formats/TDocGraphic.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "base/core/TList.h"
#include "base/core/TMemoryStream.h"
#include "base/files/TempFiles.h"
#include "base/graphics/Lightening.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/ColorReduction.h"
#include "base/pictures/MetafileConversions.h"
#include "base/pictures/TGIFImage.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TMetafile.h"
#include "base/pictures/TPNGImage.h"
#include "model/formats/ShapePicture.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Files.h"
#include "platform/Metafiles.h"

using Platform::TPoint;
using Platform::TRect;

namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
// Twips per pixel at the 96 pixels per inch pictures without a physical
// size are taken to have.
constexpr std::int32_t kTwipsPerPixel = 15;
// A side longer than this is not a picture anyone can show; such a header
// is taken as damaged rather than believed.
constexpr std::int32_t kMaxSidePixels = 65535;
// Tracing samples the picture at no more than this many pixels each way,
// which bounds its cost and its outline's point count.
constexpr std::int32_t kTraceSamplePixels = 400;

std::int32_t MulDivRound(std::int64_t value, std::int64_t num, std::int64_t den) {
    if (den == 0)
        return 0;
    const std::int64_t product = value * num;
    const std::int64_t half = (den < 0 ? -den : den) / 2;
    const std::int64_t result = product >= 0 ? (product + half) / den : (product - half) / den;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, INT32_MIN, INT32_MAX));
}

TReadResult CheckSize(const TByteReader& r, std::int64_t width, std::int64_t height, std::size_t offset) {
    if (width <= 0 || height <= 0 || width > kMaxSidePixels || height > kMaxSidePixels)
        return TReadResult::Failure("picture size out of range", r.InputOffset() + offset);
    return TReadResult::Success();
}

TReadResult ReadPngHeader(const TByteReader& r, TGraphicHeader& out) {
    if (!r.HasAt(8, 16))
        return TReadResult::Failure("PNG file ends inside its header", r.Size());
    if (r.U32BEAt(8) != 13 || r.U32BEAt(12) != 0x49484452)  // "IHDR"
        return TReadResult::Failure("PNG file does not begin with its IHDR chunk", 8);
    const std::uint32_t w = r.U32BEAt(16);
    const std::uint32_t h = r.U32BEAt(20);
    if (TReadResult size = CheckSize(r, w, h, 16); !size)
        return size;
    out.PixelWidth = static_cast<std::int32_t>(w);
    out.PixelHeight = static_cast<std::int32_t>(h);
    return TReadResult::Success();
}

TReadResult ReadJpegHeader(const TByteReader& r, TGraphicHeader& out) {
    std::size_t at = 2;
    while (true) {
        if (!r.HasAt(at, 2))
            return TReadResult::Failure("JPEG file ends before its frame header", r.Size());
        if (r.U8At(at) != 0xFF)
            return TReadResult::Failure("JPEG marker expected", at);
        const std::uint8_t marker = r.U8At(at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
            return TReadResult::Failure("JPEG image data before its frame header", at);
        if (!r.HasAt(at + 2, 2))
            return TReadResult::Failure("JPEG file ends before its frame header", r.Size());
        const std::uint16_t length = r.U16BEAt(at + 2);
        if (length < 2)
            return TReadResult::Failure("JPEG segment length out of range", at + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 8 || !r.HasAt(at + 2, length))
                return TReadResult::Failure("JPEG frame header ends early", at + 2);
            const std::uint16_t h = r.U16BEAt(at + 5);
            const std::uint16_t w = r.U16BEAt(at + 7);
            if (TReadResult size = CheckSize(r, w, h, at + 5); !size)
                return size;
            out.PixelWidth = w;
            out.PixelHeight = h;
            return TReadResult::Success();
        }
        at += 2 + static_cast<std::size_t>(length);
    }
}

// The bitmap information header of a BMP file (at 14) or a packed DIB (at 0).
TReadResult ReadDibHeader(const TByteReader& r, std::size_t at, TGraphicHeader& out) {
    const std::uint32_t headerSize = r.U32LEAt(at);
    if (!r.HasAt(at, 4) || !r.HasAt(at, std::max<std::uint32_t>(headerSize, 12)))
        return TReadResult::Failure("bitmap header ends early", r.HasAt(at, 4) ? r.Size() : at);
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (headerSize == 12) {
        w = r.U16LEAt(at + 4);
        h = r.U16LEAt(at + 6);
    } else if (headerSize >= 40) {
        w = r.I32LEAt(at + 4);
        h = std::abs(static_cast<std::int64_t>(r.I32LEAt(at + 8)));
    } else {
        return TReadResult::Failure("bitmap header size not known", at);
    }
    if (TReadResult size = CheckSize(r, w, h, at + 4); !size)
        return size;
    out.PixelWidth = static_cast<std::int32_t>(w);
    out.PixelHeight = static_cast<std::int32_t>(h);
    return TReadResult::Success();
}

TReadResult ReadEmfHeader(const TByteReader& r, TGraphicHeader& out) {
    if (!r.HasAt(0, 88))
        return TReadResult::Failure("EMF header ends early", r.Size());
    // The frame in hundredths of a millimetre, and the reference device's
    // size in pixels and in millimetres, which give its resolution.
    const std::int64_t frameW = static_cast<std::int64_t>(r.I32LEAt(32)) - r.I32LEAt(24);
    const std::int64_t frameH = static_cast<std::int64_t>(r.I32LEAt(36)) - r.I32LEAt(28);
    const std::int32_t devW = r.I32LEAt(72);
    const std::int32_t devH = r.I32LEAt(76);
    const std::int32_t mmW = r.I32LEAt(80);
    const std::int32_t mmH = r.I32LEAt(84);
    if (frameW <= 0 || frameH <= 0 || frameW > INT32_MAX / 1440 || frameH > INT32_MAX / 1440)
        return TReadResult::Failure("EMF frame out of range", 24);
    if (devW <= 0 || devH <= 0 || mmW <= 0 || mmH <= 0)
        return TReadResult::Failure("EMF reference device out of range", 72);
    const std::int64_t w = MulDivRound(frameW, devW, static_cast<std::int64_t>(mmW) * 100);
    const std::int64_t h = MulDivRound(frameH, devH, static_cast<std::int64_t>(mmH) * 100);
    if (TReadResult size = CheckSize(r, w, h, 24); !size)
        return size;
    out.PixelWidth = static_cast<std::int32_t>(w);
    out.PixelHeight = static_cast<std::int32_t>(h);
    out.TwipsWidth = MulDivRound(frameW, 1440, 2540);
    out.TwipsHeight = MulDivRound(frameH, 1440, 2540);
    return TReadResult::Success();
}

TReadResult ReadPlaceableWmfHeader(const TByteReader& r, TGraphicHeader& out) {
    if (!r.HasAt(0, 22))
        return TReadResult::Failure("metafile header ends early", r.Size());
    const std::int64_t w = static_cast<std::int64_t>(r.I16LEAt(10)) - r.I16LEAt(6);
    const std::int64_t h = static_cast<std::int64_t>(r.I16LEAt(12)) - r.I16LEAt(8);
    const std::uint16_t inch = r.U16LEAt(14);
    if (inch == 0)
        return TReadResult::Failure("metafile units per inch are 0", 14);
    if (w <= 0 || h <= 0)
        return TReadResult::Failure("metafile bounds out of range", 6);
    out.TwipsWidth = MulDivRound(w, 1440, inch);
    out.TwipsHeight = MulDivRound(h, 1440, inch);
    const std::int64_t pw = std::max<std::int64_t>(1, out.TwipsWidth / kTwipsPerPixel);
    const std::int64_t ph = std::max<std::int64_t>(1, out.TwipsHeight / kTwipsPerPixel);
    if (TReadResult size = CheckSize(r, pw, ph, 6); !size)
        return size;
    out.PixelWidth = static_cast<std::int32_t>(pw);
    out.PixelHeight = static_cast<std::int32_t>(ph);
    return TReadResult::Success();
}

bool IsPlainWmf(const TByteReader& r) {
    const std::uint16_t type = r.U16LEAt(0);
    const std::uint16_t version = r.U16LEAt(4);
    return r.HasAt(0, 18) && (type == 1 || type == 2) && r.U16LEAt(2) == 9 && (version == 0x100 || version == 0x300);
}

// Natural sizes in twips from pixels where the file states none, and at
// most MaxNaturalPixels each way, the proportions kept.
void CompleteNaturalSize(TGraphicHeader& h) {
    if (h.TwipsWidth <= 0 || h.TwipsHeight <= 0) {
        h.TwipsWidth = h.PixelWidth * kTwipsPerPixel;
        h.TwipsHeight = h.PixelHeight * kTwipsPerPixel;
    }
    constexpr std::int32_t cap = TDocGraphic::MaxNaturalPixels * kTwipsPerPixel;
    const std::int32_t longer = std::max(h.TwipsWidth, h.TwipsHeight);
    if (longer > cap) {
        h.TwipsWidth = std::max(1, MulDivRound(h.TwipsWidth, cap, longer));
        h.TwipsHeight = std::max(1, MulDivRound(h.TwipsHeight, cap, longer));
    }
}

TGraphicHeader PlaceholderHeader() {
    TGraphicHeader h;
    h.PixelWidth = h.PixelHeight = TDocGraphic::PlaceholderPixels;
    h.TwipsWidth = h.TwipsHeight = TDocGraphic::PlaceholderTwips;
    return h;
}

bool WriteWholeFile(const std::string& name, std::span<const std::uint8_t> bytes) {
    const Platform::TFileHandle file = Platform::CreateNewFile(name);
    if (file == Platform::kNoFile)
        return false;
    const auto count = static_cast<std::int64_t>(bytes.size());
    const bool written = count == 0 || Platform::WriteFileBytes(file, bytes.data(), count) == count;
    Platform::CloseFile(file);
    if (!written)
        Platform::DeleteFileAt(name);
    return written;
}

// The decoders read streams; this one reads the bytes in place.
class TBytesStream : public TCustomMemoryStream {
public:
    std::int32_t Write(const void*, std::int32_t) override { return 0; }
};

}  // namespace

// The process-wide count of loaded pictures and the list of them, most
// recently used first, that loading draws on to make room.
class TLoadedGraphics {
public:
    static TLoadedGraphics& Get() {
        static TLoadedGraphics state;
        return state;
    }
    void Add(std::int64_t bytes) {
        Total += bytes;
        Peak = std::max(Peak, Total);
    }
    void Touch(TDocGraphic* g) {
        Remove(g);
        // Shape operations: the stamp orders the pictures of one document
        // by their last use.
        g->UseStamp = ++Clock;
        g->Older = Newest;
        g->Newer = nullptr;
        if (Newest != nullptr)
            Newest->Newer = g;
        Newest = g;
        if (Oldest == nullptr)
            Oldest = g;
    }
    std::uint64_t Clock = 0;
    void Remove(TDocGraphic* g) {
        if (g->Newer != nullptr)
            g->Newer->Older = g->Older;
        else if (Newest == g)
            Newest = g->Older;
        if (g->Older != nullptr)
            g->Older->Newer = g->Newer;
        else if (Oldest == g)
            Oldest = g->Newer;
        g->Newer = g->Older = nullptr;
    }
    // Unloads the least recently used pictures other than keep until bytes
    // more fit under the limit.
    void MakeRoom(std::int64_t bytes, const TDocGraphic* keep) {
        TDocGraphic* g = Oldest;
        while (g != nullptr && Total + bytes > Limit) {
            TDocGraphic* newer = g->Newer;
            if (g != keep)
                g->Unload();
            g = newer;
        }
    }

    std::int64_t Total = 0;
    std::int64_t Peak = 0;
    std::int64_t Limit = 0x10000000;
    TDocGraphic* Newest = nullptr;
    TDocGraphic* Oldest = nullptr;
};

TReadResult ReadGraphicHeader(std::span<const std::uint8_t> bytes, std::uint8_t declaredKind, TGraphicHeader& out) {
    out = TGraphicHeader{};
    const TByteReader r(bytes);
    static constexpr std::uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    TGraphicHeader h;
    TReadResult result = TReadResult::Success();
    if (bytes.size() >= 8 && std::equal(png, png + 8, bytes.begin())) {
        h.Kind = TGraphicKind::Png;
        result = ReadPngHeader(r, h);
    } else if (r.U8At(0) == 0xFF && r.U8At(1) == 0xD8 && r.HasAt(0, 3)) {
        h.Kind = TGraphicKind::Jpeg;
        result = ReadJpegHeader(r, h);
    } else if (r.HasAt(0, 6) && (r.SubAt(0, 6).Chars(6) == "GIF87a" || r.SubAt(0, 6).Chars(6) == "GIF89a")) {
        h.Kind = TGraphicKind::Gif;
        if (!r.HasAt(6, 4))
            return TReadResult::Failure("GIF file ends inside its screen descriptor", bytes.size());
        result = CheckSize(r, r.U16LEAt(6), r.U16LEAt(8), 6);
        h.PixelWidth = r.U16LEAt(6);
        h.PixelHeight = r.U16LEAt(8);
    } else if (r.U8At(0) == 'B' && r.U8At(1) == 'M' && declaredKind != pkDib) {
        h.Kind = TGraphicKind::Bmp;
        if (!r.HasAt(0, 18))
            return TReadResult::Failure("BMP file ends inside its file header", bytes.size());
        result = ReadDibHeader(r, 14, h);
    } else if (r.U32LEAt(0) == 1 && r.U32LEAt(40) == kEmfSignature) {
        h.Kind = TGraphicKind::Emf;
        result = ReadEmfHeader(r, h);
    } else if (r.U32LEAt(0) == kPlaceableKey && r.HasAt(0, 4)) {
        h.Kind = TGraphicKind::Wmf;
        result = ReadPlaceableWmfHeader(r, h);
    } else if (IsPlainWmf(r)) {
        // The size lies in the records or beside the bytes; the caller
        // supplies it.
        h.Kind = TGraphicKind::Wmf;
    } else if (declaredKind == pkDib) {
        h.Kind = TGraphicKind::Dib;
        result = ReadDibHeader(r, 0, h);
    } else {
        return TReadResult::Failure(bytes.empty() ? "no picture bytes" : "picture kind not known", 0);
    }
    if (!result)
        return result;
    out = h;
    return TReadResult::Success();
}

TDocGraphic::TDocGraphic() {
    Header = PlaceholderHeader();
}

TDocGraphic::~TDocGraphic() {
    Unload();
    DeleteBackingFile();
}

std::unique_ptr<TDocGraphic> TDocGraphic::FromPicture(const TShapePicture& picture) {
    auto graphic = std::make_unique<TDocGraphic>();
    const auto* data = reinterpret_cast<const std::uint8_t*>(picture.Data.data());
    graphic->AttachBytes({data, picture.Data.size()}, picture.Kind);
    // A plain Windows metafile states its extent only beside its bytes:
    // hundredths of a millimetre, or else the goal size in twips.
    if (graphic->Readable() && !graphic->SizeStated) {
        TGraphicHeader& h = graphic->Header;
        if (picture.PicWidth > 0 && picture.PicHeight > 0) {
            h.TwipsWidth = MulDivRound(picture.PicWidth, 1440, 2540);
            h.TwipsHeight = MulDivRound(picture.PicHeight, 1440, 2540);
        } else if (picture.GoalWidth > 0 && picture.GoalHeight > 0) {
            h.TwipsWidth = picture.GoalWidth;
            h.TwipsHeight = picture.GoalHeight;
        } else {
            return graphic;  // the placeholder's size it has already
        }
        h.TwipsWidth = std::max(1, h.TwipsWidth);
        h.TwipsHeight = std::max(1, h.TwipsHeight);
        CompleteNaturalSize(h);
        h.PixelWidth = std::max(1, h.TwipsWidth / kTwipsPerPixel);
        h.PixelHeight = std::max(1, h.TwipsHeight / kTwipsPerPixel);
    }
    return graphic;
}

std::unique_ptr<TDocGraphic> TDocGraphic::FromBytes(std::span<const std::uint8_t> bytes) {
    auto graphic = std::make_unique<TDocGraphic>();
    graphic->AttachBytes(bytes, pkNone);
    return graphic;
}

std::unique_ptr<TDocGraphic> TDocGraphic::Clone() const {
    auto copy = std::make_unique<TDocGraphic>();
    const std::string bytes = Bytes();
    copy->AttachBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, DeclaredKind);
    // The size may have come from beside the bytes.
    copy->Header = Header;
    copy->SizeStated = SizeStated;
    return copy;
}

bool TDocGraphic::AttachBytes(std::span<const std::uint8_t> bytes, std::uint8_t declaredKind) {
    Unload();
    DeleteBackingFile();
    InMemory.clear();
    MetafilePng.clear();
    Colours = 0;
    DeclaredKind = declaredKind;
    Size = static_cast<std::int64_t>(bytes.size());
    TGraphicHeader header;
    SizeStated = false;
    if (ReadGraphicHeader(bytes, declaredKind, header)) {
        SizeStated = header.PixelWidth > 0;
        if (SizeStated) {
            CompleteNaturalSize(header);
            Header = header;
        } else {
            // A plain Windows metafile: drawable, but its size lies beside
            // its bytes (FromPicture) or nowhere.
            Header = PlaceholderHeader();
            Header.Kind = header.Kind;
        }
    } else {
        Header = PlaceholderHeader();
    }
    if (bytes.empty())
        return true;
    std::string name = MakeTempFileName(".tmp");
    if (WriteWholeFile(name, bytes)) {
        BackingFile = std::move(name);
        return true;
    }
    // No room in the temporary folder: the bytes stay in memory rather than
    // be lost.
    try {
        InMemory.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    } catch (const std::bad_alloc&) {
        Header = PlaceholderHeader();
        Size = 0;
        return false;
    }
    return true;
}

void TDocGraphic::DeleteBackingFile() {
    if (!BackingFile.empty())
        Platform::DeleteFileAt(BackingFile);
    BackingFile.clear();
}

std::string TDocGraphic::Bytes() const {
    if (BackingFile.empty())
        return InMemory;
    std::string out;
    const Platform::TFileHandle file = Platform::OpenExistingFile(BackingFile, Platform::TFileAccess::Read);
    if (file == Platform::kNoFile)
        return out;
    out.resize(static_cast<std::size_t>(Size));
    const std::int64_t read = Size == 0 ? 0 : Platform::ReadFileBytes(file, out.data(), Size);
    Platform::CloseFile(file);
    if (read != Size)
        out.clear();
    return out;
}

bool TDocGraphic::SamePicture(const TDocGraphic& other) const {
    if (this == &other)
        return true;
    return Header.Kind == other.Header.Kind && Size == other.Size && Bytes() == other.Bytes();
}

// ---------------------------------------------------------------------------
// Loading

std::int64_t TDocGraphic::TotalLoadedBytes() {
    return TLoadedGraphics::Get().Total;
}
std::int64_t TDocGraphic::LoadedBytesLimit() {
    return TLoadedGraphics::Get().Limit;
}
void TDocGraphic::SetLoadedBytesLimit(std::int64_t limit) {
    TLoadedGraphics::Get().Limit = limit;
}
std::int64_t TDocGraphic::PeakLoadedBytes() {
    return TLoadedGraphics::Get().Peak;
}
void TDocGraphic::ResetPeakLoadedBytes() {
    TLoadedGraphics::Get().Peak = TLoadedGraphics::Get().Total;
}

void TDocGraphic::Count(std::int64_t bytes) {
    TLoadedGraphics::Get().Add(bytes);
}

void TDocGraphic::SetSwapped(bool swapped) {
    if (swapped)
        Unload();
    else
        Load();
}

void TDocGraphic::Load() {
    if (Graphic != nullptr) {
        TLoadedGraphics::Get().Touch(this);
        return;
    }
    // The decoders read from one block of memory of at most 2 GB.
    if (!Readable() || Size == 0 || Size > INT32_MAX)
        return;
    TLoadedGraphics& loaded = TLoadedGraphics::Get();
    const bool metafile = Header.Kind == TGraphicKind::Emf || Header.Kind == TGraphicKind::Wmf;
    const std::int64_t expected =
        metafile ? Size : static_cast<std::int64_t>(Header.PixelWidth) * Header.PixelHeight * 3;
    // A picture that cannot fit under the limit on its own is not decoded.
    if (expected > loaded.Limit)
        return;
    loaded.MakeRoom(expected, this);
    std::string bytes = Bytes();
    if (static_cast<std::int64_t>(bytes.size()) != Size)
        return;
    TBytesStream stream;
    stream.SetMemory(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    std::unique_ptr<TGraphic> graphic;
    TBitmap* pixels = nullptr;
    try {
        switch (Header.Kind) {
            case TGraphicKind::Png: {
                auto png = std::make_unique<TPNGImage>();
                const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
                if (!png->ReadFromBytes({data, bytes.size()}))
                    return;
                pixels = png.get();
                graphic = std::move(png);
                break;
            }
            case TGraphicKind::Gif: {
                auto gif = std::make_unique<TGIFImage>();
                gif->LoadFromStream(stream);
                pixels = gif.get();
                graphic = std::move(gif);
                break;
            }
            case TGraphicKind::Bmp:
            case TGraphicKind::Dib: {
                auto bmp = std::make_unique<TBitmap>();
                if (Header.Kind == TGraphicKind::Bmp ? !bmp->ParseBMPStream(stream, Size)
                                                     : !bmp->ParseDIB(stream, Size))
                    return;
                pixels = bmp.get();
                graphic = std::move(bmp);
                break;
            }
            case TGraphicKind::Jpeg: {
                auto jpeg = std::make_unique<TJPEGImage>();
                jpeg->ReadData(Size, stream);
                pixels = jpeg->DecodedBitmap();
                graphic = std::move(jpeg);
                break;
            }
            case TGraphicKind::Emf:
            case TGraphicKind::Wmf: {
                auto meta = std::make_unique<TMetafile>();
                // A plain Windows metafile learns its size from beside it.
                if (Header.Kind == TGraphicKind::Wmf) {
                    MetafileSizeHintCx = Header.TwipsWidth * 635;
                    MetafileSizeHintCy = Header.TwipsHeight * 635;
                }
                try {
                    meta->LoadFromStream(stream);
                } catch (...) {
                    MetafileSizeHintCx = MetafileSizeHintCy = 0;
                    throw;
                }
                MetafileSizeHintCx = MetafileSizeHintCy = 0;
                if (meta->Handle() == nullptr)
                    return;
                graphic = std::move(meta);
                break;
            }
            case TGraphicKind::None:
                return;
        }
    } catch (const std::exception&) {
        // A picture that cannot be decoded stays unloaded and draws as its
        // placeholder; its bytes are kept all the same.
        return;
    }
    if (graphic == nullptr || (!metafile && (pixels == nullptr || pixels->IsEmpty())))
        return;
    Graphic = std::move(graphic);
    PixelView = pixels;
    Counted = metafile ? Size : static_cast<std::int64_t>(pixels->GetWidth()) * pixels->GetHeight() * 3;
    Count(Counted);
    loaded.Touch(this);
}

void TDocGraphic::Unload() {
    if (Graphic == nullptr && Cache == nullptr)
        return;
    TLoadedGraphics& loaded = TLoadedGraphics::Get();
    loaded.Remove(this);
    loaded.Total -= Counted + CacheCounted;
    Counted = CacheCounted = 0;
    Cache.reset();
    PixelView = nullptr;
    Graphic.reset();
}

void TDocGraphic::AfterUse() {
    if (!KeepLoaded || TotalLoadedBytes() > LoadedBytesLimit())
        Unload();
}

TBitmap* TDocGraphic::Pixels() const {
    return PixelView;
}

// ---------------------------------------------------------------------------
// Drawing

void TDocGraphic::DrawPlaceholder(Platform::HDC dc, const TRect& rect) const {
    // A grey frame shows where the picture would be.
    Platform::HBRUSH brush = Platform::CreateSolidBrush(0x808080);
    Platform::FrameRect(dc, rect, brush);
    Platform::DeleteBrush(brush);
}

void TDocGraphic::Draw(Platform::HDC dc, const TRect& rect, std::uint32_t flags) {
    LastCached = false;
    if (dc == nullptr || rect.IsEmpty())
        return;
    ++Draws;
    if (rect.Width() == LastDrawWidth && rect.Height() == LastDrawHeight) {
        ++SameSizeDraws;
    } else {
        SameSizeDraws = 0;
        LastDrawWidth = rect.Width();
        LastDrawHeight = rect.Height();
    }
    Load();
    if (!Loaded()) {
        DrawPlaceholder(dc, rect);
        return;
    }
    if (PixelView == nullptr) {
        auto* meta = static_cast<TMetafile*>(Graphic.get());
        Platform::PlayEnhMetaFile(dc, meta->Handle(), rect);
    } else {
        DrawPixels(dc, rect, flags);
    }
    AfterUse();
}

void TDocGraphic::DrawPixels(Platform::HDC dc, const TRect& rect, std::uint32_t flags) {
    TBitmap& pixels = *PixelView;
    const std::int32_t w = rect.Width();
    const std::int32_t h = rect.Height();
    const bool scaled = w != pixels.GetWidth() || h != pixels.GetHeight();
    const bool lightened = (flags & dfLightened) != 0;
    const std::int64_t cacheBytes = static_cast<std::int64_t>(w) * h * 3;
    // The resampled copy pays off once a size has been drawn a few times;
    // one larger than an eighth of the limit would crowd out other pictures
    // and is not kept.
    const bool cacheable = (flags & dfPrinting) == 0 && SameSizeDraws > 2 && w + h >= 256 && scaled &&
                           cacheBytes <= LoadedBytesLimit() / 8;
    std::unique_ptr<TBitmap> temporary;
    TBitmap* source = &pixels;
    if (cacheable || lightened) {
        const bool reuse = cacheable && Cache != nullptr && Cache->GetWidth() == w && Cache->GetHeight() == h &&
                           CacheLightened == lightened;
        if (reuse) {
            source = Cache.get();
        } else {
            auto made = std::make_unique<TBitmap>();
            made->SetPixelFormat(pf24bit);
            made->SetSize(w, h);
            if (scaled)
                pixels.StretchDrawTo(*made);
            else
                made->Canvas()->Draw(0, 0, &pixels);
            if (lightened)
                LightenBitmap(*made, LightenFactor);
            source = made.get();
            if (cacheable) {
                TLoadedGraphics::Get().Total -= CacheCounted;
                Cache = std::move(made);
                CacheLightened = lightened;
                CacheCounted = cacheBytes;
                Count(CacheCounted);
            } else {
                temporary = std::move(made);
            }
        }
        LastCached = cacheable;
    }
    Platform::HDC sourceDC = source->Canvas()->Handle();
    if (sourceDC == nullptr)
        return;
    if (source->GetWidth() == w && source->GetHeight() == h) {
        Platform::BitBlt(dc, rect.Left, rect.Top, w, h, sourceDC, 0, 0, Platform::SRCCOPY);
    } else {
        const int mode = Platform::SetStretchBltMode(dc, Platform::HALFTONE);
        Platform::StretchBlt(dc, rect.Left, rect.Top, w, h, sourceDC, 0, 0, source->GetWidth(), source->GetHeight(),
                             Platform::SRCCOPY);
        Platform::SetStretchBltMode(dc, mode);
    }
}

// ---------------------------------------------------------------------------
// Conversions

std::unique_ptr<TBitmap> TDocGraphic::ToBitmap() {
    Load();
    if (!Loaded())
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    try {
        if (PixelView == nullptr) {
            const std::int32_t w = std::clamp(Header.TwipsWidth / kTwipsPerPixel, 1, MaxNaturalPixels);
            const std::int32_t h = std::clamp(Header.TwipsHeight / kTwipsPerPixel, 1, MaxNaturalPixels);
            RenderMetafileToBitmap(static_cast<TMetafile*>(Graphic.get())->Handle(), *bitmap, {w, h});
        } else {
            bitmap->Assign(PixelView);
        }
        bitmap->SetPixelFormat(pf24bit);
    } catch (const std::exception&) {
        bitmap.reset();
    }
    AfterUse();
    if (bitmap != nullptr && bitmap->IsEmpty())
        bitmap.reset();
    return bitmap;
}

const std::string& TDocGraphic::PngBytesOfMetafile() {
    if (!MetafilePng.empty() || (Header.Kind != TGraphicKind::Emf && Header.Kind != TGraphicKind::Wmf))
        return MetafilePng;
    std::unique_ptr<TBitmap> bitmap = ToBitmap();
    if (bitmap == nullptr)
        return MetafilePng;
    try {
        TPNGImage png;
        png.Assign(bitmap.get());
        TMemoryStream stream;
        png.SaveToStream(stream);
        MetafilePng.assign(reinterpret_cast<const char*>(stream.Memory), static_cast<std::size_t>(stream.MemSize));
    } catch (const std::exception&) {
        MetafilePng.clear();
    }
    return MetafilePng;
}

std::int32_t TDocGraphic::CountColours() {
    if (Colours != 0)
        return Colours;
    std::unique_ptr<TBitmap> bitmap = ToBitmap();
    if (bitmap == nullptr)
        return 0;
    TList list;
    CollectBitmapColors(*bitmap, list);
    Colours = list.Count;
    return Colours;
}

// ---------------------------------------------------------------------------
// Outline tracing

namespace {

// Perpendicular distance, squared, from p to the segment a-b (the foot
// clamped to the segment's ends).
double SegmentDistance2(const TPoint& p, const TPoint& a, const TPoint& b) {
    const double dx = b.X - a.X;
    const double dy = b.Y - a.Y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    const double fx = a.X + t * dx - p.X;
    const double fy = a.Y + t * dy - p.Y;
    return fx * fx + fy * fy;
}

// Ramer-Douglas-Peucker on an open chain: a point stays when it lies
// further than tolerance from the simplified line. Iterative, so that a
// long chain cannot exhaust the stack.
std::vector<TPoint> Simplify(const std::vector<TPoint>& chain, double tolerance) {
    if (chain.size() <= 2)
        return chain;
    std::vector<bool> keep(chain.size(), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, chain.size() - 1}};
    const double tol2 = tolerance * tolerance;
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double worst = 0;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = SegmentDistance2(chain[i], chain[first], chain[last]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > tol2) {
            keep[at] = true;
            spans.emplace_back(first, at);
            spans.emplace_back(at, last);
        }
    }
    std::vector<TPoint> out;
    for (std::size_t i = 0; i < chain.size(); ++i)
        if (keep[i] && (out.empty() || !(out.back() == chain[i])))
            out.push_back(chain[i]);
    return out;
}

std::vector<TPoint> DefaultSquare() {
    return {{0, 0}, {21600, 0}, {21600, 21600}, {0, 21600}};
}

}  // namespace

std::vector<TPoint> TDocGraphic::TraceOutline() {
    std::unique_ptr<TBitmap> picture = ToBitmap();
    if (picture == nullptr)
        return DefaultSquare();
    // Sample a large picture down first: the outline only has to guide
    // lines of text, and this bounds the work and the points.
    std::int32_t pw = picture->GetWidth();
    std::int32_t ph = picture->GetHeight();
    if (std::max(pw, ph) > kTraceSamplePixels) {
        const std::int32_t longer = std::max(pw, ph);
        auto small = std::make_unique<TBitmap>();
        small->SetPixelFormat(pf24bit);
        small->SetSize(std::max(1, MulDivRound(pw, kTraceSamplePixels, longer)),
                       std::max(1, MulDivRound(ph, kTraceSamplePixels, longer)));
        picture->StretchDrawTo(*small);
        picture = std::move(small);
        pw = picture->GetWidth();
        ph = picture->GetHeight();
    }
    // Brightness sums (R + G + B) of every pixel, as a summed-area table so
    // that each cell's neighbourhood costs the same whatever its radius.
    std::vector<std::int64_t> sums(static_cast<std::size_t>(pw + 1) * (ph + 1), 0);
    const auto S = [&](std::int32_t x, std::int32_t y) -> std::int64_t& {
        return sums[static_cast<std::size_t>(y) * (pw + 1) + x];
    };
    for (std::int32_t y = 0; y < ph; ++y) {
        const std::uint8_t* row = picture->ScanLine(y);
        std::int64_t line = 0;
        for (std::int32_t x = 0; x < pw; ++x) {
            line += row[3 * x] + row[3 * x + 1] + row[3 * x + 2];
            S(x + 1, y + 1) = S(x + 1, y) + line;
        }
    }
    // Cells of 2 x 2 pixels; a cell is dark when its neighbourhood of radius
    // r averages below 744 of the 765 of white.
    const std::int32_t cols = (pw + 1) / 2;
    const std::int32_t rows = (ph + 1) / 2;
    const std::int32_t r = std::min(8, std::max(2, (pw + ph) / 200));
    const auto dark = [&](std::int32_t cx, std::int32_t cy) {
        const std::int32_t x0 = std::clamp(2 * cx - r / 2, 0, pw);
        const std::int32_t x1 = std::clamp(2 * cx + r / 2 + 2, 0, pw);
        const std::int32_t y0 = std::clamp(2 * cy - r / 2, 0, ph);
        const std::int32_t y1 = std::clamp(2 * cy + r / 2 + 2, 0, ph);
        const std::int64_t n = static_cast<std::int64_t>(x1 - x0) * (y1 - y0);
        if (n <= 0)
            return false;
        const std::int64_t total = S(x1, y1) - S(x0, y1) - S(x1, y0) + S(x0, y0);
        return total < 744 * n;
    };
    // Text flows beside the picture line by line, so the outline that
    // matters is, per row of cells, the leftmost and rightmost dark cell.
    std::vector<std::int32_t> left(static_cast<std::size_t>(rows), -1);
    std::vector<std::int32_t> right(static_cast<std::size_t>(rows), -1);
    std::int32_t top = -1;
    std::int32_t bottom = -1;
    for (std::int32_t cy = 0; cy < rows; ++cy) {
        std::int32_t cx = 0;
        while (cx < cols && !dark(cx, cy))
            ++cx;
        if (cx == cols)
            continue;
        std::int32_t last = cols - 1;
        while (last > cx && !dark(last, cy))
            --last;
        left[static_cast<std::size_t>(cy)] = cx;
        right[static_cast<std::size_t>(cy)] = last + 1;
        if (top < 0)
            top = cy;
        bottom = cy;
    }
    if (top < 0)
        return DefaultSquare();
    // Light rows between dark ones keep the extent of the row above, so the
    // outline stays one piece.
    for (std::int32_t cy = top + 1; cy <= bottom; ++cy)
        if (left[static_cast<std::size_t>(cy)] < 0) {
            left[static_cast<std::size_t>(cy)] = left[static_cast<std::size_t>(cy - 1)];
            right[static_cast<std::size_t>(cy)] = right[static_cast<std::size_t>(cy - 1)];
        }
    std::vector<TPoint> down;
    std::vector<TPoint> up;
    for (std::int32_t cy = top; cy <= bottom; ++cy) {
        const auto i = static_cast<std::size_t>(cy);
        down.push_back({left[i], cy});
        down.push_back({left[i], cy + 1});
    }
    for (std::int32_t cy = bottom; cy >= top; --cy) {
        const auto i = static_cast<std::size_t>(cy);
        up.push_back({right[i], cy + 1});
        up.push_back({right[i], cy});
    }
    std::vector<TPoint> outline = Simplify(down, r);
    for (const TPoint& p : Simplify(up, r))
        outline.push_back(p);
    if (outline.size() <= 2)
        return DefaultSquare();
    for (TPoint& p : outline) {
        p.X = std::clamp(MulDivRound(p.X, 21600, cols), 0, 21600);
        p.Y = std::clamp(MulDivRound(p.Y, 21600, rows), 0, 21600);
    }
    return outline;
}
