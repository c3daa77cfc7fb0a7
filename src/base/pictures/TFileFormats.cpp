#include "base/pictures/TFileFormats.h"

#include "base/graphics/TBitmap.h"
#include "base/pictures/TGIFImage.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TMetafile.h"
#include "base/pictures/TPNGImage.h"
#include "base/text/TextCase.h"

void TFileFormats::Add(std::string_view extension, TGraphicClass graphicClass) {
    Formats.push_back({std::string(extension), graphicClass});
}

TGraphicClass TFileFormats::FindClass(std::string_view extension) const {
    const std::string lower = LowerCaseLocale(std::string(extension));
    for (auto it = Formats.rbegin(); it != Formats.rend(); ++it)
        if (it->Extension == lower)
            return it->GraphicClass;
    return nullptr;
}

TFileFormats& GraphicFileFormats() {
    static TFileFormats* formats = [] {
        auto* f = new TFileFormats;
        f->Add("wmf", &CreateGraphic<TMetafile>);
        f->Add("emf", &CreateGraphic<TMetafile>);
        f->Add("bmp", &CreateGraphic<TBitmap>);
        f->Add("jpeg", &CreateGraphic<TJPEGImage>);
        f->Add("jpg", &CreateGraphic<TJPEGImage>);
        f->Add("png", &CreateGraphic<TPNGImage>);
        f->Add("gif", &CreateGraphic<TGIFImage>);
        return f;
    }();
    return *formats;
}
