#pragma once

#include <vector>

namespace qm::setup {

class CSetupConfig;

enum class PageKind {
    Splash,
    Welcome,
    Licence,
    Readme,
    Components,
    Destination,
    Group,
    Uninstall,
    Summary,
    Installing,
    Finish
};

struct PageEntry {
    PageKind kind;
    unsigned bit;  // the page's bit in the page mask
    int dialog;    // its dialog number
    const char* title;
};

// The wizard's pages in their fixed order, with the ones Setup.ini removes left out.
std::vector<PageEntry> BuildPageTable(const CSetupConfig& config);
unsigned PageMask(const std::vector<PageEntry>& pages);
// The whole table, for the titles of pages that are not included.
const std::vector<PageEntry>& AllPages();
const PageEntry& PageOf(PageKind kind);

}  // namespace qm::setup
