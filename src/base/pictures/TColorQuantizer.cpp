#include "base/pictures/TColorQuantizer.h"

#include "base/graphics/TBitmap.h"

namespace {

void FreeTree(TOctreeNode* node) {
    if (node == nullptr)
        return;
    for (TOctreeNode* child : node->Children)
        FreeTree(child);
    delete node;
}

void Collect(const TOctreeNode* node, std::vector<Platform::TPaletteEntry>& entries) {
    if (node == nullptr)
        return;
    if (node->Leaf) {
        const std::uint32_t n = node->PixelCount;
        entries.push_back(n == 0 ? Platform::TPaletteEntry{}
                                 : Platform::TPaletteEntry{static_cast<std::uint8_t>(node->RedSum / n),
                                                           static_cast<std::uint8_t>(node->GreenSum / n),
                                                           static_cast<std::uint8_t>(node->BlueSum / n), 0});
        return;
    }
    for (const TOctreeNode* child : node->Children)
        Collect(child, entries);
}

}  // namespace

TColorQuantizer::~TColorQuantizer() {
    FreeTree(Root);
}

void TColorQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    TOctreeNode** slot = &Root;
    for (int depth = 0;; ++depth) {
        if (*slot == nullptr) {
            auto* node = new TOctreeNode;
            if (depth == 8) {
                node->Leaf = true;
                ++LeafCount;
            } else {
                node->Next = Reducible[depth];
                Reducible[depth] = node;
            }
            *slot = node;
        }
        TOctreeNode* node = *slot;
        if (node->Leaf) {
            ++node->PixelCount;
            node->RedSum += red;
            node->GreenSum += green;
            node->BlueSum += blue;
            return;
        }
        const int shift = 7 - depth;
        const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        slot = &node->Children[index];
    }
}

bool TColorQuantizer::Reduce() {
    int level = 7;
    while (level > 0 && Reducible[level] == nullptr)
        --level;
    TOctreeNode* node = Reducible[level];
    if (node == nullptr)
        return false;
    Reducible[level] = node->Next;
    int children = 0;
    for (TOctreeNode*& child : node->Children) {
        if (child == nullptr)
            continue;
        node->PixelCount += child->PixelCount;
        node->RedSum += child->RedSum;
        node->GreenSum += child->GreenSum;
        node->BlueSum += child->BlueSum;
        FreeTree(child);
        child = nullptr;
        ++children;
    }
    node->Leaf = true;
    LeafCount = LeafCount + 1 - children;
    return true;
}

void TColorQuantizer::AddBitmap(TBitmap& bitmap) {
    const std::int32_t width = bitmap.GetWidth();
    for (std::int32_t y = bitmap.GetHeight() - 1; y >= 0; --y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (std::int32_t x = 0; x < width; ++x) {
            AddColor(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
            while (LeafCount > MaxColors && Reduce()) {
            }
        }
    }
}

void TColorQuantizer::GetColorTable(std::vector<Platform::TPaletteEntry>& entries) const {
    entries.clear();
    Collect(Root, entries);
}
