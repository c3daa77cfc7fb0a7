#include "ViewFixture.h"

#include <algorithm>

#include "model/document/StateFlags.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Regions.h"

TScreenClient::TScreenClient() {
    Shown = true;
}

TScreenClient::~TScreenClient() {
    if (Screen != nullptr) {
        Platform::SelectBitmap(Screen, Original);
        Platform::DeleteBitmap(ScreenBitmap);
        Platform::DeleteDC(Screen);
    }
}

void TScreenClient::MakeScreen() {
    if (Screen == nullptr) {
        Screen = Platform::CreateCompatibleDC(nullptr);
    } else {
        Platform::SelectBitmap(Screen, Original);
        Platform::DeleteBitmap(ScreenBitmap);
    }
    ScreenBitmap = Platform::CreateBitmap32(AreaLeft + Width, AreaTop + Height);
    Original = Platform::SelectBitmap(Screen, ScreenBitmap);
}

void TScreenClient::ScrollPixels(TDoc& doc, std::int32_t dx, std::int32_t dy) {
    Scrolls.push_back({dx, dy});
    if (Screen == nullptr)
        return;
    // What the window does: the pixels move, and the strip they uncover is
    // painted through the paint handler, which clips to it.
    const Platform::TRect area = DocumentArea();
    Platform::HDC copy = Platform::CreateCompatibleDC(nullptr);
    Platform::HBITMAP bits = Platform::CreateBitmap32(area.Right, area.Bottom);
    Platform::HBITMAP old = Platform::SelectBitmap(copy, bits);
    Platform::BitBlt(copy, 0, 0, area.Right, area.Bottom, Screen, 0, 0, Platform::SRCCOPY);
    Platform::TRect moved{area.Left + dx, area.Top + dy, area.Right + dx, area.Bottom + dy};
    moved.Left = std::max(moved.Left, area.Left);
    moved.Top = std::max(moved.Top, area.Top);
    moved.Right = std::min(moved.Right, area.Right);
    moved.Bottom = std::min(moved.Bottom, area.Bottom);
    Platform::BitBlt(Screen, moved.Left, moved.Top, moved.Width(), moved.Height(), copy, moved.Left - dx,
                     moved.Top - dy, Platform::SRCCOPY);
    Platform::SelectBitmap(copy, old);
    Platform::DeleteBitmap(bits);
    Platform::DeleteDC(copy);
    Platform::HRGN exposed = Platform::CreateRectRgnIndirect(area);
    Platform::HRGN keep = Platform::CreateRectRgnIndirect(moved);
    Platform::CombineRgn(exposed, exposed, keep, Platform::RGN_DIFF);
    Platform::SelectClipRgn(Screen, exposed);
    doc.PaintView(Screen, nullptr);
    Platform::SelectClipRgn(Screen, nullptr);
    Platform::DeleteRegion(keep);
    Platform::DeleteRegion(exposed);
}

std::vector<std::uint32_t> TScreenClient::Pixels() const {
    Platform::GdiFlush();
    Platform::TBitmapInfo info;
    Platform::GetBitmapInfo(ScreenBitmap, info);
    return std::vector<std::uint32_t>(info.Bits, info.Bits + static_cast<std::size_t>(info.Width) * info.Height);
}

void ViewFixture::SetUp() {
    PageFixture::SetUp();
    Doc->Client = &View;
}

void ViewFixture::TearDown() {
    Doc->Client = &Client;
    PageFixture::TearDown();
}

void ViewFixture::Fill(int paragraphs, int lines) {
    for (int i = 0; i < paragraphs; ++i)
        Plain(Lines(lines));
    Doc->UpdatePageMetrics();
    PaginateAll();
}

void ViewFixture::Show(std::int32_t width, std::int32_t height) {
    View.Width = width;
    View.Height = height;
    View.MakeScreen();
    Doc->UpdateViewGeometry();
}
