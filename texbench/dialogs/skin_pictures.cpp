#include "texbench/dialogs/skin_pictures.h"

#include "texbench/skins/skin_loader.h"

namespace texbench {

QImage SkinBitmap(const SkinResources& resources, int id) {
    const auto bytes = resources.Find(ResourceType::Bitmap, id);
    QImage image;
    if (!bytes.empty()) {
        image.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
    }
    return image;
}

QImage SkinBitmap(const SkinState* skin, int id) {
    if (skin == nullptr || !skin->skinMode || !skin->module) {
        return QImage();
    }
    return SkinBitmap(*skin->module, id);
}

}  // namespace texbench
