// Our source element for mms:// (and mmsh://, mmst://, mmsu://) streams, over libmms.
#pragma once

struct addrinfo;

namespace platform {

inline constexpr char kMmsSourceName[] = "velmorammssrc";

// Makes the element known to this process's GStreamer, so any bin that reads an mms address
// finds it. Part of InitMedia; true when registered.
bool RegisterMmsSource();

// The name lookup the source runs (getaddrinfo by default; null puts it back). A stop does not
// wait for it to answer.
using MmsResolver = int (*)(const char* host, const char* service, const addrinfo* hints, addrinfo** found);
void SetMmsResolver(MmsResolver resolver);

}  // namespace platform
