#include "editing/typing/TypingSeams.h"

#include "model/document/TDoc.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/TFormatParsOperation.h"

namespace {

void PlainApplyNextStyle(TDoc& doc, std::int32_t par, std::int32_t style) {
    if (auto worker = OperationWorker<TApplyStyleArgs>()) {
        // The worker applies to the caret's paragraph.
        const TTextPos caret = doc.Caret;
        MakeTextPos(par, 0, doc.Caret);
        TApplyStyleArgs args{style, 0};
        TOperationCall call = TOperationCall::Of(args);
        worker(doc, call, args);
        doc.Caret = caret;
        return;
    }
    TParFormat format = doc.Par(par)->Format;
    format.Style = static_cast<std::int16_t>(style);
    auto* step = new TFormatParsOperation(&doc);
    step->AddChange(par, format);
    if (step->Empty())
        delete step;
    else
        step->Execute();
}

void PlainEndList(TDoc& doc, std::int32_t first, std::int32_t last) {
    if (auto worker = OperationWorker<TRemoveListArgs>()) {
        const TTextPos caret = doc.Caret;
        doc.Selection->SetSingle(first, 0, last, doc.Par(last)->CharCount());
        TRemoveListArgs args{};
        TOperationCall call = TOperationCall::Of(args);
        worker(doc, call, args);
        doc.Caret = caret;
        return;
    }
    auto* step = new TFormatParsOperation(&doc);
    for (std::int32_t p = first; p <= last; ++p) {
        TParFormat format = doc.Par(p)->Format;
        format.List = 0;
        format.ListLevel = 0;
        step->AddChange(p, format);
    }
    if (step->Empty())
        delete step;
    else
        step->Execute();
}

void PlainValidateDropCaps(TDoc&, std::int32_t) {}

void PlainLiftDropCap(TDoc&, const TTextPos&, TLiftedDropCap&) {}

void PlainRestoreDropCap(TDoc&, const TLiftedDropCap&) {}

std::int32_t PlainKeyboardLanguage(TDoc& doc) {
    return doc.DefaultLanguage;
}

}  // namespace

TTypingSeams& TypingSeams() {
    static TTypingSeams seams{PlainApplyNextStyle, PlainEndList,        PlainValidateDropCaps,
                              PlainLiftDropCap,    PlainRestoreDropCap, PlainKeyboardLanguage};
    return seams;
}
