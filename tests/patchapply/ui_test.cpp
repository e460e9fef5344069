// The installer's information dialog, shown off screen.
#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include "patchapply/qt_front_end.h"

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

}  // namespace
