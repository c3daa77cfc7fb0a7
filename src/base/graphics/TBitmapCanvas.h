#pragma once

#include "base/graphics/TCanvas.h"
#include "platform/GdiTypes.h"

class TBitmap;

// The canvas of one bitmap. It holds a memory context only between its
// first drawing and the next FreeDC; canvases that hold one are listed so
// that a bitmap about to be deleted or converted can be taken out of every
// context first.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap);
    ~TBitmapCanvas() override;

    void CreateDC() override;
    void FreeDC();

    TBitmap* Bitmap = nullptr;
    Platform::HBITMAP OldBitmap = nullptr;
};

// Frees the context of every listed canvas (after each window message and
// at shutdown).
void FreeAllBitmapCanvasDCs();
// Frees the contexts of the canvases whose bitmap handle is handle.
void FreeDCsHoldingBitmap(Platform::HBITMAP handle);
