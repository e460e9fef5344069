// Editing a texture slot in the user's own picture editor: the slot goes to a PNG file in a
// private temporary folder, the editor is started on it, and every save of that file hands
// the new picture back. The watch, and the folder, end with this object.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <memory>

namespace texbench {

class ExternalSlotEditor : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSlots = 3;

    explicit ExternalSlotEditor(QObject* parent = nullptr);

    // Writes the picture and opens it with the program (empty: the desktop's default program
    // for PNG files). False when the file could not be written or nothing could be started.
    bool Start(int slot, const QImage& picture, const QString& program);
    bool Pending(int slot) const;
    bool AnyPending() const;
    // The file of a pending edit, for tests and the dialog's note.
    QString FileOf(int slot) const;

  signals:
    // The editor saved the file and it reads as a picture.
    void edited(int slot, const QImage& picture);

  private:
    struct Edit {
        QString file;
        QDateTime lastSeen;
        qint64 lastSize = -1;
    };
    void OnChanged();
    void TakeSaves();
    void WatchAgain();

    // Made by the first edit, so that a dialog nobody edits from leaves nothing behind.
    std::unique_ptr<QTemporaryDir> folder_;
    QFileSystemWatcher watcher_;
    // Editors write in several steps; the file is read once it has been quiet for a moment.
    QTimer quiet_;
    std::array<Edit, kSlots> edits_;
};

}  // namespace texbench
