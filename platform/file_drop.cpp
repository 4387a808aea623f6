#include "platform/file_drop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace platform {

FileDropTarget::FileDropTarget(QWidget* window, Handler handler) : QObject(window), handler_(std::move(handler)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

QStringList FileDropTarget::PathsOf(const QMimeData* data) {
    QStringList paths;
    if (!data) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    return paths;
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!PathsOf(drag->mimeData()).isEmpty()) drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = PathsOf(drop->mimeData());
        drop->acceptProposedAction();
        if (handler_) handler_(paths);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform
