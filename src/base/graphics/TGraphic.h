#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/core/Geometry.h"
#include "base/core/TPersistent.h"
#include "platform/GdiTypes.h"

class TCanvas;
class TStream;

// The root of the picture classes: bitmaps, PNG, JPEG and GIF pictures (and
// later metafiles). It fixes what every picture can do: draw itself into a
// rectangle, tell its size and palette, be transparent, load and save
// through files and streams, and tell a listener when it changed.
class TGraphic : public TPersistent {
public:
    TGraphic() = default;
    ~TGraphic() override = default;

    // Tells OnChange (with this picture as the sender) when assigned.
    virtual void Changed();
    virtual void Draw(TCanvas& canvas, const TRect& rect) {}
    virtual bool IsEmpty() const = 0;
    virtual std::int32_t GetHeight() const = 0;
    virtual Platform::HPALETTE GetPalette() { return nullptr; }
    virtual bool IsTransparent() const { return Transparent; }
    virtual std::int32_t GetWidth() const = 0;
    virtual void SetPalette(Platform::HPALETTE palette) {}
    // Stores a changed flag and tells the listener.
    virtual void SetTransparent(bool value);
    // Opens the file (others may read it) and loads it through
    // LoadFromStream; EAbort when it cannot be opened or read.
    virtual void LoadFromFile(const std::string& fileName);
    // Writes a new file beside the old one and puts it in its place only
    // when the whole picture was written, so a failed save never leaves a
    // half file over a good one.
    virtual void SaveToFile(const std::string& fileName);
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // The virtual constructor: a new empty picture of this one's class.
    virtual TGraphic* NewInstance() const = 0;

    // Shorter names that the canvas uses.
    bool Empty() const { return IsEmpty(); }
    std::int32_t Width() const { return GetWidth(); }
    std::int32_t Height() const { return GetHeight(); }

    std::function<void(TGraphic*)> OnChange;
    bool Transparent = false;
    bool PaletteModified = false;
};

// A picture class of the registry: its virtual constructor.
using TGraphicClass = TGraphic* (*)();

template <class T>
TGraphic* CreateGraphic() {
    return new T;
}
