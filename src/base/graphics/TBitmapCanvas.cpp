#include "base/graphics/TBitmapCanvas.h"

#include "base/core/TList.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/DeviceContexts.h"

namespace {

// The canvases that hold a memory context now. Never destroyed: canvases of
// static objects may still leave it while the program ends.
TList& BitmapCanvasList() {
    static auto* list = new TList;
    return *list;
}

}  // namespace

TBitmapCanvas::TBitmapCanvas(TBitmap* bitmap) : Bitmap(bitmap) {}

TBitmapCanvas::~TBitmapCanvas() {
    FreeDC();
}

void TBitmapCanvas::CreateDC() {
    if (Bitmap == nullptr)
        return;
    Bitmap->EnsureHandle();
    Platform::HBITMAP handle = Bitmap->Image()->Handle;
    FreeDCsHoldingBitmap(handle);
    Bitmap->EnsurePalette();
    Platform::HDC dc = Platform::CreateCompatibleDC(Platform::ScreenDC());
    OldBitmap = handle != nullptr ? Platform::SelectBitmap(dc, handle) : nullptr;
    SetHandle(dc);
    BitmapCanvasList().Add(this);
}

void TBitmapCanvas::FreeDC() {
    if (DCHandle == nullptr)
        return;
    Platform::HDC dc = DCHandle;
    if (OldBitmap != nullptr)
        Platform::SelectBitmap(dc, OldBitmap);
    OldBitmap = nullptr;
    SetHandle(nullptr);
    Platform::DeleteDC(dc);
    BitmapCanvasList().Remove(this);
}

void FreeAllBitmapCanvasDCs() {
    TList& list = BitmapCanvasList();
    while (list.Count > 0)
        list.At<TBitmapCanvas>(list.Count - 1)->FreeDC();
}

void FreeDCsHoldingBitmap(Platform::HBITMAP handle) {
    if (handle == nullptr)
        return;
    TList& list = BitmapCanvasList();
    for (std::int32_t i = list.Count - 1; i >= 0; --i) {
        auto* canvas = list.At<TBitmapCanvas>(i);
        if (canvas->DCHandle != nullptr && Platform::CurrentBitmap(canvas->DCHandle) == handle)
            canvas->FreeDC();
    }
}
