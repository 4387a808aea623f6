// Our source element for mms:// (and mmsh://, mmst://, mmsu://) streams, over libmms.
#pragma once

namespace platform {

inline constexpr char kMmsSourceName[] = "velmorammssrc";

// Makes the element known to this process's GStreamer, so any bin that reads an mms address
// finds it. Part of InitMedia; true when registered.
bool RegisterMmsSource();

}  // namespace platform
