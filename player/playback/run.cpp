#include "player/playback/run.h"

#include <QFileDialog>
#include <QFileInfo>
#include <chrono>

#include "platform/device_volume.h"
#include "platform/ini_file.h"
#include "platform/media_engine.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/engines.h"
#include "player/app/form1.h"
#include "player/playback/pinyin.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playlist/station_code.h"
#include "player/playback/winamp_host.h"
#include "directshow/filter_graph.h"
#include "player/video/dspack.h"
#include "player/video/dspack_run.h"

namespace {

const QString kCannotPlay = QStringLiteral("不能播放");

QString FilePlusIni() { return Ctrl->InstallFolder + QStringLiteral("Plugins/FilePlus.ini"); }

bool InList(const QString& mask, const QString& list) { return (list + u';').contains(mask); }

// "*" + the lower-cased extension + ";": the form in which the decoder lists hold a type.
QString ExtensionMask(const QString& path) { return u'*' + playlist::LowerExtension(path) + u';'; }

}  // namespace

TRun::TRun() {
    Clock = [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
    // The GStreamer engines follow the device volume as the sound devices would.
    deviceListener_ = platform::AddDeviceVolumeListener([this](platform::DeviceFamily, quint32) { ApplyDeviceLevels(); });
}

TRun::~TRun() { platform::RemoveDeviceVolumeListener(deviceListener_); }

void TRun::ApplyDeviceLevels() {
    const auto wave = platform::DeviceLevels(platform::DeviceFamily::Wave);
    if (Media) {
        const bool midi =
            Media->Control().GetProperty(platform::mp::FileName).toString().toLower().contains(QLatin1String(".mid"));
        const auto levels = midi ? platform::DeviceLevels(platform::DeviceFamily::Midi) : wave;
        Media->Control().Engine().SetLevels(levels.first, levels.second);
    }
    if (Real && Real->Control()) Real->Control()->Engine().SetLevels(wave.first, wave.second);
    if (Direct && Direct->GraphBuilder) Direct->GraphBuilder->Engine().SetLevels(wave.first, wave.second);
    if (TDspack* engine = RunDspack(this, false)) engine->Graph()->SetDeviceLevels(wave.first, wave.second);
}

void TRun::CreateTimers() {
    auto make = [this](int interval, void (TRun::*slot)()) {
        auto* timer = new QTimer(this);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, slot);
        return timer;
    };
    ProgressTimerObj = make(500, &TRun::ProgressTimer);
    OpenWaitTimerObj = make(100, &TRun::OpenWaitTimer);
    TitleTimerObj = make(250, &TRun::TitleScrollTimer);
}

QString TRun::EntryPath(const QString& entry) {
    QString path = playlist::PathField(entry).toString();
    if (path.startsWith(QLatin1String("<:"))) path = GetBCSURL(path);
    return path;
}

Engine TRun::ChooseEngine(const QString& path) const {
    const QString mask = ExtensionMask(path);
    Engine code = Engine::None;
    // Every match overwrites the code, so the later list wins.
    if (InList(mask, Ctrl->Decode5List)) code = Engine::DirectShow;
    if (InList(mask, Ctrl->Decode3List)) code = Engine::FrameGrabbing;
    if (InList(mask, Ctrl->Decode1List)) code = Engine::Real;
    if (InList(mask, Ctrl->Decode2List)) code = Engine::MediaPlayer;
    if (InList(mask, Ctrl->Decode0List)) code = Engine::Winamp;
    if (InList(mask, Ctrl->Decode4List)) code = Engine::Flash;
    if (QStringLiteral("*.dat;*.mpg;*.mpeg;*.avi;*.wmv;").contains(mask)) {
        const platform::TIniFile ini(FilePlusIni());
        if (ini.ReadString(QStringLiteral("AUTO_CTRL"), QStringLiteral("ENABLE_AUTO_CTRL"), QString()) == u'1')
            code = Ctrl->ReadBool(QStringLiteral("UseDirectShow"), false) ? Engine::FrameGrabbing : Engine::MediaPlayer;
    }
    if (path.contains(QLatin1String("://"))) {
        if (path.startsWith(QLatin1String("mms://")) || path.startsWith(QLatin1String("mmst://")) ||
            path.startsWith(QLatin1String("mmsu://")))
            code = Engine::MediaPlayer;
        if (path.startsWith(QLatin1String("rtsp://")) || path.startsWith(QLatin1String("pnm://"))) code = Engine::Real;
        if (code == Engine::None) code = Engine::MediaPlayer;
    }
    if (mask == QLatin1String("*.cda;")) code = Engine::Winamp;
    return code;
}

void TRun::PlayIndex(int index) {
    Stop();
    if (!ListBox1 || ListBox1->Count() == 0) return;
    Index = std::clamp(index, 0, ListBox1->Count() - 1);
    const QString path = EntryPath(ListBox1->Item(Index));

    // Scroll the entry into view.
    TListBox1& box = *ListBox1;
    if (Index < box.TopIndex()) {
        box.SetTopIndex(Index);
        Ctrl->Display->DrawPlaylistScrollbar();
    }
    const int rows = box.viewport()->height() / TListBox1::kRowHeight;
    if (Index >= box.TopIndex() + rows) {
        if (Index - rows + 1 < box.Count()) box.SetTopIndex(Index - rows + 1);
        Ctrl->Display->DrawPlaylistScrollbar();
    }
    box.viewport()->update();

    const QString mask = ExtensionMask(path);
    path_ = path;
    criticalsAtOpen_ = platform::MediaCriticals();
    EngineCode = ChooseEngine(path);
    if (mask == QLatin1String("*.cda;")) LoadWinampPlugins(2);
    if (!OpenInEngine(path, mask)) return;
    ApplyDeviceLevels();
    Length = 0;
    if (EngineCode != Engine::None && EngineCode != Engine::RealUnusable) {
        Title = PinyinTitle(box.GetTitle(Index).left(60)).trimmed().toUpper();
        Wait = 0;
        OpenWaitTimerObj->start();
    }
    if (EngineCode == Engine::None) {
        platform::ShowMessage(QStringLiteral("这种类型的文件还没有定义，请参考帮助文档定义该类型文件！　"), kCannotPlay);
    }
}

void TRun::Stop() {
    if (LyricsTimer) LyricsTimer->stop();
    OpenWaitTimerObj->stop();
    ProgressTimerObj->stop();
    Paused = false;
    enginePlaying_ = false;
    aliveAt_ = -1;
    if (EngineCode == Engine::Real && Real && Real->Control()) Real->Control()->DoStop();
    if (EngineCode == Engine::Flash && Flash) {
        QFile::remove(Ctrl->InstallFolder + QStringLiteral("$temp.swf"));
        Flash->deleteLater();
        Flash = nullptr;
        VideoWidth = 360;
        VideoHeight = 268;
    }
    if (EngineCode == Engine::DirectShow && Direct) {
        if (Direct->MediaControl) Direct->MediaControl->Stop();
        // The graph goes with the engine object, after any handler running now has returned.
        Direct->deleteLater();
        Direct = nullptr;
        platform::CoUninitialize();
    }
    if (EngineCode == Engine::FrameGrabbing) StopFrameEngine(*this);
    if (EngineCode == Engine::MediaPlayer && Media) Media->Control().Stop();
    if (EngineCode == Engine::Winamp && Winamp) {
        if (Winamp->Bound() && Winamp->In()->GetLength() >= 0) Winamp->In()->Stop();
        if (Winamp->Kind == 2) Winamp.reset();
    }
    if (Form4) FreeVideoWindow();
    ProgressTimerObj->setInterval(500);
    VideoOpen = false;
    Length = 0;
    Position = 0;
    EngineCode = Engine::None;
    DrawMarksOff();
    Ctrl->Display->DrawBitrate(0, 0);
    Ctrl->Display->SetPlayState(1);
    Ctrl->Display->PaintMain();
    if (PlaylistWindow) Ctrl->Display->PaintPlaylist();
}

// The video window and the engine that drew into it go together; both are freed only after the
// handler that may be running inside them has returned.
void TRun::FreeVideoWindow() {
    if (LrcCtrl) {
        LrcCtrl->deleteLater();
        LrcCtrl = nullptr;
    }
    VideoWidth = 360;
    VideoHeight = 268;
    if (EngineCode == Engine::MediaPlayer && Media) {
        Media->deleteLater();
        Media = nullptr;
    }
    if (EngineCode == Engine::Real && Real) {
        Real->deleteLater();
        Real = nullptr;
    }
    if (Ctrl->ReadInteger(QStringLiteral("ScreenMode"), 1) < 3) {
        Ctrl->WriteInteger(QStringLiteral("AV_W"), Form4->width());
        Ctrl->WriteInteger(QStringLiteral("AV_H"), Form4->height());
        Ctrl->WriteInteger(QStringLiteral("AV_L"), Form4->x());
        Ctrl->WriteInteger(QStringLiteral("AV_T"), Form4->y());
    }
    QWidget* window = Form4;
    Form4 = nullptr;
    window->hide();
    window->deleteLater();
}

QString TRun::OpenFilter() const {
    const platform::TIniFile ini(FilePlusIni());
    QString filter;
    for (int n = 0; n <= 20; ++n) {
        const QString value =
            ini.ReadString(QStringLiteral("OPEN_SETUP"), QStringLiteral("OPEN%1_VALUE").arg(n), QString()).toLower();
        if (!value.contains(QLatin1String("*."))) continue;
        const QString title = ini.ReadString(QStringLiteral("OPEN_SETUP"), QStringLiteral("OPEN%1_TITLE").arg(n), QString());
        filter += n == 0 ? title + u'|' + value + u'|' : title + u'(' + value + QStringLiteral(")|") + value + u'|';
    }
    return filter;
}

// The dialog takes the filter as Windows writes it ("title|masks|..."), so each pair becomes one
// Qt filter line with the masks space-separated.
static QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList lines;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts.at(i + 1);
        masks.replace(u';', u' ');
        lines << parts.at(i) + QStringLiteral(" (") + masks.trimmed() + u')';
    }
    return lines;
}

void TRun::OpenFiles(bool replace) {
    QFileDialog dialog(nullptr);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(QtFilters(OpenFilter()));
    dialog.setDirectory(Ctrl->ReadString(QStringLiteral("DefaultPath"), QString()));
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || !ListBox1) return;
    if (replace) {
        ListBox1->SetItems({});
        ListBox1->TotalSeconds = 0;
        Index = -1;
        ListBox1->SetItemIndex(-1);
        ListBox1->LastSelected = -1;
    }
    Ctrl->WriteString(QStringLiteral("DefaultPath"), QFileInfo(files.first()).absolutePath() + u'/');
    for (int i = 0; i < files.size(); ++i) ListBox1->addFile(files.at(i), i == files.size() - 1);
}

// The close query: after the stop, the plug-in pair quits and every engine goes; the libraries
// are unloaded last, input first.
void TRun::ReleaseEngines() {
    Winamp.reset();
    delete Media.data();
    delete Real.data();
    delete Direct.data();
    delete Flash.data();
    delete RunDspack(this, false);
    UnloadInputPlugin();
    UnloadOutputPlugin();
}
