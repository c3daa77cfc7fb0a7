#include "base/graphics/TCaretBitmap.h"

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"

TCaretBitmap* CaretBitmap = nullptr;

TCaretBitmap::TCaretBitmap() : DC(Platform::CreateCompatibleDC(Platform::ScreenDC())) {}

TCaretBitmap::~TCaretBitmap() {
    if (OriginalBitmap != nullptr)
        Platform::SelectBitmap(DC, OriginalBitmap);
    Platform::DeleteDC(DC);
    Platform::DeleteBitmap(Bitmap);
}

void TCaretBitmap::SetSize(std::int32_t width, std::int32_t height) {
    if (Bitmap != nullptr && width == Info.Width && height == Info.Height)
        return;
    Info.Width = width;
    Info.Height = height;
    Platform::HBITMAP bitmap = Platform::CreateMonoBitmap(width, height);
    Platform::HBITMAP previous = Platform::SelectBitmap(DC, bitmap);
    if (OriginalBitmap == nullptr)
        OriginalBitmap = previous;
    Platform::DeleteBitmap(Bitmap);
    Bitmap = bitmap;
}
