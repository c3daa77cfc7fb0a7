// Normalisation and the wide text of a paragraph.
#include "model/paragraphs/TPar.h"

#include <cstring>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TShape.h"
#include "model/host/FontQueries.h"
#include "platform/CodePages.h"

namespace {

constexpr std::uint8_t SymbolCharset = 2;

bool IsNoteKind(const TField* field) {
    return field != nullptr && (field->Kind == fkNoteBody || field->Kind == fkNoteRef || field->Kind == fkNoteNumber);
}

bool IsIndexEntry(const TField* field) {
    return field != nullptr && field->Kind == fkCode && field->Type == ftIndexEntry;
}

const TField* FieldOf(const std::uint8_t* control) {
    return HandleTo<TField>(static_cast<TObjectHandle>(FormatControlValue(control)));
}

// Whether the field boundary b must stand in front of the control p directly
// before it. The rules keep attribute changes behind the field boundaries at
// the same place, let note fields enclose the other fields that start or end
// with them, and close index entries inside the fields around them.
bool MustPrecede(const std::uint8_t* b, const std::uint8_t* p) {
    const std::uint8_t bCode = b[1], pCode = p[1];
    if (bCode != fcFieldStart && bCode != fcFieldEnd)
        return false;
    if (pCode <= fcLastCharAttr)
        return true;
    const bool pIsBoundary = pCode == fcFieldStart || pCode == fcFieldEnd;
    if (!pIsBoundary)
        return false;
    const TField* bField = FieldOf(b);
    const TField* pField = FieldOf(p);
    if (bCode == fcFieldStart) {
        if (IsNoteKind(bField) && pCode == fcFieldStart && pField != nullptr && !IsNoteKind(pField))
            return true;
        if (bField != nullptr && bField->Kind == fkNoteBody && pCode == fcFieldEnd && pField != nullptr &&
            (pField->Kind == fkBookmark || IsIndexEntry(pField)))
            return true;
        return false;
    }
    if (bField != nullptr && !IsNoteKind(bField) && pCode == fcFieldEnd && IsNoteKind(pField))
        return true;
    if (IsIndexEntry(bField)) {
        if (pCode == fcFieldStart && FormatControlValue(p) == FormatControlValue(b))
            return false;  // its own start
        // Two index entries closing together keep their order, and a note
        // body starting here stays in front (the rule above): otherwise a
        // second pass would swap them back and normalising would never
        // settle.
        if (pCode == fcFieldEnd && IsIndexEntry(pField))
            return false;
        if (pCode == fcFieldStart && pField != nullptr && pField->Kind == fkNoteBody)
            return false;
        return true;
    }
    return false;
}

void SwapControls(std::uint8_t* a, std::uint8_t* b) {
    std::uint8_t t[FormatControlSize];
    std::memcpy(t, a, FormatControlSize);
    std::memcpy(a, b, FormatControlSize);
    std::memcpy(b, t, FormatControlSize);
}

// Moves each field boundary of a run of consecutive controls forward past
// the controls it must precede, in stream order.
void OrderControlRun(std::uint8_t* run, std::int32_t count) {
    for (std::int32_t i = 1; i < count; ++i)
        for (std::int32_t j = i; j > 0; --j) {
            std::uint8_t* b = run + j * FormatControlSize;
            std::uint8_t* p = b - FormatControlSize;
            if (!MustPrecede(b, p))
                break;
            SwapControls(b, p);
        }
}

void AppendBytes(std::vector<std::uint8_t>& out, const std::uint8_t* bytes, std::int32_t count) {
    out.insert(out.end(), bytes, bytes + count);
}

// The code page that text in a font is read with: symbol fonts and fonts
// whose pages lie below 1250 read as 1252, as the rest of the program does.
int TextCodePage(std::int32_t font) {
    if (DocFontCharset(font) == SymbolCharset)
        return 1252;
    const int codePage = DocFontCodePage(font);
    return codePage < 1250 ? 1252 : codePage;
}

}  // namespace

void TPar::Normalize() {
    if ((Flags & pfNormalized) != 0)
        return;
    Flags &= ~(pfSymbolText | pfWideTextValid | pfWordIndexValid | pfRaisedText | pfShapes | pfInlineObjects |
               pfHorizontalLines | pfDropCap);
    if (InlineObjects != nullptr)
        InlineObjects->Clear();
    OrderFieldBoundaries();
    RemoveRedundantControls();
    DropTrailingControls();
    LayoutScratch.reset();
    Flags |= pfNormalized;
}

void TPar::OrderFieldBoundaries() {
    TStreamElement e;
    std::int32_t off = 0;
    while (off < Stream.Size) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl || e.Truncated) {
            off += e.Length;
            continue;
        }
        const std::int32_t runStart = off;
        std::int32_t count = 0;
        while (off < Stream.Size) {
            ReadStreamElement(Stream.Data, Stream.Size, off, e);
            if (!e.IsControl || e.Truncated)
                break;
            ++count;
            off += FormatControlSize;
        }
        OrderControlRun(Stream.Data + runStart, count);
        if (off < Stream.Size)
            off += e.Length;
    }
}

void TPar::RemoveRedundantControls() {
    TCharFormat current = DefaultCharFormat;
    TCharFormat atLastChar = current;
    // Output offset of each attribute's control since the last character.
    std::int32_t pending[CharAttrCount];
    std::fill(std::begin(pending), std::end(pending), -1);
    std::vector<std::uint8_t> out;
    out.reserve(Stream.Size);
    std::int32_t pos = 0;

    auto endPending = [&] {
        atLastChar = current;
        std::fill(std::begin(pending), std::end(pending), -1);
        if (current[caOffset] != 0)
            Flags |= pfRaisedText;
    };
    auto removeAt = [&](std::int32_t at) {
        out.erase(out.begin() + at, out.begin() + at + FormatControlSize);
        for (std::int32_t& p : pending)
            if (p > at)
                p -= FormatControlSize;
    };

    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        const std::uint8_t* bytes = Stream.Data + off;
        if (!e.IsControl) {
            if (DocFontCharset(current[caFont]) == SymbolCharset)
                Flags |= pfSymbolText;
            endPending();
            AppendBytes(out, bytes, e.Length);
            pos += e.Length;
            continue;
        }
        if (e.Truncated)
            break;  // a control cut off by the end of the stream means nothing: drop it
        const std::uint8_t code = e.Code;
        if (code <= fcLastCharAttr) {
            if (e.Value == current[code])
                continue;
            current[code] = e.Value;
            if (pending[code] >= 0) {
                removeAt(pending[code]);
                pending[code] = -1;
            }
            // Back to the value at the previous character: nothing changes.
            if (e.Value == atLastChar[code])
                continue;
            pending[code] = static_cast<std::int32_t>(out.size());
            AppendBytes(out, bytes, FormatControlSize);
            continue;
        }
        if (ControlTakesPosition(code)) {
            if (code == fcUnicodeChar)
                Flags |= pfSymbolText;
            if (code == fcShapeAnchor) {
                if (TShape* shape = HandleTo<TShape>(static_cast<TObjectHandle>(e.Value))) {
                    Flags |= shape->IsHorizontalLine() ? pfHorizontalLines : pfShapes;
                    shape->AnchorPar = this;
                    shape->AnchorOffset = pos;
                }
            }
            endPending();
            AppendBytes(out, bytes, FormatControlSize);
            ++pos;
            continue;
        }
        if (code == fcFieldStart) {
            if (TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value))) {
                if (field->Kind == fkCode && field->Type == ftSymbol)
                    Flags |= pfSymbolText;
                if (field->Kind == fkInlineObject) {
                    Flags |= pfInlineObjects;
                    if (TShape* shape = field->InlineShape()) {
                        if (InlineObjects == nullptr)
                            InlineObjects = new TList;
                        InlineObjects->Add(shape);
                        shape->AnchorPar = this;
                        shape->AnchorOffset = pos;
                        shape->InlineField = field;
                    }
                }
                if (field->Kind == fkDropCap && pos == 0)
                    Flags |= pfDropCap;
            }
        }
        // Field boundaries and unknown codes take no position and stay.
        AppendBytes(out, bytes, FormatControlSize);
    }
    Stream.AssignBuffer(out.data(), static_cast<std::int32_t>(out.size()));
}

void TPar::DropTrailingControls() {
    // Find where the run of attribute controls at the end begins.
    std::int32_t trailStart = -1;
    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        const bool attribute = e.IsControl && !e.Truncated && e.Code <= fcLastCharAttr;
        if (!attribute)
            trailStart = -1;
        else if (trailStart < 0)
            trailStart = off;
    }
    if (trailStart < 0)
        return;
    // A stream that is nothing but one attribute control keeps it.
    std::int32_t size = Stream.Size;
    while (size >= 2 * FormatControlSize && size > trailStart)
        size -= FormatControlSize;
    Stream.SetSize(size);
}

void TPar::BuildWideText() {
    Normalize();
    if ((Flags & pfWideTextValid) != 0)
        return;
    const std::int32_t n = Chars.Size;
    WideText.assign(n, u'\0');
    int codePage = TextCodePage(DefaultCharFormat[caFont]);
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size && pos < n; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl) {
            for (std::int32_t i = 0; i < e.Length && pos < n; ++i)
                WideText[pos++] = Platform::ByteToWide(codePage, Stream.Data[off + i]);
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == caFont)
            codePage = TextCodePage(e.Value);
        else if (e.Code == fcUnicodeChar)
            WideText[pos++] = static_cast<char16_t>(e.Value & 0xFFFF);
        else if (ControlTakesPosition(e.Code))
            WideText[pos++] = ControlCharCode(e.Code, e.Value);
    }
    Flags |= pfWideTextValid;
}
