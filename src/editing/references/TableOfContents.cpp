#include "editing/references/TableOfContents.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "base/text/TWideStringList.h"
#include "editing/fields/Bookmarks.h"
#include "editing/fields/FieldIndex.h"
#include "editing/formatting/BuiltInStyles.h"
#include "editing/formatting/Formatting.h"
#include "editing/references/GeneratedText.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/TDocClient.h"
#include "model/host/TEditingServices.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "platform/CodePages.h"

namespace {

// Bookmark names are 8-bit text in this code page.
constexpr int NameCodePage = 1252;
// The most characters of a heading an entry copies.
constexpr std::size_t MaxEntryText = 256;
// The name the table's own bookmark is made from.
constexpr const char* TableBookmarkName = "_Table_Of_Contents";

struct TTocEntry {
    std::int32_t Par = 0;
    std::int32_t Level = 1;
    std::u16string Text;
    std::string Bookmark;
    bool NewBookmark = false;
    TTextPos BookmarkStart{};
    TTextPos BookmarkEnd{};
};

std::int32_t BuiltInIdOf(const TDoc& doc, std::int32_t style) {
    if (doc.Styles == nullptr || style < 0 || style >= doc.Styles->Count)
        return -1;
    return doc.Styles->Style(style)->BuiltInId;
}

// The entry level of a paragraph (1 for the top), 0 when it is no heading
// within the levels asked for.
std::int32_t HeadingLevel(const TDoc& doc, const TPar& par, const TGenerateTocOptions& options) {
    const std::int32_t id = BuiltInIdOf(doc, par.Format.Style);
    if (id >= bsHeading1 && id < bsHeading1 + options.Levels)
        return id - bsHeading1 + 1;
    if (options.OutlineLevels != 0 && par.Format.OutlineLevel >= 0 && par.Format.OutlineLevel < options.Levels)
        return par.Format.OutlineLevel + 1;
    return 0;
}

// The fields whose marks of a code stand in a paragraph, in stream order.
void FieldMarksIn(const TPar& par, std::uint8_t code, std::vector<TField*>& out, std::int32_t upToOffset = -1) {
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl) {
            pos += e.Length;
        } else if (e.Truncated) {
            break;
        } else if (ControlTakesPosition(e.Code)) {
            ++pos;
        } else if (e.Code == code) {
            if (upToOffset >= 0 && pos > upToOffset)
                break;
            if (auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value)))
                out.push_back(field);
        }
        if (upToOffset >= 0 && pos > upToOffset)
            break;
    }
}

bool StartsFieldOfType(const TPar& par, std::uint8_t type) {
    std::vector<TField*> starts;
    FieldMarksIn(par, fcFieldStart, starts);
    return std::any_of(starts.begin(), starts.end(),
                       [type](const TField* f) { return f->Kind == fkCode && f->Type == type; });
}

// What the heading's entry shows: its list label and its text, breaks and
// tabs as single blanks (none in front), note references left out.
std::u16string EntryText(TPar& par) {
    par.BuildWideText();
    std::u16string source;
    if (par.IsNumberedListPar())
        par.GetListLabelText(source);
    std::u16string text = par.WideText.substr(0, std::max(0, par.CharCount() - 1));
    if (text.size() > MaxEntryText)
        text.resize(MaxEntryText);
    source += text;
    std::u16string out;
    for (char16_t c : source) {
        if (c == chColumnBreak || c == chLineBreak || c == chPageBreak || c == chTab) {
            if (!out.empty())
                out += u' ';
        } else if (c == chNoteRef || c < chColumnBreak || c == chShapeAnchor) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

std::u16string WideName(const std::string& name) {
    return Platform::BytesToWide(NameCodePage, name);
}

struct TNameSet {
    std::unordered_set<std::string> Names;
};

bool NameTaken(void* context, const std::string& name) {
    return static_cast<TNameSet*>(context)->Names.contains(name);
}

void CollectBookmarkNames(TDoc& doc, TNameSet& set) {
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const TField* f = doc.Fields.At<TField>(i);
        if (f->Kind == fkBookmark)
            set.Names.insert(Platform::WideToBytes(NameCodePage, f->Instruction));
    }
}

// The heading's bookmark: the first one starting in it, else a new one
// over its text from its first character that is no break.
void ChooseBookmark(TDoc& doc, TTocEntry& entry, TNameSet& names) {
    TPar& par = *doc.Par(entry.Par);
    std::vector<TField*> starts;
    FieldMarksIn(par, fcFieldStart, starts);
    for (TField* f : starts)
        if (f->Kind == fkBookmark && !f->Instruction.empty()) {
            entry.Bookmark = Platform::WideToBytes(NameCodePage, f->Instruction);
            return;
        }
    par.BuildWideText();
    std::int32_t first = 0;
    const std::int32_t end = par.CharCount() - 1;
    while (first < end && par.Chars.Data[first] >= chParEnd && par.Chars.Data[first] <= chPageBreak)
        ++first;
    std::u16string text = par.WideText.substr(first, std::min<std::int32_t>(end - first, MaxMadeBookmarkName));
    if (text.empty())
        par.GetListLabelText(text);
    std::erase_if(text, [](char16_t c) { return c > 255; });
    entry.Bookmark = BookmarkNameFromText(Platform::WideToBytes(NameCodePage, text), NameTaken, &names);
    names.Names.insert(entry.Bookmark);
    entry.NewBookmark = true;
    MakeTextPos(entry.Par, first, entry.BookmarkStart);
    MakeTextPos(entry.Par, end, entry.BookmarkEnd);
}

std::string FreeTableBookmarkName(const TNameSet& names) {
    std::string name = TableBookmarkName;
    for (std::int32_t n = 2; names.Names.contains(name); ++n)
        name = std::string(TableBookmarkName) + "_" + std::to_string(n);
    return name;
}

// Reads the look of an existing table into the options: its first entry
// paragraph decides whether numbers are right-aligned (a right stop and a
// tab in its text) and with which leader; numbers are shown when a PAGEREF
// starts inside it.
void ReadTableLook(TDoc& doc, const TFragment& range, TGenerateTocOptions& options) {
    options.PageNumbers = 0;
    options.RightAligned = 0;
    bool firstEntrySeen = false;
    for (std::int32_t p = range.Start.Par; p <= range.End.Par; ++p) {
        TPar& par = *doc.Par(p);
        if (StartsFieldOfType(par, ftPageRef))
            options.PageNumbers = 1;
        if (firstEntrySeen || BuiltInIdOf(doc, par.Format.Style) == bsTocTitle)
            continue;
        firstEntrySeen = true;
        const bool hasTab =
            std::find(par.Chars.Data, par.Chars.Data + par.Chars.Size, chTab) != par.Chars.Data + par.Chars.Size;
        if (par.Format.Tabs > 0 && TabManager != nullptr && hasTab) {
            const TTabTable* table = TabManager->Table(par.Format.Tabs);
            for (std::int32_t i = 0; i < table->Count; ++i) {
                std::int32_t position;
                std::uint8_t alignment, leader;
                UnpackTabStop(table->Stop(i), position, alignment, leader);
                if (alignment == taRight) {
                    options.RightAligned = 1;
                    options.Leader = leader;
                }
            }
        }
    }
}

// Redefines "TOC Title" and each level's TOC style from the first
// paragraph of the table that has it, so that what the user changed in the
// table's look survives its regeneration.
void RedefineTocStyles(TDoc& doc, const TFragment& range) {
    TCompoundFragment* saved = CloneCompoundFragment(*doc.Selection);
    const TTextPos caret = doc.Caret;
    std::vector<std::int32_t> done;
    for (std::int32_t p = range.Start.Par; p <= range.End.Par; ++p) {
        const std::int32_t style = doc.Par(p)->Format.Style;
        const std::int32_t id = BuiltInIdOf(doc, style);
        const bool tocStyle = id == bsTocTitle || (id >= bsToc1 && id < bsToc1 + 9);
        if (!tocStyle || std::find(done.begin(), done.end(), style) != done.end())
            continue;
        done.push_back(style);
        doc.Selection->SetSingle(p, 0, p, std::max(0, doc.Par(p)->CharCount() - 1));
        MakeTextPos(p, 0, doc.Caret);
        UpdateStyle(doc, style);
    }
    doc.Selection->Assign(*saved);
    ReleaseCompoundFragment(saved);
    doc.Caret = caret;
}

// The tab table an entry paragraph of this format gets: its own when that
// is exactly the one right stop wanted, else a table of that stop.
std::int16_t EntryTabs(const TParFormat& format, std::int32_t position, std::uint8_t leader) {
    if (TabManager == nullptr)
        return format.Tabs;
    const std::uint32_t wanted = MakeTabStop(position, taRight, leader);
    if (format.Tabs > 0) {
        const TTabTable* own = TabManager->Table(format.Tabs);
        if (own->Count == 1) {
            std::int32_t at;
            std::uint8_t alignment, ownLeader;
            UnpackTabStop(own->Stop(0), at, alignment, ownLeader);
            if (alignment == taRight && at <= position && ownLeader == leader)
                return format.Tabs;
        }
    }
    TList list;
    AddTabStop(list, wanted);
    return static_cast<std::int16_t>(TabManager->InternTabTable(list));
}

// The leader of a style's last tab stop; dots when it has none.
std::uint8_t LastTabLeader(const TParFormat& format) {
    if (TabManager == nullptr || format.Tabs <= 0)
        return tlDots;
    const TTabTable* table = TabManager->Table(format.Tabs);
    if (table->Count == 0)
        return tlDots;
    std::int32_t position;
    std::uint8_t alignment, leader;
    UnpackTabStop(table->Stop(table->Count - 1), position, alignment, leader);
    return leader;
}

TField* NewBookmark(const std::string& name) {
    auto* field = new TField;
    field->Kind = fkBookmark;
    field->Instruction = WideName(name);
    return field;
}

// A field mark standing before a paragraph's first character.
struct TLeadingMark {
    TField* Field = nullptr;
    std::uint8_t Code = 0;
};

// Takes out the marks of the fields that start before the paragraph's first
// character (both marks of those that also end there), in stream order, so
// that text inserted there does not end up inside those fields.
std::vector<TLeadingMark> LiftLeadingMarks(TDoc& doc, std::int32_t par) {
    std::vector<TField*> starts;
    FieldMarksIn(*doc.Par(par), fcFieldStart, starts, 0);
    std::vector<TLeadingMark> lifted;
    const TPar& p = *doc.Par(par);
    TStreamElement e;
    for (std::int32_t off = 0; off < p.Stream.Size; off += e.Length) {
        ReadStreamElement(p.Stream.Data, p.Stream.Size, off, e);
        if (!e.IsControl || e.Truncated || ControlTakesPosition(e.Code))
            break;
        if (e.Code != fcFieldStart && e.Code != fcFieldEnd)
            continue;
        auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
        const bool started = std::find(starts.begin(), starts.end(), field) != starts.end();
        if (field != nullptr && started)
            lifted.push_back({field, e.Code});
    }
    for (const TLeadingMark& mark : lifted) {
        auto* step = new TInsDelFieldOperation(&doc, mark.Code == fcFieldStart ? fmStart : fmEnd, mark.Field);
        step->Present = 1;
        step->StartPar = step->EndPar = par;
        step->StartOffset = step->EndOffset = 0;
        step->Execute();
    }
    return lifted;
}

void PutBackMarks(TDoc& doc, const std::vector<TLeadingMark>& lifted, std::int32_t par) {
    for (std::size_t i = 0; i < lifted.size(); ++i) {
        const bool start = lifted[i].Code == fcFieldStart;
        auto* step = new TInsDelFieldOperation(&doc, start ? fmStart : fmEnd, lifted[i].Field);
        step->Present = 0;
        step->StartPar = step->EndPar = par;
        step->StartOffset = step->EndOffset = 0;
        step->StartIndex = step->EndIndex = static_cast<std::int32_t>(i);
        step->Execute();
    }
}

}  // namespace

TGenerateTocOptions ParseTocInstruction(std::u16string_view instruction) {
    TGenerateTocOptions options;
    const std::unique_ptr<TWideStringList> tokens = TokenizeFieldCode(instruction);
    for (std::int32_t i = 0; i < tokens->Count; ++i) {
        const std::u16string& t = tokens->GetString(i);
        const bool hasNext = i + 1 < tokens->Count;
        if (t == u"\\n") {
            options.PageNumbers = 0;
        } else if (t.size() == 3 && t[0] == u'\\' && t[1] == u'r' && t[2] >= u'0' && t[2] <= u'9') {
            options.RightAligned = 1;
            options.Leader = static_cast<std::uint8_t>(std::max(0, t[2] - u'0' - 1));
        } else if (t == u"\\o") {
            if (hasNext && !tokens->GetString(i + 1).empty() && tokens->GetString(i + 1)[0] == u'1') {
                const std::u16string& range = tokens->GetString(++i);
                const char16_t last = range.back();
                if (last >= u'0' && last <= u'9')
                    options.Levels = std::clamp(last - u'0', 1, 9);
            }
        } else if (t == u"\\e") {
            if (hasNext) {
                options.Title = tokens->GetString(++i);
                options.ShowTitle = 1;
            }
        } else if (t == u"\\u") {
            options.OutlineLevels = 1;
        }
    }
    return options;
}

std::u16string BuildTocInstruction(const TGenerateTocOptions& options) {
    const std::int32_t levels = std::clamp(options.Levels, 1, 9);
    std::u16string out = u"TOC \\h \\o \"1-";
    out += static_cast<char16_t>(u'0' + levels);
    out += u'"';
    if (options.OutlineLevels != 0)
        out += u" \\u";
    if (options.PageNumbers == 0) {
        out += u" \\n";
    } else if (options.RightAligned != 0) {
        out += u" \\r";
        out += static_cast<char16_t>(u'0' + std::min<std::int32_t>(options.Leader, 8) + 1);
    } else {
        out += u" \\p \" \"";
    }
    if (options.ShowTitle != 0) {
        out += u" \\e \"";
        out += EscapeFieldArg(options.Title);
        out += u'"';
    }
    return out;
}

TField* TocAtCaret(TDoc& doc, TFragment* range) {
    TTextPos at = doc.Caret;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        at = span.Start;
    }
    TField* toc = FindFieldAt(doc, at, range, TFieldTypeSet{}, ftToc, fkCode);
    if (toc == nullptr) {
        doc.PushStateFlag(sfInclusiveFieldEnds);
        toc = FindFieldAt(doc, at, range, TFieldTypeSet{}, ftToc, fkCode);
        doc.PopStateFlag();
    }
    return toc;
}

std::int32_t GenerateToc(TDoc& doc, const TGenerateTocOptions& given) {
    TGenerateTocOptions options = given;
    options.Levels = std::clamp(options.Levels, 1, 9);

    TTextPos at = doc.Caret;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        at = span.Start;
    }
    if (doc.StoryOfPar(at.Par) != stMain)
        return 0;
    TTextPos insertAt;
    MakeTextPos(at.Par, 0, insertAt);

    // A table that holds the insertion point (or ends just before it) is
    // replaced.
    TFragment oldRange;
    TField* old = FindFieldAt(doc, insertAt, &oldRange, TFieldTypeSet{}, ftToc, fkCode);
    if (old == nullptr && insertAt.Par > doc.FirstParOfStory(stMain)) {
        TTextPos probe;
        MakeTextPos(insertAt.Par - 1, doc.Par(insertAt.Par - 1)->CharCount() - 1, probe);
        old = FindFieldAt(doc, probe, &oldRange, TFieldTypeSet{}, ftToc, fkCode);
    }
    const bool replacing = old != nullptr;
    std::u16string instruction;
    if (replacing) {
        if (options.Update != 0) {
            RedefineTocStyles(doc, oldRange);
            instruction = old->Instruction;
            TGenerateTocOptions read = ParseTocInstruction(instruction);
            read.StyleSource = options.StyleSource;
            read.Update = 1;
            ReadTableLook(doc, oldRange, read);
            options = read;
        }
        TTextPos from, to;
        MakeTextPos(oldRange.Start.Par, 0, from);
        if (oldRange.End.Par < doc.LastParOfStory(stMain))
            MakeTextPos(oldRange.End.Par + 1, 0, to);
        else
            MakeTextPos(oldRange.End.Par, doc.Par(oldRange.End.Par)->CharCount() - 1, to);
        doc.DeleteText(nullptr, from, to, 0);
        insertAt = from;
    }

    // The headings from the insertion point down to the next table.
    std::int32_t scanEnd = doc.LastParOfStory(stMain);
    for (std::int32_t p = insertAt.Par; p <= scanEnd; ++p)
        if (StartsFieldOfType(*doc.Par(p), ftToc)) {
            scanEnd = p - 1;
            break;
        }
    std::vector<TTocEntry> entries;
    bool listed = false;
    for (std::int32_t p = insertAt.Par; p <= scanEnd; ++p) {
        const TPar& par = *doc.Par(p);
        const std::int32_t level = HeadingLevel(doc, par, options);
        if (level == 0)
            continue;
        listed = listed || par.IsNumberedListPar();
        TTocEntry entry;
        entry.Par = p;
        entry.Level = level;
        entries.push_back(entry);
    }
    if (listed)
        EditingServices().RenumberLists(doc);
    std::erase_if(entries, [&](TTocEntry& e) {
        e.Text = EntryText(*doc.Par(e.Par));
        return e.Text.empty();
    });
    if (entries.empty())
        return 0;

    EnsureTOCStyles(doc, options.StyleSource, options.Update != 0 ? nullptr : options.Template, nullptr, options.Levels,
                    options.Update != 0);

    TNameSet names;
    CollectBookmarkNames(doc, names);
    for (TTocEntry& entry : entries)
        ChooseBookmark(doc, entry, names);
    const std::string tableName = FreeTableBookmarkName(names);

    // The entries' look: the level styles' formats, with one right stop
    // at the text width when numbers are right-aligned.
    const std::int32_t tabPosition = PageNumberTabPosition(doc.SectionOfPar(insertAt.Par));
    const bool rightAligned = options.PageNumbers != 0 && options.RightAligned != 0;
    const std::int8_t inTable = doc.Par(insertAt.Par)->Format.InTable;
    TParFormat levelPar[9];
    TCharFormat levelChar[9];
    for (std::int32_t level = 1; level <= options.Levels; ++level) {
        TParFormat& pf = levelPar[level - 1];
        StyleFormats(doc, doc.Styles->IndexOfBuiltIn(bsToc1 + level - 1), pf, levelChar[level - 1]);
        pf.InTable = inTable;
        if (rightAligned) {
            const std::uint8_t leader = options.Leader == 255 ? LastTabLeader(pf) : options.Leader;
            if (level == 1 && options.Leader == 255)
                options.Leader = leader;
            pf.Tabs = EntryTabs(pf, tabPosition, leader);
        }
    }
    if (options.Update == 0 || instruction.empty())
        instruction = BuildTocInstruction(options);

    TGeneratedText text;
    TField* toc = NewFieldCode(ftToc, instruction);
    TField* tableBookmark = NewBookmark(tableName);
    text.FieldStart(tableBookmark);
    text.FieldStart(toc);
    std::int32_t generated = 0;
    if (options.ShowTitle != 0) {
        TParFormat pf;
        TCharFormat cf;
        StyleFormats(doc, doc.Styles->IndexOfBuiltIn(bsTocTitle), pf, cf);
        pf.InTable = inTable;
        text.SetFormat(cf);
        text.Text(options.Title);
        text.EndParagraph(pf);
        ++generated;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TTocEntry& entry = entries[i];
        const std::u16string name = WideName(entry.Bookmark);
        text.SetFormat(levelChar[entry.Level - 1]);
        TField* link = NewFieldCode(ftHyperlink, BuildHyperlinkCode(u"", name, u""));
        text.FieldStart(link);
        text.Text(entry.Text);
        if (options.PageNumbers != 0) {
            if (rightAligned)
                text.Special(chTab);
            else
                text.Text(u" ");
            TField* ref = NewFieldCode(ftPageRef, u"PAGEREF " + name);
            text.FieldStart(ref);
            text.Text(u"?");
            text.FieldEnd(ref);
        }
        text.FieldEnd(link);
        if (i + 1 == entries.size()) {
            text.FieldEnd(toc);
            text.FieldEnd(tableBookmark);
        }
        text.EndParagraph(levelPar[entry.Level - 1]);
        ++generated;
    }
    // A new table keeps an empty paragraph between itself and the text
    // below; a replaced one already had it.
    if (!replacing) {
        TParFormat pf;
        TCharFormat cf;
        StyleFormats(doc, 0, pf, cf);
        pf.InTable = inTable;
        text.EndParagraph(pf);
    }

    const std::vector<TLeadingMark> lifted = LiftLeadingMarks(doc, insertAt.Par);
    doc.InsertFormatted(text.Stream, insertAt, 0, stMain, text.ParEnds, nullptr);
    const std::int32_t shift = text.ParEnds;
    PutBackMarks(doc, lifted, insertAt.Par + shift);

    // The headings' new bookmarks, now that they stand further down.
    for (const TTocEntry& entry : entries) {
        if (!entry.NewBookmark)
            continue;
        // The bookmark is new, so its places are the ones given here.
        TTextPos start = entry.BookmarkStart;
        start.Par += shift;
        TTextPos end = entry.BookmarkEnd;
        end.Par += shift;
        (new TInsDelFieldOperation(&doc, fmBoth, NewBookmark(entry.Bookmark), start, 1 << 16, end, 0))->Execute();
    }

    const std::int32_t last = insertAt.Par + generated - 1;
    TTextPos caret;
    MakeTextPos(last, doc.Par(last)->CharCount() - 1, caret);
    doc.PostActions().Caret = caret;
    doc.PostActions().Selection->Reset();
    return generated;
}

void RemoveToc(TDoc& doc, TField* toc) {
    TFragment range;
    if (toc == nullptr)
        toc = TocAtCaret(doc, &range);
    if (toc == nullptr || !doc.Fields.Contains(toc) || !doc.FieldRange(toc, range))
        return;
    std::vector<TField*> inside;
    FieldsInRanges(doc, nullptr, &range, inside, ftPageRef, fkCode);
    FieldsInRanges(doc, nullptr, &range, inside, ftHyperlink, fkCode);
    std::vector<TField*> starting;
    for (TField* f : inside) {
        TFragment r;
        if (f != toc && IndexedFieldRange(doc, f, r) && CompareTextPos(r.Start, range.Start) >= 0 &&
            CompareTextPos(r.Start, range.End) < 0)
            starting.push_back(f);
    }
    SortFieldsByPosition(doc, starting);
    doc.DeleteField(toc);
    for (auto it = starting.rbegin(); it != starting.rend(); ++it)
        doc.DeleteField(*it);
    doc.PostActions().Caret = doc.Caret;
}

bool TocPageReferenceRange(TDoc& doc, TFragment& range) {
    if (TocAtCaret(doc, &range) == nullptr)
        return false;
    doc.Client->Paginate(doc, 0, INT32_MAX);
    return true;
}

void TocBookmarks(TDoc& doc, std::vector<std::string>& names) {
    TFragment range;
    if (TocAtCaret(doc, &range) == nullptr)
        return;
    auto add = [&](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    std::vector<TField*> links;
    FieldsInRanges(doc, nullptr, &range, links, ftHyperlink, fkCode);
    SortFieldsByPosition(doc, links);
    for (TField* link : links) {
        std::u16string target, bookmark;
        ParseHyperlinkCode(link->Instruction, target, bookmark, nullptr);
        const std::string name = Platform::WideToBytes(NameCodePage, bookmark);
        if (target.empty() && !bookmark.empty() && BookmarkExists(doc, name))
            add(name);
    }
    std::vector<TField*> bookmarks;
    FieldsInRanges(doc, nullptr, &range, bookmarks, 255, fkBookmark);
    for (TField* b : bookmarks) {
        TFragment r;
        if (IndexedFieldRange(doc, b, r) && CompareTextPos(r.Start, range.Start) == 0)
            add(Platform::WideToBytes(NameCodePage, b->Instruction));
    }
}
