#include "directshow/filter.h"

#include "directshow/sys_dev_enum.h"

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

IMpegAudioDecoder* TFilter::QueryMpegAudioDecoder() {
    if (!filter_ || !graph_ || !graph_->Active()) return nullptr;
    const MonikerPtr moniker = baseFilter_->GetMoniker();
    const std::optional<PropertyBag> bag = moniker ? moniker->BindToStorage() : std::nullopt;
    QString name;
    if (!bag || !bag->Read(QStringLiteral("FriendlyName"), &name) || name != QLatin1String(kMpegAudioDecoderName))
        return nullptr;
    return this;
}

HRESULT TFilter::put_DualMode(unsigned long mode) {
    if (mode > AM_MPEG_AUDIO_DUAL_RIGHT) return E_INVALIDARG;
    if (!graph_) return E_FAIL;
    graph_->SetDualMode(int(mode));
    return S_OK;
}

HRESULT TFilter::get_DualMode(unsigned long* mode) {
    if (!mode) return E_POINTER;
    *mode = graph_ ? static_cast<unsigned long>(graph_->DualMode()) : 0;
    return S_OK;
}

}  // namespace directshow
