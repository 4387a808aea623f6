#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <mutex>

namespace platform {

namespace {

std::mutex g_openMutex;
OpenRecorder g_openRecorder;

}  // namespace

void SetOpenRecorder(OpenRecorder recorder) {
    std::lock_guard lock(g_openMutex);
    g_openRecorder = std::move(recorder);
}

bool ShellOpen(const QString& path) {
    OpenRecorder recorder;
    {
        std::lock_guard lock(g_openMutex);
        recorder = g_openRecorder;
    }
    if (recorder) {
        recorder(path);
        return true;
    }
    if (!QFileInfo::exists(path)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString HelpPage(const QString& reference) {
    static const QString kBook = QStringLiteral("help.chm");
    const qsizetype at = reference.indexOf(kBook, 0, Qt::CaseInsensitive);
    if (at < 0) return reference;
    const QString folder = reference.left(at) + QStringLiteral("help/");
    QString rest = reference.mid(at + kBook.size());
    if (rest.isEmpty()) return folder + QStringLiteral("index.htm");
    if (!rest.startsWith(QStringLiteral("::"))) return reference;
    rest = rest.mid(2);
    // Only the page's own name: the book's inner folders do not exist as folders here, and a
    // reference can never reach outside help/.
    rest = rest.mid(qMax(rest.lastIndexOf(u'\\'), rest.lastIndexOf(u'/')) + 1);
    if (rest.isEmpty() || rest == QStringLiteral("..") || rest == QStringLiteral("."))
        return folder + QStringLiteral("index.htm");
    return folder + rest;
}

}  // namespace platform
