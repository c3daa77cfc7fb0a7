#include "ReferencesDoc.h"

#include "FormattingDoc.h"
#include "editing/fields/FieldIndex.h"
#include "model/document/StateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

TReferencesDoc::TReferencesDoc() {
    EnsureStyleManager();
    TDoc& doc = Doc();
    doc.StateFlags[sfHidden] = 0;
    // A hidden document starts without a style sheet; paragraphs name
    // "Normal" as style 0.
    if (doc.Styles->Count == 0) {
        auto* normal = new TStyle(doc.Styles);
        normal->BuiltInId = 0;
        normal->Name = "Normal";
        normal->DisplayName = "Normal";
        doc.Styles->AddStyle(normal);
    }
}

TPar& TReferencesDoc::Heading(std::string_view text, std::int32_t level, bool newPage) {
    TDoc& doc = Doc();
    std::int32_t style = doc.Styles->IndexOfBuiltIn(level);
    if (style < 0) {
        auto* s = new TStyle(doc.Styles);
        s->BuiltInId = level;
        s->Name = "Heading " + std::to_string(level);
        s->DisplayName = s->Name;
        s->BasedOn = 0;
        s->CharFormat[caBold] = 1;
        doc.Styles->AddStyle(s);
        style = doc.Styles->Count - 1;
    }
    TPar& par = Add(text, newPage);
    par.Format.Style = static_cast<std::int16_t>(style);
    par.Format.OutlineLevel = static_cast<std::int8_t>(level - 1);
    return par;
}

TField& TReferencesDoc::Entry(TPar& par, std::string_view instruction) {
    return AddField(par, instruction, "");
}

void TReferencesDoc::Ready(std::int32_t caretPar) {
    TDoc& doc = Doc();
    // Streams made canonical now, as layout and text extraction would make
    // them later: byte comparisons then see only what operations change.
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        doc.Par(p)->Normalize();
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);
    doc.Caret = TTextPos{caretPar, 0};
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    Paginate();
}

std::vector<std::string> TReferencesDoc::Texts() {
    TDoc& doc = Doc();
    std::vector<std::string> texts;
    for (std::int32_t p = doc.FirstParOfStory(stMain); p <= doc.LastParOfStory(stMain); ++p) {
        TPar& par = *doc.Par(p);
        par.BuildWideText();
        std::u16string text = par.WideText.substr(0, par.CharCount() - 1);
        texts.push_back(Platform::WideToBytes(1252, text));
    }
    return texts;
}

std::string TReferencesDoc::StyleName(std::int32_t par) {
    TDoc& doc = Doc();
    const std::int32_t style = doc.Par(par)->Format.Style;
    return style >= 0 && style < doc.Styles->Count ? doc.Styles->Style(style)->Name : "";
}

std::vector<TField*> TReferencesDoc::FieldsOfType(std::uint8_t type, std::uint8_t kind) {
    TDoc& doc = Doc();
    std::vector<TField*> out;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        TField* f = doc.Fields.At<TField>(i);
        if (f->Kind == kind && (kind != fkCode || f->Type == type))
            out.push_back(f);
    }
    SortFieldsByPosition(doc, out);
    return out;
}
