#include "FieldDoc.h"

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/host/TDocClient.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"
#include "support/TestSupport.h"

namespace {

// The paragraph's mark goes while text is appended and comes back after.
void OpenParagraph(TPar& par) {
    if (par.Chars.Size > 0 && par.Chars.Data[par.Chars.Size - 1] == chParEnd) {
        par.Stream.SetSize(par.Stream.Size - FormatControlSize);
        par.Chars.SetSize(par.Chars.Size - 1);
    }
}

void CloseParagraph(TPar& par) {
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
    par.Changed();
}

void AppendBytes(TPar& par, std::string_view text) {
    for (char ch : text) {
        par.Stream.AppendByte(static_cast<std::uint8_t>(ch));
        par.Chars.AppendByte(static_cast<std::uint8_t>(ch));
    }
}

}  // namespace

TFieldDoc::TFixtureFonts::TFixtureFonts() {
    TestSupport::UseFixtureFonts();
}

TFieldDoc::TFieldDoc() : DocPtr(std::make_unique<TDoc>(true)) {
    DocPtr->Client = &Client;
}

TFieldDoc::~TFieldDoc() {
    DocPtr->DestroyLayout();
    DocPtr->Client = &NullDocClient();
}

TPar& TFieldDoc::Add(std::string_view text, bool newPage) {
    TDoc& doc = Doc();
    TPar* par;
    if (!FirstUsed) {
        par = doc.Par(0);
        FirstUsed = true;
    } else {
        par = new TPar(&doc);
        doc.Pars.Insert(doc.StoryCounts[stMain], par);
        doc.StoryCounts[stMain] += 1;
        doc.RenumberPars(0);
    }
    par->FreeLines();
    par->Stream.Clear();
    par->Chars.Clear();
    par->Format = DefaultParFormat;
    par->Format.SpaceBefore = 0;
    par->Format.SpaceAfter = 0;
    par->Format.PageBreakBefore = newPage ? 1 : 0;
    AppendFormatControl(par->Stream, caFont, Managers.Fonts->TimesFont);
    AppendFormatControl(par->Stream, caSize, 24);
    AppendBytes(*par, text);
    CloseParagraph(*par);
    return *par;
}

TField& TFieldDoc::AddField(TPar& par, std::string_view instruction, std::string_view result) {
    auto* field = new TField;
    field->Kind = fkCode;
    field->Instruction = Platform::Utf8ToUtf16(instruction);
    const std::u16string keyword = field->Instruction.substr(0, field->Instruction.find(u' '));
    field->Type = static_cast<std::uint8_t>(std::max(0, FieldTypeOfKeyword(keyword)));
    Doc().Fields.Add(field);
    OpenParagraph(par);
    AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendBytes(par, result);
    AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    CloseParagraph(par);
    return *field;
}

TField& TFieldDoc::AddBookmark(TPar& par, std::string_view name, std::string_view text) {
    auto* field = new TField;
    field->Kind = fkBookmark;
    field->Instruction = Platform::Utf8ToUtf16(name);
    Doc().Fields.Add(field);
    OpenParagraph(par);
    AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendBytes(par, text);
    AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    CloseParagraph(par);
    return *field;
}

void TFieldDoc::Append(TPar& par, std::string_view text) {
    OpenParagraph(par);
    AppendBytes(par, text);
    CloseParagraph(par);
}

TSection& TFieldDoc::BreakSection() {
    TDoc& doc = Doc();
    TPar& par = Add("");
    auto* section = new TSection(&doc);
    auto& last = *static_cast<TSection*>(doc.Sections.Last());
    section->Assign(last);
    section->Format.BreakKind = 1;  // new page
    doc.Sections.Insert(doc.Sections.Count - 1, section);
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
    par.Chars.AppendByte(chSectionBreak);
    par.Changed();
    doc.StateFlags[sfSectionIndexStale] = 1;
    return last;
}

void TFieldDoc::Paginate() {
    Doc().Paginate(0, 2147483647);
}
