#include "player/app/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <cstdio>
#include <functional>
#include <utility>

#include "names/shell_names.h"
#include "platform/desktop_types.h"
#include "platform/file_drop.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text_file.h"
#include "player/actions/app_message.h"
#include "player/app/project1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/commands/command_targets.h"
#include "player/commands/menu.h"
#include "player/playlist/list_loader.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playlist/saved_list.h"
#include "player/playback/run.h"
#include "ui_form1.h"

QPointer<TForm1> Form1;

// The application icons: drawn, so the tray has its pictures without any shipped file. Picture
// 1 is the player (a play mark), 2 the player waiting for its engine, 3 the player paused.
static QIcon StateIcon(int picture) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(picture == 2 ? QColor(0x8c, 0x6e, 0x2e) : QColor(0x2e, 0x5e, 0x8c));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 30, 30);
    p.setBrush(QColor(0xf0, 0xf4, 0xf8));
    if (picture == 3) {
        p.drawRect(10, 9, 4, 14);
        p.drawRect(18, 9, 4, 14);
    } else {
        const QPointF triangle[] = {{12, 9}, {24, 16}, {12, 23}};
        p.drawPolygon(triangle, 3);
    }
    return QIcon(pixmap);
}

static QIcon ApplicationIcon() { return StateIcon(1); }

void TForm1::SetStateIcon(int picture) {
    // The open wait sets its state ten times a second: only a change reaches the desktop.
    if (picture == statePicture_) return;
    statePicture_ = picture;
    const QIcon icon = StateIcon(picture);
    tray_.Modify(icon);
    QApplication::setWindowIcon(icon);
}

TForm1::TForm1(const QString& installFolder, const QString& startArgument) : ui_(std::make_unique<Ui::TForm1>()) {
    Form1 = this;
    ui_->setupUi(this);
    PaintHandler = [] {
        if (Ctrl && Ctrl->Display) Ctrl->Display->PaintMain();
    };
    caption_ = windowTitle();
    setWindowTitle(QStringLiteral("Velmora Player"));
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowIcon(ApplicationIcon());
    PopupMenu1 = new QMenu(this);
    PopupMenu2 = new QMenu(this);
    PopupMenu3 = new QMenu(this);
    XPMenu1 = new menupainter::TXPMenu(this);
    XPMenu1->Font = QFont(QStringLiteral("宋体"), 9);
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    // The window exists for other processes from its creation on, as a native window would.
    session_.Publish(caption_, [this](quint32 msg, quintptr w, qintptr l) { return HandleMessage(msg, w, l); });
    FormCreate(installFolder, startArgument);
}

TForm1::~TForm1() {
    // A window deleted without a close still lets the set-up's tool end, and says nothing.
    closed_ = true;
    FinishFirstRunSetup();
    session_.Withdraw();
    // The windows and the list box the display made hang on this window and use the controller:
    // they go before it.
    QList<QPointer<QObject>> owned;
    for (QObject* child : children()) owned.append(child);
    for (const QPointer<QObject>& child : owned) delete child.data();
    TCtrl* const own = ctrl_.get();
    ctrl_.reset();
    if (Ctrl == own) Ctrl = nullptr;
}

void TForm1::SetCaption(const QString& caption) {
    caption_ = caption;
    session_.SetCaption(caption);
}

qintptr TForm1::HandleMessage(quint32 msg, quintptr, qintptr lParam) {
    if (msg == WM_HANDOVER) WMHandOver(static_cast<platform::Atom>(lParam));
    else if (msg == WM_TRAYICON) WMTrayIcon(static_cast<int>(lParam));
    return 0;
}

namespace {

// Runs a call once, queued after the watched window's first paint (or its hiding, should it go
// before it was ever painted).
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* window, std::function<void()> call) : QObject(window), call_(std::move(call)) {
        window->installEventFilter(this);
    }
    bool Pending() const { return bool(call_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if ((event->type() == QEvent::Paint || event->type() == QEvent::Hide) && call_) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    const std::function<void()> call = std::exchange(call_, nullptr);
                    deleteLater();
                    call();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> call_;
};

QPointer<AfterFirstPaint> pendingBrowser;

}  // namespace

void TForm1::FormCreate(const QString& installFolder, const QString& startArgument) {
    // The tray icon comes once the window has painted: asking the desktop for its tray held up
    // the window and, on a start with a file, the first sound. Its picture follows the play state
    // meanwhile, as it does once it is there.
    tray_.Modify(windowIcon());
    new AfterFirstPaint(this, [this] {
        if (!Closing())
            tray_.Add(tray_.Icon(), QStringLiteral("Velmora Player 3.0"), [this](int message) { WMTrayIcon(message); });
    });
    platform::TRegistry reg;
    ctrl_ = std::make_unique<TCtrl>();
    Ctrl = ctrl_.get();
    Ctrl->Init(installFolder);
    // Only read: on a new user's first start, writing the key would cost a synced file before
    // the window shows, and the set-up writes it anyway.
    reg.OpenKeyReadOnly(QString::fromUtf16(names::kSettingsKey));
    const bool setUpDue = reg.ReadString(QString::fromUtf16(names::kWorkPathValue)) != Ctrl->InstallFolder ||
                          reg.ReadInteger(QString::fromUtf16(names::kFirstRunDoneValue), 0) != 1;
    reg.CloseKey();
    // The desktop set-up (launchers, menu, associations, types) is nothing the window needs:
    // it runs once the window has painted.
    if (setUpDue) firstRunSetup_ = new AfterFirstPaint(this, [this] { RunFirstRunSetup(); });
    InstallAppMessage();
    soundFirst_ = StartPlaysAtOnce(startArgument);
    Ctrl->Display->BuildMainWindow(Ctrl->Volume, Ctrl->Balance, true);
    // The start argument is added to the saved list, as a hand-over is.
    if (!startArgument.isEmpty()) handedOver_.prepend(startArgument);
    listLoaded_ = true;
    AddHandedOver(false);
    init();
    // The key handler of the skinned windows: one application-wide hook hands the keys of each
    // of them (main, playlist, equaliser, video, station browser) to SkinKeyDown.
    InstallSkinKeyHook();
    AppOnTop = Ctrl->ReadBool(QStringLiteral("AppOnTop"), false) ? 1 : 0;
    if (Ctrl->ReadBool(QStringLiteral("AutoStartPlay"), false)) Ctrl->Run->PlayIndex(0);
}

void TForm1::RunFirstRunSetup() {
    setUpStarted_ = true;
    if (Closing()) return;
    setUpSteps_ = Ctrl->Menu->Targets().FirstRunSetup();
    if (!setUpSteps_) {
        RecordFirstRunSetup();
        return;
    }
    // One step at a time: a zero timer fires again once the loop has handled the events that
    // came meanwhile, so the windows paint and answer while the set-up runs.
    setUpStepTimer_ = new QTimer(this);
    setUpStepTimer_->setInterval(0);
    connect(setUpStepTimer_, &QTimer::timeout, this, &TForm1::RunFirstRunSetupStep);
    setUpStepTimer_->start();
}

void TForm1::RunFirstRunSetupStep() {
    // A message box of a step runs the loop: no other step may start inside it.
    setUpStepTimer_->stop();
    {
        platform::MimeRebuildDeferral deferral;
        setUpStepRunning_ = true;
        setUpSteps_->Next();
        setUpStepRunning_ = false;
        setUpRebuildWanted_ = setUpRebuildWanted_ || deferral.Wanted();
    }
    // Closed meanwhile (from a step's box): nothing is recorded, the next start runs it all again.
    if (closed_ || Closing()) {
        DropFirstRunSetupSteps();
        return;
    }
    if (!setUpSteps_->Done()) {
        setUpStepTimer_->start();
        return;
    }
    const bool done = setUpSteps_->Succeeded();
    DropFirstRunSetupSteps();
    if (!setUpRebuildWanted_) {
        if (done) RecordFirstRunSetup();
        return;
    }
    // The file types' database is rebuilt by a tool of the desktop; the loop goes on meanwhile.
    mimeRebuild_ = platform::StartMimeDatabaseRebuild(this, [this, done](bool ok, const QString& error) {
        mimeRebuild_ = nullptr;
        if (!ok) {
            std::fprintf(stderr, "velmora: %s\n", error.toLocal8Bit().constData());
            if (!QuietClose && !closed_) platform::ShowMessage(error, QStringLiteral("错误"), platform::MessageIcon::Error);
        }
        if (done && ok) RecordFirstRunSetup();
    });
}

// Recorded only once the set-up succeeded, so one that failed part-way runs again next time.
void TForm1::RecordFirstRunSetup() {
    platform::TRegistry reg;
    if (!reg.OpenKey(QString::fromUtf16(names::kSettingsKey), true)) return;
    reg.WriteString(QString::fromUtf16(names::kWorkPathValue), Ctrl->InstallFolder);
    reg.WriteInteger(QString::fromUtf16(names::kFirstRunDoneValue), 1);
}

void TForm1::DropFirstRunSetupSteps() {
    delete setUpStepTimer_;
    setUpStepTimer_ = nullptr;
    setUpSteps_.reset();
}

bool TForm1::FirstRunSetupPending() const { return firstRunSetup_ || setUpSteps_ || mimeRebuild_; }

void TForm1::FinishFirstRunSetup() {
    // Not begun: it runs at the next start. Between its steps: the steps left are dropped and
    // nothing is recorded, so the next start runs it all again (each step leaves the registry
    // and the files whole). In a step (a box of its own is up): the step drops them when it
    // returns. Its tool running: waited for, so its outcome is recorded (or not) before the
    // player goes.
    if (!setUpStarted_) delete firstRunSetup_.data();
    if (!setUpStepRunning_) DropFirstRunSetupSteps();
    if (mimeRebuild_) platform::WaitForMimeDatabaseRebuild(60000);
}

void TForm1::showEvent(QShowEvent* event) {
    TSkinWindow::showEvent(event);
    FormShow();
}

void TForm1::FormShow() {
    if (!dropTarget_) {
        dropTarget_ = new platform::FileDropTarget(this, [this](const QStringList& paths) { finishDropped(paths); });
    }
    const bool browserPending = pendingBrowser && pendingBrowser->parent() == this && pendingBrowser->Pending();
    if (Ctrl->ReadBool(QStringLiteral("MB_Open"), true) && !Form5 && !browserPending) {
        // The browser is not needed to show the player, so the main window paints first.
        pendingBrowser = new AfterFirstPaint(this, [this] {
            if (Form5) return;
            // Its creation builds its frame already; the second build here changes nothing.
            new TForm5(this);
            Ctrl->Display->BuildBrowserWindow(true);
            Form5->show();
        });
    }
    // The sound does not wait for the equaliser and the playlist: on a start that plays at once
    // they are built once the file is opened and the loop runs again (or a box of the opening
    // runs it).
    if (std::exchange(soundFirst_, false)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!closed_ && !Closing()) ShowSideWindows();  // none for a player closed meanwhile
            },
            Qt::QueuedConnection);
        return;
    }
    ShowSideWindows();
}

void TForm1::ShowSideWindows() {
    if (Ctrl->ReadBool(QStringLiteral("EQ_Open"), true) && !EqualizerWindow) Ctrl->Display->BuildEqualizerWindow(true);
    if (Ctrl->ReadBool(QStringLiteral("PL_Open"), true) && !PlaylistWindow) Ctrl->Display->BuildPlaylistWindow(true);
}

void TForm1::WMHandOver(platform::Atom atom) {
    QString text = platform::GlobalGetAtomName(atom, 254);
    // Trim as the class library does: every character up to the blank counts as space.
    int begin = 0, end = text.size();
    while (begin < end && text.at(begin) <= QLatin1Char(' ')) ++begin;
    while (end > begin && text.at(end - 1) <= QLatin1Char(' ')) --end;
    text = text.mid(begin, end - begin);
    // The registry value is taken now: the sender goes on with the reply, and the next hand-over
    // may write it again.
    if (text == QLatin1String("<ALL>")) {
        platform::TRegistry reg;
        text.clear();
        if (reg.OpenKey(QStringLiteral("Software\\Velmora"), false)) {
            text = reg.ReadString(QStringLiteral("ParamStr"));
            reg.DeleteValue(QStringLiteral("ParamStr"));
        }
    }
    if (!listLoaded_) {
        // The list loading at start takes these in after its own entries.
        if (!text.isEmpty()) handedOver_.append(text);
        return;
    }
    // The reply goes before the work: adding may play, and a box of the engine would keep the
    // second start waiting for whoever answers it.
    handedOver_.append(text);
    QMetaObject::invokeMethod(this, [this] { AddHandedOver(true); }, Qt::QueuedConnection);
}

void TForm1::AddHandedOver(bool bringUp) {
    // One at a time, taken from the queue: a box that one opens lets later hand-overs in, and
    // they wait behind those that came before them. A closing player has saved its list.
    while (!handedOver_.isEmpty() && !Closing()) {
        AddArgument(handedOver_.takeFirst());
        if (bringUp) Ctrl->Display->ShowSkinWindow(this);
    }
}

namespace {

// The argument as a message may show it: control characters escaped, a long one cut.
QString ShownArgument(const QString& text) {
    constexpr qsizetype kShownChars = 200;
    QString shown;
    for (const QChar c : playlist::Capped(text, kShownChars)) {
        if (!playlist::HasControlCharacter(QStringView(&c, 1))) shown += c;
        else if (c == QLatin1Char('\n')) shown += QLatin1String("\\n");
        else if (c == QLatin1Char('\r')) shown += QLatin1String("\\r");
        else if (c == QLatin1Char('\t')) shown += QLatin1String("\\t");
        else shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > kShownChars) shown += QStringLiteral("…");
    return shown;
}

// Why an argument that would become an entry as it stands cannot be one (empty when it can):
// the list keeps one entry per line. Skins and playlist files are read, not kept, and vmp://
// links are taken apart by the list itself.
QString RefusedArgument(const QString& text) {
    if (text.isEmpty() || text.startsWith(QLatin1String("vmp://"), Qt::CaseInsensitive)) return {};
    const QString extension = playlist::LowerExtension(text);
    if (extension == QLatin1String(".wsz") && !text.contains(QLatin1String("://"))) return {};
    if (playlist::IsListExtension(extension) && QFileInfo(text).isFile()) return {};
    if (playlist::HasControlCharacter(text))
        return QStringLiteral("已跳过含换行符等控制字符的参数：\n") + ShownArgument(text);
    if (text.size() > playlist::kMaxEntryChars)
        return QStringLiteral("已跳过过长的参数：\n") + ShownArgument(text);
    return {};
}

}  // namespace

void TForm1::AddArgument(const QString& text) {
    if (!ListBox1) return;
    // Said rather than dropped without a word.
    if (const QString refused = RefusedArgument(text); !refused.isEmpty()) {
        platform::ShowMessage(refused, QStringLiteral("Velmora Player"), platform::MessageIcon::Warning);
        return;
    }
    ListBox1->addParam(text);
}

void TForm1::WMTrayIcon(int mouseMessage) {
    if (mouseMessage == platform::kTrayLeftButtonDown) Ctrl->Display->ShowSkinWindow(this);
    else if (mouseMessage == platform::kTrayRightButtonDown) Timer1->start();
}

// The menu opens after the tray has finished its own handling of the click.
void TForm1::Timer1Timer() {
    Timer1->stop();
    Ctrl->Menu->PopupAt(QStringLiteral("1"), QCursor::pos());
}

void TForm1::finishDropped(const QStringList& paths) {
    if (paths.isEmpty() || !ListBox1) return;
    if (!playlist::PathExtension(paths.first()).isEmpty()) {
        // A FIFO or device is nothing to play, and opening one could wait for ever.
        for (const QString& path : paths)
            if (!platform::IsSpecialFile(path)) ListBox1->addFile(path, false);
        return;
    }
    // A folder first: only it is scanned.
    QString folder = paths.first();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    ListBox1->SearchFile(folder, true);
    Ctrl->Display->DrawPlaylistScrollbar();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        FormCloseQuery();
        FormClose();
    }
    event->accept();
}

void TForm1::FormCloseQuery() {
    SetCaption(kClosingCaption);
    Ctrl->Run->Stop();
    Ctrl->Run->EngineCode = Engine::None;
    Ctrl->Run->ReleaseEngines();
    Ctrl->WriteInteger(QStringLiteral("MA_L"), x());
    Ctrl->WriteInteger(QStringLiteral("MA_T"), y());
    Ctrl->WriteInteger(QStringLiteral("MA_H"), height());
    if (PlaylistWindow) {
        Ctrl->WriteInteger(QStringLiteral("PL_L"), PlaylistWindow->x());
        Ctrl->WriteInteger(QStringLiteral("PL_T"), PlaylistWindow->y());
        Ctrl->WriteInteger(QStringLiteral("PL_W"), PlaylistWindow->width());
        Ctrl->WriteInteger(QStringLiteral("PL_H"), PlaylistWindow->height());
    }
    if (EqualizerWindow) {
        Ctrl->WriteInteger(QStringLiteral("EQ_L"), EqualizerWindow->x());
        Ctrl->WriteInteger(QStringLiteral("EQ_T"), EqualizerWindow->y());
        Ctrl->WriteInteger(QStringLiteral("EQ_H"), EqualizerWindow->height());
    }
    if (Form5) {
        Ctrl->WriteInteger(QStringLiteral("MB_L"), Form5->x());
        Ctrl->WriteInteger(QStringLiteral("MB_T"), Form5->y());
        Ctrl->WriteInteger(QStringLiteral("MB_W"), Form5->width());
        Ctrl->WriteInteger(QStringLiteral("MB_H"), Form5->height());
    }
    // A browser still waiting for the first paint was open as far as the user is concerned.
    const bool browserPending = pendingBrowser && pendingBrowser->parent() == this && pendingBrowser->Pending();
    Ctrl->WriteBool(QStringLiteral("MB_Open"), (Form5 && Form5->isVisible()) || browserPending);
    if (browserPending) delete pendingBrowser.data();  // not built for a closing player
    QStringList failures;
    if (!SaveOnClose(&failures)) {
        // Nothing the user made may vanish silently: a failed save is said, not swallowed.
        const QString text = failures.join(QLatin1Char('\n'));
        std::fprintf(stderr, "velmora: %s\n", text.toLocal8Bit().constData());
        if (!QuietClose) platform::ShowMessage(text, QStringLiteral("Velmora Player"), platform::MessageIcon::Warning);
    }
}

bool TForm1::SaveOnClose(QStringList* failures) {
    QString error;
    // No kept list, no list loaded: writing one would only wipe the file.
    if (TSavedList* const saved = ListBox1 ? ListBox1->SavedList() : nullptr) {
        if (!saved->SaveNow(&error)) failures->append(QStringLiteral("无法保存播放列表：") + error);
        saved->Stop();
    }
    Ctrl->StopSavingChanges();
    if (!Ctrl->SaveSettings(&error))
        failures->append(QStringLiteral("无法保存设置：") + error);
    return failures->isEmpty();
}

void TForm1::FormClose() {
    FinishFirstRunSetup();
    QFile::remove(Ctrl->InstallFolder + QStringLiteral("velmora.ini"));
    tray_.Remove();
    session_.Withdraw();
    qApp->quit();
}
