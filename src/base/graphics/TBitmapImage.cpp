#include "base/graphics/TBitmapImage.h"

#include "base/graphics/Graphics.h"
#include "base/graphics/TBitmapCanvas.h"
#include "platform/Bitmaps.h"

TBitmapImage::~TBitmapImage() {
    if (DIBHandle != nullptr) {
        FreeDCsHoldingBitmap(DIBHandle);
        Platform::DeleteBitmap(DIBHandle);
    }
}

void TBitmapImage::ReleaseHandles() {
    if (Handle != nullptr && Handle != DIBHandle) {
        FreeDCsHoldingBitmap(Handle);
        Platform::DeleteBitmap(Handle);
    }
    if (MaskHandle != nullptr) {
        FreeDCsHoldingBitmap(MaskHandle);
        Platform::DeleteBitmap(MaskHandle);
    }
    DeletePalette(Palette);
    Handle = nullptr;
    MaskHandle = nullptr;
    Palette = nullptr;
}
