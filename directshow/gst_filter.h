// The GStreamer side of a filter: the element it is, held with one reference. Private to the
// layer's sources.
#pragma once

#include <gst/gst.h>

#include "directshow/base_filter.h"

namespace directshow {

class IBaseFilter {
public:
    explicit IBaseFilter(GstElement* owned) : element_(owned) {}
    ~IBaseFilter();
    IBaseFilter(const IBaseFilter&) = delete;
    IBaseFilter& operator=(const IBaseFilter&) = delete;
    GstElement* Element() const { return element_; }

private:
    GstElement* element_;
};

// A new element (floating reference sunk) as a filter; null for null.
FilterPtr WrapElement(GstElement* element);

}  // namespace directshow
