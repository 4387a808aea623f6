#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace testing_support {

TempFolder::TempFolder() : dir_(QDir::tempPath() + "/velmora-test-XXXXXX") {
    if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write fixture");
    f.write(bytes);
}

QByteArray TempFolder::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString helperProgram(const QString& name) { return QString(VELMORA_TEST_HELPERS_DIR) + "/" + name; }

}  // namespace testing_support
