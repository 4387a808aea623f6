// The hotkey page: every command of Plugins/MenuPlus.ini with its hotkey and windows; a click on
// a row opens the hotkey editor on it.
#include <QHeaderView>
#include <QTreeWidget>

#include "dialogs/hotkey_editor.h"
#include "dialogs/settings_dialog.h"
#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "ui_hotkey_editor.h"
#include "ui_settings_dialog.h"

void TForm8::ConnectHotkeyPage() {
    QTreeWidget* list = ui_->ListView1;
    constexpr int kWidths[] = {36, 106, 68, 43};
    for (int column = 0; column < 4; ++column) list->header()->resizeSection(column, kWidths[column]);
    connect(list, &QTreeWidget::itemClicked, this, [this] { ListView1Click(); });
}

bool TForm8::LoadHotkeyList(QString* error) {
    QStringList lines;
    if (!platform::ReadTextLines(Ctrl->InstallFolder + QStringLiteral("Plugins/MenuPlus.ini"), &lines, error))
        return false;
    QTreeWidget* list = ui_->ListView1;
    list->clear();
    for (const dialogs::THotkeyRow& row : dialogs::HotkeyRows(lines))
        new QTreeWidgetItem(list, {row.Id, row.Action, row.Hotkey, row.Flags});
    return true;
}

void TForm8::ListView1Click() {
    const QList<QTreeWidgetItem*> selected = ui_->ListView1->selectedItems();
    if (selected.isEmpty()) return;
    const QTreeWidgetItem* row = selected.first();
    if (!Form14) Form14 = new TForm14(ui_->ListView1);
    Ui::TForm14* editor = Form14->ui();
    editor->Edit1->setText(row->text(kHotkeyId));
    editor->Edit2->setText(row->text(kHotkeyAction));
    editor->Edit3->setText(row->text(kHotkeyKeys));
    Form14->InitCheckBox();
    Form14->exec();
    delete Form14.data();
}
