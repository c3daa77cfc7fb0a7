#pragma once

#include <cstdint>

#include "model/document/TDoc.h"
#include "model/undo/TSubOperation.h"

// Small steps on document-wide values.

// Forces re-pagination from a page, both ways.
class TNullOperation : public TSubOperation {
public:
    TNullOperation(TDoc* doc, std::int32_t page) : TSubOperation(doc), Page(page) {}
    void Undo() override;

    std::int32_t Page = 0;
};

// Ends typing into several selected ranges at once, both ways.
class TDeactivate_OvertypeMulSelection_Operation : public TSubOperation {
public:
    explicit TDeactivate_OvertypeMulSelection_Operation(TDoc* doc) : TSubOperation(doc) {}
    void Undo() override;
};

// The document's default language.
class TChangeDefLangOperation : public TSubOperation {
public:
    TChangeDefLangOperation(TDoc* doc, std::int32_t language) : TSubOperation(doc), Language(language) {}
    void Undo() override;

    std::int32_t Language = 0;
};

// The document's automatic hyphenation; every line is laid out again.
class TChangeHyphOptionsOperation : public TSubOperation {
public:
    TChangeHyphOptionsOperation(TDoc* doc, const THyphenationOptions& options) : TSubOperation(doc), Options(options) {}
    void Undo() override;

    THyphenationOptions Options;
};

// The separator line above notes.
class TNoteSeparatorOperation : public TSubOperation {
public:
    TNoteSeparatorOperation(TDoc* doc, std::uint8_t separator) : TSubOperation(doc), Separator(separator) {}
    void Undo() override;

    std::uint8_t Separator = 0;
};
