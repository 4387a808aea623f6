// Building the pop-up menus from Plugins/MenuPlus.ini, the favourites submenu, and showing them.
#include "player/commands/menu.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"

namespace {

const QString kFavouriteName = QStringLiteral("a1000");

// The keys the class library's shortcut names cover; others (the arrows, PageUp, "+") show no
// shortcut text beside their caption.
QString ShortcutKeyCaption(const QString& keyName) {
    static const QRegularExpression plain(QStringLiteral("^([A-Z0-9;=,\\-./`\\[\\]\\\\']|F([1-9]|1[0-2]))$"));
    if (plain.match(keyName).hasMatch()) return keyName;
    if (keyName == u"ENTER") return QStringLiteral("Enter");
    if (keyName == u"ESC") return QStringLiteral("Esc");
    if (keyName == u"HOME") return QStringLiteral("Home");
    if (keyName == u"END") return QStringLiteral("End");
    return QString();
}

// The shortcut text shown after a tab beside the caption; empty when the key has no such name.
QString ShortcutText(const QString& hotkey) {
    const QString keyText = HotkeyKeyText(hotkey);
    const QString key = ShortcutKeyCaption(keyText.mid(3));
    if (key.isEmpty()) return QString();
    QString text;
    if (keyText[0] == u'1') text += QStringLiteral("Shift+");
    if (keyText[2] == u'1') text += QStringLiteral("Ctrl+");
    if (keyText[1] == u'1') text += QStringLiteral("Alt+");
    return text + key;
}

bool ValidName(const QString& name) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name).hasMatch();
}

// A line belongs to a menu when its command id starts with the menu's number and a dot; a caption
// that merely contains "1." must not pull another menu's line (with a wrong name) into menu 1.
bool BelongsTo(const QString& line, const QString& menu) {
    const qsizetype eq = line.indexOf(u'=');
    const QString head = eq < 0 ? line : line.left(eq);
    return head.startsWith(menu + u'.');
}

}  // namespace

QMenu* TmMenu::PopupMenu(int number) {
    const int slot = number <= 1 ? 0 : (number == 2 ? 1 : 2);
    if (Form1) return slot == 0 ? Form1->PopupMenu1 : (slot == 1 ? Form1->PopupMenu2 : Form1->PopupMenu3);
    if (!ownMenus_[slot]) ownMenus_[slot] = new QMenu;
    return ownMenus_[slot];
}

static void ClearMenu(QMenu* popup) {
    if (!popup) return;
    popup->clear();
    for (QMenu* sub : popup->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) sub->deleteLater();
    for (QActionGroup* group : popup->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly)) group->deleteLater();
}

void TmMenu::DropMenus() {
    for (int number : {1, 2, 3}) ClearMenu(PopupMenu(number));
    LastShared.clear();
}

void TmMenu::PopupAt(const QString& menu, const QPoint& screenPos) {
    bool ok = false;
    const int number = menu.toInt(&ok);
    if (!ok || number < 1 || number > 8) return;
    QMenu* popup = PopupMenu(number);
    if (number > 2 && menu != LastShared) {
        ClearMenu(popup);
        LastShared = menu;
    }
    if (popup->actions().isEmpty()) BuildMenu(popup, menu);
    for (QAction* top : popup->actions()) {
        UpdateItem(top);
        if (top->menu())
            for (QAction* child : top->menu()->actions()) UpdateItem(child);
    }
    popup->popup(screenPos);
}

QAction* TmMenu::NewItem(QMenu* popup, const QString& name, const QString& caption) {
    auto* item = new QAction(caption, popup);
    item->setObjectName(name);
    item->setSeparator(caption == u"-");
    // The command runs after the menu has closed, as a posted call.
    connect(item, &QAction::triggered, this, [this, name, data = QPointer<QAction>(item)] {
        const QString favourite = data ? data->data().toString() : QString();
        QTimer::singleShot(0, this, [this, name, favourite] { DoCommandFor(name, favourite); });
    });
    return item;
}

void TmMenu::AddChild(QMenu* popup, int parentIndex, QAction* item) {
    QAction* parent = parentIndex >= 0 && parentIndex < Items.size() ? Items[parentIndex] : nullptr;
    if (!parent) {
        delete item;
        return;
    }
    if (!parent->menu()) {
        auto* sub = new QMenu(parent->text(), popup);
        parent->setMenu(sub);
    }
    parent->menu()->addAction(item);
}

bool TmMenu::BuildMenu(QMenu* popup, const QString& menu) {
    QStringList lines;
    QString error;
    if (!platform::ReadTextLines(Ctrl->InstallFolder + QStringLiteral("Plugins/MenuPlus.ini"), &lines, &error)) {
        platform::ShowMessage(error, QString(), platform::MessageIcon::Error);
        return false;
    }
    const int menuNumber = menu.toInt();
    const QString letter(QChar(96 + menuNumber));
    Items.clear();
    int counter = 0, lastTop = 0, lastSecond = 0;
    QHash<QMenu*, QActionGroup*> radioGroups;
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 1 || !BelongsTo(line, menu)) continue;
        const QString withHash = line + u'#';
        const qsizetype hash = withHash.indexOf(u'#', eq);
        const QString name = letter + line.mid(line.indexOf(u'.') + 1, eq - line.indexOf(u'.') - 1);
        if (!ValidName(name)) {
            platform::ShowMessage(QStringLiteral("\"%1\" is not a valid component name.").arg(name), QString(),
                                  platform::MessageIcon::Error);
            return false;
        }
        QString caption = withHash.mid(eq + 1, hash - eq - 1);
        if (hash < line.size() && caption != u"-") {
            const QString rest = line.mid(hash + 1);
            const QString shortcut = ShortcutText(rest.left(rest.indexOf(u'%')));
            if (!shortcut.isEmpty()) caption += u'\t' + shortcut;
        }
        QAction* item = NewItem(popup, name, caption);
        Items.append(item);
        const QChar level = line[eq - 1];
        if (level == u'3' || level == u'4' || level == u'5') {
            AddChild(popup, lastTop, item);
            lastSecond = counter;
        } else if (level == u'6' || level == u'7' || level == u'8') {
            AddChild(popup, lastSecond, item);
        } else if (level == u'.' || level == u'0' || level == u'1' || level == u'2') {
            popup->addAction(item);
            lastTop = counter;
        } else {
            delete item;
            Items[counter] = nullptr;
            item = nullptr;
        }
        if (item && (level == u'2' || level == u'5' || level == u'8')) {
            QMenu* owner = qobject_cast<QMenu*>(item->associatedObjects().value(0));
            QActionGroup*& group = radioGroups[owner];
            if (!group) group = new QActionGroup(popup);
            item->setCheckable(true);
            group->addAction(item);
        }
        if (line.left(eq - 1) == QStringLiteral("1.27")) AddFavouritesMenu(popup, counter, lastTop);
        ++counter;
    }
    // LATER(menupainter): the menus are drawn by the menu painter once it exists.
    return true;
}

void TmMenu::AddFavouritesMenu(QMenu* popup, int& counter, int lastTop) {
    ++counter;
    QAction* separator = NewItem(popup, kFavouriteName, QStringLiteral("-"));
    Items.append(separator);
    AddChild(popup, lastTop, separator);
    const QString folder = Ctrl->InstallFolder + QStringLiteral("Favor/");
    QStringList names;
    if (!QFileInfo::exists(folder + QStringLiteral("Favor.ini"))) return;
    if (!platform::ReadTextLines(folder + QStringLiteral("Favor.ini"), &names)) return;
    for (const QString& name : names) {
        // A name is a file name inside the favourites folder, never a path out of it.
        if (name.isEmpty() || name.contains(u'/') || !QFileInfo::exists(folder + name + QStringLiteral(".kpl")))
            continue;
        ++counter;
        QAction* item = NewItem(popup, kFavouriteName, name);
        item->setData(name);
        item->setSeparator(false);
        Items.append(item);
        AddChild(popup, lastTop, item);
    }
}
