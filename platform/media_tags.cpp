#include "platform/media_tags.h"

#include <gst/pbutils/pbutils.h>

#include <QUrl>

#include "platform/media_internal.h"

namespace platform {
namespace {

using DiscovererRef = std::unique_ptr<GstDiscoverer, GstRelease<g_object_unref>>;
using InfoRef = std::unique_ptr<GstDiscovererInfo, GstRelease<g_object_unref>>;

QString TagText(const GstTagList* list, const char* name) {
    gchar* value = nullptr;
    if (!list || !gst_tag_list_get_string(list, name, &value)) return QString();
    const TextRef held(value);
    return QString::fromUtf8(value).trimmed();
}

}  // namespace

bool DiscoverMediaTags(const QString& path, MediaTags* tags, int timeoutMs) {
    InitMedia();
    GError* raw = nullptr;
    const DiscovererRef discoverer(gst_discoverer_new(static_cast<GstClockTime>(timeoutMs) * GST_MSECOND, &raw));
    const ErrorRef error(raw);
    if (!discoverer) return false;
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    raw = nullptr;
    const InfoRef info(gst_discoverer_discover_uri(discoverer.get(), uri.constData(), &raw));
    const ErrorRef discoverError(raw);
    if (!info || gst_discoverer_info_get_result(info.get()) != GST_DISCOVERER_OK) return false;
    const GstTagList* list = gst_discoverer_info_get_tags(info.get());
    if (tags) *tags = {TagText(list, GST_TAG_TITLE), TagText(list, GST_TAG_ARTIST), TagText(list, GST_TAG_COPYRIGHT)};
    return true;
}

}  // namespace platform
