#include "texbench/skins/skin_file.h"

#include "inidoc/ini_document.h"
#include "platform/ascii.h"

namespace texbench {

bool SkinFile::IsSkin() const {
    return qm::EqualsNoCase(signature, kSkinSignature);
}

std::optional<SkinFile> ReadSkinFile(const std::string& path) {
    CIniDocument document;
    if (!document.Load(path)) {
        return std::nullopt;
    }
    SkinFile skin;
    skin.signature = document.GetString("Skin.Layout", "Signature", "");
    skin.name = document.GetString("Skin.Layout", "Name", "");
    skin.module = document.GetString("Skin.Layout", "Module", "");
    skin.background = document.GetColor("Skin.Colors", "Background", 0x000000);
    skin.text = document.GetColor("Skin.Colors", "Text", 0xFFFFFF);
    return skin;
}

}  // namespace texbench
