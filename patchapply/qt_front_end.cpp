#include "patchapply/qt_front_end.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "patchapply/installer_texts.h"
#include "patchapply/patch_information.h"
#include "platform/ipc.h"

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
    const std::string section = kBroadcastSection;
    qm::IpcBroadcast({"WM_WININICHANGE", {section.begin(), section.end()}},
                     std::chrono::milliseconds(500));
}

qm::MessageBoxResult QtMessageBoxes::Show(const qm::MessageBoxRequest& request) {
    using B = qm::MessageBoxButtons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.icon) {
        case qm::MessageBoxIcon::Information:
            icon = QMessageBox::Information;
            break;
        case qm::MessageBoxIcon::Question:
            icon = QMessageBox::Question;
            break;
        case qm::MessageBoxIcon::Warning:
            icon = QMessageBox::Warning;
            break;
        case qm::MessageBoxIcon::Error:
            icon = QMessageBox::Critical;
            break;
        case qm::MessageBoxIcon::None:
            break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (request.buttons) {
        case B::Ok:
            buttons = QMessageBox::Ok;
            break;
        case B::OkCancel:
            buttons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case B::YesNo:
            buttons = QMessageBox::Yes | QMessageBox::No;
            break;
        case B::YesNoCancel:
            buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case B::RetryCancel:
            buttons = QMessageBox::Retry | QMessageBox::Cancel;
            break;
        case B::AbortRetryIgnore:
            buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
            break;
    }
    QMessageBox box(icon, QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), buttons);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return qm::MessageBoxResult::Ok;
        case QMessageBox::Yes:
            return qm::MessageBoxResult::Yes;
        case QMessageBox::No:
            return qm::MessageBoxResult::No;
        case QMessageBox::Retry:
            return qm::MessageBoxResult::Retry;
        case QMessageBox::Abort:
            return qm::MessageBoxResult::Abort;
        case QMessageBox::Ignore:
            return qm::MessageBoxResult::Ignore;
        default:
            return qm::CarefulAnswer(request.buttons);
    }
}

int RunWithQt(int argc, char** argv, const CommandLine& command, const InstallOptions& options) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kTitle);
    QtMessageBoxes boxes;
    qm::MessageBoxService* previous = qm::SetMessageBoxService(&boxes);
    QtFrontEnd frontEnd;
    const RunOutcome outcome = RunInstaller(command, frontEnd, options);
    qm::SetMessageBoxService(previous);
    return outcome == RunOutcome::Installed ? 0 : 1;
}

}  // namespace patchapply
