#pragma once

#include <memory>
#include <string>

#include "TabManagerScope.h"
#include "model/formats/TTextPos.h"
#include "model/undo/OperationWorkers.h"
#include "platform/ClipboardSource.h"

class TDoc;
class TFontManager;

// What the paste, insertion and copy tests share: the font manager and
// tab tables a document needs, the editing and transfer workers (the plain
// model workers of typing are put back afterwards, for the other tests of
// this binary), and a clipboard in memory in place of the desktop's.
class TTransferScope {
public:
    TTransferScope();
    ~TTransferScope();
    TTransferScope(const TTransferScope&) = delete;
    TTransferScope& operator=(const TTransferScope&) = delete;

    Platform::TMemoryClipboard Clipboard;

private:
    TTabManagerScope Tabs;
    TFontManager* Fonts = nullptr;
    std::int32_t SavedTimes = 0;
    std::int32_t SavedArial = 0;
    TOperationWorker<TInsertTextArgs> InsertText = nullptr;
    TOperationWorker<TInsertFormattedTextArgs> InsertFormatted = nullptr;
    TOperationWorker<TDeleteTextArgs> DeleteText = nullptr;
    TOperationWorker<TReplaceTextArgs> ReplaceText = nullptr;
    std::unique_ptr<TDoc> (*SelectionBuilder)(TDoc&) = nullptr;
};

// A document read from RTF bytes; nil when the reader refused them. A
// visible document keeps an undo history, a hidden one does not.
std::unique_ptr<TDoc> DocFromRtf(const std::string& rtf, bool hidden = false);
// The main text, paragraphs joined by "|", special characters as "#".
std::string MainText(const TDoc& doc);
// The RTF of the whole document or of a range.
std::string RtfOf(TDoc& doc, const TFragment* range = nullptr);
// The clipboard's text formats.
void SetClipboardUnicode(Platform::TMemoryClipboard& clipboard, const std::u16string& text);
void SetClipboardRegistered(Platform::TMemoryClipboard& clipboard, const char16_t* name, const std::string& bytes);
// A selection of ranges given as (par, offset, par, offset) quadruples.
void SelectRanges(TDoc& doc, std::initializer_list<TFragment> ranges);
