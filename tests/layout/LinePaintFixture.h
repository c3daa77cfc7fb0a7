#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "LineFixture.h"
#include "base/graphics/TServiceBitmap.h"
#include "model/managers/TColorManager.h"
#include "platform/GdiTypes.h"

// One text output a recording context received: where it started, its
// characters and advances, and the metrics of the font it was drawn in.
struct TRecordedText {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::u32string Characters;
    std::vector<std::int32_t> Advances;
    std::int32_t Ascent = 0;
    std::int32_t Height = 0;
    std::uint32_t Color = 0;
};

// What a recording context received instead of drawing.
struct TRecording {
    std::vector<TRecordedText> Texts;
    std::vector<Platform::TRect> Fills;
    std::vector<std::uint32_t> FillColors;
};

// The line fixture with what painting needs: a colour manager, an
// off-screen bitmap of a given size filled white, and the painting options
// at their defaults (put back afterwards).
class LinePaintFixture : public LineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the off-screen bitmap width x height, white, the one painting
    // goes to.
    void MakeBitmap(std::int32_t width, std::int32_t height);
    // Paints every line of the paragraphs, one below the other, into the
    // off-screen bitmap from (x, y); returns the y below the last line.
    std::int32_t PaintPars(const std::vector<TPar*>& pars, std::int32_t x, std::int32_t y);
    std::int32_t PaintParsTo(Platform::HDC dc, const std::vector<TPar*>& pars, std::int32_t x, std::int32_t y);
    // Paints the paragraphs into a recording context and returns what it got.
    TRecording Record(const std::vector<TPar*>& pars, std::int32_t x, std::int32_t y);
    // Sets the document's zoom as the view does.
    void SetZoom(std::int32_t zoom);
    // The golden comparison of the off-screen bitmap.
    std::string CompareBitmap(const std::string& name);

    std::unique_ptr<TColorManager> Colors;
    std::unique_ptr<TServiceBitmap> Bitmap;

private:
    TServiceBitmap* SavedServiceBitmap = nullptr;
};
