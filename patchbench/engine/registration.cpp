#include "patchbench/engine/registration.h"

#include "patchbench/engine/editor_texts.h"
#include "suite/program_registration.h"

namespace patchbench {
namespace {

// The editor's entries: the "open" verb of ".kdz" files, made the class's default, and its
// own key. The installer adds its "install" verb to the same class; on the Linux desktop both
// handle the installer's MIME type.
constexpr suite::ProgramRegistration kEditorRegistration{
    kProgramKey,
    kProgramTitle,
    kProgramVersion,
    {".kdz", kPatchFileClass, "Quillmark Fastfile Patch", "open", "&Open", true,
     "quillmark-patchbench", "application/x-quillmark-fastfile-patch"},
};

}  // namespace

bool RegisterEditor(const std::string& programPath, bool refreshDesktop) {
    return suite::RegisterProgram(kEditorRegistration, programPath, refreshDesktop);
}

bool UnregisterEditor() {
    return suite::UnregisterProgram(kEditorRegistration);
}

}  // namespace patchbench
