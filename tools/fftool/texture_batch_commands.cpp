#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "platform/file_search.h"
#include "suite/item_kind.h"
#include "suite/picture_formats.h"
#include "tools/fftool/extraction_directory.h"
#include "tools/fftool/fftool.h"
#include "tools/fftool/file_arguments.h"
#include "tools/fftool/picture_codec.h"
#include "tools/fftool/texture_batch.h"
#include "tools/fftool/texture_items.h"

namespace fftool {
namespace {

namespace fs = std::filesystem;

constexpr const char* kManifestHeader = "fftool texture manifest 1";

// One picture export-all wrote: its content, and the item it came from.
struct ManifestEntry {
    std::uint64_t hash = 0;
    std::string fastfile;  // absolute path
    std::string itemPath;
    std::string picture;  // below the output folder, "/"-separated
};

template <typename Byte>
std::uint64_t ContentHash(const std::vector<Byte>& bytes) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (Byte c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

bool FitsManifest(const std::string& field) {
    return !field.empty() && field.find_first_of("\t\r\n") == std::string::npos;
}

std::string ManifestText(const std::vector<ManifestEntry>& entries) {
    std::ostringstream out;
    out << kManifestHeader << "\n";
    for (const ManifestEntry& entry : entries) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(entry.hash));
        out << hash << '\t' << entry.fastfile << '\t' << entry.itemPath << '\t' << entry.picture
            << '\n';
    }
    return out.str();
}

std::optional<std::vector<ManifestEntry>> ReadManifest(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line != kManifestHeader) {
        return std::nullopt;
    }
    std::vector<ManifestEntry> entries;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos;
             start = tab + 1) {
            fields.push_back(line.substr(start, tab - start));
        }
        fields.push_back(line.substr(start));
        if (fields.size() != 4 || fields[0].size() != 16) {
            return std::nullopt;
        }
        ManifestEntry entry;
        entry.hash = std::stoull(fields[0], nullptr, 16);
        entry.fastfile = fields[1];
        entry.itemPath = fields[2];
        entry.picture = fields[3];
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Progress on one line of a terminal; nothing when stderr is a file or a pipe.
class ProgressLine {
  public:
    ProgressLine() : terminal_(isatty(fileno(stderr)) != 0) {}
    ~ProgressLine() { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::string& text) {
        if (terminal_) {
            std::fprintf(stderr, "\r\033[K%s", text.substr(0, 150).c_str());
            std::fflush(stderr);
            shown_ = true;
        }
    }
    void Clear() {
        if (shown_) {
            std::fprintf(stderr, "\r\033[K");
            std::fflush(stderr);
            shown_ = false;
        }
    }

  private:
    bool terminal_;
    bool shown_ = false;
};

// The Fastfiles an export-all reads, each with the name PackLib opens it by.
struct FastfileList {
    std::vector<std::string> files;
    std::string error;
};

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (std::size_t i = 0; i < end.size(); ++i) {
        char c = text[text.size() - end.size() + i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != end[i]) {
            return false;
        }
    }
    return true;
}

// A game folder's database: fastfile/ffinfo.txt in any letter case.
std::optional<std::string> DatabaseOfGameFolder(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (EndsWithNoCase(entry.path().filename().string(), "fastfile") &&
            entry.path().filename().string().size() == 8 && entry.is_directory(error)) {
            if (auto found = qm::SearchFile(entry.path().string(), "ffinfo.txt", "")) {
                return found;
            }
        }
    }
    return std::nullopt;
}

FastfileList FastfilesOf(const PACKLIBEXPORT* lib, const std::string& source) {
    FastfileList list;
    std::error_code error;
    std::string database;  // empty: the game's own
    if (source != "game") {
        if (EndsWithNoCase(source, ".ffl")) {
            list.files.push_back(ArchiveFileArgument(source));
            return list;
        }
        if (fs::is_directory(source, error)) {
            const auto found = DatabaseOfGameFolder(source);
            if (!found) {
                list.error = "no fastfile/ffinfo.txt in " + source;
                return list;
            }
            database = *found;
        } else {
            database = source;
        }
    }
    FFLDB* db = lib->FFLOpenDatabase(database.empty() ? nullptr : database.c_str());
    if (db == nullptr) {
        list.error = database.empty() ? "cannot open the game's Fastfile database"
                                      : "cannot open database '" + database + "'";
        return list;
    }
    // A database from a file names the Fastfiles beside it; the game's, those PackLib finds.
    const std::string folder = database.empty() ? "" : fs::path(database).parent_path().string();
    std::set<std::string> seen;
    for (FFLDBITEM* entry = lib->FFLGetFirstDbItem(db); entry != nullptr;
         entry = lib->FFLGetNextDbItem(entry)) {
        const char* file = lib->FFLGetDbItemFile(entry);
        if (file == nullptr || *file == '\0') {
            continue;
        }
        std::string name = file;
        if (!database.empty()) {
            const auto beside = qm::SearchFile(folder.empty() ? "." : folder, file, ".FFL");
            name = beside ? *beside : qm::JoinPath(folder, file);
        }
        if (seen.insert(name).second) {
            list.files.push_back(name);
        }
    }
    lib->FFLCloseDatabase(db);
    return list;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::optional<std::vector<char>> ReadAll(const std::string& path) {
    std::string why;
    return ReadSourceFile(path, &why);
}

class Exporter {
  public:
    Exporter(const PACKLIBEXPORT* lib, const std::string& outdir,
             const suite::PictureFilter& filter)
        : lib_(lib), outdir_(outdir), out_(outdir), filter_(filter) {}

    void ExportFastfile(const std::string& file, std::size_t index, std::size_t count) {
        FFLARCHIVE* archive = lib_->FFLOpenArchive(file.c_str());
        if (archive == nullptr) {
            failures_.push_back(ReadFailureMessage(file, "Fastfile"));
            return;
        }
        const std::string fastfile = AbsolutePath(lib_->FFLGetPath(archive));
        const std::uint32_t items = lib_->FFLGetItemCount(archive);
        std::uint32_t done = 0;
        for (FFLITEM* item = lib_->FFLGetFirstItem(archive); item != nullptr;
             item = lib_->FFLGetNextItem(item), ++done) {
            if (suite::KindOfItem(item) != suite::ItemKind::Image) {
                continue;
            }
            const std::string itemPath = lib_->FFLGetItemPath(item);
            // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on one long chain of
            // string additions in the 32-bit build.
            std::string line = "[";
            line.append(std::to_string(index + 1)).append("/").append(std::to_string(count));
            line.append("] ").append(fs::path(fastfile).filename().string()).append(" ");
            line.append(std::to_string(done + 1)).append("/").append(std::to_string(items));
            line.append(" ").append(itemPath);
            progress_.Show(line);
            ExportItem(fastfile, itemPath, ItemBytes(lib_, item));
        }
        lib_->FFLCloseArchive(archive);
        ++fastfiles_;
    }

    // Writes the manifest and prints the summary; the exit status.
    int Finish() {
        progress_.Clear();
        if (!entries_.empty()) {
            const std::string text = ManifestText(entries_);
            std::string why;
            if (!out_.Write(kTextureManifestName, text.data(), text.size(), &why)) {
                failures_.push_back("cannot write the manifest: " + why);
            }
        }
        std::printf("exported %zu texture(s) from %zu Fastfile(s) to %s\n", entries_.size(),
                    fastfiles_, outdir_.c_str());
        return Summary(failures_, "export");
    }

    static int Summary(const std::vector<std::string>& failures, const char* what) {
        if (failures.empty()) {
            return kExitOk;
        }
        std::fprintf(stderr, "fftool: %zu %s(s) failed:\n", failures.size(), what);
        for (const std::string& failure : failures) {
            std::fprintf(stderr, "  %s\n", failure.c_str());
        }
        return kExitFailure;
    }

  private:
    void ExportItem(const std::string& fastfile, const std::string& itemPath,
                    std::span<const std::uint8_t> bytes) {
        const std::string where = itemPath + " (" + fastfile + ")";
        std::optional<fs::path> relative = SafeRelativePath(itemPath);
        if (!relative || !FitsManifest(itemPath) || !FitsManifest(fastfile)) {
            failures_.push_back(where + ": the item path cannot be a file below " + outdir_);
            return;
        }
        relative->replace_extension(filter_.extension);
        const std::string picture = relative->generic_string();
        if (auto [at, added] = written_.emplace(picture, fastfile); !added) {
            failures_.push_back(where + ": " + at->second + " has an item of the same path");
            return;
        }
        std::string why;
        const std::optional<std::vector<std::uint8_t>> content =
            TextureToPictureBytes(bytes, filter_.format, &why);
        if (!content) {
            failures_.push_back(where + ": " + why);
            return;
        }
        // Not synced one by one: the manifest, written last and synced, vouches for them.
        if (!out_.WriteQuickly(*relative, content->data(), content->size(), &why)) {
            failures_.push_back(where + ": " + why);
            return;
        }
        entries_.push_back({ContentHash(*content), fastfile, itemPath, picture});
    }

    const PACKLIBEXPORT* lib_;
    std::string outdir_;
    ExtractionDirectory out_;
    const suite::PictureFilter& filter_;
    ProgressLine progress_;
    std::vector<ManifestEntry> entries_;
    std::map<std::string, std::string> written_;  // picture -> the Fastfile it came from
    std::vector<std::string> failures_;
    std::size_t fastfiles_ = 0;
};

const suite::PictureFilter* FormatByName(const std::string& name) {
    for (const suite::PictureFilter& filter : suite::ImageFilters()) {
        if (filter.format != suite::PictureFormat::WholeTexture &&
            filter.format != suite::PictureFormat::Dib && name == filter.extension + 1) {
            return &filter;
        }
    }
    return nullptr;
}

}  // namespace

int RunExportAll(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    const bool png = PictureCodecOrNull() != nullptr;
    const suite::PictureFilter* filter =
        &suite::ImageFilterOf(png ? suite::PictureFormat::Png : suite::PictureFormat::Bmp);
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--format" && i + 1 < args.size()) {
            filter = FormatByName(args[++i]);
            if (filter == nullptr || (filter->format == suite::PictureFormat::Png && !png)) {
                return UsageError(std::string("--format takes ") +
                                  (png ? "png, bmp, tga or iff" : "bmp, tga or iff"));
            }
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        return UsageError(
            "texture export-all takes a Fastfile, a database or game folder (or 'game') and an "
            "output folder");
    }
    const FastfileList list = FastfilesOf(lib, positional[0]);
    if (!list.error.empty()) {
        return Failure(list.error);
    }
    Exporter exporter(lib, positional[1], *filter);
    for (std::size_t i = 0; i < list.files.size(); ++i) {
        exporter.ExportFastfile(list.files[i], i, list.files.size());
    }
    return exporter.Finish();
}

int RunImportAll(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return UsageError("texture import-all takes the folder export-all wrote");
    }
    const std::string& outdir = args[1];
    ExtractionDirectory folder(outdir);
    const fs::path manifestPath = folder.PathOf(kTextureManifestName);
    std::optional<std::vector<ManifestEntry>> manifest = ReadManifest(manifestPath);
    if (!manifest) {
        return Failure("no readable " + std::string(kTextureManifestName) + " in " + outdir +
                       " (written by texture export-all)");
    }
    std::vector<std::string> failures;
    // The changed pictures by Fastfile, in the manifest's order, with their new content.
    std::map<std::string, std::vector<std::pair<std::size_t, std::uint64_t>>> changed;
    std::vector<std::string> order;
    std::size_t unchanged = 0;
    for (std::size_t i = 0; i < manifest->size(); ++i) {
        const ManifestEntry& entry = (*manifest)[i];
        const std::string where = entry.picture;
        const std::optional<fs::path> relative = SafeRelativePath(entry.picture);
        if (!relative || !folder.Check(*relative).empty()) {
            failures.push_back(where + ": not a picture below " + outdir);
            continue;
        }
        const std::optional<std::vector<char>> content = ReadAll(folder.PathOf(*relative).string());
        if (!content) {
            failures.push_back(where + ": missing or unreadable; its texture is left as it is");
            continue;
        }
        const std::uint64_t hash = ContentHash(*content);
        if (hash == entry.hash) {
            ++unchanged;
            continue;
        }
        if (changed.find(entry.fastfile) == changed.end()) {
            order.push_back(entry.fastfile);
        }
        changed[entry.fastfile].emplace_back(i, hash);
    }
    std::size_t imported = 0, saved = 0;
    ProgressLine progress;
    for (const std::string& fastfile : order) {
        OpenArchive archive(lib, fastfile);
        if (archive.get() == nullptr) {
            failures.push_back(ReadFailureMessage(fastfile, "Fastfile"));
            continue;
        }
        std::vector<std::pair<std::size_t, std::uint64_t>> stored;
        for (const auto& [index, hash] : changed[fastfile]) {
            const ManifestEntry& entry = (*manifest)[index];
            progress.Show(fs::path(fastfile).filename().string() + " " + entry.itemPath);
            const std::string where = entry.picture + " -> " + entry.itemPath;
            FFLITEM* item = lib->FFLFindItem(archive.get(), entry.itemPath.c_str(), false);
            const suite::PictureFilter* filter = suite::ImageFilterForPath(entry.picture);
            if (item == nullptr || filter == nullptr) {
                failures.push_back(where + ": the Fastfile " + fastfile + " no longer has it");
                continue;
            }
            std::string why;
            const std::optional<TextureBytes> texture =
                TextureFromPictureFile(folder.PathOf(*SafeRelativePath(entry.picture)).string(),
                                       filter->format, ItemBytes(lib, item), false, &why);
            if (!texture) {
                failures.push_back(where + ": " + why);
                continue;
            }
            if (!lib->FFLSetItemData(item, texture->bytes.data(),
                                     static_cast<std::uint32_t>(texture->bytes.size()))) {
                failures.push_back(where + ": cannot store the item");
                continue;
            }
            stored.emplace_back(index, hash);
        }
        if (stored.empty()) {
            continue;
        }
        errno = 0;
        if (!lib->FFLSaveArchive(archive.get(), nullptr)) {
            failures.push_back("cannot write " + fastfile + ": " + WriteFailureReason(errno) +
                               "; its " + std::to_string(stored.size()) +
                               " picture(s) were not put back");
            continue;
        }
        ++saved;
        imported += stored.size();
        for (const auto& [index, hash] : stored) {
            (*manifest)[index].hash = hash;  // the next import-all leaves them alone
        }
    }
    progress.Clear();
    if (imported != 0) {
        const std::string text = ManifestText(*manifest);
        std::string why;
        if (!folder.Write(kTextureManifestName, text.data(), text.size(), &why)) {
            failures.push_back("cannot update the manifest: " + why);
        }
    }
    std::printf("imported %zu changed picture(s) into %zu Fastfile(s); %zu unchanged\n", imported,
                saved, unchanged);
    if (failures.empty()) {
        return kExitOk;
    }
    std::fprintf(stderr, "fftool: %zu import(s) failed:\n", failures.size());
    for (const std::string& failure : failures) {
        std::fprintf(stderr, "  %s\n", failure.c_str());
    }
    return kExitFailure;
}

}  // namespace fftool
