#include "model/undo/SimpleOperations.h"

#include <utility>

#include "model/document/StateFlags.h"
#include "model/document/TPostActions.h"
#include "model/paragraphs/TPar.h"

namespace {

void RepaginateFromStart(TDoc& doc) {
    doc.PostActions().FirstPage = 0;
    doc.PostActions().RepaintRange = TFragment{};
}

}  // namespace

void TNullOperation::Undo() {
    TPostActions& pa = Doc->PostActions();
    pa.FirstPage = Page;
    pa.RepaintRange = TFragment{};
}

void TDeactivate_OvertypeMulSelection_Operation::Undo() {
    Doc->StateFlags[sfMultiSelectionOvertype] = 0;
}

void TChangeDefLangOperation::Undo() {
    std::swap(Doc->DefaultLanguage, Language);
}

void TChangeHyphOptionsOperation::Undo() {
    std::swap(Doc->Hyphenation, Options);
    for (std::int32_t i = 0; i < Doc->ParCount(); ++i)
        Doc->Par(i)->FreeLines();
    RepaginateFromStart(*Doc);
}

void TNoteSeparatorOperation::Undo() {
    std::swap(Doc->NoteSeparator, Separator);
    RepaginateFromStart(*Doc);
}
