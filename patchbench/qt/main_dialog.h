// Dialog 102, the editor's main window: the menu bar of the command table, the list of patch
// items, the five buttons beneath it, and drops of transfer blocks. The document logic is the
// PatchEditor's; this dialog shows its state and asks its questions.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <span>
#include <string>

#include "patchbench/engine/item_properties.h"
#include "patchbench/engine/patch_editor.h"

class QAction;
class QMenuBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace patchbench {

// Where the dialog finds the files that belong to the program.
struct EditorFiles {
    std::string settingsPath;
    std::string helpPath;
    std::string tipsPath;
};

class MainDialog : public QDialog, public EditorFrontEnd {
    Q_OBJECT

  public:
    // `path`: a patch to open (else a new one is made); `showTip`: the tip of the day follows
    // once the dialog runs.
    // `game`: the Fastfiles that the item properties and the OLP conversion read.
    MainDialog(const PATCHLIBEXPORT& patchLib, EditorFiles files, const std::string& path,
               bool showTip, GameAccess game = {}, QWidget* parent = nullptr);
    ~MainDialog() override;

    PatchEditor& Editor() { return editor_; }
    QTreeWidget* List() const { return list_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    QAction* Action(int commandId) const;
    QPushButton* Button(int commandId) const;
    bool AcceleratorsOn() const { return acceleratorsOn_; }

    // Requests of other programs.
    void Restore();
    bool OpenFromOtherProgram(const std::string& path);
    void ReceiveItems(std::span<const unsigned char> block);

    void RunCommand(int commandId);

    // EditorFrontEnd
    std::optional<std::string> AskPatchToOpen() override;
    std::optional<std::string> AskPatchToSaveAs(const std::string& currentPath) override;
    std::optional<PatchHeaderTexts> EditPatchInfo(const PatchHeaderTexts& texts) override;
    std::optional<std::string> AskOlpToConvert() override;
    void Beep() override;
    void ShowWaitCursor(bool on) override;

  signals:
    // After every command and request, once the window shows the document again.
    void documentShown();

  public slots:
    void reject() override;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildMenus();
    void BuildList();
    void BuildButtons(QVBoxLayout* layout);
    void ShowDocument();
    void TakeSelectionFromList();
    void UpdateCommandStates();
    void StartRename();
    void FinishRename(int row, const QString& text);
    void SetAcceleratorsOn(bool on);
    void OpenWithDesktop(const QString& address);
    void ShowProperties();
    void ConvertOlp();

    const PATCHLIBEXPORT& patchLib_;
    GameAccess game_;
    PatchEditor editor_;
    EditorFiles files_;
    QMenuBar* menuBar_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, QPushButton*> buttons_;
    bool showing_ = false;  // while the list is being refilled
    bool acceleratorsOn_ = true;
    bool columnsSized_ = false;
    int waitDepth_ = 0;
};

}  // namespace patchbench
