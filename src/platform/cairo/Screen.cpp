// The headless screen: fixed metrics and the Windows 10 default colours.

#include "platform/Screen.h"

namespace Platform {
namespace {

std::int32_t g_width = 1920;
std::int32_t g_height = 1080;
std::int32_t g_ppi = 96;
TPoint g_cursor;

// COLOR_SCROLLBAR (0) .. COLOR_MENUBAR (30), as 0x00BBGGRR.
constexpr TColorRef kSysColors[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
    0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969,
    0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0,
};

}  // namespace

std::int32_t ScreenPixelsPerInch() {
    return g_ppi;
}

std::int32_t ScreenWidth() {
    return g_width;
}

std::int32_t ScreenHeight() {
    return g_height;
}

void SetScreenMetrics(std::int32_t width, std::int32_t height, std::int32_t pixelsPerInch) {
    g_width = width;
    g_height = height;
    g_ppi = pixelsPerInch;
}

TColorRef GetSysColor(int index) {
    return index >= 0 && index < 31 ? kSysColors[index] : 0;
}

TPoint CursorPos() {
    return g_cursor;
}

void SetCursorPos(TPoint pos) {
    g_cursor = pos;
}

}  // namespace Platform
