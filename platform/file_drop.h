// Files dropped on a window: the window accepts them and a handler gets their local paths in the
// order the drag source gave them (folders included).
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QWidget;
class QMimeData;

namespace platform {

class FileDropTarget : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QStringList& paths)>;
    FileDropTarget(QWidget* window, Handler handler);

    // The local paths a drop carries; other URLs are not files and are left out.
    static QStringList PathsOf(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
};

}  // namespace platform
