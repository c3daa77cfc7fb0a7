#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/core/TList.h"
#include "model/managers/TAutoList.h"
#include "model/undo/TSubOperation.h"

class TCompoundFragment;
class TOperation;
class TStyleList;

// A style-sheet change for opFormatDocStyles: the new sheet and what
// changed in it. The step that executes it owns it.
class TFormatStyleListInfo {
public:
    TFormatStyleListInfo() = default;
    TFormatStyleListInfo(const TFormatStyleListInfo&) = delete;
    TFormatStyleListInfo& operator=(const TFormatStyleListInfo&) = delete;
    ~TFormatStyleListInfo();

    TStyleList* NewStyles = nullptr;  // owned while it is not the document's
    TList ChangedStyles;              // style indices, stored as integers
    TList AddedStyles;
    std::int32_t StyleToApply = -1;
    std::uint8_t ApplyStyleFlag = 0;
    // New list definitions by index of the document's list table (nil:
    // that list stays); each that differs replaces the document's own.
    std::vector<std::unique_ptr<TAutoList>> NewLists;
};

// Replaces the document's style sheet. The first call also re-applies the
// sheet to the paragraphs whose styles changed, recorded in a nested
// operation (the editing library does the re-application); later calls
// redo or undo that operation.
class TFormatStyleListOperation : public TSubOperation {
public:
    TFormatStyleListOperation(TDoc* doc, TFormatStyleListInfo* info) : TSubOperation(doc), Info(info) {}
    ~TFormatStyleListOperation() override;
    void Undo() override;
    void Redo() override;

    TOperation* Nested = nullptr;
    std::uint8_t Done = 0;
    TFormatStyleListInfo* Info = nullptr;

private:
    void SwapSheets();
};

// The default tab width, and the first time the tab table of a set of
// paragraphs (in a nested operation, redone and undone after that).
class TFormatTabsOperation : public TSubOperation {
public:
    TFormatTabsOperation(TDoc* doc,
                         std::int32_t defaultTabWidth,
                         std::int16_t tabTable,
                         const TCompoundFragment* paragraphs);
    ~TFormatTabsOperation() override;
    void Undo() override;
    void Redo() override;

    TOperation* Nested = nullptr;
    std::uint8_t Done = 0;
    std::int32_t DefaultTabWidth = 720;
    std::int16_t TabTable = static_cast<std::int16_t>(0x8000);
    TCompoundFragment* Paragraphs = nullptr;  // pooled, owned

private:
    void SwapWidth();
};
