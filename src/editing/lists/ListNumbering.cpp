#include "editing/lists/ListNumbering.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/text/NumberWords.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/fields/FieldFormats.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TShape.h"
#include "model/host/TModelHost.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

namespace {

constexpr int Windows1252 = 1252;
// List number formats beyond those TAutoList.h names (the RTF \levelnfc
// codes 5 to 7).
constexpr std::int32_t lnOrdinal = 5;
constexpr std::int32_t lnCardinalWords = 6;
constexpr std::int32_t lnOrdinalWords = 7;

// A label is laid out on one line wide enough for any label, so that it
// never wraps: the widest page the page setup allows, in twips.
constexpr std::int32_t LabelLayoutWidth = 31680;

// Character attributes a bullet does not take from the text it stands
// before: a bullet keeps its own weight, slant, case, position and spacing.
constexpr int BulletNeutralAttrs[] = {caBold,    caItalic, caStrike,  caDoubleStrike, caSmallCaps,
                                      caAllCaps, caScript, caSpacing, caKerning};

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

bool NoRestart(const TListLevel& level) {
    return level.NumberingFlags[0] != 0;
}

bool Legal(const TListLevel& level) {
    return level.NumberingFlags[1] != 0;
}

// The language in force at the paragraph's end (its paragraph mark).
std::int32_t LanguageAtEnd(const TDoc& doc, const TPar& par) {
    TCharFormat format;
    TTextPos pos{};
    pos.Par = par.Index;
    pos.Offset = par.CharCount() > 0 ? par.CharCount() - 1 : 0;
    doc.FormatAtPos(pos, format);
    return format[caLanguage];
}

// The number of the newest paragraph of level k in the history, looking
// back from its end and stopping at a paragraph of a shallower level unless
// level k keeps counting across them; found is false when there is none.
std::int32_t NewestNumberOfLevel(const TList& history,
                                 std::int32_t count,
                                 std::int32_t k,
                                 bool noRestart,
                                 bool& found) {
    found = false;
    for (std::int32_t i = count - 1; i >= 0; --i) {
        const TPar* earlier = history.At<TPar>(i);
        if (earlier->ListLevel == k) {
            found = true;
            return earlier->ListNumber;
        }
        if (earlier->ListLevel < k && !noRestart)
            break;
    }
    return 0;
}

// The number a paragraph of level m gets: one after the newest paragraph of
// its level (unless a shallower one came in between), its start value when
// there is none, and start + 1 when only deeper paragraphs came before it.
std::int32_t OwnNumber(const TList& history, std::int32_t count, std::int32_t m, const TListLevel& level) {
    bool deeper = false;
    for (std::int32_t i = count - 1; i >= 0; --i) {
        const TPar* earlier = history.At<TPar>(i);
        if (earlier->ListLevel == m)
            return earlier->ListNumber + 1;
        if (earlier->ListLevel > m)
            deeper = true;
        else if (!NoRestart(level))
            break;
    }
    return deeper ? level.StartValue + 1 : level.StartValue;
}

// The label text of paragraph par at effective level m of list, with its
// number stored on the paragraph.
std::u16string LabelText(const TDoc& doc, TPar& par, const TAutoList& list, std::int32_t m) {
    const TListLevel& own = list.Levels[m];
    const TList& history = list.NumberingLists[0];
    const std::int32_t count = history.Count;
    std::u16string text = own.LabelText;
    par.ListNumber = own.StartValue;
    // From the last character to the first, so that a replacement never
    // shifts a placeholder still to come.
    for (std::size_t i = text.size(); i-- > 0;) {
        const char16_t ch = text[i];
        if (ch > 8)
            continue;
        const std::int32_t k = ch;
        std::u16string number;
        if (k == m) {
            par.ListNumber = OwnNumber(history, count, m, own);
            std::int32_t format = own.NumberFormat;
            if (Legal(own) && format != lnLeadingZero)
                format = lnArabic;
            FormatListNumber(doc, par, par.ListNumber, format, number);
        } else {
            const TListLevel& other = list.Levels[k];
            bool found = false;
            std::int32_t value = NewestNumberOfLevel(history, count, k, NoRestart(other), found);
            if (!found)
                value = other.StartValue;
            std::int32_t format = other.NumberFormat;
            if (Legal(own) && format != lnLeadingZero && !IsBulletFormat(format))
                format = lnArabic;
            FormatListNumber(doc, par, value, format, number);
        }
        text.replace(i, 1, number);
    }
    return text;
}

// The scale, in percent, at which a picture bullet stands in its label: a
// little smaller than the label's font is high (85 percent of the level's
// size, else the text's, taken as pixels at 96 per inch) over the height
// the picture's own bytes give. 0 when the picture states no height: it is
// then shown at its own size.
std::uint32_t PictureBulletScale(const TListLevel& level, const TCharFormat& base) {
    const std::int32_t pictureHeight = level.PictureBullet->Picture.PixelHeight;
    if (pictureHeight <= 0)
        return 0;
    const std::int32_t ownSize = level.CharFormat[caSize];
    const std::int32_t halfPoints = ownSize != UnsetValue && ownSize > 0 ? ownSize : base[caSize];
    const std::int64_t pixels = static_cast<std::int64_t>(std::max(halfPoints, 1)) * 96 / 144;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(pixels * 100 / pictureHeight * 85 / 100, 1, 100000));
}

// The bytes of a label being built. The pass builds one label per list
// paragraph and keeps most of them as they were, so the buffers are reused
// from paragraph to paragraph instead of being allocated for each.
struct TLabelBytes {
    std::vector<std::uint8_t> Stream;
    std::vector<std::uint8_t> Chars;

    void Clear() {
        Stream.clear();
        Chars.clear();
    }
    void Control(std::uint8_t code, std::int32_t value) {
        const std::size_t at = Stream.size();
        Stream.resize(at + FormatControlSize);
        StoreFormatControl(Stream.data() + at, code, value);
    }
    void Byte(std::uint8_t b) { Stream.push_back(b); }
};

// The label's format stream and character buffer (step by step as layout
// reads them): the label's attributes, its characters as Unicode-character
// controls (or the picture bullet's anchor), then the attributes switched
// back to the text's and the follower.
void BuildLabel(const TDoc& doc,
                TPar& par,
                const TListLevel& level,
                const std::u16string& text,
                TLabelBytes& bytes,
                std::uint32_t& pictureScale) {
    TCharFormat base;
    TTextPos end{};
    end.Par = par.Index;
    end.Offset = par.CharCount() - 1;
    doc.FormatAtPos(end, base);
    base[caUnderline] = 0;
    if (IsBulletFormat(level.NumberFormat) || level.PictureBullet != nullptr)
        for (int attr : BulletNeutralAttrs)
            base[attr] = 0;
    TCharFormat label = base;
    OverlayCharFormat(label, level.CharFormat);
    if (level.PictureBullet != nullptr)
        pictureScale = PictureBulletScale(level, base);

    if (!text.empty()) {
        for (int attr = caLanguage; attr >= 0; --attr)
            if (label[attr] != DefaultCharFormat[attr])
                bytes.Control(static_cast<std::uint8_t>(attr), label[attr]);
        if (level.PictureBullet != nullptr) {
            bytes.Control(fcShapeAnchor, static_cast<std::int32_t>(ObjectHandle(level.PictureBullet)));
            bytes.Chars.push_back(chShapeAnchor);
        } else {
            for (char16_t ch : text) {
                bytes.Control(fcUnicodeChar, ch);
                bytes.Chars.push_back(chUnicode);
            }
        }
    }
    if (level.FollowKind == lfNothing)
        return;
    const TCharFormat& from = text.empty() ? DefaultCharFormat : label;
    for (int attr = caLanguage; attr >= 0; --attr)
        if (attr != caSize && from[attr] != base[attr])
            bytes.Control(static_cast<std::uint8_t>(attr), base[attr]);
    if (level.FollowKind == lfSpace) {
        bytes.Byte(' ');
        bytes.Chars.push_back(' ');
    } else {
        bytes.Control(fcSpecialChar, chTab);
        bytes.Chars.push_back(chTab);
    }
}

bool SameBytes(const std::vector<std::uint8_t>& a, const TMemory& b) {
    return static_cast<std::int32_t>(a.size()) == b.Size &&
           (b.Size == 0 || std::memcmp(a.data(), b.Data, static_cast<std::size_t>(b.Size)) == 0);
}

// After a label changed: the paragraph is laid out again and the
// interface shows the new numbers.
void LabelChanged(TDoc& doc, TPar& par) {
    doc.NoteParChanged(par.Index);
    if (par.IsLaidOut())
        par.FreeLines();
    ModelHost().InvalidateUI();
}

// Empties a label that a paragraph no longer shows.
void ClearLabel(TDoc& doc, TPar& par) {
    if (par.LabelPar == nullptr || (par.LabelPar->Stream.Size == 0 && par.LabelPar->Chars.Size == 0))
        return;
    TPar& label = *par.LabelPar;
    label.FreeLines();
    label.Stream.Clear();
    label.Chars.Clear();
    label.LabelLeadIn = 0;
    label.ShapeScale = 0;
    LabelChanged(doc, par);
}

// Moves the text of a centred or right-aligned label to the left of where
// it was laid out, so that it ends (or is centred) at the indent, while the
// follower keeps its place.
void ShiftLabel(TPar& label, std::int32_t textChars, std::uint8_t alignment) {
    label.LabelLeadIn = 0;
    if (alignment == 0 || label.LineCount() == 0 || textChars == 0)
        return;
    TLine* line = label.Lines->At<TLine>(0);
    const std::int32_t last = std::min(textChars, line->CharCount);
    std::int32_t shift = line->Pos(last) - line->Pos(0);
    if (alignment == 1)
        shift /= 2;
    for (std::int32_t k = 0; k <= last; ++k)
        line->Positions[k + 1] -= shift;
    label.LabelLeadIn = shift;
}

void NumberParagraph(TDoc& doc, TPar& par, TAutoList& list) {
    const std::int32_t m = list.IsSingleLevel() ? 0 : std::clamp<std::int32_t>(par.Format.ListLevel, 0, 8);
    par.ListLevel = static_cast<std::uint8_t>(m);
    const TListLevel& level = list.Levels[m];
    std::u16string text = LabelText(doc, par, list, m);
    if (level.PictureBullet != nullptr)
        text = u"\x000A";

    static thread_local TLabelBytes bytes;
    bytes.Clear();
    std::uint32_t pictureScale = 0;
    if (!text.empty() || level.FollowKind != lfNothing)
        BuildLabel(doc, par, level, text, bytes, pictureScale);

    if (!par.LabelPar) {
        par.LabelPar = std::make_unique<TPar>(par.Owner);
        par.LabelPar->Flags |= pfProxy;
        par.LabelPar->LabelOwner = &par;
    }
    TPar& label = *par.LabelPar;
    const bool empty = bytes.Chars.empty();
    const TParFormat& own = par.Format;
    const bool sameGeometry = empty || (label.Format.FirstIndent == own.FirstIndent &&
                                        label.Format.LeftIndent == own.LeftIndent && label.Format.Tabs == own.Tabs);
    if (SameBytes(bytes.Stream, label.Stream) && SameBytes(bytes.Chars, label.Chars) && sameGeometry &&
        label.LabelAlignment == level.Alignment && label.ShapeScale == pictureScale) {
        list.NumberingLists[0].Add(&par);
        return;
    }

    label.FreeLines();
    label.Stream.AssignBuffer(bytes.Stream.data(), static_cast<std::int32_t>(bytes.Stream.size()));
    label.Chars.AssignBuffer(bytes.Chars.data(), static_cast<std::int32_t>(bytes.Chars.size()));
    label.LabelAlignment = level.Alignment;
    label.ShapeScale = pictureScale;
    label.Index = par.Index;
    label.Flags &= ~(pfNormalized | pfWideTextValid | pfWordIndexValid);
    label.Format = own;
    label.Format.Alignment = 0;
    label.LabelLeadIn = 0;
    // Without a font manager nothing can be measured (a document edited
    // headless): the label keeps its text and gets no lines.
    if (!empty && FontManager != nullptr) {
        label.LayoutLines(0, LabelLayoutWidth, nullptr);
        auto textChars = static_cast<std::int32_t>(bytes.Chars.size());
        if (level.FollowKind != lfNothing)
            --textChars;
        ShiftLabel(label, textChars, level.Alignment);
    }
    LabelChanged(doc, par);
    list.NumberingLists[0].Add(&par);
}

}  // namespace

void FormatListNumber(const TDoc& doc,
                      const TPar& par,
                      std::int32_t number,
                      std::int32_t format,
                      std::u16string& text) {
    text.clear();
    switch (format) {
        case lnArabic:
            text = Ascii(std::to_string(number));
            break;
        case lnUpperRoman:
            text = Ascii(FormatNumberStyle(number, nsUpperRoman));
            break;
        case lnLowerRoman:
            text = Ascii(FormatNumberStyle(number, nsLowerRoman));
            break;
        case lnUpperLetter:
            text = Ascii(FormatNumberStyle(number, nsUpperLetter));
            break;
        case lnLowerLetter:
            text = Ascii(FormatNumberStyle(number, nsLowerLetter));
            break;
        case lnOrdinal:
        case lnCardinalWords:
        case lnOrdinalWords: {
            // Words and suffixes know the primary language only.
            const std::int32_t language = LanguageAtEnd(doc, par) & 0x3FF;
            const std::int64_t value = std::llabs(static_cast<std::int64_t>(number));
            std::string bytes;
            if (format == lnOrdinal)
                bytes = NumberWithOrdinalSuffix(static_cast<std::int32_t>(std::min<std::int64_t>(value, 0x7FFFFFFF)),
                                                language);
            else if (format == lnCardinalWords)
                bytes = CardinalWords(value, language);
            else
                bytes = OrdinalWords(value, language);
            text = Platform::BytesToWide(Windows1252, bytes);
            break;
        }
        case lnLeadingZero: {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%.2d", number);
            text = Ascii(buffer);
            break;
        }
        default:
            break;
    }
}

void RenumberLists(TDoc& doc, TMergedCellQuery inMergedCell) {
    if (doc.Lists.Count > 0) {
        for (std::int32_t i = 0; i < doc.Lists.Count; ++i)
            doc.Lists.At<TAutoList>(i)->NumberingLists[0].SetCount(0);
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            TPar& par = *doc.Par(p);
            const std::int32_t handle = par.Format.List;
            TAutoList* list = nullptr;
            if (handle != 0 && handle != UnsetValue)
                list = HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
            // An empty paragraph holds only its mark.
            const bool numbered = list != nullptr && par.CharCount() > 1 &&
                                  !(par.Format.InTable == 1 && inMergedCell != nullptr && inMergedCell(doc, p));
            if (!numbered) {
                ClearLabel(doc, par);
                continue;
            }
            NumberParagraph(doc, par, *list);
        }
    }
    doc.StateFlags[sfListsStale] = 0;
}
