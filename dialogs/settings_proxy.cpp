#include "dialogs/settings_proxy.h"

#include <QtEndian>

#include "platform/registry.h"

using platform::RootKey;
using platform::TRegistry;

namespace {

const QString kNetShowKey = QStringLiteral("\\Software\\Microsoft\\NetShow\\Player\\Local");
const QString kMmsParent = QStringLiteral("\\Software\\Microsoft\\MediaPlayer\\Preferences\\ProxySettings");
const QString kMmsKey = kMmsParent + QStringLiteral("\\MMS");
const QString kRealKey = QStringLiteral("\\Software\\RealNetworks\\RealMediaSDK\\6.0\\Preferences");

// A setting of the Real player is the default value of a sub-key named after it.
QString ReadReal(const QString& name) {
    TRegistry reg(RootKey::ClassesRoot);
    return reg.OpenKeyReadOnly(kRealKey + u'\\' + name) ? reg.ReadString(QString()) : QString();
}

bool RealKeyExists() { return TRegistry(RootKey::ClassesRoot).KeyExists(kRealKey); }

bool WriteReal(const QString& name, const QString& value, QString* error) {
    TRegistry reg(RootKey::ClassesRoot);
    if (reg.OpenKey(kRealKey + u'\\' + name, true) && reg.WriteString(QString(), value)) return true;
    *error = reg.LastError();
    return false;
}

QByteArray Dword(int value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(static_cast<quint32>(value), bytes.data());
    return bytes;
}

quint32 FromDword(const QByteArray& bytes) {
    return bytes.size() >= 4 ? qFromLittleEndian<quint32>(bytes.constData()) : 0;
}

TProxyRow ReadHttpRow() {
    TProxyRow row;
    QString host;
    QString port = QStringLiteral("80");
    TRegistry netShow;
    if (netShow.OpenKeyReadOnly(kNetShowKey)) {
        const bool on = netShow.ReadInteger(QStringLiteral("ProxyEnabled"), 0) == 1
                        && netShow.ReadInteger(QStringLiteral("EnableAutoProxy"), 0) == 0;
        row.State = on ? Qt::Checked : Qt::Unchecked;
        port = QString::number(netShow.ReadInteger(QStringLiteral("ProxyPort"), 0));
        host = netShow.ReadString(QStringLiteral("ProxyHost"));
    }
    if (!RealKeyExists()) {
        row.Host = host;
        row.Port = port;
        return row;
    }
    bool on = row.State == Qt::Checked && ReadReal(QStringLiteral("GetHTTPProxyFromBrowser")) == u"0";
    row.State = on ? Qt::Checked : Qt::Unchecked;
    if ((ReadReal(QStringLiteral("HTTPProxySupport")) == u"1") != on) row.State = Qt::PartiallyChecked;
    if (ReadReal(QStringLiteral("HTTPProxyHost")) == host) row.Host = host;
    if (ReadReal(QStringLiteral("HTTPProxyPort")) == port) row.Port = port;
    return row;
}

TProxyRow ReadMmsRow() {
    TProxyRow row;
    TRegistry reg;
    if (reg.OpenKeyReadOnly(kMmsKey)) {
        row.State = FromDword(reg.ReadBinaryData(QStringLiteral("ProxyStyle"))) == 2 ? Qt::Checked : Qt::Unchecked;
        row.Port = QString::number(FromDword(reg.ReadBinaryData(QStringLiteral("ProxyPort"))));
        row.Host = reg.ReadString(QStringLiteral("ProxyName"));
    } else if (reg.KeyExists(kMmsParent)) {
        row.Port = QStringLiteral("1755");
    } else {
        row.Available = false;
    }
    return row;
}

TProxyRow ReadRealRow(const QString& protocol) {
    TProxyRow row;
    if (!RealKeyExists()) {
        row.Available = false;
        return row;
    }
    row.State = ReadReal(protocol + QStringLiteral("ProxySupport")) == u"1" ? Qt::Checked : Qt::Unchecked;
    row.Host = ReadReal(protocol + QStringLiteral("ProxyHost"));
    row.Port = ReadReal(protocol + QStringLiteral("ProxyPort"));
    return row;
}

}  // namespace

TProxyPage ReadProxySettings() {
    return {ReadHttpRow(), ReadMmsRow(), ReadRealRow(QStringLiteral("RTSP")), ReadRealRow(QStringLiteral("PNA"))};
}

std::optional<int> ProxyPort(const QString& text) {
    if (text.isEmpty() || text.size() > 5) return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return std::nullopt;
    const int port = text.toInt();
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

bool WriteHttpProxy(bool on, const QString& host, int port, QString* error) {
    TRegistry reg;
    const bool written = reg.OpenKey(kNetShowKey, true) && reg.WriteInteger(QStringLiteral("ProxyEnabled"), on ? 1 : 0)
                         && reg.WriteInteger(QStringLiteral("EnableAutoProxy"), 0)
                         && reg.WriteInteger(QStringLiteral("ProxyPort"), port)
                         && reg.WriteString(QStringLiteral("ProxyHost"), host);
    if (!written) {
        *error = reg.LastError();
        return false;
    }
    if (!RealKeyExists()) return true;
    return WriteReal(QStringLiteral("GetHTTPProxyFromBrowser"), QStringLiteral("0"), error)
           && WriteReal(QStringLiteral("HTTPProxySupport"), on ? QStringLiteral("1") : QStringLiteral("0"), error)
           && WriteReal(QStringLiteral("HTTPProxyHost"), host, error)
           && WriteReal(QStringLiteral("HTTPProxyPort"), QString::number(port), error);
}

bool WriteMmsProxy(bool on, const QString& host, int port, QString* error) {
    TRegistry reg;
    const bool written = reg.OpenKey(kMmsKey, true) && reg.WriteBinaryData(QStringLiteral("ProxyStyle"), Dword(on ? 2 : 0))
                         && reg.WriteBinaryData(QStringLiteral("ProxyPort"), Dword(port))
                         && reg.WriteString(QStringLiteral("ProxyName"), host);
    if (!written) *error = reg.LastError();
    return written;
}

bool WriteRealProxy(const QString& protocol, bool on, const QString& host, int port, QString* error) {
    return WriteReal(protocol + QStringLiteral("ProxySupport"), on ? QStringLiteral("1") : QStringLiteral("0"), error)
           && WriteReal(protocol + QStringLiteral("ProxyHost"), host, error)
           && WriteReal(protocol + QStringLiteral("ProxyPort"), QString::number(port), error);
}

bool CreateProxyKeys(QString* error) {
    TRegistry mms;
    if (!mms.KeyExists(kMmsParent) && !mms.OpenKey(kMmsParent, true)) {
        *error = mms.LastError();
        return false;
    }
    if (RealKeyExists()) return true;
    const TProxyRow http = ReadHttpRow();  // as the page shows it without a Real key
    TRegistry real(RootKey::ClassesRoot);
    if (!real.OpenKey(kRealKey, true)) {
        *error = real.LastError();
        return false;
    }
    return WriteReal(QStringLiteral("GetHTTPProxyFromBrowser"), QStringLiteral("0"), error)
           && WriteReal(QStringLiteral("HTTPProxySupport"), http.State == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0"), error)
           && WriteReal(QStringLiteral("HTTPProxyHost"), http.Host.value_or(QString()), error)
           && WriteReal(QStringLiteral("HTTPProxyPort"), http.Port.value_or(QString()), error);
}

QString HttpProxyAddress() {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kNetShowKey) || reg.ReadInteger(QStringLiteral("ProxyEnabled"), 0) != 1) return QString();
    const QString host = reg.ReadString(QStringLiteral("ProxyHost")).trimmed();
    const int port = reg.ReadInteger(QStringLiteral("ProxyPort"), 0);
    if (host.isEmpty() || port < 1 || port > 65535) return QString();
    return QStringLiteral("http://%1:%2").arg(host).arg(port);
}
