#include "tests/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <cstdio>
#include <ostream>
#include <linux/capability.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <unistd.h>

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

// Capabilities are per thread: only the test's own thread loses the override.
static bool GetCaps(__user_cap_header_struct* header, __user_cap_data_struct* data) {
    *header = {_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, header, data) == 0;
}

AsOrdinaryUser::AsOrdinaryUser() {
    __user_cap_header_struct header;
    __user_cap_data_struct data[2] = {};
    if (!GetCaps(&header, data)) return;
    saved_ = data[0].effective;
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    changed_ = data[0].effective != saved_ && ::syscall(SYS_capset, &header, data) == 0;
}

AsOrdinaryUser::~AsOrdinaryUser() {
    __user_cap_header_struct header;
    __user_cap_data_struct data[2] = {};
    if (!changed_ || !GetCaps(&header, data)) return;
    data[0].effective = saved_;
    ::syscall(SYS_capset, &header, data);
}

QByteArray TempFolder::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString helperProgram(const QString& name) { return QString(VELMORA_TEST_HELPERS_DIR) + "/" + name; }

}  // namespace testing_support

namespace {

// Control bytes and quotes escaped, so "\r\n" and a trailing blank are visible in a failure.
void PutEscaped(std::ostream& out, char c) {
    switch (c) {
    case '\n': out << "\\n"; return;
    case '\r': out << "\\r"; return;
    case '\t': out << "\\t"; return;
    case '"': out << "\\\""; return;
    case '\\': out << "\\\\"; return;
    default: break;
    }
    if (uchar(c) < 0x20 || c == 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", uchar(c));
        out << hex;
    } else {
        out << c;
    }
}

}  // namespace

QT_BEGIN_NAMESPACE

void PrintTo(const QString& text, std::ostream* out) {
    if (text.isNull()) {
        *out << "QString(null)";
        return;
    }
    *out << '"';
    for (const char c : text.toUtf8()) PutEscaped(*out, c);
    *out << '"';
}

// Bytes outside ASCII may be in any encoding (GBK as often as UTF-8), so they are shown as hex.
void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << "b\"";
    for (const char c : bytes) {
        if (uchar(c) < 0x80) {
            PutEscaped(*out, c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", uchar(c));
            *out << hex;
        }
    }
    *out << '"';
}

void PrintTo(QChar c, std::ostream* out) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(c.unicode()));
    *out << '\'';
    if (c.isPrint()) *out << QString(c).toStdString();
    *out << "' (" << code << ")";
}

void PrintTo(const QPoint& p, std::ostream* out) { *out << "QPoint(" << p.x() << "," << p.y() << ")"; }
void PrintTo(const QPointF& p, std::ostream* out) { *out << "QPointF(" << p.x() << "," << p.y() << ")"; }
void PrintTo(const QSize& s, std::ostream* out) { *out << "QSize(" << s.width() << "x" << s.height() << ")"; }
void PrintTo(const QSizeF& s, std::ostream* out) { *out << "QSizeF(" << s.width() << "x" << s.height() << ")"; }

void PrintTo(const QRect& r, std::ostream* out) {
    *out << "QRect(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}
void PrintTo(const QRectF& r, std::ostream* out) {
    *out << "QRectF(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

void PrintTo(const QColor& c, std::ostream* out) {
    if (!c.isValid()) {
        *out << "QColor(invalid)";
        return;
    }
    const bool opaque = c.alpha() == 255;
    *out << "QColor(" << c.name(opaque ? QColor::HexRgb : QColor::HexArgb).toStdString() << ")";
}

void PrintTo(const QImage& image, std::ostream* out) {
    if (image.isNull()) {
        *out << "QImage(null)";
        return;
    }
    const char* format = QMetaEnum::fromType<QImage::Format>().valueToKey(image.format());
    *out << "QImage(" << image.width() << "x" << image.height() << ", " << (format ? format : "?") << ")";
}

QT_END_NAMESPACE
