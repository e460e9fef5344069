#pragma once

#include <string>

#include "platform/export.h"

namespace qm {

// Registers a file type with the Linux desktop: a MIME type description under
// $XDG_DATA_HOME/mime/packages and a .desktop entry under $XDG_DATA_HOME/applications that
// opens files of that type with the program. The desktop's cache tools are run when they
// are installed; without them the files are still in place.
struct DesktopFileType {
    std::string id;           // file name stem of both files, e.g. "quillmark-patchapply"
    std::string mimeType;     // e.g. "application/x-quillmark-fastfile-patch"
    std::string description;  // e.g. "Quillmark Fastfile Patch"
    std::string extension;    // without the dot, e.g. "kdz"
    std::string programName;  // the entry's Name, e.g. "Fastfile Patch Installer"
    std::string programPath;  // full path of the program; the file is passed as its argument
};

// $XDG_DATA_HOME, else ~/.local/share.
QM_PLATFORM_API std::string DesktopDataHome();
QM_PLATFORM_API bool RegisterDesktopFileType(const DesktopFileType& type);
// Removes both files; true when nothing of the registration is left.
QM_PLATFORM_API bool UnregisterDesktopFileType(const DesktopFileType& type);

}  // namespace qm
