// The table of running graphs that a graph viewer reads: each entry names a graph by its address
// and process, and dumps the graph's elements and links as GStreamer draws them (dot text).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "directshow/ds_util.h"

namespace directshow {

using GraphDumper = std::function<QByteArray()>;

struct RunningGraph {
    quint32 cookie;
    QString itemName;  // "FilterGraph <address> pid <process id in hex>"
};

// Adds a graph under a new cookie (never 0). E_POINTER for a null graph or dumper.
HRESULT RegisterGraphInROT(const void* graph, GraphDumper dumper, quint32* cookie);
// E_INVALIDARG for a cookie that is not registered.
HRESULT RevokeGraphFromROT(quint32 cookie);
QList<RunningGraph> RunningGraphs();
// The graph's dump now; empty for a cookie that is not registered.
QByteArray DumpRunningGraph(quint32 cookie);

}  // namespace directshow
