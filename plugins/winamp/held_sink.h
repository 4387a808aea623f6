/* The sound server's sink the player's start-up warm-up opened (connected, in the ready state),
   handed to the output plug-in's first graph, which finds the function in the host program by
   name. Shared by the player (platform/media_warm_up.cpp) and the plug-in. */
#ifndef VELMORA_HELD_SINK_H
#define VELMORA_HELD_SINK_H

#include <gst/gst.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The held sink (the caller's reference), or null: none is held, it was taken already, or the
   automatic choice of sink would not have picked it. Safe on any thread. */
typedef GstElement* (*VelmoraTakeHeldSinkFn)(void);
#define VELMORA_TAKE_HELD_SINK_EXPORT "VelmoraTakeHeldSink"
__attribute__((visibility("default"))) GstElement* VelmoraTakeHeldSink(void);

#ifdef __cplusplus
}
#endif

#endif
