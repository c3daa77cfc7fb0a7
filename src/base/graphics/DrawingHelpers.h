#pragma once

#include <cstdint>

#include "base/core/Geometry.h"
#include "base/graphics/Colors.h"
#include "platform/GdiTypes.h"

class TCanvas;
class TMemory;

// Small drawing services shared by painting code: solid fills, etched lines
// and two-tone frames, dotted pixel lines, wavy underlines and the
// underline-style samples of the font lists.

void FillSolidRect(Platform::HDC dc, const TRect& rect, TColor color);
// A line in the button-shadow colour with one in the button-highlight
// colour below it.
void DrawEtchedLine(TCanvas& canvas, std::int32_t x1, std::int32_t x2, std::int32_t y);
void DrawTwoToneFrame(TCanvas& canvas, const TRect& rect, TColor topLeftColor, TColor bottomRightColor);
// A pixel at every fifth position, PatternLineThickness rows (or columns) wide.
void DottedPixelsHorz(Platform::HDC dc, std::int32_t x1, std::int32_t x2, std::int32_t y, TColor color);
void DottedPixelsVert(Platform::HDC dc, std::int32_t x, std::int32_t y1, std::int32_t y2, TColor color);
// A zigzag line along y between x1 and x2, its phase fixed by phase so that
// neighbouring pieces join. A period below 2 draws nothing.
void DrawWavyLine(Platform::HDC dc,
                  std::int32_t x1,
                  std::int32_t x2,
                  std::int32_t y,
                  TColor color,
                  std::int32_t width,
                  std::int32_t amplitude,
                  std::int32_t period,
                  std::int32_t phase);
// The sample of an underline code (attribute 6 of a character format).
void DrawUnderlineSample(TCanvas& canvas, const TRect& rect, std::int32_t style, bool centerText);

// The shared buffer of wavy-line points: (x, y) pairs of 32-bit values.
TMemory& WavyLinePoints();
