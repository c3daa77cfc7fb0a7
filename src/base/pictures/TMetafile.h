#pragma once

#include <cstdint>

#include "base/graphics/TCanvas.h"
#include "base/graphics/TGraphic.h"
#include "base/graphics/TSharedImage.h"
#include "platform/Metafiles.h"

// The shared data of a metafile: the enhanced metafile (a Windows metafile
// is held converted), its size in 0.01 mm, its palette made on demand, the
// units per inch of a Windows metafile (0 for an enhanced one) and a size
// in pixels asked for before there was a metafile.
class TMetafileImage : public TSharedImage {
public:
    ~TMetafileImage() override;

    Platform::HENHMETAFILE Handle = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    Platform::HPALETTE Palette = nullptr;
    std::uint16_t Inch = 0;
    std::int32_t PendingWidth = 0;
    std::int32_t PendingHeight = 0;
};

// A picture held as an enhanced metafile (EMF) or a Windows metafile (WMF).
// Copies share the data until one of them changes it. Enhanced decides the
// format of SaveToStream: EMF, or WMF with the placeable header.
class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // False from construction on: every metafile has an image, even one
    // without a metafile (which draws nothing).
    bool IsEmpty() const override;
    std::int32_t GetHeight() const override;
    std::int32_t GetWidth() const override;
    Platform::HPALETTE GetPalette() override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    TGraphic* NewInstance() const override { return new TMetafile; }

    // More than 100 bytes remain and they start with an EMF header record.
    static bool IsEnhancedStream(TStream& stream);

    std::int32_t MMWidth();
    std::int32_t MMHeight();
    void SetMMWidth(std::int32_t value);
    void SetMMHeight(std::int32_t value);
    void SetPixelSize(std::int32_t width, std::int32_t height);
    // Takes over an enhanced metafile; EAbort when its header cannot be read.
    void SetHandle(Platform::HENHMETAFILE handle);
    Platform::HENHMETAFILE Handle() const { return Image->Handle; }
    // Hands the metafile to the caller, who deletes it.
    Platform::HENHMETAFILE ReleaseHandle();
    void UniqueImage();
    TMetafileImage* SharedImage() const { return Image; }

    bool Enhanced = true;

private:
    void NewImage();

    TMetafileImage* Image = nullptr;
};

// Records drawing into a new enhanced metafile, which the metafile receives
// when the canvas is destroyed.
class TMetafileCanvas : public TCanvas {
public:
    // A null reference means the screen.
    TMetafileCanvas(TMetafile* metafile, Platform::HDC reference);
    ~TMetafileCanvas() override;

    TMetafile* Metafile = nullptr;
};

// The size of a Windows metafile without a placeable header, in English
// Metric Units (914400 an inch), set by a reader around its load; 0 = none.
extern std::int32_t MetafileSizeHintCx;
extern std::int32_t MetafileSizeHintCy;
