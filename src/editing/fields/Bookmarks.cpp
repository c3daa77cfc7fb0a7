#include "editing/fields/Bookmarks.h"

#include <algorithm>
#include <cstdio>

#include "base/core/TList.h"
#include "base/core/TMemory.h"
#include "base/files/Urls.h"
#include "base/messages/MessageBoxes.h"
#include "editing/fields/FieldIndex.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TTextPos.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"
#include "platform/CodePages.h"

const char* const DanglingLinksQuestion =
    "One or several hyperlinks in this document are referring to bookmarks that no longer exist. Would you like "
    "Rezozuri to select these hyperlinks?\r\rWhen they are selected, you can deactivate, or delete them all at one "
    "go.\r\rIf you want to deal with these hyperlinks one by one, do no forget to format the multiple selection in "
    "any suitable way first so that you do not lose track of the hyperlinks.";

namespace {

// Bookmark names are 8-bit text in the Western code page.
constexpr int NameCodePage = 1252;

std::u16string WideName(const std::string& name) {
    return Platform::BytesToWide(NameCodePage, name);
}

std::string ByteName(const std::u16string& name) {
    return Platform::WideToBytes(NameCodePage, name);
}

// Characters that separate words or quote, which a made name replaces.
bool IsNameSeparator(std::uint8_t c) {
    if ((c >= 2 && c <= 14) || c == 16 || (c >= 18 && c <= 20) || (c >= 32 && c <= 37) || (c >= 39 && c <= 47) ||
        (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126))
        return true;
    switch (c) {
        case 128:
        case 130:
        case 132:
        case 133:
        case 145:
        case 146:
        case 147:
        case 148:
        case 153:
        case 169:
        case 171:
        case 174:
        case 187:
            return true;
        default:
            return false;
    }
}

bool TakenInDoc(void* context, const std::string& name) {
    return BookmarkExists(*static_cast<TDoc*>(context), name);
}

std::string FreeName(const std::string& base,
                     int first,
                     bool (*taken)(void* context, const std::string& name),
                     void* context) {
    for (int n = first;; ++n) {
        const std::string name = base + "_" + std::to_string(n);
        if (!taken(context, name))
            return name;
    }
}

const std::vector<std::pair<std::u16string, TField*>>& BookmarksOf(TDoc& doc) {
    RebuildFieldIndex(doc);
    return FieldIndexOf(doc).Bookmarks;
}

void MoveCaret(TDoc& doc, const TTextPos& pos) {
    doc.Caret = pos;
    doc.Selection->Reset();
    MakeFragmentFromPositions(pos, pos, doc.Selection->Fragment(0));
}

TTextPos SelectionStart(TDoc& doc) {
    if (doc.Selection != nullptr && doc.Selection->Count() > 0) {
        TFragment span;
        doc.Selection->GetSpan(span);
        if (!FragmentIsEmpty(span))
            return CompareTextPos(span.Start, span.End) <= 0 ? span.Start : span.End;
    }
    return doc.Caret;
}

TTextPos SelectionEnd(TDoc& doc) {
    if (doc.Selection != nullptr && doc.Selection->Count() > 0) {
        TFragment span;
        doc.Selection->GetSpan(span);
        if (!FragmentIsEmpty(span))
            return CompareTextPos(span.Start, span.End) <= 0 ? span.End : span.Start;
    }
    return doc.Caret;
}

// --- Workers ---

// A bookmark over each range of the selection, or an empty one at the
// caret: the first takes the name, the others the first free name with
// "_2", "_3" ... appended.
void WorkInsertBookmark(TDoc& doc, TOperationCall&, const TInsertBookmarkArgs& args) {
    if (args.Name == nullptr || args.Name->empty())
        return;
    std::vector<TFragment> ranges;
    if (doc.Selection != nullptr)
        for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
            TFragment f = doc.Selection->Fragment(i);
            if (CompareTextPos(f.Start, f.End) > 0)
                std::swap(f.Start, f.End);
            if (!FragmentIsEmpty(f))
                ranges.push_back(f);
        }
    if (ranges.empty())
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    std::sort(ranges.begin(), ranges.end(),
              [](const TFragment& a, const TFragment& b) { return CompareTextPos(a.Start, b.Start) < 0; });
    const TTextPos caret = doc.Caret;
    std::vector<std::string> made;
    auto takenHere = [&](const std::string& name) {
        return BookmarkExists(doc, name) || std::find(made.begin(), made.end(), name) != made.end();
    };
    struct TTaken {
        decltype(takenHere)* Test;
    } taken{&takenHere};
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        std::string name = *args.Name;
        if (i > 0)
            name = FreeName(
                *args.Name, 2, [](void* c, const std::string& n) { return (*static_cast<TTaken*>(c)->Test)(n); },
                &taken);
        made.push_back(name);
        auto* bookmark = new TField;
        bookmark->Kind = fkBookmark;
        bookmark->Instruction = WideName(name);
        (new TInsDelFieldOperation(&doc, fmBoth, bookmark, ranges[i].Start, 0, ranges[i].End, 1 << 16))->Execute();
    }
    doc.PostActions().Caret = caret;
}

void WorkDeleteBookmark(TDoc& doc, TOperationCall&, const TDeleteBookmarkArgs& args) {
    if (args.Name == nullptr)
        return;
    if (TField* bookmark = FindBookmark(doc, *args.Name)) {
        doc.DeleteField(bookmark);
        doc.PostActions().Caret = doc.Caret;
    }
}

// Takes a hyperlink away and gives its former text the underline and
// colour of its neighbours, so that it loses the look of a link.
void RemoveHyperlink(TDoc& doc, TField* link) {
    TFragment range;
    if (link == nullptr || !doc.FieldRange(link, range))
        return;
    doc.DeleteField(link);
    TCharFormat neighbour;
    const std::int32_t parLength = doc.Par(range.End.Par)->CharCount() - 1;
    if (range.Start.Offset > 0) {
        TTextPos before = range.Start;
        before.Offset -= 1;
        doc.FormatAtPos(before, neighbour);
    } else if (range.End.Offset < parLength) {
        doc.FormatAtPos(range.End, neighbour);
    } else {
        // The whole paragraph was the link: the paragraph's mark carries
        // the style's look.
        TTextPos mark = range.End;
        mark.Offset = parLength;
        doc.FormatAtPos(mark, neighbour);
    }
    TCharFormat look = UnsetCharFormat;
    look[caUnderline] = neighbour[caUnderline];
    look[caColor] = neighbour[caColor];
    if (!FragmentIsEmpty(range))
        doc.FormatFont(nullptr, &range, look, 0);
}

void WorkRemoveHyperlink(TDoc& doc, TOperationCall&, const TRemoveHyperlinkArgs&) {
    TField* link = FieldAtCaretOrRetry(doc, fkCode, ftHyperlink);
    if (link == nullptr)
        return;
    RemoveHyperlink(doc, link);
    doc.PostActions().Caret = doc.Caret;
}

void WorkDeactivateHyperlinks(TDoc& doc, TOperationCall&, const TDeactivateHyperlinksArgs&) {
    CollectSelectedFields(doc, ftHyperlink);
    const std::vector<TField*> links = FieldIndexOf(doc).Selected.Hyperlinks;
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        RemoveHyperlink(doc, *it);
    doc.PostActions().Caret = doc.Caret;
}

// UTF-16 text for the replace worker (the typing room's insertion flag).
constexpr std::int32_t ReplaceUtf16 = 0x1000;
// Typing-room and field-index state flags a link's text replacement sets:
// the typing language stays, and the link survives its text's replacement.
constexpr std::uint8_t sfKeepTypingLanguageFlag = 47;

bool ReplaceRange(TDoc& doc, const TFragment& range, const std::u16string& text) {
    const TOperationWorker<TReplaceTextArgs> replace = OperationWorker<TReplaceTextArgs>();
    if (replace == nullptr)
        return false;
    TMemory bytes;
    bytes.AppendWideString(text);
    const TReplaceTextArgs args{range.Start, range.End, &bytes, ReplaceUtf16};
    TOperationCall call = TOperationCall::Of(args);
    replace(doc, call, args);
    return true;
}

// A new link with an instruction over each range of the selection (or at
// the caret), its display text typed first when one is given or nothing
// is selected; the links the selection held go first.
void WorkSetHyperlink(TDoc& doc, TOperationCall&, const TSetHyperlinkArgs& args) {
    if (args.Target == nullptr || args.Target->empty())
        return;
    CollectSelectedFields(doc, ftHyperlink);
    const std::vector<TField*> old = FieldIndexOf(doc).Selected.Hyperlinks;
    std::vector<TFragment> ranges;
    for (std::int32_t i = 0; doc.Selection != nullptr && i < doc.Selection->Count(); ++i) {
        TFragment f = doc.Selection->Fragment(i);
        if (CompareTextPos(f.Start, f.End) > 0)
            std::swap(f.Start, f.End);
        if (!FragmentIsEmpty(f))
            ranges.push_back(f);
    }
    const bool wasEmpty = ranges.empty();
    if (wasEmpty)
        ranges.push_back(TFragment{doc.Caret, doc.Caret});
    if (wasEmpty && (args.Text == nullptr || args.Text->empty()))
        return;
    for (auto it = old.rbegin(); it != old.rend(); ++it)
        doc.DeleteField(*it);
    std::sort(ranges.begin(), ranges.end(),
              [](const TFragment& a, const TFragment& b) { return CompareTextPos(a.Start, b.Start) < 0; });
    TTextPos caret = doc.Caret;
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        TFragment covered = *it;
        if (wasEmpty || (args.Text != nullptr && !args.Text->empty())) {
            doc.PushStateFlag(sfKeepReplacedField);
            const bool done = ReplaceRange(doc, covered, *args.Text);
            doc.PopStateFlag();
            if (!done)
                return;
            covered.End = covered.Start;
            covered.End.Offset += static_cast<std::int32_t>(args.Text->size());
        }
        auto* link = new TField;
        link->Kind = fkCode;
        link->Type = ftHyperlink;
        link->Instruction = *args.Target;
        (new TInsDelFieldOperation(&doc, fmBoth, link, covered.Start, 1 << 16, covered.End, 1 << 16))->Execute();
        caret = covered.End;
    }
    doc.Caret = caret;
    doc.PostActions().Caret = caret;
    doc.PostActions().Selection->Reset();
}

// The display text of each selected link becomes its address.
void WorkHyperlinkToUrl(TDoc& doc, TOperationCall&, const THyperlinkToUrlArgs&) {
    CollectSelectedFields(doc, ftHyperlink);
    const std::vector<TField*> links = FieldIndexOf(doc).Selected.Hyperlinks;
    for (auto it = links.rbegin(); it != links.rend(); ++it) {
        TField* link = *it;
        TFragment range;
        if (!doc.FieldRange(link, range))
            continue;
        std::u16string target;
        std::u16string bookmark;
        ParseHyperlinkCode(link->Instruction, target, bookmark, nullptr);
        std::u16string address = target;
        if (!bookmark.empty())
            address += u"#" + bookmark;
        if (address.empty() || doc.RangeText(range) == address)
            continue;
        const int story = doc.StoryOfPar(range.End.Par);
        if ((story == stFootnotes || story == stEndnotes) && range.End.Par == doc.LastParOfStory(story) &&
            range.End.Offset >= doc.Par(range.End.Par)->CharCount() - 1) {
            ShowMessageBox(
                "This operation is not possible when the selection includes the last paragraph mark of a "
                "footnote/endnote.",
                mbkInformation, mbOK);
            continue;
        }
        doc.PushStateFlag(sfKeepTypingLanguageFlag);
        doc.PushStateFlag(sfKeepReplacedField);
        doc.PushStateFlag(sfKeepWholeHyperlink);
        try {
            ReplaceRange(doc, range, address);
        } catch (...) {
            doc.PopStateFlags(3);
            throw;
        }
        doc.PopStateFlags(3);
    }
    doc.PostActions().Caret = doc.Caret;
}

}  // namespace

bool BookmarkExists(TDoc& doc, const std::string& name) {
    return FindBookmark(doc, name) != nullptr;
}

TField* FindBookmark(TDoc& doc, const std::string& name) {
    if (name.empty())
        return nullptr;
    RebuildFieldIndex(doc);
    const auto& sorted = FieldIndexOf(doc).BookmarksByName;
    const std::u16string wide = WideName(name);
    for (const auto& [bookmarkName, field] : sorted)
        if (bookmarkName == wide)
            return field;
    return nullptr;
}

std::string BookmarkNameFromText(std::string text,
                                 bool (*taken)(void* context, const std::string& name),
                                 void* context) {
    if (text.size() > MaxMadeBookmarkName)
        text.resize(MaxMadeBookmarkName);
    for (char& c : text)
        if (IsNameSeparator(static_cast<std::uint8_t>(c)))
            c = '_';
    if (!text.empty() && text[0] >= '0' && text[0] <= '9')
        text.insert(text.begin(), '_');
    while (!text.empty() && text.back() == '_')
        text.pop_back();
    if (text.empty())
        return FreeName("Bookmark", 1, taken, context);
    if (taken(context, text))
        return FreeName(text, 1, taken, context);
    return text;
}

std::string MakeBookmarkName(TDoc& doc, const TFragment& range) {
    TFragment r = range;
    if (CompareTextPos(r.Start, r.End) > 0)
        std::swap(r.Start, r.End);
    if (FragmentIsEmpty(r)) {
        TFragment sentence;
        doc.SentenceAt(doc.Caret, sentence);
        r.Start = doc.Caret;
        r.End = sentence.End;
        if (CompareTextPos(r.Start, r.End) > 0)
            r.End = r.Start;
    }
    std::u16string text;
    if (r.Start.Par >= 0 && r.Start.Par < doc.ParCount()) {
        TFragment first = r;
        if (first.End.Par != first.Start.Par) {
            first.End.Par = first.Start.Par;
            first.End.Offset = doc.Par(first.Start.Par)->CharCount() - 1;
        }
        text = doc.RangeText(first).substr(0, MaxMadeBookmarkName);
        if (text.empty())
            doc.Par(r.Start.Par)->GetListLabelText(text);
    }
    // Characters beyond the 8-bit range have no place in a name.
    std::erase_if(text, [](char16_t c) { return c > 255; });
    return BookmarkNameFromText(ByteName(text), TakenInDoc, &doc);
}

bool GoToBookmark(TDoc& doc, const std::string& name, bool select, TField* hyperlink) {
    TField* bookmark = FindBookmark(doc, name);
    TFragment range;
    if (bookmark == nullptr || !doc.FieldRange(bookmark, range))
        return false;
    MoveCaret(doc, range.Start);
    if (select) {
        doc.Selection->SetSingle(range.Start.Par, range.Start.Offset, range.End.Par, range.End.Offset);
    }
    if (hyperlink != nullptr)
        PushLinkHistory(doc, hyperlink);
    FieldIndexOf(doc).LastBookmark = name;
    return true;
}

bool GoToPreviousBookmark(TDoc& doc) {
    const auto& bookmarks = BookmarksOf(doc);
    if (bookmarks.empty())
        return false;
    const TTextPos start = SelectionStart(doc);
    TField* found = bookmarks.back().second;
    for (auto it = bookmarks.rbegin(); it != bookmarks.rend(); ++it) {
        TFragment range;
        if (doc.FieldRange(it->second, range) && CompareTextPos(range.End, start) < 0) {
            found = it->second;
            break;
        }
    }
    return GoToBookmark(doc, ByteName(found->Instruction), false);
}

bool GoToNextBookmark(TDoc& doc) {
    const auto& bookmarks = BookmarksOf(doc);
    if (bookmarks.empty())
        return false;
    const TTextPos end = SelectionEnd(doc);
    TField* found = bookmarks.front().second;
    for (const auto& [name, field] : bookmarks) {
        TFragment range;
        if (doc.FieldRange(field, range) && CompareTextPos(range.Start, end) > 0) {
            found = field;
            break;
        }
    }
    return GoToBookmark(doc, ByteName(found->Instruction), false);
}

std::string LastVisitedBookmark(TDoc& doc) {
    return FieldIndexOf(doc).LastBookmark;
}

void FollowHyperlink(TDoc& doc, TField& hyperlink) {
    std::u16string target;
    std::u16string bookmark;
    ParseHyperlinkCode(hyperlink.Instruction, target, bookmark, nullptr);
    if (target.empty()) {
        if (!bookmark.empty())
            GoToBookmark(doc, ByteName(bookmark), false, &hyperlink);
        return;
    }
    PushLinkHistory(doc, &hyperlink);
    std::string address = Platform::Utf16ToUtf8(target);
    if (LooksLikeUrl(address) && address.find("file://") == std::string::npos) {
        if (!bookmark.empty())
            address += "#" + Platform::Utf16ToUtf8(bookmark);
    } else if (address.rfind("file://", 0) == 0) {
        address.erase(0, 7);
    }
    OpenHyperlink(address);
}

void PushLinkHistory(TDoc& doc, TField* link) {
    TFieldIndex& index = FieldIndexOf(doc);
    if (link == nullptr || index.WalkingLinkHistory)
        return;
    if (index.LinkHistoryIndex >= 0 && index.LinkHistory[index.LinkHistoryIndex] == link)
        return;
    index.LinkHistory.resize(index.LinkHistoryIndex + 1);
    index.LinkHistory.push_back(link);
    index.LinkHistoryIndex = static_cast<std::int32_t>(index.LinkHistory.size()) - 1;
}

bool LinkHistoryBack(TDoc& doc) {
    TFieldIndex& index = FieldIndexOf(doc);
    while (index.LinkHistoryIndex >= 0 && !doc.Fields.Contains(index.LinkHistory[index.LinkHistoryIndex]))
        --index.LinkHistoryIndex;
    if (index.LinkHistoryIndex < 0)
        return false;
    TFragment range;
    if (doc.FieldRange(index.LinkHistory[index.LinkHistoryIndex], range) &&
        doc.StoryOfPar(range.Start.Par) != stHeadersFooters)
        MoveCaret(doc, range.Start);
    --index.LinkHistoryIndex;
    return true;
}

bool LinkHistoryForward(TDoc& doc) {
    TFieldIndex& index = FieldIndexOf(doc);
    const auto count = static_cast<std::int32_t>(index.LinkHistory.size());
    while (index.LinkHistoryIndex + 1 < count && !doc.Fields.Contains(index.LinkHistory[index.LinkHistoryIndex + 1]))
        ++index.LinkHistoryIndex;
    if (index.LinkHistoryIndex + 1 >= count)
        return false;
    TField* next = index.LinkHistory[index.LinkHistoryIndex + 1];
    index.WalkingLinkHistory = true;
    FollowHyperlink(doc, *next);
    index.WalkingLinkHistory = false;
    ++index.LinkHistoryIndex;
    return true;
}

void LinkHistoryOf(TDoc& doc, std::vector<TField*>& entries, std::int32_t& current) {
    const TFieldIndex& index = FieldIndexOf(doc);
    entries = index.LinkHistory;
    current = index.LinkHistoryIndex;
}

void DanglingHyperlinks(TDoc& doc, std::vector<TField*>& links) {
    links.clear();
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        TField* field = doc.Fields.At<TField>(i);
        if (field->Kind != fkCode || field->Type != ftHyperlink)
            continue;
        std::u16string target;
        std::u16string bookmark;
        ParseHyperlinkCode(field->Instruction, target, bookmark, nullptr);
        TFragment range;
        if (!target.empty() || bookmark.empty() || !doc.FieldRange(field, range) ||
            doc.StoryOfPar(range.Start.Par) == stHeadersFooters)
            continue;
        if (!BookmarkExists(doc, ByteName(bookmark)))
            links.push_back(field);
    }
    SortFieldsByPosition(doc, links);
}

std::int32_t CheckDanglingHyperlinks(TDoc& doc) {
    std::vector<TField*> links;
    DanglingHyperlinks(doc, links);
    if (links.empty() || ShowMessageBox(DanglingLinksQuestion, mbkConfirm, mbYes | mbNo) != mrYes)
        return 0;
    doc.Selection->SetCount(static_cast<std::int32_t>(links.size()));
    for (std::size_t i = 0; i < links.size(); ++i) {
        TFragment range;
        doc.FieldRange(links[i], range);
        doc.Selection->Fragment(static_cast<std::int32_t>(i)) = range;
    }
    doc.Selection->Normalize();
    TFragment first;
    doc.FieldRange(links.front(), first);
    doc.Caret = first.Start;
    return static_cast<std::int32_t>(links.size());
}

void InstallBookmarkWorkers() {
    SetOperationWorker<TInsertBookmarkArgs>(WorkInsertBookmark);
    SetOperationWorker<TDeleteBookmarkArgs>(WorkDeleteBookmark);
    SetOperationWorker<TRemoveHyperlinkArgs>(WorkRemoveHyperlink);
    SetOperationWorker<TDeactivateHyperlinksArgs>(WorkDeactivateHyperlinks);
    SetOperationWorker<TSetHyperlinkArgs>(WorkSetHyperlink);
    SetOperationWorker<THyperlinkToUrlArgs>(WorkHyperlinkToUrl);
}
