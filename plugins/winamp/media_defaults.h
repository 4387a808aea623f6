// Choices the player and its plug-ins make the same way: the decoder GStreamer's automatic
// plugging picks where the installed ranks leave it to chance, and the sound sink. Header-only,
// shared by the plug-ins and the platform.
#pragma once

#include <gst/gst.h>

#include <cstdlib>
#include <cstring>

namespace velmora_media {

// Puts a small decoder ahead of libav's for its type. libav is one large plug-in: loading it for a
// type costs about 120 ms before the first sound and some 30 MB while playing.
inline void PreferOver(const char* light, GstRank heavyRank) {
    GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), light);
    if (!feature) return;
    if (gst_plugin_feature_get_rank(feature) <= heavyRank) gst_plugin_feature_set_rank(feature, heavyRank + 1);
    gst_object_unref(feature);
}

// mpg123audiodec and avdec_mp3 are installed with the same rank, and a tie goes by name, so an
// MP3 was decoded by libav; mpg123 is a small library that decodes MP3 alone. faad is installed
// below avdec_aac and decodes the AAC profiles music is stored in (LC, HE, HE v2) with a 270 KB
// library. Types only libav decodes still load it when they are played.
inline void PreferLightDecoders() {
    PreferOver("mpg123audiodec", GST_RANK_PRIMARY);
    PreferOver("faad", GST_RANK_PRIMARY);
}

// A sink that keeps the clock's pace and plays nothing.
inline GstElement* MakeSilentSink() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

// The candidate when it opens its device, else the silent sink; the candidate is released then.
inline GstElement* OpenedOrSilent(GstElement* candidate) {
    if (candidate && gst_element_set_state(candidate, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) return candidate;
    if (candidate) {
        gst_element_set_state(candidate, GST_STATE_NULL);
        gst_object_unref(gst_object_ref_sink(candidate));
    }
    return MakeSilentSink();
}

// GStreamer's own choice of sound output (a server PULSE_SERVER names, the default device), or
// the silent sink when nothing can open. VELMORA_AUDIO_SINK=fakesink asks for the silent sink at
// once: with no sound at all the automatic choice can take seconds to give up.
inline GstElement* MakeSoundSink() {
    const char* wanted = std::getenv("VELMORA_AUDIO_SINK");
    if (wanted && std::strcmp(wanted, "fakesink") == 0) return MakeSilentSink();
    return OpenedOrSilent(gst_element_factory_make("autoaudiosink", nullptr));
}

}  // namespace velmora_media
