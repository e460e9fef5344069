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
    // A photo has hundreds of thousands of colours, one leaf and up to seven inner nodes each,
    // so the nodes are kept small: leaves (level 7, the most) carry only their sums, and nodes
    // name each other by 32-bit references into two pools of fixed-size chunks.
    using Ref = std::uint32_t;                   // 0: none
    static constexpr Ref kLeafBit = 0x80000000;  // set: a leaf; clear: an inner node

    struct Stats {
        std::uint64_t red = 0, green = 0, blue = 0;
        std::uint32_t pixelCount = 0;
        std::uint32_t paletteIndex = 0;
    };
    struct Inner {
        Stats stats;
        std::array<Ref, 8> children{};
        Ref previous = 0;  // neighbours in the level list
        Ref next = 0;
        std::uint8_t childCount = 0;
        std::uint8_t level = 0;
    };

    template <typename T>
    class Pool {
      public:
        static constexpr std::uint32_t kChunkBits = 12;
        T& operator[](std::uint32_t i) {
            return chunks_[i >> kChunkBits][i & ((1u << kChunkBits) - 1)];
        }
        const T& operator[](std::uint32_t i) const {
            return chunks_[i >> kChunkBits][i & ((1u << kChunkBits) - 1)];
        }
        std::uint32_t New();
        void Free(std::uint32_t i) { free_.push_back(i); }

      private:
        std::vector<std::unique_ptr<T[]>> chunks_;
        std::uint32_t used_ = 0;
        std::vector<std::uint32_t> free_;
    };

    static bool IsLeaf(Ref ref) { return (ref & kLeafBit) != 0; }
    Inner& InnerOf(Ref ref) { return inners_[ref]; }
    const Inner& InnerOf(Ref ref) const { return inners_[ref]; }
    Stats& StatsOf(Ref ref) { return IsLeaf(ref) ? leaves_[ref & ~kLeafBit] : inners_[ref].stats; }
    const Stats& StatsOf(Ref ref) const {
        return IsLeaf(ref) ? leaves_[ref & ~kLeafBit] : inners_[ref].stats;
    }
    unsigned ChildCountOf(Ref ref) const { return IsLeaf(ref) ? 0 : inners_[ref].childCount; }

    Ref NewInner(int level);
    Ref NewLeaf();
    void Unlink(Ref node);
    void DeleteSubtree(Ref node);
    // Sums the subtree into the node and deletes it; returns the leaves removed.
    std::uint32_t Fold(Ref node);
    void SortLevel(int level);
    void AssignPalette(Ref node, std::span<std::uint8_t> destination, std::uint32_t& written);

    static constexpr Ref kRoot = 0;  // inner node 0, in no level list
    Pool<Inner> inners_;
    Pool<Stats> leaves_;
    std::array<Ref, 7> levels_{};  // heads of the level lists 0..6 (leaves are in none)
    std::uint32_t colorCount_ = 0;
    std::uint32_t paletteEntries_ = 0;
    bool paletteBuilt_ = false;
};
