#include "uninstall/unattended_uninstall.h"

#include <cstdio>
#include <string_view>

#include "uninstall/uninstall_engine.h"
#include "uninstall/uninstall_services.h"
#include "uninstall/uninstall_start.h"

namespace qm::uninstall {

namespace {

constexpr std::string_view kSwitches[] = {"--unattended", "/S"};

// Nobody watches the steps and nobody presses Cancel.
class QuietPage : public UninstallPage {
  public:
    bool ConfirmAbort() override { return false; }
};

}  // namespace

bool TakeUnattendedSwitch(std::string& commandLine) {
    for (const std::string_view flag : kSwitches) {
        const std::string leading = std::string(flag) + " ";
        const std::string trailing = " " + std::string(flag);
        if (commandLine == flag) {
            commandLine.clear();
            return true;
        }
        if (commandLine.rfind(leading, 0) == 0) {
            commandLine.erase(0, leading.size());
            return true;
        }
        if (commandLine.size() > trailing.size() &&
            commandLine.compare(commandLine.size() - trailing.size(), trailing.size(), trailing) ==
                0) {
            commandLine.resize(commandLine.size() - trailing.size());
            return true;
        }
    }
    return false;
}

int RunUnattended(const CIniDocument& log, UninstallServices& services) {
    QuietPage page;
    bool ran = false;
    bool restart = false;
    {
        CUninstallEngine engine(log, services, page);
        if (engine.Start()) {
            engine.Wait();
            ran = engine.Outcome() == UninstallOutcome::Succeeded;
            restart = engine.RestartNeeded();
            if (ran) {
                // What the finish page would say of the removal, for the script's log.
                std::printf("%s\n", FinishPageTexts(engine.EverythingRemoved(), restart).result);
            }
        }
    }
    services.SaveScheduled();
    if (!ran) {
        return -1;
    }
    if (restart) {
        services.Restart();
    }
    return 0;
}

}  // namespace qm::uninstall
