// A graph's debug log: GStreamer's debug messages about the graph's own elements, written to a
// file. Private to the layer's sources.
#pragma once

#include <gst/gst.h>

#include <QFile>
#include <QString>
#include <memory>

namespace directshow {

class GraphLog {
public:
    // Makes the file anew (an existing one is emptied); null when it cannot be made.
    static std::unique_ptr<GraphLog> Open(const QString& path, GstElement* graph);
    ~GraphLog();
    GraphLog(const GraphLog&) = delete;
    GraphLog& operator=(const GraphLog&) = delete;

private:
    GraphLog(GstElement* graph) : graph_(graph) {}
    static void OnLog(GstDebugCategory* category, GstDebugLevel level, const gchar* file, const gchar* function,
                      gint line, GObject* object, GstDebugMessage* message, gpointer data);

    GstElement* graph_;  // borrowed: the log goes before its graph
    QFile file_;
};

}  // namespace directshow
