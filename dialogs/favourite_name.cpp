#include "dialogs/favourite_name.h"

#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>

#include "dialogs/favourite_store.h"
#include "platform/message_box.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/playlist/playlist_box.h"
#include "ui_favourite_name.h"

namespace {

bool AskYesNo(const QString& text, const QString& caption) {
    return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void NameError(const QString& text) {
    platform::ShowMessage(text, QStringLiteral("命名错误"), platform::MessageIcon::Information);
}

}  // namespace

TForm11::TForm11(QWidget* parent) : QDialog(parent), Ask(AskYesNo), ui_(std::make_unique<Ui::TForm11>()) {
    ui_->setupUi(this);
    if (Ctrl) FavorFolder = Ctrl->InstallFolder + QStringLiteral("Favor/");
    connect(ui_->Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm11::Button2Click);
    connect(ui_->Edit1, &QLineEdit::returnPressed, this, &TForm11::Button2Click);
}

TForm11::~TForm11() = default;

void TForm11::OpenAdd(const QString& name) {
    Mode = 0;
    favourites_ = nullptr;
    ui_->Edit1->setText(name);
}

void TForm11::OpenRename(QListWidget* favourites) {
    Mode = 1;
    favourites_ = favourites;
    ui_->Edit1->setText(favourites && favourites->currentItem() ? favourites->currentItem()->text() : QString());
}

void TForm11::showEvent(QShowEvent* event) {
    const bool add = Mode == 0;
    setWindowTitle(add ? QStringLiteral("加入收藏夹") : QStringLiteral("更改列表名称"));
    ui_->Label2->setText(add ? QStringLiteral("加入收藏") : QStringLiteral("更改名称"));
    ui_->Label1->setText(add ? QStringLiteral("把当前播放列表命名为：") : QStringLiteral("把当前播放列表重命名为："));
    ui_->Edit1->setFocus();
    ui_->Edit1->selectAll();
    QDialog::showEvent(event);
}

bool TForm11::NameAccepted(const QString& name) {
    switch (dialogs::CheckFavouriteName(name)) {
    case dialogs::FavouriteNameProblem::Empty: NameError(QStringLiteral("名字不能为空、请重新输入！  ")); return false;
    case dialogs::FavouriteNameProblem::Minus: NameError(QStringLiteral("名字不能命名为减号、请重新输入！  ")); return false;
    case dialogs::FavouriteNameProblem::Forbidden:
        NameError(QStringLiteral("名字不能含有 \\/:*?\"<>| 这些符号、请重新输入！  "));
        return false;
    case dialogs::FavouriteNameProblem::Dots:
        NameError(QStringLiteral("名字不能是“.”或“..”、请重新输入！  "));
        return false;
    case dialogs::FavouriteNameProblem::Control:
        NameError(QStringLiteral("名字不能含有换行、制表符等控制字符、请重新输入！  "));
        return false;
    case dialogs::FavouriteNameProblem::None: break;
    }
    if (!QFileInfo::exists(dialogs::FavouriteFile(FavorFolder, name))) return true;
    return Ask(QStringLiteral("这个名称已存在，是否覆盖？   "), QStringLiteral("确认覆盖"));
}

bool TForm11::Save(const QString& name) {
    QString error;
    bool saved = false;
    if (Mode == 0) {
        saved = dialogs::AddFavourite(FavorFolder, name, ListBox1 ? ListBox1->Items() : QStringList(), &error);
    } else {
        saved = dialogs::RenameFavourite(FavorFolder, favourites_->currentItem()->text(), name, &error);
        if (saved) RenameInList(name);
    }
    if (!saved) platform::ShowMessage(error, QStringLiteral("错误"), platform::MessageIcon::Error);
    return saved;
}

void TForm11::RenameInList(const QString& name) {
    QStringList names;
    for (int i = 0; i < favourites_->count(); ++i) names << favourites_->item(i)->text();
    names = dialogs::RenamedList(names, favourites_->currentRow(), name);
    favourites_->clear();
    favourites_->addItems(names);
    favourites_->setCurrentRow(int(names.indexOf(name)));
}

void TForm11::Button2Click() {
    const QString name = ui_->Edit1->text();
    if (Mode == 1) {
        if (!favourites_ || !favourites_->currentItem()) return reject();
        if (name.toLower() == favourites_->currentItem()->text().toLower()) return accept();
    }
    if (!NameAccepted(name) || !Save(name)) return;
    if (Ctrl && Ctrl->Menu) Ctrl->Menu->DropMenus();
    accept();
}
