#include "suite/install_record.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/ascii.h"
#include "platform/atomic_file.h"

namespace suite {
namespace {

constexpr const char* kListHeader = "quillmark install record 1";

int64_t NowStamp() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::tm UtcTime(int64_t stamp) {
    const std::time_t seconds = static_cast<std::time_t>(stamp / 1000000000);
    std::tm parts{};
#if defined(_WIN32)
    gmtime_s(&parts, &seconds);
#else
    gmtime_r(&seconds, &parts);
#endif
    return parts;
}

std::string FormatTime(int64_t stamp, const char* format) {
    const std::tm parts = UtcTime(stamp);
    char text[64];
    std::strftime(text, sizeof(text), format, &parts);
    return text;
}

// A text kept on one line of the list: control characters would break its lines and fields.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return line;
}

std::string KeyOf(const std::string& fastfile, const std::string& path) {
    std::string key = fastfile + '\n' + path;
    for (char& c : key) {
        c = qm::LowerAscii(c);
    }
    return key;
}

std::string ErrorText(const std::string& what) {
    return what + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::optional<RecordedTarget> ParseTarget(const std::vector<std::string>& fields) {
    if (fields.size() != 5 || (fields[0] != "replaced" && fields[0] != "added") ||
        fields[1].empty() || fields[4].empty()) {
        return std::nullopt;
    }
    RecordedTarget target;
    target.added = fields[0] == "added";
    target.fastfile = fields[1];
    char* end = nullptr;
    const unsigned long long size = std::strtoull(fields[2].c_str(), &end, 10);
    if (fields[2].empty() || *end != '\0' || size > UINT32_MAX) {
        return std::nullopt;
    }
    target.installedSize = static_cast<uint32_t>(size);
    target.installedHash = std::strtoull(fields[3].c_str(), &end, 16);
    if (fields[3].empty() || *end != '\0') {
        return std::nullopt;
    }
    target.path = fields[4];
    return target;
}

}  // namespace

uint64_t HashBytes(std::span<const unsigned char> bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;  // 64-bit FNV-1a
    for (unsigned char byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3ull;
    }
    return hash;
}

std::string InstallRecordsFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data != nullptr && data[0] != '\0') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share";
    }
    return (base / "quillmark" / "installed").string();
}

std::string RecordFolderName(const std::string& title, int64_t stamp) {
    std::string name;
    for (char c : title) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        name += plain ? c : '_';
        if (name.size() == 48) {
            break;
        }
    }
    if (name.find_first_not_of('_') == std::string::npos) {
        name = "patch";
    }
    return name + '-' + FormatTime(stamp, "%Y%m%d-%H%M%S");
}

InstallRecordWriter::InstallRecordWriter(std::string title)
    : title_(std::move(title)), stamp_(NowStamp()) {}

InstallRecordWriter::Target* InstallRecordWriter::Find(const std::string& fastfile,
                                                       const std::string& path) {
    const std::string key = KeyOf(fastfile, path);
    for (Target& target : targets_) {
        if (KeyOf(target.recorded.fastfile, target.recorded.path) == key) {
            return &target;
        }
    }
    return nullptr;
}

// A target written twice keeps the bytes it held first and the bytes it got last.
void InstallRecordWriter::Replacing(const std::string& fastfile, const std::string& path,
                                    std::span<const unsigned char> old,
                                    std::span<const unsigned char> installed) {
    Target* target = Find(fastfile, path);
    if (target == nullptr) {
        targets_.push_back({RecordedTarget{false, fastfile, path, 0, 0},
                            std::vector<unsigned char>(old.begin(), old.end())});
        target = &targets_.back();
    }
    target->recorded.installedSize = static_cast<uint32_t>(installed.size());
    target->recorded.installedHash = HashBytes(installed);
}

void InstallRecordWriter::Adding(const std::string& fastfile, const std::string& path,
                                 std::span<const unsigned char> installed) {
    Target* target = Find(fastfile, path);
    if (target == nullptr) {
        targets_.push_back({RecordedTarget{true, fastfile, path, 0, 0}, {}});
        target = &targets_.back();
    }
    target->recorded.installedSize = static_cast<uint32_t>(installed.size());
    target->recorded.installedHash = HashBytes(installed);
}

bool InstallRecordWriter::WritePatch(const PATCHLIBEXPORT& patchLib, const std::string& file,
                                     std::string* error) const {
    if (patchLib.KDZCreatePatch == nullptr || patchLib.KDZAddItem == nullptr ||
        patchLib.KDZSavePatch == nullptr || patchLib.KDZClosePatch == nullptr) {
        *error = "PatchLib cannot write patches";
        return false;
    }
    auto close = [&](KDZPATCH* patch) { patchLib.KDZClosePatch(patch); };
    std::unique_ptr<KDZPATCH, decltype(close)> patch(patchLib.KDZCreatePatch(nullptr), close);
    if (!patch) {
        *error = "PatchLib could not create a patch";
        return false;
    }
    std::strncpy(patch->szTitle, title_.c_str(), KDZ_MAX_TEXT - 1);
    for (const Target& target : targets_) {
        if (target.recorded.added) {
            continue;
        }
        if (patchLib.KDZAddItem(patch.get(), target.recorded.path.c_str(), target.old.data(),
                                static_cast<uint32_t>(target.old.size())) == nullptr) {
            *error = "PatchLib could not keep the old bytes of \"" + target.recorded.path + "\"";
            return false;
        }
    }
    errno = 0;
    if (!patchLib.KDZSavePatch(patch.get(), file.c_str())) {
        *error = ErrorText("could not save \"" + file + "\"");
        return false;
    }
    return true;
}

bool InstallRecordWriter::WriteList(const std::string& file, std::string* error) const {
    std::ostringstream text;
    text << kListHeader << '\n'
         << "title\t" << OneLine(title_) << '\n'
         << "time\t" << FormatTime(stamp_, "%Y-%m-%d %H:%M:%S UTC") << '\n'
         << "stamp\t" << stamp_ << '\n';
    for (const Target& target : targets_) {
        const RecordedTarget& r = target.recorded;
        text << (r.added ? "added" : "replaced") << '\t' << OneLine(r.fastfile) << '\t'
             << r.installedSize << '\t' << std::hex << r.installedHash << std::dec << '\t'
             << OneLine(r.path) << '\n';
    }
    const std::string bytes = text.str();
    qm::AtomicFile out(file);
    errno = 0;
    if (!out.Open() || std::fwrite(bytes.data(), 1, bytes.size(), out.Stream()) != bytes.size() ||
        !out.Commit()) {
        *error = ErrorText("could not save \"" + file + "\"");
        return false;
    }
    return true;
}

std::optional<std::string> InstallRecordWriter::Write(const PATCHLIBEXPORT& patchLib,
                                                      std::string* error) const {
    namespace fs = std::filesystem;
    const fs::path records = InstallRecordsFolder();
    std::error_code failure;
    fs::create_directories(records, failure);
    if (failure) {
        *error = "could not make \"" + records.string() + "\": " + failure.message();
        return std::nullopt;
    }
    const std::string name = RecordFolderName(title_, stamp_);
    const fs::path hidden = records / ("." + name + ".partial-" + std::to_string(stamp_));
    fs::remove_all(hidden, failure);
    if (!fs::create_directory(hidden, failure)) {
        *error = "could not make \"" + hidden.string() + "\": " + failure.message();
        return std::nullopt;
    }
    if (!WritePatch(patchLib, (hidden / kRecordPatchFile).string(), error) ||
        !WriteList((hidden / kRecordListFile).string(), error)) {
        fs::remove_all(hidden, failure);
        return std::nullopt;
    }
    // Two installations of one patch in the same second get folders of their own.
    for (int copy = 1; copy < 1000; ++copy) {
        const fs::path folder = records / (copy == 1 ? name : name + "-" + std::to_string(copy));
        if (fs::exists(folder, failure)) {
            continue;
        }
        fs::rename(hidden, folder, failure);
        if (!failure) {
            return folder.string();
        }
    }
    *error = "could not move the record into \"" + records.string() + "\"";
    fs::remove_all(hidden, failure);
    return std::nullopt;
}

std::optional<InstallRecord> ReadInstallRecord(const std::string& folder) {
    std::ifstream in(std::filesystem::path(folder) / kRecordListFile, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line != kListHeader) {
        return std::nullopt;
    }
    InstallRecord record;
    record.folder = folder;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() == 2 && fields[0] == "title") {
            record.title = fields[1];
        } else if (fields.size() == 2 && fields[0] == "time") {
            record.time = fields[1];
        } else if (fields.size() == 2 && fields[0] == "stamp") {
            record.stamp = std::strtoll(fields[1].c_str(), nullptr, 10);
        } else if (auto target = ParseTarget(fields)) {
            record.targets.push_back(*target);
        } else {
            return std::nullopt;  // a damaged list: restoring part of it would mislead
        }
    }
    return record;
}

std::vector<InstallRecord> ListInstallRecords() {
    std::vector<InstallRecord> records;
    std::error_code failure;
    for (const auto& entry : std::filesystem::directory_iterator(InstallRecordsFolder(), failure)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !entry.is_directory(failure)) {
            continue;  // hidden folders are records still being written, or abandoned
        }
        if (auto record = ReadInstallRecord(entry.path().string())) {
            records.push_back(std::move(*record));
        }
    }
    std::sort(records.begin(), records.end(), [](const InstallRecord& a, const InstallRecord& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.folder > b.folder;
    });
    return records;
}

}  // namespace suite
