#include "support/GoldenImages.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Bitmaps.h"
#include "support/TestSupport.h"

namespace TestSupport {

std::string CompareWithGolden(Platform::HBITMAP bitmap,
                              const std::string& name,
                              int channelTolerance,
                              int maxBadPixels) {
    const std::string golden = TestDataPath("golden/" + name + ".png");
    const char* update = std::getenv("REZ_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        if (!Platform::SaveBitmapToPng(bitmap, golden))
            return "cannot write " + golden;
        return {};
    }
    Platform::HBITMAP expected = Platform::LoadBitmapFromPng(golden);
    if (expected == nullptr)
        return "cannot read " + golden + " (run with REZ_UPDATE_GOLDEN=1 to make it)";
    Platform::TBitmapInfo a, e;
    Platform::GetBitmapInfo(bitmap, a);
    Platform::GetBitmapInfo(expected, e);
    std::string message;
    if (a.Width != e.Width || a.Height != e.Height) {
        message = "size " + std::to_string(a.Width) + "x" + std::to_string(a.Height) + " instead of " +
                  std::to_string(e.Width) + "x" + std::to_string(e.Height);
        Platform::DeleteBitmap(expected);
        return message;
    }
    Platform::HBITMAP diff = Platform::CreateBitmap32(a.Width * 3, a.Height);
    Platform::TBitmapInfo d;
    Platform::GetBitmapInfo(diff, d);
    int bad = 0;
    for (int y = 0; y < a.Height; ++y) {
        for (int x = 0; x < a.Width; ++x) {
            const std::uint32_t pa = a.Bits[y * a.Width + x] & 0xFFFFFF, pe = e.Bits[y * e.Width + x] & 0xFFFFFF;
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(
                    worst, std::abs(static_cast<int>((pa >> shift) & 0xFF) - static_cast<int>((pe >> shift) & 0xFF)));
            const bool differs = worst > channelTolerance;
            bad += differs;
            std::uint32_t* row = d.Bits + y * d.Width;
            row[x] = pa;
            row[a.Width + x] = pe;
            row[2 * a.Width + x] = differs ? 0xFF0000 : ((pa >> 2) & 0x3F3F3F) + 0xA0A0A0;
        }
    }
    if (bad > maxBadPixels) {
        const std::string out =
            (std::filesystem::temp_directory_path() / ("rezozuri-golden-" + name + "-diff.png")).string();
        Platform::SaveBitmapToPng(diff, out);
        message = std::to_string(bad) + " pixels differ from " + golden + "; side by side: " + out;
    }
    Platform::DeleteBitmap(diff);
    Platform::DeleteBitmap(expected);
    return message;
}

}  // namespace TestSupport
