#pragma once

#include <QWizardPage>
#include <vector>

#include "setup/flow/page_table.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTextBrowser;
class QVBoxLayout;

namespace qm::setup {

class CSetupSession;

// A page of Setup's wizard: picture 104 on the left, the title (control 1049) in Times New
// Roman at 16 points above the page's own controls.
class SetupPage : public QWizardPage {
  public:
    SetupPage(CSetupSession& session, PageKind kind);
    PageKind Kind() const { return kind_; }
    QLabel* TitleLabel() const { return title_; }
    static QFont TitleFont();

  protected:
    QVBoxLayout* Body() const { return body_; }
    CSetupSession& session_;

  private:
    PageKind kind_;
    QLabel* title_;
    QVBoxLayout* body_;
};

class SplashPage : public SetupPage {
  public:
    explicit SplashPage(CSetupSession& session);
};

class WelcomePage : public SetupPage {
  public:
    explicit WelcomePage(CSetupSession& session);
    QTextBrowser* Text() const { return text_; }
    // The four read-only fields, hidden while the formatted text is shown.
    const std::vector<QLineEdit*>& Fields() const { return fields_; }

  private:
    QTextBrowser* text_;
    std::vector<QLineEdit*> fields_;
};

// The licence (with its two choices) and the read-me page.
class DocumentPage : public SetupPage {
  public:
    DocumentPage(CSetupSession& session, PageKind kind, const std::string& path);
    QTextBrowser* Text() const { return text_; }
    QRadioButton* Agree() const { return agree_; }
    QRadioButton* Decline() const { return decline_; }
    bool isComplete() const override;
    bool validatePage() override;

  private:
    QTextBrowser* text_;
    QRadioButton* agree_ = nullptr;
    QRadioButton* decline_ = nullptr;
};

class ComponentsPage : public SetupPage {
  public:
    explicit ComponentsPage(CSetupSession& session);
    QListWidget* List() const { return list_; }
    QLabel* Description() const { return description_; }
    void Toggle(QListWidgetItem* item);
    bool validatePage() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QListWidget* list_;
    QLabel* description_;
};

class DestinationPage : public SetupPage {
  public:
    explicit DestinationPage(CSetupSession& session);
    QLineEdit* Field() const { return field_; }
    QLabel* Available() const { return available_; }
    QLabel* Required() const { return required_; }
    bool validatePage() override;
    void initializePage() override;

  private:
    void ShowFreeSpace();
    QLineEdit* field_;
    QLabel* available_;
    QLabel* required_;
};

class GroupPage : public SetupPage {
  public:
    explicit GroupPage(CSetupSession& session);
    QLineEdit* StartMenu() const { return startMenu_; }
    QCheckBox* NewGroup() const { return newGroup_; }
    QLineEdit* GroupName() const { return groupName_; }
    QCheckBox* Desktop() const { return desktop_; }
    bool validatePage() override;

  private:
    QLineEdit* startMenu_;
    QCheckBox* newGroup_;
    QLineEdit* groupName_;
    QCheckBox* desktop_;
};

class UninstallPage : public SetupPage {
  public:
    explicit UninstallPage(CSetupSession& session);
    QCheckBox* Save() const { return save_; }
    QLineEdit* Field() const { return field_; }
    void initializePage() override;
    bool validatePage() override;

  private:
    QCheckBox* save_;
    QLineEdit* field_;
    QPushButton* browse_;
};

class SummaryPage : public SetupPage {
  public:
    explicit SummaryPage(CSetupSession& session);
};

class FinishPage : public SetupPage {
  public:
    explicit FinishPage(CSetupSession& session);
    QLabel* Text() const { return text_; }
    const std::vector<QCheckBox*>& Options() const { return options_; }
    // The numbers of the ticked options.
    std::vector<int> Ticked() const;

  private:
    QLabel* text_;
    std::vector<QCheckBox*> options_;
    std::vector<int> numbers_;
};

}  // namespace qm::setup
