#include "model/TField.h"

#include "base/ObjectHandles.h"
#include "model/TSection.h"
#include "platform/Heap.h"

TField::~TField() {
    if (Kind == fkDropCap && Object != nullptr)
        Platform::HeapFree(Object);
    ReleaseObjectHandle(this);
}

TShape* TField::InlineShape() const {
    return Kind == fkInlineObject ? static_cast<TShape*>(Object) : nullptr;
}

bool TField::SetNoteNumber(const TSection* section, std::int32_t number) {
    Number = number;
    // Arabic numbers until the field code brings the other numbering
    // formats of the note settings.
    std::string text = std::to_string(number);
    if (text == ResultText)
        return false;
    ResultText = std::move(text);
    return true;
}

bool IsBulletFormat(std::int32_t numberFormat) {
    return numberFormat >= 23 && numberFormat != 255;
}

bool IsNumberFormat(std::int32_t numberFormat) {
    return !IsBulletFormat(numberFormat);
}
