#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/core/TList.h"
#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

class TDoc;
class TShape;

// What follows a list label.
enum : std::uint8_t { lfTab = 0, lfSpace = 1, lfNothing = 2 };

// List number formats (the RTF \levelnfc codes) the program treats apart.
enum : std::int32_t {
    lnArabic = 0,
    lnUpperRoman = 1,
    lnLowerRoman = 2,
    lnUpperLetter = 3,
    lnLowerLetter = 4,
    lnLeadingZero = 22,  // arabic with a leading zero
    lnBullet = 23,       // this and above draw a bullet
    lnNone = 255,        // no label
};

// One level of a list.
struct TListLevel {
    std::int32_t StartValue = 1;
    std::int32_t NumberFormat = 0;  // RTF \levelnfc codes; 23 and above bullets, 255 no label
    TShape* PictureBullet = nullptr;
    TCharFormat CharFormat = UnsetCharFormat;
    TParFormat ParFormat = UnsetParFormat;
    std::uint8_t Alignment = 0;
    std::uint8_t FollowKind = lfTab;
    std::uint8_t NumberingFlags[2] = {};  // kept by list numbering; the second makes numbers arabic
    std::u16string LabelText;             // literal text, characters 0..8 stand for the level numbers
    std::string FileStrings[2];           // kept by the readers and writers
    std::uint8_t FileBytes[12] = {};      // kept by the readers and writers
};

// A bulleted, numbered or outline list of nine levels. List paragraphs
// refer to it by the object handle in their format's List property.
class TAutoList {
public:
    TAutoList() = default;
    TAutoList(const TAutoList&) = delete;
    TAutoList& operator=(const TAutoList&) = delete;
    ~TAutoList();

    // Copies the definition (single-level flag and levels); the object keeps
    // its identity. Picture bullets are shared with the source.
    void Assign(const TAutoList& source);
    // Assign, then every used level's picture bullet replaced by a copy that
    // the document owns, so the list no longer depends on the source's
    // document.
    // (model/document/TAutoListInDoc.cpp: it needs the document.)
    void AssignToDoc(const TAutoList& source, TDoc& doc);

    bool IsSingleLevel() const { return (SingleLevel & 0x7F) == 1; }
    // 0 a bulleted and 1 a numbered single-level list, 2 an outline list.
    int Kind() const;
    // A single-level list answers for level 0 whatever the level asked.
    bool LevelIsBullet(std::int32_t level) const;
    bool HasNoNumberedLevel() const;
    // The levels in use: level 0 alone for a single-level list.
    std::int32_t UsedLevelCount() const { return IsSingleLevel() ? 1 : 9; }

    std::int32_t FileValue = 0;  // kept by the readers and writers
    std::uint8_t FileFlags[3] = {};
    // The low seven bits are 1 for a single-level list; bit 7 is a flag of
    // its own.
    std::uint8_t SingleLevel = 0;
    TListLevel Levels[9];
    TList NumberingLists[2];           // owned by list numbering
    std::int32_t FileNumbers[4] = {};  // kept by the readers and writers (the RTF list number among them)
};

bool AutoListLevelIsNumbered(const TAutoList& list, std::int32_t level);

// Flags of AutoListsEqual.
enum : std::uint32_t {
    aleIgnoreStart = 1,  // start values may differ
    aleFormatsOnly = 2,  // only the number formats count
};
// The single-level flags and the number formats of the used levels agree;
// unless aleFormatsOnly, the start values (unless aleIgnoreStart), formats,
// alignments, label texts, follow kinds, numbering bytes and picture bullets
// as well.
bool AutoListsEqual(const TAutoList& a, const TAutoList& b, std::uint32_t flags);
// Both nil, or both showing the same picture.
bool PictureBulletsEqual(const TShape* a, const TShape* b);

// For each level 0..8 that the label text uses, in level order, the
// 1-based position of its first placeholder, as one character of that code
// (the level numbers of RTF list levels).
std::string LevelNumbersOfLevelText(std::u16string_view labelText);

// One reading of a typed list number: a number format and a start value.
struct TListNumberReading {
    std::int32_t NumberFormat = 0;
    std::int32_t Value = 0;
    bool operator==(const TListNumberReading&) const = default;
};
// Recognises what a user typed at the start of a paragraph as a list number
// ("1)", "(a)", "iv."): every reading it allows (more than one when it is
// ambiguous, "v." being a Roman five or the letter v), and the label text
// with the number replaced by the level-0 placeholder.
bool RecognizeTypedListNumber(std::u16string_view text,
                              std::u16string& labelText,
                              std::vector<TListNumberReading>& readings);

// What lists need of the shape code for picture bullets. Until the shape
// code installs its answers, a picture bullet shows the same picture only
// as itself, and a copy for a document is a plain shape of that document
// with the same kind.
struct TPictureBulletHooks {
    std::function<bool(const TShape& a, const TShape& b)> SamePicture;
    std::function<TShape*(const TShape& shape, TDoc& doc)> CopyToDoc;
};
TPictureBulletHooks& PictureBulletHooks();

// List number formats that draw a bullet rather than a number: 23 and
// above, except 255 (no label).
bool IsBulletFormat(std::int32_t numberFormat);
bool IsNumberFormat(std::int32_t numberFormat);
