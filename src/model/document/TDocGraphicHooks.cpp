#include "model/document/TDocGraphicHooks.h"

#include <span>

#include "model/document/TDoc.h"
#include "model/formats/TDocGraphic.h"
#include "model/formats/TShape.h"
#include "model/managers/TAutoList.h"

namespace {

std::span<const std::uint8_t> BytesOf(const TShapePicture& picture) {
    return {reinterpret_cast<const std::uint8_t*>(picture.Data.data()), picture.Data.size()};
}

// Two different shapes show the same picture when both hold picture bytes
// of one kind and the bytes agree. The kind is read from the bytes, so a
// picture stored twice under different RTF words is still one picture.
bool SamePicture(const TShape& a, const TShape& b) {
    if (a.Picture.Data.empty() || b.Picture.Data.empty() || a.Picture.Data.size() != b.Picture.Data.size())
        return false;
    TGraphicHeader ha;
    TGraphicHeader hb;
    const bool readA = static_cast<bool>(ReadGraphicHeader(BytesOf(a.Picture), a.Picture.Kind, ha));
    const bool readB = static_cast<bool>(ReadGraphicHeader(BytesOf(b.Picture), b.Picture.Kind, hb));
    if (readA != readB || ha.Kind != hb.Kind)
        return false;
    return a.Picture.Data == b.Picture.Data;
}

TShape* CopyToDoc(const TShape& shape, TDoc& doc) {
    auto* copy = new TShape(&doc);
    copy->Props.Assign(shape.Props);
    copy->Picture = shape.Picture;
    // A picture already made keeps its size, which may have come from
    // beside its bytes; others are made from the copied bytes on first use.
    if (shape.Graphic != nullptr)
        copy->Graphic = shape.Graphic->Clone();
    doc.Shapes.Add(copy);
    return copy;
}

}  // namespace

void InstallDocGraphicHooks() {
    TPictureBulletHooks& hooks = PictureBulletHooks();
    if (!hooks.SamePicture)
        hooks.SamePicture = SamePicture;
    if (!hooks.CopyToDoc)
        hooks.CopyToDoc = CopyToDoc;
}
