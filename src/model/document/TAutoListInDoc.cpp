// The member of TAutoList that copies a list into another document. A
// picture bullet's copy joins that document's shape list, and the list room
// lies below the document, so this part lives with the document.
#include "model/managers/TAutoList.h"

#include "model/document/TDoc.h"
#include "model/formats/TShape.h"

namespace {

TShape* CopyPictureBullet(const TShape& shape, TDoc& doc) {
    if (const auto& hook = PictureBulletHooks().CopyToDoc)
        return hook(shape, doc);
    auto* copy = new TShape(&doc);
    copy->Props.Assign(shape.Props);
    doc.Shapes.Add(copy);
    return copy;
}

}  // namespace

void TAutoList::AssignToDoc(const TAutoList& source, TDoc& doc) {
    Assign(source);
    for (std::int32_t i = 0; i < UsedLevelCount(); ++i)
        if (Levels[i].PictureBullet != nullptr)
            Levels[i].PictureBullet = CopyPictureBullet(*Levels[i].PictureBullet, doc);
}
