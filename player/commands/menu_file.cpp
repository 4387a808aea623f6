// Plugins/MenuPlus.ini as the menus, the hotkeys and the video window's shortcuts read it.
#include <QDateTime>
#include <QFileInfo>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"

namespace {

QString MenuFilePath() { return Ctrl->InstallFolder + QStringLiteral("Plugins/MenuPlus.ini"); }

// What one look at the file tells: whether it is there, and its size and times. A file that comes
// back, is rewritten or gets new permissions gives another stamp.
QString FileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return path + QStringLiteral("|missing");
    // One arg() call: a "%1" inside the path stays text.
    return QStringLiteral("%1|%2|%3|%4")
        .arg(path, QString::number(info.size()), QString::number(info.lastModified().toMSecsSinceEpoch()),
             QString::number(info.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch()));
}

}  // namespace

bool TmMenu::ReadMenuFile(QStringList* lines) {
    const QString path = MenuFilePath();
    QString error;
    if (platform::ReadTextLines(path, lines, &error)) {
        failedStamp_.clear();
        return true;
    }
    failedStamp_ = FileStamp(path);
    platform::ShowMessage(error, QString(), platform::MessageIcon::Error);
    return false;
}

bool TmMenu::MenuFileStillFailing() const {
    return !failedStamp_.isEmpty() && FileStamp(MenuFilePath()) == failedStamp_;
}
