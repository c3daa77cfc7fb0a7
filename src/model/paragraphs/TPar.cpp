#include "model/paragraphs/TPar.h"

#include <algorithm>
#include <cstring>

#include "base/core/ObjectHandles.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TLine.h"
#include "model/formats/TWordIndex.h"
#include "model/formats/WordSeparators.h"
#include "model/host/FontQueries.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TParOwner.h"
#include "model/paragraphs/TextServices.h"

namespace {

bool IsBreakChar(std::uint8_t c) {
    return c == chColumnBreak || c == chLineBreak || c == chPageBreak;
}

// twips × 96 / 1440 rounded half up, for paragraphs without a document.
std::int32_t TwipsToScreenPixels(std::int32_t twips) {
    const std::int64_t n = static_cast<std::int64_t>(twips) * 96 + 720;
    return static_cast<std::int32_t>(n >= 0 ? n / 1440 : -((-n + 1439) / 1440));
}

}  // namespace

TParLayoutState::~TParLayoutState() {
    DestroyLines(Lines);
}

TPar::TPar(TParOwner* owner) : Owner(owner) {}

TPar::~TPar() {
    DestroyLines(Lines);
    delete InlineObjects;
}

void TPar::Changed() {
    Flags &= ~(pfNormalized | pfWideTextValid | pfWordIndexValid);
    FreeLines();
}

void TPar::FreeLines() {
    DestroyLines(Lines);
    Lines = nullptr;
    Flags &= ~pfLaidOut;
}

TStyle* TPar::Style() const {
    TStyleList* styles = Owner != nullptr ? Owner->OwnerStyles() : nullptr;
    if (styles == nullptr)
        return nullptr;
    const std::int32_t i = Format.Style;
    return i >= 0 && i < styles->Count ? styles->Style(i) : nullptr;
}

bool TPar::IsLaidOut() const {
    return (Flags & pfLaidOut) != 0 && Lines != nullptr && Lines->Count > 0 && Lines->At<TLine>(0)->Box != nullptr;
}

std::int32_t TPar::StreamOffsetOfChar(std::int32_t pos) const {
    if (pos > Chars.Size - 1)
        pos = Chars.Size - 1;
    if (pos < 0)
        pos = 0;
    std::int32_t count = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl) {
            if (pos < count + e.Length)
                return off + (pos - count);
            count += e.Length;
        } else if (!e.Truncated && ControlTakesPosition(e.Code)) {
            if (count == pos)
                return off;
            ++count;
        }
    }
    // The stream holds fewer characters than the buffer: its end.
    return Stream.Size;
}

std::int32_t TPar::LineOfChar(std::int32_t pos, std::int32_t hint, bool atEnd) const {
    if (Lines == nullptr || Lines->Count == 0)
        return 0;
    // The last line whose first character is at or before pos.
    std::int32_t lo = 0, hi = Lines->Count - 1;
    while (lo < hi) {
        const std::int32_t mid = (lo + hi + 1) / 2;
        if (Lines->At<TLine>(mid)->FirstChar <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    const TLine* line = Lines->At<TLine>(lo);
    if (lo > 0 && pos == line->FirstChar && hint < lo) {
        const TLine* prev = Lines->At<TLine>(lo - 1);
        const std::int32_t last = prev->FirstChar + prev->CharCount - 1;
        const bool endsInBreak = last >= 0 && last < Chars.Size && IsBreakChar(Chars.Data[last]);
        if (atEnd || !endsInBreak)
            return lo - 1;
    }
    return lo;
}

TSection* TPar::EndingSection() const {
    if (Chars.Size == 0 || Chars.Data[Chars.Size - 1] != chSectionBreak)
        return nullptr;
    // Walk forwards: the section break must be the last element that takes
    // a position, followed by nothing but field ends.
    TStreamElement e;
    std::int32_t section = 0;
    bool found = false;
    for (std::int32_t off = 0; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (e.IsControl && !e.Truncated && e.Code == fcSectionBreak) {
            found = true;
            section = e.Value;
        } else if (!(e.IsControl && !e.Truncated && e.Code == fcFieldEnd)) {
            found = false;
        }
    }
    return found ? HandleTo<TSection>(static_cast<TObjectHandle>(section)) : nullptr;
}

bool TPar::OnlyBreaksBefore(std::int32_t pos) const {
    const std::int32_t n = std::min(pos, Chars.Size);
    for (std::int32_t i = 0; i < n; ++i)
        if (Chars.Data[i] != chColumnBreak && Chars.Data[i] != chPageBreak)
            return false;
    return true;
}

std::int32_t TPar::TextIndentPixels(std::int32_t pos) const {
    const std::int32_t left = Format.LeftIndent;
    const std::int32_t first = Format.FirstIndent;
    std::int32_t indent = left;
    if (pos == 0 || OnlyBreaksBefore(pos))
        indent += first;
    const std::uint8_t viewMode = Owner != nullptr ? Owner->OwnerViewMode() : 0;
    if ((viewMode == 1 || viewMode == 2) && (Flags & pfProxy) == 0) {
        // Draft views have no margin to show hanging text in.
        const std::int32_t leftmost = std::min(left, left + first);
        if (leftmost < 0)
            indent -= leftmost;
    }
    return Owner != nullptr ? Owner->TwipsToPixelsX(indent) : TwipsToScreenPixels(indent);
}

std::int32_t TPar::BorderSpaceBelow() const {
    if ((Flags & pfProxy) != 0 || Format.Borders <= 0 || Format.Borders >= BorderSetCount())
        return 0;
    bool lastOfGroup = true;
    if (Owner != nullptr && Index >= 0 && Index < Owner->ParCount() && Owner->Par(Index) == this)
        lastOfGroup = !Owner->InBorderGroup(Index, Index + 1);
    const TBorder& border = BorderSetAt(Format.Borders).Borders[lastOfGroup ? bsBottom : bsInside];
    if (border.Type == NoBorderType || border.Type == UnsetValue)
        return 0;
    return border.Width + border.Spacing;
}

TList* TPar::SymbolCharPositions() const {
    TList* list = TList::Acquire();
    if ((Flags & pfSymbolText) == 0)
        return list;
    bool symbolFont = false;
    bool inSymbolField = false;
    bool saved = false;
    std::int32_t symbolField = 0;
    std::int32_t pos = 0;
    // Positions the character buffer does not have are never listed:
    // callers index the buffer with them.
    const std::int32_t count = Chars.Size;
    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size && pos < count; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl) {
            if (symbolFont)
                for (std::int32_t i = 0; i < e.Length && pos + i < count; ++i)
                    list->Add(reinterpret_cast<void*>(static_cast<std::intptr_t>(pos + i)));
            pos += e.Length;
            continue;
        }
        if (e.Truncated)
            break;
        if (e.Code == caFont) {
            // Inside a SYMBOL field the field's font wins; the run's own font
            // comes back at the field's end.
            const bool isSymbol = DocFontCharset(e.Value) == 2;
            (inSymbolField ? saved : symbolFont) = isSymbol;
        } else if (e.Code == fcFieldStart) {
            const TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (!inSymbolField && field != nullptr && field->Kind == fkCode && field->Type == ftSymbol) {
                inSymbolField = true;
                symbolField = e.Value;
                saved = symbolFont;
                symbolFont = true;
            }
        } else if (e.Code == fcFieldEnd) {
            if (inSymbolField && e.Value == symbolField) {
                inSymbolField = false;
                symbolFont = saved;
            }
        } else if (ControlTakesPosition(e.Code)) {
            if (e.Code == fcUnicodeChar)
                list->Add(reinterpret_cast<void*>(static_cast<std::intptr_t>(pos)));
            ++pos;
        }
    }
    return list;
}

bool TPar::HasNoteReferenceMark() const {
    return Chars.Size > 0 && std::memchr(Chars.Data, chNoteRef, Chars.Size) != nullptr;
}

bool TPar::IsNumberedListPar() const {
    if (Format.List == 0 || Format.List == UnsetValue)
        return false;
    const TAutoList* list = HandleTo<TAutoList>(static_cast<TObjectHandle>(Format.List));
    if (list == nullptr || Format.ListLevel < 0 || Format.ListLevel > 8)
        return false;
    return !IsBulletFormat(list->Levels[Format.ListLevel].NumberFormat);
}

void TPar::GetListLabelText(std::u16string& text) const {
    text.clear();
    if (!IsNumberedListPar() || !LabelPar)
        return;
    const TMemory& label = LabelPar->Stream;
    TStreamElement e;
    for (std::int32_t off = 0; off < label.Size; off += e.Length) {
        ReadStreamElement(label.Data, label.Size, off, e);
        if (e.IsControl && !e.Truncated && e.Code == fcUnicodeChar)
            text.push_back(static_cast<char16_t>(e.Value & 0xFFFF));
    }
    const TAutoList* list = HandleTo<TAutoList>(static_cast<TObjectHandle>(Format.List));
    const std::uint8_t follow = list->Levels[Format.ListLevel].FollowKind;
    // The label ends in its tab or blank; the caller adds its own.
    if ((follow == lfTab || follow == lfSpace) && !text.empty())
        text.pop_back();
    if (follow != lfNothing && Chars.Size > 1)
        text.push_back(u' ');
}

std::int32_t TPar::LanguageAt(std::int32_t pos) const {
    std::int32_t language = DefaultCharFormat[caLanguage];
    std::int32_t count = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl) {
            if (pos < count + e.Length)
                return language;
            count += e.Length;
        } else if (e.Truncated) {
            break;
        } else if (e.Code == caLanguage) {
            language = e.Value;
        } else if (ControlTakesPosition(e.Code)) {
            if (count == pos)
                return language;
            ++count;
        }
    }
    return language;
}

bool TPar::IsSeparatorAt(std::uint8_t ch, std::int32_t pos) const {
    if (WordSeparators[ch] != 0)
        return true;
    // Apostrophes separate words only in the languages that say so; the
    // language is looked up only for the bytes that can be apostrophes.
    if (ch != 39 && ch != 96 && ch != 145 && ch != 146 && ch != 180)
        return false;
    const TTextServices& services = TextServices();
    const std::int32_t language = LanguageAt(pos);
    return services.IsApostropheChar(ch, language) && services.LanguageSeparatesApostrophes(language);
}

void TPar::TakeLayoutState(TParLayoutState& state) {
    DestroyLines(state.Lines);
    state.Lines = Lines;
    Lines = nullptr;
    state.Stream = std::make_unique<TMemory>();
    state.Stream->Assign(Stream);
    state.Chars = std::make_unique<TMemory>();
    state.Chars->Assign(Chars);
    state.Flags = Flags;
    Flags &= ~pfLaidOut;
}

void TPar::RestoreLayoutState(TParLayoutState& state) {
    DestroyLines(Lines);
    Lines = state.Lines;
    state.Lines = nullptr;
    bool unchanged = true;
    if (state.Stream) {
        unchanged = unchanged && state.Stream->View() == Stream.View();
        Stream.Assign(*state.Stream);
    }
    if (state.Chars) {
        unchanged = unchanged && state.Chars->View() == Chars.View();
        Chars.Assign(*state.Chars);
    }
    state.Stream.reset();
    state.Chars.reset();
    Flags = state.Flags;
    // The caches may have been rebuilt for the temporary text (and shapes
    // recorded at its positions): when the text changed in between, they
    // are rebuilt from the restored text on next use.
    if (!unchanged)
        Flags &= ~(pfNormalized | pfWideTextValid | pfWordIndexValid);
}

void TPar::ResetSpellState() {
    const std::uint32_t generation = TextServices().SpellGeneration();
    if (SpellGeneration == generation)
        return;
    SpellGeneration = generation;
    CheckedFrom = CheckedTo = 0;
    SpellMarks.clear();
    SpellMarkWord = 0;
    for (auto& block : SpellcheckerBlocks)
        std::fill(block.begin(), block.end(), 0);
}

void TPar::AddCheckedRange(std::int32_t from, std::int32_t to) {
    if (from >= to)
        return;
    ResetSpellState();
    if (CheckedFrom == 0 && CheckedTo == 0) {
        CheckedFrom = from;
        CheckedTo = to;
    } else if (from <= CheckedTo && to >= CheckedFrom) {
        CheckedFrom = std::min(CheckedFrom, from);
        CheckedTo = std::max(CheckedTo, to);
    }
}

void TPar::AddSpellMark(std::int32_t key1, std::int32_t key2, std::int32_t value) {
    ResetSpellState();
    for (auto it = SpellMarks.rbegin(); it != SpellMarks.rend(); ++it)
        if (it->From == key1 && it->To == key2)
            return;
    SpellMarks.push_back({key1, key2, value});
    const std::uint32_t count = static_cast<std::uint32_t>(SpellMarks.size()) & smCountMask;
    SpellMarkWord = (SpellMarkWord & ~smCountMask) | count |
                    (value == SpellMarkNoSpellchecker ? smUncheckedLanguage : smMisspelling);
}

bool TPar::SpellCheckValid(std::int32_t from, std::int32_t to) const {
    return SpellGeneration == TextServices().SpellGeneration() && CheckedFrom <= from && to <= CheckedTo;
}

bool TPar::RenumberNotes(std::int32_t firstLine, std::int32_t& footnoteNumber, std::int32_t& endnoteNumber) {
    std::int32_t start = 0;
    if (Lines != nullptr && firstLine >= 0 && firstLine < Lines->Count)
        start = std::clamp(Lines->At<TLine>(firstLine)->StreamStart, 0, Stream.Size);
    // Step back over the controls without a position just before the line,
    // so that a reference starting right at the line is seen.
    std::int32_t begin = start;
    std::int32_t runStart = -1;
    TStreamElement e;
    for (std::int32_t off = 0;; off += e.Length) {
        if (off >= start) {
            if (off == start && runStart >= 0)
                begin = runStart;
            break;
        }
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (off + e.Length > start)
            break;  // the line starts inside a text run
        const bool noPosition = e.IsControl && !e.Truncated && !ControlTakesPosition(e.Code);
        runStart = noPosition ? (runStart >= 0 ? runStart : off) : -1;
    }
    bool changed = false;
    TSection* section = nullptr;
    bool sectionKnown = false;
    for (std::int32_t off = begin; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || e.Code != fcFieldStart)
            continue;
        TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
        if (field == nullptr || field->Kind != fkNoteRef || (field->Flags & ffAutoNumber) == 0)
            continue;
        if (!sectionKnown) {
            section = Owner != nullptr ? Owner->SectionOfPar(Index) : nullptr;
            sectionKnown = true;
        }
        const TField* body = field->Partner;
        std::int32_t& counter = body != nullptr && body->Endnote != 0 ? endnoteNumber : footnoteNumber;
        if (field->SetNoteNumber(section, counter)) {
            changed = true;
            // The note's own paragraphs show the number too.
            if (body != nullptr && Owner != nullptr) {
                const std::int32_t last = std::min(body->Range.End.Par, Owner->ParCount() - 1);
                for (std::int32_t p = std::max(body->Range.Start.Par, 0); p <= last; ++p)
                    Owner->Par(p)->FreeLines();
            }
        }
        ++counter;
    }
    return changed;
}

bool TPar::SyncNoteNumberText() {
    // The note body must start at the paragraph's start.
    const TField* body = nullptr;
    TStreamElement e;
    for (std::int32_t off = 0; off < Stream.Size && body == nullptr; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
            break;
        if (e.Code == fcFieldStart) {
            const TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field != nullptr && field->Kind == fkNoteBody)
                body = field;
        }
    }
    if (body == nullptr)
        return false;
    const TField* reference = body->Partner;
    if (reference == nullptr || reference->Kind != fkNoteRef || (reference->Flags & ffAutoNumber) == 0)
        return false;
    bool changed = false;
    for (std::int32_t off = 0; off < Stream.Size; off += e.Length) {
        ReadStreamElement(Stream.Data, Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || e.Code != fcFieldStart)
            continue;
        TField* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
        if (field != nullptr && field->Kind == fkNoteNumber && field->ResultText != reference->ResultText) {
            field->ResultText = reference->ResultText;
            changed = true;
        }
    }
    return changed;
}
