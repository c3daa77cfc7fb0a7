#pragma once

#include <cstdint>

#include "model/managers/TAutoList.h"
#include "model/undo/TSubOperation.h"

// Steps on list definitions.

// One level of a list.
class TFormatListLevelOperation : public TSubOperation {
public:
    TFormatListLevelOperation(TDoc* doc, TAutoList* list, std::int32_t level, const TListLevel& saved)
        : TSubOperation(doc), List(list), Level(level), Saved(saved) {}
    void Undo() override;

    TAutoList* List = nullptr;
    std::int32_t Level = 0;
    TListLevel Saved;
};

// A whole list definition.
class TFormatAutoListOperation : public TSubOperation {
public:
    TFormatAutoListOperation(TDoc* doc, TAutoList* list, const TAutoList& saved);
    void Undo() override;

    TAutoList* List = nullptr;
    TAutoList Saved;
};
