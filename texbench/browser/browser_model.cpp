#include "texbench/browser/browser_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/file_search.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/browser/open_request.h"
#include "texbench/widgets/strip_indices.h"

namespace texbench {
namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The list's order: names compared without regard to A-Z letter case, as the list control
// sorts; names equal in that sense keep the archive's order.
bool NameBefore(const ListRow& a, const ListRow& b) {
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char x, char y) {
                                            return static_cast<unsigned char>(FoldCase(x)) <
                                                   static_cast<unsigned char>(FoldCase(y));
                                        });
}

std::string_view AfterLastBackslash(std::string_view path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

void CopyField(char (&field)[FFL_MAX_PATH], const char* text) {
    std::strncpy(field, text, FFL_MAX_PATH - 1);
    field[FFL_MAX_PATH - 1] = '\0';
}

}  // namespace

BrowserModel::BrowserModel(const PACKLIBEXPORT& packLib, CIniDocument& settings)
    : lib_(packLib), settings_(settings) {
    CopyField(soundEntry_.szPath, kSoundEntryPath);
    CopyField(soundEntry_.szFile, kSoundEntryFile);
}

BrowserModel::~BrowserModel() {
    CloseAll();
}

BrowserMode BrowserModel::Mode() const {
    if (database_ != nullptr) {
        return BrowserMode::Database;
    }
    return archive_ != nullptr ? BrowserMode::SingleFastfile : BrowserMode::Empty;
}

void BrowserModel::CloseArchive() {
    rows_.clear();  // the rows' item handles die with the archive
    if (archive_ != nullptr) {
        lib_.FFLCloseArchive(archive_);
        archive_ = nullptr;
    }
}

void BrowserModel::CloseAll() {
    // The tree's data values point into what is closed here.
    selected_ = nullptr;
    tree_.Clear();
    CloseArchive();
    if (database_ != nullptr) {
        lib_.FFLCloseDatabase(database_);
        database_ = nullptr;
    }
    databaseDirectory_.clear();
}

// Says which file could not be opened and, as far as can be told from outside, why.
void BrowserModel::NoteOpenFailure(const std::string& path, bool database) {
    std::error_code error;
    std::string found = path;
    if (!std::filesystem::exists(found, error)) {
        // A bare name is looked up in the Fastfile directory, as PackLib does.
        char fastfiles[FFL_MAX_PATH] = {};
        const bool known = !database && lib_.GetFastfilePath(fastfiles);
        found = known ? qm::SearchFile(fastfiles, path, ".FFL").value_or("") : "";
    }
    std::string reason;
    if (found.empty()) {
        reason = "The file was not found.";
    } else if (std::filesystem::is_regular_file(found, error) &&
               std::filesystem::file_size(found, error) == 0) {
        reason = "The file is empty.";
    } else {
        reason = database ? "The file could not be read as a Fastfile database."
                          : "The file is damaged or is not a Fastfile.";
    }
    openFailure_ = std::string(database ? "Failed to open the Fastfile database '"
                                        : "Failed to open the Fastfile '") +
                   path + "'!\n" + reason + "\nThe game's Fastfile database is opened instead.";
}

void BrowserModel::OpenDefaultDatabaseOnly() {
    database_ = lib_.FFLOpenDatabase(nullptr);
}

bool BrowserModel::OpenFromCommandLine(std::string_view commandLine) {
    CloseAll();
    const OpenRequest request = ParseOpenRequest(commandLine);
    if (request.kind == OpenRequest::Kind::Database) {
        database_ = lib_.FFLOpenDatabase(request.path.c_str());
        if (database_ != nullptr) {
            databaseDirectory_ = std::filesystem::path(request.path).parent_path().string();
            if (databaseDirectory_.empty()) {
                databaseDirectory_ = ".";
            }
        }
    } else if (request.kind == OpenRequest::Kind::Fastfile) {
        archive_ = lib_.FFLOpenArchive(request.path.c_str());
    }
    if (request.kind != OpenRequest::Kind::None && database_ == nullptr && archive_ == nullptr) {
        NoteOpenFailure(request.path, request.kind == OpenRequest::Kind::Database);
    }
    if (database_ == nullptr && archive_ == nullptr) {
        OpenDefaultDatabaseOnly();
        return database_ != nullptr;
    }
    return true;
}

bool BrowserModel::SoundsShown() const {
    return ReadInt(settings_, kNoSound) == 0;
}

bool BrowserModel::ResetZoomSetting() const {
    return ReadInt(settings_, kResetZoom) != 0;
}

void BrowserModel::BuildDatabaseTree() {
    tree_.AppendRoot("graphics");
    const bool sounds = SoundsShown();
    if (sounds) {
        tree_.AppendRoot("sound");
        if (FolderNode* node = tree_.FindOrInsert(soundEntry_.szPath)) {
            node->SetValue(&soundEntry_);
        }
    }
    for (FFLDBITEM* entry = lib_.FFLGetFirstDbItem(database_); entry != nullptr;
         entry = lib_.FFLGetNextDbItem(entry)) {
        const char* prefix = lib_.FFLGetDbItemPath(entry);
        if (prefix == nullptr) {
            continue;
        }
        if (!sounds && !EqualsIgnoringCase(std::string_view(prefix).substr(
                                               0, std::min<std::size_t>(8, std::strlen(prefix))),
                                           "graphics")) {
            continue;
        }
        if (FolderNode* node = tree_.FindOrInsert(prefix)) {
            node->SetValue(entry);  // a later entry with the same prefix takes the node over
        }
    }
}

void BrowserModel::BuildArchiveTree() {
    for (FFLITEM* item = lib_.FFLGetFirstItem(archive_); item != nullptr;
         item = lib_.FFLGetNextItem(item)) {
        const char* path = lib_.FFLGetItemPath(item);
        const std::string_view itemPath = path != nullptr ? path : "";
        const std::size_t cut = itemPath.rfind('\\');
        FolderNode* node =
            cut == std::string_view::npos ? nullptr : tree_.FindOrInsert(itemPath.substr(0, cut));
        // Items without a folder (the sound archive's) are shown where the database puts
        // the game's sounds.
        if (node == nullptr) {
            node = tree_.FindOrInsert(kSoundEntryPath);
        }
        node->SetValue(archive_);
    }
}

void BrowserModel::BuildTree() {
    selected_ = nullptr;
    tree_.Clear();
    if (database_ != nullptr) {
        BuildDatabaseTree();
    } else if (archive_ != nullptr) {
        BuildArchiveTree();
    }
    FolderNode* first = tree_.FirstRoot();
    if (first != nullptr) {
        first->SetExpanded(true);
    }
    SelectNode(first);
}

const char* BrowserModel::FastfileOfEntry(FFLDBITEM* entry) const {
    // The sound entry is our own record, which the library does not know as one of its
    // handles; its file name is read from the record as the layout allows.
    if (entry == &soundEntry_) {
        return soundEntry_.szFile;
    }
    return lib_.FFLGetDbItemFile(entry);
}

// The game's database names Fastfiles of the game's Fastfile directory, where PackLib looks;
// a database opened from a file (another installation, a mod's copy) names those beside it,
// and one that is not there is not looked for in the game's folder instead.
FFLARCHIVE* BrowserModel::OpenFastfileOfEntry(const char* file) const {
    if (databaseDirectory_.empty()) {
        return lib_.FFLOpenArchive(file);
    }
    const std::optional<std::string> beside = qm::SearchFile(databaseDirectory_, file, ".FFL");
    return beside ? lib_.FFLOpenArchive(beside->c_str()) : nullptr;
}

void BrowserModel::SelectNode(FolderNode* node) {
    selected_ = node;
    if (database_ != nullptr) {
        CloseArchive();
        FFLDBITEM* const* entry =
            node != nullptr ? std::get_if<FFLDBITEM*>(&node->Value()) : nullptr;
        const char* file = entry != nullptr ? FastfileOfEntry(*entry) : nullptr;
        if (file != nullptr && file[0] != '\0') {
            archive_ = OpenFastfileOfEntry(file);
        }
    }
    FillList();
}

FFLARCHIVE* BrowserModel::CurrentArchive() const {
    if (database_ != nullptr) {
        return archive_;
    }
    if (selected_ == nullptr) {
        return nullptr;
    }
    FFLARCHIVE* const* value = std::get_if<FFLARCHIVE*>(&selected_->Value());
    // Only the archive that is open now is readable.
    return value != nullptr && *value == archive_ ? archive_ : nullptr;
}

void BrowserModel::FillList() {
    rows_.clear();
    FFLARCHIVE* archive = CurrentArchive();
    for (FFLITEM* item = lib_.FFLGetFirstItem(archive); item != nullptr;
         item = lib_.FFLGetNextItem(item)) {
        const char* path = lib_.FFLGetItemPath(item);
        const std::string fullPath = path != nullptr ? path : "";
        rows_.push_back(ListRow{std::string(AfterLastBackslash(fullPath)),
                                IconOfKind(suite::KindOfItem(item)), item, fullPath});
    }
    std::stable_sort(rows_.begin(), rows_.end(), NameBefore);
}

bool BrowserModel::SaveCurrentArchive() const {
    FFLARCHIVE* archive = CurrentArchive();
    return archive != nullptr && lib_.FFLSaveArchive(archive, nullptr);
}

int BrowserModel::RowOfItem(const FFLITEM* item) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].item == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void BrowserModel::OpenDefaultDatabase() {
    CloseAll();
    OpenDefaultDatabaseOnly();
    BuildTree();
}

std::string BrowserModel::FastfileDialogDirectory() const {
    std::string directory = ReadText(settings_, kFastfilePath);
    if (directory.empty()) {
        char fastfiles[FFL_MAX_PATH] = {};
        if (lib_.GetFastfilePath(fastfiles)) {
            directory = fastfiles;
        }
    }
    return directory;
}

void BrowserModel::OpenFastfile(const std::string& fileName) {
    CloseAll();
    // File system paths here may use either separator.
    const std::size_t cut = fileName.find_last_of("\\/");
    const std::string directory =
        cut == std::string::npos ? std::string() : fileName.substr(0, cut);
    settings_.SetString(kFastfilePath.section, kFastfilePath.key, directory.c_str());
    archive_ = lib_.FFLOpenArchive(fileName.c_str());
    if (archive_ == nullptr) {
        NoteOpenFailure(fileName, false);
        OpenDefaultDatabaseOnly();
    }
    BuildTree();
}

bool BrowserModel::OpenFromOtherProgram(std::span<const unsigned char> text) {
    if (text.empty()) {
        return false;
    }
    // The sender includes the terminating NUL; nothing after it counts.
    const auto end = std::find(text.begin(), text.end(), static_cast<unsigned char>(0));
    const std::string fileName(text.begin(), end);
    CloseAll();
    archive_ = lib_.FFLOpenArchive(fileName.c_str());
    if (archive_ == nullptr) {
        NoteOpenFailure(fileName, false);
        OpenDefaultDatabaseOnly();
    }
    BuildTree();
    return true;
}

int BrowserModel::Reload(std::string_view focusedRowText) {
    const std::string nodePath = selected_ != nullptr ? selected_->Path() : std::string();
    const std::string rowText(focusedRowText);
    if (database_ != nullptr) {
        CloseAll();
        OpenDefaultDatabaseOnly();
    } else if (archive_ != nullptr) {
        const char* path = lib_.FFLGetPath(archive_);
        const std::string archivePath = path != nullptr ? path : "";
        CloseAll();
        archive_ = lib_.FFLOpenArchive(archivePath.c_str());
    }
    BuildTree();
    FolderNode* node = nodePath.empty() ? nullptr : tree_.Find(nodePath);
    if (node == nullptr) {
        return -1;
    }
    for (FolderNode* level = node; level != nullptr; level = level->Parent()) {
        level->SetExpanded(true);
    }
    SelectNode(node);
    return rowText.empty() ? -1 : FindRow(rowText);
}

std::optional<std::string> BrowserModel::FolderPropertiesText() const {
    FFLARCHIVE* archive = CurrentArchive();
    if (selected_ == nullptr || selected_->HasChildren() || archive == nullptr) {
        return std::nullopt;
    }
    const char* contents = "Items";
    switch (suite::KindOfArchive(archive)) {
        case suite::ItemKind::Image:
            contents = "Images (*.RIM)";
            break;
        case suite::ItemKind::Sound:
            contents = "Sounds (*.WAV)";
            break;
        case suite::ItemKind::Other:
            break;
    }
    const char* archivePath = lib_.FFLGetPath(archive);
    const std::string folder = selected_->Path();
    std::vector<char> text(folder.size() + FFL_MAX_PATH + 96);
    std::snprintf(text.data(), text.size(), "Folder:   '%s'\nFilename: '%s'\nContents: %lu ",
                  folder.c_str(), archivePath != nullptr ? archivePath : "",
                  static_cast<unsigned long>(lib_.FFLGetItemCount(archive)));
    return std::string(text.data()) + contents;
}

ItemPreview BrowserModel::PreviewRow(const ListRow* row) const {
    return PreviewItem(row != nullptr ? row->item : nullptr, ReadInt(settings_, kFixBpp));
}

int BrowserModel::FindRow(std::string_view pathOrName) const {
    const std::string_view name = AfterLastBackslash(pathOrName);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (EqualsIgnoringCase(rows_[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace texbench
