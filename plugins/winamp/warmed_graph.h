/* The decoding graph the player's start-up warm-up made and prerolled for the file it was started
   with, handed to the input plug-in, which finds the function in the host program by name. Shared
   by the player (platform/media_warm_up.cpp) and the plug-in. */
#ifndef VELMORA_WARMED_GRAPH_H
#define VELMORA_WARMED_GRAPH_H

#include <gst/gst.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The prerolled pipeline of decode_graph.h for `uri` (the caller's reference), or null: none was
   made for it, or it failed. Waits while the warm-up is still prerolling it. Any call ends the
   offer, so a graph that is not taken does not stay. Safe on any thread. */
typedef GstElement* (*VelmoraTakeWarmedGraphFn)(const char* uri);
#define VELMORA_TAKE_WARMED_GRAPH_EXPORT "VelmoraTakeWarmedGraph"
__attribute__((visibility("default"))) GstElement* VelmoraTakeWarmedGraph(const char* uri);

#ifdef __cplusplus
}
#endif

#endif
