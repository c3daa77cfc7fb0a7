// Enhanced metafiles come inside documents and picture files from anywhere.
// Whatever the bytes, playing one draws what it can into the bitmap and
// returns; recording it again through a recording context does too. It
// never crashes, loops or reads outside its buffers.
#include <cstdint>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Platform;
    HENHMETAFILE metafile = SetEnhMetaFileBits(data, size);
    if (metafile == nullptr)
        return 0;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(64, 48);
    HBITMAP old = SelectBitmap(dc, bitmap);
    PlayEnhMetaFile(dc, metafile, {0, 0, 63, 47});
    // Played into a recording, the picture becomes a new metafile that plays.
    const TRect frame{0, 0, 1693, 1270};
    HDC recording = CreateEnhMetaFile(nullptr, &frame);
    PlayEnhMetaFile(recording, metafile, {0, 0, 63, 47});
    HENHMETAFILE again = CloseEnhMetaFile(recording);
    if (again == nullptr)
        __builtin_trap();
    PlayEnhMetaFile(dc, again, {0, 0, 63, 47});
    GetEnhMetaFilePaletteEntries(metafile, 0, nullptr);
    DeleteEnhMetaFile(again);
    SelectBitmap(dc, old);
    DeleteBitmap(bitmap);
    DeleteDC(dc);
    DeleteEnhMetaFile(metafile);
    return 0;
}
