// The exports every skin module of ours carries: the resource lookup over the module's
// generated table and an "InitSkin" that asks for nothing more than the template gives.
#include <cstddef>

#include "texbench/skins/modules/skin_resource_table.h"
#include "texbench/skins/skin_module_abi.h"

#if defined(_WIN32)
#define QM_SKIN_EXPORT extern "C" __declspec(dllexport)
#else
#define QM_SKIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

QM_SKIN_EXPORT int QmSkinFindResource(unsigned type, unsigned id, const unsigned char** data,
                                      size_t* size) {
    if (data == nullptr || size == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < skinmodule::kResourceCount; ++i) {
        const skinmodule::Resource& resource = skinmodule::kResources[i];
        if (resource.type == type && resource.id == id) {
            *data = resource.data;
            *size = resource.size;
            return 1;
        }
    }
    return 0;
}

// Our skins need nothing beyond their template and pictures; the export is there so that a
// skin module shows the whole interface.
QM_SKIN_EXPORT intptr_t InitSkin(void*, unsigned, uintptr_t, intptr_t) {
    return 1;
}
