#include "files/transfer/InsertDocument.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <vector>

#include "base/core/Errors.h"
#include "base/core/ObjectHandles.h"
#include "base/core/TMemoryStream.h"
#include "base/messages/MessageBoxes.h"
#include "base/pictures/ColorReduction.h"
#include "base/pictures/TGIFImage.h"
#include "base/pictures/TPNGImage.h"
#include "editing/fields/FieldIndex.h"
#include "editing/formatting/Formatting.h"
#include "editing/sections/NoteFormatting.h"
#include "editing/typing/TextInsertion.h"
#include "files/rtf/RtfPictures.h"
#include "files/transfer/Paste.h"
#include "files/transfer/PasteData.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/StyleOperations.h"
#include "platform/Files.h"

namespace {

constexpr std::string_view CannotOpenFileMessage = "Cannot open file \"%s\".";
constexpr std::string_view PictureErrorMessage = "Error opening picture \"%s\".";

// Picture sizes: a pixel is 15 twips (96 pixels an inch).
constexpr std::int32_t TwipsPerPixel = 15;

std::vector<TAutoList*>* AddedListsCollector = nullptr;

bool ListHandleSet(std::int32_t list) {
    return list != 0 && list != UnsetValue;
}

// Calls visit(offset, element) for every control of an insertion stream,
// piece by piece: the paragraph marks and their formats between the pieces
// are no format stream.
template <class TVisit>
void ForEachControl(TMemory& stream, TVisit visit) {
    std::vector<TInsertionPiece> pieces;
    SplitInsertionStream(stream, pieces);
    for (const TInsertionPiece& piece : pieces) {
        const std::uint8_t* data = stream.Data + piece.Start;
        TStreamElement e;
        for (std::int32_t off = 0; off < piece.Length; off += e.Length) {
            ReadStreamElement(data, piece.Length, off, e);
            if (e.IsControl && !e.Truncated)
                visit(piece.Start + off, e);
        }
    }
}

// What the streams of one insertion name, collected so that exactly those
// objects change owner.
struct TNamedObjects {
    std::set<TSection*> Sections;
    std::set<TShape*> Shapes;
    std::set<TField*> Fields;

    void Collect(TMemory& stream) {
        ForEachControl(stream, [&](std::int32_t, const TStreamElement& e) {
            const auto handle = static_cast<TObjectHandle>(e.Value);
            switch (e.Code) {
                case fcSectionBreak:
                    if (auto* section = HandleTo<TSection>(handle))
                        Sections.insert(section);
                    break;
                case fcShapeAnchor:
                    if (auto* shape = HandleTo<TShape>(handle))
                        Shapes.insert(shape);
                    break;
                case fcFieldStart:
                    if (auto* field = HandleTo<TField>(handle)) {
                        Fields.insert(field);
                        if (TShape* shape = field->InlineShape())
                            Shapes.insert(shape);
                    }
                    break;
                default:
                    break;
            }
        });
    }
};

// The insertion piece of one paragraph: its stream, without its end
// character when it is the partial last paragraph of the content.
void AppendParStream(TPar& par, bool withEnd, TMemory& stream) {
    par.Normalize();
    std::int32_t size = par.Stream.Size;
    if (!withEnd && ParTextLength(par) < par.CharCount())
        size = par.StreamOffsetOfChar(par.CharCount() - 1);
    stream.AppendBuffer(par.Stream.Data, size);
}

class TDocumentMover {
public:
    TDocumentMover(TDoc& dest, TDoc& source) : Dest(dest), Source(source) {}

    void Run(std::int32_t parEnds, TMemory& stream);

private:
    void ImportStyles(const std::set<std::int32_t>& used);
    void MapStyles(const std::set<std::int32_t>& used);
    // Moves a list of the source into dest; noted as added for the paste
    // when a pasted paragraph brought it.
    void MoveList(std::int32_t handle, bool forParagraph = false);
    TParFormat DestFormat(const TParFormat& source);
    // The stream of paragraphs [first, last] with their marks, and the
    // start of paragraph partial (-1: none).
    void BuildStream(std::int32_t first, std::int32_t last, std::int32_t partial, TMemory& stream);
    void InsertStory(int story, const TMemory& stream, std::int32_t parEnds);
    void HandOverObjects(const TNamedObjects& named);
    // Gives every row a stream names a copy of its own in dest, so that the
    // rows dest's text names are dest's whoever held the source's.
    void CopyRows(TMemory& stream);
    // The source's last section when dest takes over its page setup,
    // headers and footers and note settings, else nil.
    TSection* SectionToAdopt() const;
    // dest's main text takes the section's format, page setup and note
    // settings, and dest's first section its header and footer objects
    // (which the header story's insertion has moved into dest by then).
    void AdoptSection(const TSection& section, TField* const slots[HeaderFooterSlotCount]);

    TDoc& Dest;
    TDoc& Source;
    std::vector<std::int32_t> StyleMap;  // source style index -> destination index
};

void TDocumentMover::ImportStyles(const std::set<std::int32_t>& used) {
    TStyleList* sheet = Dest.Styles;
    if (sheet == nullptr || Source.Styles == nullptr)
        return;
    std::vector<std::int32_t> missing;
    for (std::int32_t s : used) {
        const TStyle* style = Source.Styles->Style(s);
        if (sheet->IndexOfName(style->Name) == -1 && sheet->IndexOfDisplayName(style->DisplayName) == -1)
            missing.push_back(s);
    }
    if (missing.empty())
        return;
    auto work = std::make_unique<TStyleList>(&Dest);
    work->Assign(*sheet);
    TImportStylesInfo info(Source.Styles);
    for (std::int32_t s : missing)
        info.Selected->Add(IntItem(s));
    if (!work->ImportStyles(info, false) || (info.Added->Count == 0 && info.Replaced->Count == 0))
        return;
    auto* change = new TFormatStyleListInfo;
    change->NewStyles = work.release();
    for (std::int32_t i = 0; i < info.Added->Count; ++i)
        change->AddedStyles.Add(IntItem(ItemInt(*info.Added, i)));
    for (std::int32_t i = 0; i < info.Replaced->Count; ++i)
        change->ChangedStyles.Add(IntItem(ItemInt(*info.Replaced, i)));
    FormatStyles(Dest, change);
    // The lists the imported styles name come along.
    for (std::int32_t i = 0; i < Dest.Styles->Count; ++i)
        MoveList(Dest.Styles->Style(i)->ParFormat.List);
}

void TDocumentMover::MapStyles(const std::set<std::int32_t>& used) {
    StyleMap.assign(Source.Styles != nullptr ? Source.Styles->Count : 0, 0);
    if (Dest.Styles == nullptr)
        return;
    for (std::int32_t s : used) {
        const TStyle* style = Source.Styles->Style(s);
        std::int32_t d = Dest.Styles->IndexOfName(style->Name);
        if (d == -1)
            d = Dest.Styles->IndexOfDisplayName(style->DisplayName);
        StyleMap[s] = std::max(d, 0);
    }
}

void TDocumentMover::MoveList(std::int32_t handle, bool forParagraph) {
    if (!ListHandleSet(handle))
        return;
    auto* list = HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
    if (list == nullptr || !Source.Lists.Contains(list) || Dest.Lists.Contains(list))
        return;
    Source.Lists.Remove(list);
    Dest.Lists.Add(list);
    if (forParagraph && AddedListsCollector != nullptr &&
        std::find(AddedListsCollector->begin(), AddedListsCollector->end(), list) == AddedListsCollector->end())
        AddedListsCollector->push_back(list);
}

TParFormat TDocumentMover::DestFormat(const TParFormat& source) {
    TParFormat format = source;
    const std::int32_t s = source.Style;
    if (s >= 0 && s < static_cast<std::int32_t>(StyleMap.size()) && Dest.Styles != nullptr) {
        format.Style = static_cast<std::int16_t>(StyleMap[s]);
        // A paragraph that takes its style's list takes the destination
        // style's list when that style has one.
        const TStyle* from = Source.Styles->Style(s);
        const TStyle* to = Dest.Styles->Style(StyleMap[s]);
        if (ListHandleSet(source.List) && from->ParFormat.List == source.List && ListHandleSet(to->ParFormat.List))
            format.List = to->ParFormat.List;
    }
    MoveList(format.List, true);
    return format;
}

void TDocumentMover::BuildStream(std::int32_t first, std::int32_t last, std::int32_t partial, TMemory& stream) {
    AppendCharFormatControls(stream, DefaultCharFormat);
    TParFormat previous = UnsetParFormat;
    bool firstMark = true;
    for (std::int32_t p = first; p <= last; ++p) {
        TPar& par = *Source.Par(p);
        AppendParStream(par, true, stream);
        const TParFormat format = DestFormat(par.Format);
        if (firstMark || std::memcmp(&format, &previous, sizeof(TParFormat)) != 0) {
            AppendParagraphMark(stream, format);
            previous = format;
            firstMark = false;
        } else {
            stream.AppendByte(ParagraphMarkByte);
        }
    }
    if (partial >= 0)
        AppendParStream(*Source.Par(partial), false, stream);
}

void TDocumentMover::InsertStory(int story, const TMemory& stream, std::int32_t parEnds) {
    // The caret stays where the main insertion wants it.
    const TTextPos caret = Dest.Caret;
    const TTextPos postCaret = Dest.PostActions().Caret;
    TTextPos at;
    MakeTextPos(Dest.FirstParOfStory(story), 0, at);
    Dest.PushStateFlag(sfKeepEveryMark);
    Dest.PushStateFlag(sfNoNoteReorder);
    InsertFormatted(Dest, stream, at, 0, story, parEnds);
    Dest.PopStateFlags(2);
    Dest.Caret = caret;
    Dest.PostActions().Caret = postCaret;
}

void TDocumentMover::HandOverObjects(const TNamedObjects& named) {
    for (TField* field : named.Fields)
        if (Source.Fields.Contains(field))
            Source.Fields.Remove(field);
    for (TSection* section : named.Sections) {
        if (!Source.Sections.Contains(section))
            continue;
        Source.Sections.Remove(section);
        if (Source.SectionsByFirstPar.Contains(section))
            Source.SectionsByFirstPar.Remove(section);
        section->Owner = &Dest;
    }
    std::int32_t top = 0;
    for (std::int32_t i = 0; i < Dest.Shapes.Count; ++i)
        top = std::max(top, Dest.Shapes.At<TShape>(i)->ZOrder());
    for (TShape* shape : named.Shapes) {
        if (!Source.Shapes.Contains(shape))
            continue;
        Source.Shapes.Remove(shape);
        shape->Doc = &Dest;
        // Normalising the destination's paragraph finds the anchor again.
        shape->AnchorPar = nullptr;
        shape->SetZOrder(++top);
        Dest.Shapes.Add(shape);
    }
    // Sections that stay behind must not name headers and footers that left.
    for (std::int32_t i = 0; i < Source.Sections.Count; ++i) {
        auto* section = Source.Sections.At<TSection>(i);
        for (TField*& slot : section->HeadersFooters)
            if (slot != nullptr && named.Fields.contains(slot))
                slot = nullptr;
    }
}

void TDocumentMover::CopyRows(TMemory& stream) {
    ForEachControl(stream, [&](std::int32_t off, const TStreamElement& e) {
        if (e.Code != fcRowEnd)
            return;
        const auto* row = HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value));
        if (row == nullptr)
            return;
        auto* copy = new TTableRow;
        copy->Data = row->Data;
        Dest.TableRowList.Add(copy);
        StoreFormatControl(stream.Data + off, fcRowEnd, static_cast<std::int32_t>(ObjectHandle(copy)));
    });
}

TSection* TDocumentMover::SectionToAdopt() const {
    if (Dest.EditedHeaderFooter != nullptr || PasteOptions().InsertFileMode || Source.Sections.Count == 0 ||
        Dest.Sections.Count == 0)
        return nullptr;
    // Only a document written whole names its own page setup: a copied
    // range carries the page setup of wherever it came from.
    auto* last = Source.Sections.At<TSection>(Source.Sections.Count - 1);
    if (last->ReaderValues.Second != 1)
        return nullptr;
    const std::int32_t destMain = Dest.StoryCounts[stMain];
    if (destMain <= 0)
        return nullptr;
    if (destMain == 1 && Dest.Par(0)->CharCount() <= 1)
        return last;
    // The selection is exactly dest's whole main text.
    if (!Dest.HasSelection() || Dest.Selection->Count() != 1)
        return nullptr;
    TFragment span;
    Dest.Selection->GetSpan(span);
    const TPar& lastPar = *Dest.Par(destMain - 1);
    const bool toEnd = (span.End.Par == destMain - 1 && span.End.Offset >= lastPar.CharCount() - 1) ||
                       (span.End.Par == destMain && span.End.Offset == 0);
    return span.Start.Par == 0 && span.Start.Offset == 0 && toEnd ? last : nullptr;
}

void TDocumentMover::AdoptSection(const TSection& section, TField* const slots[HeaderFooterSlotCount]) {
    const std::int32_t destMain = Dest.StoryCounts[stMain];
    TFragment mainText;
    MakeFragmentFromPositions(TTextPos{0, 0}, TTextPos{destMain - 1, Dest.Par(destMain - 1)->CharCount() - 1},
                              mainText);
    Dest.FormatSections(section.Format, mainText);
    TPageSetupValues values;
    values.What = pwWholeSetup;
    values.Setup = section.PageSetup;
    FormatPageSettingsClamped(Dest, values, mainText);
    // Only objects that now belong to dest may fill dest's slots.
    TField* adopted[HeaderFooterSlotCount] = {};
    for (int i = 0; i < HeaderFooterSlotCount; ++i)
        if (slots[i] != nullptr && Dest.Fields.Contains(slots[i]))
            adopted[i] = slots[i];
    auto* first = Dest.Sections.At<TSection>(0);
    if (!std::equal(std::begin(adopted), std::end(adopted), std::begin(first->HeadersFooters)))
        (new TChangeSectHeadersOperation(&Dest, first, adopted))->Execute();
    FormatNotes(Dest, 0, destMain - 1, section.FootnoteSettings, section.EndnoteSettings, nullptr);
}

void TDocumentMover::Run(std::int32_t parEnds, TMemory& stream) {
    stream.Clear();
    const std::int32_t mainCount = Source.StoryCounts[stMain];
    if (mainCount <= 0)
        return;
    parEnds = std::clamp(parEnds, 0, mainCount);
    if (parEnds < 1 && ParTextLength(*Source.Par(0)) == 0)
        return;

    // The styles of every paragraph that moves whole, in every story.
    std::set<std::int32_t> used;
    const std::int32_t styleCount = Source.Styles != nullptr ? Source.Styles->Count : 0;
    auto noteStyle = [&](std::int32_t p) {
        const std::int32_t s = Source.Par(p)->Format.Style;
        if (s >= 0 && s < styleCount)
            used.insert(s);
    };
    for (std::int32_t p = 0; p < parEnds; ++p)
        noteStyle(p);
    for (std::int32_t p = mainCount; p < Source.ParCount(); ++p)
        noteStyle(p);
    ImportStyles(used);
    MapStyles(used);
    // The slots are noted before the header objects leave the source, whose
    // sections then forget them.
    TSection* adopt = SectionToAdopt();
    TField* slots[HeaderFooterSlotCount] = {};
    if (adopt != nullptr)
        std::copy(std::begin(adopt->HeadersFooters), std::end(adopt->HeadersFooters), std::begin(slots));

    const std::int32_t partial = parEnds < mainCount ? parEnds : -1;
    BuildStream(0, parEnds - 1, partial, stream);
    CopyRows(stream);

    TNamedObjects named;
    named.Collect(stream);
    // Note texts, then headers and footers, each at the start of its story.
    for (int story : {stFootnotes, stEndnotes, stHeadersFooters}) {
        const std::int32_t count = Source.StoryCounts[story];
        if (count <= 0)
            continue;
        const std::int32_t first = Source.FirstParOfStory(story);
        TMemory notes;
        BuildStream(first, first + count - 1, -1, notes);
        CopyRows(notes);
        named.Collect(notes);
        HandOverObjects(named);
        InsertStory(story, notes, count);
    }
    // What no stream named stays with the source and goes with it.
    HandOverObjects(named);
    if (adopt != nullptr)
        AdoptSection(*adopt, slots);
}

}  // namespace

void InsertDocumentStream(TDoc& dest, TDoc& source, std::int32_t parEnds, TMemory& stream) {
    TDocumentMover(dest, source).Run(parEnds, stream);
}

std::vector<TAutoList*>* SetAddedListsCollector(std::vector<TAutoList*>* collector) {
    std::vector<TAutoList*>* previous = AddedListsCollector;
    AddedListsCollector = collector;
    return previous;
}

std::int32_t PictureFileKind(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return -1;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    static constexpr std::array<const char*, 6> Extensions = {"bmp", "emf", "wmf", "jpg", "gif", "png"};
    for (std::size_t i = 0; i < Extensions.size(); ++i)
        if (ext == Extensions[i])
            return static_cast<std::int32_t>(i);
    return ext == "jpeg" ? pkfJpeg : -1;
}

std::int32_t SniffPictureKind(const std::string& head, std::int32_t fallback) {
    // The PNG signature (PNG specification, 5.2), "GIF" (GIF89a, 17), and
    // the JPEG start-of-image marker followed by a JFIF or Exif segment or by
    // a quantisation table or an Adobe segment (ITU T.81, B.2).
    static constexpr unsigned char Png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (head.size() >= 8 && std::memcmp(head.data(), Png, 8) == 0)
        return pkfPng;
    if (head.size() >= 3 && head.compare(0, 3, "GIF") == 0)
        return pkfGif;
    if (head.size() >= 10 && (head.compare(6, 4, "JFIF") == 0 || head.compare(6, 4, "Exif") == 0))
        return pkfJpeg;
    if (head.size() >= 4 && static_cast<unsigned char>(head[0]) == 0xFF &&
        static_cast<unsigned char>(head[1]) == 0xD8 && static_cast<unsigned char>(head[2]) == 0xFF &&
        (static_cast<unsigned char>(head[3]) == 0xDB || static_cast<unsigned char>(head[3]) == 0xEE))
        return pkfJpeg;
    return fallback;
}

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    const Platform::TFileHandle file = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    if (file == Platform::kNoFile)
        return false;
    bytes.clear();
    char buffer[65536];
    bool good = true;
    for (;;) {
        const std::int64_t n = Platform::ReadFileBytes(file, buffer, sizeof buffer);
        if (n < 0) {
            good = false;
            break;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    Platform::CloseFile(file);
    return good;
}

// A GIF picture as PNG, the form a document keeps it in: the first picture
// of the file is decoded, reduced to a palette of exactly its colours (GIF
// has at most 256) and written as PNG. False when the bytes are no GIF
// with a size.
bool GifAsPng(const std::string& bytes, std::string& png) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    try {
        TMemoryStream in;
        in.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        in.Seek(0, soFromBeginning);
        TGIFImage gif;
        gif.LoadFromStream(in);
        if (gif.GetWidth() <= 0 || gif.GetHeight() <= 0)
            return false;
        TPNGImage image;
        image.Assign(&gif);
        ReduceBitmapColors(image);
        TMemoryStream out;
        image.SaveToStream(out);
        png.assign(reinterpret_cast<const char*>(out.Memory), static_cast<std::size_t>(out.MemSize));
        return !png.empty();
    } catch (const std::exception&) {
        return false;
    }
}

// The picture of one kind made from a file's bytes; false when the bytes
// are not a picture of that kind. Pictures are kept in their own form
// (PNG, JPEG, the two metafiles, a bitmap file's DIB), so that saving
// writes them back as they came; GIF, which documents do not keep, becomes
// PNG.
bool PictureOfKind(const std::string& bytes, std::int32_t kind, TShapePicture& picture) {
    picture = TShapePicture{};
    switch (kind) {
        case pkfPng:
            picture.Kind = pkPng;
            picture.Data = bytes;
            break;
        case pkfJpeg:
            picture.Kind = pkJpeg;
            picture.Data = bytes;
            break;
        case pkfEmf:
            picture.Kind = pkEmf;
            picture.Data = bytes;
            break;
        case pkfWmf:
            picture.Kind = pkWmf;
            picture.KindParam = 8;  // MM_ANISOTROPIC
            picture.Data = bytes;
            break;
        case pkfBmp: {
            // A bitmap file is the 14-byte file header "BM" before a packed
            // DIB (BITMAPFILEHEADER).
            constexpr std::size_t FileHeaderSize = 14;
            if (bytes.size() <= FileHeaderSize || bytes.compare(0, 2, "BM") != 0)
                return false;
            picture.Kind = pkDib;
            picture.Data = bytes.substr(FileHeaderSize);
            break;
        }
        case pkfGif:
            picture.Kind = pkPng;
            if (!GifAsPng(bytes, picture.Data))
                return false;
            break;
        default:
            return false;
    }
    if (!MeasurePicture(picture).Good || picture.PixelWidth <= 0 || picture.PixelHeight <= 0)
        return false;
    picture.GoalWidth = picture.PixelWidth * TwipsPerPixel;
    picture.GoalHeight = picture.PixelHeight * TwipsPerPixel;
    return true;
}

}  // namespace

TShape* CreatePictureShape(TDoc& doc, const std::string& path, std::int32_t kind, std::uint32_t flags) {
    const bool silent = (flags & cpsSilent) != 0;
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (!silent)
            ShowErrorFmt(CannotOpenFileMessage, path);
        return nullptr;
    }
    if (kind < 0 || kind >= pkfDetect) {
        const std::int32_t byName = PictureFileKind(path);
        kind = SniffPictureKind(bytes.substr(0, 24), byName);
    }
    TShapePicture picture;
    bool loaded = kind >= 0 && PictureOfKind(bytes, kind, picture);
    // The kind chosen failed: every other kind is tried in turn.
    for (std::int32_t other = pkfBmp; !loaded && other <= pkfPng; ++other)
        if (other != kind)
            loaded = PictureOfKind(bytes, other, picture);
    if (!loaded) {
        if (!silent)
            ShowErrorFmt(PictureErrorMessage, path);
        return nullptr;
    }
    auto* shape = new TShape(&doc);
    shape->Picture = std::move(picture);
    std::int32_t top = 0;
    for (std::int32_t i = 0; i < doc.Shapes.Count; ++i)
        top = std::max(top, doc.Shapes.At<TShape>(i)->ZOrder());
    shape->SetZOrder(top + 1);
    doc.Shapes.Add(shape);
    return shape;
}

void PasteFile(TDoc& doc, const std::string& path, std::int32_t format) {
    TPasteData data;
    data.Source = psFile;
    data.Kind = pkPaste;
    data.FileName = path;
    data.FileFormat = format;
    doc.PerformOperation(TPasteArgs{&data});
}
