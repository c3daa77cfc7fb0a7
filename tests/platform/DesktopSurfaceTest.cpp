#include <gtest/gtest.h>

#include <QtGui/QBackingStore>
#include <QtGui/QImage>

#include "WindowTrace.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Windows.h"
#include "platform/qt/DesktopWindow.h"
#include "platform/qt/WindowObjects.h"

// A top-level window's surface is its desktop window's backing store: what
// the window draws is in the store at once, through resizes too, so that a
// flush copies nothing.
namespace {

using namespace Platform;
using namespace WindowTrace;

class DesktopSurfaceTest : public TWindowTest {};

// The colour of a pixel of the store's image, as the drawing layer keeps it.
std::uint32_t StorePixel(HWND window, int x, int y) {
    auto* desktop = static_cast<TDesktopWindow*>(DesktopWindowOf(window));
    const QRect all(QPoint(0, 0), desktop->Store.size());
    desktop->Store.beginPaint(QRegion(all));
    auto* image = dynamic_cast<QImage*>(desktop->Store.paintDevice());
    const std::uint32_t pixel =
        image != nullptr ? reinterpret_cast<const std::uint32_t*>(image->constScanLine(y))[x] & 0xFFFFFF : 0;
    desktop->Store.endPaint();
    return pixel;
}

void Fill(HWND window, TRect r, TColorRef color) {
    HDC dc = GetDC(window);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, r, brush);
    DeleteBrush(brush);
    ReleaseDC(window, dc);
}

TEST_F(DesktopSurfaceTest, DrawingLandsInTheBackingStoreThroughResizes) {
    HWND top = Make("top", WS_OVERLAPPED | WS_VISIBLE, {0, 0, 120, 80});
    ASSERT_NE(top, nullptr);
    PumpMessages();
    auto* desktop = static_cast<TDesktopWindow*>(DesktopWindowOf(top));
    ASSERT_NE(desktop, nullptr);
    if (desktop->LentBits == nullptr)
        GTEST_SKIP() << "this platform plugin's backing store keeps pixels of another layout";
    TBitmapInfo info;
    ASSERT_TRUE(GetBitmapInfo(WindowOf(top)->Surface, info));
    EXPECT_EQ(info.Bits, desktop->LentBits);

    struct Case {
        const char* Name;
        TRect Window;
        TRect Fill;
        TPoint Inside;
    };
    const Case cases[] = {
        {"as made", {0, 0, 120, 80}, {10, 10, 20, 20}, {15, 15}},
        {"larger", {0, 0, 300, 200}, {250, 150, 260, 160}, {255, 155}},
        {"smaller", {0, 0, 60, 40}, {50, 30, 60, 40}, {55, 35}},
    };
    TColorRef color = 0x102030;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetWindowPos(top, nullptr, c.Window.Left, c.Window.Top, c.Window.Width(), c.Window.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        PumpMessages();
        color += 0x010101;
        Fill(top, c.Fill, color);
        ASSERT_TRUE(GetBitmapInfo(WindowOf(top)->Surface, info));
        EXPECT_EQ(info.Width, c.Window.Width());
        EXPECT_EQ(info.Bits, desktop->LentBits);
        EXPECT_EQ(StorePixel(top, c.Inside.X, c.Inside.Y), ColorRefToPixel(color));
    }
}

}  // namespace
