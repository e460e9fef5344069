// Finding the game's Fastfile directory and clearing read-only Fastfiles at start-up.
#include <cstdio>
#include <cstring>
#include <string>

#include "packlib/library_state.h"
#include "packlib/packlib_exports.h"
#include "platform/debug_output.h"
#include "platform/file_attributes.h"
#include "platform/file_search.h"
#include "platform/message_box.h"
#include "platform/registry.h"

namespace packlib {
namespace {

constexpr const char* kGameKey = "Software\\Fox Interactive\\Aliens versus Predator";
constexpr std::size_t kRegistryScratchBytes = 4096;
// Leaves room for a separator, "fastfile" and a separator within MAX_PATH.
constexpr std::size_t kMaxGamePathLength = 248;
constexpr std::size_t kMaxTitleLength = 127;
constexpr std::size_t kMessageBytes = 512;

constexpr const char* kReadOnlyQuestion =
    "One or more of your Fastfiles have the read-only attribute set. This can happen if you "
    "copy files manually from CD-Rom. Because read-only files cannot be modified it is "
    "recommended that you change the file(s) attributes. Do you want %s to do this for you now?";
constexpr const char* kResetFailed =
    "ERROR: Failed to reset file attributes for one or more Fastfile(s).";
constexpr const char* kDefaultTitle = "AvP Fastfile API";

// A registry string, cut where the scratch buffer of the original API would have cut it.
std::string ReadRegistryString(const char* key, const char* value) {
    std::string text =
        qm::RegistryGetString(qm::RegistryRoot::LocalMachine, key, value).value_or("");
    if (text.size() > kRegistryScratchBytes - 1) {
        text.resize(kRegistryScratchBytes - 1);
    }
    // The stored value may carry its terminator; the text ends at the first zero.
    return std::string(text.c_str());
}

bool IsReadOnly(const std::string& path) {
    const std::uint32_t attributes = qm::ReadFileAttributes(path);
    return attributes != qm::kInvalidFileAttributes &&
           (attributes & qm::kFileAttributeReadOnly) != 0;
}

bool AnyFastfileReadOnly(const std::string& directory) {
    for (const std::string& name : qm::FindFiles(directory, "*.ffl")) {
        if (IsReadOnly(directory + name)) {
            return true;
        }
    }
    return false;
}

// Clears the read-only Fastfiles (and the database when it was read-only); false when any
// change failed. Every file is tried even after a failure.
bool ClearReadOnly(const std::string& directory, const std::string& database,
                   bool databaseReadOnly) {
    bool ok = true;
    if (databaseReadOnly && !qm::WriteFileAttributes(database, qm::kFileAttributeArchive)) {
        ok = false;
    }
    for (const std::string& name : qm::FindFiles(directory, "*.ffl")) {
        const std::string path = directory + name;
        if (IsReadOnly(path) && !qm::WriteFileAttributes(path, qm::kFileAttributeArchive)) {
            ok = false;
        }
    }
    return ok;
}

}  // namespace
}  // namespace packlib

extern "C" {

PACKLIB_EXPORT bool FFLAPI GetFastfilePath(char* lpszPath) {
    using namespace packlib;
    if (lpszPath == nullptr) {
        qm::DebugOutput("ERROR: GetFastfilePath() called with invalid parameter!\n");
        qm::DebugOutput(" 'lpszPath' must be a pointer to a string of MAX_PATH length.\n");
        return false;
    }
    std::memset(lpszPath, 0, FFL_MAX_PATH);
    std::string path = ReadRegistryString(kGameKey, "Path");
    if (path.empty() || path.size() > kMaxGamePathLength) {
        return false;
    }
    if (path.back() != '\\' && path.back() != '/') {
        path += qm::kPathSeparator;
    }
    path += "fastfile";
    path += qm::kPathSeparator;
    std::memcpy(lpszPath, path.c_str(), path.size() + 1);
    return true;
}

PACKLIB_EXPORT bool FFLAPI DoReadOnlyCheck(const char* lpszAppName) {
    using namespace packlib;
    const std::string directory = FastfileDirectory();
    if (directory.empty()) {
        qm::DebugOutput(
            "WARNING: DoReadOnlyCheck() failed because the Fastfile path is not initialized\n");
        return true;
    }
    const bool fastfileReadOnly = AnyFastfileReadOnly(directory);
    const std::string database = directory + "ffinfo.txt";
    const bool databaseReadOnly = IsReadOnly(database);
    if (!fastfileReadOnly && !databaseReadOnly) {
        return true;
    }

    std::string title =
        (lpszAppName != nullptr && lpszAppName[0] != '\0') ? lpszAppName : kDefaultTitle;
    if (title.size() > kMaxTitleLength) {
        title.resize(kMaxTitleLength);
    }
    char message[kMessageBytes];
    std::snprintf(message, sizeof(message), kReadOnlyQuestion, title.c_str());

    const qm::MessageBoxResult answer = qm::ShowMessageBox(
        message, title, qm::MessageBoxButtons::YesNoCancel, qm::MessageBoxIcon::Question);
    if (answer == qm::MessageBoxResult::Cancel) {
        return false;
    }
    if (answer != qm::MessageBoxResult::Yes) {
        return true;
    }
    if (!ClearReadOnly(directory, database, databaseReadOnly)) {
        const qm::MessageBoxResult next = qm::ShowMessageBox(
            kResetFailed, title, qm::MessageBoxButtons::OkCancel, qm::MessageBoxIcon::Information);
        return next != qm::MessageBoxResult::Cancel;
    }
    return true;
}

}  // extern "C"
