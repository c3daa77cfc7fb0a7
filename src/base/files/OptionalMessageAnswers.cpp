#include "base/files/OptionalMessageAnswers.h"

#include <string>

#include "base/files/TSettingsStorage.h"
#include "base/messages/MessageBoxes.h"

void LoadOptionalMessageAnswers(TSettingsStorage& storage) {
    storage.OpenKey("Internal");
    std::string text;
    storage.ReadString("OptMsgs", "", text);
    DecodeOptionalMessageAnswers(text);
}

void SaveOptionalMessageAnswers(TSettingsStorage& storage) {
    storage.OpenKey("Internal");
    storage.WriteString("OptMsgs", EncodeOptionalMessageAnswers());
}
