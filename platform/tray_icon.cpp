#include "platform/tray_icon.h"

#include <QSystemTrayIcon>

namespace platform {

namespace {
std::optional<bool> fixedAnswer;
}  // namespace

bool TrayAvailable() { return fixedAnswer.value_or(QSystemTrayIcon::isSystemTrayAvailable()); }
void SetTrayAvailable(std::optional<bool> answer) { fixedAnswer = answer; }

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}
TrayIcon::~TrayIcon() = default;

bool TrayIcon::Add(const QIcon& icon, const QString& tip, std::function<void(int)> callback) {
    tip_ = tip;
    picture_ = icon;
    callback_ = std::move(callback);
    added_ = true;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    icon_ = std::make_unique<QSystemTrayIcon>(icon);
    icon_->setToolTip(tip);
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (!callback_) return;
        if (reason == QSystemTrayIcon::Trigger) callback_(kTrayLeftButtonDown);
        else if (reason == QSystemTrayIcon::Context) callback_(kTrayRightButtonDown);
    });
    icon_->show();
    return true;
}

void TrayIcon::Remove() {
    added_ = false;
    if (icon_) icon_->hide();
    icon_.reset();
}

void TrayIcon::Modify(const QIcon& icon) {
    picture_ = icon;
    if (icon_) icon_->setIcon(icon);
}

bool TrayIcon::IsShown() const { return icon_ && icon_->isVisible(); }

}  // namespace platform
