// Shared helpers of the test suites: temporary folders, small file utilities, and readable
// failure output for Qt values. Every test program is compiled with this header included first.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>  // printed by GoogleTest's list printer through the QString one
#include <QTemporaryDir>
#include <iosfwd>

#include "tests/test_pictures.h"

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

// While it lives, the calling thread obeys file modes as an ordinary user does: root's power to
// read and search past them is set aside, so a file of mode 000 cannot be read. Without that
// power (an ordinary user already) it changes nothing.
class AsOrdinaryUser {
public:
    AsOrdinaryUser();
    ~AsOrdinaryUser();
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    unsigned saved_ = 0;
    bool changed_ = false;
};

// Absolute path of a helper program built beside the tests.
QString helperProgram(const QString& name);

}  // namespace testing_support

// GoogleTest finds these by argument-dependent lookup, so they live in Qt's own namespace.
// Without them a QString prints as a list of QChar bytes and a QRect as raw memory; lists of
// these print through GoogleTest's own container printer.
QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QByteArray& bytes, std::ostream* out);
void PrintTo(QChar c, std::ostream* out);
void PrintTo(const QPoint& p, std::ostream* out);
void PrintTo(const QPointF& p, std::ostream* out);
void PrintTo(const QSize& s, std::ostream* out);
void PrintTo(const QSizeF& s, std::ostream* out);
void PrintTo(const QRect& r, std::ostream* out);
void PrintTo(const QRectF& r, std::ostream* out);
void PrintTo(const QColor& c, std::ostream* out);
void PrintTo(const QImage& image, std::ostream* out);
QT_END_NAMESPACE
