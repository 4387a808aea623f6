// Holders of one GStreamer reference each for the plug-in libraries (which stand alone, without
// the player's headers): the release runs once, when the holder goes.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace velmora_gst {

template <auto Fn>
struct Unref {
    template <typename T>
    void operator()(T* p) const {
        Fn(p);
    }
};

template <typename T>
using ObjectRef = std::unique_ptr<T, Unref<gst_object_unref>>;
using BusRef = ObjectRef<GstBus>;
using PadRef = ObjectRef<GstPad>;
using CapsRef = std::unique_ptr<GstCaps, Unref<gst_caps_unref>>;
using MessageRef = std::unique_ptr<GstMessage, Unref<gst_message_unref>>;
using SampleRef = std::unique_ptr<GstSample, Unref<gst_sample_unref>>;
using BufferRef = std::unique_ptr<GstBuffer, Unref<gst_buffer_unref>>;
using ErrorRef = std::unique_ptr<GError, Unref<g_error_free>>;
using TextRef = std::unique_ptr<gchar, Unref<g_free>>;

// A new element held by its holder, its floating reference sunk.
inline ObjectRef<GstElement> MakeOwned(GstElement* element) {
    return ObjectRef<GstElement>(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

// A top-level pipeline: to NULL first, so no streaming thread outlives it.
struct PipelineRelease {
    void operator()(GstElement* pipeline) const {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using PipelineRef = std::unique_ptr<GstElement, PipelineRelease>;

}  // namespace velmora_gst
