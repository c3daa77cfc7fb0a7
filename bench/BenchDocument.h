#pragma once

#include <cstdint>
#include <memory>
#include <random>

#include "layout/lines/DocumentLines.h"
#include "layout/view/TViewClient.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Bitmaps.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "platform/Screen.h"

// The screen at 96 pixels per inch and the fixture fonts of the tests, so
// that every benchmark measures with the same fonts wherever it runs.
inline void UseBenchScreen(std::int32_t screenWidth = 1920, std::int32_t screenHeight = 1080) {
    Platform::SetScreenMetrics(screenWidth, screenHeight, 96);
    Platform::UseOnlyFontsIn(REZ_TEST_DATA_DIR "/fonts");
}

struct TBenchScreen {
    TBenchScreen(std::int32_t screenWidth, std::int32_t screenHeight) { UseBenchScreen(screenWidth, screenHeight); }
};

// That screen, then the font and tab managers layout measures with. A
// benchmark's document derives from it, so that the document goes before
// the managers.
struct TBenchFonts : TBenchScreen, TLayoutManagers {
    explicit TBenchFonts(std::int32_t screenWidth = 1920, std::int32_t screenHeight = 1080)
        : TBenchScreen(screenWidth, screenHeight) {}
};

// The long documents of the layout and typing benchmarks: the bench fonts,
// and a story of `parCount` paragraphs that `fill` writes (usually random
// words), laid out by `client`. Pages go before the paragraphs, and the
// client is let go before whoever owns it is destroyed.
struct TBenchDocument : TBenchFonts {
    using TFill = void (*)(TPar& par, std::mt19937& random, std::int32_t font);

    TBenchDocument(bool hidden,
                   TDocClient* client,
                   std::int32_t parCount,
                   TFill fill,
                   std::uint32_t seed,
                   std::int32_t screenWidth = 1920,
                   std::int32_t screenHeight = 1080)
        : TBenchFonts(screenWidth, screenHeight) {
        Doc = std::make_unique<TDoc>(hidden);
        if (client != nullptr)
            Doc->Client = client;
        std::mt19937 random(seed);
        fill(*Doc->Par(0), random, Fonts->TimesFont);
        for (std::int32_t i = 1; i < parCount; ++i) {
            auto* par = new TPar(Doc.get());
            fill(*par, random, Fonts->TimesFont);
            Doc->Pars.Add(par);
        }
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
    }
    ~TBenchDocument() {
        Doc->DestroyLayout();
        Doc->Client = &NullDocClient();
    }
    TBenchDocument(const TBenchDocument&) = delete;
    TBenchDocument& operator=(const TBenchDocument&) = delete;

    // Paginates the whole document for a view: page sizes in pixels, every
    // page, then the view's geometry.
    void PaginateForView() {
        Doc->UpdatePageMetrics();
        Doc->Paginate(0, 2147483647);
        Doc->UpdateViewGeometry();
    }

    std::unique_ptr<TDoc> Doc;
};

// A shown document window of the given size that paints into a bitmap.
class TBenchWindow : public TViewClient {
public:
    TBenchWindow(std::int32_t width, std::int32_t height) {
        Shown = true;
        Width = width;
        Height = height;
        Dc = Platform::CreateCompatibleDC(nullptr);
        Bitmap = Platform::CreateBitmap32(Width, Height);
        Platform::SelectBitmap(Dc, Bitmap);
    }
    Platform::HDC AcquireDC(TDoc&) override { return Dc; }
    void ReleaseDC(TDoc&, Platform::HDC) override {}
    Platform::HDC Dc = nullptr;
    Platform::HBITMAP Bitmap = nullptr;
};
