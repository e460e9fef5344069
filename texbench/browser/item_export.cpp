#include "texbench/browser/item_export.h"

#include <cstdio>
#include <vector>

#include "platform/message_box.h"
#include "suite/image_record.h"
#include "suite/picture_formats.h"
#include "suite/texture_pipeline.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/imaging/rim_archive.h"

namespace texbench {
namespace {

// Raw items are written through a buffer of this size.
constexpr std::size_t kRawStreamBuffer = 1024 * 1024;

// The writer's extension of a converted export (index 2 onwards); empty for raw exports.
std::string ExportExtension(int filterIndex) {
    const suite::PictureFilter* filter = suite::ImageFilterByIndex(filterIndex);
    return filter != nullptr && filter->format != suite::PictureFormat::WholeTexture
               ? filter->extension
               : std::string();
}

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}

// The name without its extension, when its last "." lies within the file name.
std::string WithoutExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot != std::string::npos && dot >= NameStart(path) ? path.substr(0, dot) : path;
}

std::string ItemPathOf(const FFLITEM& item) {
    return item.szPath;
}

bool WriteRaw(const FFLITEM& item, const std::string& target) {
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::vector<char> buffer(kRawStreamBuffer);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    const bool written =
        item.dwSize == 0 || std::fwrite(item.lpData, 1, item.dwSize, file) == item.dwSize;
    return std::fclose(file) == 0 && written;
}

}  // namespace

ExportDialogTexts ExportTextsFor(suite::ItemKind archiveKind) {
    switch (archiveKind) {
        case suite::ItemKind::Sound:
            return {kSoundFilter, "Export Sound"};  // STRING 14, STRING 19
        case suite::ItemKind::Image:
            return {kImageFilter, "Export Image"};  // STRING 13, STRING 18
        case suite::ItemKind::Other:
            break;
    }
    return {kMixedFilter, "Export"};  // STRING 15, STRING 17
}

std::string DialogExtension(int filterIndex, suite::ItemKind archiveKind) {
    if (filterIndex == 1) {
        return archiveKind == suite::ItemKind::Sound ? ".wav" : ".rim";
    }
    return ExportExtension(filterIndex);
}

std::string WithDialogExtension(const std::string& name, int filterIndex,
                                suite::ItemKind archiveKind) {
    return WithoutExtension(name) + DialogExtension(filterIndex, archiveKind);
}

std::string DirectoryOf(const std::string& path) {
    return path.substr(0, NameStart(path));
}

std::string ExportTarget(const ExportChoice& choice, bool exactPath, const std::string& itemPath) {
    std::string target =
        exactPath ? choice.path : DirectoryOf(choice.path) + itemPath.substr(NameStart(itemPath));
    if (choice.filterIndex != 1) {
        target = WithoutExtension(target) + ExportExtension(choice.filterIndex);
    }
    return target;
}

bool ExportItem(const FFLITEM& item, int filterIndex, const std::string& target,
                suite::PictureCodec* codec) {
    const suite::PictureFilter* filter = suite::ImageFilterByIndex(filterIndex);
    if (filter == nullptr || filter->format == suite::PictureFormat::WholeTexture) {
        return WriteRaw(item, target);
    }
    CRimArchive texture;
    if (item.lpData == nullptr || !texture.Parse(std::span(item.lpData, item.dwSize))) {
        return false;
    }
    const unsigned slot = suite::FirstFilledSlot(texture).value_or(0);
    suite::ImageRecord image;
    return texture.ExportSlot(slot, image.Get()) &&
           suite::WritePicture(image.Get(), target, filter->format, codec);
}

bool ExportRows(const BrowserModel& model, CIniDocument& settings, const ExportChoice& choice,
                std::span<const int> selectedRows, ExportProgress& progress,
                suite::PictureCodec* codec) {
    settings.SetInt(kExportType.section, kExportType.key, choice.filterIndex);
    settings.SetString(kExportPath.section, kExportPath.key, DirectoryOf(choice.path).c_str());

    std::vector<const FFLITEM*> items;
    const auto& rows = model.Rows();
    if (choice.allFiles) {
        for (const ListRow& row : rows) {
            items.push_back(row.item);
        }
    } else {
        for (int row : selectedRows) {
            if (row >= 0 && row < static_cast<int>(rows.size())) {
                items.push_back(rows[static_cast<std::size_t>(row)].item);
            }
        }
    }
    const bool severalFiles = choice.allFiles || selectedRows.size() > 1;
    if (severalFiles) {
        progress.Begin(static_cast<int>(items.size()));
    }
    bool failed = false;
    for (const FFLITEM* item : items) {
        if (item == nullptr) {
            failed = true;
            continue;
        }
        const std::string path = ItemPathOf(*item);
        if (severalFiles) {
            progress.ShowItem(path.substr(NameStart(path)));
        }
        if (!ExportItem(*item, choice.filterIndex, ExportTarget(choice, !severalFiles, path),
                        codec)) {
            failed = true;
        }
        if (severalFiles) {
            progress.Step();
        }
    }
    if (severalFiles) {
        progress.End();
    }
    if (failed) {
        qm::ShowMessageBox(kExportFailed, kProductName, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Error);
    }
    return !failed;
}

}  // namespace texbench
