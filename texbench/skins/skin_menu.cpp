#include "texbench/skins/skin_menu.h"

#include "platform/ascii.h"
#include "texbench/skins/skin_file.h"

namespace texbench {
namespace {

const std::string kNoFile;

bool IsSkinFileName(const std::filesystem::path& path) {
    return qm::EqualsNoCase(path.extension().string(), ".skn");
}

}  // namespace

const std::string* SkinMenu::FileOf(int command) const {
    if (command == kSystemLookCommand) {
        return &kNoFile;
    }
    const int index = command - kFirstSkinCommand;
    if (index < 0 || index >= static_cast<int>(skins.size())) {
        return nullptr;
    }
    return &skins[static_cast<std::size_t>(index)].file;
}

SkinMenu FindSkins(const std::filesystem::path& directory, std::string_view nameInUse) {
    SkinMenu menu;
    std::error_code error;
    std::filesystem::directory_iterator it(directory, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (static_cast<int>(menu.skins.size()) >= kMostSkins) {
            break;
        }
        const std::filesystem::path& path = it->path();
        if (!IsSkinFileName(path) || it->is_directory(error)) {
            continue;
        }
        const auto skin = ReadSkinFile(path.string());
        if (!skin || !skin->IsListed()) {
            continue;
        }
        if (qm::EqualsNoCase(skin->name, nameInUse)) {
            menu.marked = static_cast<int>(menu.skins.size());
        }
        menu.skins.push_back({skin->name.substr(0, kSkinMenuTextLength), path.filename().string()});
    }
    return menu;
}

}  // namespace texbench
