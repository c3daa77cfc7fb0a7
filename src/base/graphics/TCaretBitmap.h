#pragma once

#include <cstdint>

#include "platform/GdiTypes.h"

// The caret's two-colour bitmap (black and white), drawn through DC by the
// caret code and turned into the window caret.
class TCaretBitmap {
public:
    // The bitmap description: 1 bit per pixel, colours black and white.
    struct TInfo {
        std::int32_t Width = 0;
        std::int32_t Height = 0;
        std::uint16_t Planes = 1;
        std::uint16_t BitCount = 1;
        std::uint32_t Colors[2] = {0x000000, 0xFFFFFF};
    };

    TCaretBitmap();
    TCaretBitmap(const TCaretBitmap&) = delete;
    TCaretBitmap& operator=(const TCaretBitmap&) = delete;
    ~TCaretBitmap();

    // A new bitmap of that size, selected into DC (contents undefined);
    // nothing when the size is unchanged.
    void SetSize(std::int32_t width, std::int32_t height);

    TInfo Info;
    Platform::HDC DC = nullptr;
    Platform::HBITMAP Bitmap = nullptr;

private:
    Platform::HBITMAP OriginalBitmap = nullptr;
};

extern TCaretBitmap* CaretBitmap;
