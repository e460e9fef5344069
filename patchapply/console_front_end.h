// Runs an installation in a terminal when there is no display: the progress as one text
// line, the patch's details printed, and questions asked on the console.
#pragma once

#include "patchapply/install_front_end.h"

namespace patchapply {

class ConsoleFrontEnd : public InstallFrontEnd {
  public:
    bool ConfirmPatch(const PatchTexts& texts) override;
    std::optional<std::string> ChooseFile(const std::string& initialName) override;
    void BeginProgress(std::size_t count) override;
    void ShowItem(const std::string& itemName) override;
    void StepProgress() override;
    void EndProgress() override;
    void Broadcast() override;
    void NothingInstalled(const std::string& why) override;

  private:
    void PrintLine();

    std::size_t count_ = 0;
    std::size_t done_ = 0;
    std::string item_;
};

}  // namespace patchapply
