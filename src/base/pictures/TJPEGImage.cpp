#include "base/pictures/TJPEGImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "base/core/Errors.h"
#include "base/core/TMemoryStream.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TCanvas.h"
#include "platform/DibSections.h"
#include "platform/Palettes.h"

namespace {

// libjpeg reports errors through a callback that must not return; the
// library is C and cannot be unwound through by an exception, so the
// callback jumps back to the call that set the jump buffer, and that call
// turns the failure into EAbort outside the library.
struct TErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
};

void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<TErrorManager*>(info->err)->Jump, 1);
}

void OutputMessage(j_common_ptr) {}  // warnings about damaged data are not shown

void InitErrors(TErrorManager& errors) {
    jpeg_std_error(&errors.Public);
    errors.Public.error_exit = ErrorExit;
    errors.Public.output_message = OutputMessage;
}

// Reads the header of the bytes; false when libjpeg refuses them. The
// decompression object is left ready for decoding when decoding is true.
bool ReadHeader(jpeg_decompress_struct& info, TErrorManager& errors, const TMemoryStream& data) {
    if (setjmp(errors.Jump) != 0)
        return false;
    jpeg_mem_src(&info, data.Memory, static_cast<unsigned long>(data.MemSize));
    jpeg_read_header(&info, TRUE);
    return true;
}

// Decoding proper, with the jump buffer of its own. Pictures whose size is
// far beyond what their bytes could describe are not decoded at all.
bool DecodeInto(jpeg_decompress_struct& info, TErrorManager& errors, TBitmap& bitmap, std::int64_t dataSize) {
    std::vector<std::uint8_t>* const cmykRow = new std::vector<std::uint8_t>;
    volatile bool ok = true;
    if (setjmp(errors.Jump) != 0) {
        ok = false;
    } else {
        const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
        const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
        info.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
        jpeg_calc_output_dimensions(&info);
        const std::int64_t pixels = static_cast<std::int64_t>(info.output_width) * info.output_height;
        if (pixels > (std::int64_t{16} << 20) + dataSize * 4096) {
            ok = false;
        } else {
            jpeg_start_decompress(&info);
            bitmap.SetPixelFormat(grey ? pf8bit : pf24bit);
            bitmap.SetSize(static_cast<std::int32_t>(info.output_width), static_cast<std::int32_t>(info.output_height));
            if (grey) {
                // A full grey ramp: the screen here is never palettised, so the
                // 236 levels older palette screens needed would only lose shades.
                Platform::TPaletteEntry ramp[256];
                for (int i = 0; i < 256; ++i)
                    ramp[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                               0};
                bitmap.SetPalette(Platform::CreatePalette(ramp, 256));
            }
            if (cmyk)
                cmykRow->resize(static_cast<std::size_t>(info.output_width) * 4);
            while (info.output_scanline < info.output_height) {
                std::uint8_t* row = bitmap.ScanLine(static_cast<std::int32_t>(info.output_scanline));
                if (!cmyk) {
                    JSAMPROW rows[1] = {row};
                    jpeg_read_scanlines(&info, rows, 1);
                    continue;
                }
                // Four components never go into three-byte rows: they are
                // turned into RGB as Adobe's inverted CMYK is (R = C x K / 255).
                JSAMPROW rows[1] = {cmykRow->data()};
                jpeg_read_scanlines(&info, rows, 1);
                const std::uint8_t* p = cmykRow->data();
                for (JDIMENSION x = 0; x < info.output_width; ++x, p += 4, row += 3) {
                    const unsigned k = p[3];
                    row[0] = static_cast<std::uint8_t>((p[2] * k + 127) / 255);
                    row[1] = static_cast<std::uint8_t>((p[1] * k + 127) / 255);
                    row[2] = static_cast<std::uint8_t>((p[0] * k + 127) / 255);
                }
            }
            jpeg_finish_decompress(&info);
        }
    }
    delete cmykRow;
    return ok;
}

bool Encode(jpeg_compress_struct& info,
            TErrorManager& errors,
            TBitmap& source,
            unsigned char** out,
            unsigned long* outSize) {
    if (setjmp(errors.Jump) != 0)
        return false;
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = static_cast<JDIMENSION>(source.GetWidth());
    info.image_height = static_cast<JDIMENSION>(source.GetHeight());
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    // The defaults are the standard tables of ITU T.81 Annex K, components
    // 1, 2 and 3 sampled 2x2, 1x1 and 1x1; quality 90 scales each table
    // entry to (entry x 20 + 50) div 100.
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {source.ScanLine(static_cast<std::int32_t>(info.next_scanline))};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

TJPEGData::~TJPEGData() = default;

TJPEGImage::TJPEGImage() {
    Shared = new TJPEGData;
    Shared->Reference();
}

TJPEGImage::~TJPEGImage() {
    Shared->Release();
    delete Bitmap;
    DeletePalette(Palette);
}

void TJPEGImage::AssignTo(TPersistent& dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        bitmap->Assign(const_cast<TJPEGImage*>(this)->DecodedBitmap());
        return;
    }
    TGraphic::AssignTo(dest);
}

void TJPEGImage::Assign(const TPersistent* source) {
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        if (jpeg == this)
            return;
        jpeg->Shared->Reference();
        Shared->Release();
        Shared = jpeg->Shared;
        delete Bitmap;
        Bitmap = nullptr;
        if (jpeg->Bitmap != nullptr) {
            Bitmap = new TBitmap;
            Bitmap->Assign(jpeg->Bitmap);
        }
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        auto* data = new TJPEGData;
        data->Reference();
        Shared->Release();
        Shared = data;
        auto* copy = new TBitmap;
        copy->Assign(bitmap);
        delete Bitmap;
        Bitmap = copy;
    } else {
        TGraphic::Assign(source);
        return;
    }
    PaletteModified = true;
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) {
    if (IsEmpty())
        return;
    canvas.StretchDraw(rect, DecodedBitmap());
}

bool TJPEGImage::IsEmpty() const {
    if (Shared->Data != nullptr)
        return false;
    return Bitmap == nullptr || Bitmap->IsEmpty();
}

std::int32_t TJPEGImage::GetHeight() const {
    return Bitmap != nullptr ? Bitmap->GetHeight() : Shared->Height;
}

std::int32_t TJPEGImage::GetWidth() const {
    return Bitmap != nullptr ? Bitmap->GetWidth() : Shared->Width;
}

Platform::HPALETTE TJPEGImage::GetPalette() {
    if (Bitmap != nullptr)
        return Bitmap->GetPalette();
    return Palette;  // the screen is never palettised, so no halftone stands in
}

void TJPEGImage::SetPalette(Platform::HPALETTE palette) {
    if (palette == Palette)
        return;
    if (Bitmap != nullptr && Bitmap->GetPalette() != palette) {
        delete Bitmap;
        Bitmap = nullptr;
    }
    DeletePalette(Palette);
    Palette = palette;
    PaletteModified = true;
    Changed();
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    ReadData(stream.Size() - stream.Position(), stream);
}

void TJPEGImage::SaveToStream(TStream& stream) {
    if (Shared->Data == nullptr)
        Compress();
    if (Shared->Data == nullptr)
        return;  // nothing to write: an empty picture
    stream.WriteExact(Shared->Data->Memory, Shared->Data->MemSize);
}

// JPEG: ITU-T T.81 (the bytes), read through libjpeg.
void TJPEGImage::ReadData(std::int64_t size, TStream& stream) {
    if (size < 0 || size > 0x7FFFFFFF)
        Abort();
    auto* data = new TJPEGData;
    data->Reference();
    Shared->Release();
    Shared = data;
    delete Bitmap;
    Bitmap = nullptr;
    data->Data = std::make_unique<TMemoryStream>();
    if (size > 0) {
        data->Data->SetCapacity(static_cast<std::int32_t>(size));
        data->Data->CopyFrom(stream, size);
    }
    if (size > 0) {
        jpeg_decompress_struct info;
        TErrorManager errors;
        InitErrors(errors);
        info.err = &errors.Public;
        jpeg_create_decompress(&info);
        const bool ok = ReadHeader(info, errors, *data->Data);
        if (ok) {
            data->Width = static_cast<std::int32_t>(info.image_width);
            data->Height = static_cast<std::int32_t>(info.image_height);
        }
        jpeg_destroy_decompress(&info);
        if (!ok)
            Abort();
    }
    PaletteModified = true;
    Changed();
}

TBitmap* TJPEGImage::DecodedBitmap() {
    if (Bitmap != nullptr)
        return Bitmap;
    Bitmap = new TBitmap;
    if (Shared->Data == nullptr || Shared->Data->MemSize == 0)
        return Bitmap;
    jpeg_decompress_struct info;
    TErrorManager errors;
    InitErrors(errors);
    info.err = &errors.Public;
    jpeg_create_decompress(&info);
    if (ReadHeader(info, errors, *Shared->Data)) {
        DeletePalette(Palette);
        Palette = nullptr;
        // Damaged data is not an error here: the bitmap keeps what was decoded.
        try {
            DecodeInto(info, errors, *Bitmap, Shared->Data->MemSize);
        } catch (const EAbort&) {
        }
    }
    jpeg_destroy_decompress(&info);
    PaletteModified = Bitmap->GetPalette() != nullptr;
    if (PaletteModified)
        Changed();
    return Bitmap;
}

void TJPEGImage::Compress() {
    if (Bitmap == nullptr || Bitmap->IsEmpty())
        return;
    if (Shared->Data != nullptr) {
        auto* data = new TJPEGData;
        data->Reference();
        Shared->Release();
        Shared = data;
    }
    // A temporary 24-bit copy, so that the picture's own bitmap keeps its format.
    TBitmap temp;
    temp.Assign(Bitmap);
    temp.SetPixelFormat(pf24bit);
    jpeg_compress_struct info;
    TErrorManager errors;
    InitErrors(errors);
    info.err = &errors.Public;
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const bool ok = Encode(info, errors, temp, &out, &outSize);
    jpeg_destroy_compress(&info);
    if (ok) {
        Shared->Data = std::make_unique<TMemoryStream>();
        Shared->Data->WriteExact(out, static_cast<std::int32_t>(outSize));
        Shared->Width = temp.GetWidth();
        Shared->Height = temp.GetHeight();
    }
    std::free(out);
    if (!ok)
        Abort();
}
