#pragma once

#include <cstdint>
#include <vector>

#include "PageFixture.h"
#include "layout/view/TViewClient.h"
#include "platform/GdiTypes.h"

// A view client whose window is a bitmap of its own (the "screen"): the
// view painter copies into it, and short scrolls move its pixels and paint
// the uncovered strip as the window's paint handler would.
class TScreenClient : public TViewClient {
public:
    TScreenClient();
    ~TScreenClient() override;
    TScreenClient(const TScreenClient&) = delete;
    TScreenClient& operator=(const TScreenClient&) = delete;

    // Makes the screen bitmap at the client size (black).
    void MakeScreen();
    Platform::HDC AcquireDC(TDoc& doc) override { return Screen; }
    void ReleaseDC(TDoc& doc, Platform::HDC dc) override {}
    void ScrollPixels(TDoc& doc, std::int32_t dx, std::int32_t dy) override;
    // The screen's pixels, row by row.
    std::vector<std::uint32_t> Pixels() const;

    Platform::HDC Screen = nullptr;
    Platform::HBITMAP ScreenBitmap = nullptr;
    Platform::HBITMAP Original = nullptr;
    struct TScroll {
        std::int32_t Dx, Dy;
    };
    std::vector<TScroll> Scrolls;
};

// PageFixture's document shown through a TScreenClient.
class ViewFixture : public PageFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Fills the document with n plain paragraphs of `lines` lines each,
    // paginates it and lays the view out in a window of the given size.
    void Fill(int paragraphs, int lines);
    void Show(std::int32_t width, std::int32_t height);

    TScreenClient View;
};
