#include "texbench/imaging/octree_quantizer.h"

#include <algorithm>

namespace {

constexpr std::size_t kChunkNodes = 4096;
constexpr int kLeafLevel = 7;

unsigned ChildIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, int bit) {
    return (((blue >> bit) & 1u) << 2) | (((green >> bit) & 1u) << 1) | ((red >> bit) & 1u);
}

}  // namespace

COctreeQuantizer::COctreeQuantizer() = default;
COctreeQuantizer::~COctreeQuantizer() = default;

COctreeQuantizer::Node* COctreeQuantizer::NewNode(int level) {
    Node* node = nullptr;
    if (!freeNodes_.empty()) {
        node = freeNodes_.back();
        freeNodes_.pop_back();
        *node = Node{};
    } else {
        if (chunks_.empty() || usedInLastChunk_ == kChunkNodes) {
            chunks_.push_back(std::make_unique<Node[]>(kChunkNodes));
            usedInLastChunk_ = 0;
        }
        node = &chunks_.back()[usedInLastChunk_++];
    }
    node->level = level;
    // Each new node goes to the head of its level list.
    node->next = levels_[level];
    if (node->next != nullptr) {
        node->next->previous = node;
    }
    levels_[level] = node;
    return node;
}

void COctreeQuantizer::Unlink(Node* node) {
    if (node->previous != nullptr) {
        node->previous->next = node->next;
    } else {
        levels_[node->level] = node->next;
    }
    if (node->next != nullptr) {
        node->next->previous = node->previous;
    }
    node->previous = node->next = nullptr;
}

void COctreeQuantizer::DeleteSubtree(Node* node) {
    for (Node*& child : node->children) {
        if (child != nullptr) {
            DeleteSubtree(child);
            child = nullptr;
        }
    }
    Unlink(node);
    freeNodes_.push_back(node);
}

void COctreeQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    Node* node = &root_;
    for (int bit = 7; bit >= 0; --bit) {
        Node*& child = node->children[ChildIndex(red, green, blue, bit)];
        if (child == nullptr) {
            child = NewNode(7 - bit);
            ++node->childCount;
        }
        node = child;
        ++node->pixelCount;
    }
    if (node->pixelCount == 1) {
        ++colorCount_;
    }
    node->red += red;
    node->green += green;
    node->blue += blue;
}

std::uint32_t COctreeQuantizer::Fold(Node* node) {
    std::uint32_t leavesRemoved = 0;
    for (Node*& child : node->children) {
        if (child == nullptr) {
            continue;
        }
        if (child->childCount != 0) {
            leavesRemoved += Fold(child);  // sums its leaves into it; it becomes one leaf
        }
        node->red += child->red;
        node->green += child->green;
        node->blue += child->blue;
        ++leavesRemoved;
        DeleteSubtree(child);
        child = nullptr;
    }
    node->childCount = 0;
    return leavesRemoved - (leavesRemoved > 0 ? 1 : 0);
}

void COctreeQuantizer::SortLevel(int level) {
    std::vector<Node*> nodes;
    for (Node* node = levels_[level]; node != nullptr; node = node->next) {
        nodes.push_back(node);
    }
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const Node* a, const Node* b) { return a->pixelCount < b->pixelCount; });
    levels_[level] = nullptr;
    Node* previous = nullptr;
    for (Node* node : nodes) {
        node->previous = previous;
        node->next = nullptr;
        if (previous != nullptr) {
            previous->next = node;
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
    Node* node = levels_[level];
    while (colorCount_ > target + 8) {
        while (node == nullptr) {
            if (--level < 0) {
                return false;
            }
            node = levels_[level];
        }
        Node* next = node->next;
        colorCount_ -= Fold(node);
        node = next;
    }
    // Phase 2: from the same place, fold small nodes and merge the smallest children of
    // larger ones until the target is met.
    while (colorCount_ > target) {
        while (node == nullptr || node->childCount == 0) {
            if (node != nullptr) {
                node = node->next;
                continue;
            }
            if (--level < 0) {
                return false;
            }
            node = levels_[level];
        }
        if (node->childCount <= 2) {
            colorCount_ -= Fold(node);
            continue;
        }
        int smallest = -1, second = -1;
        for (int i = 0; i < 8; ++i) {
            const Node* child = node->children[i];
            if (child == nullptr) {
                continue;
            }
            if (smallest < 0 || child->pixelCount < node->children[smallest]->pixelCount) {
                second = smallest;
                smallest = i;
            } else if (second < 0 || child->pixelCount < node->children[second]->pixelCount) {
                second = i;
            }
        }
        Node* from = node->children[smallest];
        Node* into = node->children[second];
        if (from->childCount != 0) {
            colorCount_ -= Fold(from);
        }
        into->red += from->red;
        into->green += from->green;
        into->blue += from->blue;
        into->pixelCount += from->pixelCount;
        DeleteSubtree(from);
        node->children[smallest] = nullptr;
        --node->childCount;
        --colorCount_;
    }
    return true;
}

void COctreeQuantizer::AssignPalette(Node* node, std::span<std::uint8_t> destination,
                                     std::uint32_t& written) {
    if (node->childCount == 0) {
        node->paletteIndex = written;
        if (node->pixelCount != 0 && (written + 1) * 3 <= destination.size()) {
            destination[written * 3 + 0] = static_cast<std::uint8_t>(node->blue / node->pixelCount);
            destination[written * 3 + 1] =
                static_cast<std::uint8_t>(node->green / node->pixelCount);
            destination[written * 3 + 2] = static_cast<std::uint8_t>(node->red / node->pixelCount);
        }
        ++written;
        return;
    }
    const Node* largest = nullptr;
    for (Node* child : node->children) {
        if (child == nullptr) {
            continue;
        }
        AssignPalette(child, destination, written);
        if (largest == nullptr || child->pixelCount > largest->pixelCount) {
            largest = child;
        }
    }
    node->paletteIndex = largest->paletteIndex;
}

std::uint32_t COctreeQuantizer::BuildPalette(std::span<std::uint8_t> destination) {
    std::uint32_t written = 0;
    if (root_.childCount != 0) {
        AssignPalette(&root_, destination, written);
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
    const Node* node = &root_;
    for (int bit = 7; bit >= 0 && node->childCount != 0; --bit) {
        const unsigned index = ChildIndex(red, green, blue, bit);
        const Node* child = node->children[index];
        if (child == nullptr) {
            for (unsigned flip : kFallback) {
                if (node->children[index ^ flip] != nullptr) {
                    child = node->children[index ^ flip];
                    break;
                }
            }
            node = child;
            break;
        }
        node = child;
    }
    return node->paletteIndex < paletteEntries_ ? node->paletteIndex : 0;
}
