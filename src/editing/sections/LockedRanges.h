#pragma once

#include <vector>

class TDoc;
class TField;

// The field kind of a locked range: text that editing leaves alone.
constexpr unsigned char fkLocked = 6;

// What opLockSelection does: with no description the selection is locked;
// with one, the locked ranges it lists are unlocked.
struct TLockDescription {
    std::vector<TField*> Unlock;
};

// Locks each range of the selection, last first, that is not locked as a
// whole already: a locked-range field goes around it, its start before the
// marks at the range's start and its end after those at its end. The caret
// stays when it lies in the selection (its ends included), else it goes to
// the selection's start; the selection is cleared.
void LockSelection(TDoc& doc);
// Takes the listed locked ranges away; the text stays, and so do the caret
// and the selection. Entries that are not locked ranges of the document are
// skipped.
void UnlockRanges(TDoc& doc, const std::vector<TField*>& ranges);
