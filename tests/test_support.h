// Shared helpers of the test suites: temporary folders and small file utilities.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

// A fresh temporary folder, removed when the object goes away; path() ends without "/".
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + "/" + name; }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Absolute path of a helper program built beside the tests.
QString helperProgram(const QString& name);

}  // namespace testing_support
