// The input plug-ins' decoding graph: one source decoded through the equaliser to 16-bit
// interleaved PCM in an app sink. Also made by the player's start-up warm-up, which hands a graph
// it prerolled to the input plug-in (warmed_graph.h), so both must make the very same graph.
#pragma once

#include <gst/gst.h>

#include <string>

namespace velmora_input {

// The elements the decoder drives; the pipeline owns them all.
struct DecodeGraph {
    GstElement* pipeline = nullptr;  // the caller's reference
    GstElement* decode = nullptr;
    GstElement* convert = nullptr;
    GstElement* preamp = nullptr;
    GstElement* equaliser = nullptr;
    GstElement* format = nullptr;
    GstElement* sink = nullptr;
};

// The graph for `uri`, linked, stopped, its equaliser flat; false, with the missing element on
// stderr, when GStreamer lacks one. The first audio stream the source holds is decoded; a source
// without sound posts an error. A local file whose start shows MPEG audio frames is decoded by the
// elements automatic plugging would choose for it, without uridecodebin's type finding.
bool MakeDecodeGraph(const std::string& uri, DecodeGraph* graph);

// The driven elements of a pipeline MakeDecodeGraph made (the pipeline's reference stays the
// caller's); false for any other pipeline.
bool FindDecodeGraph(GstElement* pipeline, DecodeGraph* graph);

}  // namespace velmora_input
