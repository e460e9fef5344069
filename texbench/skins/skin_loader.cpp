#include "texbench/skins/skin_loader.h"

#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "texbench/skins/skin_file.h"
#include "texbench/startup/product_name.h"

namespace texbench {

const SkinResources& SkinState::Resources() const {
    static const ProgramResources program;
    if (module) {
        return *module;
    }
    return program;
}

namespace {

bool ReadSkin(const std::string& skinFile, SkinState& state) {
    const std::optional<SkinFile> skin = ReadSkinFile(skinFile);
    if (!skin || !skin->IsSkin()) {
        state.module = std::make_unique<ProgramResources>();
        state.background = 0x000000;
        state.text = 0xFFFFFF;
        return true;
    }
    state.background = skin->background;
    state.text = skin->text;
    state.name = skin->name;
    if (skin->module.empty()) {
        return false;
    }
    std::string error;
    auto module = SkinModule::Load(skin->module, &error);
    if (!module) {
        qm::DebugOutput(("ERROR: " + error + "\n").c_str());
        qm::ShowMessageBox(kSkinResourcesFailed, kProductName, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Information);
        return false;
    }
    state.module = std::move(module);
    return true;
}

}  // namespace

bool LoadSkin(const std::string& skinFile, SkinState& state) {
    state.skinMode = ReadSkin(skinFile, state);
    return state.skinMode;
}

std::optional<DialogTemplate> MainDialogTemplate(const SkinState& state) {
    return ParseMainDialogTemplate(DialogText(state.Resources(), kMainDialogTemplate));
}

}  // namespace texbench
