#include "player/core/ctrl.h"

#include <QTimer>
#include <algorithm>
#include <limits>

#include "platform/ini_file.h"
#include "platform/install_folder.h"
#include "platform/message_box.h"
#include "player/display/display.h"
#include "player/commands/menu.h"
#include "player/playback/run.h"

TCtrl* Ctrl = nullptr;

TCtrl::TCtrl() = default;
TCtrl::~TCtrl() = default;

// Each list is kept lower-cased and ";"-ended, so membership is a search for "*.ext;".
static QString DecoderList(const platform::TIniFile& ini, const char* key) {
    return ini.ReadString(QStringLiteral("DECODE_SETUP"), QLatin1String(key), QString()).toLower() + QLatin1Char(';');
}

void TCtrl::ReadDecoderLists() {
    const platform::TIniFile ini(InstallFolder + QStringLiteral("Plugins/FilePlus.ini"));
    Decode0List = DecoderList(ini, "DECODE0");
    Decode1List = DecoderList(ini, "DECODE1");
    Decode2List = DecoderList(ini, "DECODE2");
    Decode3List = DecoderList(ini, "DECODE3");
    Decode4List = DecoderList(ini, "DECODE4");
    Decode5List = DecoderList(ini, "DECODE5");
}

void TCtrl::WriteString(const QString& name, const QString& value) {
    Settings.WriteString(name, value);
    SaveSoon();
}

void TCtrl::WriteBool(const QString& name, bool value) {
    Settings.WriteBool(name, value);
    SaveSoon();
}

void TCtrl::WriteInteger(const QString& name, int value) {
    Settings.WriteInteger(name, value);
    SaveSoon();
}

void TCtrl::SaveSoon() {
    if (saveTimer_) saveTimer_->start();
}

void TCtrl::StopSavingChanges() { saveTimer_.reset(); }

bool TCtrl::SaveSettings(QString* error) {
    return !settingsWritable_ || Settings.Save(InstallFolder + QStringLiteral("setup.ini"), error);
}

void TCtrl::LoadSettings() {
    QString error;
    settingsWritable_ = Settings.Load(InstallFolder + QStringLiteral("setup.ini"), &error);
    if (!settingsWritable_) {
        // The defaults in the store would replace every setting the user made: the file stays
        // as it is, and the user learns why nothing of this run is kept.
        platform::ShowMessage(QStringLiteral("无法读取设置文件：%1\n本次运行使用默认设置，为免覆盖该文件，设置的改动都不会保存。"
                                             "请让该文件可以读取后重新启动播放器。")
                                  .arg(error),
                              QStringLiteral("Velmora Player"), platform::MessageIcon::Warning);
        return;
    }
    // One save for a burst of writes (a slider drag writes on every step).
    saveTimer_ = std::make_unique<QTimer>();
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(300);
    QObject::connect(saveTimer_.get(), &QTimer::timeout, [this] {
        // A failure here is not shown: the save at close tries again and reports it.
        QString error;
        SaveSettings(&error);
    });
}

void TCtrl::Init(const QString& installFolder) {
    InstallFolder = installFolder.isEmpty() ? platform::InstallFolder() : installFolder;
    if (!InstallFolder.endsWith(QLatin1Char('/'))) InstallFolder += QLatin1Char('/');
    Menu = std::make_unique<TmMenu>();
    platform::RemoveSaveLeftovers(InstallFolder);
    LoadSettings();
    ReadDecoderLists();
    Display = std::make_unique<TDisplay>();
    Run = std::make_unique<TRun>();
    Run->TimeOrder = ReadBool(QStringLiteral("TimeOrder"), true);
    Run->Paused = false;
    Run->Index = -1;
    Run->EngineCode = Engine::None;
    Run->VideoOpen = false;
    // A hand-edited huge timeout must not overflow into a negative limit.
    const qint64 timeout = qint64(ReadInteger(QStringLiteral("ConnectTimeOut"), 30)) * 1000;
    Run->Timeout = static_cast<int>(std::clamp<qint64>(timeout, 0, std::numeric_limits<int>::max()));
    DragX = -1;
    DragY = -1;
    ReadVolume();
    ReadBalance();
    Display->LoadMainSkin();
    Run->LrcFileControl = ReadString(QStringLiteral("LrcFileControl"), QStringLiteral("11000"));
    Run->VideoControl = ReadString(QStringLiteral("VideoControl"), QStringLiteral("00000011"));
    Run->CreateTimers();
    Run->VideoWidth = 360;
    Run->VideoHeight = 268;
}
