#pragma once

#include <cstdint>
#include <string>

// The picture of a picture shape as a file gave it: its own bytes, kept as
// they came so that saving writes them back unchanged, and the sizes and
// scales the file stated beside them.
//
// The kinds follow the picture forms of RTF (the RTF specification 1.9.1,
// "Pictures"): PNG and JPEG files, enhanced and Windows metafiles, device-
// independent bitmaps (a packed DIB) and device-dependent bitmaps.
enum : std::uint8_t {
    pkNone = 0,
    pkPng = 1,
    pkJpeg = 2,
    pkEmf = 3,
    pkWmf = 4,
    pkDib = 5,
    pkBitmap = 6,
};

struct TShapePicture {
    std::uint8_t Kind = pkNone;
    // The parameter of the kind's word: the mapping mode of a Windows
    // metafile, the bitmap type of a bitmap (0 for the ones RTF allows).
    std::int32_t KindParam = 0;
    // A device-dependent bitmap's layout: bits per pixel, planes and bytes
    // per scan line.
    std::int32_t BitsPerPixel = 1;
    std::int32_t Planes = 1;
    std::int32_t WidthBytes = 0;
    // The picture's own extent as the file states it: pixels for bitmaps,
    // hundredths of a millimetre for metafiles (0 when not stated).
    std::int32_t PicWidth = 0;
    std::int32_t PicHeight = 0;
    // The extent at which the picture is shown, in twips.
    std::int32_t GoalWidth = 0;
    std::int32_t GoalHeight = 0;
    // Scale in percent, 1 to 1000.
    std::int32_t ScaleX = 100;
    std::int32_t ScaleY = 100;
    // Cropping from each edge, in twips.
    std::int32_t CropLeft = 0;
    std::int32_t CropTop = 0;
    std::int32_t CropRight = 0;
    std::int32_t CropBottom = 0;
    // Its size in pixels as its bytes give it (metafiles: their frame in
    // device units where they state one, else 0).
    std::int32_t PixelWidth = 0;
    std::int32_t PixelHeight = 0;
    std::string Data;
};
