// The skin page: the skins folder's list, installing the chosen entry as the current skin and the
// reload that shows it, the folder choice, and the install of a skin archive handed to the player.
#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include "dialogs/folder_picker.h"
#include "dialogs/settings_dialog.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/skin/skin_install.h"
#include "ui_settings_dialog.h"

namespace {

// The skins page of the product's web site; its address is a value of the deployment.
const QString kSkinsDownloadPage = QStringLiteral("http://velmora.test/skins");

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
    return folder;
}

}  // namespace

void TForm8::ConnectSkinPage() {
    connect(ui_->ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    ui_->ListBox1->installEventFilter(this);
    connect(ui_->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    ui_->Label12->setCursor(Qt::PointingHandCursor);
    ui_->Label12->installEventFilter(this);
}

QString TForm8::SkinsPath() const {
    return WithSlash(Ctrl->ReadString(QStringLiteral("SkinsPath"), Ctrl->InstallFolder + QStringLiteral("skins/")));
}

void TForm8::FillSkinPage() {
    ListSkins(SkinsPath());
    const QString name = Ctrl->ReadString(QStringLiteral("SkinsName"), BuiltInSkinEntry());
    const QList<QListWidgetItem*> found = ui_->ListBox1->findItems(name, Qt::MatchExactly);
    const QSignalBlocker quiet(ui_->ListBox1);
    ui_->ListBox1->setCurrentRow(found.isEmpty() ? -1 : ui_->ListBox1->row(found.first()));
}

void TForm8::ListSkins(const QString& folder) {
    ui_->ListBox1->clear();
    ui_->ListBox1->addItem(BuiltInSkinEntry());
    ui_->ListBox1->addItems(ListSkinFolder(folder));
}

bool TForm8::ApplySkin() {
    const QListWidgetItem* selected = ui_->ListBox1->currentItem();
    if (!selected || !selected->isSelected()) return false;
    const QString entry = selected->text();
    QString error;
    if (!InstallSkin(Ctrl->InstallFolder, SkinsPath(), entry, SkinUnzipLibrary(Ctrl->InstallFolder), &error)) {
        // Shown once the caller is done: a skin handed over by a second start must not hold that
        // start's answer until the box is closed.
        const QString text = QStringLiteral("界面安装失败，当前界面保持不变：\n%1").arg(error);
        QTimer::singleShot(0, qApp, [text] {
            platform::ShowMessage(text, QStringLiteral("信息提示"), platform::MessageIcon::Warning);
        });
        return false;
    }
    // Recorded once it is the current skin: a failed install leaves the name of the one in use.
    Ctrl->WriteString(QStringLiteral("SkinsName"), entry);
    return true;
}

void TForm8::ListBox1Click() {
    if (ApplySkin() && Ctrl->Display) Ctrl->Display->ReloadSkin();
}

void TForm8::Button3Click() {
    const QString before = SkinsPath();
    PickFolderSetting(before, QStringLiteral("请选择SKINS文件的路径"), false, QStringLiteral("SkinsPath"));
    const QString after = SkinsPath();
    if (after != before) ListSkins(after);
}

void TForm8::ApplyHandedSkin(const QString& fileName) {
    LoadPage(QStringLiteral("选择界面"));
    if (isVisible()) SelectPage(0);
    // The copy kept an archive already there under the same name in another case.
    const QList<QListWidgetItem*> found = ui_->ListBox1->findItems(fileName, Qt::MatchFixedString);
    if (found.isEmpty()) return;
    {
        const QSignalBlocker quiet(ui_->ListBox1);
        ui_->ListBox1->setCurrentItem(found.first());
    }
    if (ApplySkin() && Ctrl->Display) Ctrl->Display->ReloadSkin();
}

// A selection moved by the keys installs as a click does; selections made by code never do.
bool TForm8::SkinListKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    QListWidget* list = ui_->ListBox1;
    const QListWidgetItem* before = list->currentItem();
    const bool wasSelected = before && before->isSelected();
    static_cast<QObject*>(list)->event(event);
    const QListWidgetItem* after = list->currentItem();
    if (after && after->isSelected() && (after != before || !wasSelected)) ListBox1Click();
    // A key the list leaves (Esc, Enter) goes on to the dialog as it would have.
    return event->isAccepted();
}

void TForm8::Label12MouseEnter() {
    QFont font = ui_->Label12->font();
    font.setUnderline(true);
    ui_->Label12->setFont(font);
}

void TForm8::Label12MouseLeave() {
    QFont font = ui_->Label12->font();
    font.setUnderline(false);
    ui_->Label12->setFont(font);
}

void TForm8::Label12Click() { QDesktopServices::openUrl(QUrl(kSkinsDownloadPage)); }
