#include "platform/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

namespace {

QString& Folder() {
    static QString folder;
    return folder;
}

}  // namespace

void SetQtTranslationFolder(const QString& folder) { Folder() = folder; }

bool InstallQtTranslation() {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    const QString folder = Folder().isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : Folder();
    // The interface is Chinese on every desktop, so the language is fixed, not the locale's.
    auto* translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace platform
