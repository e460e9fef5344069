// The installer's information dialog, shown off screen.
#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <QTreeWidget>

#include "patchapply/installed_patches_dialog.h"
#include "patchapply/installer_texts.h"
#include "patchapply/qt_front_end.h"
#include "patchapply/uninstall_engine.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "suite/install_record.h"
#include "tests/support/private_game.h"

namespace {

class PatchApplyUi : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "patchapply_ui_test";
        static char* argv[] = {name, nullptr};
        // Made and destroyed inside the test run: a static application destroyed after main()
        // returns leaves Qt's per-thread font cache behind.
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app_.reset(); }
    static inline std::unique_ptr<QApplication> app_;

    // Clicks a button of the modal dialog once it is up.
    static void ClickWhenShown(bool install) {
        QTimer::singleShot(0, [install] {
            auto* dialog =
                dynamic_cast<patchapply::PatchInfoDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            (install ? dialog->InstallButton() : dialog->CancelButton())->click();
        });
    }

    const patchapply::PatchTexts texts_{"Hive Walls", "2.0 beta", "Hive Works",
                                        "(c) 2026 Hive Works", "Darker walls for {level} 3"};
};

TEST_F(PatchApplyUi, TheDialogShowsTheFiveTexts) {
    patchapply::PatchInfoDialog dialog(texts_);
    EXPECT_EQ(dialog.windowTitle(), "Fastfile Patch Installer");
    const QString shown = dialog.Details()->toPlainText();
    for (const std::string& text :
         {texts_.product, texts_.version, texts_.company, texts_.copyright, texts_.description}) {
        EXPECT_TRUE(shown.contains(QString::fromStdString(text))) << text;
    }
    EXPECT_TRUE(dialog.Details()->isReadOnly());
    EXPECT_TRUE(dialog.InstallButton()->isDefault());
    EXPECT_EQ(dialog.InstallButton()->text(), "Install");
}

TEST_F(PatchApplyUi, CancelDeclinesAndInstallAccepts) {
    patchapply::QtFrontEnd frontEnd;
    ClickWhenShown(false);
    EXPECT_FALSE(frontEnd.ConfirmPatch(texts_));
    ClickWhenShown(true);
    EXPECT_TRUE(frontEnd.ConfirmPatch(texts_));
}

// Two recorded installations over the demo game: "Older" says it wrote bytes the item no longer
// holds (changed since), "Newer" wrote what the item holds now.
class InstalledPatches : public PatchApplyUi {
  protected:
    void SetUp() override {
        ASSERT_TRUE(game_.Made()) << game_.Error();
        std::string error;
        ASSERT_TRUE(packLib_.Bind("PackLib.dll", "PackLibInit", &error)) << error;
        ASSERT_TRUE(patchLib_.Bind("PatchLib.dll", "PatchLibInit", &error)) << error;
        fastfile_ = game_.Fastfiles() + "/Menus.ffl";
        FFLARCHIVE* archive = packLib_.Record().FFLOpenArchive(fastfile_.c_str());
        ASSERT_NE(archive, nullptr);
        ASSERT_NE(archive->lpFirst, nullptr);
        ASSERT_NE(archive->lpFirst->lpNext, nullptr);
        first_ = archive->lpFirst->szPath;
        const FFLITEM* second = archive->lpFirst->lpNext;
        second_ = second->szPath;
        const std::vector<unsigned char> now(second->lpData, second->lpData + second->dwSize);
        packLib_.Record().FFLCloseArchive(archive);

        suite::InstallRecordWriter older("Older");
        older.Replacing(fastfile_, first_, Bytes("older bytes"), Bytes("never there"));
        ASSERT_TRUE(older.Write(patchLib_.Record(), &error)) << error;
        suite::InstallRecordWriter newer("Newer");
        newer.Replacing(fastfile_, second_, now, now);
        ASSERT_TRUE(newer.Write(patchLib_.Record(), &error)) << error;
    }

    static std::vector<unsigned char> Bytes(const std::string& text) {
        return {text.begin(), text.end()};
    }
    std::string ItemNow(const std::string& path) const {
        FFLARCHIVE* archive = packLib_.Record().FFLOpenArchive(fastfile_.c_str());
        FFLITEM* item = packLib_.Record().FFLFindItem(archive, path.c_str(), false);
        std::string bytes(reinterpret_cast<const char*>(item->lpData), item->dwSize);
        packLib_.Record().FFLCloseArchive(archive);
        return bytes;
    }

    patchapply::InstalledPatchesDialog::UninstallAction Action() {
        return [this](const std::string& folder) {
            patchapply::CommandLine command = patchapply::ParseCommandLine("-uninstall");
            command.fileName = folder;
            return patchapply::RunUninstall(packLib_.Record(), patchLib_.Record(), command,
                                            frontEnd_);
        };
    }
    static QString Title(patchapply::InstalledPatchesDialog& dialog, int row) {
        return dialog.List()->topLevelItem(row)->text(0);
    }

    qm_test::PrivateGame game_;
    qm::LibraryBinding<PACKLIBEXPORT> packLib_;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib_;
    patchapply::QtFrontEnd frontEnd_;
    std::string fastfile_;
    std::string first_;
    std::string second_;
};

TEST_F(InstalledPatches, ListsNewestFirstAndUninstallsTheChosenOneAfterAskingAboutChanges) {
    patchapply::InstalledPatchesDialog dialog(Action());
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(Title(dialog, 0), "Newer");
    EXPECT_EQ(Title(dialog, 1), "Older");
    EXPECT_TRUE(dialog.List()->topLevelItem(1)->text(1).contains("UTC"));
    const std::string before = ItemNow(first_);

    // The older one changed since: declining the question leaves it all as it is.
    dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
    {
        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::No});
        dialog.UninstallButton()->click();
        const auto asked = boxes.Asked();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text, patchapply::kUninstallChanged);
        EXPECT_EQ(asked[0].buttons, qm::MessageBoxButtons::YesNo);
        EXPECT_NE(asked[0].details.find(first_), std::string::npos) << asked[0].details;
        EXPECT_NE(asked[0].details.find("changed since"), std::string::npos);
    }
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(ItemNow(first_), before);

    // Going on restores the old bytes over the change and the row goes.
    dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
    {
        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::Yes, qm::MessageBoxResult::Ok});
        dialog.UninstallButton()->click();
        ASSERT_EQ(boxes.Asked().size(), 2u);
        EXPECT_EQ(boxes.Asked()[1].text, patchapply::kUninstalled);
    }
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
    EXPECT_EQ(Title(dialog, 0), "Newer");
    EXPECT_EQ(ItemNow(first_), "older bytes");

    // The newer one is unchanged: no question, and then nothing is left to uninstall.
    {
        qm::ScriptedMessageBoxes boxes({qm::MessageBoxResult::Ok});
        dialog.UninstallButton()->click();
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, patchapply::kUninstalled);
    }
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.UninstallButton()->isEnabled());
    EXPECT_TRUE(suite::ListInstallRecords().empty());
}

}  // namespace
