#include "files/transfer/Paste.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "base/text/WideText.h"
#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldUpdate.h"
#include "editing/formatting/Formatting.h"
#include "editing/lists/ListOperations.h"
#include "editing/tables/TableStructure.h"
#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "files/opening/OpenDocument.h"
#include "files/rtf/RtfPictures.h"
#include "files/saving/SaveToFormat.h"
#include "files/text/PlainTextWriter.h"
#include "files/transfer/InsertDocument.h"
#include "files/transfer/TablePaste.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/host/FontQueries.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/OperationWorkers.h"
#include "model/undo/ShapeOperations.h"
#include "platform/Clipboard.h"
#include "platform/ClipboardSource.h"

namespace {

constexpr std::string_view NoteEndMessage =
    "This operation is not possible when the selection includes the last paragraph mark of a footnote/endnote.";

// The loading context of the content, as state flags of the hidden
// document, for the readers.
enum : std::uint8_t {
    sfPasteOutsideMain = 55,
    sfPasteIntoHeaders = 56,
    sfPasteIntoNotes = 57,
    sfPasteIntoTable = 58,
    sfPasteFlattenTables = 59,
    sfPasteOverCells = 67,
};

// The field types whose results the program keeps up to date by itself;
// an inserted file's fields of these types are updated after it.
const TFieldTypeSet AutoUpdatedFieldTypes{
    ftStyleRef,   ftTitle,     ftSubject,  ftAuthor,       ftKeywords, ftComments, ftLastSavedBy, ftCreateDate,
    ftSaveDate,   ftPrintDate, ftNumPages, ftNumWords,     ftNumChars, ftFileName, ftDate,        ftTime,
    ftPageNumber, ftPageRef,   ftSection,  ftSectionPages, ftFileSize, ftNoteRef};

// Encoding code of UTF-16 little-endian (TextEncodings.h).
constexpr std::int32_t Utf16LittleEndian = 2;

Platform::TClipboardSource* InstalledClipboard = nullptr;
const TClipboardHistoryItem* HistoryItem = nullptr;
// The history item whose content is being loaded, for the readers.
const TClipboardHistoryItem* LoadingHistoryItem = nullptr;

// The bytes of a clipboard format: the attached history item's when it was
// kept in that format, else the clipboard's.
std::optional<std::vector<std::uint8_t>> ClipboardBytes(std::uint32_t format) {
    if (HistoryItem != nullptr && format == HistoryItem->Format)
        return HistoryItem->Data;
    return PasteClipboard().Data(format);
}
TDroppedFilesHandler DroppedFilesHandler = nullptr;

std::string Utf8WithMark(std::u16string_view text) {
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

// UTF-16 clipboard text up to its terminating null.
std::u16string ClipboardUnicode(const std::vector<std::uint8_t>& bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

// 8-bit clipboard text up to its terminating null.
std::string ClipboardAnsi(const std::vector<std::uint8_t>& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

// HTML as its text: there is no HTML reader yet, so the markup is dropped,
// block ends become line ends and the common character references are
// decoded.
std::u16string HtmlAsText(std::string_view html) {
    std::string text;
    std::size_t i = 0;
    auto startsWithTag = [&](std::size_t at, std::string_view name) {
        if (at + name.size() > html.size())
            return false;
        for (std::size_t k = 0; k < name.size(); ++k) {
            char c = html[at + k];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != name[k])
                return false;
        }
        const std::size_t after = at + name.size();
        return after >= html.size() || html[after] == '>' || html[after] == ' ' || html[after] == '/';
    };
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            for (std::string_view skipped : {"script", "style"}) {
                if (startsWithTag(i + 1, skipped)) {
                    const std::string close = "</" + std::string(skipped);
                    const std::size_t end = html.find(close, i);
                    i = end == std::string_view::npos ? html.size() : end;
                    break;
                }
            }
            const bool lineEnd = startsWithTag(i + 1, "br") || startsWithTag(i + 1, "/p") ||
                                 startsWithTag(i + 1, "/div") || startsWithTag(i + 1, "/li") ||
                                 startsWithTag(i + 1, "/tr") || startsWithTag(i + 1, "/h1") ||
                                 startsWithTag(i + 1, "/h2") || startsWithTag(i + 1, "/h3");
            const std::size_t end = html.find('>', i);
            i = end == std::string_view::npos ? html.size() : end + 1;
            if (lineEnd)
                text += "\r\n";
            continue;
        }
        if (c == '&') {
            const std::size_t semi = html.find(';', i);
            if (semi != std::string_view::npos && semi - i <= 10) {
                const std::string_view name = html.substr(i + 1, semi - i - 1);
                std::u16string decoded;
                if (name == "amp")
                    decoded = u"&";
                else if (name == "lt")
                    decoded = u"<";
                else if (name == "gt")
                    decoded = u">";
                else if (name == "quot")
                    decoded = u"\"";
                else if (name == "apos")
                    decoded = u"'";
                else if (name == "nbsp")
                    decoded = u"\u00A0";
                else if (name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x' || name[1] == 'X';
                    std::uint32_t value = 0;
                    bool good = name.size() > (hex ? 2u : 1u);
                    for (std::size_t k = hex ? 2 : 1; k < name.size() && good; ++k) {
                        const char d = name[k];
                        const int digit = d >= '0' && d <= '9'          ? d - '0'
                                          : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                                          : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                                        : -1;
                        good = digit >= 0 && value < 0x110000;
                        value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(std::max(digit, 0));
                    }
                    if (good && value > 0 && value < 0x10000)
                        decoded.push_back(static_cast<char16_t>(value));
                }
                if (!decoded.empty()) {
                    text += WideToUtf8(decoded);
                    i = semi + 1;
                    continue;
                }
            }
        }
        if (c == '\r' || c == '\n' || c == '\t')
            text += ' ';
        else
            text += c;
        ++i;
    }
    return Utf8ToWide(text);
}

// The address of an Internet shortcut: the text after "URL=" on the line
// that begins with it; empty when there is none. Control characters end
// it, so that no line end or null travels into the link.
std::string ShortcutAddress(std::string_view shortcut) {
    constexpr std::string_view Key = "URL=";
    std::size_t line = 0;
    while (line < shortcut.size()) {
        std::size_t end = shortcut.find_first_of("\r\n", line);
        if (end == std::string_view::npos)
            end = shortcut.size();
        const std::string_view text = shortcut.substr(line, end - line);
        if (text.substr(0, Key.size()) == Key) {
            std::string address(text.substr(Key.size()));
            const auto bad = std::find_if(address.begin(), address.end(),
                                          [](char c) { return static_cast<unsigned char>(c) < 0x20; });
            address.erase(bad, address.end());
            return address;
        }
        line = end + 1;
    }
    return {};
}

bool IsTextFormat(std::uint32_t format) {
    return format == Platform::CF_TEXT || format == Platform::CF_UNICODETEXT || format == Platform::CF_OEMTEXT;
}

// The registered formats paste reads, numbered by the clipboard in use.
struct TClipboardFormats {
    std::uint32_t Rtf = 0;
    std::uint32_t Html = 0;
    std::uint32_t FileGroup = 0;
    std::uint32_t FileContents = 0;
    std::uint32_t ColumnBlock = 0;
    std::uint32_t TableSelection = 0;
    std::uint32_t NonWholeWords = 0;

    explicit TClipboardFormats(Platform::TClipboardSource& clipboard)
        : Rtf(clipboard.RegisterFormat(RtfClipboardFormat)),
          Html(clipboard.RegisterFormat(HtmlClipboardFormat)),
          FileGroup(clipboard.RegisterFormat(FileGroupClipboardFormat)),
          FileContents(clipboard.RegisterFormat(FileContentsClipboardFormat)),
          ColumnBlock(clipboard.RegisterFormat(ColumnBlockClipboardFormat)),
          TableSelection(clipboard.RegisterFormat(TableSelectionClipboardFormat)),
          NonWholeWords(clipboard.RegisterFormat(NonWholeWordsClipboardFormat)) {}

    // The best format to paste: a link dragged from a browser, formatted
    // text, then text, then a picture; 0 when none is offered.
    std::uint32_t Best(Platform::TClipboardSource& clipboard, bool textOnly) const {
        if (!textOnly && FileGroup != 0 && FileContents != 0 && clipboard.HasFormat(FileGroup) &&
            clipboard.HasFormat(FileContents))
            return FileGroup;
        if (!textOnly) {
            for (std::uint32_t f : {Rtf, Html})
                if (f != 0 && clipboard.HasFormat(f))
                    return f;
        }
        for (std::uint32_t f : {Platform::CF_UNICODETEXT, Platform::CF_TEXT, Platform::CF_OEMTEXT})
            if (clipboard.HasFormat(f))
                return f;
        if (!textOnly && clipboard.HasFormat(Platform::CF_DIB))
            return Platform::CF_DIB;
        if (!textOnly && clipboard.HasFormat(Platform::CF_BITMAP))
            return Platform::CF_BITMAP;
        return 0;
    }
};

// Content documents take no final paragraph end mark: whether the content
// ended with a paragraph end decides whether the paste ends with one.
std::unique_ptr<TDoc> NewContentDoc() {
    return std::make_unique<TDoc>(true);
}

// The paragraph ends of formatted content: the readers close the last
// paragraph with a mark of their own, which is no part of the content
// (the mark of a row end is).
std::int32_t FormattedParEnds(const TDoc& content) {
    const std::int32_t count = content.StoryCounts[stMain];
    if (count <= 0)
        return 0;
    const TPar& last = *content.Par(count - 1);
    const bool ownMark = last.CharCount() > 0 && last.Chars.Data[last.CharCount() - 1] == chParEnd;
    return ownMark ? count - 1 : count;
}

// RTF written from a selection of shapes names it right after its header
// ("\\rtf1\\ansi\\shpsel"); the reader keeps no mark of it, so paste looks
// for the word among the first words of the data.
bool IsShapeSelectionRtf(const void* data, std::size_t size) {
    constexpr std::size_t HeaderReach = 64;
    const std::string_view head(static_cast<const char*>(data), std::min(size, HeaderReach));
    constexpr std::string_view Word = "\\shpsel";
    const std::size_t at = head.find(Word);
    if (at == std::string_view::npos)
        return false;
    const std::size_t after = at + Word.size();
    if (after < head.size() &&
        ((head[after] >= 'a' && head[after] <= 'z') || (head[after] >= 'A' && head[after] <= 'Z')))
        return false;
    // Only words may come before it: no text, no group of content.
    const std::size_t group = head.find_first_of("{}", 1);
    return group == std::string_view::npos || group > at;
}

// Opens bytes into the content document; false when the reader failed.
bool OpenContentBytes(TDoc& content,
                      TDoc& dest,
                      const void* data,
                      std::size_t size,
                      std::int32_t format,
                      TPasteLoadResult& result) {
    if (size == 0 || size > static_cast<std::size_t>(INT32_MAX))
        return false;
    TDocOpeningOptions options;
    options.Source = osMemory;
    options.Format = format;
    options.FileName = "clipboard";
    options.Data = data;
    options.DataSize = static_cast<std::int32_t>(size);
    options.NoQuestion = true;
    options.InsertTarget = &dest;
    if (!OpenDocument(content, options))
        return false;
    result.ParEnds = format == ffPlainText ? options.ParCount : FormattedParEnds(content);
    if (format == ffRtf && IsShapeSelectionRtf(data, size) && content.Shapes.Count > 0) {
        bool floating = true;
        for (std::int32_t i = 0; i < content.Shapes.Count && floating; ++i)
            floating = content.Shapes.At<TShape>(i)->IsFloating();
        result.ShapesOnly = floating;
    }
    return true;
}

// The available space for a picture: the caret page's text width and its
// height less the margins, in twips.
void AvailablePasteSize(TDoc& doc, std::int32_t& width, std::int32_t& height) {
    TPageSetup setup{};
    doc.GetCaretPageSetup(setup);
    width = setup.TextWidth > 0 ? setup.TextWidth : setup.PageWidth - setup.LeftMargin - setup.RightMargin;
    height = setup.PageHeight - setup.TopMargin - setup.BottomMargin;
}

std::int32_t RatioPercent(std::int32_t available, std::int32_t size) {
    return static_cast<std::int32_t>((std::int64_t{available} * 100 + size / 2) / size);
}

}  // namespace

void DropSelection(TDoc& doc) {
    if (doc.Selection == nullptr)
        return;
    doc.Selection->Reset();
    MakeFragmentFromPositions(doc.Caret, doc.Caret, doc.Selection->Fragment(0));
    doc.PostActions().Selection->Reset();
    doc.PostActions().Caret = doc.Caret;
}

std::int32_t ParTextLength(const TPar& par) {
    const std::int32_t n = par.CharCount();
    if (n == 0)
        return 0;
    const std::uint8_t last = par.Chars.Data[n - 1];
    return last == chParEnd || last == chCellEnd || last == chRowEnd || last == chSectionBreak ? n - 1 : n;
}

// Pictures shrink to fit the space and never grow: both axes take the
// smallest of 100 %, the width ratio and the height ratio.
void FitPictureScale(TShape& shape, std::int32_t availableWidth, std::int32_t availableHeight) {
    TShapePicture& picture = shape.Picture;
    std::int32_t scale = 100;
    if (picture.GoalWidth > 0 && availableWidth > 0)
        scale = std::min(scale, RatioPercent(availableWidth, picture.GoalWidth));
    if (picture.GoalHeight > 0 && availableHeight > 0)
        scale = std::min(scale, RatioPercent(availableHeight, picture.GoalHeight));
    scale = std::max(scale, 1);
    picture.ScaleX = scale;
    picture.ScaleY = scale;
}

void PlacePastedShapes(TDoc& dest, const std::vector<TShape*>& shapes, bool inTable) {
    // Two edges this close count as the same place; a repeated paste steps
    // this far away from the copies before it.
    constexpr std::int32_t SameEdge = 35;
    constexpr std::int32_t Step = 180;
    // A bound on the steps, far beyond any page, so that a crowded page
    // cannot keep the loop going.
    constexpr int MaxSteps = 1000;
    const int story = dest.StoryOfPar(std::min(dest.Caret.Par, dest.ParCount() - 1));
    std::vector<TRect> others;
    for (std::int32_t i = 0; i < dest.Shapes.Count; ++i) {
        const TShape* other = dest.Shapes.At<TShape>(i);
        if (other->IsFloating() && (other->ShapeFlags & sfShapeDeleted) == 0 && other->Story == story &&
            other->Props.PosRect.Left != ShapePropNone && other->Props.PosRect.Top != ShapePropNone)
            others.push_back(other->Props.PosRect);
    }
    auto near = [&](std::int32_t a, std::int32_t b) { return std::abs(static_cast<std::int64_t>(a) - b) <= SameEdge; };
    for (TShape* shape : shapes) {
        TRect& pos = shape->Props.PosRect;
        if (inTable) {
            pos = TRect{0, 0, 0, 0};
            continue;
        }
        if (pos.Left == ShapePropNone || pos.Top == ShapePropNone || pos.Right == ShapePropNone ||
            pos.Bottom == ShapePropNone)
            continue;
        for (int step = 0; step < MaxSteps; ++step) {
            bool right = false, down = false;
            for (const TRect& r : others) {
                right = right || near(pos.Left, r.Left) || near(pos.Right, r.Right);
                down = down || near(pos.Top, r.Top) || near(pos.Bottom, r.Bottom);
            }
            if (!right && !down)
                break;
            if (right) {
                pos.Left += Step;
                pos.Right += Step;
            }
            if (down) {
                pos.Top += Step;
                pos.Bottom += Step;
            }
        }
        others.push_back(pos);
    }
}

void AttachClipboardHistoryItem(const TClipboardHistoryItem* item) {
    HistoryItem = item;
}

const std::u16string* PasteSourceStrings() {
    return LoadingHistoryItem != nullptr ? LoadingHistoryItem->SourceStrings : nullptr;
}

void SetPasteClipboard(Platform::TClipboardSource* clipboard) {
    InstalledClipboard = clipboard;
}

Platform::TClipboardSource& PasteClipboard() {
    return InstalledClipboard != nullptr ? *InstalledClipboard : Platform::SystemClipboard();
}

TPasteOptions& PasteOptions() {
    static TPasteOptions options;
    return options;
}

void SetDroppedFilesHandler(TDroppedFilesHandler handler) {
    DroppedFilesHandler = handler;
}

namespace {

// Anchors a shape as the only character of the content document.
void AnchorAsOnlyChar(TDoc& content, TShape* shape) {
    TPar& par = *content.Par(0);
    par.Normalize();
    const std::int32_t length = ParTextLength(par);
    const std::int32_t at = length < par.CharCount() ? par.StreamOffsetOfChar(length) : par.Stream.Size;
    InsertFormatControl(par.Stream, at, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
    const std::uint8_t anchor = chShapeAnchor;
    par.Chars.InsertBuffer(&anchor, length, 1);
    par.Changed();
    shape->Story = stMain;
    shape->AnchorPar = &par;
    shape->AnchorOffset = 0;
}

bool LoadPasteFile(TDoc& dest, TDoc& content, const TPasteData& data, TPasteLoadResult& result) {
    if (PictureFileKind(data.FileName) >= 0) {
        TShape* shape = CreatePictureShape(content, data.FileName, pkfDetect, 0);
        if (shape == nullptr)
            return false;
        AnchorAsOnlyChar(content, shape);
        std::int32_t width = 0, height = 0;
        AvailablePasteSize(dest, width, height);
        FitPictureScale(*shape, width, height);
        result.Picture = true;
        result.Format = Platform::CF_DIB;
        result.ParEnds = 0;
        return true;
    }
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = data.FileFormat;
    options.FileName = data.FileName;
    options.OpenReadOnly = true;
    options.NoQuestion = true;
    options.InsertTarget = &dest;
    if (!OpenDocument(content, options))
        return false;
    // A formatted file pastes as RTF does, a plain-text file as text.
    result.PlainText = options.Format == ffPlainText;
    result.ParEnds = result.PlainText ? options.ParCount : FormattedParEnds(content);
    result.Format = result.PlainText ? Platform::CF_UNICODETEXT : 0;
    return true;
}

bool LoadClipboardData(TDoc& dest,
                       TDoc& content,
                       const TPasteData& data,
                       std::uint32_t format,
                       const TClipboardFormats* formats,
                       TPasteLoadResult& result) {
    if (data.Source == psRtfMemory) {
        if (data.RtfData == nullptr)
            return false;
        result.Format = formats != nullptr ? formats->Rtf : 0;
        return OpenContentBytes(content, dest, data.RtfData->Data, static_cast<std::size_t>(data.RtfData->Size), ffRtf,
                                result);
    }
    Platform::TClipboardSource& clipboard = PasteClipboard();
    if (formats != nullptr && format == formats->FileGroup) {
        // A link dragged from a browser: the file it offers is an Internet
        // shortcut whose "URL=" line holds the address.
        const auto contents = ClipboardBytes(formats->FileContents);
        if (!contents)
            return false;
        const std::string address = ShortcutAddress(ClipboardAnsi(*contents));
        if (address.empty())
            return false;
        result.Format = format;
        result.LinkAddress = Utf8ToWide(address);
        const std::string text = Utf8WithMark(result.LinkAddress);
        result.PlainText = true;
        return OpenContentBytes(content, dest, text.data(), text.size(), ffPlainText, result);
    }
    std::optional<std::vector<std::uint8_t>> bytes = ClipboardBytes(format);
    if (!bytes || bytes->empty())
        return false;
    result.Format = format;
    if (formats != nullptr && format == formats->Rtf)
        return OpenContentBytes(content, dest, bytes->data(), bytes->size(), ffRtf, result);
    std::string text;
    if (formats != nullptr && format == formats->Html) {
        std::string html;
        const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        if (!Platform::DecodeClipboardHtml(view, html).Good)
            html.assign(view);
        text = Utf8WithMark(HtmlAsText(html));
    } else if (format == Platform::CF_UNICODETEXT) {
        text = Utf8WithMark(ClipboardUnicode(*bytes));
    } else {
        text = ClipboardAnsi(*bytes);
    }
    result.PlainText = true;
    return OpenContentBytes(content, dest, text.data(), text.size(), ffPlainText, result);
}

bool LoadClipboardPicture(TDoc& dest, TDoc& content, std::uint32_t format, TPasteLoadResult& result) {
    std::optional<std::vector<std::uint8_t>> bytes = ClipboardBytes(format);
    if (!bytes || bytes->empty())
        return false;
    TShapePicture picture;
    if (format == Platform::CF_DIB || format == Platform::CF_BITMAP)
        picture.Kind = pkDib;
    else if (format == Platform::CF_ENHMETAFILE)
        picture.Kind = pkEmf;
    else
        return false;
    picture.Data.assign(bytes->begin(), bytes->end());
    if (!MeasurePicture(picture).Good || picture.PixelWidth <= 0 || picture.PixelHeight <= 0)
        return false;
    picture.GoalWidth = picture.PixelWidth * 15;
    picture.GoalHeight = picture.PixelHeight * 15;
    auto* shape = new TShape(&content);
    shape->Picture = std::move(picture);
    content.Shapes.Add(shape);
    AnchorAsOnlyChar(content, shape);
    std::int32_t width = 0, height = 0;
    AvailablePasteSize(dest, width, height);
    FitPictureScale(*shape, width, height);
    result.Picture = true;
    result.Format = format;
    result.ParEnds = 0;
    return true;
}

bool LoadPasteCharacter(TDoc& dest, TDoc& content, const TPasteData& data, TPasteLoadResult& result) {
    TCharFormat format = dest.TypingFormat;
    if (!data.FontName.empty() && FontManager != nullptr) {
        const std::int32_t font = FontManager->RegisterFont(data.FontName, 1, true);
        if (font >= 0)
            format[caFont] = font;
    }
    TPar& par = *content.Par(0);
    TMemory stream;
    AppendCharFormatControls(stream, format);
    if (data.CharacterIsByte != 0 || (data.Character >= 0x20 && data.Character < 0x80)) {
        const auto byte = static_cast<std::uint8_t>(data.Character);
        if (byte < 0x20)
            return false;
        stream.AppendByte(byte);
        par.Chars.InsertBuffer(&byte, 0, 1);
    } else {
        if (data.Character <= 0 || data.Character > 0xFFFF)
            return false;
        AppendFormatControl(stream, fcUnicodeChar, data.Character);
        const std::uint8_t code = chUnicode;
        par.Chars.InsertBuffer(&code, 0, 1);
    }
    par.Normalize();
    stream.AppendBuffer(par.Stream.Data, par.Stream.Size);
    par.Stream.Assign(stream);
    par.Changed();
    result.ParEnds = 0;
    result.Format = Platform::CF_UNICODETEXT;
    return true;
}

}  // namespace

std::unique_ptr<TDoc> LoadPasteContent(TDoc& dest,
                                       const TPasteData& data,
                                       bool plainTextMode,
                                       bool flattenTables,
                                       TPasteLoadResult& result) {
    result = TPasteLoadResult{};
    std::unique_ptr<TDoc> content = NewContentDoc();
    const int story = dest.StoryOfPar(std::min(dest.Caret.Par, dest.ParCount() - 1));
    content->StateFlags[sfPasteOutsideMain] = story != stMain;
    content->StateFlags[sfPasteIntoHeaders] = story == stHeadersFooters;
    content->StateFlags[sfPasteIntoNotes] = story == stFootnotes || story == stEndnotes;
    content->StateFlags[sfPasteIntoTable] = dest.Caret.Par < dest.ParCount() && InTablePar(dest, dest.Caret.Par);
    content->StateFlags[sfPasteFlattenTables] = flattenTables;
    content->StateFlags[sfPasteOverCells] = data.Kind == pkIntoSelectedCells;

    bool loaded = false;
    switch (data.Source) {
        case psFile:
            loaded = LoadPasteFile(dest, *content, data, result);
            break;
        case psCharacter:
            loaded = LoadPasteCharacter(dest, *content, data, result);
            break;
        case psRtfMemory:
            loaded = LoadClipboardData(dest, *content, data, 0, nullptr, result);
            break;
        default: {
            Platform::TClipboardSource& clipboard = PasteClipboard();
            const TClipboardFormats formats(clipboard);
            std::uint32_t format = data.ClipboardFormat;
            bool requested = format != 0 && clipboard.HasFormat(format);
            // A history item brings its own format; its source strings are
            // the readers' while it loads.
            const TClipboardHistoryItem* item = HistoryItem;
            if (item != nullptr) {
                format = item->Format;
                requested = true;
            } else if (!requested) {
                format = formats.Best(clipboard, plainTextMode);
            }
            if (format == 0)
                break;
            struct TLoadingItem {
                const TClipboardHistoryItem* Saved;
                ~TLoadingItem() { LoadingHistoryItem = Saved; }
            } loadingItem{LoadingHistoryItem};
            LoadingHistoryItem = item;
            const bool textLike =
                IsTextFormat(format) || format == formats.Rtf || format == formats.Html || format == formats.FileGroup;
            if (textLike) {
                loaded = LoadClipboardData(dest, *content, data, format, &formats, result);
                if (!loaded && !requested && clipboard.HasFormat(Platform::CF_DIB)) {
                    content = NewContentDoc();
                    loaded = LoadClipboardPicture(dest, *content, Platform::CF_DIB, result);
                }
            } else {
                loaded = LoadClipboardPicture(dest, *content, format, result);
            }
            break;
        }
    }
    if (!loaded)
        return nullptr;
    // Nothing loaded: one empty paragraph and no shape.
    if (content->ParCount() == 0 ||
        (content->StoryCounts[stMain] == 1 && ParTextLength(*content->Par(0)) == 0 && content->Shapes.Count == 0))
        return nullptr;
    if (plainTextMode)
        result.PlainText = true;
    if (PasteOptions().InsertFileMode) {
        for (std::int32_t i = 0; i < content->Fields.Count; ++i) {
            const TField* field = content->Fields.At<TField>(i);
            if (field->Kind == fkCode && AutoUpdatedFieldTypes.Has(field->Type)) {
                result.UpdatedFieldTypes.Add(field->Type);
                result.HasUpdatedFields = true;
            }
        }
    }
    // A picture takes the language at the caret.
    if (result.ParEnds > 0) {
        const std::int32_t mainCount = content->StoryCounts[stMain];
        for (std::int32_t p = 0; p < mainCount && !result.HasLists; ++p) {
            const std::int32_t list = content->Par(p)->Format.List;
            result.HasLists = list != 0 && list != UnsetValue;
        }
        bool whole = InTablePar(*content, 0);
        for (std::int32_t p = 0; whole && p < mainCount; ++p) {
            const bool last = p == mainCount - 1;
            if (!InTablePar(*content, p))
                whole = last && p > 0 && IsRowEnd(*content, p - 1) && ParTextLength(*content->Par(p)) == 0;
        }
        result.WholeTable = whole;
    }
    result.Failed = false;
    return content;
}

void PasteRangeAt(TDoc& dest, TDoc& content, const TFragment& range, const TTextPos& pos, bool plainText) {
    TFragment r = range;
    // A range ending on a row's end paragraph ends with the cell before it.
    if (r.End.Offset == 0 && r.End.Par > r.Start.Par && IsRowEnd(content, r.End.Par - 1)) {
        --r.End.Par;
        r.End.Offset = 0;
    }
    if (FragmentIsEmpty(r))
        return;
    TTextPos at = pos;
    if (at.Par < dest.ParCount() && IsRowEnd(dest, at.Par) && at.Par > 0) {
        at.Par -= 1;
        at.Offset = dest.Par(at.Par)->CharCount() - 1;
    }
    if (plainText) {
        TPlainTextWriteOptions options;
        options.Encoding = Utf16LittleEndian;
        options.FileTarget = false;
        options.FromPar = r.Start.Par;
        options.FromOffset = r.Start.Offset;
        options.ToPar = r.End.Par;
        options.ToOffset = r.End.Offset;
        const std::string bytes = WritePlainTextBytes(content, options);
        TMemory text;
        text.AppendBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        InsertText(dest, text, at, ifUtf16);
        return;
    }
    TMemory rtf;
    TDocSavingOptions saving;
    saving.Target = stMemory;
    saving.Output = &rtf;
    saving.Flags = svCopy | svNoRowEnd;
    saving.WholeDocument = false;
    saving.Range = r;
    if (SaveToFormat(content, saving) != srSaved)
        return;
    std::unique_ptr<TDoc> piece = NewContentDoc();
    piece->PushStateFlag(sfPasteFlattenTables);
    TPasteLoadResult loaded;
    const bool opened = OpenContentBytes(*piece, dest, rtf.Data, static_cast<std::size_t>(rtf.Size), ffRtf, loaded);
    piece->PopStateFlag();
    if (!opened)
        return;
    TMemory stream;
    InsertDocumentStream(dest, *piece, loaded.ParEnds, stream);
    if (stream.Size == 0)
        return;
    dest.UpdateTypingFormat(at, true);
    InsertFormatted(dest, stream, at, 0, dest.StoryOfPar(at.Par), loaded.ParEnds);
}

namespace {

class TPaster {
public:
    TPaster(TDoc& doc, const TPasteData& data) : Doc(doc), Data(data) {}
    void Run();

private:
    bool ClipboardHas(std::uint32_t format) {
        return Data.Source == psClipboard && format != 0 && PasteClipboard().HasFormat(format);
    }
    void SettleKind(const TPasteLoadResult& loaded, std::int32_t& kind);
    void PasteDocumentContent(TDoc& content, const TPasteLoadResult& loaded, std::int32_t kind);
    void PasteFloatingShapes(TDoc& content);
    void PasteLink(const std::u16string& address);
    void FitInsertedText(const TTextPos& start, const TParFormat& destPar, const TCharFormat& destFormat);
    void WrapSymbolCharacter(const TTextPos& start);
    void UpdatePastedFields(const TFieldTypeSet& types);
    void PasteEachRange();
    void PasteColumnBlock(TDoc& content, const TPasteLoadResult& loaded);
    std::uint8_t TableSelectionType();
    // The selection's first and last ranges lie in different cells.
    bool SpansCells() const {
        const TCompoundFragment& sel = *Doc.Selection;
        const TTextPos start = sel.Fragment(0).Start;
        TTextPos end = sel.Fragment(sel.Count() - 1).End;
        if (end.Offset == 0 && end.Par > start.Par)
            --end.Par;
        TFragment first, last;
        CellRange(Doc, start.Par, first);
        CellRange(Doc, std::min(end.Par, Doc.ParCount() - 1), last);
        return first.Start.Par != last.Start.Par;
    }

    TDoc& Doc;
    const TPasteData& Data;
    bool PlainTextMode = false;
    std::unique_ptr<TClipboardFormats> Formats;
};

std::uint8_t TPaster::TableSelectionType() {
    if (Formats == nullptr || !ClipboardHas(Formats->TableSelection))
        return 255;
    const auto bytes = PasteClipboard().Data(Formats->TableSelection);
    return bytes && !bytes->empty() ? (*bytes)[0] : 255;
}

void TPaster::SettleKind(const TPasteLoadResult& loaded, std::int32_t& kind) {
    if (loaded.ShapesOnly) {
        kind = pkPaste;
        return;
    }
    const bool hasSelection = Doc.HasSelection();
    const bool atCaret = (Data.Flags & pfAtCaret) != 0;
    const bool caretInTable = Doc.Caret.Par < Doc.ParCount() && InTablePar(Doc, Doc.Caret.Par);
    if (Formats != nullptr && Doc.EditedHeaderFooter == nullptr && Doc.StateFlags[sfStatusKept] == 0 &&
        ClipboardHas(Formats->ColumnBlock)) {
        kind = pkColumnBlock;
        return;
    }
    if (kind == pkPaste && !PlainTextMode &&
        ((!hasSelection && caretInTable) || (hasSelection && atCaret && caretInTable))) {
        const std::uint8_t type = TableSelectionType();
        std::vector<TTableRow*> rows;
        TFragment table;
        switch (type) {
            case 0:
                kind = pkCells;
                break;
            case 1:
                TableRows(Doc, Doc.Caret.Par, rows, table);
                kind = !rows.empty() && TableRowOf(Doc, Doc.Caret.Par) == rows.front() ? pkNewColumns : pkCells;
                break;
            case 2:
            case 3:
                kind = Doc.CaretOnRowEnd() ? pkCells : pkNewRows;
                break;
            default:
                kind = loaded.WholeTable ? pkNewRows : pkCellContents;
                break;
        }
        return;
    }
    if (hasSelection && !atCaret) {
        if (Doc.SelectionInOneTable()) {
            if (loaded.WholeTable)
                kind = pkCellsOverSelection;
            else if (Doc.IsCellSelection(Doc.Selection) && SpansCells())
                kind = pkIntoSelectedCells;
            else
                kind = pkEachRange;
        } else if (Doc.Selection->Count() > 1) {
            kind = pkEachRange;
        }
    }
}

// Shapes copied on their own arrive as shapes: anchored at the caret, on
// top of the stacking order, and selected in place of any text selection.
void TPaster::PasteFloatingShapes(TDoc& content) {
    std::vector<TShape*> shapes;
    for (std::int32_t i = 0; i < content.Shapes.Count; ++i)
        shapes.push_back(content.Shapes.At<TShape>(i));
    TTextPos at = Doc.Caret;
    if (at.Par >= Doc.ParCount())
        return;
    // A row-end paragraph holds nothing but its mark: the anchors go to
    // the end of the row's last cell instead.
    if (IsRowEnd(Doc, at.Par) && at.Par > 0)
        at = TTextPos{at.Par - 1, Doc.Par(at.Par - 1)->CharCount() - 1};
    at.Offset = std::clamp(at.Offset, 0, std::max(Doc.Par(at.Par)->CharCount() - 1, 0));
    DropSelection(Doc);
    if (Doc.StateFlags[sfPasting] != 0)
        PlacePastedShapes(Doc, shapes, InTablePar(Doc, at.Par));
    (new TSelShapesOperation(&Doc, TList{}))->Execute();
    TMemory stream;
    InsertDocumentStream(Doc, content, 0, stream);
    if (stream.Size > 0) {
        Doc.UpdateTypingFormat(at, true);
        InsertFormatted(Doc, stream, at, 0, Doc.StoryOfPar(at.Par), 0);
    }
    // Moving them into the document put them on top of the stacking order.
    TList selected;
    for (TShape* shape : shapes)
        if (Doc.Shapes.Contains(shape))
            selected.Add(shape);
    (new TSelShapesOperation(&Doc, selected))->Execute();
    Doc.StateFlags[sfKeepSelectedShapes] = 1;
    Doc.PostActions().Caret = Doc.Caret;
}

// An inserted file's text is fitted to the text it lands in, so that it
// reads as part of the document: what the file leaves at its defaults
// takes the destination's value, while what the file chose for itself
// stays. Indents and line spacing move as pairs (a first-line indent is
// relative to the left indent, a spacing's unit hangs on its multiple
// flag), and the styles, tabs and table marks of the pasted paragraphs are
// left alone. Size and language always become the destination's, the font
// too unless the user keeps the source's fonts or either font is a symbol
// font (whose characters mean other glyphs in any other font).
void TPaster::FitInsertedText(const TTextPos& start, const TParFormat& destPar, const TCharFormat& destFormat) {
    constexpr std::uint8_t SymbolCharset = 2;
    TFragment pasted;
    MakeFragmentFromPositions(start, Doc.Caret, pasted);
    // The paragraph the paste ends at the start of is the destination's.
    const std::int32_t lastPar = pasted.End.Offset == 0 ? pasted.End.Par - 1 : pasted.End.Par;
    if (lastPar > pasted.Start.Par) {
        TFragment pars;
        MakeFragmentFromPositions(pasted.Start, TTextPos{lastPar, 0}, pars);
        TParFormat common;
        Doc.MergedParFormat(nullptr, pars, common);
        TParFormat format = UnsetParFormat;
        const auto differsFromDefault = [&](int prop) {
            return !ParPropIsUnset(common, prop) && GetParProp(common, prop) != GetParProp(DefaultParFormat, prop);
        };
        for (const auto& pair :
             {std::pair{ppFirstIndent, ppLeftIndent}, std::pair{ppLineSpacing, ppLineSpacingMultiple}})
            if (differsFromDefault(pair.first) || differsFromDefault(pair.second)) {
                CopyParProp(format, pair.first, destPar);
                CopyParProp(format, pair.second, destPar);
            }
        for (int prop = 0; prop < ParPropCount; ++prop) {
            const bool paired =
                prop == ppFirstIndent || prop == ppLeftIndent || prop == ppLineSpacing || prop == ppLineSpacingMultiple;
            const bool left = prop == ppStyle || prop == ppTabs || prop == ppInTable;
            if (paired || left || ParPropIsUnset(common, prop))
                continue;
            if (GetParProp(common, prop) == GetParProp(DefaultParFormat, prop))
                CopyParProp(format, prop, destPar);
        }
        if (!ParFormatIsClear(format))
            FormatParagraphsEx(Doc, {pars}, format);
    }
    TCharFormat common;
    Doc.MergedCharFormat(nullptr, pasted, common);
    TCharFormat format = UnsetCharFormat;
    for (int attr = 0; attr < CharAttrCount; ++attr)
        if (attr != caFont && common[attr] != UnsetValue && common[attr] == DefaultCharFormat[attr])
            format[attr] = destFormat[attr];
    format[caSize] = destFormat[caSize];
    format[caLanguage] = destFormat[caLanguage];
    const bool symbolFont = DocFontCharset(destFormat[caFont]) == SymbolCharset ||
                            (common[caFont] != UnsetValue && DocFontCharset(common[caFont]) == SymbolCharset);
    if (!PasteOptions().KeepSourceFonts && !symbolFont)
        format[caFont] = destFormat[caFont];
    Doc.FormatFont(nullptr, &pasted, format, 0);
}

// The link's address becomes a hyperlink to it, over the selection or at
// the caret, through the hyperlink worker of the fields room.
void TPaster::PasteLink(const std::u16string& address) {
    const TOperationWorker<TSetHyperlinkArgs> worker = OperationWorker<TSetHyperlinkArgs>();
    if (worker == nullptr)
        return;
    const TSetHyperlinkArgs args{&address, &address};
    TOperationCall call = TOperationCall::Of(args);
    worker(Doc, call, args);
}

// A pasted character of the private-use area stands for a glyph of its
// symbol font: it is wrapped in a SYMBOL field that names the character
// and the font, so that it keeps that glyph whatever font is put on it.
void TPaster::WrapSymbolCharacter(const TTextPos& start) {
    constexpr std::int32_t PrivateUseFirst = 0xE000;
    constexpr std::int32_t PrivateUseLast = 0xF8FF;
    if (Data.Source != psCharacter || Data.CharacterIsByte != 0 || Data.Character < PrivateUseFirst ||
        Data.Character > PrivateUseLast || CompareTextPos(start, Doc.Caret) >= 0)
        return;
    std::u16string instruction = u"SYMBOL " + Utf8ToWide(std::to_string(Data.Character));
    if (!Data.FontName.empty())
        instruction += u" \\f \"" + Utf8ToWide(Data.FontName) + u"\"";
    auto* field = new TField;
    field->Kind = fkCode;
    field->Type = ftSymbol;
    field->Instruction = instruction;
    // The start mark goes after the controls already at the start, the end
    // mark before those at the end (index 1 << 16: after them all).
    constexpr std::int32_t AfterAll = 1 << 16;
    (new TInsDelFieldOperation(&Doc, fmBoth, field, start, 0, Doc.Caret, AfterAll))->Execute();
}

void TPaster::PasteDocumentContent(TDoc& content, const TPasteLoadResult& loaded, std::int32_t kind) {
    if (loaded.ShapesOnly) {
        PasteFloatingShapes(content);
        return;
    }
    if (!loaded.LinkAddress.empty()) {
        PasteLink(loaded.LinkAddress);
        return;
    }
    const bool smartKinds = kind == pkPaste || kind == pkPasteAsEnvironment;
    bool smart = PasteOptions().SmartCutAndPaste && Data.Source != psCharacter && !loaded.Picture &&
                 Doc.StateFlags[sfStatusKept] == 0 && smartKinds;
    if (smart) {
        if (Data.Source == psClipboard)
            smart = Formats == nullptr || !ClipboardHas(Formats->NonWholeWords);
        else if (Data.Source == psRtfMemory)
            smart = (Data.Flags & pfNoSmartSpacing) == 0;
    }
    std::int32_t flags = smart ? ifSmartSpacing : 0;
    if (PasteOptions().DragDropMode && smartKinds)
        flags |= ifSelectInserted;
    const std::int32_t mainCount = content.StoryCounts[stMain];

    if (loaded.PlainText || PlainTextMode) {
        TPlainTextWriteOptions options;
        options.Encoding = Utf16LittleEndian;
        options.FileTarget = false;
        if (loaded.ParEnds < mainCount) {
            // The last paragraph's own end is no part of the content.
            options.ToPar = mainCount - 1;
            options.ToOffset = ParTextLength(*content.Par(mainCount - 1));
        } else {
            options.ToPar = -1;
        }
        const std::string bytes = WritePlainTextBytes(content, options);
        if (bytes.empty())
            return;
        TMemory text;
        text.AppendBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        Doc.UpdateTypingFormat(Doc.Caret, true);
        if (Data.Source == psClipboard)
            Doc.PushStateFlag(sfClipboardLanguage);
        InsertTextAtCaret(Doc, text, flags | ifUtf16);
        if (Data.Source == psClipboard)
            Doc.PopStateFlag();
        return;
    }

    TMemory stream;
    InsertDocumentStream(Doc, content, loaded.ParEnds, stream);
    if (stream.Size == 0)
        return;
    std::int32_t parEnds = loaded.ParEnds;
    // Content that begins with a table starts a paragraph of its own.
    TTextPos start = Doc.Caret;
    if (Doc.HasSelection()) {
        TFragment span;
        Doc.Selection->GetSpan(span);
        start = span.Start;
    }
    if (InTablePar(content, 0) && start.Offset > 0 && start.Par < Doc.ParCount()) {
        TMemory prefixed;
        AppendCharFormatControls(prefixed, DefaultCharFormat);
        AppendFormatControl(prefixed, fcSpecialChar, chParEnd);
        AppendParagraphMark(prefixed, Doc.Par(start.Par)->Format);
        prefixed.AppendBuffer(stream.Data, stream.Size);
        stream.Assign(prefixed);
        ++parEnds;
    }
    TCharFormat destFormat;
    Doc.CharFormatAt(start, destFormat);
    const TParFormat destPar = start.Par < Doc.ParCount() ? Doc.Par(start.Par)->Format : DefaultParFormat;
    Doc.UpdateTypingFormat(Doc.Caret, true);
    InsertFormattedAtCaret(Doc, stream, parEnds, flags);
    Doc.StateFlags[sfTypingFormatFixed] = 0;
    // A pasted picture takes the destination's character format.
    if (loaded.Picture && CompareTextPos(start, Doc.Caret) < 0) {
        TFragment pasted;
        MakeFragmentFromPositions(start, Doc.Caret, pasted);
        TCharFormat format = destFormat;
        Doc.FormatFont(nullptr, &pasted, format, 0);
    } else if (PasteOptions().InsertFileMode && !PasteOptions().KeepSourceFormatting &&
               CompareTextPos(start, Doc.Caret) < 0) {
        FitInsertedText(start, destPar, destFormat);
    }
    WrapSymbolCharacter(start);
}

// Whether any paragraph of the content's main text is a table paragraph.
bool HasTable(TDoc& content) {
    for (std::int32_t p = 0; p < content.StoryCounts[stMain]; ++p)
        if (InTablePar(content, p))
            return true;
    return false;
}

// The pieces of a range in a table, one for each cell it touches, each
// within the cell's text (never its cell mark); row-end paragraphs and
// cells that continue a vertical merge give none.
void CellPieces(TDoc& doc, const TFragment& range, std::vector<TFragment>& pieces) {
    TTextPos pos = range.Start;
    while (CompareTextPos(pos, range.End) < 0 && pos.Par < doc.ParCount()) {
        if (!InTablePar(doc, pos.Par) || IsRowEnd(doc, pos.Par)) {
            pos = TTextPos{pos.Par + 1, 0};
            continue;
        }
        TFragment cell;
        CellRange(doc, pos.Par, cell);
        const std::int32_t lastPar = std::max(cell.End.Offset == 0 ? cell.End.Par - 1 : cell.End.Par, pos.Par);
        const TTextPos textEnd{lastPar, std::max(doc.Par(lastPar)->CharCount() - 1, 0)};
        const TTextPos end = CompareTextPos(range.End, textEnd) < 0 ? range.End : textEnd;
        if (!InMergedCell(doc, pos.Par) && CompareTextPos(pos, end) <= 0)
            pieces.push_back(TFragment{pos, end});
        pos = TTextPos{lastPar + 1, 0};
    }
    // A range that only marks a place (a caret in a cell) keeps it.
    if (pieces.empty() && FragmentIsEmpty(range) && !IsRowEnd(doc, range.Start.Par))
        pieces.push_back(range);
}

void TPaster::PasteEachRange() {
    TCompoundFragment* ranges = NewCompoundFragment();
    ranges->Reset();
    ranges->Append(*Doc.Selection);
    ranges->Normalize();
    // A range in a table is cut into one piece for each cell it touches,
    // so that no paste tears a cell mark away.
    std::vector<TFragment> pieces;
    for (std::int32_t i = 0; i < ranges->Count(); ++i) {
        const TFragment range = ranges->Fragment(i);
        if (InTablePar(Doc, range.Start.Par))
            CellPieces(Doc, range, pieces);
        else
            pieces.push_back(range);
    }
    ReleaseCompoundFragment(ranges);
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
        const TFragment range = *it;
        Doc.Selection->SetSingle(range.Start.Par, range.Start.Offset, range.End.Par, range.End.Offset);
        Doc.Caret = range.End;
        TPasteLoadResult loaded;
        const bool inTable = InTablePar(Doc, range.Start.Par);
        std::unique_ptr<TDoc> content = LoadPasteContent(Doc, Data, PlainTextMode, inTable, loaded);
        if (content == nullptr)
            break;
        if (inTable && HasTable(*content)) {
            // Tables do not nest: in a cell the content's cells arrive as
            // paragraphs of the cell, in place of the range.
            if (!FragmentIsEmpty(range))
                DeleteText(Doc, nullptr, range.Start, range.End, 0);
            DropSelection(Doc);
            TTablePasteContext context{Doc, Data, *content, loaded, PlainTextMode || loaded.PlainText};
            PasteIntoTable(context, pkCellContents);
            continue;
        }
        PasteDocumentContent(*content, loaded, pkPaste);
    }
}

// The content's paragraphs one under another at the same place in each
// line: the place is the start's character offset in its paragraph, and
// each following paragraph of the story (or cell) takes one content
// paragraph at that offset, or at its end when it is shorter.
void TPaster::PasteColumnBlock(TDoc& content, const TPasteLoadResult& loaded) {
    TTextPos start = Doc.Caret;
    if (Doc.HasSelection()) {
        TFragment span;
        Doc.Selection->GetSpan(span);
        start = span.Start;
        DropSelection(Doc);
    }
    const std::int32_t count = std::max(loaded.ParEnds, 1);
    const std::int32_t column = start.Offset;
    const int story = Doc.StoryOfPar(start.Par);
    std::vector<TTextPos> places;
    std::int32_t p = start.Par;
    const std::int32_t last = Doc.LastParOfStory(story);
    TFragment cell{};
    const bool inCell = InTablePar(Doc, start.Par);
    if (inCell)
        CellRange(Doc, start.Par, cell);
    while (static_cast<std::int32_t>(places.size()) < count && p <= last && (!inCell || p <= cell.End.Par)) {
        if (!IsRowEnd(Doc, p) && !InMergedCell(Doc, p))
            places.push_back(TTextPos{p, std::min(column, Doc.Par(p)->CharCount() - 1)});
        ++p;
    }
    // The story ran out: new paragraphs at the end of the last one.
    const std::int32_t missing = count - static_cast<std::int32_t>(places.size());
    if (missing > 0) {
        const std::int32_t lastPar = places.empty() ? start.Par : places.back().Par;
        TMemory breaks;
        for (std::int32_t i = 0; i < missing; ++i)
            breaks.AppendBuffer("\r\n", 2);
        const TTextPos end{lastPar, Doc.Par(lastPar)->CharCount() - 1};
        InsertText(Doc, breaks, end, 0);
        for (std::int32_t i = 1; i <= missing; ++i)
            places.push_back(TTextPos{lastPar + i, 0});
    }
    for (std::int32_t i = count - 1; i >= 0; --i) {
        if (i >= content.StoryCounts[stMain])
            continue;
        TPar& par = *content.Par(i);
        if (ParTextLength(par) == 0)
            continue;
        TFragment range;
        MakeFragmentFromPositions(TTextPos{i, 0}, TTextPos{i, ParTextLength(par)}, range);
        PasteRangeAt(Doc, content, range, places[static_cast<std::size_t>(i)], PlainTextMode || loaded.PlainText);
    }
}

void TPaster::Run() {
    if ((Data.Flags & pfAtCaret) == 0 && Doc.SelectionHasNoteEnd()) {
        ShowInformation(NoteEndMessage);
        return;
    }
    Platform::TClipboardSource& clipboard = PasteClipboard();
    const bool fromClipboard = Data.Source == psClipboard;
    if (fromClipboard) {
        if (!clipboard.Open())
            return;
        Formats = std::make_unique<TClipboardFormats>(clipboard);
    }
    struct TCloser {
        Platform::TClipboardSource* Clipboard;
        ~TCloser() {
            if (Clipboard != nullptr)
                Clipboard->Close();
        }
    } closer{fromClipboard ? &clipboard : nullptr};

    if (fromClipboard && Doc.StateFlags[sfStatusKept] == 0 && HistoryItem == nullptr) {
        const bool filesAsked = Data.ClipboardFormat == Platform::CF_HDROP;
        const bool onlyFiles = Data.ClipboardFormat == 0 && clipboard.HasFormat(Platform::CF_HDROP) &&
                               Formats->Best(clipboard, false) == 0;
        if (filesAsked || onlyFiles) {
            const auto bytes = clipboard.Data(Platform::CF_HDROP);
            std::vector<std::u16string> paths;
            if (bytes && DroppedFilesHandler != nullptr && Platform::DecodeDropFiles(*bytes, paths).Good)
                for (const std::u16string& path : paths)
                    DroppedFilesHandler(Doc, path);
            return;
        }
    }
    if (fromClipboard && HistoryItem != nullptr) {
        PlainTextMode = IsTextFormat(HistoryItem->Format);
        if (HistoryItem->Data.empty())
            return;
    } else if (fromClipboard) {
        const bool onlyText = Formats->Best(clipboard, false) == Formats->Best(clipboard, true);
        PlainTextMode = (Data.Kind == pkPasteAsEnvironment && Formats->Best(clipboard, true) != 0) ||
                        IsTextFormat(Data.ClipboardFormat) || (Data.ClipboardFormat == 0 && onlyText);
        if (Formats->Best(clipboard, false) == 0 &&
            (Data.ClipboardFormat == 0 || !clipboard.HasFormat(Data.ClipboardFormat)))
            return;
    }

    TPasteLoadResult loaded;
    std::unique_ptr<TDoc> content = LoadPasteContent(Doc, Data, PlainTextMode, false, loaded);
    if (content == nullptr)
        return;
    if (loaded.PlainText && Data.Source == psFile)
        PlainTextMode = true;

    std::int32_t kind = Data.Kind;
    SettleKind(loaded, kind);
    std::int32_t repairPar = -1;
    if ((kind == pkNewRows || kind == pkNewColumns || kind == pkCells) && Doc.Caret.Par < Doc.ParCount())
        repairPar = Doc.Caret.Par;
    const bool keepsSelection = kind == pkPaste || kind == pkPasteAsEnvironment || kind == pkColumnBlock;
    if (Doc.StateFlags[sfStatusKept] == 0 && ((Data.Flags & pfAtCaret) != 0 || !keepsSelection) &&
        kind != pkEachRange && kind != pkCellsOverSelection && kind != pkIntoSelectedCells)
        DropSelection(Doc);

    // The lists the insertions bring are noted to be joined at the end.
    std::vector<TAutoList*> addedLists;
    struct TListsScope {
        std::vector<TAutoList*>* Outer;
        ~TListsScope() { SetAddedListsCollector(Outer); }
    } listsScope{SetAddedListsCollector(&addedLists)};
    Doc.PushStateFlag(sfNeverOvertype);
    switch (kind) {
        case pkEachRange:
            PasteEachRange();
            break;
        case pkColumnBlock:
            PasteColumnBlock(*content, loaded);
            break;
        case pkNewRows:
        case pkNewColumns:
        case pkCells:
        case pkCellContents:
        case pkCellsOverSelection:
        case pkIntoSelectedCells: {
            TTablePasteContext context{Doc, Data, *content, loaded, PlainTextMode};
            PasteIntoTable(context, kind);
            break;
        }
        default:
            PasteDocumentContent(*content, loaded, kind);
            break;
    }
    Doc.PopStateFlag();
    SetAddedListsCollector(listsScope.Outer);
    // Pasted lists continue matching lists beside them.
    for (std::size_t i = addedLists.size(); i-- > 0;)
        if (!Doc.Lists.Contains(addedLists[i]))
            addedLists.erase(addedLists.begin() + static_cast<std::ptrdiff_t>(i));
    if (!addedLists.empty())
        JoinPastedLists(Doc, addedLists);
    if (Doc.StateFlags[sfStatusKept] != 0)
        return;
    if (repairPar >= 0 && repairPar < Doc.ParCount() && InTablePar(Doc, repairPar))
        RepairTable(Doc, repairPar);
    if (loaded.HasUpdatedFields && Doc.Fields.Count > 0 && Doc.StateFlags[sfHidden] == 0)
        UpdatePastedFields(loaded.UpdatedFieldTypes);
}

// The inserted file's fields of automatically updated types show their
// results for this document, over the story the caret is in.
void TPaster::UpdatePastedFields(const TFieldTypeSet& types) {
    const std::int32_t par = std::clamp(Doc.Caret.Par, 0, Doc.ParCount() - 1);
    const int story = Doc.StoryOfPar(par);
    const std::int32_t last = Doc.LastParOfStory(story);
    TFragment range;
    MakeFragmentFromPositions(TTextPos{Doc.FirstParOfStory(story), 0},
                              TTextPos{last, std::max(Doc.Par(last)->CharCount() - 1, 0)}, range);
    const std::uint8_t followUI = Doc.StateFlags[sfFollowUI];
    Doc.StateFlags[sfFollowUI] = 0;
    TFieldUpdateContext context;
    UpdateFields(Doc, nullptr, &range, types, context);
    Doc.StateFlags[sfFollowUI] = followUI;
}

}  // namespace

void Paste(TDoc& doc, const TPasteData& data) {
    TPaster(doc, data).Run();
}
