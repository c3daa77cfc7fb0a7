#include "editing/fields/FieldResults.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "base/core/ObjectHandles.h"
#include "base/text/TextCase.h"
#include "layout/boxes/TPage.h"
#include "layout/pagination/Pagination.h"
#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/host/TDocClient.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

struct TBookmarkLookup::TMap {
    TDoc* Doc = nullptr;
    bool Made = false;
    std::unordered_map<std::u16string, TField*> ByName;
    TMap* Outer = nullptr;
};

namespace {

constexpr int Windows1252 = 1252;

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

bool Contains(const std::u16string& text, std::u16string_view what) {
    return text.find(what) != std::u16string::npos;
}

// A number through the instruction's number switch.
std::u16string NumberText(const TField& field, std::int64_t n, std::int32_t defaultStyle) {
    const auto value = static_cast<std::int32_t>(std::clamp<std::int64_t>(n, -0x7FFFFFFF, 0x7FFFFFFF));
    return Ascii(FormatNumberStyle(value, NumberStyleOfInstruction(field.Instruction, defaultStyle)));
}

// A date through the instruction's date picture, or the language's first
// date (or time) format; a date of 0 shows nothing.
std::u16string DateText(const TField& field, std::int32_t language, TDateTime date, bool time) {
    if (date == 0)
        return {};
    std::u16string picture = DatePictureOf(field.Instruction);
    if (picture.empty())
        picture = FieldDateFormat(language, time);
    return FormatDatePicture(picture, language, date);
}

// The page (0 for the first) a line is placed on; -1 while it is not.
std::int32_t PageOfLine(const TLine* line) {
    if (line == nullptr || line->Box == nullptr)
        return -1;
    const TPage* page = line->Box->Page();
    return page != nullptr ? page->PageIndex : -1;
}

// The line holding a position when its paragraph is laid out.
TLine* LineAt(TDoc& doc, const TTextPos& pos, bool atEnd) {
    if (pos.Par < 0 || pos.Par >= doc.ParCount())
        return nullptr;
    TPar* par = doc.Par(pos.Par);
    if (!par->IsLaidOut() || par->LineCount() == 0)
        return nullptr;
    const std::int32_t line = par->LineOfChar(pos.Offset, 0, atEnd);
    return line >= 0 && line < par->LineCount() ? par->Lines->At<TLine>(line) : nullptr;
}

// The page index of a paragraph's first line, or the page count when the
// paragraph has not been placed.
std::int32_t PageOfParStart(TDoc& doc, std::int32_t par) {
    if (par >= 0 && par < doc.ParCount()) {
        const TPar* p = doc.Par(par);
        if (p->LineCount() > 0) {
            const std::int32_t page = PageOfLine(p->Lines->At<TLine>(0));
            if (page >= 0)
                return page;
        }
    }
    return doc.Pages.Count;
}

std::int32_t PageOfParEnd(TDoc& doc, std::int32_t par) {
    if (par >= 0 && par < doc.ParCount()) {
        const TPar* p = doc.Par(par);
        if (p->LineCount() > 0) {
            const std::int32_t page = PageOfLine(p->Lines->At<TLine>(p->LineCount() - 1));
            if (page >= 0)
                return page;
        }
    }
    return doc.Pages.Count - 1;
}

TSection* SectionOfField(TDoc& doc, const TFragment& range, const TFieldUpdateContext& context) {
    if (context.CurrentSection != nullptr)
        return context.CurrentSection;
    return doc.SectionOfPar(range.Start.Par);
}

std::int32_t PageNumberStyleOf(const TSection* section) {
    return section != nullptr ? section->PageNumberStyle : nsArabic;
}

// The living lookups, innermost first (a header's update may run inside
// a pass that pages the document).
TBookmarkLookup::TMap* LivingLookups = nullptr;

TField* FindBookmark(TDoc& doc, const std::u16string& name) {
    if (name.empty())
        return nullptr;
    // Bookmark names compare without regard to case, as Word files expect.
    const std::u16string wanted = LowerCaseWideLocale(name);
    TBookmarkLookup::TMap* map = LivingLookups;
    while (map != nullptr && map->Doc != &doc)
        map = map->Outer;
    if (map != nullptr) {
        if (!map->Made) {
            map->ByName.clear();
            // The first bookmark of a name in the field list wins, as in
            // the walk below.
            for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
                TField* f = doc.Fields.At<TField>(i);
                if (f->Kind == fkBookmark)
                    map->ByName.try_emplace(LowerCaseWideLocale(f->Instruction), f);
            }
            map->Made = true;
        }
        const auto it = map->ByName.find(wanted);
        return it == map->ByName.end() ? nullptr : it->second;
    }
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        TField* f = doc.Fields.At<TField>(i);
        if (f->Kind == fkBookmark && LowerCaseWideLocale(f->Instruction) == wanted)
            return f;
    }
    return nullptr;
}

std::u16string PageResult(TDoc& doc, const TField& field, const TFragment& range, TFieldUpdateContext& context) {
    std::int32_t physical;
    if (context.CurrentPage > 0) {
        physical = context.CurrentPage;
    } else {
        const std::int32_t page = PageOfLine(LineAt(doc, range.End, true));
        physical = page >= 0 ? page + 1 : doc.Pages.Count;
    }
    TSection* section = SectionOfField(doc, range, context);
    return NumberText(field, PageNumberInSection(doc, section, physical), PageNumberStyleOf(section));
}

std::u16string PageRefResult(TDoc& doc, const TField& field, const TFragment& range) {
    bool relative = false;
    std::u16string name;
    ParsePageRefCode(field.Instruction, nullptr, &relative, name);
    const TField* bookmark = FindBookmark(doc, name);
    TFragment target;
    if (bookmark == nullptr || !doc.FieldRange(bookmark, target))
        return u"?";
    const TPar* first = doc.Par(target.Start.Par);
    if (!first->IsLaidOut() || first->LineCount() == 0)
        return u"?";
    TLine* targetLine = LineAt(doc, target.Start, false);
    const std::int32_t targetPage = PageOfLine(targetLine);
    if (targetPage < 0) {
        doc.StateFlags[sfPageFieldsStale] = 1;
        return u"?";
    }
    TSection* section = doc.SectionOfPar(target.Start.Par);
    const std::int32_t number = PageNumberInSection(doc, section, targetPage + 1);
    const std::u16string numberText = NumberText(field, number, PageNumberStyleOf(section));
    if (!relative || doc.StoryOfPar(range.Start.Par) == stHeadersFooters)
        return numberText;
    TLine* fieldLine = LineAt(doc, range.Start, false);
    if (PageOfLine(fieldLine) == targetPage) {
        const bool higher = targetLine->Top < fieldLine->Top ||
                            (targetLine->Top == fieldLine->Top && CompareTextPos(target.Start, range.Start) < 0);
        return higher ? u"above" : u"below";
    }
    return u"on page " + numberText;
}

// The note's number or mark; format receives the attributes the result
// takes, and stays unset when the note is not found.
std::u16string NoteRefResult(TDoc& doc, const TField& field, const TFragment& range, TCharFormat& format) {
    bool formatted = false;
    std::u16string name;
    ParseNoteRefCode(field.Instruction, nullptr, &formatted, name);
    TField* note = field.FindReferencedNote(doc);
    if (note == nullptr)
        return u"Note reference not found!";
    TFragment noteRange;
    const bool placed = doc.FieldRange(note, noteRange);
    std::u16string text;
    if ((note->Flags & ffAutoNumber) != 0)
        text = Platform::BytesToWide(Windows1252, note->ResultText);
    else if (placed)
        text = doc.RangeText(noteRange);
    if (formatted && placed)
        doc.FormatAtPos(noteRange.Start, format);
    else
        doc.FormatAtPos(range.Start, format);
    return text;
}

// Words and characters of the main story counted plainly: a word is a run
// of characters other than blanks and the special characters, and every
// such character counts.
TFieldStatistics PlainStatistics(TDoc& doc) {
    TFieldStatistics s;
    for (std::int32_t p = doc.FirstParOfStory(stMain); p <= doc.LastParOfStory(stMain); ++p) {
        TPar* par = doc.Par(p);
        par->BuildWideText();
        bool inWord = false;
        for (char16_t ch : par->WideText) {
            const bool blank = ch <= 32 || ch == 0xA0;
            if (!blank) {
                ++s.Chars;
                if (!inWord)
                    ++s.Words;
            }
            inWord = !blank;
        }
    }
    return s;
}

}  // namespace

TBookmarkLookup::TBookmarkLookup(TDoc& doc) : Map(std::make_unique<TMap>()) {
    Map->Doc = &doc;
    Map->Outer = LivingLookups;
    LivingLookups = Map.get();
}

TBookmarkLookup::~TBookmarkLookup() {
    // Lookups end in the reverse order of their making.
    LivingLookups = Map->Outer;
}

void ForgetBookmarkLookups() {
    for (TBookmarkLookup::TMap* map = LivingLookups; map != nullptr; map = map->Outer)
        map->Made = false;
}

const TFieldStatistics& FieldStatistics(TDoc& doc, TFieldUpdateContext& context) {
    if (!context.StatisticsCollected) {
        context.Statistics = context.CollectStatistics ? context.CollectStatistics(doc) : PlainStatistics(doc);
        context.StatisticsCollected = true;
    }
    return context.Statistics;
}

std::int32_t SectionPagesNow(TDoc& doc, const TSection* section) {
    if (section == nullptr)
        return doc.Pages.Count;
    return PageOfParEnd(doc, section->LastPar) - PageOfParStart(doc, section->FirstPar) + 1;
}

namespace {

std::int32_t SectionNumber(TDoc& doc, const TSection* section) {
    const std::int32_t index = doc.Sections.IndexOf(section);
    return index >= 0 ? index + 1 : 1;
}

std::u16string FileNameText(const TDoc& doc, const TField& field) {
    std::string name = doc.FileName;
    if (!Contains(field.Instruction, u"\\p")) {
        const std::size_t slash = name.find_last_of('/');
        if (slash != std::string::npos)
            name.erase(0, slash + 1);
    }
    return Platform::Utf8ToUtf16(name);
}

std::int64_t FileSizeShown(const TField& field, std::int64_t bytes) {
    if (Contains(field.Instruction, u"\\k"))
        return bytes / 1024;
    if (Contains(field.Instruction, u"\\m"))
        return bytes / 1048576;
    return bytes;
}

// --- STYLEREF ---

struct TStyleRefSearch {
    std::int32_t Style = -1;
    bool Numbered = false;
};

bool IsCandidate(TDoc& doc, std::int32_t p, const TStyleRefSearch& search) {
    const TPar* par = doc.Par(p);
    if (par->Format.Style != search.Style)
        return false;
    if (par->CharCount() > 1)
        return true;
    return search.Numbered && par->LabelPar != nullptr && par->LabelPar->Chars.Size > 0;
}

// The first candidate from `from` on, upwards or downwards, within the
// main story; -1 when none.
std::int32_t Scan(TDoc& doc, std::int32_t from, bool upwards, const TStyleRefSearch& search) {
    const std::int32_t first = doc.FirstParOfStory(stMain);
    const std::int32_t last = doc.LastParOfStory(stMain);
    if (upwards) {
        for (std::int32_t p = std::min(from, last); p >= first; --p)
            if (IsCandidate(doc, p, search))
                return p;
    } else {
        for (std::int32_t p = std::max(from, first); p <= last; ++p)
            if (IsCandidate(doc, p, search))
                return p;
    }
    return -1;
}

// The first candidate of a page's paragraphs top..bottom, from the bottom
// when asked.
std::int32_t ScanPage(TDoc& doc,
                      std::int32_t top,
                      std::int32_t bottom,
                      bool fromBottom,
                      const TStyleRefSearch& search) {
    for (std::int32_t i = 0; i <= bottom - top; ++i) {
        const std::int32_t p = fromBottom ? bottom - i : top + i;
        if (IsCandidate(doc, p, search))
            return p;
    }
    return -1;
}

std::int32_t FindStyleRefParagraph(TDoc& doc,
                                   const TFragment& range,
                                   const TFieldUpdateContext& context,
                                   const TStyleRefSearch& search,
                                   bool fromBottom) {
    const std::int32_t first = doc.FirstParOfStory(stMain);
    if (context.CurrentPage > 0 && doc.StoryOfPar(range.Start.Par) == stHeadersFooters) {
        std::int32_t top = -1;
        std::int32_t bottom = -1;
        for (std::int32_t page = std::min(context.CurrentPage - 1, doc.Pages.Count - 1); page >= 0; --page)
            if (doc.Client->MainParsOfPage(doc, page, top, bottom) && bottom >= top)
                break;
        if (bottom < top || bottom < 0)
            return Scan(doc, first, false, search);
        std::int32_t found = ScanPage(doc, top, bottom, fromBottom, search);
        if (found < 0)
            found = Scan(doc, top - 1, true, search);
        if (found < 0)
            found = Scan(doc, bottom + 1, false, search);
        return found;
    }
    std::int32_t found = Scan(doc, range.Start.Par - 1, true, search);
    if (found < 0)
        found = Scan(doc, range.End.Par + 1, false, search);
    return found;
}

// A list label's text without its follower, trailing control characters
// and periods.
std::u16string NumberOfLabel(const TPar& par) {
    std::u16string text;
    if (par.LabelPar == nullptr)
        return text;
    const TMemory& stream = par.LabelPar->Stream;
    TStreamElement e;
    for (std::int32_t off = 0; off < stream.Size; off += e.Length) {
        ReadStreamElement(stream.Data, stream.Size, off, e);
        if (e.IsControl && !e.Truncated && e.Code == fcUnicodeChar)
            text.push_back(static_cast<char16_t>(e.Value & 0xFFFF));
    }
    while (!text.empty() && (text.back() < 32 || text.back() == u'.'))
        text.pop_back();
    return text;
}

std::u16string WithName(std::u16string_view before, const std::u16string& name, std::u16string_view after) {
    std::u16string text(before);
    text += name;
    text += after;
    return text;
}

}  // namespace

TFieldDocInfo FieldDocInfoOf(const TDoc& doc) {
    TFieldDocInfo info;
    info.FileSize = doc.LoadedFileSize;
    return info;
}

std::int32_t PageNumberInSection(TDoc& doc, TSection* section, std::int32_t physicalPage) {
    // Back through the sections that continue their numbering; each
    // previous one is the section of the paragraph before its first.
    TSection* s = section;
    std::int32_t guard = doc.Sections.Count;
    while (s != nullptr && s->PageNumberStart < 0 && guard-- > 0) {
        if (s->FirstPar <= doc.FirstParOfStory(stMain))
            return physicalPage;
        s = doc.SectionOfPar(s->FirstPar - 1);
    }
    if (s == nullptr || s->PageNumberStart < 0)
        return physicalPage;
    return s->PageNumberStart + (physicalPage - 1) - PageOfParStart(doc, s->FirstPar);
}

std::u16string ComputeStyleRefResult(TDoc& doc,
                                     TField& field,
                                     const TFragment& range,
                                     TFieldUpdateContext& context,
                                     TCharFormat& format) {
    TStyleRefSearch search;
    std::string storedName;
    bool fromBottom = false;
    if (doc.Styles != nullptr)
        fromBottom = ParseStyleRefCode(*doc.Styles, field.Instruction, search.Style, search.Numbered, storedName);
    const std::u16string name = Platform::Utf8ToUtf16(storedName);
    const std::u16string missing = WithName(u"No paragraph with style \"", name, u"\" could be found!");
    if (search.Style < 0)
        return missing;
    const std::int32_t found = FindStyleRefParagraph(doc, range, context, search, fromBottom);
    if (found < 0)
        return missing;
    TPar& par = *doc.Par(found);
    TTextPos start{};
    start.Par = found;
    TCharFormat there;
    doc.FormatAtPos(start, there);
    format[caLanguage] = there[caLanguage];
    if (search.Numbered) {
        std::u16string label = NumberOfLabel(par);
        if (label.empty())
            return WithName(u"The closest paragraph with style \"", name, u"\" doesn't include numbering!");
        return label;
    }
    par.BuildWideText();
    std::u16string text = par.WideText;
    if (!text.empty())
        text.pop_back();
    return text;
}

void ComputeFieldResult(TDoc& doc, TField& field, TField_UpdatedValue_Info& info, TFieldUpdateContext& context) {
    info.Field = &field;
    info.Result.clear();
    info.Format = UnsetCharFormat;
    info.FastReplace = false;
    TFragment range{};
    doc.FieldRange(&field, range);
    info.Range = range;

    if (doc.StateFlags[sfRestoringFieldResults] != 0) {
        info.Result = Platform::BytesToWide(Windows1252, field.ResultText);
        return;
    }

    const TFieldDocInfo& props = context.Info;
    const bool inHeaderFooter = doc.StoryOfPar(range.Start.Par) == stHeadersFooters;
    const bool keptCounts = context.PageFieldUpdate || inHeaderFooter;
    std::u16string result;
    switch (field.Type) {
        case ftStyleRef:
            result = ComputeStyleRefResult(doc, field, range, context, info.Format);
            break;
        case ftTitle:
            result = props.Title;
            break;
        case ftSubject:
            result = props.Subject;
            break;
        case ftAuthor:
            result = props.PreparingClip ? props.UserName : props.Author;
            break;
        case ftKeywords:
            result = props.Keywords;
            break;
        case ftComments:
            result = props.Comments;
            break;
        case ftLastSavedBy:
            if (props.PreparingClip)
                result = props.UserName;
            else if (!props.LastSavedBy.empty() || props.LastSavedByKnown)
                result = props.LastSavedBy;
            else
                result = props.Author;
            break;
        case ftCreateDate:
        case ftSaveDate:
        case ftPrintDate: {
            const TDateTime date = field.Type == ftCreateDate ? props.CreationDate
                                   : field.Type == ftSaveDate ? props.SaveDate
                                                              : props.PrintDate;
            TCharFormat at;
            doc.FormatAtPos(range.Start, at);
            result = DateText(field, at[caLanguage], date, false);
            break;
        }
        case ftNumPages:
            result = NumberText(field, keptCounts ? doc.FieldPageCount : doc.Pages.Count, nsArabic);
            break;
        case ftNumWords:
        case ftNumChars: {
            std::int32_t n;
            if (inHeaderFooter && (field.Type == ftNumWords ? context.KeptWords : context.KeptChars) >= 0) {
                n = field.Type == ftNumWords ? context.KeptWords : context.KeptChars;
            } else {
                const TFieldStatistics& s = FieldStatistics(doc, context);
                n = field.Type == ftNumWords ? s.Words : s.Chars;
            }
            result = NumberText(field, n, nsArabic);
            break;
        }
        case ftFileName:
            result = FileNameText(doc, field);
            break;
        case ftDate:
        case ftTime: {
            TCharFormat at;
            doc.FormatAtPos(range.Start, at);
            const TDateTime now = context.Clock ? context.Clock() : Now();
            result = DateText(field, at[caLanguage], now, field.Type == ftTime);
            break;
        }
        case ftPageNumber:
            result = PageResult(doc, field, range, context);
            break;
        case ftPageRef:
            result = PageRefResult(doc, field, range);
            break;
        case ftSection:
            result = NumberText(field, SectionNumber(doc, SectionOfField(doc, range, context)), nsArabic);
            break;
        case ftSectionPages: {
            const TSection* section = SectionOfField(doc, range, context);
            const bool kept = keptCounts || doc.StateFlags[sfSectionPagesStored] != 0;
            const std::int32_t pages = kept && section != nullptr ? section->PageCount : SectionPagesNow(doc, section);
            result = NumberText(field, pages, nsArabic);
            break;
        }
        case ftFileSize:
            result = NumberText(field, FileSizeShown(field, props.FileSize), nsArabic);
            break;
        case ftNoteRef:
            result = NoteRefResult(doc, field, range, info.Format);
            break;
        default:
            break;
    }
    result = field.ApplyCaseSwitch(result);
    if (result.size() > MaxFieldResultLength)
        result.resize(MaxFieldResultLength);
    info.Result = std::move(result);
}
