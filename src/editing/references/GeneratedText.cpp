#include "editing/references/GeneratedText.h"

#include <string>

#include "base/core/ObjectHandles.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/PageSetup.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TLine.h"
#include "model/host/FontQueries.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

void TGeneratedText::SetFormat(const TCharFormat& format) {
    AppendFormatChange(Stream, Current, format);
    Current = format;
}

void TGeneratedText::Text(std::u16string_view text) {
    const int codePage = DocFontCodePage(Current[caFont]);
    for (char16_t ch : text) {
        if (ch == u'\t' || (ch >= chNoBreakSpace && ch <= chSoftHyphen) ||
            (ch >= chEnSpace && ch <= chQuarterEmSpace)) {
            Special(static_cast<std::uint8_t>(ch));
        } else if (ch < 0x20) {
            continue;
        } else if (ch < 0x7F) {
            Stream.AppendByte(static_cast<std::uint8_t>(ch));
        } else {
            bool usedDefault = false;
            const std::string bytes = Platform::WideToBytes(codePage, std::u16string_view(&ch, 1), '?', &usedDefault);
            // A byte of 0 or 1 would read as a control.
            if (!usedDefault && bytes.size() == 1 && static_cast<std::uint8_t>(bytes[0]) > 1)
                Stream.AppendByte(static_cast<std::uint8_t>(bytes[0]));
            else
                AppendFormatControl(Stream, fcUnicodeChar, ch);
        }
    }
}

void TGeneratedText::Special(std::uint8_t ch) {
    AppendFormatControl(Stream, fcSpecialChar, ch);
}

void TGeneratedText::FieldStart(TField* field) {
    AppendFormatControl(Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
}

void TGeneratedText::FieldEnd(TField* field) {
    AppendFormatControl(Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
}

void TGeneratedText::EndSection(TSection* section, const TParFormat& format) {
    AppendFormatControl(Stream, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
    AppendParagraphMark(Stream, format);
    ++ParEnds;
    Current = DefaultCharFormat;
}

void TGeneratedText::EndParagraph(const TParFormat& format) {
    Special(chParEnd);
    AppendParagraphMark(Stream, format);
    ++ParEnds;
    Current = DefaultCharFormat;
}

bool StyleFormats(const TDoc& doc, std::int32_t style, TParFormat& parFormat, TCharFormat& charFormat) {
    parFormat = DefaultParFormat;
    charFormat = DefaultCharFormat;
    if (doc.Styles == nullptr || style < 0 || style >= doc.Styles->Count)
        return false;
    doc.Styles->Style(style)->ResolveFormat(&charFormat, &parFormat, 0);
    // What the style leaves open takes the defaults: a paragraph stores
    // every property.
    FillUnsetParFormat(parFormat, DefaultParFormat);
    FillUnsetCharFormat(charFormat, DefaultCharFormat);
    parFormat.Style = static_cast<std::int16_t>(style);
    return true;
}

std::int32_t PageOfPosition(TDoc& doc, const TTextPos& pos) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return -1;
    const TPar* par = doc.Par(pos.Par);
    if (!par->IsLaidOut() || par->LineCount() == 0)
        return -1;
    const std::int32_t line = par->LineOfChar(pos.Offset, 0, false);
    if (line < 0 || line >= par->LineCount())
        return -1;
    const TLine* l = par->Lines->At<TLine>(line);
    if (l == nullptr || l->Box == nullptr)
        return -1;
    const TPage* page = l->Box->Page();
    return page != nullptr ? page->PageIndex : -1;
}

std::int32_t PageNumberTabPosition(const TSection* section) {
    if (section == nullptr)
        return 0;
    if (section->Format.ColumnCount >= 2) {
        TColumnGeometry geometry;
        section->ColumnGeometry(0, geometry);
        return geometry.Width;
    }
    return section->PageSetup.TextWidth;
}

TField* NewFieldCode(std::uint8_t type, std::u16string_view instruction) {
    auto* field = new TField;
    field->Kind = fkCode;
    field->Type = type;
    field->Instruction = std::u16string(instruction);
    return field;
}
