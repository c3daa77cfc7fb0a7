#pragma once

#include <cstdint>

struct TPageSetup;

// The left and right margins (twips) of the page with the given index.
// With mirrored margins facing pages swap them on pages of odd index (the
// even page numbers, left-hand pages), so that the inside margin stays at
// the binding. Pagination, box painting and shape placement agree on it.
void PageSideMargins(const TPageSetup& setup, std::int32_t pageIndex, std::int32_t& left, std::int32_t& right);
