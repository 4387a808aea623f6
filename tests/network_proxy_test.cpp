// The HTTP and RTSP proxies of the network page reach the sources our engines make: souphttpsrc
// and rtspsrc get their "proxy" from the same keys the page writes. No connection is made.
#include <gtest/gtest.h>

#include <gst/gst.h>

#include "dialogs/settings_proxy.h"
#include "platform/media_engine.h"
#include "platform/network_proxy.h"
#include "tests/settings_dialog_support.h"

namespace {

class NetworkProxyTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        platform::InitMedia();
    }
    static QString Proxy(GstElement* element) {
        gchar* value = nullptr;
        g_object_get(element, "proxy", &value, nullptr);
        const QString text = QString::fromUtf8(value);
        g_free(value);
        return text;
    }
    static GstElement* Made(const char* factory) {
        GstElement* element = gst_element_factory_make(factory, nullptr);
        if (element) gst_object_ref_sink(element);
        return element;
    }
};

TEST_F(NetworkProxyTest, HttpSourceTakesTheHttpProxyWhileItIsOn) {
    GstElement* source = Made("souphttpsrc");
    if (!source) GTEST_SKIP() << "no souphttpsrc";
    QString error;
    ASSERT_TRUE(WriteHttpProxy(true, "10.1.2.3", 3128, &error)) << error.toStdString();
    EXPECT_EQ(platform::HttpStreamProxy(), HttpProxyAddress());
    platform::SetSourceProxy(source);
    EXPECT_EQ(Proxy(source), "http://10.1.2.3:3128/");
    gst_object_unref(source);

    ASSERT_TRUE(WriteHttpProxy(false, "10.1.2.3", 3128, &error));
    source = Made("souphttpsrc");
    platform::SetSourceProxy(source);
    EXPECT_EQ(Proxy(source), "") << "switched off: the source keeps its own default";
    gst_object_unref(source);
}

TEST_F(NetworkProxyTest, RtspSourceTakesTheRtspProxyAndNotTheHttpOne) {
    GstElement* source = Made("rtspsrc");
    if (!source) GTEST_SKIP() << "no rtspsrc";
    QString error;
    ASSERT_TRUE(WriteHttpProxy(true, "10.1.2.3", 3128, &error));
    platform::SetSourceProxy(source);
    EXPECT_EQ(Proxy(source), "") << "the RTSP proxy is off";
    ASSERT_TRUE(WriteRealProxy("RTSP", true, "10.9.8.7", 554, &error)) << error.toStdString();
    platform::SetSourceProxy(source);
    EXPECT_EQ(Proxy(source), "10.9.8.7:554") << "rtspsrc keeps host and port of the address";
    gst_object_unref(source);
}

TEST_F(NetworkProxyTest, HostileHostsGiveNoProxy) {
    QString error;
    ASSERT_TRUE(WriteHttpProxy(true, "user@evil/x", 80, &error));
    EXPECT_EQ(platform::HttpStreamProxy(), "");
}

TEST_F(NetworkProxyTest, BinsHandTheProxyToEachSourceTheyMake) {
    QString error;
    ASSERT_TRUE(WriteHttpProxy(true, "127.0.0.1", 8080, &error));
    for (const char* bin : {"playbin", "uridecodebin"}) {
        GstElement* made = Made(bin);
        GstElement* source = Made("souphttpsrc");
        if (!made || !source) GTEST_SKIP() << bin;
        platform::WatchSourceSetup(made);
        g_signal_emit_by_name(made, "source-setup", source);
        EXPECT_EQ(Proxy(source), "http://127.0.0.1:8080/") << bin;
        gst_object_unref(source);
        gst_object_unref(made);
    }
}

}  // namespace
