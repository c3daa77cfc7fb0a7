// Hostile metafiles (tests/platform/HostileMetafiles.h), each played in a
// child process into a 1000 x 800 bitmap and into a recording, the way a
// document shows one and copies it: the time and peak memory of each.

#include <benchmark/benchmark.h>

#include "../../tests/platform/HostileMetafiles.h"
#include "../HostileInputs.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Metafiles.h"

namespace {

using namespace Platform;

void Play(const HostileMetafiles::THostileMetafile& m) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(1000, 800);
    HBITMAP old = SelectBitmap(dc, bitmap);
    const TRect target{0, 0, 999, 799};
    const TRect frame{0, 0, 26458, 21167};
    HDC recording = CreateEnhMetaFile(nullptr, &frame);
    if (m.Enhanced) {
        HENHMETAFILE emf = SetEnhMetaFileBits(m.Bytes.data(), m.Bytes.size());
        PlayEnhMetaFile(dc, emf, target);
        PlayEnhMetaFile(recording, emf, target);
        DeleteEnhMetaFile(emf);
    } else {
        PlayWinMetaFile(dc, m.Bytes.data(), m.Bytes.size(), target);
        PlayWinMetaFile(recording, m.Bytes.data(), m.Bytes.size(), target);
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(recording));
    SelectBitmap(dc, old);
    DeleteBitmap(bitmap);
    DeleteDC(dc);
}

[[maybe_unused]] const bool registered = [] {
    for (HostileMetafiles::THostileMetafile& m : HostileMetafiles::All()) {
        const std::string name = "BM_HostileMetafile/" + m.Name + "/" + std::to_string(m.Bytes.size()) + "B";
        RegisterHostileInput(name, [m] { Play(m); });
    }
    return true;
}();

}  // namespace
