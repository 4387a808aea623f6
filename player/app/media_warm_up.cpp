#include "player/app/media_warm_up.h"

#include <gst/gst.h>

#include "platform/media_engine.h"

void WarmUpMedia() {
    platform::InitMedia();
    GstRegistry* registry = gst_registry_get();
    // The decoding graph (a file source, type finding, the parsers before a decoder) and the
    // graph that plays the samples.
    for (const char* name : {"filesrc", "uridecodebin", "decodebin", "typefind", "audioconvert", "volume",
                             "equalizer-10bands", "audioresample", "capsfilter", "appsink", "audiobuffersplit",
                             "appsrc", "audiopanorama", "id3demux", "mpegaudioparse"}) {
        GstPluginFeature* feature = gst_registry_lookup_feature(registry, name);
        if (!feature) continue;
        if (GstPluginFeature* loaded = gst_plugin_feature_load(feature)) gst_object_unref(loaded);
        gst_object_unref(feature);
    }
    // Type finding asks the functions of this plug-in first, whatever the file.
    if (GstPlugin* plugin = gst_plugin_load_by_name("typefindfunctions")) gst_object_unref(plugin);
}

TMediaWarmUp::TMediaWarmUp(bool wanted) {
    if (wanted) thread_ = std::thread(&WarmUpMedia);
}

TMediaWarmUp::~TMediaWarmUp() {
    if (thread_.joinable()) thread_.join();
}
