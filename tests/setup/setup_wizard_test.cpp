// Setup's wizard off screen: which pages it shows, what they show, what leaving them does,
// the installation driven by the page, and the whole program pressed through.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

#include "platform/message_box.h"
#include "setup/flow/flow_strings.h"
#include "setup/flow/setup_program.h"
#include "setup/flow/setup_session.h"
#include "setup/flow/setup_system.h"
#include "setup/qt/background_window.h"
#include "setup/qt/install_progress_page.h"
#include "setup/qt/setup_wizard.h"
#include "setup/qt/wizard_pages.h"
#include "setup/setup_config.h"
#include "setup/setup_services.h"
#include "setup/setup_strings.h"
#include "setup_sandbox.h"

namespace qm::setup {
namespace {

using testing::SetupSandbox;
using testing::WriteWhole;
namespace fs = std::filesystem;

class RecordingSystem : public SetupSystem {
  public:
    std::optional<int> StartProgram(const std::string& program, bool wait) override {
        started.push_back(program);
        return SetupSystem::StartProgram(program, wait);
    }
    bool Open(const std::string& file, const std::string&, const std::string&) override {
        opened.push_back(file);
        return true;
    }
    bool RestartComputer() override {
        ++restarts;
        return true;
    }
    std::vector<std::string> started;
    std::vector<std::string> opened;
    int restarts = 0;
};

class SmallDriveServices : public SetupServices {
  public:
    std::optional<std::uint64_t> FreeSpace(const std::string&) override { return 2000; }
};

// Self-registration that takes its time, so that Cancel finds the engine still running.
class SlowRegistrationServices : public SetupServices {
  public:
    bool CallServerEntry(const std::string&, const char*) override {
        ++calls;
        QThread::msleep(40);
        return false;
    }
    std::atomic<int> calls{0};
};

const char* kHead = R"([Version]
Signature=KRM_Setup_1.0
)";
const char* kRest = R"(
[Product]
AppName=Wizard Demo
Version=3.1
Provider=Quillmark
Copyright=(c) 2026 Quillmark
Website=http://example.invalid/
ReqSpace=1234567

[Destination]
DefDir=Wizard Demo
DefGroup=Wizard Demo
DefLog=uninst

[Uninstall]
LogApp=uninstall
LogFile=uninst.log

[CopyFiles]
Count=1
S001=readme.txt
)";
const char* kQuiet = "NoWelcome=1\nNoAskDir=1\nNoAskGroup=1\nNoAskUninst=1\n";

class SetupWizardTest : public SetupSandbox {
  protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "setup_wizard_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app_.reset(); }
    static inline std::unique_ptr<QApplication> app_;

    void SetUp() override {
        SetupSandbox::SetUp();
        Source("readme.txt", "read me\n");
        Source("uninstall", "#!/bin/sh\n");
        unsetenv("QM_EXTENSION_REFUSE");
        unsetenv("QM_EXTENSION_DIR");
        setenv("QM_EXTENSION_MARKER", (root_ / "marker.txt").c_str(), 1);
    }
    void TearDown() override {
        wizard_.reset();
        session_.reset();
        config_.reset();
        SetupSandbox::TearDown();
    }

    // Setup.ini with more [Version] keys and more sections after the usual ones.
    void Ini(const std::string& version, const std::string& more = "") {
        SetupIni(kHead + version + kRest + more);
    }

    // The session and the wizard as the program makes them, with the extension when asked.
    SetupWizard& MakeWizard(bool extension = false) {
        wizard_.reset();
        session_.reset();
        config_ = std::make_unique<CSetupConfig>();
        Load(*config_);
        session_ = std::make_unique<CSetupSession>(*config_, *services_, system_);
        if (extension) {
            fs::copy_file(fs::path(QM_BIN_DIR) / "libQmSetupExtension.so", source_ / "libChecks.so",
                          fs::copy_options::overwrite_existing);
            session_->SetExtension(CExtensionLibrary::Load((source_ / "Checks.dll").string()));
            EXPECT_NE(session_->Extension(), nullptr);
            EXPECT_TRUE(session_->Extension()->Initialise(*config_, session_->Engine().Choices()));
        }
        session_->BuildPages();
        wizard_ = std::make_unique<SetupWizard>(*session_);
        wizard_->show();
        QApplication::processEvents();
        return *wizard_;
    }

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const int id : wizard_->pageIds()) {
            titles.push_back(
                static_cast<SetupPage*>(wizard_->page(id))->TitleLabel()->text().toStdString());
        }
        return titles;
    }
    PageKind Current() const { return static_cast<SetupPage*>(wizard_->currentPage())->Kind(); }

    static bool WaitFor(const std::function<bool()>& done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 20000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        return done();
    }

    std::unique_ptr<SetupServices> services_ = std::make_unique<SetupServices>();
    RecordingSystem system_;
    std::unique_ptr<CSetupConfig> config_;
    std::unique_ptr<CSetupSession> session_;
    std::unique_ptr<SetupWizard> wizard_;
};

TEST_F(SetupWizardTest, QuietSetupShowsSummaryInstallingAndFinishAndInstalls) {
    Ini(kQuiet);
    SetupWizard& wizard = MakeWizard();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Ready for Installation", "Installing...",
                                                  "Installation finished"}));
    EXPECT_EQ(wizard.windowTitle(), "Setup");
    EXPECT_FALSE(wizard.windowIcon().isNull());
    EXPECT_EQ(static_cast<SetupPage*>(wizard.currentPage())->TitleLabel()->font().pointSize(), 16);

    wizard.next();
    ASSERT_TRUE(WaitFor([&] { return Current() == PageKind::Finish; }));
    InstallProgressPage* installing = wizard.Installing();
    EXPECT_EQ(installing->Outcome(), InstallOutcome::Succeeded);
    EXPECT_EQ(installing->Progress()->value(), installing->Progress()->maximum());
    for (int step = 1; step <= 5; ++step) {
        EXPECT_FALSE(installing->StepMark(step)->pixmap().isNull()) << step;
        EXPECT_FALSE(installing->StepLabel(step)->font().bold()) << step;
    }
    auto* finish = static_cast<FinishPage*>(wizard.currentPage());
    EXPECT_EQ(finish->Text()->text(), kPressFinish);
    EXPECT_TRUE(finish->Options().empty());
    EXPECT_EQ(wizard.buttonText(QWizard::CancelButton), "Close");
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_EQ(wizard.Result().end, WizardEnd::Succeeded);
    EXPECT_FALSE(wizard.Result().restart);
    EXPECT_TRUE(fs::exists(Destination("Wizard Demo") + "readme.txt"));
}

TEST_F(SetupWizardTest, NoFinishEngineFinishesAndTheProgramEndsZeroAfterPostInstall) {
    Source("post.sh", "#!/bin/sh\nexit 0\n");
    chmod((source_ / "post.sh").c_str(), 0755);
    Ini(std::string(kQuiet) + "NoFinish=1\n", "[Modules]\nPostInstall=post.sh\n");
    QtWizardFront front(0);  // presses Next on the summary; the engine does the rest
    EXPECT_EQ(RunSetupProgram(source_.string(), CurrentUserFolders(), *services_, system_, front),
              kSetupDone);
    ASSERT_EQ(system_.started.size(), 1u);
    EXPECT_EQ(system_.started[0], (source_ / "post.sh").string());
    EXPECT_TRUE(fs::exists(Destination("Wizard Demo") + "readme.txt"));
}

bool HasBoldText(const QTextDocument* document) {
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().fontWeight() >= QFont::Bold &&
                it.fragment().text().contains("Terms")) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(SetupWizardTest, LicenceIsFormattedOnlyAsRichTextAndNextNeedsAgreement) {
    const struct {
        const char* text;
        bool formatted;
    } cases[] = {{"{\\rtf1\\ansi {\\b Terms}\\par Use it well.}", true},
                 {"{\\rtf {\\b Terms}\\par Use it well.}", false},
                 {"Terms\nUse it well.\n", false}};
    for (const auto& c : cases) {
        Source("licence.txt", c.text);
        Ini("Eula=licence.txt\nNoWelcome=1\n");
        SetupWizard& wizard = MakeWizard();
        ASSERT_EQ(Current(), PageKind::Licence) << c.text;
        auto* page = static_cast<DocumentPage*>(wizard.currentPage());
        EXPECT_TRUE(page->Text()->isReadOnly());
        EXPECT_EQ(HasBoldText(page->Text()->document()), c.formatted) << c.text;
        EXPECT_EQ(page->Text()->toPlainText().contains("\\rtf"), !c.formatted && c.text[0] == '{')
            << c.text;

        EXPECT_TRUE(page->Decline()->isChecked());
        EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
        page->Agree()->setChecked(true);
        EXPECT_TRUE(wizard.button(QWizard::NextButton)->isEnabled());
        page->Decline()->setChecked(true);
        EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
        wizard.next();
        EXPECT_EQ(Current(), PageKind::Licence) << "leaving forward needs the agreement";
    }
}

TEST_F(SetupWizardTest, WelcomeShowsTheFilledTemplateOrThePlainFields) {
    Ini("");
    SetupWizard& wizard = MakeWizard();
    auto* welcome = static_cast<WelcomePage*>(wizard.currentPage());
    ASSERT_EQ(welcome->Kind(), PageKind::Welcome);
    const QString text = welcome->Text()->toPlainText();
    EXPECT_TRUE(text.contains("Wizard Demo") && text.contains("3.1") &&
                text.contains("http://example.invalid/"))
        << text.toStdString();
    EXPECT_FALSE(text.contains('#'));
    // Each line whole: a placeholder's text right after a control word is not eaten by it.
    for (const char* line : {"Quillmark", "(c) 2026 Quillmark", "Version 3.1",
                             "This program will install Wizard Demo on your computer."}) {
        EXPECT_TRUE(text.split('\n').contains(QString::fromLatin1(line))) << line << "\n"
                                                                          << text.toStdString();
    }
    for (QLineEdit* field : welcome->Fields()) {
        EXPECT_FALSE(field->isVisibleTo(welcome));
    }

    Ini("OldStyle=1\n");
    SetupWizard& old = MakeWizard();
    welcome = static_cast<WelcomePage*>(old.currentPage());
    EXPECT_FALSE(welcome->Text()->isVisibleTo(welcome));
    ASSERT_EQ(welcome->Fields().size(), 4u);
    EXPECT_TRUE(welcome->Fields()[0]->isVisibleTo(welcome));
    EXPECT_EQ(welcome->Fields()[0]->text(), "Wizard Demo");
    EXPECT_EQ(welcome->Fields()[3]->text(), "(c) 2026 Quillmark");
    EXPECT_TRUE(welcome->Fields()[0]->isReadOnly());
}

TEST_F(SetupWizardTest, DestinationShowsSizesAndTooLittleSpaceAnsweredNoKeepsThePage) {
    services_ = std::make_unique<SmallDriveServices>();
    Ini("NoWelcome=1\n");
    SetupWizard& wizard = MakeWizard();
    ASSERT_EQ(Current(), PageKind::Destination);
    auto* page = static_cast<DestinationPage*>(wizard.currentPage());
    EXPECT_EQ(page->Required()->text(), "1,234.5 KB");
    EXPECT_EQ(page->Available()->text(), "2.0 KB");
    EXPECT_EQ(page->Field()->text().toStdString(), Destination("Wizard Demo"));

    ScriptedMessageBoxes boxes({MessageBoxResult::No, MessageBoxResult::Yes});
    wizard.next();
    EXPECT_EQ(Current(), PageKind::Destination);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kNotEnoughSpace);
    wizard.next();
    EXPECT_EQ(Current(), PageKind::Group);
}

TEST_F(SetupWizardTest, ExtensionMovesTheDestinationAndRefusesTheGroupPage) {
    const std::string chosen = (home_ / "picked by the library").string();
    setenv("QM_EXTENSION_DIR", chosen.c_str(), 1);
    setenv("QM_EXTENSION_REFUSE", "SetupValidateGroup", 1);
    Ini("NoWelcome=1\n");
    SetupWizard& wizard = MakeWizard(true);
    auto* destination = static_cast<DestinationPage*>(wizard.currentPage());
    EXPECT_EQ(destination->Field()->text().toStdString(), chosen + "/");
    wizard.next();
    ASSERT_EQ(Current(), PageKind::Group);
    wizard.next();
    EXPECT_EQ(Current(), PageKind::Group) << "SetupValidateGroup answered 0";
    unsetenv("QM_EXTENSION_REFUSE");
    wizard.next();
    EXPECT_EQ(Current(), PageKind::Uninstall);
    auto* uninstall = static_cast<UninstallPage*>(wizard.currentPage());
    // The library was given the uninstall folder too and kept it.
    EXPECT_EQ(uninstall->Field()->text().toStdString(), Destination("Wizard Demo") + "uninst/");
    uninstall->Save()->setChecked(false);
    EXPECT_FALSE(uninstall->Field()->isEnabled());
}

TEST_F(SetupWizardTest, FinishPageShowsAtMostThreeOptionsAndOpensTheTickedOnes) {
    std::string finish = "[Finish]\nCount=5\n";
    for (int i = 1; i <= 5; ++i) {
        finish += "T00" + std::to_string(i) + "=Option " + std::to_string(i) + "\nF00" +
                  std::to_string(i) + "=/opt/file" + std::to_string(i) + "\n";
    }
    Ini(kQuiet, finish);
    SetupWizard& wizard = MakeWizard();
    wizard.next();
    ASSERT_TRUE(WaitFor([&] { return Current() == PageKind::Finish; }));
    auto* page = static_cast<FinishPage*>(wizard.currentPage());
    ASSERT_EQ(page->Options().size(), 3u);
    EXPECT_EQ(page->Options()[2]->text(), "Option 3");
    page->Options()[1]->setChecked(true);
    wizard.button(QWizard::FinishButton)->click();
    EXPECT_EQ(system_.opened, std::vector<std::string>{"/opt/file2"});
}

TEST_F(SetupWizardTest, RebootFinishAsksForTheRestartAndCancelSkipsIt) {
    Ini(kQuiet, "[Finish]\nReboot=1\nCount=1\nT001=Never shown\nF001=/opt/x\n");
    for (const bool finish : {true, false}) {
        SetupWizard& wizard = MakeWizard();
        wizard.next();
        ASSERT_TRUE(WaitFor([&] { return Current() == PageKind::Finish; }));
        auto* page = static_cast<FinishPage*>(wizard.currentPage());
        EXPECT_EQ(page->Text()->text(), kMustRestart);
        EXPECT_TRUE(page->Options().empty());
        EXPECT_EQ(wizard.buttonText(QWizard::CancelButton), "Cancel");
        if (finish) {
            wizard.button(QWizard::FinishButton)->click();
        } else {
            wizard.button(QWizard::CancelButton)->click();
        }
        EXPECT_EQ(wizard.Result().restart, finish);
        EXPECT_EQ(wizard.Result().end, WizardEnd::Succeeded);
        fs::remove_all(Destination("Wizard Demo"));
    }
}

TEST_F(SetupWizardTest, CancelBeforeTheInstallationAsksAndOnlyYesCancels) {
    Ini(kQuiet);
    SetupWizard& wizard = MakeWizard();
    ScriptedMessageBoxes boxes({MessageBoxResult::No, MessageBoxResult::Yes});
    wizard.button(QWizard::CancelButton)->click();
    EXPECT_TRUE(wizard.isVisible());
    wizard.button(QWizard::CancelButton)->click();
    EXPECT_FALSE(wizard.isVisible());
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[0].text, kConfirmAbort);
    EXPECT_EQ(wizard.Result().end, WizardEnd::Cancelled);
    EXPECT_FALSE(fs::exists(Destination("Wizard Demo")));
}

TEST_F(SetupWizardTest, CancelWhileInstallingAsksAndYesTakesTheRunBack) {
    std::string servers = "[RegisterServer]\nCount=40\n";
    for (int i = 1; i <= 40; ++i) {
        servers += QString::asprintf("%03X=/nowhere/server%d.dll\n", i, i).toStdString();
    }
    Ini(kQuiet, servers);
    for (const bool abort : {false, true}) {
        auto slow = std::make_unique<SlowRegistrationServices>();
        SlowRegistrationServices* counter = slow.get();
        services_ = std::move(slow);
        SetupWizard& wizard = MakeWizard();
        wizard.next();
        InstallProgressPage* page = wizard.Installing();
        ASSERT_TRUE(WaitFor([&] { return counter->calls > 2; }));
        EXPECT_TRUE(page->StepLabel(5)->font().bold()) << "the running step is bold";
        EXPECT_FALSE(page->StepLabel(4)->font().bold());
        EXPECT_FALSE(wizard.button(QWizard::NextButton)->isVisible());
        ScriptedMessageBoxes boxes({abort ? MessageBoxResult::Yes : MessageBoxResult::No});
        wizard.button(QWizard::CancelButton)->click();
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kConfirmAbort);
        ASSERT_TRUE(WaitFor([&] { return page->isComplete(); }));
        QApplication::processEvents();
        if (abort) {
            EXPECT_EQ(page->Outcome(), InstallOutcome::Cancelled);
            EXPECT_FALSE(wizard.isVisible());
            EXPECT_EQ(wizard.Result().end, WizardEnd::Cancelled);
            EXPECT_FALSE(fs::exists(Destination("Wizard Demo"))) << "the run is taken back";
        } else {
            EXPECT_EQ(page->Outcome(), InstallOutcome::Succeeded);
            EXPECT_EQ(Current(), PageKind::Finish);
            EXPECT_EQ(counter->calls, 40);
        }
        wizard_.reset();
        session_.reset();
        fs::remove_all(Destination("Wizard Demo"));
    }
}

TEST_F(SetupWizardTest, ComponentsToggleAndShowTheirDescription) {
    Ini("NoWelcome=1\n",
        "[Components]\nCount=2\nN001=Core\nD001=The tools.\nN002=Extras\n"
        "D002=Samples.\nI002=0\n");
    SetupWizard& wizard = MakeWizard();
    ASSERT_EQ(Current(), PageKind::Components);
    auto* page = static_cast<ComponentsPage*>(wizard.currentPage());
    ASSERT_EQ(page->List()->count(), 2);
    page->List()->setCurrentRow(1);
    EXPECT_EQ(page->Description()->text(), "Samples.");
    page->Toggle(page->List()->item(1));
    page->Toggle(page->List()->item(0));
    wizard.next();
    EXPECT_EQ(config_->GetString("Components", "I001"), "0");
    EXPECT_EQ(config_->GetString("Components", "I002"), "1");
}

TEST_F(SetupWizardTest, BackgroundIsTheColourWithAShadowedTitle) {
    Ini(kQuiet, "[MainFrame]\nColor=10,20,30\nTitle=Wizard Demo Setup\n");
    CSetupConfig config;
    Load(config);
    ASSERT_TRUE(BackgroundWindow::Wanted(config));
    BackgroundWindow window(config);
    window.resize(500, 200);
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(490, 190), QColor(10, 20, 30));
    int white = 0;
    int black = 0;
    for (int y = 20; y < 70; ++y) {
        for (int x = 20; x < 300; ++x) {
            const QColor c = image.pixelColor(x, y);
            white += c == QColor(Qt::white);
            black += c == QColor(Qt::black);
        }
    }
    EXPECT_GT(white, 50);
    EXPECT_GT(black, 50);
    EXPECT_EQ(BackgroundWindow::TitleFont().pointSize(), 24);

    Ini(kQuiet);
    CSetupConfig plain;
    Load(plain);
    EXPECT_FALSE(BackgroundWindow::Wanted(plain));
}

}  // namespace
}  // namespace qm::setup
