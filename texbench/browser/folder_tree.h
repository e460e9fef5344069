// The browser's folder tree without any user interface: nodes with a text, a pair of icons
// from the icon strip, a data value and children kept in insertion order.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "packlib/packlib.h"

namespace texbench {

// Icons of the strip used by the tree.
inline constexpr int kIconGraphicsRoot = 0;
inline constexpr int kIconSoundRoot = 1;
inline constexpr int kIconFolder = 2;
inline constexpr int kIconFolderSelected = 3;

// What a node stands for: nothing, a database entry (database mode) or the one open archive
// (single-Fastfile mode).
using NodeValue = std::variant<std::monostate, FFLDBITEM*, FFLARCHIVE*>;

class FolderNode {
  public:
    FolderNode(std::string text, int icon, int selectedIcon, FolderNode* parent);
    FolderNode(const FolderNode&) = delete;
    FolderNode& operator=(const FolderNode&) = delete;

    const std::string& Text() const { return text_; }
    int Icon() const { return icon_; }
    int SelectedIcon() const { return selectedIcon_; }
    const NodeValue& Value() const { return value_; }
    void SetValue(NodeValue value) { value_ = value; }
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool expanded) { expanded_ = expanded; }
    FolderNode* Parent() const { return parent_; }
    const std::vector<std::unique_ptr<FolderNode>>& Children() const { return children_; }
    bool HasChildren() const { return !children_.empty(); }
    // The node texts from the root down to this node, joined with "\".
    std::string Path() const;

  private:
    friend class FolderTree;

    std::string text_;
    int icon_;
    int selectedIcon_;
    NodeValue value_;
    bool expanded_ = false;
    FolderNode* parent_;
    std::vector<std::unique_ptr<FolderNode>> children_;
};

class FolderTree {
  public:
    void Clear() { roots_.clear(); }
    bool Empty() const { return roots_.empty(); }
    const std::vector<std::unique_ptr<FolderNode>>& Roots() const { return roots_; }
    FolderNode* FirstRoot() const { return roots_.empty() ? nullptr : roots_.front().get(); }

    // Appends a root whatever roots exist already.
    FolderNode& AppendRoot(std::string text);
    // Walks the "\"-separated path level by level, matching node texts without regard to
    // letter case and appending the missing nodes at the end. Empty components are skipped;
    // null when no component is left.
    FolderNode* FindOrInsert(std::string_view path);
    // The same walk without creating anything: null when some level is missing.
    FolderNode* Find(std::string_view path) const;

  private:
    std::vector<std::unique_ptr<FolderNode>> roots_;
};

// Letter case is ignored for A to Z only; other bytes compare as they are.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace texbench
