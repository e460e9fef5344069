// The parts of an installation that a user interface shows. Questions and error boxes are
// not here: they go through qm::ShowMessageBox like every question in the suite.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace patchapply {

// The patch's five descriptive texts, each at most 256 characters.
struct PatchTexts {
    std::string product;  // title
    std::string version;
    std::string company;  // author
    std::string copyright;
    std::string description;
};

class InstallFrontEnd {
  public:
    virtual ~InstallFrontEnd() = default;
    // Shows the patch's details; true when the user chose Install.
    virtual bool ConfirmPatch(const PatchTexts& texts) = 0;
    // The Open dialog; nothing when the user cancels.
    virtual std::optional<std::string> ChooseFile(const std::string& initialName) = 0;
    virtual void BeginProgress(std::size_t count) = 0;
    virtual void ShowItem(const std::string& itemName) = 0;
    virtual void StepProgress() = 0;
    virtual void EndProgress() = 0;
    // Tells running tools that Fastfiles changed.
    virtual void Broadcast() = 0;
    // The run ends before installing anything, for a reason the user may not have seen (a
    // question nobody could answer). Windows show nothing more; the terminal says so.
    virtual void NothingInstalled(const std::string& /*why*/) {}
};

}  // namespace patchapply
