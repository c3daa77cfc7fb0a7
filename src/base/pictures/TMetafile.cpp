#include "base/pictures/TMetafile.h"

#include <cstring>
#include <limits>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/Geometry.h"
#include "base/core/TStream.h"
#include "base/graphics/Graphics.h"
#include "platform/ByteReader.h"
#include "platform/Palettes.h"

std::int32_t MetafileSizeHintCx = 0;
std::int32_t MetafileSizeHintCy = 0;

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;

// Reads count bytes in steps, so a claimed size far beyond the stream fails
// before it is all allocated.
std::vector<std::uint8_t> ReadBytes(TStream& stream, std::int64_t count) {
    if (count < 0 || count > std::numeric_limits<std::int32_t>::max() || count > stream.Size() - stream.Position())
        Abort();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (count > 0)
        stream.ReadExact(bytes.data(), static_cast<std::int32_t>(count));
    return bytes;
}

}  // namespace

TMetafileImage::~TMetafileImage() {
    Platform::DeleteEnhMetaFile(Handle);
    DeletePalette(Palette);
}

// ---------------------------------------------------------------------------
// TMetafile

TMetafile::TMetafile() {
    Enhanced = true;
    Transparent = true;
    Assign(nullptr);
}

TMetafile::~TMetafile() {
    if (Image != nullptr)
        Image->Release();
}

void TMetafile::NewImage() {
    auto* image = new TMetafileImage;
    image->Reference();
    if (Image != nullptr)
        Image->Release();
    Image = image;
}

void TMetafile::Assign(const TPersistent* source) {
    const auto* other = dynamic_cast<const TMetafile*>(source);
    if (source != nullptr && other == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    if (other == this)
        return;
    const Platform::HPALETTE oldPalette = Image != nullptr ? Image->Palette : nullptr;
    if (other != nullptr) {
        other->Image->Reference();
        if (Image != nullptr)
            Image->Release();
        Image = other->Image;
        Enhanced = other->Enhanced;
    } else {
        NewImage();
        Enhanced = true;
    }
    PaletteModified = Image->Palette != nullptr && Image->Palette != oldPalette;
    Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
    if (Image == nullptr || Image->Handle == nullptr)
        return;
    canvas.RequireState(csAllValid);
    if (canvas.DCHandle == nullptr)
        return;
    // The screen is never palettised here, so the picture's palette need not
    // be realised before playing.
    Platform::PlayEnhMetaFile(canvas.DCHandle, Image->Handle, {rect.Left, rect.Top, rect.Right - 1, rect.Bottom - 1});
}

bool TMetafile::IsEmpty() const {
    return Image == nullptr;
}

std::int32_t TMetafile::GetWidth() const {
    const TMetafileImage* image = Image;
    if (image->Inch != 0)
        return MulDiv(image->Width, ScreenPixelsPerInch(), 2540);
    Platform::TEnhMetaHeader h;
    if (image->Handle != nullptr && Platform::GetEnhMetaFileHeader(image->Handle, h) && h.Millimeters.cx > 0)
        return MulDiv(image->Width, h.Device.cx, h.Millimeters.cx * 100);
    return image->PendingWidth;
}

std::int32_t TMetafile::GetHeight() const {
    const TMetafileImage* image = Image;
    if (image->Inch != 0)
        return MulDiv(image->Height, ScreenPixelsPerInch(), 2540);
    Platform::TEnhMetaHeader h;
    if (image->Handle != nullptr && Platform::GetEnhMetaFileHeader(image->Handle, h) && h.Millimeters.cy > 0)
        return MulDiv(image->Height, h.Device.cy, h.Millimeters.cy * 100);
    return image->PendingHeight;
}

Platform::HPALETTE TMetafile::GetPalette() {
    if (Image->Handle == nullptr)
        return nullptr;
    if (Image->Palette == nullptr) {
        const int count = Platform::GetEnhMetaFilePaletteEntries(Image->Handle, 0, nullptr);
        if (count == 0)
            return nullptr;
        std::vector<Platform::TPaletteEntry> entries(static_cast<std::size_t>(count));
        Platform::GetEnhMetaFilePaletteEntries(Image->Handle, count, entries.data());
        Image->Palette = Platform::CreatePalette(entries.data(), std::min(count, 256));
    }
    return Image->Palette;
}

bool TMetafile::IsEnhancedStream(TStream& stream) {
    const std::int64_t start = stream.Position();
    if (stream.Size() - start <= 100)
        return false;
    std::uint8_t head[100];
    stream.ReadExact(head, 100);
    stream.SeekTo(start);
    const TByteReader h(head, sizeof head);
    return h.U32LEAt(0) == 1 && h.U32LEAt(40) == kEmfSignature;
}

// Reads an EMF ([MS-EMF] 2.3.4.2 EMR_HEADER) or a WMF with or without the
// placeable header ([MS-WMF] 2.3.2.3 META_PLACEABLE).
void TMetafile::LoadFromStream(TStream& stream) {
    if (IsEnhancedStream(stream)) {
        NewImage();
        std::uint8_t head[100];
        const std::int64_t start = stream.Position();
        stream.ReadExact(head, 100);
        const TByteReader h(head, sizeof head);
        const std::uint32_t total = h.U32LEAt(48);
        if (h.U32LEAt(40) != kEmfSignature || total <= 100)
            Abort();
        stream.SeekTo(start);
        const std::vector<std::uint8_t> bytes = ReadBytes(stream, total);
        Platform::HENHMETAFILE handle = Platform::SetEnhMetaFileBits(bytes.data(), bytes.size());
        if (handle == nullptr)
            Abort();
        Image->Handle = handle;
        const auto frame = [&](int at) { return h.I32LEAt(at); };
        Image->Width = frame(32) - frame(24);
        Image->Height = frame(36) - frame(28);
        Image->Inch = 0;
        Enhanced = true;
    } else {
        NewImage();
        std::uint8_t header[22] = {};
        const std::int64_t start = stream.Position();
        const bool placeable =
            stream.Size() - start >= 22 && (stream.ReadExact(header, 22), LoadU32LE(header) == kPlaceableKey);
        if (!placeable) {
            stream.SeekTo(start);
            std::memset(header, 0, sizeof(header));
        }
        const std::vector<std::uint8_t> bytes = ReadBytes(stream, stream.Size() - stream.Position());
        // [MS-WMF] 2.3.2.3 META_PLACEABLE: the box in logical units, then
        // the logical units per inch.
        const TByteReader place(header, sizeof header);
        Image->Inch = place.U16LEAt(14);
        if (placeable) {
            const std::int32_t inch = Image->Inch == 0 ? 96 : Image->Inch;
            Image->Width = MulDiv(place.I16LEAt(10) - place.I16LEAt(6), 2540, inch);
            Image->Height = MulDiv(place.I16LEAt(12) - place.I16LEAt(8), 2540, inch);
        } else {
            Image->Inch = 96;
            if (MetafileSizeHintCx != 0) {
                Image->Width = MulDiv(MulDiv(2540, MetafileSizeHintCx, 914400), 100, 96);
                Image->Height = MulDiv(MulDiv(2540, MetafileSizeHintCy, 914400), 100, 96);
            } else {
                Image->Width = Image->Height = MulDiv(2540, 100, 96);
            }
        }
        const Platform::TMetafilePict pict{Platform::MM_ANISOTROPIC, Image->Width, Image->Height};
        Platform::HENHMETAFILE handle = Platform::SetWinMetaFileBits(bytes.data(), bytes.size(), nullptr, &pict);
        if (handle == nullptr)
            Abort();
        Image->Handle = handle;
        Enhanced = false;
    }
    PaletteModified = GetPalette() != nullptr;
    Changed();
}

void TMetafile::SaveToStream(TStream& stream) {
    if (Image == nullptr)
        return;
    if (Enhanced) {
        const std::vector<std::uint8_t> bytes = Platform::GetEnhMetaFileBits(Image->Handle);
        if (!bytes.empty())
            stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        return;
    }
    // The placeable header: key, handle 0, the box in screen pixels, units
    // per inch, reserved 0 and the checksum of the ten words before it.
    std::uint8_t header[22] = {};
    auto put16 = [&](int at, std::uint16_t v) { StoreU16LE(header + at, v); };
    put16(0, static_cast<std::uint16_t>(kPlaceableKey));
    put16(2, static_cast<std::uint16_t>(kPlaceableKey >> 16));
    put16(10, static_cast<std::uint16_t>(GetWidth()));
    put16(12, static_cast<std::uint16_t>(GetHeight()));
    put16(14, Image->Inch == 0 ? 96 : Image->Inch);
    put16(20, PlaceableHeaderChecksum(header));
    const std::vector<std::uint8_t> bytes =
        Platform::GetWinMetaFileBits(Image->Handle, Platform::MM_ANISOTROPIC, ::ScreenDC());
    stream.WriteExact(header, 22);
    if (!bytes.empty())
        stream.WriteExact(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

std::int32_t TMetafile::MMWidth() {
    return Image->Width;
}

std::int32_t TMetafile::MMHeight() {
    return Image->Height;
}

void TMetafile::SetMMWidth(std::int32_t value) {
    Image->PendingWidth = 0;
    if (Image->Width == value)
        return;
    UniqueImage();
    Image->Width = value;
    Changed();
}

void TMetafile::SetMMHeight(std::int32_t value) {
    Image->PendingHeight = 0;
    if (Image->Height == value)
        return;
    UniqueImage();
    Image->Height = value;
    Changed();
}

void TMetafile::SetPixelSize(std::int32_t width, std::int32_t height) {
    Platform::TEnhMetaHeader h;
    if (Image->Inch != 0) {
        SetMMWidth(MulDiv(width, 2540, ScreenPixelsPerInch()));
        SetMMHeight(MulDiv(height, 2540, ScreenPixelsPerInch()));
    } else if (Image->Handle != nullptr && Platform::GetEnhMetaFileHeader(Image->Handle, h) && h.Device.cx > 0 &&
               h.Device.cy > 0) {
        SetMMWidth(MulDiv(width, h.Millimeters.cx * 100, h.Device.cx));
        SetMMHeight(MulDiv(height, h.Millimeters.cy * 100, h.Device.cy));
    } else {
        UniqueImage();
        Image->PendingWidth = width;
        Image->PendingHeight = height;
    }
}

void TMetafile::SetHandle(Platform::HENHMETAFILE handle) {
    Platform::TEnhMetaHeader h;
    if (handle != nullptr && !Platform::GetEnhMetaFileHeader(handle, h))
        Abort();
    UniqueImage();
    if (Image->Handle != handle)
        Platform::DeleteEnhMetaFile(Image->Handle);
    DeletePalette(Image->Palette);
    Image->Palette = nullptr;
    Image->Handle = handle;
    Image->PendingWidth = Image->PendingHeight = 0;
    if (handle != nullptr) {
        Image->Width = h.Frame.Right - h.Frame.Left;
        Image->Height = h.Frame.Bottom - h.Frame.Top;
    }
    PaletteModified = GetPalette() != nullptr;
    Changed();
}

Platform::HENHMETAFILE TMetafile::ReleaseHandle() {
    UniqueImage();
    Platform::HENHMETAFILE handle = Image->Handle;
    Image->Handle = nullptr;
    return handle;
}

void TMetafile::UniqueImage() {
    if (Image == nullptr) {
        NewImage();
        return;
    }
    if (Image->RefCount < 2)
        return;
    auto* copy = new TMetafileImage;
    copy->Handle = Platform::CopyEnhMetaFile(Image->Handle);
    copy->Width = Image->Width;
    copy->Height = Image->Height;
    copy->Inch = Image->Inch;
    copy->PendingWidth = Image->PendingWidth;
    copy->PendingHeight = Image->PendingHeight;
    copy->Reference();
    Image->Release();
    Image = copy;
}

// ---------------------------------------------------------------------------
// TMetafileCanvas

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, Platform::HDC reference) : Metafile(metafile) {
    if (reference == nullptr)
        reference = ::ScreenDC();
    Platform::TSize pixels, mm;
    Platform::GetReferenceDevice(reference, pixels, mm);
    if (Metafile->MMWidth() == 0) {
        const std::int32_t w = Metafile->Width();
        Metafile->SetMMWidth(w != 0 ? MulDiv(w, mm.cx * 100, pixels.cx) : mm.cx * 100);
    }
    if (Metafile->MMHeight() == 0) {
        const std::int32_t h = Metafile->Height();
        Metafile->SetMMHeight(h != 0 ? MulDiv(h, mm.cy * 100, pixels.cy) : mm.cy * 100);
    }
    const TRect frame{0, 0, Metafile->MMWidth(), Metafile->MMHeight()};
    SetHandle(Platform::CreateEnhMetaFile(reference, &frame));
}

TMetafileCanvas::~TMetafileCanvas() {
    Platform::HDC dc = DCHandle;
    SetHandle(nullptr);
    Platform::HENHMETAFILE handle = Platform::CloseEnhMetaFile(dc);
    try {
        Metafile->SetHandle(handle);
    } catch (...) {
        Platform::DeleteEnhMetaFile(handle);
    }
}
