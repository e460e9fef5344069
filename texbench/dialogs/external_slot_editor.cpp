#include "texbench/dialogs/external_slot_editor.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace texbench {
namespace {

constexpr int kQuietMs = 300;

}  // namespace

ExternalSlotEditor::ExternalSlotEditor(QObject* parent) : QObject(parent) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    connect(&quiet_, &QTimer::timeout, this, &ExternalSlotEditor::TakeSaves);
    // Many editors save by writing a new file and renaming it over the old one, which ends
    // a watch on the file itself; the folder's watch sees that too.
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &ExternalSlotEditor::OnChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &ExternalSlotEditor::OnChanged);
}

bool ExternalSlotEditor::Start(int slot, const QImage& picture, const QString& program) {
    if (slot < 0 || slot >= kSlots || picture.isNull()) {
        return false;
    }
    if (folder_ == nullptr) {
        folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/texbench-edit-XXXXXX"));
        if (!folder_->isValid()) {
            folder_.reset();
            return false;
        }
        watcher_.addPath(folder_->path());
    }
    Edit& edit = edits_[static_cast<std::size_t>(slot)];
    if (!edit.file.isEmpty()) {
        watcher_.removePath(edit.file);
    }
    edit = Edit{};
    const QString file = folder_->filePath(QStringLiteral("image%1.png").arg(slot + 1));
    if (!picture.save(file, "PNG")) {
        return false;
    }
    const QFileInfo info(file);
    edit.file = file;
    edit.lastSeen = info.lastModified();
    edit.lastSize = info.size();
    watcher_.addPath(file);
    const bool started = program.isEmpty() ? QDesktopServices::openUrl(QUrl::fromLocalFile(file))
                                           : QProcess::startDetached(program, {file});
    if (!started) {
        watcher_.removePath(file);
        edit = Edit{};
    }
    return started;
}

bool ExternalSlotEditor::Pending(int slot) const {
    return slot >= 0 && slot < kSlots && !edits_[static_cast<std::size_t>(slot)].file.isEmpty();
}

bool ExternalSlotEditor::AnyPending() const {
    for (int i = 0; i < kSlots; ++i) {
        if (Pending(i)) {
            return true;
        }
    }
    return false;
}

QString ExternalSlotEditor::FileOf(int slot) const {
    return Pending(slot) ? edits_[static_cast<std::size_t>(slot)].file : QString();
}

void ExternalSlotEditor::OnChanged() {
    WatchAgain();
    quiet_.start();
}

void ExternalSlotEditor::WatchAgain() {
    const QStringList watched = watcher_.files();
    for (const Edit& edit : edits_) {
        if (!edit.file.isEmpty() && !watched.contains(edit.file) && QFileInfo::exists(edit.file)) {
            watcher_.addPath(edit.file);
        }
    }
}

void ExternalSlotEditor::TakeSaves() {
    for (int slot = 0; slot < kSlots; ++slot) {
        Edit& edit = edits_[static_cast<std::size_t>(slot)];
        if (edit.file.isEmpty()) {
            continue;
        }
        const QFileInfo info(edit.file);
        if (!info.exists() ||
            (info.lastModified() == edit.lastSeen && info.size() == edit.lastSize)) {
            continue;
        }
        const QImage picture(edit.file);
        if (picture.isNull()) {
            continue;  // still being written: the next change brings it
        }
        edit.lastSeen = info.lastModified();
        edit.lastSize = info.size();
        emit edited(slot, picture);
    }
}

}  // namespace texbench
