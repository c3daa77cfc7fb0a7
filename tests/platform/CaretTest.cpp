#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "WindowTrace.h"
#include "platform/DeviceContexts.h"

namespace {

using namespace Platform;
using namespace WindowTrace;

constexpr TColorRef kWhite = 0xFFFFFF;
constexpr TColorRef kBlack = 0x000000;

// A window whose class brush paints it white.
class CaretTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        static bool registered = [] {
            TWndClass wc;
            wc.lpfnWndProc = &DefWindowProc;
            wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(5 + 1));  // COLOR_WINDOW
            wc.lpszClassName = u"CaretHost";
            RegisterClass(wc);
            return true;
        }();
        (void)registered;
        Window = CreateWindowEx(0, u"CaretHost", u"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 60, 40, nullptr, 0, nullptr);
        UpdateWindow(Window);
    }
    void TearDown() override {
        DestroyCaret();
        TWindowTest::TearDown();
    }
    TColorRef Pixel(int x, int y) {
        HDC dc = GetDC(Window);
        const TColorRef c = GetPixel(dc, x, y);
        ReleaseDC(Window, dc);
        return c;
    }
    HWND Window = nullptr;
};

TEST_F(CaretTest, ShowsAndHidesByCountAndMovesWithoutTrails) {
    ASSERT_EQ(Pixel(10, 10), kWhite);
    ASSERT_TRUE(CreateCaret(Window, nullptr, 2, 12));
    ASSERT_TRUE(SetCaretPos(10, 5));
    EXPECT_EQ(Pixel(10, 10), kWhite);  // created hidden
    ShowCaret(Window);
    EXPECT_EQ(Pixel(10, 10), kBlack);
    EXPECT_EQ(Pixel(11, 16), kBlack);
    EXPECT_EQ(Pixel(12, 10), kWhite);
    HideCaret(Window);
    HideCaret(nullptr);
    ShowCaret(Window);
    EXPECT_EQ(Pixel(10, 10), kWhite);  // still hidden once
    ShowCaret(nullptr);
    EXPECT_EQ(Pixel(10, 10), kBlack);
    SetCaretPos(30, 5);
    EXPECT_EQ(Pixel(10, 10), kWhite);
    EXPECT_EQ(Pixel(30, 10), kBlack);
    TPoint pos;
    ASSERT_TRUE(GetCaretPos(pos));
    EXPECT_EQ(pos, (TPoint{30, 5}));
    // Destroying takes it off the screen.
    DestroyCaret();
    EXPECT_EQ(Pixel(30, 10), kWhite);
    EXPECT_FALSE(ShowCaret(nullptr));
}

TEST_F(CaretTest, PaintingAndScrollingLeaveOneCaretWhereItBelongs) {
    CreateCaret(Window, nullptr, 2, 12);
    SetCaretPos(10, 5);
    ShowCaret(Window);
    InvalidateRect(Window, nullptr, true);
    UpdateWindow(Window);  // erases to white under the caret
    EXPECT_EQ(Pixel(10, 10), kBlack);
    ScrollWindowEx(Window, 0, -4, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    UpdateWindow(Window);
    EXPECT_EQ(Pixel(10, 10), kBlack);
    EXPECT_EQ(Pixel(10, 16), kBlack);
    EXPECT_EQ(Pixel(10, 2), kWhite);  // no copy of the caret moved up with the pixels
}

TEST_F(CaretTest, BlinksOnTheQueueTimer) {
    SetCaretBlinkTime(15);
    CreateCaret(Window, nullptr, 2, 12);
    SetCaretPos(10, 5);
    ShowCaret(Window);
    bool sawOff = false;
    bool sawOnAgain = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!sawOnAgain && std::chrono::steady_clock::now() < end) {
        PumpMessages();
        WaitMessage(5);
        const TColorRef c = Pixel(10, 10);
        if (c == kWhite)
            sawOff = true;
        else if (sawOff)
            sawOnAgain = true;
    }
    EXPECT_TRUE(sawOff);
    EXPECT_TRUE(sawOnAgain);
    SetCaretBlinkTime(530);
    // The caret goes with its window.
    DestroyWindow(Window);
    EXPECT_FALSE(SetCaretPos(0, 0));
}

}  // namespace
