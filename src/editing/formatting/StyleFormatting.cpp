// Styles: giving paragraphs a style while they keep their chosen runs,
// replacing the style sheet, and redefining a style from the selection.
#include <algorithm>
#include <memory>
#include <set>

#include "base/core/ObjectHandles.h"
#include "base/messages/MessageBoxes.h"
#include "editing/formatting/Formatting.h"
#include "editing/formatting/FormattingSeams.h"
#include "editing/formatting/TAddAutoListOperation.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/ListOperations.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/StyleOperations.h"

namespace {

const char* const MixedStylesMessage =
    "The \"%s\" operation can only be applied to a selection of paragraphs of the same style.";

void KeepSelection(TDoc& doc) {
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    pa.Selection->Assign(*doc.Selection);
}

bool IsSpaceRun(const TPar& par, std::int32_t from, std::int32_t to) {
    for (std::int32_t i = from; i < to; ++i)
        if (par.Chars.Data[i] != ' ')
            return false;
    return true;
}

// The attributes whose value changes within a paragraph (spaces aside),
// fonts compared by family.
void VaryingAttributes(TDoc& doc, std::int32_t p, bool varying[CharAttrCount]) {
    std::fill(varying, varying + CharAttrCount, false);
    const TPar& par = *doc.Par(p);
    std::int32_t from = 0;
    TCharFormat start;
    bool havePrevious = false;
    if (FormattingSeams().DropCapEnd != nullptr && FormattingSeams().DropCapEnd(doc, p, from, start)) {
        havePrevious = true;
    }
    TCharFormat previous = start;
    // The paragraph mark belongs to no run a user chose.
    const std::int32_t to = std::max(par.CharCount() - 1, from);
    ForEachFormatRun(doc, p, from, to, [&](const TCharFormat& run, std::int32_t a, std::int32_t b) {
        if (IsSpaceRun(par, a, b))
            return;
        if (havePrevious) {
            for (int attr = 0; attr < CharAttrCount; ++attr) {
                const bool same =
                    attr == caFont ? CharFontsMatch(run[attr], previous[attr]) : run[attr] == previous[attr];
                if (!same)
                    varying[attr] = true;
            }
        }
        previous = run;
        havePrevious = true;
    });
}

// A stretch of a paragraph between hyperlink and note-reference marks.
struct TStretch {
    std::int32_t From = 0;
    std::int32_t To = 0;
    bool InLink = false;
    bool InNoteRef = false;
};

bool IsLink(const TField* field) {
    return field != nullptr && field->Kind == fkCode && field->Type == ftHyperlink;
}
bool IsNoteRef(const TField* field) {
    return field != nullptr && (field->Kind == fkNoteRef || field->Kind == fkNoteNumber);
}
bool IsToc(const TField* field) {
    return field != nullptr && field->Kind == fkCode && field->Type == ftToc;
}

// The fields open at a point of the text, as far as a style's application
// cares: hyperlinks (those inside a table of contents are its entries'
// links and take the style like the rest), note references, and tables of
// contents.
struct TOpenFields {
    std::int32_t Links = 0;
    std::int32_t NoteRefs = 0;
    std::int32_t Tocs = 0;
    std::vector<const TField*> CountedLinks;

    // Notes a field mark; true when it starts or ends a stretch.
    bool Note(const TField* field, bool start) {
        if (IsToc(field)) {
            Tocs = std::max(0, Tocs + (start ? 1 : -1));
            return false;
        }
        if (IsNoteRef(field)) {
            NoteRefs = std::max(0, NoteRefs + (start ? 1 : -1));
            return true;
        }
        if (!IsLink(field))
            return false;
        if (start) {
            if (Tocs > 0)
                return false;
            CountedLinks.push_back(field);
            ++Links;
            return true;
        }
        const auto it = std::find(CountedLinks.begin(), CountedLinks.end(), field);
        if (it == CountedLinks.end())
            return false;
        CountedLinks.erase(it);
        Links = std::max(0, Links - 1);
        return true;
    }
};

// Calls mark(field, start, position) for every field mark of a paragraph.
template <class F>
void ForEachFieldMark(const TPar& par, F&& mark) {
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl) {
            pos += e.Length;
            continue;
        }
        if (e.Truncated)
            break;
        if (ControlTakesPosition(e.Code))
            ++pos;
        else if (e.Code == fcFieldStart || e.Code == fcFieldEnd)
            mark(HandleTo<TField>(static_cast<TObjectHandle>(e.Value)), e.Code == fcFieldStart, pos);
    }
}

std::vector<TStretch> StretchesOf(const TDoc& doc, std::int32_t p, bool firstOfRange) {
    TOpenFields open;
    if (firstOfRange) {
        // The fields the paragraph starts inside: opened before it in its
        // story and not closed.
        for (std::int32_t i = doc.FirstParOfStory(doc.StoryOfPar(p)); i < p; ++i)
            ForEachFieldMark(*doc.Par(i),
                             [&](const TField* field, bool start, std::int32_t) { open.Note(field, start); });
    }
    std::vector<TStretch> out;
    TStretch current;
    current.InLink = open.Links > 0;
    current.InNoteRef = open.NoteRefs > 0;
    const TPar& par = *doc.Par(p);
    ForEachFieldMark(par, [&](const TField* field, bool start, std::int32_t pos) {
        if (!open.Note(field, start))
            return;
        current.To = pos;
        if (current.To > current.From)
            out.push_back(current);
        current.From = pos;
        current.InLink = open.Links > 0;
        current.InNoteRef = open.NoteRefs > 0;
    });
    current.To = par.CharCount();
    if (current.To > current.From)
        out.push_back(current);
    return out;
}

}  // namespace

void ApplyStyle(TDoc& doc,
                std::vector<TFragment> ranges,
                const TParFormat* parFormat,
                const TCharFormat* charFormat,
                bool whole,
                std::int32_t styleIndex) {
    if (styleIndex < 0 || styleIndex >= doc.Styles->Count)
        return;
    if (ranges.empty())
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    if (!whole) {
        TParFormat change = UnsetParFormat;
        change.Style = static_cast<std::int16_t>(styleIndex);
        FormatParagraphsEx(doc, ranges, change);
        return;
    }
    const TStyle& style = *doc.Styles->Style(styleIndex);
    TCharFormat own = UnsetCharFormat;
    TCharFormat complete = DefaultCharFormat;
    TParFormat completePar = DefaultParFormat;
    style.ResolveFormat(&own, nullptr, rfUnsetBase);
    style.ResolveFormat(&complete, nullptr, 0);
    style.ResolveFormat(nullptr, &completePar, rfListIndents);
    if (charFormat != nullptr)
        complete = *charFormat;
    if (parFormat != nullptr)
        completePar = *parFormat;
    completePar.Style = static_cast<std::int16_t>(styleIndex);
    doc.StateFlags[sfTypingFormatDirect] = 0;

    for (const TFragment& f : ranges) {
        for (std::int32_t p = f.Start.Par; p <= f.End.Par; ++p) {
            bool varying[CharAttrCount];
            VaryingAttributes(doc, p, varying);
            TCharFormat base = complete;
            for (int attr = 0; attr < CharAttrCount; ++attr)
                if (varying[attr] && own[attr] == UnsetValue)
                    base[attr] = UnsetValue;
            for (const TStretch& s : StretchesOf(doc, p, p == f.Start.Par)) {
                TCharFormat format = base;
                if (s.InLink) {
                    format[caColor] = UnsetValue;
                    format[caUnderline] = UnsetValue;
                }
                if (s.InNoteRef)
                    format[caScript] = UnsetValue;
                TFragment piece;
                MakeFragment(p, s.From, p, s.To, piece);
                FormatFontEx(doc, {piece}, format, 0);
            }
        }
        FormatParagraphsEx(doc, {f}, completePar);
    }
    KeepSelection(doc);
}

void ReapplyStyles(TDoc& doc, TFormatStyleListInfo& info) {
    // The sheet has just been exchanged: info holds the one that went out.
    const TStyleList* previous = info.NewStyles;
    for (std::int32_t i = 0; i < info.ChangedStyles.Count; ++i) {
        const std::int32_t index = ItemInt(info.ChangedStyles, i);
        if (index < 0 || index >= doc.Styles->Count)
            continue;
        TCharFormat newChar = DefaultCharFormat;
        TParFormat newPar = DefaultParFormat;
        doc.Styles->Style(index)->ResolveFormat(&newChar, &newPar, rfListIndents);
        TCharFormat charChange = newChar;
        TParFormat parChange = newPar;
        if (previous != nullptr && index < previous->Count) {
            // Only what the redefinition changed goes to the paragraphs, so
            // that their own formatting stays.
            TCharFormat oldChar = DefaultCharFormat;
            TParFormat oldPar = DefaultParFormat;
            previous->Style(index)->ResolveFormat(&oldChar, &oldPar, rfListIndents);
            SubtractCharFormat(charChange, oldChar);
            SubtractParFormat(parChange, oldPar);
        }
        ClearParProp(parChange, ppStyle);
        for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
            if (doc.Par(p)->Format.Style != index)
                continue;
            TFragment par;
            MakeFragment(p, 0, p, doc.Par(p)->CharCount(), par);
            if (!CharFormatIsClear(charChange))
                FormatFontEx(doc, {par}, charChange, 0);
            if (!ParFormatIsClear(parChange))
                FormatParagraphsEx(doc, {par}, parChange);
        }
    }
}

void FormatStyles(TDoc& doc, TFormatStyleListInfo* change) {
    if (change == nullptr)
        return;
    const std::int32_t toApply = change->StyleToApply;
    for (std::size_t i = 0; i < change->NewLists.size() && i < static_cast<std::size_t>(doc.Lists.Count); ++i) {
        const TAutoList* fresh = change->NewLists[i].get();
        TAutoList* current = doc.Lists.At<TAutoList>(static_cast<std::int32_t>(i));
        if (fresh != nullptr && !AutoListsEqual(*current, *fresh, 0))
            (new TFormatAutoListOperation(&doc, current, *fresh))->Execute();
    }
    if (change->NewStyles != nullptr)
        (new TFormatStyleListOperation(&doc, change))->Execute();  // owns the change from here
    else
        delete change;
    if (toApply >= 0)
        ApplyStyle(doc, FormattingRanges(doc, nullptr, nullptr, true), nullptr, nullptr, true, toApply);
    KeepSelection(doc);
    if (doc.StateFlags[sfTypingFormatDirect] == 0)
        doc.StateFlags[sfTypingFormatFixed] = 0;
}

namespace {

TAutoList* ListOfFormat(const TParFormat& format) {
    if (format.List == 0 || format.List == UnsetValue)
        return nullptr;
    return HandleTo<TAutoList>(static_cast<TObjectHandle>(format.List));
}

// Whether a paragraph of another style, one without a list of its own,
// numbers with list.
bool ListSharedWithOtherStyle(const TDoc& doc, const TAutoList* list, std::int32_t style) {
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TParFormat& f = doc.Par(p)->Format;
        if (f.Style == style || ListOfFormat(f) != list)
            continue;
        const TStyle* other = f.Style >= 0 && f.Style < doc.Styles->Count ? doc.Styles->Style(f.Style) : nullptr;
        if (other == nullptr || !other->HasList())
            return true;
    }
    return false;
}

}  // namespace

void UpdateStyle(TDoc& doc, std::int32_t index) {
    std::vector<TFragment> ranges = FormattingRanges(doc, nullptr, nullptr, true);
    if (ranges.empty())
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    TParFormat par;
    CommonParFormat(doc, ranges, par);
    if (index == -1) {
        if (ParPropIsUnset(par, ppStyle)) {
            ShowErrorFmt(MixedStylesMessage, UndoNames[OperationUndoName(opUpdateStyle, nullptr)]);
            return;
        }
        index = par.Style;
    }
    if (index < 0 || index >= doc.Styles->Count)
        return;
    TCharFormat chr;
    {
        // The characters of the paragraphs, without their marks where they
        // hold text: the mark of a typed-over paragraph often keeps an old
        // format.
        std::vector<TFragment> text = ranges;
        for (TFragment& f : text)
            if (FragmentIsEmpty(f))
                MakeFragment(f.Start.Par, 0, f.Start.Par, std::max(doc.Par(f.Start.Par)->CharCount() - 1, 1), f);
        CommonCharFormat(doc, text, chr);
    }
    const TStyle& style = *doc.Styles->Style(index);
    TCharFormat baseChar = DefaultCharFormat;
    TParFormat basePar = DefaultParFormat;
    if (style.BasedOn >= 0 && style.BasedOn < doc.Styles->Count)
        doc.Styles->Style(style.BasedOn)->ResolveFormat(&baseChar, &basePar, 0);
    TParFormat listPar = par;  // the paragraphs' own indents, before the subtraction
    SubtractParFormat(par, basePar);
    SubtractCharFormat(chr, baseChar);
    if (style.IsHeading())
        par.OutlineLevel = static_cast<std::int8_t>(style.BuiltInId - 1);
    par.Style = static_cast<std::int16_t>(index);
    chr[caLanguage] = UnsetValue;
    ClearParProp(par, ppInTable);
    ClearParProp(par, ppCollapsed);

    // The list: its level must carry the paragraphs' indents.
    TAutoList* list = ListOfFormat(listPar);
    if (list != nullptr) {
        std::int32_t level = ParPropIsUnset(listPar, ppListLevel) ? 0 : listPar.ListLevel;
        if (list->IsSingleLevel())
            level = 0;
        level = std::clamp(level, 0, 8);
        const std::int32_t first = ParPropIsUnset(listPar, ppFirstIndent) ? basePar.FirstIndent : listPar.FirstIndent;
        const std::int32_t left = ParPropIsUnset(listPar, ppLeftIndent) ? basePar.LeftIndent : listPar.LeftIndent;
        const TParFormat& levelFormat = list->Levels[level].ParFormat;
        const bool differ = levelFormat.FirstIndent != first || levelFormat.LeftIndent != left;
        const bool shared = ListSharedWithOtherStyle(doc, list, index);
        if (differ || shared) {
            auto copy = std::make_unique<TAutoList>();
            copy->Assign(*list);
            copy->Levels[level].ParFormat.FirstIndent = static_cast<std::int16_t>(first);
            copy->Levels[level].ParFormat.LeftIndent = static_cast<std::int16_t>(left);
            if (shared) {
                // The other paragraphs keep the old list; the style and its
                // paragraphs number with a list of their own.
                TAutoList* added = copy.release();
                (new TAddAutoListOperation(&doc, added))->Execute();
                par.List = static_cast<std::int32_t>(ObjectHandle(added));
                TParFormat relink = UnsetParFormat;
                relink.List = par.List;
                for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
                    if (doc.Par(p)->Format.Style != index || ListOfFormat(doc.Par(p)->Format) != list)
                        continue;
                    TFragment f;
                    MakeFragment(p, 0, p, doc.Par(p)->CharCount(), f);
                    FormatParagraphsEx(doc, {f}, relink);
                }
            } else {
                (new TFormatAutoListOperation(&doc, list, *copy))->Execute();
            }
        }
    }

    // What differs from the base is the style's new definition.
    const TParFormat& newPar = par;
    const TCharFormat& newChar = chr;
    if (ParFormatsEqual(newPar, style.ParFormat) && CharFormatsEqual(newChar, style.CharFormat))
        return;

    auto* info = new TFormatStyleListInfo;
    info->NewStyles = new TStyleList(&doc);
    info->NewStyles->Assign(*doc.Styles);
    info->NewStyles->Doc = &doc;
    TStyle& changed = *info->NewStyles->Style(index);
    changed.ParFormat = newPar;
    changed.CharFormat = newChar;
    info->ChangedStyles.Add(IntItem(index));
    doc.Styles->GetDerivedStyles(index, info->ChangedStyles, true);
    FormatStyles(doc, info);
    KeepSelection(doc);
}
