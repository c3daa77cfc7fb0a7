#include "files/rtf/RtfWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "editing/dropcaps/DropCaps.h"
#include "editing/tables/TableStructure.h"
#include "files/output/SaveOutput.h"
#include "files/rtf/RtfByteClass.h"
#include "files/rtf/RtfControlWords.h"
#include "files/rtf/RtfWordIndex.h"
#include "files/rtf/RtfWriterTabs.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/formats/TTableRow.h"
#include "model/host/FontQueries.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

TRtfSaveSettings& RtfSaveSettings() {
    static TRtfSaveSettings settings;
    return settings;
}

namespace {

// The code page of the first half of a Unicode destination pair, for
// readers without Unicode.
constexpr int SystemAnsiCodePage = 1252;
constexpr std::string_view Generator = "Rezozuri Word Processor 4.1.0.0;";
// Spacing values the reader takes for "automatic" (-20) are written as the
// 14-point value RTF readers without the auto words fall back to.
constexpr std::int32_t AutoSpace = -20;
constexpr std::int32_t AutoSpaceTwips = 280;
constexpr std::int32_t DefaultTabTwips = 720;
constexpr std::int32_t DefaultHyphenationZone = 360;
constexpr std::int32_t DefaultHeaderDistance = 720;
constexpr std::int32_t DefaultColumnGap = 720;
// Tab kinds beyond the tab manager's alignments: the list tab of RTF's
// "jclisttab".
constexpr std::uint8_t ListTabKind = 6;
// Tab alignments and leaders of the tab manager.
constexpr std::uint8_t TabCentre = 1, TabRight = 2, TabDecimal = 3, TabBar = 4;
constexpr std::uint8_t TabLeaderDots = 1, TabLeaderHyphens = 2, TabLeaderUnderline = 3;
// The list ids of the list table: the list's number plus this.
constexpr std::int32_t ListIdBase = 65535;
// Function keys F1 to F24 (virtual key codes) in style hot keys.
constexpr std::uint32_t FirstFunctionKey = 112;
constexpr std::uint32_t LastFunctionKey = 135;

// The standard highlight colours of RTF's "highlight" (the colour numbers
// of the 16-colour palette), as 0x00BBGGRR.
constexpr std::int32_t HighlightColors[] = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
    0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0,
};

const char* const BorderKindWords[] = {
    nullptr,      "brdrs",      "brdrth",         "brdrdb",     "brdrs",       "brdrhair",     "brdrdot",
    "brdrdash",   "brdrdashd",  "brdrdashdd",     "brdrtriple", "brdrtnthsg",  "brdrthtnsg",   "brdrtnthtnsg",
    "brdrtnthmg", "brdrthtnmg", "brdrtnthtnmg",   "brdrtnthlg", "brdrthtnlg",  "brdrtnthtnlg", "brdrwavy",
    "brdrwavydb", "brdrdashsm", "brdrdashdotstr", "brdremboss", "brdrengrave", "brdroutset",   "brdrinset",
};

const char* UnderlineWord(std::int32_t kind) {
    switch (kind) {
        case ulNone:
            return "ulnone";
        case ulSingle:
            return "ul";
        case ulWords:
            return "ulw";
        case ulDouble:
            return "uldb";
        case ulDotted:
            return "uld";
        case ulThick:
            return "ulth";
        case ulDashed:
            return "uldash";
        case ulDotDash:
            return "uldashd";
        case ulDotDotDash:
            return "uldashdd";
        case ulWave:
            return "ulwave";
        case ulThickDotted:
            return "ulthd";
        case ulThickDashed:
            return "ulthdash";
        case ulThickDotDash:
            return "ulthdashd";
        case ulThickDotDotDash:
            return "ulthdashdd";
        case ulHeavyWave:
            return "ulhwave";
        case ulLongDash:
            return "ulldash";
        case ulDoubleWave:
            return "ululdbwave";
        default:
            return "ulthldash";
    }
}

// Number formats of notes and their words (footnotes, endnotes, and the
// section forms).
const char* NoteFormatSuffix(std::int32_t format) {
    switch (format) {
        case 1:
            return "nruc";
        case 2:
            return "nrlc";
        case 3:
            return "nauc";
        case 4:
            return "nalc";
        case 9:
            return "nchi";
        default:
            return "nar";
    }
}

// Saved written formats around a group.
struct TWrittenState {
    TCharFormat Char;
    TParFormat Par;
};

class TRtfWriter {
public:
    explicit TRtfWriter(TSaveContext& context) : C(context), Doc(*context.Doc) {}

    void Run();

private:
    // --- Primitives ---
    void Raw(std::string_view s) {
        C.Append(s);
        Delimit = false;
    }
    void Brace(char b) {
        C.AppendByte(static_cast<std::uint8_t>(b));
        Delimit = false;
    }
    void Word(int word) {
        C.AppendByte('\\');
        C.Append(RtfControlWords[static_cast<std::size_t>(word)]);
        Delimit = true;
    }
    void Word(std::string_view word) {
        C.AppendByte('\\');
        C.Append(word);
        Delimit = true;
    }
    void Number(std::int64_t n) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof(digits), n);
        C.Append(digits, static_cast<std::size_t>(r.ptr - digits));
    }
    void WordValue(int word, std::int64_t n) {
        Word(word);
        Number(n);
    }
    void WordValue(std::string_view word, std::int64_t n) {
        Word(word);
        Number(n);
    }
    void WordFlag(int word, bool on) {
        Word(word);
        if (!on)
            C.AppendByte('0');
    }
    void ValueGroup(int word, std::int64_t n) {
        Brace('{');
        WordValue(word, n);
        Brace('}');
    }
    // A space ends a pending control word before text that is written as
    // itself.
    void Delimiter() {
        if (Delimit) {
            C.AppendByte(' ');
            Delimit = false;
        }
    }
    void EscapedByte(std::uint8_t b) {
        static constexpr char Hex[] = "0123456789abcdef";
        const char escape[4] = {'\\', '\'', Hex[b >> 4], Hex[b & 15]};
        C.Append(escape, 4);
        Delimit = false;
    }
    void EscapedNarrow(std::string_view text, bool raw);
    void EscapedWide(std::u16string_view text);
    void Destination(int word, std::u16string_view text);
    void StarDestination(int word, std::u16string_view text);

    // --- Header tables ---
    void FontTable();
    void ColorTable();
    void StyleSheet();
    void StyleKeyCode(std::uint32_t key);
    void ListTables();
    void ListLevel(const TListLevel& level, std::int32_t pictureNumber);
    void Info();
    void DocumentProperties();

    // --- Body ---
    void Body();
    void PlainReset();
    void Paragraph(std::int32_t p, std::int32_t from, std::int32_t to);
    void RowDefinition(std::int32_t p);
    void CharAttr(int attr, std::int32_t value);
    void CharFormatDiff(const TCharFormat& target);
    bool ParFormat(const TParFormat& format);
    void ParFormatAfterPard(const TParFormat& format);
    const TField* DropCapToWrite(std::int32_t p, std::int32_t to) const;
    void DropCapFrame(const TDropCapDescription& settings, const TParFormat& format);
    void ParFormatDiff(const TParFormat& now, const TParFormat& old, bool styleSheet);
    void Border(std::string_view side, const TBorder& border, bool paragraph);
    void TableBorder(std::string_view side, const TTableBorder& border);
    void Section(const TSection& section, bool first);
    void SectionBreakKind(const TSection& section);
    void FieldMark(bool start, const TField* field);
    void Note(const TField* body);
    bool StartsWithNoteNumber(const TField* reference) const;
    void Picture(const TShapePicture& picture, const TShapeProps* props = nullptr);
    void Shape(const TShape& shape);
    void HeaderFooter(const TField* field, int word, bool firstSection);
    void HeadersFooters(const TSection& section, bool first);
    void Push() { Saved.push_back({WrittenChar, WrittenPar}); }
    void Pop();
    void Special(std::uint8_t code);
    bool TemporaryRun(const std::uint8_t* data,
                      std::int32_t size,
                      std::int32_t at,
                      std::int32_t end,
                      const TCharFormat& format);

    std::int32_t FontNumber(std::int32_t font) const {
        return font >= 0 && static_cast<std::size_t>(font) < FontNumbers.size()
                   ? FontNumbers[static_cast<std::size_t>(font)]
                   : 0;
    }
    void NumberFonts();
    std::int32_t Color(std::int32_t color) const { return C.ColorNumber(color); }
    const TSection* SectionOfHandle(std::int32_t handle) const {
        return HandleTo<TSection>(static_cast<TObjectHandle>(handle));
    }

    TSaveContext& C;
    TDoc& Doc;
    bool Delimit = false;
    bool RawText = false;
    bool InStyleSheet = false;
    bool InListTables = false;
    bool TablesWritten = false;
    bool SkipResult = false;
    TCharFormat WrittenChar = DefaultCharFormat;
    TParFormat WrittenPar = DefaultParFormat;
    std::vector<TWrittenState> Saved;
    // The fields whose group is open, the last opened last: code fields,
    // and note references with a mark of their own.
    std::vector<const TField*> OpenFields;
    std::int32_t DefaultFont = 0;
    std::int32_t CharStyleBase = 0;
    struct TTableFont {
        std::int32_t Font;
        std::string Name;
        std::int32_t Charset;
    };
    std::vector<TTableFont> TableFonts;
    std::vector<std::int32_t> FontNumbers;
    // The note body to write right after its reference's character.
    const TField* PendingNote = nullptr;
    // Whether that note waits for its reference's end: a mark of the
    // user's own is written whole, in a group of its own, before the note,
    // so that a reader takes the whole group as the mark.
    bool NoteAfterMark = false;
    // Whether a note waits to be written right after the character just
    // written (an automatic number's).
    bool NoteAfterCharacter() const { return PendingNote != nullptr && !NoteAfterMark; }
    // The section written last: a section keeps its predecessor's headers
    // and footers unless it names its own, so the same ones are not
    // written again.
    const TSection* PreviousSection = nullptr;
    std::int32_t CurrentPar = 0;
    // The document's last paragraph when the whole main story is written.
    std::int32_t LastPar = -1;
};

void TRtfWriter::Pop() {
    if (Saved.empty())
        return;
    WrittenChar = Saved.back().Char;
    WrittenPar = Saved.back().Par;
    Saved.pop_back();
}

void TRtfWriter::EscapedNarrow(std::string_view text, bool raw) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = p[i];
        if (b == '\\' || b == '{' || b == '}') {
            const char escape[2] = {'\\', static_cast<char>(b)};
            C.Append(escape, 2);
            Delimit = false;
            ++i;
        } else if (b < 32 || (b >= 128 && !raw)) {
            EscapedByte(b);
            ++i;
        } else {
            std::size_t j = i + 1;
            while (j < n && p[j] >= 32 && (raw || p[j] < 128) && p[j] != '\\' && p[j] != '{' && p[j] != '}')
                ++j;
            Delimiter();
            C.Append(p + i, j - i);
            i = j;
        }
    }
}

void TRtfWriter::EscapedWide(std::u16string_view text) {
    for (const char16_t c : text) {
        if (c > 127) {
            Word(rwU);
            Number(c);
            C.AppendByte('?');
            Delimit = false;
        } else if (c == '\\' || c == '{' || c == '}') {
            const char escape[2] = {'\\', static_cast<char>(c)};
            C.Append(escape, 2);
            Delimit = false;
        } else if (c == '\t') {
            Word(rwTab);
        } else if (c < 32) {
            EscapedByte(static_cast<std::uint8_t>(c));
        } else {
            Delimiter();
            C.AppendByte(static_cast<std::uint8_t>(c));
        }
    }
}

void TRtfWriter::Destination(int word, std::u16string_view text) {
    if (text.empty())
        return;
    const bool wide = std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 127; });
    if (!wide) {
        Brace('{');
        Word(word);
        EscapedWide(text);
        Brace('}');
        return;
    }
    // Readers without Unicode take the first half, in the system code page.
    Raw("{\\upr{");
    Word(word);
    EscapedNarrow(Platform::WideToBytes(SystemAnsiCodePage, text), false);
    Raw("}{\\*\\ud{");
    Word(word);
    EscapedWide(text);
    Raw("}}}");
}

void TRtfWriter::StarDestination(int word, std::u16string_view text) {
    if (text.empty())
        return;
    Raw("{\\*");
    Word(word);
    EscapedWide(text);
    Brace('}');
}

// --- Header tables ---

std::string RegisteredFontName(std::int32_t font) {
    if (FontManager != nullptr && font >= 0 && font < FontManager->RegFonts.Count)
        return FontManager->RegFont(font)->GetName();
    return "Times New Roman";
}

// Fonts are numbered in the order of the table: the default font first (the
// reader takes the table's first font for "plain"), then by name and
// character set, so that the same document always gives the same table.
void TRtfWriter::NumberFonts() {
    struct TEntry {
        std::int32_t Font;
        std::string Name;
        std::int32_t Charset;
    };
    std::vector<TEntry> entries;
    for (const std::int32_t font : C.Fonts)
        entries.push_back({font, RegisteredFontName(font), DocFontCharset(font)});
    std::sort(entries.begin(), entries.end(), [&](const TEntry& a, const TEntry& b) {
        if ((a.Font == DefaultFont) != (b.Font == DefaultFont))
            return a.Font == DefaultFont;
        if (a.Name != b.Name)
            return a.Name < b.Name;
        if (a.Charset != b.Charset)
            return a.Charset < b.Charset;
        return a.Font < b.Font;
    });
    TableFonts.clear();
    std::int32_t highest = 0;
    for (const TEntry& entry : entries) {
        TableFonts.push_back({entry.Font, entry.Name, entry.Charset});
        highest = std::max(highest, entry.Font);
    }
    FontNumbers.assign(static_cast<std::size_t>(highest) + 1, 0);
    for (std::size_t i = 0; i < TableFonts.size(); ++i)
        FontNumbers[static_cast<std::size_t>(TableFonts[i].Font)] = static_cast<std::int32_t>(i);
}

void TRtfWriter::FontTable() {
    Brace('{');
    Word(rwFonttbl);
    for (std::size_t i = 0; i < TableFonts.size(); ++i) {
        Brace('{');
        WordValue(rwF, static_cast<std::int64_t>(i));
        WordValue(rwFcharset, TableFonts[i].Charset);
        C.AppendByte(' ');
        Delimit = false;
        EscapedNarrow(TableFonts[i].Name, false);
        Raw(";}");
    }
    Brace('}');
}

void TRtfWriter::ColorTable() {
    Raw("{");
    Word(rwColortbl);
    Raw(";");
    for (std::size_t i = 1; i < C.Colors.size(); ++i) {
        const auto color = static_cast<std::uint32_t>(C.Colors[i]);
        WordValue(rwRed, color & 0xFF);
        WordValue(rwGreen, (color >> 8) & 0xFF);
        WordValue(rwBlue, (color >> 16) & 0xFF);
        Raw(";");
    }
    Brace('}');
}

void TRtfWriter::StyleKeyCode(std::uint32_t key) {
    // The hot-key manager's form: the key code in the low 16 bits, the
    // modifiers shift 1, alt 2, ctrl 4 above them.
    const std::uint32_t code = key & 0xFFFF;
    const std::uint32_t modifiers = key >> 16;
    Raw("{\\*");
    Word(rwKeycode);
    C.AppendByte(' ');
    Delimit = false;
    if ((modifiers & 1) != 0)
        Word(rwShift);
    if ((modifiers & 4) != 0)
        Word(rwCtrl);
    if ((modifiers & 2) != 0)
        Word(rwAlt);
    if (code >= FirstFunctionKey && code <= LastFunctionKey) {
        WordValue(rwFn, code - FirstFunctionKey + 1);
    } else {
        C.AppendByte(' ');
        Delimit = false;
        EscapedNarrow(std::string(1, static_cast<char>(code)), false);
    }
    Brace('}');
}

void TRtfWriter::StyleSheet() {
    InStyleSheet = true;
    TStyleList& styles = *Doc.Styles;
    Brace('{');
    Word(rwStylesheet);
    TCharFormat neutralChar = DefaultCharFormat;
    neutralChar[caFont] = UnsetValue;
    neutralChar[caSize] = UnsetValue;
    TParFormat neutralPar = DefaultParFormat;
    neutralPar.FirstIndent = neutralPar.LeftIndent = neutralPar.RightIndent = static_cast<std::int16_t>(0x8000);
    neutralPar.Alignment = static_cast<std::int8_t>(0x80);
    for (std::int32_t i = 0; i < styles.Count; ++i) {
        TStyle& style = *styles.Style(i);
        Brace('{');
        if (i > 0)
            WordValue(rwS, i);
        if (style.HotKey != 0)
            StyleKeyCode(style.HotKey);
        if (style.BasedOn >= 0)
            WordValue(rwSbasedon, style.BasedOn);
        WordValue(rwSnext, style.NextStyle >= 0 ? style.NextStyle : i);
        TCharFormat cf = UnsetCharFormat;
        TParFormat pf = UnsetParFormat;
        style.ResolveFormat(&cf, &pf, 0);
        // What equals the neutral formats is left out, unless the based-on
        // style says otherwise: the reader takes the rest from that style.
        TCharFormat baseChar = neutralChar;
        TParFormat basePar = neutralPar;
        if (style.BasedOn >= 0 && style.BasedOn < styles.Count && style.BasedOn != i) {
            TCharFormat bc = UnsetCharFormat;
            TParFormat bp = UnsetParFormat;
            styles.Style(style.BasedOn)->ResolveFormat(&bc, &bp, 0);
            for (int attr = 0; attr < CharAttrCount; ++attr)
                if (bc[attr] != cf[attr])
                    baseChar[attr] = UnsetValue;
            for (int prop = 0; prop < ParPropCount; ++prop)
                if (GetParProp(bp, prop) != GetParProp(pf, prop))
                    ClearParProp(basePar, prop);
        }
        SubtractCharFormat(cf, baseChar);
        for (int attr = 0; attr < CharAttrCount; ++attr)
            if (cf[attr] != UnsetValue)
                CharAttr(attr, cf[attr]);
        SubtractParFormat(pf, basePar);
        pf.Style = static_cast<std::int16_t>(0x8000);
        if (style.IsHeading() || pf.OutlineLevel == 9)
            pf.OutlineLevel = static_cast<std::int8_t>(0x80);
        ParFormatDiff(pf, UnsetParFormat, true);
        C.AppendByte(' ');
        Delimit = false;
        std::string name = style.Name;
        if (style.HasLowerCaseName())
            std::transform(name.begin(), name.end(), name.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        // Unicode escapes keep names of any script whatever the code page
        // of the default font.
        EscapedWide(Platform::Utf8ToUtf16(name));
        Raw(";}");
        style.ParFormat.Style = static_cast<std::int16_t>(i);
    }
    CharStyleBase = styles.Count;
    Raw("{\\*");
    WordValue(rwCs, CharStyleBase);
    Word("additive");
    Raw(" Default Paragraph Font;}");
    const char* const noteNames[2] = {"Footnote Reference", "Endnote Reference"};
    for (int kind = 0; kind < 2; ++kind) {
        Raw("{\\*");
        WordValue(rwCs, CharStyleBase + 1 + kind);
        Word("additive");
        WordValue(rwSbasedon, CharStyleBase);
        const TCharFormat& f = Doc.NoteCharFormats[kind][0];
        for (int attr = 0; attr < CharAttrCount; ++attr)
            if (f[attr] != UnsetValue)
                CharAttr(attr, f[attr]);
        C.AppendByte(' ');
        Delimit = false;
        Raw(noteNames[kind]);
        Raw(";}");
    }
    Brace('}');
    InStyleSheet = false;
}

// pictureNumber: the position of the level's picture bullet among the list
// pictures written, -1 for none.
void TRtfWriter::ListLevel(const TListLevel& level, std::int32_t pictureNumber) {
    Brace('{');
    Word(rwListlevel);
    WordValue(rwLevelstartat, level.StartValue);
    WordValue(rwLevelnfc, level.NumberFormat);
    if (pictureNumber >= 0)
        WordValue(rwLevelpicture, pictureNumber);
    WordValue(rwLeveljc, level.Alignment);
    // The numbering's own flags, written only when set, as the reader
    // takes them: the level counts on past shallower paragraphs, and the
    // label shows every number in arabic.
    if (level.NumberingFlags[0] != 0)
        WordValue(rwLevelnorestart, 1);
    if (level.NumberingFlags[1] != 0)
        WordValue(rwLevellegal, 1);
    Brace('{');
    Word(rwLeveltext);
    C.AppendByte(' ');
    Delimit = false;
    EscapedByte(static_cast<std::uint8_t>(std::min<std::size_t>(level.LabelText.size(), 255)));
    for (const char16_t c : level.LabelText) {
        if (c < 32) {
            EscapedByte(static_cast<std::uint8_t>(c));
        } else if (c < 128) {
            if (c == '\\' || c == '{' || c == '}')
                C.AppendByte('\\');
            C.AppendByte(static_cast<std::uint8_t>(c));
        } else {
            WordValue(rwU, static_cast<std::int16_t>(c));
            Raw(" ?");
        }
    }
    Raw(";}");
    std::string numbers;
    for (char16_t placeholder = 0; placeholder < 9; ++placeholder) {
        const auto at = level.LabelText.find(placeholder);
        if (at != std::u16string::npos && at < 254)
            numbers += static_cast<char>(at + 1);
    }
    Brace('{');
    Word(rwLevelnumbers);
    C.AppendByte(' ');
    Delimit = false;
    EscapedNarrow(numbers, false);
    Raw(";}");
    WordValue(rwLevelfollow, level.FollowKind);
    for (int attr = 0; attr < CharAttrCount; ++attr)
        if (level.CharFormat[attr] != UnsetValue)
            CharAttr(attr, level.CharFormat[attr]);
    TParFormat pf = level.ParFormat;
    FillUnsetParFormat(pf, DefaultParFormat);
    ParFormatDiff(pf, DefaultParFormat, false);
    Brace('}');
}

void TRtfWriter::ListTables() {
    if (C.Lists.empty())
        return;
    InListTables = true;
    Raw("{\\*");
    Word(rwListtable);
    // Picture bullets go first, each picture once, as the list pictures
    // that the levels number (the RTF specification 1.9.1, "List
    // table").
    std::vector<const TShape*> pictures;
    const auto pictureNumber = [&](const TListLevel& level) -> std::int32_t {
        const TShape* shape = level.PictureBullet;
        if (shape == nullptr || shape->Picture.Kind == pkNone || shape->Picture.Data.empty())
            return -1;
        const auto at = std::find(pictures.begin(), pictures.end(), shape);
        if (at != pictures.end())
            return static_cast<std::int32_t>(at - pictures.begin());
        pictures.push_back(shape);
        return static_cast<std::int32_t>(pictures.size()) - 1;
    };
    for (const TAutoList* list : C.Lists)
        for (std::int32_t l = 0; l < list->UsedLevelCount(); ++l)
            (void)pictureNumber(list->Levels[l]);
    if (!pictures.empty()) {
        Raw("{\\*");
        Word(rwListpicture);
        for (const TShape* shape : pictures) {
            Raw("{\\*");
            Word(rwShppict);
            Picture(shape->Picture);
            Brace('}');
        }
        Brace('}');
    }
    for (std::size_t i = 0; i < C.Lists.size(); ++i) {
        const TAutoList& list = *C.Lists[i];
        Brace('{');
        Word(rwList);
        if (list.IsSingleLevel())
            Word(rwListsimple);
        for (std::int32_t l = 0; l < list.UsedLevelCount(); ++l)
            ListLevel(list.Levels[l], pictureNumber(list.Levels[l]));
        WordValue(rwListid, static_cast<std::int64_t>(i) + 1 + ListIdBase);
        Brace('}');
    }
    Raw("}{\\*");
    Word(rwListoverridetable);
    for (std::size_t i = 0; i < C.Lists.size(); ++i) {
        Brace('{');
        Word(rwListoverride);
        WordValue(rwListid, static_cast<std::int64_t>(i) + 1 + ListIdBase);
        WordValue(rwListoverridecount, 0);
        WordValue(rwLs, static_cast<std::int64_t>(i) + 1);
        Brace('}');
    }
    Brace('}');
    InListTables = false;
}

void TRtfWriter::Info() {
    Raw("{\\*");
    Word(rwGenerator);
    Raw(" ");
    Raw(Generator);
    Brace('}');
    Brace('{');
    Word(rwInfo);
    if (C.Options.SafeCopy) {
        // The name and format of the file the safe copy stands for.
        static const char* const formatNames[] = {"RTF", "DOC", "DOCX", "ODT", "COD", "WRI", "TXT"};
        StarDestination(rwAutosavedorigname, Platform::Utf8ToUtf16(C.Options.OrigName));
        const std::int32_t format = Doc.FormatCode;
        if (format >= 0 && format < 7)
            StarDestination(rwAutosavedorigfmt, Platform::Utf8ToUtf16(formatNames[format]));
    }
    Brace('}');
}

void TRtfWriter::DocumentProperties() {
    const std::int32_t zoom = Doc.Zoom;
    if (zoom != 100)
        WordValue(rwViewscale, zoom);
    switch (Doc.ZoomMode) {
        case zmPageWidth:
            WordValue(rwViewzk, 2);
            break;
        case zmTextWidth:
            WordValue(rwViewzk, 3);
            break;
        case zmWholePage:
        case zmTwoPages:
            WordValue(rwViewzk, 1);
            break;
        default:
            break;
    }
    if (Doc.DefaultTabWidth != DefaultTabTwips)
        WordValue(rwDeftab, Doc.DefaultTabWidth);
    Word(rwHtmautsp);
    Word(rwUseltbaln);
    Word(rwAlntblind);
    const TSection* first = Doc.Sections.Count > 0 ? Doc.Sections.At<TSection>(0) : nullptr;
    if (first != nullptr) {
        const TNoteSettings& foot = first->FootnoteSettings;
        if (foot.Position == 1)
            Word(rwFtnbj);
        else if (foot.Position == 2)
            Word(rwFtntj);
        Word(std::string("ftn") + NoteFormatSuffix(foot.NumberFormat));
        if (foot.StartNumber != 1)
            WordValue(rwFtnstart, foot.StartNumber);
        if ((foot.Restart & 0xFF) == 1)
            Word(rwFtnrestart);
        else if ((foot.Restart & 0xFF) == 2)
            Word(rwFtnrstpg);
    }
    if (Doc.Hyphenation.Automatic != 0)
        WordValue(rwHyphauto, 1);
    if (Doc.Hyphenation.HyphenateCaps == 0)
        WordValue(rwHyphcaps, 0);
    if (Doc.Hyphenation.Zone != DefaultHyphenationZone)
        WordValue(rwHyphhotz, Doc.Hyphenation.Zone);
    if (Doc.Hyphenation.ConsecutiveLimit != 0)
        WordValue(rwHyphconsec, Doc.Hyphenation.ConsecutiveLimit);
    if (first != nullptr) {
        const TNoteSettings& end = first->EndnoteSettings;
        if (end.Position == 0)
            Word(rwAendnotes);
        else if (end.Position == 3)
            Word(rwAenddoc);
        Word(std::string("aftn") + NoteFormatSuffix(end.NumberFormat));
        if (end.StartNumber != 1)
            WordValue(rwAftnstart, end.StartNumber);
        if ((end.Restart & 0xFF) == 1)
            Word(rwAftnrestart);
    }
}

// --- Character and paragraph formats ---

void TRtfWriter::CharAttr(int attr, std::int32_t value) {
    switch (attr) {
        case caFont:
            WordValue(rwF, FontNumber(value));
            break;
        case caSize:
            WordValue(rwFs, value);
            break;
        case caBold:
            WordFlag(rwB, value != 0);
            break;
        case caItalic:
            WordFlag(rwI, value != 0);
            break;
        case caStrike:
            WordFlag(rwStrike, value != 0);
            break;
        case caDoubleStrike:
            WordValue(rwStriked, value);
            break;
        case caUnderline:
            Word(UnderlineWord(value));
            break;
        case caUnderlineColor:
            WordValue(rwUlc, Color(value));
            break;
        case caCharStyle:
            break;
        case caSmallCaps:
            WordFlag(rwScaps, value != 0);
            break;
        case caAllCaps:
            WordFlag(rwCaps, value != 0);
            break;
        case caShadow:
            WordFlag(rwShad, value != 0);
            break;
        case caOutline:
            WordFlag(rwOutl, value != 0);
            break;
        case caEmboss:
            WordFlag(rwEmbo, value != 0);
            break;
        case caEngrave:
            WordFlag(rwImpr, value != 0);
            break;
        case caColor:
            WordValue(rwCf, Color(value));
            break;
        case caHighlight: {
            WordValue(rwChshdng, 0);
            WordValue(rwChcfpat, 0);
            const auto* end = std::end(HighlightColors);
            const auto* it = std::find(std::begin(HighlightColors), end, value);
            if (it != end && value != AutoColor) {
                WordValue(rwChcbpat, 0);
                WordValue(rwHighlight, Color(value));
            } else {
                WordValue(rwChcbpat, Color(value));
            }
            break;
        }
        case caScript:
            Word(value == 1 ? rwSuper : value == 2 ? rwSub : rwNosupersub);
            break;
        case caScale:
            WordValue(rwCharscalex, value);
            break;
        case caSpacing:
            WordValue(rwExpnd, value * 4 / 20);
            WordValue(rwExpndtw, value);
            break;
        case caOffset:
            if (value < 0)
                WordValue(rwDn, -2 * static_cast<std::int64_t>(value));
            else
                WordValue(rwUp, 2 * static_cast<std::int64_t>(value));
            break;
        case caKerning:
            WordValue(rwKerning, value);
            break;
        case caLanguage:
            WordValue(rwLang, value);
            break;
        default:
            break;
    }
}

void TRtfWriter::CharFormatDiff(const TCharFormat& target) {
    for (int attr = 0; attr < CharAttrCount; ++attr) {
        if (attr == caCharStyle || target[attr] == UnsetValue || target[attr] == WrittenChar[attr])
            continue;
        CharAttr(attr, target[attr]);
        WrittenChar[attr] = target[attr];
    }
}

void TRtfWriter::Border(std::string_view side, const TBorder& border, bool paragraph) {
    Word(side);
    if (border.Type == NoBorderType) {
        Word(rwBrdrnone);
        return;
    }
    const bool known = border.Type > 0 && border.Type < static_cast<std::int32_t>(std::size(BorderKindWords));
    Word(known ? BorderKindWords[border.Type] : "brdrs");
    WordValue(rwBrdrw, border.Width);
    if (border.Color != AutoColor)
        WordValue(rwBrdrcf, Color(border.Color));
    if (paragraph)
        WordValue(rwBrsp, border.Spacing);
}

void TRtfWriter::TableBorder(std::string_view side, const TTableBorder& border) {
    TBorder b;
    b.Type = border.Kind == 0 ? NoBorderType : border.Kind;
    b.Width = border.Width;
    b.Color = border.Color;
    Border(side, b, false);
}

void TRtfWriter::ParFormatDiff(const TParFormat& now, const TParFormat& old, bool styleSheet) {
    const auto differs = [&](int prop) {
        return !ParPropIsUnset(now, prop) && GetParProp(now, prop) != GetParProp(old, prop);
    };
    if (differs(ppFirstIndent))
        WordValue(rwFi, now.FirstIndent);
    if (differs(ppLeftIndent))
        WordValue(rwLi, now.LeftIndent);
    if (!ParPropIsUnset(now, ppLineSpacing) && (differs(ppLineSpacing) || differs(ppLineSpacingMultiple))) {
        WordValue(rwSl, now.LineSpacing);
        WordValue(rwSlmult, now.LineSpacingMultiple == 1 ? 1 : 0);
    }
    if (differs(ppRightIndent))
        WordValue(rwRi, now.RightIndent);
    if (differs(ppAlignment)) {
        static constexpr int AlignWords[] = {rwQl, rwQc, rwQr, rwQj};
        Word(AlignWords[std::clamp<int>(now.Alignment, 0, 3)]);
    }
    if (differs(ppKeepWithNext))
        Word(now.KeepWithNext != 0 ? rwKeepn : rwKeepnoff);
    if (differs(ppKeepTogether))
        Word(now.KeepTogether != 0 ? rwKeep : rwKeepoff);
    if (differs(ppPageBreakBefore))
        Word(now.PageBreakBefore != 0 ? rwPagebb : rwPagebboff);
    if (differs(ppWidowControl)) {
        if (styleSheet) {
            Word(now.WidowControl != 0 ? rwWidctlpar : rwNowidctlpar);
        } else {
            Word(rwNowidctlpar);
            if (now.WidowControl != 0)
                Word(rwWidctlpar);
        }
    }
    if (differs(ppNoHyphenation))
        WordFlag(rwHyphpar, now.NoHyphenation == 0);
    if (differs(ppSpaceBefore)) {
        if (now.SpaceBefore == AutoSpace) {
            WordValue(rwSb, AutoSpaceTwips);
            WordValue(rwSbauto, 1);
        } else {
            WordValue(rwSb, now.SpaceBefore);
            if (old.SpaceBefore == AutoSpace)
                WordValue(rwSbauto, 0);
        }
    }
    if (differs(ppSpaceAfter)) {
        if (now.SpaceAfter == AutoSpace) {
            WordValue(rwSa, AutoSpaceTwips);
            WordValue(rwSaauto, 1);
        } else {
            WordValue(rwSa, now.SpaceAfter);
            if (old.SpaceAfter == AutoSpace)
                WordValue(rwSaauto, 0);
        }
    }
    if (differs(ppContextualSpacing))
        WordFlag(rwContextualspace, now.ContextualSpacing != 0);
    if (differs(ppSuppressLineNumbers))
        WordFlag(rwNoline, now.SuppressLineNumbers != 0);
    if (differs(ppStyle))
        WordValue(rwS, now.Style);
    // The reader does not derive a paragraph's outline level from a heading
    // style, so the level is written for every paragraph.
    if (differs(ppOutlineLevel))
        WordValue(rwOutlinelevel, now.OutlineLevel);
    if (differs(ppTabs)) {
        for (const TRtfTabStop& stop : RtfTabTableStops(now.Tabs)) {
            if (InListTables)
                Word(rwJclisttab);
            if (stop.Alignment == TabBar) {
                WordValue(rwTb, stop.Position);
                continue;
            }
            if (stop.Alignment == TabCentre)
                Word(rwTqc);
            else if (stop.Alignment == TabRight)
                Word(rwTqr);
            else if (stop.Alignment == TabDecimal)
                Word(rwTqdec);
            else if (stop.Alignment == ListTabKind)
                Word(rwJclisttab);
            if (stop.Leader == TabLeaderDots)
                Word(rwTldot);
            else if (stop.Leader == TabLeaderHyphens)
                Word(rwTlhyph);
            else if (stop.Leader == TabLeaderUnderline)
                Word(rwTlul);
            WordValue(rwTx, stop.Position);
        }
    }
    if (differs(ppList) && now.List != 0) {
        const std::int32_t number = C.ListNumber(HandleTo<TAutoList>(static_cast<TObjectHandle>(now.List)));
        if (number > 0)
            WordValue(rwLs, number);
    }
    if (differs(ppListLevel))
        WordValue(rwIlvl, now.ListLevel);
    if (differs(ppInTable) && now.InTable != 0 && TablesWritten)
        Word(rwIntbl);
    if (differs(ppCollapsed) && now.Collapsed != 0)
        Word(rwCollapsedh);
    if (differs(ppBorders) && now.Borders > 0 && now.Borders < BorderSetCount()) {
        const TBorderSet& set = BorderSetAt(now.Borders);
        static constexpr std::string_view Sides[5] = {"brdrl", "brdrt", "brdrr", "brdrb", "brdrbtw"};
        static constexpr int Order[5] = {bsTop, bsLeft, bsBottom, bsRight, bsInside};
        for (const int side : Order)
            if (set.Borders[side].Type != NoBorderType)
                Border(Sides[side], set.Borders[side], true);
    }
    if (differs(ppShading) && now.Shading >= 0)
        WordValue(rwCbpat, Color(now.Shading));
}

// Writes the paragraph format against the written one: the differences
// alone when they can express the change and are not longer than a reset,
// else a reset and the differences against the default format.
bool TRtfWriter::ParFormat(const TParFormat& format) {
    if (ParFormatsEqual(format, WrittenPar))
        return false;
    int fromWritten = 0, fromDefault = 0;
    for (int prop = 0; prop < ParPropCount; ++prop) {
        if (GetParProp(format, prop) != GetParProp(WrittenPar, prop))
            ++fromWritten;
        if (GetParProp(format, prop) != GetParProp(DefaultParFormat, prop))
            ++fromDefault;
    }
    const TParFormat& w = WrittenPar;
    const bool inexpressible =
        (w.List != 0 && format.List == 0) || (w.KeepWithNext != 0 && format.KeepWithNext == 0) ||
        (w.KeepTogether != 0 && format.KeepTogether == 0) || (w.PageBreakBefore != 0 && format.PageBreakBefore == 0) ||
        (w.ContextualSpacing != 0 && format.ContextualSpacing == 0) ||
        (w.SuppressLineNumbers == 0 && format.SuppressLineNumbers != 0) ||
        (w.OutlineLevel != 9 && format.OutlineLevel == 9 && w.OutlineLevel != format.OutlineLevel) ||
        (w.Tabs > 0 && format.Tabs != w.Tabs) || (w.InTable != 0 && format.InTable == 0) ||
        (w.Collapsed != 0 && format.Collapsed == 0) || (w.Borders != format.Borders && w.Borders > 0) ||
        (w.Shading != format.Shading && w.Shading >= 0) || (w.ListLevel != format.ListLevel && format.List == 0);
    if (fromDefault >= fromWritten && !inexpressible) {
        ParFormatDiff(format, WrittenPar, false);
        WrittenPar = format;
    } else {
        ParFormatAfterPard(format);
    }
    return true;
}

void TRtfWriter::ParFormatAfterPard(const TParFormat& format) {
    Word(rwPard);
    TParFormat reset = DefaultParFormat;
    // The reader's reset leaves widow control as the document sets it:
    // the word always follows.
    reset.WidowControl = static_cast<std::int8_t>(format.WidowControl == 0 ? 1 : 0);
    ParFormatDiff(format, reset, false);
    WrittenPar = format;
}

// The drop cap that opens paragraph p when the paragraph is written from
// its start to at least the drop cap's end; nullptr otherwise, and for a
// drop cap the text cannot hold (which is written as the text it covers).
const TField* TRtfWriter::DropCapToWrite(std::int32_t p, std::int32_t to) const {
    if ((C.Options.Flags & svNoFields) != 0 || Doc.Par(p)->Format.InTable != 0 || Doc.StoryOfPar(p) != stMain)
        return nullptr;
    // The stream is read as it stands: saving leaves the paragraphs as
    // they are (TDoc::DropCapOfPar would put the stream in its canonical
    // form first).
    const TPar& par = *Doc.Par(p);
    const TField* cap = nullptr;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size && cap == nullptr; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
            break;
        if (e.Code == fcFieldStart)
            if (const TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                field != nullptr && field->Kind == fkDropCap)
                cap = field;
    }
    const TDropCapDescription* settings = DropCapSettings(cap);
    TFragment range;
    if (settings == nullptr || (settings->Position != 1 && settings->Position != 2) || !Doc.FieldRange(cap, range) ||
        range.Start.Par != p || range.Start.Offset != 0 || range.End.Par != p)
        return nullptr;
    if (to >= 0 && to < range.End.Offset)
        return nullptr;
    return cap;
}

// A drop cap's letters are a framed paragraph of their own in RTF, which
// the rest of the paragraph follows: the frame spans the drop cap's lines,
// stands beside the text's first lines (in the margin for position 2) and
// keeps with the paragraph it belongs to. The frame's words that have no
// meaning in this document ("pvpara", "phpg", "dfrmtxtx", "dfrmtxty") are
// written for other readers.
void TRtfWriter::DropCapFrame(const TDropCapDescription& settings, const TParFormat& format) {
    TParFormat frame = DefaultParFormat;
    Word(rwPard);
    if (const std::int32_t height = DropCapLineHeight(settings); height > 0) {
        WordValue(rwSl, -height);
        WordValue(rwSlmult, 0);
        frame.LineSpacing = static_cast<std::int16_t>(-std::min(height, 32767));
        frame.LineSpacingMultiple = 0;
    }
    WordValue(rwLi, format.LeftIndent);
    frame.LeftIndent = format.LeftIndent;
    if (format.PageBreakBefore != 0) {
        Word(rwPagebb);
        frame.PageBreakBefore = format.PageBreakBefore;
    }
    Word(rwKeepn);
    frame.KeepWithNext = 1;
    Word("pvpara");
    WordValue(rwDropcapli, settings.Lines);
    WordValue(rwDropcapt, settings.Position);
    if (settings.Position == 2)
        Word("phpg");
    if (settings.Distance > 0) {
        WordValue(rwDxfrtext, settings.Distance);
        WordValue("dfrmtxtx", settings.Distance);
        WordValue("dfrmtxty", 0);
    }
    frame.WidowControl = static_cast<std::int8_t>(0x80);
    WrittenPar = frame;
}

// --- Body ---

void TRtfWriter::PlainReset() {
    Word(rwPard);
    Word(rwPlain);
    WordValue(rwF, FontNumber(DefaultFont));
    WordValue(rwFs, DefaultCharFormat[caSize]);
    WrittenPar = DefaultParFormat;
    WrittenPar.WidowControl = static_cast<std::int8_t>(0x80);
    WrittenChar = DefaultCharFormat;
    WrittenChar[caFont] = DefaultFont;
    WrittenChar[caLanguage] = Doc.DefaultLanguage;
}

void TRtfWriter::Section(const TSection& section, bool first) {
    const TPageSetup& ps = section.PageSetup;
    const TSection* base = Doc.Sections.Count > 0 ? Doc.Sections.At<TSection>(0) : nullptr;
    const TPageSetup* bp = base != nullptr ? &base->PageSetup : nullptr;
    if (first) {
        WordValue(rwPaperw, ps.PageWidth);
        WordValue(rwPaperh, ps.PageHeight);
        WordValue(rwMargl, ps.LeftMargin);
        WordValue(rwMargr, ps.RightMargin);
        WordValue(rwMargt, ps.TopMargin);
        WordValue(rwMargb, ps.BottomMargin);
    } else if (bp != nullptr) {
        if (ps.PageWidth != bp->PageWidth)
            WordValue(rwPgwsxn, ps.PageWidth);
        if (ps.PageHeight != bp->PageHeight)
            WordValue(rwPghsxn, ps.PageHeight);
        if (ps.LeftMargin != bp->LeftMargin)
            WordValue(rwMarglsxn, ps.LeftMargin);
        if (ps.RightMargin != bp->RightMargin)
            WordValue(rwMargrsxn, ps.RightMargin);
        if (ps.TopMargin != bp->TopMargin)
            WordValue(rwMargtsxn, ps.TopMargin);
        if (ps.BottomMargin != bp->BottomMargin)
            WordValue(rwMargbsxn, ps.BottomMargin);
    }
    if (ps.Orientation == 1)
        Word(rwLndscpsxn);
    if (first && ps.MirrorMargins != 0)
        Word(rwMargmirror);
    if (first && ps.FacingPages != 0)
        Word(rwFacingp);
    if (ps.HeaderDistance != DefaultHeaderDistance)
        WordValue(rwHeadery, ps.HeaderDistance);
    if (ps.FooterDistance != DefaultHeaderDistance)
        WordValue(rwFootery, ps.FooterDistance);
    if (ps.DifferentFirstPage != 0)
        Word(rwTitlepg);
    if (ps.EndnotesNotHere == 0)
        Word(rwEndnhere);
    static constexpr int PageNumberWords[] = {rwPgndec, rwPgnlcltr, rwPgnucltr, rwPgnlcrm, rwPgnucrm};
    Word(PageNumberWords[std::min<int>(section.PageNumberStyle, 4)]);
    if (section.PageNumberStart < 0) {
        Word(rwPgncont);
    } else {
        Word(rwPgnrestart);
        WordValue(rwPgnstarts, section.PageNumberStart);
    }
    const TSectionFormat& f = section.Format;
    // The gap is kept even for one column, for the day the section gets
    // more.
    if (f.ColumnSpacing != DefaultColumnGap)
        WordValue(rwColsx, f.ColumnSpacing);
    if (f.ColumnCount > 1) {
        WordValue(rwCols, f.ColumnCount);
        if (f.EqualColumns == 0) {
            for (std::int32_t c = 0; c < f.ColumnCount && c < 64; ++c) {
                WordValue(rwColno, c + 1);
                WordValue(rwColw, f.ColumnTable[c][1]);
                if (c + 1 < f.ColumnCount)
                    WordValue(rwColsr, f.ColumnTable[c][2]);
            }
        }
        if (f.LineBetween != 0)
            Word(rwLinebetcol);
    }
    HeadersFooters(section, first);
    const TNoteSettings& foot = section.FootnoteSettings;
    if (foot.Position == 1)
        Word(rwSftnbj);
    else if (foot.Position == 2)
        Word(rwSftntj);
    WordValue(rwSftnstart, foot.StartNumber);
    const std::int32_t footRestart = foot.Restart & 0xFF;
    Word(footRestart == 0 ? rwSftnrstcont : footRestart == 1 ? rwSftnrestart : rwSftnrstpg);
    Word(std::string("sftn") + NoteFormatSuffix(foot.NumberFormat));
    const TNoteSettings& end = section.EndnoteSettings;
    WordValue(rwSaftnstart, end.StartNumber);
    Word((end.Restart & 0xFF) == 1 ? rwSaftnrestart : rwSaftnrstcont);
    Word(std::string("saftn") + NoteFormatSuffix(end.NumberFormat));
    if (ps.LineNumberStep > 0) {
        WordValue(rwLinemod, ps.LineNumberStep);
        if (ps.LineNumberDistance != 0)
            WordValue(rwLinex, ps.LineNumberDistance);
        if (ps.LineNumberStart > 1)
            WordValue(rwLinestarts, ps.LineNumberStart);
        if (ps.LineNumberRestart == 1)
            Word(rwLinerestart);
        else if (ps.LineNumberRestart == 2)
            Word(rwLinecont);
    }
    // A whole document holds every section up to its end.
    if (C.Options.WholeDocument)
        Word(rwSectfullsaved);
}

void TRtfWriter::SectionBreakKind(const TSection& section) {
    switch (section.Format.BreakKind) {
        case 0:
            Word(rwSbknone);
            break;
        case 2:
            Word(rwSbkeven);
            break;
        case 3:
            Word(rwSbkodd);
            break;
        default:
            break;
    }
}

void TRtfWriter::RowDefinition(std::int32_t p) {
    const TTableRow* row = TableRowOf(Doc, p);
    if (row == nullptr)
        return;
    const TTableRowData& r = row->Data;
    Word(rwTrowd);
    if (r.HeaderRow != 0)
        Word(rwTrhdr);
    if (r.KeepTogether != 0)
        Word(rwTrkeep);
    if (r.Alignment == taCentre)
        Word(rwTrqc);
    else if (r.Alignment == taRight)
        Word(rwTrqr);
    WordValue(rwTrgaph, r.Padding[0]);
    WordValue(rwTrleft, r.LeftEdge);
    if (r.Height != 0)
        WordValue(rwTrrh, r.Height);
    if (r.PreferredWidth != 0) {
        Raw("\\trftsWidth2\\trwWidth");
        Number(r.PreferredWidth);
        Delimit = true;
    }
    if (r.Background != AutoColor)
        WordValue(rwTrcbpat, Color(r.Background));
    static constexpr int PadWords[4][2] = {
        {rwTrpaddfl, rwTrpaddl}, {rwTrpaddft, rwTrpaddt}, {rwTrpaddfr, rwTrpaddr}, {rwTrpaddfb, rwTrpaddb}};
    for (const int side : {3, 0, 2, 1}) {
        WordValue(PadWords[side][0], 3);
        WordValue(PadWords[side][1], r.Padding[side]);
    }
    for (std::int32_t c = 0; c < r.CellCount && c < MaxTableCells; ++c) {
        const TTableCell& cell = r.Cells[c];
        if (cell.Merged != 0)
            Word(cell.FirstOfMerge != 0 ? rwClvmgf : rwClvmrg);
        if (cell.RelativeWidth != 0)
            Word(rwClrltvwdth);
        TableBorder("clbrdrt", cell.Borders[1]);
        TableBorder("clbrdrl", cell.Borders[0]);
        TableBorder("clbrdrb", cell.Borders[3]);
        TableBorder("clbrdrr", cell.Borders[2]);
        if (cell.Padding[0] != UnsetValue) {
            WordValue(rwClpadl, cell.Padding[0]);
            WordValue(rwClpadt, cell.Padding[1]);
            WordValue(rwClpadb, cell.Padding[3]);
            WordValue(rwClpadr, cell.Padding[2]);
            WordValue(rwClpadfl, 3);
            WordValue(rwClpadft, 3);
            WordValue(rwClpadfb, 3);
            WordValue(rwClpadfr, 3);
        }
        if (cell.VerticalAlignment == 1)
            Word(rwClvertalc);
        else if (cell.VerticalAlignment == 2)
            Word(rwClvertalb);
        if (cell.Background != AutoColor)
            WordValue(rwClcbpat, Color(cell.Background));
        WordValue(rwCellx, cell.RightEdge);
    }
}

void TRtfWriter::FieldMark(bool start, const TField* field) {
    if ((C.Options.Flags & svNoFields) != 0 || field == nullptr)
        return;
    switch (field->Kind) {
        case fkCode:
            if (start) {
                Push();
                Raw("{{");
                Word(rwField);
                Raw("{\\*");
                Word(rwFldinst);
                Raw("{");
                WordValue(rwF, FontNumber(WrittenChar[caFont]));
                Raw("  ");
                EscapedWide(field->Instruction);
                Raw(" }}{");
                Word(rwFldrslt);
                Raw("{");
                WordValue(rwF, FontNumber(WrittenChar[caFont]));
                OpenFields.push_back(field);
            } else {
                const auto it = std::find(OpenFields.begin(), OpenFields.end(), field);
                if (it == OpenFields.end())
                    return;
                OpenFields.erase(it);
                Raw("}}}}");
                Pop();
            }
            break;
        case fkNoteRef: {
            const bool endnote = field->Partner != nullptr && field->Partner->Endnote != 0;
            const bool ownMark = (field->Flags & ffAutoNumber) == 0 && !StartsWithNoteNumber(field);
            if (start && ownMark) {
                Push();
                Brace('{');
                OpenFields.push_back(field);
                WordValue(rwCs, CharStyleBase + 1 + (endnote ? 1 : 0));
                PendingNote = field->Partner;
                NoteAfterMark = true;
            } else if (start) {
                WordValue(rwCs, CharStyleBase + 1 + (endnote ? 1 : 0));
                PendingNote = field->Partner;
                NoteAfterMark = false;
            } else if (const auto it = std::find(OpenFields.begin(), OpenFields.end(), field); it != OpenFields.end()) {
                OpenFields.erase(it);
                Brace('}');
                Pop();
                if (PendingNote != nullptr)
                    Note(PendingNote);
            } else if (ownMark) {
                // The range began inside the mark: its note was not taken.
                break;
            } else {
                if (PendingNote != nullptr)
                    Note(PendingNote);
                WordValue(rwCs, CharStyleBase);
            }
            break;
        }
        case fkNoteNumber:
            if (start)
                WordValue(rwCs, CharStyleBase + (Doc.StoryOfPar(CurrentPar) == stEndnotes ? 2 : 1));
            else
                WordValue(rwCs, CharStyleBase);
            break;
        case fkBookmark:
            if (field->Flags == 0)
                StarDestination(start ? rwBkmkstart : rwBkmkend, field->GetName());
            break;
        default:
            break;
    }
}

// Whether a note reference's text begins with the automatic note number,
// whatever its flags say.
bool TRtfWriter::StartsWithNoteNumber(const TField* reference) const {
    TFragment range;
    if (!Doc.FieldRange(reference, range) || range.Start.Par < 0 || range.Start.Par >= Doc.ParCount())
        return false;
    const TPar& par = *Doc.Par(range.Start.Par);
    return range.Start.Offset >= 0 && range.Start.Offset < par.Chars.Size &&
           par.Chars.Data[range.Start.Offset] == chNoteRef;
}

// A note's text, right after its reference: the paragraphs of the note
// body, the last without its end mark, in a group of its own.
void TRtfWriter::Note(const TField* body) {
    PendingNote = nullptr;
    NoteAfterMark = false;
    TFragment range;
    if (body == nullptr || !Doc.FieldRange(body, range))
        return;
    const std::int32_t savedPar = CurrentPar;
    Push();
    Brace('{');
    Word(rwFootnote);
    if (body->Endnote != 0)
        Word(rwFtnalt);
    PlainReset();
    for (std::int32_t p = range.Start.Par; p <= range.End.Par && p < Doc.ParCount(); ++p) {
        const std::int32_t chars = Doc.Par(p)->CharCount();
        Paragraph(p, 0, p == range.End.Par ? std::max(0, chars - 1) : -1);
    }
    Brace('}');
    Pop();
    CurrentPar = savedPar;
}

// An inline picture in the form it was read in: its kind, its layout and
// sizes, and its own bytes unchanged as hexadecimal digits.
void TRtfWriter::Picture(const TShapePicture& p, const TShapeProps* props) {
    Brace('{');
    Word(rwPict);
    // An inline picture's drawing properties, unless they are a new
    // shape's (which a reader gives a picture without them).
    if (props != nullptr) {
        const TShape fresh(nullptr);
        if (props->Pairs != fresh.Props.Pairs) {
            std::string text;
            props->ToRtf(text);
            Raw("{\\*");
            Word(rwPicprop);
            Raw(text);
            Brace('}');
        }
    }
    switch (p.Kind) {
        case pkPng:
            Word(rwPngblip);
            break;
        case pkJpeg:
            Word(rwJpegblip);
            break;
        case pkEmf:
            Word(rwEmfblip);
            break;
        case pkWmf:
            WordValue(rwWmetafile, p.KindParam);
            break;
        case pkDib:
            WordValue("dibitmap", p.KindParam);
            break;
        case pkBitmap:
            WordValue("wbitmap", p.KindParam);
            WordValue("wbmbitspixel", p.BitsPerPixel);
            WordValue("wbmplanes", p.Planes);
            WordValue("wbmwidthbytes", p.WidthBytes);
            break;
        default:
            break;
    }
    if (p.PicWidth > 0)
        WordValue(rwPicw, p.PicWidth);
    if (p.PicHeight > 0)
        WordValue(rwPich, p.PicHeight);
    WordValue(rwPicwgoal, p.GoalWidth);
    WordValue(rwPichgoal, p.GoalHeight);
    if (p.ScaleX != 100)
        WordValue(rwPicscalex, p.ScaleX);
    if (p.ScaleY != 100)
        WordValue(rwPicscaley, p.ScaleY);
    const std::pair<const char*, std::int32_t> crops[] = {
        {"piccropl", p.CropLeft}, {"piccropt", p.CropTop}, {"piccropr", p.CropRight}, {"piccropb", p.CropBottom}};
    for (const auto& [word, value] : crops)
        if (value != 0)
            WordValue(word, value);
    Raw(" ");
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    // Lines of 128 digits keep the file readable; the reader passes over
    // the line breaks between pairs.
    constexpr std::size_t LineBytes = 64;
    hex.reserve(p.Data.size() * 2 + p.Data.size() / LineBytes * 2);
    for (std::size_t i = 0; i < p.Data.size(); ++i) {
        if (i > 0 && i % LineBytes == 0)
            hex += "\r\n";
        const auto b = static_cast<std::uint8_t>(p.Data[i]);
        hex.push_back(Digits[b >> 4]);
        hex.push_back(Digits[b & 15]);
    }
    Raw(hex);
    Brace('}');
}

// A floating picture as a drawing shape (the RTF specification 1.9.1,
// "Shapes"): its offsets, wrapping and stacking as words, its drawing
// properties as "sp" groups, its picture as the "pib" property.
void TRtfWriter::Shape(const TShape& shape) {
    const TShapeProps& props = shape.Props;
    TRect r = props.PosRect;
    if (!props.HasPosRect()) {
        const TShapePicture& p = shape.Picture;
        r = {0, 0, MulDiv(p.GoalWidth, p.ScaleX, 100), MulDiv(p.GoalHeight, p.ScaleY, 100)};
    }
    Brace('{');
    Word(rwShp);
    Raw("{\\*");
    Word(rwShpinst);
    WordValue(rwShpleft, r.Left);
    WordValue(rwShptop, r.Top);
    WordValue(rwShpright, r.Right);
    WordValue(rwShpbottom, r.Bottom);
    WordValue(rwShpfhdr, shape.Story == stHeadersFooters ? 1 : 0);
    WordValue(rwShpwr, props.WrapKind);
    WordValue(rwShpwrk, props.WrapSide);
    WordValue(rwShpz, props.ZOrder);
    WordValue("shpfblwtxt", shape.IsBehindText() ? 1 : 0);
    Word("shpbxignore");
    Word("shpbyignore");
    std::string text;
    props.ToRtf(text);
    Raw(text);
    if (!props.WrapPolygon.empty())
        Raw("{\\sp{\\sn pWrapPolygonVertices}{\\sv " + props.WrapPolygonToRtf() + "}}");
    Raw("{\\sp{\\sn pib}{\\sv ");
    Picture(shape.Picture);
    Raw("}}}}");
}

void TRtfWriter::HeaderFooter(const TField* field, int word, bool firstSection) {
    TFragment range;
    if (field == nullptr || !Doc.FieldRange(field, range))
        return;
    const bool empty = range.Start.Par == range.End.Par && Doc.Par(range.Start.Par)->CharCount() <= 1;
    if (empty && firstSection)
        return;
    const std::int32_t savedPar = CurrentPar;
    Push();
    Brace('{');
    Word(word);
    PlainReset();
    for (std::int32_t p = range.Start.Par; p <= range.End.Par && p < Doc.ParCount(); ++p)
        Paragraph(p, 0, -1);
    Brace('}');
    Pop();
    CurrentPar = savedPar;
}

void TRtfWriter::HeadersFooters(const TSection& section, bool first) {
    if ((C.Options.Flags & svNoFields) != 0)
        return;
    const auto isEmpty = [&](const TField* field) {
        TFragment range;
        return field == nullptr || !Doc.FieldRange(field, range) ||
               (range.Start.Par == range.End.Par && Doc.Par(range.Start.Par)->CharCount() <= 1);
    };
    const TField* const* hf = section.HeadersFooters;
    const TSection* previous = PreviousSection;
    PreviousSection = &section;
    const auto write = [&](int slot, int word) {
        if (previous == nullptr || previous->HeadersFooters[slot] != hf[slot])
            HeaderFooter(hf[slot], word, first);
    };
    // Without left pages of their own, one header serves every page.
    if (hf[hfEvenHeader] == nullptr || (isEmpty(hf[hfEvenHeader]) && first)) {
        write(hfOddHeader, rwHeader);
    } else {
        write(hfOddHeader, rwHeaderr);
        write(hfEvenHeader, rwHeaderl);
    }
    write(hfFirstHeader, rwHeaderf);
    if (hf[hfEvenFooter] == nullptr || (isEmpty(hf[hfEvenFooter]) && first)) {
        write(hfOddFooter, rwFooter);
    } else {
        write(hfOddFooter, rwFooterr);
        write(hfEvenFooter, rwFooterl);
    }
    write(hfFirstFooter, rwFooterf);
}

void TRtfWriter::Special(std::uint8_t code) {
    switch (code) {
        case chParEnd:
            if (RawText) {
                Raw("\\\r");
            } else {
                Word(rwPar);
            }
            break;
        case chColumnBreak:
            Word(rwColumn);
            break;
        case chLineBreak:
            Word(rwLine);
            break;
        case chPageBreak:
            Word(rwPage);
            break;
        case chTab:
            Word(rwTab);
            break;
        case chNoBreakSpace:
            Raw("\\~");
            break;
        case chNonBreakingHyphen:
            Raw("\\_");
            break;
        case chSoftHyphen:
            Raw("\\-");
            break;
        case chEmDash:
            Word(rwEmdash);
            break;
        case chEnDash:
            Word(rwEndash);
            break;
        case chNoteRef:
            Word(rwChftn);
            break;
        case chEnSpace:
        case chEmSpace:
        case chQuarterEmSpace: {
            const int value = code == chEnSpace ? 8194 : code == chEmSpace ? 8195 : 8197;
            WordValue(rwU, value);
            Raw("  ");
            break;
        }
        default:
            break;
    }
}

// Whether two formats write alike (the character style is never written).
bool SameWrittenFormat(const TCharFormat& a, const TCharFormat& b) {
    for (int attr = 0; attr < CharAttrCount; ++attr)
        if (attr != caCharStyle && a[attr] != b[attr])
            return false;
    return true;
}

bool TakesPosition(const TStreamElement& e) {
    return !e.IsControl || ControlTakesPosition(e.Code);
}

// Whether the characters from the element at 'at' on keep the format
// 'format' up to a character that is back in the written format, within the
// paragraph and without a field, note or table mark between: that stretch
// is then written as a group, which the reader closes by itself. Only the
// formats of characters count, never where a control stands, so that a
// document read back from its saved form writes the same bytes.
bool TRtfWriter::TemporaryRun(const std::uint8_t* data,
                              std::int32_t size,
                              std::int32_t at,
                              std::int32_t end,
                              const TCharFormat& format) {
    TCharFormat f = format;
    TStreamElement e;
    ReadStreamElement(data, size, at, e);
    for (std::int32_t i = at + e.Length; i < end; i += e.Length) {
        ReadStreamElement(data, size, i, e);
        if (e.Truncated)
            return false;
        if (e.IsControl && e.Code <= fcLastCharAttr) {
            f[e.Code] = e.Value;
            continue;
        }
        if (!TakesPosition(e) || (e.IsControl && e.Code != fcSpecialChar && e.Code != fcUnicodeChar))
            return false;
        // The paragraph end may close the stretch, never continue it.
        const bool parEnd = e.IsControl && e.Code == fcSpecialChar && e.Value == chParEnd;
        if (SameWrittenFormat(f, format)) {
            if (parEnd)
                return false;
            continue;
        }
        return SameWrittenFormat(f, WrittenChar);
    }
    return false;
}

void TRtfWriter::Paragraph(std::int32_t p, std::int32_t from, std::int32_t to) {
    CurrentPar = p;
    TPar& par = *Doc.Par(p);
    const bool whole = from == 0;
    const TField* dropCap = whole ? DropCapToWrite(p, to) : nullptr;
    const std::uint8_t* data = par.Stream.Data;
    const std::int32_t size = par.Stream.Size;
    if (dropCap != nullptr) {
        DropCapFrame(*DropCapSettings(dropCap), par.Format);
    } else {
        if (TablesWritten && par.Format.InTable != 0 && whole) {
            const bool firstOfRow =
                p == 0 || Doc.Par(p - 1)->Format.InTable == 0 || IsRowEnd(Doc, p - 1) || p == C.Options.Range.Start.Par;
            if (firstOfRow && !IsRowEnd(Doc, p))
                RowDefinition(p);
        }
        ParFormat(par.Format);
    }
    // The stream offsets of the first and last characters written.
    const std::int32_t startAt = from == 0 ? 0 : par.StreamOffsetOfChar(from);
    const std::int32_t endAt = to < 0 || to >= par.CharCount() ? size : par.StreamOffsetOfChar(to);
    // The stream's format: from the default at the paragraph's start, with
    // the controls before the start offset applied.
    TCharFormat current = DefaultCharFormat;
    TStreamElement e;
    for (std::int32_t i = 0; i < startAt; i += e.Length) {
        ReadStreamElement(data, size, i, e);
        if (e.IsControl && !e.Truncated && e.Code <= fcLastCharAttr)
            current[e.Code] = e.Value;
    }
    bool groupOpen = false;
    for (std::int32_t i = startAt; i < endAt;) {
        ReadStreamElement(data, size, i, e);
        if (e.Truncated)
            break;
        if (e.IsControl && e.Code <= fcLastCharAttr) {
            current[e.Code] = e.Value;
            i += e.Length;
            continue;
        }
        // Formats are written where a character takes them.
        if (TakesPosition(e) && !SameWrittenFormat(current, WrittenChar)) {
            if (groupOpen) {
                Brace('}');
                Pop();
                groupOpen = false;
            }
            if (!SameWrittenFormat(current, WrittenChar)) {
                if (TemporaryRun(data, size, i, endAt, current)) {
                    Push();
                    Brace('{');
                    groupOpen = true;
                }
                CharFormatDiff(current);
            }
        }
        if (!e.IsControl) {
            // A pending note follows its reference's character at once.
            const std::int32_t runEnd = std::min(NoteAfterCharacter() ? i + 1 : i + e.Length, endAt);
            if (!SkipResult)
                EscapedNarrow(
                    std::string_view(reinterpret_cast<const char*>(data + i), static_cast<std::size_t>(runEnd - i)),
                    RawText);
            i = runEnd;
            continue;
        }
        i += e.Length;
        switch (e.Code) {
            case fcSpecialChar:
                // The reader gives the text its final paragraph end mark
                // itself; writing it would add an empty paragraph.
                if (!(e.Value == chParEnd && p == LastPar && i >= size))
                    Special(static_cast<std::uint8_t>(e.Value));
                if (NoteAfterCharacter())
                    Note(PendingNote);
                break;
            case fcUnicodeChar:
                if (!SkipResult) {
                    WordValue(rwU, static_cast<std::int16_t>(e.Value & 0xFFFF));
                    C.AppendByte('?');
                    Delimit = false;
                }
                if (NoteAfterCharacter())
                    Note(PendingNote);
                break;
            case fcSectionBreak: {
                // Sections belong to the main text. Only damaged input puts
                // a break in another story, and writing the next section's
                // headers from inside a header would never end.
                if (Doc.StoryOfPar(CurrentPar) != stMain)
                    break;
                Word(rwSect);
                Word(rwSectd);
                const TSection* ending = SectionOfHandle(e.Value);
                const std::int32_t index = ending != nullptr ? Doc.Sections.IndexOf(ending) : -1;
                if (index >= 0 && index + 1 < Doc.Sections.Count)
                    Section(*Doc.Sections.At<TSection>(index + 1), false);
                if (ending != nullptr)
                    SectionBreakKind(*ending);
                break;
            }
            case fcCellEnd:
                Word(rwCell);
                break;
            case fcRowEnd:
                Word(rwRow);
                break;
            case fcShapeAnchor:
                // Shapes without a picture carry nothing the writer can
                // write yet.
                if (const auto* shape = HandleTo<TShape>(static_cast<TObjectHandle>(e.Value));
                    shape != nullptr && shape->Picture.Kind != pkNone) {
                    if (shape->IsFloating())
                        Shape(*shape);
                    else
                        Picture(shape->Picture, &shape->Props);
                }
                break;
            case fcFieldStart:
            case fcFieldEnd: {
                const TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                if (dropCap != nullptr && field == dropCap && e.Code == fcFieldEnd) {
                    // The frame of the letters ends; the paragraph goes on
                    // in its own format.
                    if (groupOpen) {
                        Brace('}');
                        Pop();
                        groupOpen = false;
                    }
                    Word(rwPar);
                    ParFormatAfterPard(par.Format);
                    break;
                }
                FieldMark(e.Code == fcFieldStart, field);
                break;
            }
            default:
                break;
        }
    }
    if (groupOpen) {
        Brace('}');
        Pop();
    }
    if (!RawText)
        Raw("\r\n");
}

void TRtfWriter::Body() {
    const TFragment& range = C.Options.Range;
    TablesWritten = (C.Options.Flags & svSelectedShapes) == 0 && Doc.TableRowList.Count > 0;
    if (Doc.StoryOfPar(range.Start.Par) == stMain && Doc.Sections.Count > 0)
        Section(*Doc.Sections.At<TSection>(0), true);
    WordValue(rwFet, C.HasEndnotes ? 1 : 0);
    PlainReset();
    const std::int32_t first = range.Start.Par;
    const std::int32_t last = range.End.Par;
    if (C.Options.WholeDocument)
        LastPar = last;
    for (std::int32_t p = first; p <= last && p < Doc.ParCount(); ++p) {
        const std::int32_t from = p == first ? range.Start.Offset : 0;
        const std::int32_t to = p == last ? range.End.Offset : -1;
        Paragraph(p, from, to);
        ++C.ParCounter;
    }
    while (!OpenFields.empty())
        FieldMark(false, OpenFields.back());
}

void TRtfWriter::Run() {
    TDoc& doc = Doc;
    const bool narrowOnly = !C.UsesEastAsianFont;
    RawText = C.Options.Target == stOwnFile &&
              (RtfSaveSettings().Supercompact || C.Options.Format == sfmtEncrypted || C.Options.SafeCopy) && narrowOnly;
    DefaultFont = DefaultCharFormat[caFont];
    if (doc.Styles != nullptr && doc.Styles->Count > 0) {
        TCharFormat normal = UnsetCharFormat;
        doc.Styles->Style(0)->ResolveFormat(&normal, nullptr, 0);
        if (normal[caFont] != UnsetValue)
            DefaultFont = normal[caFont];
    }
    if (std::find(C.Fonts.begin(), C.Fonts.end(), DefaultFont) == C.Fonts.end()) {
        C.Fonts.push_back(DefaultFont);
        std::sort(C.Fonts.begin(), C.Fonts.end());
    }
    NumberFonts();
    Raw("{\\rtf1\\ansi");
    Delimit = true;
    WordValue(rwDeflang, doc.DefaultLanguage);
    const bool saveRaw = RawText;
    RawText = false;
    FontTable();
    RawText = saveRaw;
    ColorTable();
    if (doc.Styles != nullptr && doc.Styles->Count > 0)
        StyleSheet();
    ListTables();
    Info();
    DocumentProperties();
    Body();
    Brace('}');
    C.Flush();
}

}  // namespace

int WriteRtf(TSaveContext& context) {
    TRtfWriter writer(context);
    writer.Run();
    return 0;
}
