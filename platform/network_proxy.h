// The proxies our network sources go through. The settings' network page keeps them in the
// registry keys of the other makers' players; the sources read those keys each time one is made,
// so a change there reaches the next stream opened without anything being pushed.
#pragma once

#include <QString>

struct _GstElement;

namespace platform {

// "http://host:port" when the HTTP proxy is switched on with a host and a valid port; else empty.
QString HttpStreamProxy();
// "http://host:port" for RTSP's HTTP tunnelling when the RTSP proxy is switched on; else empty.
QString RtspStreamProxy();

// Gives a source element its proxy: souphttpsrc the HTTP one, rtspsrc the RTSP one. Other
// elements, and a source when no proxy is on, are left as they are (the desktop's own proxy
// variables then still apply).
void SetSourceProxy(_GstElement* source);
// Connects "source-setup" of a playbin or uridecodebin, so each source it makes gets its proxy.
void WatchSourceSetup(_GstElement* bin);

}  // namespace platform
