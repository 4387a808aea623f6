// The favourites page: the saved favourite playlists with delete, clear-all, rename and drag
// reordering. Every change starts from the store as it is now, never from the list as it was
// shown, so a favourite added meanwhile is not lost.
#include <QFile>
#include <QMouseEvent>

#include "dialogs/favourite_name.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/settings_favourites.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "ui_settings_dialog.h"

namespace {

QString FavorFolder() { return Ctrl->InstallFolder + QStringLiteral("Favor/"); }

QStringList ListedNames(const QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i) names.append(list->item(i)->text());
    return names;
}

// The favourites submenu is rebuilt from the store at its next pop-up.
void DropFavouritesMenu() {
    if (Ctrl->Menu) Ctrl->Menu->DropMenus();
}

}  // namespace

void TForm8::ConnectFavouritesPage() {
    connect(ui_->ListBox3, &QListWidget::currentRowChanged, this, [this] { UpdateFavouriteButtons(); });
    connect(ui_->Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
    connect(ui_->Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
    connect(ui_->Button11, &QPushButton::clicked, this, [this] { Button11Click(); });
    ui_->ListBox3->viewport()->installEventFilter(this);
}

bool TForm8::LoadFavorites(QString* error) {
    QStringList names;
    const bool read = ReadFavouriteNames(FavorFolder(), &names, error);
    ui_->ListBox3->clear();
    ui_->ListBox3->addItems(names);
    return read;
}

void TForm8::UpdateFavouriteButtons() {
    const bool selected = ui_->ListBox3->currentRow() >= 0;
    ui_->Button9->setEnabled(selected);
    ui_->Button11->setEnabled(selected);
}

bool TForm8::SaveFavourites() {
    QString error;
    if (WriteFavouriteNames(FavorFolder(), ListedNames(ui_->ListBox3), &error)) return true;
    ShowFillFailure(QStringLiteral("列表收藏夹"), error);
    return false;
}

QListWidgetItem* TForm8::ChosenFavouriteReloaded(bool* failed) {
    *failed = false;
    const QListWidgetItem* chosen = ui_->ListBox3->currentItem();
    if (!chosen) return nullptr;
    const QString name = chosen->text();
    // Act on the list as the store holds it now, so the saved list loses nothing.
    QString error;
    if (!LoadFavorites(&error)) {
        ShowFillFailure(QStringLiteral("列表收藏夹"), error);
        *failed = true;
        return nullptr;
    }
    const QList<QListWidgetItem*> found = ui_->ListBox3->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return found.isEmpty() ? nullptr : found.first();
}

void TForm8::Button9Click() {
    bool failed = false;
    if (QListWidgetItem* found = ChosenFavouriteReloaded(&failed)) {
        QFile::remove(FavorFolder() + found->text() + QStringLiteral(".kpl"));
        delete ui_->ListBox3->takeItem(ui_->ListBox3->row(found));
        SaveFavourites();
        DropFavouritesMenu();
    }
    if (!failed) UpdateFavouriteButtons();
}

void TForm8::Button10Click() {
    ui_->ListBox3->clear();
    DeleteAllFavourites(FavorFolder());
    DropFavouritesMenu();
    ui_->Button9->setEnabled(false);
    ui_->Button11->setEnabled(false);
}

void TForm8::Button11Click() {
    if (!ui_->ListBox3->currentItem()) return;
    bool failed = false;
    QListWidgetItem* found = ChosenFavouriteReloaded(&failed);
    if (failed) return;
    if (!found) {
        UpdateFavouriteButtons();
        return;
    }
    ui_->ListBox3->setCurrentItem(found);
    // Made once and kept, as the program's other small dialogs are.
    static QPointer<TForm11> naming;
    if (!naming) naming = new TForm11(Form1);
    naming->FavorFolder = FavorFolder();
    naming->OpenRename(ui_->ListBox3);
    naming->exec();
    UpdateFavouriteButtons();
}

void TForm8::FavouritesMouseDown() {
    Moved = false;
    const QListWidgetItem* chosen = ui_->ListBox3->currentItem();
    const QString name = chosen ? chosen->text() : QString();
    // Reorder what the store holds now: the list shown may be older than Favor.ini.
    QString error;
    if (!LoadFavorites(&error)) {
        DragIndex = -1;
        ShowFillFailure(QStringLiteral("列表收藏夹"), error);
        return;
    }
    const QList<QListWidgetItem*> found = ui_->ListBox3->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    DragIndex = found.isEmpty() ? -1 : ui_->ListBox3->row(found.first());
    ui_->ListBox3->setCurrentRow(DragIndex);
}

void TForm8::FavouritesMouseMove(const QPoint& pos) {
    if (DragIndex < 0) return;
    const QListWidgetItem* under = ui_->ListBox3->itemAt(pos);
    const int target = under ? ui_->ListBox3->row(under) : -1;
    if (target < 0 || target >= ui_->ListBox3->count() || target == DragIndex) return;
    QListWidgetItem* a = ui_->ListBox3->item(DragIndex);
    QListWidgetItem* b = ui_->ListBox3->item(target);
    const QString text = a->text();
    a->setText(b->text());
    b->setText(text);
    DragIndex = target;
    ui_->ListBox3->setCurrentRow(target);
    Moved = true;
}

void TForm8::FavouritesMouseUp() {
    if (Moved) {
        SaveFavourites();
        DropFavouritesMenu();
    }
    DragIndex = -1;
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ListBox3->viewport()) {
        // The press selects the row under it, then starts a possible drag.
        if (event->type() == QEvent::MouseButtonPress) {
            ui_->ListBox3->setCurrentItem(ui_->ListBox3->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
            FavouritesMouseDown();
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            FavouritesMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            FavouritesMouseUp();
            return true;
        }
    }
    if (watched == ui_->ListBox1 && SkinListKey(event)) return true;
    if (watched == ui_->Label12) {
        if (event->type() == QEvent::Enter) Label12MouseEnter();
        if (event->type() == QEvent::Leave) Label12MouseLeave();
        if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            Label12Click();
    }
    return QDialog::eventFilter(watched, event);
}
