#include "files/transfer/Envelope.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/core/TMemory.h"
#include "editing/fields/FieldIndex.h"
#include "editing/formatting/Formatting.h"
#include "editing/sections/SectionHeaders.h"
#include "editing/typing/TextInsertion.h"
#include "files/opening/DefaultTableReader.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/host/EnvelopeOptions.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/StyleOperations.h"
#include "platform/Resources.h"

namespace {

// The size of the header and footer paragraphs an envelope section gets:
// one point, so that an empty header takes no room to speak of.
constexpr std::int32_t EmptyHeaderSize = 2;  // half-points

// The largest page side, which also bounds an indent or a spacing built
// from the settings (paragraph lengths are 16-bit).
constexpr std::int32_t MaxEnvelopeLength = 31680;

bool EndsWithLineEnd(const std::u16string& text) {
    return text.size() >= 2 && text[text.size() - 2] == u'\r' && text[text.size() - 1] == u'\n';
}

// Line ends at the end of an address block: all of them go (strip), or runs
// of empty lines shrink to one line end and a block without one gets one,
// so that the next block starts in a paragraph of its own. A block that is
// a single line end keeps it either way.
void NormaliseTrailingLineEnds(std::u16string& text, bool strip) {
    while (text.size() >= 3 && EndsWithLineEnd(text)) {
        const bool emptyLineBefore =
            text.size() >= 5 && text[text.size() - 4] == u'\r' && text[text.size() - 3] == u'\n';
        if (!strip && !emptyLineBefore)
            break;
        text.resize(text.size() - 2);
    }
    if (!strip && (text.size() < 2 || !EndsWithLineEnd(text)))
        text += u"\r\n";
}

void AppendUtf16(TMemory& bytes, std::u16string_view text) {
    for (char16_t c : text) {
        bytes.AppendByte(static_cast<std::uint8_t>(c & 0xFF));
        bytes.AppendByte(static_cast<std::uint8_t>(c >> 8));
    }
}

TFragment WholePars(const TDoc& doc, std::int32_t first, std::int32_t last) {
    return TFragment{TTextPos{first, 0, 0, 0}, TTextPos{last, doc.Par(last)->CharCount(), 0, 0}};
}

TFragment SectionRange(TDoc& doc, const TSection& section) {
    return WholePars(doc, section.FirstPar, section.LastPar);
}

// The break before an envelope that gets a section of its own: a new-page
// section break at the caret, and six empty header and footer objects for
// the envelope's section, so that it shows none of the section before it.
void BreakBeforeEnvelope(TDoc& doc) {
    doc.UpdateTypingFormat();
    static const std::uint8_t sectionBreak[] = {12, 0, 1};
    TMemory text;
    text.AppendBuffer(sectionBreak, sizeof sectionBreak);
    doc.PushStateFlag(sfKeepTypingLanguage);
    InsertTextAtCaret(doc, text, 0);
    doc.PopStateFlag();
    const TTextPos caret = doc.Caret;

    TField* slots[HeaderFooterSlotCount] = {};
    for (TField*& slot : slots) {
        auto* field = new TField;
        field->Kind = fkHeaderFooter;
        slot = field;
        const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
        // The end mark follows the paragraph's end, as in every header and
        // footer the readers make, so that the object covers its paragraph.
        TMemory stream;
        AppendFormatControl(stream, fcFieldStart, handle);
        AppendFormatControl(stream, caSize, EmptyHeaderSize);
        AppendFormatControl(stream, fcSpecialChar, chParEnd);
        AppendFormatControl(stream, fcFieldEnd, handle);
        AppendParagraphMark(stream, DefaultParFormat);
        // Whole paragraphs after the story's last one: at the start of the
        // story the new paragraph would go in after the first object's own
        // start mark and take that object's start with it.
        const TTextPos at{doc.LastParOfStory(stHeadersFooters) + 1, 0, 0, 0};
        doc.PushStateFlag(sfKeepEveryMark);
        InsertFormatted(doc, stream, at, 0, stHeadersFooters, 1);
        doc.PopStateFlag();
    }
    doc.Caret = caret;
    doc.StateFlags[sfTypingFormatDirect] = 0;
    TSection* envelope = doc.SectionOfPar(doc.Caret.Par);
    if (envelope == nullptr)
        return;
    SetSectionHeaders(doc, *envelope, slots);
}

// The envelope's page: the default setup at the envelope's size, landscape,
// without margins or header and footer distances, and the default columns.
void MakeEnvelopePage(TDoc& doc, const TEnvelopeOptions& options) {
    TSection* section = doc.SectionOfPar(doc.Caret.Par);
    if (section == nullptr)
        return;
    TPageSetupValues values;
    SetDefaultPageSetup(values.Setup);
    values.Setup.PageWidth = options.Width;
    values.Setup.PageHeight = options.Height;
    values.Setup.Orientation = 1;
    for (int word = 0; word < 6; ++word)
        PageSetupWord(values.Setup, PageSetupFirstMarginWord + word) = 0;
    doc.FormatPageSettings(values, SectionRange(doc, *section));
    section = doc.SectionOfPar(doc.Caret.Par);
    if (section != nullptr)
        doc.FormatSections(TSectionFormat{}, SectionRange(doc, *section));
}

bool HasEnvelopeStyles(const TDoc* doc) {
    return doc != nullptr && doc->Styles != nullptr && doc->Styles->IndexOfBuiltIn(bsEnvelopeAddress) >= 0 &&
           doc->Styles->IndexOfBuiltIn(bsEnvelopeReturn) >= 0;
}

// The document that defines the envelope styles: the user's "AddrFont",
// or, when that is empty, unreadable or lacks a style, the program's own
// definition, which then becomes the setting. Nil only when even that
// cannot be read.
std::unique_ptr<TDoc> OpenEnvelopeStyles(TEnvelopeOptions& options) {
    std::unique_ptr<TDoc> styles;
    if (!options.AddrFont.empty())
        styles = OpenRtfText(options.AddrFont);
    if (HasEnvelopeStyles(styles.get()))
        return styles;
    Platform::TResourceData data;
    if (!Platform::FindResourceData(EnvelopeStylesResourceType, EnvelopeStylesResource, data) || data.Size <= 0)
        return nullptr;
    options.AddrFont.assign(reinterpret_cast<const char*>(data.Data), static_cast<std::size_t>(data.Size));
    styles = OpenRtfText(options.AddrFont);
    return HasEnvelopeStyles(styles.get()) ? std::move(styles) : nullptr;
}

// Brings the two envelope styles into the document's style sheet; styles
// the document already has keep its definition.
void ImportEnvelopeStyles(TDoc& doc, const TDoc& source) {
    auto sheet = std::make_unique<TStyleList>(&doc);
    sheet->Assign(*doc.Styles);
    TImportStylesInfo info(source.Styles);
    info.Selected->Add(IntItem(source.Styles->IndexOfBuiltIn(bsEnvelopeAddress)));
    info.Selected->Add(IntItem(source.Styles->IndexOfBuiltIn(bsEnvelopeReturn)));
    if (!sheet->ImportStyles(info, false) || (info.Added->Count == 0 && info.Replaced->Count == 0))
        return;
    // A list of the source document means nothing in this one.
    for (std::int32_t i = 0; i < sheet->Count; ++i) {
        TStyle& style = *sheet->Style(i);
        if (style.HasList() && !doc.Lists.Contains(style.List())) {
            ClearParProp(style.ParFormat, ppList);
            ClearParProp(style.ParFormat, ppListLevel);
        }
    }
    auto* change = new TFormatStyleListInfo;
    change->NewStyles = sheet.release();
    for (std::int32_t i = 0; i < info.Replaced->Count; ++i)
        change->ChangedStyles.Add(info.Replaced->Item(i));
    FormatStyles(doc, change);
}

struct TAddressBlock {
    std::u16string Text;
    std::int32_t BuiltInStyle = -1;
    std::int32_t LeftIndent = 0;
    std::int32_t SpaceBefore = 0;
    bool StripLineEnds = false;
};

// Inserts an address block at the caret in its style, with the font its
// style has in the style source, and answers its height: the first line's
// height times the number of lines at the page's width, plus the space
// before it.
std::int32_t InsertAddressBlock(TDoc& doc, const TDoc* styleSource, TAddressBlock block) {
    NormaliseTrailingLineEnds(block.Text, block.StripLineEnds);
    const std::int32_t first = doc.Caret.Par;
    doc.PushStateFlag(sfKeepTypingLanguage);
    doc.UpdateTypingFormat();
    TMemory bytes;
    AppendUtf16(bytes, block.Text);
    InsertText(doc, bytes, doc.Caret, ifUtf16);
    doc.PopStateFlag();
    const std::int32_t last = doc.Caret.Par;
    const TFragment range = WholePars(doc, first, last);

    const std::int32_t style = doc.Styles->IndexOfBuiltIn(block.BuiltInStyle);
    const std::int32_t sourceStyle =
        styleSource != nullptr ? styleSource->Styles->IndexOfBuiltIn(block.BuiltInStyle) : -1;
    if (style >= 0 && sourceStyle >= 0) {
        ApplyStyle(doc, {range}, nullptr, nullptr, false, style);
        TCharFormat format = UnsetCharFormat;
        styleSource->Styles->Style(sourceStyle)->ResolveFormat(&format, nullptr, rfUnsetBase);
        FillUnsetCharFormat(format, DefaultCharFormat);
        doc.FormatFont(nullptr, &range, format, 0);
    }

    // The block's height at the width of the envelope's page. The lines are
    // dropped again: pagination lays the paragraphs out in their boxes. A
    // block that ends in a line end leaves the caret in an empty paragraph
    // that the next block fills; its line is the next block's, so counting
    // it would lift the delivery address a line above its place.
    const TSection* section = doc.SectionOfPar(first);
    const std::int32_t width = section != nullptr ? section->PageSetup.PageWidth : MaxEnvelopeLength;
    const bool endsInLineEnd = block.Text.size() >= 2 && block.Text.ends_with(u"\r\n");
    const std::int32_t lastOwn = endsInLineEnd && last > first ? last - 1 : last;
    std::int32_t lines = 0;
    std::int32_t lineHeight = 0;
    for (std::int32_t p = first; p <= lastOwn; ++p) {
        TPar* par = doc.Par(p);
        par->RebuildLines(true, width);
        lines += par->LineCount();
        if (p == first && par->LineCount() > 0)
            lineHeight = par->Lines->At<TLine>(0)->Height;
        par->RebuildLines(false, 0);
    }
    std::int32_t height = lineHeight * lines;

    if (block.LeftIndent != 0) {
        TParFormat format = UnsetParFormat;
        format.LeftIndent = static_cast<std::int16_t>(block.LeftIndent);
        doc.FormatParagraphs(nullptr, &range, format);
    }
    if (block.SpaceBefore != 0) {
        TParFormat format = UnsetParFormat;
        format.SpaceBefore = static_cast<std::int16_t>(block.SpaceBefore);
        const TFragment firstPar = WholePars(doc, first, first);
        doc.FormatParagraphs(nullptr, &firstPar, format);
        height += block.SpaceBefore;
    }
    return height;
}

void WorkInsertEnvelope(TDoc& doc, TOperationCall&, const TInsertEnvelopeArgs& args) {
    static const std::u16string none;
    InsertEnvelope(doc, args.Address != nullptr ? *args.Address : none,
                   args.ReturnAddress != nullptr ? *args.ReturnAddress : none, args.Flag != 0);
}

}  // namespace

std::int32_t EnvelopeFraction(std::int32_t size, std::int32_t value) {
    const std::int64_t product = static_cast<std::int64_t>(size) * value;
    const std::int64_t magnitude = (std::llabs(product) + 5000) / 10000;
    return static_cast<std::int32_t>(product < 0 ? -magnitude : magnitude);
}

void InsertEnvelope(TDoc& doc, const std::u16string& address, const std::u16string& returnAddress, bool newDocument) {
    TEnvelopeOptions& options = EnvelopeOptions();
    const TSection* section = doc.SectionOfPar(doc.Caret.Par);
    if (section == nullptr)
        return;
    // A fresh document's envelope takes its only section; everywhere else an
    // envelope starts a section of its own, even after an empty last
    // paragraph, so that the text before it keeps its page setup.
    const bool sectionStart = doc.Caret.Par == section->FirstPar;
    const bool empty = doc.Par(doc.Caret.Par)->CharCount() <= 1;
    if (!sectionStart || !empty || (!newDocument && doc.Sections.Count == 1))
        BreakBeforeEnvelope(doc);

    MakeEnvelopePage(doc, options);

    const std::unique_ptr<TDoc> styles = OpenEnvelopeStyles(options);
    if (styles != nullptr)
        ImportEnvelopeStyles(doc, *styles);

    const std::int32_t width = std::clamp(options.Width, 0, MaxEnvelopeLength);
    const std::int32_t height = std::clamp(options.Height, 0, MaxEnvelopeLength);
    auto length = [](std::int32_t value) { return std::clamp(value, 0, MaxEnvelopeLength); };
    std::int32_t returnHeight = 0;
    if (!returnAddress.empty()) {
        TAddressBlock block;
        block.Text = returnAddress;
        block.BuiltInStyle = bsEnvelopeReturn;
        block.LeftIndent = length(EnvelopeFraction(width, options.RA_Left));
        block.SpaceBefore = length(EnvelopeFraction(height, options.RA_Top));
        returnHeight = InsertAddressBlock(doc, styles.get(), block);
    }
    TAddressBlock block;
    block.Text = address;
    block.BuiltInStyle = bsEnvelopeAddress;
    block.LeftIndent = length(EnvelopeFraction(width, options.DA_Left));
    block.SpaceBefore = length(EnvelopeFraction(height, options.DA_Top) - returnHeight);
    block.StripLineEnds = true;
    InsertAddressBlock(doc, styles.get(), block);

    doc.StateFlags[sfTypingFormatFixed] = 0;
}

void InstallEnvelopeWorker() {
    SetOperationWorker<TInsertEnvelopeArgs>(WorkInsertEnvelope);
}
