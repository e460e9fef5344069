// The main dialog of TexBench: the folder tree, the item list, the preview and the info line.
// All browsing logic lives in the headless BrowserModel; this class shows its state, turns
// clicks and keys into its commands and asks its questions through qm::ShowMessageBox.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "inidoc/ini_document.h"
#include "packlib/packlib.h"
#include "texbench/browser/item_operations.h"
#include "texbench/browser/main_commands.h"
#include "texbench/dialogs/main_dialog_look.h"

class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTemporaryDir;
class QTreeWidget;
class QTreeWidgetItem;

namespace suite {
class PreviewControl;
}

namespace texbench {

class BrowserModel;
class FolderNode;
class ItemListWidget;
struct DialogTemplate;

class MainDialog : public QDialog {
    Q_OBJECT
  public:
    // commandLine: the text after the program name, as the start-up received it (the dialog
    // itself removes "-nosplash"/"/nosplash" and opens a database or a Fastfile named there,
    // else the default database). look: the skin whose template, pictures and colours the
    // dialog takes; by default the system look.
    MainDialog(const PACKLIBEXPORT& packLib, CIniDocument& settings, const QString& commandLine,
               QWidget* parent = nullptr, MainDialogLook look = {});
    ~MainDialog() override;  // writes "Pos X"/"Pos Y", closes archive and database
    // A second start or another program hands over a file to open: true when handled.
    bool OpenFromOtherProgram(const QByteArray& text);
    // The settings changed (after a patch installation): reopen and keep the selection.
    void Reload();

    // The browser behind the dialog, for the program shell and tests.
    const BrowserModel& Model() const { return *model_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped on the dialog are imported into the current archive.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // Lays the controls out from the template (the skin's or the program's own).
    void CreateControls(const DialogTemplate& layout);
    void PlaceAtSavedPosition();
    void BuildTree();
    void FillList();
    // Mirror the model's tree and list without running the selection handlers again.
    void ShowTree();
    void ShowList();
    void AddTreeItems(QTreeWidgetItem* parentItem, const FolderNode& node);
    QTreeWidgetItem* ItemOfNode(const FolderNode* node) const;
    // Every button, key and menu entry ends here, by the command's id.
    void Run(CommandId id);
    CommandContext Context() const;
    void UpdateButtons();
    // Fills the menu with the place's entries, enabled and marked for the current state, and
    // runs the chosen one.
    void PopUp(QMenu& menu, CommandPlace place, ListMenuKind kind, const QPoint& at);
    void OnTreeSelectionChanged();
    void OnListStateChanged();
    void ShowFolderProperties();
    void ItemProperties();
    void EditTextureProperties(int row);
    bool RunListKey(CommandKey key);
    int FocusedRow() const;
    void ShowOpenMenu();
    void OpenDatabase();
    void OpenFastfile();
    void ReportOpenFailure();
    void ShowTreeMenu(const QPoint& position);
    void ShowListMenu(const QPoint& position);
    QString FocusedRowText() const;
    // The model index of the row that is selected and focused, or -1.
    int FocusedSelectedRow() const;
    void StartRename();
    void FinishRename(int row, const QString& newName);
    void DeleteSelectedRows();
    void ExportRowsToFiles();
    void ImportItems();
    void PasteItems();
    std::vector<int> SelectedRows() const;
    // Beeps, or shows the refilled list with the command's selection.
    void ShowResult(const ItemCommandResult& result);
    // Items leaving TexBench: Copy, a drag out of the list, Add to Patch and the Patch
    // button, and the Patch menu.
    void CopyRows();
    void DragRows();
    void SendRowsToPatch(bool patchButton);
    void RunPatchMenu(CommandId id);
    void FillMenu(QMenu& menu, CommandPlace place, ListMenuKind kind,
                  const CommandContext& context);

    std::unique_ptr<BrowserModel> model_;
    CIniDocument& settings_;
    MainDialogLook look_;
    QTreeWidget* tree_ = nullptr;
    ItemListWidget* list_ = nullptr;
    suite::PreviewControl* preview_ = nullptr;
    QLabel* info_ = nullptr;
    std::map<CommandId, QPushButton*> buttons_;
    int shownRow_ = -1;  // the row whose description and picture are shown, -1 for none
    // The files of the last drag out, kept until the next one (or the end), because a drop
    // target may read them after the drag has ended.
    std::unique_ptr<QTemporaryDir> dragFiles_;
};

}  // namespace texbench
