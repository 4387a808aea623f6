// Building the pop-up menus from Plugins/MenuPlus.ini, the favourites submenu, and showing them.
#include "player/commands/menu.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QHash>
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

QMenu* TmMenu::PopupAt(const QString& menu, const QPoint& screenPos) {
    bool ok = false;
    const int number = menu.toInt(&ok);
    if (!ok || number < 1 || number > 8) return nullptr;
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
    return popup->isVisible() ? popup : nullptr;
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

// The item at `index` goes into the submenu of the item at `parentIndex`; an item without a
// parent goes nowhere and is freed.
bool TmMenu::AddChild(QMenu* popup, int parentIndex, int index) {
    QAction* parent = parentIndex >= 0 && parentIndex < index ? Items[parentIndex] : nullptr;
    if (!parent) {
        delete Items[index];
        Items[index] = nullptr;
        return false;
    }
    if (!parent->menu()) parent->setMenu(new QMenu(parent->text(), popup));
    parent->menu()->addAction(Items[index]);
    return true;
}

namespace {

// One line of a menu: its item name, the caption with its shortcut text, its level character and
// its command id.
struct TMenuLine {
    QString Name;
    QString Caption;
    QChar Level;
    QString CommandId;
};

TMenuLine ParseMenuLine(const QString& line, const QString& letter) {
    const qsizetype eq = line.indexOf(u'=');
    const qsizetype dot = line.indexOf(u'.');
    const QString withHash = line + u'#';
    const qsizetype hash = withHash.indexOf(u'#', eq);
    TMenuLine parsed{letter + line.mid(dot + 1, eq - dot - 1), withHash.mid(eq + 1, hash - eq - 1), line[eq - 1],
                     line.left(eq - 1)};
    if (hash < line.size() && parsed.Caption != u"-") {
        const QString rest = line.mid(hash + 1);
        const QString shortcut = ShortcutText(rest.left(rest.indexOf(u'%')));
        if (!shortcut.isEmpty()) parsed.Caption += u'\t' + shortcut;
    }
    return parsed;
}

bool IsRadioLevel(QChar level) { return level == u'2' || level == u'5' || level == u'8'; }

}  // namespace

// Radio items of one submenu form one group; their check marks come from the item states.
static void JoinRadioGroup(QMenu* popup, QAction* item, QHash<QObject*, QActionGroup*>& groups) {
    QActionGroup*& group = groups[item->associatedObjects().value(0)];
    if (!group) group = new QActionGroup(popup);
    item->setCheckable(true);
    group->addAction(item);
}

// Places the item at `counter` by its level character; false when it went nowhere.
bool TmMenu::PlaceItem(QMenu* popup, QChar level, int counter, int& lastTop, int& lastSecond) {
    if (level == u'3' || level == u'4' || level == u'5') {
        lastSecond = counter;
        return AddChild(popup, lastTop, counter);
    }
    if (level == u'6' || level == u'7' || level == u'8') return AddChild(popup, lastSecond, counter);
    if (level == u'.' || level == u'0' || level == u'1' || level == u'2') {
        popup->addAction(Items[counter]);
        lastTop = counter;
        return true;
    }
    delete Items[counter];
    Items[counter] = nullptr;
    return false;
}

bool TmMenu::BuildMenu(QMenu* popup, const QString& menu) {
    QStringList lines;
    if (!ReadMenuFile(&lines)) return false;
    const QString letter(QChar(96 + menu.toInt()));
    Items.clear();
    int counter = 0, lastTop = 0, lastSecond = 0;
    QHash<QObject*, QActionGroup*> radioGroups;
    for (const QString& line : lines) {
        if (line.indexOf(u'=') < 1 || !BelongsTo(line, menu)) continue;
        const TMenuLine parsed = ParseMenuLine(line, letter);
        if (!ValidName(parsed.Name)) {
            platform::ShowMessage(QStringLiteral("\"%1\" is not a valid component name.").arg(parsed.Name), QString(),
                                  platform::MessageIcon::Error);
            return false;
        }
        Items.append(NewItem(popup, parsed.Name, parsed.Caption));
        if (PlaceItem(popup, parsed.Level, counter, lastTop, lastSecond) && IsRadioLevel(parsed.Level))
            JoinRadioGroup(popup, Items[counter], radioGroups);
        if (parsed.CommandId == u"1.27") AddFavouritesMenu(popup, counter, lastTop);
        ++counter;
    }
    if (Form1 && Form1->XPMenu1) Form1->XPMenu1->SetActive(true);
    return true;
}

void TmMenu::AddFavouritesMenu(QMenu* popup, int& counter, int lastTop) {
    ++counter;
    Items.append(NewItem(popup, kFavouriteName, QStringLiteral("-")));
    AddChild(popup, lastTop, counter);
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
        AddChild(popup, lastTop, counter);
    }
}
