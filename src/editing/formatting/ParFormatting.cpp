// Paragraph and page formatting: paragraph properties with the indent
// rules, property steps, resets to the style's format, tabs, page settings
// with their limits, the format brush and shrinking the page count.
#include <algorithm>
#include <climits>
#include <cstring>

#include "base/core/ObjectHandles.h"
#include "editing/formatting/Formatting.h"
#include "editing/formatting/FormattingSeams.h"
#include "editing/formatting/ListGallery.h"
#include "editing/formatting/TFormatBrush.h"
#include "editing/tables/TableStructure.h"
#include "layout/view/CollapsedHeadings.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/ListOperations.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/StyleOperations.h"
#include "model/undo/TFormatParsOperation.h"
#include "model/undo/TOperation.h"

namespace {

// What a margin must leave of the page: the text needs at least this much
// room between opposite margins (twips).
constexpr std::int32_t MinTextExtent = 180;
// Header and footer distances, and stepped spacing, stay within this share
// of the page height (percent).
constexpr std::int32_t MaxDistancePercent = 40;
// Spacing steps (twips), and what automatic spacing becomes when raised.
constexpr std::int32_t AutoSpacing = -20;
constexpr std::int32_t SpacingStep = 60;
constexpr std::int32_t RaisedAutoSpacing = 340;
// Each level of a list made from the gallery is indented by this much more.
constexpr std::int32_t GalleryLevelIndent = 360;

void KeepSelection(TDoc& doc) {
    TPostActions& pa = doc.PostActions();
    pa.Caret = doc.Caret;
    pa.Selection->Assign(*doc.Selection);
}

std::int32_t LastCharOf(const TDoc& doc, std::int32_t par) {
    return doc.Par(par)->CharCount();
}

// The change one paragraph gets from format: the indent rules, and every
// other property that is set, differs, and is not the collapsed mark.
TParFormat ChangeForPar(const TDoc& doc, std::int32_t p, const TParFormat& format) {
    const TParFormat& current = doc.Par(p)->Format;
    TParFormat change = UnsetParFormat;
    const bool firstGiven = !ParPropIsUnset(format, ppFirstIndent);
    const bool leftGiven = !ParPropIsUnset(format, ppLeftIndent);
    const std::int32_t first = current.FirstIndent;
    const std::int32_t left = current.LeftIndent;
    if (firstGiven && leftGiven) {
        change.FirstIndent = format.FirstIndent;
        change.LeftIndent = format.LeftIndent;
    } else if (leftGiven) {
        // The given indent is where the body goes; a hanging first line keeps
        // hanging by the same amount.
        change.LeftIndent = static_cast<std::int16_t>(format.LeftIndent + (first < 0 ? -first : 0));
    } else if (firstGiven) {
        const std::int32_t visibleStart = first < 0 ? left + first : left;
        const std::int32_t newFirst = format.FirstIndent;
        change.FirstIndent = format.FirstIndent;
        change.LeftIndent = static_cast<std::int16_t>(visibleStart + (newFirst < 0 ? -newFirst : 0));
    }
    for (int prop = ppLineSpacing; prop < ParPropCount; ++prop)
        if (prop != ppCollapsed && !ParPropIsUnset(format, prop))
            CopyParProp(change, prop, format);
    return change;
}

// The page setup that governs a paragraph's page.
const TPageSetup& PageOf(TDoc& doc, std::int32_t par) {
    TSection* section = doc.PageSectionOfPar(par);
    if (section == nullptr)
        section = doc.SectionOfPar(par);
    return section->PageSetup;
}

std::int32_t StyleOfPar(const TDoc& doc, std::int32_t p) {
    const std::int32_t style = doc.Par(p)->Format.Style;
    return style >= 0 && style < doc.Styles->Count ? style : 0;
}

// The paragraph's style, nil in a document whose style sheet is empty.
const TStyle* StyleRecordOfPar(const TDoc& doc, std::int32_t p) {
    return doc.Styles->Count > 0 ? doc.Styles->Style(StyleOfPar(doc, p)) : nullptr;
}

}  // namespace

void CommonParFormat(const TDoc& doc, const std::vector<TFragment>& ranges, TParFormat& common) {
    bool first = true;
    common = UnsetParFormat;
    for (const TFragment& f : ranges) {
        for (std::int32_t p = std::max(f.Start.Par, 0); p <= f.End.Par && p < doc.ParCount(); ++p) {
            if (first)
                common = doc.Par(p)->Format;
            else
                IntersectParFormats(common, doc.Par(p)->Format);
            first = false;
        }
    }
}

std::int32_t ClampPageValue(const TPageSetup& page, std::uint8_t what, std::int32_t value) {
    // No margin or distance lies outside the page.
    value = std::max(value, 0);
    switch (what) {
        case 0:
            return std::min(value, page.PageWidth - page.RightMargin - MinTextExtent);
        case 1:
            return std::min(value, page.PageWidth - page.LeftMargin - MinTextExtent);
        case 2:
            return std::min(value, page.PageHeight - page.BottomMargin - MinTextExtent);
        case 3:
            return std::min(value, page.PageHeight - page.TopMargin - MinTextExtent);
        case 4:
        case 5:
            return std::min(value, page.PageHeight * MaxDistancePercent / 100);
        default:
            return value;
    }
}

void FormatPageSettingsClamped(TDoc& doc, const TPageSetupValues& values, const TFragment& range) {
    TList* sections = doc.SectionsOfFragment(range);
    const std::int32_t count = sections->Count;
    if (count == 0) {
        TList::Release(sections);
        return;
    }
    if (values.What < 6) {
        auto* step = new TChangePageParamsOperation(&doc, range, values.What, values.Value, nullptr);
        // Each section's value is kept within the page its first paragraph
        // lies on.
        for (std::int32_t i = 0; i < count && (i + 1) * 4 <= step->Saved.Size; ++i) {
            const TSection* section = sections->At<TSection>(i);
            const std::int32_t v = ClampPageValue(PageOf(doc, section->FirstPar), values.What, values.Value);
            std::memcpy(step->Saved.Data + i * 4, &v, 4);
        }
        step->Execute();
    } else if (values.What == pwOrientation) {
        (new TChangePageParamsOperation(&doc, range, pwOrientation, 0, nullptr))->Execute();
    } else {
        // A whole setup also gives every section of the document its mirror
        // and facing-pages bytes.
        (new TChangePageParamsOperation(&doc, range, pwWithSpreads, 0, &values.Setup))->Execute();
    }
    TList::Release(sections);
    doc.PostActions().Caret = doc.Caret;
}

void FormatParagraphsEx(TDoc& doc, const std::vector<TFragment>& given, const TParFormat& format) {
    if (ParFormatIsClear(format))
        return;
    std::vector<TFragment> ranges = given;
    if (ranges.empty())
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    for (const TFragment& f : ranges) {
        auto* step = new TFormatParsOperation(&doc);
        const std::int32_t last = std::min(f.End.Par, doc.ParCount() - 1);
        for (std::int32_t p = std::max(f.Start.Par, 0); p <= last; ++p) {
            // A row end keeps the table's paragraph format: its mark carries
            // the row, not text.
            if (doc.StateFlags[sfRowEndsTakeFormat] == 0 && doc.Par(p)->Format.InTable > 0 && IsRowEnd(doc, p)) {
                step->AddChange(p, ChangeForPar(doc, p, TableParFormat));
                continue;
            }
            TParFormat change = ChangeForPar(doc, p, format);
            // A paragraph leaves or joins a table only with its whole row;
            // a range that would cut a row in two keeps the row as it is.
            if (!ParPropIsUnset(change, ppInTable) && InTablePar(doc, p)) {
                TFragment row;
                RowRange(doc, p, row);
                if (row.Start.Par < f.Start.Par || row.End.Par > last)
                    ClearParProp(change, ppInTable);
            }
            step->AddChange(p, change);
        }
        if (step->Empty())
            delete step;
        else
            step->Execute();
    }
    // Collapsed headings: a new outline level or heading style changes
    // what the collapsed headings hide.
    MarkCollapsedDirty(doc);
    KeepSelection(doc);
}

void ResetFormat(TDoc& doc, const std::vector<TFragment>& given, bool font) {
    std::vector<TFragment> ranges = given;
    if (ranges.empty())
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    for (const TFragment& f : ranges) {
        // Pieces of one style: the part in the first paragraph, runs of whole
        // paragraphs sharing a style, the part in the last paragraph.
        std::vector<TFragment> pieces;
        for (std::int32_t p = f.Start.Par; p <= f.End.Par; ++p) {
            TFragment piece;
            MakeFragment(p, p == f.Start.Par ? f.Start.Offset : 0, p,
                         p == f.End.Par ? f.End.Offset : LastCharOf(doc, p), piece);
            const bool whole = piece.Start.Offset == 0 && piece.End.Offset == LastCharOf(doc, p);
            if (!pieces.empty() && whole && p != f.Start.Par && p != f.End.Par) {
                TFragment& prev = pieces.back();
                const bool prevWhole = prev.Start.Offset == 0 && prev.Start.Par != f.Start.Par;
                if (prevWhole && StyleOfPar(doc, prev.End.Par) == StyleOfPar(doc, p)) {
                    prev.End = piece.End;
                    continue;
                }
            }
            pieces.push_back(piece);
        }
        for (const TFragment& piece : pieces) {
            const TStyle* style = StyleRecordOfPar(doc, piece.Start.Par);
            TCharFormat charFormat = DefaultCharFormat;
            TParFormat parFormat = DefaultParFormat;
            if (style != nullptr)
                style->ResolveFormat(&charFormat, &parFormat, rfListIndents);
            if (font)
                FormatFontEx(doc, {piece}, charFormat, 0);
            else
                FormatParagraphsEx(doc, {piece}, parFormat);
        }
    }
    KeepSelection(doc);
}

void FormatTabs(TDoc& doc, std::int32_t defaultTabWidth, std::int16_t tabTable) {
    TCompoundFragment* paragraphs = CloneCompoundFragment(*doc.Selection);
    if (IsEmptyCompoundFragment(paragraphs))
        paragraphs->SetSingle(doc.Caret.Par, doc.Caret.Offset, doc.Caret.Par, doc.Caret.Offset);
    const bool widthChanges = defaultTabWidth != doc.DefaultTabWidth;
    const bool tabsGiven = tabTable != static_cast<std::int16_t>(0x8000);
    if (widthChanges || tabsGiven) {
        (new TFormatTabsOperation(&doc, widthChanges ? defaultTabWidth : doc.DefaultTabWidth, tabTable, paragraphs))
            ->Execute();
        if (widthChanges)
            doc.PostActions().FirstPage = 0;
    }
    ReleaseCompoundFragment(paragraphs);
    KeepSelection(doc);
}

void SteppedParValues(std::uint8_t kind,
                      std::int32_t step,
                      std::int32_t textWidth,
                      std::int32_t pageHeight,
                      TParFormat& format) {
    const std::int32_t maxSpace = pageHeight * MaxDistancePercent / 100;
    const std::int32_t first = format.FirstIndent;
    const std::int32_t left = format.LeftIndent;
    switch (kind) {
        case 0: {
            const std::int32_t lowest = first < 0 ? -first : 0;
            format.LeftIndent = static_cast<std::int16_t>(std::clamp(left + step, lowest, std::max(lowest, textWidth)));
            break;
        }
        case 1: {
            const std::int32_t newLeft = std::clamp(left + step, 0, std::max(0, textWidth));
            // The first line stays where it was.
            format.FirstIndent = static_cast<std::int16_t>(first - (newLeft - left));
            format.LeftIndent = static_cast<std::int16_t>(newLeft);
            break;
        }
        case 2:
        case 4: {
            std::int16_t& space = kind == 2 ? format.SpaceBefore : format.SpaceAfter;
            space = static_cast<std::int16_t>(space == AutoSpacing ? 0 : std::max(0, space - SpacingStep));
            break;
        }
        case 3:
            format.SpaceBefore = static_cast<std::int16_t>(format.SpaceBefore == AutoSpacing
                                                               ? RaisedAutoSpacing
                                                               : std::min(format.SpaceBefore + SpacingStep, maxSpace));
            break;
        case 5:
            format.SpaceAfter = static_cast<std::int16_t>(format.SpaceAfter == AutoSpacing
                                                              ? std::min(RaisedAutoSpacing, maxSpace)
                                                              : std::min(format.SpaceAfter + SpacingStep, maxSpace));
            break;
        default:
            break;
    }
}

namespace {

// Whether two paragraphs share what a step of kind changes.
bool SameStepped(const TParFormat& a, const TParFormat& b, std::uint8_t kind) {
    switch (kind) {
        case 0:
        case 1:
            return a.FirstIndent == b.FirstIndent && a.LeftIndent == b.LeftIndent;
        case 2:
        case 3:
            return a.SpaceBefore == b.SpaceBefore;
        case 4:
        case 5:
            return a.SpaceAfter == b.SpaceAfter;
        default:
            return a.List == b.List && a.ListLevel == b.ListLevel && a.Style == b.Style;
    }
}

TAutoList* ListOfPar(const TDoc& doc, std::int32_t p) {
    const std::int32_t handle = doc.Par(p)->Format.List;
    if (handle == 0 || handle == UnsetValue)
        return nullptr;
    return HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
}

// Promote (kind 6) or demote (kind 7) one run of list paragraphs.
void StepListLevel(TDoc& doc, const TFragment& run, std::uint8_t kind) {
    const TParFormat& format = doc.Par(run.Start.Par)->Format;
    TAutoList* list = ListOfPar(doc, run.Start.Par);
    if (list == nullptr)
        return;
    const std::int32_t level = format.ListLevel < 0 ? 0 : format.ListLevel;
    const std::int32_t target = kind == 6 ? level - 1 : level + 1;
    if (target < 0 || target > 8)
        return;
    const TStyle* style = StyleRecordOfPar(doc, run.Start.Par);
    if (style != nullptr && style->HasList()) {
        // A list style: its family's style of the neighbouring level.
        const std::int32_t neighbour = doc.Styles->IndexOfListStyle(style->List(), target);
        if (neighbour >= 0)
            ApplyStyle(doc, {run}, nullptr, nullptr, true, neighbour);
        return;
    }
    if (list->IsSingleLevel() && kind == 7) {
        // A single-level list needs more levels: the gallery's first list of
        // the same kind, its first level taken over from the old list.
        std::unique_ptr<TAutoList> fresh = ListGalleryList(list->LevelIsBullet(0));
        if (fresh == nullptr)
            return;
        fresh->Levels[0].NumberFormat = list->Levels[0].NumberFormat;
        fresh->Levels[0].LabelText = list->Levels[0].LabelText;
        fresh->Levels[0].CharFormat = list->Levels[0].CharFormat;
        fresh->Levels[0].StartValue = list->Levels[0].StartValue;
        fresh->Levels[0].ParFormat.FirstIndent = format.FirstIndent;
        fresh->Levels[0].ParFormat.LeftIndent = format.LeftIndent;
        for (int k = 1; k < 9; ++k) {
            fresh->Levels[k].ParFormat.LeftIndent =
                static_cast<std::int16_t>(format.LeftIndent + GalleryLevelIndent * k);
            fresh->Levels[k].ParFormat.FirstIndent = format.FirstIndent;
        }
        (new TFormatAutoListOperation(&doc, list, *fresh))->Execute();
    }
    TParFormat change = UnsetParFormat;
    change.ListLevel = static_cast<std::int8_t>(target);
    // The level's own indents fill what the paragraphs do not set.
    const TParFormat& levelFormat = list->Levels[target].ParFormat;
    if (!ParPropIsUnset(levelFormat, ppLeftIndent))
        change.LeftIndent = levelFormat.LeftIndent;
    if (!ParPropIsUnset(levelFormat, ppFirstIndent))
        change.FirstIndent = levelFormat.FirstIndent;
    // Other paragraphs of the list at that level, all with the same indents,
    // give theirs.
    bool found = false, agree = true;
    TParFormat others = UnsetParFormat;
    for (std::int32_t p = 0; p < doc.ParCount() && agree; ++p) {
        if (p >= run.Start.Par && p <= run.End.Par)
            continue;
        const TParFormat& pf = doc.Par(p)->Format;
        if (ListOfPar(doc, p) != list || pf.ListLevel != target)
            continue;
        if (found && (pf.LeftIndent != others.LeftIndent || pf.FirstIndent != others.FirstIndent))
            agree = false;
        others.LeftIndent = pf.LeftIndent;
        others.FirstIndent = pf.FirstIndent;
        found = true;
    }
    if (found && agree) {
        change.LeftIndent = others.LeftIndent;
        change.FirstIndent = others.FirstIndent;
    }
    FormatParagraphsEx(doc, {run}, change);
    doc.StateFlags[sfListsStale] = 1;
}

}  // namespace

void StepParAttribute(TDoc& doc, const std::vector<TFragment>& given, std::uint8_t kind, std::int32_t step) {
    if (kind > 7)
        return;
    std::vector<TFragment> ranges = given;
    if (ranges.empty())
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    for (const TFragment& f : ranges) {
        // Runs of paragraphs that share the stepped property, cut at section
        // starts, each stepped from its first paragraph.
        std::int32_t runStart = f.Start.Par;
        for (std::int32_t p = f.Start.Par; p <= f.End.Par; ++p) {
            const bool last = p == f.End.Par;
            const bool cut = last || !SameStepped(doc.Par(p)->Format, doc.Par(p + 1)->Format, kind) ||
                             doc.Par(p)->EndingSection() != nullptr;
            if (!cut)
                continue;
            TFragment run;
            MakeFragment(runStart, 0, p, LastCharOf(doc, p), run);
            if (kind >= 6) {
                StepListLevel(doc, run, kind);
            } else {
                const TSection* section = doc.SectionOfPar(runStart);
                const TPageSetup& page = PageOf(doc, runStart);
                TParFormat stepped = doc.Par(runStart)->Format;
                SteppedParValues(kind, step, section->PageSetup.TextWidth, page.PageHeight, stepped);
                TParFormat change = UnsetParFormat;
                if (kind <= 1) {
                    change.FirstIndent = stepped.FirstIndent;
                    change.LeftIndent = stepped.LeftIndent;
                } else if (kind <= 3) {
                    change.SpaceBefore = stepped.SpaceBefore;
                } else {
                    change.SpaceAfter = stepped.SpaceAfter;
                }
                FormatParagraphsEx(doc, {run}, change);
            }
            runStart = p + 1;
        }
    }
    KeepSelection(doc);
}

void ApplyFormatBrush(TDoc& doc) {
    const TFormatBrush& brush = FormatBrush();
    std::vector<TFragment> target = FormattingRanges(doc, nullptr, nullptr, false);
    const bool selected = !target.empty();
    if (!selected) {
        TFragment par;
        MakeFragment(doc.Caret.Par, 0, doc.Caret.Par, LastCharOf(doc, doc.Caret.Par), par);
        target.push_back(par);
    }
    if (!brush.StyleName.empty()) {
        const std::int32_t style = doc.Styles->IndexOfDisplayName(brush.StyleName);
        if (style >= 0) {
            std::vector<TFragment> whole = target;
            for (TFragment& f : whole) {
                f.Start.Offset = 0;
                f.End.Offset = LastCharOf(doc, f.End.Par);
            }
            ApplyStyle(doc, whole, nullptr, nullptr, true, style);
        }
        return;
    }
    FormatFontEx(doc, selected ? target : std::vector<TFragment>{}, brush.CharFormat, 0);
    if (!ParFormatIsClear(brush.ParFormat))
        FormatParagraphsEx(doc, target, brush.ParFormat);
    if (brush.Rows != nullptr && FormattingSeams().ApplyBrushToCells != nullptr)
        FormattingSeams().ApplyBrushToCells(doc, brush);
    KeepSelection(doc);
}

namespace {

// Lays the whole document out again from its first page.
void RepaginateAll(TDoc& doc) {
    doc.DiscardPages(0);
    doc.Paginate(0, INT32_MAX);
}

}  // namespace

bool ShrinkPageCount(TDoc& doc) {
    RepaginateAll(doc);
    doc.PushStateFlag(sfShrinkingPages);
    doc.PushStateFlag(sfClientKnown);
    doc.PushStateFlagClear(sfFollowUI);
    TCompoundFragment* saved = CloneCompoundFragment(*doc.Selection);
    const TTextPos savedCaret = doc.Caret;
    TOperation* op = doc.CurrentOperation;
    const std::int32_t firstStep = op != nullptr ? op->Count : 0;
    bool shrunk = true;
    try {
        for (;;) {
            const std::int32_t last = doc.LastParOfStory(stMain);
            doc.Selection->SetSingle(0, 0, last, LastCharOf(doc, last));
            TCharFormat common;
            CommonCharFormat(doc, FormattingRanges(doc, nullptr, nullptr, false), common);
            if (common[caSize] == 2) {
                // The text cannot get smaller: every step so far goes back.
                if (op != nullptr) {
                    for (std::int32_t i = op->Count - 1; i >= firstStep; --i) {
                        op->Step(i)->Undo();
                        delete op->Step(i);
                        op->Delete(i);
                    }
                }
                RepaginateAll(doc);
                shrunk = false;
                break;
            }
            const std::int32_t pages = doc.Pages.Count;
            StepFontAttribute(doc, caSize, -1);
            RepaginateAll(doc);
            if (doc.Pages.Count != pages)
                break;
        }
    } catch (...) {
        doc.Selection->Assign(*saved);
        ReleaseCompoundFragment(saved);
        doc.PopStateFlags(3);
        throw;
    }
    doc.Selection->Assign(*saved);
    doc.Caret = savedCaret;
    ReleaseCompoundFragment(saved);
    doc.PopStateFlags(3);
    KeepSelection(doc);
    return shrunk;
}
