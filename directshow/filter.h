// The filter component: one filter, kept as its saved moniker, made and added to the graph each
// time the graph becomes active.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "directshow/base_filter.h"
#include "directshow/filter_graph.h"

namespace directshow {

// The MPEG audio decoder's own interface: which channels of a two-channel stream are heard.
inline constexpr char IID_IMpegAudioDecoder[] = "{B45DD570-3C77-11D1-ABE1-00A0C905F375}";
enum { AM_MPEG_AUDIO_DUAL_MERGE = 0, AM_MPEG_AUDIO_DUAL_LEFT = 1, AM_MPEG_AUDIO_DUAL_RIGHT = 2 };

class IMpegAudioDecoder {
public:
    virtual ~IMpegAudioDecoder() = default;
    // MERGE plays both channels as they come; LEFT and RIGHT play that one on both sides.
    virtual HRESULT put_DualMode(unsigned long mode) = 0;
    virtual HRESULT get_DualMode(unsigned long* mode) = 0;
};

class TFilter : public QObject, public IFilterProvider, private IMpegAudioDecoder {
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

    // The decoder interface while the filter is the MPEG audio decoder and sits in an active
    // graph; null otherwise. The graph's sound chain does the channel work, so the mode holds for
    // whatever sound the graph plays.
    IMpegAudioDecoder* QueryMpegAudioDecoder();

private:
    HRESULT put_DualMode(unsigned long mode) override;
    HRESULT get_DualMode(unsigned long* mode) override;

    std::unique_ptr<TBaseFilter> baseFilter_;
    QPointer<TFilterGraph> graph_;
    FilterPtr filter_;
};

}  // namespace directshow
