#include "base/graphics/TPen.h"

#include <cstring>

#include "base/graphics/Graphics.h"
#include "base/graphics/TResourceMan.h"
#include "platform/DeviceContexts.h"

namespace {

const TPenData& Record(const TResource* node) {
    return *reinterpret_cast<const TPenData*>(node->Data.data());
}

}  // namespace

const TPenData& DefaultPenData() {
    static const TPenData data = [] {
        TPenData d;
        std::memset(&d, 0, sizeof d);
        d.Color = clBlack;
        d.Width = 1;
        return d;
    }();
    return data;
}

TPen::TPen() {
    Resource = PenResources().Acquire(&DefaultPenData());
}

TPen::~TPen() {
    PenResources().Release(Resource);
}

void TPen::Assign(const TPersistent* source) {
    if (const auto* pen = dynamic_cast<const TPen*>(source))
        PenResources().Share(*this, pen->Resource);
    else
        TGraphicsObject::Assign(source);
}

TPenData TPen::GetData() const {
    TPenData d = Record(Resource);
    d.Handle = nullptr;
    return d;
}

void TPen::SetData(const TPenData& data) {
    PenResources().ChangeTo(*this, &data);
}

Platform::HPEN TPen::Handle() {
    if (Resource->Handle == nullptr) {
        const TPenData& d = Record(Resource);
        Resource->Handle = Platform::CreatePen(static_cast<Platform::TColorRef>(ResolveSysColor(d.Color)), d.Width);
    }
    return static_cast<Platform::HPEN>(Resource->Handle);
}

TColor TPen::GetColor() const {
    return Record(Resource).Color;
}

void TPen::SetColor(TColor color) {
    TPenData d = GetData();
    d.Color = color;
    SetData(d);
}

std::int32_t TPen::GetWidth() const {
    return Record(Resource).Width;
}

void TPen::SetWidth(std::int32_t width) {
    if (width < 0)
        return;
    TPenData d = GetData();
    d.Width = width;
    SetData(d);
}
