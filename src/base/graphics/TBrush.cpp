#include "base/graphics/TBrush.h"

#include <cstring>

#include "base/graphics/Graphics.h"
#include "base/graphics/TResourceMan.h"
#include "platform/DeviceContexts.h"

namespace {

const TBrushData& Record(const TResource* node) {
    return *reinterpret_cast<const TBrushData*>(node->Data.data());
}

TPatternHandleProvider& PatternProvider() {
    static TPatternHandleProvider provider;
    return provider;
}

}  // namespace

void SetBrushPatternHandleProvider(TPatternHandleProvider provider) {
    PatternProvider() = std::move(provider);
}

const TBrushData& DefaultBrushData() {
    static const TBrushData data = [] {
        TBrushData d;
        std::memset(&d, 0, sizeof d);
        d.Color = clWhite;
        d.Style = bsSolid;
        return d;
    }();
    return data;
}

TBrush::TBrush() {
    Resource = BrushResources().Acquire(&DefaultBrushData());
}

TBrush::~TBrush() {
    BrushResources().Release(Resource);
}

void TBrush::Assign(const TPersistent* source) {
    if (const auto* brush = dynamic_cast<const TBrush*>(source))
        BrushResources().Share(*this, brush->Resource);
    else
        TGraphicsObject::Assign(source);
}

TBrushData TBrush::GetData() const {
    TBrushData d = Record(Resource);
    d.Handle = nullptr;
    d.Bitmap = nullptr;
    return d;
}

void TBrush::SetData(const TBrushData& data) {
    BrushResources().ChangeTo(*this, &data);
}

Platform::HBRUSH TBrush::Handle() {
    if (Resource->Handle == nullptr) {
        const TBrushData& d = Record(Resource);
        Platform::HBITMAP pattern = nullptr;
        if (d.Bitmap != nullptr && PatternProvider())
            pattern = PatternProvider()(d.Bitmap);
        if (pattern != nullptr)
            Resource->Handle = Platform::CreatePatternBrush(pattern);
        else if (d.Style == bsClear)
            Resource->Handle = Platform::CreateHollowBrush();
        else
            Resource->Handle = Platform::CreateSolidBrush(static_cast<Platform::TColorRef>(ResolveSysColor(d.Color)));
    }
    return static_cast<Platform::HBRUSH>(Resource->Handle);
}

TColor TBrush::GetColor() const {
    return Record(Resource).Color;
}

void TBrush::SetColor(TColor color) {
    TBrushData d = GetData();
    d.Color = color;
    if (d.Style == bsClear)
        d.Style = bsSolid;
    SetData(d);
}

std::uint8_t TBrush::GetStyle() const {
    return Record(Resource).Style;
}

void TBrush::SetStyle(std::uint8_t style) {
    TBrushData d = GetData();
    d.Style = style;
    if (style == bsClear)
        d.Color = clWhite;
    SetData(d);
}

TBitmap* TBrush::GetBitmap() const {
    return Record(Resource).Bitmap;
}
