#include "model/undo/StyleOperations.h"

#include <utility>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TParFormat.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"

namespace {

// Runs work as a nested operation of its own, kept in nested (which the
// step owns, also when work fails), so that its steps undo and redo together
// with the step that made them; the operation is closed on every path.
template <class F>
void RecordNested(TDoc* doc, std::uint8_t undoName, TOperation*& nested, F&& work) {
    nested = new TOperation(doc, undoName);
    doc->BeginOperation(nested);
    try {
        work();
    } catch (...) {
        doc->EndOperation();
        throw;
    }
    doc->EndOperation();
}

}  // namespace

TFormatStyleListInfo::~TFormatStyleListInfo() {
    delete NewStyles;
}

TFormatStyleListOperation::~TFormatStyleListOperation() {
    delete Nested;
    delete Info;
}

void TFormatStyleListOperation::SwapSheets() {
    if (Info->NewStyles == nullptr)
        return;
    std::swap(Doc->Styles, Info->NewStyles);
    Doc->Styles->Doc = Doc;
    for (std::int32_t i = 0; i < Doc->ParCount(); ++i)
        Doc->Par(i)->FreeLines();
    ModelHost().RefreshSidePanels(prStyles);
}

void TFormatStyleListOperation::Redo() {
    SwapSheets();
    if (Done == 0) {
        Done = 1;
        RecordNested(Doc, unFormatDocStyles, Nested, [this] { EditingServices().ReapplyStyleSheet(*Doc, *Info); });
    } else if (Nested != nullptr) {
        Nested->Redo();
    }
}

void TFormatStyleListOperation::Undo() {
    if (Nested != nullptr)
        Nested->Undo();
    SwapSheets();
}

TFormatTabsOperation::TFormatTabsOperation(TDoc* doc,
                                           std::int32_t defaultTabWidth,
                                           std::int16_t tabTable,
                                           const TCompoundFragment* paragraphs)
    : TSubOperation(doc), DefaultTabWidth(defaultTabWidth), TabTable(tabTable) {
    if (paragraphs != nullptr)
        Paragraphs = CloneCompoundFragment(*paragraphs);
}

TFormatTabsOperation::~TFormatTabsOperation() {
    delete Nested;
    ReleaseCompoundFragment(Paragraphs);
}

void TFormatTabsOperation::SwapWidth() {
    std::swap(Doc->DefaultTabWidth, DefaultTabWidth);
    for (std::int32_t i = 0; i < Doc->ParCount(); ++i)
        Doc->Par(i)->FreeLines();
    Doc->StateFlags[sfListsStale] = 1;
}

void TFormatTabsOperation::Redo() {
    SwapWidth();
    if (Done == 0) {
        Done = 1;
        if (TabTable != static_cast<std::int16_t>(0x8000) && Paragraphs != nullptr) {
            RecordNested(Doc, unFormatTabs, Nested, [this] {
                TParFormat format = UnsetParFormat;
                format.Tabs = TabTable;
                Doc->FormatParagraphs(Paragraphs, nullptr, format);
            });
        }
    } else if (Nested != nullptr) {
        Nested->Redo();
    }
}

void TFormatTabsOperation::Undo() {
    if (Nested != nullptr)
        Nested->Undo();
    SwapWidth();
}
