#include "directshow/graph_registry.h"

#include <QCoreApplication>
#include <map>
#include <mutex>

namespace directshow {

namespace {

struct Entry {
    QString itemName;
    GraphDumper dumper;
};

std::mutex g_lock;
std::map<quint32, Entry> g_graphs;
quint32 g_nextCookie = 1;

}  // namespace

HRESULT RegisterGraphInROT(const void* graph, GraphDumper dumper, quint32* cookie) {
    if (!graph || !dumper || !cookie) return E_POINTER;
    const QString item = QStringLiteral("FilterGraph %1 pid %2")
                             .arg(QString::asprintf("%p", graph))
                             .arg(QString::number(QCoreApplication::applicationPid(), 16));
    std::lock_guard guard(g_lock);
    if (g_nextCookie == 0) ++g_nextCookie;
    *cookie = g_nextCookie++;
    g_graphs[*cookie] = Entry{item, std::move(dumper)};
    return S_OK;
}

HRESULT RevokeGraphFromROT(quint32 cookie) {
    std::lock_guard guard(g_lock);
    return g_graphs.erase(cookie) ? S_OK : E_INVALIDARG;
}

QList<RunningGraph> RunningGraphs() {
    std::lock_guard guard(g_lock);
    QList<RunningGraph> out;
    for (const auto& [cookie, entry] : g_graphs) out.append(RunningGraph{cookie, entry.itemName});
    return out;
}

// The dump runs outside the table's lock: it walks the graph, which may take its own locks.
QByteArray DumpRunningGraph(quint32 cookie) {
    GraphDumper dumper;
    {
        std::lock_guard guard(g_lock);
        const auto it = g_graphs.find(cookie);
        if (it == g_graphs.end()) return {};
        dumper = it->second.dumper;
    }
    return dumper();
}

}  // namespace directshow
