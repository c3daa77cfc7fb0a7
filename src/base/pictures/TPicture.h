#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/core/TPersistent.h"

class TBitmap;
class TGraphic;

// A container that owns one picture of any class and loads picture files by
// their extension through the registry of picture formats.
class TPicture : public TPersistent {
public:
    TPicture() = default;
    ~TPicture() override;

    void Assign(const TPersistent* source) override;
    void AssignTo(TPersistent& dest) const override;
    virtual void Changed();

    // The graphic as a bitmap: any other graphic is replaced by an empty one.
    TBitmap* Bitmap();
    TGraphic* Graphic() const { return GraphicObject; }
    // A copy of value (of its class) becomes the graphic; null removes it.
    // A failed copy leaves the picture unchanged and passes the failure on.
    void SetGraphic(const TGraphic* value);
    // The class comes from the extension (after the last dot that follows
    // the last "\\", "/" and ":"); a failed load leaves the picture unchanged.
    // EAbort when no class reads the extension or the file cannot be read.
    void LoadFromFile(const std::string& fileName);
    std::int32_t Width() const;
    std::int32_t Height() const;

    std::function<void(TPicture*)> OnChange;

private:
    void Install(TGraphic* graphic);

    TGraphic* GraphicObject = nullptr;
};
