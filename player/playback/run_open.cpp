// TRun: opening an entry in its engine, the open wait, and the start of playing.
#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "platform/media_warm_up.h"
#include "platform/message_box.h"
#include "platform/network_proxy.h"
#include "platform/registry.h"
#include "player/skin/canvas.h"
#include "player/core/ctrl.h"
#include "player/commands/menu.h"
#include "player/display/display.h"
#include "player/playback/engines.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playback/run.h"
#include "player/playback/run_progress.h"
#include "player/playback/winamp_host.h"
#include "player/video/dspack_run.h"

namespace {

const QString kCannotPlay = QStringLiteral("不能播放");

bool VideoFlagSet() { return Ctrl->Run->VideoControl.size() >= 8 && Ctrl->Run->VideoControl.at(7) == u'1'; }

}  // namespace

bool TRun::OpenInEngine(const QString& path, const QString& mask) {
    if (EngineCode != Engine::Winamp) platform::LetWarmedGraphGo();
    // The order matters: RealAudio may turn into "unusable" and that into the Media Player.
    if (EngineCode == Engine::Flash) {
        bool endNow = false;
        OpenFlash(path, mask, endNow);
        if (endNow) return false;
    }
    if (EngineCode == Engine::Real) OpenReal(path);
    if (EngineCode == Engine::RealUnusable) RealUnusable(path);
    if (EngineCode == Engine::MediaPlayer) OpenMedia(path);
    if (EngineCode == Engine::FrameGrabbing) {
        QString reason;
        platform::MediaFailure failure = platform::MediaFailure::Failed;
        if (!OpenFrameEngine(*this, path, &reason, &failure)) {
            FailEntry(platform::FailureReason(failure), reason);
            return false;
        }
    }
    if (EngineCode == Engine::DirectShow && !OpenDirect(path)) return false;
    if (EngineCode == Engine::Winamp && !OpenWinamp(path)) return false;
    return true;
}

bool TRun::IsStream() const {
    return path_.contains(QLatin1String("://")) && !path_.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}

void TRun::EngineFailed(Engine engine, const QString& reason, const QString& detail) {
    if (engine != EngineCode || !(OpenWaitTimerObj->isActive() || ProgressTimerObj->isActive())) return;
    FailEntry(reason, detail);
}

// The texts are those of the RealAudio engine's error event, followed by the reason in Chinese;
// the engine's own words are for the log, not the user.
void TRun::FailEntry(const QString& reason, const QString& detail) {
    const bool stream = IsStream();
    if (!detail.isEmpty()) qWarning("velmora: cannot play %s: %s", qUtf8Printable(path_), qUtf8Printable(detail));
    Stop();
    QString text = stream ? QStringLiteral("服务器没有响应！　　") : QStringLiteral("文件格式错误、不能播放！　　");
    if (!reason.isEmpty()) text += u'\r' + reason;
    platform::ShowMessage(text, stream ? QStringLiteral("连接失败") : kCannotPlay);
}

void TRun::OpenFlash(QString path, const QString& mask, bool& endNow) {
    if (!Flash) {
        try {
            Flash = new TFlash();
        } catch (const std::exception& error) {
            // The control's own error is for the log; the user reads why in Chinese, and the
            // entry stops.
            qWarning("velmora: cannot play %s: %s", qUtf8Printable(path), error.what());
            platform::ShowMessage(QStringLiteral("本机没有安装Flash动画播放组件、不能播放这种文件！　"), kCannotPlay);
            Stop();
            endNow = true;
            return;
        }
    }
    if (mask == QLatin1String("*.exe;")) {
        const QString movie = Ctrl->InstallFolder + QStringLiteral("$temp.swf");
        if (!TFlashMovie::ExtractFromExe(path, movie)) {
            platform::ShowMessage(QStringLiteral("这不是一个标准的媒体文件、不能播放！　"), kCannotPlay);
            Stop();
            endNow = true;
            return;
        }
        path = movie;
    }
    Flash->Control().SetProperty(flash::Movie, path);
}

void TRun::OpenReal(const QString& path) {
    if (!Real) Real = new TReal();
    if (EngineCode != Engine::Real) return;
    Real->Ended = false;
    try {
        Real->Control()->SetSource(path);
        Real->Control()->DoPlay();
    } catch (const std::exception&) {
        EngineCode = Engine::RealUnusable;
    }
}

void TRun::RealUnusable(const QString& path) {
    if (Real) {
        Real->deleteLater();
        Real = nullptr;
    }
    if (playlist::LowerExtension(path) == QLatin1String(".mp3")) {
        EngineCode = Engine::MediaPlayer;
        return;
    }
    platform::TRegistry registry(platform::RootKey::ClassesRoot);
    if (registry.OpenKeyReadOnly(QStringLiteral("Software\\RealNetworks\\RealPlayer"))) {
        platform::ShowMessage(QStringLiteral("\r无法正常建立RealPlayer接口，请参阅帮助文档解决该问题！  "), kCannotPlay);
    } else {
        platform::ShowMessage(QStringLiteral("\r播放这种类型的文件之前，必须先在计算机中安装RealOne或RealPlayer　\r\r"
                                             "若需下载RealOne、RealPlayer或了解更多的信息请访问") +
                                  QStringLiteral("http://www.real.com  "),
                              kCannotPlay);
    }
    if (Ctrl->Menu) Ctrl->Menu->Targets().RemoveRealAssociations();
    // Quoted, so an install folder with a blank still names the page.
    platform::WinExec(QStringLiteral("HH.exe \"") + Ctrl->InstallFolder + QStringLiteral("help.chm::使用手册\\常见问题.htm\""),
                      platform::SW_SHOWNORMAL);
}

void TRun::OpenMedia(const QString& path) {
    if (!Media) Media = new TMedia();
    Media->Ended = false;
    Media->Control().SetProperty(platform::mp::Enabled, false);
    Media->Control().Open(path);
}

bool TRun::OpenDirect(const QString& path) {
    if (!Direct) Direct = new TDirect();
    if (!Direct->GraphBuilder) return true;
    if (!platform::Succeeded(Direct->GraphBuilder->RenderFile(path))) {
        const platform::MediaEngine& engine = Direct->GraphBuilder->Engine();
        FailEntry(platform::FailureReason(engine.LastFailure()), engine.LastError());
        return false;
    }
    long width = 0, height = 0;
    if (Direct->VideoWindow) {
        Direct->VideoWindow->get_Width(&width);
        Direct->VideoWindow->get_Height(&height);
    }
    if (width > 0 && height > 0) {
        VideoWidth = int(width);
        VideoHeight = int(height);
        VideoOpen = true;
        Ctrl->Display->BuildVideoWindow(true);
        Direct->VideoWindow->put_Owner(Form4);
        Direct->VideoWindow->put_WindowStyle(platform::WS_CHILD | platform::WS_CLIPSIBLINGS);
        Direct->VideoWindow->SetWindowPosition(7, 15, Form4->width() - 14, Form4->height() - 20);
        Form4->update();
        Form4->setVisible(VideoFlagSet());
    }
    if (Direct->MediaControl) Direct->MediaControl->Run();
    return true;
}

bool TRun::OpenWinamp(const QString& path) {
    if (!Winamp) LoadWinampPlugins(1);
    if (!Winamp || !Winamp->Bound()) {
        // The failed bind was reported once; the entry ends stopped, and the next entry tries
        // the pair afresh instead of calling into a record that is not there.
        Winamp.reset();
        Stop();
        return false;
    }
    if (Winamp->In()->GetLength() >= 0) Winamp->In()->Stop();
    // Read at each entry, so a change on the network page reaches the next stream.
    SetInputHttpProxy(platform::HttpStreamProxy());
    const QByteArray file = QFile::encodeName(path);
    if (const int result = Winamp->In()->Play(file.constData()); result != 0) {
        // The plug-in tells only a source that is not there (-1) from other failures.
        const bool missing = result == -1 || (!IsStream() && !QFileInfo::exists(path));
        const auto failure = missing ? platform::MediaFailure::NotFound
                             : IsStream() ? platform::MediaFailure::CannotConnect
                                          : platform::MediaFailure::Unsupported;
        FailEntry(platform::FailureReason(failure), QStringLiteral("the input plug-in cannot play it (error %1)").arg(result));
        return false;
    }
    return true;
}

int TRun::EngineLength() {
    switch (EngineCode) {
    case Engine::MediaPlayer: return Media ? Media->LengthMs() : 0;
    case Engine::Winamp: return Winamp && Winamp->Bound() ? std::max(Winamp->In()->GetLength(), 0) : 0;
    case Engine::DirectShow: {
        qint64 duration = 0;
        if (!Direct || !Direct->MediaSeeking || !platform::Succeeded(Direct->MediaSeeking->GetDuration(&duration)))
            return 0;
        return HundredNsToMs(duration);
    }
    case Engine::Real: return Real && Real->Control() ? Real->Control()->GetLength() : 0;
    case Engine::FrameGrabbing: return FrameEngineLength(*this);
    case Engine::Flash: {
        if (!Flash) return 0;
        int length = 0;
        if (Flash->Control().GetProperty(flash::ReadyState).toInt() == 4) {
            Flash->ReadFrameTime(Flash->Control().GetProperty(flash::Movie).toString());
            length = Flash->Control().GetProperty(flash::TotalFrames).toInt() * Flash->MsPerFrame;
        }
        Flash->Control().Play();
        return length;
    }
    default: return 0;
    }
}

bool TRun::EnginePlays() {
    switch (EngineCode) {
    case Engine::MediaPlayer:
    case Engine::Real: return enginePlaying_;
    case Engine::Winamp:
        return Winamp && Winamp->Bound() && (Winamp->Out()->IsPlaying() != 0 || Winamp->In()->GetOutputTime() > 0);
    case Engine::DirectShow:
        // A stream still filling its buffer has not begun to play.
        return Direct && Direct->GraphBuilder &&
               Direct->GraphBuilder->Engine().CurrentState() == platform::MediaEngine::State::Playing &&
               !Direct->GraphBuilder->Engine().IsBuffering();
    case Engine::FrameGrabbing: return FrameEnginePlays(*this);
    default: return false;
    }
}

void TRun::OpenWaitTimer() {
    Ctrl->Display->SetPlayState(3);
    if (Wait > Timeout) {
        OpenWaitTimerObj->stop();
        platform::ShowMessage(QStringLiteral("等待响应超时、不能播放！　　"), QStringLiteral("等待超时"));
        Stop();
        return;
    }
    Wait += OpenWaitTimerObj->interval();
    Length = EngineLength();
    const bool startsByTimer = EngineCode != Engine::MediaPlayer && EngineCode != Engine::Real;
    if (Length > 0 && (startsByTimer || enginePlaying_)) Started();
    // A live stream never gets a length: it starts once it plays.
    else if (Length <= 0 && IsStream() && EnginePlays()) Started();
}

void TRun::EngineReportedPlaying() {
    enginePlaying_ = true;
    Started();
}

void TRun::DrawStereoMark(bool stereo) {
    TDisplay& display = *Ctrl->Display;
    if (stereo) {
        CopyRect(display.MainBuffer, Rect(239, 41, 268, 53), display.MonosterBmp, Rect(0, 0, 29, 12));
    } else {
        CopyRect(display.MainBuffer, Rect(212, 41, 241, 53), display.MonosterBmp, Rect(29, 0, 58, 12));
    }
}

void TRun::DrawMarksOff() {
    TDisplay& display = *Ctrl->Display;
    CopyRect(display.MainBuffer, Rect(239, 41, 268, 53), display.MonosterBmp, Rect(0, 12, 29, 24));
    CopyRect(display.MainBuffer, Rect(212, 41, 241, 53), display.MonosterBmp, Rect(29, 12, 58, 24));
}

void TRun::Started() {
    if (Length < 1 && !IsStream()) return;  // a local file without a length never starts
    aliveAt_ = Clock();
    StartedVideo();
    Ctrl->Display->SetPlayState(0);
    ProgressTimerObj->start();
    OpenWaitTimerObj->stop();
    Ctrl->Display->PaintMain();
    if (Length > 0) WriteEntryTime();
    const QString entry = ListBox1 ? ListBox1->Item(Index) : QString();
    Title = QString::number(Index + 1) + u'.' + Title + QStringLiteral(" (") + playlist::TimeField(entry).toString() +
            QStringLiteral(") ***");
    Ctrl->Display->BuildScrollTitle();
}

// The per-engine steps of the start: video window, marks, bit rate.
void TRun::StartedVideo() {
    if (EngineCode == Engine::Flash && Flash) {
        int width = 0, height = 0;
        Flash->ReadStageSize(Flash->Control().GetProperty(flash::Movie).toString(), width, height);
        VideoWidth = width;
        VideoHeight = height;
        // No Flash control ever gets this far here; its video steps stand with the control.
    }
    if (EngineCode == Engine::Winamp) {
        if (Winamp && Winamp->Kind == 2) Ctrl->ApplyVolume();
        DrawStereoMark(true);
        Ctrl->Display->DrawBitrate(128, 44);
    }
    if (EngineCode == Engine::FrameGrabbing && StartedFrameEngine(*this)) DrawStereoMark(true);
    if (LrcFileControl.startsWith(QLatin1Char('1'))) LoadLyrics();
    if (EngineCode == Engine::MediaPlayer && Media) {
        platform::MediaPlayerControl& control = Media->Control();
        control.SetProperty(platform::mp::DisplaySize, 1);
        VideoWidth = control.GetProperty(platform::mp::ImageSourceWidth).toInt();
        VideoHeight = control.GetProperty(platform::mp::ImageSourceHeight).toInt();
        control.SetProperty(platform::mp::DisplaySize, 4);
        if (VideoWidth > 0 && VideoHeight > 0) {
            VideoOpen = true;
            Ctrl->Display->BuildVideoWindow(true);
            control.SetProperty(platform::mp::ShowControls, false);
            control.SetParentWidget(Form4);
            control.SetBounds(7, 15, Form4->width() - 14, Form4->height() - 20);
        }
        control.Show();
        if (Form4) Form4->setVisible(VideoFlagSet());
        DrawStereoMark(true);
    }
    if (EngineCode == Engine::Real && Real && Real->Control()) {
        platform::RealAudioControl& control = *Real->Control();
        VideoWidth = control.GetClipWidth();
        VideoHeight = control.GetClipHeight();
        if (VideoWidth > 0 && VideoHeight > 0) {
            VideoOpen = true;
            Ctrl->Display->BuildVideoWindow(true);
            control.SetControls(QStringLiteral("ImageWindow"));
            control.SetParentWidget(Form4);
            control.SetBounds(7, 15, Form4->width() - 14, Form4->height() - 20);
            control.Show();
            Form4->setVisible(VideoFlagSet());
        }
        DrawStereoMark(control.GetStereoState());
    }
}

// The entry learns its length the first time it plays.
void TRun::WriteEntryTime() {
    if (!ListBox1 || Index < 0 || Index >= ListBox1->Count()) return;
    const QString entry = ListBox1->Item(Index);
    if (entry.contains(QLatin1String("<#"))) return;
    TListBox1& box = *ListBox1;
    const int top = box.TopIndex();
    const int selected = box.ItemIndex();
    box.setUpdatesEnabled(false);
    box.Model()->Replace(Index, entry + QStringLiteral("<#") + playlist::FormatTime(Length) + QStringLiteral("#>"));
    box.ChangeTime(Index, false);
    if (selected >= 0) box.SetItemIndex(selected);
    box.SetTopIndex(top);
    box.setUpdatesEnabled(true);
    if (PlaylistWindow && PlaylistWindow->isVisible()) Ctrl->Display->DrawPlaylistTimes();
}
