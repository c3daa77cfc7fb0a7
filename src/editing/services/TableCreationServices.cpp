#include "editing/services/TableCreationServices.h"

#include "base/core/ObjectHandles.h"
#include "editing/sections/SectionMerge.h"
#include "editing/tables/TableCreation.h"
#include "editing/typing/TypingSeams.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"

namespace {

// The section that the break ending par closes joins the section after it;
// the later one keeps its properties, as the text after the break had them.
void MergeSectionBreakAt(TDoc& doc, std::int32_t par) {
    const TPar& p = *doc.Par(par);
    const std::int32_t n = p.CharCount();
    if (n == 0 || p.Chars.Data[n - 1] != chSectionBreak)
        return;
    TStreamElement e;
    ReadStreamElement(p.Stream.Data, p.Stream.Size, p.StreamOffsetOfChar(n - 1), e);
    if (!e.IsControl || e.Code != fcSectionBreak)
        return;
    auto* ended = HandleTo<TSection>(static_cast<TObjectHandle>(e.Value));
    const std::int32_t index = doc.Sections.IndexOf(ended);
    if (index < 0 || index + 1 >= doc.Sections.Count)
        return;
    MergeSections(doc, doc.Sections.At<TSection>(index + 1), ended);
}

void ValidateDropCapsOf(TDoc& doc, std::int32_t par) {
    TypingSeams().ValidateDropCaps(doc, par);
}

}  // namespace

void InstallTableCreationServices() {
    TTableCreationSeams& seams = TableCreationSeams();
    seams.MergeSectionBreak = &MergeSectionBreakAt;
    seams.ValidateDropCaps = &ValidateDropCapsOf;
}
