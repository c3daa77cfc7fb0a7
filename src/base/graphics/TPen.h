#pragma once

#include <cstdint>

#include "base/graphics/Colors.h"
#include "base/graphics/TGraphicsObject.h"
#include "platform/GdiTypes.h"

struct TPenData {
    Platform::HPEN Handle;
    std::int32_t Color;
    std::int32_t Width;
};

// A solid pen of a colour and width, shared through the pen cache.
class TPen : public TGraphicsObject {
public:
    TPen();
    ~TPen() override;

    // Shares the record of an object of the same kind; other sources go to
    // the inherited assignment.
    void Assign(const TPersistent* source) override;
    TPenData GetData() const;
    void SetData(const TPenData& data);
    Platform::HPEN Handle();

    TColor GetColor() const;
    void SetColor(TColor color);
    std::int32_t GetWidth() const;
    void SetWidth(std::int32_t width);  // a negative width is ignored
};

const TPenData& DefaultPenData();
