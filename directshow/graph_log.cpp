#include "directshow/graph_log.h"

#include <atomic>
#include <mutex>
#include <set>

namespace directshow {

namespace {

constexpr GstDebugLevel kLogLevel = GST_LEVEL_INFO;

// GStreamer's debug output is one per process, and it frees a removed log function's entry while
// other threads may still be calling it: one function of ours is put in place of the default
// printer at the first log and stays for the process's life, handing each message to the live
// logs and, as the default printer did, to the terminal. While any graph logs, the level is
// raised; the terminal still gets only what the level before let through.
std::mutex g_lock;  // the live logs; a log leaves before it is freed
std::set<GraphLog*> g_live;
std::atomic<int> g_savedLevel{GST_LEVEL_NONE};
std::atomic<bool> g_logging{false};
bool g_installed = false;
std::atomic<bool> g_printing{false};  // the default printer was in place: messages go on to it

}  // namespace

std::unique_ptr<GraphLog> GraphLog::Open(const QString& path, GstElement* graph) {
    std::unique_ptr<GraphLog> log(new GraphLog(graph));
    log->file_.setFileName(path);
    if (path.isEmpty() || !log->file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return nullptr;
    std::lock_guard guard(g_lock);
    if (!g_installed) {
        g_installed = true;
        gst_debug_add_log_function(&GraphLog::OnLog, nullptr, nullptr);
        g_printing = gst_debug_remove_log_function(gst_debug_log_default) > 0;
    }
    if (g_live.empty()) {
        const GstDebugLevel level = gst_debug_get_default_threshold();
        g_savedLevel = level;
        if (level < kLogLevel) gst_debug_set_default_threshold(kLogLevel);
        g_logging = true;
    }
    g_live.insert(log.get());
    return log;
}

GraphLog::~GraphLog() {
    if (!file_.isOpen()) return;
    std::lock_guard guard(g_lock);
    g_live.erase(this);
    if (g_live.empty()) {
        g_logging = false;
        gst_debug_set_default_threshold(GstDebugLevel(g_savedLevel.load()));
    }
    file_.close();
}

// Called on any thread that logs. Each live log keeps the messages about its graph or what the
// graph holds.
void GraphLog::OnLog(GstDebugCategory* category, GstDebugLevel level, const gchar* file, const gchar* function,
                     gint line, GObject* object, GstDebugMessage* message, gpointer) {
    const bool logging = g_logging.load();
    if (g_printing && (!logging || level <= g_savedLevel.load()))
        gst_debug_log_default(category, level, file, function, line, object, message, nullptr);
    if (!logging || level > kLogLevel || !object || !GST_IS_OBJECT(object)) return;
    // Messages are often logged under the object's own lock: its name and parents are read without
    // taking it, as GStreamer's own printer does.
    GstObject* subject = GST_OBJECT(object);
    std::lock_guard guard(g_lock);
    for (GraphLog* log : g_live) {
        GstObject* up = subject;
        while (up && up != GST_OBJECT(log->graph_)) up = GST_OBJECT_PARENT(up);
        if (!up) continue;
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
}

}  // namespace directshow
