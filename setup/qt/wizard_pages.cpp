#include "setup/qt/wizard_pages.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "richtext/rtf_to_html.h"
#include "setup/flow/flow_strings.h"
#include "setup/flow/setup_session.h"
#include "setup/qt/wizard_art.h"
#include "setup/setup_config.h"

namespace qm::setup {

namespace {

QString Q(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string S(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

constexpr int kComponentRole = Qt::UserRole;
constexpr int kTickedRole = Qt::UserRole + 1;
constexpr int kDescriptionRole = Qt::UserRole + 2;

// A line edit with its "&Browse..." button that opens the folder browser with a title.
QPushButton* AddFolderRow(QVBoxLayout* layout, QLineEdit* field, const char* browserTitle) {
    auto* row = new QHBoxLayout;
    auto* browse = new QPushButton(QStringLiteral("&Browse..."));
    row->addWidget(field, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    QObject::connect(browse, &QPushButton::clicked, field, [field, browserTitle] {
        const QString chosen = QFileDialog::getExistingDirectory(
            field->window(), QString::fromLatin1(browserTitle), field->text());
        if (!chosen.isEmpty()) {
            field->setText(chosen);
            emit field->editingFinished();
        }
    });
    return browse;
}

QLabel* Paragraph(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

}  // namespace

SetupPage::SetupPage(CSetupSession& session, PageKind kind)
    : session_(session), kind_(kind), title_(new QLabel), body_(new QVBoxLayout) {
    auto* picture = new QLabel;
    picture->setPixmap(art::PageBitmap());
    picture->setAlignment(Qt::AlignTop);
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);

    title_->setObjectName(QStringLiteral("title1049"));
    title_->setText(QString::fromLatin1(PageOf(kind).title));
    title_->setFont(TitleFont());
    title_->setWordWrap(true);

    auto* right = new QVBoxLayout;
    right->addWidget(title_);
    right->addLayout(body_, 1);
    auto* whole = new QHBoxLayout(this);
    whole->addWidget(picture, 0, Qt::AlignTop);
    whole->addLayout(right, 1);
}

QFont SetupPage::TitleFont() {
    QFont font(QStringLiteral("Times New Roman"), 16);
    font.setStyleHint(QFont::Serif);
    return font;
}

SplashPage::SplashPage(CSetupSession& session) : SetupPage(session, PageKind::Splash) {
    auto* frame = new QLabel;
    frame->setObjectName(QStringLiteral("frame1058"));
    frame->setScaledContents(true);
    frame->setFrameShape(QFrame::Box);
    frame->setPixmap(QPixmap(Q(session.Config().SplashFile())));
    frame->setMinimumSize(320, 240);
    Body()->addWidget(frame, 1);
}

WelcomePage::WelcomePage(CSetupSession& session)
    : SetupPage(session, PageKind::Welcome), text_(new QTextBrowser) {
    const CSetupConfig& config = session.Config();
    auto* form = new QFormLayout;
    const std::pair<const char*, const char*> fields[] = {{"Product", "AppName"},
                                                          {"Version", "Version"},
                                                          {"Provider", "Provider"},
                                                          {"Copyright", "Copyright"}};
    for (const auto& [label, key] : fields) {
        auto* field = new QLineEdit(Q(config.GetString("Product", key)));
        field->setReadOnly(true);
        form->addRow(QString::fromLatin1(label) + QStringLiteral(" :"), field);
        fields_.push_back(field);
    }
    Body()->addLayout(form);
    text_->setObjectName(QStringLiteral("frame1038"));
    text_->setOpenExternalLinks(false);
    Body()->addWidget(text_, 1);

    const std::string rich = session.WelcomeRichText();
    const std::string html = rich.empty() ? std::string() : richtext::RtfToHtml(rich);
    if (html.empty()) {
        text_->hide();
        Body()->addStretch(1);
        return;
    }
    text_->setHtml(Q(html));
    for (QLineEdit* field : fields_) {
        field->hide();
        form->labelForField(field)->hide();
    }
}

DocumentPage::DocumentPage(CSetupSession& session, PageKind kind, const std::string& path)
    : SetupPage(session, kind), text_(new QTextBrowser) {
    text_->setReadOnly(true);
    const PageDocument document = CSetupSession::ReadDocument(path);
    if (document.richText) {
        text_->setHtml(Q(richtext::RtfToHtml(document.text)));
    } else {
        text_->setPlainText(Q(document.text));
    }
    Body()->addWidget(text_, 1);
    if (kind != PageKind::Licence) {
        return;
    }
    agree_ = new QRadioButton(QStringLiteral(" Yes, I agree "));
    decline_ = new QRadioButton(QStringLiteral(" No, I decline "));
    decline_->setChecked(true);
    Body()->addWidget(agree_);
    Body()->addWidget(decline_);
    connect(agree_, &QRadioButton::toggled, this, &QWizardPage::completeChanged);
}

bool DocumentPage::isComplete() const {
    return agree_ == nullptr || agree_->isChecked();
}

bool DocumentPage::validatePage() {
    return isComplete();
}

ComponentsPage::ComponentsPage(CSetupSession& session)
    : SetupPage(session, PageKind::Components), list_(new QListWidget), description_(new QLabel) {
    for (const SetupComponent& component : session.Components()) {
        auto* item = new QListWidgetItem(Q(component.name), list_);
        item->setData(kComponentRole, component.number);
        item->setData(kTickedRole, component.install);
        item->setData(kDescriptionRole, Q(component.description));
        item->setIcon(component.install ? art::ComponentOnIcon() : art::ComponentOffIcon());
    }
    Body()->addWidget(list_, 1);
    auto* box = new QGroupBox(QStringLiteral("Description"));
    auto* boxLayout = new QVBoxLayout(box);
    description_->setWordWrap(true);
    description_->setMinimumHeight(48);
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    boxLayout->addWidget(description_);
    Body()->addWidget(box);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemDoubleClicked, this, &ComponentsPage::Toggle);
    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        description_->setText(item != nullptr ? item->data(kDescriptionRole).toString()
                                              : QString());
    });
}

void ComponentsPage::Toggle(QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const bool ticked = !item->data(kTickedRole).toBool();
    item->setData(kTickedRole, ticked);
    item->setIcon(ticked ? art::ComponentOnIcon() : art::ComponentOffIcon());
}

bool ComponentsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        Toggle(list_->currentItem());
        return true;
    }
    return SetupPage::eventFilter(watched, event);
}

bool ComponentsPage::validatePage() {
    std::vector<SetupComponent> components;
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        components.push_back(
            {item->data(kComponentRole).toInt(), {}, {}, item->data(kTickedRole).toBool()});
    }
    session_.StoreComponents(components);
    return true;
}

DestinationPage::DestinationPage(CSetupSession& session)
    : SetupPage(session, PageKind::Destination),
      field_(new QLineEdit(Q(session.Config().Destination()))),
      available_(new QLabel),
      required_(new QLabel(Q(session.RequiredSpaceText()))) {
    Body()->addWidget(Paragraph(
        QStringLiteral("Setup will install the program in the following folder. To install into a "
                       "different folder, type its name or click Browse.")));
    AddFolderRow(Body(), field_, kSelectDestination);
    auto* sizes = new QFormLayout;
    sizes->addRow(QStringLiteral("Available space :"), available_);
    sizes->addRow(QStringLiteral("Required space :"), required_);
    Body()->addLayout(sizes);
    Body()->addStretch(1);
    connect(field_, &QLineEdit::editingFinished, this, &DestinationPage::ShowFreeSpace);
}

void DestinationPage::initializePage() {
    ShowFreeSpace();
}

void DestinationPage::ShowFreeSpace() {
    const auto free = session_.FreeSpaceOf(S(field_->text()));
    available_->setText(free ? Q(FormatKilobytes(*free)) : QStringLiteral("-"));
}

bool DestinationPage::validatePage() {
    if (!session_.LeaveDestination(S(field_->text()))) {
        return false;
    }
    field_->setText(Q(session_.Config().Destination()));
    return true;
}

GroupPage::GroupPage(CSetupSession& session)
    : SetupPage(session, PageKind::Group),
      startMenu_(new QLineEdit),
      newGroup_(new QCheckBox(QStringLiteral(" Create a new Program Group "))),
      groupName_(new QLineEdit),
      desktop_(new QCheckBox(QStringLiteral(" Create shortcut on desktop. "))) {
    const GroupPageState state = session.GroupDefaults();
    Body()->addWidget(new QLabel(QStringLiteral("Start Menu folder")));
    startMenu_->setText(Q(state.startMenu));
    AddFolderRow(Body(), startMenu_, kSelectGroup);
    Body()->addWidget(newGroup_);
    Body()->addWidget(groupName_);
    newGroup_->setChecked(state.newGroup);
    groupName_->setText(Q(state.groupName));
    groupName_->setEnabled(state.newGroup);
    connect(newGroup_, &QCheckBox::toggled, groupName_, &QWidget::setEnabled);
    Body()->addWidget(desktop_);
    desktop_->setChecked(state.desktopShown);
    desktop_->setVisible(state.desktopShown);
    Body()->addStretch(1);
}

bool GroupPage::validatePage() {
    return session_.LeaveGroup(S(startMenu_->text()), newGroup_->isChecked(), S(groupName_->text()),
                               desktop_->isVisibleTo(this) && desktop_->isChecked());
}

UninstallPage::UninstallPage(CSetupSession& session)
    : SetupPage(session, PageKind::Uninstall),
      save_(new QCheckBox(QStringLiteral(" Save uninstall information "))),
      field_(new QLineEdit) {
    Body()->addWidget(Paragraph(QStringLiteral(
        "Setup keeps what it installs in a file, so that the program can be removed again. "
        "Choose the folder for it.")));
    Body()->addWidget(save_);
    browse_ = AddFolderRow(Body(), field_, kSelectUninstall);
    Body()->addStretch(1);
    save_->setChecked(session.UninstallAvailable());
    const auto follow = [this](bool on) {
        field_->setEnabled(on);
        browse_->setEnabled(on);
    };
    follow(save_->isChecked());
    connect(save_, &QCheckBox::toggled, this, follow);
}

void UninstallPage::initializePage() {
    field_->setText(Q(session_.Config().LogDirectory()));
}

bool UninstallPage::validatePage() {
    return session_.LeaveUninstall(save_->isChecked(), S(field_->text()));
}

SummaryPage::SummaryPage(CSetupSession& session) : SetupPage(session, PageKind::Summary) {
    Body()->addWidget(Paragraph(QStringLiteral(
        "Setup now has everything it needs to install the program on your computer.")));
    Body()->addWidget(Paragraph(QStringLiteral(
        "Click 'Next' to start the installation, or 'Back' to change your choices.")));
    Body()->addStretch(1);
}

FinishPage::FinishPage(CSetupSession& session)
    : SetupPage(session, PageKind::Finish), text_(new QLabel) {
    text_->setWordWrap(true);
    text_->setObjectName(QStringLiteral("finishText"));
    Body()->addWidget(text_);
    if (session.RebootRequested()) {
        text_->setText(QString::fromLatin1(kMustRestart));
    } else {
        const auto options = session.FinishOptions();
        text_->setText(options.empty()
                           ? QString::fromLatin1(kPressFinish)
                           : QStringLiteral("Setup has installed the program on your computer."));
        int control = 1024;
        for (const FinishOption& option : options) {
            auto* box = new QCheckBox(Q(option.text));
            box->setObjectName(QStringLiteral("option%1").arg(control++));
            Body()->addWidget(box);
            options_.push_back(box);
            numbers_.push_back(option.number);
        }
    }
    Body()->addStretch(1);
}

std::vector<int> FinishPage::Ticked() const {
    std::vector<int> ticked;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        if (options_[i]->isChecked()) {
            ticked.push_back(numbers_[i]);
        }
    }
    return ticked;
}

}  // namespace qm::setup
