#pragma once

#include <cstdint>

class TDoc;
struct TDocProps;

// Gives the document the user's properties of props (title, subject,
// author...) as one undoable step; the automatic ones stay. Nothing is
// recorded when they are the same.
void ChangeDocProperties(TDoc& doc, const TDocProps& props);

// The gap between two editing commands that still counts in full as
// editing time; a longer one (a pause, a lunch) counts as one second.
constexpr std::int64_t EditingGapLimit = 30000;
constexpr std::int64_t PausedEditingCredit = 1000;

// Called before each editing command with the tick count (milliseconds):
// adds the time since the previous command to the document's editing time,
// or one second after a long pause, and remembers the tick. The first call
// only remembers it; a clock that went back counts as a pause.
void CountEditingTime(TDoc& doc, std::int64_t tick);
// The same with the process's tick count.
void CountEditingTime(TDoc& doc);
// The editing time in whole seconds, rounded, as the writers record it.
std::int64_t EditingSeconds(const TDoc& doc);
