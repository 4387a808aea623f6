#include "dialogs/hotkey_editor.h"

#include <QKeyEvent>
#include <QTreeWidget>

#include "platform/message_box.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/video/form4.h"
#include "ui_hotkey_editor.h"

QPointer<TForm14> Form14;

namespace {

// Sets the boxes by code without their handler taking it for the user's click.
class UpdatingGuard {
public:
    explicit UpdatingGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~UpdatingGuard() { flag_ = old_; }
    UpdatingGuard(const UpdatingGuard&) = delete;
    UpdatingGuard& operator=(const UpdatingGuard&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace

void DropHotkeysAndMenus() {
    if (!Ctrl) return;
    Ctrl->Hotkeys.reset();
    if (Ctrl->Menu) Ctrl->Menu->DropMenus();
    if (Form4) Form4->BuildPopupMenu();
}

TForm14::TForm14(QTreeWidget* listView, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm14>()), listView_(listView) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    boxes_ = {ui_->CheckBox1, ui_->CheckBox2, ui_->CheckBox3, ui_->CheckBox4, ui_->CheckBox5};
    for (QCheckBox* box : boxes_) connect(box, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm14::Button2Click);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm14::Button1Click);
    ui_->Edit3->installEventFilter(this);
    ui_->Edit3->setFocus();
    FormCreate();
}

TForm14::~TForm14() = default;

void TForm14::FormCreate() { Updating = false; }

QList<dialogs::THotkeyRow> TForm14::Rows() const {
    QList<dialogs::THotkeyRow> rows;
    if (!listView_) return rows;
    for (int i = 0; i < listView_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = listView_->topLevelItem(i);
        rows.append({item->text(kHotkeyId), item->text(kHotkeyAction), item->text(kHotkeyKeys),
                     item->text(kHotkeyFlags)});
    }
    return rows;
}

int TForm14::SelectedRow() const {
    if (!listView_) return -1;
    const QList<QTreeWidgetItem*> selected = listView_->selectedItems();
    return selected.isEmpty() ? -1 : listView_->indexOfTopLevelItem(selected.first());
}

QString TForm14::BoxFlags() const {
    QString flags;
    for (const QCheckBox* box : boxes_) flags += box->isChecked() ? u'1' : u'0';
    return flags;
}

void TForm14::SetBoxes(const QString& flags, bool enabled) {
    UpdatingGuard guard(Updating);
    for (int n = 0; n < boxes_.size(); ++n) {
        boxes_[n]->setChecked(n < flags.size() && flags[n] == u'1');
        boxes_[n]->setEnabled(enabled);
    }
}

void TForm14::InitCheckBox() {
    const int selected = SelectedRow();
    const QString hotkey = selected >= 0 ? listView_->topLevelItem(selected)->text(kHotkeyKeys) : QString();
    const QString flags = selected >= 0 ? listView_->topLevelItem(selected)->text(kHotkeyFlags) : QString();
    if (hotkey.isEmpty() || dialogs::EndsInLoneModifier(hotkey) || flags.size() < 4) SetBoxes(QString(), false);
    else SetBoxes(flags, true);
}

void TForm14::Edit3KeyDown(const TVirtualKey& key) {
    const QString text = dialogs::CaptureText(key);
    ui_->Edit3->setText(text);
    ui_->Edit3->end(false);
    SetBoxes(dialogs::FreeWindows(Rows(), SelectedRow(), text), !text.isEmpty());
}

void TForm14::Edit3KeyUp() {
    QString text = ui_->Edit3->text();
    if (dialogs::EndsInLoneModifier(text)) text.clear();
    ui_->Edit3->setText(text);
    if (text.isEmpty()) SetBoxes(QString(), false);
}

void TForm14::CheckBox1Click() {
    const QString hotkey = ui_->Edit3->text();
    if (Updating || hotkey.isEmpty()) return;
    const QList<dialogs::THotkeyRow> rows = Rows();
    const dialogs::THotkeyConflict conflict = dialogs::FirstConflict(rows, SelectedRow(), hotkey, BoxFlags());
    if (conflict.Row < 0) return;
    platform::ShowMessage(QStringLiteral("标号为[") + rows[conflict.Row].Id +
                              QStringLiteral("]的项目已在该区域定义了这个快捷键！  "),
                          QStringLiteral("同一区域不能有相同的快捷键"), platform::MessageIcon::Information);
    UpdatingGuard guard(Updating);
    boxes_[conflict.Position]->setChecked(false);
}

bool TForm14::SaveMenuValue() {
    const QString hotkey = ui_->Edit3->text();
    const QString flags = hotkey.isEmpty() ? QString() : BoxFlags();
    const QString tail = hotkey.isEmpty() ? QString() : QStringLiteral("#") + hotkey + u'%' + flags;
    const int selected = SelectedRow();
    if (selected < 0 || !Ctrl) return true;
    bool replaced = false;
    QString error;
    // The file first: a row that shows what the file does not hold would mislead.
    if (!dialogs::SaveHotkeyLine(Ctrl->InstallFolder + QStringLiteral("Plugins/MenuPlus.ini"), ui_->Edit1->text(),
                                 tail, &replaced, &error)) {
        platform::ShowMessage(error, QString(), platform::MessageIcon::Error);
        return false;
    }
    QTreeWidgetItem* row = listView_->topLevelItem(selected);
    row->setText(kHotkeyAction, ui_->Edit2->text());
    row->setText(kHotkeyKeys, hotkey);
    row->setText(kHotkeyFlags, flags);
    DropHotkeysAndMenus();
    return true;
}

void TForm14::Button2Click() {
    // A failed save keeps the editor open with what the user chose.
    if (SaveMenuValue()) close();
}

void TForm14::Button1Click() { close(); }

bool TForm14::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui_->Edit3) return QDialog::eventFilter(watched, event);
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto* keyEvent = static_cast<const QKeyEvent*>(event);
    // Tab still leaves the field, so the boxes and buttons stay reachable by keyboard.
    if ((keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab) &&
        !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (event->type() == QEvent::KeyPress) Edit3KeyDown(MapKeyEvent(*keyEvent));
    else if (!keyEvent->isAutoRepeat()) Edit3KeyUp();
    return true;
}
