// Choices the player and its plug-ins make the same way: the decoder GStreamer's automatic
// plugging picks where the installed ranks leave it to chance, and the sound sink. Header-only,
// shared by the plug-ins and the platform.
#pragma once

#include <gst/gst.h>

#include <algorithm>
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

// The elements automatic plugging chooses from, in the order it tries them: by rank, then name.
// Free with gst_plugin_feature_list_free.
inline GList* RankedDecodables() {
    GList* ranked = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODABLE, GST_RANK_MARGINAL);
    return g_list_sort(ranked, gst_plugin_feature_rank_compare_func);
}

// Whether a sink template of `factory` could take caps of media type `type`: it names the type or
// takes anything. Read from the templates' text, so no other factory's caps need parsing.
inline bool MayTake(GstElementFactory* factory, const char* type) {
    for (const GList* t = gst_element_factory_get_static_pad_templates(factory); t; t = t->next) {
        const auto* pad = static_cast<const GstStaticPadTemplate*>(t->data);
        const char* caps = pad->static_caps.string;
        if (pad->direction == GST_PAD_SINK && caps && (std::strcmp(caps, "ANY") == 0 || std::strstr(caps, type)))
            return true;
    }
    return false;
}

// The first element of `ranked` whose class names `kind` ("Demuxer", "Parser", "Decoder") and
// that takes `caps`: the one automatic plugging would try first. A new reference, or null.
inline GstElementFactory* FirstOfKind(GList* ranked, GstCaps* caps, const char* kind) {
    if (gst_caps_get_size(caps) == 0) return nullptr;
    const char* type = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    GList* candidates = nullptr;  // in rank order, as `ranked`
    for (GList* i = ranked; i; i = i->next) {
        auto* factory = GST_ELEMENT_FACTORY(i->data);
        const gchar* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        if (klass && std::strstr(klass, kind) && MayTake(factory, type))
            candidates = g_list_prepend(candidates, factory);
    }
    candidates = g_list_reverse(candidates);
    GList* taking = gst_element_factory_list_filter(candidates, caps, GST_PAD_SINK, FALSE);
    g_list_free(candidates);
    GstElementFactory* first = taking ? GST_ELEMENT_FACTORY(gst_object_ref(taking->data)) : nullptr;
    gst_plugin_feature_list_free(taking);
    return first;
}

// mpg123audiodec and avdec_mp3 are installed with the same rank, and a tie goes by name, so an
// MP3 was decoded by libav; mpg123 is a small library that decodes MP3 alone. faad is installed
// below avdec_aac and decodes the AAC profiles music is stored in (LC, HE, HE v2) with a 270 KB
// library. Types only libav decodes still load it when they are played; AAC profiles faad lacks
// are steered past it by SkipFaadWhereItCannotDecode.
inline void PreferLightDecoders() {
    PreferOver("mpg123audiodec", GST_RANK_PRIMARY);
    PreferOver("faad", GST_RANK_PRIMARY);
}

// The audio object type an AAC AudioSpecificConfig declares; for SBR or PS signalled explicitly
// (types 5 and 29) the type of the core codec under them. 0 when the bytes end too soon.
inline int AacObjectType(const guint8* data, gsize size) {
    gsize at = 0;  // in bits
    const auto read = [&](int bits) {
        int value = 0;
        for (int i = 0; i < bits; ++i, ++at) {
            if (at / 8 >= size) return -1;
            value = value << 1 | (data[at / 8] >> (7 - at % 8) & 1);
        }
        return value;
    };
    const auto objectType = [&] {
        const int type = read(5);
        if (type != 31) return type;
        const int escaped = read(6);
        return escaped < 0 ? -1 : 32 + escaped;
    };
    const auto frequency = [&] {
        const int index = read(4);
        return index == 15 ? read(24) : index;
    };
    int type = objectType();
    if (type == 5 || type == 29) {
        if (frequency() < 0 || read(4) < 0 || frequency() < 0) return 0;  // core rate, channels, SBR rate
        type = objectType();
    }
    return type < 0 ? 0 : type;
}

// Whether libfaad2 decodes the object type: Main, LC, LTP and the error-resilient LC, LTP and LD.
// Not SSR, and none of the later ones (ELD, USAC ...), which libav decodes in part.
inline bool FaadDecodes(int objectType) {
    switch (objectType) {
    case 1: case 2: case 4: case 17: case 19: case 23: return true;
    default: return false;
    }
}

// Whether faad may be tried for AAC caps: by the object type in the codec data, or, for ADTS
// streams without it, the profile the parser read; caps that tell neither are tried.
inline bool FaadMayDecode(const GstCaps* caps) {
    if (!caps || gst_caps_get_size(caps) == 0) return true;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    const GValue* codecData = gst_structure_get_value(s, "codec_data");
    if (codecData && G_VALUE_HOLDS(codecData, GST_TYPE_BUFFER)) {
        GstMapInfo map;
        GstBuffer* buffer = gst_value_get_buffer(codecData);
        if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const int type = AacObjectType(map.data, map.size);
            gst_buffer_unmap(buffer, &map);
            if (type != 0) return FaadDecodes(type);
        }
    }
    const char* profile = gst_structure_get_string(s, "profile");
    return !(profile && std::strcmp(profile, "ssr") == 0);
}

// decodebin's answers to autoplug-select (its enum is private to the plug-in).
constexpr int kAutoplugTry = 0;
constexpr int kAutoplugExpose = 1;
constexpr int kAutoplugSkip = 2;

inline int SkipFaadForCaps(GstElement*, GstPad*, GstCaps* caps, GstElementFactory* factory, gpointer) {
    const bool faad = std::strcmp(GST_OBJECT_NAME(factory), "faad") == 0;
    return faad && !FaadMayDecode(caps) ? kAutoplugSkip : kAutoplugTry;
}

inline void WatchDecodebin(GstBin*, GstBin*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory && std::strcmp(GST_OBJECT_NAME(factory), "decodebin") == 0)
        g_signal_connect(element, "autoplug-select", G_CALLBACK(SkipFaadForCaps), nullptr);
}

// Ranked first, faad would be plugged for every AAC stream and fail on the profiles it lacks
// (an AAC-ELD file refuses to negotiate), where libav plays them. Every decodebin that comes to
// live inside `bin` (playbin's and uridecodebin's included) skips faad for those streams, so the
// next decoder by rank is tried. Call before the bin starts.
inline void SkipFaadWhereItCannotDecode(GstElement* bin) {
    if (GST_IS_BIN(bin)) g_signal_connect(bin, "deep-element-added", G_CALLBACK(WatchDecodebin), nullptr);
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
inline bool SilentSinkWanted() {
    const char* wanted = std::getenv("VELMORA_AUDIO_SINK");
    return wanted && std::strcmp(wanted, "fakesink") == 0;
}

// True when the automatic sound sink would try `factory` before any other: it outranks every
// other audio sink. On a tie the names decide; that is not followed here, and a tie says false.
inline bool FirstAutomaticChoice(const char* factory) {
    GList* sinks = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    guint rank = 0;
    guint others = 0;  // the best rank of the others
    bool found = false;
    for (GList* i = sinks; i; i = i->next) {
        auto* feature = GST_PLUGIN_FEATURE(i->data);
        const guint featureRank = gst_plugin_feature_get_rank(feature);
        if (std::strcmp(gst_plugin_feature_get_name(feature), factory) == 0) {
            found = true;
            rank = featureRank;
        } else {
            others = std::max(others, featureRank);
        }
    }
    gst_plugin_feature_list_free(sinks);
    return found && rank > others;
}

inline GstElement* MakeSoundSink() {
    if (SilentSinkWanted()) return MakeSilentSink();
    return OpenedOrSilent(gst_element_factory_make("autoaudiosink", nullptr));
}

}  // namespace velmora_media
