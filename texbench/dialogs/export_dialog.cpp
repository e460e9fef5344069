#include "texbench/dialogs/export_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace texbench {

QStringList NameFiltersOf(const char* filter) {
    const QStringList parts = QString::fromLatin1(filter).split('|');
    QStringList names;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty()) {
            names << parts[i];  // the text already names its pattern in parentheses
        }
    }
    return names;
}

ExportFileDialog::ExportFileDialog(QWidget* parent, suite::ItemKind archiveKind,
                                   const QString& directory, int filterIndex,
                                   const QString& initialName, bool severalFiles)
    : QFileDialog(parent),
      archiveKind_(archiveKind),
      initialName_(initialName),
      severalFiles_(severalFiles) {
    const ExportDialogTexts texts = ExportTextsFor(archiveKind);
    setWindowTitle(QString::fromLatin1(texts.title));
    // The choice below the file list needs Qt's own dialog.
    setOption(QFileDialog::DontUseNativeDialog);
    // Existing files are overwritten without asking, as exports always have been.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDirectory(directory);
    filters_ = NameFiltersOf(texts.filter);
    setNameFilters(filters_);
    if (filterIndex >= 1 && filterIndex <= filters_.size()) {
        selectNameFilter(filters_[filterIndex - 1]);
    }
    fileName_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));

    auto* choice = new QWidget(this);
    auto* row = new QHBoxLayout(choice);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Export:"), choice));
    selected_ = new QRadioButton(QStringLiteral(" Selected File(s) "), choice);
    selected_->setObjectName(QStringLiteral("selected files"));
    all_ = new QRadioButton(QStringLiteral(" All Files "), choice);
    all_->setObjectName(QStringLiteral("all files"));
    auto* group = new QButtonGroup(choice);
    group->addButton(selected_, 0);
    group->addButton(all_, 1);
    row->addWidget(selected_);
    row->addWidget(all_);
    row->addStretch();
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(choice, grid->rowCount(), 0, 1, grid->columnCount());
    }

    if (!initialName.isEmpty() || severalFiles) {
        selected_->setChecked(true);
        if (fileName_ != nullptr) {
            fileName_->setText(severalFiles ? QString() : initialName);
        }
    } else {
        all_->setChecked(true);
        selected_->setEnabled(false);
    }
    connect(group, &QButtonGroup::idClicked, this, [this] { UpdateForChoice(); });
    connect(this, &QFileDialog::filterSelected, this, [this] { UpdateForType(); });
    connect(this, &QFileDialog::currentChanged, this, [this] {
        if (AllFilesChosen() || severalFiles_) {
            UpdateForType();
        }
    });
    UpdateForChoice();
}

void ExportFileDialog::UpdateForChoice() {
    const bool fixedName = AllFilesChosen() || severalFiles_;
    if (fileName_ != nullptr) {
        fileName_->setEnabled(!fixedName);
        if (!fixedName) {
            fileName_->setText(initialName_);
        }
    }
    UpdateForType();
}

void ExportFileDialog::UpdateForType() {
    QString name = AllFilesChosen()       ? QStringLiteral("All Files")
                   : severalFiles_        ? QStringLiteral("Selected Files")
                   : fileName_ != nullptr ? fileName_->text()
                                          : initialName_;
    name = QString::fromLocal8Bit(
        WithDialogExtension(name.toLocal8Bit().toStdString(), FilterIndex(), archiveKind_));
    if (fileName_ != nullptr) {
        fileName_->setText(name);
    }
    selectFile(name);
}

int ExportFileDialog::FilterIndex() const {
    return static_cast<int>(filters_.indexOf(selectedNameFilter())) + 1;
}

bool ExportFileDialog::AllFilesChosen() const {
    return all_ != nullptr && all_->isChecked();
}

ExportChoice ExportFileDialog::Choice() const {
    const QStringList files = selectedFiles();
    const QString path = files.isEmpty() ? QString() : files.front();
    return {path.toLocal8Bit().toStdString(), FilterIndex(), AllFilesChosen()};
}

}  // namespace texbench
