#include "patchapply/installed_patches_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "patchapply/installer_texts.h"
#include "patchapply/qt_front_end.h"
#include "patchapply/uninstall_engine.h"
#include "platform/library_binding.h"
#include "platform/qt/qt_message_boxes.h"
#include "suite/install_record.h"

namespace patchapply {

namespace {

constexpr int kFolderRole = Qt::UserRole;

}  // namespace

InstalledPatchesDialog::InstalledPatchesDialog(UninstallAction uninstall, QWidget* parent)
    : QDialog(parent), action_(std::move(uninstall)) {
    setWindowTitle(kUninstallTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Installed Fastfile patches, the newest first:")));
    list_ = new QTreeWidget;
    list_->setColumnCount(3);
    list_->setHeaderLabels({tr("Title"), tr("Installed"), tr("Items")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    uninstall_ = new QPushButton(tr("&Uninstall"));
    close_ = new QPushButton(tr("Close"));
    uninstall_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(uninstall_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(uninstall_, &QPushButton::clicked, this, &InstalledPatchesDialog::UninstallChosen);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            &InstalledPatchesDialog::UpdateButtons);
    resize(560, 320);
    Reload();
}

void InstalledPatchesDialog::Reload() {
    const int row = list_->currentIndex().isValid() ? list_->currentIndex().row() : 0;
    list_->clear();
    for (const suite::InstallRecord& record : suite::ListInstallRecords()) {
        auto* item = new QTreeWidgetItem(
            {QString::fromStdString(record.title.empty() ? "(untitled)" : record.title),
             QString::fromStdString(record.time), QString::number(record.targets.size())});
        item->setData(0, kFolderRole, QString::fromStdString(record.folder));
        list_->addTopLevelItem(item);
    }
    if (list_->topLevelItemCount() > 0) {
        list_->setCurrentItem(list_->topLevelItem(std::min(row, list_->topLevelItemCount() - 1)));
    }
    UpdateButtons();
}

void InstalledPatchesDialog::UpdateButtons() {
    uninstall_->setEnabled(list_->currentItem() != nullptr);
}

void InstalledPatchesDialog::UninstallChosen() {
    QTreeWidgetItem* chosen = list_->currentItem();
    if (chosen == nullptr) {
        QApplication::beep();
        return;
    }
    const std::string folder = chosen->data(0, kFolderRole).toString().toStdString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    action_(folder);
    QApplication::restoreOverrideCursor();
    Reload();
}

int RunInstalledPatchesWithQt(int argc, char** argv, const CommandLine& command) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kUninstallTitle);
    qm::QtMessageBoxService boxes;
    qm::MessageBoxService* previous = qm::SetMessageBoxService(&boxes);
    int result = 1;
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    qm::LibraryBinding<PATCHLIBEXPORT> patchLib;
    if (!packLib.Bind("PackLib.dll", "PackLibInit") ||
        !patchLib.Bind("PatchLib.dll", "PatchLibInit")) {
        qm::ShowMessageBox(kNoLibrary, kUninstallTitle, qm::MessageBoxButtons::Ok,
                           qm::MessageBoxIcon::Error);
    } else {
        QtFrontEnd frontEnd;
        InstalledPatchesDialog dialog([&](const std::string& folder) {
            CommandLine one = command;
            one.fileName = folder;
            return RunUninstall(packLib.Record(), patchLib.Record(), one, frontEnd);
        });
        dialog.exec();
        result = 0;
    }
    qm::SetMessageBoxService(previous);
    return result;
}

}  // namespace patchapply
