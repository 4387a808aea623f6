// A source element for mms:// streams over libmms, for which no GStreamer set on this system has
// one. It hands out the ASF stream as libmms receives it (header first, then the data packets);
// the demuxer does the rest. Network I/O goes through our own socket functions so that a stop
// never waits for a silent server: every wait is a short poll that looks at the stop flag.
#include "platform/media_mms_source.h"

#include <gst/base/gstpushsrc.h>
#include <gst/gst.h>
#include <libmms/mmsx.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

namespace {

constexpr int kPollMs = 100;                                   // how often a wait looks at the stop flag
constexpr auto kConnectWait = std::chrono::seconds(15);        // TCP connect, per address
constexpr auto kSilenceWait = std::chrono::seconds(30);        // a server that sends nothing
constexpr int kBandwidth = 2 * 1024 * 1024;                    // bits/s offered: take the best stream
constexpr guint kBlock = 16 * 1024;

struct MmsSrc {
    GstPushSrc parent;
    gchar* location;
    mmsx_t* connection;
    mms_io_t io;
    gint stopping;  // atomic: unlock() asks the I/O to give up
};

struct MmsSrcClass {
    GstPushSrcClass parent;
};

GType MmsSrcType();
#define VELMORA_MMS_SRC(obj) (reinterpret_cast<MmsSrc*>(obj))

bool Stopping(void* data) { return g_atomic_int_get(&static_cast<MmsSrc*>(data)->stopping) != 0; }

// Waits for the socket to be ready in the direction asked; false on stop, error or silence.
bool WaitReady(void* data, int fd, short events, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!Stopping(data)) {
        pollfd waiting{fd, events, 0};
        const int ready = poll(&waiting, 1, kPollMs);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= end) return false;
    }
    return false;
}

int IoSelect(void* data, int fd, int state, int timeoutMs) {
    const short events = state == MMS_IO_READ_READY ? POLLIN : POLLOUT;
    if (WaitReady(data, fd, events, std::chrono::milliseconds(timeoutMs))) return MMS_IO_STATUS_READY;
    return Stopping(data) ? MMS_IO_STATUS_ABORTED : MMS_IO_STATUS_TIMEOUT;
}

// libmms expects all of num unless the peer closes: short only at the end of the stream.
mms_off_t IoRead(void* data, int fd, char* buffer, mms_off_t num) {
    mms_off_t total = 0;
    while (total < num) {
        if (!WaitReady(data, fd, POLLIN, kSilenceWait)) return -1;
        const ssize_t got = recv(fd, buffer + total, size_t(num - total), 0);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return -1;
        }
        total += got;
    }
    return total;
}

mms_off_t IoWrite(void* data, int fd, char* buffer, mms_off_t num) {
    mms_off_t total = 0;
    while (total < num) {
        if (!WaitReady(data, fd, POLLOUT, kSilenceWait)) return -1;
        const ssize_t sent = send(fd, buffer + total, size_t(num - total), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return -1;
        }
        total += sent;
    }
    return total;
}

int ConnectOne(void* data, const addrinfo* address) {
    const int fd = socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
    if (fd < 0) return -1;
    if (connect(fd, address->ai_addr, address->ai_addrlen) == 0) return fd;
    int failure = 0;
    socklen_t size = sizeof failure;
    if (errno == EINPROGRESS && WaitReady(data, fd, POLLOUT, kConnectWait) &&
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size) == 0 && failure == 0)
        return fd;
    close(fd);
    return -1;
}

std::atomic<MmsResolver> g_resolver{&getaddrinfo};

// One name lookup, shared by the thread that runs it and the source that may stop waiting for it;
// whichever lets go last frees the answer.
struct Lookup {
    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    addrinfo* found = nullptr;
    ~Lookup() {
        if (found) freeaddrinfo(found);
    }
};

// The lookup runs on a thread of its own: the system's resolver cannot be interrupted, and a stop
// must not wait for a name server that does not answer.
std::shared_ptr<Lookup> Resolve(void* data, const char* host, int port) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host = std::string(host), service = std::to_string(port),
                 resolve = g_resolver.load()] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (resolve(host.c_str(), service.c_str(), &hints, &found) != 0) found = nullptr;
        std::lock_guard guard(lookup->lock);
        lookup->found = found;
        lookup->done = true;
        lookup->answered.notify_all();
    }).detach();
    std::unique_lock guard(lookup->lock);
    while (!lookup->done) {
        if (Stopping(data)) return nullptr;
        lookup->answered.wait_for(guard, std::chrono::milliseconds(kPollMs));
    }
    return lookup;
}

int IoConnect(void* data, const char* host, int port) {
    const std::shared_ptr<Lookup> lookup = Resolve(data, host, port);
    if (!lookup) return -1;
    int fd = -1;
    for (const addrinfo* address = lookup->found; address && fd < 0 && !Stopping(data); address = address->ai_next)
        fd = ConnectOne(data, address);
    return fd;
}

// libmms knows the scheme "mms" (TCP first, then HTTP) and "mmsh"; mmst and mmsu name the same
// stream, so they are asked for as mms.
std::string LibmmsUrl(const gchar* location) {
    std::string url = location ? location : "";
    for (const char* prefix : {"mmst://", "mmsu://"}) {
        if (g_ascii_strncasecmp(url.c_str(), prefix, std::strlen(prefix)) == 0) url = "mms://" + url.substr(7);
    }
    return url;
}

enum { kPropLocation = 1 };

void SetLocation(MmsSrc* self, const gchar* location) {
    g_free(self->location);
    self->location = g_strdup(location);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    if (id == kPropLocation) SetLocation(VELMORA_MMS_SRC(object), g_value_get_string(value));
    else G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    if (id == kPropLocation) g_value_set_string(value, VELMORA_MMS_SRC(object)->location);
    else G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
}

void Finalize(GObject* object) {
    g_free(VELMORA_MMS_SRC(object)->location);
    G_OBJECT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(object)))->finalize(object);
}

gboolean Stop(GstBaseSrc* base) {
    MmsSrc* self = VELMORA_MMS_SRC(base);
    if (self->connection) mmsx_close(self->connection);
    self->connection = nullptr;
    return TRUE;
}

gboolean Unlock(GstBaseSrc* base) {
    g_atomic_int_set(&VELMORA_MMS_SRC(base)->stopping, 1);
    return TRUE;
}

gboolean UnlockStop(GstBaseSrc* base) {
    g_atomic_int_set(&VELMORA_MMS_SRC(base)->stopping, 0);
    return TRUE;
}

// Connects on the streaming thread at the first buffer, so that opening never holds the caller.
GstFlowReturn Create(GstPushSrc* push, GstBuffer** out) {
    MmsSrc* self = VELMORA_MMS_SRC(push);
    if (!self->connection) {
        const std::string url = LibmmsUrl(self->location);
        self->connection = mmsx_connect(&self->io, nullptr, url.c_str(), kBandwidth);
        if (Stopping(self)) return GST_FLOW_FLUSHING;
        if (!self->connection) {
            GST_ELEMENT_ERROR(self, RESOURCE, OPEN_READ, ("Could not connect to the MMS server."),
                              ("libmms cannot open %s", self->location));
            return GST_FLOW_ERROR;
        }
    }
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, kBlock, nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    const mms_off_t offset = mmsx_get_current_pos(self->connection);
    const int got = mmsx_read(&self->io, self->connection, reinterpret_cast<char*>(map.data), int(kBlock));
    gst_buffer_unmap(buffer, &map);
    if (got <= 0) {
        gst_buffer_unref(buffer);
        if (Stopping(self)) return GST_FLOW_FLUSHING;
        if (got == 0) return GST_FLOW_EOS;
        GST_ELEMENT_ERROR(self, RESOURCE, READ, ("The MMS server broke off the stream."), ("%s", self->location));
        return GST_FLOW_ERROR;
    }
    gst_buffer_set_size(buffer, gsize(got));
    GST_BUFFER_OFFSET(buffer) = guint64(offset);
    *out = buffer;
    return GST_FLOW_OK;
}

void ClassInit(gpointer klass, gpointer) {
    GObjectClass* object = G_OBJECT_CLASS(klass);
    object->set_property = SetProperty;
    object->get_property = GetProperty;
    object->finalize = Finalize;
    g_object_class_install_property(
        object, kPropLocation,
        g_param_spec_string("location", "Location", "The mms:// address", nullptr,
                            GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
    GstElementClass* element = GST_ELEMENT_CLASS(klass);
    static GstStaticPadTemplate source =
        GST_STATIC_PAD_TEMPLATE("src", GST_PAD_SRC, GST_PAD_ALWAYS, GST_STATIC_CAPS("video/x-ms-asf"));
    gst_element_class_add_static_pad_template(element, &source);
    gst_element_class_set_static_metadata(element, "MMS stream source", "Source/Network",
                                          "Receives mms:// streams with libmms", "Velmora Player");
    GstBaseSrcClass* base = GST_BASE_SRC_CLASS(klass);
    base->stop = Stop;
    base->unlock = Unlock;
    base->unlock_stop = UnlockStop;
    GST_PUSH_SRC_CLASS(klass)->create = Create;
}

void InstanceInit(GTypeInstance* instance, gpointer) {
    MmsSrc* self = VELMORA_MMS_SRC(instance);
    self->location = nullptr;
    self->connection = nullptr;
    self->stopping = 0;
    self->io = mms_io_t{IoSelect, self, IoRead, self, IoWrite, self, IoConnect, self};
}

// The URI handler: mms and its three transports.
GstURIType UriType(GType) { return GST_URI_SRC; }

const gchar* const* UriProtocols(GType) {
    static const gchar* const protocols[] = {"mms", "mmsh", "mmst", "mmsu", nullptr};
    return protocols;
}

gchar* GetUri(GstURIHandler* handler) { return g_strdup(VELMORA_MMS_SRC(handler)->location); }

gboolean SetUri(GstURIHandler* handler, const gchar* uri, GError**) {
    SetLocation(VELMORA_MMS_SRC(handler), uri);
    return TRUE;
}

void UriHandlerInit(gpointer iface, gpointer) {
    auto* handler = static_cast<GstURIHandlerInterface*>(iface);
    handler->get_type = UriType;
    handler->get_protocols = UriProtocols;
    handler->get_uri = GetUri;
    handler->set_uri = SetUri;
}

GType MmsSrcType() {
    static GType type = 0;
    if (g_once_init_enter(&type)) {
        const GTypeInfo info{sizeof(MmsSrcClass), nullptr, nullptr, ClassInit, nullptr, nullptr,
                             sizeof(MmsSrc), 0, InstanceInit, nullptr};
        const GType made = g_type_register_static(GST_TYPE_PUSH_SRC, "VelmoraMmsSrc", &info, GTypeFlags(0));
        const GInterfaceInfo handler{UriHandlerInit, nullptr, nullptr};
        g_type_add_interface_static(made, GST_TYPE_URI_HANDLER, &handler);
        g_once_init_leave(&type, made);
    }
    return type;
}

}  // namespace

bool RegisterMmsSource() {
    return gst_element_register(nullptr, kMmsSourceName, GST_RANK_PRIMARY, MmsSrcType());
}

void SetMmsResolver(MmsResolver resolver) { g_resolver = resolver ? resolver : &getaddrinfo; }

}  // namespace platform
