#include "files/write/WriReader.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/core/TList.h"
#include "base/text/Charsets.h"
#include "files/import/ImportHelpers.h"
#include "files/import/TReadWindow.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/ShapePicture.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"
#include "model/formats/TShape.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

// The Write file format's constants.
constexpr std::size_t kPageSize = 128;
constexpr std::size_t kTextStart = 128;
constexpr std::uint16_t kWriteIdent = 0xBE31;
constexpr std::uint16_t kWriteIdentWithObjects = 0xBE32;
constexpr std::size_t kFcMacAt = 14;
constexpr std::size_t kPnParaAt = 18;
constexpr std::size_t kPnFfntbAt = 28;
constexpr std::size_t kPnMacAt = 96;
// A property page: the first text position covered, 6-byte entries from
// byte 4, the entry count in its last byte.
constexpr std::size_t kEntriesAt = 4;
constexpr std::size_t kEntrySize = 6;
constexpr std::size_t kEntryCountAt = 127;
constexpr std::size_t kMaxEntries = (kEntryCountAt - kEntriesAt) / kEntrySize;
constexpr std::uint16_t kDefaultProperties = 0xFFFF;
// Font table entries: 0 ends the table, 0xFFFF continues on the next page.
constexpr std::uint16_t kFontTableEnd = 0;
constexpr std::uint16_t kFontTableNextPage = 0xFFFF;
constexpr std::size_t kMaxFaceName = 32;
// Paragraph flags of byte 16: running heads and pictures.
constexpr std::uint8_t kRunningHeadFlags = 0x06;
constexpr std::uint8_t kPictureFlag = 0x10;
constexpr std::size_t kMaxTabs = 14;
constexpr std::size_t kTabsAt = 22;
constexpr std::size_t kTabSize = 4;
// The picture header: the mapping mode (a metafile's, or the marks of
// bitmaps and embedded objects), the metafile's extent, the size shown in
// twips, a bitmap's layout, the header's own size, at byte 32 the size of
// the data that follows the header and the scale in thousandths.
constexpr std::size_t kPictureHeaderSize = 40;
constexpr std::size_t kPictureXExtAt = 2;
constexpr std::size_t kPictureYExtAt = 4;
constexpr std::size_t kPictureWidthAt = 10;
constexpr std::size_t kPictureHeightAt = 12;
constexpr std::size_t kBitmapTypeAt = 16;
constexpr std::size_t kBitmapWidthAt = 18;
constexpr std::size_t kBitmapHeightAt = 20;
constexpr std::size_t kBitmapWidthBytesAt = 22;
constexpr std::size_t kBitmapPlanesAt = 24;
constexpr std::size_t kBitmapBitsPixelAt = 25;
constexpr std::size_t kPictureHeaderSizeAt = 30;
constexpr std::size_t kPictureDataSizeAt = 32;
constexpr std::size_t kPictureScaleXAt = 36;
constexpr std::size_t kPictureScaleYAt = 38;
// The anisotropic mapping mode states its extent in hundredths of a
// millimetre; 2540 of them make an inch of 1440 twips.
constexpr std::uint16_t kAnisotropicMode = 8;
constexpr std::int64_t kTwipsPerInch = 1440;
constexpr std::int64_t kHimetricPerInch = 2540;
constexpr std::int32_t kTwipsPerPixel = 15;
constexpr std::int32_t kMaxScale = 1000;
// A Windows metafile's own header: its type (1 in memory, 2 on disk), its
// size in words (9) and the version.
constexpr std::size_t kWmfHeaderSize = 18;
constexpr std::uint16_t kWmfHeaderWords = 9;
constexpr std::uint16_t kFirstMapMode = 1;
constexpr std::uint16_t kLastMapMode = 8;
constexpr std::uint16_t kBitmapMode = 0xE3;
constexpr std::uint16_t kObjectMode = 0xE4;
// Line spacing in 240ths of a line (single, one and a half, double).
constexpr std::int32_t kSingleSpacing = 240;

// The code page of text in files without a font table.
constexpr int kOemCodePage = 437;
constexpr std::uint8_t kFirstOemByte = 0x80;

constexpr std::uint8_t kCr = 13;
constexpr std::uint8_t kLf = 10;
constexpr std::uint8_t kTab = 9;
constexpr std::uint8_t kFormFeed = 12;

// The property bytes with the defaults under them: character properties
// 6 bytes (12-point text), paragraph properties 76 (single spacing).
using TCharProps = std::array<std::uint8_t, 6>;
using TParProps = std::array<std::uint8_t, 76>;

TCharProps DefaultCharProps() {
    return {1, 0, 24, 0, 0, 0};
}

TParProps DefaultParProps() {
    TParProps props{};
    props[0] = 61;
    StoreU16LE(props.data() + 10, kSingleSpacing);
    return props;
}

// One kind of property pages (character or paragraph), walked entry by
// entry.
class TRunWalker {
public:
    TRunWalker(const TByteReader& file, std::size_t firstPage, std::size_t endPage, TReadResult& flaw)
        : File(file), Page(firstPage), EndPage(endPage), Flaw(flaw) {}

    // Steps to the next run; false when the pages are used up (the rest of
    // the text keeps the defaults). End and Props describe the run.
    bool Next() {
        while (Page < EndPage) {
            const std::size_t at = Page * kPageSize;
            if (!File.HasAt(at, kPageSize)) {
                NoteFlaw("property page beyond the end of the file", at);
                Page = EndPage;
                return false;
            }
            const std::size_t count = std::min<std::size_t>(File.U8At(at + kEntryCountAt), kMaxEntries);
            if (Entry >= count) {
                ++Page;
                Entry = 0;
                continue;
            }
            const std::size_t entry = at + kEntriesAt + Entry * kEntrySize;
            ++Entry;
            End = File.U32LEAt(entry);
            const std::uint16_t offset = File.U16LEAt(entry + 4);
            PropsChanged = offset != LastOffset || Page != LastPage;
            LastOffset = offset;
            LastPage = Page;
            Block = {};
            if (offset != kDefaultProperties) {
                const std::size_t block = at + kEntriesAt + offset;
                const std::size_t size = block < at + kPageSize ? File.U8At(block) : 0;
                if (block >= at + kEntryCountAt || block + 1 + size > at + kEntryCountAt) {
                    NoteFlaw("property block outside its page", entry + 4);
                } else {
                    Block = std::span<const std::uint8_t>(File.Data() + block + 1, size);
                }
            }
            return true;
        }
        return false;
    }

    std::uint32_t End = 0;
    std::span<const std::uint8_t> Block;
    bool PropsChanged = true;

private:
    void NoteFlaw(const char* reason, std::size_t offset) {
        if (Flaw.Good)
            Flaw = TReadResult::Failure(reason, offset);
    }

    const TByteReader& File;
    std::size_t Page;
    std::size_t EndPage;
    std::size_t Entry = 0;
    std::uint16_t LastOffset = 0;
    std::size_t LastPage = static_cast<std::size_t>(-1);
    TReadResult& Flaw;
};

template <std::size_t N>
std::array<std::uint8_t, N> Overlay(std::array<std::uint8_t, N> props, std::span<const std::uint8_t> block) {
    // The block's bytes replace the defaults from byte 0 on; bytes beyond
    // the structure are ignored.
    for (std::size_t i = 0; i < block.size() && i < N; ++i)
        props[i] = block[i];
    return props;
}

class TWriReader {
public:
    TWriReader(TDoc& doc, std::span<const std::uint8_t> file, TWriReadOutcome& outcome)
        : Doc(doc), File(file), Outcome(outcome) {}

    TReadResult Run();

private:
    void ReadFontTable(std::size_t page);
    void NextParagraphRun();
    void NextCharacterRun();
    void ApplyCharacterRun();
    void SkipSpecialParagraphs();
    bool IsPictureAt(std::size_t pos) const;
    void ReadPicture(std::size_t pos);
    void StartParagraph();
    void EndParagraph();
    void AppendSpecial(std::uint8_t code);
    void NoteFlaw(const char* reason, std::size_t offset) {
        if (Outcome.Flaw.Good)
            Outcome.Flaw = TReadResult::Failure(reason, offset);
    }

    TDoc& Doc;
    TByteReader File;
    TWriReadOutcome& Outcome;
    std::vector<std::int32_t> Fonts;
    // Files without a font table come from the DOS world: their bytes from
    // 128 up are characters of the OEM code page (box drawing, accented
    // letters), which no document font's code page holds; they are kept as
    // Unicode characters.
    bool OemText = false;
    std::unique_ptr<TRunWalker> ParRuns;
    std::unique_ptr<TRunWalker> CharRuns;
    bool ParRunsLeft = false;
    bool CharRunsLeft = false;
    bool ParRunningHead = false;
    bool ParPicture = false;
    std::uint32_t ParRunEnd = 0;
    std::uint32_t CharRunEnd = 0;
    TParFormat ParFormat = DefaultParFormat;
    TCharFormat CharFormat = DefaultCharFormat;
    // The character format the paragraph's stream is at.
    TCharFormat InForce = DefaultCharFormat;
    TPar* Par = nullptr;
    std::size_t Pos = kTextStart;
    std::size_t TextEnd = kTextStart;
};

void TWriReader::ReadFontTable(std::size_t page) {
    std::size_t at = page * kPageSize + 2;
    while (File.HasAt(at, 2)) {
        const std::uint16_t size = File.U16LEAt(at);
        if (size == kFontTableEnd)
            break;
        if (size == kFontTableNextPage) {
            at = (at / kPageSize + 1) * kPageSize;
            continue;
        }
        // The family byte, then the face name up to its NUL.
        std::string name;
        for (std::size_t i = 0; i < kMaxFaceName && i + 1 < size; ++i) {
            const std::size_t c = at + 3 + i;
            if (!File.HasAt(c, 1)) {
                NoteFlaw("font table beyond the end of the file", c);
                break;
            }
            if (File.U8At(c) == 0)
                break;
            name += static_cast<char>(File.U8At(c));
        }
        std::int32_t font = DefaultCharFormat[caFont];
        if (FontManager != nullptr && !name.empty()) {
            font = FontManager->IndexOfFont(name);
            if (font < 0 || font == UnsetValue)
                font = FontManager->RegisterFont(name, DefaultCharset(), false);
            if (font < 0 || font == UnsetValue)
                font = DefaultCharFormat[caFont];
        }
        Fonts.push_back(font);
        at += 2 + size;
    }
}

void TWriReader::NextParagraphRun() {
    ParRunsLeft = ParRuns->Next();
    if (!ParRunsLeft) {
        ParRunEnd = static_cast<std::uint32_t>(TextEnd);
        ParRunningHead = false;
        ParPicture = false;
        ParFormat = DefaultParFormat;
        return;
    }
    ParRunEnd = ParRuns->End;
    const TParProps props = Overlay(DefaultParProps(), ParRuns->Block);
    ParRunningHead = (props[16] & kRunningHeadFlags) != 0;
    ParPicture = (props[16] & kPictureFlag) != 0;
    if (!ParRuns->PropsChanged)
        return;
    ParFormat = DefaultParFormat;
    ParFormat.Alignment = static_cast<std::int8_t>(props[1] & 3);
    ParFormat.RightIndent = static_cast<std::int16_t>(LoadU16LE(props.data() + 4));
    ParFormat.LeftIndent = static_cast<std::int16_t>(LoadU16LE(props.data() + 6));
    ParFormat.FirstIndent = static_cast<std::int16_t>(LoadU16LE(props.data() + 8));
    // Write offers single, one and a half and double spacing (240, 360 and
    // 480); anything up to single is single.
    const auto spacing = static_cast<std::int16_t>(LoadU16LE(props.data() + 10));
    if (spacing > kSingleSpacing) {
        ParFormat.LineSpacing = spacing;
        ParFormat.LineSpacingMultiple = 1;
    }
    const TByteReader tabBytes(props.data(), props.size());
    if (tabBytes.U16LEAt(kTabsAt) != 0) {
        TList tabs;
        // The property bytes end inside the last of the 14 stops; a stop
        // that does not fit whole is not read.
        for (std::size_t i = 0; i < kMaxTabs && tabBytes.HasAt(kTabsAt + kTabSize * i, kTabSize); ++i) {
            const std::size_t tab = kTabsAt + kTabSize * i;
            const std::uint16_t position = tabBytes.U16LEAt(tab);
            if (position == 0)
                break;
            // A non-zero kind makes a decimal tab (alignment 3).
            AddTabStop(tabs, MakeTabStop(position, (tabBytes.U8At(tab + 2) & 7) != 0 ? 3 : 0, 0));
        }
        SortTabStops(tabs);
        ParFormat.Tabs = static_cast<std::int16_t>(TabManager != nullptr ? TabManager->InternTabTable(tabs) : 0);
    }
}

void TWriReader::NextCharacterRun() {
    CharRunsLeft = CharRuns->Next();
    if (!CharRunsLeft) {
        CharRunEnd = static_cast<std::uint32_t>(TextEnd);
        CharFormat = DefaultCharFormat;
        return;
    }
    CharRunEnd = CharRuns->End;
    if (!CharRuns->PropsChanged)
        return;
    const TCharProps props = Overlay(DefaultCharProps(), CharRuns->Block);
    CharFormat = DefaultCharFormat;
    const std::size_t font = (props[1] >> 2) | ((props[4] & 7u) << 6);
    if (font < Fonts.size())
        CharFormat[caFont] = Fonts[font];
    if (props[2] != 0)
        CharFormat[caSize] = props[2];
    CharFormat[caBold] = props[1] & 1;
    CharFormat[caItalic] = (props[1] >> 1) & 1;
    CharFormat[caUnderline] = (props[3] & 1) != 0 ? ulSingle : ulNone;
    const auto position = static_cast<std::int8_t>(props[5]);
    CharFormat[caScript] = position > 0 ? 1 : position < 0 ? 2 : 0;
}

void TWriReader::ApplyCharacterRun() {
    while (CharRunsLeft && CharRunEnd <= Pos)
        NextCharacterRun();
    for (int attr = 0; attr <= fcLastCharAttr; ++attr) {
        if (CharFormat[attr] != InForce[attr]) {
            AppendFormatControl(Par->Stream, static_cast<std::uint8_t>(attr), CharFormat[attr]);
            InForce[attr] = CharFormat[attr];
        }
    }
}

// A picture paragraph holds a picture header and the picture's data, all
// inside the paragraph. Some files mark text paragraphs with the picture
// flag; only a header whose mapping mode and data size make sense is taken
// for a picture, anything else is read as the text it is.
bool TWriReader::IsPictureAt(std::size_t pos) const {
    if (!File.HasAt(pos, kPictureHeaderSize))
        return false;
    const std::uint16_t mode = File.U16LEAt(pos);
    const bool known = (mode >= kFirstMapMode && mode <= kLastMapMode) || mode == kBitmapMode || mode == kObjectMode;
    const std::size_t end = std::min<std::size_t>(ParRunEnd, TextEnd);
    const std::uint64_t size = File.U32LEAt(pos + kPictureDataSizeAt);
    return known && pos + kPictureHeaderSize + size <= end;
}

TReadResult ReadWriPicture(const TByteReader& file, std::size_t pos, std::size_t end, TShapePicture& picture) {
    if (!file.HasAt(pos, kPictureHeaderSize) || pos + kPictureHeaderSize > end)
        return file.ErrorAt("a picture header cut short", pos);
    const std::uint16_t mode = file.U16LEAt(pos);
    if (mode == kObjectMode)
        return file.ErrorAt("an embedded object, which is not imported", pos);
    if (mode != kBitmapMode && (mode < kFirstMapMode || mode > kLastMapMode))
        return file.ErrorAt("a picture of an unknown mapping mode", pos);
    // The header states its own size; the data follows it. Older files
    // leave the size 0, meaning the 40 bytes of the header.
    std::size_t headerSize = file.U16LEAt(pos + kPictureHeaderSizeAt);
    if (headerSize == 0)
        headerSize = kPictureHeaderSize;
    if (headerSize < kPictureHeaderSize || pos + headerSize > end)
        return file.ErrorAt("a picture header of an impossible size", pos + kPictureHeaderSizeAt);
    const std::uint64_t size = file.U32LEAt(pos + kPictureDataSizeAt);
    if (size == 0 || pos + headerSize + size > end)
        return file.ErrorAt("picture data beyond its paragraph", pos + kPictureDataSizeAt);
    const TByteReader data = file.SubAt(pos + headerSize, static_cast<std::size_t>(size));

    picture = TShapePicture{};
    if (mode == kBitmapMode) {
        picture.Kind = pkBitmap;
        picture.KindParam = file.U16LEAt(pos + kBitmapTypeAt);
        picture.PicWidth = file.U16LEAt(pos + kBitmapWidthAt);
        picture.PicHeight = file.U16LEAt(pos + kBitmapHeightAt);
        picture.WidthBytes = file.U16LEAt(pos + kBitmapWidthBytesAt);
        picture.Planes = file.U8At(pos + kBitmapPlanesAt);
        picture.BitsPerPixel = file.U8At(pos + kBitmapBitsPixelAt);
        if (picture.PicWidth == 0 || picture.PicHeight == 0)
            return file.ErrorAt("a bitmap without a stated size", pos + kBitmapWidthAt);
        if (picture.Planes == 0 || picture.BitsPerPixel == 0 || picture.WidthBytes == 0 ||
            std::int64_t{picture.WidthBytes} * 8 < std::int64_t{picture.PicWidth} * picture.BitsPerPixel)
            return file.ErrorAt("a bitmap of an impossible layout", pos + kBitmapWidthBytesAt);
        const auto need = static_cast<std::uint64_t>(picture.WidthBytes) *
                          static_cast<std::uint64_t>(picture.PicHeight) * static_cast<std::uint64_t>(picture.Planes);
        if (need > size)
            return file.ErrorAt("a bitmap shorter than its stated size", pos + kPictureDataSizeAt);
        picture.PixelWidth = picture.PicWidth;
        picture.PixelHeight = picture.PicHeight;
    } else {
        picture.Kind = pkWmf;
        picture.KindParam = mode;
        if (!data.HasAt(0, kWmfHeaderSize))
            return file.ErrorAt("a metafile cut short in its header", pos + headerSize);
        const std::uint16_t type = data.U16LEAt(0);
        if ((type != 1 && type != 2) || data.U16LEAt(2) != kWmfHeaderWords)
            return file.ErrorAt("not a Windows metafile: the header is wrong", pos + headerSize);
        // The extents are hundredths of a millimetre in the anisotropic
        // mode, the one Write's pictures use; other modes leave them unused.
        if (mode == kAnisotropicMode) {
            picture.PicWidth = static_cast<std::int16_t>(file.U16LEAt(pos + kPictureXExtAt));
            picture.PicHeight = static_cast<std::int16_t>(file.U16LEAt(pos + kPictureYExtAt));
            picture.PicWidth = std::max(picture.PicWidth, 0);
            picture.PicHeight = std::max(picture.PicHeight, 0);
        }
    }
    picture.Data.assign(reinterpret_cast<const char*>(data.Data()), data.Size());

    // The size shown, in twips. A bitmap is its pixels at 96 dots per inch
    // (as LibreOffice shows them too); a metafile the size its header
    // states, or else its extent.
    if (picture.Kind == pkBitmap) {
        picture.GoalWidth = picture.PicWidth * kTwipsPerPixel;
        picture.GoalHeight = picture.PicHeight * kTwipsPerPixel;
    } else {
        picture.GoalWidth = static_cast<std::int16_t>(file.U16LEAt(pos + kPictureWidthAt));
        picture.GoalHeight = static_cast<std::int16_t>(file.U16LEAt(pos + kPictureHeightAt));
        if (picture.GoalWidth <= 0 || picture.GoalHeight <= 0) {
            if (picture.PicWidth <= 0 || picture.PicHeight <= 0)
                return file.ErrorAt("a metafile picture without a size", pos + kPictureWidthAt);
            picture.GoalWidth = static_cast<std::int32_t>(
                (std::int64_t{picture.PicWidth} * kTwipsPerInch + kHimetricPerInch / 2) / kHimetricPerInch);
            picture.GoalHeight = static_cast<std::int32_t>(
                (std::int64_t{picture.PicHeight} * kTwipsPerInch + kHimetricPerInch / 2) / kHimetricPerInch);
        }
    }
    // Thousandths in the file, percent in the model; 0 means unscaled.
    const auto scale = [](std::uint16_t thousandths) {
        return thousandths == 0 ? 100 : std::clamp<std::int32_t>((thousandths + 5) / 10, 1, kMaxScale);
    };
    picture.ScaleX = scale(file.U16LEAt(pos + kPictureScaleXAt));
    picture.ScaleY = scale(file.U16LEAt(pos + kPictureScaleYAt));
    return TReadResult::Success();
}

void TWriReader::ReadPicture(std::size_t pos) {
    TShapePicture picture;
    const TReadResult result = ReadWriPicture(File, pos, std::min<std::size_t>(ParRunEnd, TextEnd), picture);
    if (!result.Good) {
        // An embedded object is left out by design, not a flaw of the file.
        if (File.U16LEAt(pos) != kObjectMode)
            NoteFlaw(result.Reason.c_str(), static_cast<std::size_t>(result.Offset));
        return;
    }
    auto* shape = new TShape(&Doc);
    shape->Picture = std::move(picture);
    shape->Story = stMain;
    shape->AnchorPar = Par;
    shape->AnchorOffset = Par->Chars.Size;
    Doc.Shapes.Add(shape);
    AppendFormatControl(Par->Stream, fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(shape)));
    Par->Chars.AppendByte(chShapeAnchor);
    // A picture is a paragraph of its own in Write, with its own alignment
    // and indents; the text after it starts a new one.
    EndParagraph();
    InForce = DefaultCharFormat;
}

void TWriReader::SkipSpecialParagraphs() {
    while (ParRunsLeft && ParRunEnd <= Pos)
        NextParagraphRun();
    while ((ParRunningHead || (ParPicture && IsPictureAt(Pos))) && Pos < TextEnd) {
        // Running heads are not imported; a picture is, as an inline
        // picture at the start of the paragraph that follows it. The rest
        // of the paragraph's bytes are passed over either way.
        if (!ParRunningHead)
            ReadPicture(Pos);
        Pos = std::max<std::size_t>(Pos, std::min<std::size_t>(ParRunEnd, TextEnd));
        NextParagraphRun();
        while (ParRunsLeft && ParRunEnd <= Pos)
            NextParagraphRun();
    }
}

void TWriReader::StartParagraph() {
    InForce = DefaultCharFormat;
    SkipSpecialParagraphs();
    ApplyCharacterRun();
}

void TWriReader::AppendSpecial(std::uint8_t code) {
    AppendFormatControl(Par->Stream, fcSpecialChar, code);
    Par->Chars.AppendByte(code);
}

void TWriReader::EndParagraph() {
    AppendSpecial(chParEnd);
    Par->Format = ParFormat;
    Par->Changed();
    auto* par = new TPar(&Doc);
    par->Format = DefaultParFormat;
    Doc.Pars.Add(par);
    Par = par;
}

TReadResult TWriReader::Run() {
    if (!File.HasAt(0, kTextStart))
        return File.ErrorAt("shorter than a Write header", File.Size());
    const std::uint16_t ident = File.U16LEAt(0);
    if (ident != kWriteIdent && ident != kWriteIdentWithObjects)
        return File.ErrorAt("not a Write file", 0);
    const std::uint32_t fcMac = File.U32LEAt(kFcMacAt);
    if (fcMac < kTextStart)
        return File.ErrorAt("text ends before it starts", kFcMacAt);
    TextEnd = fcMac;
    if (TextEnd > File.Size()) {
        NoteFlaw("text runs past the end of the file", kFcMacAt);
        TextEnd = File.Size();
    }
    const std::size_t pnChar = (static_cast<std::size_t>(fcMac) + kPageSize - 1) / kPageSize;
    const std::size_t pnPara = File.U16LEAt(kPnParaAt);
    const std::size_t pnFfntb = File.U16LEAt(kPnFfntbAt);
    const std::size_t pnMac = File.U16LEAt(kPnMacAt);
    if (pnFfntb < pnMac)
        ReadFontTable(pnFfntb);
    OemText = Fonts.empty();
    if (pnPara < pnChar)
        NoteFlaw("paragraph pages inside the text", kPnParaAt);
    // Character pages run from the first page after the text to the first
    // paragraph page; the paragraph pages up to the next table (the
    // footnote, section and page tables and the font table follow them) or
    // the end of the file. The page count of the header is not used for
    // this: older files leave it 0.
    std::size_t parEnd = std::max((File.Size() + kPageSize - 1) / kPageSize, pnPara);
    for (const std::size_t at : {std::size_t{20}, std::size_t{22}, std::size_t{24}, std::size_t{26}, kPnFfntbAt}) {
        const std::size_t page = File.U16LEAt(at);
        if (page > pnPara && page < parEnd)
            parEnd = page;
    }
    CharRuns = std::make_unique<TRunWalker>(File, pnChar, std::max(pnChar, pnPara), Outcome.Flaw);
    ParRuns = std::make_unique<TRunWalker>(File, pnPara, parEnd, Outcome.Flaw);

    Par = Doc.Par(Doc.ParCount() - 1);
    Par->Stream.Clear();
    Par->Chars.Clear();
    Par->Format = DefaultParFormat;
    Pos = kTextStart;
    NextParagraphRun();
    NextCharacterRun();
    StartParagraph();
    const std::uint8_t* bytes = File.Data();
    while (Pos < TextEnd) {
        const std::uint8_t b = bytes[Pos];
        if (b == kCr) {
            EndParagraph();
            ++Pos;
            // Write ends paragraphs with CR LF; a CR without its LF still
            // ends the paragraph and takes nothing more.
            if (Pos < TextEnd && bytes[Pos] == kLf)
                ++Pos;
            StartParagraph();
            continue;
        }
        if (b == kTab) {
            AppendSpecial(chTab);
            ++Pos;
        } else if (b == kFormFeed) {
            AppendSpecial(chPageBreak);
            ++Pos;
        } else if (b >= kFirstOemByte && OemText) {
            AppendFormatControl(Par->Stream, fcUnicodeChar, Platform::ByteToWide(kOemCodePage, b));
            Par->Chars.AppendByte(chUnicode);
            ++Pos;
        } else if (b >= 32) {
            const std::size_t runEnd = std::clamp<std::size_t>(CharRunEnd, Pos + 1, TextEnd);
            std::size_t run = std::max<std::size_t>(LeadingRunLength(bytes + Pos, runEnd - Pos), 1);
            if (OemText)
                run = static_cast<std::size_t>(
                    std::find_if(bytes + Pos, bytes + Pos + run, [](std::uint8_t c) { return c >= kFirstOemByte; }) -
                    (bytes + Pos));
            Par->Stream.AppendBuffer(bytes + Pos, static_cast<std::int32_t>(run));
            Par->Chars.AppendBuffer(bytes + Pos, static_cast<std::int32_t>(run));
            Pos += run;
        } else {
            ++Pos;
        }
        ApplyCharacterRun();
    }
    Par->Format = ParFormat;
    Par->Changed();
    return TReadResult::Success();
}

}  // namespace

TReadResult ReadWriDocument(TDoc& doc, std::span<const std::uint8_t> file, TWriReadOutcome& outcome) {
    TWriReader reader(doc, file, outcome);
    return reader.Run();
}

bool ReadWri(TDoc& doc, TReadWindow& window) {
    std::vector<std::uint8_t> file;
    for (;;) {
        file.insert(file.end(), window.ReadPos, window.ReadEnd);
        window.ReadPos = window.ReadEnd;
        if (window.AtEnd)
            break;
        window.FillReadBuffer();
    }
    TWriReadOutcome outcome;
    return ReadWriDocument(doc, file, outcome).Good;
}
