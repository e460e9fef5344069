#include "uninstall/uninstall_start.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/file_search.h"
#include "platform/message_box.h"
#include "richtext/rtf_text.h"
#include "richtext/rtf_to_html.h"
#include "uninstall/removal_log.h"
#include "uninstall/uninstall_strings.h"

namespace qm::uninstall {

namespace {

std::string Trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) {
        text.pop_back();
    }
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    text.erase(text.begin(), first);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text.pop_back();
        text.erase(0, 1);
    }
    return text;
}

void ShowError(const std::string& text) {
    ShowMessageBox(text, kCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

bool Readable(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

// The welcome text, formatted as the installer's own pages are.
constexpr const char* kWelcomeTemplate =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20"
    "{\\b\\fs28 #PRODUCT#\\par}\\par "
    "This program removes #PRODUCT# #VERSION# from your computer.\\par\\par "
    "Before you go on, close every program of #COMPANY#.\\par\\par "
    "{\\i #COPYRIGHT#}\\par #WEBSITE#\\par}";

}  // namespace

std::optional<int> LoadLog(const std::string& commandLine, CIniDocument& log) {
    const std::string name = Trimmed(commandLine);
    if (name.empty()) {
        ShowError(kMissingCommandLine);
        return 0;
    }
    const std::optional<std::string> found = SearchFile("", name, "");
    if (!found || !Readable(*found)) {
        const std::string_view text = kLogNotFound;
        const std::size_t at = text.find("%s");
        ShowError(std::string(text.substr(0, at)) + name + std::string(text.substr(at + 2)));
        return -1;
    }
    if (!log.Load(*found) || log.FindSection("Version") == nullptr ||
        log.GetString("Version", "Signature", "") != kSignature) {
        ShowError(kInvalidLog);
        return -1;
    }
    return std::nullopt;
}

std::optional<UninstallCommand> SplitUninstallCommand(const std::string& command) {
    for (std::size_t blank = command.find(' '); blank != std::string::npos;
         blank = command.find(' ', blank + 1)) {
        const std::string program = command.substr(0, blank);
        std::error_code ec;
        if (std::filesystem::is_regular_file(program, ec)) {
            return UninstallCommand{program, command.substr(blank + 1)};
        }
    }
    return std::nullopt;
}

std::vector<WizardPage> PageOrder(const CIniDocument& log, bool customized) {
    std::vector<WizardPage> pages{WizardPage::Welcome};
    WizardPage page = WizardPage::Welcome;
    while (page != WizardPage::Finish) {
        page = NextPage(log, page, customized);
        pages.push_back(page);
    }
    return pages;
}

WizardPage NextPage(const CIniDocument& log, WizardPage current, bool customized) {
    static constexpr struct {
        WizardPage page;
        ListPage list;
    } kListPages[] = {{WizardPage::Servers, ListPage::Servers},
                      {WizardPage::Folders, ListPage::Folders},
                      {WizardPage::Files, ListPage::Files},
                      {WizardPage::Registry, ListPage::Registry}};
    const bool custom = log.GetInt("Version", "NoCustom", 0) == 0;
    const bool anyList = std::any_of(std::begin(kListPages), std::end(kListPages),
                                     [&log](const auto& p) { return PageIncluded(log, p.list); });
    switch (current) {
        case WizardPage::Welcome:
            return custom && anyList ? WizardPage::Options : WizardPage::Uninstalling;
        case WizardPage::Uninstalling:
        case WizardPage::Finish:
            return WizardPage::Finish;
        default:
            break;
    }
    if (current == WizardPage::Options && !customized) {
        return WizardPage::Uninstalling;
    }
    bool after = current == WizardPage::Options;
    for (const auto& p : kListPages) {
        if (after && PageIncluded(log, p.list)) {
            return p.page;
        }
        after = after || p.page == current;
    }
    return WizardPage::Uninstalling;
}

const char* PageTitle(WizardPage page) {
    switch (page) {
        case WizardPage::Welcome:
            return "Welcome to Uninstall";
        case WizardPage::Options:
            return "Uninstallation Options";
        case WizardPage::Servers:
            return "Automation Servers";
        case WizardPage::Folders:
            return "Folders";
        case WizardPage::Files:
            return "Files";
        case WizardPage::Registry:
            return "Registry Entries";
        case WizardPage::Uninstalling:
            return "Uninstalling...";
        case WizardPage::Finish:
            return "Uninstallation finished";
    }
    return "";
}

std::string WelcomeHtml(const CIniDocument& log) {
    if (log.GetInt("Version", "OldStyle", 0) != 0) {
        return {};
    }
    const auto field = [&log](const char* key) { return log.GetString("Product", key, ""); };
    const std::string rtf =
        richtext::FillPlaceholders(kWelcomeTemplate, {{"#COMPANY#", field("Provider")},
                                                      {"#PRODUCT#", field("AppName")},
                                                      {"#VERSION#", field("Version")},
                                                      {"#COPYRIGHT#", field("Copyright")},
                                                      {"#WEBSITE#", field("Website")}});
    return richtext::RtfToHtml(rtf);
}

FinishTexts FinishPageTexts(bool everythingRemoved, bool restartNeeded) {
    return {everythingRemoved ? kAllRemoved : kNotAllRemoved,
            restartNeeded ? kRestartToFinish : kClickFinish};
}

}  // namespace qm::uninstall
