#include "editing/references/AlphabeticalIndex.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/core/ObjectHandles.h"
#include "editing/fields/Bookmarks.h"
#include "editing/fields/FieldIndex.h"
#include "editing/fields/FieldResults.h"
#include "editing/formatting/BuiltInStyles.h"
#include "editing/references/CellWidth.h"
#include "editing/references/GeneratedText.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/FieldOperations.h"
#include "platform/CodePages.h"
#include "platform/Collation.h"

namespace {

// Built-in style ids of the index.
constexpr std::int32_t IndexStyle1 = 10;
constexpr std::int32_t IndexHeadingStyle = 33;
constexpr std::int32_t MaxIndexLevels = 9;
// The primary languages whose "See" word is set in italic.
constexpr std::int32_t LangEnglish = 9;
constexpr std::int32_t LangFrench = 12;
// The red of error texts, as a colour attribute (0x00BBGGRR).
constexpr std::int32_t ErrorRed = 0x0000C0;

std::int32_t PrimaryLanguage(std::int32_t language) {
    return language & 0x3FF;
}

bool IsLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || Platform::IsLetterWide(c);
}

// The levels of an entry text: runs of colons count as one, colons at
// either end are dropped.
std::vector<std::u16string> SplitLevels(std::u16string_view text) {
    std::vector<std::u16string> levels;
    std::u16string level;
    for (char16_t c : text) {
        if (c == u':') {
            if (!level.empty())
                levels.push_back(std::move(level));
            level.clear();
        } else {
            level += c;
        }
    }
    if (!level.empty())
        levels.push_back(std::move(level));
    return levels;
}

int CompareLevels(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b, std::uint32_t lcid) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i])
            continue;
        int c = Platform::CompareWideInLocale(lcid, Platform::clIgnoreCase, a[i], b[i]);
        if (c == 0)
            c = Platform::CompareWideInLocale(lcid, 0, a[i], b[i]);
        if (c != 0)
            return c;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// One page reference of a group.
struct TPageRef {
    std::int32_t Start = 0;  // page indices
    std::int32_t End = 0;
    TTextPos Pos{};
    std::uint8_t Bold = 0;
    std::uint8_t Italic = 0;
};

// The entries of one text, with what their locator is made of.
struct TIndexGroup {
    std::vector<std::u16string> Levels;
    std::vector<TPageRef> Pages;
    std::vector<std::u16string> CrossReferences;
};

struct TParsedEntry {
    std::vector<std::u16string> Levels;
    TXEOptions Options;
    const TIndexEntryField* Field = nullptr;
};

std::u16string Mark(char16_t digit) {
    return std::u16string(1, u'\t') + digit;
}

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// The number a PAGE field would show for a page index, in the section of
// the position.
std::u16string PageText(TDoc& doc, const TTextPos& pos, std::int32_t page) {
    TSection* section = doc.SectionOfPar(pos.Par);
    const std::int32_t number = PageNumberInSection(doc, section, page + 1);
    return Ascii(FormatNumberStyle(number, section != nullptr ? section->PageNumberStyle : pnDecimal));
}

// The text of a cross reference, its "See" word in italic in the
// languages that have one.
std::u16string CrossReferenceText(const std::u16string& text, std::int32_t language) {
    const std::int32_t primary = PrimaryLanguage(language);
    const std::u16string_view word = primary == LangEnglish ? u"See " : (primary == LangFrench ? u"Voir " : u"");
    if (!word.empty() && text.starts_with(word)) {
        const std::u16string_view bare = word.substr(0, word.size() - 1);
        return Mark(imItalicOn) + std::u16string(bare) + Mark(imItalicOff) + text.substr(bare.size());
    }
    return text;
}

std::u16string Locator(TDoc& doc, TIndexGroup& group, std::uint32_t lcid) {
    std::sort(group.Pages.begin(), group.Pages.end(), [](const TPageRef& a, const TPageRef& b) {
        if (a.Start != b.Start)
            return a.Start < b.Start;
        if (a.End != b.End)
            return a.End < b.End;
        return CompareTextPos(a.Pos, b.Pos) < 0;
    });
    std::u16string out;
    const TPageRef* previous = nullptr;
    for (const TPageRef& ref : group.Pages) {
        if (previous != nullptr && previous->Start == ref.Start && previous->End == ref.End)
            continue;
        previous = &ref;
        if (!out.empty())
            out += u", ";
        std::u16string number = PageText(doc, ref.Pos, ref.Start);
        if (ref.End != ref.Start)
            number += u"-" + PageText(doc, ref.Pos, ref.End);
        if (ref.Italic != 0)
            number = Mark(imItalicOn) + number + Mark(imItalicOff);
        if (ref.Bold != 0)
            number = Mark(imBoldOn) + number + Mark(imBoldOff);
        out += number;
    }
    std::sort(group.CrossReferences.begin(), group.CrossReferences.end(),
              [lcid](const std::u16string& a, const std::u16string& b) {
                  return Platform::CompareWideInLocale(lcid, 0, a, b) < 0;
              });
    group.CrossReferences.erase(std::unique(group.CrossReferences.begin(), group.CrossReferences.end()),
                                group.CrossReferences.end());
    for (const std::u16string& reference : group.CrossReferences) {
        if (!out.empty())
            out += u". ";
        out += reference;
    }
    return out;
}

// Writes a generated string: a tab and a digit switch attributes (bold,
// italic, red and back to the style's values), every other character is
// text.
void WriteMarked(TGeneratedText& text, std::u16string_view s, const TCharFormat& style) {
    std::u16string run;
    auto flush = [&] {
        text.Text(run);
        run.clear();
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\t' && i + 1 < s.size() && s[i + 1] >= u'0' && s[i + 1] <= u'9') {
            flush();
            TCharFormat f = text.Format();
            switch (s[++i]) {
                case imBoldOn:
                    f[caBold] = 1;
                    break;
                case imBoldOff:
                    f[caBold] = style[caBold];
                    break;
                case imItalicOn:
                    f[caItalic] = 1;
                    break;
                case imItalicOff:
                    f[caItalic] = style[caItalic];
                    break;
                case imRedOn:
                    f[caColor] = ErrorRed;
                    break;
                default:
                    f[caColor] = style[caColor];
                    break;
            }
            text.SetFormat(f);
        } else {
            run += s[i];
        }
    }
    flush();
}

// The formats of the index's paragraphs.
struct TIndexLook {
    TParFormat Par[MaxIndexLevels];
    TCharFormat Char[MaxIndexLevels];
    TParFormat HeadingPar;
    TCharFormat HeadingChar;
};

void Paragraph(TGeneratedText& text,
               std::u16string_view content,
               std::u16string_view locator,
               bool tab,
               const TParFormat& pf,
               const TCharFormat& cf) {
    text.SetFormat(cf);
    WriteMarked(text, content, cf);
    if (!locator.empty()) {
        if (tab)
            text.Special(chTab);
        else
            text.Text(u", ");
        WriteMarked(text, locator, cf);
    }
    text.EndParagraph(pf);
}

// The XE fields that start at a position of a paragraph.
bool HasEntryAt(TDoc& doc, std::int32_t par, std::int32_t offset, const std::u16string& instruction) {
    const TPar& p = *doc.Par(par);
    std::int32_t pos = 0;
    TStreamElement e;
    for (std::int32_t off = 0; off < p.Stream.Size && pos <= offset; off += e.Length) {
        ReadStreamElement(p.Stream.Data, p.Stream.Size, off, e);
        if (!e.IsControl) {
            pos += e.Length;
        } else if (e.Truncated) {
            break;
        } else if (ControlTakesPosition(e.Code)) {
            ++pos;
        } else if (e.Code == fcFieldStart && pos == offset) {
            const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (field != nullptr && field->Kind == fkCode && field->Type == ftIndexEntry &&
                field->Instruction == instruction)
                return true;
        }
    }
    return false;
}

void InsertEntryField(TDoc& doc, const TTextPos& at, const std::u16string& instruction) {
    (new TInsDelFieldOperation(&doc, fmBoth, NewFieldCode(ftIndexEntry, instruction), at, 0, at, 1 << 16))->Execute();
}

// The letter an initial files under, found by comparing it, accents and
// case ignored, with the plain letters.
char16_t BaseLetter(char16_t upper, std::uint32_t lcid) {
    if (upper < 0x80)
        return upper;
    static std::map<std::pair<std::uint32_t, char16_t>, char16_t> cache;
    const auto key = std::make_pair(lcid, upper);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    char16_t found = upper;
    for (char16_t c = u'A'; c <= u'Z'; ++c)
        if (Platform::CompareWideInLocale(lcid, Platform::clIgnoreAccents | Platform::clIgnoreCase,
                                          std::u16string_view(&upper, 1), std::u16string_view(&c, 1)) == 0) {
            found = c;
            break;
        }
    cache.emplace(key, found);
    return found;
}

}  // namespace

char16_t IndexHeadingLetter(std::u16string_view entry, std::uint32_t language) {
    if (entry.empty())
        return 0;
    const std::uint32_t lcid = language != 0 ? language : 0x400;
    return BaseLetter(Platform::UpperWideCharInLocale(lcid, entry[0]), lcid);
}

int CompareIndexEntries(std::u16string_view a, std::u16string_view b, std::uint32_t language) {
    return CompareLevels(SplitLevels(a), SplitLevels(b), language != 0 ? language : 0x400);
}

void CollectIndexEntryFields(TDoc& doc, std::vector<TIndexEntryField>& fields) {
    fields.clear();
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
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
            } else if (e.Code == fcFieldStart) {
                auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                if (field != nullptr && field->Kind == fkCode && field->Type == ftIndexEntry) {
                    TIndexEntryField entry;
                    entry.Field = field;
                    MakeTextPos(p, pos, entry.Pos);
                    fields.push_back(entry);
                }
            }
        }
    }
    for (TIndexEntryField& entry : fields)
        entry.Page = PageOfPosition(doc, entry.Pos);
}

void IndexEntryPages(TDoc& doc, std::vector<TIndexEntryPage>& entries) {
    std::vector<TIndexEntryField> fields;
    CollectIndexEntryFields(doc, fields);
    entries.clear();
    for (const TIndexEntryField& f : fields)
        entries.push_back({f.Field, f.Page});
    std::sort(entries.begin(), entries.end(),
              [](const TIndexEntryPage& a, const TIndexEntryPage& b) { return a.Field < b.Field; });
}

void MarkIndexEntry(TDoc& doc, const std::u16string& instruction) {
    std::vector<TTextPos> places;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
            const TFragment& f = doc.Selection->Fragment(i);
            places.push_back(CompareTextPos(f.Start, f.End) <= 0 ? f.Start : f.End);
        }
    } else {
        places.push_back(doc.Caret);
    }
    // Last first, so that the places before stay where they are.
    std::sort(places.begin(), places.end(),
              [](const TTextPos& a, const TTextPos& b) { return CompareTextPos(a, b) > 0; });
    for (const TTextPos& at : places)
        if (at.Par >= 0 && at.Par < doc.ParCount())
            InsertEntryField(doc, at, instruction);
    doc.PostActions().Caret = doc.Caret;
    doc.PostActions().Selection->Assign(*doc.Selection);
}

void MarkAllIndexEntries(TDoc& doc, const TMarkIndexOptions& options) {
    const std::size_t n = std::min(options.Texts.size(), options.Instructions.size());
    std::int32_t first = doc.FirstParOfStory(stMain);
    std::int32_t last = doc.LastParOfStory(stEndnotes);
    if (doc.StoryOfPar(doc.Caret.Par) == stHeadersFooters) {
        first = doc.FirstParOfStory(stHeadersFooters);
        last = doc.LastParOfStory(stHeadersFooters);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::u16string& find = options.Texts[i];
        if (find.empty())
            continue;
        const bool boundBefore = IsLetterOrDigit(find.front());
        const bool boundAfter = IsLetterOrDigit(find.back());
        for (std::int32_t p = first; p <= last; ++p) {
            TPar& par = *doc.Par(p);
            if (par.CharCount() <= static_cast<std::int32_t>(find.size()))
                continue;
            par.BuildWideText();
            const std::u16string& text = par.WideText;
            for (std::size_t at = text.find(find); at != std::u16string::npos; at = text.find(find, at + 1)) {
                if (boundBefore && at > 0 && IsLetterOrDigit(text[at - 1]))
                    continue;
                const std::size_t end = at + find.size();
                if (boundAfter && end < text.size() && IsLetterOrDigit(text[end]))
                    continue;
                TTextPos pos;
                MakeTextPos(p, static_cast<std::int32_t>(at), pos);
                const bool inside = FindFieldAt(doc, pos, nullptr, TFieldTypeSet{}, ftIndex, fkCode) != nullptr ||
                                    FindFieldAt(doc, pos, nullptr, TFieldTypeSet{}, ftToc, fkCode) != nullptr;
                if (!inside && !HasEntryAt(doc, p, pos.Offset, options.Instructions[i]))
                    InsertEntryField(doc, pos, options.Instructions[i]);
                break;
            }
        }
    }
    doc.PostActions().Caret = doc.Caret;
    doc.PostActions().Selection->Assign(*doc.Selection);
}

void GenerateIndex(TDoc& doc, const std::u16string& instruction, const std::vector<TIndexEntryField>& fields) {
    TTextPos at = doc.Caret;
    if (!IsEmptyCompoundFragment(doc.Selection)) {
        TFragment span;
        doc.Selection->GetSpan(span);
        at = span.Start;
    }
    if (at.Par < 0 || at.Par >= doc.ParCount())
        return;
    at.Offset = std::clamp(at.Offset, 0, std::max(0, doc.Par(at.Par)->CharCount() - 1));
    const int story = doc.StoryOfPar(at.Par);

    // An index at the insertion point (its ends count) is replaced.
    TFragment oldRange;
    doc.PushStateFlag(sfInclusiveFieldEnds);
    TField* old = FindFieldAt(doc, at, &oldRange, TFieldTypeSet{}, ftIndex, fkCode);
    doc.PopStateFlag();
    if (old != nullptr) {
        TTextPos to = oldRange.End;
        if (to.Par < doc.LastParOfStory(story) && to.Offset >= doc.Par(to.Par)->CharCount() - 1)
            MakeTextPos(to.Par + 1, 0, to);
        doc.DeleteField(old);
        doc.DeleteText(nullptr, oldRange.Start, to, 0);
        at = oldRange.Start;
    }
    const std::int8_t inTable = doc.Par(at.Par)->Format.InTable;

    // Options; the language of the insertion point when none is known.
    TIndexOptions options = ParseIndexCode(instruction);
    if (options.Language == 0) {
        TCharFormat here;
        doc.FormatAtPos(at, here);
        options.Language = here[caLanguage];
    }
    const std::uint32_t lcid = options.Language > 0 ? static_cast<std::uint32_t>(options.Language) : 0x400;

    // Entries, sorted level by level; equal texts keep document order.
    std::vector<TParsedEntry> entries;
    entries.reserve(fields.size());
    std::int32_t deepest = 0;
    for (const TIndexEntryField& f : fields) {
        TParsedEntry e;
        ParseXECode(f.Field->Instruction, e.Options);
        e.Levels = SplitLevels(e.Options.EntryText);
        if (e.Levels.empty())
            continue;
        e.Field = &f;
        deepest = std::max<std::int32_t>(deepest, static_cast<std::int32_t>(e.Levels.size()) - 1);
        entries.push_back(std::move(e));
    }
    if (options.RunIn != 0)
        deepest = 0;
    std::stable_sort(entries.begin(), entries.end(), [lcid](const TParsedEntry& a, const TParsedEntry& b) {
        return CompareLevels(a.Levels, b.Levels, lcid) < 0;
    });

    // Groups of equal texts, each with its page references and cross
    // references.
    std::vector<TIndexGroup> groups;
    for (const TParsedEntry& e : entries) {
        if (groups.empty() || groups.back().Levels != e.Levels) {
            groups.emplace_back();
            groups.back().Levels = e.Levels;
        }
        TIndexGroup& g = groups.back();
        const TIndexEntryField& f = *e.Field;
        const std::int32_t page = std::max(0, f.Page);
        if (!e.Options.CrossReference.empty()) {
            g.CrossReferences.push_back(CrossReferenceText(e.Options.CrossReference, options.Language));
        } else if (!e.Options.Bookmark.empty()) {
            TField* bookmark = FindBookmark(doc, e.Options.Bookmark);
            TFragment range;
            if (bookmark != nullptr && doc.FieldRange(bookmark, range)) {
                TPageRef ref{std::max(0, PageOfPosition(doc, range.Start)), std::max(0, PageOfPosition(doc, range.End)),
                             f.Pos, e.Options.Bold, e.Options.Italic};
                ref.End = std::max(ref.End, ref.Start);
                g.Pages.push_back(ref);
            } else {
                const std::u16string name = Platform::BytesToWide(1252, e.Options.Bookmark);
                g.CrossReferences.push_back(Mark(imBoldOn) + Mark(imRedOn) + u"Error: invalid bookmark \"" + name +
                                            u"\" in entry on page " + PageText(doc, f.Pos, page) + u"!" +
                                            Mark(imRedOff) + Mark(imBoldOff));
            }
        } else {
            g.Pages.push_back({page, page, f.Pos, e.Options.Bold, e.Options.Italic});
        }
    }

    // Styles.
    TIndexLook look;
    const std::int32_t levels = std::min(deepest + 1, MaxIndexLevels);
    if (!groups.empty()) {
        for (std::int32_t i = 0; i < levels; ++i)
            EnsureBuiltInStyle(doc, IndexStyle1 + i);
        if (options.LetterHeadings != 0)
            EnsureBuiltInStyle(doc, IndexHeadingStyle);
    }
    for (std::int32_t i = 0; i < MaxIndexLevels; ++i) {
        StyleFormats(doc, doc.Styles->IndexOfBuiltIn(IndexStyle1 + std::min(i, levels - 1)), look.Par[i], look.Char[i]);
        look.Par[i].InTable = inTable;
    }
    StyleFormats(doc, doc.Styles->IndexOfBuiltIn(IndexHeadingStyle), look.HeadingPar, look.HeadingChar);
    look.HeadingPar.InTable = inTable;

    // Columns make a section of the index's own, outside tables.
    TSection* here = doc.SectionOfPar(at.Par);
    const bool columns = options.Columns > 0 && inTable == 0 && story == stMain && here != nullptr;
    TSection* before = nullptr;
    TSection* own = nullptr;
    if (columns) {
        before = new TSection(&doc);
        before->Assign(*here);
        before->Format.BreakKind = 0;
        own = new TSection(&doc);
        own->Assign(*before);
        own->Format.ColumnCount = options.Columns;
        own->Format.EqualColumns = 1;
    }

    // Right-aligned page numbers after a tab, at the cell's inner width in a
    // table, else at the text width or the first column's.
    const bool tab = options.RightAlignedPages != 0 && options.RunIn == 0;
    if (tab && TabManager != nullptr) {
        std::int32_t width = inTable != 0 ? CellInnerWidth(doc, at.Par) : PageNumberTabPosition(here);
        if (columns) {
            const std::int32_t n = options.Columns;
            width = (here->PageSetup.TextWidth - (n - 1) * own->Format.ColumnSpacing) / n;
        }
        TList list;
        AddTabStop(list, MakeTabStop(width, taRight, static_cast<std::uint8_t>(std::max(0, options.TabLeader))));
        const auto tabs = static_cast<std::int16_t>(TabManager->InternTabTable(list));
        for (TParFormat& pf : look.Par)
            pf.Tabs = tabs;
    }

    TGeneratedText text;
    TField* index = NewFieldCode(ftIndex, instruction);
    text.FieldStart(index);
    if (columns) {
        TParFormat pf;
        TCharFormat cf;
        StyleFormats(doc, 0, pf, cf);
        pf.InTable = 0;
        text.SetFormat(cf);
        text.EndSection(before, pf);
    }
    const bool french = PrimaryLanguage(options.Language) == LangFrench;
    char16_t letter = 0;
    std::vector<std::u16string> previous;
    for (std::size_t gi = 0; gi < groups.size();) {
        TIndexGroup& g = groups[gi];
        if (options.LetterHeadings != 0) {
            const char16_t initial = IndexHeadingLetter(g.Levels[0], lcid);
            if (initial != letter) {
                letter = initial;
                Paragraph(text, std::u16string(1, initial), u"", false, look.HeadingPar, look.HeadingChar);
            }
        }
        if (options.RunIn != 0) {
            // The entries that share the first level run into one paragraph.
            std::u16string content = g.Levels[0];
            std::size_t gj = gi;
            if (g.Levels.size() == 1) {
                const std::u16string locator = Locator(doc, g, lcid);
                if (!locator.empty())
                    content += u", " + locator;
                ++gj;
            }
            bool firstSub = true;
            for (; gj < groups.size() && groups[gj].Levels[0] == g.Levels[0]; ++gj) {
                TIndexGroup& sub = groups[gj];
                content += firstSub ? (french ? u" : " : u": ") : u"; ";
                firstSub = false;
                for (std::size_t l = 1; l < sub.Levels.size(); ++l) {
                    if (l > 1)
                        content += u"; ";
                    content += sub.Levels[l];
                }
                const std::u16string locator = Locator(doc, sub, lcid);
                if (!locator.empty())
                    content += u", " + locator;
            }
            Paragraph(text, content, u"", false, look.Par[0], look.Char[0]);
            gi = gj;
            continue;
        }
        std::size_t shared = 0;
        while (shared < previous.size() && shared < g.Levels.size() - 1 && previous[shared] == g.Levels[shared])
            ++shared;
        for (std::size_t l = shared; l < g.Levels.size(); ++l) {
            const std::size_t depth = std::min<std::size_t>(l, MaxIndexLevels - 1);
            const bool lastLevel = l + 1 == g.Levels.size();
            const std::u16string locator = lastLevel ? Locator(doc, g, lcid) : std::u16string();
            Paragraph(text, g.Levels[l], locator, tab, look.Par[depth], look.Char[depth]);
        }
        previous = g.Levels;
        ++gi;
    }
    if (groups.empty()) {
        TParFormat pf;
        TCharFormat cf;
        StyleFormats(doc, 0, pf, cf);
        pf.InTable = inTable;
        text.SetFormat(cf);
        WriteMarked(text,
                    Mark(imBoldOn) + Mark(imRedOn) + u"No index entries found." + Mark(imRedOff) + Mark(imBoldOff), cf);
        text.FieldEnd(index);
        text.EndParagraph(pf);
    } else if (columns) {
        TParFormat pf;
        TCharFormat cf;
        StyleFormats(doc, 0, pf, cf);
        pf.InTable = 0;
        text.SetFormat(cf);
        text.FieldEnd(index);
        text.EndSection(own, pf);
    } else {
        // The end mark goes before the last paragraph mark.
        const std::int32_t markSize = FormatControlSize + 2 + static_cast<std::int32_t>(sizeof(TParFormat));
        TMemory tail;
        tail.AssignBuffer(text.Stream.Data + text.Stream.Size - markSize, markSize);
        text.Stream.SetSize(text.Stream.Size - markSize);
        text.FieldEnd(index);
        text.Stream.AppendMemory(tail);
    }

    doc.InsertFormatted(text.Stream, at, 0, story, text.ParEnds, nullptr);
    TTextPos after;
    MakeTextPos(at.Par + text.ParEnds, 0, after);
    doc.PostActions().Caret = after;
    doc.PostActions().Selection->Reset();
}
