// The hotkey table from Plugins/MenuPlus.ini and the key handler of the skinned windows.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/core/key_mapping.h"
#include "player/display/display.h"

QString HotkeyKeyText(const QString& hotkey) {
    QString hot = hotkey.toLower();
    QString modifiers = QStringLiteral("000");
    if (hot.contains(QStringLiteral("shift+"))) modifiers[0] = u'1';
    if (hot.contains(QStringLiteral("alt+"))) modifiers[1] = u'1';
    if (hot.contains(QStringLiteral("ctrl+"))) modifiers[2] = u'1';
    // The key name is what follows the last prefix; "ctrl++" keeps its "+", and a text that ends
    // in a lone modifier keeps that modifier as its key, which no key name equals.
    for (qsizetype plus = hot.indexOf(u'+'); plus >= 0 && plus != hot.size() - 1; plus = hot.indexOf(u'+'))
        hot = hot.mid(plus + 1);
    return modifiers + hot.toUpper();
}

void LoadHotkeys() {
    QStringList lines;
    // No table is kept: a key press after the file has changed reads it again.
    if (!Ctrl->Menu->ReadMenuFile(&lines)) return;
    auto table = std::make_unique<QStringList>();
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        const qsizetype eq = line.indexOf(u'=');
        const qsizetype hash = line.indexOf(u'#', eq + 1);
        if (eq < 2 || line.endsWith(u'-') || hash < 0) continue;
        const qsizetype percent = line.indexOf(u'%', hash + 1);
        table->append(line.left(eq - 1));
        table->append(percent < 0 ? QStringLiteral("0000") : line.mid(percent + 1) + QStringLiteral("%0000"));
        table->append(HotkeyKeyText(line.mid(hash + 1, percent < 0 ? -1 : percent - hash - 1)));
    }
    Ctrl->Hotkeys = std::move(table);
}

int SkinWindowScope(const QWidget* window) {
    if (!window) return -1;
    if (window == Form1.data()) return 0;
    if (window == PlaylistWindow.data()) return 1;
    if (window == EqualizerWindow.data()) return 2;
    if (window == Form4.data()) return 3;
    if (window == Form5.data()) return 4;
    return -1;
}

bool SkinKeyDown(QWidget* window, quint16 key, bool shift, bool alt, bool ctrl) {
    const int scope = SkinWindowScope(window);
    if (!Ctrl || !Ctrl->Menu || scope < 0) return false;
    if (!Ctrl->Hotkeys) {
        // A file that could not be read is not read again, nor its error shown again, at every
        // key: only once it has changed (come back, or been rewritten).
        if (Ctrl->Menu->MenuFileStillFailing()) return false;
        LoadHotkeys();
    }
    if (!Ctrl->Hotkeys) return false;
    // A key without a name (Tab, Caps Lock, F13...) is no hotkey: else it would match a line whose
    // hotkey text names no key, and every such key would run that line's command.
    const QString name = KeyName(key);
    if (name.isEmpty()) return false;
    const QString keyText = QString(QChar(shift ? u'1' : u'0')) + QChar(alt ? u'1' : u'0') + QChar(ctrl ? u'1' : u'0')
        + name;
    const QStringList& table = *Ctrl->Hotkeys;
    // One key may serve different commands in different windows: the first line for this key
    // whose scope holds the window runs, once.
    for (qsizetype i = 2; i < table.size(); i += 3) {
        if (table[i].compare(keyText, Qt::CaseInsensitive) != 0) continue;
        const QString& scopes = table[i - 1];
        if (scope < scopes.size() && scopes[scope] == u'1') {
            const QString command = table[i - 2];
            Ctrl->Menu->Execute(command);
            return true;
        }
    }
    return false;
}

namespace {

// Sees every key press before the widget that has the focus, as a form with key preview does,
// and hands those of the skinned windows to SkinKeyDown. Typing into a text box is not a hotkey;
// the video window's hidden edit exists only to hold the focus, so its keys are.
class TSkinKeyHook : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        // A key travels from the focus widget up to its window; take it once, at its start.
        QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : widget->window();
        if (widget != first) return false;
        if (qobject_cast<QLineEdit*>(widget) && !(Form4 && widget == Form4->Edit1)) return false;
        const TVirtualKey key = MapKeyEvent(*static_cast<QKeyEvent*>(event));
        // A key with no virtual-key code (a media key, a letter of another script) is no hotkey.
        if (key.Key == 0) return false;
        // A key that ran a command is not also typed or handled by the focused control.
        return SkinKeyDown(widget->window(), key.Key, key.Shift, key.Alt, key.Ctrl);
    }
};

}  // namespace

void InstallSkinKeyHook() {
    // One hook for the application: it reaches the controller of the moment through Ctrl.
    static QPointer<TSkinKeyHook> hook;
    if (hook || !qApp) return;
    hook = new TSkinKeyHook(qApp);
    qApp->installEventFilter(hook);
}
