#pragma once

#include "base/graphics/TSharedImage.h"
#include "platform/DibSections.h"
#include "platform/GdiTypes.h"

// The shared data of a bitmap: the bitmap itself (a DIB section, or a
// device-dependent bitmap with an optional DIB copy for row access), its
// transparency mask, its palette and its description.
class TBitmapImage : public TSharedImage {
public:
    ~TBitmapImage() override;
    // Deletes the bitmap (unless it is the DIB section), the mask and the
    // palette (never DefaultPalette16), and clears them.
    void ReleaseHandles() override;

    Platform::HBITMAP Handle = nullptr;
    Platform::HBITMAP MaskHandle = nullptr;
    Platform::HPALETTE Palette = nullptr;
    Platform::HBITMAP DIBHandle = nullptr;
    Platform::TDibSection Description;
    bool Halftone = false;
};
