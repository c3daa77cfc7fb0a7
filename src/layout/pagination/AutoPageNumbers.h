#pragma once

#include <cstdint>

// Where automatic page numbers go (the Insert Page Numbers dialog's
// choices, kept in the options).
enum : std::uint8_t { pnTop = 0, pnBottom = 1 };
enum : std::uint8_t { pnLeft = 0, pnCentre = 1, pnRight = 2, pnInside = 3, pnOutside = 4 };

struct TAutoPageNumbers {
    std::uint8_t Place = pnBottom;  // pnTop: in the headers, pnBottom: in the footers
    std::uint8_t Alignment = pnRight;
    bool OnFirstPage = true;
};

// The message shown instead when a header or footer holds text other than a
// page number at its paragraph's end.
extern const char* const NonEmptyHeadersFootersMessage;
