#include "tools/fftool/extraction_directory.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#define O_BINARY_FLAG O_BINARY
#else
#include <unistd.h>
#define O_BINARY_FLAG 0
#endif

#include "platform/atomic_file.h"
#include "tools/fftool/file_arguments.h"

namespace fftool {

namespace fs = std::filesystem;

std::optional<fs::path> SafeRelativePath(const std::string& itemPath) {
    fs::path relative;
    std::string component;
    auto take = [&]() {
        if (component.empty() || component == "." || component == ".." ||
            component.find(':') != std::string::npos) {
            return false;
        }
        relative /= component;
        component.clear();
        return true;
    };
    for (char c : itemPath) {
        if (c == '\\' || c == '/') {
            if (!take()) {
                return std::nullopt;
            }
        } else {
            component += c;
        }
    }
    if (!take()) {
        return std::nullopt;
    }
    return relative;
}

std::string ExtractionDirectory::Check(const fs::path& relative) const {
    fs::path current = root_;
    const auto last = std::prev(relative.end());
    for (auto part = relative.begin(); part != relative.end(); ++part) {
        current /= *part;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(current, error);
        if (status.type() == fs::file_type::not_found) {
            return "";  // nothing below it exists yet: it is all made new
        }
        if (error) {
            return "cannot look at " + current.string() + ": " + error.message();
        }
        if (fs::is_symlink(status)) {
            return current.string() + " is a symbolic link; extract never writes through one";
        }
        if (part != last && !fs::is_directory(status)) {
            return current.string() + " is not a directory";
        }
        if (part == last && fs::is_directory(status)) {
            return current.string() + " is a directory";
        }
    }
    return "";
}

bool ExtractionDirectory::MakeFolder(const fs::path& folder, std::string* why) {
    std::error_code error;
    if (fs::create_directory(folder, error)) {
        created_.push_back(folder);
        return true;
    }
    if (error || !fs::is_directory(fs::symlink_status(folder, error))) {
        *why =
            "cannot create the folder " + folder.string() + (error ? ": " + error.message() : "");
        return false;
    }
    return true;
}

bool ExtractionDirectory::Prepare(const fs::path& relative, std::string* why) {
    // The root itself is the user's choice and may be a link; only what lies below is checked.
    std::error_code error;
    if (!fs::exists(root_, error)) {
        fs::path partial;
        for (const fs::path& part : root_) {
            partial /= part;
            if (!fs::exists(partial, error) && !MakeFolder(partial, why)) {
                return false;
            }
        }
    }
    if (std::string refused = Check(relative); !refused.empty()) {
        *why = refused;
        return false;
    }
    fs::path folder = root_;
    for (auto part = relative.begin(); part != std::prev(relative.end()); ++part) {
        folder /= *part;
        if (!MakeFolder(folder, why)) {
            return false;
        }
    }
    return true;
}

bool ExtractionDirectory::Write(const fs::path& relative, const void* data, std::size_t size,
                                std::string* why) {
    if (!Prepare(relative, why)) {
        return false;
    }
    const fs::path target = root_ / relative;
    std::error_code error;
    const bool existed = fs::exists(fs::symlink_status(target, error));
    qm::AtomicFile file(target.string());
    const bool written = file.Open() &&
                         (size == 0 || std::fwrite(data, 1, size, file.Stream()) == size) &&
                         file.Commit();
    if (!written) {
        const int cause = file.Error() != 0 ? file.Error() : errno;
        *why = "cannot write " + target.string() + ": " + WriteFailureReason(cause);
        return false;
    }
    if (!existed) {
        created_.push_back(target);
    }
    return true;
}

bool ExtractionDirectory::WriteQuickly(const fs::path& relative, const void* data, std::size_t size,
                                       std::string* why) {
    if (!Prepare(relative, why)) {
        return false;
    }
    const fs::path target = root_ / relative;
    fs::path part = target;
    part += ".fftool-part";
    std::error_code error;
    fs::remove(part, error);  // a link left there is removed, never followed
    // O_EXCL: made new here, so nothing placed under that name redirects the write.
    const int fd = open(part.string().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY_FLAG, 0644);
    std::FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        const int cause = errno;
        if (fd >= 0) {
            close(fd);
        }
        *why = "cannot write " + target.string() + ": " + WriteFailureReason(cause);
        return false;
    }
    const bool existed = fs::exists(fs::symlink_status(target, error));
    const bool written = (size == 0 || std::fwrite(data, 1, size, file) == size);
    const int cause = errno;
    if (std::fclose(file) != 0 || !written) {
        fs::remove(part, error);
        *why = "cannot write " + target.string() + ": " + WriteFailureReason(cause);
        return false;
    }
    fs::rename(part, target, error);
    if (error) {
        fs::remove(part, error);
        *why = "cannot write " + target.string() + ": " + error.message();
        return false;
    }
    if (!existed) {
        created_.push_back(target);
    }
    return true;
}

void ExtractionDirectory::RemoveCreated() {
    for (auto made = created_.rbegin(); made != created_.rend(); ++made) {
        std::error_code error;
        fs::remove(*made, error);  // a folder that still holds the user's files stays
    }
    created_.clear();
}

}  // namespace fftool
