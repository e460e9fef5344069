#include "patchbench/engine/item_properties.h"

#include <algorithm>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/item_display.h"
#include "platform/ascii.h"
#include "platform/message_box.h"
#include "platform/sound.h"

namespace patchbench {
namespace {

std::span<const unsigned char> Bytes(const void* data, std::uint32_t size) {
    if (data == nullptr) {
        return {};
    }
    return {static_cast<const unsigned char*>(data), size};
}

std::string TrimmedJoin(const std::vector<std::string>& rows) {
    std::string list;
    for (const std::string& row : rows) {
        list += row;
        list += '|';
    }
    const std::size_t first = list.find_first_not_of('|');
    if (first == std::string::npos) {
        return {};
    }
    return list.substr(first, list.find_last_not_of('|') - first + 1);
}

}  // namespace

std::optional<PropertiesKind> PropertiesKindOf(const KDZITEM* item) {
    if (item == nullptr) {
        return std::nullopt;
    }
    switch (KindOfPatchData(item->lpData, item->dwSize)) {
        case PatchItemKind::Image:
            return PropertiesKind::Texture;
        case PatchItemKind::Sound:
            return PropertiesKind::Sound;
        case PatchItemKind::Unknown:
            break;
    }
    return std::nullopt;
}

ItemProperties::ItemProperties(const PATCHLIBEXPORT& patchLib, GameAccess game, KDZITEM* item,
                               PropertiesKind kind)
    : patchLib_(patchLib), game_(game), item_(item), kind_(kind) {
    const char* list = item_ != nullptr ? patchLib_.KDZGetItemPath(item_) : nullptr;
    rows_ = SplitTargetPaths(list != nullptr ? list : "");
    selected_ = rows_.empty() ? -1 : 0;
    RefreshInformation();
}

ItemProperties::~ItemProperties() {
    CloseArchive();
}

std::string ItemProperties::Caption() const {
    const char* name = item_ != nullptr ? patchLib_.KDZGetItemName(item_) : nullptr;
    if (name != nullptr && name[0] != '\0') {
        return name;
    }
    return kind_ == PropertiesKind::Texture ? kTexturePropertiesCaption : kSoundPropertiesCaption;
}

void ItemProperties::Select(int row) {
    const int wanted = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
    if (wanted == selected_) {
        return;
    }
    selected_ = wanted;
    if (view_ == PropertiesView::TargetItem) {
        RefreshInformation();
    }
}

void ItemProperties::Remove() {
    if (selected_ < 0) {
        return;
    }
    const int index = selected_;
    rows_.erase(rows_.begin() + index);
    selected_ = -1;
    Select(rows_.empty() ? -1 : std::min(index, static_cast<int>(rows_.size()) - 1));
    if (selected_ < 0 && view_ == PropertiesView::TargetItem) {
        RefreshInformation();
    }
}

FindCounts ItemProperties::Find(SearchProgress& progress) {
    if (game_.packLib == nullptr) {
        qm::ShowMessageBox(kNothingFoundText, kProgramTitle, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Information);
        return {};
    }
    const char* list = patchLib_.KDZGetItemPath(item_);
    const FindCounts counts = FindOtherTargets(
        rows_, list != nullptr ? list : "",
        kind_ == PropertiesKind::Texture ? SearchCategory::Textures : SearchCategory::Sounds,
        *game_.packLib, game_.database, progress);
    // The new rows go above the selected one, which keeps its path.
    if (selected_ >= 0) {
        selected_ += counts.added;
    }
    return counts;
}

AcceptOutcome ItemProperties::Accept() {
    const std::string list = TrimmedJoin(rows_);
    if (list.empty()) {
        qm::ShowMessageBox(kNoTargetPathText, kProgramTitle, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Information);
        return AcceptOutcome::StayOpen;
    }
    if (!patchLib_.KDZSetItemPath(item_, list.c_str())) {
        qm::ShowMessageBox(kSetTargetsFailedText, kProgramTitle, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Error);
        return AcceptOutcome::Cancelled;
    }
    return AcceptOutcome::Accepted;
}

void ItemProperties::SetView(PropertiesView view) {
    view_ = view;
    RefreshInformation();
}

const suite::ImageRecord* ItemProperties::Picture() const {
    return picture_ ? &*picture_ : nullptr;
}

void ItemProperties::Play() {
    if (!playable_) {
        return;
    }
    const std::span<const unsigned char> data =
        view_ == PropertiesView::PatchItem ? PatchData() : TargetData();
    // The service copies the samples, so the target's archive may close while they play.
    qm::PlaySoundFromMemory(data, loop_);
}

void ItemProperties::Stop() {
    qm::StopSound();
}

void ItemProperties::SetLoop(bool loop) {
    loop_ = loop;
    if (!loop) {
        qm::StopSound();
    }
}

void ItemProperties::ActivateRow(int row) {
    Select(row);
    SetView(PropertiesView::TargetItem);
    Play();
}

std::span<const unsigned char> ItemProperties::PatchData() const {
    if (item_ == nullptr) {
        return {};
    }
    std::uint32_t size = 0;
    const void* data = patchLib_.KDZGetItemData(item_, &size);
    return Bytes(data, size);
}

std::span<const unsigned char> ItemProperties::TargetData() {
    const std::string path = selected_ >= 0 ? rows_[selected_] : std::string();
    if (path.empty() || game_.packLib == nullptr) {
        return {};
    }
    const PACKLIBEXPORT& lib = *game_.packLib;
    const char* cached = found_ != nullptr ? lib.FFLGetItemPath(found_) : nullptr;
    if (cached == nullptr || !qm::EqualsNoCase(cached, path)) {
        LookUpTarget(path);
    }
    if (found_ == nullptr) {
        return {};
    }
    std::uint32_t size = 0;
    const void* data = lib.FFLGetItemData(found_, &size);
    return Bytes(data, size);
}

void ItemProperties::LookUpTarget(const std::string& path) {
    CloseArchive();
    archive_ = OpenTargetArchive(path);
    if (archive_ != nullptr) {
        found_ = game_.packLib->FFLFindItem(archive_, path.c_str(), false);
    }
}

FFLARCHIVE* ItemProperties::OpenTargetArchive(const std::string& path) const {
    const PACKLIBEXPORT& lib = *game_.packLib;
    // Sounds named without a folder live in the sound archive, which no entry has to name.
    if (kind_ == PropertiesKind::Sound && path.find('\\') == std::string::npos) {
        return lib.FFLOpenArchive(kCommonSoundArchive);
    }
    FFLDBITEM* entry = game_.database != nullptr
                           ? lib.FFLFindDbItem(game_.database, path.c_str(), nullptr)
                           : nullptr;
    const char* fastfile = entry != nullptr ? lib.FFLGetDbItemFile(entry) : nullptr;
    if (fastfile == nullptr) {
        return nullptr;
    }
    return lib.FFLOpenArchive(fastfile);
}

void ItemProperties::CloseArchive() {
    if (archive_ != nullptr) {
        game_.packLib->FFLCloseArchive(archive_);
    }
    archive_ = nullptr;
    found_ = nullptr;
}

void ItemProperties::RefreshInformation() {
    line1_.clear();
    line2_.clear();
    picture_.reset();
    playable_ = false;
    const std::span<const unsigned char> data =
        view_ == PropertiesView::PatchItem ? PatchData() : TargetData();
    if (kind_ == PropertiesKind::Texture) {
        if (auto texture = DescribeTexture(data)) {
            line1_ = std::move(texture->size);
            line2_ = std::move(texture->depth);
            picture_ = std::move(texture->picture);
        }
        return;
    }
    if (const auto sound = DescribeSound(data)) {
        line1_ = sound->length;
        line2_ = sound->format;
        playable_ = true;
    }
}

}  // namespace patchbench
