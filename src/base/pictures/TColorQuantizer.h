#pragma once

#include <cstdint>
#include <vector>

#include "platform/Palettes.h"

class TBitmap;

// A node of the colour octree: a leaf sums the pixels that reached it.
struct TOctreeNode {
    bool Leaf = false;
    std::uint32_t PixelCount = 0;
    std::uint32_t RedSum = 0;
    std::uint32_t GreenSum = 0;
    std::uint32_t BlueSum = 0;
    TOctreeNode* Next = nullptr;  // in its level's list of reducible nodes
    TOctreeNode* Children[8] = {};
};

// The octree colour quantiser: every pixel goes down the tree by the bits
// of its colour, most significant first, and whenever there are more leaves
// than colours wanted, the deepest newest inner node is merged into a leaf.
class TColorQuantizer {
public:
    explicit TColorQuantizer(std::uint32_t maxColors) : MaxColors(maxColors) {}
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Every pixel of a 24-bit bitmap, rows from the last to the first.
    void AddBitmap(TBitmap& bitmap);
    void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // The leaves' mean colours, depth first, children 0 to 7.
    void GetColorTable(std::vector<Platform::TPaletteEntry>& entries) const;

    TOctreeNode* Root = nullptr;
    std::uint32_t LeafCount = 0;
    TOctreeNode* Reducible[8] = {};
    std::uint32_t MaxColors = 256;

private:
    // False when nothing is left to merge.
    bool Reduce();
};
