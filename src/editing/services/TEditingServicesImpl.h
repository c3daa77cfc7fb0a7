#pragma once

#include "editing/fields/FieldIndex.h"
#include "model/host/TEditingServices.h"

// The editing library's answers to what the document model asks of it.
// Each override hands the question to the room that owns the answer.
class TEditingServicesImpl : public TEditingServices {
public:
    // The field index (editing/fields).
    void RebuildFieldIndex(TDoc& doc) override { ::RebuildFieldIndex(doc); }
};
