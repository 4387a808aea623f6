#include "directshow/sample_grabber.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QtEndian>
#include <cstring>

#include "directshow/gst_filter.h"
#include "platform/media_engine.h"

namespace directshow {

namespace {

constexpr const char* kElements[] = {"videoconvert", "videoflip", "capsfilter", "appsink"};

bool WantsTopDown(const TMediaType& type) {
    BitmapInfoHeader header;
    return BitmapHeaderOf(type.AMMediaType(), &header) && header.biHeight < 0;
}

bool WantsRgb24(const TMediaType& type) {
    const AM_MEDIA_TYPE& t = type.AMMediaType();
    return t.majortype == MEDIATYPE_Video && t.subtype == MEDIASUBTYPE_RGB24;
}

GstElement* Child(const FilterPtr& filter, const char* name) {
    return filter ? gst_bin_get_by_name(GST_BIN(filter->Element()), name) : nullptr;
}

}  // namespace

TSampleGrabber::TSampleGrabber(QObject* owner) : QObject(owner), mediaType_(MEDIATYPE_Video) {
    platform::InitMedia();
    for (const char* element : kElements) {
        GstElementFactory* factory = gst_element_factory_find(element);
        if (!factory) throw EAssertionFailed("The SampleGrabber Filter is not available on this system.");
        gst_object_unref(factory);
    }
    mediaType_.SetSubType(MEDIASUBTYPE_RGB24);
    mediaType_.SetFormatType(FORMAT_VideoInfo);
}

TSampleGrabber::~TSampleGrabber() {
    SetFilterGraph(nullptr);
    Release();
}

void TSampleGrabber::SetOnBuffer(TOnBuffer handler) {
    onBuffer_.store(handler ? std::make_shared<const TOnBuffer>(std::move(handler)) : nullptr);
}

bool TSampleGrabber::HasOnBuffer() const { return onBuffer_.load() != nullptr; }

void TSampleGrabber::SetFilterGraph(TFilterGraph* graph) {
    if (graph == graph_) return;
    if (graph_) graph_->RemoveMember(this);
    if (graph) graph->AddMember(this);
    graph_ = graph;
}

void TSampleGrabber::NotifyFilter(FilterOperation operation, int) {
    switch (operation) {
    case foAdding: Create(); break;
    case foAdded: Added(); break;
    case foRemoving:
        if (filter_ && !GST_OBJECT_PARENT(filter_->Element())) gst_element_set_state(filter_->Element(), GST_STATE_NULL);
        break;
    case foRemoved: Release(); break;
    case foRefresh: UpdateMediaType(); break;
    }
}

// convert ! flip ! convert ! BGR caps ! appsink: the flip works on the decoder's own format,
// where a row is cheapest to move.
void TSampleGrabber::Create() {
    Release();
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* first = gst_element_factory_make("videoconvert", "grab-convert-in");
    GstElement* flip = gst_element_factory_make("videoflip", "grab-flip");
    GstElement* last = gst_element_factory_make("videoconvert", "grab-convert");
    GstElement* caps = gst_element_factory_make("capsfilter", "grab-caps");
    GstElement* sink = gst_element_factory_make("appsink", "grab-sink");
    FilterPtr filter = WrapElement(bin);
    if (!first || !flip || !last || !caps || !sink) {
        for (GstElement* e : {first, flip, last, caps, sink}) {
            if (e) gst_object_unref(gst_object_ref_sink(e));
        }
        return;
    }
    gst_bin_add_many(GST_BIN(bin), first, flip, last, caps, sink, nullptr);
    gst_element_link_many(first, flip, last, caps, sink, nullptr);
    GstPad* target = gst_element_get_static_pad(first, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
    gst_object_unref(target);
    g_object_set(sink, "sync", TRUE, "max-buffers", 2u, "enable-last-sample", FALSE, nullptr);
    filter_ = filter;
}

void TSampleGrabber::Added() {
    if (!filter_) return;
    UpdateMediaType();
    GstElement* sink = Child(filter_, "grab-sink");
    if (!sink) return;
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = [](GstAppSink* appsink, gpointer data) {
        return GstFlowReturn(OnNewSample(appsink, data));
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    gst_object_unref(sink);
}

void TSampleGrabber::Release() {
    if (GstElement* sink = Child(filter_, "grab-sink")) {
        GstAppSinkCallbacks none{};
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &none, nullptr, nullptr);
        gst_object_unref(sink);
    }
    filter_.reset();
    auto* last = static_cast<GstCaps*>(lastCaps_);
    gst_caps_replace(&last, nullptr);
    lastCaps_ = nullptr;
    std::lock_guard guard(connectedLock_);
    isConnected_ = false;
}

void TSampleGrabber::UpdateMediaType() {
    if (!filter_) return;
    GstElement* flip = Child(filter_, "grab-flip");
    GstElement* caps = Child(filter_, "grab-caps");
    if (flip) gst_util_set_object_arg(G_OBJECT(flip), "method", WantsTopDown(mediaType_) ? "none" : "vertical-flip");
    if (caps) {
        GstCaps* wanted = WantsRgb24(mediaType_) ? gst_caps_from_string("video/x-raw,format=BGR") : gst_caps_new_empty();
        g_object_set(caps, "caps", wanted, nullptr);
        gst_caps_unref(wanted);
    }
    if (flip) gst_object_unref(flip);
    if (caps) gst_object_unref(caps);
}

HRESULT TSampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* type) const {
    if (!type) return E_POINTER;
    std::lock_guard guard(connectedLock_);
    if (!isConnected_) return VFW_E_NOT_CONNECTED;
    CopyMediaType(type, &connected_.AMMediaType());
    return S_OK;
}

// The stream's caps as the video-info type a renderer of 24-bit frames would be given.
void TSampleGrabber::Connected(void* capsPointer) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, static_cast<GstCaps*>(capsPointer))) return;
    std::uint8_t block[kVideoInfoHeaderSize] = {};
    if (info.fps_n > 0) qToLittleEndian<qint64>(qint64(10000000) * info.fps_d / info.fps_n, block + 40);
    BitmapInfoHeader header;
    header.biWidth = GST_VIDEO_INFO_WIDTH(&info);
    header.biHeight = WantsTopDown(mediaType_) ? -GST_VIDEO_INFO_HEIGHT(&info) : GST_VIDEO_INFO_HEIGHT(&info);
    header.biBitCount = 24;
    header.biSizeImage = std::uint32_t(DibStride(header) * GST_VIDEO_INFO_HEIGHT(&info));
    WriteBitmapInfoHeader(header, block + 48);
    std::lock_guard guard(connectedLock_);
    connected_.AMMediaType().majortype = MEDIATYPE_Video;
    connected_.SetSubType(MEDIASUBTYPE_RGB24);
    connected_.SetFormatType(FORMAT_VideoInfo);
    connected_.AMMediaType().lSampleSize = header.biSizeImage;
    connected_.SetFormat(block, sizeof block);
    isConnected_ = true;
}

int TSampleGrabber::OnNewSample(void* appsink, void* data) {
    auto* self = static_cast<TSampleGrabber*>(data);
    GstSample* sample = gst_app_sink_pull_sample(static_cast<GstAppSink*>(appsink));
    if (!sample) return GST_FLOW_EOS;
    GstCaps* caps = gst_sample_get_caps(sample);
    auto* last = static_cast<GstCaps*>(self->lastCaps_);
    if (caps && (!last || !gst_caps_is_equal(caps, last))) {
        self->Connected(caps);
        gst_caps_replace(&last, caps);
        self->lastCaps_ = last;
    }
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const GstSegment* segment = gst_sample_get_segment(sample);
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        const guint64 at = segment && GST_CLOCK_TIME_IS_VALID(pts)
                               ? gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts)
                               : pts;
        const double seconds = GST_CLOCK_TIME_IS_VALID(at) ? double(at) / GST_SECOND : 0.0;
        self->BufferCB(seconds, map.data, int(map.size));
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

HRESULT TSampleGrabber::BufferCB(double sampleTime, const std::uint8_t* buffer, int length) {
    // One read: the handler cleared meanwhile is still alive for this call.
    const std::shared_ptr<const TOnBuffer> handler = onBuffer_.load();
    if (!handler) return S_OK;
    std::lock_guard guard(lock_);
    try {
        (*handler)(this, sampleTime, buffer, length);
    } catch (...) {
    }
    return S_OK;
}

bool TSampleGrabber::FrameToBitmap(QImage* bitmap, const std::uint8_t* buffer, int length) {
    if (!buffer || length <= 0 || !bitmap) return false;
    AM_MEDIA_TYPE type;
    if (GetConnectedMediaType(&type) != S_OK) return false;
    BitmapInfoHeader header;
    const bool readable = type.majortype == MEDIATYPE_Video && BitmapHeaderOf(type, &header);
    if (readable) std::memcpy(header_, type.pbFormat + (type.formattype == FORMAT_VideoInfo2 ? 72 : 48), 40);
    FreeMediaType(&type);
    return readable && DibToImage(header, buffer, std::size_t(length), bitmap);
}

}  // namespace directshow
