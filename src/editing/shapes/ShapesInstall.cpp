#include "editing/shapes/ShapesInstall.h"

#include <vector>

#include "base/core/TList.h"
#include "editing/shapes/ShapeOperations.h"
#include "model/document/TDoc.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"

namespace {

void WorkFormatPicture(TDoc& doc, TOperationCall&, const TFormatPictureArgs& args) {
    if (args.Shapes == nullptr)
        return;
    std::vector<TShape*> shapes;
    for (std::int32_t i = 0; i < args.Shapes->Count; ++i)
        shapes.push_back(args.Shapes->At<TShape>(i));
    const TPictureValues defaults;
    FormatPictures(doc, shapes, args.Kind, args.Values != nullptr ? *args.Values : defaults);
}

void WorkProcessPictures(TDoc& doc, TOperationCall&, const TProcessPicturesArgs& args) {
    ProcessPictures(doc, args.Kind);
}

}  // namespace

void InstallShapesWorkers() {
    SetOperationWorker<TFormatPictureArgs>(WorkFormatPicture);
    SetOperationWorker<TProcessPicturesArgs>(WorkProcessPictures);
}
