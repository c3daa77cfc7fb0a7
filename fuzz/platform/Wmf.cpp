// Windows metafiles come inside documents (RTF \wmetafile, Word pictures)
// and picture files. Whatever the bytes, playing one, with or without the
// placeable header, draws what it can and returns; so does turning it into
// an enhanced metafile and back. It never crashes, loops or reads outside
// its buffers.
#include <cstdint>
#include <vector>

#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Platform;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(64, 48);
    HBITMAP old = SelectBitmap(dc, bitmap);
    PlayWinMetaFile(dc, data, size, {0, 0, 63, 47});
    const TMetafilePict pict{MM_ANISOTROPIC, 1693, 1270};
    HENHMETAFILE converted = SetWinMetaFileBits(data, size, nullptr, &pict);
    if (converted != nullptr) {
        PlayEnhMetaFile(dc, converted, {0, 0, 63, 47});
        const std::vector<std::uint8_t> back = GetWinMetaFileBits(converted, MM_ANISOTROPIC, nullptr);
        if (back.size() != size)
            __builtin_trap();  // the Windows metafile comes back unchanged
        DeleteEnhMetaFile(converted);
    }
    SelectBitmap(dc, old);
    DeleteBitmap(bitmap);
    DeleteDC(dc);
    return 0;
}
