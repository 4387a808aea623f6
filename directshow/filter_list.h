// The filters a graph holds and the pins a filter has, each taken when the list is made.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "directshow/base_filter.h"
#include "directshow/ds_util.h"

namespace directshow {

class TFilterGraph;

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// One pad of a filter, held with one reference.
class IPin {
public:
    explicit IPin(void* gstPad);  // takes a reference of its own
    ~IPin();
    IPin(const IPin&) = delete;
    IPin& operator=(const IPin&) = delete;
    QString Name() const;
    PIN_DIRECTION Direction() const;
    bool IsConnected() const;
    // S_FALSE when the pin is not connected.
    HRESULT Disconnect();
    void* Pad() const { return pad_; }

private:
    void* pad_;
};
using PinPtr = std::shared_ptr<IPin>;

class TFilterList {
public:
    // Every filter of the graph now, members' filters waiting for a stream included; empty for an
    // inactive graph.
    explicit TFilterList(TFilterGraph* graph);
    int Count() const { return int(items_.size()); }
    // std::out_of_range outside 0 .. Count() - 1.
    FilterPtr GetFilter(int index) const { return items_.at(size_t(index)); }
    int Add(const FilterPtr& filter);
    // The index the filter had; -1 when it is not in the list.
    int Remove(const FilterPtr& filter);

private:
    std::vector<FilterPtr> items_;
};

class TPinList {
public:
    explicit TPinList(FilterPtr filter);
    void Update();
    int Count() const { return int(items_.size()); }
    PinPtr GetPin(int index) const { return items_.at(size_t(index)); }
    int Add(const PinPtr& pin);

private:
    FilterPtr filter_;
    std::vector<PinPtr> items_;
};

}  // namespace directshow
