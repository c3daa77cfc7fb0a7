#pragma once

#include <cstdint>

#include "base/core/TList.h"
#include "model/formats/TTextPos.h"

class TCompoundFragment;
class TDoc;
class TField;
class TSubOperation;
class TWideStringList;

// Operation flags.
enum : std::uint8_t {
    ofTypedChar = 1,    // typed or deleted one printable character
    ofTypedSpace = 2,   // typed or deleted a space or a no-break space
    ofChained = 4,      // undone and redone together with the operation before it
    ofScrollCaret = 8,  // the caret is scrolled into view when undone or redone
};

// Merge classes: only operations of one class group under "&Group undo".
enum : std::uint8_t { mcTyping = 0, mcDeleting = 1 };

// One user action: the ordered steps it applied (the list owns them), the
// selection and caret before and after, and its place in the undo list.
class TOperation : public TList {
public:
    TOperation(TDoc* doc, std::uint8_t undoName);
    ~TOperation() override;

    TSubOperation* Step(std::int32_t index) const { return At<TSubOperation>(index); }
    // Long operations show their progress while undone or redone.
    bool ShowsProgress() const { return Count > 49; }
    // Operations that only mark (lock/unlock selection, fast navigation)
    // do not make a document count as changed.
    bool IsMarkOnly() const;

    // The result texts of the dynamic fields of the header or footer being
    // edited (see TOperation.cpp for why they are kept).
    void SnapshotFieldResults(TWideStringList& list) const;
    void SnapshotFieldResultsAfter();
    void RestoreFieldResults(TWideStringList* list, TField* headerFooter);

    void Undo();
    void Redo();

    TWideStringList* ResultsBefore = nullptr;
    TWideStringList* ResultsAfter = nullptr;
    TField* HeaderFooterBefore = nullptr;
    TField* HeaderFooterAfter = nullptr;
    std::int32_t Serial = 0;
    std::uint8_t Flags = 0;
    std::uint8_t MergeClass = mcTyping;
    std::uint8_t UndoName = 0;
    TDoc* Doc = nullptr;
    TCompoundFragment* SelectionBefore = nullptr;  // pooled, owned
    TCompoundFragment* SelectionAfter = nullptr;   // pooled, owned
    TTextPos CaretBefore{};
    TTextPos CaretAfter{};
    TOperation* Linked = nullptr;  // the partner in another document
    TDoc* ActivateAfterUndo = nullptr;
    TDoc* ActivateAfterRedo = nullptr;
};

// The serial the next operation takes (tests and diagnostics).
std::int32_t NextOperationSerial();
