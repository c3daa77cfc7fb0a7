#include "base/graphics/TGraphic.h"

#include "base/core/Errors.h"
#include "base/core/TFileStream.h"
#include "base/core/TReplacingFileStream.h"

void TGraphic::Changed() {
    if (OnChange)
        OnChange(this);
}

void TGraphic::SetTransparent(bool value) {
    if (value == Transparent)
        return;
    Transparent = value;
    Changed();
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::fmOpenRead | TFileStream::fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    SaveFileReplacing(fileName, [this](TStream& stream) { SaveToStream(stream); });
}
