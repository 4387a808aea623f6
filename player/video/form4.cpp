#include "player/video/form4.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QScreen>

#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/run.h"
#include "player/video/video_taskbar.h"
#include "ui_form4.h"

namespace {

// The renderer's child window, named as the right-press rule looks for it.
const QString kRenderer = QStringLiteral("VideoRenderer");
constexpr int kTitleBand = 15;
constexpr int kTitleRightMargin = 11;

// A hotkey text as a key sequence; the arrow signs and other characters that no key types give
// none, and their keys reach the key handler instead.
QKeySequence ShortCut(const QString& text) {
    const QKeySequence keys = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (keys.count() != 1) return {};
    const int key = keys[0].key();
    return key > 0xff && key < Qt::Key_Escape ? QKeySequence() : keys;
}

}  // namespace

TForm4::TForm4(QWidget* parent)
    : TSkinWindow(parent, Qt::Window | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::TForm4>()) {
    ui_->setupUi(this);
    // The caption names the window to the player's own lookups; the desktop shows the product.
    setObjectName(windowTitle());
    setWindowTitle(QStringLiteral("Velmora Player"));
    // With a tray icon to come back by, the window stays off the taskbar; without one it keeps
    // its taskbar entry, so a minimised window stays reachable.
    if (platform::TrayAvailable()) setWindowFlag(Qt::Tool);
    Edit1 = ui_->Edit1;
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TForm4::Timer1Timer);
    PopupMenu1 = new QMenu(this);
    tray_ = new platform::TrayIcon(this);
    BuildPopupMenu();
}

TForm4::~TForm4() {
    // A window freed while it filled the screen gives the panels back first.
    if (video_taskbar::Holder() == this) video_taskbar::RestoreTaskbar();
}

void TForm4::SetTrayIcon(bool add) {
    RemoveIconOnHide = true;
    if (!add) {
        tray_->Remove();
        return;
    }
    if (tray_->IsShown()) return;
    tray_->Add(QApplication::windowIcon(), QStringLiteral("视频窗口"), [this](int message) { WMTrayIcon(message); });
}

void TForm4::HideTaskbar(bool hide) { video_taskbar::HideTaskbar(this, hide); }

void TForm4::WMTrayIcon(int mouseMessage) {
    if (mouseMessage == platform::kTrayLeftButtonDown) {
        if (Ctrl && Ctrl->Display) Ctrl->Display->ShowSkinWindow(this);
    } else if (mouseMessage == platform::kTrayRightButtonDown) {
        Timer1->start();
    }
}

void TForm4::Timer1Timer() {
    Timer1->stop();
    if (Ctrl && Ctrl->Menu) Ctrl->Menu->PopupAt(QStringLiteral("2"), QCursor::pos());
}

void TForm4::IniFormSize() {
    if (!Ctrl || !Ctrl->Menu) return;
    const int mode = Ctrl->ReadInteger(QStringLiteral("ScreenMode"), 1);
    if (mode == 1 || mode == 3 || mode == 4) Ctrl->Menu->Execute(QStringLiteral("2.3"));
    else if (mode == 2) Ctrl->Menu->Execute(QStringLiteral("2.4"));
}

void TForm4::ClearPopupMenu() {
    const QList<QAction*> items = PopupMenu1->actions();
    for (qsizetype i = items.size() - 1; i >= 0; --i) delete items[i];
}

void TForm4::BuildPopupMenu() {
    if (!Ctrl || !Ctrl->Menu) return;
    QStringList lines;
    // A file that cannot be read is shown here; the window then works without shortcut items.
    const bool read = Ctrl->Menu->ReadMenuFile(&lines);
    ClearPopupMenu();
    if (!read) return;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        const qsizetype eq = line.indexOf(u'=');
        const qsizetype hash = line.indexOf(u'#');
        if (eq < 2 || hash < 0) continue;
        const qsizetype percent = line.indexOf(u'%', hash + 1);
        const QString scopes = percent < 0 ? QString() : line.mid(percent + 1);
        if (scopes.size() < 4 || scopes.at(3) != u'1') continue;
        // The command id is the text before the level character that precedes "=".
        const QString command = line.left(eq - 1);
        auto* item = new QAction(command, PopupMenu1);
        item->setShortcut(ShortCut(line.mid(hash + 1, percent - hash - 1)));
        item->setShortcutContext(Qt::WindowShortcut);
        connect(item, &QAction::triggered, this, [command] {
            if (Ctrl && Ctrl->Menu) Ctrl->Menu->Execute(command);
        });
        PopupMenu1->addAction(item);
        // A shortcut works only on an action of a visible widget: the window carries it.
        addAction(item);
    }
}

void TForm4::showEvent(QShowEvent* event) {
    TSkinWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm4::FormShow() {
    SetTrayIcon(true);
    if (Ctrl && Ctrl->ReadInteger(QStringLiteral("VideoOnTop"), 0) != 0 && !(windowFlags() & Qt::WindowStaysOnTopHint)) {
        // A new flag takes the window down; showing it again runs these steps once more.
        setWindowFlag(Qt::WindowStaysOnTopHint);
        show();
        return;
    }
    if (Ctrl && Ctrl->Run && !Ctrl->Run->LrcCtrl) IniFormSize();
}

void TForm4::hideEvent(QHideEvent* event) {
    TSkinWindow::hideEvent(event);
    if (event->spontaneous()) return;
    if (RemoveIconOnHide) SetTrayIcon(false);
    RemoveIconOnHide = true;
    HideTaskbar(false);
}

bool TForm4::FillsScreen(bool atOrigin) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    const QSize whole = screen->size();
    if (size() == whole + QSize(14, 20)) return true;
    return size() == whole && (!atOrigin || pos() == QPoint(0, 0));
}

void TForm4::FormActivate() {
    Edit1->setFocus();
    if (FillsScreen(true)) HideTaskbar(true);
}

void TForm4::FormDeactivate() {
    if (FillsScreen(false)) HideTaskbar(false);
}

void TForm4::changeEvent(QEvent* event) {
    TSkinWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) FormActivate();
    else FormDeactivate();
}

void TForm4::resizeEvent(QResizeEvent* event) {
    TSkinWindow::resizeEvent(event);
    if (isVisible() && Ctrl && Ctrl->Display) Ctrl->Display->ShowSkinWindow(this);
}

void TForm4::closeEvent(QCloseEvent* event) {
    ClearPopupMenu();
    event->accept();
}

void TForm4::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->globalPosition().toPoint();
    const QRect place = geometry();
    if (place.left() < at.x() && at.x() < place.left() + place.width() - kTitleRightMargin &&
        at.y() < place.top() + kTitleBand && Ctrl && Ctrl->Menu)
        Ctrl->Menu->Execute(QStringLiteral("2.2"));
}

// The video engine draws into a native child window of its own; presses on it never reach the
// window's own mouse handling, so a right press there is taken here.
void TForm4::childEvent(QChildEvent* event) {
    TSkinWindow::childEvent(event);
    if (event->type() != QEvent::ChildPolished || !event->child()->isWidgetType()) return;
    auto* child = static_cast<QWidget*>(event->child());
    if (!child->testAttribute(Qt::WA_NativeWindow)) return;
    if (child->objectName().isEmpty()) child->setObjectName(kRenderer);
    child->installEventFilter(this);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->objectName() == kRenderer &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        Timer1->start();
        return true;
    }
    return TSkinWindow::eventFilter(watched, event);
}
