// A document's lifetime, the objects it owns and the document call.
#include "model/document/TDoc.h"

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDocGraphicHooks.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/formats/TTableRow.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/host/TEditingServices.h"
#include "model/host/TModelHost.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/Files.h"
#include "platform/Heap.h"

namespace {

std::int32_t DocumentCounter = 0;
TDoc* CurrentDoc = nullptr;
std::int32_t CallDepth = 0;
TDocClientFactory ClientFactory = nullptr;

}  // namespace

TDoc::TDoc(bool hidden) {
    StateFlags[sfConstructing] = 1;
    // A new document is being set up until its window exists: zoom changes
    // only recompute the zoom values.
    StateFlags[sfSettingUp] = 1;
    FlagStack = static_cast<std::uint16_t*>(Platform::HeapAlloc(FlagStackCapacity));
    ScratchMemory.SetSize(800);
    ScratchList.SetCount(50);
    DocNumber = ++DocumentCounter;
    // Picture bullets of lists compare and copy through the shapes' pictures.
    InstallDocGraphicHooks();
    Styles = new TStyleList(this);
    Client = &NullDocClient();

    auto* par = new TPar(this);
    par->Format = DefaultParFormat;
    AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
    par->Chars.AppendByte(chParEnd);
    Pars.Add(par);

    auto* section = new TSection(this);
    section->SetDefaults();
    section->LastPar = 0;
    Sections.Add(section);
    SectionsByFirstPar.Add(section);

    const TModelOptions& options = ModelOptions();
    TextEncoding = options.DefaultTextEncoding < 0 ? 1 : options.DefaultTextEncoding;
    LineBreakKind = options.DefaultLineBreak;

    Selection = NewCompoundFragment();
    MainPostActions = new TPostActions;
    SuspendedPostActions = new TPostActions;
    // Note references are raised; note texts start plain.
    for (auto& kind : NoteCharFormats) {
        kind[0] = DefaultCharFormat;
        kind[0][caScript] = 1;
        kind[1] = DefaultCharFormat;
    }

    if (hidden) {
        StateFlags[sfHidden] = 1;
    } else {
        if (ClientFactory != nullptr) {
            OwnedClient = ClientFactory(*this);
            if (OwnedClient != nullptr)
                Client = OwnedClient;
        }
        StateFlags[sfHasWindow] = 1;
        TakesParEndMarks = 1;
    }
    SetZoom(100);
    EditingServices().ClearSearchOrigin(*this);
    StateFlags[sfSectionIndexStale] = 1;
    StateFlags[sfPageSizesStale] = 1;
    StateFlags[sfFieldIndexStale] = 1;
    StateFlags[sfContentChanged] = 1;
    StateFlags[sfSettingUp] = 0;
    StateFlags[sfConstructing] = 0;
}

TDoc::~TDoc() {
    CloseFile();
    if (StateFlags[sfTempCopy] != 0 && !TempFileName.empty())
        Platform::DeleteFileAt(TempFileName);
    if (StateFlags[sfHidden] == 0)
        Client->CloseWindow(*this);
    delete OwnedClient;
    Client = &NullDocClient();
    // Operations first: steps that hold removed text own the sections,
    // fields and shapes it names and free them.
    FreeUndoList();
    delete MainPostActions;
    delete SuspendedPostActions;
    ReleaseCompoundFragment(Selection);
    // Paragraphs before the objects: normalised paragraphs are recorded in
    // their shapes, and fields are looked up from the streams.
    Pars.FreeItems<TPar>();
    Shapes.FreeItems<TShape>();
    Fields.FreeItems<TField>();
    Lists.FreeItems<TAutoList>();
    Sections.FreeItems<TSection>();
    TableRowList.FreeItems<TTableRow>();
    delete Styles;
    Platform::HeapFree(FlagStack);
    if (CurrentDoc == this) {
        CurrentDoc = nullptr;
        CallDepth = 0;
    }
}

void TDoc::ClearTableCache() {
    TableCacheRanges.clear();
    TableCacheRows.clear();
}

void TDoc::DeleteShape(TShape* shape) {
    if (shape == nullptr)
        return;
    Shapes.Remove(shape);
    SelectedShapes.Remove(shape);
    delete shape;
}

void TDoc::CloseFile() {
    if (FileHandle != Platform::kNoFile) {
        Platform::CloseFile(FileHandle);
        FileHandle = Platform::kNoFile;
    }
}

void BeginDocumentCall(TDoc* doc) {
    CurrentDoc = doc;
    ++CallDepth;
}

void EndDocumentCall(TDoc* doc) {
    if (CallDepth > 0)
        --CallDepth;
}

TDoc* CurrentDocument() {
    return CurrentDoc;
}

std::int32_t DocumentCallDepth() {
    return CallDepth;
}

void ResetDocumentCalls() {
    CallDepth = 0;
}

void SetDocClientFactory(TDocClientFactory factory) {
    ClientFactory = factory;
}
