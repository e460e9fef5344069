#include "texbench/dialogs/main_dialog.h"

namespace texbench {

MainDialog::MainDialog(const PACKLIBEXPORT& packLib, CIniDocument& settings,
                       const QString& commandLine, QWidget* parent)
    : QDialog(parent), packLib_(packLib), settings_(settings) {
    Q_UNUSED(commandLine);
    setWindowTitle(QStringLiteral("Skinwright"));
}

MainDialog::~MainDialog() = default;

bool MainDialog::OpenFromOtherProgram(const QByteArray& text) {
    return !text.isEmpty();
}

void MainDialog::Reload() {}

}  // namespace texbench
