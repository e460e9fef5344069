// The open-file dialog for sounds: the usual file dialog with a "Sound information /
// Preview" panel below it that describes the selected WAV file from its header and plays it
// through the platform's sound service, once or in a loop. A sound started here plays on
// after the dialog closes until another request replaces it.
#pragma once

#include <QFileDialog>
#include <QString>

#include "suite/settings_readers.h"

class CIniDocument;
class QCheckBox;
class QLabel;
class QPushButton;

namespace suite {

class SoundImportDialog : public QFileDialog {
    Q_OBJECT
  public:
    // loopSetting: where the "&Loop sound" box keeps its state (1 or 0) in settings.
    SoundImportDialog(CIniDocument& settings, const IntSetting& loopSetting,
                      QWidget* parent = nullptr, const QString& caption = {},
                      const QString& directory = {}, const QString& filter = {});

    // The selected file changed (also called by the dialog itself): describes it or clears
    // the panel. An empty name means no selection.
    void ShowFile(const QString& fileName);

  private:
    QWidget* CreatePanel();
    void Play();
    void LoopToggled(bool on);

    CIniDocument& settings_;
    IntSetting loopSetting_;
    QString file_;  // the described file, empty when "&Play" is disabled
    QLabel* duration_ = nullptr;
    QLabel* format_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QCheckBox* loop_ = nullptr;
};

// The pictures of the "&Play" (200) and "&Stop" (201) buttons.
QIcon SoundButtonIcon(int id);

}  // namespace suite
