#include "editing/formatting/FormattingInstall.h"

#include "editing/formatting/Formatting.h"
#include "model/document/TDoc.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/StyleOperations.h"

namespace {

void WorkPageSettings(TDoc& doc, TOperationCall&, const TChangePageSettingsArgs& args) {
    if (args.Values != nullptr && args.Range != nullptr)
        FormatPageSettingsClamped(doc, *args.Values, *args.Range);
}

void WorkFormatParagraph(TDoc& doc, TOperationCall&, const TFormatParagraphArgs& args) {
    if (args.Format != nullptr)
        FormatParagraphsEx(doc, FormattingRanges(doc, args.Set, args.Range, true), *args.Format);
}

void WorkFormatFont(TDoc& doc, TOperationCall&, const TFormatFontArgs& args) {
    if (args.Format != nullptr)
        FormatFontEx(doc, FormattingRanges(doc, args.Set, args.Range, false), *args.Format, args.Flags);
}

void WorkStepFont(TDoc& doc, TOperationCall&, const TStepFontAttributeArgs& args) {
    StepFontAttribute(doc, args.Attribute, args.Step);
}

void WorkFormatBrush(TDoc& doc, TOperationCall&, const TFormatBrushArgs&) {
    ApplyFormatBrush(doc);
}

void WorkShrinkPageCount(TDoc& doc, TOperationCall& call, const TShrinkPageCountArgs&) {
    call.Shrunk = ShrinkPageCount(doc);
}

void WorkFormatTabs(TDoc& doc, TOperationCall&, const TFormatTabsArgs& args) {
    if (args.Tabs != nullptr)
        FormatTabs(doc, args.Tabs->DefaultTabWidth, args.Tabs->TabTable);
}

void WorkResetFormat(TDoc& doc, TOperationCall&, const TResetFormatArgs& args) {
    ResetFormat(doc, FormattingRanges(doc, args.Set, args.Range, true), args.FontNotParagraph != 0);
}

void WorkStepPar(TDoc& doc, TOperationCall&, const TStepParAttributeArgs& args) {
    StepParAttribute(doc, FormattingRanges(doc, args.Set, args.Range, true), args.Kind, args.Step);
}

void WorkApplyStyle(TDoc& doc, TOperationCall&, const TApplyStyleArgs& args) {
    ApplyStyle(doc, FormattingRanges(doc, nullptr, nullptr, true), nullptr, nullptr, args.Flag != 0, args.Style);
}

void WorkFormatDocStyles(TDoc& doc, TOperationCall&, const TFormatDocStylesArgs& args) {
    FormatStyles(doc, args.Info);
}

void WorkUpdateStyle(TDoc& doc, TOperationCall&, const TUpdateStyleArgs& args) {
    UpdateStyle(doc, args.Style);
}

}  // namespace

void InstallFormattingWorkers() {
    SetOperationWorker<TChangePageSettingsArgs>(WorkPageSettings);
    SetOperationWorker<TFormatParagraphArgs>(WorkFormatParagraph);
    SetOperationWorker<TFormatFontArgs>(WorkFormatFont);
    SetOperationWorker<TStepFontAttributeArgs>(WorkStepFont);
    SetOperationWorker<TFormatBrushArgs>(WorkFormatBrush);
    SetOperationWorker<TShrinkPageCountArgs>(WorkShrinkPageCount);
    SetOperationWorker<TFormatTabsArgs>(WorkFormatTabs);
    SetOperationWorker<TResetFormatArgs>(WorkResetFormat);
    SetOperationWorker<TStepParAttributeArgs>(WorkStepPar);
    SetOperationWorker<TApplyStyleArgs>(WorkApplyStyle);
    SetOperationWorker<TFormatDocStylesArgs>(WorkFormatDocStyles);
    SetOperationWorker<TUpdateStyleArgs>(WorkUpdateStyle);
}
