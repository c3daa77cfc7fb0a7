#include "files/opening/PostLoad.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/files/TempFiles.h"
#include "base/graphics/TBitmap.h"
#include "files/rtf/RtfPictures.h"
#include "files/rtf/RtfReader.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/host/FontQueries.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"
#include "platform/ByteReader.h"
#include "platform/CodePages.h"
#include "platform/Files.h"

namespace {

constexpr std::int32_t SymbolCharset = 2;
constexpr char16_t SymbolPrivateUse = 0xF000;

// The picture kind of a file's bytes by its signature; a BMP file's DIB is
// what follows its 14-byte file header (the BMP format's BITMAPFILEHEADER).
std::uint8_t PictureKindOfFile(std::string& bytes) {
    const TByteReader in(bytes);
    if (in.U32BEAt(0) == 0x89504E47)
        return pkPng;
    if (in.U8At(0) == 0xFF && in.U8At(1) == 0xD8)
        return pkJpeg;
    if (in.U32LEAt(0) == 1 && in.U32LEAt(40) == 0x464D4520)
        return pkEmf;
    if (in.U32LEAt(0) == 0x9AC6CDD7 || ((in.U16LEAt(0) == 1 || in.U16LEAt(0) == 2) && in.U16LEAt(2) == 9))
        return pkWmf;
    if (in.U8At(0) == 'B' && in.U8At(1) == 'M' && in.HasAt(0, 14)) {
        bytes.erase(0, 14);
        return pkDib;
    }
    return pkNone;
}

// The picture of a local file, or none when the file is missing or its
// bytes are no picture this system reads.
std::unique_ptr<TShape> PictureFromFile(TDoc& doc, const std::string& path) {
    if (path.empty() || !Platform::FileExists(path))
        return nullptr;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return nullptr;
    TShapePicture picture;
    picture.Kind = PictureKindOfFile(bytes);
    picture.Data = std::move(bytes);
    if (picture.Kind == pkNone || !MeasurePicture(picture))
        return nullptr;
    SetDefaultGoalSize(picture);
    auto shape = std::make_unique<TShape>(&doc);
    shape->Picture = std::move(picture);
    return shape;
}

// The first argument of an instruction that is no switch: the word after
// the keyword, or a quoted text with backslash escapes taken out.
std::u16string FirstArgument(const std::u16string& instruction) {
    std::size_t at = instruction.find(u' ');
    while (at != std::u16string::npos && at < instruction.size()) {
        while (at < instruction.size() && instruction[at] == u' ')
            ++at;
        if (at >= instruction.size())
            break;
        std::u16string arg;
        if (instruction[at] == u'"') {
            for (++at; at < instruction.size() && instruction[at] != u'"'; ++at) {
                if (instruction[at] == u'\\' && at + 1 < instruction.size())
                    ++at;
                arg.push_back(instruction[at]);
            }
            ++at;
        } else {
            while (at < instruction.size() && instruction[at] != u' ')
                arg.push_back(instruction[at++]);
        }
        if (!arg.empty() && arg[0] != u'\\')
            return arg;
    }
    return {};
}

// A file address as a local path: "file:" and the slashes of a file URL
// taken off.
std::string LocalPath(const std::u16string& name) {
    std::string path = Platform::Utf16ToUtf8(name);
    if (path.rfind("file:", 0) == 0) {
        path.erase(0, 5);
        while (path.rfind("//", 0) == 0)
            path.erase(0, 1);
    }
    return path;
}

// Where a field starts in its paragraph's stream, -1 when it is not there.
std::int32_t FieldStartOffset(const TPar& par, const TField* field) {
    const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (e.Truncated)
            break;
        if (e.IsControl && e.Code == fcFieldStart && e.Value == handle)
            return off;
    }
    return -1;
}

}  // namespace

void FinishLoadedStyles(TDoc& doc) {
    if (doc.Styles == nullptr)
        return;
    for (std::int32_t i = 0; i < doc.Styles->Count; ++i) {
        TStyle* style = doc.Styles->Style(i);
        style->CharFormat[caLanguage] = UnsetValue;
        if (style->IsHeading())
            style->ParFormat.OutlineLevel = static_cast<std::int8_t>(style->BuiltInId - 1);
        if (style->HasList() && (style->ParFormat.ListLevel < 0 || style->ParFormat.ListLevel > 8))
            style->ParFormat.ListLevel = 0;
    }
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        TPar* par = doc.Par(p);
        const std::int32_t index = par->Format.Style;
        if (index < 0 || index >= doc.Styles->Count)
            continue;
        const TStyle* style = doc.Styles->Style(index);
        if (style->IsHeading() && par->Format.OutlineLevel != style->ParFormat.OutlineLevel) {
            par->Format.OutlineLevel = style->ParFormat.OutlineLevel;
            par->Changed();
        }
    }
}

namespace {

constexpr std::int32_t LevelIndentStep = 720;  // twips: half an inch further per level

TAutoList* ListOf(const TParFormat& format) {
    if (format.List == 0 || format.List == UnsetValue)
        return nullptr;
    return HandleTo<TAutoList>(static_cast<TObjectHandle>(format.List));
}

std::int32_t HandleOf(const TAutoList* list) {
    return static_cast<std::int32_t>(ObjectHandle(list));
}

std::u16string Prefix(const TListLevel& level) {
    return Platform::Utf8ToUtf16(level.FileStrings[lfsPrefix]);
}

std::u16string Suffix(const TListLevel& level) {
    return Platform::Utf8ToUtf16(level.FileStrings[lfsSuffix]);
}

// The label of every numbered level of a list that merging left: the
// label of the level above when the level includes it, then the level's
// own prefix, number and suffix.
void MakeLevelTexts(TAutoList& list) {
    for (std::int32_t l = 0; l < 9; ++l) {
        TListLevel& level = list.Levels[l];
        if (level.NumberFormat >= lnBullet)
            continue;
        if (level.FileStrings[lfsPrefix].empty() && level.FileStrings[lfsSuffix].empty())
            level.FileStrings[lfsSuffix] = ".";
        std::u16string text;
        if (l > 0 && level.FileBytes[lfbDefined] != 0 && level.FileBytes[lfbIncludesPrevious] != 0)
            text = list.Levels[l - 1].LabelText;
        text += Prefix(level);
        text.push_back(static_cast<char16_t>(l));
        text += Suffix(level);
        if (text.size() > 255)
            text.resize(255);
        level.LabelText = std::move(text);
    }
}

}  // namespace

void FinishLoadedLists(TDoc& doc) {
    if (doc.Lists.Count == 0)
        return;
    // Each list definition as the file gave it: one level, labelled by its
    // texts alone until its numbers are placed.
    for (std::int32_t i = 0; i < doc.Lists.Count; ++i) {
        TAutoList* list = doc.Lists.At<TAutoList>(i);
        list->SingleLevel = static_cast<std::uint8_t>((list->SingleLevel & 0x80) | 1);
        for (TListLevel& level : list->Levels)
            level.LabelText = Prefix(level) + Suffix(level);
    }
    // Consecutive list paragraphs of one story make one list: the deeper
    // levels and the further numbered paragraphs join the list of the
    // run's first paragraph.
    std::unordered_map<const TAutoList*, TAutoList*> mergedInto;
    const auto target = [&](TAutoList* list) {
        const auto at = mergedInto.find(list);
        return at == mergedInto.end() ? list : at->second;
    };
    std::int32_t storyEnd = 0;
    std::int32_t story = 0;
    TAutoList* runList = nullptr;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        while (story < StoryCount && p >= storyEnd) {
            storyEnd += doc.StoryCounts[story++];
            runList = nullptr;
        }
        TPar* par = doc.Par(p);
        TAutoList* list = ListOf(par->Format);
        if (list == nullptr || !doc.Lists.Contains(list)) {
            runList = nullptr;
            continue;
        }
        if (runList == nullptr) {
            runList = target(list);
            continue;
        }
        const std::int32_t level = std::clamp<std::int32_t>(par->Format.ListLevel, 0, 8);
        if (list != runList && mergedInto.find(list) == mergedInto.end() &&
            (level > 0 || list->Levels[0].NumberFormat < lnBullet)) {
            runList->Levels[level] = list->Levels[level];
            mergedInto[list] = runList;
        }
        if (level > 0)
            runList->SingleLevel = static_cast<std::uint8_t>(runList->SingleLevel & 0x80);
    }
    // The lists that stay: a multi-level list gets the levels the file left
    // out as copies of the level above, further indented; then the labels.
    std::vector<TAutoList*> kept;
    for (std::int32_t i = 0; i < doc.Lists.Count; ++i) {
        TAutoList* list = doc.Lists.At<TAutoList>(i);
        if (mergedInto.count(list) != 0)
            continue;
        if (!list->IsSingleLevel()) {
            for (std::int32_t l = 1; l < 9; ++l) {
                TListLevel& level = list->Levels[l];
                if (level.FileBytes[lfbDefined] != 0)
                    continue;
                level = list->Levels[l - 1];
                const std::int32_t left =
                    ParPropIsUnset(level.ParFormat, ppLeftIndent) ? 0 : level.ParFormat.LeftIndent;
                level.ParFormat.LeftIndent = left + LevelIndentStep;
                level.FileBytes[lfbDefined] = 1;
            }
        }
        MakeLevelTexts(*list);
        // Bullet lists of one level that are alike are one list.
        TAutoList* same = nullptr;
        if (list->IsSingleLevel() && IsBulletFormat(list->Levels[0].NumberFormat))
            for (TAutoList* earlier : kept)
                if (AutoListsEqual(*earlier, *list, 0)) {
                    same = earlier;
                    break;
                }
        if (same != nullptr)
            mergedInto[list] = same;
        else
            kept.push_back(list);
    }
    if (mergedInto.empty())
        return;
    // A list merged into one that was merged in turn ends in the last.
    for (auto& [from, into] : mergedInto)
        while (mergedInto.count(into) != 0)
            into = mergedInto[into];
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        TPar* par = doc.Par(p);
        TAutoList* list = ListOf(par->Format);
        if (list != nullptr && mergedInto.count(list) != 0) {
            par->Format.List = HandleOf(mergedInto[list]);
            par->Changed();
        }
    }
    if (doc.Styles != nullptr)
        for (std::int32_t i = 0; i < doc.Styles->Count; ++i) {
            TParFormat& format = doc.Styles->Style(i)->ParFormat;
            TAutoList* list = ListOf(format);
            if (list != nullptr && mergedInto.count(list) != 0)
                format.List = HandleOf(mergedInto[list]);
        }
    for (std::int32_t i = doc.Lists.Count - 1; i >= 0; --i) {
        TAutoList* list = doc.Lists.At<TAutoList>(i);
        if (mergedInto.count(list) != 0) {
            doc.Lists.Delete(i);
            delete list;
        }
    }
}

void FixListLevelFonts(TDoc& doc) {
    for (std::int32_t i = 0; i < doc.Lists.Count; ++i) {
        TAutoList* list = doc.Lists.At<TAutoList>(i);
        for (TListLevel& level : list->Levels) {
            if (ParPropIsUnset(level.ParFormat, ppFirstIndent))
                level.ParFormat.FirstIndent = 0;
            if (ParPropIsUnset(level.ParFormat, ppLeftIndent))
                level.ParFormat.LeftIndent = 0;
            const std::int32_t font = level.CharFormat[caFont];
            if (level.NumberFormat >= lnBullet && level.NumberFormat != lnNone && !level.LabelText.empty() &&
                level.LabelText[0] < 256 && font != UnsetValue && DocFontCharset(font) == SymbolCharset)
                level.LabelText[0] = static_cast<char16_t>(SymbolPrivateUse + level.LabelText[0]);
        }
    }
}

TWebPictureHooks& WebPictureHooks() {
    static TWebPictureHooks hooks;
    return hooks;
}

bool IsPictureBlank(TShape& shape) {
    if (shape.Picture.Kind == pkNone || shape.Picture.Data.empty())
        return true;
    std::unique_ptr<TBitmap> bitmap = shape.DocGraphic().ToBitmap();
    if (bitmap == nullptr)
        return false;
    const std::int32_t width = bitmap->GetWidth();
    const std::int32_t height = bitmap->GetHeight();
    // A placeholder's mark, where it has one, sits in the middle: the
    // rows around it tell whether the picture shows anything.
    const std::int32_t skipFrom = height / 3;
    const std::int32_t skipTo = 2 * height / 3;
    constexpr std::int32_t BytesPerPixel = 3;
    for (std::int32_t row = 0; row < height; ++row) {
        if (row >= skipFrom && row < skipTo)
            continue;
        const std::uint8_t* line = bitmap->ScanLine(row);
        if (line == nullptr)
            return false;
        for (std::int32_t i = 0; i < width * BytesPerPixel; ++i)
            if (line[i] != 0xFF)
                return false;
    }
    return true;
}

namespace {

bool IsWebAddress(const std::u16string& name) {
    std::u16string scheme;
    for (char16_t c : name) {
        if (c == u':')
            break;
        scheme.push_back(c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c);
    }
    return scheme.size() < name.size() && scheme.rfind(u"http", 0) == 0;
}

// The instruction naming the picture alone, as the field is saved again
// when its picture could not be made.
std::u16string IncludePictureInstruction(const std::u16string& name) {
    std::u16string text = u"INCLUDEPICTURE \"";
    for (char16_t c : name) {
        if (c == u'"' || c == u'\\')
            text.push_back(u'\\');
        text.push_back(c);
    }
    return text + u"\"";
}

// Web pictures of one load: each address is fetched once, into a
// temporary file that goes when loading is done.
class TWebPictureCache {
public:
    TWebPictureCache() = default;
    TWebPictureCache(const TWebPictureCache&) = delete;
    TWebPictureCache& operator=(const TWebPictureCache&) = delete;
    ~TWebPictureCache() {
        for (const auto& [address, path] : Files)
            if (!path.empty())
                (void)Platform::DeleteFileAt(path);
    }

    // The local file of the address, empty when it could not be fetched.
    std::string FileOf(const std::string& address) {
        const auto known = Files.find(address);
        if (known != Files.end())
            return known->second;
        const TWebPictureHooks& hooks = WebPictureHooks();
        std::string path = MakeTempFileName(".tmp");
        if (path.empty() || !hooks.Download(address, path)) {
            if (!path.empty())
                (void)Platform::DeleteFileAt(path);
            path.clear();
        }
        Files.emplace(address, path);
        return path;
    }

private:
    std::map<std::string, std::string> Files;
};

}  // namespace

void LoadLinkedPictures(TDoc& doc) {
    const int includePicture = FieldTypeOfKeyword(u"INCLUDEPICTURE");
    std::vector<TField*> fields;
    for (std::int32_t i = doc.Fields.Count - 1; i >= 0; --i) {
        TField* field = doc.Fields.At<TField>(i);
        if (field->Kind == fkCode && field->Type == includePicture)
            fields.push_back(field);
    }
    if (fields.empty())
        return;
    const TWebPictureHooks& hooks = WebPictureHooks();
    const bool webAllowed = hooks.DownloadAllowed && static_cast<bool>(hooks.Download);
    TWebPictureCache web;
    // The marks are removed by the model's own step, recorded in an
    // operation that a freshly loaded document does not keep.
    auto* operation = new TOperation(&doc, 0);
    doc.BeginOperation(operation);
    for (TField* field : fields) {
        TFragment range;
        if (!doc.FieldRange(field, range))
            continue;
        TPar* par = doc.Par(range.Start.Par);
        const std::int32_t start = FieldStartOffset(*par, field);
        if (start < 0)
            continue;
        // A picture right at the result's start is the picture itself,
        // unless it is a blank placeholder another program left there.
        TStreamElement e;
        ReadStreamElement(par->Stream.Data, par->Stream.Size, start + FormatControlSize, e);
        TShape* cached = nullptr;
        if (!e.Truncated && e.IsControl && e.Code == fcShapeAnchor)
            cached = HandleTo<TShape>(static_cast<TObjectHandle>(e.Value));
        if (cached != nullptr && !IsPictureBlank(*cached)) {
            doc.DeleteField(field);
            continue;
        }
        const std::u16string name = FirstArgument(field->Instruction);
        if (name.empty())
            continue;
        field->Instruction = IncludePictureInstruction(name);
        std::unique_ptr<TShape> shape;
        if (IsWebAddress(name)) {
            if (webAllowed)
                shape = PictureFromFile(doc, web.FileOf(Platform::Utf16ToUtf8(name)));
        } else {
            shape = PictureFromFile(doc, LocalPath(name));
        }
        if (!shape)
            continue;
        if (cached != nullptr) {
            // The placeholder takes the picture in place, keeping its own
            // placement in the text.
            cached->Picture = std::move(shape->Picture);
            cached->Graphic.reset();
            par->Changed();
            doc.DeleteField(field);
            continue;
        }
        // The picture stands at the field's start; a result that is only
        // the reader's "?" for an empty result goes.
        const std::int32_t at = start + FormatControlSize;
        const std::int32_t charAt = range.Start.Offset;
        const bool placeholder = range.Start.Par == range.End.Par && range.End.Offset == charAt + 1 &&
                                 charAt < par->Chars.Size && par->Chars.Data[charAt] == '?' && at < par->Stream.Size &&
                                 par->Stream.Data[at] == '?';
        if (placeholder) {
            par->Stream.DeleteRange(at, 1);
            par->Chars.DeleteRange(charAt, 1);
        }
        shape->AnchorPar = par;
        shape->AnchorOffset = charAt;
        shape->Story = static_cast<std::uint8_t>(doc.StoryOfPar(range.Start.Par));
        InsertFormatControl(par->Stream, at, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape.get())));
        const std::uint8_t anchor = chShapeAnchor;
        par->Chars.InsertBuffer(&anchor, charAt, 1);
        par->Changed();
        doc.Shapes.Add(shape.release());
        doc.DeleteField(field);
    }
    doc.EndOperation();
    doc.CommitOperation(operation);
    doc.ClearUndoHistory();
}

namespace {

constexpr std::uint8_t ParagraphMarkByte = 0x1D;  // the long paragraph mark in a format stream

bool IsNoteReferenceStyle(const std::int32_t numbers[2], std::int32_t value) {
    return value >= 0 && (value == numbers[0] || value == numbers[1]);
}

// A note story's automatic number takes its kind's reference style, so
// that the next step makes it the note's number mark.
void StyleNoteNumber(TPar& par, std::int32_t number) {
    std::int32_t style = -1;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (e.Truncated)
            return;
        if (!e.IsControl)
            continue;
        if (e.Code == caCharStyle) {
            style = e.Value;
        } else if (e.Code == fcSpecialChar && e.Value == chNoteRef) {
            if (style == number)
                return;
            InsertFormatControl(par.Stream, off + e.Length, caCharStyle, style);
            InsertFormatControl(par.Stream, off, caCharStyle, number);
            par.Changed();
            return;
        }
    }
}

// Runs of a note-reference style that no note reference encloses become
// note-mark fields; a run begins with its first character and ends where
// the style changes, a field starts or ends, or the paragraph ends.
void MarkNoteReferenceRuns(TDoc& doc, TPar& par, const std::int32_t numbers[2]) {
    std::vector<std::pair<std::int32_t, std::int32_t>> runs;
    std::int32_t style = -1;
    bool inRun = false;
    bool enclosed = false;
    bool afterReference = false;
    std::int32_t runStart = 0;
    const auto close = [&](std::int32_t at) {
        if (inRun && !enclosed)
            runs.emplace_back(runStart, at);
        inRun = false;
    };
    const auto character = [&](std::int32_t at) {
        if (!inRun && IsNoteReferenceStyle(numbers, style)) {
            inRun = true;
            runStart = at;
            enclosed = afterReference;
        }
        afterReference = false;
    };
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (e.Truncated)
            break;
        if (!e.IsControl) {
            for (std::int32_t i = 0; i < e.Length; ++i) {
                if (par.Stream.Data[off + i] == ParagraphMarkByte) {
                    close(off + i);
                    break;
                }
                character(off + i);
            }
            continue;
        }
        if (e.Code == caCharStyle) {
            style = e.Value;
            if (!IsNoteReferenceStyle(numbers, style))
                close(off);
        } else if (e.Code == fcFieldStart || e.Code == fcFieldEnd) {
            close(off);
            const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            afterReference = e.Code == fcFieldStart && field != nullptr && field->Kind == fkNoteRef;
        } else if (e.Code == fcSpecialChar && e.Value == chParEnd) {
            close(off);
        } else if (ControlTakesPosition(e.Code)) {
            character(off);
        }
    }
    close(par.Stream.Size);
    if (runs.empty())
        return;
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        auto* field = new TField;
        field->Kind = fkNoteNumber;
        doc.Fields.Add(field);
        const auto handle = static_cast<std::int32_t>(ObjectHandle(field));
        InsertFormatControl(par.Stream, it->second, fcFieldEnd, handle);
        InsertFormatControl(par.Stream, it->first, fcFieldStart, handle);
    }
    par.Changed();
}

}  // namespace

void ApplyNoteReferenceStyles(TDoc& doc, const std::int32_t referenceStyles[2]) {
    if (referenceStyles[0] < 0 && referenceStyles[1] < 0)
        return;
    const std::int32_t firstNote = doc.StoryCounts[stMain];
    const std::int32_t firstEndnote = firstNote + doc.StoryCounts[stFootnotes];
    const std::int32_t endNotes = firstEndnote + doc.StoryCounts[stEndnotes];
    for (std::int32_t p = std::min(endNotes, doc.ParCount()) - 1; p >= firstNote; --p) {
        const std::int32_t number = referenceStyles[p < firstEndnote ? 0 : 1];
        if (number >= 0)
            StyleNoteNumber(*doc.Par(p), number);
    }
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        MarkNoteReferenceRuns(doc, *doc.Par(p), referenceStyles);
    doc.StateFlags[sfFieldIndexStale] = 1;
}
