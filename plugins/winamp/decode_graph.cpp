#include "plugins/winamp/decode_graph.h"

#include <array>
#include <cstdio>

#include "plugins/winamp/gst_ref.h"
#include "plugins/winamp/media_defaults.h"
#include "plugins/winamp/mpeg_audio_start.h"

namespace velmora_input {

using namespace velmora_gst;

namespace {

const char kGatherDuration[] = "1/4";  // s
const char kPcmCaps[] = "audio/x-raw,format=S16LE,layout=interleaved,channels=[1,2]";

// The names FindDecodeGraph finds the elements by.
const char kDecodeName[] = "decode";
const char kConvertName[] = "convert";
const char kPreampName[] = "preamp";
const char kEqualiserName[] = "equaliser";
const char kFormatName[] = "format";
const char kSinkName[] = "sink";

// The centres the equaliser window's sliders are labelled with (Hz), low to high, and the width
// of each band: the distance between its neighbours, so the bands meet without gaps.
constexpr std::array<double, 10> kBandHz{60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};

double BandWidthHz(std::size_t band) {
    const std::size_t last = kBandHz.size() - 1;
    const double below = band > 0 ? kBandHz[band - 1] : 2 * kBandHz[0] - kBandHz[1];
    const double above = band < last ? kBandHz[band + 1] : 2 * kBandHz[last] - kBandHz[last - 1];
    return (above - below) / 2;
}

void PlaceBands(GstElement* equaliser) {
    for (std::size_t band = 0; band < kBandHz.size(); ++band) {
        const ObjectRef<GObject> child(gst_child_proxy_get_child_by_index(GST_CHILD_PROXY(equaliser), guint(band)));
        if (child) g_object_set(child.get(), "freq", kBandHz[band], "bandwidth", BandWidthHz(band), nullptr);
    }
}

// `convert` is the graph's first converter, which the pipeline keeps alive as long as the decoding.
void OnPadAdded(GstElement*, GstPad* pad, gpointer convert) {
    CapsRef caps(gst_pad_get_current_caps(pad));
    if (!caps) caps.reset(gst_pad_query_caps(pad, nullptr));
    const bool audio = caps && gst_caps_get_size(caps.get()) > 0 &&
                       g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)), "audio/");
    if (!audio) return;
    const PadRef target(gst_element_get_static_pad(GST_ELEMENT(convert), "sink"));
    if (!gst_pad_is_linked(target.get())) gst_pad_link(pad, target.get());  // the first audio stream plays
}

// A source without sound (a picture, a silent video) would otherwise wait for data forever.
void OnNoMorePads(GstElement* decodebin, gpointer convert) {
    const PadRef target(gst_element_get_static_pad(GST_ELEMENT(convert), "sink"));
    if (gst_pad_is_linked(target.get())) return;
    const ErrorRef error(
        g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE, "the source holds no sound"));
    gst_element_post_message(decodebin, gst_message_new_error(GST_OBJECT(decodebin), error.get(), nullptr));
}

GstElement* Child(GstElement* pipeline, const char* name) {
    // The pipeline holds the element; the reference the lookup adds is not kept.
    GstElement* child = gst_bin_get_by_name(GST_BIN(pipeline), name);
    if (child) gst_object_unref(child);
    return child;
}

// A local MPEG audio file's decoding, put together from the elements automatic plugging would
// choose for it (the same ranks decide): finding its type first would load and run some 150 type
// finders, about half the way to its first decoded block. A bin with one source pad, or null for
// anything else, which goes through uridecodebin.
GstElement* MakeMpegAudioDecoding(const std::string& uri) {
    const bool local = g_str_has_prefix(uri.c_str(), "file:");
    const TextRef file(local ? g_filename_from_uri(uri.c_str(), nullptr, nullptr) : nullptr);
    const auto start = file ? ProbeMpegAudioStart(file.get()) : std::nullopt;
    if (!start) return nullptr;
    const CapsRef tag(gst_caps_new_empty_simple("application/x-id3"));
    const CapsRef framed(gst_caps_new_simple("audio/mpeg", "mpegversion", G_TYPE_INT, 1, "layer", G_TYPE_INT,
                                             start->layer, "parsed", G_TYPE_BOOLEAN, FALSE, nullptr));
    const CapsRef parsed(gst_caps_new_simple("audio/mpeg", "mpegversion", G_TYPE_INT, 1, "mpegaudioversion", G_TYPE_INT,
                                             start->version, "layer", G_TYPE_INT, start->layer, "rate", G_TYPE_INT,
                                             start->rate, "channels", G_TYPE_INT, start->channels, "parsed",
                                             G_TYPE_BOOLEAN, TRUE, nullptr));
    GList* ranked = velmora_media::RankedDecodables();
    const ObjectRef<GstElementFactory> demuxer(
        start->tagged ? velmora_media::FirstOfKind(ranked, tag.get(), "Demuxer") : nullptr);
    const ObjectRef<GstElementFactory> parser(velmora_media::FirstOfKind(ranked, framed.get(), "Parser"));
    const ObjectRef<GstElementFactory> decoder(velmora_media::FirstOfKind(ranked, parsed.get(), "Decoder"));
    gst_plugin_feature_list_free(ranked);
    if ((start->tagged && !demuxer) || !parser || !decoder) return nullptr;

    auto bin = MakeOwned(gst_bin_new(kDecodeName));
    auto source = MakeOwned(gst_element_factory_make("filesrc", nullptr));
    auto tags = MakeOwned(demuxer ? gst_element_factory_create(demuxer.get(), nullptr) : nullptr);
    auto parse = MakeOwned(gst_element_factory_create(parser.get(), nullptr));
    auto decode = MakeOwned(gst_element_factory_create(decoder.get(), nullptr));
    if (!source || (demuxer && !tags) || !parse || !decode) return nullptr;
    g_object_set(source.get(), "location", file.get(), nullptr);
    for (GstElement* e : {source.get(), tags.get(), parse.get(), decode.get()})
        if (e) gst_bin_add(GST_BIN(bin.get()), e);
    const bool linked = tags ? gst_element_link_many(source.get(), tags.get(), parse.get(), nullptr)
                             : gst_element_link(source.get(), parse.get());
    if (!linked || !gst_element_link(parse.get(), decode.get())) return nullptr;
    const PadRef decoded(gst_element_get_static_pad(decode.get(), "src"));
    if (!decoded || !gst_element_add_pad(bin.get(), gst_ghost_pad_new("src", decoded.get()))) return nullptr;
    return GST_ELEMENT(gst_object_ref(bin.get()));  // floating no more: the caller's reference
}

}  // namespace

bool MakeDecodeGraph(const std::string& uri, DecodeGraph* graph) {
    struct Part {
        const char* factory;
        const char* name;
    };
    ObjectRef<GstElement> direct(MakeMpegAudioDecoding(uri));
    const bool plugged = !direct;  // else the decoding is put together already, its pad there
    constexpr std::array<Part, 8> parts{{{"uridecodebin", kDecodeName},
                                         {"audioconvert", kConvertName},
                                         {"volume", kPreampName},
                                         {"equalizer-10bands", kEqualiserName},
                                         {"audioconvert", "convert-out"},
                                         {"audioresample", "resample"},
                                         {"capsfilter", kFormatName},
                                         {"appsink", kSinkName}}};
    std::array<ObjectRef<GstElement>, parts.size()> made;  // released once the pipeline holds them
    std::array<GstElement*, parts.size()> all{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        made[i] = i == 0 && direct ? std::move(direct)
                                   : MakeOwned(gst_element_factory_make(parts[i].factory, parts[i].name));
        all[i] = made[i].get();
        if (!all[i]) {
            std::fprintf(stderr, "velmora decoder: a GStreamer element is missing: %s\n", parts[i].factory);
            return false;
        }
    }
    const auto [decode, convert, preamp, equaliser, convertOut, resample, format, sink] = all;
    PipelineRef pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("velmora-input"))));
    velmora_media::SkipFaadWhereItCannotDecode(pipeline.get());
    for (GstElement* e : all) gst_bin_add(GST_BIN(pipeline.get()), e);
    // Decoders hand out frames of 10 to 30 ms. Gathered into longer buffers, the elements after
    // them and the decoding thread run a few times a second instead of once per frame. Without
    // the element the graph works the same, only busier.
    GstElement* gather = gst_element_factory_make("audiobuffersplit", nullptr);
    if (gather) {
        gst_util_set_object_arg(G_OBJECT(gather), "output-buffer-duration", kGatherDuration);
        gst_bin_add(GST_BIN(pipeline.get()), gather);
    }
    const bool linked = gather ? gst_element_link_many(convert, gather, preamp, nullptr)
                               : gst_element_link(convert, preamp);
    if (!linked || !gst_element_link_many(preamp, equaliser, convertOut, resample, format, sink, nullptr))
        return false;
    if (plugged) {
        g_object_set(decode, "uri", uri.c_str(), nullptr);
        g_signal_connect(decode, "pad-added", G_CALLBACK(OnPadAdded), convert);
        g_signal_connect(decode, "no-more-pads", G_CALLBACK(OnNoMorePads), convert);
    } else if (!gst_element_link(decode, convert)) {
        return false;
    }
    g_object_set(format, "caps", CapsRef(gst_caps_from_string(kPcmCaps)).get(), nullptr);
    PlaceBands(equaliser);
    // What waits here has been through the equaliser already, so it is kept short: one buffer,
    // and the one the decoding thread holds, on top of the output's own.
    g_object_set(sink, "sync", FALSE, "max-buffers", 1u, "drop", FALSE, "emit-signals", FALSE, nullptr);
    *graph = {pipeline.release(), decode, convert, preamp, equaliser, format, sink};
    return true;
}

bool FindDecodeGraph(GstElement* pipeline, DecodeGraph* graph) {
    if (!pipeline || !GST_IS_BIN(pipeline)) return false;
    const DecodeGraph found{pipeline,
                            Child(pipeline, kDecodeName),
                            Child(pipeline, kConvertName),
                            Child(pipeline, kPreampName),
                            Child(pipeline, kEqualiserName),
                            Child(pipeline, kFormatName),
                            Child(pipeline, kSinkName)};
    if (!found.decode || !found.convert || !found.preamp || !found.equaliser || !found.format || !found.sink)
        return false;
    *graph = found;
    return true;
}

}  // namespace velmora_input
