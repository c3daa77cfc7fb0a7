#include "model/document/TSection.h"

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TPar.h"

TSection::~TSection() {
    ReleaseObjectHandle(this);
}

void TSection::SetDefaults() {
    Format = TSectionFormat{};
    SetDefaultPageSetup(PageSetup);
    PageNumberStyle = pnDecimal;
    PageNumberStart = -1;
    FootnoteSettings = TNoteSettings{1, 0, 1, 0};
    EndnoteSettings = TNoteSettings{3, 2, 1, 0};
}

void TSection::Assign(const TSection& source) {
    Format = source.Format;
    PageSetup = source.PageSetup;
    PageNumberStyle = source.PageNumberStyle;
    PageNumberStart = source.PageNumberStart;
    FootnoteSettings = source.FootnoteSettings;
    EndnoteSettings = source.EndnoteSettings;
}

bool TSection::EndsBefore(const TTextPos& pos) const {
    std::int32_t last = LastPar;
    // While a selection is copied, its last paragraph's end belongs to the
    // copy, not to the section.
    if (Owner != nullptr && Owner->StateFlags[sfCopyingSelection] != 0)
        --last;
    if (last < pos.Par)
        return true;
    if (last != pos.Par || Owner == nullptr || pos.Par < 0 || pos.Par >= Owner->ParCount())
        return false;
    return pos.Offset == Owner->Par(pos.Par)->CharCount();
}

void TSection::ColumnGeometry(std::int32_t column, TColumnGeometry& geometry) const {
    const TSection* pageSection = this;
    if (Owner != nullptr && Owner->Sections.Count > 0)
        pageSection = Owner->PageSectionOfPar(FirstPar);
    GetColumnGeometry(Format, pageSection->PageSetup, column, geometry);
}
