#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "base/core/TMemory.h"
#include "files/import/TReadWindow.h"
#include "files/opening/OpenDocument.h"
#include "files/rtf/RtfReader.h"
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

// RTF bytes read into a new hidden document by the RTF reader alone,
// without the steps that opening a file adds; the read is expected to
// succeed.
inline std::unique_ptr<TDoc> ReadRtfBytes(const std::string& bytes, const TRtfReadOptions& options = {}) {
    auto doc = std::make_unique<TDoc>(true);
    doc->TakesParEndMarks = 1;
    TReadWindow window;
    window.AttachMemory(bytes.data(), bytes.size());
    TRtfReadOutcome outcome;
    EXPECT_TRUE(ReadRtfDocument(*doc, window, options, outcome).Good);
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
