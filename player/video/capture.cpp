// The filter settings and the captures of the current frame.
#include "player/video/capture.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "player/core/ctrl.h"
#include "player/core/settings_store.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/video/form4.h"
#include "player/video/frame_filters.h"

namespace {

enum Flag { kBrightness, kContrast, kSaturation, kRgb, kSoften, kSharpen };

int FilterValue(const TSettingsStore& settings, const char* name) {
    return std::clamp(settings.ReadInteger(QLatin1String(name), 0), -255, 255);
}

bool GsettingsWallpaper(const QString& path) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (tool.isEmpty()) return false;
    const QString uri = QUrl::fromLocalFile(path).toString();
    bool any = false;
    for (const char* key : {"picture-uri", "picture-uri-dark"}) {
        QProcess process;
        process.start(tool, {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.background"),
                             QLatin1String(key), uri});
        if (process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            any = true;
    }
    return any;
}

bool PortalWallpaper(const QString& path) {
    QDBusInterface portal(QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
                          QStringLiteral("org.freedesktop.portal.Wallpaper"));
    if (!portal.isValid()) return false;
    const QVariantMap options{{QStringLiteral("show-preview"), false}, {QStringLiteral("set-on"), QStringLiteral("background")}};
    const QDBusMessage reply = portal.call(QStringLiteral("SetWallpaperURI"), QString(),
                                           QUrl::fromLocalFile(path).toString(), options);
    return reply.type() == QDBusMessage::ReplyMessage;
}

WallpaperSetter& Setter() {
    static WallpaperSetter setter;
    return setter;
}

}  // namespace

QString NumberedCaptureName(const QString& folder, const std::function<bool(const QString&)>& exists) {
    for (qint64 n = 1;; ++n) {
        const QString name = folder + QStringLiteral("%1.bmp").arg(n, 4, 10, QLatin1Char('0'));
        if (!exists(name)) return name;
    }
}

WallpaperSetter SetWallpaperSetter(WallpaperSetter setter) { return std::exchange(Setter(), std::move(setter)); }

bool SetDesktopWallpaper(const QString& path) {
    if (Setter()) return Setter()(path);
    return GsettingsWallpaper(path) || PortalWallpaper(path);
}

TImgVideo::TImgVideo(QObject* parent) : QObject(parent) {
    PlayingLength = [] { return Ctrl && Ctrl->Run ? Ctrl->Run->Length : 0; };
    IsPaused = [] { return Ctrl && Ctrl->Run && Ctrl->Run->Paused; };
    InnerArea = [] { return Form4 ? QSize(Form4->width() - 14, Form4->height() - 20) : QSize(); };
    AskSaveName = [] {
        return QFileDialog::getSaveFileName(nullptr, QString(), QString(), QStringLiteral("*.bmp (*.bmp)"));
    };
    AskFolder = [](const QString& start) {
        return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("请选择保存的路径"), start);
    };
}

// The capture timer is a child: it stops and goes with this object, so no tick outlives it.
TImgVideo::~TImgVideo() {
    if (timer_) timer_->stop();
}

const TSettingsStore& TImgVideo::Settings() const {
    static const TSettingsStore empty;
    if (store_) return *store_;
    return Ctrl ? Ctrl->Settings : empty;
}

void TImgVideo::LoadSettings() { LoadSettings(Settings()); }

void TImgVideo::LoadSettings(const TSettingsStore& settings) {
    const int brightness = FilterValue(settings, "BrightnessValue");
    const int contrast = FilterValue(settings, "ContrastValue");
    const int saturation = FilterValue(settings, "SaturationValue");
    const int red = FilterValue(settings, "RGBRed");
    const int green = FilterValue(settings, "RGBGreen");
    const int blue = FilterValue(settings, "RGBBlue");
    const QString control = settings.ReadString(QStringLiteral("VideoControl"), QString());
    // A negative delay would be a sleep that never ends on the streaming thread.
    const int rate = settings.ReadInteger(QStringLiteral("VideoDisplayRate"), 100);
    frameDelay_ = std::clamp(200 - 2 * std::clamp(rate, -1000, 1000), 0, 200);
    // The streaming thread filters a frame under the frame lock: taking it here means a frame is
    // filtered wholly with the old values or wholly with the new ones, never with a mixture.
    std::lock_guard guard(FrameLock);
    brightness_ = brightness;
    contrast_ = contrast;
    saturation_ = saturation;
    red_ = red;
    green_ = green;
    blue_ = blue;
    for (int i = 0; i < 6; ++i) flags_[i] = i < control.size() && control[i] == QLatin1Char('1') ? 1 : 0;
}

void TImgVideo::ApplyFilters(QImage* frame) const {
    namespace ff = framefilters;
    if (flags_[kRgb]) ff::AdjustRGB(frame, red_, green_, blue_);
    if (flags_[kSaturation]) ff::AdjustSaturation(frame, saturation_);
    if (flags_[kContrast]) ff::AdjustContrast(frame, contrast_);
    if (flags_[kBrightness]) ff::AdjustBrightness(frame, brightness_);
    if (flags_[kSoften]) ff::Soften(frame);
    if (flags_[kSharpen]) ff::Sharpen(frame);
}

int TImgVideo::CaptureSetting(const char* name, int def) const {
    return Settings().ReadInteger(QLatin1String(name), def);
}

QString TImgVideo::CaptureFolder() const {
    const QString install = Ctrl ? Ctrl->InstallFolder : QString();
    return Settings().ReadString(QStringLiteral("GetVideoFolder"), install);
}

QImage TImgVideo::CapturePicture(int mode) {
    QSize size;
    if (mode == 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        size = screen ? screen->size() : QSize(800, 600);
    } else if (const int type = CaptureSetting("GetVideoType", 0); type == 1) {
        size = InnerArea();
    } else if (type == 2) {
        size = QSize(CaptureSetting("GetVideoWidth", 800), CaptureSetting("GetVideoHeight", 600));
    }
    // The frame is read under its lock: the streaming thread writes it in place.
    std::lock_guard guard(FrameLock);
    if (mode != 0 && CaptureSetting("GetVideoType", 0) == 0) size = FrameBitmap.size();
    // Hand-edited sizes (0, negative, huge) become a picture that can be made.
    size = QSize(std::clamp(size.width(), 1, kMaxCaptureSide), std::clamp(size.height(), 1, kMaxCaptureSide));
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(Qt::black);
    if (!FrameBitmap.isNull()) {
        QPainter painter(&picture);
        painter.drawImage(QRect(QPoint(0, 0), size), FrameBitmap);
    }
    return picture;
}

bool TImgVideo::Save(const QImage& picture, const QString& path) {
    if (picture.save(path, "BMP")) return true;
    platform::ShowMessage(QStringLiteral("无法保存图片：%1").arg(path), QStringLiteral("错误"), platform::MessageIcon::Error);
    return false;
}

void TImgVideo::SaveWallpaper(const QImage& picture) {
    const QString path = (Ctrl ? Ctrl->InstallFolder : QString()) + QStringLiteral("Velmora Player.bmp");
    if (!Save(picture, path)) return;
    platform::TRegistry registry;
    if (registry.OpenKey(QStringLiteral("Control Panel\\Desktop"), true)) {
        registry.WriteString(QStringLiteral("TileWallPaper"), QStringLiteral("0"));
        registry.WriteString(QStringLiteral("Wallpaper"), path);
    }
    if (!SetDesktopWallpaper(path))
        platform::ShowMessage(QStringLiteral("图片已保存为 %1，但桌面没有接受墙纸设置。").arg(path),
                              QStringLiteral("设为墙纸"), platform::MessageIcon::Warning);
}

void TImgVideo::Capture(int mode) {
    if (mode == 2) {
        const QString chosen = AskFolder(CaptureFolder());
        if (chosen.isEmpty()) return;
        if (Ctrl) Ctrl->WriteString(QStringLiteral("GetVideoFolder"), chosen.endsWith(QLatin1Char('/')) ? chosen : chosen + QLatin1Char('/'));
        if (!timer_) {
            timer_ = new QTimer(this);
            connect(timer_, &QTimer::timeout, this, &TImgVideo::CaptureTimer);
        }
        timer_->setInterval(std::max(kMinCaptureIntervalMs, CaptureSetting("GetVideoTime", 2000)));
        timer_->start();
        return;
    }
    const QImage picture = CapturePicture(mode);
    if (mode == 0) {
        SaveWallpaper(picture);
    } else if (mode == 1) {
        QString name = AskSaveName();
        if (name.isEmpty()) return;
        if (!name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) name += QStringLiteral(".bmp");
        Save(picture, name);
    } else if (mode == 3) {
        Save(picture, NumberedCaptureName(CaptureFolder(), [](const QString& path) { return QFile::exists(path); }));
    }
}

void TImgVideo::CaptureTimer() {
    if (!timer_) return;
    if (PlayingLength() <= 0) {
        timer_->stop();
        return;
    }
    if (!IsPaused()) Capture(3);
}
