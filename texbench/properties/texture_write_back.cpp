#include "texbench/properties/texture_write_back.h"

#include <vector>

#include "platform/message_box.h"
#include "texbench/properties/properties_texts.h"

namespace texbench {
namespace {

void Stop(const char* text, const std::string& details = {}) {
    qm::ShowMessageBox(text, kProductName, qm::MessageBoxButtons::Ok, qm::MessageBoxIcon::Error,
                       details);
}

}  // namespace

bool WriteBackTexture(const BrowserModel& model, FFLITEM* item, const CRimArchive& texture) {
    const std::vector<std::uint8_t> bytes = texture.Compile();
    if (bytes.empty()) {
        Stop(kCompileFailed);
        return false;
    }
    if (item == nullptr ||
        !model.Lib().FFLSetItemData(item, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) {
        Stop(kSetItemDataFailed);
        return false;
    }
    if (!model.SaveCurrentArchive()) {
        FFLARCHIVE* archive = model.CurrentArchive();
        const char* path = archive != nullptr ? model.Lib().FFLGetPath(archive) : nullptr;
        Stop(kSaveFailed, path != nullptr ? path : "");
    }
    return true;
}

}  // namespace texbench
