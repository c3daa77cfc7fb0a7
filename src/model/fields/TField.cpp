#include "model/fields/TField.h"

#include <array>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/text/TextCase.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/FieldInstructions.h"
#include "model/formats/FormatStream.h"
#include "model/host/TEditingServices.h"
#include "platform/CodePages.h"
#include "platform/Heap.h"

const char* const FieldKeywords[FieldTypeCount] = {
    "?",
    "?",
    "BOOKMARK",
    "REF",
    "XE",
    "FTNREF",
    "SET",
    "IF",
    "INDEX",
    "TC",
    "STYLEREF",
    "RD",
    "SEQ",
    "TOC",
    "INFO",
    "TITLE",
    "SUBJECT",
    "AUTHOR",
    "KEYWORDS",
    "COMMENTS",
    "LASTSAVEDBY",
    "CREATEDATE",
    "SAVEDATE",
    "PRINTDATE",
    "REVNUM",
    "EDITTIME",
    "NUMPAGES",
    "NUMWORDS",
    "NUMCHARS",
    "FILENAME",
    "TEMPLATE",
    "DATE",
    "TIME",
    "PAGE",
    "=",
    "QUOTE",
    "?",
    "PAGEREF",
    "ASK",
    "FILLIN",
    "?",
    "NEXT",
    "NEXTIF",
    "SKIPIF",
    "MERGEREC",
    "DDE",
    "DDEAUTO",
    "?",
    "PRINT",
    "EQ",
    "?",
    "MACROBUTTON",
    "AUTONUMOUT",
    "AUTONUMLGL",
    "AUTONUM",
    "?",
    "LINK",
    "SYMBOL",
    "EMBED",
    "MERGEFIELD",
    "USERNAME",
    "USERINITIALS",
    "USERADDRESS",
    "BARCODE",
    "DOCVARIABLE",
    "SECTION",
    "SECTIONPAGES",
    "INCLUDEPICTURE",
    "INCLUDETEXT",
    "FILESIZE",
    "FORMTEXT",
    "FORMCHECKBOX",
    "NOTEREF",
    "TOA",
    "TA",
    "MERGESEQ",
    "?",
    "PRIVATE",
    "DATABASE",
    "AUTOTEXT",
    "COMPARE",
    "ADDIN",
    "?",
    "FORMDROPDOWN",
    "ADVANCE",
    "DOCPROPERTY",
    "?",
    "?",
    "HYPERLINK",
    "AUTOTEXTLIST",
    "LISTNUM",
    "?",
    "?",
    "?",
    "?",
    "SHAPE",
};

namespace {

constexpr std::array<const char*, FieldTypeCount> MakeDisplayNames() {
    std::array<const char*, FieldTypeCount> names{};
    for (auto& n : names)
        n = "";
    names[ftStyleRef] = "Style Reference";
    names[ftToc] = "TOC";
    names[ftTitle] = "Document Title";
    names[ftSubject] = "Document Subject";
    names[ftAuthor] = "Document Author";
    names[ftKeywords] = "Document Keywords";
    names[ftComments] = "Document Comments";
    names[ftLastSavedBy] = "Last Saved By";
    names[ftCreateDate] = "Creation Date";
    names[ftSaveDate] = "Last Save Date";
    names[ftPrintDate] = "Print Date";
    names[ftNumPages] = "Page Count";
    names[ftNumWords] = "Word Count";
    names[ftNumChars] = "Character Count";
    names[ftFileName] = "Document Filename";
    names[ftDate] = "Current Date";
    names[ftTime] = "Current Time";
    names[ftPageNumber] = "Current Page Number";
    names[ftPageRef] = "Page Reference";
    names[ftSymbol] = "Symbol";
    names[ftSection] = "Number of Current Section";
    names[ftSectionPages] = "Section Page Count";
    names[ftFileSize] = "Document File Size";
    names[ftNoteRef] = "Note Reference";
    names[ftHyperlink] = "Hyperlink";
    names[ftListNum] = "List Element";
    return names;
}

}  // namespace

constinit const std::array<const char*, FieldTypeCount> FieldDisplayNames = MakeDisplayNames();

namespace {

// The format switches of imported documents: English, French, German and
// Spanish, one row per switch.
const char16_t* const kSwitchWords[][4] = {
    {u"ALPHABETIC", u"ALPHABETIQUE", u"ALPHABETISCH", u"ALFABÉTICO"},
    {u"ARABIC", u"ARABE", u"ARABISCH", u"ARÁBIGO"},
    {u"CAPS", u"INITIALESMAJ", u"INITIAL", u"MAYÚSCULAS"},
    {u"CARDTEXT", u"TEXTECARD", u"GRUNDTEXT", u"CARDTEXTO"},
    {u"CHARFORMAT", u"FORMATCAR", u"ZEICHENFORMAT", u"FORMATOCARÁC"},
    {u"DOLLARTEXT", u"TEXTEMONNAIE", u"WÄHRUNGSTEXT", u"TEXTOMONEDA"},
    {u"FIRSTCAP", u"PREMIEREMAJ", u"SATZANFANGGROSS", u"PRIMERAMAYÚS"},
    {u"HEXLOWER", u"HEXMINUSCULE", u"HEXKLEINBUCHSTABEN", u"HEXMINÚS"},
    {u"MERGEFORMAT", u"FUSIONFORMAT", u"FORMATVERBINDEN", u"COMFORMATO"},
    {u"ORDINAL", u"ORDINAL", u"ORDNUNGSZAHL", u"ORDINAL"},
    {u"ORDTEXT", u"TEXTEORD", u"ORDTEXT", u"ORDTEXTO"},
    {u"ROMANUPPER", u"ROMAINMAJUSCULE", u"RÖMISCHGROSSBUCHSTABEN", u"ROMANOMAYÚS"},
};
const char* const kEnglishSwitches[] = {"ALPHABETIC",  "ARABIC",     "CAPS",     "CARDTEXT",
                                        "CHARFORMAT",  "DOLLARTEXT", "FIRSTCAP", "HEXLOWER",
                                        "MERGEFORMAT", "ORDINAL",    "ORDTEXT",  "ROMANUPPER"};

bool SameAsciiNoCase(std::u16string_view a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        char16_t x = a[i];
        char16_t y = static_cast<unsigned char>(b[i]);
        if (x >= u'a' && x <= u'z')
            x = static_cast<char16_t>(x - u'a' + u'A');
        if (y >= u'a' && y <= u'z')
            y = static_cast<char16_t>(y - u'a' + u'A');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == 0;
}

bool IsLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || IsCasedWideChar(c);
}

}  // namespace

int FieldTypeOfKeyword(std::u16string_view keyword) {
    if (keyword.empty())
        return -1;
    for (int type = 0; type < FieldTypeCount; ++type)
        if (FieldKeywords[type][0] != '?' && SameAsciiNoCase(keyword, FieldKeywords[type]))
            return type;
    if (SameAsciiNoCase(keyword, "EX") || SameAsciiNoCase(keyword, "E"))
        return ftIndexEntry;
    return -1;
}

const char* TranslateFieldSwitch(std::u16string_view word) {
    const std::u16string upper = UpperCaseWideLocale(word);
    for (std::size_t row = 0; row < std::size(kSwitchWords); ++row)
        for (const char16_t* w : kSwitchWords[row])
            if (upper == w)
                return kEnglishSwitches[row];
    return nullptr;
}

TField::~TField() {
    if (Kind == fkDropCap && Object != nullptr)
        Platform::HeapFree(Object);
    ReleaseObjectHandle(this);
}

TShape* TField::InlineShape() const {
    return Kind == fkInlineObject ? static_cast<TShape*>(Object) : nullptr;
}

std::u16string TField::GetName() const {
    if (Type < FieldTypeCount && FieldDisplayNames[Type][0] != 0)
        return Platform::Utf8ToUtf16(FieldDisplayNames[Type]);
    return Instruction.substr(0, Instruction.find(u' '));
}

std::u16string TField::FormatNumberText(std::int32_t n, std::int32_t defaultStyle) const {
    const std::string text = FormatNumberStyle(n, NumberStyleOfInstruction(Instruction, defaultStyle));
    return ApplyCaseSwitch(Platform::Utf8ToUtf16(text));
}

std::u16string TField::FormatDateText(std::int32_t language, TDateTime dateTime) const {
    if (dateTime == 0)
        return {};
    std::u16string picture = DatePictureOf(Instruction);
    if (picture.empty())
        picture = FieldDateFormat(language, Type == ftTime);
    return ApplyCaseSwitch(FormatDatePicture(picture, language, dateTime));
}

std::u16string TField::ApplyCaseSwitch(std::u16string_view text) const {
    int which = -1;
    static const char16_t* const switches[] = {u"Upper", u"Lower", u"FirstCap", u"Caps"};
    for (int i = 0; i < 4 && which < 0; ++i)
        if (Instruction.find(switches[i]) != std::u16string::npos)
            which = i;
    switch (which) {
        case 0:
            return UpperCaseWideLocale(text);
        case 1:
            return LowerCaseWideLocale(text);
        case 2: {
            std::u16string out = LowerCaseWideLocale(text);
            if (!out.empty())
                out[0] = UpperWideCharLocale(out[0]);
            return out;
        }
        case 3: {
            std::u16string out = LowerCaseWideLocale(text);
            bool inRun = false;
            for (char16_t& c : out) {
                const bool word = IsLetterOrDigit(c);
                if (word && !inRun)
                    c = UpperWideCharLocale(c);
                inRun = word;
            }
            return out;
        }
        default:
            return std::u16string(text);
    }
}

bool TField::HasHyperlinkSwitch() const {
    if (Type != ftPageRef && Type != ftNoteRef)
        return false;
    bool hyperlink = false;
    std::u16string bookmark;
    ParsePageRefCode(Instruction, &hyperlink, nullptr, bookmark);
    return hyperlink;
}
