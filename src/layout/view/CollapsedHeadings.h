#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class TDoc;

// Collapsed headings hide the paragraphs under them from layout, painting,
// caret movement and selection. A collapsed heading (outline level 0 to 8,
// not in a table) hides every following paragraph of a deeper level and
// every table, up to the first paragraph outside a table whose level is the
// same or higher. The hidden blocks are kept as (first, last) paragraph
// pairs in TDoc::CollapsedRanges and rebuilt lazily when marked.

// The hidden blocks of the body story, computed from the paragraphs.
std::vector<std::pair<std::int32_t, std::int32_t>> ComputeCollapsedRanges(const TDoc& doc);

// The number of hidden blocks; rebuilds the list when it is marked.
std::int32_t CollapsedRangeCount(TDoc& doc);
// Marks the list for rebuilding; whoever changes a collapsed property or an
// outline level calls it.
void MarkCollapsedDirty(TDoc& doc);

// The hidden block holding par: first is -1 when par is not hidden, and
// always for a document without a window.
void FindCollapsedRange(TDoc& doc, std::int32_t par, std::int32_t& first, std::int32_t& last);
bool IsParCollapsed(TDoc& doc, std::int32_t par);
// The heading when par is hidden under it, else par.
std::int32_t VisibleParAtOrBefore(TDoc& doc, std::int32_t par);

// Collapses or expands a heading; false when par cannot hide anything
// (body text, a heading inside a table).
bool ToggleCollapsed(TDoc& doc, std::int32_t par);

// Answers the hidden-paragraph question of the text-unit rules and the
// nearest shown paragraph of the model from the collapsed ranges.
void InstallCollapsedHeadings();
