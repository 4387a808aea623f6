#include "platform/network_proxy.h"

#include <gst/gst.h>

#include "platform/registry.h"

namespace platform {

namespace {

const QString kHttpKey = QStringLiteral("\\Software\\Microsoft\\NetShow\\Player\\Local");
const QString kRealKey = QStringLiteral("\\Software\\RealNetworks\\RealMediaSDK\\6.0\\Preferences");

// A setting of the Real player is the default value of a sub-key named after it.
QString ReadReal(const QString& name) {
    TRegistry reg(RootKey::ClassesRoot);
    return reg.OpenKeyReadOnly(kRealKey + u'\\' + name) ? reg.ReadString(QString()) : QString();
}

// Hosts come from a hand-editable store: anything that could break out of "host:port" is refused.
QString ProxyUri(const QString& host, int port) {
    const QString name = host.trimmed();
    if (name.isEmpty() || port < 1 || port > 65535) return QString();
    for (const QChar c : name)
        if (c.isSpace() || c == u'/' || c == u'@' || c == u'?' || c == u'#') return QString();
    return QStringLiteral("http://%1:%2").arg(name).arg(port);
}

bool HasProperty(GstElement* element, const char* name) {
    return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

void OnSourceSetup(GstElement*, GstElement* source, gpointer) { SetSourceProxy(source); }

}  // namespace

QString HttpStreamProxy() {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kHttpKey) || reg.ReadInteger(QStringLiteral("ProxyEnabled"), 0) != 1) return QString();
    return ProxyUri(reg.ReadString(QStringLiteral("ProxyHost")), reg.ReadInteger(QStringLiteral("ProxyPort"), 0));
}

QString RtspStreamProxy() {
    if (ReadReal(QStringLiteral("RTSPProxySupport")) != u"1") return QString();
    bool number = false;
    const int port = ReadReal(QStringLiteral("RTSPProxyPort")).toInt(&number);
    return number ? ProxyUri(ReadReal(QStringLiteral("RTSPProxyHost")), port) : QString();
}

void SetSourceProxy(GstElement* source) {
    if (!source || !HasProperty(source, "proxy")) return;
    GstElementFactory* factory = gst_element_get_factory(source);
    const gchar* kind = factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)) : "";
    QString proxy;
    if (g_strcmp0(kind, "souphttpsrc") == 0)
        proxy = HttpStreamProxy();
    else if (g_strcmp0(kind, "rtspsrc") == 0)
        proxy = RtspStreamProxy();
    if (!proxy.isEmpty()) g_object_set(source, "proxy", proxy.toUtf8().constData(), nullptr);
}

void WatchSourceSetup(GstElement* bin) {
    if (bin) g_signal_connect(bin, "source-setup", G_CALLBACK(&OnSourceSetup), nullptr);
}

}  // namespace platform
