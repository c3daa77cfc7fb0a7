#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/formats/TCharFormat.h"

// The character formats that lines start under, one record per distinct
// format, so that a line keeps a 32-bit index instead of a whole record.
// Records are stored as layout holds them: caSize and a positive caKerning
// in sixteenths of a half-point. The table only grows while its document
// lives, so an index stays valid as long as the document.
//
// Formats are interned through a hash of their bytes: adding is constant
// time however many distinct formats a long document collects.
class TLineStartFormats {
public:
    // The index of a record byte-identical to format, added when new.
    std::uint32_t Add(const TCharFormat& format);
    // The stored record (sizes in sixteenths).
    const TCharFormat& At(std::uint32_t index) const { return Records[index]; }
    // The record with caSize and a positive caKerning back in half-points.
    void Load(std::uint32_t index, TCharFormat& format) const;
    std::uint32_t Count() const { return static_cast<std::uint32_t>(Records.size()); }

private:
    struct THash {
        std::size_t operator()(const TCharFormat& f) const;
    };
    struct TSame {
        bool operator()(const TCharFormat& a, const TCharFormat& b) const;
    };
    std::vector<TCharFormat> Records;
    std::unordered_map<TCharFormat, std::uint32_t, THash, TSame> Index;
};

// The size conversions between half-points and the sixteenths layout
// measures in, shared by every reader of a line start format and by the
// breaker, so that a size read back is the size that was measured.
void CharSizesToSixteenths(TCharFormat& format);
void CharSizesFromSixteenths(TCharFormat& format);
