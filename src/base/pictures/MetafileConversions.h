#pragma once

#include "platform/GdiTypes.h"
#include "platform/Metafiles.h"

class TBitmap;
class TJPEGImage;

// Enhanced metafiles rendered into bitmaps, and bitmaps wrapped in
// metafiles.

// Plays an enhanced metafile on white into bitmap, size.cx x size.cy, or the
// frame's size in pixels of its reference device (at least 1 x 1) when
// size.cx is 0; then reduces the colours when it can do so losslessly.
void RenderMetafileToBitmap(Platform::HENHMETAFILE metafile, TBitmap& bitmap, Platform::TSize size);
// A bitmap (the caller's) of the rendered metafile; null when rendering fails.
Platform::HBITMAP MetafileToBitmapHandle(Platform::HENHMETAFILE metafile, Platform::TSize size);
// The rendered metafile as the JPEG picture's bitmap (encoded when saved).
void MetafileToJpeg(Platform::HENHMETAFILE metafile, TJPEGImage& jpeg, Platform::TSize size);
// An enhanced metafile (the caller's) that draws the bitmap, a transparent
// one with its transparent colour painted white.
Platform::HENHMETAFILE BitmapToMetafile(TBitmap& bitmap);
