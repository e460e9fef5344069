#include "texbench/browser/folder_tree.h"

#include <algorithm>

namespace texbench {
namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The components of a "\"-separated path, leaving out empty ones (doubled or trailing
// separators) so that they never turn into nameless nodes.
std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t cut = path.find('\\');
        const std::string_view part = path.substr(0, cut);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (cut == std::string_view::npos) {
            break;
        }
        path.remove_prefix(cut + 1);
    }
    return parts;
}

FolderNode* FindChild(const std::vector<std::unique_ptr<FolderNode>>& nodes,
                      std::string_view text) {
    for (const auto& node : nodes) {
        if (EqualsIgnoringCase(node->Text(), text)) {
            return node.get();
        }
    }
    return nullptr;
}

// Root folders named after the game's two top-level item folders get their own icons.
std::pair<int, int> IconsFor(std::string_view text, bool root) {
    if (root && EqualsIgnoringCase(text, "graphics")) {
        return {kIconGraphicsRoot, kIconGraphicsRoot};
    }
    if (root && EqualsIgnoringCase(text, "sound")) {
        return {kIconSoundRoot, kIconSoundRoot};
    }
    return {kIconFolder, kIconFolderSelected};
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldCase(x) == FoldCase(y);
           });
}

FolderNode::FolderNode(std::string text, int icon, int selectedIcon, FolderNode* parent)
    : text_(std::move(text)), icon_(icon), selectedIcon_(selectedIcon), parent_(parent) {}

std::string FolderNode::Path() const {
    std::string path = text_;
    for (const FolderNode* node = parent_; node != nullptr; node = node->parent_) {
        path = node->text_ + "\\" + path;
    }
    return path;
}

FolderNode& FolderTree::AppendRoot(std::string text) {
    const auto [icon, selectedIcon] = IconsFor(text, true);
    roots_.push_back(std::make_unique<FolderNode>(std::move(text), icon, selectedIcon, nullptr));
    return *roots_.back();
}

FolderNode* FolderTree::FindOrInsert(std::string_view path) {
    FolderNode* parent = nullptr;
    for (const std::string_view part : SplitPath(path)) {
        auto& level = parent == nullptr ? roots_ : parent->children_;
        FolderNode* node = FindChild(level, part);
        if (node == nullptr) {
            const auto [icon, selectedIcon] = IconsFor(part, parent == nullptr);
            level.push_back(
                std::make_unique<FolderNode>(std::string(part), icon, selectedIcon, parent));
            node = level.back().get();
        }
        parent = node;
    }
    return parent;
}

FolderNode* FolderTree::Find(std::string_view path) const {
    FolderNode* node = nullptr;
    for (const std::string_view part : SplitPath(path)) {
        node = FindChild(node == nullptr ? roots_ : node->children_, part);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

}  // namespace texbench
