#include "uninstall/qt/uninstall_wizard.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "uninstall/removal_log.h"
#include "uninstall/uninstall_services.h"
#include "uninstall/uninstall_strings.h"

namespace qm::uninstall {

namespace {

constexpr int kLabelWeightRaise = 300;  // a step's label turns bold while it runs

int Index(WizardPage page) {
    return static_cast<int>(page);
}

}  // namespace

UninstallWizard::UninstallWizard(CIniDocument& log, UninstallServices& services, QWidget* parent)
    : QDialog(parent), log_(log), services_(services) {
    setWindowTitle(kCaption);
    setWindowIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel;
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    title_->setFont(titleFont);
    layout->addWidget(title_);
    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    layout->addWidget(rule);
    stack_ = new QStackedWidget;
    layout->addWidget(stack_, 1);
    auto* buttons = new QHBoxLayout;
    back_ = new QPushButton(tr("< &Back"));
    next_ = new QPushButton(tr("&Next >"));
    cancel_ = new QPushButton(tr("Cancel"));
    next_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(back_);
    buttons->addWidget(next_);
    buttons->addSpacing(8);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(back_, &QPushButton::clicked, this, &UninstallWizard::GoBack);
    connect(next_, &QPushButton::clicked, this, &UninstallWizard::GoNext);
    connect(cancel_, &QPushButton::clicked, this, &UninstallWizard::reject);
    BuildPages();
    resize(520, 380);
    Show(WizardPage::Welcome);
}

UninstallWizard::~UninstallWizard() {
    if (engine_) {
        engine_->Wait();
    }
}

bool UninstallWizard::EverythingRemoved() const {
    return engine_ && engine_->EverythingRemoved();
}

void UninstallWizard::BuildPages() {
    pages_[Index(WizardPage::Welcome)] = MakeWelcomePage();
    pages_[Index(WizardPage::Options)] = MakeOptionsPage();
    pages_[Index(WizardPage::Servers)] = MakeListPage(ListPage::Servers);
    pages_[Index(WizardPage::Folders)] = MakeListPage(ListPage::Folders);
    pages_[Index(WizardPage::Files)] = MakeListPage(ListPage::Files);
    pages_[Index(WizardPage::Registry)] = MakeListPage(ListPage::Registry);
    pages_[Index(WizardPage::Uninstalling)] = MakeRemovalPage();
    pages_[Index(WizardPage::Finish)] = MakeFinishPage();
    for (QWidget* page : pages_) {
        stack_->addWidget(page);
    }
}

QWidget* UninstallWizard::MakeWelcomePage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    const std::string html = WelcomeHtml(log_);
    if (!html.empty()) {
        auto* text = new QTextBrowser;
        text->setObjectName("welcomeText");
        text->setHtml(QString::fromStdString(html));
        text->setStyleSheet("background: white;");
        layout->addWidget(text);
        return page;
    }
    auto* fields = new QGridLayout;
    const char* keys[] = {"AppName", "Version", "Provider", "Copyright"};
    const char* labels[] = {"Product:", "Version:", "Company:", "Copyright:"};
    for (int i = 0; i < 4; ++i) {
        fields->addWidget(new QLabel(tr(labels[i])), i, 0);
        auto* value = new QLabel(QString::fromStdString(log_.GetString("Product", keys[i], "")));
        value->setObjectName(QString("product%1").arg(1002 + i));
        fields->addWidget(value, i, 1);
    }
    layout->addLayout(fields);
    layout->addStretch(1);
    return page;
}

QWidget* UninstallWizard::MakeOptionsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* standard = new QRadioButton(tr(" Standard uninstallation "));
    customized_ = new QRadioButton(tr(" Customized uninstallation "));
    for (QRadioButton* button : {standard, customized_}) {
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
    }
    standard->setChecked(true);
    layout->addWidget(standard);
    layout->addWidget(new QLabel(tr("Removes everything that was installed.")));
    layout->addSpacing(12);
    layout->addWidget(customized_);
    layout->addWidget(new QLabel(tr("Lets you choose entries that stay installed.")));
    layout->addStretch(1);
    return page;
}

QWidget* UninstallWizard::MakeListPage(ListPage list) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(tr("Entries removed from the list stay installed.")));
    auto* view = new QListWidget;
    view->setObjectName("entries");
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const LogRow& row : PageRows(log_, list)) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.value));
        item->setData(Qt::UserRole, QString::fromStdString(row.section));
        item->setData(Qt::UserRole + 1, QString::fromStdString(row.key));
        view->addItem(item);
    }
    layout->addWidget(view, 1);
    auto* del = new QPushButton(style()->standardIcon(QStyle::SP_DialogDiscardButton), tr("Del"));
    del->setObjectName("del");
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(del);
    layout->addLayout(row);
    connect(del, &QPushButton::clicked, this,
            [this, list, view] { DeleteSelectedRows(list, view); });
    return page;
}

QWidget* UninstallWizard::MakeRemovalPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    for (int i = 0; i < 5; ++i) {
        stepIcons_[i] = new QLabel;
        stepIcons_[i]->setFixedSize(20, 20);
        stepLabels_[i] = new QLabel(CUninstallEngine::StepLabel(i + 1));
        layout->addWidget(stepIcons_[i], i, 0);
        layout->addWidget(stepLabels_[i], i, 1);
    }
    progress_ = new QProgressBar;
    layout->addWidget(progress_, 5, 0, 1, 2);
    layout->setRowStretch(6, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

QWidget* UninstallWizard::MakeFinishPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    finishResult_ = new QLabel;
    finishResult_->setObjectName("finishResult");
    finishNext_ = new QLabel;
    finishNext_->setObjectName("finishNext");
    for (QLabel* label : {finishResult_, finishNext_}) {
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    return page;
}

void UninstallWizard::Show(WizardPage page) {
    current_ = page;
    title_->setText(PageTitle(page));
    stack_->setCurrentWidget(pages_[Index(page)]);
    back_->setEnabled(!history_.empty() && page != WizardPage::Uninstalling &&
                      page != WizardPage::Finish);
    next_->setText(page == WizardPage::Finish ? tr("&Finish") : tr("&Next >"));
    if (page == WizardPage::Uninstalling) {
        StartRemoval();
    }
}

void UninstallWizard::GoNext() {
    if (current_ == WizardPage::Finish) {
        result_ = restartOffered_ ? WizardResult::Restart : WizardResult::Finished;
        done(QDialog::Accepted);
        return;
    }
    history_.push_back(current_);
    Show(NextPage(log_, current_, customized_->isChecked()));
}

void UninstallWizard::GoBack() {
    if (history_.empty()) {
        return;
    }
    const WizardPage page = history_.back();
    history_.pop_back();
    Show(page);
}

void UninstallWizard::DeleteSelectedRows(ListPage list, QListWidget* view) {
    (void)list;
    const QList<QListWidgetItem*> selected = view->selectedItems();
    if (selected.isEmpty()) {
        QApplication::beep();
        return;
    }
    for (QListWidgetItem* item : selected) {
        BlankEntry(log_, {item->data(Qt::UserRole).toString().toStdString(),
                          item->data(Qt::UserRole + 1).toString().toStdString(),
                          {}});
        delete item;
    }
}

void UninstallWizard::StartRemoval() {
    back_->setEnabled(false);
    next_->setEnabled(false);
    UninstallPage& page = *this;
    engine_ = std::make_unique<CUninstallEngine>(log_, services_, page);
    progress_->setRange(0, engine_->ProgressRange());
    progress_->setValue(0);
    engine_->Start();
}

void UninstallWizard::ShowStep(int step) {
    for (int i = 0; i < 5; ++i) {
        QFont font = stepLabels_[i]->font();
        const bool now = i + 1 == step;
        font.setWeight(static_cast<QFont::Weight>(
            now ? std::min(900, QFont::Normal + kLabelWeightRaise) : QFont::Normal));
        stepLabels_[i]->setFont(font);
        if (now) {
            stepIcons_[i]->setPixmap(style()->standardIcon(QStyle::SP_ArrowRight).pixmap(16));
        } else if (i + 1 < step) {
            stepIcons_[i]->setPixmap(
                style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(16));
        }
    }
}

void UninstallWizard::RemovalEnded(UninstallOutcome outcome) {
    if (outcome != UninstallOutcome::Succeeded) {
        result_ = WizardResult::Cancelled;
        done(QDialog::Rejected);
        return;
    }
    ShowStep(6);
    const FinishTexts texts =
        FinishPageTexts(engine_->EverythingRemoved(), engine_->RestartNeeded());
    restartOffered_ = engine_->RestartNeeded();
    finishResult_->setText(texts.result);
    finishNext_->setText(texts.next);
    cancel_->setText(restartOffered_ ? tr("Cancel") : tr("Close"));
    cancel_->setEnabled(true);
    next_->setEnabled(true);
    history_.push_back(current_);
    Show(WizardPage::Finish);
}

bool UninstallWizard::AskAbort() {
    return ShowMessageBox(kConfirmAbort, kCaption, MessageBoxButtons::YesNo,
                          MessageBoxIcon::Question) == MessageBoxResult::Yes;
}

void UninstallWizard::reject() {
    switch (current_) {
        case WizardPage::Finish:
            // Close, or Cancel in place of the restart: the removal is done either way.
            result_ = WizardResult::Finished;
            done(QDialog::Accepted);
            return;
        case WizardPage::Uninstalling:
            if (engine_ && engine_->RequestCancel()) {
                cancel_->setText(tr("Close"));
                cancel_->setEnabled(false);  // the worker stops at its next check
            }
            return;
        default:
            if (AskAbort()) {
                result_ = WizardResult::Cancelled;
                done(QDialog::Rejected);
            }
    }
}

void UninstallWizard::StepStarted(int step, const char*) {
    QMetaObject::invokeMethod(
        this, [this, step] { ShowStep(step); }, Qt::QueuedConnection);
}

void UninstallWizard::Advanced(int position) {
    QMetaObject::invokeMethod(
        this, [this, position] { progress_->setValue(position); }, Qt::QueuedConnection);
}

void UninstallWizard::Finished(UninstallOutcome outcome) {
    QMetaObject::invokeMethod(
        this, [this, outcome] { RemovalEnded(outcome); }, Qt::QueuedConnection);
}

bool UninstallWizard::ConfirmAbort() {
    return AskAbort();
}

}  // namespace qm::uninstall
