#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/core/DateTime.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"

class TDoc;
class TField;
class TSection;

// The result text of a field code (a kind-0 TField), as the field update
// shows it between the field's marks, and the character attributes that
// text must carry.

// What the update of one field found: the field, its new result, the
// attributes the result must take (unset where nothing changes) and the
// field's range when the result was computed.
struct TField_UpdatedValue_Info {
    TField* Field = nullptr;
    std::u16string Result;
    TCharFormat Format = UnsetCharFormat;
    TFragment Range{};
    bool FastReplace = false;
};

// The document's properties that fields show. The document keeps none of
// them yet; the update's caller fills them in (FieldDocInfoOf gives what
// the document itself knows).
struct TFieldDocInfo {
    std::u16string Title;
    std::u16string Subject;
    std::u16string Author;
    std::u16string Keywords;
    std::u16string Comments;
    std::u16string LastSavedBy;
    bool LastSavedByKnown = false;  // shown even when empty
    std::u16string UserName;        // the options' user name
    bool PreparingClip = false;     // the document is a clip the clip library prepares
    TDateTime CreationDate = 0;
    TDateTime SaveDate = 0;
    TDateTime PrintDate = 0;
    std::int64_t FileSize = 0;  // bytes
};

// The word and character counts of the main story, as the statistics give
// them.
struct TFieldStatistics {
    std::int32_t Words = 0;
    std::int32_t Chars = 0;
};

// The state one update run shares between the fields it computes.
struct TFieldUpdateContext {
    TFieldDocInfo Info;
    // The clock DATE and TIME read; nil reads the system's local time.
    std::function<TDateTime()> Clock;
    // The section being updated, when the caller updates one section's
    // header or footer; nil takes the section of the field's paragraph.
    TSection* CurrentSection = nullptr;
    // During a per-page header and footer update: the page number (1 for
    // the first page) whose header or footer is computed; 0 otherwise.
    std::int32_t CurrentPage = 0;
    // A page-field update runs: page counts come from the kept values.
    bool PageFieldUpdate = false;
    // The counts kept for header and footer fields (-1 none kept).
    std::int32_t KeptWords = -1;
    std::int32_t KeptChars = -1;
    // The statistics of the main story, collected once per run; the
    // collector is the writing tools' when they are linked, nil counts
    // words and characters plainly.
    std::function<TFieldStatistics(TDoc&)> CollectStatistics;
    bool StatisticsCollected = false;
    TFieldStatistics Statistics;
};

// While one lives, the bookmarks that PAGEREF and NOTEREF results name are
// found through a map from the lower-cased name, made on first use, instead
// of a case-folding walk over every field per result. The update engine
// holds one while it computes a pass's results, when no bookmark comes or
// goes; writing a result (which may delete text holding bookmarks) drops
// the maps of every lookup that lives, so they are made again when asked.
class TBookmarkLookup {
public:
    explicit TBookmarkLookup(TDoc& doc);
    ~TBookmarkLookup();
    TBookmarkLookup(const TBookmarkLookup&) = delete;
    TBookmarkLookup& operator=(const TBookmarkLookup&) = delete;

    struct TMap;

private:
    std::unique_ptr<TMap> Map;
};
// Drops the maps of the living lookups (their document's text changes).
void ForgetBookmarkLookups();

// The pages a section spans now (first page of its first paragraph to the
// last page of its last one); the page count when section is nil.
std::int32_t SectionPagesNow(TDoc& doc, const TSection* section);

// The statistics of the main story, collected once per run (the context's
// collector, else plain counting).
const TFieldStatistics& FieldStatistics(TDoc& doc, TFieldUpdateContext& context);

// What the document itself knows of its properties: its file's size.
TFieldDocInfo FieldDocInfoOf(const TDoc& doc);

// The longest result a field shows; longer results are cut.
constexpr std::size_t MaxFieldResultLength = 256;

// Computes the result of a field code into info: Field, Result, Format
// (cleared first; only NOTEREF and STYLEREF set attributes) and Range.
// Types without a rule give an empty result; no field raises an error,
// every failure is a result text.
void ComputeFieldResult(TDoc& doc, TField& field, TField_UpdatedValue_Info& info, TFieldUpdateContext& context);

// The STYLEREF rule on its own: the text (or list label) of the nearest
// paragraph of the named style; format receives the found paragraph's
// language.
std::u16string ComputeStyleRefResult(TDoc& doc,
                                     TField& field,
                                     const TFragment& range,
                                     TFieldUpdateContext& context,
                                     TCharFormat& format);

// The number PAGE shows for a physical page (1 for the first) in a
// section: counted from the nearest section before it (or itself) that
// restarts its numbering, else the physical page.
std::int32_t PageNumberInSection(TDoc& doc, TSection* section, std::int32_t physicalPage);
