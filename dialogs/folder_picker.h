// TForm7: the one folder-choosing dialog. The caller gives a start folder, a prompt, whether the
// two scan options show, and the setting that receives the chosen folder (ending in "/").
#pragma once

#include <QDialog>
#include <memory>

class QFileSystemModel;
class TSettingsStore;
namespace Ui { class TForm7; }

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    void Init(const QString& startFolder, const QString& prompt, bool showOptions, const QString& settingName);
    // The folder the tree has selected, ending in "/"; empty when none is.
    QString SelectedFolder() const;
    void Button1Click();

    bool OK = false;  // set when the user confirmed a folder
    QString SettingName;
    TSettingsStore* Settings = nullptr;  // the controller's unless a test gives its own

    Ui::TForm7* ui() const { return ui_.get(); }

private:
    void SelectFolder(const QString& folder);
    void UpdateButton();

    std::unique_ptr<Ui::TForm7> ui_;
    QFileSystemModel* model_;
};

// The program's one folder picker, made at its first use and kept, shown modally: true when the
// user confirmed a folder, which is then stored under `settingName`. For every caller (folder
// scan, capture folder, lyrics folder, skin folder).
bool PickFolderSetting(const QString& startFolder, const QString& prompt, bool showOptions, const QString& settingName);
