#include "directshow/filter.h"

namespace directshow {

TFilter::TFilter(QObject* owner) : QObject(owner), baseFilter_(std::make_unique<TBaseFilter>()) {}

TFilter::~TFilter() { SetFilterGraph(nullptr); }

void TFilter::SetBaseFilter(std::unique_ptr<TBaseFilter> baseFilter) {
    baseFilter_ = baseFilter ? std::move(baseFilter) : std::make_unique<TBaseFilter>();
}

void TFilter::SetFilterGraph(TFilterGraph* graph) {
    if (graph == graph_) return;
    if (graph_) graph_->RemoveMember(this);
    if (graph) graph->AddMember(this);
    graph_ = graph;
}

void TFilter::NotifyFilter(FilterOperation operation, int) {
    switch (operation) {
    case foAdding: filter_ = baseFilter_->CreateFilter(); break;
    case foAdded: break;
    case foRemoving: break;  // the graph takes it out of the stream
    case foRemoved: filter_.reset(); break;
    case foRefresh:
        if (graph_) {
            graph_->RemoveMember(this);
            graph_->AddMember(this);
        }
        break;
    }
}

}  // namespace directshow
