#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>

#include "platform/message_box.h"
#include "uninstall/qt/uninstall_wizard.h"
#include "uninstall/uninstall_strings.h"
#include "uninstall_fixture.h"

using qm::MessageBoxResult;
using qm::ScriptedMessageBoxes;
using qm::uninstall::UninstallWizard;
using qm::uninstall::WizardPage;
using qm::uninstall::WizardResult;
using qm::uninstall::testing::RecordingServices;
using qm::uninstall::testing::UninstallSandbox;

class UninstallUiTest : public QObject {
    Q_OBJECT

  private:
    static QWidget* Page(UninstallWizard& wizard) {
        return wizard.findChild<QStackedWidget*>()->currentWidget();
    }
    static QString Text(UninstallWizard& wizard, const char* name) {
        return wizard.findChild<QLabel*>(name)->text();
    }

  private slots:
    void CustomizedRunLeavesExcludedEntriesAndOffersTheRestart() {
        UninstallSandbox box;
        std::filesystem::create_directories(box.At("kept"));
        std::filesystem::create_directories(box.At("gone"));
        box.MakeFile("busy.so");
        box.MakeFile("free.so");
        CIniDocument log = box.Log(
            "[Folders]\nCount=2\n001=@/kept/\n002=@/gone/\n"
            "[Files]\nCount=2\n001=@/busy.so\n002=@/free.so\n");
        RecordingServices services;
        services.undeletable.insert(box.At("busy.so"));
        ScriptedMessageBoxes messages;
        UninstallWizard wizard(log, services);
        wizard.show();
        QCOMPARE(wizard.CurrentPage(), WizardPage::Welcome);
        QVERIFY(!wizard.BackButton()->isEnabled());
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), WizardPage::Options);
        wizard.findChildren<QRadioButton*>()[1]->setChecked(true);
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), WizardPage::Folders);

        auto* list = Page(wizard)->findChild<QListWidget*>("entries");
        auto* del = Page(wizard)->findChild<QPushButton*>("del");
        QCOMPARE(list->count(), 2);
        QTest::mouseClick(del, Qt::LeftButton);  // nothing selected: a beep, nothing gone
        QCOMPARE(list->count(), 2);
        list->item(0)->setSelected(true);
        QTest::mouseClick(del, Qt::LeftButton);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QString::fromStdString(box.At("gone/")));

        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), WizardPage::Files);
        QCOMPARE(Page(wizard)->findChild<QListWidget*>("entries")->count(), 2);
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QTRY_COMPARE(wizard.CurrentPage(), WizardPage::Finish);

        QCOMPARE(Text(wizard, "finishResult"), QString(qm::uninstall::kNotAllRemoved));
        QCOMPARE(Text(wizard, "finishNext"), QString(qm::uninstall::kRestartToFinish));
        QCOMPARE(wizard.CancelButton()->text(), QString("Cancel"));
        QVERIFY(box.Exists("kept"));
        QVERIFY(!box.Exists("gone"));
        QVERIFY(!box.Exists("free.so"));
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QCOMPARE(wizard.Result(), WizardResult::Restart);
        QVERIFY(messages.Asked().empty());
    }

    void CancelBeforeTheRemovalAsksAndOnlyYesEnds() {
        UninstallSandbox box;
        box.MakeFile("file");
        CIniDocument log = box.Log("[Files]\nCount=1\n001=@/file\n");
        RecordingServices services;
        ScriptedMessageBoxes messages({MessageBoxResult::No, MessageBoxResult::Yes});
        UninstallWizard wizard(log, services);
        wizard.show();
        QTest::mouseClick(wizard.CancelButton(), Qt::LeftButton);
        QVERIFY(wizard.isVisible());
        QTest::mouseClick(wizard.CancelButton(), Qt::LeftButton);
        QVERIFY(!wizard.isVisible());
        QCOMPARE(wizard.Result(), WizardResult::Cancelled);
        const auto asked = messages.Asked();
        QCOMPARE(asked.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(asked[0].text), QString(qm::uninstall::kConfirmAbort));
        QCOMPARE(QString::fromStdString(asked[0].caption), QString("Uninstall"));
        QVERIFY(box.Exists("file"));
        QVERIFY(box.Exists("uninstall.log"));
    }

    void StandardRunThatRemovesEverythingClosesWithoutRestart() {
        UninstallSandbox box;
        box.MakeFile("file");
        CIniDocument log = box.Log("[Files]\nCount=1\n001=@/file\n");
        RecordingServices services;
        ScriptedMessageBoxes messages;
        UninstallWizard wizard(log, services);
        wizard.show();
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QCOMPARE(wizard.CurrentPage(), WizardPage::Options);
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);  // Standard: the removal
        QTRY_COMPARE(wizard.CurrentPage(), WizardPage::Finish);
        QCOMPARE(Text(wizard, "finishResult"), QString(qm::uninstall::kAllRemoved));
        QCOMPARE(Text(wizard, "finishNext"), QString(qm::uninstall::kClickFinish));
        QCOMPARE(wizard.CancelButton()->text(), QString("Close"));
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        QCOMPARE(wizard.Result(), WizardResult::Finished);
        QVERIFY(!box.Exists("file"));
    }
};

QTEST_MAIN(UninstallUiTest)
#include "uninstall_ui_test.moc"
