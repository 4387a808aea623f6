// The filter component: one filter, kept as its saved moniker, made and added to the graph each
// time the graph becomes active.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "directshow/base_filter.h"
#include "directshow/filter_graph.h"

namespace directshow {

class TFilter : public QObject, public IFilterProvider {
    Q_OBJECT
public:
    explicit TFilter(QObject* owner = nullptr);
    ~TFilter() override;

    // The component owns its base filter; setting another frees the one it had.
    TBaseFilter& BaseFilter() { return *baseFilter_; }
    void SetBaseFilter(std::unique_ptr<TBaseFilter> baseFilter);

    TFilterGraph* FilterGraph() const { return graph_; }
    void SetFilterGraph(TFilterGraph* graph);

    FilterPtr GetFilter() const override { return filter_; }
    QString GetName() const override { return objectName(); }
    void NotifyFilter(FilterOperation operation, int param = 0) override;

private:
    std::unique_ptr<TBaseFilter> baseFilter_;
    QPointer<TFilterGraph> graph_;
    FilterPtr filter_;
};

}  // namespace directshow
