// TForm14: the modal hotkey editor of the settings dialog's hotkey page. It captures a key
// combination as text, lets the user choose the windows it acts in (refusing a window another
// command holds for the same keys), and writes the command's line of Plugins/MenuPlus.ini back.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <memory>

#include "dialogs/hotkey_lines.h"

class QCheckBox;
class QTreeWidget;
namespace Ui { class TForm14; }

class TForm14 : public QDialog {
    Q_OBJECT
public:
    // `listView` is the hotkey page's list: the editor reads its rows and selected row and keeps
    // that row in step with the file.
    explicit TForm14(QTreeWidget* listView, QWidget* parent = nullptr);
    ~TForm14() override;

    // The five boxes from the selected row's hotkey and flags.
    void InitCheckBox();
    // Key capture: the combination's text, and the windows still free for it checked.
    void Edit3KeyDown(const TVirtualKey& key);
    // Releasing the keys after modifiers alone leaves no hotkey.
    void Edit3KeyUp();
    // A window that another command holds for the same keys is refused with a message.
    void CheckBox1Click();
    // Writes the selected row and the command's line; false (reported) when the file could not
    // be read or written, in which case neither changed.
    bool SaveMenuValue();
    void Button2Click();
    void Button1Click();

    Ui::TForm14* ui() const { return ui_.get(); }

    bool Updating = false;  // set while the editor itself changes the boxes

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    QList<dialogs::THotkeyRow> Rows() const;
    int SelectedRow() const;
    QString BoxFlags() const;
    void SetBoxes(const QString& flags, bool enabled);

    std::unique_ptr<Ui::TForm14> ui_;
    QPointer<QTreeWidget> listView_;
    QList<QCheckBox*> boxes_;
};

// The editor of the edit in progress; null while none is open.
extern QPointer<TForm14> Form14;

// Columns of the hotkey page's list.
enum HotkeyColumn { kHotkeyId = 0, kHotkeyAction = 1, kHotkeyKeys = 2, kHotkeyFlags = 3 };

// After MenuPlus.ini changed: the hotkey table and the built menus are dropped, so the next key
// press and the next pop-up read the file again, and the video window's shortcuts are rebuilt.
void DropHotkeysAndMenus();
