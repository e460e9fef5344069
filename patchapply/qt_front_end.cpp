#include "patchapply/qt_front_end.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "patchapply/installer_texts.h"
#include "patchapply/patch_information.h"
#include "platform/qt/qt_message_boxes.h"
#include "suite/single_instance.h"

namespace patchapply {

PatchInfoDialog::PatchInfoDialog(const PatchTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kInfoHeading, this));
    details_ = new QTextBrowser(this);
    details_->setReadOnly(true);
    details_->setOpenLinks(false);
    details_->setHtml(QString::fromStdString(BuildPatchInformationHtml(texts)));
    layout->addWidget(details_);
    auto* buttons = new QDialogButtonBox(this);
    install_ = buttons->addButton("Install", QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    install_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 320);
}

ProgressWindow::ProgressWindow() {
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Installing:", this));
    item_ = new QLabel(this);
    layout->addWidget(item_);
    bar_ = new QProgressBar(this);
    layout->addWidget(bar_);
    setModal(false);
    resize(360, 110);
}

void ProgressWindow::Begin(std::size_t count) {
    bar_->setRange(0, static_cast<int>(count));
    bar_->setValue(0);
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::ShowItem(const QString& name) {
    item_->setText(name);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::Step() {
    bar_->setValue(bar_->value() + 1);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool QtFrontEnd::ConfirmPatch(const PatchTexts& texts) {
    PatchInfoDialog dialog(texts);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<std::string> QtFrontEnd::ChooseFile(const std::string& initialName) {
    const QString chosen = QFileDialog::getOpenFileName(
        nullptr, kTitle, QString::fromStdString(initialName), "Quillmark Fastfile Patch (*.kdz)",
        nullptr, QFileDialog::ReadOnly);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

void QtFrontEnd::BeginProgress(std::size_t count) {
    progress_ = std::make_unique<ProgressWindow>();
    progress_->Begin(count);
}

void QtFrontEnd::ShowItem(const std::string& itemName) {
    progress_->ShowItem(QString::fromStdString(itemName));
}

void QtFrontEnd::StepProgress() {
    progress_->Step();
}

void QtFrontEnd::EndProgress() {
    progress_.reset();
}

// A running TexBench reloads its database or Fastfile on this message.
void QtFrontEnd::Broadcast() {
    suite::BroadcastFastfilesChanged(std::chrono::milliseconds(500));
}

int RunWithQt(int argc, char** argv, const CommandLine& command, const InstallOptions& options) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kTitle);
    qm::QtMessageBoxService boxes;
    qm::MessageBoxService* previous = qm::SetMessageBoxService(&boxes);
    QtFrontEnd frontEnd;
    const RunOutcome outcome = RunInstaller(command, frontEnd, options);
    qm::SetMessageBoxService(previous);
    return outcome == RunOutcome::Installed ? 0 : 1;
}

}  // namespace patchapply
