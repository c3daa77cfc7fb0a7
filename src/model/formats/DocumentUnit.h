#pragma once

#include <string_view>

class TShape;

// Start and shutdown of the document model as a whole, and the sort orders
// that several parts of the program share.

// Makes what documents need before the first exists: the constant formats
// (static), the border-set table with its empty set, the object pools.
void InitDocumentUnit();
// Frees the pooled objects the model keeps for reuse; the memory trim
// calls it when the program holds too much.
void ReleaseDocumentPools();
// The layout library keeps pools of its own (the free lines); it hands
// their trim to the model here, so that ReleaseDocumentPools reaches them
// without the model depending on layout.
void SetLayoutPoolsTrim(void (*trim)());
void DoneDocumentUnit();

// Shapes behind the text first, then by ascending z-order.
int CompareShapesZOrder(const TShape* a, const TShape* b);
// Index entries: levels separated by ":", compared in turn under the
// comparison locale, first without case, then with case; the first
// difference decides, and an entry with fewer levels comes first.
int CompareIndexEntries(std::u16string_view a, std::u16string_view b);
