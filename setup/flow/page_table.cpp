#include "setup/flow/page_table.h"

#include "setup/setup_config.h"

namespace qm::setup {

const std::vector<PageEntry>& AllPages() {
    static const std::vector<PageEntry> kPages = {
        {PageKind::Splash, 0x1, 119, ""},
        {PageKind::Welcome, 0x2, 102, "Welcome to Setup"},
        {PageKind::Licence, 0x4, 103, "Do you agree to these terms?"},
        {PageKind::Readme, 0x8, 104, "Software Information"},
        {PageKind::Components, 0x20, 121, "Program components"},
        {PageKind::Destination, 0x40, 105, "Destination Directory"},
        {PageKind::Group, 0x80, 106, "Program Group"},
        {PageKind::Uninstall, 0x100, 111, "Uninstall Directory"},
        {PageKind::Summary, 0x200, 112, "Ready for Installation"},
        {PageKind::Installing, 0x400, 107, "Installing..."},
        {PageKind::Finish, 0x800, 109, "Installation finished"},
    };
    return kPages;
}

const PageEntry& PageOf(PageKind kind) {
    return AllPages()[static_cast<std::size_t>(kind)];
}

namespace {

bool Included(const CSetupConfig& config, PageKind kind) {
    const auto off = [&config](const char* key) { return config.GetInt("Version", key) != 0; };
    switch (kind) {
        case PageKind::Splash:
            return !config.SplashFile().empty();
        case PageKind::Welcome:
            return !off("NoWelcome");
        case PageKind::Licence:
            return !config.EulaFile().empty();
        case PageKind::Readme:
            return !config.ReadmeFile().empty();
        case PageKind::Components:
            return config.Count("Components") != 0;
        case PageKind::Destination:
            return !off("NoAskDir");
        case PageKind::Group:
            return !off("NoAskGroup");
        case PageKind::Uninstall:
            return !off("NoAskUninst");
        case PageKind::Summary:
            return !off("NoSummary");
        case PageKind::Installing:
            return true;
        case PageKind::Finish:
            return !off("NoFinish");
    }
    return false;
}

}  // namespace

std::vector<PageEntry> BuildPageTable(const CSetupConfig& config) {
    std::vector<PageEntry> pages;
    for (const PageEntry& page : AllPages()) {
        if (Included(config, page.kind)) {
            pages.push_back(page);
        }
    }
    return pages;
}

unsigned PageMask(const std::vector<PageEntry>& pages) {
    unsigned mask = 0;
    for (const PageEntry& page : pages) {
        mask |= page.bit;
    }
    return mask;
}

}  // namespace qm::setup
