// The notification-area icon: an icon, a tip, and the mouse button that was pressed on it,
// reported as the Windows mouse message numbers the player's handlers switch on.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QSystemTrayIcon;

namespace platform {

inline constexpr int kTrayLeftButtonDown = 513;
inline constexpr int kTrayRightButtonDown = 516;

// Whether the desktop has a notification area now (a window hidden to it can come back by its
// icon). Tests fix the answer with SetTrayAvailable; std::nullopt asks the desktop again.
bool TrayAvailable();
void SetTrayAvailable(std::optional<bool> answer);

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Adds the icon; false (and no icon) when the desktop has no notification area.
    bool Add(const QIcon& icon, const QString& tip, std::function<void(int mouseMessage)> callback);
    void Remove();
    // Changes the picture of an added icon; the icon to add later takes it too.
    void Modify(const QIcon& icon);
    bool IsShown() const;
    // Whether the program holds the icon (added and not removed since), whether or not the
    // desktop has a notification area to show it in.
    bool IsAdded() const { return added_; }
    // A press on the icon, as the desktop reports one (the tests' way in where no tray exists).
    void Press(int mouseMessage) const {
        if (callback_) callback_(mouseMessage);
    }
    QIcon Icon() const { return picture_; }
    QString Tip() const { return tip_; }

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    QString tip_;
    QIcon picture_;
    std::function<void(int)> callback_;
    bool added_ = false;
};

}  // namespace platform
