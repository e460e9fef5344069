// Reduces the colours of a picture with an octree eight levels deep: leaves start as exact
// colours and are folded into their parents until few enough remain.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class COctreeQuantizer {
  public:
    COctreeQuantizer();
    ~COctreeQuantizer();
    COctreeQuantizer(const COctreeQuantizer&) = delete;
    COctreeQuantizer& operator=(const COctreeQuantizer&) = delete;

    void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Folds the tree down to at most max(maxColors, 16) colours. False when it cannot.
    bool Reduce(std::uint32_t maxColors);
    // Writes blue, green, red entries, at most destination.size() / 3; returns the count.
    std::uint32_t BuildPalette(std::span<std::uint8_t> destination);
    std::uint32_t MapColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;

    std::uint32_t ColorCount() const { return colorCount_; }

  private:
    struct Node {
        std::uint64_t red = 0, green = 0, blue = 0;
        std::uint32_t pixelCount = 0;
        std::uint32_t childCount = 0;
        std::array<Node*, 8> children{};
        Node* previous = nullptr;  // neighbours in the level list
        Node* next = nullptr;
        int level = -1;
        std::uint32_t paletteIndex = 0;
    };

    Node* NewNode(int level);
    void Unlink(Node* node);
    void DeleteSubtree(Node* node);
    // Sums the subtree into the node and deletes it; returns the leaves removed.
    std::uint32_t Fold(Node* node);
    void SortLevel(int level);
    void AssignPalette(Node* node, std::span<std::uint8_t> destination, std::uint32_t& written);

    Node root_;
    std::array<Node*, 8> levels_{};                // heads of the level lists 0..7
    std::vector<std::unique_ptr<Node[]>> chunks_;  // nodes are handed out from chunks
    std::size_t usedInLastChunk_ = 0;
    std::vector<Node*> freeNodes_;
    std::uint32_t colorCount_ = 0;
    std::uint32_t paletteEntries_ = 0;
    bool paletteBuilt_ = false;
};
