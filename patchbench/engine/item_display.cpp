#include "patchbench/engine/item_display.h"

#include <cstdio>
#include <cstring>

#include "suite/item_kind.h"

namespace patchbench {
namespace {

bool HasTags(const unsigned char* data, std::uint32_t size, const char* head, const char* form) {
    return data != nullptr && size >= 12 && std::memcmp(data, head, 4) == 0 &&
           std::memcmp(data + 8, form, 4) == 0;
}

}  // namespace

PatchItemKind KindOfPatchData(const unsigned char* data, std::uint32_t size) {
    switch (suite::KindOfData(data, size)) {
        case suite::ItemKind::Image:
            return PatchItemKind::Image;
        case suite::ItemKind::Sound:
            return PatchItemKind::Sound;
        case suite::ItemKind::Other:
            break;
    }
    return PatchItemKind::Unknown;
}

const char* KindText(PatchItemKind kind) {
    switch (kind) {
        case PatchItemKind::Image:
            return "RIM Image";
        case PatchItemKind::Sound:
            return "PCM Wave";
        case PatchItemKind::Unknown:
            break;
    }
    return "(unknown)";
}

int KindIcon(PatchItemKind kind) {
    switch (kind) {
        case PatchItemKind::Image:
            return 4;
        case PatchItemKind::Sound:
            return 5;
        case PatchItemKind::Unknown:
            break;
    }
    return 6;
}

std::string SizeText(std::uint32_t size) {
    char text[40];
    if (size <= 999) {
        std::snprintf(text, sizeof text, "%u Bytes", size);
    } else if (size <= 999999) {
        std::snprintf(text, sizeof text, "%u.%1u KByte", size / 1000, (size % 1000) / 100);
    } else {
        std::snprintf(text, sizeof text, "%u,%.3u.%.1u KByte", size / 1000000,
                      (size % 1000000) / 1000, (size % 1000) / 100);
    }
    return text;
}

std::string RowLabel(const char* name, const char* targetPaths) {
    if (name != nullptr && name[0] != '\0') {
        return name;
    }
    std::string label = targetPaths != nullptr ? targetPaths : "";
    const std::size_t backslash = label.find_last_of('\\');
    if (backslash != std::string::npos) {
        label.erase(0, backslash + 1);
    }
    return label.empty() ? "untitled" : label;
}

std::string KindSortKey(const unsigned char* data, std::uint32_t size) {
    if (HasTags(data, size, "LIST", "ILBM")) {
        return "RIM";
    }
    if (HasTags(data, size, "RIFF", "WAVE") && size >= 16 &&
        std::memcmp(data + 12, "fmt ", 4) == 0) {
        return "PCM";
    }
    return "(unknown)";
}

}  // namespace patchbench
