#include "texbench/imaging/octree_quantizer.h"

#include <algorithm>

namespace {

constexpr int kLeafLevel = 7;

unsigned ChildIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, int bit) {
    return (((blue >> bit) & 1u) << 2) | (((green >> bit) & 1u) << 1) | ((red >> bit) & 1u);
}

}  // namespace

template <typename T>
std::uint32_t COctreeQuantizer::Pool<T>::New() {
    if (!free_.empty()) {
        const std::uint32_t i = free_.back();
        free_.pop_back();
        (*this)[i] = T{};
        return i;
    }
    if ((used_ >> kChunkBits) == chunks_.size()) {
        chunks_.push_back(std::make_unique<T[]>(std::size_t{1} << kChunkBits));
    }
    return used_++;
}

COctreeQuantizer::COctreeQuantizer() {
    inners_.New();  // the root, kRoot
}

COctreeQuantizer::~COctreeQuantizer() = default;

COctreeQuantizer::Ref COctreeQuantizer::NewInner(int level) {
    const Ref ref = inners_.New();
    Inner& node = inners_[ref];
    node.level = static_cast<std::uint8_t>(level);
    // Each new node goes to the head of its level list.
    node.next = levels_[level];
    if (node.next != 0) {
        inners_[node.next].previous = ref;
    }
    levels_[level] = ref;
    return ref;
}

COctreeQuantizer::Ref COctreeQuantizer::NewLeaf() {
    return leaves_.New() | kLeafBit;
}

void COctreeQuantizer::Unlink(Ref ref) {
    Inner& node = inners_[ref];
    if (node.previous != 0) {
        inners_[node.previous].next = node.next;
    } else {
        levels_[node.level] = node.next;
    }
    if (node.next != 0) {
        inners_[node.next].previous = node.previous;
    }
    node.previous = node.next = 0;
}

void COctreeQuantizer::DeleteSubtree(Ref ref) {
    if (IsLeaf(ref)) {
        leaves_.Free(ref & ~kLeafBit);
        return;
    }
    for (Ref& child : inners_[ref].children) {
        if (child != 0) {
            DeleteSubtree(child);
            child = 0;
        }
    }
    Unlink(ref);
    inners_.Free(ref);
}

void COctreeQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    Ref node = kRoot;
    for (int bit = 7; bit >= 0; --bit) {
        const unsigned index = ChildIndex(red, green, blue, bit);
        Ref child = inners_[node].children[index];
        if (child == 0) {
            child = bit == 0 ? NewLeaf() : NewInner(7 - bit);
            // The pools may have grown: look the parent up again.
            inners_[node].children[index] = child;
            ++inners_[node].childCount;
        }
        node = child;
        ++StatsOf(node).pixelCount;
    }
    Stats& leaf = StatsOf(node);
    if (leaf.pixelCount == 1) {
        ++colorCount_;
    }
    leaf.red += red;
    leaf.green += green;
    leaf.blue += blue;
}

std::uint32_t COctreeQuantizer::Fold(Ref ref) {
    std::uint32_t leavesRemoved = 0;
    for (unsigned i = 0; i < 8; ++i) {
        const Ref child = inners_[ref].children[i];
        if (child == 0) {
            continue;
        }
        if (ChildCountOf(child) != 0) {
            leavesRemoved += Fold(child);  // sums its leaves into it; it becomes one leaf
        }
        const Stats from = StatsOf(child);
        Stats& into = inners_[ref].stats;
        into.red += from.red;
        into.green += from.green;
        into.blue += from.blue;
        ++leavesRemoved;
        DeleteSubtree(child);
        inners_[ref].children[i] = 0;
    }
    inners_[ref].childCount = 0;
    return leavesRemoved - (leavesRemoved > 0 ? 1 : 0);
}

void COctreeQuantizer::SortLevel(int level) {
    std::vector<Ref> nodes;
    for (Ref node = levels_[level]; node != 0; node = inners_[node].next) {
        nodes.push_back(node);
    }
    std::stable_sort(nodes.begin(), nodes.end(), [this](Ref a, Ref b) {
        return inners_[a].stats.pixelCount < inners_[b].stats.pixelCount;
    });
    levels_[level] = 0;
    Ref previous = 0;
    for (Ref node : nodes) {
        inners_[node].previous = previous;
        inners_[node].next = 0;
        if (previous != 0) {
            inners_[previous].next = node;
        } else {
            levels_[level] = node;
        }
        previous = node;
    }
}

bool COctreeQuantizer::Reduce(std::uint32_t maxColors) {
    if (paletteBuilt_) {
        return true;
    }
    const std::uint32_t target = std::max<std::uint32_t>(maxColors, 16);
    if (colorCount_ <= target) {
        return true;
    }
    for (int level = 0; level < kLeafLevel; ++level) {
        SortLevel(level);
    }
    // Phase 1: fold whole nodes, deepest level first, smallest first, down to target + 8.
    int level = kLeafLevel - 1;
    Ref node = levels_[level];
    while (colorCount_ > target + 8) {
        while (node == 0) {
            if (--level < 0) {
                return false;
            }
            node = levels_[level];
        }
        const Ref next = inners_[node].next;
        colorCount_ -= Fold(node);
        node = next;
    }
    // Phase 2: from the same place, fold small nodes and merge the smallest children of
    // larger ones until the target is met.
    while (colorCount_ > target) {
        while (node == 0 || inners_[node].childCount == 0) {
            if (node != 0) {
                node = inners_[node].next;
                continue;
            }
            if (--level < 0) {
                return false;
            }
            node = levels_[level];
        }
        if (inners_[node].childCount <= 2) {
            colorCount_ -= Fold(node);
            continue;
        }
        int smallest = -1, second = -1;
        const std::array<Ref, 8> children = inners_[node].children;
        for (int i = 0; i < 8; ++i) {
            if (children[i] == 0) {
                continue;
            }
            const std::uint32_t count = StatsOf(children[i]).pixelCount;
            if (smallest < 0 || count < StatsOf(children[smallest]).pixelCount) {
                second = smallest;
                smallest = i;
            } else if (second < 0 || count < StatsOf(children[second]).pixelCount) {
                second = i;
            }
        }
        const Ref from = children[smallest];
        const Ref into = children[second];
        if (ChildCountOf(from) != 0) {
            colorCount_ -= Fold(from);
        }
        const Stats merged = StatsOf(from);
        Stats& grown = StatsOf(into);
        grown.red += merged.red;
        grown.green += merged.green;
        grown.blue += merged.blue;
        grown.pixelCount += merged.pixelCount;
        DeleteSubtree(from);
        inners_[node].children[smallest] = 0;
        --inners_[node].childCount;
        --colorCount_;
    }
    return true;
}

void COctreeQuantizer::AssignPalette(Ref ref, std::span<std::uint8_t> destination,
                                     std::uint32_t& written) {
    if (ChildCountOf(ref) == 0) {
        Stats& node = StatsOf(ref);
        node.paletteIndex = written;
        if (node.pixelCount != 0 && (written + 1) * 3 <= destination.size()) {
            destination[written * 3 + 0] = static_cast<std::uint8_t>(node.blue / node.pixelCount);
            destination[written * 3 + 1] = static_cast<std::uint8_t>(node.green / node.pixelCount);
            destination[written * 3 + 2] = static_cast<std::uint8_t>(node.red / node.pixelCount);
        }
        ++written;
        return;
    }
    Ref largest = 0;
    for (unsigned i = 0; i < 8; ++i) {
        const Ref child = inners_[ref].children[i];
        if (child == 0) {
            continue;
        }
        AssignPalette(child, destination, written);
        if (largest == 0 || StatsOf(child).pixelCount > StatsOf(largest).pixelCount) {
            largest = child;
        }
    }
    inners_[ref].stats.paletteIndex = StatsOf(largest).paletteIndex;
}

std::uint32_t COctreeQuantizer::BuildPalette(std::span<std::uint8_t> destination) {
    std::uint32_t written = 0;
    if (inners_[kRoot].childCount != 0) {
        AssignPalette(kRoot, destination, written);
    }
    paletteEntries_ =
        std::min<std::uint32_t>(written, static_cast<std::uint32_t>(destination.size() / 3));
    paletteBuilt_ = true;
    return paletteEntries_;
}

std::uint32_t COctreeQuantizer::MapColor(std::uint8_t red, std::uint8_t green,
                                         std::uint8_t blue) const {
    if (!paletteBuilt_) {
        return 0;
    }
    static constexpr unsigned kFallback[] = {1, 2, 4, 3, 5, 6, 7};
    Ref node = kRoot;
    for (int bit = 7; bit >= 0 && ChildCountOf(node) != 0; --bit) {
        const std::array<Ref, 8>& children = inners_[node].children;
        const unsigned index = ChildIndex(red, green, blue, bit);
        Ref child = children[index];
        if (child == 0) {
            for (unsigned flip : kFallback) {
                if (children[index ^ flip] != 0) {
                    child = children[index ^ flip];
                    break;
                }
            }
            node = child;
            break;
        }
        node = child;
    }
    const std::uint32_t index = StatsOf(node).paletteIndex;
    return index < paletteEntries_ ? index : 0;
}
