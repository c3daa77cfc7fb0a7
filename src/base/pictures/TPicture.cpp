#include "base/pictures/TPicture.h"

#include <typeinfo>

#include "base/core/Errors.h"
#include "base/graphics/TBitmap.h"
#include "base/graphics/TGraphic.h"
#include "base/pictures/TFileFormats.h"

namespace {

// Whether graphic is of sample's class or of a class derived from it.
bool IsInstanceOfClassOf(const TGraphic* graphic, const TGraphic* sample) {
    if (typeid(*graphic) == typeid(*sample))
        return true;
    if (dynamic_cast<const TBitmap*>(sample) != nullptr && typeid(*sample) == typeid(TBitmap))
        return dynamic_cast<const TBitmap*>(graphic) != nullptr;
    return false;
}

}  // namespace

TPicture::~TPicture() {
    delete GraphicObject;
}

void TPicture::Changed() {
    if (OnChange)
        OnChange(this);
}

void TPicture::Install(TGraphic* graphic) {
    if (graphic != nullptr)
        graphic->OnChange = [this](TGraphic*) { Changed(); };
    delete GraphicObject;
    GraphicObject = graphic;
    Changed();
}

TBitmap* TPicture::Bitmap() {
    // A PNG or GIF picture is a bitmap too and stays.
    if (auto* bitmap = dynamic_cast<TBitmap*>(GraphicObject))
        return bitmap;
    Install(new TBitmap);
    return static_cast<TBitmap*>(GraphicObject);
}

void TPicture::SetGraphic(const TGraphic* value) {
    if (value == nullptr) {
        Install(nullptr);
        return;
    }
    TGraphic* copy = value->NewInstance();
    try {
        copy->Assign(value);
    } catch (...) {
        delete copy;
        throw;
    }
    Install(copy);
}

void TPicture::Assign(const TPersistent* source) {
    if (source == nullptr) {
        SetGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this)
            SetGraphic(picture->GraphicObject);
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent& dest) const {
    // The destination takes the graphic when the graphic is an instance of
    // the destination's class (a PNG picture is a bitmap, not the reverse).
    auto* target = dynamic_cast<TGraphic*>(&dest);
    if (GraphicObject == nullptr || target == nullptr)
        return;
    TGraphic* probe = target->NewInstance();
    const bool instance = probe != nullptr && IsInstanceOfClassOf(GraphicObject, probe);
    delete probe;
    if (instance)
        target->Assign(GraphicObject);
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t sep = fileName.find_last_of("\\/:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        Abort();
    const TGraphicClass graphicClass = GraphicFileFormats().FindClass(fileName.substr(dot + 1));
    if (graphicClass == nullptr)
        Abort();
    TGraphic* graphic = graphicClass();
    try {
        graphic->LoadFromFile(fileName);
    } catch (...) {
        delete graphic;
        throw;
    }
    Install(graphic);
}

std::int32_t TPicture::Width() const {
    return GraphicObject != nullptr ? GraphicObject->GetWidth() : 0;
}

std::int32_t TPicture::Height() const {
    return GraphicObject != nullptr ? GraphicObject->GetHeight() : 0;
}
