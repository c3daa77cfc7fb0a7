#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/core/TMemory.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"

// RTF in memory for the tests that save a result and read it back: the
// bytes opened as a new document (hidden unless the test undoes in it), or
// nullptr when they cannot be read.
inline std::unique_ptr<TDoc> OpenRtfBytes(const std::string& bytes, bool hidden = true) {
    auto doc = std::make_unique<TDoc>(hidden);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osMemory;
    options.Format = 0;
    options.FileName = "saved";
    options.Data = bytes.data();
    options.DataSize = static_cast<std::int32_t>(bytes.size());
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

// A document saved as RTF into memory, as a copy (the document keeps its
// name and state).
inline std::string SaveRtfToMemory(TDoc& doc) {
    TMemory out;
    TDocSavingOptions options;
    options.Target = stMemory;
    options.Output = &out;
    options.Flags = svCopy;
    EXPECT_EQ(SaveToFormat(doc, options), srSaved);
    return std::string(out.View());
}
