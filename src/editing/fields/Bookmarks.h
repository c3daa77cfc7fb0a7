#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/formats/TTextPos.h"

class TDoc;
class TField;

// Bookmarks (kind-1 fields named by their instruction) and hyperlinks
// (HYPERLINK field codes around their display text): names, moving to
// bookmarks, following links and the per-document history of followed
// links.

// The longest name the program makes for a bookmark.
constexpr std::size_t MaxMadeBookmarkName = 40;

// True when a visible bookmark has exactly this name (case counts).
bool BookmarkExists(TDoc& doc, const std::string& name);
// The visible bookmark of a name; nullptr when there is none.
TField* FindBookmark(TDoc& doc, const std::string& name);

// A free bookmark name made from the text of range (or, when range is
// empty, of the caret's sentence from the caret on): separators and quotes
// become "_", a leading digit gets "_" in front, trailing "_" go, and a
// taken name gets "_1", "_2" ... appended ("Bookmark_1" ... when no text
// is left).
std::string MakeBookmarkName(TDoc& doc, const TFragment& range);
// The name rule on its own, over 8-bit text; taken answers whether a name
// is in use.
std::string BookmarkNameFromText(std::string text,
                                 bool (*taken)(void* context, const std::string& name),
                                 void* context);

// Moves the caret to a bookmark's start, selecting its range when asked;
// the link followed to get there, when given, goes on the link history.
// An unknown name does nothing; answers whether the bookmark was found.
bool GoToBookmark(TDoc& doc, const std::string& name, bool select, TField* hyperlink = nullptr);
// The bookmark before the selection (the last one when none is before) and
// the one after it (the first one when none is after).
bool GoToPreviousBookmark(TDoc& doc);
bool GoToNextBookmark(TDoc& doc);
// The name of the bookmark moved to last; empty before the first move.
std::string LastVisitedBookmark(TDoc& doc);

// Follows a hyperlink: a bookmark of this document, or the target (with
// "#" and the bookmark appended for a web address) handed to the desktop
// through OpenHyperlink, which asks before it opens a file that could run.
void FollowHyperlink(TDoc& doc, TField& hyperlink);

// The links followed in a document, walked with Back and Forward.
void PushLinkHistory(TDoc& doc, TField* link);
bool LinkHistoryBack(TDoc& doc);
bool LinkHistoryForward(TDoc& doc);
// The history as it stands: its entries and the current one (-1 empty).
void LinkHistoryOf(TDoc& doc, std::vector<TField*>& entries, std::int32_t& current);

// Hyperlinks of the text (headers and footers left out) that point at a
// bookmark of this document which no longer exists.
void DanglingHyperlinks(TDoc& doc, std::vector<TField*>& links);
// Asks whether to select the dangling links, and selects them all on Yes.
// Answers how many were selected.
std::int32_t CheckDanglingHyperlinks(TDoc& doc);

// The question CheckDanglingHyperlinks asks.
extern const char* const DanglingLinksQuestion;

// Puts the bookmark and hyperlink workers in the worker table.
void InstallBookmarkWorkers();
