// Installing a tree of many files with Setup's engine against copying it with "cp -r", side
// by side on the same drive. Usage: setup_bench [files=2000] [KiB=64] [rounds=5]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "setup/install_engine.h"
#include "setup/setup_config.h"
#include "setup/setup_services.h"
#include "setup/system_folders.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class QuietPage : public qm::setup::InstallPage {
  public:
    qm::setup::KeepFileAnswer AskKeepFile(const std::string&, qm::setup::KeepFileReason) override {
        return qm::setup::KeepFileAnswer::No;
    }
    bool ConfirmAbort() override { return false; }
};

std::string FileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%05d.bin", i);
    return name;
}

bool MakeSource(const fs::path& source, int files, std::size_t kib) {
    fs::create_directories(source / "data");
    std::string ini =
        "[Version]\nSignature=KRM_Setup_1.0\n[Destination]\nDefDir=" +
        (fs::path(source).parent_path() / "installed").string() +
        "\n[Uninstall]\nLogApp=uninstall\nLogFile=uninst.log\n[Folders]\nCount=1\n001=data\n"
        "[CopyFiles]\nCount=" +
        std::to_string(files) + "\n";
    std::string block(kib << 10, 'x');
    for (int i = 1; i <= files; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%.3X", static_cast<unsigned>(i));
        ini += std::string("S") + key + "=data\\" + FileName(i) + "\nD" + key + "=data\\" +
               FileName(i) + "\n";
        block[0] = static_cast<char>(i);
        std::ofstream(source / "data" / FileName(i), std::ios::binary) << block;
    }
    std::ofstream(source / "uninstall") << "#!/bin/sh\n";
    std::ofstream(source / "Setup.ini") << ini;
    return fs::exists(source / "Setup.ini");
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const std::size_t kib = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 64;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    char pattern[] = "/tmp/setup-bench-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    setenv("HOME", (dir / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "home/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "home/config").c_str(), 1);
    setenv("QUILLMARK_REGISTRY", (dir / "registry.ini").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);  // no broadcasts to the suite's programs
    const fs::path source = dir / "source";
    if (!MakeSource(source, files, kib)) {
        std::fprintf(stderr, "setting up the source tree failed\n");
        return 1;
    }
    qm::ScriptedMessageBoxes boxes;  // nothing should ask; a question would be answered No
    std::vector<double> copyTimes;
    std::vector<double> setupTimes;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(dir / "copied");
        const auto copyStart = Clock::now();
        const std::string command =
            "cp -r '" + (source / "data").string() + "' '" + (dir / "copied").string() + "'";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cp -r failed\n");
            return 1;
        }
        copyTimes.push_back(Seconds(Clock::now() - copyStart));

        fs::remove_all(dir / "installed");
        fs::remove_all(dir / "home");
        const auto setupStart = Clock::now();
        qm::setup::CSetupConfig config;
        if (config.Load(source.string(), qm::setup::CurrentUserFolders()) !=
            qm::setup::ConfigFailure::None) {
            return 1;
        }
        qm::setup::SetupServices services;
        QuietPage page;
        qm::setup::CInstallEngine engine(config, services, page);
        engine.Start();
        engine.Wait();
        setupTimes.push_back(Seconds(Clock::now() - setupStart));
        if (engine.Outcome() != qm::setup::InstallOutcome::Succeeded) {
            std::fprintf(stderr, "the installation failed\n");
            return 1;
        }
    }
    const double copy = Median(copyTimes);
    const double setup = Median(setupTimes);
    std::printf("%d files of %zu KiB, median of %d rounds\n", files, kib, rounds);
    std::printf("cp -r        %8.3f s\n", copy);
    std::printf("Setup engine %8.3f s\n", setup);
    std::printf("ratio        %8.2f (target: at most 1.50)\n", setup / copy);
    fs::remove_all(dir);
    return 0;
}
