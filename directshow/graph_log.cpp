#include "directshow/graph_log.h"

#include <mutex>
#include <set>

namespace directshow {

namespace {

constexpr GstDebugLevel kLogLevel = GST_LEVEL_INFO;

// GStreamer's debug output is one per process: while any graph logs, the level is raised and the
// default printer is taken off, so the raised level does not flood the terminal.
std::mutex g_usersLock;
int g_users = 0;
GstDebugLevel g_savedLevel = GST_LEVEL_NONE;

// GStreamer may still call a log function on another thread after its removal returned: a log
// is looked up here, under the lock, before it is touched, and leaves here before it is freed.
std::mutex g_liveLock;
std::set<const void*> g_live;

void AddUser() {
    std::lock_guard guard(g_usersLock);
    if (g_users++ > 0) return;
    g_savedLevel = gst_debug_get_default_threshold();
    gst_debug_remove_log_function(gst_debug_log_default);
    if (g_savedLevel < kLogLevel) gst_debug_set_default_threshold(kLogLevel);
}

void RemoveUser() {
    std::lock_guard guard(g_usersLock);
    if (--g_users > 0) return;
    gst_debug_set_default_threshold(g_savedLevel);
    gst_debug_add_log_function(gst_debug_log_default, nullptr, nullptr);
}

}  // namespace

std::unique_ptr<GraphLog> GraphLog::Open(const QString& path, GstElement* graph) {
    std::unique_ptr<GraphLog> log(new GraphLog(graph));
    log->file_.setFileName(path);
    if (path.isEmpty() || !log->file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return nullptr;
    AddUser();
    {
        std::lock_guard guard(g_liveLock);
        g_live.insert(log.get());
    }
    gst_debug_add_log_function(&GraphLog::OnLog, log.get(), nullptr);
    return log;
}

GraphLog::~GraphLog() {
    if (!file_.isOpen()) return;
    gst_debug_remove_log_function_by_data(this);
    RemoveUser();
    std::lock_guard guard(g_liveLock);
    g_live.erase(this);
    file_.close();
}

// Called on any thread that logs; only messages about this graph or what it holds are kept.
void GraphLog::OnLog(GstDebugCategory* category, GstDebugLevel level, const gchar* file, const gchar* function,
                     gint line, GObject* object, GstDebugMessage* message, gpointer data) {
    if (level > kLogLevel || !object || !GST_IS_OBJECT(object)) return;
    std::lock_guard guard(g_liveLock);
    if (!g_live.count(data)) return;
    auto* log = static_cast<GraphLog*>(data);
    // Messages are often logged under the object's own lock: its name and parents are read without
    // taking it, as GStreamer's own printer does.
    GstObject* subject = GST_OBJECT(object);
    GstObject* up = subject;
    while (up && up != GST_OBJECT(log->graph_)) up = GST_OBJECT_PARENT(up);
    if (!up) return;
    const gchar* text = gst_debug_message_get(message);
    const gchar* name = GST_OBJECT_NAME(subject);
    gchar* entry = g_strdup_printf(
        "%" GST_TIME_FORMAT " %-7s %s %s:%d:%s:<%s> %s\n", GST_TIME_ARGS(gst_util_get_timestamp()),
        gst_debug_level_get_name(level), gst_debug_category_get_name(category), file ? file : "", line,
        function ? function : "", name ? name : "", text ? text : "");
    log->file_.write(entry);
    log->file_.flush();
    g_free(entry);
}

}  // namespace directshow
