#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "setup/flow/extension_library.h"
#include "setup/flow/page_table.h"
#include "setup/install_engine.h"

namespace qm::setup {

class CSetupConfig;
class SetupServices;
class SetupSystem;

// One optional component of [Components].
struct SetupComponent {
    int number;  // its "%.3X" number
    std::string name;
    std::string description;
    bool install;
};

// One option of the finish page: the text of its box and what ticking it opens.
struct FinishOption {
    int number;
    std::string text;
};

// A document the licence or read-me page shows.
struct PageDocument {
    bool richText = false;  // begins with "{\rtf1\"
    std::string text;
};

// What the group page starts from.
struct GroupPageState {
    std::string startMenu;  // "Start Menu folder": the Programs folder
    bool newGroup = false;  // " Create a new Program Group " (only with DefGroup)
    std::string groupName;  // DefGroup as written
    bool desktopShown = false;
};

// Everything the wizard's pages decide, without a user interface: the page table, what each
// page shows, and what leaving it forward checks and changes. Messages go through the
// message-box service; the Qt pages and the unattended run share this.
class CSetupSession {
  public:
    CSetupSession(CSetupConfig& config, SetupServices& services, SetupSystem& system);
    ~CSetupSession();
    CSetupSession(const CSetupSession&) = delete;
    CSetupSession& operator=(const CSetupSession&) = delete;

    CSetupConfig& Config() { return config_; }
    SetupServices& Services() { return services_; }
    SetupSystem& System() { return system_; }
    CInstallEngine& Engine() { return *engine_; }
    // The "Installing..." page the engine talks to; null gives the unattended answers
    // (keep the installed file, never abort).
    void SetInstallPage(InstallPage* page);

    void SetExtension(std::unique_ptr<CExtensionLibrary> extension);
    CExtensionLibrary* Extension() { return extension_.get(); }
    void UnloadExtension() { extension_.reset(); }

    void BuildPages();
    const std::vector<PageEntry>& Pages() const { return pages_; }
    unsigned Mask() const { return mask_; }
    bool HasPage(PageKind kind) const;

    // Welcome page: resource 113 with the product's fields, or empty with "OldStyle".
    std::string WelcomeRichText() const;
    // Licence and read-me pages.
    static PageDocument ReadDocument(const std::string& path);

    std::vector<SetupComponent> Components() const;
    // Leaving the components page forward: each "I%.3X" = 1 or 0.
    void StoreComponents(const std::vector<SetupComponent>& components);

    std::optional<std::uint64_t> FreeSpaceOf(const std::string& directory);
    std::string RequiredSpaceText() const;
    // Leaving the destination page forward; false keeps the page (the message was shown).
    bool LeaveDestination(const std::string& text);

    GroupPageState GroupDefaults() const;
    bool LeaveGroup(const std::string& startMenu, bool newGroup, const std::string& name,
                    bool desktop);

    bool UninstallAvailable() const;
    bool LeaveUninstall(bool save, const std::string& text);

    bool RebootRequested() const;
    // At most the first three entries that have both a text and a file.
    std::vector<FinishOption> FinishOptions() const;
    // Opens each ticked option's file with its arguments and working directory.
    void OpenFinishOptions(const std::vector<int>& tickedNumbers);

  private:
    class PageRelay;

    CSetupConfig& config_;
    SetupServices& services_;
    SetupSystem& system_;
    std::unique_ptr<PageRelay> relay_;
    std::unique_ptr<CInstallEngine> engine_;
    std::unique_ptr<CExtensionLibrary> extension_;
    std::vector<PageEntry> pages_;
    unsigned mask_ = 0;
};

// "1,234.5 KB": thousands of bytes with a comma every three digits, then the hundreds digit.
std::string FormatKilobytes(std::uint64_t bytes);

}  // namespace qm::setup
