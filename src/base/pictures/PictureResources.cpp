#include "base/pictures/PictureResources.h"

#include "base/core/Errors.h"
#include "base/core/TReplacingFileStream.h"
#include "base/core/TResourceStream.h"
#include "base/pictures/TJPEGImage.h"
#include "base/pictures/TPNGImage.h"
#include "platform/Resources.h"

void LoadPngResource(std::string_view name, TPNGImage& png) {
    TResourceStream stream(name, "PNG");
    if (!stream.Found)
        Abort();
    png.LoadFromStream(stream);
}

void LoadJpegResource(std::string_view name, TJPEGImage& jpeg) {
    TResourceStream stream(name, "JPEG");
    if (!stream.Found)
        Abort();
    jpeg.LoadFromStream(stream);
}

TResourceBytes LoadResourceData(std::string_view name, std::string_view type) {
    Platform::TResourceData data;
    if (!Platform::FindResourceData(type, name, data))
        return {};
    return {data.Data, data.Size};
}

bool SaveResourceToFile(std::string_view name, std::string_view type, const std::string& path) {
    const TResourceBytes data = LoadResourceData(name, type);
    if (data.Address == nullptr || data.Size > 0x7FFFFFFF)
        return false;
    try {
        TReplacingFileStream stream(path);
        stream.WriteExact(data.Address, static_cast<std::int32_t>(data.Size));
        stream.Commit();
        return true;
    } catch (const EAbort&) {
        return false;
    }
}
