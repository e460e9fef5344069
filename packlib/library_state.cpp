// PackLib's process-wide state, the load-time set-up and the binding export.
#include "packlib/library_state.h"

#include <cstring>
#include <string>

#include "packlib/packlib_exports.h"
#include "platform/debug_output.h"
#include "platform/dynamic_library.h"

namespace packlib {
namespace {

constexpr std::uint32_t kMinBufferKBytes = 4;
constexpr std::uint32_t kMaxBufferKBytes = 65536;

// Set once the loader has run our load-time set-up; PackLibInit refuses to work without it,
// since the Fastfile directory would not have been computed.
bool g_moduleLoaded = false;
char g_fastfileDirectory[FFL_MAX_PATH] = {};

std::uint32_t g_archiveBufferBytes = 1024 * 1024;
std::uint32_t g_parseBufferBytes = 16 * 1024;
std::uint32_t g_databaseBufferBytes = 16 * 1024;

bool SetBufferKBytes(std::uint32_t& bytes, std::uint32_t kBytes) {
    if (kBytes < kMinBufferKBytes || kBytes > kMaxBufferKBytes) {
        return false;
    }
    bytes = kBytes * 1024;
    return true;
}

void AttachProcess() {
    g_moduleLoaded = true;
    if (!GetFastfilePath(g_fastfileDirectory)) {
        qm::DebugOutput("WARNING: PackLib.dll failed to initialize 'FastFile' Path!\n");
    }
}

#if !defined(_WIN32)
__attribute__((constructor)) void OnLibraryLoad() {
    AttachProcess();
}
#endif

// Slot names in the order of the PACKLIBEXPORT record.
constexpr const char* kSlotNames[] = {
    "GetFastfilePath",    "DoReadOnlyCheck",   "FFLCreateDatabase", "FFLOpenDatabase",
    "FFLSaveDatabase",    "FFLCloseDatabase",  "FFLGetDbItemCount", "FFLGetDbPath",
    "FFLSetDbPath",       "FFLGetFirstDbItem", "FFLGetNextDbItem",  "FFLGetDbItemPath",
    "FFLGetDbItemFile",   "FFLSetDbItemPath",  "FFLSetDbItemFile",  "FFLAddDbItem",
    "FFLDeleteDbItem",    "FFLFindDbItem",     "FFLCreateArchive",  "FFLOpenArchive",
    "FFLParseArchive",    "FFLSaveArchive",    "FFLCloseArchive",   "FFLGetItemCount",
    "FFLGetPath",         "FFLSetPath",        "FFLGetFirstItem",   "FFLGetNextItem",
    "FFLGetItemPath",     "FFLGetItemData",    "FFLSetItemPath",    "FFLSetItemData",
    "FFLAddItem",         "FFLDeleteItem",     "FFLFindItem",       "FFLGetBufferSize",
    "FFLSetBufferSize",   "FFLGetPBufferSize", "FFLSetPBufferSize", "FFLGetDbBufferSize",
    "FFLSetDbBufferSize",
};
constexpr std::size_t kSlotCount = sizeof(kSlotNames) / sizeof(kSlotNames[0]);
static_assert(sizeof(PACKLIBEXPORT) == 2 * sizeof(std::uint32_t) + kSlotCount * sizeof(void*),
              "every slot of PACKLIBEXPORT has a name");

}  // namespace

const char* FastfileDirectory() {
    return g_fastfileDirectory;
}
std::uint32_t ArchiveBufferBytes() {
    return g_archiveBufferBytes;
}
std::uint32_t ParseBufferBytes() {
    return g_parseBufferBytes;
}
std::uint32_t DatabaseBufferBytes() {
    return g_databaseBufferBytes;
}

// Function-local sets, so that they exist before any other load-time code could use them.
qm::LiveHandles<FFLARCHIVE>& LiveArchives() {
    static qm::LiveHandles<FFLARCHIVE> handles;
    return handles;
}
qm::LiveHandles<FFLITEM>& LiveArchiveItems() {
    static qm::LiveHandles<FFLITEM> handles;
    return handles;
}
qm::LiveHandles<FFLITEM>& SoundArchiveItems() {
    static qm::LiveHandles<FFLITEM> handles;
    return handles;
}
qm::LiveHandles<FFLDB>& LiveDatabases() {
    static qm::LiveHandles<FFLDB> handles;
    return handles;
}
qm::HandleValues<FFLARCHIVE, qm::FileIdentity>& ArchiveFileStates() {
    static qm::HandleValues<FFLARCHIVE, qm::FileIdentity> states;
    return states;
}

qm::HandleValues<FFLDB, qm::FileIdentity>& DatabaseFileStates() {
    static qm::HandleValues<FFLDB, qm::FileIdentity> states;
    return states;
}

qm::LiveHandles<FFLDBITEM>& LiveDatabaseItems() {
    static qm::LiveHandles<FFLDBITEM> handles;
    return handles;
}

}  // namespace packlib

#if defined(_WIN32)
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        packlib::AttachProcess();
    }
    return TRUE;
}
#endif

extern "C" {

PACKLIB_EXPORT bool FFLAPI PackLibInit(PACKLIBEXPORT* lpExport) {
    using namespace packlib;
    if (!g_moduleLoaded) {
        qm::DebugOutput("ERROR: PackLib.dll has not been loaded properly.\n");
        qm::DebugOutput("(there's no valid HINSTANCE in here)\n");
        return false;
    }
    if (lpExport == nullptr || lpExport->dwSize != sizeof(PACKLIBEXPORT)) {
        qm::DebugOutput("ERROR: Invalid parameter in PackLib.dll: PackLibInit(...)\n");
        qm::DebugOutput("please pass a valid pointer to a an existing PACKLIBEXPORT structure\n");
        qm::DebugOutput("which has been properly initialized. (dwSize = sizeof(PACKLIBEXPORT))\n");
        return false;
    }
    lpExport->dwVersion = PACKLIB_VERSION;
    // The slots follow dwSize and dwVersion as an array of function pointers.
    auto* slots =
        reinterpret_cast<void**>(reinterpret_cast<char*>(lpExport) + 2 * sizeof(std::uint32_t));
    bool complete = true;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        void* address =
            qm::FindExportInOwnModule(reinterpret_cast<const void*>(&PackLibInit), kSlotNames[i]);
        std::memcpy(&slots[i], &address, sizeof(address));
        complete = complete && address != nullptr;
    }
    if (!complete) {
        qm::DebugOutput("ERROR: Initialization failure in PackLib.dll: PackLibInit(...)\n");
        qm::DebugOutput(
            "  GetProcAddress(...) returned NULL for one or more exported functions:\n  ");
        qm::DebugOutput(qm::LastSystemErrorText().c_str());
        return false;
    }
    return true;
}

PACKLIB_EXPORT uint32_t FFLAPI FFLGetBufferSize(void) {
    return packlib::g_archiveBufferBytes / 1024;
}
PACKLIB_EXPORT bool FFLAPI FFLSetBufferSize(uint32_t dwKBytes) {
    return packlib::SetBufferKBytes(packlib::g_archiveBufferBytes, dwKBytes);
}
PACKLIB_EXPORT uint32_t FFLAPI FFLGetPBufferSize(void) {
    return packlib::g_parseBufferBytes / 1024;
}
PACKLIB_EXPORT bool FFLAPI FFLSetPBufferSize(uint32_t dwKBytes) {
    return packlib::SetBufferKBytes(packlib::g_parseBufferBytes, dwKBytes);
}
PACKLIB_EXPORT uint32_t FFLAPI FFLGetDbBufferSize(void) {
    return packlib::g_databaseBufferBytes / 1024;
}
PACKLIB_EXPORT bool FFLAPI FFLSetDbBufferSize(uint32_t dwKBytes) {
    return packlib::SetBufferKBytes(packlib::g_databaseBufferBytes, dwKBytes);
}

}  // extern "C"
