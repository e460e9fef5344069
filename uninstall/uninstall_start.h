#pragma once

#include <optional>
#include <string>
#include <vector>

#include "inidoc/ini_document.h"

// Uninstall from its command line to the wizard, and the order of the wizard's pages.
namespace qm::uninstall {

// Reads the log the command line names (the whole command line is its path; surrounding
// blanks and one pair of quotes are dropped) into `log`. Nothing when the wizard may run;
// otherwise the message has been shown and the value is the program's result: 0 for an empty
// command line, -1 for a log that is missing, unreadable or not an uninstall log.
std::optional<int> LoadLog(const std::string& commandLine, CIniDocument& log);

// The registered "UninstallString" is the uninstaller's path, a blank and the log's path, both
// unquoted and either with blanks of its own. As the system does with such a command, the
// program is the shortest part before a blank that names an existing program file; the rest
// is the log. Nothing when no part does.
struct UninstallCommand {
    std::string program;
    std::string log;
};
std::optional<UninstallCommand> SplitUninstallCommand(const std::string& command);

enum class WizardPage { Welcome, Options, Servers, Folders, Files, Registry, Uninstalling, Finish };

// The pages the wizard walks through with this log, in order. `customized` is the choice on
// the options page; without it the list pages are left out.
std::vector<WizardPage> PageOrder(const CIniDocument& log, bool customized);
// The page Next leads to from `current`.
WizardPage NextPage(const CIniDocument& log, WizardPage current, bool customized);
const char* PageTitle(WizardPage page);

// The welcome page's formatted text (HTML) with the product's fields put in; empty when the
// log asks for the plain fields ("OldStyle").
std::string WelcomeHtml(const CIniDocument& log);

struct FinishTexts {
    const char* result;  // text 1000
    const char* next;    // text 1001
};
FinishTexts FinishPageTexts(bool everythingRemoved, bool restartNeeded);

}  // namespace qm::uninstall
