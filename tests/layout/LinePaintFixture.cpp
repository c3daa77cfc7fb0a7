#include "LinePaintFixture.h"

#include "layout/painting/TLinePainter.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"
#include "platform/cairo/GdiObjects.h"
#include "support/GoldenImages.h"

namespace {

// A recorder that keeps the text outputs and fills of a context; lines,
// pixels and blits are not needed by the tests and are dropped.
class TTestRecorder : public Platform::TDcRecorder {
public:
    explicit TTestRecorder(TRecording& recording) : Out(recording) {}

    void FillRect(Platform::TDeviceContext& /*dc*/,
                  const Platform::TRect& rect,
                  Platform::TBrushObject* brush) override {
        Out.Fills.push_back(rect);
        Out.FillColors.push_back(brush != nullptr ? brush->Color : 0);
    }
    void PatBlt(Platform::TDeviceContext&, const Platform::TRect&, std::uint32_t) override {}
    void LineTo(Platform::TDeviceContext&, Platform::TPoint, Platform::TPoint) override {}
    void Polyline(Platform::TDeviceContext&, const Platform::TPoint*, int) override {}
    void PolyPolygon(Platform::TDeviceContext&, const Platform::TPoint*, const int*, int, int) override {}
    void Rectangle(Platform::TDeviceContext&, const Platform::TRect&) override {}
    void SetPixel(Platform::TDeviceContext&, std::int32_t, std::int32_t, Platform::TColorRef) override {}
    void FillRgn(Platform::TDeviceContext&, Platform::TRegionObject*, Platform::TBrushObject*) override {}
    void Text(Platform::TDeviceContext& dc,
              std::int32_t x,
              std::int32_t y,
              std::uint32_t /*options*/,
              const Platform::TRect* /*rect*/,
              const std::u32string& characters,
              const std::vector<std::int32_t>& advances) override {
        TRecordedText text;
        text.X = x;
        text.Y = y;
        text.Characters = characters;
        text.Advances = advances;
        const Platform::TFontObject* font = dc.FontOrStock();
        text.Ascent = font->Metrics.Ascent;
        text.Height = font->Metrics.Height;
        text.Color = dc.TextColor;
        Out.Texts.push_back(std::move(text));
    }
    void Blit(Platform::TDeviceContext&,
              const Platform::TRect&,
              Platform::TDeviceContext*,
              const Platform::TRect&,
              Platform::TBitmapObject*,
              Platform::TPoint,
              std::uint32_t) override {}

private:
    TRecording& Out;
};

}  // namespace

void LinePaintFixture::SetUp() {
    LineFixture::SetUp();
    Colors = std::make_unique<TColorManager>();
    LinePaintOptions() = TLinePaintOptions();
    LinePaintHooks() = TLinePaintHooks();
    SavedServiceBitmap = ServiceBitmap;
}

void LinePaintFixture::TearDown() {
    LinePaintOptions() = TLinePaintOptions();
    LinePaintHooks() = TLinePaintHooks();
    ServiceBitmap = SavedServiceBitmap;
    Bitmap.reset();
    Colors.reset();
    LineFixture::TearDown();
}

void LinePaintFixture::MakeBitmap(std::int32_t width, std::int32_t height) {
    Bitmap = std::make_unique<TServiceBitmap>();
    Bitmap->Width = width;
    Bitmap->Height = height;
    Bitmap->AllocateBitmap();
    Bitmap->FillBox(0, 0, width, height, 0xFFFFFF);
    ServiceBitmap = Bitmap.get();
}

std::int32_t LinePaintFixture::PaintParsTo(Platform::HDC dc,
                                           const std::vector<TPar*>& pars,
                                           std::int32_t x,
                                           std::int32_t y) {
    for (TPar* par : pars)
        for (std::int32_t i = 0; i < par->LineCount(); ++i) {
            TLine& line = LineOf(*par, i);
            line.Paint(dc, x, y);
            y += line.HeightPixels(nullptr);
        }
    return y;
}

std::int32_t LinePaintFixture::PaintPars(const std::vector<TPar*>& pars, std::int32_t x, std::int32_t y) {
    return PaintParsTo(Bitmap->DC, pars, x, y);
}

TRecording LinePaintFixture::Record(const std::vector<TPar*>& pars, std::int32_t x, std::int32_t y) {
    TRecording recording;
    Platform::HDC dc = Platform::CreateCompatibleDC(nullptr);
    dc->Recorder = new TTestRecorder(recording);
    PaintParsTo(dc, pars, x, y);
    Platform::DeleteDC(dc);
    return recording;
}

void LinePaintFixture::SetZoom(std::int32_t zoom) {
    Doc->Zoom = Doc->ZoomInForce = zoom;
    Doc->ZoomedResolutionX = Doc->ZoomedResolutionY = (96 * zoom + 50) / 100;
}

std::string LinePaintFixture::CompareBitmap(const std::string& name) {
    return TestSupport::CompareWithGolden(Bitmap->Bitmap, name);
}
