// The streaming side of the filter graph: new streams are linked to a renderer as they appear,
// and bus messages become graph events posted to the owner's thread. Nothing here waits for that
// thread.
#include <gst/audio/audio.h>
#include <gst/video/navigation.h>
#include <gst/video/videooverlay.h>

#include <QMetaObject>
#include <QPointer>
#include <QRegularExpression>
#include <cstring>

#include "directshow/filter.h"
#include "directshow/filter_graph_core.h"
#include "directshow/gst_filter.h"
#include "platform/media_engine.h"
#include "platform/media_internal.h"
#include "plugins/winamp/media_defaults.h"

namespace directshow {

namespace {

constexpr char kVideoSizeMessage[] = "velmora-graph-video-size";

bool IsDecoder(GstElementFactory* factory) {
    const gchar* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
    return klass && std::strstr(klass, "Decoder");
}

QString MediaOf(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) caps = gst_pad_query_caps(pad, nullptr);
    QString name;
    if (caps && gst_caps_get_size(caps) > 0) name = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, 0)));
    if (caps) gst_caps_unref(caps);
    return name;
}

bool LinkPads(GstPad* pad, GstElement* target) {
    GstPad* sink = gst_element_get_static_pad(target, "sink");
    const bool ok = sink && gst_pad_link(pad, sink) == GST_PAD_LINK_OK;
    if (sink) gst_object_unref(sink);
    return ok;
}

}  // namespace

GstBusSyncReply TFilterGraph::Core::OnBusSync(GstBus*, GstMessage* message, gpointer data) {
    static_cast<Core*>(data)->Relay(message);
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void TFilterGraph::Core::FinishWait(HRESULT result) {
    std::lock_guard guard(waitMutex);
    if (waitDone) return;
    waitDone = true;
    waitResult = result;
    waitCond.notify_all();
}

void TFilterGraph::Core::Relay(GstMessage* message) {
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS: {
        if (!fromPipeline) break;
        // A rendered file that ends before any sample came out of it (a header and no data)
        // played nothing: that is an error, not the end of the file.
        bool rendered = false;
        {
            std::lock_guard guard(lock);
            rendered = streamsLinked > 0;
        }
        if (rendered && !flowed) {
            Post(EC_ERRORABORT, VFW_E_UNSUPPORTED_STREAM, 0);
            break;
        }
        if (dvd) Post(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop, 0);
        Post(EC_COMPLETE, S_OK, 0);
        break;
    }
    case GST_MESSAGE_ERROR: {
        const HRESULT result = ResultOfError(message);
        if (rendering)
            FinishWait(result);
        else
            Post(EC_ERRORABORT, result, 0);
        break;
    }
    case GST_MESSAGE_WARNING:
        if (!rendering) Post(EC_ERROR_STILLPLAYING, E_FAIL, 0);
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (!fromPipeline) break;
        if (rendering) FinishWait(S_OK);
        if (pausing.exchange(false)) Post(EC_PAUSED, S_OK, 0);
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        const int now = percent < 100 ? 1 : 0;
        if (lastBuffering.exchange(now) != now) Post(EC_BUFFERING_DATA, now, 0);
        break;
    }
    case GST_MESSAGE_NEW_CLOCK:
        Post(EC_CLOCK_CHANGED, 0, 0);
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        Post(EC_LENGTH_CHANGED, 0, 0);
        break;
    case GST_MESSAGE_APPLICATION: {
        const GstStructure* s = gst_message_get_structure(message);
        gint width = 0, height = 0;
        if (s && gst_structure_has_name(s, kVideoSizeMessage) && gst_structure_get_int(s, "width", &width) &&
            gst_structure_get_int(s, "height", &height))
            Post(EC_VIDEO_SIZE_CHANGED, qintptr((width & 0xFFFF) | ((height & 0xFFFF) << 16)), 0);
        break;
    }
    case GST_MESSAGE_ELEMENT:
        // A sink that asks for its window before it draws gets the video window.
        if (gst_is_video_overlay_prepare_window_handle_message(message)) {
            if (const guintptr handle = windowHandle.load())
                gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message)), handle);
            break;
        }
        if (dvd) RelayDvd(message);
        break;
    case GST_MESSAGE_TAG:
        if (dvd) RelayDvd(message);
        break;
    default:
        break;
    }
}

// The DVD source names where it plays in its title tag ("Title 2, Chapter 3", or "DVD Menu"), once
// from every stream's end: a change of title or chapter is reported once.
void TFilterGraph::Core::RelayDvd(GstMessage* message) {
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT) {
        guint angle = 0, angles = 0;
        if (gst_navigation_message_get_type(message) == GST_NAVIGATION_MESSAGE_ANGLES_CHANGED &&
            gst_navigation_message_parse_angles_changed(message, &angle, &angles))
            Post(EC_DVD_ANGLE_CHANGE, qintptr(angles), qintptr(angle));
        return;
    }
    GstTagList* tags = nullptr;
    gst_message_parse_tag(message, &tags);
    gchar* title = nullptr;
    const bool named = gst_tag_list_get_string(tags, GST_TAG_TITLE, &title);
    gst_tag_list_unref(tags);
    if (!named) return;
    static const QRegularExpression place(QStringLiteral("^Title (\\d+), Chapter (\\d+)"));
    const QRegularExpressionMatch match = place.match(QString::fromUtf8(title));
    const bool menu = std::strcmp(title, "DVD Menu") == 0;
    g_free(title);
    if (!match.hasMatch()) {
        if (menu) {
            std::lock_guard guard(lock);
            dvdTitle = dvdChapter = 0;
        }
        return;
    }
    const int titleNumber = match.captured(1).toInt(), chapter = match.captured(2).toInt();
    bool enteredTitles = false, newTitle = false, newChapter = false;
    {
        std::lock_guard guard(lock);
        enteredTitles = dvdTitle <= 0;
        newTitle = titleNumber != dvdTitle;
        newChapter = newTitle || chapter != dvdChapter;
        dvdTitle = titleNumber;
        dvdChapter = chapter;
    }
    if (enteredTitles) Post(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Title, 0);
    if (newTitle) Post(EC_DVD_TITLE_CHANGE, titleNumber, 0);
    if (newChapter) Post(EC_DVD_CHAPTER_START, chapter, 0);
}

// The DVD source tells the languages of its streams in an event ahead of the data, which the DVD
// bin keeps to itself: it is read where the source sends it.
void TFilterGraph::Core::OnDvdElement(GstBin*, GstElement* element, gpointer data) {
    if (std::strcmp(GST_OBJECT_NAME(element), "dvdsrc") != 0) return;
    GstPad* out = gst_element_get_static_pad(element, "src");
    if (!out) return;
    gst_pad_add_probe(out, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &Core::OnDvdEvent, data, nullptr);
    gst_object_unref(out);
}

GstPadProbeReturn TFilterGraph::Core::OnDvdEvent(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    const GstStructure* s = event ? gst_event_get_structure(event) : nullptr;
    if (!s || !gst_structure_has_name(s, "application/x-gst-dvd")) return GST_PAD_PROBE_OK;
    if (g_strcmp0(gst_structure_get_string(s, "event"), "dvd-lang-codes") != 0) return GST_PAD_PROBE_OK;
    auto* core = static_cast<Core*>(data);
    std::lock_guard guard(core->lock);
    for (int i = 0; i < 32; ++i) {
        const QByteArray audio = "audio-" + QByteArray::number(i) + "-language";
        const QByteArray picture = "subpicture-" + QByteArray::number(i) + "-language";
        if (const gchar* code = gst_structure_get_string(s, audio.constData()))
            core->audioLanguages[i] = QString::fromUtf8(code);
        if (const gchar* code = gst_structure_get_string(s, picture.constData()))
            core->subpictureLanguages[i] = QString::fromUtf8(code);
    }
    return GST_PAD_PROBE_OK;
}

// The decoder a member filter is: the decode bin hands it the stream at the point where it would
// have plugged a decoder of its own.
int TFilterGraph::Core::OnAutoplugSelect(GstElement*, GstPad*, GstCaps* caps, GstElementFactory* factory,
                                         gpointer data) {
    using velmora_media::kAutoplugExpose, velmora_media::kAutoplugTry;
    if (!IsDecoder(factory)) return kAutoplugTry;
    return static_cast<Core*>(data)->MemberDecoderFor(caps) ? kAutoplugExpose : kAutoplugTry;
}

FilterPtr TFilterGraph::Core::MemberDecoderFor(GstCaps* caps) const {
    std::lock_guard guard(lock);
    for (const FilterPtr& filter : members) {
        GstElement* element = filter->Element();
        if (IsRenderer(element) || !IsDecoder(gst_element_get_factory(element))) continue;
        if (std::find(spliced.begin(), spliced.end(), filter) != spliced.end()) continue;
        GstPad* sink = gst_element_get_static_pad(element, "sink");
        const bool fits = sink && gst_pad_query_accept_caps(sink, caps);
        if (sink) gst_object_unref(sink);
        if (fits) return filter;
    }
    return nullptr;
}

bool TFilterGraph::Core::LinkToMemberDecoder(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) caps = gst_pad_query_caps(pad, nullptr);
    const FilterPtr decoder = caps ? MemberDecoderFor(caps) : nullptr;
    if (caps) gst_caps_unref(caps);
    if (!decoder) return false;
    GstElement* element = decoder->Element();
    GstPad* out = gst_element_get_static_pad(element, "src");
    if (!out || GST_OBJECT_PARENT(element) != GST_OBJECT(pipeline) || !LinkPads(pad, element)) {
        if (out) gst_object_unref(out);
        return false;
    }
    {
        std::lock_guard guard(lock);
        spliced.push_back(decoder);
    }
    LinkStream(out);
    gst_object_unref(out);
    return true;
}

// Queued, never blocking: the owner's thread may itself be waiting for this graph.
void TFilterGraph::Core::Post(int code, qintptr param1, qintptr param2) {
    const quint64 tag = epoch.load();
    QPointer<TFilterGraph> target(owner);
    QMetaObject::invokeMethod(
        owner, [target, tag, code, param1, param2] {
            if (target) target->Deliver(tag, code, param1, param2);
        },
        Qt::QueuedConnection);
}

void TFilterGraph::Core::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    static_cast<Core*>(data)->LinkStream(pad);
}

GstPadProbeReturn TFilterGraph::Core::OnData(GstPad*, GstPadProbeInfo*, gpointer data) {
    static_cast<Core*>(data)->flowed.store(true, std::memory_order_relaxed);
    return GST_PAD_PROBE_OK;
}

void TFilterGraph::Core::LinkStream(GstPad* pad) {
    if (!dvd && LinkToMemberDecoder(pad)) return;
    QString media = MediaOf(pad);
    if (dvd) {
        // The DVD source's pads say what they carry only by name until their first data, and all
        // come from one thread: each stream gets a queue, so one prerolled sink holds up no other.
        if (media.isEmpty()) media = QString::fromUtf8(GST_PAD_NAME(pad)) + QLatin1Char('/');
        GstElement* queue = AddRendered("queue");
        if (!queue) return;
        gst_element_sync_state_with_parent(queue);
        LinkPads(pad, queue);
        pad = gst_element_get_static_pad(queue, "src");
        gst_object_unref(pad);  // the queue holds it
    }
    gst_pad_add_probe(pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST), &Core::OnData,
                      this, nullptr);
    if (media.startsWith(QLatin1String("video/"))) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &Core::OnVideoCaps, this, nullptr);
        {
            std::lock_guard guard(lock);
            videoLinked = true;
        }
        // The window, when there is one, takes the picture before any member renderer.
        if (!LinkToWindow(pad) && !LinkToTarget(pad)) LinkToFakeSink(pad, true);
    } else if (media.startsWith(QLatin1String("audio/"))) {
        LinkAudio(pad);
    } else {
        LinkToFakeSink(pad, false);
        return;
    }
    {
        std::lock_guard guard(lock);
        ++streamsLinked;
    }
    if (dvd && rendering) FinishWait(S_OK);
}

// A waiting member renderer takes the first video stream.
bool TFilterGraph::Core::LinkToTarget(GstPad* pad) {
    std::unique_lock guard(lock);
    FilterPtr target;
    for (const FilterPtr& filter : waiting) {
        GstPad* sink = gst_element_get_static_pad(filter->Element(), "sink");
        if (!sink) continue;
        GstCaps* caps = gst_pad_query_caps(sink, nullptr);
        GstCaps* video = gst_caps_from_string("video/x-raw");
        if (gst_caps_can_intersect(caps, video)) target = filter;
        gst_caps_unref(video);
        gst_caps_unref(caps);
        gst_object_unref(sink);
        if (target) break;
    }
    if (!target) return false;
    std::erase(waiting, target);
    linkedTargets.push_back(target);
    guard.unlock();
    GstElement* element = target->Element();
    gst_bin_add(GST_BIN(pipeline), element);
    if (LinkPads(pad, element)) {
        gst_element_sync_state_with_parent(element);
        return true;
    }
    // The renderer refuses this stream (another media type asked for): it keeps waiting.
    gst_bin_remove(GST_BIN(pipeline), element);
    guard.lock();
    std::erase(linkedTargets, target);
    waiting.push_back(target);
    return false;
}

// convert ! resample ! volume ! panorama ! sink: the first audio stream; any other is dropped.
// The dual mode works on the converter's output, before the balance, so the balance still acts
// on what the mode leaves.
void TFilterGraph::Core::LinkAudio(GstPad* pad) {
    bool taken = false;
    {
        std::lock_guard guard(lock);
        taken = volume != nullptr;
    }
    if (taken) {
        LinkToFakeSink(pad, false);
        return;
    }
    const bool fake = platform::CurrentAudioOut() == platform::AudioOut::Fake;
    GstElement* chain[] = {AddRendered("audioconvert"), AddRendered("audioresample"), AddRendered("volume"),
                           AddRendered("audiopanorama"), AddRendered(fake ? "fakesink" : "autoaudiosink")};
    for (GstElement* element : chain) {
        if (!element) return;
    }
    if (fake) g_object_set(chain[4], "sync", TRUE, nullptr);
    gst_util_set_object_arg(G_OBJECT(chain[3]), "method", "simple");
    gst_element_link_many(chain[0], chain[1], chain[2], chain[3], chain[4], nullptr);
    {
        std::lock_guard guard(lock);
        volume = chain[2];
        panorama = chain[3];
        g_object_set(volume, "volume", linearVolume, nullptr);
        g_object_set(panorama, "panorama", float(pan), nullptr);
    }
    GstPad* converted = gst_element_get_static_pad(chain[0], "src");
    gst_pad_add_probe(converted, GST_PAD_PROBE_TYPE_BUFFER, &Core::OnAudioBuffer, this, nullptr);
    gst_object_unref(converted);
    for (GstElement* element : chain) gst_element_sync_state_with_parent(element);
    LinkPads(pad, chain[0]);
}

// Left or right on both sides: each frame's one sample is copied over the other, byte for byte,
// so any interleaved sample format works. Mono, planar and many-channel sound pass untouched.
GstPadProbeReturn TFilterGraph::Core::OnAudioBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    const int mode = static_cast<Core*>(data)->dualMode.load(std::memory_order_relaxed);
    if (mode != AM_MPEG_AUDIO_DUAL_LEFT && mode != AM_MPEG_AUDIO_DUAL_RIGHT) return GST_PAD_PROBE_OK;
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstAudioInfo audio;
    const bool known = caps && gst_audio_info_from_caps(&audio, caps);
    if (caps) gst_caps_unref(caps);
    if (!known || GST_AUDIO_INFO_CHANNELS(&audio) != 2 || GST_AUDIO_INFO_LAYOUT(&audio) != GST_AUDIO_LAYOUT_INTERLEAVED)
        return GST_PAD_PROBE_OK;
    const gsize width = gsize(GST_AUDIO_INFO_BPF(&audio)) / 2;
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) return GST_PAD_PROBE_OK;
    const gsize from = mode == AM_MPEG_AUDIO_DUAL_LEFT ? 0 : width, to = width - from;
    for (gsize frame = 0; frame + 2 * width <= map.size; frame += 2 * width)
        std::memcpy(map.data + frame + to, map.data + frame + from, width);
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

// A stream with no renderer of its own; sync keeps a picture to the clock, other streams never
// hold up the preroll.
void TFilterGraph::Core::LinkToFakeSink(GstPad* pad, bool sync) {
    GstElement* sink = AddRendered("fakesink");
    if (!sink) return;
    g_object_set(sink, "sync", gboolean(sync), "async", gboolean(sync), nullptr);
    gst_element_sync_state_with_parent(sink);
    LinkPads(pad, sink);
}

GstPadProbeReturn TFilterGraph::Core::OnVideoCaps(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    gint width = 0, height = 0;
    const GstStructure* s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
    if (s && gst_structure_get_int(s, "width", &width) && gst_structure_get_int(s, "height", &height)) {
        auto* core = static_cast<Core*>(data);
        GstStructure* size = gst_structure_new(kVideoSizeMessage, "width", G_TYPE_INT, width, "height", G_TYPE_INT,
                                               height, nullptr);
        gst_element_post_message(core->pipeline, gst_message_new_application(GST_OBJECT(core->pipeline), size));
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace directshow
