// PatchLib's process-wide state, the load-time set-up and the binding export.
#include "patchlib/library_state.h"

#include <cstring>

#include "patchlib/patchlib_exports.h"
#include "platform/debug_output.h"
#include "platform/dynamic_library.h"

namespace patchlib {
namespace {

constexpr std::uint32_t kMinBufferKBytes = 4;
constexpr std::uint32_t kMaxBufferKBytes = 65536;

// Set once the loader has run our load-time set-up; PatchLibInit refuses to work without it.
bool g_moduleLoaded = false;
std::uint32_t g_patchBufferBytes = 1024 * 1024;

void AttachProcess() {
    g_moduleLoaded = true;
}

#if !defined(_WIN32)
__attribute__((constructor)) void OnLibraryLoad() {
    AttachProcess();
}
#endif

// Slot names in the order of the PATCHLIBEXPORT record.
constexpr const char* kSlotNames[] = {
    "KDZCreatePatch", "KDZOpenPatch",   "KDZSavePatch",    "KDZClosePatch",    "KDZGetItemCount",
    "KDZGetPath",     "KDZSetPath",     "KDZGetFirstItem", "KDZGetNextItem",   "KDZGetItemName",
    "KDZGetItemPath", "KDZGetItemData", "KDZSetItemName",  "KDZSetItemPath",   "KDZSetItemData",
    "KDZAddItem",     "KDZDeleteItem",  "KDZFindItem",     "KDZGetBufferSize", "KDZSetBufferSize",
};
constexpr std::size_t kSlotCount = sizeof(kSlotNames) / sizeof(kSlotNames[0]);
static_assert(sizeof(PATCHLIBEXPORT) == 2 * sizeof(std::uint32_t) + kSlotCount * sizeof(void*),
              "every slot of PATCHLIBEXPORT has a name");

}  // namespace

std::uint32_t PatchBufferBytes() {
    return g_patchBufferBytes;
}

// Function-local sets, so that they exist before any other load-time code could use them.
qm::LiveHandles<KDZPATCH>& LivePatches() {
    static qm::LiveHandles<KDZPATCH> handles;
    return handles;
}
qm::HandleValues<KDZPATCH, qm::FileIdentity>& PatchFileStates() {
    static qm::HandleValues<KDZPATCH, qm::FileIdentity> states;
    return states;
}

qm::LiveHandles<KDZITEM>& LiveItems() {
    static qm::LiveHandles<KDZITEM> handles;
    return handles;
}

}  // namespace patchlib

#if defined(_WIN32)
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        patchlib::AttachProcess();
    }
    return TRUE;
}
#endif

extern "C" {

PATCHLIB_EXPORT bool KDZAPI PatchLibInit(PATCHLIBEXPORT* lpExport) {
    using namespace patchlib;
    if (!g_moduleLoaded) {
        qm::DebugOutput("ERROR: PatchLib.dll has not been loaded properly.\n");
        qm::DebugOutput("(there's no valid HINSTANCE in here)\n");
        return false;
    }
    if (lpExport == nullptr || lpExport->dwSize != sizeof(PATCHLIBEXPORT)) {
        qm::DebugOutput("ERROR: Invalid parameter in PatchLib.dll: PatchLibInit(...)\n");
        qm::DebugOutput("please pass a valid pointer to a an existing PATCHLIBEXPORT structure\n");
        qm::DebugOutput("which has been properly initialized. (dwSize = sizeof(PATCHLIBEXPORT))\n");
        return false;
    }
    lpExport->dwVersion = PATCHLIB_VERSION;
    // The slots follow dwSize and dwVersion as an array of function pointers.
    auto* slots =
        reinterpret_cast<void**>(reinterpret_cast<char*>(lpExport) + 2 * sizeof(std::uint32_t));
    bool complete = true;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        void* address =
            qm::FindExportInOwnModule(reinterpret_cast<const void*>(&PatchLibInit), kSlotNames[i]);
        std::memcpy(&slots[i], &address, sizeof(address));
        complete = complete && address != nullptr;
    }
    if (!complete) {
        qm::DebugOutput("ERROR: Initialization failure in PatchLib.dll: PatchLibInit(...)\n");
        qm::DebugOutput(
            "  GetProcAddress(...) returned NULL for one or more exported functions:\n  ");
        qm::DebugOutput(qm::LastSystemErrorText().c_str());
        return false;
    }
    return true;
}

PATCHLIB_EXPORT uint32_t KDZAPI KDZGetBufferSize(void) {
    return patchlib::g_patchBufferBytes / 1024;
}

PATCHLIB_EXPORT bool KDZAPI KDZSetBufferSize(uint32_t dwKBytes) {
    if (dwKBytes < patchlib::kMinBufferKBytes || dwKBytes > patchlib::kMaxBufferKBytes) {
        return false;
    }
    patchlib::g_patchBufferBytes = dwKBytes * 1024;
    return true;
}

}  // extern "C"
