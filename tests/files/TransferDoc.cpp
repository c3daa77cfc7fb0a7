#include "TransferDoc.h"

#include <gtest/gtest.h>

#include "editing/services/EditingInstall.h"
#include "editing/typing/TypingInstall.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveSelection.h"
#include "files/saving/SaveToFormat.h"
#include "files/transfer/Paste.h"
#include "files/transfer/TransferInstall.h"
#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/Clipboard.h"

TTransferScope::TTransferScope() {
    SavedTimes = DefaultCharFormat[caFont];
    SavedArial = LabelCharFormat[caFont];
    Fonts = new TFontManager;
    InsertText = OperationWorker<TInsertTextArgs>();
    InsertFormatted = OperationWorker<TInsertFormattedTextArgs>();
    DeleteText = OperationWorker<TDeleteTextArgs>();
    ReplaceText = OperationWorker<TReplaceTextArgs>();
    SelectionBuilder = SetSelectionDocumentBuilder(nullptr);
    InstallEditing();
    InstallTypingWorkers();
    InstallTransferWorkers();
    SetPasteClipboard(&Clipboard);
}

TTransferScope::~TTransferScope() {
    SetPasteClipboard(nullptr);
    PasteOptions() = TPasteOptions{};
    SetSelectionDocumentBuilder(SelectionBuilder);
    SetOperationWorker<TInsertTextArgs>(InsertText);
    SetOperationWorker<TInsertFormattedTextArgs>(InsertFormatted);
    SetOperationWorker<TDeleteTextArgs>(DeleteText);
    SetOperationWorker<TReplaceTextArgs>(ReplaceText);
    delete Fonts;
    SetConstantFormatFonts(SavedTimes, SavedArial);
}

std::unique_ptr<TDoc> DocFromRtf(const std::string& rtf, bool hidden) {
    auto doc = std::make_unique<TDoc>(hidden);
    doc->TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osMemory;
    options.Format = 0;
    options.FileName = "test";
    options.Data = rtf.data();
    options.DataSize = static_cast<std::int32_t>(rtf.size());
    if (!OpenDocument(*doc, options))
        return nullptr;
    return doc;
}

std::string MainText(const TDoc& doc) {
    std::string text;
    for (std::int32_t p = 0; p < doc.StoryCounts[stMain]; ++p) {
        const TPar& par = *doc.Par(p);
        if (p > 0)
            text += '|';
        for (std::int32_t i = 0; i + 1 < par.CharCount(); ++i) {
            const std::uint8_t c = par.Chars.Data[i];
            text += c >= 32 ? static_cast<char>(c) : '#';
        }
    }
    return text;
}

std::string RtfOf(TDoc& doc, const TFragment* range) {
    TMemory out;
    TDocSavingOptions options;
    options.Target = stMemory;
    options.Output = &out;
    options.Flags = svCopy;
    if (range != nullptr) {
        options.WholeDocument = false;
        options.Range = *range;
    }
    EXPECT_EQ(SaveToFormat(doc, options), srSaved);
    return std::string(out.View());
}

void SetClipboardUnicode(Platform::TMemoryClipboard& clipboard, const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    clipboard.Set(Platform::CF_UNICODETEXT, std::move(bytes));
}

void SetClipboardRegistered(Platform::TMemoryClipboard& clipboard, const char16_t* name, const std::string& bytes) {
    clipboard.Set(clipboard.RegisterFormat(name), bytes);
}

void SelectRanges(TDoc& doc, std::initializer_list<TFragment> ranges) {
    doc.Selection->Reset();
    std::int32_t i = 0;
    for (const TFragment& range : ranges) {
        if (i == 0)
            doc.Selection->Fragment(0) = range;
        else
            doc.Selection->Insert(i, range);
        ++i;
    }
    doc.Selection->CurrentIndex = i - 1;
    doc.Caret = ranges.begin()[ranges.size() - 1].End;
    doc.SelectionChanged();
}
