#include "patchbench/qt/tip_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/qt/artwork.h"

namespace patchbench {

TipDialog::TipDialog(const std::string& tipsPath, const std::string& settingsPath, QWidget* parent)
    : QDialog(parent), settings_(settingsPath), tips_(tipsPath, settings_) {
    setWindowTitle(tr("Tip of the Day"));
    auto* layout = new QVBoxLayout(this);

    auto* page = new QWidget;
    page->setObjectName("tipPage");
    page->setAutoFillBackground(true);
    QPalette white = page->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    page->setPalette(white);
    auto* pageLayout = new QHBoxLayout(page);
    auto* bulb = new QLabel;
    bulb->setPixmap(TipBulb());
    bulb->setAlignment(Qt::AlignTop);
    pageLayout->addWidget(bulb);
    auto* column = new QVBoxLayout;
    auto* header = new QLabel(QString::fromLatin1(kTipHeaderText));
    QFont bold = header->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    header->setFont(bold);
    column->addWidget(header);
    text_ = new QLabel;
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    text_->setMinimumSize(320, 100);
    column->addWidget(text_, 1);
    pageLayout->addLayout(column, 1);
    layout->addWidget(page, 1);

    auto* row = new QHBoxLayout;
    show_ = new QCheckBox(tr(" &Show Tips on StartUp "));
    show_->setChecked(tips_.ShowAtStartup());
    row->addWidget(show_);
    row->addStretch();
    next_ = new QPushButton(tr("&Next Tip"));
    next_->setEnabled(tips_.CanShowNext());
    row->addWidget(next_);
    auto* close = new QPushButton(tr("Close"));
    close->setDefault(true);
    row->addWidget(close);
    layout->addLayout(row);

    connect(next_, &QPushButton::clicked, this, &TipDialog::ShowNextTip);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    ShowNextTip();
}

// Whichever way the dialog closes, the choice and the place in the tips are kept.
TipDialog::~TipDialog() {
    tips_.SetShowAtStartup(show_->isChecked());
    tips_.Save();
}

void TipDialog::ShowNextTip() {
    text_->setText(QString::fromLocal8Bit(tips_.TakeTip().c_str()));
}

}  // namespace patchbench
