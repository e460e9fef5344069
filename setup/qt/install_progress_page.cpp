#include "setup/qt/install_progress_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QWizard>

#include "platform/message_box.h"
#include "setup/flow/setup_session.h"
#include "setup/qt/wizard_art.h"
#include "setup/setup_strings.h"

namespace qm::setup {

namespace {

constexpr int kBoldRaise = 300;
constexpr int kHeaviest = 900;

std::string WithName(const char* text, const std::string& name) {
    const std::string_view whole(text);
    const std::size_t at = whole.find("%s");
    return std::string(whole.substr(0, at)) + name + std::string(whole.substr(at + 2));
}

}  // namespace

InstallProgressPage::InstallProgressPage(CSetupSession& session)
    : SetupPage(session, PageKind::Installing), progress_(new QProgressBar) {
    auto* grid = new QGridLayout;
    for (int step = 1; step <= 5; ++step) {
        auto* mark = new QLabel;
        mark->setFixedSize(16, 16);
        auto* label = new QLabel(QString::fromLatin1(CInstallEngine::StepLabel(step)));
        grid->addWidget(mark, step - 1, 0);
        grid->addWidget(label, step - 1, 1);
        marks_[static_cast<std::size_t>(step - 1)] = mark;
        labels_[static_cast<std::size_t>(step - 1)] = label;
    }
    grid->setColumnStretch(1, 1);
    normalFont_ = labels_[0]->font();
    Body()->addLayout(grid);
    Body()->addSpacing(12);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    Body()->addWidget(progress_);
    Body()->addStretch(1);
    setCommitPage(true);
}

InstallProgressPage::~InstallProgressPage() {
    session_.Engine().Wait();
    session_.SetInstallPage(nullptr);
}

void InstallProgressPage::initializePage() {
    if (started_) {
        return;
    }
    started_ = true;
    session_.SetInstallPage(this);
    CInstallEngine& engine = session_.Engine();
    if (engine.Start()) {
        progress_->setRange(0, qMax(1, engine.ProgressRange()));
    }
}

void InstallProgressPage::MarkStep(int step) {
    if (current_ >= 1) {
        labels_[static_cast<std::size_t>(current_ - 1)]->setFont(normalFont_);
        marks_[static_cast<std::size_t>(current_ - 1)]->setPixmap(art::StepDoneIcon());
    }
    current_ = step;
    QFont bold = normalFont_;
    bold.setWeight(static_cast<QFont::Weight>(qMin(normalFont_.weight() + kBoldRaise, kHeaviest)));
    labels_[static_cast<std::size_t>(step - 1)]->setFont(bold);
    marks_[static_cast<std::size_t>(step - 1)]->setPixmap(art::StepRunningIcon());
}

void InstallProgressPage::StepStarted(int step, const char*) {
    QMetaObject::invokeMethod(
        this, [this, step] { MarkStep(step); }, Qt::QueuedConnection);
}

void InstallProgressPage::Advanced(int position) {
    QMetaObject::invokeMethod(
        this, [this, position] { progress_->setValue(position); }, Qt::QueuedConnection);
}

KeepFileAnswer InstallProgressPage::AskKeepFile(const std::string& fileName,
                                                KeepFileReason reason) {
    KeepFileAnswer answer = KeepFileAnswer::Cancel;
    const auto ask = [&] {
        // Dialog 118.
        QMessageBox box(window());
        box.setWindowTitle(QString::fromLatin1(kCaption));
        box.setIcon(QMessageBox::Question);
        box.setText(QString::fromLocal8Bit(WithName(kFileExists, fileName).c_str()));
        box.setInformativeText(QString::fromLatin1(reason == KeepFileReason::OlderFile
                                                       ? kKeepOlderFile
                                                       : kKeepOtherLanguage) +
                               QStringLiteral("\n\n") + QString::fromLatin1(kKeepThisFile));
        const std::pair<const char*, KeepFileAnswer> buttons[] = {
            {"Yes", KeepFileAnswer::Yes},
            {"Yes to all", KeepFileAnswer::YesToAll},
            {"No", KeepFileAnswer::No},
            {"No to all", KeepFileAnswer::NoToAll},
            {"Cancel", KeepFileAnswer::Cancel}};
        std::vector<std::pair<QAbstractButton*, KeepFileAnswer>> made;
        for (const auto& [text, value] : buttons) {
            made.emplace_back(box.addButton(QString::fromLatin1(text), QMessageBox::ActionRole),
                              value);
        }
        box.setDefaultButton(static_cast<QPushButton*>(made.front().first));
        box.exec();
        for (const auto& [button, value] : made) {
            if (box.clickedButton() == button) {
                answer = value;
            }
        }
    };
    QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
    return answer;
}

void InstallProgressPage::Finished(InstallOutcome outcome) {
    QMetaObject::invokeMethod(
        this, [this, outcome] { End(outcome); }, Qt::QueuedConnection);
}

bool InstallProgressPage::ConfirmAbort() {
    const bool abort = ShowMessageBox(kConfirmAbort, kCaption, MessageBoxButtons::YesNo,
                                      MessageBoxIcon::Question) == MessageBoxResult::Yes;
    if (abort && wizard() != nullptr) {
        wizard()->setButtonText(QWizard::CancelButton, QStringLiteral("Close"));
    }
    return abort;
}

void InstallProgressPage::End(InstallOutcome outcome) {
    outcome_ = outcome;
    ended_ = true;
    if (outcome == InstallOutcome::Succeeded && current_ >= 1) {
        labels_[static_cast<std::size_t>(current_ - 1)]->setFont(normalFont_);
        marks_[static_cast<std::size_t>(current_ - 1)]->setPixmap(art::StepDoneIcon());
    }
    emit completeChanged();
    emit InstallationEnded(outcome);
}

}  // namespace qm::setup
