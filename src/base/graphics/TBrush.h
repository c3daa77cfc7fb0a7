#pragma once

#include <cstdint>
#include <functional>

#include "base/graphics/Colors.h"
#include "base/graphics/TGraphicsObject.h"
#include "platform/GdiTypes.h"

class TBitmap;

enum : std::uint8_t { bsSolid = 0, bsClear = 1 };

struct TBrushData {
    Platform::HBRUSH Handle;
    std::int32_t Color;
    std::uint8_t Spare1[4];  // explicit, so that copies keep every byte compared
    TBitmap* Bitmap;         // pattern bitmap or nil
    std::uint8_t Style;
    std::uint8_t Spare2[7];
};

// A solid or clear brush, or a pattern brush of a bitmap, shared through
// the brush cache.
class TBrush : public TGraphicsObject {
public:
    TBrush();
    ~TBrush() override;

    // Shares the record of an object of the same kind; other sources go to
    // the inherited assignment.
    void Assign(const TPersistent* source) override;
    TBrushData GetData() const;  // handle 0 and no pattern bitmap
    void SetData(const TBrushData& data);
    Platform::HBRUSH Handle();

    TColor GetColor() const;
    void SetColor(TColor color);  // a clear brush becomes solid
    std::uint8_t GetStyle() const;
    void SetStyle(std::uint8_t style);  // clear also sets the colour to white
    TBitmap* GetBitmap() const;
};

const TBrushData& DefaultBrushData();

// The bitmap classes tell the brushes how to get a pattern bitmap's drawing
// handle (made device-dependent first); until then pattern brushes are solid.
using TPatternHandleProvider = std::function<Platform::HBITMAP(TBitmap*)>;
void SetBrushPatternHandleProvider(TPatternHandleProvider provider);
